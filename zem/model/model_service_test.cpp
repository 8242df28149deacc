// Every service operation of every model, frame by frame: function, value and argument of each frame in
// order, and the bytes around them (frame code, type code, page, zeros). One test entry per model and
// operation; the numbers are the fixtures' own.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "zem/model/model_test_support.h"

namespace {

using namespace modeltest;

using Call = std::function<bool(TZemFixture&)>;

// Operations of the base class (virtual: the model's own runs).
Call op(void (TZemFixture::*f)()) {
  return [f](TZemFixture& m) {
    (m.*f)();
    return true;
  };
}
Call op(bool (TZemFixture::*f)()) {
  return [f](TZemFixture& m) { return (m.*f)(); };
}
Call op(bool (TZemFixture::*f)(int), int a) {
  return [f, a](TZemFixture& m) { return (m.*f)(a); };
}
Call op(bool (TZemFixture::*f)(int, int), int a, int b) {
  return [f, a, b](TZemFixture& m) { return (m.*f)(a, b); };
}
Call op(void (TZemFixture::*f)(int), int a) {
  return [f, a](TZemFixture& m) {
    (m.*f)(a);
    return true;
  };
}
Call op(bool (TZemFixture::*f)(bool), bool a) {
  return [f, a](TZemFixture& m) { return (m.*f)(a); };
}
// Plain operations of one model class.
template <class M>
Call plain(void (M::*f)()) {
  return [f](TZemFixture& m) {
    (dynamic_cast<M&>(m).*f)();
    return true;
  };
}
template <class M, class A>
Call plain(void (M::*f)(A), A a) {
  return [f, a](TZemFixture& m) {
    (dynamic_cast<M&>(m).*f)(a);
    return true;
  };
}

struct Op {
  const char* name;
  Call call;
  Frames frames;
  int programReads = 0;  // stand-alone program reads after the frames
};

struct ServiceRow {
  std::string name;
  std::string model;
  Op op;
};

// A row prints as its test name, and the suites name their tests by it.
void PrintTo(const ServiceRow& row, std::ostream* os) {
  *os << testName(row.name);
}

std::vector<ServiceRow> rows;

// The same operations for every model of a family.
void add(std::initializer_list<const char*> models, std::initializer_list<Op> ops) {
  for (const char* m : models)
    for (const Op& o : ops) rows.push_back({std::string(m) + "_" + o.name, m, o});
}

const std::vector<ServiceRow>& serviceRows() {
  if (!rows.empty()) return rows;
  using F = TZemFixture;
  // Brevidor 200 and Lunavex CMY 150: page 100, enter 111.
  add({"Brv200", "Lunavex"},
      {
          {"reset", op(&F::ResetFixture), pairOf(81, 0)},
          {"lampOn", op(&F::LampOn), pairOf(82, 0)},
          {"lampOff", op(&F::LampOff), pairOf(83, 0)},
          {"previous", op(&F::PreviousScene), enter(111) + pairOf(113, 0), 1},
          {"next", op(&F::NextScene), enter(111) + pairOf(112, 0), 1},
          {"store", op(&F::StoreScene), enter(111) + pairOf(108, 0), 1},
          {"deleteAll", op(&F::DeleteAllScenes), enter(111) + pairOf(114, 1), 1},
          {"add", op(&F::AddScene), enter(111) + pairOf(107, 0), 1},
          {"delete", op(&F::DeleteScene), enter(111) + pairOf(110, 0), 1},
          {"insert", op(&F::InsertScene), enter(111) + pairOf(109, 0), 1},
          {"intensity", op(&F::SetLiveIntensity, 300), enter(111) + pairOf(100, 300)},
          {"cyan", op(&F::SetLiveCyan, 301), enter(111) + pairOf(101, 301)},
          {"magenta", op(&F::SetLiveMagenta, 302), enter(111) + pairOf(102, 302)},
          {"yellow", op(&F::SetLiveYellow, 303), enter(111) + pairOf(103, 303)},
          {"waitIndex", op(&F::SetWaitTimeIndex, 5), enter(111) + pairOf(106, 5)},
          {"fadeIndex", op(&F::SetFadeTimeIndex, 2), enter(111) + pairOf(105, 2)},
          {"randomColour", op(&F::SetLiveRandomColor, 9), enter(111) + pairOf(104, 9)},
          {"idle", op(&F::IdlePoll, true), once(111, 0, 0)},
          {"switchOn", op(&F::SetServiceSwitch, true), send(37, 1, 0) + send(37, 1, 0)},
          {"switchOff", op(&F::SetServiceSwitch, false), send(37, 0, 44) + send(37, 0, 44)},
          {"allOpen", plain(&TZemFixtureBrv200_20::AdjustAllOpen), pairOf(84, 0)},
          {"allClosed", plain(&TZemFixtureBrv200_20::AdjustAllClosed), pairOf(84, 1)},
          {"dimmerOpen", plain(&TZemFixtureBrv200_20::AdjustDimmerOpen), pairOf(85, 0)},
          {"dimmerClosed", plain(&TZemFixtureBrv200_20::AdjustDimmerClosed), pairOf(85, 1)},
          {"cyanOpen", plain(&TZemFixtureBrv200_20::AdjustCyanOpen), pairOf(86, 0)},
          {"cyanClosed", plain(&TZemFixtureBrv200_20::AdjustCyanClosed), pairOf(86, 1)},
          {"magentaOpen", plain(&TZemFixtureBrv200_20::AdjustMagentaOpen), pairOf(87, 0)},
          {"magentaClosed", plain(&TZemFixtureBrv200_20::AdjustMagentaClosed), pairOf(87, 1)},
          {"yellowOpen", plain(&TZemFixtureBrv200_20::AdjustYellowOpen), pairOf(88, 0)},
          {"yellowClosed", plain(&TZemFixtureBrv200_20::AdjustYellowClosed), pairOf(88, 1)},
      });

  // Brevidor 600 and 600 Compact: page 237, no enter; EEPROM-held settings change by their address.
  using B6 = TZemFixtureBrv600_20;
  add({"Brv600", "Brv600C"},
      {
          {"reset", op(&F::ResetFixture), pairOf(81, 0)},
          {"lampOn", op(&F::LampOn), pairOf(82, 0)},
          {"lampOff", op(&F::LampOff), pairOf(83, 0)},
          {"previous", op(&F::PreviousScene), pairOf(32, 0), 1},
          {"next", op(&F::NextScene), pairOf(31, 0), 1},
          {"store", op(&F::StoreScene), pairOf(33, 0), 1},
          {"deleteAll", op(&F::DeleteAllScenes), pairOf(36, 0), 1},
          {"add", op(&F::AddScene), pairOf(30, 0), 1},
          {"delete", op(&F::DeleteScene), pairOf(35, 0), 1},
          {"insert", op(&F::InsertScene), pairOf(34, 0), 1},
          {"intensity", op(&F::SetLiveIntensity, 1000), pairOf(99, 1000)},
          {"cyan", op(&F::SetLiveCyan, 301), pairOf(101, 301)},
          {"magenta", op(&F::SetLiveMagenta, 302), pairOf(102, 302)},
          {"yellow", op(&F::SetLiveYellow, 303), pairOf(103, 303)},
          {"colour", op(&F::SetLiveColor, 3), pairOf(100, 3)},
          {"frost", op(&F::SetLiveFrost, 7), pairOf(104, 7)},
          {"zoom", op(&F::SetLiveZoom, 40000), pairOf(105, 40000)},
          {"waitIndex", op(&F::SetWaitTimeIndex, 4), pairOf(59, 4)},
          {"fadeIndex", op(&F::SetFadeTimeIndex, 6), pairOf(58, 6)},
          {"zoomSensor", op(&F::AdjustZoomSensor), pairOf(91, 1)},
          {"idle", op(&F::IdlePoll, false), once(0, 0, 0)},
          {"switchOn", op(&F::SetServiceSwitch, true), send(37, 0, 0) + send(37, 0, 0)},
          {"switchOff", op(&F::SetServiceSwitch, false), send(37, 0, 44) + send(37, 0, 44)},
          {"action94", op(&F::ServiceAction94, 7), send(25, 7, 44)},
          {"protocol", op(&F::SetDmxProtocol, 1), send(2, 1, 44)},
          {"protocolUnchanged", op(&F::SetDmxProtocol, 0), {}},
          {"rearm", op(&F::RearmSensorTrigger), send(57, 0, 44)},
          {"allOpen", plain(&B6::AdjustAllOpen), pairOf(84, 0)},
          {"allSensor", plain(&B6::AdjustAllSensor), pairOf(84, 1)},
          {"allAdjust", plain(&B6::AdjustAllAdjust), pairOf(84, 2)},
          {"dimmerOpen", plain(&B6::AdjustDimmerOpen), pairOf(85, 0)},
          {"dimmerSensor", plain(&B6::AdjustDimmerSensor), pairOf(85, 1)},
          {"dimmerAdjust", plain(&B6::AdjustDimmerAdjust), pairOf(85, 2)},
          {"cyanOpen", plain(&B6::AdjustCyanOpen), pairOf(86, 0)},
          {"cyanSensor", plain(&B6::AdjustCyanSensor), pairOf(86, 1)},
          {"cyanAdjust", plain(&B6::AdjustCyanAdjust), pairOf(86, 2)},
          {"magentaOpen", plain(&B6::AdjustMagentaOpen), pairOf(87, 0)},
          {"magentaSensor", plain(&B6::AdjustMagentaSensor), pairOf(87, 1)},
          {"magentaAdjust", plain(&B6::AdjustMagentaAdjust), pairOf(87, 2)},
          {"yellowOpen", plain(&B6::AdjustYellowOpen), pairOf(88, 0)},
          {"yellowSensor", plain(&B6::AdjustYellowSensor), pairOf(88, 1)},
          {"yellowAdjust", plain(&B6::AdjustYellowAdjust), pairOf(88, 2)},
          {"colourOpen", plain(&B6::AdjustColorOpen), pairOf(89, 0)},
          {"colourSensor", plain(&B6::AdjustColorSensor), pairOf(89, 1)},
          {"colourAdjust", plain(&B6::AdjustColorAdjust), pairOf(89, 2)},
          {"beamOpen", plain(&B6::AdjustBeamOpen), pairOf(90, 0)},
          {"beamSensor", plain(&B6::AdjustBeamSensor), pairOf(90, 1)},
          {"beamAdjust", plain(&B6::AdjustBeamAdjust), pairOf(90, 2)},
          {"zoomOpen", plain(&B6::AdjustZoomOpen), pairOf(91, 0)},
          {"zoomAdjust", plain(&B6::AdjustZoomAdjust), pairOf(91, 2)},
          // The shutter's positions run the other way round.
          {"shutterAdjust", plain(&B6::AdjustShutterAdjust), pairOf(92, 0)},
          {"shutterClosed", plain(&B6::AdjustShutterClosed), pairOf(92, 1)},
          {"shutterOpen", plain(&B6::AdjustShutterOpen), pairOf(92, 2)},
          {"testSequenceOn", plain(&B6::SetTestSequenceMode, true), pairOf(254, 0)},
          {"testSequenceOff", plain(&B6::SetTestSequenceMode, false), pairOf(254, 1)},
          // Settings kept in EEPROM words: the function is the word's address (the copy starts at 0).
          {"qzl", op(&F::SetQZLLampOff, 1), send(28, 1, 44)},
          {"standAloneMode", op(&F::SetStandAloneMode, 2), send(78, 2, 44)},
          {"masterSlave", op(&F::SetMasterSlaveSetting, 1), send(77, 1, 44)},
          {"autoProgram", op(&F::SetAutoProgramOn, 1), send(38, 1, 44)},
          {"timerMode", op(&F::SetTimerMode, 3), send(62, 3, 44)},
          {"timer1StartHour", op(&F::SetTimer1StartHour, 9), send(63, 9, 44)},
          {"timer1StartMinute", op(&F::SetTimer1StartMinute, 10), send(64, 10, 44)},
          {"timer1StopHour", op(&F::SetTimer1StopHour, 11), send(65, 11, 44)},
          {"timer1StopMinute", op(&F::SetTimer1StopMinute, 12), send(66, 12, 44)},
          {"timer2StartHour", op(&F::SetTimer2StartHour, 13), send(94, 13, 44)},
          {"timer2StartMinute", op(&F::SetTimer2StartMinute, 14), send(95, 14, 44)},
          {"timer2StopHour", op(&F::SetTimer2StopHour, 15), send(96, 15, 44)},
          {"timer2StopMinute", op(&F::SetTimer2StopMinute, 16), send(97, 16, 44)},
          {"sensorLevel", op(&F::SetSensorTriggerLevel, 17), send(60, 17, 44)},
          {"sensorWord", op(&F::SetSensorTriggerWord, 1000), send(61, 1000, 44)},
      });

  // Grobel family and the Brevidor 1200 family that inherits it: page 100, enter 48.
  using G = TZemFixtureGrobel200CMYI;
  add({"Grobel", "GrobelCI", "Quintel", "Wash", "Brv600NS", "IP", "GM"},
      {
          {"previous", op(&F::PreviousScene), enter(48) + pairOf(27, 0), 1},
          {"next", op(&F::NextScene), enter(48) + pairOf(26, 0), 1},
          {"store", op(&F::StoreScene), enter(48) + pairOf(28, 0), 1},
          {"deleteAll", op(&F::DeleteAllScenes), enter(48) + pairOf(31, 1), 1},
          {"add", op(&F::AddScene), enter(48) + pairOf(25, 0), 1},
          {"delete", op(&F::DeleteScene), enter(48) + pairOf(30, 0), 1},
          {"insert", op(&F::InsertScene), enter(48) + pairOf(29, 0), 1},
          {"switchOn", op(&F::SetServiceSwitch, true), send(32, 1, 0) + send(32, 1, 0)},
          {"switchOff", op(&F::SetServiceSwitch, false), send(32, 0, 44) + send(32, 0, 44)},
          {"idle", op(&F::IdlePoll, false), once(48, 0, 0)},
          {"intensity", op(&F::SetLiveIntensity, 300), enter(48) + pairOf(64, 300)},
          {"cyan", op(&F::SetLiveCyan, 5), enter(48) + pairOf(65, 5)},
          {"magenta", op(&F::SetLiveMagenta, 6), enter(48) + pairOf(66, 6)},
          {"yellow", op(&F::SetLiveYellow, 7), enter(48) + pairOf(67, 7)},
          {"wait3725s", op(&F::SetWaitTimeSeconds, 3725),
           enter(48) + pairOf(22, 1) + enter(48) + pairOf(23, 2) + enter(48) + pairOf(24, 5)},
          {"wait18h", op(&F::SetWaitTimeSeconds, 64800),
           enter(48) + pairOf(22, 0) + enter(48) + pairOf(23, 0) + enter(48) + pairOf(24, 0)},
          {"wait1h", op(&F::SetWaitTimeSeconds, 3600),
           enter(48) + pairOf(22, 1) + enter(48) + pairOf(23, 0) + enter(48) + pairOf(24, 0)},
          {"wait17h59m59s", op(&F::SetWaitTimeSeconds, 64799),
           enter(48) + pairOf(22, 17) + enter(48) + pairOf(23, 59) + enter(48) + pairOf(24, 59)},
          {"fade61s", op(&F::SetFadeTimeSeconds, 61),
           enter(48) + pairOf(18, 0) + enter(48) + pairOf(19, 1) + enter(48) + pairOf(20, 1)},
          {"fade2h3m4s", op(&F::SetFadeTimeSeconds, 7384),
           enter(48) + pairOf(18, 2) + enter(48) + pairOf(19, 3) + enter(48) + pairOf(20, 4)},
          {"reset", op(&F::ResetFixture), pairOf(33, 0)},
          {"lampOn", op(&F::LampOn), pairOf(34, 0)},
          {"lampOff", op(&F::LampOff), pairOf(35, 0)},
          {"allOpen", plain(&G::AdjustAllOpen), pairOf(72, 0)},
          {"allClosed", plain(&G::AdjustAllClosed), pairOf(72, 1)},
          {"dimmerOpen", plain(&G::AdjustDimmerOpen), pairOf(73, 0)},
          {"dimmerClosed", plain(&G::AdjustDimmerClosed), pairOf(73, 1)},
          {"dimmerSensor", plain(&G::GrobelAdjust73_2), pairOf(73, 2)},
          {"cyanOpen", plain(&G::AdjustCyanOpen), pairOf(74, 0)},
          {"cyanClosed", plain(&G::AdjustCyanClosed), pairOf(74, 1)},
          {"cyanSensor", plain(&G::GrobelAdjust74_2), pairOf(74, 2)},
          {"magentaOpen", plain(&G::AdjustMagentaOpen), pairOf(75, 0)},
          {"magentaClosed", plain(&G::AdjustMagentaClosed), pairOf(75, 1)},
          {"magentaSensor", plain(&G::GrobelAdjust75_2), pairOf(75, 2)},
          {"yellowOpen", plain(&G::AdjustYellowOpen), pairOf(76, 0)},
          {"yellowClosed", plain(&G::AdjustYellowClosed), pairOf(76, 1)},
          {"yellowSensor", plain(&G::GrobelAdjust76_2), pairOf(76, 2)},
          {"colour", plain(&G::AdjustColor, 3), pairOf(77, 3)},
      });
  add({"GrobelCI", "Wash", "Brv600NS", "IP", "GM"},
      {{"colourWheel", op(&F::SetLiveColor, 2), enter(48) + pairOf(68, 2)}});
  add({"Wash", "Brv600NS", "IP", "GM"}, {
                                            {"zoom", op(&F::SetLiveZoom, 400), enter(48) + pairOf(69, 400)},
                                            {"zoomNear", op(&F::AdjustZoomNear), pairOf(78, 0)},
                                            {"zoomFar", op(&F::AdjustZoomFar), pairOf(78, 1)},
                                            {"zoomSensor", op(&F::AdjustZoomSensor), pairOf(78, 2)},
                                        });
  add({"IP", "GM"},
      {
          {"focus", op(&F::SetLiveFocus, 9), enter(48) + pairOf(70, 9)},
          {"goboIndex", op(&F::SetControlValue78, 2, 600), send(128, 2, 44) + send(129, 600, 44)},
          {"goboRotate", op(&F::SetControlValue79, 1, 40000), send(128, 5, 44) + send(129, 40000, 44)},
          {"animation", op(&F::SetControlValue80, 140, -1), send(130, 140, 44) + send(131, 255, 44)},
          {"animationLowByte", op(&F::SetControlValue80, 50, 0x1234),
           send(130, 50, 44) + send(131, 0x34, 44)},
          {"focusNear", op(&F::AdjustFocusNear), pairOf(79, 0)},
          {"focusFar", op(&F::AdjustFocusFar), pairOf(79, 1)},
          {"focusSensor", op(&F::AdjustFocusSensor), pairOf(79, 2)},
          {"gobo", op(&F::AdjustGobo, 3), pairOf(132, 3)},
          {"goboRotation", op(&F::AdjustGoboRotation, 4), pairOf(133, 4)},
          {"animPosition", op(&F::AdjustAnimPosition, 5), pairOf(134, 5)},
          {"animRotation", op(&F::AdjustAnimRotation, 7), pairOf(135, 7)},
      });

  // Nimbo O2 and Rastel: page 100, enter 41.
  add({"Nimbo", "Rastel"}, {
                               {"intensity", op(&F::SetLiveIntensity, 300), enter(41) + pairOf(42, 300)},
                               {"idle", op(&F::IdlePoll, false), once(254, 0, 0)},
                               {"reset", op(&F::ResetFixture), pairOf(62, 0)},
                               {"lampOn", op(&F::LampOn), pairOf(63, 0)},
                               {"lampOff", op(&F::LampOff), pairOf(64, 0)},
                           });
  using N = TZemFixtureNimboO2_21;
  add({"Nimbo"}, {
                     {"previous", op(&F::PreviousScene), enter(41) + pairOf(51, 0), 1},
                     {"next", op(&F::NextScene), enter(41) + pairOf(50, 0), 1},
                     {"store", op(&F::StoreScene), enter(41) + pairOf(52, 0), 1},
                     {"deleteAll", op(&F::DeleteAllScenes), enter(41) + pairOf(55, 1), 1},
                     {"add", op(&F::AddScene), enter(41) + pairOf(49, 0), 1},
                     {"delete", op(&F::DeleteScene), enter(41) + pairOf(54, 0), 1},
                     {"insert", op(&F::InsertScene), enter(41) + pairOf(53, 0), 1},
                     {"switchOn", op(&F::SetServiceSwitch, true), send(56, 1, 0) + send(56, 1, 0)},
                     {"switchOff", op(&F::SetServiceSwitch, false), send(56, 0, 44) + send(56, 0, 44)},
                     {"cyan", op(&F::SetLiveCyan, 1), enter(41) + pairOf(43, 1)},
                     {"magenta", op(&F::SetLiveMagenta, 2), enter(41) + pairOf(44, 2)},
                     {"yellow", op(&F::SetLiveYellow, 3), enter(41) + pairOf(45, 3)},
                     {"randomColour", op(&F::SetLiveRandomColor, 9), enter(41) + pairOf(46, 9)},
                     {"fadeIndex", op(&F::SetFadeTimeIndex, 4), enter(41) + pairOf(47, 4)},
                     {"waitIndex", op(&F::SetWaitTimeIndex, 3), enter(41) + pairOf(48, 3)},
                     {"allOpen", plain(&N::AdjustAllOpen), pairOf(65, 0)},
                     {"allClosed", plain(&N::AdjustAllClosed), pairOf(65, 1)},
                     {"dimmerOpen", plain(&N::AdjustDimmerOpen), pairOf(66, 0)},
                     {"dimmerClosed", plain(&N::AdjustDimmerClosed), pairOf(66, 1)},
                     {"cyanOpen", plain(&N::AdjustCyanOpen), pairOf(67, 0)},
                     {"cyanClosed", plain(&N::AdjustCyanClosed), pairOf(67, 1)},
                     {"magentaOpen", plain(&N::AdjustMagentaOpen), pairOf(68, 0)},
                     {"magentaClosed", plain(&N::AdjustMagentaClosed), pairOf(68, 1)},
                     {"yellowOpen", plain(&N::AdjustYellowOpen), pairOf(69, 0)},
                     {"yellowClosed", plain(&N::AdjustYellowClosed), pairOf(69, 1)},
                 });
  using R = TZemFixtureRastel_21;
  add({"Rastel"}, {
                      {"previous", op(&F::PreviousScene), enter(41) + pairOf(54, 0), 1},
                      {"next", op(&F::NextScene), enter(41) + pairOf(53, 0), 1},
                      {"store", op(&F::StoreScene), enter(41) + pairOf(55, 0), 1},
                      {"deleteAll", op(&F::DeleteAllScenes), enter(41) + pairOf(58, 1), 1},
                      {"add", op(&F::AddScene), enter(41) + pairOf(52, 0), 1},
                      {"delete", op(&F::DeleteScene), enter(41) + pairOf(57, 0), 1},
                      {"insert", op(&F::InsertScene), enter(41) + pairOf(56, 0), 1},
                      {"switchOn", op(&F::SetServiceSwitch, true), send(59, 1, 0) + send(59, 1, 0)},
                      {"switchOff", op(&F::SetServiceSwitch, false), send(59, 0, 44) + send(59, 0, 44)},
                      {"focus", op(&F::SetLiveFocus, 1000), enter(41) + pairOf(43, 1000)},
                      {"fadeIndex", op(&F::SetFadeTimeIndex, 4), enter(41) + pairOf(50, 4)},
                      {"waitIndex", op(&F::SetWaitTimeIndex, 3), enter(41) + pairOf(51, 3)},
                      {"goboIndex", op(&F::SetControlValue78, 2, 600), send(44, 2, 44) + send(144, 600, 44)},
                      {"goboRotate", op(&F::SetControlValue79, 2, 513), send(44, 6, 44) + send(147, 1, 44)},
                      {"panTilt", op(&F::SetLivePanTilt, 10, 20), send(46, 10, 44) + send(47, 20, 44)},
                      {"focusNear", op(&F::AdjustFocusNear), pairOf(66, 0)},
                      {"focusFar", op(&F::AdjustFocusFar), pairOf(66, 1)},
                      {"gobo", op(&F::AdjustGobo, 300), pairOf(67, 300)},
                      {"dimmerOpen", plain(&R::AdjustDimmerOpen), pairOf(65, 0)},
                      {"dimmerClosed", plain(&R::AdjustDimmerClosed), pairOf(65, 1)},
                      {"goboChoice", plain(&R::AdjustGoboChoice, 3), pairOf(68, 3)},
                      {"panTiltChoice", plain(&R::AdjustPanTiltChoice, 4), pairOf(69, 4)},
                  });

  // Brevidor 200 LED and 400 LED: page 100, scene functions in one call, no lamp.
  add({"BV20L", "BV40L"}, {
                              {"previous", op(&F::PreviousScene), send(113, 0, 44), 1},
                              {"next", op(&F::NextScene), send(112, 0, 44), 1},
                              {"store", op(&F::StoreScene), send(108, 0, 44), 1},
                              {"deleteAll", op(&F::DeleteAllScenes), send(114, 0, 44), 1},
                              {"add", op(&F::AddScene), send(107, 0, 44), 1},
                              {"delete", op(&F::DeleteScene), send(110, 0, 44), 1},
                              {"insert", op(&F::InsertScene), send(109, 0, 44), 1},
                              {"switchOn", op(&F::SetServiceSwitch, true), send(37, 1, 0)},
                              {"switchOff", op(&F::SetServiceSwitch, false), send(37, 0, 44)},
                              {"wait", op(&F::SetWaitTimeSeconds, 600), send(48, 0, 0) + pairOf(133, 600)},
                              {"fade", op(&F::SetFadeTimeSeconds, 7), send(48, 0, 0) + pairOf(130, 7)},
                              {"red", op(&F::SetLiveRed, 300), send(111, 0, 0) + send(100, 300, 0)},
                              {"green", op(&F::SetLiveGreen, 9), send(111, 0, 0) + send(101, 9, 0)},
                              {"blue", op(&F::SetLiveBlue, 10), send(111, 0, 0) + send(102, 10, 0)},
                              {"amber", op(&F::SetLiveAmber, 128), send(111, 0, 0) + send(103, 128, 0)},
                              {"white", op(&F::SetLiveWhite, 11), send(111, 0, 0) + send(104, 11, 0)},
                              {"reset", op(&F::ResetFixture), pairOf(10, 0)},
                              {"noLampOn", op(&F::LampOn), {}},
                              {"noLampOff", op(&F::LampOff), {}},
                          });
  // The LED tube and strip send no scene, lamp or reset frames.
  add({"Bralin", "Kandrel"}, {
                                 {"noScene", op(&F::PreviousScene), {}},
                                 {"noReset", op(&F::ResetFixture), {}},
                                 {"noLamp", op(&F::LampOn), {}},
                                 {"noIdleFrame", op(&F::IdlePoll, false), {}},
                             });
  return rows;
}

class ServiceFrameTest : public ModelFixture, public ::testing::WithParamInterface<ServiceRow> {};

TEST_P(ServiceFrameTest, SendsTheFixturesFramesInOrder) {
  const ServiceRow& r = GetParam();
  const ModelSpec& m = model(r.model);
  auto f = makeModel(m);
  EXPECT_TRUE(r.op.call(*f));
  EXPECT_EQ(sent(), r.op.frames);
  for (const auto& raw : dev.frames) expectFrameLayout(raw, 0x8B, m.typeCode, m.page);
  EXPECT_EQ(dev.count("GetStandAlone"), r.op.programReads);
  EXPECT_FALSE(MP2Idle);
  EXPECT_TRUE(ui::shownMessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Models, ServiceFrameTest, ::testing::ValuesIn(serviceRows()),
                         ::testing::PrintToStringParamName());

// Operations a model does not have send nothing; the live controls among them answer false.
struct AbsentRow {
  const char* model;
  const char* name;
  Call call;
  bool result;
};

void PrintTo(const AbsentRow& row, std::ostream* os) {
  *os << row.model << "_" << row.name;
}

class AbsentOperationTest : public ModelFixture, public ::testing::WithParamInterface<AbsentRow> {};

TEST_P(AbsentOperationTest, SendsNothing) {
  auto f = makeModel(model(GetParam().model));
  EXPECT_EQ(GetParam().call(*f), GetParam().result);
  EXPECT_TRUE(dev.frames.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Models, AbsentOperationTest,
    ::testing::Values(AbsentRow{"Brv200", "zoom", op(&TZemFixture::SetLiveZoom, 1), false},
                      AbsentRow{"Brv200", "focus", op(&TZemFixture::SetLiveFocus, 1), false},
                      AbsentRow{"Grobel", "colour", op(&TZemFixture::SetLiveColor, 1), false},
                      AbsentRow{"Grobel", "waitIndex", op(&TZemFixture::SetWaitTimeIndex, 1), true},
                      AbsentRow{"Wash", "focus", op(&TZemFixture::SetLiveFocus, 1), false},
                      AbsentRow{"Nimbo", "focus", op(&TZemFixture::SetLiveFocus, 1), false},
                      AbsentRow{"Rastel", "cyan", op(&TZemFixture::SetLiveCyan, 1), true},
                      AbsentRow{"BV20L", "intensity", op(&TZemFixture::SetLiveIntensity, 1), true},
                      AbsentRow{"Bralin", "red", op(&TZemFixture::SetLiveRed, 1), true}),
    ::testing::PrintToStringParamName());

}  // namespace
