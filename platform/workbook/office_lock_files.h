// The lock files office programs leave beside a file while they have it open:
// LibreOffice's ".~lock.<name>#" and the owner file "~$..." of Microsoft
// Excel and Word. The same names on every system (a workbook on a shared
// folder is opened from either). Thread-safe.
#pragma once

#include <string>
#include <vector>

namespace korvan {

// LibreOffice's lock file beside `path`.
std::string OfficeLockFilePath(const std::string& path);

// The owner files Microsoft Office may put beside `path`: Excel's "~$" and
// the whole name, and, for a name whose part before the extension is longer
// than six characters, Word's "~$" in place of its first two characters.
std::vector<std::string> OwnerFilePaths(const std::string& path);

// The first lock file of an office program found beside `path`, or empty.
std::string OfficeLockFileBeside(const std::string& path);

// Throws WorkbookError (kOpenInOffice) when an office program's lock file
// lies beside `path`: the workbook is not taken while it is open there.
void RefuseWorkbookOpenInOffice(const std::string& path);

}  // namespace korvan
