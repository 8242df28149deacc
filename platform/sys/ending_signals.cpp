#include "platform/sys/ending_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace sys {

namespace {

sigset_t endingSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  sigaddset(&set, SIGTERM);
  return set;
}

void closeIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

EndingSignals::EndingSignals(Handler onFirst) : onFirst_(std::move(onFirst)) {
  const sigset_t set = endingSet();
  sigset_t before;
  if (pthread_sigmask(SIG_BLOCK, &set, &before) != 0) return;
  signalFd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signalFd_ >= 0 && ::pipe2(stopPipe_, O_CLOEXEC) == 0) {
    try {
      thread_ = std::thread([this] { run(); });
      return;
    } catch (const std::system_error&) {
    }
  }
  // Nothing would read them: the signals end the program as they did.
  (void)pthread_sigmask(SIG_SETMASK, &before, nullptr);
  closeIfOpen(signalFd_);
  closeIfOpen(stopPipe_[0]);
  closeIfOpen(stopPipe_[1]);
}

void EndingSignals::stop() {
  if (thread_.joinable()) {
    const char stop = 0;
    while (::write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  // A signal that came before the program stopped listening counts, even one its thread, woken by both
  // at once or not yet run, did not read: the program must still end by it.
  signalfd_siginfo info{};
  while (signalFd_ >= 0 && ::read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    int none = 0;
    first_.compare_exchange_strong(none, static_cast<int>(info.ssi_signo));
  }
  closeIfOpen(signalFd_);
  closeIfOpen(stopPipe_[0]);
  closeIfOpen(stopPipe_[1]);
}

void EndingSignals::endByFirst() {
  stop();
  const int signal = first();
  if (signal == 0) return;
  std::fflush(nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  (void)::sigaction(signal, &byDefault, nullptr);
  // Sent to this thread, which still blocks it: it ends the program as soon as it is let through.
  (void)::raise(signal);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  (void)pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void EndingSignals::run() {
  pollfd fds[2] = {{signalFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    signalfd_siginfo info{};
    if (::read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
    int none = 0;
    const int signal = static_cast<int>(info.ssi_signo);
    if (first_.compare_exchange_strong(none, signal) && onFirst_) onFirst_(signal);
  }
}

}  // namespace sys
