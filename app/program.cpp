#include "app/program.h"

#include <exception>
#include <memory>
#include <string>

#include "app/banner.h"
#include "app/end_menu.h"
#include "app/keyword_workbook.h"
#include "app/process_exit.h"
#include "app/query_run.h"
#include "app/settings.h"
#include "app/workbook_messages.h"
#include "app/workers.h"
#include "engines/run_globals.h"
#include "engines/run_params.h"
#include "platform/browser_client.h"
#include "platform/codepage.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/http_client.h"
#include "platform/open_page.h"
#include "query/esc_key_thread.h"

namespace korvan {

namespace {

// Waits for Enter on the console; goes on at once when input has ended.
void WaitForEnterKey() {
  KeyInput* input = ConsoleInput.load(std::memory_order_acquire);
  if (input != nullptr) WaitForEnter(*input);
}

[[noreturn]] void StartupFailed(const char* what) {
  PrintLine(Cp936Text("程序启动失败 【") + Utf8ToCp936(what) + Cp936Text("】 ，程序退出..."));
  EndProcess(1);
}

// Start-up steps up to the settings; returns the workbook path and the
// settings section count minus one, or ends the program.
void LoadStartup(std::string& workbook_path, std::int32_t& section_count) {
  try {
    RemoveStaleBrowserProfiles();  // left by a korvan that was killed
    HttpGlobalInit();
    PrintLine(Cp936Text("正在联网获取运行参数..."));
    switch (LoadRunParams()) {
      case psLocalCopy:
        PrintLine(Cp936Text("使用本地运行参数文件 【运行参数.txt】 ..."));
        break;
      case psBuiltIn:
        PrintLine(Cp936Text("没有可用的运行参数，使用内置的搜索引擎..."));
        break;
      case psParamPage:
        break;
    }
    PrintLine(Cp936Text("正在载入本地设置..."));
    if (!LoadSettings(workbook_path, section_count)) {
      PrintLine(Cp936Text("Excel文件不存在，请检查！按Enter键退出程序..."));
      WaitForEnterKey();
      EndProcess(0);
    }
  } catch (const std::exception& e) {
    StartupFailed(e.what());
  } catch (...) {
    StartupFailed("unknown error");
  }
}

// The workbook objects of the execution; released in the order that the
// exits require.
struct Workbook {
  std::unique_ptr<WorkbookConnection> connection = std::make_unique<WorkbookConnection>();
  std::unique_ptr<TRunTable> table;
  std::unique_ptr<TStringList> sheet_names;
};

// Menu choices 0 and 1: the workbook closed (every sheet was saved when it
// ended, so nothing is written here), the lists freed.
[[noreturn]] void EndNormally(Workbook& workbook) {
  workbook.table.reset();
  workbook.sheet_names.reset();
  workbook.connection->Close();
  workbook.connection.reset();
  FreeEngineLists();
  EndProcess(0);
}

// The failure exit: workers of the current sheet are told to stop, the
// table and the sheet list go, the reason is shown, and after Enter the
// connection.
[[noreturn]] void EndAfterFailure(Workbook& workbook, const std::exception& failure) {
  StopFlag.store(true, std::memory_order_release);
  workbook.table.reset();  // closes the table; never throws
  workbook.sheet_names.reset();
  TEscKeyThread::WaitUntilNoneRunning();  // Enter must reach this wait
  PrintLine(WorkbookFailureLine(failure));
  PrintLine(Cp936Text("Excel文件打开失败！按Enter键退出..."));
  WaitForEnterKey();
  try {
    if (workbook.connection) workbook.connection->Close();
  } catch (const std::exception&) {
    // Already reported as the failure above.
  }
  workbook.connection.reset();
  FreeEngineLists();
  EndProcess(0);
}

}  // namespace

void ProgramMain() {
  PrintLine("");
  PrintBanner();
  PrintLine("");
  ConsoleInput.store(OpenConsoleInput(), std::memory_order_release);
  bool skip_filled = true;

  std::string workbook_path;
  std::int32_t section_count = -1;
  LoadStartup(workbook_path, section_count);

  Workbook workbook;
  workbook.connection->SetSavedBesideReporter(PrintSavedBeside);
  try {
    workbook.connection->Open(WorkbookConnectionString(workbook_path));
    workbook.sheet_names = std::make_unique<TStringList>();
    ReadSheetNames(*workbook.connection, *workbook.sheet_names);
    workbook.table = std::make_unique<TRunTable>(*workbook.connection);
    while (true) {
      RunSheets(*workbook.table, *workbook.sheet_names, skip_filled);
      skip_filled = true;
      const int choice = ShowEndScreen(section_count);
      if (choice == mcOpenAndExit) OpenPage(ExitUrl);
      if (choice == mcOpenAndExit || choice == mcExit) EndNormally(workbook);
      if (choice == mcAllAgain) skip_filled = false;
    }
  } catch (const std::exception& e) {
    EndAfterFailure(workbook, e);
  }
}

}  // namespace korvan
