#include "platform/command_line_win32.h"

#include "platform/wide_text.h"

namespace korvan {

namespace {

// Backslashes are literal except before a quote: there each one is doubled,
// and the quote itself is escaped.
void AppendQuoted(const std::wstring& arg, std::wstring& line) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line.push_back(L'"');
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line.push_back(c);
  }
  line.append(2 * backslashes, L'\\');  // they precede the closing quote
  line.push_back(L'"');
}

}  // namespace

std::wstring WindowsCommandLine(const std::vector<std::string>& args) {
  std::wstring line;
  for (const std::string& arg : args) {
    if (!line.empty()) line.push_back(L' ');
    AppendQuoted(WideFromUtf8(arg), line);
  }
  return line;
}

}  // namespace korvan
