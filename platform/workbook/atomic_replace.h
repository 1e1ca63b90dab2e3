// Replacing a file so that after a crash, a kill -9 or a power loss it is
// either the old file or the new one, never a mix: the new content goes to a
// temporary file in the same folder (".<name>.saving-XXXXXX", created
// exclusively by the writer), is flushed to disk, gets the old file's
// permissions and is renamed over it; then the folder is flushed. On Windows
// the flush is FlushFileBuffers, the rename MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, the new file keeps the
// security of the folder it is made in and takes the old file's attributes
// (read-only, hidden...), and no folder is flushed.
//
// Main thread only. A failure throws WorkbookError; the target is then left
// as it was and the temporary file is removed.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/workbook/file_identity.h"

namespace korvan {

class WorkbookLock;

// Calls `write` with the name of a new temporary file beside `target` (the
// name does not exist yet; `write` creates it exclusively) and renames the
// result over `target`. The new file takes the permission bits (and, where
// allowed, the owner) of `mode_source`. When `lock` is given, the lock is
// moved to the new file before the rename, so it never lapses. Returns the
// identity of the file now at `target`.
FileIdentity ReplaceFileAtomically(const std::string& target, const std::string& mode_source,
                                   const std::function<void(const std::string&)>& write,
                                   WorkbookLock* lock = nullptr);

// The same for a `target` that must not exist: nothing when a file of that
// name exists (or appears while `write` runs), which is then left alone and
// nothing else is left behind. Without a `mode_source` that can be read, the
// new file keeps the permissions it was created with.
std::optional<FileIdentity> WriteNewFileAtomically(
    const std::string& target, const std::string& mode_source,
    const std::function<void(const std::string&)>& write);

// Removes the temporary files that saves of `target` interrupted by a crash
// or a signal left beside it: ".<name>.saving-XXXXXX" (and the
// ".<name>.saving-XXXXXX.XXXXXX" of earlier .xlsx saves through libzip), and
// libgsf's ".gsf-save-XXXXXX" of earlier .xls saves once it is a minute old
// (younger ones may belong to another program saving there now). Call only
// while holding the workbook's lock. Never throws.
void RemoveStaleTemporaries(const std::string& target);

namespace detail {

// The name of temporary files of saves of `target` up to the random part.
std::string SavingTemporaryPrefix(const std::string& target);

// Each system's writing and commit, for both of the above: nothing when
// `replace` is false and `target` exists.
std::optional<FileIdentity> WriteAndCommit(const std::string& target,
                                           const std::string& mode_source,
                                           const std::function<void(const std::string&)>& write,
                                           WorkbookLock* lock, bool replace);

}  // namespace detail

}  // namespace korvan
