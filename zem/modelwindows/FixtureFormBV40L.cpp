#include "zem/modelwindows/FixtureFormBV40L.h"

#include <algorithm>
#include <string>

#include "zem/link/ZEMData.h"
#include "zem/modelwindows/ColorMixingTables.h"
#include "zem/modelwindows/Pictures.h"
#include "zem/windows/Windows1252.h"

namespace {

using namespace colormix;
using colormix::led::Fader;

constexpr ui::Color kGrey = 0x808080;

// Named, coloured and shown from the fixture; until then placeholders.
constexpr FaderSpec kFaders[] = {
    Fader("fader0", ZemStr::LdFaderPlaceholder, kIntensityImage, kGrey, kWhiteCaption, ui::clWhite, 0,
          &TZemFixture::SetLiveRed),
    Fader("fader1", ZemStr::LdFaderPlaceholder, kIntensityImage, kGrey, kWhiteCaption, ui::clWhite, 1,
          &TZemFixture::SetLiveGreen),
    Fader("fader2", ZemStr::LdFaderPlaceholder, kIntensityImage, kGrey, kWhiteCaption, ui::clWhite, 2,
          &TZemFixture::SetLiveBlue),
    Fader("fader3", ZemStr::LdFaderPlaceholder, kIntensityImage, kGrey, kWhiteCaption, ui::clWhite, 3,
          &TZemFixture::SetLiveAmber),
    Fader("fader4", ZemStr::LdFaderPlaceholder, kIntensityImage, kGrey, kWhiteCaption, ui::clWhite, 4,
          &TZemFixture::SetLiveWhite),
};

constexpr WindowTables kTables = [] {
  WindowTables t = led::Tables();
  t.formName = "BV40LForm";
  t.faders = kFaders;
  t.settings = led::kSettings;
  return t;
}();

size_t DescriptionOf(size_t channel) {
  return fd::kLedDescription + fd::kLedDescriptionSize * channel;
}

// The channel's name: 8-bit characters up to the first zero byte, at most the field's nine.
std::string ChannelName(size_t channel) {
  const auto first =
      FixtureData.begin() + static_cast<std::ptrdiff_t>(DescriptionOf(channel) + fdarea::led::kName);
  const auto last = std::find(first, first + fdarea::led::kNameSize, uint8_t{0});
  return Windows1252ToUtf8(std::span<const uint8_t>(&*first, static_cast<size_t>(last - first)));
}

ui::Color ChannelColor(size_t channel) {
  const size_t d = DescriptionOf(channel);
  return ui::rgb(FixtureData[d + fdarea::led::kRed], FixtureData[d + fdarea::led::kGreen],
                 FixtureData[d + fdarea::led::kBlue]);
}

bool ChannelShown(size_t channel) {
  return FixtureData[fd::kLedDescriptionData + fd::kLedDescriptionDataSize * channel + fdarea::led::kShown] !=
         0;
}

}  // namespace

TBV40LForm::TBV40LForm(ui::Component* owner) : TLedFixtureForm(owner, kTables, true) {
  fader0 = Faders[0];
  fader1 = Faders[1];
  fader2 = Faders[2];
  fader3 = Faders[3];
  fader4 = Faders[4];
}

void TBV40LForm::FormCreate(ui::Component* sender) {
  TLedFixtureForm::FormCreate(sender);
  for (size_t i = 0; i < Faders.size(); ++i)
    Faders[i]->SetCaption(ZemFormat(ZemStr::LdFaderPlaceholder, static_cast<int>(i)));
  for (ui::MenuItem* item : {mSaveMemToFile.get(), mUploadFixturesettingsFromFile.get(),
                             mUploadSAProgramFromFile.get(), mFileMenuHelp.get()})
    if (item != nullptr) item->setVisible(false);
}

void TBV40LForm::UpdateOtherSettings() {
  TLedFixtureForm::UpdateOtherSettings();
  if (!CurrentFixture) return;
  for (size_t i = 0; i < Faders.size(); ++i) {
    TFader* fader = Faders[i];
    if (fader == nullptr) continue;
    fader->SetCaption(ChannelName(i));
    fader->setVisible(ChannelShown(i));
    const ui::Color color = ChannelColor(i);
    fader->SetFaderColor(color);
    // The picture shows the channel's colour: the fader's own colour lies under it.
    fader->SetPicture(LevelPicture(color));
  }
}
