// Line output to the user's console.
//
// Lines are code page 936 text inside the program. Before a line reaches the
// terminal every control character becomes "?": bytes below 32 (tab
// excepted), 127, and the C1 controls U+0080..U+009F that the GB18030
// four-byte form can hold (U+009B starts an escape sequence), so that no
// text from a page or a workbook can send control or escape sequences to the
// terminal. A byte that is no code page 936 character shows as "?". Every
// line is flushed at once, so that a user (or a program reading a pipe) sees
// it before the tool waits.
//
// Standard output, POSIX: the line is converted to the character set of the
// locale (UTF-8 on a usual terminal) and ended with "\n".
// Standard output, Windows: a console gets the characters themselves
// (WriteConsoleW, right whatever the console's code page); a pipe or a file
// gets the code page 936 bytes as they are, ended with "\r\n".
//
// ConsoleOut() is the sink all run-control output goes to: standard output
// unless a test installed another sink. Main thread only.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

class ConsoleSink {
 public:
  virtual ~ConsoleSink() = default;
  // `line` is code page 936 text without a line end.
  virtual void WriteLine(std::string_view line) = 0;
  virtual void Flush() = 0;
  // True when the box-drawing characters of code page 936, two columns wide
  // in a GBK console, take one column on this console (a UTF-8 terminal).
  virtual bool DrawsBoxCharsNarrow() const { return false; }
};

// The text with its control characters (bytes below 32 other than tab, 127,
// U+0080..U+009F) and its invalid bytes shown as "?".
std::string SanitizeConsoleText(std::string_view text);
// The same, decoded to UTF-8.
std::string SanitizedConsoleUtf8(std::string_view text);

// Console columns of code page 936 text: a double-byte (or four-byte)
// character takes two columns, a single byte one.
int DisplayColumns(std::string_view text);

// The character set of standard output as an iconv name. POSIX: the one the
// locale names (nl_langinfo(CODESET) after setlocale(LC_ALL, ""); LC_NUMERIC
// stays "C"); "UTF-8" for the plain C locale, whose terminal is almost
// always a UTF-8 one today. Windows: "GB18030", the program's own texts, for
// a pipe or a file (a console is written in UTF-16 instead).
std::string ConsoleCharset();

// A sink that writes converted lines to a stdio stream (not owned); on
// Windows a text-mode stream ends them in "\r\n".
class StreamConsole final : public ConsoleSink {
 public:
  StreamConsole(std::FILE* stream, std::string charset);
  void WriteLine(std::string_view line) override;
  void Flush() override;
  bool DrawsBoxCharsNarrow() const override { return utf8_; }

 private:
  std::FILE* stream_;
  std::string charset_;
  bool utf8_;  // the charset is UTF-8: the decoded line is written as it is
};

// A sink that keeps the sanitised code page 936 lines (tests).
class RecordingConsole final : public ConsoleSink {
 public:
  void WriteLine(std::string_view line) override;
  void Flush() override {}
  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};

// The sink of the process's standard output, made on first use and never
// destroyed.
ConsoleSink& StandardConsole();
// The current sink: StandardConsole() by default.
ConsoleSink& ConsoleOut();
// Installs `sink` (not owned) as ConsoleOut(); nullptr puts standard output
// back. Returns the previous sink set this way (nullptr for the default).
ConsoleSink* SetConsoleSink(ConsoleSink* sink);

// ConsoleOut().WriteLine(line).
void PrintLine(std::string_view line);

}  // namespace korvan
