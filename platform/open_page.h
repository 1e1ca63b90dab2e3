// Opening a web page with the desktop's opener.
//
// POSIX: OpenPage hands the address to `xdg-open` as one argument, without a
// shell, in a process of its own that is detached from the tool (its own
// session, standard streams on /dev/null, not a child of the tool, so no
// zombie is left and the tool may end at once). Windows: the shell opens it
// (ShellExecuteW "open"), in the user's default browser. Only addresses that begin with
// "http://" or "https://" (letter case aside) and hold no control bytes are
// opened: the address comes from the network, and anything else could name
// a local file or program. The outcome is not reported. Never throws.
#pragma once

#include <string>
#include <string_view>

namespace korvan {

// True when `address` is one OpenPage hands on.
bool IsOpenableAddress(std::string_view address);

// Opens `address` (code page 936 text; converted to UTF-8 for the opener).
void OpenPage(const std::string& address);

#ifndef _WIN32
// The same with another opener program, looked up in PATH (tests).
void OpenPageWith(const std::string& opener, const std::string& address);
#endif

}  // namespace korvan
