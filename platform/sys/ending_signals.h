// The signals that ask a program to end: Ctrl-C (SIGINT), a closed terminal (SIGHUP), kill or the end of
// the session (SIGTERM). A program that must run its own ending (hand a device back to a service) takes
// them here instead of dying: they are blocked, and a thread of this object reads them and tells the
// program of the first one; the program then leaves its loop and ends as it ends otherwise. Later ones
// are taken and dropped, so that they cannot cut that ending short. SIGKILL cannot be taken.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace sys {

class EndingSignals {
 public:
  // Runs on the object's thread, once, for the first signal. The program's loop is told from there
  // (ui::Application::post is safe from any thread).
  using Handler = std::function<void(int signal)>;

  // Construct it before any other thread starts: threads started afterwards keep the signals blocked
  // too, so none of them is ended by one. Commands started by Command::start get an empty signal mask.
  // The signals a program was started with ignored (nohup) stay ignored.
  explicit EndingSignals(Handler onFirst);
  ~EndingSignals() { stop(); }
  EndingSignals(const EndingSignals&) = delete;
  EndingSignals& operator=(const EndingSignals&) = delete;

  // False when the signals could not be taken over (they then end the program as before).
  bool active() const { return thread_.joinable(); }
  // The first signal taken; 0 while none came.
  int first() const { return first_.load(); }
  // Stops the thread: the handler has returned and runs no more. A signal that came before but was not
  // read yet is taken then (without the handler), so first() is final only after stop(). The signals stay
  // blocked, so one that comes afterwards, while the program ends, is dropped.
  void stop();
  // Once the program has done its own ending: ends it by the signal taken, as the signal would have ended
  // it, so that the shell or script that started it sees it interrupted (a script stops on Ctrl-C, and
  // the shell's status is 128 + the signal). Standard output is flushed first. Returns only when no
  // signal was taken, or when the signal does not end the program.
  void endByFirst();

 private:
  void run();

  Handler onFirst_;
  std::atomic<int> first_{0};
  int signalFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace sys
