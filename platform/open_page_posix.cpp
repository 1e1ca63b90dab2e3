#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/open_page.h"

namespace korvan {

namespace {

// The full path of an executable named `program` in PATH, or empty. Looked
// up before forking, so that the child needs only async-signal-safe calls.
std::string FindInPath(const std::string& program) {
  if (program.find('/') != std::string::npos) {
    return access(program.c_str(), X_OK) == 0 ? program : std::string();
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (;;) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    std::string candidate(dir.empty() ? std::string_view(".") : dir);
    candidate += '/';
    candidate += program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

}  // namespace

void OpenPage(const std::string& address) { OpenPageWith("xdg-open", address); }

void OpenPageWith(const std::string& opener, const std::string& address) {
  if (!IsOpenableAddress(address)) return;
  const std::string program = FindInPath(opener);
  if (program.empty()) return;
  const std::string argument = Cp936ToUtf8(address);
  std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                             const_cast<char*>(argument.c_str()), nullptr};
  char** envp = ::environ;

  // Double fork: the middle process starts the opener and ends at once, so
  // the opener is adopted by init and never becomes our zombie.
  const pid_t middle = fork();
  if (middle < 0) return;
  if (middle == 0) {
    setsid();
    const pid_t opener_pid = fork();
    if (opener_pid == 0) {
      const int null_fd = open("/dev/null", O_RDWR);
      if (null_fd >= 0) {
        dup2(null_fd, STDIN_FILENO);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        if (null_fd > STDERR_FILENO) close(null_fd);
      }
      execve(program.c_str(), argv.data(), envp);
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace korvan
