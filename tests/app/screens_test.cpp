#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/end_menu.h"
#include "app/run_summary.h"
#include "app/version.h"
#include "app/workers.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/console_input_script.h"
#include "platform/console_output.h"
#include "platform/workbook/workbook_table.h"

namespace korvan {
namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) out.push_back(Cp936ToUtf8(line));
  return out;
}

// Console lines recorded, the run texts and engines reset, keys scripted.
class ScreensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetConsoleSink(&console_);
    ConsoleInput.store(&keys_);
    Engines.clear();
    for (std::string* text : {&ExitUrl, &LatestVersion, &MenuText0, &MenuText1, &NoticeText}) {
      text->clear();
    }
  }
  void TearDown() override {
    SetConsoleSink(previous_);
    ConsoleInput.store(nullptr);
    Engines.clear();
  }
  void AddEngines(std::initializer_list<const char*> names) {
    for (const char* name : names) Engines.emplace_back().Name = Utf8ToCp936(name);
  }
  std::vector<std::string> Lines() const { return Utf8(console_.Lines()); }

  RecordingConsole console_;
  ConsoleSink* previous_ = nullptr;
  ScriptedKeyInput keys_;
};

TEST(BannerTest, ThirteenFramedLinesOfSixtyThreeColumnsWithTheTitleSecond) {
  const auto& lines = BannerLines();
  ASSERT_EQ(lines.size(), 13u);
  for (const auto& line : lines) EXPECT_EQ(DisplayColumns(line), kBannerColumns) << line;
  const auto utf8 = Utf8(lines);
  EXPECT_EQ(utf8[0], "     ┏┓" + std::string(50, ' ') + "┏┓");
  EXPECT_EQ(utf8[12], "     ┗┛" + std::string(50, ' ') + "┗┛");
  std::string bar = "     ┃┣";
  for (int i = 0; i < 25; ++i) bar += "━";
  EXPECT_EQ(utf8[1], bar + "┫┃");
  EXPECT_EQ(utf8[11], utf8[1]);
  const std::string empty_row = "     ┃┃  ┃" + std::string(42, ' ') + "┃  ┃┃";
  EXPECT_EQ(utf8[4], empty_row);
  EXPECT_EQ(utf8[6], empty_row);
  EXPECT_NE(utf8[5].find("排名查询工具"), std::string::npos);
  EXPECT_NE(utf8[3].find(ProgramVersion), std::string::npos);
  // Centred: the odd blank goes right.
  EXPECT_EQ(Cp936ToUtf8(BannerTextRow("abc")),
            "     ┃┃  ┃" + std::string(19, ' ') + "abc" + std::string(20, ' ') + "┃  ┃┃");
  EXPECT_EQ(DisplayColumns(BannerTextRow(Utf8ToCp936("排名"))), kBannerColumns);
}

// Columns on a terminal that draws the box-drawing block (U+2500..U+257F)
// one column wide and CJK characters two.
int NarrowTerminalColumns(const std::string& utf8) {
  int columns = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      columns += 1;
      i += 1;
    } else {
      const auto next = static_cast<unsigned char>(utf8[i + 1]);
      columns += b == 0xE2 && (next == 0x94 || next == 0x95) ? 1 : 2;
      i += b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    }
  }
  return columns;
}

TEST(BannerTest, OnATerminalWithNarrowBoxCharactersTheFrameKeepsItsWidthAndCorners) {
  class NarrowConsole final : public ConsoleSink {
   public:
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
    void Flush() override {}
    bool DrawsBoxCharsNarrow() const override { return true; }
    std::vector<std::string> lines;
  } console;
  ConsoleSink* previous = SetConsoleSink(&console);
  PrintBanner();
  SetConsoleSink(previous);
  ASSERT_EQ(console.lines, NarrowBoxBannerLines());

  const auto utf8 = Utf8(NarrowBoxBannerLines());
  ASSERT_EQ(utf8.size(), 13u);
  for (const auto& line : utf8) EXPECT_EQ(NarrowTerminalColumns(line), kBannerColumns) << line;
  EXPECT_EQ(utf8[0], "     ┏━┓ " + std::string(50, ' ') + "┏━┓ ");
  std::string bar = "     ┃ ┣━";
  for (int i = 0; i < 50; ++i) bar += "━";
  EXPECT_EQ(utf8[1], bar + "┫ ┃ ");
  EXPECT_EQ(utf8[4], "     ┃ ┃   ┃ " + std::string(42, ' ') + "┃   ┃ ┃ ");
  // The title keeps its characters; only the frame is widened.
  EXPECT_NE(utf8[5].find("排名查询工具"), std::string::npos);
}

TEST(VersionTest, OnlyALaterWellFormedVersionCounts) {
  EXPECT_STREQ(ProgramVersion, "1.2.0.0");
  EXPECT_TRUE(IsNewerVersion("1.2.0.0", "1.2.0.1"));
  EXPECT_TRUE(IsNewerVersion("1.2.0.0", "2.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.2.0.0", " 1 . 3 . 0 . 0 "));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.2.0.0"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.1.9.9"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.2"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", ""));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.2.0.x"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.2.0.0.1"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "9.9.9.99999999999"));
  EXPECT_FALSE(IsNewerVersion("bad", "9.0.0.0"));
  // Components count modulo 256: 257 is 1, 256 is 0.
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "257.2.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.2.0.0", "1.2.0.257"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.258.0.0"));
  // Empty items are dropped before counting.
  EXPECT_TRUE(IsNewerVersion("1.2.0.0", "1..3.0.0"));
}

TEST_F(ScreensTest, EndScreenListsEnginesNoticeVersionAndMenu) {
  AddEngines({"A", "B", "C", "D"});
  NoticeText = Utf8ToCp936("通知\x1b[31m");
  LatestVersion = "1.2.0.1";
  MenuText0 = Utf8ToCp936("主页");
  MenuText1 = "bye";
  PrintEndScreen(2);  // fewer sections than engines
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u + 14u + 2u + 2u + 4u);
  EXPECT_EQ(lines[0],
            "本工具可以支持 A、B、C、D 的搜索引擎，只需在配置文件中写入相应内容即可使用！");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.begin() + 15), Utf8(BannerLines()));
  EXPECT_EQ(lines[15], "");
  EXPECT_EQ(lines[16], "通知?[31m");
  EXPECT_EQ(lines[17], "");
  EXPECT_EQ(lines[18], "软件版本已经升级，请及时下载更新！");
  EXPECT_EQ(lines[19], "");
  EXPECT_EQ(lines[20], " 0 : 退出并访问     主页");
  EXPECT_EQ(lines[21], " 1 : 直接退出       bye");
  EXPECT_EQ(lines[22], " 2 : 失败重查");
  EXPECT_EQ(lines[23], " 3 : 全部重查");
}

TEST_F(ScreensTest, EndScreenLeavesOutWhatIsNotThere) {
  AddEngines({"A", "B"});
  LatestVersion = "1.2.0.0";
  PrintEndScreen(2);  // a section per engine and "公共"
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 13u + 1u + 4u);
  EXPECT_EQ(lines[14], " 0 : 退出并访问     ");
  EXPECT_EQ(lines[15], " 1 : 直接退出       ");
  EXPECT_EQ(Utf8ToCp936(lines[14]).size(), 20u);
  EXPECT_EQ(Utf8ToCp936(lines[15]).size(), 20u);

  console_.Clear();
  Engines.clear();
  PrintEndScreen(-1);  // no engines: no supported-engines line
  EXPECT_EQ(Lines().size(), 18u);
}

TEST_F(ScreensTest, MenuTakesBothDigitRowsAndComplainsAboutOtherKeys) {
  for (int code = 0; code < 0x100; ++code) {
    const int expected = code >= 0x30 && code <= 0x33   ? code - 0x30
                         : code >= 0x60 && code <= 0x63 ? code - 0x60
                                                        : -1;
    EXPECT_EQ(MenuChoiceOfKey(static_cast<std::uint16_t>(code)), expected) << code;
  }
  keys_.Push(0x10);  // Shift
  keys_.Push(13);    // Enter
  keys_.Push(0);     // no key press
  keys_.Push(0x62);  // keypad 2
  EXPECT_EQ(ReadMenuChoice(), mcFailedAgain);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"请按照提示输入！", "请按照提示输入！"}));
  keys_.Push('3');
  EXPECT_EQ(ReadMenuChoice(), mcAllAgain);
  keys_.Push(0x60);
  EXPECT_EQ(ReadMenuChoice(), mcOpenAndExit);
  // Ended input: leave, never spin.
  keys_.Push('x');
  keys_.Close();
  EXPECT_EQ(ReadMenuChoice(), mcExit);
  EXPECT_EQ(Lines().size(), 3u);
}

TEST_F(ScreensTest, SummaryShowsFailuresByReasonStoppedEnginesAndElapsedTime) {
  TFailTally reasons;
  PrintRunSummary(0, reasons, {}, 15);
  reasons.Add(frVerification, 2);
  reasons.Add(frConnectTime);
  reasons.Add(frEngineStopped, 4);
  PrintRunSummary(7, reasons, {Utf8ToCp936("百度"), "360So"}, 4294967295u);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                "", "查询全部成功...", "", "查询完成，共计耗时 【15】 毫秒...", "", "",
                "共有 【7】 处关键字查询失败...",
                "其中 【1】 处：连接超时，请检查网络连接，或加大访问时限...",
                "其中 【2】 处：搜索引擎要求验证，请过一段时间再查询，或加大暂停时间...",
                "其中 【4】 处：搜索引擎已被停止，没有查询，请过一段时间再选择失败重查...",
                "本次查询中被停止的搜索引擎 【百度、360So】 ，请过一段时间再选择失败重查...", "",
                "查询完成，共计耗时 【4294967295】 毫秒...", ""}));
  EXPECT_EQ(WorkbookConnectionString("d:\\k w.xls"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=d:\\k w.xls;Extended "
            "Properties=Excel 8.0;Persist Security Info=False");
}

TEST_F(ScreensTest, WorkersDoneAndListsFreedOnlyForIdleEngines) {
  EXPECT_TRUE(AllWorkersDone());  // no engines
  AddEngines({"A", "B"});
  for (auto& engine : Engines) {
    engine.Keywords = std::make_unique<TStringList>();
    engine.Results = std::make_unique<TStringList>();
    engine.Done.store(true);
  }
  EXPECT_TRUE(AllWorkersDone());
  Engines[1].Done.store(false);
  EXPECT_FALSE(AllWorkersDone());
  FreeEngineLists();
  EXPECT_EQ(Engines[0].Keywords, nullptr);
  EXPECT_EQ(Engines[0].Results, nullptr);
  EXPECT_NE(Engines[1].Keywords, nullptr);  // its worker still owns them
  EXPECT_NE(Engines[1].Results, nullptr);
}

}  // namespace
}  // namespace korvan
