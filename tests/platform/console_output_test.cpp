#include "platform/console_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/codepage.h"

namespace korvan {
namespace {

// Everything the stream got, after writing `lines` through a StreamConsole.
std::string WrittenBytes(const std::string& charset, std::initializer_list<std::string> lines) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  StreamConsole console(file, charset);
  for (const auto& line : lines) console.WriteLine(line);
  console.Flush();
  std::string bytes;
  std::rewind(file);
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<char>(c));
  std::fclose(file);
  return bytes;
}

TEST(ConsoleOutputTest, ControlBytesFromOutsideBecomeQuestionMarks) {
  EXPECT_EQ(SanitizeConsoleText("a\x1b[2Jb\tc\x7f\r\n\x01"), "a?[2Jb\tc????");
  // Double-byte characters (trail bytes 0x40..0xFE) are left whole.
  const std::string gbk = Utf8ToCp936("关键字【排名】");
  EXPECT_EQ(SanitizeConsoleText(gbk), gbk);
  // C1 controls (U+009B is a one-character CSI) take the GB18030 four-byte
  // form; each becomes one "?". U+00A0 right after them and other four-byte
  // characters stay.
  EXPECT_EQ(SanitizeConsoleText(Utf8ToCp936("a\u009b2Jb\u0080\u009f")), "a?2Jb??");
  const std::string kept = Utf8ToCp936("\u00a0€😀");
  EXPECT_EQ(SanitizeConsoleText(kept), kept);
  // Bytes are read as the terminal's decoder reads them: a broken four-byte
  // form shows as "?" and does not hide the C1 control after it.
  EXPECT_EQ(SanitizeConsoleText("\x81\x31\x20\x81\x30\x81\x30"
                                "A"),
            "?1 ?A");
}

TEST(ConsoleOutputTest, LinesAreConvertedToTheTerminalCharsetAndEndWithLineFeed) {
  const std::string line = Utf8ToCp936("查询完成【") + "\x1b]0;title\x07" + Utf8ToCp936("】");
  EXPECT_EQ(WrittenBytes("UTF-8", {line, ""}), "查询完成【?]0;title?】\n\n");
  EXPECT_EQ(WrittenBytes("UTF-8", {Utf8ToCp936("x\u009b31my")}), "x?31my\n");
  // A code page 936 terminal gets the bytes as they are.
  EXPECT_EQ(WrittenBytes("GB18030", {line}), SanitizeConsoleText(line) + "\n");
  // A character the terminal's charset cannot show does not lose the line.
  EXPECT_EQ(WrittenBytes("ISO-8859-1", {Utf8ToCp936("ab排名cd")}).substr(0, 2), "ab");
}

TEST(ConsoleOutputTest, DoubleByteCharactersTakeTwoColumns) {
  EXPECT_EQ(DisplayColumns(""), 0);
  EXPECT_EQ(DisplayColumns("abc"), 3);
  EXPECT_EQ(DisplayColumns(Utf8ToCp936("┏━┓ ab")), 9);
  // A character outside GBK takes the four-byte form of GB18030.
  const std::string four = Utf8ToCp936("€😀");
  EXPECT_EQ(DisplayColumns(four), 4);
  // A lone lead byte at the end is one column, not a read past the end.
  EXPECT_EQ(DisplayColumns("a\x81"), 2);
}

TEST(ConsoleOutputTest, RecordingSinkReplacesStandardOutputUntilRemoved) {
  RecordingConsole recording;
  ConsoleSink* before = SetConsoleSink(&recording);
  PrintLine("one\x1b");
  PrintLine("");
  EXPECT_EQ(SetConsoleSink(before), &recording);
  ASSERT_EQ(recording.Lines().size(), 2u);
  EXPECT_EQ(recording.Lines()[0], "one?");
  EXPECT_EQ(recording.Lines()[1], "");
  EXPECT_FALSE(ConsoleCharset().empty());
}

}  // namespace
}  // namespace korvan
