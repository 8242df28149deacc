// What the windows of the LED fixtures (Brevidor 200 LED and 400 LED Series) share, on the colour-mixing
// pattern: five LED level faders sent live on a 100 ms write-back tick, the DMX mode in place of the lamp
// settings, scene times in hours, minutes and seconds, and a fixture without lamp, adjustments, other
// settings or system log (those controls of the template are freed). The Monitor page shows one light
// sensor, two voltages, three temperatures and one fan, each temperature reading "Error" while the
// fixture reports that sensor's error.
#pragma once

#include <array>

#include "zem/modelwindows/ColorMixingForm.h"

class TLedFixtureForm : public TColorMixingForm {
 public:
  // The fader of channel i is tables.faders[i]; with a colour gamut the window adds its list.
  TLedFixtureForm(ui::Component* owner, const colormix::WindowTables& tables, bool colorGamut);

  ui::Ref<ui::Label> lDMXMode, lColorGamut, Label4;
  ui::Ref<ui::ComboBox> cbDMXMode, cbColorGamut;
  // Channels 0 to 4.
  std::array<ui::Ref<TFader>, 5> Faders;

  void FormCreate(ui::Component* sender) override;
  void UpdateMonitorValues() override;
  // Every scene button stays enabled: the fixture keeps its own limits.
  void EnableSceneButtons() override;

  static constexpr uint32_t kWriteBackIntervalMs = 100;
};

namespace colormix::led {

inline constexpr ZemStr kModes[] = {ZemStr::LdModeRGBAW, ZemStr::LtModeRGB, ZemStr::LtModeHSI,
                                    ZemStr::LtModeHSIC};
inline constexpr ZemStr kGamuts[] = {ZemStr::LdGamutRange, ZemStr::LdGamutFixture};
// The DMX mode, then (400 LED Series) the colour gamut.
inline constexpr SettingComboSpec kSettings[] = {
    {SettingsGroup::DMX, "lDMXMode", "cbDMXMode", ZemStr::MwDMXMode, kModes, ZemStr::Count_,
     &TZemFixture::GetDmxProtocol, &TZemFixture::SetDmxProtocol, Refresh::DMX},
    {SettingsGroup::DMX, "lColorGamut", "cbColorGamut", ZemStr::LdColorGamut, kGamuts, ZemStr::Count_,
     &TZemFixture::GetColorGamut, &TZemFixture::SetColorGamut, Refresh::DMX},
};

inline constexpr MonitorFormatSpec kMonitorFormats[] = {
    {7, ZemStr::KdVoltage48},  {8, ZemStr::KdVoltage5},     {14, ZemStr::LtTempLED},
    {15, ZemStr::LtTempBoard}, {16, ZemStr::LdTempAmbient},
};
inline constexpr SensorTriggerSpec kSensorTrigger = {0, 1036, 4, ZemStr::LdSensorTriggerLevel};

// What both LED windows' tables hold; each adds its faders (and the 400 LED Series its gamut).
constexpr WindowTables Tables() {
  WindowTables t;
  t.picture = FixtureOutline::LedPar;
  t.settings = std::span(kSettings).first(1);
  t.sensorTrigger = &kSensorTrigger;
  t.monitorFormats = kMonitorFormats;
  t.sceneTimesInSeconds = true;
  return t;
}

// The LED windows' faders: channel i sends its level through op, shows scene byte 134 + i and sets bit
// 1 << i.
constexpr FaderSpec Fader(const char* name, ZemStr caption, int imageIndex, ui::Color header,
                          ui::Color captionColor, ui::Color positionColor, int channel, LiveSend op) {
  FaderSpec f{name,
              caption,
              ZemStr::Count_,
              imageIndex,
              captionColor,
              false,
              {uint32_t{1} << channel, op, fd::kStandAloneProgram + fdarea::program::kScene + channel}};
  f.headerColor = header;
  f.positionColor = positionColor;
  return f;
}
}  // namespace colormix::led
