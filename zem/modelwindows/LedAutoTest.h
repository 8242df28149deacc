// The auto test of the LED tube and LED strip windows: a small modal window that lights every segment
// (sub-device) of the connected fixture in every test colour, one segment at a time, until the user cancels.
// One window class serves both fixtures; they differ only in their texts and colour sets.
#pragma once

#include <array>
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

  // The segment and colour the next tick lights.
  int SegmentIndex() const { return segment_; }
  int ColourIndex() const { return colour_; }

  virtual void FormCreate(ui::Component* sender);
  void Timer1Timer(ui::Component* sender);
  void sbSpeedClick(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);

 private:
  // One step of the test: select the segment, show it, light it for the interval less 50 ms, dark again.
  void LightNextSegment();

  const TLedAutoTestStyle& style_;
  int32_t segment_ = 0;
  int32_t colour_ = 0;
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
