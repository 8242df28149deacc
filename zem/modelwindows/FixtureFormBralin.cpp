#include "zem/modelwindows/FixtureFormBralin.h"

#include <algorithm>

#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/PanelUtils.h"

namespace {

// Service function 48 (value 0, closing argument) precedes every auto-configure request.
constexpr int kAutoConfigureFunction = 48;
constexpr uint32_t kAutoConfigureWaitMs = 1500;
constexpr ui::Color kAutoBoxColour = 0xC0C0C0;
constexpr ui::Color kAutoBoxText = 0x808080;
constexpr int kGroupHeight = 60;
// Room an edit needs beside its text: borders and the spin buttons.
constexpr int kEditTextMargin = 24;

const TSubDeviceFormStyle& BralinStyle() {
  static const TSubDeviceFormStyle style{
      ZemStr::LtSegmentLabel,
      {ZemStr::LtModeRGBW, ZemStr::LtModeRGB, ZemStr::LtModeHSI, ZemStr::LtModeHSIC},
      true,
      false,
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
        {0, 0, 255, 0, 0}},
       {"pTestWhite",
        ZemStr::LtTestWhite,
        ui::rgb(128, 128, 128),
        ui::rgb(255, 255, 255),
        ui::clBlack,
        {0, 0, 0, 0, 255}}},
      ZemStr::LtTempLED,
      ZemStr::LtTempBoard,
      ZemStr::Count_,
      ZemStr::Count_};
  return style;
}

int DmxPixelsByte() {
  return FixtureData[fd::kPersonality + fdarea::pers::kDmxPixels];
}

}  // namespace

TBralinForm::TBralinForm(ui::Component* owner) : TSubDeviceForm(owner, BralinStyle()) {
  setName("BralinForm");
}

void TBralinForm::FormCreate(ui::Component* sender) {
  TSubDeviceForm::FormCreate(sender);
  if (tsStandAloneSettings) tsStandAloneSettings->free();
  for (ui::MenuItem* item : {mFileMenuHelp.get(), N3.get()}) item->setVisible(false);
  // The address box lies exactly over the address edit: both wide enough for the highest address in it.
  const int autoWidth = canvas().textWidth(ZemFormat(ZemStr::LtAutoNumber, 512)) + kEditTextMargin;
  seDMXAddress->setWidth(std::max(seDMXAddress->width(), autoWidth));
  eDMXAddressAuto = MakeAutoBox("eDMXAddressAuto", seDMXAddress);
  eDMXModeAuto = MakeAutoBox("eDMXModeAuto", cbDMXMode);
  BuildAutoConfigGroup();
  PC1->setActivePage(tsFixtureInfo);
}

ui::Edit* TBralinForm::MakeAutoBox(const char* name, const ui::Control* over) {
  auto* box = ui::make<ui::Edit>(this, over->parent(), name, over->left(), over->top(), over->width(),
                                 over->height());
  box->setCaption(ZemString(ZemStr::LtAuto));
  box->setColor(kAutoBoxColour);
  ui::Font f = box->font();
  f.bold = true;
  f.color = kAutoBoxText;
  box->setFont(f);
  box->setEnabled(false);
  box->setVisible(false);
  return box;
}

void TBralinForm::BuildAutoConfigGroup() {
  ui::TabSheet* page = tsFixtureSettings;
  auto* group =
      ui::make<ui::GroupBox>(this, page, "gbSegmentAutoConfig", 8, 4, page->clientWidth() - 16, kGroupHeight);
  group->setCaption(" " + ZemString(ZemStr::LtSegmentAutoConfiguration) + " ");
  gbSegmentAutoConfig = group;
  gbDMXProtocolSettings->setTop(ControlBottom(group) + 4);

  auto label = [this, group](const char* name, int left, ZemStr caption) {
    auto* l = ui::make<ui::Label>(this, group, name, left, 14, 0, 13);
    l->setCaption(ZemString(caption));
    return l;
  };
  lSegmentAutoConfigure = label("lSegmentAutoConfigure", 8, ZemStr::LtSegmentAutoConfigure);
  auto* combo = ui::make<ui::ComboBox>(this, group, "cbSegmentAutoConfigure", 8, 30, 150, 21);
  combo->setStyle(ui::ComboStyle::DropDownList);
  combo->items().assign({ZemString(ZemStr::FfDisabled), ZemString(ZemStr::FfEnabled)});
  combo->onChange = [this](ui::Component* s) { Guarded([&] { SegmentAutoConfigureChange(s); }); };
  cbSegmentAutoConfigure = combo;

  lSegmentsPerPixel = label("lSegmentsPerPixel", 200, ZemStr::LtSegmentsPixel);
  auto* pixels = ui::make<ui::SpinEdit>(this, group, "seSegmentsPerPixel", 200, 30, 60, 22);
  pixels->setMinValue(1);
  pixels->setMaxValue(255);
  pixels->setMaxLength(3);
  pixels->setCaption("1");
  pixels->onChange = [this](ui::Component* s) { seChange(s); };
  pixels->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
  seSegmentsPerPixel = pixels;

  const std::string now = ZemString(ZemStr::LtAutoConfigureNow);
  auto* panel =
      ui::make<ui::Panel>(this, group, "pAutoConfigureNow", 350, 28, canvas().textWidth(now) + 12, 24);
  panel->setBevelOuter(ui::BevelCut::Raised);
  panel->setCaption(now);
  panel->setCursor(ui::crHandPoint);
  panel->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    Guarded([&] { AutoConfigureNowMouseUp(s, b, sh, x, y); });
  };
  pAutoConfigureNow = panel;
}

TLedAutoTestForm* TBralinForm::CreateAutoTestForm() {
  return ui::createForm<TBralinAutotestForm>(this);
}

// ---------------------------------------------------------------------------------------------------------
// Updates

void TBralinForm::UpdateAll() {
  TFixtureFormTemplate::UpdateAll();
  if (!CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  UpdateSegmentLabel();
  Updating = true;
  // Shown, not written: a stored 0 appears as 1 and stays 0 in the fixture until the user edits it.
  ShowEditValue(seSegmentsPerPixel, DmxPixelsByte());
  const int autoConfigure = fixture.GetSegmentAutoConfigure();
  if (fixture.GetCurrentSegment() == 0) {
    gbSegmentAutoConfig->show();
    cbSegmentAutoConfigure->setItemIndex(autoConfigure);
    ShowDmxFields();
  } else {
    gbSegmentAutoConfig->hide();
    if (autoConfigure != 0) {
      ShowAutoDmxFields();
    } else {
      ShowDmxFields();
    }
    cbSegmentAutoConfigure->setItemIndex(autoConfigure != 0 ? 1 : 0);
  }
  Updating = false;
}

void TBralinForm::UpdateDMXSettings() {
  if (!CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  const bool was = Updating;
  Updating = true;
  ShowEditValue(seDMXAddress, fixture.GetDmxAddress());
  cbDMXMode->setItemIndex(fixture.GetDmxProtocol());
  eDMXAddressAuto->setCaption(ZemFormat(ZemStr::LtAutoNumber, fixture.GetDmxAddress()));
  const int mode = cbDMXMode->itemIndex();
  const std::string modeText = mode >= 0 ? cbDMXMode->items()[mode] : std::string();
  eDMXModeAuto->setCaption(ZemFormat(ZemStr::LtAutoText, modeText.c_str()));
  Updating = was;
}

void TBralinForm::ShowAutoDmxFields() {
  seDMXAddress->hide();
  cbDMXMode->hide();
  eDMXAddressAuto->show();
  eDMXModeAuto->show();
}

void TBralinForm::ShowDmxFields() {
  eDMXAddressAuto->hide();
  eDMXModeAuto->hide();
  seDMXAddress->show();
  cbDMXMode->show();
}

// ---------------------------------------------------------------------------------------------------------
// Handlers

void TBralinForm::SAModifiedTimerTimer(ui::Component* sender) {
  TFixtureFormTemplate::SAModifiedTimerTimer(sender);
  if (CurrentFixture && seSegmentsPerPixel && seSegmentsPerPixel->tag() == 1) {
    // Text that is no number yet keeps the mark for the next tick.
    if (const std::optional<int> typed = seSegmentsPerPixel->typedNumber()) {
      const int pixels = std::clamp(*typed, 1, 255);
      seSegmentsPerPixel->setTag(0);
      if (pixels != DmxPixelsByte()) CurrentFixture->SetDmxPixels(pixels);
      ShowEditValue(seSegmentsPerPixel, DmxPixelsByte());
    }
  }
  PollIdle();
}

void TBralinForm::SegmentAutoConfigureChange(ui::Component*) {
  if (Updating || !CurrentFixture) return;
  TZemFixture& fixture = *CurrentFixture;
  const int choice = cbSegmentAutoConfigure->itemIndex();
  if (choice < 0) return;
  (void)fixture.SendServiceCommandOnce(kAutoConfigureFunction, 0, svc::kArgumentDone);
  // Results not examined: the combo box shows what the fixture holds afterwards either way.
  if (choice == 0) {
    (void)fixture.DisableSegmentAutoConfigure();
  } else {
    (void)fixture.EnableSegmentAutoConfigure();
  }
  const int setting = fixture.GetSegmentAutoConfigure();
  Updating = true;
  cbSegmentAutoConfigure->setItemIndex(setting);
  Updating = false;
  fixture.WorkBuffer().at(static_cast<size_t>(fixture.GetCurrentSegment())) = static_cast<uint8_t>(setting);
  UpdateAll();
}

void TBralinForm::AutoConfigureNowMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  // The wait below pumps messages with the window enabled: a second press must not start it again inside.
  if (configuring_ || !CurrentFixture) return;
  ui::Ref<TBralinForm> self(this);
  configuring_ = true;
  struct Done {
    ui::Ref<TBralinForm> form;
    ~Done() {
      if (form) form->configuring_ = false;
    }
  } done{self};
  ui::ScopedCursor hourglass(ui::crHourGlass);
  (void)CurrentFixture->SendServiceCommandOnce(kAutoConfigureFunction, 0, svc::kArgumentDone);
  pAutoConfigureNow->setBevelOuter(ui::BevelCut::Lowered);
  pAutoConfigureNow->repaint();
  (void)CurrentFixture->SendServiceCommand5();
  ui::app().processMessages();
  Delay(kAutoConfigureWaitMs);
  if (!self) return;
  if (pAutoConfigureNow) pAutoConfigureNow->setBevelOuter(ui::BevelCut::Raised);
  if (!CurrentFixture) return;
  if (!CurrentFixture->ReadPersonality()) {
    (void)CurrentFixture->SetSubDevice(CurrentFixture->GetCurrentSegment(), true);
    (void)CurrentFixture->ReadPersonality();
  }
  UpdateAll();
}
