#include "app/end_menu.h"

#include <chrono>
#include <thread>

#include "app/banner.h"
#include "app/version.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/console_output.h"
#include "query/esc_key_thread.h"

namespace korvan {

namespace {

constexpr auto kKeyRetry = std::chrono::milliseconds(5);

}  // namespace

void PrintEndScreen(std::int32_t section_count) {
  if (!Engines.empty() &&
      static_cast<std::int64_t>(section_count) < static_cast<std::int64_t>(Engines.size())) {
    std::string line = Cp936Text("本工具可以支持 ");
    for (std::size_t i = 0; i < Engines.size(); ++i) {
      if (i > 0) line += Cp936Text("、");
      line += Engines[i].Name;
    }
    PrintLine(line + Cp936Text(" 的搜索引擎，只需在配置文件中写入相应内容即可使用！"));
    PrintLine("");
  }
  PrintBanner();
  PrintLine("");
  if (!NoticeText.empty()) {
    PrintLine(NoticeText);
    PrintLine("");
  }
  if (IsNewerVersion(ProgramVersion, LatestVersion)) {
    PrintLine(Cp936Text("软件版本已经升级，请及时下载更新！"));
    PrintLine("");
  }
  PrintLine(Cp936Text(" 0 : 退出并访问     ") + MenuText0);
  PrintLine(Cp936Text(" 1 : 直接退出       ") + MenuText1);
  PrintLine(Cp936Text(" 2 : 失败重查"));
  PrintLine(Cp936Text(" 3 : 全部重查"));
}

int MenuChoiceOfKey(std::uint16_t code) {
  if (code >= 0x30 && code <= 0x33) return code - 0x30;
  if (code >= 0x60 && code <= 0x63) return code - 0x60;
  return -1;
}

int ReadMenuChoice() {
  // A watcher of the last sheet may still wait for a key; it ends within a
  // slice of StopFlag, and the menu must get the user's key, not it.
  TEscKeyThread::WaitUntilNoneRunning();
  while (true) {
    const KeyRead key = ReadKey(-1);
    if (key.status == KeyRead::kEnd) return mcExit;
    if (key.status == KeyRead::kKey && key.code != 0) {
      const int choice = MenuChoiceOfKey(key.code);
      if (choice >= 0) return choice;
      PrintLine(Cp936Text("请按照提示输入！"));
    }
    std::this_thread::sleep_for(kKeyRetry);
  }
}

int ShowEndScreen(std::int32_t section_count) {
  // The menu is printed only once no watcher reads the console, so that a
  // key typed as soon as the menu shows goes to the menu.
  TEscKeyThread::WaitUntilNoneRunning();
  PrintEndScreen(section_count);
  return ReadMenuChoice();
}

}  // namespace korvan
