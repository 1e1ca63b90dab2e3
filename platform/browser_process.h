// One running browser: its process and everything that process starts, its
// profile folder and the protocol pipe to it. Used by the browser client
// only; see browser_client.h for how each system keeps the browser from
// outliving korvan.
//
// Destroying a BrowserProcess ends the browser and everything it started,
// waits for them, and removes the profile folder. Not thread-safe per
// process; different processes may be started and ended in parallel.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/devtools_pipe.h"

namespace korvan {

// Profile folders are "<prefix><korvan's pid>-<unique part>" in the folder
// for temporary files.
inline constexpr const char* kBrowserProfilePrefix = "korvan-browser-";

// The folder for temporary files, which holds the profile folders.
std::filesystem::path BrowserTempFolder();

// True when no process `pid` runs; one that cannot be looked at counts as
// running.
bool ProcessGone(unsigned long pid);

class BrowserProcess {
 public:
  virtual ~BrowserProcess() = default;
  virtual pid_t Pid() const = 0;
  // True when the browser has ended.
  virtual bool Ended() = 0;
  virtual DevToolsPipe& Pipe() = 0;
};

// nullptr, with `error` set, when the folder, the pipe or the process cannot
// be made.
std::unique_ptr<BrowserProcess> StartBrowserProcess(const std::string& executable,
                                                    std::string& error);

// The switches every system gives the browser: the protocol pipe, the
// profile, no first-run or background traffic, Chinese, and the proxy
// variables. The system adds its own, then the first page.
std::vector<std::string> CommonBrowserSwitches(const std::string& profile);

}  // namespace korvan
