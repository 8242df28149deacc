#include "zem/windows/ZemMain.h"

#include <algorithm>
#include <exception>

#include "desktop/program_icons.h"
#include "platform/sys/clock.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBV20L.h"
#include "zem/modelwindows/FixtureFormBV40L.h"
#include "zem/modelwindows/FixtureFormBralin.h"
#include "zem/modelwindows/FixtureFormBrv1200CIGZF_01.h"
#include "zem/modelwindows/FixtureFormBrv1200CMYIZ_01.h"
#include "zem/modelwindows/FixtureFormBrv200_20.h"
#include "zem/modelwindows/FixtureFormBrv600C_20.h"
#include "zem/modelwindows/FixtureFormBrv600_20.h"
#include "zem/modelwindows/FixtureFormGrobel200CI_01.h"
#include "zem/modelwindows/FixtureFormGrobel200CMYI_01.h"
#include "zem/modelwindows/FixtureFormKandrel.h"
#include "zem/modelwindows/FixtureFormLunav150_20.h"
#include "zem/modelwindows/FixtureFormNimboO2_21.h"
#include "zem/modelwindows/FixtureFormQuintelCMYI_01.h"
#include "zem/modelwindows/FixtureFormRastel_21.h"
#include "zem/windows/About.h"
#include "zem/windows/DemoMenu.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemFolders.h"
#include "zem/windows/ZemStrings.h"

namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 8;

constexpr const char* kFormCaption = "Tavren ZEM";
constexpr const char* kNoHardware = "No hardware";
constexpr const char* kLookingForFixture = "No fixture connected - looking for fixture";
constexpr const char* kClose = "Close";
constexpr const char* kMenuHelp = "&Help";
constexpr const char* kHelpContents = "Help contents";
constexpr const char* kAbout = "About";
constexpr const char* kErrorAccessingBox =
    "Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application";
constexpr const char* kFatalError = "Fatal Error.";
constexpr const char* kUnsupportedFixture = "Unsupported fixture connected - communication not possible";
constexpr const char* kFirmwareTooOld =
    "%s\rFixture firmeware (%s) not compatible with ZEM application\rFixture firmware version %s or higher "
    "required.";
constexpr const char* kNeedsNewerProgram =
    "Fixture firmeware requires newer version of ZEM application\rZEM version %s or higher required.";

constexpr ui::Color kMenuGrey = ui::rgb(189, 189, 189);
constexpr ui::Color kMenuSelected = ui::rgb(128, 128, 128);

constexpr uint32_t kPassDelayMs = 50;
constexpr uint32_t kSearchDelayMs = 100;
constexpr uint32_t kUnsupportedDelayMs = 2000;
constexpr uint32_t kVersionErrorDelayMs = 1000;
constexpr int kSerialReads = 3;
constexpr uint32_t kHintMsPerCharacter = 100;
constexpr int kHintMaxWidth = 150;

// The window a row opens.
template <class Window>
ui::Form* Open(ui::Component* owner, const TFixtureWindowRow&) {
  return ui::createForm<Window>(owner);
}

const std::array<TFixtureWindowRow, 17> kWindows = {{
    {"TBrv600_20Form", &Open<TBrv600_20Form>},
    {"TBrv200_20Form", &Open<TBrv200_20Form>},
    {"TKandrelForm", &Open<TKandrelForm>},
    {"TBralinForm", &Open<TBralinForm>},
    {"TBV20LForm", &Open<TBV20LForm>},
    {"TBV40LForm", &Open<TBV40LForm>},
    {"TLunavCMY150_20Form", &Open<TLunavCMY150_20Form>},
    {"TBrv600C_20Form", &Open<TBrv600C_20Form>},
    {"TNimboO2_21Form", &Open<TNimboO2_21Form>},
    {"TRastel_21Form", &Open<TRastel_21Form>},
    {"TZemFixtureGrobel200CMYI_01Form", &Open<TZemFixtureGrobel200CMYI_01Form>},
    {"TZemFixtureGrobel200CI_01Form", &Open<TZemFixtureGrobel200CI_01Form>},
    {"TZemFixtureQuintelCMYI_01Form", &Open<TZemFixtureQuintelCMYI_01Form>},
    {"TZemFixtureBrv1200CMYIZ_01Form", &Open<TZemFixtureBrv1200CMYIZ_01Form>},
    {"TZemFixtureBrv1200CIGZF_01Form", &Open<TZemFixtureBrv1200CIGZF_01Form>},
    {"TZemFixtureBrv1200CMYIZ_01Form", &Open<TZemFixtureBrv1200CMYIZ_01Form>},
    {"TZemFixtureBrv1200CIGZF_01Form", &Open<TZemFixtureBrv1200CIGZF_01Form>},
}};

// The type code as the record holds it: bytes 15..19, ending early at a zero byte.
std::string RecordTypeCode() {
  std::string code;
  for (size_t i = 0; i < 5; ++i) {
    const uint8_t c = FixtureData[fd::kFixtureInfo + i];
    if (c == 0) break;
    code += static_cast<char>(c);
  }
  return code;
}

int RecordSubType() {
  return FixtureData[fd::kFixtureInfo + 5];
}

// Shows a window modally and frees it, unless its owner already freed it while it was up.
template <class F>
ui::ModalResult ShowModalAndFree(F* form) {
  ui::Ref<F> ref(form);
  const ui::ModalResult result = form->showModal();
  if (ref) ref->free();
  return result;
}

void ReplaceCurrentFixture(TZemFixture* fixture) {
  delete CurrentFixture;
  CurrentFixture = fixture;
}

}  // namespace

const std::array<TFixtureWindowRow, 17>& FixtureWindowTable() {
  static_assert(kWindows.size() == 17);
  return kWindows;
}

TZEMMainForm::TZEMMainForm(ui::Component* owner) : ui::Form(owner) {
  setName("ZEMMainForm");
  setCaption(kFormCaption);
  setClientSize(320, 136);
  setPosition(ui::FormPosition::ScreenCenter);

  MainMenu = new ui::MainMenu(this);
  MainMenu->setName("MainMenu");
  MainMenu->setOwnerDraw(true);
  mMenuHelp = new ui::MenuItem(this);
  mMenuHelp->setName("mMenuHelp");
  mHelpContents = new ui::MenuItem(this);
  mHelpContents->setName("mHelpContents");
  N1 = new ui::MenuItem(this);
  N1->setName("N1");
  N1->setCaption("-");
  mAbout = new ui::MenuItem(this);
  mAbout->setName("mAbout");
  mMenuHelp->add(mHelpContents);
  mMenuHelp->add(N1);
  mMenuHelp->add(mAbout);
  MainMenu->items().add(mMenuHelp);
  for (ui::MenuItem* item : {mHelpContents, N1, mAbout}) {
    item->onMeasureItem = [this](ui::Component* s, ui::Canvas& c, int& w, int& h) {
      mAboutMeasureItem(s, c, w, h);
    };
    item->onDrawItem = [this](ui::Component* s, ui::Canvas& c, const ui::Rect& r, bool sel) {
      mAboutDrawItem(s, c, r, sel);
    };
  }
  mHelpContents->onClick = [this](ui::Component* s) { mHelpContentsClick(s); };
  mAbout->onClick = [this](ui::Component* s) { mAboutClick(s); };

  ToolBar1 = ui::make<ui::ToolBar>(this, this, "ToolBar1");
  ToolBar1->setFlat(true);
  ToolBar1->setShowCaptions(true);
  ToolBar1->setBounds(0, 0, 320, 23);
  ToolBar1->setAlign(ui::Align::Top);

  Panel1 = ui::make<ui::Panel>(this, this, "Panel1", 0, 23, 320, 80);
  ledHardware = ui::make<ui::Shape>(this, Panel1, "ledHardware");
  ledHardware->setShape(ui::ShapeType::Circle);
  ledHardware->setBounds(8, 8, 16, 16);
  ledHardware->setBrushColor(LedColorsHardware[0]);
  lHardware = ui::make<ui::Label>(this, Panel1, "lHardware", 32, 9, 0, 0);
  shLedConnect = ui::make<ui::Shape>(this, Panel1, "shLedConnect");
  shLedConnect->setShape(ui::ShapeType::Circle);
  shLedConnect->setBounds(8, 32, 16, 16);
  shLedConnect->setBrushColor(LedColorsConnect[0]);
  lFixtureConnect = ui::make<ui::Label>(this, Panel1, "lFixtureConnect", 32, 33, 0, 0);
  pgGetData = ui::make<ui::ProgressBar>(this, Panel1, "pgGetData", 8, 56, 304, 16);
  pgGetData->setMax(3);
  lDriverNote = new ui::Label(this);
  lDriverNote->setName("lDriverNote");
  lDriverNote->setParent(Panel1);
  lDriverNote->setWordWrap(true);
  lDriverNote->setBounds(8, 80, 304, 0);
  lDriverNote->setVisible(false);

  Panel2 = ui::make<ui::Panel>(this, this, "Panel2", 0, 103, 320, 33);
  PanelButton close = MakePanelButton(this, Panel2, "pClose", "sbClose", 236, 4, 76, 25);
  pClose = close.panel;
  sbClose = close.button;
  sbClose->onClick = [this](ui::Component* s) { sbCloseClick(s); };

  onActivate = [this](ui::Component* s) { FormActivate(s); };
  onDestroy = [this](ui::Component* s) { FormDestroy(s); };
  onClose = [this](ui::Component* s, ui::CloseAction& a) { FormClose(s, a); };
  onMessage = [this](const ui::Message& m) {
    if (m.msg == ui::WM_USER) WMFixtureLoop(m);
  };
  FormCreate(this);
}

void TZEMMainForm::FormCreate(ui::Component*) {
  setIcon(&desktop::zemIcon());
  setColor(kZemGrey);
  lHardware->setCaption(kNoHardware);
  lFixtureConnect->setCaption(kLookingForFixture);
  ui::app().onShowHint = [this](std::string& s, bool& canShow, ui::HintInfo& info) {
    AppShowHint(s, canShow, info);
  };
  setCaption(ZemFormat(ZemStr::VersionFormat, kVersionMajor, kVersionMinor));
  Panel1->setColor(color());
  Panel2->setColor(color());
  setAutoSize(true);
  sbClose->setCaption(kClose);
  FitToPanel(sbClose, pClose);
  mMenuHelp->setCaption(kMenuHelp);
  mHelpContents->setCaption(kHelpContents);
  mAbout->setCaption(kAbout);
  ToolBar1->setMenu(MainMenu);
  ui::app().setHelpFile(helpFilePath());
}

void TZEMMainForm::FormActivate(ui::Component*) {
  random_.seed(sys::tickCount());
  if (activated_) return;
  activated_ = true;
  ui::Ref<TZEMMainForm> self(this);
  ui::app().processMessages();
  if (!self) return;
  // The device tells itself whether it is the demonstration device (IsDemo below).
  (void)CreateDevice(Device);
  if (Device) {
    try {
      Device->Open();
      ledHardware->setBrushColor(LedColorsHardware[Device->IsDemo() ? 0 : 1]);
      lHardware->setCaption(Device->GetInterfaceName());
    } catch (const EZEMDeviceError&) {
      openFailed_ = true;
      ShowError(kErrorAccessingBox);
    } catch (const std::exception& e) {
      openFailed_ = true;
      ShowError(std::string(kFatalError) + "\r" + e.what());
    }
    if (!self) return;
  }
  postMessage(ui::WM_USER, 1, 0);
}

void TZEMMainForm::FormDestroy(ui::Component*) {
  ReplaceCurrentFixture(nullptr);
  FreeDevice();
  ui::app().onShowHint = nullptr;
}

void TZEMMainForm::FormClose(ui::Component*, ui::CloseAction&) {
  TerminateFlag = true;
}

void TZEMMainForm::sbCloseClick(ui::Component*) {
  TerminateFlag = true;
}

void TZEMMainForm::mHelpContentsClick(ui::Component*) {
  ui::app().helpCommand(ui::kHelpContents, 0);
}

void TZEMMainForm::mAboutClick(ui::Component*) {
  ShowModalAndFree(new TAboutForm(this));
}

void TZEMMainForm::mAboutMeasureItem(ui::Component* sender, ui::Canvas& canvas, int& width, int& height) {
  auto* item = dynamic_cast<ui::MenuItem*>(sender);
  if (!item) return;
  canvas.font = font();
  const std::string text = ui::stripHotkey(item->caption());
  width = canvas.textWidth(text) + 8;
  height = item->isLine() ? 6 : canvas.textHeight(text) + 6;
}

void TZEMMainForm::mAboutDrawItem(ui::Component* sender, ui::Canvas& canvas, const ui::Rect& rect,
                                  bool selected) {
  auto* item = dynamic_cast<ui::MenuItem*>(sender);
  if (!item) return;
  canvas.font = font();
  canvas.brush.style = ui::BrushStyle::Solid;
  canvas.brush.color = kMenuGrey;
  canvas.fillRect(rect);
  if (selected) {
    canvas.brush.color = kMenuSelected;
    canvas.fillRect(rect.offset(0, 1));
  }
  if (item->isLine()) {
    // An etched line: black across the middle, white right under it.
    const int mid = rect.top + rect.height() / 2;
    canvas.pen.color = ui::clBlack;
    canvas.moveTo(rect.left, mid);
    canvas.lineTo(rect.right, mid);
    canvas.pen.color = ui::clWhite;
    canvas.moveTo(rect.left, mid + 1);
    canvas.lineTo(rect.right, mid + 1);
    return;
  }
  canvas.brush.style = ui::BrushStyle::Clear;
  canvas.textOut(rect.left + 8, rect.top + 2, ui::stripHotkey(item->caption()));
}

void TZEMMainForm::AppShowHint(std::string& hintStr, bool& canShow, ui::HintInfo& info) {
  info.hintMaxWidth = kHintMaxWidth;
  if (hintStr != lastHint_) {
    const int perText = static_cast<int>(kHintMsPerCharacter * hintStr.size());
    info.hideTimeout = std::max(perText, ui::app().hintHidePause());
    ui::app().setHintPause(1);
  } else {
    // The same hint again is not shown a second time.
    canShow = false;
    ui::app().setHintPause(hintStr.empty() ? 500 : 1);
  }
  lastHint_ = hintStr;
}

void TZEMMainForm::ShowDriverNote(const std::string& text) {
  lDriverNote->setCaption(text);
  lDriverNote->setVisible(!text.empty());
  Panel1->setHeight(text.empty() ? 80 : lDriverNote->top() + lDriverNote->height() + 8);
  Panel2->setTop(Panel1->top() + Panel1->height());
}

bool TZEMMainForm::IsDemoDevice() const {
  return Device && Device->IsDemo();
}

bool TZEMMainForm::LoopMustEnd() {
  // With the application ending nothing would run the loop's next passes: end it too.
  if (ui::app().terminated()) TerminateFlag = true;
  return TerminateFlag;
}

void TZEMMainForm::ShowError(const std::string& text) {
  auto* box = new TErrorForm(this);
  box->AddText(text);
  ShowModalAndFree(box);
}

void TZEMMainForm::WMFixtureLoop(const ui::Message& message) {
  if (message.wParam != 1 || message.lParam != 0) return;
  // One loop at a time: a second start message would nest a second loop inside the first.
  if (loopRunning_) return;
  ui::Ref<TZEMMainForm> self(this);
  loopRunning_ = true;
  ReplaceCurrentFixture(new TZemFixture());
  int state = kSearch;
  while (!LoopMustEnd()) {
    pgGetData->setPosition(state);
    Delay(kPassDelayMs);
    // Every step below may process messages; a window freed meanwhile must not be touched again.
    if (!self) return;
    const int from = state;
    roundNote_.clear();
    switch (state) {
      case kSearch:
        state = IsDemoDevice() ? SearchDemo() : SearchFixture();
        break;
      case kIdentify:
        state = Identify();
        break;
      case kCheck:
        state = Check();
        break;
      default:
        state = Service();
        break;
    }
    if (!self) return;
    if (state == kSearch && from != kService && !IsDemoDevice() && !TerminateFlag && OnSearchRoundEnded) {
      if (roundNote_.empty()) {
        roundNote_ = openFailed_ ? "the interface box could not be opened, and no fixture answered"
                                 : "no fixture answered";
      }
      OnSearchRoundEnded(roundNote_);
      if (!self) return;
    }
  }
  loopRunning_ = false;
  // Closing the main window ends the application's run; the program frees the window afterwards,
  // never from inside this handler.
  close();
}

int TZEMMainForm::SearchDemo() {
  auto* menu = new TDemoMenuForm(this);
  menu->setWidth(width());
  menu->setHeight(height());
  const ui::ModalResult result = ShowModalAndFree(menu);
  if (result == ui::ModalResult::Ok) {
    DemoMode = true;
    return kIdentify;
  }
  TerminateFlag = true;
  return kSearch;
}

int TZEMMainForm::SearchFixture() {
  ui::Ref<TZEMMainForm> self(this);
  lFixtureConnect->setCaption(kLookingForFixture);
  pgGetData->setPosition(0);
  pgGetData->setMax(3);
  shLedConnect->setBrushColor(LedColorsConnect[0]);
  Delay(kSearchDelayMs);
  if (!self) return kSearch;

  using Serial = std::array<uint8_t, frame::kSerialSize>;
  std::array<Serial, kSerialReads> serials{};
  // Back to the main unit of a chain; a fixture without one simply does not answer.
  if (CurrentFixture) (void)CurrentFixture->SetSubDevice(0, false);
  int good = 0;
  for (int k = 0; k < kSerialReads && !TerminateFlag; ++k) {
    ui::app().processMessages();
    if (!self) return kSearch;
    if (!CurrentFixture || !CurrentFixture->ReadSerialNumber()) continue;
    std::copy_n(FixtureData.begin() + fd::kSerial, frame::kSerialSize,
                serials[static_cast<size_t>(k)].begin());
    ++good;
    Delay(static_cast<uint32_t>(random_() % 100));
    if (!self) return kSearch;
  }
  if (good == kSerialReads && serials[1] == serials[0] && serials[2] == serials[0]) {
    shLedConnect->setBrushColor(LedColorsConnect[1]);
    return kIdentify;
  }
  return kSearch;
}

int TZEMMainForm::Identify() {
  ui::Ref<TZEMMainForm> self(this);
  if (!CurrentFixture) return kSearch;
  const bool read = CurrentFixture->ReadFixtureInfo();
  if (!read && !IsDemoDevice()) {
    roundNote_ = "the fixture did not answer its identification";
    return kSearch;
  }
  const std::string code = CurrentFixture->GetTypeCode();
  lFixtureConnect->setCaption(code);
  const int row = FindFixtureType(code, CurrentFixture->GetSubType());
  if (row < 0) {
    roundNote_ = FormatText("unsupported fixture (type code %s, subtype %d)", code.c_str(),
                            static_cast<int>(CurrentFixture->GetSubType()));
    ShowError(kUnsupportedFixture);
    if (!self) return kSearch;
    Delay(kUnsupportedDelayMs);
    return kSearch;
  }
  // The model's constructor reads the identity from the record, which the info read just filled.
  ReplaceCurrentFixture(nullptr);
  CurrentFixture = FixtureTypeTable()[static_cast<size_t>(row)].create();
  return kCheck;
}

int TZEMMainForm::Check() {
  if (!CurrentFixture) return kSearch;
  const bool demo = IsDemoDevice();
  if (!CurrentFixture->IsFirmwareSupported() && !demo) {
    ShowError(FormatText(kFirmwareTooOld, CurrentFixture->GetFixtureName().c_str(),
                         CurrentFixture->GetFirmwareVersionText().c_str(),
                         CurrentFixture->GetRequiredFirmwareVersionText().c_str()));
    roundNote_ = "the fixture's firmware is too old for the program";
    DelayNoMessages(kVersionErrorDelayMs);
    return kSearch;
  }
  if (demo) return kService;
  if (CurrentFixture->ReadZemVersion() && CurrentFixture->IsZemVersionSupported()) return kService;
  ShowError(FormatText(kNeedsNewerProgram, CurrentFixture->GetZemVersionText().c_str()));
  roundNote_ = "the fixture needs a newer program";
  DelayNoMessages(kVersionErrorDelayMs);
  return kSearch;
}

int TZEMMainForm::Service() {
  const int row = FindFixtureType(RecordTypeCode(), RecordSubType());
  if (row < 0) return kSearch;
  const TFixtureWindowRow& entry = kWindows[static_cast<size_t>(row)];
  ui::Ref<TZEMMainForm> self(this);
  ui::Ref<ui::Form> window(entry.create(this, entry));
  hide();
  WindowClosed = false;
  window->show();
  // The window ends by setting WindowClosed; the wait also ends if the window went away some other way
  // or the application is ending, so that it can never spin on.
  while (!WindowClosed && window && window->visible() && self && !ui::app().terminated()) {
    ui::app().idle();  // waits for the window's events (1 ms on the headless backend)
    ui::app().processMessages();
  }
  if (window) window->free();
  if (!self) return kSearch;
  show();
  return kSearch;
}
