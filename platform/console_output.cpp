#include "platform/console_output.h"

#include <cstdio>

#include "platform/codepage.h"

namespace korvan {

namespace {

ConsoleSink* g_sink = nullptr;

// Upper-cased copy for comparing charset names.
std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

// It works on the decoded characters, so a C1 control hidden in the GB18030
// four-byte form is caught just as the terminal would see it.
std::string SanitizedConsoleUtf8(std::string_view line) {
  const std::string utf8 = Cp936ToUtf8(line);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (b == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080..U+009F
      out.push_back('?');
      ++i;
    } else {
      out.push_back((b < 32 && b != '\t') || b == 127 ? '?' : utf8[i]);
    }
  }
  return out;
}

std::string SanitizeConsoleText(std::string_view text) {
  return Utf8ToCp936(SanitizedConsoleUtf8(text));
}

int DisplayColumns(std::string_view text) {
  int columns = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x81 || b == 0xFF || i + 1 >= text.size()) {
      columns += 1;
      i += 1;
      continue;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    // GB18030 four-byte form: lead, digit, lead, digit.
    const bool four = second >= 0x30 && second <= 0x39 && i + 3 < text.size();
    columns += 2;
    i += four ? 4 : 2;
  }
  return columns;
}

StreamConsole::StreamConsole(std::FILE* stream, std::string charset)
    : stream_(stream), charset_(std::move(charset)), utf8_(Upper(charset_) == "UTF-8") {}

void StreamConsole::WriteLine(std::string_view line) {
  std::string text = SanitizedConsoleUtf8(line);
  if (!utf8_) {
    auto converted = ConvertCharsetLenient(text, "UTF-8", charset_.c_str());
    if (converted) text = std::move(*converted);
  }
  text.push_back('\n');
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fflush(stream_);
}

void StreamConsole::Flush() { std::fflush(stream_); }

void RecordingConsole::WriteLine(std::string_view line) {
  lines_.push_back(SanitizeConsoleText(line));
}

ConsoleSink& ConsoleOut() {
  if (g_sink != nullptr) return *g_sink;
  return StandardConsole();
}

ConsoleSink* SetConsoleSink(ConsoleSink* sink) {
  ConsoleSink* previous = g_sink;
  g_sink = sink;
  return previous;
}

void PrintLine(std::string_view line) { ConsoleOut().WriteLine(line); }

}  // namespace korvan
