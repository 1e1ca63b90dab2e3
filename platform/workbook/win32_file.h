// Windows file handling shared by the workbook layer's Windows side: owned
// handles, system error codes as WorkbookError, whole-file reads. Paths are
// UTF-8 and go to the W functions. Windows only; thread-safe.
#pragma once

#include <windows.h>

#include <string>

#include "platform/workbook/workbook_file.h"

namespace korvan::win32 {

// Closes the handle it owns.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : handle_(other.release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.release();
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  void Close() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// The kind of failure a system error code stands for.
WorkbookFailure FailureOfSystemError(DWORD error);

// The system's text for `error` (UTF-8, without the closing period and line
// end).
std::string SystemErrorText(DWORD error);

// Throws "cannot <what> <path>: <system text>" for `error`.
[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& path, DWORD error);

// Opens an existing file with every kind of sharing, so that others may
// still read, write, rename and replace it; `access` as for CreateFileW.
HANDLE OpenShared(const std::string& path, DWORD access);

// The whole file `path` (at most 2 GiB); throws WorkbookError ("cannot open",
// "cannot read", "not a regular file").
std::string ReadWholeFile(const std::string& path);

}  // namespace korvan::win32
