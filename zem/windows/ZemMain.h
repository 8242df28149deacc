// The program's main window: it opens the interface device at its first activation and then runs
// the fixture search loop (search, identify, check, service) inside the handler of a message it posts
// to itself, until TerminateFlag is set. Without interface hardware the loop offers the demonstration
// menu instead of searching.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"

// The fixture window each row of the identification table opens (rows as in FixtureTypeTable()).
struct TFixtureWindowRow {
  const char* windowClass;
  // Creates that window, owned by owner and not yet shown.
  ui::Form* (*create)(ui::Component* owner, const TFixtureWindowRow& row);
};

// One entry per row of the model table, in its order.
const std::array<TFixtureWindowRow, 17>& FixtureWindowTable();

class TZEMMainForm final : public ui::Form {
 public:
  // The loop's states (also the position of pgGetData).
  enum State : int { kSearch = 0, kIdentify = 1, kCheck = 2, kService = 3 };

  explicit TZEMMainForm(ui::Component* owner);

  ui::ToolBar* ToolBar1;
  ui::MainMenu* MainMenu;
  ui::MenuItem* mMenuHelp;
  ui::MenuItem* mHelpContents;
  ui::MenuItem* N1;
  ui::MenuItem* mAbout;
  ui::Panel* Panel1;
  ui::Label* lHardware;
  ui::Shape* ledHardware;
  ui::Label* lFixtureConnect;
  ui::Shape* shLedConnect;
  ui::ProgressBar* pgGetData;
  ui::Panel* Panel2;
  ui::Panel* pClose;
  ui::SpeedButton* sbClose;

  void FormCreate(ui::Component* sender);
  void FormActivate(ui::Component* sender);
  void FormDestroy(ui::Component* sender);
  void FormClose(ui::Component* sender, ui::CloseAction& action);
  void sbCloseClick(ui::Component* sender);
  void mHelpContentsClick(ui::Component* sender);
  void mAboutClick(ui::Component* sender);
  void mAboutMeasureItem(ui::Component* sender, ui::Canvas& canvas, int& width, int& height);
  void mAboutDrawItem(ui::Component* sender, ui::Canvas& canvas, const ui::Rect& rect, bool selected);
  void AppShowHint(std::string& hintStr, bool& canShow, ui::HintInfo& info);
  void WMFixtureLoop(const ui::Message& message);

  bool FirstActivationDone() const { return activated_; }
  bool LoopRunning() const { return loopRunning_; }

  // Called each time a pass of the search (with interface hardware) ends back at the search without
  // having opened a fixture window, with what happened ("no fixture answered", "unsupported fixture
  // ..."). A run without a user (headless) ends there.
  std::function<void(const std::string& what)> OnSearchRoundEnded;
  // Shows a note about the driver library under the status (a library that could not be loaded).
  void ShowDriverNote(const std::string& text);
  ui::Label* lDriverNote;

 private:
  // One pass of a state; each returns the next state. The caller checks that the window still exists.
  int SearchDemo();
  int SearchFixture();
  int Identify();
  int Check();
  int Service();
  // True once TerminateFlag is set or the application is ending (which sets TerminateFlag).
  bool LoopMustEnd();
  bool IsDemoDevice() const;
  void ShowError(const std::string& text);

  std::string roundNote_;  // what the last failed pass met, for OnSearchRoundEnded
  bool activated_ = false;
  bool openFailed_ = false;  // the interface device's Open failed at the first activation
  bool loopRunning_ = false;
  std::minstd_rand random_;
  std::string lastHint_;
};
