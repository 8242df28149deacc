#include "zem/modelwindows/FixtureFormRastel_21.h"

#include <algorithm>

#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/model/NimboRastelModels.h"
#include "zem/modelwindows/ColorMixingTables.h"
#include "zem/modelwindows/Pictures.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/PanelUtils.h"

namespace {

using namespace colormix;
using R = TZemFixtureRastel_21;

constexpr size_t kScene = fd::kStandAloneProgram + fdarea::program::kScene;  // byte 134
constexpr size_t kGoboByte = 137;
constexpr size_t kGoboLow = 138;
constexpr size_t kGoboHigh = 139;
constexpr size_t kPanByte = 140;
constexpr size_t kTiltByte = 141;
constexpr uint8_t kGoboRotateFlag = 0x04;

constexpr FaderSpec kFaders[] = {IntensityFader(134), FocusFader(0x02, 135)};

inline constexpr ZemStr kModes[] = {ZemStr::MwMode1, ZemStr::MwMode2};

constexpr SettingComboSpec kSettings[] = {
    {SettingsGroup::DMX, "lPanTiltSwap", "cbPanTiltSwap", ZemStr::RsPanTiltSwap, kOffOnItems,
     ZemStr::RsPanTiltSwapHint, &TZemFixture::GetPanTiltSwap, &TZemFixture::SetPanTiltSwap, Refresh::DMX},
    {SettingsGroup::DMX, "lPanInvert", "cbPanInvert", ZemStr::RsPanInvert, kOffOnItems,
     ZemStr::RsPanInvertHint, &TZemFixture::GetPanInvert, &TZemFixture::SetPanInvert, Refresh::DMX},
    {SettingsGroup::DMX, "lTiltInvert", "cbTiltInvert", ZemStr::RsTiltInvert, kOffOnItems,
     ZemStr::RsTiltInvertHint, &TZemFixture::GetTiltInvert, &TZemFixture::SetTiltInvert, Refresh::DMX},
    {SettingsGroup::DMX, "lDMXMode", "cbDMXMode", ZemStr::MwDMXMode, kModes, ZemStr::MwDMXModeHint,
     &TZemFixture::GetDmxProtocol, &TZemFixture::SetDmxProtocol, Refresh::DMX},
    // Among the other settings, shown and re-read with the DMX settings.
    {SettingsGroup::DMX, "lLampFanReg", "cbLampFanReg", ZemStr::MwLampFanReg, kOffOnItems,
     ZemStr::MwLampFanRegHint, &TZemFixture::GetLampFanReg, &TZemFixture::SetLampFanReg, Refresh::DMX,
     SettingsBox::Other},
    {SettingsGroup::DMX, "lGoboFanReg", "cbGoboFanReg", ZemStr::RsGoboFanReg, kOffOnItems,
     ZemStr::RsGoboFanRegHint, &TZemFixture::GetGoboFanReg, &TZemFixture::SetGoboFanReg, Refresh::DMX,
     SettingsBox::Other},
    {SettingsGroup::DMX, "lLampWarning", "cblLampWarningOn", ZemStr::MwLampWarning, kOffOnItems,
     ZemStr::MwLampWarningHint, &TZemFixture::GetLampWarningOn, &TZemFixture::SetLampWarningOn, Refresh::DMX,
     SettingsBox::Other},
};
constexpr TickEditSpec kEdits[] = {
    {EditPlace::DMX, "lHours100", "seWarningLevel", ZemStr::MwHours100, ZemStr::MwLampWarningHint, 1, 650, 3,
     kNoColor, &TZemFixture::GetWarningLevel, &TZemFixture::SetWarningLevel, SettingsBox::Other},
};

constexpr AdjustButtonSpec kDimmer[] = {
    {"sbDimmerOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<R, &R::AdjustDimmerOpen>},
    {"sbDimmerClosed", ZemStr::MwClosed, ZemStr::MwClosedHint, &Adjust<R, &R::AdjustDimmerClosed>},
};
constexpr AdjustButtonSpec kFocus[] = {
    {"sbFocusNear", ZemStr::MwNear, ZemStr::MwNearHint, &Adjust<TZemFixture, &TZemFixture::AdjustFocusNear>},
    {"sbFocusFar", ZemStr::MwFar, ZemStr::MwFarHint, &Adjust<TZemFixture, &TZemFixture::AdjustFocusFar>},
};
constexpr ZemStr kPanTiltChoices[] = {
    ZemStr::RsPanTiltCenter, ZemStr::RsPanStop1,     ZemStr::RsPanStop2,     ZemStr::RsTiltStop1,
    ZemStr::RsTiltStop2,     ZemStr::RsPanTiltNorm1, ZemStr::RsPanTiltNorm2,
};
constexpr ZemStr kGoboChoices[] = {
    ZemStr::RsGobo1,     ZemStr::RsGobo1Slow, ZemStr::RsGobo1Fast, ZemStr::RsGobo2,
    ZemStr::RsGobo2Slow, ZemStr::RsGobo2Fast, ZemStr::RsGobo3,     ZemStr::RsGobo3Slow,
    ZemStr::RsGobo3Fast, ZemStr::RsGobo4,     ZemStr::RsGobo4Slow, ZemStr::RsGobo4Fast,
};
template <void (R::*Op)(int)>
void AdjustChoice(TZemFixture& fixture, int index) {
  if (auto* model = dynamic_cast<R*>(&fixture)) (model->*Op)(index);
}
constexpr AdjustChoiceSpec kPanTiltChoice = {"cbAdjustPanTilt", ZemStr::RsSelectAction, kPanTiltChoices,
                                             ZemStr::RsPanTiltChoiceHint,
                                             &AdjustChoice<&R::AdjustPanTiltChoice>};
constexpr AdjustChoiceSpec kGoboChoice = {"cbAdjustGobo", ZemStr::RsSelectAction, kGoboChoices,
                                          ZemStr::RsGoboChoiceHint, &AdjustChoice<&R::AdjustGoboChoice>};
constexpr AdjustRowSpec kAdjustRows[] = {
    {"pDimmer", ZemStr::MwRowDimmer, kDimmer},
    {"pAdjustFocus", ZemStr::MwRowFocus, kFocus},
    {"pAdjustPanTilt", ZemStr::RsRowPanTilt, {}, &kPanTiltChoice},
    {"pAdjustGobo", ZemStr::RsRowGobo, {}, &kGoboChoice},
};

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "Rastel_21Form";
  t.picture = FixtureOutline::Scanner;
  t.faders = kFaders;
  t.adjustRows = kAdjustRows;
  t.settings = kSettings;
  t.edits = kEdits;
  return t;
}();

// The pad: the grid, 161 pixels square, with a direction button on each side.
constexpr int kGridSize = 161;
constexpr int kCursorSize = 17;
constexpr int kArrowThickness = 16;
constexpr int kPadGap = 2;
constexpr int kGoboPanelSize = 44;
constexpr int kGoboFaderWidth = 64;

// The held direction button's interval: it starts here and shortens to kFastestMs, then the step grows.
constexpr uint32_t kFirstRepeatMs = 600;
constexpr uint32_t kRepeatShorteningMs = 100;
constexpr uint32_t kFastestMs = 100;

int Sign(int v) {
  return (v > 0) - (v < 0);
}

int Byte(size_t offset) {
  return FixtureData[offset];
}

}  // namespace

TRastel_21Form::TRastel_21Form(ui::Component* owner) : TColorMixingForm(owner, kTables) {
  lPanTiltSwap = Find<ui::Label>("lPanTiltSwap");
  cbPanTiltSwap = Find<ui::ComboBox>("cbPanTiltSwap");
  lPanInvert = Find<ui::Label>("lPanInvert");
  cbPanInvert = Find<ui::ComboBox>("cbPanInvert");
  lTiltInvert = Find<ui::Label>("lTiltInvert");
  cbTiltInvert = Find<ui::ComboBox>("cbTiltInvert");
  lDMXMode = Find<ui::Label>("lDMXMode");
  cbDMXMode = Find<ui::ComboBox>("cbDMXMode");
  lLampFanReg = Find<ui::Label>("lLampFanReg");
  cbLampFanReg = Find<ui::ComboBox>("cbLampFanReg");
  lGoboFanReg = Find<ui::Label>("lGoboFanReg");
  cbGoboFanReg = Find<ui::ComboBox>("cbGoboFanReg");
  lLampWarning = Find<ui::Label>("lLampWarning");
  cblLampWarningOn = Find<ui::ComboBox>("cblLampWarningOn");
  lHours100 = Find<ui::Label>("lHours100");
  seWarningLevel = Find<ui::SpinEdit>("seWarningLevel");
  frFocus = Find<TFader>("frFocus");
  cbAdjustPanTilt = Find<ui::ComboBox>("cbAdjustPanTilt");
  cbAdjustGobo = Find<ui::ComboBox>("cbAdjustGobo");
  pDimmer = Find<ui::Panel>("pDimmer");
  pAdjustFocus = Find<ui::Panel>("pAdjustFocus");
  pAdjustPanTilt = Find<ui::Panel>("pAdjustPanTilt");
  pAdjustGobo = Find<ui::Panel>("pAdjustGobo");

  const int top = NextRowTop(gbOtherSettings);
  lLampTemp = fixtureform::MakeLabel(this, gbOtherSettings, "lLampTemp", 8, top);
  lGoboTemp = fixtureform::MakeLabel(this, gbOtherSettings, "lGoboTemp", 8, top + 20);
  gbOtherSettings->setHeight(std::max(gbOtherSettings->height(), top + 40));
  // The fixture sends its temperatures only when asked: the idle poll asks while these show.
  AddIdleReading(lLampTemp);
  AddIdleReading(lGoboTemp);

  // The pan/tilt pad beside the faders.
  int left = frFocus->left() + frFocus->width() + 12;
  auto arrow = [&](const char* name, int x, int y, int w, int h, int dx, int dy) {
    auto* p = ui::make<ui::Panel>(this, Panel4, name, x, y, w, h);
    auto* glyph = ui::make<ui::Image>(this, p, (std::string(name) + "Arrow").c_str(), 0, 0, w, h);
    glyph->setPicture(ArrowPicture(dx, dy));
    glyph->setCenter(true);
    glyph->setEnabled(false);  // a press on the arrow is a press on the button
    p->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int px, int py) {
      Guarded([&] { pPanTiltMouseDown(s, b, sh, px, py); });
    };
    p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int px, int py) {
      pPanTiltMouseUp(s, b, sh, px, py);
    };
    // The button's release may never come (a modal window took the mouse): the repeat ends all the same.
    p->onMouseCaptureLost = [this](ui::Component* s) { pPanTiltMouseUp(s, ui::MouseButton::Left, 0, 0, 0); };
    return p;
  };
  const int gridLeft = left + kArrowThickness + kPadGap;
  const int gridTop = 2 + kArrowThickness + kPadGap;
  pTiltUp = arrow("pTiltUp", gridLeft, 2, kGridSize, kArrowThickness, 0, -1);
  pPanLeft = arrow("pPanLeft", left, gridTop, kArrowThickness, kGridSize, -1, 0);
  pPanRight = arrow("pPanRight", gridLeft + kGridSize + kPadGap, gridTop, kArrowThickness, kGridSize, 1, 0);
  pTiltDown = arrow("pTiltDown", gridLeft, gridTop + kGridSize + kPadGap, kGridSize, kArrowThickness, 0, 1);
  iXYgrid = ui::make<ui::Image>(this, Panel4, "iXYgrid", gridLeft, gridTop, kGridSize, kGridSize);
  iXYgrid->setPicture(GridPicture(kGridSize, kGridSize));
  iXYgrid->setCursor(ui::crCross);
  iXYgrid->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    Guarded([&] { iXYgridMouseDown(s, b, sh, x, y); });
  };
  iXYgrid->onMouseMove = [this](ui::Component* s, ui::ShiftState sh, int x, int y) {
    Guarded([&] { iXYgridMouseMove(s, sh, x, y); });
  };
  iXYgrid->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    iXYgridMouseUp(s, b, sh, x, y);
  };
  // A drag whose release never comes (a modal window took the mouse) ends all the same, cursor back.
  iXYgrid->onMouseCaptureLost = [this](ui::Component* s) {
    iXYgridMouseUp(s, ui::MouseButton::Left, 0, 0, 0);
  };
  sXYcursor = ui::make<ui::Shape>(this, Panel4, "sXYcursor", gridLeft, gridTop, kCursorSize, kCursorSize);
  sXYcursor->setShape(ui::ShapeType::Circle);
  sXYcursor->setBrushColor(ui::clYellow);
  sXYcursor->setEnabled(false);  // presses on it fall to the grid
  lPanTiltPosition = fixtureform::MakeLabel(this, Panel4, "lPanTiltPosition", gridLeft + kGridSize + kPadGap,
                                            gridTop + kGridSize + kPadGap);
  auto* timer = new ui::Timer(this, kFirstRepeatMs);
  timer->setName("pPanTiltTimer");
  timer->setEnabled(false);
  timer->onTimer = [this, timer] { Guarded([&] { pPanTiltTimerTimer(timer); }); };
  pPanTiltTimer = timer;

  // The gobo: its caption, the four gobos, the mode and the fader.
  left = gridLeft + kGridSize + kPadGap + kArrowThickness + 12;
  const int goboWidth = 2 * kGoboPanelSize + 4;
  pGoboCaption = ui::make<ui::Panel>(this, Panel4, "pGoboCaption", left, 4, goboWidth, 20);
  goboPanels_ = MakeGoboPanels(Panel4, left, 28, kGoboPanelSize, [this](ui::Component* s) { pGoboClick(s); });
  pGobo1 = goboPanels_[0];
  pGobo2 = goboPanels_[1];
  pGobo3 = goboPanels_[2];
  pGobo4 = goboPanels_[3];
  pRotIndex = MakeModeButton(Panel4, "pRotIndex", left, 28 + 2 * (kGoboPanelSize + 4), goboWidth, 24,
                             [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
                               pGoboIndexMouseDown(s, b, sh, x, y);
                             });
  frGobo = MakeFader(Panel4, "frGobo", left + goboWidth + 10, 4, kGoboFaderWidth, frFocus->height(), -32768,
                     32767);
  frGobo->OnChange = [this](ui::Component* s) { GoboFaderChange(s); };

  AddLiveAction(kPanTiltBit, kFocusBit + 1,
                [this] { return CurrentFixture && CurrentFixture->SetLivePanTilt(Pan, Tilt); });
  AddLiveAction(kGoboBit, kGoboBit, [this] {
    if (!CurrentFixture || !frGobo) return false;
    const int position = frGobo->Position();
    // Rotate mode sends the speed as a signed byte, index mode the position counted down from 32767.
    return RotateMode ? CurrentFixture->SetControlValue79(GoboIndex, position)
                      : CurrentFixture->SetControlValue78(GoboIndex, 32767 - position);
  });
}

TRastel_21Form::~TRastel_21Form() {
  // A window closed in the middle of a drag gives the screen its cursor back.
  if (Dragging) ui::screen().setCursor(ui::crDefault);
}

void TRastel_21Form::FormCreate(ui::Component* sender) {
  TColorMixingForm::FormCreate(sender);
  cbStandAloneMode->setHint(ZemString(ZemStr::MwNimboStandAloneHint));
  cbStandAloneMode->setShowHint(true);
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{iXYgrid, sXYcursor, pTiltUp, pTiltDown, pPanLeft, pPanRight})
    c->setHint(ZemString(ZemStr::RsPanTiltHint));
  pGoboCaption->setCaption(ZemString(ZemStr::MwGobo));
  pGoboCaption->setHint(ZemString(ZemStr::MwGoboSettingsHint));
  for (ui::Panel* p : goboPanels_) p->setHint(ZemString(ZemStr::MwSelectGoboHint));
  pRotIndex->setHint(ZemString(ZemStr::RsRotIndexHint));
  frGobo->setHint(ZemString(ZemStr::MwGoboIndexHint));
  frGobo->SetCaption("");
  lLampTemp->setCaption(ZemFormat(ZemStr::RsTempLamp, 0));
  lGoboTemp->setCaption(ZemFormat(ZemStr::RsTempGobo, 0));
  ShowGobo();
  ShowPanTilt();
}

// ---------------------------------------------------------------------------------------------------------
// Write-back tick

void TRastel_21Form::SAModifiedTimerTimer(ui::Component* sender) {
  TColorMixingForm::SAModifiedTimerTimer(sender);
  // The temperatures show what the record holds, with or without a fixture.
  UpdateTemperatures();
}

void TRastel_21Form::UpdateTemperatures() {
  if (lLampTemp)
    lLampTemp->setCaption(ZemFormat(ZemStr::RsTempLamp, Byte(fd::kTempValues + fdarea::temps::kLamp)));
  if (lGoboTemp)
    lGoboTemp->setCaption(ZemFormat(ZemStr::RsTempGobo, Byte(fd::kTempValues + fdarea::temps::kHead)));
}

// ---------------------------------------------------------------------------------------------------------
// Scene

void TRastel_21Form::UpdateScene() {
  TColorMixingForm::UpdateScene();
  const bool was = Updating;
  Updating = true;
  const int goboByte = SceneValues[kGoboByte - kScene];
  const int low = SceneValues[kGoboLow - kScene];
  const int high = SceneValues[kGoboHigh - kScene];
  GoboIndex = goboByte & 3;
  RotateMode = (goboByte & kGoboRotateFlag) != 0;
  GoboValue = RotateMode ? static_cast<int8_t>(high) : 32767 - (high * 256 + low);
  ShowGobo();
  Pan = SceneValues[kPanByte - kScene];
  Tilt = SceneValues[kTiltByte - kScene];
  ShowPanTilt();
  Updating = was;
}

void TRastel_21Form::GoboFaderChange(ui::Component* sender) {
  if (Updating || sender != frGobo.get()) return;
  ChangedBits |= kGoboBit;
  GoboValue = frGobo->Position();
}

void TRastel_21Form::pGoboClick(ui::Component* sender) {
  if (PickPanel(sender, goboPanels_, GoboIndex)) ChangedBits |= kGoboBit;
}

void TRastel_21Form::pGoboIndexMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  RotateMode = !RotateMode;
  ChangedBits |= kGoboBit;
  pRotIndex->setBevelOuter(ui::BevelCut::Lowered);
  // The rotation is the position's high byte, the position the rotation's byte shifted up.
  GoboValue = RotateMode ? GoboValue / 256 : GoboValue * 256;
  ShowGobo();
}

void TRastel_21Form::ShowGobo() {
  ShowChosen(goboPanels_, GoboIndex);
  ShowWheel(frGobo, pRotIndex, RotateMode, {-32768, 32767, -128, 127}, GoboValue);
}

// ---------------------------------------------------------------------------------------------------------
// Pan and tilt

void TRastel_21Form::pPanTiltMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  PanStep = 0;
  TiltStep = 0;
  if (sender == pPanLeft.get()) PanStep = -1;
  if (sender == pPanRight.get()) PanStep = 1;
  if (sender == pTiltUp.get()) TiltStep = -1;
  if (sender == pTiltDown.get()) TiltStep = 1;
  if (auto* p = dynamic_cast<ui::Panel*>(sender)) p->setBevelOuter(ui::BevelCut::Lowered);
  pPanTiltTimer->setInterval(kFirstRepeatMs);
  pPanTiltTimer->setEnabled(true);
  pPanTiltTimerTimer(pPanTiltTimer);
}

void TRastel_21Form::pPanTiltTimerTimer(ui::Component*) {
  const uint32_t interval = pPanTiltTimer->interval();
  if (interval > kFastestMs) {
    pPanTiltTimer->setInterval(interval - kRepeatShorteningMs);
  } else {
    PanStep += Sign(PanStep);
    TiltStep += Sign(TiltStep);
  }
  Pan = std::clamp(Pan + PanStep, 0, 255);
  Tilt = std::clamp(Tilt + TiltStep, 0, 255);
  ChangedBits |= kPanTiltBit;
  ShowPanTilt();
}

void TRastel_21Form::pPanTiltMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (auto* p = dynamic_cast<ui::Panel*>(sender)) p->setBevelOuter(ui::BevelCut::Raised);
  if (pPanTiltTimer) pPanTiltTimer->setEnabled(false);
}

void TRastel_21Form::iXYgridMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int x, int y) {
  Pan = std::clamp(static_cast<int>(ui::roundHalfEven(x * 256.0L / iXYgrid->width())), 0, 255);
  Tilt = std::clamp(static_cast<int>(ui::roundHalfEven(y * 256.0L / iXYgrid->height())), 0, 255);
  ShowPanTilt();
  ChangedBits |= kPanTiltBit;
  // The circle is the cursor while the mouse drags it.
  ui::screen().setCursor(ui::crNone);
  Dragging = true;
}

void TRastel_21Form::iXYgridMouseMove(ui::Component*, ui::ShiftState, int x, int y) {
  if (!Dragging) return;
  const int width = iXYgrid->width();
  const int height = iXYgrid->height();
  Pan = std::clamp(x, 0, width) * 255 / width;
  Tilt = std::clamp(y, 0, height) * 255 / height;
  ChangedBits |= kPanTiltBit;
  ShowPanTilt();
}

void TRastel_21Form::iXYgridMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (!Dragging) return;
  Dragging = false;
  ui::screen().setCursor(ui::crDefault);
}

void TRastel_21Form::ShowPanTilt() {
  if (iXYgrid && sXYcursor) {
    const long double half = sXYcursor->width() / 2.0L;
    const auto at = [half](int origin, int size, int value) {
      return static_cast<int>(
          ui::roundHalfEven(origin + static_cast<long double>(size) * value / 256 - half));
    };
    sXYcursor->setBounds(at(iXYgrid->left(), iXYgrid->width(), Pan),
                         at(iXYgrid->top(), iXYgrid->height(), Tilt), sXYcursor->width(),
                         sXYcursor->height());
  }
  if (lPanTiltPosition) lPanTiltPosition->setCaption(std::to_string(Pan) + "," + std::to_string(Tilt));
}
