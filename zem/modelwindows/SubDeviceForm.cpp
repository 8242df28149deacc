#include "zem/modelwindows/SubDeviceForm.h"

#include <algorithm>

#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"

namespace {

constexpr int kTestPanelHeight = 24;
constexpr int kTestPanelGap = 2;
constexpr int kAutoTestGap = 8;
constexpr int kFirstTestPanelTop = 10;
// The repeat of a held selector button: 1000 ms, then 500, 400, 300, 200, 100 and from then on 50.
constexpr uint32_t kRepeatSecondMs = 500;
constexpr uint32_t kRepeatStepMs = 100;
constexpr uint32_t kRepeatFastestMs = 50;
constexpr ui::Color kHeldSelectorColour = 0xFF0000;  // blue

void FreeControl(ui::Component* c) {
  if (c != nullptr) c->free();
}

void SetBevels(ui::Panel* panel, ui::BevelCut cut, bool both) {
  if (panel == nullptr) return;
  panel->setBevelOuter(cut);
  if (both) panel->setBevelInner(cut);
}

void SetItems(ui::ComboBox* box, const std::vector<ZemStr>& items) {
  std::vector<std::string> texts;
  for (ZemStr id : items) texts.push_back(ZemString(id));
  box->items().assign(texts);
}

}  // namespace

TSubDeviceForm::TSubDeviceForm(ui::Component* owner, const TSubDeviceFormStyle& style)
    : TFixtureFormTemplate(owner), style_(style) {
  BuildSelector();
}

void TSubDeviceForm::BuildSelector() {
  // In the bottom bar between Refresh and Close, so that it is at hand on every page.
  auto* panel = ui::make<ui::Panel>(this, Panel1, "pSegment", 216, 4, 272, 24);
  panel->setBevelOuter(ui::BevelCut::None);
  pSegment = panel;
  auto button = [this, panel](const char* name, int left) {
    auto* b = ui::make<ui::SpeedButton>(this, panel, name, left, 0, 24, 24);
    b->setEnabled(false);
    b->onMouseDown = [this](ui::Component* s, ui::MouseButton mb, ui::ShiftState sh, int x, int y) {
      Guarded([&] { sbSegmentMouseDown(s, mb, sh, x, y); });
    };
    b->onMouseUp = [this](ui::Component* s, ui::MouseButton mb, ui::ShiftState sh, int x, int y) {
      Guarded([&] { sbSegmentMouseUp(s, mb, sh, x, y); });
    };
    // A modal window that takes the mouse away ends the hold; its release never comes.
    b->onMouseCaptureLost = [this](ui::Component*) { CancelHeldSegment(); };
    return b;
  };
  sbSegmentPrev = button("sbSegmentPrev", 0);
  sbSegmentNext = button("sbSegmentNext", 248);
  auto* label = ui::make<ui::Label>(this, panel, "lSegment");
  label->setAutoSize(false);
  label->setAlignment(ui::Alignment::Center);
  label->setBounds(28, 5, 216, 14);
  lSegment = label;

  auto* timer = new ui::Timer(this, kFirstRepeatMs);
  timer->setName("RepeatTimer");
  timer->setEnabled(false);
  timer->onTimer = [this, timer] { Guarded([&] { RepeatTimerTimer(timer); }); };
  RepeatTimer = timer;

  lDMXMode = ui::make<ui::Label>(this, gbDMXProtocolSettings, "lDMXMode");
  auto* mode = ui::make<ui::ComboBox>(this, gbDMXProtocolSettings, "cbDMXMode");
  mode->setStyle(ui::ComboStyle::DropDownList);
  mode->onChange = [this](ui::Component* s) { Guarded([&] { cbDMXModeChange(s); }); };
  cbDMXMode = mode;
}

// ---------------------------------------------------------------------------------------------------------
// Creation

void TSubDeviceForm::FormCreate(ui::Component* sender) {
  TFixtureFormTemplate::FormCreate(sender);
  lSegment->setCaption(ZemString(ZemStr::LtSegmentDesign));
  lSegment->hide();
  sbSegmentPrev->setCaption(ZemString(ZemStr::LtPrevious));
  sbSegmentNext->setCaption(ZemString(ZemStr::LtNext));
  lDMXMode->setCaption(ZemString(ZemStr::MwDMXMode));
  SetItems(cbDMXMode, style_.dmxModes);

  RemoveLampClockAndLog();

  const std::pair<size_t, ZemStr> formats[] = {
      {14, style_.temperature1}, {15, style_.temperature2}, {7, style_.voltage1}, {8, style_.voltage2}};
  for (const auto& [index, format] : formats) {
    if (format != ZemStr::Count_) SetMonitorFormat(index, format);
  }
  FitMonitorColumns();

  BuildLedTestPage();

  SAModifiedTimer->setInterval(kWriteBackIntervalMs);
  PC1->setActivePage(tsFixtureInfo);
  // The memory-file commands; the separators between them would stand alone.
  for (ui::MenuItem* item :
       {mSaveMemToFile.get(), N1.get(), mUploadSAProgramFromFile.get(), mUploadFixturesettingsFromFile.get(),
        mUploadCompleteMemoryFromFile.get(), N2.get()})
    item->setVisible(false);
}

void TSubDeviceForm::RemoveLampClockAndLog() {
  for (ui::Component* c : std::initializer_list<ui::Component*>{
           tsAdjustment, tsStandAloneProgram, lLampStatus, lSensorValue, lFixtureTime, seHour, seMinute,
           seDate, seMonth, seYear, lLampStrikes, lRLampStrikes, pResetLampStrikes, lDMXReset, cbDMXReset,
           gbOtherSettings, reSystemLog, pClearLog, pSaveLog})
    FreeControl(c);
  // The DMX mode takes the place of the DMX lamp-off setting.
  lDMXMode->setBounds(lDMXLampOff->left(), lDMXLampOff->top(), lDMXLampOff->width(), lDMXLampOff->height());
  cbDMXMode->setBounds(cbDMXLampOff->left(), cbDMXLampOff->top(), cbDMXLampOff->width(),
                       cbDMXLampOff->height());
  FreeControl(lDMXLampOff);
  FreeControl(cbDMXLampOff);
  gbDMXProtocolSettings->setHeight(80);
  LayOutCounterRows();
}

void TSubDeviceForm::LayOutCounterRows() {
  // Two rows across the page: the total on the left, the resettable count and its Reset panel beside it.
  gbFixtureStatus->setBounds(8, ControlBottom(gbFixtureInformation) + 4, 576, 74);
  const struct {
    ui::Label* total;
    ui::Label* resettable;
    ui::Panel* reset;
    int top;
  } rows[] = {{lPowerOnHours, lRPowerOnHours, pResetPowerOn, 24},
              {lLampOnHours, lRLampOnHours, pResetLampOn, 44}};
  for (const auto& row : rows) {
    if (row.total) row.total->setTop(row.top);
    if (row.resettable)
      row.resettable->setBounds(220, row.top, row.resettable->width(), row.resettable->height());
    if (row.reset) row.reset->setBounds(510, row.top - 4, row.reset->width(), row.reset->height());
  }
}

void TSubDeviceForm::BuildLedTestPage() {
  auto* page = ui::make<ui::TabSheet>(this, PC1, "tsLedTest");
  page->setCaption(ZemString(ZemStr::LtLedTest));
  tsLedTest = page;
  const int width = page->clientWidth() - 16;
  const ui::BevelCut innerBevel = style_.bothBevels ? ui::BevelCut::Raised : ui::BevelCut::None;
  auto makePanel = [&](const char* name, int top, ZemStr caption) {
    auto* p = ui::make<ui::Panel>(this, page, name, 8, top, width, kTestPanelHeight);
    p->setBevelOuter(ui::BevelCut::Raised);
    p->setBevelInner(innerBevel);
    p->setCaption(ZemString(caption));
    p->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      Guarded([&] { LedTestMouseDown(s, b, sh, x, y); });
    };
    p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      Guarded([&] { LedTestMouseUp(s, b, sh, x, y); });
    };
    return p;
  };
  int top = kFirstTestPanelTop;
  pLedTests.clear();
  for (const TSubDeviceFormStyle::TestPanel& t : style_.testPanels) {
    ui::Panel* p = makePanel(t.name, top, t.caption);
    p->setColor(t.dark);
    p->setFontColor(t.text);
    // A lost release (a link error box opened while the panel was held) must not leave the LEDs lit.
    p->onMouseCaptureLost = [this](ui::Component* s) {
      Guarded([&] { ReleaseLedTest(dynamic_cast<ui::Panel*>(s)); });
    };
    pLedTests.emplace_back(p);
    top += kTestPanelHeight + kTestPanelGap;
  }
  pAutoTestAll = makePanel("pAutoTestAll", top - kTestPanelGap + kAutoTestGap, ZemStr::LtAutoTestAll);
  pAutoTestAll->setFontColor(ui::clBlack);
}

// ---------------------------------------------------------------------------------------------------------
// Selector

void TSubDeviceForm::sbSegmentMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (!CurrentFixture) return;
  const bool prev = sender == sbSegmentPrev.get();
  PendingSegment =
      std::clamp(CurrentFixture->GetCurrentSegment() + (prev ? -1 : 1), 0, CurrentFixture->GetSegmentCount());
  Held = prev ? HeldButton::Prev : HeldButton::Next;
  UpdateSegmentLabel();
  if (style_.repeat && RepeatTimer) {
    RepeatTimer->setInterval(kFirstRepeatMs);
    RepeatTimer->setEnabled(true);
  }
}

void TSubDeviceForm::RepeatTimerTimer(ui::Component*) {
  if (!RepeatTimer || Held == HeldButton::None || !CurrentFixture) return;
  const uint32_t interval = RepeatTimer->interval();
  if (interval > kRepeatSecondMs) {
    RepeatTimer->setInterval(kRepeatSecondMs);
  } else if (interval > kRepeatStepMs) {
    RepeatTimer->setInterval(interval - kRepeatStepMs);
  } else if (interval > kRepeatFastestMs) {
    RepeatTimer->setInterval(kRepeatFastestMs);
  }
  PendingSegment =
      std::clamp(PendingSegment + (Held == HeldButton::Prev ? -1 : 1), 0, CurrentFixture->GetSegmentCount());
  UpdateSegmentLabel();
}

void TSubDeviceForm::sbSegmentMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (Held == HeldButton::None) return;
  if (RepeatTimer) RepeatTimer->setEnabled(false);
  Held = HeldButton::None;
  SelectPendingSegment();
}

void TSubDeviceForm::CancelHeldSegment() {
  if (RepeatTimer) RepeatTimer->setEnabled(false);
  if (Held == HeldButton::None) return;
  Held = HeldButton::None;
  UpdateSegmentLabel();
}

void TSubDeviceForm::SelectPendingSegment() {
  if (!CurrentFixture) return;
  ui::Ref<TSubDeviceForm> self(this);
  // Edits made on the sub-device shown so far go to that one.
  SAModifiedTimerTimer(SAModifiedTimer);
  if (!self || !CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  PendingSegment = std::clamp(PendingSegment, 0, fixture.GetSegmentCount());
  // A sub-device that does not answer: the reads below fail and the window shows what it holds.
  (void)fixture.SetSubDevice(PendingSegment, true);
  UpdateSegmentLabel();
  (void)fixture.ReadBasicFixtureData();
  UpdateAll();
}

void TSubDeviceForm::UpdateSegmentLabel() {
  if (!CurrentFixture || !lSegment) return;
  TZemFixture& fixture = *CurrentFixture;
  const int highest = fixture.GetSegmentCount();
  Updating = true;
  if (Held != HeldButton::None) {
    lSegment->setCaption(ZemFormat(style_.selectorFormat, PendingSegment + 1, highest + 1));
    lSegment->setFontColor(kHeldSelectorColour);
  } else {
    const int current = fixture.GetCurrentSegment();
    lSegment->setCaption(ZemFormat(style_.selectorFormat, current + 1, highest + 1));
    lSegment->setFontColor(font().color);
    sbSegmentNext->setEnabled(current < highest);
    sbSegmentPrev->setEnabled(current > 0);
  }
  lSegment->show();
  Updating = false;
}

// ---------------------------------------------------------------------------------------------------------
// Settings

void TSubDeviceForm::cbDMXModeChange(ui::Component*) {
  if (Updating || !CurrentFixture || !cbDMXMode || cbDMXMode->itemIndex() < 0) return;
  if (CurrentFixture->SetDmxProtocol(cbDMXMode->itemIndex())) UpdateDMXSettings();
}

void TSubDeviceForm::PollIdle() {
  if (CurrentFixture) (void)CurrentFixture->IdlePoll(MonitorPageShowing());
}

// ---------------------------------------------------------------------------------------------------------
// LED test

void TSubDeviceForm::LedTestMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  auto* panel = dynamic_cast<ui::Panel*>(sender);
  if (panel == nullptr) return;
  if (panel == pAutoTestAll.get()) {
    SetBevels(panel, ui::BevelCut::Lowered, style_.bothBevels);
    RunAutoTest();
    return;
  }
  SetBevels(panel, ui::BevelCut::Lowered, style_.bothBevels);
  for (size_t i = 0; i < pLedTests.size(); ++i) {
    if (pLedTests[i].get() != panel) continue;
    const TSubDeviceFormStyle::TestPanel& t = style_.testPanels[i];
    if (!CurrentFixture) return;
    ui::Ref<ui::Panel> held(panel);
    (void)CurrentFixture->SendLedData(t.values[0], t.values[1], t.values[2], t.values[3], t.values[4]);
    // Lit only while still held: a link error box in the send took the mouse and released the LEDs.
    if (held && ui::screen().captureControl() == held.get()) held->setColor(t.lit);
    return;
  }
}

void TSubDeviceForm::LedTestMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  ReleaseLedTest(dynamic_cast<ui::Panel*>(sender));
}

void TSubDeviceForm::ReleaseLedTest(ui::Panel* panel) {
  SetBevels(panel, ui::BevelCut::Raised, style_.bothBevels);
  ui::Ref<TSubDeviceForm> self(this);
  if (CurrentFixture) (void)CurrentFixture->SendLedData(0, 0, 0, 0, 0);
  if (!self) return;
  for (size_t i = 0; i < pLedTests.size(); ++i) {
    if (pLedTests[i]) pLedTests[i]->setColor(style_.testPanels[i].dark);
  }
}

void TSubDeviceForm::RunAutoTest() {
  if (!CurrentFixture) return;
  ui::Ref<TSubDeviceForm> self(this);
  // The write-back timer gets back the state it had, whatever it was (and stays off after a close).
  TimerPause pause(*this);
  const int remembered = CurrentFixture->GetCurrentSegment();
  {
    ui::Ref<TLedAutoTestForm> test(CreateAutoTestForm());
    test->showModal();
    if (test) test->free();
  }
  if (!self) return;
  if (pAutoTestAll) pAutoTestAll->setBevelOuter(ui::BevelCut::Raised);
  if (CurrentFixture) {
    (void)CurrentFixture->SetSubDevice(remembered, true);
    (void)CurrentFixture->ReadPersonality();
    UpdateAll();
  }
  if (!self) return;
  pause.restore();
  SetBevels(pAutoTestAll, ui::BevelCut::Raised, style_.bothBevels);
}
