#include "platform/sys/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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

Result<Command> Command::start(const std::string& commandLine, Group group) {
  pid_t pid = -1;
  std::string line = commandLine;
  char sh[] = "sh";
  char dashC[] = "-c";
  char* argv[] = {sh, dashC, line.data(), nullptr};
  posix_spawnattr_t attributes;
  if (const int rc = ::posix_spawnattr_init(&attributes); rc != 0)
    return Error("cannot run \"" + commandLine + "\": " + std::strerror(rc));
  // Signals this program blocks (to read them itself) would stay blocked in the command and what it starts.
  sigset_t none;
  sigemptyset(&none);
  (void)::posix_spawnattr_setsigmask(&attributes, &none);
  short flags = POSIX_SPAWN_SETSIGMASK;
  if (group == Group::Own) {
    flags |= POSIX_SPAWN_SETPGROUP;
    (void)::posix_spawnattr_setpgroup(&attributes, 0);
  }
  (void)::posix_spawnattr_setflags(&attributes, flags);
  const int rc = ::posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv, environ);
  ::posix_spawnattr_destroy(&attributes);
  if (rc != 0) return Error("cannot run \"" + commandLine + "\": " + std::strerror(rc));
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
