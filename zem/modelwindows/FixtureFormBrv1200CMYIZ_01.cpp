#include "zem/modelwindows/FixtureFormBrv1200CMYIZ_01.h"

#include "zem/modelwindows/GrobelTables.h"
#include "zem/windows/PanelUtils.h"

namespace {

using namespace colormix;
using colormix::grobel::G;
using colormix::grobel::kAdjustColor;

constexpr int kZoomButtonWidth = 94;
constexpr int kZoomFarLeft = 190;

constexpr FaderSpec kFaders[] = {
    IntensityFader(139), CyanFader(140), MagentaFader(141), YellowFader(142), ZoomFader(0x10, 138, false),
};

constexpr ui::Color kCTC = 9745878;
constexpr ui::Color kRed = 0x0029CE;
constexpr ui::Color kGreen = 0x009C00;
constexpr ui::Color kBlue = 0xF7695A;
constexpr ColorPanelSpec kColorPanels[] = {
    {"pWhite", 0xFFFFFF, 0}, {"pCTC", kCTC, 1}, {"pRed", kRed, 2}, {"pGreen", kGreen, 3}, {"pBlue", kBlue, 4},
};
constexpr ColorGroupSpec kColors = {
    "pColors", ZemStr::MwColorHint, kColorPanels, {}, {0x20, &TZemFixture::SetLiveColor, 143}};

constexpr AdjustButtonSpec kColorRow[] = {
    {"pAdjWhite", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<0>, 0xFFFFFF},
    {"pAdjColor1", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<1>, kCTC},
    {"pAdjColor2", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<2>, kRed},
    {"pAdjColor3", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<3>, kGreen},
    {"pAdjColor4", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<4>, kBlue},
    {"sbColorSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, kAdjustColor<5>},
};
constexpr AdjustButtonSpec kZoomRow[] = {
    {"sbZoomNear", ZemStr::MwNear, ZemStr::MwNearHint, &Adjust<TZemFixture, &TZemFixture::AdjustZoomNear>},
    {"sbZoomFar", ZemStr::MwFar, ZemStr::MwFarHint, &Adjust<TZemFixture, &TZemFixture::AdjustZoomFar>},
    {"sbZoomSwitch", ZemStr::MwSwitch, ZemStr::MwSwitchHint,
     &Adjust<TZemFixture, &TZemFixture::AdjustZoomSensor>},
};
constexpr AdjustRowSpec kAdjustRows[] = {
    OpenClosedRows<G>::rows[0],
    {"pAdjDimmer", ZemStr::MwRowDimmer, grobel::kDimmer},
    {"pAdjCyan", ZemStr::MwRowCyan, grobel::kCyan},
    {"pAdjMagenta", ZemStr::MwRowMagenta, grobel::kMagenta},
    {"pAdjYellow", ZemStr::MwRowYellow, grobel::kYellow},
    {"pAdjColor", ZemStr::MwRowColor, kColorRow},
    {"pAdjZoom", ZemStr::MwRowZoom, kZoomRow},
};

constexpr WindowTables kTables = [] {
  WindowTables t = grobel::Brv1200Tables();
  t.formName = "ZemFixtureBrv1200CMYIZ_01Form";
  t.faders = kFaders;
  t.colors = &kColors;
  t.adjustRows = kAdjustRows;
  t.monitorFormats = t.monitorFormats.first(grobel::kBrv1200WashMonitorFormats);
  return t;
}();

}  // namespace

TZemFixtureBrv1200CMYIZ_01Form::TZemFixtureBrv1200CMYIZ_01Form(ui::Component* owner)
    : TColorMixingForm(owner, kTables) {
  pWhite = Find<ui::Panel>("pWhite");
  pCTC = Find<ui::Panel>("pCTC");
  pRed = Find<ui::Panel>("pRed");
  pGreen = Find<ui::Panel>("pGreen");
  pBlue = Find<ui::Panel>("pBlue");
  pAdjWhite = Find<ui::Panel>("pAdjWhite");
  pAdjColor1 = Find<ui::Panel>("pAdjColor1");
  pAdjColor2 = Find<ui::Panel>("pAdjColor2");
  pAdjColor3 = Find<ui::Panel>("pAdjColor3");
  pAdjColor4 = Find<ui::Panel>("pAdjColor4");
  pZoomNear = Find<ui::Panel>("pZoomNear");
  pZoomFar = Find<ui::Panel>("pZoomFar");
  pZoomSwitch = Find<ui::Panel>("pZoomSwitch");
}

void TZemFixtureBrv1200CMYIZ_01Form::FormCreate(ui::Component* sender) {
  TColorMixingForm::FormCreate(sender);
  // This zoom has no switch: near and far share its row.
  pZoomSwitch->setVisible(false);
  pZoomNear->setWidth(kZoomButtonWidth);
  pZoomFar->setBounds(kZoomFarLeft, pZoomFar->top(), kZoomButtonWidth, pZoomFar->height());
  for (ui::Panel* p : {pZoomNear.get(), pZoomFar.get()}) FitToPanel(p->controls().front(), p);
}
