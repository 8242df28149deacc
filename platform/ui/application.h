// Application object: the message queue, the message loop, timers, the help file and hint settings.
//
// Headless core: posted messages and due timers run from processMessages() on the thread that owns
// the loop. post()/postMessage() may be called from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {

using Handle = uint32_t;  // target of posted window messages; 0 is no window

struct Message {
  Handle target = 0;
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class Timer;
class Control;

// Help commands (the numbers the help system takes).
inline constexpr uint32_t kHelpContext = 1;
inline constexpr uint32_t kHelpContents = 3;
inline constexpr uint32_t kHelpTopics = 15;  // the help topics dialog

// One request to the help system: recorded for tests and diagnostics, and shown by the backend.
struct HelpRequest {
  std::string file;
  uint32_t command = 0;  // 0 for a jump to a topic
  uintptr_t data = 0;
  std::string topic;  // topic identifier of a jump

  // What a help viewer opens: the file at the topic's anchor ("file#topic") for a jump; the file's start,
  // which holds its contents, for a command.
  std::string location() const { return topic.empty() ? file : file + "#" + topic; }
};

// What a hint is about to show; OnShowHint may change any of it.
struct HintInfo {
  Control* hintControl = nullptr;
  Point cursorPos;
  int hintMaxWidth = 0;
  int hideTimeout = 0;    // ms the hint stays up
  int reshowTimeout = 0;  // ms until the hint is shown again (0: not)
  std::string hintStr;
};
using ShowHintEvent = std::function<void(std::string& hintStr, bool& canShow, HintInfo& info)>;

class Application {
 public:
  static Application& instance();

  // Queues a closure to run on the loop's thread. Thread-safe.
  void post(std::function<void()> fn);
  // Queues a message for a registered window handle; false when the handle is unknown. Thread-safe.
  bool postMessage(Handle target, uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);

  Handle registerWindow(std::function<void(const Message&)> handler);
  void unregisterWindow(Handle h);

  // Runs every message queued so far and every timer that is due, then returns.
  void processMessages();
  // Runs the loop until terminate() (or until pred returns true, when given).
  void run(const std::function<bool()>& until = nullptr);
  // How long a loop with nothing to do may wait: 0 while messages are queued, else until the next
  // timer is due, and at most limitMs.
  uint32_t idleWaitMs(uint32_t limitMs = kMaxIdleWaitMs);
  // A loop's wait for something to do: the backend waits (without spinning) for input, a posted
  // message or the next due timer, at most limitMs. The headless backend sleeps 1 ms.
  void idle(uint32_t limitMs = kMaxIdleWaitMs);
  // The longest idle wait: what a loop polls besides messages and timers is looked at this often.
  static constexpr uint32_t kMaxIdleWaitMs = 100;
  void terminate() { terminated_ = true; }
  bool terminated() const { return terminated_; }

  const std::string& title() const { return title_; }
  void setTitle(const std::string& t) { title_ = t; }

  // Help: requests go to the help file named here; each is recorded and handed to the backend's viewer.
  const std::string& helpFile() const { return helpFile_; }
  void setHelpFile(const std::string& f) { helpFile_ = f; }
  // False when no help file is set (nothing is recorded then).
  bool helpCommand(uint32_t command, uintptr_t data);
  bool helpJump(const std::string& topic);
  const std::vector<HelpRequest>& helpRequests() const { return helpRequests_; }
  void clearHelpRequests() { helpRequests_.clear(); }

  // Hints: a hint shows hintPause ms after the mouse came to rest on a control (hintShortPause when
  // another hint was just up) and stays hintHidePause ms. See platform/ui/input.h for hovering.
  bool showHint() const { return showHint_; }
  void setShowHint(bool on) { showHint_ = on; }
  int hintPause() const { return hintPause_; }
  void setHintPause(int ms) { hintPause_ = ms; }
  int hintShortPause() const { return hintShortPause_; }
  void setHintShortPause(int ms) { hintShortPause_ = ms; }
  int hintHidePause() const { return hintHidePause_; }
  void setHintHidePause(int ms) { hintHidePause_ = ms; }
  ShowHintEvent onShowHint;

  // Drops queued messages and windows, clears the terminated state, the title, the help file and
  // its records, the hint settings and the responders and records of modal windows, message boxes and
  // file dialogs (tests). Timers belong to their owners and stay.
  void reset();

 private:
  friend class Timer;
  void addTimer(Timer* t);
  void removeTimer(Timer* t);
  void fireDueTimers();

  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
  std::map<Handle, std::function<void(const Message&)>> windows_;
  Handle nextHandle_ = 1;
  std::vector<Timer*> timers_;
  bool terminated_ = false;
  std::string title_;
  std::string helpFile_;
  std::vector<HelpRequest> helpRequests_;
  bool showHint_ = true;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
};

inline Application& app() {
  return Application::instance();
}

// A loop timer: fires onTimer every interval ms while enabled. A handler that is still running is not
// entered again; changing the interval or enabling restarts the period. Several elapsed periods
// between two passes of the loop give one call. A timer is a component: a form that owns it frees it.
class Timer : public Component {
 public:
  explicit Timer(uint32_t intervalMs = 1000);
  Timer(Component* owner, uint32_t intervalMs);
  explicit Timer(Component* owner) : Timer(owner, 1000) {}
  ~Timer() override;

  void setEnabled(bool on);
  bool enabled() const { return enabled_; }
  void setInterval(uint32_t ms);
  uint32_t interval() const { return interval_; }
  // True while onTimer runs.
  bool running() const { return running_; }

  std::function<void()> onTimer;

 private:
  friend class Application;
  void fireIfDue(uint32_t now);
  // Milliseconds until the timer fires (0 when due); nothing when it cannot fire.
  std::optional<uint32_t> msUntilDue(uint32_t now) const;
  uint32_t interval_;
  bool enabled_ = false;
  bool running_ = false;
  uint32_t start_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
