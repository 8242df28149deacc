// What the LED tube and LED strip windows share: both fixtures are a main unit followed by a chain of
// sub-devices (segments of the tube, Quodra units of the strip) that the window handles one at a time.
//
// The window adds to the fixture window template a selector in the bottom bar (Prev / label / Next) that
// switches the fixture to another sub-device when the button is released, the DMX mode setting, and an
// "LED Test" page whose colour panels light the selected sub-device while they are held down and whose
// "Auto test all" panel runs the auto-test window. It removes what an LED chain does not have: lamp,
// clock, adjustment, stand-alone program and log.
//
// Sub-devices are numbered 0 (the main unit) to TZemFixture::GetSegmentCount(), the highest index; the user
// sees them as 1 to highest + 1.
#pragma once

#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/page_control.h"
#include "zem/modelwindows/LedAutoTest.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/ZemStrings.h"

// What differs between the tube's and the strip's shared parts.
struct TSubDeviceFormStyle {
  // "Segment %d (of 1 to %d)" / "Quodra %d (of 1 to %d)": the number shown and the highest + 1.
  ZemStr selectorFormat;
  // DMX mode items, in protocol order.
  std::vector<ZemStr> dmxModes;
  // A held selector button steps on with a repeat that speeds up (tube); else one step per press (strip).
  bool repeat;
  // The LED test panels' look: both bevels raised and lowered (strip), or the outer one only (tube).
  bool bothBevels;
  // The colour panels of the LED test page, from the top.
  struct TestPanel {
    const char* name;
    ZemStr caption;
    ui::Color dark;  // shown while released
    ui::Color lit;   // shown while held
    ui::Color text;
    std::array<int, 5> values;  // red, green, blue, amber, white sent while held
  };
  std::vector<TestPanel> testPanels;
  // The monitor formats of temperatures 1 and 2 (and, when not Count_, of voltages 1 and 2).
  ZemStr temperature1, temperature2, voltage1, voltage2;
};

class TSubDeviceForm : public TFixtureFormTemplate {
 public:
  enum class HeldButton { None, Prev, Next };

  // Interval of the write-back timer (the template's is 200 ms).
  static constexpr uint32_t kWriteBackIntervalMs = 1000;
  // The held selector's first repeat comes after 1000 ms; see RepeatTimerTimer for the steps after it.
  static constexpr uint32_t kFirstRepeatMs = 1000;

  TSubDeviceForm(ui::Component* owner, const TSubDeviceFormStyle& style);

  // ---- Controls ----
  ui::Ref<ui::Panel> pSegment;
  ui::Ref<ui::Label> lSegment;
  ui::Ref<ui::SpeedButton> sbSegmentPrev, sbSegmentNext;
  ui::Ref<ui::Timer> RepeatTimer;
  ui::Ref<ui::Label> lDMXMode;
  ui::Ref<ui::ComboBox> cbDMXMode;
  ui::Ref<ui::TabSheet> tsLedTest;
  std::vector<ui::Ref<ui::Panel>> pLedTests;  // the colour panels, in style order
  ui::Ref<ui::Panel> pAutoTestAll;

  // ---- State ----
  int32_t PendingSegment = 0;
  HeldButton Held = HeldButton::None;

  // ---- Handlers ----
  void FormCreate(ui::Component* sender) override;
  void UpdateScene() override {}  // no stand-alone program page
  void cbDMXModeChange(ui::Component* sender);
  void sbSegmentMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void sbSegmentMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void RepeatTimerTimer(ui::Component* sender);
  void LedTestMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void LedTestMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);

  // ---- Operations ----
  // Writes the old sub-device's edits, switches the fixture to the pending one and shows it.
  void SelectPendingSegment();
  // The selector: the pending sub-device in blue while a button is held, else the current one.
  virtual void UpdateSegmentLabel();
  // Runs the auto-test window modally and shows the sub-device that was selected before it again.
  void RunAutoTest();

 protected:
  // The fixture's idle poll, with whether the Monitor page is showing.
  void PollIdle();
  // The auto-test window of this fixture.
  virtual TLedAutoTestForm* CreateAutoTestForm() = 0;
  // Re-lays the counters left on the information page as two rows (power-on, lamp-on) in a 74-high
  // status group across the page.
  void LayOutCounterRows();

 private:
  void BuildSelector();
  void BuildLedTestPage();
  // Removes what neither fixture has and moves the DMX mode to the place of the DMX lamp-off setting.
  void RemoveLampClockAndLog();
  // Ends a held selector without switching (its release was lost to a modal window).
  void CancelHeldSegment();
  // Sends the release of a colour panel: LEDs off, dark colours back.
  void ReleaseLedTest(ui::Panel* panel);

  const TSubDeviceFormStyle& style_;
};
