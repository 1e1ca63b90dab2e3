// An exclusive lock on one workbook file, held while a connection is open,
// so that a second running instance fails to connect instead of overwriting
// the first one's results: flock on POSIX systems, LockFileEx (on a byte far
// beyond the end of the file, so that reading it stays possible) on
// Windows. A workbook that an office program has open (its lock file beside
// it, office_lock_files.h) is refused too.
//
// The lock follows the file across atomic saves: PrepareRelock() locks the
// new file before it is renamed over the old one. On Windows a file that is
// open cannot be renamed over, so PrepareRelock() also closes the old file
// (the new file's lock already shuts other instances out) and AbortRelock()
// locks it again. Main thread only. Failures throw WorkbookError.
#pragma once

#include <cstdint>
#include <string>

#include "platform/workbook/office_lock_files.h"

namespace korvan {

class WorkbookLock {
 public:
  WorkbookLock() = default;
  ~WorkbookLock();  // releases; never throws
  WorkbookLock(const WorkbookLock&) = delete;
  WorkbookLock& operator=(const WorkbookLock&) = delete;

  // Locks the file at `path` (a file-system name). Throws when the file
  // cannot be opened, another process holds the lock, or an office
  // program's lock file lies beside it.
  void Acquire(const std::string& path);
  // Locks `new_file` (about to replace the locked file) and, once that
  // holds, hands the lock over to it; the old file's lock is released by
  // CommitRelock(). Throws when the new file cannot be locked.
  void PrepareRelock(const std::string& new_file);
  void CommitRelock();  // after the rename: keep only the new file's lock
  void AbortRelock();   // the rename did not happen: drop the new lock
  void Release();
  bool Held() const { return file_ != kNone; }

 private:
  // A descriptor on POSIX systems, a HANDLE on Windows.
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t file_ = kNone;
  std::intptr_t next_file_ = kNone;
  std::string path_;  // the locked file's name
};

}  // namespace korvan
