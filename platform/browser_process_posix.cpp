#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/browser_client.h"
#include "platform/browser_process.h"

namespace korvan {

namespace {

namespace fs = std::filesystem;

// The guard: reads the browser's process group from its first line, waits
// until korvan's end of the pipe closes (korvan ended, however), then kills
// the group and removes the profile folder given as $1.
constexpr const char* kGuardScript =
    "read -r group; while read -r _; do :; done; "
    "[ -n \"$group\" ] && kill -s KILL -- \"-$group\" 2>/dev/null; rm -rf -- \"$1\"";

// Runs `fork_child` on one thread that lives as long as the process. A
// child's parent-death signal fires when the thread that forked it ends, not
// the process, and query workers end with every worksheet while their
// engine's browser is kept.
pid_t ForkOnLauncherThread(std::function<pid_t()> fork_child) {
  struct Launcher {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::packaged_task<pid_t()>*> jobs;
  };
  static Launcher* launcher = [] {
    auto* l = new Launcher();  // never freed: the thread may run at exit
    std::thread([l] {
      for (;;) {
        std::unique_lock<std::mutex> lock(l->mutex);
        l->wake.wait(lock, [l] { return !l->jobs.empty(); });
        std::packaged_task<pid_t()>* job = l->jobs.front();
        l->jobs.pop_front();
        lock.unlock();
        (*job)();
      }
    }).detach();
    return l;
  }();
  std::packaged_task<pid_t()> job(std::move(fork_child));
  std::future<pid_t> result = job.get_future();
  {
    std::lock_guard<std::mutex> lock(launcher->mutex);
    launcher->jobs.push_back(&job);
  }
  launcher->wake.notify_one();
  return result.get();
}

// In a forked child, before exec: only async-signal-safe calls. Standard
// input is `input` (or /dev/null), standard output and error go to
// /dev/null, `protocol` becomes descriptors 3 and 4 (the browser reads its
// commands from 3 and writes to 4), every other descriptor is closed and the
// signal mask is cleared. The callers moved `input` and `protocol` to 10 or
// above, out of the way of the descriptors set here.
void ChildDescriptors(int input, int protocol) {
  int null_fd = open("/dev/null", O_RDWR);
  if (null_fd >= 0) null_fd = fcntl(null_fd, F_DUPFD, 10);
  dup2(input >= 0 ? input : null_fd, 0);
  dup2(null_fd, 1);
  dup2(null_fd, 2);
  unsigned first_closed = 3;
  if (protocol >= 0) {
    dup2(protocol, 3);
    dup2(protocol, 4);
    first_closed = 5;
  }
  close_range(first_closed, ~0U, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

// The POSIX side of a running browser.
struct PosixProcess {
  pid_t pid = 0;      // also the id of its process group; 0: not running
  int pipe_fd = -1;   // our end of the protocol pipe (a socket)
  int guard_fd = -1;  // write end of the guard's pipe; closing it ends the guard
  pid_t guard_pid = 0;
  bool reaped = false;  // the browser's exit status has been collected
  std::string profile;  // the profile folder
};

// The guard, in a session of its own so that a terminal's signals to
// korvan's group leave it running. Sets its pipe's write end and its pid.
void StartGuard(PosixProcess& process) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  const std::string& profile = process.profile;
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    ChildDescriptors(fcntl(fds[0], F_DUPFD, 10), -1);
    execl("/bin/sh", "sh", "-c", kGuardScript, "korvan-browser-guard", profile.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[0]);
  if (pid < 0) {
    close(fds[1]);
    return;
  }
  process.guard_fd = fds[1];
  process.guard_pid = pid;
}

std::vector<std::string> BrowserArguments(const std::string& executable,
                                          const std::string& profile) {
  std::vector<std::string> args = {executable};
  for (std::string& s : CommonBrowserSwitches(profile)) args.push_back(std::move(s));
  // The full browser needs to be told; the headless shell has no window.
  if (fs::path(executable).filename() != "chromium-headless-shell") {
    args.push_back("--headless");
  }
  if (geteuid() == 0) args.push_back("--no-sandbox");  // its sandbox refuses root
  args.push_back("about:blank");
  return args;
}

pid_t ForkBrowser(const std::vector<std::string>& args, int child_end) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  return ForkOnLauncherThread([&argv, child_end, parent] {
    const pid_t pid = fork();
    if (pid == 0) {
      setpgid(0, 0);
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);  // korvan ended before the line above
      ChildDescriptors(-1, fcntl(child_end, F_DUPFD, 10));
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (pid > 0) setpgid(pid, pid);  // either side may win the race
    return pid;
  });
}

// Ends the browser and everything it started, removes its profile folder
// and releases the descriptors; the record is empty afterwards.
void EndProcess(PosixProcess& process) {
  if (process.pid > 0) {
    kill(-process.pid, SIGKILL);
    kill(process.pid, SIGKILL);
    if (!process.reaped) waitpid(process.pid, nullptr, 0);
  }
  if (process.pipe_fd >= 0) close(process.pipe_fd);
  if (!process.profile.empty()) {
    std::error_code ignored;
    fs::remove_all(process.profile, ignored);
  }
  if (process.guard_fd >= 0) close(process.guard_fd);
  // The guard ends at once now that its pipe is closed and the folder is
  // gone; it is reaped unless it takes unusually long.
  for (int i = 0; process.guard_pid > 0 && i < 100; ++i) {
    if (waitpid(process.guard_pid, nullptr, WNOHANG) != 0) break;
    usleep(10000);
  }
  process = PosixProcess{};
}

class RunningBrowser final : public BrowserProcess {
 public:
  explicit RunningBrowser(PosixProcess process)
      : process_(std::move(process)), pipe_(MakeSocketDevToolsPipe(process_.pipe_fd)) {
    process_.pipe_fd = -1;  // owned by pipe_ now
  }
  ~RunningBrowser() override {
    pipe_.reset();
    EndProcess(process_);
  }

  pid_t Pid() const override { return process_.pid; }

  bool Ended() override {
    if (process_.reaped) return true;
    int status = 0;
    if (waitpid(process_.pid, &status, WNOHANG) == process_.pid) process_.reaped = true;
    return process_.reaped;
  }

  DevToolsPipe& Pipe() override { return *pipe_; }

 private:
  PosixProcess process_;
  std::unique_ptr<DevToolsPipe> pipe_;
};

}  // namespace

std::string FindBrowserExecutable() {
  // The programs themselves, not the /usr/bin wrappers: the headless
  // shell's wrapper stays as the parent, and the parent-death signal and
  // the process group must reach the browser.
  for (const char* path :
       {"/usr/lib/chromium/chromium-headless-shell", "/usr/lib/chromium/chromium"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return {};
}

fs::path BrowserTempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && dir[0] == '/' ? fs::path(dir) : fs::path("/tmp");
}

bool ProcessGone(unsigned long pid) {
  if (pid > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) return true;
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::unique_ptr<BrowserProcess> StartBrowserProcess(const std::string& executable,
                                                    std::string& error) {
  std::string pattern =
      (BrowserTempFolder() / (kBrowserProfilePrefix + std::to_string(getpid()) + "-XXXXXX"))
          .string();
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make the browser's profile folder in " + BrowserTempFolder().string() + ": " +
            std::strerror(errno);
    return nullptr;
  }
  PosixProcess process;
  process.profile = pattern;
  StartGuard(process);
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    error = std::string("cannot open the browser's pipe: ") + std::strerror(errno);
    EndProcess(process);
    return nullptr;
  }
  process.pipe_fd = pair[0];
  process.pid = ForkBrowser(BrowserArguments(executable, process.profile), pair[1]);
  close(pair[1]);
  if (process.pid <= 0) {
    process.pid = 0;
    error = "cannot start " + executable + ": " + std::strerror(errno);
    EndProcess(process);
    return nullptr;
  }
  if (process.guard_fd >= 0) {
    const std::string line = std::to_string(process.pid) + "\n";
    if (write(process.guard_fd, line.data(), line.size()) < 0) {
      // The guard is gone; the folder is still removed when the browser
      // ends or, after a kill, at the next start.
    }
  }
  return std::make_unique<RunningBrowser>(std::move(process));
}

}  // namespace korvan
