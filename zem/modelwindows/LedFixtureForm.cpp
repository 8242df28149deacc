#include "zem/modelwindows/LedFixtureForm.h"

#include <algorithm>

#include "zem/link/ZEMData.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/PanelUtils.h"

namespace {

// Error flags of the fixture (bytes of the error-status group: FixtureData 58, 64 and 66).
struct ErrorFlag {
  size_t byte;
  uint8_t bit;
};
constexpr ErrorFlag kLight1Error = {7, 0x02};
constexpr ErrorFlag kLedTempError = {9, 0x40};
constexpr ErrorFlag kBoardTempError = {1, 0x10};
constexpr ErrorFlag kAmbientTempError = {1, 0x08};

bool Flagged(const ErrorFlag& f) {
  return (FixtureData[fd::kErrorStatus + f.byte] & f.bit) != 0;
}

// The temperatures of the Monitor page and the text each shows while its sensor reports an error.
struct TemperatureFormat {
  size_t index;  // in MonitorFormats
  ErrorFlag flag;
  ZemStr normal;
  ZemStr error;
};
constexpr TemperatureFormat kTemperatures[] = {
    {14, kLedTempError, ZemStr::LtTempLED, ZemStr::LdTempLEDError},
    {15, kBoardTempError, ZemStr::LtTempBoard, ZemStr::LdTempBoardError},
    {16, kAmbientTempError, ZemStr::LdTempAmbient, ZemStr::LdTempAmbientError},
};

// Monitor channels shown: light sensor 1, voltages 1-2, temperatures 1-3, fan 1.
constexpr size_t kLightShown = 1;
constexpr size_t kVoltagesShown = 2;
constexpr size_t kTemperaturesShown = 3;
constexpr size_t kFansShown = 1;

constexpr int kGamutGap = 16;
constexpr int kGamutWidth = 150;  // its longest item and the arrow

}  // namespace

TLedFixtureForm::TLedFixtureForm(ui::Component* owner, const colormix::WindowTables& tables, bool colorGamut)
    : TColorMixingForm(owner, tables) {
  lDMXMode = Find<ui::Label>("lDMXMode");
  cbDMXMode = Find<ui::ComboBox>("cbDMXMode");
  if (colorGamut) {
    lColorGamut = Find<ui::Label>("lColorGamut");
    cbColorGamut = Find<ui::ComboBox>("cbColorGamut");
  }
  for (size_t i = 0; i < Faders.size() && i < tables.faders.size(); ++i)
    Faders[i] = Find<TFader>(tables.faders[i].name);
  Label4 = fixtureform::MakeLabel(this, gbStandAloneSensorSettings, "Label4",
                                  seSensorLevelTrigger->left() + seSensorLevelTrigger->width() + 6,
                                  seSensorLevelTrigger->top() + 4);
}

void TLedFixtureForm::FormCreate(ui::Component* sender) {
  TColorMixingForm::FormCreate(sender);
  // No lamp, no adjustments: their controls go.
  for (ui::Control* c : std::initializer_list<ui::Control*>{tsAdjustment, lLampStatus, lLampStrikes,
                                                            pResetLampStrikes, lRLampStrikes})
    if (c != nullptr) c->free();
  // The DMX mode takes the place of the DMX lamp-off setting; the colour gamut sits beside it.
  lDMXMode->setBounds(lDMXLampOff->left(), lDMXLampOff->top(), lDMXMode->width(), lDMXMode->height());
  cbDMXMode->setBounds(cbDMXLampOff->left(), cbDMXLampOff->top(), cbDMXMode->width(), cbDMXMode->height());
  if (cbColorGamut) {
    const int left = cbDMXMode->left() + cbDMXMode->width() + kGamutGap;
    // The other settings are gone: the DMX group has the page's width for the gamut.
    gbDMXProtocolSettings->setWidth(
        std::max(gbDMXProtocolSettings->width(),
                 gbOtherSettings->left() + gbOtherSettings->width() - gbDMXProtocolSettings->left()));
    cbColorGamut->setBounds(left, cbDMXMode->top(), kGamutWidth, cbColorGamut->height());
    lColorGamut->setBounds(left, cbDMXMode->top() - lColorGamut->height() - 2, lColorGamut->width(),
                           lColorGamut->height());
  }
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{cbDMXLampOff, lDMXLampOff, cbDMXReset, lDMXReset, gbOtherSettings,
                                           reSystemLog, pClearLog, pSaveLog})
    if (c != nullptr) c->free();
  // The group ends under its last row.
  int bottom = 0;
  for (const ui::Control* c : gbDMXProtocolSettings->controls()) bottom = std::max(bottom, ControlBottom(c));
  gbDMXProtocolSettings->setHeight(bottom + 12);
  Label4->setCaption(ZemString(ZemStr::LdTriggerRange));

  for (size_t i = 0; i < 7; ++i) {
    if (lLightSensor[i]) lLightSensor[i]->setVisible(i < kLightShown);
    if (lSupplyVoltage[i]) lSupplyVoltage[i]->setVisible(i < kVoltagesShown);
    if (lTemperature[i]) lTemperature[i]->setVisible(i < kTemperaturesShown);
    if (lFanSpeed[i]) lFanSpeed[i]->setVisible(i < kFansShown);
  }
  SAModifiedTimer->setInterval(kWriteBackIntervalMs);
  if (mUploadCompleteMemoryFromFile) mUploadCompleteMemoryFromFile->setVisible(false);
  PC1->setActivePage(tsFixtureInfo);
}

void TLedFixtureForm::UpdateMonitorValues() {
  // A temperature reads "Error" exactly while its sensor reports one, then shows its value again.
  for (const TemperatureFormat& t : kTemperatures)
    MonitorFormats[t.index] = ZemString(Flagged(t.flag) ? t.error : t.normal);
  TColorMixingForm::UpdateMonitorValues();
  if (CurrentFixture && lLightSensor[0] && Flagged(kLight1Error))
    lLightSensor[0]->setCaption(ZemString(ZemStr::LdLight1Error));
}

void TLedFixtureForm::EnableSceneButtons() {
  TFixtureFormTemplate::EnableSceneButtons();
}
