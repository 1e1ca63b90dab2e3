// The browser client on Windows, driving a stand-in for Chrome
// (fake_browser_win32.cpp): how the browser is found, started, given its
// pipe, bounded, replaced and ended with everything it started.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <gtest/gtest.h>
#include <shellapi.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/browser_client.h"
#include "platform/command_line_win32.h"
#include "platform/wide_text.h"

namespace korvan {
namespace {

namespace fs = std::filesystem;

std::string FakeBrowser() {
  std::string path = KORVAN_FAKE_BROWSER;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The profile folders of the korvan whose pid is `pid`.
int ProfilesOf(DWORD pid) {
  int count = 0;
  const std::string prefix = "korvan-browser-" + std::to_string(pid) + "-";
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
    if (Utf8OfPath(entry.path().filename()).rfind(prefix, 0) == 0) ++count;
  }
  return count;
}

int OwnProfiles() { return ProfilesOf(GetCurrentProcessId()); }

// True when the process `pid` ends within `ms` (or is already gone); one
// that does not is ended here, so that a failing test leaves nothing running.
bool EndsWithin(DWORD pid, DWORD ms) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (process == nullptr) return true;
  const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return ended;
}

DWORD HelperPid(const BrowserPage& page) {
  const std::size_t at = page.html.find("helper ");
  return at == std::string::npos ? 0 : std::stoul(page.html.substr(at + 7));
}

TEST(BrowserClientWin32Test, PagesLoadFailuresAreToldAndTheBrowserIsReplacedAndEnded) {
  auto browser = MakeBrowserClient(FakeBrowser());
  BrowserPage first = browser->LoadPage("http://example.test/first", 10000);
  ASSERT_EQ(first.failure, BrowserFailure::kNone)
      << first.error << " (the browser exits 3 when its pipe handles are wrong, 4 when a switch "
      << "is missing)";
  EXPECT_EQ(first.status, 200);
  EXPECT_EQ(first.final_url, "http://example.test/first");
  EXPECT_NE(first.html.find("<p>http://example.test/first</p>"), std::string::npos) << first.html;
  EXPECT_NE(first.html.find(" Chrome/143.0.0.0 "), std::string::npos) << first.html;
  EXPECT_EQ(first.html.find("Headless"), std::string::npos) << first.html;
  EXPECT_EQ(OwnProfiles(), 1);
  const pid_t pid = browser->ProcessId();

  BrowserPage gone = browser->LoadPage("http://example.test/status/404", 10000);
  EXPECT_EQ(gone.failure, BrowserFailure::kStatus);
  EXPECT_EQ(gone.status, 404);
  BrowserPage unknown = browser->LoadPage("http://example.test/unreachable", 10000);
  EXPECT_EQ(unknown.failure, BrowserFailure::kNetwork);
  EXPECT_EQ(unknown.error, "net::ERR_NAME_NOT_RESOLVED");

  const auto before = std::chrono::steady_clock::now();
  BrowserPage hang = browser->LoadPage("http://example.test/hang", 800);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - before)
                          .count();
  EXPECT_EQ(hang.failure, BrowserFailure::kTimeLimit) << hang.error;
  EXPECT_GE(waited, 800);
  EXPECT_LT(waited, 3000);
  EXPECT_EQ(browser->LoadPage("http://example.test/after", 10000).failure, BrowserFailure::kNone);
  EXPECT_EQ(browser->ProcessId(), pid) << "a page past its limit needs no new browser";

  BrowserPage crashed = browser->LoadPage("http://example.test/exit", 10000);
  EXPECT_EQ(crashed.failure, BrowserFailure::kCrashed) << crashed.error;
  BrowserPage again = browser->LoadPage("http://example.test/again", 10000);
  EXPECT_EQ(again.failure, BrowserFailure::kNone) << again.error;
  EXPECT_NE(browser->ProcessId(), pid);
  EXPECT_EQ(OwnProfiles(), 1);

  BrowserPage spawned = browser->LoadPage("http://example.test/spawn", 10000);
  const DWORD helper = HelperPid(spawned);
  ASSERT_NE(helper, 0u) << spawned.html;
  const DWORD last = static_cast<DWORD>(browser->ProcessId());
  browser.reset();
  EXPECT_TRUE(EndsWithin(last, 5000));
  EXPECT_TRUE(EndsWithin(helper, 5000)) << "a process the browser started outlived it";
  EXPECT_EQ(OwnProfiles(), 0);
}

// The child of the next test: a korvan that starts its browser, which
// starts a helper, and is then killed without a chance to end them.
void RunKilledKorvan(const std::string& out) {
  auto browser = MakeBrowserClient(FakeBrowser());
  const DWORD helper = HelperPid(browser->LoadPage("http://example.test/spawn", 10000));
  std::ofstream(out) << browser->ProcessId() << ' ' << helper << '\n';
  TerminateProcess(GetCurrentProcess(), 9);
}

TEST(BrowserClientWin32Test, TheBrowserEndsWithAKilledKorvanAndItsFolderGoesLater) {
  wchar_t child_out[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"KORVAN_KILLED_KORVAN_OUT", child_out, MAX_PATH) > 0) {
    RunKilledKorvan(Utf8FromWide(child_out));
    return;
  }
  const fs::path out = fs::temp_directory_path() / "korvan-killed-korvan.txt";
  fs::remove(out);
  SetEnvironmentVariableW(L"KORVAN_KILLED_KORVAN_OUT", out.c_str());
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = WindowsCommandLine({Utf8FromWide(self),
                                          "--gtest_filter=BrowserClientWin32Test."
                                          "TheBrowserEndsWithAKilledKorvanAndItsFolderGoesLater"});
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  SetEnvironmentVariableW(L"KORVAN_KILLED_KORVAN_OUT", nullptr);
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_EQ(code, 9u);

  DWORD browser = 0, helper = 0;
  std::ifstream(out) >> browser >> helper;
  ASSERT_NE(browser, 0u);
  ASSERT_NE(helper, 0u);
  EXPECT_TRUE(EndsWithin(browser, 5000)) << "the browser outlived korvan";
  EXPECT_TRUE(EndsWithin(helper, 5000)) << "the browser's helper outlived korvan";
  EXPECT_EQ(ProfilesOf(info.dwProcessId), 1);
  RemoveStaleBrowserProfiles();
  EXPECT_EQ(ProfilesOf(info.dwProcessId), 0);
  fs::remove(out);
}

TEST(BrowserClientWin32Test, ChromeIsFoundWhereItIsRegistered) {
  const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                            nullptr),
            ERROR_SUCCESS);
  const std::wstring path = WideFromUtf8(FakeBrowser());
  RegSetValueExW(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(created);
  const std::string found = FindBrowserExecutable();
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  EXPECT_EQ(found, FakeBrowser());
}

TEST(BrowserClientWin32Test, CommandLinesGiveBackTheirArguments) {
  const std::vector<std::string> args = {
      "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
      "--user-data-dir=C:\\Users\\张 三\\AppData\\Local\\Temp\\korvan-browser-1-2",
      "plain",
      "",
      "say \"hi\"",
      "ends in a backslash\\",
      "C:\\a\\\\\"b\\",
      "tab\there"};
  int count = 0;
  wchar_t** parsed = CommandLineToArgvW(WindowsCommandLine(args).c_str(), &count);
  ASSERT_NE(parsed, nullptr);
  std::vector<std::string> back;
  for (int i = 0; i < count; ++i) back.push_back(Utf8FromWide(parsed[i]));
  LocalFree(parsed);
  EXPECT_EQ(back, args);
}

}  // namespace
}  // namespace korvan
