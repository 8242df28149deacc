// The service window of the Bralin LED tube (BRALB): the sub-device window with segments, a segment auto
// configuration group on the settings page (shown on the main unit), read-only "Auto" boxes in place of
// the DMX address and mode of segments that configure themselves, and a 1000 ms write-back timer that also
// writes the segments-per-pixel setting.
#pragma once

#include "zem/modelwindows/SubDeviceForm.h"

class TBralinForm final : public TSubDeviceForm {
 public:
  explicit TBralinForm(ui::Component* owner);

  ui::Ref<ui::Edit> eDMXAddressAuto, eDMXModeAuto;
  ui::Ref<ui::GroupBox> gbSegmentAutoConfig;
  ui::Ref<ui::Label> lSegmentAutoConfigure, lSegmentsPerPixel;
  ui::Ref<ui::ComboBox> cbSegmentAutoConfigure;
  ui::Ref<ui::SpinEdit> seSegmentsPerPixel;
  ui::Ref<ui::Panel> pAutoConfigureNow;

  void FormCreate(ui::Component* sender) override;
  void UpdateAll() override;
  void UpdateDMXSettings() override;
  void SAModifiedTimerTimer(ui::Component* sender) override;
  void SegmentAutoConfigureChange(ui::Component* sender);
  void AutoConfigureNowMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x,
                               int y);
  // The "Auto" boxes in place of the DMX address and mode, or the real controls.
  void ShowAutoDmxFields();
  void ShowDmxFields();

 protected:
  TLedAutoTestForm* CreateAutoTestForm() override;

 private:
  void BuildAutoConfigGroup();
  ui::Edit* MakeAutoBox(const char* name, const ui::Control* over);
  bool configuring_ = false;
};
