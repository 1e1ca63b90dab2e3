#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xlsx_cell_ref.h"
#include "platform/workbook/xlsx_sheet_write.h"
#include "platform/workbook/xlsx_styles.h"
#include "platform/workbook/xlsx_text.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::TempDir;

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command; its standard output, or a failed test.
std::string RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) ADD_FAILURE() << "cannot run " << command;
  std::string out;
  char buffer[4096];
  while (pipe && !feof(pipe)) out.append(buffer, fread(buffer, 1, sizeof buffer, pipe));
  int status = pipe ? pclose(pipe) : -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << "\n" << out;
  return out;
}

std::string Fixture(const std::vector<std::string>& args) {
  std::string command = "/usr/bin/python3 " + Quoted(KORVAN_XLSX_FIXTURE);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return RunCommand(command);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const Cell& At(const SheetCells& cells, std::uint32_t row, std::uint32_t col) {
  static const Cell kEmpty;
  if (row >= cells.rows.size() || col >= cells.rows[row].size()) return kEmpty;
  return cells.rows[row][col];
}

// The message of the WorkbookError that `action` throws ("" if none).
template <typename Action>
std::string FailureOf(Action&& action) {
  try {
    action();
  } catch (const WorkbookError& error) {
    return error.what();
  }
  return "";
}

class XlsxFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    made_ = dir_.Path("made.xlsx");
    Fixture({"make", made_});
  }

  TempDir dir_;
  std::string made_;
};

TEST_F(XlsxFileTest, ReadsWorksheetsAndCellsOfAWorkbookMadeByOpenpyxl) {
  std::unique_ptr<WorkbookFile> book = OpenXlsxFile(made_);
  ASSERT_EQ(book->SheetCount(), 3);  // the chart sheet is no worksheet
  EXPECT_EQ(book->SheetName(0), "百度.com");
  EXPECT_EQ(book->SheetName(1), "sina.com.cn");
  EXPECT_EQ(book->SheetName(2), "empty");

  const SheetCells& cells = book->Cells(0);
  ASSERT_EQ(cells.rows.size(), 3u);
  EXPECT_EQ(At(cells, 0, 0).text, "日期");
  EXPECT_EQ(At(cells, 0, 4).text, "手机-1-50");
  EXPECT_EQ(At(cells, 0, 5).text, "共享");       // shared string
  EXPECT_EQ(At(cells, 0, 6).text, "rich text");  // runs joined, phonetic run left out
  EXPECT_EQ(At(cells, 2, 4).kind, Cell::Kind::Text);
  EXPECT_EQ(At(cells, 2, 4).text, "  ");  // whitespace-only text survives
  EXPECT_EQ(At(cells, 0, 7).text, "合并");
  EXPECT_EQ(At(cells, 0, 8).kind, Cell::Kind::Empty);  // covered by the merge
  EXPECT_EQ(At(cells, 2, 7).text, "a\r\nb");

  const Cell& custom_date = At(cells, 1, 0);  // "yyyy/mm/dd"
  EXPECT_EQ(custom_date.kind, Cell::Kind::Number);
  EXPECT_TRUE(custom_date.is_date);
  EXPECT_EQ(custom_date.number, 45356);  // 2024-03-05
  EXPECT_TRUE(At(cells, 2, 0).is_date);  // built-in format 14
  EXPECT_EQ(At(cells, 2, 0).number, 45357);
  EXPECT_EQ(At(cells, 1, 3).number, 3);
  EXPECT_FALSE(At(cells, 1, 3).is_date);
  EXPECT_EQ(At(cells, 2, 3).number, 2.5);
  EXPECT_EQ(At(cells, 1, 1).text, "08:30:00");

  const Cell& formula = At(cells, 1, 5);
  EXPECT_TRUE(formula.is_formula);
  EXPECT_EQ(formula.kind, Cell::Kind::Number);
  EXPECT_EQ(formula.number, 6);
  EXPECT_TRUE(At(cells, 2, 6).is_formula);  // one cell of a shared formula
  EXPECT_EQ(At(cells, 2, 6).number, 3.5);
  EXPECT_FALSE(At(cells, 1, 3).is_formula);
  EXPECT_EQ(At(cells, 2, 8).kind, Cell::Kind::Empty);  // a formula never calculated

  EXPECT_EQ(At(book->Cells(1), 1, 3).text, "1,7");
  const SheetCells& sparse = book->Cells(2);
  ASSERT_EQ(sparse.rows.size(), 5u);
  EXPECT_EQ(At(sparse, 4, 2).number, 1e-7);
  EXPECT_FALSE(book->Modified());
}

TEST_F(XlsxFileTest, SavedTextsReadBackByOpenpyxlWithEverythingElseIntact) {
  const std::string saved = dir_.Path("saved.xlsx");
  {
    std::unique_ptr<WorkbookFile> book = OpenXlsxFile(made_);
    book->SetText(0, 1, 3, "5");           // a number becomes text
    book->SetText(0, 1, 4, "1,2");         // an existing text
    book->SetText(0, 0, 6, "新-2-10");     // a bold header cell keeps its format
    book->SetText(0, 1, 9, "J列");         // a new cell right of the last one
    book->SetText(0, 3, 0, "2024/03/07");  // a new row below the last
    book->SetText(0, 3, 2, "a\r\nb");
    book->SetText(0, 3, 3, "_x0041_ ");
    book->SetText(0, 3, 1, "08:00:00");
    book->SetText(0, 3, 1, "09:15:00");  // the last text set wins
    EXPECT_TRUE(book->Modified());
    EXPECT_EQ(At(book->Cells(0), 3, 1).text, "09:15:00");
    book->SaveAs(saved);
    EXPECT_FALSE(book->Modified());
  }

  std::set<std::string> expected;
  for (const std::string& line : Lines(Fixture({"dump", made_}))) {
    if (line.rfind("百度.com!D2 ", 0) == 0 || line.rfind("百度.com!E2 ", 0) == 0 ||
        line == "百度.com!G1 str 'rich text'") {
      continue;
    }
    expected.insert(line);
  }
  for (const char* line :
       {"百度.com!D2 str '5'", "百度.com!E2 str '1,2'", "百度.com!G1 str '新-2-10'",
        "百度.com!J2 str 'J列'", "百度.com!A4 str '2024/03/07'", "百度.com!B4 str '09:15:00'",
        // openpyxl leaves the escapes of inline strings as they are written.
        "百度.com!C4 str 'a_x000D_\\nb'", "百度.com!D4 str '_x005F_x0041_ '"}) {
    expected.insert(line);
  }
  std::vector<std::string> dumped = Lines(Fixture({"dump", saved}));
  std::set<std::string> got(dumped.begin(), dumped.end());
  for (const std::string& line : expected) EXPECT_TRUE(got.count(line)) << "missing: " << line;
  for (const std::string& line : got) EXPECT_TRUE(expected.count(line)) << "unexpected: " << line;

  // Only the changed worksheet was written again; every other entry is the
  // same compressed bytes.
  std::vector<std::string> before = Lines(Fixture({"entries", made_}));
  std::vector<std::string> after = Lines(Fixture({"entries", saved}));
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i].rfind("xl/worksheets/sheet1.xml ", 0) == 0) {
      EXPECT_NE(before[i], after[i]);
    } else {
      EXPECT_EQ(before[i], after[i]);
    }
  }

  std::string xml = Fixture({"part", saved, "xl/worksheets/sheet1.xml"});
  EXPECT_NE(xml.find("<dimension ref=\"A1:J4\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<c r=\"J2\" t=\"inlineStr\"><is><t xml:space=\"preserve\">J列</t></is></c>"),
            std::string::npos);
  EXPECT_NE(xml.find("<c r=\"G1\" s=\"1\" t=\"inlineStr\">"), std::string::npos);
  EXPECT_NE(xml.find("a_x000D_\nb"), std::string::npos);
  EXPECT_NE(xml.find("<row r=\"4\"><c r=\"A4\""), std::string::npos);

  // And this component reads its own file back the same way.
  std::unique_ptr<WorkbookFile> again = OpenXlsxFile(saved);
  EXPECT_EQ(At(again->Cells(0), 3, 2).text, "a\r\nb");
  EXPECT_EQ(At(again->Cells(0), 3, 3).text, "_x0041_ ");
  EXPECT_EQ(At(again->Cells(0), 1, 3).kind, Cell::Kind::Text);
  EXPECT_EQ(At(again->Cells(0), 1, 5).number, 6);
}

TEST_F(XlsxFileTest, OverwritingAFormulaDropsTheCalculationChain) {
  const std::string kept = dir_.Path("kept.xlsx");
  const std::string saved = dir_.Path("saved.xlsx");
  const std::string again_saved = dir_.Path("again.xlsx");
  {
    std::unique_ptr<WorkbookFile> book = OpenXlsxFile(made_);
    book->SetText(0, 1, 1, "10:00:00");
    book->SaveAs(dir_.Path("first.xlsx"));
    // A caller renames the saved file over the workbook; the next save
    // starts from what was saved.
    std::filesystem::rename(dir_.Path("first.xlsx"), kept);
    book->SetText(0, 1, 6, "?");  // the master cell of the shared formula
    // A save that fails on the way leaves nothing half done for the next.
    EXPECT_THROW(book->SaveAs(dir_.Path("no-such-folder/out.xlsx")), WorkbookError);
    book->SaveAs(saved);
    book->SaveAs(again_saved);  // nothing changed since: the same entries
  }
  EXPECT_EQ(Fixture({"entries", saved}), Fixture({"entries", again_saved}));
  EXPECT_NE(Fixture({"entries", kept}).find("xl/calcChain.xml"), std::string::npos);

  EXPECT_EQ(Fixture({"entries", saved}).find("calcChain"), std::string::npos);
  EXPECT_EQ(Fixture({"part", saved, "xl/_rels/workbook.xml.rels"}).find("calcChain"),
            std::string::npos);
  std::string types = Fixture({"part", saved, "[Content_Types].xml"});
  EXPECT_EQ(types.find("calcChain"), std::string::npos);
  EXPECT_NE(types.find("/xl/sharedStrings.xml"), std::string::npos);

  // The cell that shared the overwritten formula keeps its value; the
  // earlier save's change is in this file too.
  std::string dumped = Fixture({"dump", saved});
  EXPECT_NE(dumped.find("百度.com!G3 float 3.5\n"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("百度.com!G2 str '?'\n"), std::string::npos);
  EXPECT_NE(dumped.find("百度.com!B2 str '10:00:00'\n"), std::string::npos);
  EXPECT_NE(dumped.find("百度.com!F3 str '=D3*2'\n"), std::string::npos);
  std::unique_ptr<WorkbookFile> again = OpenXlsxFile(saved);
  EXPECT_FALSE(At(again->Cells(0), 2, 6).is_formula);
  EXPECT_EQ(At(again->Cells(0), 2, 6).number, 3.5);
}

TEST_F(XlsxFileTest, LibreOfficeReadsTheSavedWorkbook) {
  const std::string saved = dir_.Path("saved.xlsx");
  {
    std::unique_ptr<WorkbookFile> book = OpenXlsxFile(made_);
    book->SetText(0, 3, 0, "2024/03/07");
    book->SetText(0, 3, 2, "360");
    book->SetText(0, 3, 4, "4,9");
    book->SetText(0, 3, 5, "a\r\nb_x0041_");
    book->SetText(0, 1, 4, "1");
    book->SaveAs(saved);
  }
  RunCommand("timeout 240 soffice -env:UserInstallation=file://" + Quoted(dir_.Path("profile")) +
             " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " +
             Quoted(dir_.Path("csv")) + " " + Quoted(saved) + " >/dev/null 2>&1");
  std::string csv = FileBytes(dir_.Path("csv/saved.csv"));
  // LibreOffice decodes the escapes (and keeps the line break, not the CR);
  // it calculates the formula that was written without a value.
  EXPECT_EQ(csv,
            "日期,时间,搜索引擎,关键字,手机-1-50,共享,rich text,合并,\n"
            "2024/03/05,08:30:00,Baidu,3,1,6,4,,\n"
            "3/6/2024,09:00:00,Google,2.5,  ,5,3.5,\"a\nb\",\"a\nb\"\n"
            "2024/03/07,,360,,\"4,9\",\"a\nb_x0041_\",,,\n");
}

TEST_F(XlsxFileTest, DamagedAndHostileFilesAreCleanFailures) {
  const std::string bytes = FileBytes(made_);
  auto open_fails = [&](const std::string& path, const std::string& reason) {
    std::string message = FailureOf([&] {
      std::unique_ptr<WorkbookFile> book = OpenXlsxFile(path);
      for (int i = 0; i < book->SheetCount(); ++i) book->Cells(i);
    });
    EXPECT_NE(message.find(path), std::string::npos) << path << ": " << message;
    EXPECT_NE(message.find(reason), std::string::npos) << path << ": " << message;
  };
  open_fails(dir_.Path("none.xlsx"), "no such file or directory");
  open_fails(dir_.Path(""), "not a file");
  open_fails(dir_.Write("empty.xlsx", ""), "no zip archive");
  for (std::size_t size : {std::size_t{30}, bytes.size() / 2, bytes.size() - 30}) {
    open_fails(dir_.Write("cut.xlsx", bytes.substr(0, size)), "");
  }
  std::mt19937 random(7);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  open_fails(dir_.Write("noise.xlsx", noise), "no zip archive");
  open_fails(dir_.Write("pk.xlsx", "PK\x03\x04" + noise), "");
  // Flipped bytes inside the compressed data of the entries.
  std::string flipped = bytes;
  for (std::size_t i = 200; i < flipped.size() - 2000; i += 97) flipped[i] = ~flipped[i];
  open_fails(dir_.Write("flipped.xlsx", flipped), "");

  const std::string sheet = "xl/worksheets/sheet1.xml";
  auto patched = [&](const std::string& part, const std::string& old_text,
                     const std::string& new_text) {
    std::string path = dir_.Path("patched.xlsx");
    Fixture({"patch", made_, path, part, old_text, new_text});
    return path;
  };
  open_fails(patched(sheet, "r=\"D2\"", "r=\"XFE2\""), "outside A1 to XFD1048576");
  open_fails(patched(sheet, "<row r=\"3\">", "<row r=\"1048577\">"), "outside 1 to 1048576");
  open_fails(patched(sheet, "r=\"D2\"", "r=\"D9\""), "cell D9 in row 2");
  open_fails(patched(sheet, "<v>1</v>", "<v>99</v>"), "shared string \"99\" does not exist");
  open_fails(patched(sheet, "<v>3</v>", "<v>3x</v>"), "\"3x\" is not a number");
  open_fails(patched(sheet, "</sheetData>", "</sheetDat>"), "damaged XML");
  std::string no_sheet = dir_.Path("no_sheet.xlsx");
  Fixture({"drop", made_, no_sheet, "xl/worksheets/sheet2.xml"});
  open_fails(no_sheet, "the part of sheet sina.com.cn is missing");
  std::string no_book = dir_.Path("no_book.xlsx");
  Fixture({"drop", made_, no_book, "xl/workbook.xml"});
  open_fails(no_book, "no workbook part");
  // Two parts of one name: readable, but libzip would refuse to write them.
  std::string twice = dir_.Path("twice.xlsx");
  Fixture({"twice", made_, twice, "xl/styles.xml"});
  open_fails(twice, "the package holds two parts named xl/styles.xml");
  try {
    OpenXlsxFile(twice);
  } catch (const WorkbookError& e) {
    EXPECT_EQ(e.Kind(), WorkbookFailure::kDuplicatePart);
  }
  std::string bomb = dir_.Path("bomb.xlsx");
  Fixture({"bomb", made_, bomb, sheet, "201"});
  open_fails(bomb, "inflates to more than 200 MiB");
  Fixture({"bomb", made_, bomb, sheet, "17", "<"});  // small, but too dense to parse
  open_fails(bomb, "too large to read");

  // A cell at XFD1048576 is still a cell, the last one.
  std::unique_ptr<WorkbookFile> far =
      OpenXlsxFile(patched("xl/worksheets/sheet3.xml", "r=\"C5\"", "r=\"XFD5\""));
  EXPECT_EQ(At(far->Cells(2), 4, kXlsxMaxCols - 1).number, 1e-7);

  std::unique_ptr<WorkbookFile> book = OpenXlsxFile(made_);
  EXPECT_NE(FailureOf([&] { book->SetText(0, kXlsxMaxRows, 0, "x"); }).find("XFD1048576"),
            std::string::npos);
  EXPECT_NE(FailureOf([&] { book->SetText(0, 1, 1, "\xC3"); }).find("not valid UTF-8"),
            std::string::npos);
  EXPECT_NE(FailureOf([&] {
              book->SetText(0, 1, 1, std::string(32768, 'x'));
            }).find("longer than a cell holds"),
            std::string::npos);
  EXPECT_NE(FailureOf([&] { book->Cells(3); }).find("no sheet number 3"), std::string::npos);
  EXPECT_FALSE(book->Modified());
  std::string nowhere = dir_.Path("no/such/folder/out.xlsx");
  EXPECT_NE(FailureOf([&] { book->SaveAs(nowhere); }).find("cannot write " + nowhere),
            std::string::npos);
  // A save creates its file: a name that exists is refused, a link there is
  // not followed.
  const std::string victim = dir_.Write("victim.txt", "mine");
  const std::string link = dir_.Path("link.xlsx");
  std::filesystem::create_symlink(victim, link);
  EXPECT_NE(FailureOf([&] { book->SaveAs(link); }).find("File exists"), std::string::npos);
  EXPECT_TRUE(FileBytes(victim) == "mine") << "written through the link";
  EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST_F(XlsxFileTest, DatesOfThe1904SystemReadAsDaysFrom1899) {
  std::string path = dir_.Path("1904.xlsx");
  Fixture(
      {"patch", made_, path, "xl/workbook.xml", "<workbookPr/>", "<workbookPr date1904=\"1\"/>"});
  std::unique_ptr<WorkbookFile> book = OpenXlsxFile(path);
  EXPECT_EQ(At(book->Cells(0), 1, 0).number, 45356 + 1462);
  EXPECT_EQ(At(book->Cells(0), 1, 3).number, 3);  // a plain number is not moved
}

TEST(XlsxSheetWriteTest, RowsAndCellsComeOutInOrderWithoutDuplicates) {
  const std::string where = "test.xlsx, sheet S";
  // Rows out of order and repeated, cells without references, a stale
  // dimension and spans.
  XlsxXmlPart sheet(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
      "<x:worksheet xmlns:x=\"urn:main\"><x:dimension ref=\"A1\"/><x:sheetData>"
      "<x:row r=\"5\" spans=\"1:2\"><x:c><x:v>1</x:v></x:c><x:c s=\"2\"><x:v>2</x:v></x:c></x:row>"
      "<x:row r=\"2\"><x:c r=\"C2\"><x:v>3</x:v></x:c><x:c r=\"A2\"><x:v>4</x:v></x:c></x:row>"
      "<x:row r=\"5\"><x:c r=\"A5\" t=\"b\"><x:v>1</x:v></x:c></x:row>"
      "</x:sheetData></x:worksheet>",
      where);
  XlsxSheetRewrite rewrite =
      RewriteXlsxSheet(sheet, {{{4, 1}, "b"}, {{6, 3}, " "}, {{1, 1}, "<&>"}}, where);
  EXPECT_EQ(rewrite.xml,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<x:worksheet xmlns:x=\"urn:main\"><x:dimension ref=\"A2:D7\"/><x:sheetData>"
            "<x:row r=\"2\"><x:c r=\"A2\"><x:v>4</x:v></x:c>"
            "<x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t xml:space=\"preserve\">&lt;&amp;&gt;</x:t>"
            "</x:is></x:c><x:c r=\"C2\"><x:v>3</x:v></x:c></x:row>"
            "<x:row r=\"5\"><x:c r=\"A5\" t=\"b\"><x:v>1</x:v></x:c>"
            "<x:c r=\"B5\" s=\"2\" t=\"inlineStr\"><x:is><x:t xml:space=\"preserve\">b</x:t>"
            "</x:is></x:c></x:row>"
            "<x:row r=\"7\"><x:c r=\"D7\" t=\"inlineStr\"><x:is><x:t xml:space=\"preserve\"> "
            "</x:t></x:is></x:c></x:row>"
            "</x:sheetData></x:worksheet>");
  EXPECT_FALSE(rewrite.formula_overwritten);

  // Rows in order, the cells of one of them not, and a row's extension
  // element before its cells.
  XlsxXmlPart ordered_rows(
      "<worksheet><sheetData><row r=\"1\"><c r=\"B1\"><v>1</v></c></row>"
      "<row r=\"2\"><c r=\"E2\"><v>2</v></c><c r=\"A2\"><v>3</v></c><c r=\"E2\"><v>4</v></c></row>"
      "<row r=\"3\"><extLst/><c r=\"C3\"><v>5</v></c></row></sheetData></worksheet>",
      where);
  EXPECT_EQ(RewriteXlsxSheet(ordered_rows, {{{2, 3}, "d"}}, where).xml,
            "<worksheet><dimension ref=\"A1:E3\"/><sheetData><row r=\"1\"><c r=\"B1\"><v>1</v></c>"
            "</row><row r=\"2\"><c r=\"A2\"><v>3</v></c><c r=\"E2\"><v>4</v></c></row>"
            "<row r=\"3\"><c r=\"C3\"><v>5</v></c><c r=\"D3\" t=\"inlineStr\"><is>"
            "<t xml:space=\"preserve\">d</t></is></c><extLst/></row></sheetData></worksheet>");
}

TEST(XlsxSheetWriteTest, ManyRepeatedRowsAreMergedInLinearTime) {
  const std::string where = "test.xlsx, sheet S";
  std::string xml = "<worksheet><sheetData>";
  for (int i = 0; i < 200000; ++i) {
    xml += "<row r=\"1\"><c r=\"" + XlsxCellName(0, i % 3) + "\"><v>" + std::to_string(i) +
           "</v></c></row>";
  }
  xml += "</sheetData></worksheet>";
  XlsxXmlPart sheet(std::move(xml), where);
  XlsxSheetRewrite rewrite = RewriteXlsxSheet(sheet, {{{0, 3}, "x"}}, where);
  EXPECT_EQ(rewrite.xml,
            "<worksheet><dimension ref=\"A1:D1\"/><sheetData><row r=\"1\"><c r=\"A1\"><v>199998</v>"
            "</c><c r=\"B1\"><v>199999</v></c><c r=\"C1\"><v>199997</v></c><c r=\"D1\" "
            "t=\"inlineStr\"><is><t xml:space=\"preserve\">x</t></is></c></row></sheetData>"
            "</worksheet>");
}

TEST(XlsxFormatTest, CellReferencesDateCodesAndEscapes) {
  ASSERT_TRUE(ParseXlsxCellRef("XFD1048576"));
  EXPECT_EQ(ParseXlsxCellRef("XFD1048576")->col, kXlsxMaxCols - 1);
  EXPECT_EQ(ParseXlsxCellRef("ab12")->col, 27u);
  EXPECT_EQ(ParseXlsxCellRef("AB12")->row, 11u);
  for (const char* bad : {"XFE1", "A1048577", "A0", "1", "A", "AAAA1", "A1B", "A-1", ""}) {
    EXPECT_FALSE(ParseXlsxCellRef(bad)) << bad;
  }
  EXPECT_EQ(XlsxCellName(0, 0), "A1");
  EXPECT_EQ(XlsxCellName(9, 25), "Z10");
  EXPECT_EQ(XlsxCellName(0, 26), "AA1");
  EXPECT_EQ(XlsxCellName(kXlsxMaxRows - 1, kXlsxMaxCols - 1), "XFD1048576");

  for (const char* date :
       {"yyyy/mm/dd", "d-mmm", "[$-804]yyyy\"年\"m\"月\"", "h:mm", "[h]:mm:ss"}) {
    EXPECT_TRUE(IsXlsxDateFormatCode(date)) << date;
  }
  for (const char* other : {"General", "0.00", "#,##0;[Red]-#,##0", "0\" days\"", "0\\d",
                            "[Color10]0", "_-* #,##0_-", "\"unterminated d"}) {
    EXPECT_FALSE(IsXlsxDateFormatCode(other)) << other;
  }
  EXPECT_TRUE(IsXlsxBuiltinDateFormat(14));
  EXPECT_TRUE(IsXlsxBuiltinDateFormat(58));
  EXPECT_FALSE(IsXlsxBuiltinDateFormat(23));
  EXPECT_FALSE(IsXlsxBuiltinDateFormat(49));

  EXPECT_EQ(EncodeXlsxEscapes("a\rb\x01\t\n_x0041_ _x12_"),
            "a_x000D_b_x0001_\t\n_x005F_x0041_ _x12_");
  EXPECT_EQ(EncodeXlsxEscapes("\xEF\xBF\xBF."), "_xFFFF_.");
  for (std::string text : {"a\rb\x01\t\n_x0041_ _x12_", "百度_x000d_", "\xEF\xBF\xBE"}) {
    EXPECT_EQ(DecodeXlsxEscapes(EncodeXlsxEscapes(text)), text);
  }
  EXPECT_EQ(DecodeXlsxEscapes("_xD83D__xDE00_"), "\xF0\x9F\x98\x80");  // a surrogate pair
  EXPECT_EQ(DecodeXlsxEscapes("_xD83D_x"), "_xD83D_x");                // a lone surrogate
  EXPECT_EQ(DecodeXlsxEscapes("_x00e9_"), "\xC3\xA9");
}

}  // namespace
}  // namespace korvan
