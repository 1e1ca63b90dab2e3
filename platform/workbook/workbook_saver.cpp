#include "platform/workbook/workbook_saver.h"

#include <filesystem>

#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/backup_copy.h"
#include "platform/workbook/file_lock.h"
#include "platform/workbook/name_exists.h"

namespace korvan {

namespace {

// Copies of one minute beyond this many are not made.
constexpr int kMaxCopiesPerMinute = 100;

}  // namespace

std::string SideCopyName(const std::string& workbook, std::time_t now, int n) {
  const std::filesystem::path file = FsPath(workbook);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M", &local);
  std::string name = Utf8OfPath(file.stem());
  name += ".korvan-";
  name += stamp;
  if (n > 1) name += "-" + std::to_string(n);
  name += Utf8OfPath(file.extension());
  return Utf8OfPath(file.parent_path() / FsPath(name));
}

void WorkbookSaver::Start(const std::string& path) {
  workbook_ = path;
  target_ = path;
  known_ = IdentityOfPath(path);
}

std::optional<WorkbookSavedBeside::Reason> WorkbookSaver::Obstacle() const {
  if (!OfficeLockFileBeside(target_).empty()) return WorkbookSavedBeside::Reason::kOpenInOffice;
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
      if (!NameExists(copy)) written = WriteNewFileAtomically(copy, workbook_, write);
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
