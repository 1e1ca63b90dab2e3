// An exclusive advisory lock (flock) on one workbook file, held while a
// connection is open, so that a second running instance fails to connect
// instead of overwriting the first one's results. A workbook that an office
// suite has open (its lock file ".~lock.<name>#" beside it) is refused too.
//
// The lock follows the file across atomic saves: PrepareRelock() locks the new file
// before it is renamed over the old one. Main thread only. Failures throw
// WorkbookError.
#pragma once

#include <string>

namespace korvan {

class WorkbookLock {
 public:
  WorkbookLock() = default;
  ~WorkbookLock();  // releases; never throws
  WorkbookLock(const WorkbookLock&) = delete;
  WorkbookLock& operator=(const WorkbookLock&) = delete;

  // Locks the file at `path` (a file-system name). Throws when the file
  // cannot be opened, another process holds the lock, or an office suite's
  // lock file lies beside it.
  void Acquire(const std::string& path);
  // Locks `new_file` (about to replace the locked file) and, once that
  // holds, hands the lock over to it; the old file's lock is released by
  // CommitRelock(). Throws when the new file cannot be locked.
  void PrepareRelock(const std::string& new_file);
  void CommitRelock();  // after the rename: keep only the new file's lock
  void AbortRelock();   // the rename did not happen: drop the new lock
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  int next_fd_ = -1;
};

// The lock file name an office suite puts beside `path` while editing it.
std::string OfficeLockFilePath(const std::string& path);

}  // namespace korvan
