// The auto test of the LED tube and LED strip windows: a small modal window that lights every segment
// (sub-device) of the connected fixture in every test colour, one segment at a time, until the user cancels.
// One window class serves both fixtures; they differ only in their texts and colour sets.
//
// Each tick of Timer1 lights the next segment; a second timer darkens it the interval less 50 ms after the
// tick, however long the link took to light it (a link slower than that darkens it as soon as it is lit),
// so a segment is always dark before the next one lights. Between the two the window keeps running its
// message loop: it repaints and takes Cancel, Faster and Slower at once. A segment still lit when the
// window goes is darkened as it goes.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "zem/windows/ZemStrings.h"

// One test colour: its name and the LED values (red, green, blue, amber, white) that light it.
struct TLedTestColour {
  ZemStr name;
  std::array<int, 5> values;
};

// What tells the tube's auto test from the strip's.
struct TLedAutoTestStyle {
  const char* formName;
  ZemStr caption;
  // Texts of the two labels until the first tick; an empty entry (ZemStr::Count_) leaves the label empty.
  ZemStr subDeviceDesign;
  ZemStr colourDesign;
  // "DMXAdr:  %d" with the segment's DMX address (tube) or "Quodra:  %d" with the segment number (strip).
  ZemStr subDeviceFormat;
  bool showsDmxAddress;
  ZemStr colourFormat;
  std::vector<TLedTestColour> colours;
};

const TLedAutoTestStyle& BralinAutoTestStyle();
const TLedAutoTestStyle& KandrelAutoTestStyle();

class TLedAutoTestForm : public ui::Form {
 public:
  static constexpr uint32_t kStartIntervalMs = 500;
  // Faster works while the interval is above 100 ms, Slower while it is below 1000 ms, 200 ms a step:
  // from 500 ms the intervals 100, 300, 500, 700, 900 and 1100 ms can be reached.
  static constexpr uint32_t kFasterAboveMs = 100;
  static constexpr uint32_t kSlowerBelowMs = 1000;

  TLedAutoTestForm(ui::Component* owner, const TLedAutoTestStyle& style);

  ui::Ref<ui::Label> lSubDevice, lColorIndex;
  ui::Ref<ui::Panel> pFaster, pSlower, pCancel;
  ui::Ref<ui::SpeedButton> sbFaster, sbSlower, sbCancel;
  ui::Ref<ui::Timer> Timer1;
  // Darkens the lit segment; runs at most once per step, only while that step's segment is lit.
  ui::Ref<ui::Timer> DarkTimer;

  // The segment and colour the next tick lights (the one lit now while Lit()).
  int SegmentIndex() const { return segment_; }
  int ColourIndex() const { return colour_; }
  bool Lit() const { return lit_; }

  virtual void FormCreate(ui::Component* sender);
  void Timer1Timer(ui::Component* sender);
  void sbSpeedClick(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);
  void DarkTimerTimer(ui::Component* sender);

 protected:
  // Darkens a segment still lit.
  void doHide() override;

 private:
  // Runs a step's part, not inside another (a link error box pumps messages in the middle of one). A part
  // that raises raises on every step: it is told once and the test ends.
  void Step(const std::function<void()>& part);
  // Selects the segment, shows it and lights it; the dark timer ends the step begun at stepStart.
  void LightSegment(uint32_t stepStart);
  // Darkens the lit segment and moves on to the next segment (and colour).
  void DarkenSegment();

  const TLedAutoTestStyle& style_;
  int32_t segment_ = 0;
  int32_t colour_ = 0;
  bool lit_ = false;
  bool ticking_ = false;
};

// The LED tube's auto test; its labels stay empty until the first tick.
class TBralinAutotestForm final : public TLedAutoTestForm {
 public:
  explicit TBralinAutotestForm(ui::Component* owner) : TLedAutoTestForm(owner, BralinAutoTestStyle()) {}
};

// The LED strip's auto test; its labels read "Quodra" and "LED" until the first tick.
class TKandrelAutoTest final : public TLedAutoTestForm {
 public:
  explicit TKandrelAutoTest(ui::Component* owner) : TLedAutoTestForm(owner, KandrelAutoTestStyle()) {}
};
