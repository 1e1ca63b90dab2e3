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

// Screen texts, code page 936.
struct Texts {
  std::string supported_head = Utf8ToCp936("本工具可以支持 ");
  std::string name_separator = Utf8ToCp936("、");
  std::string supported_tail = Utf8ToCp936(" 的搜索引擎，只需在配置文件中写入相应内容即可使用！");
  std::string upgraded = Utf8ToCp936("软件版本已经升级，请及时下载更新！");
  std::string menu0 = Utf8ToCp936(" 0 : 退出并访问     ");
  std::string menu1 = Utf8ToCp936(" 1 : 直接退出       ");
  std::string menu2 = Utf8ToCp936(" 2 : 失败重查");
  std::string menu3 = Utf8ToCp936(" 3 : 全部重查");
  std::string wrong_key = Utf8ToCp936("请按照提示输入！");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

constexpr auto kKeyRetry = std::chrono::milliseconds(5);

}  // namespace

void PrintEndScreen(std::int32_t section_count) {
  const Texts& t = T();
  if (!Engines.empty() &&
      static_cast<std::int64_t>(section_count) < static_cast<std::int64_t>(Engines.size())) {
    std::string line = t.supported_head;
    for (std::size_t i = 0; i < Engines.size(); ++i) {
      if (i > 0) line += t.name_separator;
      line += Engines[i].Name;
    }
    PrintLine(line + t.supported_tail);
    PrintLine("");
  }
  PrintBanner();
  PrintLine("");
  if (!NoticeText.empty()) {
    PrintLine(NoticeText);
    PrintLine("");
  }
  if (IsNewerVersion(ProgramVersion, LatestVersion)) {
    PrintLine(t.upgraded);
    PrintLine("");
  }
  PrintLine(t.menu0 + MenuText0);
  PrintLine(t.menu1 + MenuText1);
  PrintLine(t.menu2);
  PrintLine(t.menu3);
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
      PrintLine(T().wrong_key);
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
