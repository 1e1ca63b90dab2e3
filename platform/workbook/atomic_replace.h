// Replacing a file so that after a crash, a kill -9 or a power loss it is
// either the old file or the new one, never a mix: the new content goes to a
// temporary file in the same folder, is flushed to disk, gets the old file's
// permissions and is renamed over it; then the folder is flushed.
//
// Main thread only. A failure throws WorkbookError; the target is then left
// as it was and the temporary file is removed.
#pragma once

#include <functional>
#include <string>

namespace korvan {

class WorkbookLock;

// Calls `write` with the name of a new temporary file beside `target` (the
// name does not exist yet; `write` creates it) and renames the result over
// `target`. The new file takes the permission bits (and, where allowed, the
// owner) of `mode_source`. When `lock` is given, the lock is moved to the new
// file before the rename, so it never lapses.
void ReplaceFileAtomically(const std::string& target, const std::string& mode_source,
                           const std::function<void(const std::string&)>& write,
                           WorkbookLock* lock = nullptr);

// Removes the temporary files that saves of `target` interrupted by a crash
// left beside it. Call only while holding the workbook's lock. Never throws.
void RemoveStaleTemporaries(const std::string& target);

}  // namespace korvan
