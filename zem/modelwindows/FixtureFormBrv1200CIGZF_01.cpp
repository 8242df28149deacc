#include "zem/modelwindows/FixtureFormBrv1200CIGZF_01.h"

#include <algorithm>

#include "zem/link/ZEMData.h"
#include "zem/model/Brv1200Models.h"
#include "zem/modelwindows/GrobelTables.h"
#include "zem/modelwindows/Pictures.h"

namespace {

using namespace colormix;
using colormix::grobel::G;
using colormix::grobel::kAdjustColor;
using Form = TZemFixtureBrv1200CIGZF_01Form;

constexpr size_t kScene = fd::kStandAloneProgram + fdarea::program::kScene;  // byte 134
constexpr size_t kGoboLow = 142;
constexpr size_t kGoboHigh = 143;
constexpr size_t kGoboByte = 150;
constexpr size_t kAnimationCode = 151;
constexpr size_t kAnimationValueByte = 152;
constexpr int kGoboRotateFrom = 4;  // gobo bytes from here on are rotate mode

// Animation codes.
constexpr int kRotateCodeOffset = 2;  // horizontal 1 -> 3, vertical 2 -> 4
constexpr int kUserCode = 50;
constexpr int kUserRotateCode = 140;
constexpr int kUserPositions = 90;

constexpr FaderSpec ZoomFader16() {
  FaderSpec f = ZoomFader(0x10, 138, true);
  f.maxValue = 65535;
  return f;
}
// The intensity is a word of which the window shows the high byte (byte 145).
constexpr FaderSpec kFaders[] = {
    IntensityFader(145), CyanFader(146), MagentaFader(147),
    YellowFader(148),    ZoomFader16(),  FocusFader(0x20, 140, 65535),
};

constexpr ui::Color kRed = 0x0029CE;
constexpr ui::Color kGreen = 0x009C00;
constexpr ui::Color kBlue = 0xF7695A;
constexpr ColorPanelSpec kColorPanels[] = {
    {"pCTC", 0xFFFFFF, 0}, {"pRed", kRed, 1}, {"pGreen", kGreen, 2}, {"pBlue", kBlue, 3}};
constexpr ColorGroupSpec kColors = {
    "pColors", ZemStr::MwColorHint, kColorPanels, {}, {Form::kColorBit, &TZemFixture::SetLiveColor, 149}};

// Open, closed and the adjust (sensor) position of the dimmer and the colour flags.
constexpr AdjustButtonSpec kDimmer[] = {
    OpenClosedRows<G>::dimmer[0],
    OpenClosedRows<G>::dimmer[1],
    {"sbDimmerAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<G, &G::GrobelAdjust73_2>},
};
constexpr AdjustButtonSpec kCyan[] = {
    OpenClosedRows<G>::cyan[0],
    OpenClosedRows<G>::cyan[1],
    {"sbCyanAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<G, &G::GrobelAdjust74_2>},
};
constexpr AdjustButtonSpec kMagenta[] = {
    OpenClosedRows<G>::magenta[0],
    OpenClosedRows<G>::magenta[1],
    {"sbMagentaAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<G, &G::GrobelAdjust75_2>},
};
constexpr AdjustButtonSpec kYellow[] = {
    OpenClosedRows<G>::yellow[0],
    OpenClosedRows<G>::yellow[1],
    {"sbYellowAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<G, &G::GrobelAdjust76_2>},
};
constexpr AdjustButtonSpec kColorRow[] = {
    {"pAdjWhite", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<0>, 0xFFFFFF},
    {"pAdjColor1", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<1>, kRed},
    {"pAdjColor2", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<2>, kGreen},
    {"pAdjColor3", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<3>, kBlue},
    {"sbColorSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kAdjustColor<4>},
};

using F = TZemFixture;
template <void (F::*Op)(int), int Value>
inline constexpr AdjustAction kWith = &AdjustWith<F, Op, Value>;

constexpr AdjustButtonSpec kFocus[] = {
    {"sbFocusMin", ZemStr::IpMin, ZemStr::IpMin, &Adjust<F, &F::AdjustFocusNear>},
    {"sbFocusMax", ZemStr::IpMax, ZemStr::IpMax, &Adjust<F, &F::AdjustFocusFar>},
    {"sbFocusSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<F, &F::AdjustFocusSensor>},
};
constexpr AdjustButtonSpec kZoom[] = {
    {"sbZoomMin", ZemStr::IpMin, ZemStr::IpMin, &Adjust<F, &F::AdjustZoomNear>},
    {"sbZoomMax", ZemStr::IpMax, ZemStr::IpMax, &Adjust<F, &F::AdjustZoomFar>},
    {"sbZoomSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<F, &F::AdjustZoomSensor>},
};
template <int N>
ui::Bitmap Gobo() {
  return GoboPicture(N);
}
constexpr AdjustButtonSpec kGoboWheel[] = {
    {"iAdjGobo1", ZemStr::Count_, ZemStr::IpCurrentGoboHint, kWith<&F::AdjustGobo, 0>, kNoColor, &Gobo<0>},
    {"iAdjGobo2", ZemStr::Count_, ZemStr::IpCurrentGoboHint, kWith<&F::AdjustGobo, 1>, kNoColor, &Gobo<1>},
    {"iAdjGobo3", ZemStr::Count_, ZemStr::IpCurrentGoboHint, kWith<&F::AdjustGobo, 2>, kNoColor, &Gobo<2>},
    {"iAdjGobo4", ZemStr::Count_, ZemStr::IpCurrentGoboHint, kWith<&F::AdjustGobo, 3>, kNoColor, &Gobo<3>},
    {"sbGoboSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kWith<&F::AdjustGobo, 4>},
};
constexpr AdjustButtonSpec kGoboRotation[] = {
    {"sbGoboRot180", ZemStr::Ip180, ZemStr::Ip180Hint, kWith<&F::AdjustGoboRotation, 0>},
    {"sbGoborotCont", ZemStr::IpCont, ZemStr::IpContHint, kWith<&F::AdjustGoboRotation, 1>},
    {"sbGoboRotSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kWith<&F::AdjustGoboRotation, 2>},
};
constexpr AdjustButtonSpec kAnimPosition[] = {
    {"sbAnimPosOut", ZemStr::IpOut, ZemStr::IpOutHint, kWith<&F::AdjustAnimPosition, 0>},
    {"sbAnimPosIn", ZemStr::IpIn, ZemStr::IpInHint, kWith<&F::AdjustAnimPosition, 1>},
    {"sbAnimPosSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kWith<&F::AdjustAnimPosition, 2>},
};
constexpr AdjustButtonSpec kAnimRotation[] = {
    {"sbAnimRot180", ZemStr::Ip180, ZemStr::Ip180Hint, kWith<&F::AdjustAnimRotation, 0>},
    {"sbAnimRotCont", ZemStr::IpCont, ZemStr::IpContHint, kWith<&F::AdjustAnimRotation, 1>},
    {"sbAnimRotSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kWith<&F::AdjustAnimRotation, 2>},
};
constexpr AdjustRowSpec kAdjustRows[] = {
    OpenClosedRows<G>::rows[0],
    {"pAdjDimmer", ZemStr::MwRowDimmer, kDimmer},
    {"pAdjCyan", ZemStr::MwRowCyan, kCyan},
    {"pAdjMagenta", ZemStr::MwRowMagenta, kMagenta},
    {"pAdjYellow", ZemStr::MwRowYellow, kYellow},
    {"pAdjColor", ZemStr::MwRowColor, kColorRow},
    {"pAdjGoboWheel", ZemStr::IpRowGoboWheel, kGoboWheel},
    {"pAdjGoboRotation", ZemStr::IpRowGoboRotation, kGoboRotation},
    {"pAdjZoom", ZemStr::MwRowZoom, kZoom},
    {"pAdjFocus", ZemStr::MwRowFocus, kFocus},
    {"pAdjAnimPosition", ZemStr::IpRowAnimPosition, kAnimPosition},
    {"pAdjAnimRotation", ZemStr::IpRowAnimRotation, kAnimRotation},
};

constexpr WindowTables kTables = [] {
  WindowTables t = grobel::Brv1200Tables();
  t.formName = "ZemFixtureBrv1200CIGZF_01Form";
  t.faders = kFaders;
  t.colors = &kColors;
  t.adjustRows = kAdjustRows;
  t.faderWidth = 56;  // six faders and the colour wheel side by side
  return t;
}();

// The scene's page control and the places on its pages.
constexpr int kTabHeight = 20;
constexpr int kWheelFaderWidth = 56;
constexpr int kGoboPanelSize = 44;
constexpr int kBlockGap = 12;
constexpr ZemStr kInsertionCaptions[] = {ZemStr::FfOff, ZemStr::IpAnimHoriz, ZemStr::IpAnimVert,
                                         ZemStr::IpAnimUser};

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Animation code

Form::Animation Form::DecodeAnimation(int code) {
  if (code == kHorizontal || code == kVertical) return {code, false, 0};
  if (code == kHorizontal + kRotateCodeOffset || code == kVertical + kRotateCodeOffset)
    return {code - kRotateCodeOffset, true, 0};
  if (code >= kUserCode && code < kUserCode + kUserPositions) return {kUser, false, code - kUserCode};
  if (code >= kUserRotateCode && code < kUserRotateCode + kUserPositions)
    return {kUser, true, code - kUserRotateCode};
  return {};
}

int Form::EncodeAnimation(const Animation& a) {
  switch (a.insertion) {
    case kHorizontal:
    case kVertical:
      return a.insertion + (a.rotate ? kRotateCodeOffset : 0);
    case kUser:
      return (a.rotate ? kUserRotateCode : kUserCode) + std::clamp(a.position, 0, kUserPositions - 1);
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------------------
// Building

Form::TZemFixtureBrv1200CIGZF_01Form(ui::Component* owner) : TColorMixingForm(owner, kTables) {
  frFocus = Find<TFader>("frFocus");
  pCTC = Find<ui::Panel>("pCTC");
  pRed = Find<ui::Panel>("pRed");
  pGreen = Find<ui::Panel>("pGreen");
  pBlue = Find<ui::Panel>("pBlue");
  pAdjWhite = Find<ui::Panel>("pAdjWhite");
  pAdjColor1 = Find<ui::Panel>("pAdjColor1");
  pAdjColor2 = Find<ui::Panel>("pAdjColor2");
  pAdjColor3 = Find<ui::Panel>("pAdjColor3");
  pAdjGobo1 = Find<ui::Panel>("pAdjGobo1");
  pAdjGobo2 = Find<ui::Panel>("pAdjGobo2");
  pAdjGobo3 = Find<ui::Panel>("pAdjGobo3");
  pAdjGobo4 = Find<ui::Panel>("pAdjGobo4");
  iAdjGobo1 = Find<ui::Image>("iAdjGobo1");
  iAdjGobo2 = Find<ui::Image>("iAdjGobo2");
  iAdjGobo3 = Find<ui::Image>("iAdjGobo3");
  iAdjGobo4 = Find<ui::Image>("iAdjGobo4");

  // The scene has two pages of its own: what the pattern built goes on the first.
  const std::vector<ui::Control*> sceneControls = Panel4->controls();
  pcSAProgram = ui::make<ui::PageControl>(this, Panel4, "pcSAProgram");
  pcSAProgram->setAlign(ui::Align::Client);
  pcSAProgram->setTabHeight(kTabHeight);
  pcSAProgram->setOwnerDraw(true);
  pcSAProgram->onDrawTab = [this](ui::PageControl* c, int i, const ui::Rect& r, bool active) {
    pcSADrawTab(c, i, r, active);
  };
  auto page = [this](const char* name) {
    auto* ts = new ui::TabSheet(this);
    ts->setName(name);
    ts->setPageControl(pcSAProgram);
    return ts;
  };
  tsIntensityColorZoomFocus = page("tsIntensityColorZoomFocus");
  tsGoboAnimation = page("tsGoboAnimation");
  const int faderHeight = tsIntensityColorZoomFocus->clientHeight() - 8;
  for (ui::Control* c : sceneControls) {
    c->setParent(tsIntensityColorZoomFocus);
    if (auto* fader = dynamic_cast<TFader*>(c)) fader->SetBounds(c->left(), 4, c->width(), faderHeight);
  }

  // The gobo wheel: caption, the four gobos, index or rotate, the fader.
  ui::TabSheet* wheels = tsGoboAnimation;
  const int goboWidth = 2 * kGoboPanelSize + 4;
  int left = 8;
  pGoboCaption = ui::make<ui::Panel>(this, wheels, "pGoboCaption", left, 4, goboWidth, 20);
  goboPanels_ = MakeGoboPanels(wheels, left, 28, kGoboPanelSize, [this](ui::Component* s) { pGoboClick(s); });
  pGobo1 = goboPanels_[0];
  pGobo2 = goboPanels_[1];
  pGobo3 = goboPanels_[2];
  pGobo4 = goboPanels_[3];
  pGoboRotIndex = MakeModeButton(wheels, "pGoboRotIndex", left, 28 + 2 * (kGoboPanelSize + 4), goboWidth, 24,
                                 [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x,
                                        int y) { pGoboMouseDown(s, b, sh, x, y); });
  left += goboWidth + 6;
  frGoboIndex = MakeFader(wheels, "frGoboIndex", left, 4, kWheelFaderWidth, faderHeight, 0, 65535);
  left += kWheelFaderWidth + kBlockGap;

  // The animation wheel: caption, insertion, index or rotate, and the index and position faders.
  const int animWidth = 120;
  pAnimationCaption = ui::make<ui::Panel>(this, wheels, "pAnimationCaption", left, 4, animWidth, 20);
  pAnimOnOff = MakeModeButton(wheels, "pAnimOnOff", left, 28, animWidth, 24,
                              [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
                                pAnimOnOffMouseDown(s, b, sh, x, y);
                              });
  pAnimRotIndex = MakeModeButton(wheels, "pAnimRotIndex", left, 56, animWidth, 24,
                                 [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x,
                                        int y) { pAnimIndexMouseDown(s, b, sh, x, y); });
  left += animWidth + 6;
  frAnimIndex = MakeFader(wheels, "frAnimIndex", left, 4, kWheelFaderWidth, faderHeight, 0, 255);
  left += kWheelFaderWidth + 6;
  frAnimPos = MakeFader(wheels, "frAnimPos", left, 4, kWheelFaderWidth, faderHeight, 0, kUserPositions - 1);
  for (TFader* f : {frGoboIndex.get(), frAnimIndex.get(), frAnimPos.get()})
    f->OnChange = [this](ui::Component* s) { WheelFaderChange(s); };

  AddLiveAction(kGoboBit, kGoboBit, [this] {
    if (!CurrentFixture) return false;
    // Rotate mode: the speed as the 16 bits of its two's complement, as the scene keeps it.
    return GoboRotateMode ? CurrentFixture->SetControlValue79(GoboIndex, GoboValue & 0xFFFF)
                          : CurrentFixture->SetControlValue78(GoboIndex, 65535 - GoboValue);
  });
  AddLiveAction(kAnimationBit, kAnimationBit, [this] {
    return CurrentFixture &&
           CurrentFixture->SetControlValue80(EncodeAnimation(AnimationState), AnimationValue);
  });
}

void Form::FormCreate(ui::Component* sender) {
  TColorMixingForm::FormCreate(sender);
  tsIntensityColorZoomFocus->setCaption(ZemString(ZemStr::IpTabColors));
  tsGoboAnimation->setCaption(ZemString(ZemStr::IpTabGoboAnimation));
  pcSAProgram->setActivePage(tsIntensityColorZoomFocus);

  pGoboCaption->setCaption(ZemString(ZemStr::MwGobo));
  pGoboCaption->setHint(ZemString(ZemStr::MwGoboSettingsHint));
  for (ui::Panel* p : goboPanels_) p->setHint(ZemString(ZemStr::MwSelectGoboHint));
  pGoboRotIndex->setHint(ZemString(ZemStr::IpGoboRotIndexHint));
  frGoboIndex->setHint(ZemString(ZemStr::MwGoboIndexHint));
  pAnimationCaption->setCaption(ZemString(ZemStr::IpAnimation));
  pAnimationCaption->setHint(ZemString(ZemStr::IpAnimationHint));
  pAnimOnOff->setHint(ZemString(ZemStr::IpAnimOnOffHint));
  pAnimRotIndex->setHint(ZemString(ZemStr::IpAnimRotIndexHint));
  frAnimIndex->setHint(ZemString(ZemStr::IpAnimIndexHint));
  frAnimPos->setHint(ZemString(ZemStr::IpAnimPosHint));
  for (TFader* f : {frGoboIndex.get(), frAnimIndex.get(), frAnimPos.get()}) {
    f->SetCaption("");
    f->SetImageList(ImageList1);
  }
  frFocus->SetCaptionColor(kWhiteCaption);
  ShowGobo();
  ShowAnimation();
}

void Form::pcSADrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect, bool active) {
  DrawTab(control, tabIndex, rect, active, 0);
}

// ---------------------------------------------------------------------------------------------------------
// Scene

void Form::UpdateScene() {
  TColorMixingForm::UpdateScene();
  const bool was = Updating;
  Updating = true;
  const auto byte = [this](size_t offset) { return static_cast<int>(SceneValues[offset - kScene]); };
  const int goboByte = byte(kGoboByte);
  const int word = byte(kGoboHigh) * 256 + byte(kGoboLow);
  GoboIndex = goboByte & 3;
  GoboRotateMode = goboByte >= kGoboRotateFrom;
  GoboValue = GoboRotateMode ? static_cast<int16_t>(word) : 65535 - word;
  ShowGobo();
  AnimationState = DecodeAnimation(byte(kAnimationCode));
  const int value = byte(kAnimationValueByte);
  AnimationValue = AnimationState.rotate ? static_cast<int8_t>(value) : value;
  ShowAnimation();
  Updating = was;
}

void Form::WheelFaderChange(ui::Component* sender) {
  if (Updating || sender == nullptr) return;
  if (sender == frGoboIndex.get()) {
    ChangedBits |= kGoboBit;
    GoboValue = frGoboIndex->Position();
  } else {
    ChangedBits |= kAnimationBit;
    AnimationState.position = frAnimPos->Position();
    AnimationValue = frAnimIndex->Position();
  }
}

void Form::pGoboClick(ui::Component* sender) {
  if (PickPanel(sender, goboPanels_, GoboIndex)) ChangedBits |= kGoboBit;
}

void Form::pGoboMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  GoboRotateMode = !GoboRotateMode;
  ChangedBits |= kGoboBit;
  pGoboRotIndex->setBevelOuter(ui::BevelCut::Lowered);
  // Index 0..65535 maps onto rotate -32768..32767.
  GoboValue += GoboRotateMode ? -32768 : 32768;
  ShowGobo();
}

void Form::ShowGobo() {
  ShowChosen(goboPanels_, GoboIndex);
  ShowWheel(frGoboIndex, pGoboRotIndex, GoboRotateMode, {0, 65535, -32768, 32767}, GoboValue);
}

void Form::pAnimOnOffMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  AnimationState.insertion = (AnimationState.insertion + 1) % (kUser + 1);
  ChangedBits |= kAnimationBit;
  pAnimOnOff->setBevelOuter(ui::BevelCut::Lowered);
  ShowAnimation();
}

void Form::pAnimIndexMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  AnimationState.rotate = !AnimationState.rotate;
  ChangedBits |= kAnimationBit;
  pAnimRotIndex->setBevelOuter(ui::BevelCut::Lowered);
  // Index 0..255 maps onto rotate -128..127.
  AnimationValue += AnimationState.rotate ? -128 : 128;
  ShowAnimation();
}

void Form::ShowAnimation() {
  ShowWheel(frAnimIndex, pAnimRotIndex, AnimationState.rotate, {0, 255, -128, 127}, AnimationValue);
  const bool was = Updating;
  Updating = true;
  pAnimOnOff->setCaption(ZemString(kInsertionCaptions[std::clamp(AnimationState.insertion, 0, int{kUser})]));
  if (AnimationState.insertion == kUser) frAnimPos->SetPosition(AnimationState.position);
  Updating = was;
}
