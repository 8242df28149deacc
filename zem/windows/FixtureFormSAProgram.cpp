// The fixture window's stand-alone program page: the scene buttons, the wait and fade time lists, the
// scene counter and running the program. The sequence itself lives in the fixture; the page only steps
// through it and shows the scene the fixture is editing.
#include <utility>
#include <vector>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/SARunDialog.h"
#include "zem/windows/ZemStrings.h"

using fixtureform::MakeLabel;
using fixtureform::MakeList;
using fixtureform::MakeSpinEdit;

namespace {

constexpr uint32_t kSwitchOffPauseMs = 100;
constexpr int kHourWrap = 18;  // the hour edits show 0..17

// The wait-time list; an entry's index is what SecondsToIndex gives for its time.
std::vector<std::string> WaitTimeItems() {
  std::vector<std::string> items;
  items.push_back(ZemFormat(ZemStr::FfSeconds, 0));
  items.push_back(ZemFormat(ZemStr::FfSecond, 1));
  for (int s = 2; s <= 20; ++s) items.push_back(ZemFormat(ZemStr::FfSeconds, s));
  for (int s = 25; s <= 55; s += 5) items.push_back(ZemFormat(ZemStr::FfSeconds, s));
  items.push_back(ZemFormat(ZemStr::FfMinute, 1));
  items.push_back(ZemFormat(ZemStr::FfMinuteSeconds, 1, 30));
  for (int m : {2, 3, 5, 10, 15, 20, 30, 40, 50}) items.push_back(ZemFormat(ZemStr::FfMinutes, m));
  items.push_back(ZemFormat(ZemStr::FfHour, 1));
  items.push_back(ZemFormat(ZemStr::FfHourMinutes, 1, 30));
  for (int h : {2, 3, 4, 6, 12}) items.push_back(ZemFormat(ZemStr::FfHours, h));
  return items;
}

// The fade-time list; an entry's index is what StepValueToIndex gives for its time. One second uses the
// plural form here.
std::vector<std::string> FadeTimeItems() {
  std::vector<std::string> items;
  items.push_back(ZemString(ZemStr::FfSnap));
  for (int s = 1; s <= 10; ++s) items.push_back(ZemFormat(ZemStr::FfSeconds, s));
  for (int s = 15; s <= 55; s += 5) items.push_back(ZemFormat(ZemStr::FfSeconds, s));
  items.push_back(ZemFormat(ZemStr::FfMinute, 1));
  for (int s = 5; s <= 55; s += 5) items.push_back(ZemFormat(ZemStr::FfMinuteSeconds, 1, s));
  items.push_back(ZemFormat(ZemStr::FfMinutes, 2));
  return items;
}

}  // namespace

void TFixtureFormTemplate::BuildStandAloneProgramPage() {
  ui::TabSheet* page = tsStandAloneProgram;
  Panel2 = ui::make<ui::Panel>(this, page, "Panel2", 0, 0, 592, 34);
  Panel2->setAlign(ui::Align::Top);
  Panel2->setBevelOuter(ui::BevelCut::None);
  const std::pair<const char*, const char*> names[] = {
      {"pPrevious", "sbPrevious"}, {"pNext", "sbNext"},           {"pStore", "sbStore"},   {"pAdd", "sbAdd"},
      {"pDelete", "sbDelete"},     {"pDeleteAll", "sbDeleteAll"}, {"pInsert", "sbInsert"}, {"pRun", "sbRun"},
  };
  std::vector<PanelButton> buttons;
  int left = 2;
  for (const auto& [panelName, buttonName] : names) {
    buttons.push_back(MakePanelButton(this, Panel2, panelName, buttonName, left, 4, 72, 26));
    buttons.back().button->onClick = [this](ui::Component* s) { Guarded([&] { sbSAProgramClick(s); }); };
    left += 74;
  }
  pPrevious = buttons[0].panel;
  sbPrevious = buttons[0].button;
  pNext = buttons[1].panel;
  sbNext = buttons[1].button;
  pStore = buttons[2].panel;
  sbStore = buttons[2].button;
  pAdd = buttons[3].panel;
  sbAdd = buttons[3].button;
  pDelete = buttons[4].panel;
  sbDelete = buttons[4].button;
  pDeleteAll = buttons[5].panel;
  sbDeleteAll = buttons[5].button;
  pInsert = buttons[6].panel;
  sbInsert = buttons[6].button;
  pRun = buttons[7].panel;
  sbRun = buttons[7].button;

  Panel3 = ui::make<ui::Panel>(this, page, "Panel3", 0, 34, 592, 62);
  Panel3->setAlign(ui::Align::Top);
  lWaitTime = MakeLabel(this, Panel3, "lWaitTime", 8, 10);
  cbWaitTime = MakeList(this, Panel3, "cbWaitTime", 120, 6, 150);
  seWaitHour = MakeSpinEdit(this, Panel3, "seWaitHour", 280, 6, 40, 0, kHourWrap - 1, 2);
  seWaitMinute = MakeSpinEdit(this, Panel3, "seWaitMinute", 324, 6, 40, 0, 59, 2);
  seWaitSecond = MakeSpinEdit(this, Panel3, "seWaitSecond", 368, 6, 40, 0, 59, 2);
  lFadeTime = MakeLabel(this, Panel3, "lFadeTime", 8, 38);
  cbFadeTime = MakeList(this, Panel3, "cbFadeTime", 120, 34, 150);
  seFadeHour = MakeSpinEdit(this, Panel3, "seFadeHour", 280, 34, 40, 0, kHourWrap - 1, 2);
  seFadeMinute = MakeSpinEdit(this, Panel3, "seFadeMinute", 324, 34, 40, 0, 59, 2);
  seFadeSecond = MakeSpinEdit(this, Panel3, "seFadeSecond", 368, 34, 40, 0, 59, 2);
  lWaitTimeFormat = MakeLabel(this, Panel3, "lWaitTimeFormat", 412, 10);
  lFadeTimeFormat = MakeLabel(this, Panel3, "lFadeTimeFormat", 412, 38);
  lWaitTimeFormat->setVisible(false);
  lFadeTimeFormat->setVisible(false);
  lSceneCounter = MakeLabel(this, Panel3, "lSceneCounter", 470, 22);
  for (ui::SpinEdit* e : {seWaitHour.get(), seWaitMinute.get(), seWaitSecond.get(), seFadeHour.get(),
                          seFadeMinute.get(), seFadeSecond.get()}) {
    // Model windows may show them; the template offers the lists.
    e->setVisible(false);
    e->onChange = [this](ui::Component* s) { seChange(s); };
    e->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
  }
  cbWaitTime->onChange = [this](ui::Component* s) { Guarded([&] { cbWaitTimeChange(s); }); };
  cbFadeTime->onChange = [this](ui::Component* s) { Guarded([&] { cbFadeTimeChange(s); }); };

  Panel4 = ui::make<ui::Panel>(this, page, "Panel4", 0, 96, 592, 200);
  Panel4->setAlign(ui::Align::Client);
  Panel4->setBevelOuter(ui::BevelCut::Lowered);
}

void TFixtureFormTemplate::LayOutSceneButtons() {
  // Each button as wide as its caption needs, the row's room left over shared out evenly.
  constexpr int kGap = 2;
  constexpr int kTextRoom = 8;  // the flat button's edges and a little air
  std::vector<std::pair<ui::SpeedButton*, ui::Panel*>> row;
  for (auto [button, panel] :
       {std::pair{sbPrevious, pPrevious}, std::pair{sbNext, pNext}, std::pair{sbStore, pStore},
        std::pair{sbAdd, pAdd}, std::pair{sbDelete, pDelete}, std::pair{sbDeleteAll, pDeleteAll},
        std::pair{sbInsert, pInsert}, std::pair{sbRun, pRun}}) {
    if (button != nullptr && panel != nullptr) row.emplace_back(button, panel);
  }
  if (row.empty() || Panel2 == nullptr) return;
  std::vector<int> widths;
  int used = kGap * static_cast<int>(row.size() + 1);
  for (const auto& [button, panel] : row) {
    widths.push_back(ui::backend().textExtent(button->font(), ui::stripHotkey(button->caption())).width +
                     kTextRoom);
    used += widths.back();
  }
  const int spare = std::max(0, Panel2->width() - used);
  int left = kGap;
  for (size_t i = 0; i < row.size(); ++i) {
    const int extra =
        spare / static_cast<int>(row.size()) + (static_cast<int>(i) < spare % static_cast<int>(row.size()));
    auto [button, panel] = row[i];
    panel->setBounds(left, panel->top(), widths[i] + extra, panel->height());
    FitToPanel(button, panel);
    left += panel->width() + kGap;
  }
}

void TFixtureFormTemplate::SetUpStandAloneProgramTexts() {
  const std::tuple<ui::SpeedButton*, ui::Panel*, ZemStr, ZemStr> buttons[] = {
      {sbPrevious, pPrevious, ZemStr::FfPreviousScene, ZemStr::FfPreviousSceneHint},
      {sbNext, pNext, ZemStr::FfNextScene, ZemStr::FfNextSceneHint},
      {sbStore, pStore, ZemStr::FfStoreScene, ZemStr::FfStoreSceneHint},
      {sbAdd, pAdd, ZemStr::FfAddScene, ZemStr::FfAddSceneHint},
      {sbDelete, pDelete, ZemStr::FfDeleteScene, ZemStr::FfDeleteSceneHint},
      {sbDeleteAll, pDeleteAll, ZemStr::FfDeleteAll, ZemStr::FfDeleteAllHint},
      {sbInsert, pInsert, ZemStr::FfInsertScene, ZemStr::FfInsertSceneHint},
      {sbRun, pRun, ZemStr::FfRunProgram, ZemStr::FfRunProgramHint},
  };
  for (const auto& [button, panel, caption, hint] : buttons) {
    if (button == nullptr) continue;
    button->setCaption(ZemString(caption));
    button->setHint(ZemString(hint));
  }
  LayOutSceneButtons();
  Updating = true;
  if (lWaitTime) lWaitTime->setCaption(ZemString(ZemStr::FfWaitTime));
  if (cbWaitTime) {
    cbWaitTime->items().assign(WaitTimeItems());
    cbWaitTime->setHint(ZemString(ZemStr::FfWaitTimeHint));
  }
  for (ui::SpinEdit* e : {seWaitHour.get(), seWaitMinute.get(), seWaitSecond.get()}) {
    if (e) e->setHint(ZemString(ZemStr::FfWaitTimeHint));
  }
  if (lFadeTime) lFadeTime->setCaption(ZemString(ZemStr::FfFadeTime));
  if (cbFadeTime) {
    cbFadeTime->items().assign(FadeTimeItems());
    cbFadeTime->setHint(ZemString(ZemStr::FfFadeTimeHint));
  }
  for (ui::SpinEdit* e : {seFadeHour.get(), seFadeMinute.get(), seFadeSecond.get()}) {
    if (e) e->setHint(ZemString(ZemStr::FfFadeTimeHint));
  }
  if (lSceneCounter) lSceneCounter->setCaption(ZemFormat(ZemStr::FfSceneCounter, 0, 0));
  Updating = false;
}

void TFixtureFormTemplate::UpdateScene() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  const bool was = Updating;
  Updating = true;
  // Times of 18 hours or more cannot be shown by the hour edits; as they are shown, not edited, they are
  // never written back (only the user's changes are).
  const int wait = f.GetWaitTimeSeconds();
  if (cbWaitTime) cbWaitTime->setItemIndex(f.SecondsToIndex(wait));
  ShowEditValue(seWaitHour, (wait / 3600) % kHourWrap);
  ShowEditValue(seWaitMinute, (wait / 60) % 60);
  ShowEditValue(seWaitSecond, wait % 60);
  const int fade = f.GetFadeTimeSeconds();
  if (cbFadeTime) cbFadeTime->setItemIndex(f.StepValueToIndex(fade));
  ShowEditValue(seFadeHour, (fade / 3600) % kHourWrap);
  ShowEditValue(seFadeMinute, (fade / 60) % 60);
  ShowEditValue(seFadeSecond, fade % 60);
  if (lSceneCounter) {
    const int index = FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneIndex];
    const int count = FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneCount];
    lSceneCounter->setCaption(ZemFormat(ZemStr::FfSceneCounter, index + 1, count));
  }
  Updating = was;
}

void TFixtureFormTemplate::EnableSceneButtons() {
  for (ui::SpeedButton* b : {sbPrevious.get(), sbNext.get(), sbStore.get(), sbAdd.get(), sbDelete.get(),
                             sbDeleteAll.get(), sbInsert.get(), sbRun.get()}) {
    if (b) b->setEnabled(true);
  }
}

void TFixtureFormTemplate::sbSAProgramClick(ui::Component* sender) {
  if (Updating || !CurrentFixture || sender == nullptr) return;
  TZemFixture& f = *CurrentFixture;
  if (sender == sbRun.get()) {
    RunStandAloneProgram();
    return;
  }
  bool done = false;
  if (sender == sbPrevious.get()) {
    done = f.PreviousScene();
  } else if (sender == sbNext.get()) {
    done = f.NextScene();
  } else if (sender == sbStore.get()) {
    done = f.StoreScene();
  } else if (sender == sbDeleteAll.get()) {
    done = f.DeleteAllScenes();
  } else if (sender == sbAdd.get()) {
    done = f.AddScene();
  } else if (sender == sbDelete.get()) {
    done = f.DeleteScene();
  } else if (sender == sbInsert.get()) {
    done = f.InsertScene();
  }
  if (done) UpdateScene();
}

void TFixtureFormTemplate::RunStandAloneProgram() {
  TimerPause pause(*this);
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)CurrentFixture->SetServiceSwitch(true);
  {
    // The program is switched off again once the box is gone, however it went.
    struct SwitchOff {
      ~SwitchOff() {
        try {
          if (CurrentFixture) (void)CurrentFixture->SetServiceSwitch(false);
        } catch (...) {
        }
      }
    } switchOff;
    ui::Owned<TSARunForm> box(new TSARunForm(this));
    box->AddText(ZemString(ZemStr::FfRunningProgram));
    box->showModal();
  }
  DelayNoMessages(kSwitchOffPauseMs);
  // The pages then show whatever the record holds.
  if (CurrentFixture) (void)CurrentFixture->ReadStandAloneProgram();
  pause.restore();
  UpdateAll();
}

void TFixtureFormTemplate::cbWaitTimeChange(ui::Component*) {
  if (Updating || !CurrentFixture || !cbWaitTime) return;
  // Nothing to refresh: the list already shows the choice.
  (void)CurrentFixture->SetWaitTimeIndex(cbWaitTime->itemIndex());
}

void TFixtureFormTemplate::cbFadeTimeChange(ui::Component*) {
  if (Updating || !CurrentFixture || !cbFadeTime) return;
  // Nothing to refresh: the list already shows the choice.
  (void)CurrentFixture->SetFadeTimeIndex(cbFadeTime->itemIndex());
}
