#include "zem/windows/FixturePlaceholderForm.h"

#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"

ui::Ref<TFixturePlaceholderForm> FixturePlaceholderForm;

namespace {
constexpr const char* kDemoSuffix = "DEMO";
constexpr const char* kReconnect = "Reconnect";
constexpr const char* kDemo = "Demo";
constexpr const char* kClose = "Close";
constexpr const char* kStandsFor = "Service window: %s";
}  // namespace

TFixturePlaceholderForm::TFixturePlaceholderForm(ui::Component* owner, const std::string& windowClass)
    : ui::Form(owner), windowClass_(windowClass) {
  setName("FixturePlaceholderForm");
  setClientSize(600, 400);
  lFixture = new ui::Label(this);
  lFixture->setName("lFixture");
  lFixture->setParent(this);
  lFixture->setBounds(16, 16, 0, 0);
  lWindowClass = new ui::Label(this);
  lWindowClass->setName("lWindowClass");
  lWindowClass->setParent(this);
  lWindowClass->setBounds(16, 40, 0, 0);
  Panel1 = new ui::Panel(this);
  Panel1->setName("Panel1");
  Panel1->setParent(this);
  Panel1->setBounds(0, 368, 600, 32);
  Panel1->setAlign(ui::Align::Bottom);
  PanelButton reconnect = MakePanelButton(this, Panel1, "pReconnect", "sbReconnect", 4, 4, 90, 24);
  pReconnect = reconnect.panel;
  sbReconnect = reconnect.button;
  PanelButton close = MakePanelButton(this, Panel1, "pClose", "sbClose", 506, 4, 90, 24);
  pClose = close.panel;
  sbClose = close.button;
  sbReconnect->onClick = [this](ui::Component* s) { sbReconnectClick(s); };
  sbClose->onClick = [this](ui::Component* s) { sbCloseClick(s); };
  onClose = [this](ui::Component* s, ui::CloseAction& a) { FormClose(s, a); };
  FixturePlaceholderForm = this;
  FormCreate(this);
}

void TFixturePlaceholderForm::FormCreate(ui::Component*) {
  setColor(kZemGrey);
  setBorderStyle(ui::BorderStyle::SizeToolWin);
  setBorderIcons(ui::kSystemMenu);
  setPosition(ui::FormPosition::OwnerFormCenter);
  SetBoldDialogFont(*this);
  if (CurrentFixture) {
    std::string title = CurrentFixture->GetFixtureName();
    if (DemoMode) title += std::string(": ") + kDemoSuffix;
    setCaption(title);
    lFixture->setCaption(title);
  }
  lWindowClass->setCaption(FormatText(kStandsFor, windowClass_.c_str()));
  sbReconnect->setCaption(DemoMode ? kDemo : kReconnect);
  sbClose->setCaption(kClose);
  FitToPanel(sbReconnect, pReconnect);
  FitToPanel(sbClose, pClose);
}

void TFixturePlaceholderForm::FormClose(ui::Component*, ui::CloseAction&) {
  // Closing a service window ends the program.
  TerminateFlag = true;
  WindowClosed = true;
}

void TFixturePlaceholderForm::sbReconnectClick(ui::Component*) {
  TerminateFlag = false;
  WindowClosed = true;
}

void TFixturePlaceholderForm::sbCloseClick(ui::Component*) {
  close();
}
