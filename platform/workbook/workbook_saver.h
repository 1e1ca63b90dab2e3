// Where and how the saves of one open workbook go, so that nothing of either
// side is lost when another program changes the file meanwhile.
//
// Before every save the file is checked: it must still be the one read or
// last written (FileIdentity), and no office suite's lock file may lie
// beside it. Then it is replaced atomically (with the backup before the
// first save of the execution, and the workbook's lock moved along). When a
// check fails, or the save itself fails, the workbook is left alone and the
// whole workbook in memory is written beside it instead, as
// "<stem>.korvan-<yyyymmdd>-<hhmm><extension>" (local time; "-2", "-3"...
// added when that name exists); the reporter hears of it, and later saves go
// to that copy, with the same checks. Only when the copy cannot be written
// either does Save throw (WorkbookError; the failure of the workbook's own
// save when there was one).
//
// This layer never prints. Main thread only.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "platform/workbook/file_identity.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

class WorkbookLock;

// A save that went beside the workbook instead of over it.
struct WorkbookSavedBeside {
  enum class Reason { kChangedOnDisk, kOpenInOffice, kSaveFailed };
  Reason reason;
  std::string workbook;                  // file-system names
  std::string written;                   // the copy holding korvan's version
  std::optional<WorkbookError> failure;  // kSaveFailed: why the save failed
};

using SavedBesideReporter = std::function<void(const WorkbookSavedBeside&)>;

// The name of the n-th (1-based) copy beside `workbook` for the local time
// `now`.
std::string SideCopyName(const std::string& workbook, std::time_t now, int n);

class WorkbookSaver {
 public:
  // The workbook at `path` (a file-system name, links resolved) is about to
  // be read: its identity now is the one later saves expect.
  void Start(const std::string& path);
  void SetReporter(SavedBesideReporter reporter) { reporter_ = std::move(reporter); }
  // Saves `file` as described above; `lock` is the workbook's.
  void Save(WorkbookFile& file, WorkbookLock& lock);

 private:
  std::optional<WorkbookSavedBeside::Reason> Obstacle() const;
  void SaveBeside(WorkbookFile& file, WorkbookSavedBeside::Reason reason,
                  std::optional<WorkbookError> failure);

  std::string workbook_;
  std::string target_;                 // the workbook, or the copy beside it
  std::optional<FileIdentity> known_;  // the target as read or last written
  SavedBesideReporter reporter_;
};

}  // namespace korvan
