#include <windows.h>

#include "platform/wide_text.h"
#include "platform/workbook/new_file.h"
#include "platform/workbook/win32_file.h"

namespace korvan {

namespace {

HANDLE ToHandle(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

// CREATE_NEW fails on any existing name, a symbolic link's included, and
// never follows one.
NewFile::NewFile(const std::string& path)
    : path_(path),
      file_(reinterpret_cast<std::intptr_t>(CreateFileW(
          WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr))) {
  if (ToHandle(file_) == INVALID_HANDLE_VALUE) {
    file_ = kNone;
    win32::ThrowSystemError("write", path_, GetLastError());
  }
}

NewFile::~NewFile() {
  if (file_ != kNone) CloseHandle(ToHandle(file_));
}

void NewFile::Write(const char* data, std::size_t size) {
  constexpr std::size_t kChunk = 1 << 20;
  std::size_t done = 0;
  while (done < size) {
    const DWORD part = static_cast<DWORD>(size - done < kChunk ? size - done : kChunk);
    DWORD n = 0;
    if (!WriteFile(ToHandle(file_), data + done, part, &n, nullptr)) {
      win32::ThrowSystemError("write", path_, GetLastError());
    }
    done += n;
  }
}

void NewFile::Close() {
  const HANDLE file = ToHandle(file_);
  file_ = kNone;
  if (!CloseHandle(file)) win32::ThrowSystemError("write", path_, GetLastError());
}

}  // namespace korvan
