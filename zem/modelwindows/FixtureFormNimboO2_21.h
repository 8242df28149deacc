// The Nimbo O2 window: intensity, cyan, magenta and yellow faders and the random-colour choice on the
// colour-mixing pattern, ten open/closed adjustment buttons, and the lamp settings: hour warning with its
// level (written on the tick), regulated lamp fan, lamp error test; base and head temperatures, read by
// the idle poll while they show and shown on every tick.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TNimboO2_21Form : public TColorMixingForm {
 public:
  explicit TNimboO2_21Form(ui::Component* owner);

  ui::Ref<ui::Label> lLampWarning, lHours100, lLampFanReg, lLampErrorTest;
  ui::Ref<ui::ComboBox> cbLampWarningOn, cbLampFanReg, cbLampErrorTest;
  ui::Ref<ui::SpinEdit> seWarningLevel;
  ui::Ref<ui::Label> lBaseTemp, lHeadTemp, lHeadTempA02warning;

  void FormCreate(ui::Component* sender) override;
  void SAModifiedTimerTimer(ui::Component* sender) override;
  // The base and head temperatures from FixtureData.
  void UpdateTemperatures();

 protected:
  void ShowIdleReadings() override { UpdateTemperatures(); }
};
