#include "platform/open_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "../support/temp_dir.h"

namespace korvan {
namespace {

// A stand-in opener that records its arguments, one per line, in a file.
class FakeOpener {
 public:
  FakeOpener() {
    record_ = dir_.Path("args.txt");
    script_ =
        dir_.Write("fake-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                                    record_ + ".tmp\nmv " + record_ + ".tmp " + record_ + "\n");
    chmod(script_.c_str(), 0755);
  }
  const std::string& Script() const { return script_; }
  // The recorded arguments, waiting up to 5 s for the detached opener.
  std::string WaitForRecord() const {
    for (int i = 0; i < 500; ++i) {
      if (std::filesystem::exists(record_)) {
        std::ifstream in(record_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(not run)";
  }
  bool Ran() const { return std::filesystem::exists(record_); }

 private:
  testing::TempDir dir_;
  std::string record_;
  std::string script_;
};

TEST(OpenPageTest, OnlyWebAddressesWithoutControlBytesAreOpened) {
  EXPECT_TRUE(IsOpenableAddress("http://example.test/"));
  EXPECT_TRUE(IsOpenableAddress("HTTPS://example.test/a?b=c&d"));
  EXPECT_FALSE(IsOpenableAddress(""));
  EXPECT_FALSE(IsOpenableAddress("file:///etc/passwd"));
  EXPECT_FALSE(IsOpenableAddress("/usr/bin/xterm"));
  EXPECT_FALSE(IsOpenableAddress("javascript:alert(1)"));
  EXPECT_FALSE(IsOpenableAddress(" http://example.test/"));
  EXPECT_FALSE(IsOpenableAddress("http://a/\nrm -rf ~"));
  EXPECT_FALSE(IsOpenableAddress("http:/"));
}

TEST(OpenPageTest, TheAddressIsOneArgumentWithoutAShellAndNoChildIsLeft) {
  FakeOpener opener;
  const std::string address = "http://example.test/a b;$(touch x)&c='d'";
  OpenPageWith(opener.Script(), address);
  EXPECT_EQ(opener.WaitForRecord(), address + "\n");
  // The opener ran in a grandchild: this process has no child to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(OpenPageTest, RefusedAddressesAndMissingOpenersDoNothing) {
  FakeOpener opener;
  OpenPageWith(opener.Script(), "file:///etc/passwd");
  OpenPageWith(opener.Script(), "");
  OpenPageWith("korvan-no-such-opener", "http://example.test/");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(opener.Ran());
}

}  // namespace
}  // namespace korvan
