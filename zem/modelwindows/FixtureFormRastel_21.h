// The Rastel window: a moving-mirror projector with intensity, focus, a wheel of four gobos and pan/tilt,
// on the colour-mixing pattern. The scene editor adds a pan/tilt pad (four direction buttons that repeat
// and speed up while held, and a grid that follows the mouse with the screen cursor hidden) and the gobo
// choice with its index or rotate mode; the settings add pan/tilt swap and inverts, the DMX mode, fan
// regulation and the lamp-hour warning; the adjustment page dimmer, focus and two lists of presets; the
// lamp and gobo temperatures are read by the idle poll while they show and shown at every tick.
#pragma once

#include <array>

#include "zem/modelwindows/ColorMixingForm.h"

class TRastel_21Form : public TColorMixingForm {
 public:
  explicit TRastel_21Form(ui::Component* owner);
  ~TRastel_21Form() override;

  ui::Ref<ui::Label> lPanTiltSwap, lPanInvert, lTiltInvert, lDMXMode, lLampWarning, lHours100, lLampFanReg,
      lGoboFanReg, lLampTemp, lGoboTemp, lPanTiltPosition;
  ui::Ref<ui::ComboBox> cbPanTiltSwap, cbPanInvert, cbTiltInvert, cbDMXMode, cblLampWarningOn, cbLampFanReg,
      cbGoboFanReg, cbAdjustPanTilt, cbAdjustGobo;
  ui::Ref<ui::SpinEdit> seWarningLevel;
  ui::Ref<TFader> frFocus, frGobo;
  ui::Ref<ui::Image> iXYgrid;
  ui::Ref<ui::Shape> sXYcursor;
  ui::Ref<ui::Panel> pTiltUp, pTiltDown, pPanLeft, pPanRight;
  ui::Ref<ui::Timer> pPanTiltTimer;
  ui::Ref<ui::Panel> pGoboCaption, pGobo1, pGobo2, pGobo3, pGobo4, pRotIndex;
  ui::Ref<ui::Panel> pDimmer, pAdjustFocus, pAdjustPanTilt, pAdjustGobo;

  // Bits of the live controls.
  static constexpr uint32_t kIntensityBit = 0x01;
  static constexpr uint32_t kFocusBit = 0x02;
  static constexpr uint32_t kGoboBit = 0x04;
  static constexpr uint32_t kPanTiltBit = 0x08;

  // Window state.
  int Pan = 0, Tilt = 0;
  int PanStep = 0, TiltStep = 0;
  int GoboIndex = 0;
  int GoboValue = 0;  // index mode -32768..32767, rotate mode -128..127
  bool RotateMode = false;
  bool Dragging = false;

  void FormCreate(ui::Component* sender) override;
  void SAModifiedTimerTimer(ui::Component* sender) override;
  void UpdateScene() override;

  void pPanTiltMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pPanTiltMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pPanTiltTimerTimer(ui::Component* sender);
  void iXYgridMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void iXYgridMouseMove(ui::Component* sender, ui::ShiftState shift, int x, int y);
  void iXYgridMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pGoboClick(ui::Component* sender);
  void pGoboIndexMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void GoboFaderChange(ui::Component* sender);

  void ShowGobo();
  void ShowPanTilt();
  // The lamp and gobo temperatures from the record.
  void UpdateTemperatures();

 protected:
  void ShowIdleReadings() override { UpdateTemperatures(); }

 private:
  std::array<ui::Ref<ui::Panel>, 4> goboPanels_;
};
