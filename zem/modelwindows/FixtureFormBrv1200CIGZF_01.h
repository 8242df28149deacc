// The Brevidor 1200 IP window (also the Brevidor 1200GM): the Wash window's colour mixing with 16-bit zoom
// and focus, a four-position colour wheel, and a second scene page for the gobo wheel (index or rotate)
// and the animation wheel (inserted horizontally, vertically or at a user position, indexed or
// rotating). The scene's two pages sit in a page control of their own with owner-drawn tabs; the
// adjustment page has open, closed and adjust (or sensor) positions for every effect, the gobos as
// pictures.
#pragma once

#include <array>

#include "zem/modelwindows/ColorMixingForm.h"

class TZemFixtureBrv1200CIGZF_01Form : public TColorMixingForm {
 public:
  explicit TZemFixtureBrv1200CIGZF_01Form(ui::Component* owner);

  ui::Ref<ui::PageControl> pcSAProgram;
  ui::Ref<ui::TabSheet> tsIntensityColorZoomFocus, tsGoboAnimation;
  ui::Ref<TFader> frFocus, frGoboIndex, frAnimIndex, frAnimPos;
  ui::Ref<ui::Panel> pCTC, pRed, pGreen, pBlue;
  ui::Ref<ui::Panel> pGoboCaption, pGobo1, pGobo2, pGobo3, pGobo4, pGoboRotIndex;
  ui::Ref<ui::Panel> pAnimationCaption, pAnimOnOff, pAnimRotIndex;
  ui::Ref<ui::Panel> pAdjWhite, pAdjColor1, pAdjColor2, pAdjColor3, pAdjGobo1, pAdjGobo2, pAdjGobo3,
      pAdjGobo4;
  ui::Ref<ui::Image> iAdjGobo1, iAdjGobo2, iAdjGobo3, iAdjGobo4;

  // Bits of the live controls beyond the faders' (0x01 intensity .. 0x20 focus).
  static constexpr uint32_t kColorBit = 0x40;
  static constexpr uint32_t kGoboBit = 0x80;
  static constexpr uint32_t kAnimationBit = 0x100;

  // How far the animation wheel is inserted.
  enum Insertion : int { kOff = 0, kHorizontal = 1, kVertical = 2, kUser = 3 };
  struct Animation {
    int insertion = kOff;
    bool rotate = false;
    int position = 0;  // 0..89, for a user insertion
    friend bool operator==(const Animation&, const Animation&) = default;
  };
  // The scene's animation code and back: off 0, horizontal 1 (rotating 3), vertical 2 (rotating 4), user
  // 50 + position (rotating 140 + position); any other code is off.
  static Animation DecodeAnimation(int code);
  static int EncodeAnimation(const Animation& animation);

  // Window state.
  int GoboIndex = 0;
  int GoboValue = 0;  // index mode 0..65535, rotate mode -32768..32767
  bool GoboRotateMode = false;
  Animation AnimationState;
  int AnimationValue = 0;  // index mode 0..255, rotate mode -128..127

  void FormCreate(ui::Component* sender) override;
  void UpdateScene() override;

  void pGoboClick(ui::Component* sender);
  void pGoboMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pAnimOnOffMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pAnimIndexMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pcSADrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect, bool active);
  // The gobo and animation faders' change.
  void WheelFaderChange(ui::Component* sender);

  void ShowGobo();
  void ShowAnimation();

 private:
  std::array<ui::Ref<ui::Panel>, 4> goboPanels_;
};
