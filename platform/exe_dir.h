// The folder of the running executable, resolved through /proc/self/exe
// (symbolic links followed), with a trailing "/". Names are as the file
// system has them (UTF-8 here). Empty when it cannot be found.
// Thread-safe, never throws.
#pragma once

#include <string>

namespace korvan {

std::string ExecutableDir();

}  // namespace korvan
