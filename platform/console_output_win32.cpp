// Standard output on Windows: a console gets UTF-16 through WriteConsoleW;
// a pipe or a file gets the code page 936 bytes.
#include <windows.h>

#include <cstdio>

#include "platform/console_output.h"
#include "platform/wide_text.h"

namespace korvan {

namespace {

class WideConsole final : public ConsoleSink {
 public:
  explicit WideConsole(HANDLE console) : console_(console) {}

  void WriteLine(std::string_view line) override {
    const std::wstring text = WideFromUtf8(SanitizedConsoleUtf8(line) + "\n");
    const wchar_t* rest = text.data();
    DWORD left = static_cast<DWORD>(text.size());
    while (left > 0) {
      DWORD written = 0;
      if (!WriteConsoleW(console_, rest, left, &written, nullptr) || written == 0) return;
      rest += written;
      left -= written;
    }
  }
  void Flush() override {}

 private:
  HANDLE console_;
};

}  // namespace

std::string ConsoleCharset() { return "GB18030"; }

ConsoleSink& StandardConsole() {
  // Never destroyed: output may still be written while the process ends.
  static ConsoleSink* standard = []() -> ConsoleSink* {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && out != nullptr && GetConsoleMode(out, &mode)) {
      return new WideConsole(out);
    }
    return new StreamConsole(stdout, ConsoleCharset());
  }();
  return *standard;
}

}  // namespace korvan
