// The BIFF8 building blocks on their own: RK numbers, date formats, and the
// shared string table across CONTINUE records, read and written.
#include "platform/workbook/xls_records.h"

#include <gtest/gtest.h>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_formats.h"
#include "platform/workbook/xls_rk.h"
#include "platform/workbook/xls_sst.h"
#include "platform/workbook/xls_text.h"

namespace korvan::xls {
namespace {

TEST(XlsRkTest, DecodesIntegersDoublesAndHundredths) {
  EXPECT_EQ(DecodeRk(42u << 2 | 0x02), 42);
  EXPECT_EQ(DecodeRk(static_cast<std::uint32_t>(-7) << 2 | 0x02), -7);
  EXPECT_EQ(DecodeRk(1234u << 2 | 0x03), 12.34);
  EXPECT_EQ(DecodeRk(0x400A0000u), 3.25);        // high bits of the double 3.25
  EXPECT_EQ(DecodeRk(0x40590000u | 0x01), 1.0);  // 100.0 / 100
  EXPECT_EQ(DecodeRk(0xC0590000u), -100.0);
}

TEST(XlsFormatsTest, DatePartsCountOnlyOutsideQuotesBracketsAndEscapes) {
  EXPECT_TRUE(IsDateFormatString(u"yyyy/mm/dd"));
  EXPECT_TRUE(IsDateFormatString(u"[$-804]yyyy\"年\"m\"月\"d\"日\""));
  EXPECT_TRUE(IsDateFormatString(u"D-MMM"));
  EXPECT_FALSE(IsDateFormatString(u"General"));
  EXPECT_FALSE(IsDateFormatString(u"0.00"));
  EXPECT_FALSE(IsDateFormatString(u"[Red]#,##0;\"day\" 0"));
  EXPECT_FALSE(IsDateFormatString(u"0\\d _m *y"));
  EXPECT_FALSE(IsDateFormatString(u"\"unclosed d"));

  XlsFormats formats;
  std::string custom;
  Put16(custom, 164);
  AppendUnicodeString(custom, u"yy-m-d");
  formats.AddFormat(custom);
  const auto xf = [&formats](std::uint16_t format) {
    std::string data(20, '\0');
    Set16(data, 2, format);
    formats.AddXf(data);
  };
  xf(0), xf(14), xf(22), xf(23), xf(45), xf(164), xf(2);
  EXPECT_FALSE(formats.IsDateXf(0));
  EXPECT_TRUE(formats.IsDateXf(1));
  EXPECT_TRUE(formats.IsDateXf(2));
  EXPECT_FALSE(formats.IsDateXf(3));
  EXPECT_TRUE(formats.IsDateXf(4));
  EXPECT_TRUE(formats.IsDateXf(5));
  EXPECT_FALSE(formats.IsDateXf(6));
  EXPECT_FALSE(formats.IsDateXf(999));  // a cell format that does not exist
}

TEST(XlsSstTest, ReadsStringsCarriedOnInContinueRecords) {
  // "ab" + "长" where the width changes at the CONTINUE; a rich string whose
  // runs go on in the next CONTINUE without an option byte; one with
  // phonetic data split in two.
  std::string sst;
  Put32(sst, 3), Put32(sst, 3);
  Put16(sst, 3), sst += '\0', sst += "ab";
  std::string c1 = "\x01";
  Put16(c1, u'长');
  Put16(c1, 2), c1 += '\x08', Put16(c1, 1), c1 += "xy";
  std::string c2 = "RUN!";
  Put16(c2, 1), c2 += '\x04', Put32(c2, 6), c2 += "z", c2 += "ph";
  const std::string c3 = "onet";
  const auto entries = ReadSst({sst, c1, c2, c3});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].text, u"ab长");
  EXPECT_EQ(entries[1].text, u"xy");
  EXPECT_EQ(entries[1].runs, "RUN!");
  EXPECT_EQ(entries[2].text, u"z");
  EXPECT_EQ(entries[2].phonetic, "phonet");

  // A count that lies stops at the end of the data; a string that does not
  // fit is an error.
  std::string lying;
  Put32(lying, 1), Put32(lying, 0xFFFFFFFF);
  Put16(lying, 1), lying += '\0', lying += "q";
  EXPECT_EQ(ReadSst({lying}).size(), 1u);
  Put16(lying, 60000), lying += '\1', lying += "qq";
  EXPECT_THROW(ReadSst({lying}), WorkbookError);
  std::string huge_phonetic;
  Put32(huge_phonetic, 1), Put32(huge_phonetic, 1);
  Put16(huge_phonetic, 1), huge_phonetic += '\x04', Put32(huge_phonetic, 0xFFFFFFF0),
      huge_phonetic += "q";
  EXPECT_THROW(ReadSst({huge_phonetic}), WorkbookError);
}

TEST(XlsSstTest, WrittenTableSplitsAtCharactersAndReadsBack) {
  std::vector<SstEntry> entries;
  entries.push_back({std::u16string(9000, u'x'), {}, {}});
  std::u16string mixed;
  for (int i = 0; i < 6000; ++i) mixed += (i % 2 ? u'a' : u'长');
  entries.push_back({mixed, {}, {}});
  entries.push_back({u"rich", std::string(4 * 3000, 'r'), std::string(9000, 'p')});
  for (int i = 0; i < 3000; ++i) entries.push_back({Utf8ToUtf16("s" + std::to_string(i)), {}, {}});
  std::vector<const SstEntry*> pointers;
  for (const SstEntry& entry : entries) pointers.push_back(&entry);

  BiffWriter writer;
  writer.WriteRaw(std::string(10, '\0'));  // the table does not start the stream
  const std::size_t total_pos = WriteSst(writer, pointers, 1234);
  const std::string stream = writer.Bytes();
  EXPECT_EQ(Get32(stream.data() + total_pos), 1234u);

  BiffReader reader(stream, 10);
  Record record;
  std::vector<std::string_view> pieces;
  std::size_t ext_sst_size = 0;
  while (reader.Next(record)) {
    EXPECT_LE(record.data.size(), kMaxRecordData);
    if (record.type == kExtSst) {
      ext_sst_size = record.data.size();
      EXPECT_EQ(Get16(record.data.data()), 24);  // 3003 strings in at most 128 buckets
      // The first bucket points at the first string, 12 bytes into the record.
      EXPECT_EQ(Get32(record.data.data() + 2), 10u + 12u);
      EXPECT_EQ(Get16(record.data.data() + 6), 12);
      break;
    }
    EXPECT_EQ(record.type, pieces.empty() ? kSst : kContinue);
    pieces.push_back(record.data);
  }
  EXPECT_EQ(ext_sst_size, 2u + 8u * 126u);
  const auto back = ReadSst(pieces);
  ASSERT_EQ(back.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(back[i].text, entries[i].text) << i;
    EXPECT_EQ(back[i].runs, entries[i].runs) << i;
    EXPECT_EQ(back[i].phonetic, entries[i].phonetic) << i;
  }
}

TEST(XlsTextTest, ConvertsBetweenUtf8AndUtf16) {
  EXPECT_EQ(Utf16ToUtf8(u"百度.com é 😀"), "百度.com é 😀");
  EXPECT_EQ(Utf8ToUtf16("百度.com é 😀"), u"百度.com é 😀");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800}) + u"a"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b\xE4\xB8"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD");  // overlong
}

}  // namespace
}  // namespace korvan::xls
