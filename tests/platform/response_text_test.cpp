#include "platform/response_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace korvan {
namespace {

// 百度 in GBK and in UTF-8.
const std::string kGbk = "\xB0\xD9\xB6\xC8";
const std::string kUtf8 = "\xE7\x99\xBE\xE5\xBA\xA6";

TEST(ResponseTextTest, FindsTheCharsetInContentTypeAndMeta) {
  EXPECT_EQ(CharsetOfContentType("text/html; charset=GBK"), "gbk");
  EXPECT_EQ(CharsetOfContentType("text/html;charset=\"utf-8\""), "utf-8");
  EXPECT_EQ(CharsetOfContentType("text/html"), "");
  EXPECT_EQ(CharsetOfMeta("<html><head><META Charset=\"gb2312\"></head>"), "gb2312");
  EXPECT_EQ(CharsetOfMeta("<meta http-equiv=\"Content-Type\" "
                          "content=\"text/html; charset=GBK\">"),
            "gbk");
  EXPECT_EQ(CharsetOfMeta("<meta name=\"x\" content=\"y\"><p>charset=big5</p>"), "");
  // Only the first 4 KiB are looked at.
  EXPECT_EQ(CharsetOfMeta(std::string(4096, ' ') + "<meta charset=gbk>"), "");
  // A label that could carry iconv options is no label.
  EXPECT_EQ(CharsetOfContentType("text/html; charset=utf-8//translit"), "utf-8");
  EXPECT_EQ(CharsetOfContentType("text/html; charset=" + std::string(60, 'a')), "");
}

TEST(ResponseTextTest, GbkAndUtf8PagesGiveTheSameBytes) {
  const std::string gbk_page = "<DIV>" + kGbk + "</DIV>";
  const std::string utf8_page = "<DIV>" + kUtf8 + "</DIV>";
  EXPECT_EQ(ResponseTextCp936(gbk_page, "text/html; charset=gbk"), gbk_page);
  EXPECT_EQ(ResponseTextCp936(gbk_page, "text/html; charset=gb2312"), gbk_page);
  EXPECT_EQ(ResponseTextCp936(utf8_page, "text/html; charset=utf-8"), gbk_page);
  EXPECT_EQ(ResponseTextCp936(utf8_page, "text/html"), gbk_page);
  EXPECT_EQ(ResponseTextCp936("<meta charset=gbk>" + kGbk, "text/html"),
            "<meta charset=gbk>" + kGbk);
  EXPECT_EQ(ResponseTextCp936("<meta charset=utf-8>" + kUtf8, ""), "<meta charset=utf-8>" + kGbk);
}

TEST(ResponseTextTest, ByteOrderMarkWinsOverDeclarations) {
  EXPECT_EQ(ResponseTextCp936("\xEF\xBB\xBF" + kUtf8, "text/html; charset=gbk"), kGbk);
  // 百度 in UTF-16LE.
  EXPECT_EQ(ResponseTextCp936(std::string("\xFF\xFE\x7E\x76\xA6\x5E", 6), "text/html"), kGbk);
}

TEST(ResponseTextTest, HeaderWinsOverMetaAndUnknownLabelsAreSkipped) {
  const std::string page = "<meta charset=gbk>" + kUtf8;
  EXPECT_EQ(ResponseTextCp936(page, "text/html; charset=utf-8"), "<meta charset=gbk>" + kGbk);
  EXPECT_EQ(ResponseTextCp936("<meta charset=gbk>" + kGbk, "text/html; charset=no-such-set"),
            "<meta charset=gbk>" + kGbk);
}

TEST(ResponseTextTest, OtherCharsetsAreConvertedAndCharactersOutsideGbkKept) {
  // "é" in Latin-1 is A8 A6 in code page 936.
  EXPECT_EQ(ResponseTextCp936("caf\xE9", "text/plain; charset=iso-8859-1"), "caf\xA8\xA6");
  // An emoji has no GBK code but a four-byte GB18030 one, which round-trips.
  const std::string emoji = "\xF0\x9F\x98\x80";
  const std::string cp936 = ResponseTextCp936(emoji, "text/plain; charset=utf-8");
  EXPECT_EQ(cp936.size(), 4u);
  EXPECT_EQ(Cp936ToUtf8(cp936), emoji);
}

TEST(ResponseTextTest, UndeclaredTextThatIsNotUtf8IsTakenAsGbk) {
  EXPECT_EQ(ResponseTextCp936("<p>" + kGbk + "</p>", "text/html"), "<p>" + kGbk + "</p>");
  // Declared UTF-8 but broken: every bad byte becomes "?".
  EXPECT_EQ(ResponseTextCp936("a\xFF"
                              "b",
                              "text/html; charset=utf-8"),
            "a?b");
  EXPECT_EQ(ResponseTextCp936("", "text/html"), "");
}

}  // namespace
}  // namespace korvan
