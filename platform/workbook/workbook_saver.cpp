#include "platform/workbook/workbook_saver.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/backup_copy.h"
#include "platform/workbook/file_lock.h"

namespace korvan {

namespace {

// Copies of one minute beyond this many are not made.
constexpr int kMaxCopiesPerMinute = 100;

bool Exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

std::string SideCopyName(const std::string& workbook, std::time_t now, int n) {
  const std::filesystem::path file(workbook);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M", &local);
  std::string name = file.stem().string();
  name += ".korvan-";
  name += stamp;
  if (n > 1) name += "-" + std::to_string(n);
  name += file.extension().string();
  return (file.parent_path() / name).string();
}

void WorkbookSaver::Start(const std::string& path) {
  workbook_ = path;
  target_ = path;
  known_ = IdentityOfPath(path);
}

std::optional<WorkbookSavedBeside::Reason> WorkbookSaver::Obstacle() const {
  if (Exists(OfficeLockFilePath(target_))) return WorkbookSavedBeside::Reason::kOpenInOffice;
  if (IdentityOfPath(target_) != known_) return WorkbookSavedBeside::Reason::kChangedOnDisk;
  return std::nullopt;
}

void WorkbookSaver::Save(WorkbookFile& file, WorkbookLock& lock) {
  const std::optional<WorkbookSavedBeside::Reason> obstacle = Obstacle();
  if (obstacle) return SaveBeside(file, *obstacle, std::nullopt);
  const auto write = [&file](const std::string& temp) { file.SaveAs(temp); };
  try {
    if (target_ == workbook_) {
      KeepBackupOnce(workbook_);
      known_ = ReplaceFileAtomically(workbook_, workbook_, write, &lock);
    } else {
      known_ = ReplaceFileAtomically(target_, target_, write);
    }
  } catch (const WorkbookError& e) {
    SaveBeside(file, WorkbookSavedBeside::Reason::kSaveFailed, e);
  }
}

void WorkbookSaver::SaveBeside(WorkbookFile& file, WorkbookSavedBeside::Reason reason,
                               std::optional<WorkbookError> failure) {
  const auto write = [&file](const std::string& temp) { file.SaveAs(temp); };
  const std::time_t now = std::time(nullptr);
  std::string copy;
  std::optional<FileIdentity> written;
  try {
    for (int n = 1; !written; ++n) {
      if (n > kMaxCopiesPerMinute) {
        throw WorkbookError("cannot save a copy beside " + workbook_ + ": too many copies");
      }
      copy = SideCopyName(workbook_, now, n);
      if (!Exists(copy)) written = WriteNewFileAtomically(copy, workbook_, write);
    }
  } catch (const WorkbookError&) {
    if (failure) throw *failure;  // the workbook's own failure says more
    throw;
  }
  target_ = copy;
  known_ = written;
  if (reporter_) reporter_({reason, workbook_, copy, std::move(failure)});
}

}  // namespace korvan
