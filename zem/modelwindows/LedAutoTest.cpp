#include "zem/modelwindows/LedAutoTest.h"

#include <exception>

#include "platform/sys/clock.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"

namespace {

constexpr int kClientWidth = 264;
constexpr int kClientHeight = 92;
constexpr uint32_t kSpeedStepMs = 200;
// The segment goes dark this long before the next tick, counted from its step's start.
constexpr uint32_t kDarkMs = 50;
constexpr ZemStr kNoText = ZemStr::Count_;

void SetText(ui::Label* label, ZemStr id) {
  if (label != nullptr) label->setCaption(id == kNoText ? std::string() : ZemString(id));
}

}  // namespace

const TLedAutoTestStyle& BralinAutoTestStyle() {
  static const TLedAutoTestStyle style{"BralinAutotestForm",
                                       ZemStr::AtTubeCaption,
                                       kNoText,
                                       kNoText,
                                       ZemStr::AtDmxAddress,
                                       true,
                                       ZemStr::AtColorIndex,
                                       {{ZemStr::AtRed, {255, 0, 0, 0, 0}},
                                        {ZemStr::AtGreen, {0, 255, 0, 0, 0}},
                                        {ZemStr::AtBlue, {0, 0, 255, 0, 0}},
                                        {ZemStr::AtWhite, {0, 0, 0, 0, 255}}}};
  return style;
}

const TLedAutoTestStyle& KandrelAutoTestStyle() {
  static const TLedAutoTestStyle style{"KandrelAutoTest",
                                       ZemStr::AtStripCaption,
                                       ZemStr::AtQuodra,
                                       ZemStr::AtLed,
                                       ZemStr::AtQuodraNumber,
                                       false,
                                       ZemStr::AtLedColor,
                                       {{ZemStr::AtRed, {255, 0, 0, 0, 0}},
                                        {ZemStr::AtGreen, {0, 255, 0, 0, 0}},
                                        {ZemStr::AtBlue, {0, 0, 255, 0, 0}}}};
  return style;
}

TLedAutoTestForm::TLedAutoTestForm(ui::Component* owner, const TLedAutoTestStyle& style)
    : ui::Form(owner), style_(style) {
  setName(style.formName);
  setClientSize(kClientWidth, kClientHeight);
  SetBoldDialogFont(*this);

  lSubDevice = ui::make<ui::Label>(this, this, "lSubDevice", 8, 10, 0, 13);
  lColorIndex = ui::make<ui::Label>(this, this, "lColorIndex", 8, 30, 0, 13);
  PanelButton faster = MakePanelButton(this, this, "pFaster", "sbFaster", 8, 58, 76, 25);
  PanelButton slower = MakePanelButton(this, this, "pSlower", "sbSlower", 92, 58, 76, 25);
  PanelButton cancel = MakePanelButton(this, this, "pCancel", "sbCancel", 176, 58, 80, 25);
  pFaster = faster.panel;
  sbFaster = faster.button;
  pSlower = slower.panel;
  sbSlower = slower.button;
  pCancel = cancel.panel;
  sbCancel = cancel.button;
  sbFaster->onClick = [this](ui::Component* s) { sbSpeedClick(s); };
  sbSlower->onClick = [this](ui::Component* s) { sbSpeedClick(s); };
  sbCancel->onClick = [this](ui::Component* s) { sbCancelClick(s); };

  auto* timer = new ui::Timer(this, kStartIntervalMs);
  timer->setName("Timer1");
  timer->onTimer = [this, timer] { Timer1Timer(timer); };
  timer->setEnabled(true);
  Timer1 = timer;
  auto* dark = new ui::Timer(this, kStartIntervalMs - kDarkMs);
  dark->setName("DarkTimer");
  dark->onTimer = [this, dark] { DarkTimerTimer(dark); };
  DarkTimer = dark;

  onCreate = [this](ui::Component* s) { FormCreate(s); };
}

void TLedAutoTestForm::FormCreate(ui::Component*) {
  setColor(kZemGrey);
  setBorderStyle(ui::BorderStyle::Single);
  setBorderIcons(ui::kSystemMenu);
  setPosition(ui::FormPosition::OwnerFormCenter);
  setCaption(ZemString(style_.caption));
  SetText(lSubDevice, style_.subDeviceDesign);
  SetText(lColorIndex, style_.colourDesign);
  sbFaster->setCaption(ZemString(ZemStr::AtFaster));
  sbSlower->setCaption(ZemString(ZemStr::AtSlower));
  sbCancel->setCaption(ZemString(ZemStr::AtCancel));
}

void TLedAutoTestForm::Timer1Timer(ui::Component*) {
  const uint32_t start = sys::tickCount();
  Step([this, start] {
    // A step whose dark could not go out in time (a link error box was up) ends before the next one.
    if (lit_) DarkenSegment();
    LightSegment(start);
  });
}

void TLedAutoTestForm::DarkTimerTimer(ui::Component*) {
  if (DarkTimer) DarkTimer->setEnabled(false);
  Step([this] {
    if (lit_) DarkenSegment();
  });
}

void TLedAutoTestForm::Step(const std::function<void()>& part) {
  if (ticking_ || !CurrentFixture) return;
  ticking_ = true;
  ui::Ref<TLedAutoTestForm> self(this);
  try {
    part();
  } catch (const std::exception& e) {
    if (!self) return;
    ticking_ = false;
    lit_ = false;
    Timer1->setEnabled(false);
    DarkTimer->setEnabled(false);
    ui::showErrorBox(e.what());
    if (self) setModalResult(ui::ModalResult::Cancel);
    return;
  }
  if (self) ticking_ = false;
}

void TLedAutoTestForm::LightSegment(uint32_t stepStart) {
  TZemFixture& fixture = *CurrentFixture;
  (void)fixture.SetSubDevice(segment_, true);  // a segment that does not answer is shown and lit all the same
  (void)fixture.ReadPersonality();
  const TLedTestColour& colour = style_.colours[static_cast<size_t>(colour_)];
  if (lSubDevice)
    lSubDevice->setCaption(
        ZemFormat(style_.subDeviceFormat, style_.showsDmxAddress ? fixture.GetDmxAddress() : segment_ + 1));
  if (lColorIndex) lColorIndex->setCaption(ZemFormat(style_.colourFormat, ZemString(colour.name).c_str()));
  const auto& v = colour.values;
  (void)fixture.SendLedData(v[0], v[1], v[2], v[3], v[4]);
  lit_ = true;
  // Dark the interval less 50 ms after the step began, whatever part of that the sends took.
  const uint32_t interval = Timer1 ? Timer1->interval() : kStartIntervalMs;
  const uint32_t litMs = interval > kDarkMs ? interval - kDarkMs : 0;
  const uint32_t spent = sys::elapsedMs(stepStart, sys::tickCount());
  DarkTimer->setEnabled(false);
  if (spent >= litMs) {
    // The link took the whole lit time: dark at once, so that this segment is off before the next step.
    DarkenSegment();
    return;
  }
  DarkTimer->setInterval(litMs - spent);
  DarkTimer->setEnabled(true);
}

void TLedAutoTestForm::DarkenSegment() {
  lit_ = false;
  DarkTimer->setEnabled(false);
  TZemFixture& fixture = *CurrentFixture;
  (void)fixture.SendLedData(0, 0, 0, 0, 0);
  if (++segment_ > fixture.GetSegmentCount()) {
    segment_ = 0;
    if (++colour_ >= static_cast<int32_t>(style_.colours.size())) colour_ = 0;
  }
}

void TLedAutoTestForm::doHide() {
  // Cancel or the close box in the middle of a step: the segment goes dark with the window.
  if (lit_) Step([this] { DarkenSegment(); });
  ui::Form::doHide();
}

void TLedAutoTestForm::sbSpeedClick(ui::Component* sender) {
  if (!Timer1) return;
  uint32_t interval = Timer1->interval();
  if (sender == sbFaster.get() && interval > kFasterAboveMs && interval > kSpeedStepMs)
    interval -= kSpeedStepMs;
  if (sender == sbSlower.get() && interval < kSlowerBelowMs) interval += kSpeedStepMs;
  Timer1->setInterval(interval);
  sbFaster->setEnabled(interval > kFasterAboveMs);
  sbSlower->setEnabled(interval < kSlowerBelowMs);
}

void TLedAutoTestForm::sbCancelClick(ui::Component*) {
  // A segment still lit goes dark as the window goes.
  setModalResult(ui::ModalResult::Cancel);
}
