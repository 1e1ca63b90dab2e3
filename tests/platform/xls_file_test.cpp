// The .xls workbook file against independent writers and readers: workbooks
// made by python3-xlwt and LibreOffice are read, saved workbooks are read back
// by python3-xlrd and LibreOffice, and refused or damaged files stay as they
// were.
#include <gsf/gsf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_container.h"
#include "platform/workbook/xls_records.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::TempDir;

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return out;
}

std::string Python(const std::string& args) {
  return RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 " KORVAN_XLS_FIXTURES " " + args);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Dump(const std::string& path) {
  std::istringstream in(Python("dump '" + path + "'"));
  std::set<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

// Replaces the line that begins with `prefix` (if any) by `line`.
void Replace(std::set<std::string>& lines, const std::string& prefix, const std::string& line) {
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->rfind(prefix, 0) == 0) {
      lines.erase(it);
      break;
    }
  }
  lines.insert(line);
}

// The streams of a compound file by path ("storage/stream").
using Streams = std::map<std::string, std::string>;

void WriteCompound(const std::string& path, const Streams& streams) {
  gsf_init();
  GsfOutput* sink = gsf_output_stdio_new(path.c_str(), nullptr);
  ASSERT_NE(sink, nullptr);
  std::map<std::string, GsfOutfile*> storages{{"", gsf_outfile_msole_new(sink)}};
  g_object_unref(sink);
  std::vector<GsfOutfile*> opened;
  for (const auto& [name, bytes] : streams) {
    std::size_t slash = 0;
    while ((slash = name.find('/', slash)) != std::string::npos) {
      const std::string storage = name.substr(0, slash);
      if (!storages.count(storage)) {
        const std::size_t parent = storage.rfind('/');
        GsfOutfile* outer = storages[parent == std::string::npos ? "" : storage.substr(0, parent)];
        const std::string leaf = parent == std::string::npos ? storage : storage.substr(parent + 1);
        storages[storage] = GSF_OUTFILE(gsf_outfile_new_child(outer, leaf.c_str(), TRUE));
        opened.push_back(storages[storage]);
      }
      ++slash;
    }
    const std::size_t parent = name.rfind('/');
    GsfOutput* child = gsf_outfile_new_child(
        storages[parent == std::string::npos ? "" : name.substr(0, parent)],
        (parent == std::string::npos ? name : name.substr(parent + 1)).c_str(), FALSE);
    gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
    gsf_output_close(child);
    g_object_unref(child);
  }
  for (auto it = opened.rbegin(); it != opened.rend(); ++it) {
    gsf_output_close(GSF_OUTPUT(*it));
    g_object_unref(*it);
  }
  gsf_output_close(GSF_OUTPUT(storages[""]));
  g_object_unref(storages[""]);
}

void WriteCompound(const std::string& path, const char* name, const std::string& stream) {
  WriteCompound(path, Streams{{name, stream}});
}

void ReadStorage(GsfInfile* storage, const std::string& prefix, Streams& out) {
  for (int i = 0; i < gsf_infile_num_children(storage); ++i) {
    GsfInput* child = gsf_infile_child_by_index(storage, i);
    const std::string name = prefix + gsf_infile_name_by_index(storage, i);
    if (gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
      ReadStorage(GSF_INFILE(child), name + "/", out);
    } else {
      std::string bytes(static_cast<std::size_t>(gsf_input_size(child)), '\0');
      gsf_input_read(child, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
      out[name] = bytes;
    }
    g_object_unref(child);
  }
}

Streams ReadCompound(const std::string& path) {
  Streams streams;
  GsfInput* input = gsf_input_stdio_new(path.c_str(), nullptr);
  if (!input) return streams;
  GsfInfile* root = gsf_infile_msole_new(input, nullptr);
  g_object_unref(input);
  if (!root) return streams;
  ReadStorage(root, "", streams);
  g_object_unref(root);
  return streams;
}

std::string Rec(std::uint16_t type, const std::string& data) {
  std::string out;
  xls::Put16(out, type);
  xls::Put16(out, static_cast<std::uint16_t>(data.size()));
  return out + data;
}

std::string Bof(std::uint16_t version, std::uint16_t kind) {
  std::string data;
  xls::Put16(data, version);
  xls::Put16(data, kind);
  data.resize(16, '\0');
  return Rec(xls::kBof, data);
}

struct CraftedSheet {
  std::uint8_t type = 0;                    // as BOUNDSHEET8 lists it
  std::uint16_t kind = xls::kBofWorksheet;  // as its BOF says
  std::string name = "S";
  std::string records;
};

// A workbook stream: `globals` go after the globals' BOF, then one substream
// per sheet.
std::string CraftStream(const std::string& globals, const std::vector<CraftedSheet>& sheets,
                        std::uint16_t version = xls::kBiff8Version) {
  std::string stream = Bof(version, xls::kBofGlobals) + globals;
  std::vector<std::size_t> entries;
  for (const CraftedSheet& sheet : sheets) {
    std::string entry(4, '\0');
    entry += '\0';
    entry += static_cast<char>(sheet.type);
    entry += static_cast<char>(sheet.name.size());
    entry += '\0';
    entry += sheet.name;
    entries.push_back(stream.size() + 4);
    stream += Rec(xls::kBoundSheet, entry);
  }
  stream += Rec(xls::kEof, "");
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    xls::Set32(stream, entries[i], static_cast<std::uint32_t>(stream.size()));
    stream += Bof(version, sheets[i].kind) + sheets[i].records + Rec(xls::kEof, "");
  }
  return stream;
}

// One worksheet "S" with these records.
std::string CraftStream(const std::string& globals, const std::string& cells,
                        std::uint16_t version = xls::kBiff8Version) {
  CraftedSheet sheet;
  sheet.records = cells;
  return CraftStream(globals, {sheet}, version);
}

std::string CellData(std::uint16_t row, std::uint16_t col, const std::string& rest) {
  std::string data;
  xls::Put16(data, row);
  xls::Put16(data, col);
  xls::Put16(data, 15);
  return data + rest;
}

class XlsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Python("make " + dir_.Path(""));
    book_ = dir_.Path("book.xls");
  }
  TempDir dir_;
  std::string book_;
};

TEST_F(XlsFileTest, ReadsTheCellsXlwtWrote) {
  auto file = OpenXlsFile(book_);
  ASSERT_EQ(file->SheetCount(), 3);
  EXPECT_EQ(file->SheetName(0), "百度.com");
  EXPECT_EQ(file->SheetName(1), "Long");
  EXPECT_EQ(file->SheetName(2), "Other");
  EXPECT_FALSE(file->Modified());

  const SheetCells& main = file->Cells(0);
  ASSERT_EQ(main.rows.size(), 6u);
  const auto text = [&main](std::size_t r, std::size_t c) {
    EXPECT_EQ(main.rows[r][c].kind, Cell::Kind::Text) << r << "," << c;
    return main.rows[r][c].text;
  };
  EXPECT_EQ(text(0, 0), "日期");
  EXPECT_EQ(text(0, 2), "搜索引擎");
  EXPECT_EQ(text(0, 4), "电脑-1-50");
  EXPECT_EQ(text(1, 1), "08:30:00");
  EXPECT_EQ(text(2, 0), "2024/03/06");
  EXPECT_EQ(text(5, 0), "merged");
  const Cell& date = main.rows[1][0];
  EXPECT_EQ(date.kind, Cell::Kind::Number);
  EXPECT_TRUE(date.is_date);
  EXPECT_EQ(date.number, 45356);  // 2024-03-05
  const auto number = [&main](std::size_t r, std::size_t c) {
    EXPECT_EQ(main.rows[r][c].kind, Cell::Kind::Number) << r << "," << c;
    EXPECT_FALSE(main.rows[r][c].is_date) << r << "," << c;
    return main.rows[r][c].number;
  };
  EXPECT_EQ(number(1, 3), 42);
  EXPECT_EQ(number(1, 4), 3.25);
  EXPECT_EQ(number(2, 3), -7);
  EXPECT_EQ(number(2, 4), 1234567.891);
  EXPECT_EQ(main.rows[2][1].kind, Cell::Kind::Empty);
  // xlwt stores no computed result for a formula, only an empty text.
  EXPECT_TRUE(main.rows[3][3].is_formula);
  EXPECT_EQ(text(3, 3), "");
  EXPECT_EQ(main.rows[4][0].kind, Cell::Kind::Boolean);
  EXPECT_EQ(main.rows[4][0].number, 1);
  EXPECT_EQ(main.rows[5][1].kind, Cell::Kind::Empty);  // formatted blank of the merge

  const SheetCells& long_sheet = file->Cells(1);
  ASSERT_EQ(long_sheet.rows.size(), 2003u);
  EXPECT_EQ(long_sheet.rows[0][0].text, std::string(9000, 'x'));
  std::string chinese;
  for (int i = 0; i < 5000; ++i) chinese += "长";
  EXPECT_EQ(long_sheet.rows[1][0].text, chinese);
  std::string accents;
  for (int i = 0; i < 300; ++i) accents += "é";
  EXPECT_EQ(long_sheet.rows[2][0].text, accents);
  EXPECT_EQ(long_sheet.rows[2002][0].text, "string 2002");
  EXPECT_EQ(long_sheet.rows[2002][1].number, 1001);
  EXPECT_EQ(file->Cells(2).rows.at(0).at(0).text, "untouched");
  EXPECT_THROW(file->Cells(3), WorkbookError);
}

TEST_F(XlsFileTest, SavedChangesAreReadBackByXlrdWithEverythingElseIntact) {
  const std::string original_bytes = ReadBytes(book_);
  auto expected = Dump(book_);
  auto file = OpenXlsFile(book_);

  // Saving without changes gives the same file.
  file->SaveAs(dir_.Path("same.xls"));
  EXPECT_EQ(ReadBytes(dir_.Path("same.xls")), original_bytes);

  std::string long_text;
  for (int i = 0; i < 6000; ++i) long_text += i % 2 ? "a" : "长";
  file->SetText(0, 1, 3, "1,5");         // over a number: keeps its format
  file->SetText(0, 3, 3, "?");           // over a formula
  file->SetText(0, 6, 0, "2024/03/07");  // a new row
  file->SetText(0, 6, 4, "?");
  file->SetText(0, 1, 5, "新-列");    // a new column
  file->SetText(1, 1, 0, long_text);  // a long UTF-16 text over a long one
  file->SetText(1, 3, 0, "changed");
  EXPECT_TRUE(file->Modified());
  EXPECT_EQ(file->Cells(0).rows[6][4].text, "?");
  const std::string saved = dir_.Path("saved.xls");
  file->SaveAs(saved);
  EXPECT_FALSE(file->Modified());
  EXPECT_EQ(ReadBytes(book_), original_bytes);

  const std::string plain = " font=Arial,0,200 fmt=General";
  Replace(expected, "sheet 百度.com ", "sheet 百度.com 7 6");
  Replace(expected, "百度.com!1,3=", "百度.com!1,3=1:'1,5'" + plain);
  Replace(expected, "百度.com!3,3=", "百度.com!3,3=1:'?'" + plain);
  Replace(expected, "百度.com!6,0=", "百度.com!6,0=1:'2024/03/07'" + plain);
  Replace(expected, "百度.com!6,4=", "百度.com!6,4=1:'?'" + plain);
  Replace(expected, "百度.com!1,5=", "百度.com!1,5=1:'新-列'" + plain);
  Replace(expected, "Long!1,0=", "Long!1,0=1:'" + long_text + "'" + plain);
  Replace(expected, "Long!3,0=", "Long!3,0=1:'changed'" + plain);
  EXPECT_EQ(Dump(saved), expected);

  // The saved file reads back here too, and saves again with one more change.
  auto again = OpenXlsFile(saved);
  EXPECT_EQ(again->Cells(1).rows[1][0].text, long_text);
  EXPECT_EQ(again->Cells(0).rows[1][5].text, "新-列");
  again->SetText(2, 0, 1, "second save");
  again->SaveAs(dir_.Path("twice.xls"));
  Replace(expected, "sheet Other ", "sheet Other 1 2");
  Replace(expected, "Other!0,1=", "Other!0,1=1:'second save'" + plain);
  EXPECT_EQ(Dump(dir_.Path("twice.xls")), expected);
}

// Checks that every stream position the workbook stream holds points at the
// record it names: BOUNDSHEET8 at its sheet's BOF, INDEX at DEFCOLWIDTH and
// at each DBCELL of its sheet.
void ExpectPositionsHold(const std::string& stream) {
  const auto type_at = [&stream](std::uint32_t pos) -> std::uint16_t {
    return pos + 4 <= stream.size() ? xls::Get16(stream.data() + pos) : 0;
  };
  xls::BiffReader reader(stream);
  xls::Record record;
  int sheets = 0;
  int indexes = 0;
  while (reader.Next(record)) {
    if (record.type == xls::kBoundSheet) {
      EXPECT_EQ(type_at(xls::Get32(record.data.data())), xls::kBof);
      ++sheets;
    } else if (record.type == xls::kIndex) {
      ASSERT_GE(record.data.size(), 16u);
      const std::uint32_t def_col_width = xls::Get32(record.data.data() + 12);
      if (def_col_width != 0) {
        EXPECT_EQ(type_at(def_col_width), xls::kDefColWidth);
      }
      for (std::size_t at = 16; at + 4 <= record.data.size(); at += 4)
        EXPECT_EQ(type_at(xls::Get32(record.data.data() + at)), xls::kDbCell) << at;
      ++indexes;
    }
  }
  EXPECT_EQ(sheets, 3);
  EXPECT_EQ(indexes, 3);
}

TEST_F(XlsFileTest, SavesInARowWriteWhatOneSaveOfAllTheChangesWrites) {
  std::string growth;
  for (int i = 0; i < 3000; ++i) growth += "长";
  const auto edit = [&growth](WorkbookFile& file, int sheet) {
    if (sheet == 0) file.SetText(0, 1, 3, "first");
    if (sheet == 1) {  // grows by a long text and new rows, so that Other moves
      file.SetText(1, 0, 0, growth);
      for (std::uint32_t row = 2003; row < 2100; ++row) file.SetText(1, row, 2, "row");
    }
    if (sheet == 2) file.SetText(2, 0, 1, "third");
  };
  auto in_a_row = OpenXlsFile(book_);
  auto at_once = OpenXlsFile(book_);
  for (int sheet = 0; sheet < 3; ++sheet) {
    edit(*in_a_row, sheet);
    in_a_row->SaveAs(dir_.Path("row" + std::to_string(sheet) + ".xls"));
    edit(*at_once, sheet);
  }
  at_once->SaveAs(dir_.Path("once.xls"));
  const std::string last = ReadCompound(dir_.Path("row2.xls"))["Workbook"];
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last, ReadCompound(dir_.Path("once.xls"))["Workbook"]);
  for (int sheet = 0; sheet < 3; ++sheet)
    ExpectPositionsHold(
        ReadCompound(dir_.Path("row" + std::to_string(sheet) + ".xls"))["Workbook"]);

  // A sheet changed again after other sheets were saved is written again.
  in_a_row->SetText(0, 1, 3, "again");
  in_a_row->SaveAs(dir_.Path("again.xls"));
  auto expected = Dump(dir_.Path("row2.xls"));
  Replace(expected, "百度.com!1,3=", "百度.com!1,3=1:'again' font=Arial,0,200 fmt=General");
  EXPECT_EQ(Dump(dir_.Path("again.xls")), expected);
  ExpectPositionsHold(ReadCompound(dir_.Path("again.xls"))["Workbook"]);
  EXPECT_EQ(OpenXlsFile(dir_.Path("again.xls"))->Cells(2).rows.at(0).at(1).text, "third");
}

std::string ConvertToCsv(const TempDir& dir, const std::string& xls) {
  RunCommand(
      "cd '" + dir.Path("") + "' && timeout 300 soffice --headless -env:UserInstallation=file://" +
      dir.Path("office") + " --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" +
      dir.Path("csv") + "' '" + xls + "' > /dev/null 2>&1");
  const std::string name = xls.substr(xls.rfind('/') + 1);
  return ReadBytes(dir.Path("csv/" + name.substr(0, name.size() - 4) + ".csv"));
}

TEST_F(XlsFileTest, LibreOfficeWritesFormulaResultsThatAreReadAndKeptOnSave) {
  // A LibreOffice workbook has computed formula results, a shared formula,
  // INDEX, DBCELL and EXTSST records.
  RunCommand(
      "cd '" + dir_.Path("") +
      "' && /usr/bin/python3 -c \"import openpyxl\nwb = openpyxl.Workbook()\ns = wb.active\n"
      "s.title = 'Calc'\ns['A1'] = 21\ns['B1'] = '=A1*2'\ns['C1'] = '=\\\"ab\\\"&\\\"cd\\\"'\n"
      "s['D1'] = '=A1>3'\ns['E1'] = '=1/0'\nfor r in range(2, 40):\n"
      "    s.cell(r, 1, r)\n    s.cell(r, 2, '=A%d*3' % r)\nwb.save('calc.xlsx')\" && "
      "timeout 300 soffice --headless -env:UserInstallation=file://" +
      dir_.Path("office") + " --convert-to xls calc.xlsx > /dev/null 2>&1");
  auto file = OpenXlsFile(dir_.Path("calc.xls"));
  ASSERT_EQ(file->SheetCount(), 1);
  const auto& rows = file->Cells(0).rows;
  ASSERT_EQ(rows.size(), 39u);
  EXPECT_TRUE(rows[0][1].is_formula);
  EXPECT_EQ(rows[0][1].kind, Cell::Kind::Number);
  EXPECT_EQ(rows[0][1].number, 42);
  EXPECT_EQ(rows[0][2].kind, Cell::Kind::Text);
  EXPECT_EQ(rows[0][2].text, "abcd");
  EXPECT_EQ(rows[0][3].kind, Cell::Kind::Boolean);
  EXPECT_EQ(rows[0][3].number, 1);
  EXPECT_EQ(rows[0][4].kind, Cell::Kind::Error);
  EXPECT_EQ(rows[0][4].text, "#DIV/0!");
  EXPECT_EQ(rows[38][1].number, 117);

  // The first cell of the shared formula carries it for the others.
  EXPECT_THROW(file->SetText(0, 1, 1, "x"), WorkbookError);
  file->SetText(0, 0, 0, "text");
  file->SetText(0, 2, 1, "over a shared formula");
  file->SetText(0, 40, 0, "below");
  file->SaveAs(dir_.Path("saved.xls"));
  const std::string csv = ConvertToCsv(dir_, dir_.Path("saved.xls"));
  std::istringstream lines(csv);
  std::vector<std::string> rows_read;
  for (std::string line; std::getline(lines, line);) rows_read.push_back(line);
  ASSERT_EQ(rows_read.size(), 41u) << csv;
  EXPECT_EQ(rows_read[0], "text,#VALUE!,abcd,1,#DIV/0!");
  EXPECT_EQ(rows_read[1], "2,6,,,");
  EXPECT_EQ(rows_read[2], "3,over a shared formula,,,");
  EXPECT_EQ(rows_read[38], "39,117,,,");
  EXPECT_EQ(rows_read[40], "below,,,,");
}

TEST_F(XlsFileTest, LibreOfficeReadsTheSavedFile) {
  auto file = OpenXlsFile(book_);
  file->SetText(0, 1, 3, "1,5");
  file->SetText(0, 6, 0, "2024/03/07");
  file->SetText(0, 6, 2, "百度");
  const std::string saved = dir_.Path("saved.xls");
  file->SaveAs(saved);
  const std::string csv = ConvertToCsv(dir_, saved);
  EXPECT_EQ(csv,
            "日期,时间,搜索引擎,手机,电脑-1-50\n"
            "2024/03/05,08:30:00,Baidu,\"1,5\",3.25\n"
            "2024/03/06,,Google,-7,1234567.891\n"
            ",,,#VALUE!,abcd\n"
            "1,,,,\n"  // LibreOffice shows a General-formatted logical as 1

            "merged,,,,\n"
            "2024/03/07,,百度,,\n");
}

TEST_F(XlsFileTest, RefusesOldEncryptedAndDamagedFilesWithoutTouchingThem) {
  const std::string good = ReadBytes(book_);
  std::vector<std::string> paths;
  const auto add = [&](const std::string& name, const std::string& bytes) {
    paths.push_back(dir_.Write(name, bytes));
  };
  const auto add_stream = [&](const std::string& name, const char* stream_name,
                              const std::string& stream) {
    WriteCompound(dir_.Path(name), stream_name, stream);
    paths.push_back(dir_.Path(name));
  };
  add_stream("biff5-book.xls", "Book", CraftStream("", "", 0x0500));
  add_stream("biff5-version.xls", "Workbook", CraftStream("", "", 0x0500));
  add_stream("encrypted.xls", "WORKBOOK",
             CraftStream(Rec(xls::kFilePass, std::string(54, '\1')), ""));
  add_stream("no-workbook.xls", "Data", CraftStream("", ""));
  add_stream("no-eof.xls", "Workbook", Bof(xls::kBiff8Version, xls::kBofGlobals));
  std::string cut = CraftStream("", Rec(xls::kNumber, CellData(0, 0, std::string(8, '\0'))));
  add_stream("record-past-end.xls", "Workbook", cut.substr(0, cut.size() - 8));
  add("truncated.xls", good.substr(0, good.size() / 2));
  add("empty.xls", "");
  std::mt19937 random(4);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  add("random.xls", noise);
  add("random-signature.xls", good.substr(0, 512) + noise);

  // Sector chains that loop, and a stream size that lies.
  const auto u32 = [](const std::string& s, std::size_t pos) { return xls::Get32(s.data() + pos); };
  const std::size_t dir_entry = (u32(good, 0x30) + 1) * 512;  // the root entry
  std::size_t entry = dir_entry;
  while (good.compare(entry, 16, std::string("W\0o\0r\0k\0b\0o\0o\0k\0", 16)) != 0) entry += 128;
  const std::uint32_t start = u32(good, entry + 0x74);
  const auto fat_entry = [&](std::uint32_t sector) {
    return (u32(good, 0x4C + 4 * (sector / 128)) + 1) * 512 + 4 * (sector % 128);
  };
  std::string loop = good;
  xls::Set32(loop, fat_entry(u32(good, fat_entry(start))), start);
  add("chain-loop.xls", loop);
  std::string self = good;
  xls::Set32(self, fat_entry(start), start);
  add("chain-self.xls", self);
  std::string size_lie = good;
  xls::Set32(size_lie, entry + 0x78, 0x7FFFFFF0);
  add("size-lie.xls", size_lie);

  for (const std::string& path : paths) {
    const std::string before = ReadBytes(path);
    EXPECT_THROW(OpenXlsFile(path), WorkbookError) << path;
    EXPECT_EQ(ReadBytes(path), before) << path;
  }
  EXPECT_THROW(OpenXlsFile(dir_.Path("missing.xls")), WorkbookError);
  try {
    OpenXlsFile(dir_.Path("encrypted.xls"));
  } catch (const WorkbookError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot read " + dir_.Path("encrypted.xls") +
                                         ": the workbook is protected with a password; save it "
                                         "without a password first");
  }
}

TEST_F(XlsFileTest, DamagedSheetsFailWhenReadAndAreNeverWritten) {
  std::string cells;
  // A text cell that refers to a shared string the workbook lacks.
  std::string missing_string(4, '\0');
  xls::Set32(missing_string, 0, 5);
  WriteCompound(dir_.Path("sst.xls"), "Workbook",
                CraftStream("", Rec(xls::kLabelSst, CellData(0, 0, missing_string))));
  // Blank cells in the last column of every row: a few records that would
  // spread over the whole sheet.
  for (std::uint16_t row = 0; row < 20000; ++row)
    cells += Rec(xls::kBlank, CellData(row, 0xFFFF, ""));
  WriteCompound(dir_.Path("spread.xls"), "Workbook", CraftStream("", cells));
  // A row record too short to read.
  WriteCompound(dir_.Path("row.xls"), "Workbook", CraftStream("", Rec(xls::kRow, "\1")));
  for (const char* name : {"sst.xls", "spread.xls", "row.xls"}) {
    auto file = OpenXlsFile(dir_.Path(name));
    ASSERT_EQ(file->SheetCount(), 1);
    EXPECT_EQ(file->SheetName(0), "S");
    EXPECT_THROW(file->Cells(0), WorkbookError) << name;
    EXPECT_THROW(file->SetText(0, 0, 0, "x"), WorkbookError) << name;
    EXPECT_FALSE(file->Modified());
  }
  // Writing past the sheet's edge, or a text too long for a cell, is refused.
  auto file = OpenXlsFile(book_);
  EXPECT_THROW(file->SetText(0, 65536, 0, "x"), WorkbookError);
  EXPECT_THROW(file->SetText(0, 0, 256, "x"), WorkbookError);
  EXPECT_THROW(file->SetText(0, 0, 0, std::string(32768, 'x')), WorkbookError);
  EXPECT_FALSE(file->Modified());
  EXPECT_THROW(file->SaveAs(dir_.Path("no-such-folder/out.xls")), WorkbookError);
  // A save creates its file, as a copy of the file read or as a new
  // container: a name that exists is refused, a link there is not followed.
  const std::string victim = dir_.Path("victim.xls");
  std::filesystem::copy_file(book_, victim);
  const std::string link = dir_.Path("link.xls");
  std::filesystem::create_symlink(victim, link);
  EXPECT_THROW(file->SaveAs(link), WorkbookError);
  file->SetText(0, 0, 0, "changed");
  EXPECT_THROW(file->SaveAs(link), WorkbookError);
  EXPECT_TRUE(ReadBytes(victim) == ReadBytes(book_)) << "written through the link";
  EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST_F(XlsFileTest, OnlyWorksheetsAreListedAndOtherSheetsAreCopied) {
  CraftedSheet chart{2, 0x0020, "Chart1", Rec(0x1002, std::string(16, '\7'))};
  CraftedSheet first{0, xls::kBofWorksheet, "First",
                     Rec(xls::kNumber, CellData(0, 0, std::string(8, '\0')))};
  CraftedSheet macro{1, xls::kBofMacroSheet, "Macro1", ""};
  CraftedSheet second{0, xls::kBofWorksheet, "Second", Rec(xls::kBlank, CellData(2, 2, ""))};
  const std::string path = dir_.Path("sheets.xls");
  WriteCompound(path, "Workbook", CraftStream("", {chart, first, macro, second}));
  auto file = OpenXlsFile(path);
  ASSERT_EQ(file->SheetCount(), 2);
  EXPECT_EQ(file->SheetName(0), "First");
  EXPECT_EQ(file->SheetName(1), "Second");
  file->SetText(0, 0, 1, std::string(300, 'w'));
  file->SetText(1, 2, 2, "over a blank");
  file->SaveAs(dir_.Path("saved.xls"));

  auto saved = OpenXlsFile(dir_.Path("saved.xls"));
  ASSERT_EQ(saved->SheetCount(), 2);
  EXPECT_EQ(saved->Cells(0).rows.at(0).at(0).kind, Cell::Kind::Number);
  EXPECT_EQ(saved->Cells(0).rows.at(0).at(1).text, std::string(300, 'w'));
  EXPECT_EQ(saved->Cells(1).rows.at(2).at(2).text, "over a blank");
  // The chart's substream went along unchanged.
  const std::string bytes = ReadBytes(dir_.Path("saved.xls"));
  EXPECT_NE(bytes.find(Rec(0x1002, std::string(16, '\7'))), std::string::npos);
}

TEST_F(XlsFileTest, OtherStreamsAndStoragesAreCopiedUnchanged) {
  std::mt19937 random(11);
  const auto noise = [&random](std::size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  };
  const Streams original{
      {"WORKBOOK", CraftStream("", Rec(xls::kBlank, CellData(0, 0, "")))},
      {"\005SummaryInformation", noise(300)},
      {"_VBA_PROJECT_CUR/PROJECT", noise(700)},
      {"_VBA_PROJECT_CUR/VBA/dir", noise(100000)},
      {"_VBA_PROJECT_CUR/VBA/_VBA_PROJECT", noise(7)},
  };
  const std::string path = dir_.Path("streams.xls");
  WriteCompound(path, original);
  auto file = OpenXlsFile(path);
  file->SetText(0, 0, 0, "changed");
  file->SaveAs(dir_.Path("saved.xls"));
  Streams saved = ReadCompound(dir_.Path("saved.xls"));
  ASSERT_EQ(saved.size(), original.size());
  ASSERT_TRUE(saved.count("WORKBOOK"));  // the name keeps its letter case
  EXPECT_NE(saved["WORKBOOK"], original.at("WORKBOOK"));
  saved.erase("WORKBOOK");
  Streams others = original;
  others.erase("WORKBOOK");
  EXPECT_EQ(saved, others);
  EXPECT_EQ(OpenXlsFile(dir_.Path("saved.xls"))->Cells(0).rows.at(0).at(0).text, "changed");
}

TEST_F(XlsFileTest, MutatedWorkbookStreamsFailCleanlyOrStayReadable) {
  const std::string stream = xls::XlsContainer(book_).WorkbookStream();
  std::mt19937 random(7);
  int read = 0;
  int refused = 0;
  for (int round = 0; round < 100; ++round) {
    std::string mutant = stream;
    if (round % 5 == 0) {
      mutant.resize(random() % mutant.size());
    } else {
      for (int k = 0; k < 1 + round % 7; ++k) {
        mutant[random() % mutant.size()] = static_cast<char>(random());
      }
    }
    const std::string path = dir_.Path("mutant.xls");
    WriteCompound(path, "Workbook", mutant);
    try {
      auto file = OpenXlsFile(path);
      for (int s = 0; s < file->SheetCount(); ++s) file->Cells(s);
      if (file->SheetCount() > 0) file->SetText(0, 1, 1, "x");
      const std::string saved = dir_.Path("mutant-saved-" + std::to_string(round) + ".xls");
      file->SaveAs(saved);
      // What was written reads back.
      auto again = OpenXlsFile(saved);
      ASSERT_EQ(again->SheetCount(), file->SheetCount());
      for (int s = 0; s < again->SheetCount(); ++s) {
        ASSERT_EQ(again->Cells(s).rows.size(), file->Cells(s).rows.size()) << round;
      }
      ++read;
    } catch (const WorkbookError&) {
      ++refused;
    }
  }
  EXPECT_EQ(read + refused, 100);
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace korvan
