#include "platform/workbook/backup_copy.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/name_exists.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// Files backed up by this process, by absolute name. Main thread only.
std::set<std::string>& BackedUp() {
  static std::set<std::string> files;
  return files;
}

}  // namespace

std::string BackupPath(const std::string& path) { return path + ".bak"; }

void KeepBackupOnce(const std::string& path) {
  std::error_code ec;
  const std::string key =
      Utf8OfPath(std::filesystem::absolute(FsPath(path), ec).lexically_normal());
  if (BackedUp().count(key)) return;
  ReplaceFileAtomically(BackupPath(path), path, [&path](const std::string& temp) {
    std::error_code copy_error;
    std::filesystem::copy_file(FsPath(path), FsPath(temp), copy_error);
    if (copy_error) {
      throw WorkbookError("cannot keep a backup of " + path + ": " + copy_error.message());
    }
  });
  BackedUp().insert(key);
}

void ForgetBackups() { BackedUp().clear(); }

}  // namespace korvan
