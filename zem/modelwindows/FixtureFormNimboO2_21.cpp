#include "zem/modelwindows/FixtureFormNimboO2_21.h"

#include "zem/link/ZEMData.h"
#include "zem/model/NimboRastelModels.h"
#include "zem/modelwindows/ColorMixingTables.h"
#include "zem/windows/FixtureFormParts.h"

namespace {

using namespace colormix;
using M = TZemFixtureNimboO2_21;

constexpr size_t kHeadTemperature = fd::kTempValues + fdarea::temps::kHead;
constexpr size_t kBaseTemperature = fd::kTempValues + fdarea::temps::kBase;

constexpr FaderSpec kFaders[] = {IntensityFader(134), CyanFader(135), MagentaFader(136), YellowFader(137)};

constexpr ChoiceSpec kRandomColor = RandomColorChoice(&M::NimboValueToIndex, 138);

// Shown by the DMX settings update and re-read through it after a change.
constexpr SettingComboSpec kSettings[] = {
    {SettingsGroup::DMX, "lLampWarning", "cbLampWarningOn", ZemStr::MwLampWarning, kOffOnItems,
     ZemStr::MwLampWarningHint, &TZemFixture::GetLampWarningOn, &TZemFixture::SetLampWarningOn, Refresh::DMX},
    {SettingsGroup::DMX, "lLampFanReg", "cbLampFanReg", ZemStr::MwLampFanReg, kOffOnItems,
     ZemStr::MwLampFanRegHint, &TZemFixture::GetLampFanReg, &TZemFixture::SetLampFanReg, Refresh::DMX},
    {SettingsGroup::DMX, "lLampErrorTest", "cbLampErrorTest", ZemStr::MwLampErrorTest, kOffOnItems,
     ZemStr::MwLampErrorTestHint, &TZemFixture::GetLampErrorTest, &TZemFixture::SetLampErrorTest,
     Refresh::DMX},
};
constexpr TickEditSpec kEdits[] = {
    {EditPlace::DMX, "lHours100", "seWarningLevel", ZemStr::MwHours100, ZemStr::MwLampWarningHint, 1, 650, 3,
     kNoColor, &TZemFixture::GetWarningLevel, &TZemFixture::SetWarningLevel},
};

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "NimboO2_21Form";
  t.picture = FixtureOutline::Round;
  t.faders = kFaders;
  t.choice = &kRandomColor;
  t.adjustRows = OpenClosedRows<M>::rows;
  t.settings = kSettings;
  t.edits = kEdits;
  return t;
}();

}  // namespace

TNimboO2_21Form::TNimboO2_21Form(ui::Component* owner) : TColorMixingForm(owner, kTables) {
  lLampWarning = Find<ui::Label>("lLampWarning");
  cbLampWarningOn = Find<ui::ComboBox>("cbLampWarningOn");
  lHours100 = Find<ui::Label>("lHours100");
  seWarningLevel = Find<ui::SpinEdit>("seWarningLevel");
  lLampFanReg = Find<ui::Label>("lLampFanReg");
  cbLampFanReg = Find<ui::ComboBox>("cbLampFanReg");
  lLampErrorTest = Find<ui::Label>("lLampErrorTest");
  cbLampErrorTest = Find<ui::ComboBox>("cbLampErrorTest");
  // The warning level belongs under its switch: the rows after it move down one.
  const int levelTop = seWarningLevel->top();
  const int step = cbLampFanReg->top() - cbLampWarningOn->top();
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{lLampFanReg, cbLampFanReg, lLampErrorTest, cbLampErrorTest})
    c->setTop(c->top() + step);
  const int delta = cbLampWarningOn->top() + step - levelTop;
  seWarningLevel->setTop(seWarningLevel->top() + delta);
  lHours100->setTop(lHours100->top() + delta);

  const int top = NextRowTop(gbOtherSettings);
  lBaseTemp = fixtureform::MakeLabel(this, gbOtherSettings, "lBaseTemp", 8, top);
  lHeadTemp = fixtureform::MakeLabel(this, gbOtherSettings, "lHeadTemp", 8, top + 20);
  lHeadTempA02warning = fixtureform::MakeLabel(this, gbOtherSettings, "lHeadTempA02warning", 8, top + 40);
  gbOtherSettings->setHeight(std::max(gbOtherSettings->height(), top + 64));
  // The fixture sends its temperatures only when asked: the idle poll asks while these show.
  AddIdleReading(lBaseTemp);
  AddIdleReading(lHeadTemp);
}

void TNimboO2_21Form::FormCreate(ui::Component* sender) {
  TColorMixingForm::FormCreate(sender);
  cbStandAloneMode->setHint(ZemString(ZemStr::MwNimboStandAloneHint));
  cbStandAloneMode->setShowHint(true);
  lBaseTemp->setCaption(ZemFormat(ZemStr::MwTempBase, 0));
  lHeadTemp->setCaption(ZemFormat(ZemStr::MwTempHead, 0));
  lHeadTempA02warning->setCaption(ZemString(ZemStr::MwHeadTempWarning));
}

void TNimboO2_21Form::SAModifiedTimerTimer(ui::Component* sender) {
  TColorMixingForm::SAModifiedTimerTimer(sender);
  // The temperatures show what the record holds, with or without a fixture.
  UpdateTemperatures();
}

void TNimboO2_21Form::UpdateTemperatures() {
  lHeadTemp->setCaption(ZemFormat(ZemStr::MwTempHead, static_cast<int>(FixtureData[kHeadTemperature])));
  lBaseTemp->setCaption(ZemFormat(ZemStr::MwTempBase, static_cast<int>(FixtureData[kBaseTemperature])));
}
