#include "zem/modelwindows/FixtureFormKandrel.h"

#include <algorithm>
#include <array>

#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/windows/PanelUtils.h"

namespace {

constexpr ui::Color kComboEnabled = 0x808080;
constexpr ui::Color kComboDisabled = 0xC0C0C0;
constexpr ui::Color kComboDisabledText = 0x808080;
constexpr int kMasterSlaveSynchronized = 2;
constexpr int kSubTypeQuodra1200 = 1;
constexpr std::array<int, 3> kPixelModes = {1, 2, 4};
constexpr int kSequences = 64;
// Room between two columns of settings.
constexpr int kColumnGap = 12;

const TSubDeviceFormStyle& KandrelStyle() {
  static const TSubDeviceFormStyle style{
      ZemStr::KdSegmentLabel,
      {ZemStr::KdModeRGBRaw, ZemStr::KdModeRGBCalibrated, ZemStr::KdModeHSICalibrated, ZemStr::KdModeHSIC},
      false,
      true,
      {{"pTestRed",
        ZemStr::LtTestRed,
        ui::rgb(128, 0, 0),
        ui::rgb(255, 0, 0),
        ui::clWhite,
        {255, 0, 0, 0, 0}},
       {"pTestGreen",
        ZemStr::LtTestGreen,
        ui::rgb(0, 128, 0),
        ui::rgb(0, 255, 0),
        ui::clWhite,
        {0, 255, 0, 0, 0}},
       {"pTestBlue",
        ZemStr::LtTestBlue,
        ui::rgb(0, 0, 128),
        ui::rgb(0, 0, 255),
        ui::clWhite,
        {0, 0, 255, 0, 0}}},
      ZemStr::LtTempLED,
      ZemStr::LtTempBoard,
      ZemStr::KdVoltage48,
      ZemStr::KdVoltage5};
  return style;
}

uint8_t& StandAloneByte(size_t field) {
  return FixtureData.at(fd::kStandAloneSettings + field);
}

ui::Label* MakeBoldLabel(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                         ZemStr caption) {
  auto* l = ui::make<ui::Label>(owner, parent, name, left, top, 0, 13);
  l->setFontBold(true);
  l->setCaption(ZemString(caption));
  return l;
}

ui::ComboBox* MakeList(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                       int width, std::vector<std::string> items) {
  auto* c = ui::make<ui::ComboBox>(owner, parent, name, left, top, width, 21);
  c->setStyle(ui::ComboStyle::DropDownList);
  c->setColor(kComboEnabled);
  c->items().assign(items);
  return c;
}

}  // namespace

int PixelModeToIndex(int mode) {
  const auto* it = std::find(kPixelModes.begin(), kPixelModes.end(), mode);
  return it == kPixelModes.end() ? -1 : static_cast<int>(it - kPixelModes.begin());
}

std::vector<std::string> DynamicWaitTimeTexts() {
  std::vector<std::string> texts;
  auto add = [&texts](ZemStr format, std::initializer_list<int> values) {
    for (int v : values) texts.push_back(ZemFormat(format, v));
  };
  add(ZemStr::KdSeconds, {0});
  add(ZemStr::KdSecond, {1});
  for (int s = 2; s <= 20; ++s) add(ZemStr::KdSeconds, {s});
  add(ZemStr::KdSeconds, {25, 30, 35, 40, 45, 50, 55});
  add(ZemStr::KdMinute, {1});
  texts.push_back(ZemFormat(ZemStr::KdMinuteSeconds, 1, 30));
  add(ZemStr::KdMinutes, {2, 3, 5, 10, 15, 20, 30, 40, 50});
  add(ZemStr::KdHour, {1});
  texts.push_back(ZemFormat(ZemStr::KdHourMinutes, 1, 30));
  add(ZemStr::KdHours, {2, 3, 4, 6, 12});
  return texts;
}

std::vector<std::string> DynamicFadeTimeTexts() {
  std::vector<std::string> texts = {ZemString(ZemStr::KdSnap)};
  for (int s = 1; s <= 10; ++s) texts.push_back(ZemFormat(ZemStr::KdSeconds, s));
  for (int s = 15; s <= 55; s += 5) texts.push_back(ZemFormat(ZemStr::KdSeconds, s));
  texts.push_back(ZemFormat(ZemStr::KdMinute, 1));
  for (int s = 5; s <= 55; s += 5) texts.push_back(ZemFormat(ZemStr::KdMinuteSeconds, 1, s));
  texts.push_back(ZemFormat(ZemStr::KdMinutes, 2));
  return texts;
}

void SetComboEnabled(ui::ComboBox* box, bool enabled) {
  if (box == nullptr) return;
  box->setEnabled(enabled);
  box->setColor(enabled ? kComboEnabled : kComboDisabled);
  box->setFontColor(enabled ? ui::clWindowText : kComboDisabledText);
  if (!enabled) box->setItemIndex(-1);
}

// ---------------------------------------------------------------------------------------------------------
// Creation

TKandrelForm::TKandrelForm(ui::Component* owner) : TSubDeviceForm(owner, KandrelStyle()) {
  setName("KandrelForm");
}

TZemFixtureKandrel* TKandrelForm::Kandrel() const {
  return dynamic_cast<TZemFixtureKandrel*>(CurrentFixture);
}

void TKandrelForm::FormCreate(ui::Component* sender) {
  TSubDeviceForm::FormCreate(sender);
  BuildSettingsPage();
  BuildStandAlonePage();
  PC1->setActivePage(tsFixtureInfo);
  // Text can be measured once the window exists: the fade-time column is placed then.
  postMessage(WM_RELAYOUT);
}

ui::Panel* TKandrelForm::MakeActionPanel(ui::WinControl* parent, const char* name, ZemStr caption, int left,
                                         int top, int width) {
  auto* p = ui::make<ui::Panel>(this, parent, name, left, top, width, 22);
  RaisePanel(p);
  p->setCaption(ZemString(caption));
  p->setCursor(ui::crHandPoint);
  p->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    Guarded([&] { ActionMouseDown(s, b, sh, x, y); });
  };
  p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    ActionMouseUp(s, b, sh, x, y);
  };
  // A release lost to a modal window must not leave the panel pressed.
  p->onMouseCaptureLost = [](ui::Component* s) { RaisePanel(dynamic_cast<ui::Panel*>(s)); };
  return p;
}

void TKandrelForm::BuildSettingsPage() {
  ui::TabSheet* page = tsFixtureSettings;
  const int width = page->clientWidth() - 16;
  auto* all = ui::make<ui::GroupBox>(this, page, "gbSettingsAll", 8, 4, width, 86);
  all->setCaption(" " + ZemString(ZemStr::KdSettingsAll) + " ");
  gbSettingsAll = all;
  pSetDMXModeAll = MakeActionPanel(all, "pSetDMXModeAll", ZemStr::KdSetDMXModeAll, 8, 26, 280);
  pSetPixelModeAll = MakeActionPanel(all, "pSetPixelModeAll", ZemStr::KdSetPixelModeAll, 8, 56, 280);
  pAutoAddressAll = MakeActionPanel(all, "pAutoAddressAll", ZemStr::KdAutoAddressAll, 296, 26, 280);
  pResetAddressAll = MakeActionPanel(all, "pResetAddressAll", ZemStr::KdResetAddressAll, 296, 56, 280);

  // The DMX settings below, across the page, with the pixel mode beside them.
  gbDMXProtocolSettings->setBounds(8, ControlBottom(all) + 4, width, 80);
  seDMXAddress->setLeft(100);
  cbDMXMode->setBounds(100, cbDMXMode->top(), 140, cbDMXMode->height());
  lPixelMode = MakeBoldLabel(this, gbDMXProtocolSettings, "lPixelMode", 250, 16, ZemStr::KdPixelMode);
  cbPixelMode = MakeList(
      this, gbDMXProtocolSettings, "cbPixelMode", 250, 32, 150,
      {ZemString(ZemStr::KdPixelMode1), ZemString(ZemStr::KdPixelMode2), ZemString(ZemStr::KdPixelMode4)});
  cbPixelMode->onChange = [this](ui::Component* s) { Guarded([&] { PixelModeChange(s); }); };
}

void TKandrelForm::BuildStandAlonePage() {
  ui::TabSheet* page = tsStandAloneSettings;
  const int width = page->clientWidth() - 16;
  for (ui::Component* c : std::initializer_list<ui::Component*>{
           lAutoProgramOn, cbAutoProgramOn, gbStandAloneTimerSettings, gbStandAloneSensorSettings})
    if (c != nullptr) c->free();

  auto* all = ui::make<ui::GroupBox>(this, page, "gbStandAloneAll", 8, 4, width, 128);
  all->setCaption(" " + ZemString(ZemStr::KdStandAloneAll) + " ");
  gbStandAloneAll = all;
  const int panelWidth = width - 16;
  pAllSingle = MakeActionPanel(all, "pAllSingle", ZemStr::KdAllSingle, 8, 24, panelWidth);
  pAllSingleSynchronized =
      MakeActionPanel(all, "pAllSingleSynchronized", ZemStr::KdAllSingleSynchronized, 8, 48, panelWidth);
  pThisMaster = MakeActionPanel(all, "pThisMaster", ZemStr::KdThisMaster, 8, 72, panelWidth);
  pDisableAll = MakeActionPanel(all, "pDisableAll", ZemStr::KdDisableAll, 8, 96, panelWidth);

  // Each setting as a label over its list: operation, sequence, master/slave on the first row; the dynamic
  // sequences' wait and fade times on the second.
  gbStandAloneSettings->setBounds(8, ControlBottom(all) + 4, width, 120);
  lStandAloneMode->setBounds(8, 16, lStandAloneMode->width(), lStandAloneMode->height());
  cbStandAloneMode->setBounds(8, 32, 130, cbStandAloneMode->height());
  lMasterSlaveSetting->setBounds(430, 16, lMasterSlaveSetting->width(), lMasterSlaveSetting->height());
  cbMasterSlaveSetting->setBounds(430, 32, width - 438, cbMasterSlaveSetting->height());
  cbMasterSlaveSetting->items().assign(
      {ZemString(ZemStr::FfSingleFixture), ZemString(ZemStr::FfMaster), ZemString(ZemStr::FfSynchronized)});
  lSequence = MakeBoldLabel(this, gbStandAloneSettings, "lSequence", 150, 16, ZemStr::KdSequence);
  std::vector<std::string> sequences;
  for (int i = 0; i < kSequences; ++i)
    sequences.push_back(ZemString(static_cast<ZemStr>(static_cast<int>(ZemStr::KdSequence00) + i)));
  cbSequence = MakeList(this, gbStandAloneSettings, "cbSequence", 150, 32, 270, sequences);
  cbSequence->onChange = [this](ui::Component* s) { Guarded([&] { SequenceChange(s); }); };

  lDynamicWaitTime = MakeBoldLabel(this, gbStandAloneSettings, "lDynamicWaitTime", lStandAloneMode->left(),
                                   66, ZemStr::KdWaitTime);
  cbDynamicWaitTime = MakeList(this, gbStandAloneSettings, "cbDynamicWaitTime", lDynamicWaitTime->left(), 82,
                               lDynamicWaitTime->width(), DynamicWaitTimeTexts());
  cbDynamicWaitTime->setHint(ZemString(ZemStr::KdWaitTimeHint));
  cbDynamicWaitTime->onChange = [this](ui::Component* s) { Guarded([&] { WaitTimeChange(s); }); };
  const int fadeLeft = lDynamicWaitTime->left() + lDynamicWaitTime->width() + 20;
  lDynamicFadeTime =
      MakeBoldLabel(this, gbStandAloneSettings, "lDynamicFadeTime", fadeLeft, 66, ZemStr::KdFadeTime);
  cbDynamicFadeTime = MakeList(this, gbStandAloneSettings, "cbDynamicFadeTime", fadeLeft, 82,
                               lDynamicFadeTime->width(), DynamicFadeTimeTexts());
  cbDynamicFadeTime->setHint(ZemString(ZemStr::KdFadeTimeHint));
  cbDynamicFadeTime->onChange = [this](ui::Component* s) { Guarded([&] { FadeTimeChange(s); }); };
}

void TKandrelForm::handleMessage(const ui::Message& m) {
  if (m.msg == WM_RELAYOUT) {
    WMRelayout();
    return;
  }
  TSubDeviceForm::handleMessage(m);
}

void TKandrelForm::WMRelayout() {
  if (!lDynamicFadeTime || !cbDynamicFadeTime || !cbMasterSlaveSetting) return;
  if (lStandAloneMode && cbStandAloneMode && lSequence && cbSequence) {
    // The sequence column starts clear of the operation's label and list, whatever the font makes of them;
    // its list keeps its right edge.
    const int operationRight = std::max(lStandAloneMode->left() + lStandAloneMode->width(),
                                        cbStandAloneMode->left() + cbStandAloneMode->width());
    const int sequenceLeft = std::max(lSequence->left(), operationRight + kColumnGap);
    const int sequenceRight = cbSequence->left() + cbSequence->width();
    lSequence->setLeft(sequenceLeft);
    cbSequence->setBounds(sequenceLeft, cbSequence->top(), sequenceRight - sequenceLeft,
                          cbSequence->height());
  }
  ui::Canvas& c = canvas();
  c.font = lDynamicFadeTime->font();
  const int textWidth = c.textWidth(ZemString(ZemStr::KdFadeTime));
  // The fade-time column ends where the master/slave list ends.
  lDynamicFadeTime->setLeft(cbMasterSlaveSetting->left() + cbMasterSlaveSetting->width() - textWidth);
  cbDynamicFadeTime->setLeft(lDynamicFadeTime->left());
}

TLedAutoTestForm* TKandrelForm::CreateAutoTestForm() {
  return ui::createForm<TKandrelAutoTest>(this);
}

// ---------------------------------------------------------------------------------------------------------
// Updates

void TKandrelForm::UpdateAll() {
  TFixtureFormTemplate::UpdateAll();
  if (!CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  if (lFixtureType)
    lFixtureType->setCaption(ZemFormat(ZemStr::FfFixtureType, fixture.GetFixtureSubTypeName().c_str()));
  FitFixtureInfoRows();
  UpdateSegmentLabel();
  const bool pixels = fixture.GetSubType() == kSubTypeQuodra1200;
  lPixelMode->setVisible(pixels);
  cbPixelMode->setVisible(pixels);
  for (ui::Control* c : std::initializer_list<ui::Control*>{lDMXAddress, seDMXAddress, lDMXMode, cbDMXMode})
    if (c != nullptr) c->show();
}

void TKandrelForm::UpdateDMXSettings() {
  if (!CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  const bool was = Updating;
  Updating = true;
  ShowEditValue(seDMXAddress, fixture.GetDmxAddress());
  cbDMXMode->setItemIndex(fixture.GetDmxProtocol());
  if (TZemFixtureKandrel* strip = Kandrel())
    cbPixelMode->setItemIndex(PixelModeToIndex(strip->GetModeSettings()));
  Updating = was;
}

void TKandrelForm::UpdateStandAloneSettings() {
  TFixtureFormTemplate::UpdateStandAloneSettings();
  TZemFixtureKandrel* strip = Kandrel();
  if (strip == nullptr || !tsStandAloneSettings) return;
  const bool was = Updating;
  Updating = true;
  cbSequence->setItemIndex(strip->GetStandAloneSequence());
  cbDynamicWaitTime->setItemIndex(strip->GetDynamicWaitTimeIndex());
  cbDynamicFadeTime->setItemIndex(strip->GetDynamicFadeTimeIndex());
  const bool standAlone = cbStandAloneMode->itemIndex() > 0;
  SetComboEnabled(cbMasterSlaveSetting, standAlone);
  // A synchronized Quodra follows its master's sequence and timing.
  const bool ownTiming = standAlone && strip->GetMasterSlaveSetting() != kMasterSlaveSynchronized;
  for (ui::ComboBox* box : {cbSequence.get(), cbDynamicWaitTime.get(), cbDynamicFadeTime.get()})
    SetComboEnabled(box, ownTiming);
  Updating = was;
}

void TKandrelForm::UpdateSegmentLabel() {
  TSubDeviceForm::UpdateSegmentLabel();
  if (Held != HeldButton::None || !CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  const bool chain = fixture.GetSegmentCount() > 0;
  gbSettingsAll->setVisible(chain);
  gbStandAloneAll->setVisible(chain);
  pSetPixelModeAll->setVisible(fixture.GetSubType() == kSubTypeQuodra1200);
  const bool mainUnit = fixture.GetCurrentSegment() == 0;
  pAutoAddressAll->setVisible(mainUnit);
  pResetAddressAll->setVisible(mainUnit);
}

void TKandrelForm::SAModifiedTimerTimer(ui::Component* sender) {
  TFixtureFormTemplate::SAModifiedTimerTimer(sender);
  PollIdle();
}

// ---------------------------------------------------------------------------------------------------------
// Change handlers

void TKandrelForm::PixelModeChange(ui::Component*) {
  TZemFixtureKandrel* strip = Kandrel();
  const int index = cbPixelMode->itemIndex();
  if (Updating || strip == nullptr || index < 0) return;
  if (strip->SetModeSettings(kPixelModes[static_cast<size_t>(index)])) {
    (void)strip->ReadPersonality();  // shown either way: the controls show what the record holds
    UpdateDMXSettings();
  }
}

void TKandrelForm::SequenceChange(ui::Component*) {
  TZemFixtureKandrel* strip = Kandrel();
  if (Updating || strip == nullptr || cbSequence->itemIndex() < 0) return;
  if (strip->SetStandAloneSequence(cbSequence->itemIndex()) && strip->ReadStandAloneSettings())
    UpdateStandAloneSettings();
}

void TKandrelForm::WaitTimeChange(ui::Component*) {
  TZemFixtureKandrel* strip = Kandrel();
  if (Updating || strip == nullptr || cbDynamicWaitTime->itemIndex() < 0) return;
  if (strip->SetDynamicWaitTimeIndex(cbDynamicWaitTime->itemIndex()) && strip->ReadStandAloneSettings())
    UpdateStandAloneSettings();
}

void TKandrelForm::FadeTimeChange(ui::Component*) {
  TZemFixtureKandrel* strip = Kandrel();
  if (Updating || strip == nullptr || cbDynamicFadeTime->itemIndex() < 0) return;
  if (strip->SetDynamicFadeTimeIndex(cbDynamicFadeTime->itemIndex()) && strip->ReadStandAloneSettings())
    UpdateStandAloneSettings();
}

// ---------------------------------------------------------------------------------------------------------
// Actions

void TKandrelForm::ActionMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  auto* panel = dynamic_cast<ui::Panel*>(sender);
  // An action pumps messages while it runs: a press meanwhile must not start another inside it.
  if (panel == nullptr || actionRunning_) return;
  ui::Ref<TKandrelForm> self(this);
  actionRunning_ = true;
  struct Done {
    ui::Ref<TKandrelForm> form;
    ~Done() {
      if (form) form->actionRunning_ = false;
    }
  } done{self};
  LowerPanel(panel);
  ui::ScopedCursor hourglass(ui::crHourGlass);
  // The write-back timer would write the edits of whichever sub-device the action has selected.
  TimerPause pause(*this);
  ui::app().processMessages();
  if (!self || !Kandrel()) return;
  const std::pair<ui::Panel*, void (TKandrelForm::*)()> actions[] = {
      {pSetDMXModeAll, &TKandrelForm::SetDMXModeForAll},
      {pSetPixelModeAll, &TKandrelForm::SetPixelModeForAll},
      {pAutoAddressAll, &TKandrelForm::AutoAddressAll},
      {pResetAddressAll, &TKandrelForm::ResetAddressAll},
      {pAllSingle, &TKandrelForm::SetAllSingle},
      {pAllSingleSynchronized, &TKandrelForm::SetAllSingleSynchronized},
      {pThisMaster, &TKandrelForm::SetThisMaster},
      {pDisableAll, &TKandrelForm::DisableStandAloneForAll},
  };
  for (const auto& [p, action] : actions) {
    if (p != nullptr && p == panel) {
      (this->*action)();
      return;
    }
  }
}

void TKandrelForm::ActionMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  RaisePanel(dynamic_cast<ui::Panel*>(sender));
}

void TKandrelForm::ForEachSubDevice(const std::function<void(int index, int remembered)>& each,
                                    const std::function<void(int remembered)>& last) {
  ui::Ref<TKandrelForm> self(this);
  TZemFixtureKandrel* strip = Kandrel();
  if (strip == nullptr) return;
  const int remembered = strip->GetCurrentSegment();
  SAModifiedTimerTimer(SAModifiedTimer);
  for (int i = 0; self && Kandrel() == strip && i <= strip->GetSegmentCount(); ++i) {
    // A sub-device that cannot be selected is skipped: the next request would reach the one before.
    if (strip->SetSubDevice(i, true)) each(i, remembered);
  }
  if (!self || Kandrel() != strip) return;
  if (last) last(remembered);
  (void)strip->SetSubDevice(remembered, true);
  UpdateSegmentLabel();
  (void)strip->ReadBasicFixtureData();
  UpdateAll();
}

void TKandrelForm::SetDMXModeForAll() {
  const int protocol = cbDMXMode->itemIndex();
  if (protocol < 0) return;
  ForEachSubDevice([this, protocol](int, int) {
    if (Kandrel()->ReadPersonality()) (void)Kandrel()->SetDmxProtocol(protocol);
  });
}

void TKandrelForm::SetPixelModeForAll() {
  // With no pixel mode shown there is nothing to send.
  const int index = cbPixelMode->itemIndex();
  if (index < 0) return;
  const int mode = kPixelModes[static_cast<size_t>(index)];
  ForEachSubDevice([this, mode](int, int) {
    TZemFixtureKandrel* strip = Kandrel();
    if (strip->ReadPersonality() && strip->GetSubType() == kSubTypeQuodra1200)
      (void)strip->SetModeSettings(mode);
  });
}

void TKandrelForm::AddressRequest(bool (TZemFixtureKandrel::*request)()) {
  ui::Ref<TKandrelForm> self(this);
  (void)(Kandrel()->*request)();  // the settings read afterwards show what the fixture took
  Delay(kAddressSettleMs);
  if (!self || !Kandrel()) return;
  (void)Kandrel()->ReadPersonality();
  UpdateDMXSettings();
}

void TKandrelForm::AutoAddressAll() {
  AddressRequest(&TZemFixtureKandrel::AutoAddressSequentially);
}

void TKandrelForm::ResetAddressAll() {
  AddressRequest(&TZemFixtureKandrel::ResetDMXAddressTo1);
}

void TKandrelForm::SetAllSingle() {
  ForEachSubDevice([this](int, int) {
    // A failed read leaves the previous sub-device's settings in the record: nothing is written then.
    if (!Kandrel()->ReadStandAloneSettings()) return;
    StandAloneByte(fdarea::sa::kMode) = 1;
    StandAloneByte(fdarea::sa::kMasterSlave) = 0;
    (void)Kandrel()->WriteStandAloneSettings();
  });
}

void TKandrelForm::SetAllSingleSynchronized() {
  const bool standAlone = cbStandAloneMode && cbStandAloneMode->itemIndex() != 0;
  const std::pair<size_t, int> timing[] = {{fdarea::sa::kSequence, cbSequence->itemIndex()},
                                           {fdarea::sa::kDynamicWait, cbDynamicWaitTime->itemIndex()},
                                           {fdarea::sa::kDynamicFade, cbDynamicFadeTime->itemIndex()}};
  ForEachSubDevice([this, standAlone, timing](int, int) {
    if (!Kandrel()->ReadStandAloneSettings()) return;
    StandAloneByte(fdarea::sa::kMode) = 1;
    StandAloneByte(fdarea::sa::kMasterSlave) = 0;
    for (const auto& [field, index] : timing) {
      // A list that shows nothing has no byte to copy: the sub-device keeps its own.
      if (!standAlone) {
        StandAloneByte(field) = 0;
      } else if (index >= 0) {
        StandAloneByte(field) = static_cast<uint8_t>(index);
      }
    }
    (void)Kandrel()->WriteStandAloneSettings();
  });
}

void TKandrelForm::SetThisMaster() {
  ForEachSubDevice(
      [this](int index, int remembered) {
        if (index == remembered || !Kandrel()->ReadStandAloneSettings()) return;
        StandAloneByte(fdarea::sa::kMode) = 1;
        StandAloneByte(fdarea::sa::kMasterSlave) = 2;
        (void)Kandrel()->WriteStandAloneSettings();
      },
      [this](int remembered) {
        // The master keeps its own sequence and timing: its settings are read again, not taken from the
        // sub-device written last.
        TZemFixtureKandrel* strip = Kandrel();
        if (!strip->SetSubDevice(remembered, true) || !strip->ReadStandAloneSettings()) return;
        StandAloneByte(fdarea::sa::kMode) = 1;
        StandAloneByte(fdarea::sa::kMasterSlave) = 1;
        (void)strip->WriteStandAloneSettings();
      });
}

void TKandrelForm::DisableStandAloneForAll() {
  ForEachSubDevice([this](int, int) {
    if (Kandrel()->ReadStandAloneSettings()) (void)Kandrel()->SetStandAloneMode(0);
  });
}
