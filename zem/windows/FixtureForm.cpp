// The fixture window template: frame, life, reading the fixture, the bottom buttons, the adjustment
// page, help and the owner-drawn menu and tabs. The other pages are in FixtureFormPages.cpp and
// FixtureFormSAProgram.cpp, the memory file commands in FixtureFormMemory.cpp.
#include "zem/windows/FixtureForm.h"

#include <algorithm>
#include <array>
#include <exception>

#include "desktop/program_icons.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/windows/About.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/GetInfoProgress.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/WarningDialog.h"
#include "zem/windows/ZemStrings.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr uint32_t kWriteBackIntervalMs = 200;
constexpr ui::Color kMenuSelected = 0x808080;
constexpr ui::Color kTabActive = 0xFFFFFF;
constexpr ui::Color kTabInactive = 0xC0C0C0;
constexpr uint32_t kLampSettleMs = 500;

// Help topics: the file's topic identifiers.
constexpr const char* kTopicFixtureInfo = "Fixtureinfo";
constexpr const char* kTopicFixtureSettings = "FixtureSettings";
constexpr const char* kTopicStandAloneSettings = "StandAloneSettings";
constexpr const char* kTopicStandAloneProgram = "StandAloneProgram";
constexpr const char* kTopicAdjustment = "Adjustment";
constexpr const char* kTopicMonitor = "Monitor";
constexpr const char* kTopicFileMenu = "FileMenu";

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Shared building blocks

namespace fixtureform {

ui::Label* MakeLabel(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top) {
  return ui::make<ui::Label>(owner, parent, name, left, top, 0, 13);
}

ui::SpinEdit* MakeSpinEdit(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                           int width, int minValue, int maxValue, int digits) {
  auto* e = ui::make<ui::SpinEdit>(owner, parent, name, left, top, width, 22);
  e->setMinValue(minValue);
  e->setMaxValue(maxValue);
  e->setMaxLength(digits);
  e->setCaption(std::to_string(minValue));
  return e;
}

ui::ComboBox* MakeList(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                       int width) {
  auto* c = ui::make<ui::ComboBox>(owner, parent, name, left, top, width, 21);
  c->setStyle(ui::ComboStyle::DropDownList);
  return c;
}

ui::Panel* MakeButtonPanel(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                           int width, int height) {
  auto* p = ui::make<ui::Panel>(owner, parent, name, left, top, width, height);
  p->setBevelOuter(ui::BevelCut::Raised);
  p->setBevelInner(ui::BevelCut::Raised);
  p->setCursor(ui::crHandPoint);
  return p;
}

std::string GroupCaption(ZemStr id) {
  return " " + ZemString(id) + " ";
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string FormatValue(const std::string& format, int value) {
  char buffer[256];
  int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
  return n < 0 ? std::string()
               : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}
std::string FormatValue(const std::string& format, double value) {
  char buffer[256];
  int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
  return n < 0 ? std::string()
               : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}
#pragma GCC diagnostic pop

}  // namespace fixtureform

// ---------------------------------------------------------------------------------------------------------
// Guards

TFixtureFormTemplate::TimerPause::TimerPause(TFixtureFormTemplate& form, bool stopNow)
    : form_(&form), timer_(form.SAModifiedTimer.get()) {
  wasEnabled_ = timer_ && timer_->enabled();
  if (stopNow) stop();
}

TFixtureFormTemplate::TimerPause::~TimerPause() {
  restore();
}

void TFixtureFormTemplate::TimerPause::stop() {
  if (timer_) timer_->setEnabled(false);
}

void TFixtureFormTemplate::TimerPause::restore() {
  if (done_) return;
  done_ = true;
  // A window closed meanwhile keeps its timer stopped.
  if (timer_ && form_ && !form_->closed_) timer_->setEnabled(wasEnabled_);
}

TFixtureFormTemplate::WindowDisabled::WindowDisabled(TFixtureFormTemplate& form, bool bringToFront)
    : form_(&form), bringToFront_(bringToFront) {
  form.setEnabled(false);
}

TFixtureFormTemplate::WindowDisabled::~WindowDisabled() {
  end();
}

void TFixtureFormTemplate::WindowDisabled::end() {
  if (done_) return;
  done_ = true;
  if (!form_) return;
  form_->setEnabled(true);
  if (bringToFront_ && form_) form_->bringToFront();
}

void TFixtureFormTemplate::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ui::showErrorBox(e.what());
  }
}

// ---------------------------------------------------------------------------------------------------------
// Construction

TFixtureFormTemplate::TFixtureFormTemplate(ui::Component* owner) : ui::Form(owner) {
  setName("FixtureFormTemplate");
  setIcon(&desktop::zemIcon());
  setBorderStyle(ui::BorderStyle::SizeToolWin);
  setBorderIcons(ui::kSystemMenu);
  setPosition(ui::FormPosition::OwnerFormCenter);
  setClientSize(kWidth, kHeight);
  setConstraints({kWidth, kHeight, kWidth, kHeight});
  SetBoldDialogFont(*this);
  setShowHint(true);

  BuildFrame();
  BuildFixtureInfoPage();
  BuildFixtureSettingsPage();
  BuildStandAloneSettingsPage();
  BuildStandAloneProgramPage();
  BuildAdjustmentPage();
  BuildMonitorPage();

  onCreate = [this](ui::Component* s) { FormCreate(s); };
  onShow = [this](ui::Component* s) { Guarded([&] { FormShow(s); }); };
  onActivate = [this](ui::Component* s) { Guarded([&] { FormActivate(s); }); };
  onClose = [this](ui::Component* s, ui::CloseAction& a) { Guarded([&] { FormClose(s, a); }); };
  onDestroy = [this](ui::Component* s) { FormDestroy(s); };
}

TFixtureFormTemplate::~TFixtureFormTemplate() = default;

void TFixtureFormTemplate::BuildFrame() {
  MainMenu = new ui::MainMenu(this);
  MainMenu->setName("MainMenu");
  auto item = [this](ui::MenuItem* parent, const char* name) {
    auto* m = new ui::MenuItem(this);
    m->setName(name);
    if (parent) {
      parent->add(m);
    } else {
      MainMenu->items().add(m);
    }
    m->onMeasureItem = [this](ui::Component* s, ui::Canvas& c, int& w, int& h) {
      MainMenuMeassureItem(s, c, w, h);
    };
    m->onDrawItem = [this](ui::Component* s, ui::Canvas& c, const ui::Rect& r, bool sel) {
      MainMenuDrawItem(s, c, r, sel);
    };
    return m;
  };
  mMenuFiles = item(nullptr, "mMenuFiles");
  mSaveMemToFile = item(mMenuFiles, "mSaveMemToFile");
  N1 = item(mMenuFiles, "N1");
  mUploadSAProgramFromFile = item(mMenuFiles, "mUploadSAProgramFromFile");
  mUploadFixturesettingsFromFile = item(mMenuFiles, "mUploadFixturesettingsFromFile");
  mUploadCompleteMemoryFromFile = item(mMenuFiles, "mUploadCompleteMemoryFromFile");
  N2 = item(mMenuFiles, "N2");
  mFileMenuHelp = item(mMenuFiles, "mFileMenuHelp");
  N3 = item(mMenuFiles, "N3");
  mExit = item(mMenuFiles, "mExit");
  mMenuHelp = item(nullptr, "mMenuHelp");
  mHelp = item(mMenuHelp, "mHelp");
  mHelpContents = item(mMenuHelp, "mHelpContents");
  N4 = item(mMenuHelp, "N4");
  mAbout = item(mMenuHelp, "mAbout");
  for (ui::MenuItem* line : {N1.get(), N2.get(), N3.get(), N4.get()}) line->setCaption("-");

  auto bind = [this](ui::MenuItem* m, void (TFixtureFormTemplate::*handler)(ui::Component*)) {
    m->onClick = [this, handler](ui::Component* s) { Guarded([&] { (this->*handler)(s); }); };
  };
  bind(mSaveMemToFile, &TFixtureFormTemplate::mSaveMemToFileClick);
  bind(mUploadSAProgramFromFile, &TFixtureFormTemplate::mUploadSAProgramFromFileClick);
  bind(mUploadFixturesettingsFromFile, &TFixtureFormTemplate::mUploadFixturesettingsFromFileClick);
  bind(mUploadCompleteMemoryFromFile, &TFixtureFormTemplate::mUploadCompleteMemoryFromFileClick);
  bind(mFileMenuHelp, &TFixtureFormTemplate::mFileMenuHelpClick);
  bind(mExit, &TFixtureFormTemplate::mExitClick);
  bind(mHelp, &TFixtureFormTemplate::mHelpClick);
  bind(mHelpContents, &TFixtureFormTemplate::ZEMMainFormHelpContents1Click);
  bind(mAbout, &TFixtureFormTemplate::mAboutClick);

  ToolBar1 = ui::make<ui::ToolBar>(this, this, "ToolBar1", 0, 0, kWidth, 21);
  ToolBar1->setAlign(ui::Align::Top);
  ToolBar1->setFlat(true);
  ToolBar1->setShowCaptions(true);
  ToolBar1->setButtonHeight(21);

  Panel1 = ui::make<ui::Panel>(this, this, "Panel1", 0, kHeight - 32, kWidth, 32);
  Panel1->setAlign(ui::Align::Bottom);
  PanelButton reconnect = MakePanelButton(this, Panel1, "pReconnect", "sbReconnect", 4, 4, 100, 24);
  pReconnect = reconnect.panel;
  sbReconnect = reconnect.button;
  PanelButton refresh = MakePanelButton(this, Panel1, "pRefresh", "sbRefresh", 108, 4, 100, 24);
  pRefresh = refresh.panel;
  sbRefresh = refresh.button;
  PanelButton close = MakePanelButton(this, Panel1, "pClose", "sbClose", kWidth - 104, 4, 100, 24);
  pClose = close.panel;
  sbClose = close.button;
  sbReconnect->onClick = [this](ui::Component* s) { Guarded([&] { sbReconnectClick(s); }); };
  sbRefresh->onClick = [this](ui::Component* s) { Guarded([&] { sbRefreshClick(s); }); };
  sbClose->onClick = [this](ui::Component* s) { Guarded([&] { sbCloseClick(s); }); };

  PC1 = ui::make<ui::PageControl>(this, this, "PC1", 0, 21, kWidth, kHeight - 53);
  PC1->setAlign(ui::Align::Client);
  PC1->setStyle(ui::TabStyle::Buttons);
  PC1->setTabHeight(24);
  PC1->setShowHint(true);
  PC1->onDrawTab = [this](ui::PageControl* c, int i, const ui::Rect& r, bool active) {
    PC1DrawTab(c, i, r, active);
  };
  auto page = [this](const char* name) {
    auto* ts = new ui::TabSheet(this);
    ts->setName(name);
    ts->setPageControl(PC1);
    return ts;
  };
  tsFixtureInfo = page("tsFixtureInfo");
  tsFixtureSettings = page("tsFixtureSettings");
  tsStandAloneSettings = page("tsStandAloneSettings");
  tsStandAloneProgram = page("tsStandAloneProgram");
  tsAdjustment = page("tsAdjustment");
  tsMonitor = page("tsMonitor");

  auto* timer = new ui::Timer(this, kWriteBackIntervalMs);
  timer->setName("SAModifiedTimer");
  timer->setEnabled(false);
  timer->onTimer = [this, timer] { Guarded([&] { SAModifiedTimerTimer(timer); }); };
  SAModifiedTimer = timer;
  writeBackTimer_ = timer;

  SaveDialog = new ui::SaveDialog(this);
  SaveDialog->setName("SaveDialog");
  SaveDialog->filter = ZemString(ZemStr::FfMemoryFilesFilter) + " (*.ZEF)|*.ZEF";
  SaveDialog->options =
      ui::kOverwritePrompt | ui::kHideReadOnly | ui::kNoChangeDir | ui::kPathMustExist | ui::kEnableSizing;
  OpenDialog = new ui::OpenDialog(this);
  OpenDialog->setName("OpenDialog");
  OpenDialog->options = ui::kHideReadOnly | ui::kNoChangeDir | ui::kEnableSizing;
  ImageList1 = new ui::ImageList(this);
  ImageList1->setName("ImageList1");
  DummyImageList = new ui::ImageList(this);
  DummyImageList->setName("DummyImageList");
}

void TFixtureFormTemplate::BuildAdjustmentPage() {
  ui::TabSheet* page = tsAdjustment;
  gbAdjustmentFunctions = ui::make<ui::GroupBox>(this, page, "gbAdjustmentFunctions", 8, 8, 280, 80);
  pResetLamp = ui::make<ui::Panel>(this, gbAdjustmentFunctions, "pResetLamp", 8, 20, 264, 50);
  pResetLamp->setBevelOuter(ui::BevelCut::None);
  auto button = [this](const char* panelName, const char* buttonName, int left) {
    PanelButton pb = MakePanelButton(this, pResetLamp, panelName, buttonName, left, 12, 80, 25);
    pb.button->onClick = [this](ui::Component* s) { Guarded([&] { sbAdjustResetLampClick(s); }); };
    return pb.button;
  };
  sbReset2 = button("pReset2", "sbReset2", 4);
  sbLampOn2 = button("pLampOn2", "sbLampOn2", 92);
  sbLampOff2 = button("pLampOff2", "sbLampOff2", 180);
  gbCalibrationFunctions = ui::make<ui::GroupBox>(this, page, "gbCalibrationFunctions", 8, 96, 576, 200);
}

void TFixtureFormTemplate::doShow() {
  afterConstruction();
  ui::Form::doShow();
}

// ---------------------------------------------------------------------------------------------------------
// Life

void TFixtureFormTemplate::FormCreate(ui::Component*) {
  setColor(kZemGrey);
  if (CurrentFixture) {
    std::string title = CurrentFixture->GetFixtureName();
    if (DemoMode) title += ": " + ZemString(ZemStr::FfDemoSuffix);
    setCaption(title);
  }

  mMenuFiles->setCaption(ZemString(ZemStr::FfMenuFiles));
  mSaveMemToFile->setCaption(ZemString(ZemStr::FfSaveMemToFile));
  mUploadSAProgramFromFile->setCaption(ZemString(ZemStr::FfUploadSAProgramFromFile));
  mUploadFixturesettingsFromFile->setCaption(ZemString(ZemStr::FfUploadSettingsFromFile));
  mUploadCompleteMemoryFromFile->setCaption(ZemString(ZemStr::FfUploadCompleteMemoryFromFile));
  mFileMenuHelp->setCaption(ZemString(ZemStr::FfFileMenuHelp));
  mExit->setCaption(ZemString(ZemStr::FfExit));
  mMenuHelp->setCaption(ZemString(ZemStr::FfMenuHelp));
  mHelp->setCaption(ZemString(ZemStr::FfHelp));
  mHelpContents->setCaption(ZemString(ZemStr::FfHelpContents));
  mAbout->setCaption(ZemString(ZemStr::FfAbout));
  MainMenu->setOwnerDraw(true);
  ToolBar1->setMenu(MainMenu);

  if (DemoMode) {
    sbReconnect->setCaption(ZemString(ZemStr::FfDemo));
    sbReconnect->setHint(ZemString(ZemStr::FfDemoHint));
    sbRefresh->setEnabled(false);
  } else {
    sbReconnect->setCaption(ZemString(ZemStr::FfReconnect));
    sbReconnect->setHint(ZemString(ZemStr::FfReconnectHint));
    sbRefresh->setCaption(ZemString(ZemStr::FfRefresh));
    sbRefresh->setHint(ZemString(ZemStr::FfRefreshHint));
  }
  sbClose->setCaption(ZemString(ZemStr::FfClose));
  sbClose->setHint(ZemString(ZemStr::FfCloseHint));
  if (DemoMode) sbRefresh->setCaption(ZemString(ZemStr::FfRefresh));
  FitToPanel(sbReconnect, pReconnect);
  FitToPanel(sbRefresh, pRefresh);
  FitToPanel(sbClose, pClose);

  PC1->setActivePage(tsFixtureInfo);
  PC1->setOwnerDraw(true);
  tsFixtureInfo->setCaption(ZemString(ZemStr::FfPageFixtureInfo));
  tsFixtureSettings->setCaption(ZemString(ZemStr::FfPageFixtureSettings));
  tsAdjustment->setCaption(ZemString(ZemStr::FfPageAdjustment));
  tsStandAloneSettings->setCaption(ZemString(ZemStr::FfPageStandAloneSettings));
  tsStandAloneProgram->setCaption(ZemString(ZemStr::FfPageStandAloneProgram));
  tsMonitor->setCaption(ZemString(ZemStr::FfPageMonitor));

  SetUpPageTexts();
  SetUpStandAloneProgramTexts();

  gbAdjustmentFunctions->setCaption(fixtureform::GroupCaption(ZemStr::FfAdjustmentFunctions));
  sbReset2->setCaption(ZemString(ZemStr::FfReset));
  sbReset2->setHint(ZemString(ZemStr::FfResetHint));
  sbLampOn2->setCaption(ZemString(ZemStr::FfLampOn));
  sbLampOn2->setHint(ZemString(ZemStr::FfLampOnHint));
  sbLampOff2->setCaption(ZemString(ZemStr::FfLampOff));
  sbLampOff2->setHint(ZemString(ZemStr::FfLampOffHint));
  for (ui::SpeedButton* b : {sbReset2.get(), sbLampOn2.get(), sbLampOff2.get()})
    FitToPanel(b, dynamic_cast<ui::Panel*>(b->parent()));
  gbCalibrationFunctions->setCaption(fixtureform::GroupCaption(ZemStr::FfCalibrationFunctions));

  if (reSystemLog) reSystemLog->lines().clear();
  ActiveWriteBackTimer = writeBackTimer_;
}

void TFixtureFormTemplate::FormShow(ui::Component*) {
  if (Shown) return;
  Shown = true;
  if (SAModifiedTimer) SAModifiedTimer->setEnabled(true);
}

void TFixtureFormTemplate::FormActivate(ui::Component*) {
  // Marked before reading: the read pumps messages, and an activation from there must not read again.
  if (Activated) return;
  Activated = true;
  WindowDisabled disabled(*this);
  ReadFixture();
}

void TFixtureFormTemplate::FormClose(ui::Component*, ui::CloseAction&) {
  closed_ = true;
  if (SAModifiedTimer) SAModifiedTimer->setEnabled(false);
  // Closing a fixture window ends the program.
  TerminateFlag = true;
  WindowClosed = true;
}

void TFixtureFormTemplate::FormDestroy(ui::Component*) {
  if (ActiveWriteBackTimer == writeBackTimer_) ActiveWriteBackTimer = nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Reading the fixture

void TFixtureFormTemplate::ReadFixture() {
  if (!CurrentFixture) return;
  bool complete = false;
  {
    TimerPause pause(*this);
    ui::Owned<TFormGetInfoProgress> progress(new TFormGetInfoProgress(this));
    infoProgress_ = progress.get();
    progress->show();
    CurrentFixture->ClearReadFailure();
    complete = CurrentFixture->ReadAllFixtureData(
        [this](int position, int maximum) { GetInfoProgressCallback(position, maximum); });
    infoProgress_ = nullptr;
  }
  UpdateAll();
  // The pages show whatever the record holds; a read that stopped early leaves old or zero values there,
  // which the user must not take for the fixture's. The demonstration reads nothing by design.
  if (!complete && !DemoMode && CurrentFixture) {
    const std::string missing = CurrentFixture->ReadFailure();
    ShowWarningForm(ZemFormat(ZemStr::FfReadIncomplete, missing.empty() ? "fixture data" : missing.c_str()));
  }
}

void TFixtureFormTemplate::GetInfoProgressCallback(int position, int maximum) {
  if (!infoProgress_) return;
  infoProgress_->pg->setMax(maximum);
  infoProgress_->pg->setPosition(position);
  ui::app().processMessages();
}

// ---------------------------------------------------------------------------------------------------------
// Bottom buttons

void TFixtureFormTemplate::Reconnect() {
  TerminateFlag = false;
  WindowClosed = true;
}

void TFixtureFormTemplate::sbReconnectClick(ui::Component*) {
  Reconnect();
}

void TFixtureFormTemplate::sbRefreshClick(ui::Component*) {
  if (!CurrentFixture) return;
  std::array<uint8_t, fd::kFixtureInfo - fd::kSerial> serial{};
  std::copy_n(FixtureData.begin() + fd::kSerial, serial.size(), serial.begin());
  const bool read = CurrentFixture->ReadSerialNumber();
  if (!read || !std::equal(serial.begin(), serial.end(), FixtureData.begin() + fd::kSerial)) {
    // Another fixture, or none: search again.
    Reconnect();
    return;
  }
  WindowDisabled disabled(*this, true);
  ReadFixture();
}

void TFixtureFormTemplate::sbCloseClick(ui::Component*) {
  close();
}

void TFixtureFormTemplate::mExitClick(ui::Component* sender) {
  sbCloseClick(sender);
}

// ---------------------------------------------------------------------------------------------------------
// Adjustment page

void TFixtureFormTemplate::sbAdjustResetLampClick(ui::Component* sender) {
  if (!CurrentFixture) return;
  if (sender == sbReset2.get()) {
    CurrentFixture->ResetFixture();
    CurrentFixture->ResetFixture();
    ui::Owned<TInformationForm> info(new TInformationForm(this));
    info->AddText(ZemString(ZemStr::FfResetting));
    info->showModal();
    info.reset();
    Reconnect();
  } else if (sender == sbLampOff2.get() || sender == sbLampOn2.get()) {
    if (sender == sbLampOff2.get()) {
      CurrentFixture->LampOff();
    } else {
      CurrentFixture->LampOn();
    }
    DelayNoMessages(kLampSettleMs);
    // The label shows the status read, or the last one when the fixture did not answer.
    (void)CurrentFixture->ReadLampStatus();
    UpdateLampStatus();
  }
}

// ---------------------------------------------------------------------------------------------------------
// Help

std::string TFixtureFormTemplate::HelpTopicFor(const ui::TabSheet* page) const {
  if (page == nullptr) return {};
  const std::pair<ui::TabSheet*, const char*> topics[] = {
      {tsFixtureInfo.get(), kTopicFixtureInfo},
      {tsFixtureSettings.get(), kTopicFixtureSettings},
      {tsStandAloneSettings.get(), kTopicStandAloneSettings},
      {tsStandAloneProgram.get(), kTopicStandAloneProgram},
      {tsAdjustment.get(), kTopicAdjustment},
      {tsMonitor.get(), kTopicMonitor},
  };
  for (const auto& [sheet, topic] : topics) {
    if (sheet != nullptr && sheet == page) return topic;
  }
  return {};
}

void TFixtureFormTemplate::mHelpClick(ui::Component*) {
  const std::string topic = HelpTopicFor(PC1 ? PC1->activePage() : nullptr);
  if (!topic.empty()) ui::app().helpJump(topic);
}

void TFixtureFormTemplate::ZEMMainFormHelpContents1Click(ui::Component*) {
  ui::app().helpCommand(ui::kHelpTopics, 0);
}

void TFixtureFormTemplate::mFileMenuHelpClick(ui::Component*) {
  ui::app().helpJump(kTopicFileMenu);
}

void TFixtureFormTemplate::mAboutClick(ui::Component*) {
  ui::Owned<TAboutForm> about(new TAboutForm(this));
  about->showModal();
}

// ---------------------------------------------------------------------------------------------------------
// Owner-drawn menu and tabs

void TFixtureFormTemplate::MainMenuMeassureItem(ui::Component* sender, ui::Canvas& canvas, int& width,
                                                int& height) {
  auto* item = dynamic_cast<ui::MenuItem*>(sender);
  if (item == nullptr) return;
  canvas.font.bold = font().bold;
  const std::string text = ui::stripHotkey(item->caption());
  width = canvas.textWidth(text) + 8;
  height = item->isLine() ? 6 : canvas.textHeight(text) + 6;
}

void TFixtureFormTemplate::MainMenuDrawItem(ui::Component* sender, ui::Canvas& canvas, const ui::Rect& rect,
                                            bool selected) {
  auto* item = dynamic_cast<ui::MenuItem*>(sender);
  if (item == nullptr) return;
  canvas.font.bold = font().bold;
  const ui::Rect area = rect.inflate(0, 1);
  canvas.brush.style = ui::BrushStyle::Solid;
  canvas.brush.color = kZemGrey;
  canvas.fillRect(area);
  if (selected) {
    canvas.brush.color = kMenuSelected;
    canvas.fillRect(area.offset(0, 1));
  }
  if (item->isLine()) {
    const int y = (rect.top + rect.bottom) / 2;
    canvas.pen.color = ui::clBlack;
    canvas.moveTo(rect.left + 4, y);
    canvas.lineTo(rect.right, y);
    canvas.pen.color = ui::clWhite;
    canvas.moveTo(rect.left + 4, y + 1);
    canvas.lineTo(rect.right, y + 1);
    return;
  }
  canvas.brush.style = ui::BrushStyle::Clear;
  canvas.textOut(rect.left + 8, rect.top + 2, ui::stripHotkey(item->caption()));
}

void TFixtureFormTemplate::PC1DrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect,
                                      bool active) {
  DrawTab(control, tabIndex, rect, active, 2);
}

void TFixtureFormTemplate::DrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect, bool active,
                                   int activeShortening) {
  if (control == nullptr) return;
  const std::vector<ui::TabSheet*> tabs = control->visibleTabs();
  if (tabIndex < 0 || tabIndex >= static_cast<int>(tabs.size())) return;
  ui::Canvas& canvas = control->canvas();
  ui::Rect area = rect;
  canvas.brush.style = ui::BrushStyle::Solid;
  if (active) {
    canvas.brush.color = kTabActive;
    canvas.font.color = ui::clBlack;
    area.bottom -= activeShortening;
  } else {
    canvas.brush.color = kTabInactive;
    canvas.font.color = ui::clWhite;
  }
  canvas.fillRect(area);
  canvas.textOut(rect.left + 2, rect.top + 2, tabs[static_cast<size_t>(tabIndex)]->caption());
}

// ---------------------------------------------------------------------------------------------------------
// Message boxes

void TFixtureFormTemplate::ShowErrorForm(const std::string& text) {
  ui::Owned<TErrorForm> box(new TErrorForm(this));
  box->AddText(text);
  box->showModal();
}

void TFixtureFormTemplate::ShowWarningForm(const std::string& text) {
  ui::Owned<TWarningForm> box(new TWarningForm(this));
  box->AddText(text);
  box->showModal();
}
