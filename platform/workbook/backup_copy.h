// The backup of a workbook: before the first save of a program execution the
// file as it was is copied to "<file name>.bak" beside it (replacing the
// backup of an earlier execution), so that one bad run can be undone.
// Main thread only. A failure throws WorkbookError and the save must not go
// on.
#pragma once

#include <string>

namespace korvan {

// The backup's file-system name for the workbook at `path`.
std::string BackupPath(const std::string& path);

// Copies `path` to BackupPath(path) (atomically) unless this process already
// did so for that file.
void KeepBackupOnce(const std::string& path);

// Forgets which files were backed up, so that the next save of each counts as
// the first of an execution again (a forked child starting over, tests).
void ForgetBackups();

}  // namespace korvan
