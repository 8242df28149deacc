// The demonstration menu: without interface hardware the user picks a fixture model here; its identity
// goes straight into FixtureData, as if the fixture had answered, and the menu ends with OK.
// Close (or the close box) ends it without OK, which ends the program.
#pragma once

#include <array>
#include <cstdint>

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"

class TDemoMenuForm final : public ui::Form {
 public:
  explicit TDemoMenuForm(ui::Component* owner);

  ui::Panel* pNoHardware;
  ui::RichEdit* Re1;
  ui::Panel* pBrv200;
  ui::SpeedButton* sbBrv200;
  ui::Panel* pBrv600;
  ui::SpeedButton* sbBrv600;
  ui::Panel* pBrv600C;
  ui::SpeedButton* sbBrv600C;
  ui::Panel* pBrv1200CMYIZ;
  ui::SpeedButton* sbBrv1200CMYIZ;
  ui::Panel* pBrv1200CIGZF;
  ui::SpeedButton* sbBrv1200CIGZF;
  ui::Panel* pLunavCMY;
  ui::SpeedButton* sbLunavCMY;
  ui::Panel* pGrobel200CMYI;
  ui::SpeedButton* sbGrobel200CMYI;
  ui::Panel* pGrobel200CI;
  ui::SpeedButton* sbGrobel200CI;
  ui::Panel* pNimboO2;
  ui::SpeedButton* sbNimboO2;
  ui::Panel* pRastel;
  ui::SpeedButton* sbRastel;
  ui::Panel* pBV20L;
  ui::SpeedButton* sbBV20L;
  ui::Panel* pBralin;
  ui::SpeedButton* sbBralin;
  ui::Panel* pHelp;
  ui::SpeedButton* sbHelp;
  ui::Panel* pClose;
  ui::SpeedButton* sbClose;

  // The twelve fixture buttons, top to bottom.
  std::array<ui::SpeedButton*, 12> FixtureButtons() const;

  void FormCreate(ui::Component* sender);
  void sbFixtureClick(ui::Component* sender);
  void sbCloseClick(ui::Component* sender);
  void sbHelpClick(ui::Component* sender);
};
