// The browser's process, its profile folder and the guard that cleans both up
// after korvan's end. Used by the browser client only.
//
// StartBrowserProcess makes the profile folder, starts the guard and the
// browser (see browser_client.h for what each does) and hands back the
// caller's end of the protocol pipe. EndBrowserProcess kills the browser's
// process group, reaps the browser and removes the folder. Not thread-safe
// per process; different processes may be started and ended in parallel.
#pragma once

#include <sys/types.h>

#include <string>

namespace korvan {

struct BrowserProcess {
  pid_t pid = 0;      // also the id of its process group; 0: not running
  int pipe_fd = -1;   // our end of the protocol pipe (a socket)
  int guard_fd = -1;  // write end of the guard's pipe; closing it ends the guard
  pid_t guard_pid = 0;
  bool reaped = false;  // the browser's exit status has been collected
  std::string profile;  // the profile folder
};

// False, with `error` set, when the folder, the pipe or the process cannot
// be made.
bool StartBrowserProcess(const std::string& executable, BrowserProcess& process,
                         std::string& error);

// True when the browser has ended (its status is then collected).
bool BrowserProcessEnded(BrowserProcess& process);

// Ends the browser and everything it started, removes its profile folder
// and releases the descriptors; the record is empty afterwards.
void EndBrowserProcess(BrowserProcess& process);

}  // namespace korvan
