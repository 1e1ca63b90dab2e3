#include "platform/response_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace korvan {
namespace {

const std::string kGbk = "\xB0\xD9\xB6\xC8";           // 百度 in GBK
const std::string kUtf8 = "\xE7\x99\xBE\xE5\xBA\xA6";  // and in UTF-8

TEST(ResponseTextTest, BomThenHeaderThenMetaThenUtf8DecideTheCharset) {
  EXPECT_EQ(ResponseTextCp936("\xEF\xBB\xBF" + kUtf8, "text/html; charset=gbk"), kGbk);
  EXPECT_EQ(ResponseTextCp936("\xFF\xFE\x7E\x76\xA6\x5E", ""), kGbk);  // UTF-16LE
  EXPECT_EQ(ResponseTextCp936("<meta charset=gbk>" + kUtf8, "text/html;charset=\"UTF-8\""),
            "<meta charset=gbk>" + kGbk);
  EXPECT_EQ(ResponseTextCp936(kGbk, "text/html; charset=gb2312"), kGbk);
  const std::string meta = "<META http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\">";
  EXPECT_EQ(ResponseTextCp936(meta + kGbk, "text/html; charset=no-such-set"), meta + kGbk);
  EXPECT_EQ(ResponseTextCp936(kUtf8, "text/html"), kGbk);
  // A declaration beyond the first 4 KiB is not looked at.
  EXPECT_EQ(CharsetOfMeta(std::string(4096, ' ') + "<meta charset=gbk>"), "");
  // Labels that could carry iconv options are cut to a plain name.
  EXPECT_EQ(CharsetOfContentType("text/html; charset=utf-8//translit"), "utf-8");
}

TEST(ResponseTextTest, OtherCharsetsAreConvertedAndUndeclaredGbkIsKept) {
  EXPECT_EQ(ResponseTextCp936("caf\xE9", "text/plain; charset=iso-8859-1"), "caf\xA8\xA6");
  EXPECT_EQ(ResponseTextCp936("<p>" + kGbk + "</p>", "text/html"), "<p>" + kGbk + "</p>");
  EXPECT_EQ(ResponseTextCp936("a\xFF"
                              "b",
                              "text/html; charset=utf-8"),
            "a?b");
  // Four-byte forms need the system's GB18030 converter, which glibc and
  // Windows have and Wine has not.
  if (Utf8ToCp936("\xC2\x80") != "\x81\x30\x81\x30") {
    GTEST_SKIP() << "no GB18030 converter on this system";
  }
  // An emoji is outside GBK but has a four-byte GB18030 code.
  EXPECT_EQ(ResponseTextCp936("\xF0\x9F\x98\x80", "text/plain; charset=utf-8"), "\x94\x39\xFC\x36");
}

}  // namespace
}  // namespace korvan
