#include "app/process_exit.h"

#include <cstdio>
#include <cstdlib>

#include "platform/console_input.h"
#include "platform/console_output.h"

namespace korvan {

void EndProcess(int code) {
  ConsoleOut().Flush();
  std::fflush(stdout);
  std::fflush(stderr);
  // std::_Exit runs no atexit handlers, so the terminal mode is put back here.
  RestoreConsoleMode();
  std::_Exit(code);
}

}  // namespace korvan
