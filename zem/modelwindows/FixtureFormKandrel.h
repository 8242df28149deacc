// The service window of the Kandrel LED strip (KANDT), the Quodra: the sub-device window with a pixel mode
// (Quodra 1200), stand-alone sequence, wait and fade choices, and two groups of actions that run over every
// sub-device of the chain. Its stand-alone page is laid out once more on a message it posts to itself at
// the end of its creation, when text can be measured.
#pragma once

#include <functional>

#include "zem/model/KandrelModel.h"
#include "zem/modelwindows/SubDeviceForm.h"

// Pixel groups per list index (1, 2, 4); anything else shows no selection (-1).
int PixelModeToIndex(int mode);
// The wait-time list (46 texts) and the fade-time list (33 texts), index = the fixture's list index.
std::vector<std::string> DynamicWaitTimeTexts();
std::vector<std::string> DynamicFadeTimeTexts();
// Enables a combo box in the strip window's look (grey 0x808080, window text); a disabled one is light grey
// with grey text and shows no selection.
void SetComboEnabled(ui::ComboBox* box, bool enabled);

class TKandrelForm final : public TSubDeviceForm {
 public:
  static constexpr uint32_t WM_RELAYOUT = ui::WM_USER + 100;
  static constexpr uint32_t kAddressSettleMs = 1000;

  explicit TKandrelForm(ui::Component* owner);

  ui::Ref<ui::Label> lPixelMode, lSequence, lDynamicWaitTime, lDynamicFadeTime;
  ui::Ref<ui::ComboBox> cbPixelMode, cbSequence, cbDynamicWaitTime, cbDynamicFadeTime;
  ui::Ref<ui::GroupBox> gbSettingsAll, gbStandAloneAll;
  ui::Ref<ui::Panel> pSetDMXModeAll, pSetPixelModeAll, pAutoAddressAll, pResetAddressAll;
  ui::Ref<ui::Panel> pAllSingle, pAllSingleSynchronized, pThisMaster, pDisableAll;

  void FormCreate(ui::Component* sender) override;
  void UpdateAll() override;
  void UpdateDMXSettings() override;
  void UpdateStandAloneSettings() override;
  void UpdateSegmentLabel() override;
  void SAModifiedTimerTimer(ui::Component* sender) override;
  void handleMessage(const ui::Message& m) override;
  void WMRelayout();

  void PixelModeChange(ui::Component* sender);
  void SequenceChange(ui::Component* sender);
  void WaitTimeChange(ui::Component* sender);
  void FadeTimeChange(ui::Component* sender);
  void ActionMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void ActionMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);

  // The actions of the panels.
  void SetDMXModeForAll();
  void SetPixelModeForAll();
  void AutoAddressAll();
  void ResetAddressAll();
  void SetAllSingle();
  void SetAllSingleSynchronized();
  void SetThisMaster();
  void DisableStandAloneForAll();

 protected:
  TLedAutoTestForm* CreateAutoTestForm() override;

 private:
  void BuildSettingsPage();
  void BuildStandAlonePage();
  ui::Panel* MakeActionPanel(ui::WinControl* parent, const char* name, ZemStr caption, int left, int top,
                             int width);
  // Runs `each` on every sub-device it could select, after the edits of the shown one were written; then
  // `last` (when given) with the sub-device that was selected before, which is selected and shown again.
  void ForEachSubDevice(const std::function<void(int index, int remembered)>& each,
                        const std::function<void(int remembered)>& last = {});
  // A one-shot personality request to all sub-devices, then the main unit's settings read again.
  void AddressRequest(bool (TZemFixtureKandrel::*request)());
  TZemFixtureKandrel* Kandrel() const;

  bool actionRunning_ = false;
};
