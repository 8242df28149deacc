#include "zem/windows/DemoMenu.h"

#include <algorithm>
#include <cstring>

#include "desktop/program_icons.h"
#include "platform/ui/application.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"

namespace {

constexpr const char* kCaption = "ZEM Demo mode - please select fixture";
constexpr const char* kNoHardware = "No interface hardware found. Demo mode enabled.";
constexpr const char* kHelp = "Help";
constexpr const char* kClose = "Close";

constexpr int kWidth = 240;
constexpr int kRowHeight = 25;
constexpr int kTextRowHeight = 36;

// Identity bytes inside FixtureData.
constexpr size_t kFamily = fd::kFixtureInfo;                // 4 characters
constexpr size_t kVariant = fd::kFixtureInfo + 4;           // 1 character
constexpr size_t kSubType = fd::kFixtureInfo + 5;           // byte 20
constexpr size_t kMainMajor = fd::kFixtureInfo + 6;         // byte 21
constexpr size_t kMainMinor = fd::kFixtureInfo + 7;         // byte 22
constexpr size_t kMainBuild = fd::kFixtureInfo + 13;        // byte 28
constexpr size_t kIdentityRestEnd = fd::kFixtureInfo + 15;  // one past byte 29

struct FixtureRow {
  const char* panel;
  const char* button;
  const char* caption;
  const char* family;
  char variant;
  int subType;      // -1: none written
  bool firmware10;  // main-CPU firmware 1.0 build 0
};

// clang-format off
constexpr std::array<FixtureRow, 12> kRows = {{
    {"pBrv200",         "sbBrv200",         "Brevidor 200",         "BV20", '0', -1, false},
    {"pBrv600",         "sbBrv600",         "Brevidor 600",         "BV60", '0', -1, false},
    {"pBrv600C",        "sbBrv600C",        "Brevidor 600 Compact", "BV60", 'C', -1, false},
    {"pBrv1200CMYIZ",   "sbBrv1200CMYIZ",   "Brevidor 1200 Wash",   "BVT1", '2', 0,  false},
    {"pBrv1200CIGZF",   "sbBrv1200CIGZF",   "Brevidor 1200 IP",     "BVT1", '2', 2,  false},
    {"pLunavCMY",       "sbLunavCMY",       "Lunavex CMY150",       "LU15", '0', -1, false},
    {"pGrobel200CMYI",  "sbGrobel200CMYI",  "Grobel 200 CMYI",      "GRB_", '_', 0,  true},
    {"pGrobel200CI",    "sbGrobel200CI",    "Grobel 200 CI",        "GRB_", '_', 1,  true},
    {"pNimboO2",        "sbNimboO2",        "Nimbo O2",             "NMB0", '2', -1, false},
    {"pRastel",         "sbRastel",         "Rastel",               "RAST", 'E', -1, false},
    {"pBV20L",          "sbBV20L",          "Brevidor 200 LED",     "BV20", 'L', -1, false},
    {"pBralin",         "sbBralin",         "Bralin",               "BRAL", 'B', -1, false},
}};
// clang-format on

void WriteIdentity(const FixtureRow& row) {
  // An earlier choice must not leak into this one: sub-type and versions start from zero.
  std::fill(FixtureData.begin() + kSubType, FixtureData.begin() + kIdentityRestEnd, uint8_t{0});
  std::memcpy(FixtureData.data() + kFamily, row.family, 4);
  FixtureData[kVariant] = static_cast<uint8_t>(row.variant);
  if (row.subType >= 0) FixtureData[kSubType] = static_cast<uint8_t>(row.subType);
  if (row.firmware10) {
    FixtureData[kMainMajor] = 1;
    FixtureData[kMainMinor] = 0;
    FixtureData[kMainBuild] = 0;
  }
}

}  // namespace

TDemoMenuForm::TDemoMenuForm(ui::Component* owner) : ui::Form(owner) {
  setName("DemoMenuForm");
  int top = 0;
  auto makeRow = [&](const char* panelName, const char* buttonName, ui::Panel*& panel,
                     ui::SpeedButton*& button) {
    PanelButton pb = MakePanelButton(this, this, panelName, buttonName, 0, top, kWidth, kRowHeight);
    panel = pb.panel;
    button = pb.button;
    top += kRowHeight;
  };

  pNoHardware = ui::make<ui::Panel>(this, this, "pNoHardware", 0, top, kWidth, kTextRowHeight);
  Re1 = ui::make<ui::RichEdit>(this, pNoHardware, "Re1");
  Re1->setReadOnly(true);
  top += kTextRowHeight;

  makeRow(kRows[0].panel, kRows[0].button, pBrv200, sbBrv200);
  makeRow(kRows[1].panel, kRows[1].button, pBrv600, sbBrv600);
  makeRow(kRows[2].panel, kRows[2].button, pBrv600C, sbBrv600C);
  makeRow(kRows[3].panel, kRows[3].button, pBrv1200CMYIZ, sbBrv1200CMYIZ);
  makeRow(kRows[4].panel, kRows[4].button, pBrv1200CIGZF, sbBrv1200CIGZF);
  makeRow(kRows[5].panel, kRows[5].button, pLunavCMY, sbLunavCMY);
  makeRow(kRows[6].panel, kRows[6].button, pGrobel200CMYI, sbGrobel200CMYI);
  makeRow(kRows[7].panel, kRows[7].button, pGrobel200CI, sbGrobel200CI);
  makeRow(kRows[8].panel, kRows[8].button, pNimboO2, sbNimboO2);
  makeRow(kRows[9].panel, kRows[9].button, pRastel, sbRastel);
  makeRow(kRows[10].panel, kRows[10].button, pBV20L, sbBV20L);
  makeRow(kRows[11].panel, kRows[11].button, pBralin, sbBralin);
  makeRow("pHelp", "sbHelp", pHelp, sbHelp);
  makeRow("pClose", "sbClose", pClose, sbClose);

  for (ui::SpeedButton* b : FixtureButtons()) b->onClick = [this](ui::Component* s) { sbFixtureClick(s); };
  sbHelp->onClick = [this](ui::Component* s) { sbHelpClick(s); };
  sbClose->onClick = [this](ui::Component* s) { sbCloseClick(s); };
  FormCreate(this);
}

std::array<ui::SpeedButton*, 12> TDemoMenuForm::FixtureButtons() const {
  return {sbBrv200,        sbBrv600,      sbBrv600C, sbBrv1200CMYIZ, sbBrv1200CIGZF, sbLunavCMY,
          sbGrobel200CMYI, sbGrobel200CI, sbNimboO2, sbRastel,       sbBV20L,        sbBralin};
}

void TDemoMenuForm::FormCreate(ui::Component*) {
  setIcon(&desktop::zemIcon());
  setColor(kZemGrey);
  setBorderStyle(ui::BorderStyle::ToolWindow);
  setBorderIcons(ui::kSystemMenu);
  setPosition(ui::FormPosition::OwnerFormCenter);
  SetBoldDialogFont(*this);
  setCaption(kCaption);
  Re1->lines().clear();
  Re1->lines().add(kNoHardware);
  FitToPanel(Re1, pNoHardware);
  const auto buttons = FixtureButtons();
  for (size_t i = 0; i < kRows.size(); ++i) buttons[i]->setCaption(kRows[i].caption);
  sbHelp->setCaption(kHelp);
  sbClose->setCaption(kClose);
  for (ui::Control* c : controls()) {
    auto* panel = dynamic_cast<ui::Panel*>(c);
    if (panel && panel->controlCount() == 1) FitToPanel(panel->control(0), panel);
  }
  setAutoSize(true);
}

void TDemoMenuForm::sbFixtureClick(ui::Component* sender) {
  const auto buttons = FixtureButtons();
  for (size_t i = 0; i < kRows.size(); ++i) {
    if (buttons[i] == sender) {
      WriteIdentity(kRows[i]);
      setModalResult(ui::ModalResult::Ok);
      return;
    }
  }
}

void TDemoMenuForm::sbCloseClick(ui::Component*) {
  close();
}

void TDemoMenuForm::sbHelpClick(ui::Component*) {
  ui::app().helpCommand(ui::kHelpTopics, 0);
}
