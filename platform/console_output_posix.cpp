// Standard output on POSIX: a stream in the locale's charset.
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "platform/console_output.h"

namespace korvan {

std::string ConsoleCharset() {
  static const std::string charset = [] {
    std::setlocale(LC_ALL, "");
    // Numbers are written and read the same whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    const char* name = nl_langinfo(CODESET);
    if (name == nullptr || *name == '\0' || std::strcmp(name, "ANSI_X3.4-1968") == 0) {
      return std::string("UTF-8");
    }
    return std::string(name);
  }();
  return charset;
}

ConsoleSink& StandardConsole() {
  // Never destroyed: output may still be written while the process ends.
  static StreamConsole* standard = new StreamConsole(stdout, ConsoleCharset());
  return *standard;
}

}  // namespace korvan
