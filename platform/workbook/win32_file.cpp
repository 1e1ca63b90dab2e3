#include "platform/workbook/win32_file.h"

#include "platform/wide_text.h"

namespace korvan::win32 {

namespace {

constexpr LONGLONG kMaxFileSize = LONGLONG{1} << 31;

}  // namespace

WorkbookFailure FailureOfSystemError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return WorkbookFailure::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return WorkbookFailure::kNoAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return WorkbookFailure::kNoSpace;
    default:
      return WorkbookFailure::kOther;
  }
}

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                           text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) return "system error " + std::to_string(error);
  if (text[0] >= L'A' && text[0] <= L'Z') text[0] = static_cast<wchar_t>(text[0] - L'A' + L'a');
  return Utf8FromWide(text);
}

void ThrowSystemError(const std::string& what, const std::string& path, DWORD error) {
  throw WorkbookError("cannot " + what + " " + path + ": " + SystemErrorText(error),
                      FailureOfSystemError(error));
}

HANDLE OpenShared(const std::string& path, DWORD access) {
  return CreateFileW(WideFromUtf8(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadWholeFile(const std::string& path) {
  Handle file(OpenShared(path, GENERIC_READ));
  if (!file.valid()) ThrowSystemError("open", path, GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    throw WorkbookError("cannot open " + path + ": not a regular file",
                        WorkbookFailure::kNotWorkbook);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) ThrowSystemError("read", path, GetLastError());
  if (size.QuadPart > kMaxFileSize) {
    throw WorkbookError("cannot open " + path + ": the file is larger than 2 GiB");
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                  nullptr)) {
      ThrowSystemError("read", path, GetLastError());
    }
    if (n == 0) break;  // the file shrank while being read
    done += n;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace korvan::win32
