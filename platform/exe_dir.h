// The folder of the running executable in UTF-8, ending in its separator,
// so that a file name can be appended: POSIX resolves /proc/self/exe
// (symbolic links followed) and ends it in "/"; Windows takes
// GetModuleFileNameW and ends it in "\\". Empty when it cannot be found.
// Thread-safe, never throws.
#pragma once

#include <string>

namespace korvan {

std::string ExecutableDir();

}  // namespace korvan
