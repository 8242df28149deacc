#include "platform/sys/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/sys/clock.h"

extern char** environ;

namespace sys {

namespace {

// A process may end while its /proc files are read: any failure reads as an empty text (a stream
// would raise on the read error instead).
std::string readFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char chunk[512];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) text.clear();
      break;
    }
    text.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

// The state letter of /proc/PID/stat: it follows the command name in brackets, which may itself hold
// blanks and brackets, so it is looked for after the last ')'.
char processState(const std::string& stat) {
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return '?';
  return stat[close + 2];
}

bool hasName(const std::string& dir, std::string_view name) {
  std::string comm = readFile(dir + "/comm");
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  if (comm == name) return true;
  // The first word of the command line ends at its NUL; its file name follows the last '/'.
  const std::string cmdline = readFile(dir + "/cmdline");
  std::string first = cmdline.substr(0, cmdline.find('\0'));
  const size_t slash = first.rfind('/');
  if (slash != std::string::npos) first.erase(0, slash + 1);
  return !first.empty() && first == name;
}

int openProcess(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

}  // namespace

std::string commandLine(pid_t pid) {
  return readFile("/proc/" + std::to_string(pid) + "/cmdline");
}

std::vector<pid_t> findProcesses(std::string_view name) {
  std::vector<pid_t> found;
  if (name.empty()) return found;
  DIR* proc = ::opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    const std::string dir = std::string("/proc/") + entry->d_name;
    // A process may end while it is looked at: its files then read empty and it does not count.
    const char state = processState(readFile(dir + "/stat"));
    if (state == 'Z' || state == 'X' || state == '?') continue;
    if (hasName(dir, name)) found.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return found;
}

ProcessWatch::ProcessWatch(pid_t pid) : pid_(pid), fd_(pid > 0 ? openProcess(pid) : -1) {}

ProcessWatch::~ProcessWatch() {
  if (fd_ >= 0) ::close(fd_);
}

ProcessWatch::ProcessWatch(ProcessWatch&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), fd_(std::exchange(other.fd_, -1)) {}

ProcessWatch& ProcessWatch::operator=(ProcessWatch&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    pid_ = std::exchange(other.pid_, -1);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

// The watch's descriptor becomes readable when the process ends.
std::optional<bool> ProcessWatch::running() const {
  if (fd_ < 0) return std::nullopt;
  return !sys::clock().waitReadable(fd_, 0);
}

bool ProcessWatch::waitForEnd(uint32_t ms) const {
  if (fd_ < 0) return true;
  return sys::waitReadable(fd_, ms);
}

Result<Command> Command::start(const std::string& commandLine, TerminalSignals terminalSignals) {
  std::string line = commandLine;
  char sh[] = "sh";
  char dashC[] = "-c";
  char* argv[] = {sh, dashC, line.data(), nullptr};
  auto failed = [&commandLine](int error) {
    return Error("cannot run \"" + commandLine + "\": " + std::strerror(error));
  };
  // The child tells why its exec failed through this pipe; a successful exec closes it.
  int execError[2];
  if (::pipe2(execError, O_CLOEXEC) != 0) return failed(errno);
  // No signal is let through between the fork and the exec: no handler of this program runs in the child.
  sigset_t all, before;
  sigfillset(&all);
  (void)pthread_sigmask(SIG_SETMASK, &all, &before);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here: other threads' locks may be held in this copy.
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
      // Handlers are this program's; ignored signals stay ignored, as an exec keeps them.
      if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN &&
          action.sa_handler != SIG_DFL) {
        action.sa_handler = SIG_DFL;
        action.sa_flags = 0;
        (void)::sigaction(signal, &action, nullptr);
      }
    }
    if (terminalSignals == TerminalSignals::Ignored) {
      action.sa_handler = SIG_IGN;
      action.sa_flags = 0;
      for (int signal : {SIGINT, SIGQUIT, SIGHUP}) (void)::sigaction(signal, &action, nullptr);
    }
    // Signals this program blocks (to read them itself) would stay blocked in the command and what it starts.
    sigset_t none;
    sigemptyset(&none);
    (void)::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve("/bin/sh", argv, environ);
    const int error = errno;
    (void)!::write(execError[1], &error, sizeof error);
    ::_exit(127);
  }
  const int forkError = errno;
  (void)pthread_sigmask(SIG_SETMASK, &before, nullptr);
  ::close(execError[1]);
  if (pid < 0) {
    ::close(execError[0]);
    return failed(forkError);
  }
  int error = 0;
  ssize_t n;
  while ((n = ::read(execError[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(execError[0]);
  if (n == static_cast<ssize_t>(sizeof error)) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return failed(error);
  }
  // Our own child stays queryable until it is collected, so the watch cannot miss a quick end.
  return Command(pid, ProcessWatch(pid));
}

Command::~Command() {
  // A command that has ended is collected; one still running is left to run on.
  if (pid_ > 0 && !exitCode_) (void)exitCode();
}

Command::Command(Command&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), watch_(std::move(other.watch_)), exitCode_(other.exitCode_) {}

std::optional<int> Command::exitCode() {
  if (exitCode_ || pid_ <= 0) return exitCode_;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else if (r < 0 && errno == ECHILD) {
    exitCode_ = -1;  // collected elsewhere: ended, its code unknown
  }
  return exitCode_;
}

bool Command::waitForEnd(uint32_t ms) {
  if (exitCode()) return true;
  // The watch tells when it ended (where it can); the exit code is what counts.
  if (watch_.valid()) {
    (void)watch_.waitForEnd(ms);
  } else {
    sys::sleepMs(ms);
  }
  return exitCode().has_value();
}

}  // namespace sys
