#include "zem/modelwindows/FixtureFormBV20L.h"

#include "zem/modelwindows/ColorMixingTables.h"
#include "zem/modelwindows/Pictures.h"

namespace {

using namespace colormix;
using colormix::led::Fader;

constexpr FaderSpec kFaders[] = {
    Fader("frRed", ZemStr::AtRed, 5, kLedRed, ui::clBlack, ui::clWhite, 0, &TZemFixture::SetLiveRed),
    Fader("frGreen", ZemStr::AtGreen, 6, kLedGreen, ui::clBlack, ui::clWhite, 1, &TZemFixture::SetLiveGreen),
    Fader("frBlue", ZemStr::AtBlue, 7, kLedBlue, ui::clBlack, ui::clWhite, 2, &TZemFixture::SetLiveBlue),
    Fader("frAmber", ZemStr::LdAmber, 8, kLedAmber, ui::clBlack, ui::clWhite, 3, &TZemFixture::SetLiveAmber),
    Fader("frWhite", ZemStr::AtWhite, 9, kLedWhite, ui::clBlack, ui::clBlack, 4, &TZemFixture::SetLiveWhite),
};

constexpr WindowTables kTables = [] {
  WindowTables t = led::Tables();
  t.formName = "BV20LForm";
  t.faders = kFaders;
  return t;
}();

}  // namespace

TBV20LForm::TBV20LForm(ui::Component* owner) : TLedFixtureForm(owner, kTables, false) {
  frRed = Faders[0];
  frGreen = Faders[1];
  frBlue = Faders[2];
  frAmber = Faders[3];
  frWhite = Faders[4];
}
