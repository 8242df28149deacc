// The Brevidor 1200 Wash window (also the Brevidor 600NS): intensity, cyan, magenta, yellow and zoom
// faders and a five-position colour wheel on the colour-mixing pattern; open, closed and sensor rows,
// colour-wheel panels pressed to adjust, zoom near and far; its own monitor texts.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TZemFixtureBrv1200CMYIZ_01Form : public TColorMixingForm {
 public:
  explicit TZemFixtureBrv1200CMYIZ_01Form(ui::Component* owner);

  ui::Ref<ui::Panel> pWhite, pCTC, pRed, pGreen, pBlue;
  ui::Ref<ui::Panel> pAdjWhite, pAdjColor1, pAdjColor2, pAdjColor3, pAdjColor4;
  ui::Ref<ui::Panel> pZoomNear, pZoomFar, pZoomSwitch;

  void FormCreate(ui::Component* sender) override;
};
