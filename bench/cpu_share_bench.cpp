// CPU share of the programs on a display in the states where they wait: zem searching with the interface
// box but no fixture, an idle fixture window, an idle modal window (the demonstration menu); the box
// configurator with two simulated boxes listed (its device watch and lamp timers running). Each state runs
// the real program as a child process against its simulator; after a warm-up the program's CPU time
// (from /proc) over a fixed real interval is reported as a share of one core.
//
//   cpu_share_bench [--seconds N] [--warmup N] [--load N] [--zem PROGRAM] [--sim LIBRARY]
//                   [--mendaro PROGRAM] [--only WORD]
//
// --only WORD measures only the states whose name holds WORD ("search", "idle", "configurator").
// --load N runs N worker processes beside the program (0 by default; "all" is one per core but one), each
// walking a buffer larger than the caches as a compiler does: on a loaded machine every wake-up of the
// program costs more, so a program that wakes too often shows it here. The load average while measuring is
// printed with the results.
//
// Uses DISPLAY, or starts a private Xvfb when DISPLAY is not set. Targets: below 1% idle, below 2% while
// searching, loaded or not.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct State {
  const char* name;
  const std::string& program;
  std::vector<std::string> env;  // besides DISPLAY
  double target;                 // share of one core
};

// The process's CPU time: the run time of its threads in nanoseconds (schedstat; the programs keep their
// threads while they wait), or else user + system time in clock ticks (stat), too coarse for a fraction of a
// percent.
double cpuSeconds(pid_t pid) {
  std::error_code ec;
  unsigned long long ns = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream sched(task.path() / "schedstat");
    unsigned long long taskNs = 0;
    if (sched >> taskNs) {
      ns += taskNs;
      any = true;
    }
  }
  if (any) return static_cast<double>(ns) * 1e-9;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return -1;
  // Fields after the command name (which is in brackets and may hold blanks): utime is the 12th.
  const char* close = std::strrchr(line.c_str(), ')');
  if (!close || close[1] == '\0') return -1;
  std::istringstream rest(close + 2);
  std::string field;
  unsigned long long utime = 0;
  unsigned long long stime = 0;
  for (int i = 1; i <= 13 && rest >> field; ++i) {
    if (i == 12) utime = std::stoull(field);
    if (i == 13) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

pid_t start(const std::string& program, const std::vector<std::string>& env) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr)
    _exit(126);
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// A private Xvfb; returns its pid and sets DISPLAY, or 0.
pid_t startXvfb() {
  std::fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) return 0;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[32] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  if (n <= 0) return 0;
  buf[strcspn(buf, "\n")] = '\0';
  std::string display = ":";
  display += buf;
  setenv("DISPLAY", display.c_str(), 1);
  return pid;
}

// A worker of the load: reads and writes a buffer larger than the caches at scattered places, so that the
// measured program finds its caches cold and the cores busy, until it is stopped.
pid_t startLoadWorker() {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid != 0) return pid;
  constexpr size_t kWords = size_t{64} << 20 >> 3;  // 64 MiB
  std::vector<uint64_t> buffer(kWords, 1);
  uint64_t x = 88172645463325252ull;
  for (;;) {
    for (int i = 0; i < 4096; ++i) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      buffer[x % kWords] += x;
    }
  }
}

double loadAverage() {
  std::ifstream in("/proc/loadavg");
  double one = -1;
  in >> one;
  return one;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10;
  double warmup = 4;
  std::string program = ZEM_BENCH_PROGRAM;
  std::string library = ZEM_BENCH_SIM_LIBRARY;
  std::string mendaro = ZEM_BENCH_MENDARO;
  long loadWorkers = 0;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--warmup") == 0) warmup = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--zem") == 0) program = argv[i + 1];
    if (std::strcmp(argv[i], "--sim") == 0) library = argv[i + 1];
    if (std::strcmp(argv[i], "--mendaro") == 0) mendaro = argv[i + 1];
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
    if (std::strcmp(argv[i], "--load") == 0) {
      loadWorkers = std::strcmp(argv[i + 1], "all") == 0 ? std::max(1L, sysconf(_SC_NPROCESSORS_ONLN) - 1)
                                                         : std::atol(argv[i + 1]);
    }
  }
  std::vector<pid_t> load;
  for (long i = 0; i < loadWorkers; ++i) load.push_back(startLoadWorker());
  pid_t xvfb = 0;
  if (!std::getenv("DISPLAY")) {
    xvfb = startXvfb();
    if (!xvfb) {
      std::fprintf(stderr, "no DISPLAY and Xvfb could not be started\n");
      return 1;
    }
  }
  const std::string sim = "ZEM_D2XX_LIBRARY=" + library;
  const State states[] = {
      {"search, box without fixture", program, {sim, "ZEM_SIM_FAULT=no-fixture"}, 0.02},
      {"idle fixture window", program, {sim}, 0.01},
      {"idle modal window (demonstration menu)",
       program,
       {"ZEM_D2XX_LIBRARY=/nonexistent/libftd2xx.so"},
       0.01},
      {"configurator, two boxes listed",
       mendaro,
       {"ZEM_USB_LIBRARY=" ZEM_BENCH_SIM_USB_LIBRARY, "ZEM_SIM_USB_DEVICES=dmx:F0A9;dmx:F028"},
       0.01},
  };
  std::printf("%-42s %10s %8s %6s\n", "state", "CPU share", "target", "load");
  bool allMet = true;
  for (const State& s : states) {
    if (std::string(s.name).find(only) == std::string::npos) continue;
    pid_t pid = start(s.program, s.env);
    std::this_thread::sleep_for(std::chrono::duration<double>(warmup));
    const double cpu0 = cpuSeconds(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu1 = cpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double loadAvg = loadAverage();
    stop(pid);
    if (cpu0 < 0 || cpu1 < 0) {
      std::printf("%-42s %10s\n", s.name, "ended early");
      allMet = false;
      continue;
    }
    const double share = (cpu1 - cpu0) / wall;
    allMet = allMet && share < s.target;
    std::printf("%-42s %9.2f%% %7.0f%% %6.1f\n", s.name, 100 * share, 100 * s.target, loadAvg);
    std::fflush(stdout);
  }
  for (pid_t worker : load) stop(worker);
  if (xvfb) stop(xvfb);
  return allMet ? 0 : 1;
}
