#include "zem/modelwindows/Brv600FamilyForm.h"

TBrv600FamilyForm::TBrv600FamilyForm(ui::Component* owner, const colormix::WindowTables& tables)
    : TColorMixingForm(owner, tables) {
  lDMXMode = Find<ui::Label>("lDMXMode");
  cbDMXMode = Find<ui::ComboBox>("cbDMXMode");
  lEffectSpeed = Find<ui::Label>("lEffectSpeed");
  cbEffectSpeed = Find<ui::ComboBox>("cbEffectSpeed");
  lEffectShortCuts = Find<ui::Label>("lEffectShortCuts");
  cbEffectShortcut = Find<ui::ComboBox>("cbEffectShortcut");
  lEffectFeedback = Find<ui::Label>("lEffectFeedback");
  cbEffectFeedback = Find<ui::ComboBox>("cbEffectFeedback");
  lCyan = Find<ui::Label>("lCyan");
  lMagenta = Find<ui::Label>("lMagenta");
  lYellow = Find<ui::Label>("lYellow");
  seCyan = Find<ui::SpinEdit>("seCyan");
  seMagenta = Find<ui::SpinEdit>("seMagenta");
  seYellow = Find<ui::SpinEdit>("seYellow");
}
