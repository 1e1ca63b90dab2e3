// A Windows command line from a list of arguments, quoted so that
// CommandLineToArgvW (and the C runtime's own parsing) gives back exactly
// those arguments: spaces, quotes and backslashes before quotes included.
// Windows only; thread-safe.
#pragma once

#include <string>
#include <vector>

namespace korvan {

// `args` are UTF-8; the first is the program.
std::wstring WindowsCommandLine(const std::vector<std::string>& args);

}  // namespace korvan
