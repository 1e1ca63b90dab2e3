#include <windows.h>

#include "platform/workbook/file_lock.h"
#include "platform/workbook/win32_file.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// The locked byte: far beyond the end of any workbook, so that the lock,
// which Windows enforces on reads and writes of the bytes it covers, stands
// in no reader's way.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

HANDLE ToHandle(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

// Opens and locks `path`; INVALID_HANDLE_VALUE with the last error set on
// failure. Every kind of sharing: the file must stay replaceable by the
// rename of a save.
HANDLE OpenLocked(const std::string& path) {
  win32::Handle file(win32::OpenShared(path, GENERIC_READ));
  if (!file.valid()) return INVALID_HANDLE_VALUE;
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    file.Close();
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  return file.release();
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// True when `file` is still the file that `path` names: a save by another
// process may have renamed a new file over the one we opened.
bool StillNamedBy(HANDLE file, const std::string& path) {
  win32::Handle by_name(win32::OpenShared(path, 0));
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  return by_name.valid() && GetFileInformationByHandle(file, &a) &&
         GetFileInformationByHandle(by_name.get(), &b) && SameFile(a, b);
}

}  // namespace

WorkbookLock::~WorkbookLock() {
  if (next_file_ != kNone) CloseHandle(ToHandle(next_file_));
  Release();
}

void WorkbookLock::Acquire(const std::string& path) {
  Release();
  RefuseWorkbookOpenInOffice(path);
  // A few tries: the file we opened may have been replaced by a save of the
  // process that held the lock just before it let go.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const HANDLE file = OpenLocked(path);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_LOCK_VIOLATION) {
        throw WorkbookError(
            "cannot open " + path + ": the workbook is in use by another running instance",
            WorkbookFailure::kInUse);
      }
      win32::ThrowSystemError("open", path, error);
    }
    if (StillNamedBy(file, path)) {
      file_ = reinterpret_cast<std::intptr_t>(file);
      path_ = path;
      return;
    }
    CloseHandle(file);
  }
  throw WorkbookError("cannot open " + path + ": the workbook keeps changing on disk");
}

void WorkbookLock::PrepareRelock(const std::string& new_file) {
  AbortRelock();
  const HANDLE next = OpenLocked(new_file);
  if (next == INVALID_HANDLE_VALUE) win32::ThrowSystemError("lock", new_file, GetLastError());
  next_file_ = reinterpret_cast<std::intptr_t>(next);
  // The old file cannot be renamed over while it is open.
  if (file_ != kNone) CloseHandle(ToHandle(file_));
  file_ = kNone;
}

void WorkbookLock::CommitRelock() {
  if (next_file_ == kNone) return;
  Release();
  file_ = next_file_;
  next_file_ = kNone;
}

void WorkbookLock::AbortRelock() {
  if (next_file_ == kNone) return;
  CloseHandle(ToHandle(next_file_));
  next_file_ = kNone;
  // The old file stays the workbook: lock it again (another instance may
  // have been quicker; then this one goes on without the lock).
  if (file_ == kNone && !path_.empty()) {
    const HANDLE file = OpenLocked(path_);
    if (file != INVALID_HANDLE_VALUE) file_ = reinterpret_cast<std::intptr_t>(file);
  }
}

void WorkbookLock::Release() {
  if (file_ != kNone) CloseHandle(ToHandle(file_));
  file_ = kNone;
}

}  // namespace korvan
