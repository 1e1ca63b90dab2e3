#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/codepage.h"
#include "platform/exe_dir.h"
#include "platform/file_bytes.h"
#include "platform/private_profile.h"
#include "platform/wide_text.h"

namespace korvan {
namespace {

// A folder named in Chinese under the temporary folder, removed at the end.
class ChineseFolder {
 public:
  ChineseFolder() {
    path_ = std::filesystem::temp_directory_path() /
            FsPath("korvan-测试-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(path_);
    EXPECT_NE(GetACP(), 936u) << "the point is a system without code page 936";
  }
  ~ChineseFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Utf8() const { return Utf8OfPath(path_); }

 private:
  std::filesystem::path path_;
};

// Run where the ANSI code page is 1252, which holds none of these characters,
// so that a name passed through an ANSI call names another file.
TEST(WidePathTest, ChineseNamesAreReadOnAnyCodePage) {
  ChineseFolder folder;
  const std::string ini = folder.Utf8() + "\\配置.ini";
  {
    std::ofstream out(FsPath(ini), std::ios::binary);
    out << "[" << Utf8ToCp936("公共") << "]\r\nkey=" << Utf8ToCp936("值") << "\r\n";
  }
  ASSERT_TRUE(std::filesystem::is_regular_file(FsPath(ini)));
  EXPECT_EQ(ReadFileBytes(ini, 1 << 20).value_or("").size(), 16u);
  EXPECT_EQ(ReadFileBytes(ini, 3), "[" + Utf8ToCp936("公"));
  EXPECT_FALSE(ReadFileBytes(folder.Utf8() + "\\无.ini", 10));
  EXPECT_EQ(PrivateProfile::Load(ini).ReadString(Utf8ToCp936("公共"), "KEY"), Utf8ToCp936("值"));

  EXPECT_EQ(WideFromUtf8("配置"), L"\u914D\u7F6E");
  EXPECT_EQ(Utf8FromWide(L"\u914D\u7F6E"), "配置");
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(dir)));
}

TEST(WindowsCodePageTest, PageCharsetsMapToCodePagesAndBadBytesBecomeQuestionMarks) {
  EXPECT_EQ(ConvertCharsetLenient("\xC4\xE3\xBA\xC3", "gb2312", "utf-8"), "你好");
  EXPECT_EQ(ConvertCharsetLenient("\xA7\x41", "big5", "UTF-8"), "你");
  EXPECT_EQ(ConvertCharsetLenient("\x82\xA0", "Shift_JIS", "utf-8"), "あ");
  EXPECT_EQ(ConvertCharsetLenient("\xB0\xA1", "euc-kr", "utf-8"), "가");
  EXPECT_EQ(ConvertCharsetLenient("\x80\xE9", "windows-1252", "utf-8"), "€é");
  EXPECT_EQ(ConvertCharsetLenient("\xE9", "ISO-8859-1", "utf-8"), "é");
  EXPECT_EQ(ConvertCharsetLenient(std::string("a\0\x60\x4F", 4), "UTF-16LE", "GB18030"),
            "a" + Utf8ToCp936("你"));
  EXPECT_FALSE(ConvertCharsetLenient("a", "x-unknown", "utf-8"));
  // A lone lead byte, a lead byte before a blank and a byte no character
  // starts: "?" each, and the bytes after them are kept.
  EXPECT_EQ(Cp936ToUtf8("a\x81 b\xFF\xC4\xE3\x81"), "a? b?你?");
  EXPECT_EQ(ConvertCharsetLenient("a\xFF\xC3\xA9", "utf-8", "gbk"), "a?\xA8\xA6");
  // Long text is decoded in runs: a character across a run's end is kept
  // whole, and a bad byte in one run leaves the others as they are.
  const std::string run(4095, 'a');
  EXPECT_EQ(Cp936ToUtf8(run + "\xC4\xE3" + run + "\xFF" + run), run + "你" + run + "?" + run);
  EXPECT_EQ(Cp936ToUtf8("\xFF" + run + "\xC4\xE3"), "?" + run + "你");
}

}  // namespace
}  // namespace korvan
