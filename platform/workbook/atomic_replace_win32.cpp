#include <windows.h>

#include <random>

#include "platform/wide_text.h"
#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/file_lock.h"
#include "platform/workbook/name_exists.h"
#include "platform/workbook/win32_file.h"

namespace korvan {

namespace {

constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// The old file's attributes that the new one takes. Not read-only: a
// read-only file is not replaced (the rename fails) and the save goes beside.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A fresh name beside `target` for the writer, which creates the file itself,
// exclusively (so a name taken in between fails the save, never is written
// through).
std::string TemporaryNameBeside(const std::string& target) {
  static std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kNameLetters - 2);
  const std::filesystem::path folder = FsPath(target).parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = detail::SavingTemporaryPrefix(target);
    for (int i = 0; i < 6; ++i) name += kNameLetters[letter(random)];
    const std::string path = Utf8OfPath(folder / FsPath(name));
    if (!NameExists(path)) return path;
  }
  throw WorkbookError("cannot save " + target + ": no free name for a temporary file beside it");
}

// Gives the written file the kept attributes of `attributes_of` (none when
// empty), flushes it and returns its identity.
FileIdentity FlushFile(const std::string& path, const std::string& attributes_of,
                       const std::string& target) {
  win32::Handle file(win32::OpenShared(path, GENERIC_READ | GENERIC_WRITE));
  if (!file.valid()) win32::ThrowSystemError("save", target, GetLastError());
  if (!attributes_of.empty()) {
    const DWORD old = GetFileAttributesW(WideFromUtf8(attributes_of).c_str());
    FILE_BASIC_INFO basic{};
    if (old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) &&
        GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic)) {
      basic.FileAttributes = (basic.FileAttributes & ~kKeptAttributes) | (old & kKeptAttributes);
      SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic);
    }
  }
  if (!FlushFileBuffers(file.get())) win32::ThrowSystemError("save", target, GetLastError());
  const std::optional<FileIdentity> identity =
      IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(file.get()));
  if (!identity) win32::ThrowSystemError("save", target, GetLastError());
  return *identity;
}

// Renames `temp` to `target`, over it when `replace`; false when `replace` is
// false and a file of that name exists.
bool Rename(const std::string& temp, const std::string& target, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExW(WideFromUtf8(temp).c_str(), WideFromUtf8(target).c_str(), flags)) return true;
  const DWORD error = GetLastError();
  if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) return false;
  win32::ThrowSystemError("save", target, error);
}

void Remove(const std::string& path) { DeleteFileW(WideFromUtf8(path).c_str()); }

}  // namespace

namespace detail {

std::optional<FileIdentity> WriteAndCommit(const std::string& target,
                                           const std::string& mode_source,
                                           const std::function<void(const std::string&)>& write,
                                           WorkbookLock* lock, bool replace) {
  const bool have_source = NameExists(mode_source);
  if (!have_source && replace) win32::ThrowSystemError("save", target, ERROR_FILE_NOT_FOUND);
  const std::string temp = TemporaryNameBeside(target);
  FileIdentity identity;
  bool committed = true;
  try {
    write(temp);
    identity = FlushFile(temp, have_source ? mode_source : std::string(), target);
    if (lock) lock->PrepareRelock(temp);
    committed = Rename(temp, target, replace);
    if (!committed) Remove(temp);
  } catch (const WorkbookError&) {
    if (lock) lock->AbortRelock();
    Remove(temp);
    throw;
  } catch (const std::exception& e) {
    if (lock) lock->AbortRelock();
    Remove(temp);
    throw WorkbookError("cannot save " + target + ": " + e.what());
  }
  if (!committed) {
    if (lock) lock->AbortRelock();
    return std::nullopt;
  }
  if (lock) lock->CommitRelock();
  return identity;
}

}  // namespace detail

}  // namespace korvan
