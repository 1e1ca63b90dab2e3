// The browser on Windows: Chrome or Edge, started headless with its
// protocol pipe on two inherited handles, in a job object that ends it and
// every process it starts when korvan's last handle to the job closes,
// however korvan ends.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/browser_client.h"
#include "platform/browser_process.h"
#include "platform/command_line_win32.h"
#include "platform/wide_text.h"
#include "platform/workbook/win32_file.h"

namespace korvan {

namespace {

namespace fs = std::filesystem;
using win32::Handle;

// A new folder "korvan-browser-<pid>-<unique>" in the folder for temporary
// files; empty when none can be made.
fs::path MakeProfileFolder(DWORD& error) {
  const fs::path temp = BrowserTempFolder();
  const std::wstring prefix =
      WideFromUtf8(kBrowserProfilePrefix + std::to_string(GetCurrentProcessId()) + "-");
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned unique = GetTickCount() ^ (counter.fetch_add(1) << 20);
    const fs::path folder = temp / (prefix + std::to_wstring(unique));
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

// One direction of the protocol pipe: a named pipe whose server end stays
// with korvan (overlapped, never inherited) and whose client end goes to
// the browser (inheritable). `inbound`: the browser writes, korvan reads.
bool MakePipe(bool inbound, Handle& ours, Handle& theirs) {
  static std::atomic<unsigned> counter{0};
  const std::wstring name =
      L"\\\\.\\pipe\\korvan-browser-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
      std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(GetTickCount());
  const DWORD access = (inbound ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) |
                       FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE;
  ours = Handle(
      CreateNamedPipeW(name.c_str(), access,
                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                       1, 1 << 16, 1 << 16, 0, nullptr));
  if (!ours.valid()) return false;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  theirs = Handle(CreateFileW(name.c_str(), inbound ? GENERIC_WRITE : GENERIC_READ, 0, &inherit,
                              OPEN_EXISTING, 0, nullptr));
  return theirs.valid();
}

// The table by which the C runtime of a child takes inherited handles as
// its descriptors (STARTUPINFO's lpReserved2): a count, a flag byte per
// descriptor, then the handles. Browsers that predate the handle switch
// read their pipe from descriptors 3 and 4.
std::vector<BYTE> DescriptorTable(HANDLE null_device, HANDLE browser_reads, HANDLE browser_writes) {
  constexpr BYTE kOpen = 0x01, kPipe = 0x08, kDevice = 0x40;
  const HANDLE handles[] = {null_device, null_device, null_device, browser_reads, browser_writes};
  const BYTE flags[] = {kOpen | kDevice, kOpen | kDevice, kOpen | kDevice, kOpen | kPipe,
                        kOpen | kPipe};
  const int count = 5;
  std::vector<BYTE> table(sizeof count + sizeof flags + sizeof handles);
  std::memcpy(table.data(), &count, sizeof count);
  std::memcpy(table.data() + sizeof count, flags, sizeof flags);
  std::memcpy(table.data() + sizeof count + sizeof flags, handles, sizeof handles);
  return table;
}

std::string HandleValue(HANDLE handle) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(handle));
}

// A job whose processes all end when its last handle closes.
Handle MakeKillOnCloseJob() {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job.valid()) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    job.Close();
  }
  return job;
}

class RunningBrowser final : public BrowserProcess {
 public:
  RunningBrowser(HANDLE job, PROCESS_INFORMATION info, fs::path profile,
                 std::unique_ptr<DevToolsPipe> pipe)
      : job_(job),
        process_(info.hProcess),
        pid_(static_cast<pid_t>(info.dwProcessId)),
        profile_(std::move(profile)),
        pipe_(std::move(pipe)) {}

  ~RunningBrowser() override {
    pipe_.reset();
    if (job_.valid()) {
      TerminateJobObject(job_.get(), 1);
    } else {
      TerminateProcess(process_.get(), 1);
    }
    WaitForSingleObject(process_.get(), 5000);
    // The job's other processes end soon after; the folder is free of them
    // once they have.
    for (int i = 0; i < 50 && job_.valid() && ActiveProcesses() > 0; ++i) Sleep(100);
    for (int i = 0; i < 20; ++i) {
      std::error_code ec;
      fs::remove_all(profile_, ec);
      if (!fs::exists(profile_, ec)) break;
      Sleep(100);
    }
  }

  pid_t Pid() const override { return pid_; }
  bool Ended() override { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
  DevToolsPipe& Pipe() override { return *pipe_; }

 private:
  DWORD ActiveProcesses() {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    if (!QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &info,
                                   sizeof info, nullptr)) {
      return 0;
    }
    return info.ActiveProcesses;
  }

  Handle job_;
  Handle process_;
  pid_t pid_;
  fs::path profile_;
  std::unique_ptr<DevToolsPipe> pipe_;
};

std::wstring EnvironmentFolder(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program a browser registers under "App Paths", or empty.
std::wstring RegisteredProgram(HKEY root, const wchar_t* program) {
  const std::wstring key =
      std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
  wchar_t value[MAX_PATH * 2];
  DWORD size = sizeof value;
  if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring path(value);
  path.erase(std::remove(path.begin(), path.end(), L'"'), path.end());
  return path;
}

}  // namespace

std::string FindBrowserExecutable() {
  struct Browser {
    const wchar_t* program;
    const wchar_t* folder;  // below the folders of installed programs
  };
  for (const Browser& browser : {Browser{L"chrome.exe", L"\\Google\\Chrome\\Application\\"},
                                 Browser{L"msedge.exe", L"\\Microsoft\\Edge\\Application\\"}}) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      const std::wstring path = RegisteredProgram(root, browser.program);
      if (!path.empty() && IsFile(path)) return Utf8FromWide(path);
    }
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"LOCALAPPDATA"}) {
      const std::wstring base = EnvironmentFolder(variable);
      if (base.empty()) continue;
      const std::wstring path = base + browser.folder + browser.program;
      if (IsFile(path)) return Utf8FromWide(path);
    }
  }
  return {};
}

fs::path BrowserTempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return n > 0 && n <= MAX_PATH ? fs::path(std::wstring(buffer, n))
                                : fs::path(L"C:\\Windows\\Temp");
}

bool ProcessGone(unsigned long pid) {
  Handle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return GetLastError() == ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

std::unique_ptr<BrowserProcess> StartBrowserProcess(const std::string& executable,
                                                    std::string& error) {
  DWORD folder_error = 0;
  const fs::path profile = MakeProfileFolder(folder_error);
  if (profile.empty()) {
    error = "cannot make the browser's profile folder in " + Utf8OfPath(BrowserTempFolder()) +
            ": " + win32::SystemErrorText(folder_error);
    return nullptr;
  }
  auto fail = [&](const std::string& what) -> std::unique_ptr<BrowserProcess> {
    error = what + ": " + win32::SystemErrorText(GetLastError());
    std::error_code ignored;
    fs::remove_all(profile, ignored);
    return nullptr;
  };

  Handle from_browser, browser_writes, to_browser, browser_reads;
  if (!MakePipe(true, from_browser, browser_writes) ||
      !MakePipe(false, to_browser, browser_reads)) {
    return fail("cannot open the browser's pipe");
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle null_device(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                 nullptr));
  if (!null_device.valid()) return fail("cannot open NUL");

  std::vector<std::string> args = {executable};
  for (std::string& s : CommonBrowserSwitches(Utf8OfPath(profile))) args.push_back(std::move(s));
  args.push_back("--remote-debugging-io-pipes=" + HandleValue(browser_reads.get()) + "," +
                 HandleValue(browser_writes.get()));
  args.push_back("--headless");
  args.push_back("about:blank");
  std::wstring command_line = WindowsCommandLine(args);

  // Only these handles go to the browser, whatever else is inheritable in
  // korvan at that moment (another engine's browser starting, say).
  HANDLE inherited[] = {null_device.get(), browser_reads.get(), browser_writes.get()};
  SIZE_T attributes_size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &attributes_size);
  std::vector<BYTE> attributes_memory(attributes_size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes_memory.data());
  if (!InitializeProcThreadAttributeList(attributes, 1, 0, &attributes_size)) {
    return fail("cannot start " + executable);
  }
  UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                            sizeof inherited, nullptr, nullptr);
  std::vector<BYTE> descriptors =
      DescriptorTable(null_device.get(), browser_reads.get(), browser_writes.get());
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = null_device.get();
  startup.StartupInfo.hStdOutput = null_device.get();
  startup.StartupInfo.hStdError = null_device.get();
  startup.StartupInfo.cbReserved2 = static_cast<WORD>(descriptors.size());
  startup.StartupInfo.lpReserved2 = descriptors.data();
  startup.lpAttributeList = attributes;

  PROCESS_INFORMATION info{};
  const std::wstring program = WideFromUtf8(executable);
  const BOOL started =
      CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                     nullptr, &startup.StartupInfo, &info);
  const DWORD start_error = GetLastError();
  DeleteProcThreadAttributeList(attributes);
  if (!started) {
    SetLastError(start_error);
    return fail("cannot start " + executable);
  }
  // Where korvan itself runs in a job that admits no other (Windows 7),
  // the browser runs without one: it is still ended with its client.
  Handle job = MakeKillOnCloseJob();
  if (job.valid() && !AssignProcessToJobObject(job.get(), info.hProcess)) job.Close();
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  // The browser holds its ends now; ours close here, so that its end of
  // the pipe is seen when it ends.
  auto pipe = MakeHandleDevToolsPipe(from_browser.release(), to_browser.release());
  return std::make_unique<RunningBrowser>(job.release(), info, profile, std::move(pipe));
}

}  // namespace korvan
