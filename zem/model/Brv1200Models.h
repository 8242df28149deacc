// The Brevidor 1200 family, built on the Grobel 200 CMYI: the 1200 Wash (BVT12, sub-type 0) and the 600NS
// (BV6NS) with zoom and colour wheel; the 1200 IP (BVT12, sub-type 2) and the 1200GM (B12GM) with focus,
// gobo and animation wheels. All have a display processor and a long system log.
#pragma once

#include <string>

#include "zem/model/GrobelModels.h"

class TZemFixtureBrv1200CMYIZ : public TZemFixtureGrobel200CMYI {
 public:
  TZemFixtureBrv1200CMYIZ();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  [[nodiscard]] bool SetLiveZoom(int value) override;
  [[nodiscard]] bool SetLiveColor(int position) override;
  void AdjustZoomNear() override;
  void AdjustZoomFar() override;
  void AdjustZoomSensor() override;
};

class TZemFixtureBrv600NS_CMYIZ : public TZemFixtureBrv1200CMYIZ {
 public:
  TZemFixtureBrv600NS_CMYIZ();

  std::string GetFixtureName() override;
};

class TZemFixtureBrv1200CIGZF : public TZemFixtureBrv1200CMYIZ {
 public:
  TZemFixtureBrv1200CIGZF();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  [[nodiscard]] bool SetLiveFocus(int value) override;
  // Gobo wheel in index mode: the gobo, then its 16-bit position.
  [[nodiscard]] bool SetControlValue78(int gobo, int value) override;
  // Gobo wheel in rotate mode: the gobo (sent as gobo + 4), then its 16-bit speed.
  [[nodiscard]] bool SetControlValue79(int gobo, int value) override;
  // Animation wheel: the window's animation code, then the low byte of the value.
  [[nodiscard]] bool SetControlValue80(int code, int value) override;
  void AdjustFocusNear() override;
  void AdjustFocusFar() override;
  void AdjustFocusSensor() override;
  void AdjustGobo(int value) override;
  void AdjustGoboRotation(int value) override;
  void AdjustAnimPosition(int value) override;
  void AdjustAnimRotation(int value) override;
};

class TZemFixtureBrv1200GM_CIGZF : public TZemFixtureBrv1200CIGZF {
 public:
  TZemFixtureBrv1200GM_CIGZF();

  std::string GetFixtureName() override;
};
