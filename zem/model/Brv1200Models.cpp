#include "zem/model/Brv1200Models.h"

namespace {

inline constexpr int32_t kRequiredFirmware = 4;
inline constexpr int kEnter = 48;
inline constexpr int kLiveColor = 68;
inline constexpr int kLiveZoom = 69;
inline constexpr int kLiveFocus = 70;
inline constexpr int kAdjustZoom = 78;
inline constexpr int kAdjustFocus = 79;
inline constexpr int kGoboSelect = 128;
inline constexpr int kGoboValue = 129;
inline constexpr int kGoboRotateOffset = 4;  // rotate mode selects gobo + 4
inline constexpr int kAnimationCode = 130;
inline constexpr int kAnimationValue = 131;
inline constexpr int kAdjustGobo = 132;
inline constexpr int kAdjustGoboRotation = 133;
inline constexpr int kAdjustAnimPosition = 134;
inline constexpr int kAdjustAnimRotation = 135;

// The IP models' longer stand-alone reply.
inline constexpr uint8_t kIpStandAloneRequest = 19;

}  // namespace

// ---------------------------------------------------------------------------
// Brevidor 1200 Wash

TZemFixtureBrv1200CMYIZ::TZemFixtureBrv1200CMYIZ() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  longLog_ = true;
  hasDisplay_ = true;
}

const TStringList& TZemFixtureBrv1200CMYIZ::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 0, "(%d) Lamp error"},
      {1, 1, "(%d) Short error"},
      {1, 2, "(%d) Memory error (on-board eeprom)"},
      {1, 3, "(%d) Ambient temperature-sense circuit error"},
      {1, 4, "(%d) PCB temperature-sense circuit error"},
      {1, 5, "(%d) Fixture lamp hot"},
      {3, 2, "(%d) Dimmer reset error"},
      {3, 3, "(%d) Cyan reset error"},
      {3, 4, "(%d) Magenta reset error"},
      {3, 5, "(%d) Yellow reset error"},
      {3, 6, "(%d) Color wheel reset error"},
      {5, 4, "(%d) Zoom reset error"},
      {7, 0, "(%d) RAM error"},
      {7, 1, "(%d) Ambient light sensor error"},
      {8, 2, "(%d) External fan feedback error"},
      {8, 3, "(%d) Internal fan1 feedback error"},
      {8, 4, "(%d) Internal fan2 feedback error"},
      {9, 0, "(%d) Door switch open"},
      {9, 2, "(%d) Driver current error"},
      {9, 4, "(%d) Real time clock error (not running)"},
      {9, 5, "(%d) Display programming error"},
      {9, 7, "(%d) Power supply error"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureBrv1200CMYIZ::GetDmxChannelCount() {
  return 8;
}

std::string TZemFixtureBrv1200CMYIZ::GetFixtureName() {
  return "Brevidor 1200 Wash";
}

bool TZemFixtureBrv1200CMYIZ::SetLiveZoom(int value) {
  return sendLive(kEnter, kLiveZoom, value);
}

bool TZemFixtureBrv1200CMYIZ::SetLiveColor(int position) {
  return sendLive(kEnter, kLiveColor, checkByte(position, "colour position"));
}

void TZemFixtureBrv1200CMYIZ::AdjustZoomNear() {
  sendPair(kAdjustZoom, 0);
}
void TZemFixtureBrv1200CMYIZ::AdjustZoomFar() {
  sendPair(kAdjustZoom, 1);
}
void TZemFixtureBrv1200CMYIZ::AdjustZoomSensor() {
  sendPair(kAdjustZoom, 2);
}

// ---------------------------------------------------------------------------
// Brevidor 600NS

TZemFixtureBrv600NS_CMYIZ::TZemFixtureBrv600NS_CMYIZ() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  longLog_ = true;
  hasDisplay_ = true;
}

std::string TZemFixtureBrv600NS_CMYIZ::GetFixtureName() {
  return "Brevidor 600NS";
}

// ---------------------------------------------------------------------------
// Brevidor 1200 IP

TZemFixtureBrv1200CIGZF::TZemFixtureBrv1200CIGZF() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  longLog_ = true;
  hasDisplay_ = true;
  standAloneRequestCode_ = kIpStandAloneRequest;
}

const TStringList& TZemFixtureBrv1200CIGZF::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 0, "(%d) Lamp error"},
      {1, 1, "(%d) Short error"},
      {1, 2, "(%d) Memory error (on-board eeprom)"},
      {1, 3, "(%d) Ambient temperature-sense circuit error"},
      {1, 4, "(%d) PCB temperature-sense circuit error"},
      {1, 5, "(%d) Fixture lamp hot"},
      {2, 3, "(%d) Gobo selection reset error"},
      {2, 5, "(%d) Gobo rotation reset error"},
      {3, 2, "(%d) Dimmer reset error"},
      {3, 3, "(%d) Cyan reset error"},
      {3, 4, "(%d) Magenta reset error"},
      {3, 5, "(%d) Yellow reset error"},
      {3, 6, "(%d) Color wheel reset error"},
      {5, 3, "(%d) Focus reset error"},
      {5, 4, "(%d) Zoom reset error"},
      {7, 0, "(%d) RAM error"},
      {7, 1, "(%d) Ambient light sensor error"},
      {7, 7, "(%d) Animation fan feedback error"},
      {8, 0, "(%d) Gobo fan feedback error"},
      {8, 2, "(%d) External fan feedback error"},
      {8, 3, "(%d) Internal fan1 feedback error"},
      {8, 4, "(%d) Internal fan2 feedback error"},
      {8, 6, "(%d) Animimation position reset error"},
      {8, 7, "(%d) Animimation rotation reset error"},
      {9, 0, "(%d) Door switch open"},
      {9, 2, "(%d) Driver current error"},
      {9, 4, "(%d) Real time clock error (not running)"},
      {9, 5, "(%d) Display error"},
      {9, 7, "(%d) Power supply error"},
      {10, 2, "(%d) Slave board link error"},
      {10, 3, "(%d) Effects to cold to function"},
      {10, 4, "(%d) Slave board real time clock error"},
      {10, 5, "(%d) Slave board eeprom error"},
      {10, 6, "(%d) Slave board ram error"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureBrv1200CIGZF::GetDmxChannelCount() {
  return 17;
}

std::string TZemFixtureBrv1200CIGZF::GetFixtureName() {
  return "Brevidor 1200 IP";
}

bool TZemFixtureBrv1200CIGZF::SetLiveFocus(int value) {
  return sendLive(kEnter, kLiveFocus, value);
}

bool TZemFixtureBrv1200CIGZF::SetControlValue78(int gobo, int value) {
  checkWord(gobo, "gobo");
  checkWord(value, "gobo position");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kGoboSelect, gobo, svc::kArgumentDone);
  (void)SendServiceCommand(kGoboValue, value, svc::kArgumentDone);
  return true;
}

bool TZemFixtureBrv1200CIGZF::SetControlValue79(int gobo, int value) {
  checkWord(gobo, "gobo");
  const int selection = checkWord(gobo + kGoboRotateOffset, "gobo in rotate mode");
  checkWord(value, "gobo speed");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kGoboSelect, selection, svc::kArgumentDone);
  (void)SendServiceCommand(kGoboValue, value, svc::kArgumentDone);
  return true;
}

bool TZemFixtureBrv1200CIGZF::SetControlValue80(int code, int value) {
  checkWord(code, "animation code");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kAnimationCode, code, svc::kArgumentDone);
  (void)SendServiceCommand(kAnimationValue, value & 0xFF, svc::kArgumentDone);
  return true;
}

void TZemFixtureBrv1200CIGZF::AdjustFocusNear() {
  sendPair(kAdjustFocus, 0);
}
void TZemFixtureBrv1200CIGZF::AdjustFocusFar() {
  sendPair(kAdjustFocus, 1);
}
void TZemFixtureBrv1200CIGZF::AdjustFocusSensor() {
  sendPair(kAdjustFocus, 2);
}
void TZemFixtureBrv1200CIGZF::AdjustGobo(int value) {
  sendPair(kAdjustGobo, value);
}
void TZemFixtureBrv1200CIGZF::AdjustGoboRotation(int value) {
  sendPair(kAdjustGoboRotation, value);
}
void TZemFixtureBrv1200CIGZF::AdjustAnimPosition(int value) {
  sendPair(kAdjustAnimPosition, value);
}
void TZemFixtureBrv1200CIGZF::AdjustAnimRotation(int value) {
  sendPair(kAdjustAnimRotation, value);
}

// ---------------------------------------------------------------------------
// Brevidor 1200GM

TZemFixtureBrv1200GM_CIGZF::TZemFixtureBrv1200GM_CIGZF() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  longLog_ = true;
  hasDisplay_ = true;
}

std::string TZemFixtureBrv1200GM_CIGZF::GetFixtureName() {
  return "Brevidor 1200GM";
}
