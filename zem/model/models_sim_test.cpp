// Every model class end to end: real device and box layer, the simulated box, and the simulated fixture
// loaded with the model's profile. Assertions count and inspect what the fixture received.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/fixture/model_profiles.h"
#include "zem/link/link_test_support.h"
#include "zem/model/model_test_support.h"
#include "zem/model/uZemModels.h"

namespace {

namespace profiles = simfix::profiles;
using profiles::ModelProfile;
using namespace modeltest;

const ModelProfile& profile(const std::string& code, uint8_t subtype) {
  const ModelProfile* p = profiles::findProfile(code, subtype);
  if (p == nullptr) throw std::out_of_range("no profile for " + code);
  return *p;
}

std::string versionText(profiles::Version v) {
  return v.build != 0
             ? std::to_string(v.major) + "." + std::to_string(v.minor) + " build " + std::to_string(v.build)
             : std::to_string(v.major) + "." + std::to_string(v.minor);
}

class ModelSimTest : public linktest::SimTest {
 protected:
  void TearDown() override {
    release();
    linktest::SimTest::TearDown();
  }

  void release() {
    CurrentFixture = nullptr;
    delete f;
    f = nullptr;
  }

  // Loads the profile into a freshly powered simulator, then identifies the fixture the way the search loop
  // does: three agreeing serial reads, the fixture info, and the model chosen by type code and sub-type.
  TZemFixture* connect(const ModelProfile& p, std::optional<profiles::Version> firmware = std::nullopt) {
    release();
    FreeDevice();
    sim_->reset();
    sim_->setTickSource(&linktest::virtualTick, nullptr);
    InitZemData();
    profiles::apply(*sim_, p);
    if (firmware) profiles::applyFirmware(*sim_, *firmware);
    if (!CreateDevice(Device)) return nullptr;
    Device->Open();

    TZemFixture generic;
    std::array<std::array<uint8_t, 15>, 3> serials{};
    for (auto& serial : serials) {
      if (!generic.ReadSerialNumber()) return nullptr;
      std::copy_n(FixtureData.begin() + fd::kSerial, 15, serial.begin());
    }
    if (serials[1] != serials[0] || serials[2] != serials[0]) return nullptr;
    if (!generic.ReadFixtureInfo()) return nullptr;
    f = CreateFixtureForType(generic.GetTypeCode(), generic.GetSubType());
    CurrentFixture = f;
    sim_->clearReceivedFrames();
    sim_->clearServiceFrames();
    return f;
  }

  // connect(), failing the test when the fixture is not identified.
  void connectTo(const ModelProfile& p, std::optional<profiles::Version> firmware = std::nullopt) {
    ASSERT_NE(sim_, nullptr) << "no simulator";
    ASSERT_NE(connect(p, firmware), nullptr) << p.model << " not identified";
  }

  Frames serviceFrames() const {
    Frames out;
    for (const auto& f : sim_->serviceFrames()) out.push_back({f.function, f.value, f.argument});
    return out;
  }

  // Requests the fixture received with these command letters.
  int requests(char command, char subCommand) const {
    int n = 0;
    for (const auto& f : sim_->receivedFrames()) {
      if (f.bytes.size() > 5 && f.bytes[4] == command && f.bytes[5] == subCommand) ++n;
    }
    return n;
  }

  TZemFixture* f = nullptr;  // the model connect() made
};

// ---------------------------------------------------------------------------
// Identification

class ProfileSimTest : public ModelSimTest, public ::testing::WithParamInterface<size_t> {
 protected:
  const ModelProfile& p() const { return profiles::allProfiles().at(GetParam()); }
};

std::string profileName(const ::testing::TestParamInfo<size_t>& info) {
  const ModelProfile& p = profiles::allProfiles().at(info.param);
  return testName(p.typeCode + std::to_string(p.subtype));
}

TEST_P(ProfileSimTest, SearchLoopIdentifiesTheModel) {
  ASSERT_NO_FATAL_FAILURE(connectTo(p()));
  EXPECT_EQ(FindFixtureType(p().typeCode, p().subtype), static_cast<int>(GetParam()));
  EXPECT_EQ(f->GetFixtureName(), p().model);
  EXPECT_EQ(f->GetTypeCode(), p().typeCode);
  EXPECT_EQ(f->GetSubType(), p().subtype);
}

TEST_P(ProfileSimTest, FirmwareAndProgramVersionsFit) {
  ASSERT_NO_FATAL_FAILURE(connectTo(p()));
  EXPECT_TRUE(f->IsFirmwareSupported());
  EXPECT_EQ(f->GetRequiredFirmwareVersionText(), versionText(p().minimum));
  EXPECT_TRUE(f->ReadZemVersion());
  EXPECT_TRUE(f->IsZemVersionSupported());
  EXPECT_EQ(f->GetFirmwareVersionText(), versionText(p().firmware));
}

TEST_P(ProfileSimTest, FirmwareThresholdsDecideSupport) {
  for (const auto& point : p().firmwarePoints) {
    SCOPED_TRACE(point.label);
    TZemFixture* g = connect(p(), point.version);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->IsFirmwareSupported(), profiles::packed(point.version) >= profiles::packed(p().minimum));
    if (point.label == "below minimum") {
      EXPECT_FALSE(g->IsFirmwareSupported());
    }
    if (point.label == "minimum") {
      EXPECT_TRUE(g->IsFirmwareSupported());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileSimTest, ::testing::Range<size_t>(0, 17), profileName);

TEST_F(ModelSimTest, OneProfilePerTableRow) {
  std::set<int> rows;
  for (const ModelProfile& p : profiles::allProfiles()) rows.insert(FindFixtureType(p.typeCode, p.subtype));
  EXPECT_EQ(rows.size(), FixtureTypeTable().size());
  EXPECT_EQ(profiles::allProfiles().size(), FixtureTypeTable().size());
}

TEST_F(ModelSimTest, UnsupportedSubTypeIsNotIdentified) {
  ModelProfile p = profile("GRB__", 0);
  p.subtype = 2;
  EXPECT_EQ(connect(p), nullptr);
  EXPECT_EQ(FindFixtureType("GRB__", 2), -1);
}

// ---------------------------------------------------------------------------
// Reading the fixture

enum class Log { None, Short, Long };

struct ReadAllRow {
  const char* code;
  uint8_t subtype;
  std::pair<int, int> lastProgress;
  bool clock, timers, program;
  Log log;
};

// A row prints as its test name, and the suites name their tests by it.
void PrintTo(const ReadAllRow& row, std::ostream* os) {
  *os << testName(row.code + std::to_string(row.subtype));
}

class ReadAllSimTest : public ModelSimTest, public ::testing::WithParamInterface<ReadAllRow> {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    p = &profile(GetParam().code, GetParam().subtype);
    ASSERT_NO_FATAL_FAILURE(connectTo(*p));
    ASSERT_TRUE(f->ReadAllFixtureData(progress.callback()));
  }
  const ModelProfile* p = nullptr;
  ProgressLog progress;
};

TEST_P(ReadAllSimTest, ProgressEndsAtTheModelsLastStepWithinRange) {
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_EQ(progress.calls.back(), GetParam().lastProgress);
  for (auto [pos, max] : progress.calls) EXPECT_TRUE(pos >= 1 && pos <= max) << pos << "/" << max;
}

TEST_P(ReadAllSimTest, PersonalityAndLampRecordsAreRead) {
  EXPECT_EQ(f->GetDmxAddress(), 17);
  EXPECT_EQ(f->GetTotalPowerOnHours(), 4321);
  EXPECT_EQ(f->GetResettableLampStrikes(), 12);
  EXPECT_EQ(f->GetLampStateText(), "Lamp is ON");
}

TEST_P(ReadAllSimTest, ClockOnlyWhereTheWindowShowsIt) {
  EXPECT_EQ(requests('P', 's'), GetParam().clock ? 1 : 0);
  if (GetParam().clock) {
    EXPECT_EQ(f->GetClockMinute(), 41);
  }
}

TEST_P(ReadAllSimTest, TimersOnlyWhereTheWindowShowsThem) {
  EXPECT_EQ(requests('P', 'b'), GetParam().timers ? 1 : 0);
  if (GetParam().timers) {
    EXPECT_EQ(f->GetTimer1StartHour(), 7);
  }
}

TEST_P(ReadAllSimTest, SceneTimesFromTheStandAloneProgram) {
  EXPECT_EQ(requests('A', 'a'), GetParam().program ? 1 : 0);
  if (GetParam().program) {
    EXPECT_EQ(f->GetWaitTimeSeconds(), p->waitSeconds);
    EXPECT_EQ(f->GetFadeTimeSeconds(), p->fadeSeconds);
  }
}

TEST_P(ReadAllSimTest, LogLinesOfTheModelsLog) {
  const TStringList shortLog = {"24/12-18:05 - INFO - Software V.1.2.3.",
                                "2/1-3:04 - ERROR.START - Voltage6 23.6 V.",
                                "6/5-7:08 - DEBUG.STOP - PCB Temp 25.50 DegC, Sensor1 Temp 30.12 DegC"};
  const TStringList longLog = {"24/12-18:05 - WARNING - Overheat", "2/1-3:04 - ERROR.START - Lamp strike",
                               "4/3-5:06 - INFO - Reset"};
  const TStringList noLog = {"ZEM does not support the log feature for this fixture."};
  switch (GetParam().log) {
    case Log::None:
      EXPECT_EQ(f->LogTextList(), noLog);
      break;
    case Log::Short:
      EXPECT_EQ(f->LogTextList(), shortLog);
      break;
    case Log::Long:
      EXPECT_EQ(f->LogTextList(), longLog);
      break;
  }
}

TEST_P(ReadAllSimTest, ReadingSendsNoServiceFrame) {
  EXPECT_TRUE(sim_->serviceFrames().empty());
}

const std::vector<ReadAllRow> kReadAllRows = {
    {"BV600", 0, {23, 23}, true, false, true, Log::None},
    {"BV200", 0, {10, 10}, true, true, true, Log::None},
    {"KANDT", 1, {12, 12}, false, false, false, Log::None},
    {"BRALB", 0, {12, 12}, false, false, false, Log::None},
    {"BV20L", 0, {10, 10}, true, true, true, Log::None},
    {"BV40L", 0, {15, 15}, true, true, true, Log::None},
    {"LU150", 0, {10, 10}, true, true, true, Log::None},
    {"BV60C", 0, {23, 23}, true, false, true, Log::None},
    {"NMB02", 0, {8, 8}, true, false, true, Log::None},
    {"RASTE", 0, {8, 8}, true, false, true, Log::None},
    {"GRB__", 0, {11, 11}, true, true, true, Log::Short},
    {"GRB__", 1, {11, 11}, true, true, true, Log::Short},
    {"GRB__", 4, {11, 11}, true, true, true, Log::Long},
    {"BVT12", 0, {11, 11}, true, true, true, Log::Long},
    {"BVT12", 2, {11, 11}, true, true, true, Log::Long},
    {"BV6NS", 0, {11, 11}, true, true, true, Log::Long},
    {"B12GM", 2, {11, 11}, true, true, true, Log::Long},
};

INSTANTIATE_TEST_SUITE_P(Profiles, ReadAllSimTest, ::testing::ValuesIn(kReadAllRows),
                         ::testing::PrintToStringParamName());

TEST_F(ModelSimTest, EveryProfileHasAFullReadRow) {
  EXPECT_EQ(kReadAllRows.size(), profiles::allProfiles().size());
}

TEST_F(ModelSimTest, Brv600ReadsItsEepromHeldSettings) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("BV600", 0)));
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(requests('E', 'e'), 15);
  EXPECT_EQ(f->GetQZLLampOff(), 1);
  EXPECT_EQ(f->GetStandAloneMode(), 2);
  EXPECT_EQ(f->GetAutoProgramOn(), 1);
  EXPECT_EQ(f->GetTimerMode(), 1);
  EXPECT_EQ(f->GetTimer1StartHour(), 6);
  EXPECT_EQ(f->GetTimer1StopMinute(), 45);
  EXPECT_EQ(f->GetTimer2StopMinute(), 50);
  EXPECT_EQ(f->GetSensorTriggerLevel(), 128);
  EXPECT_EQ(f->GetSensorTriggerWord(), 1000);
  EXPECT_EQ(f->GetCyanCalibration(), 10);
  EXPECT_EQ(f->GetDimmerCalibration(), 40);
  EXPECT_EQ(f->GetDmxChannelCount(), 9);  // protocol 1
}

struct DisplayRow {
  const char* code;
  uint8_t subtype;
  int requestLength;  // of the stand-alone program read
};

void PrintTo(const DisplayRow& row, std::ostream* os) {
  *os << testName(row.code + std::to_string(row.subtype));
}

class Brv1200SimTest : public ModelSimTest, public ::testing::WithParamInterface<DisplayRow> {};

TEST_P(Brv1200SimTest, VersionTextNamesTheDisplay) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile(GetParam().code, GetParam().subtype)));
  EXPECT_EQ(f->GetVersionText(), "Main CPU: Version 0.0 build 5,  Display: Version 2.1 build 7");
}

TEST_P(Brv1200SimTest, SceneReadAsksForTheModelsReplyLength) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile(GetParam().code, GetParam().subtype)));
  ASSERT_TRUE(f->ReadStandAloneProgram());
  ASSERT_FALSE(sim_->receivedFrames().empty());
  EXPECT_EQ(sim_->receivedFrames().back().replyLength, GetParam().requestLength);
}

INSTANTIATE_TEST_SUITE_P(Profiles, Brv1200SimTest,
                         ::testing::Values(DisplayRow{"BVT12", 0, 37}, DisplayRow{"BVT12", 2, 43},
                                           DisplayRow{"B12GM", 2, 43}),
                         ::testing::PrintToStringParamName());

TEST_F(ModelSimTest, GrobelVersionTextHasNoDisplay) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("GRB__", 0)));
  EXPECT_EQ(f->GetVersionText(), "Main CPU: Version 0.0 build 9");
}

TEST_F(ModelSimTest, Bv40lNamesItselfAfterItsBoardAndReadsFiveLeds) {
  const ModelProfile& led = profile("BV40L", 0);
  ASSERT_NO_FATAL_FAILURE(connectTo(led));
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetFixtureName(), "Brevidor 400 LED Series (PCB40L-0000042)");
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_TRUE(std::equal(led.ledDescriptions[i].begin(), led.ledDescriptions[i].end(),
                           FixtureData.begin() + fd::kLedDescription + 15 * i));
    EXPECT_TRUE(std::equal(led.ledDescriptionData[i].begin(), led.ledDescriptionData[i].end(),
                           FixtureData.begin() + fd::kLedDescriptionData + 7 * i));
  }
}

TEST_F(ModelSimTest, Bv40lNameShowsTheBoardSerialAsSent) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("BV40L", 0)));
  sim_->setPCBSerial("A/B\\C:D");
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetFixtureName(), "Brevidor 400 LED Series (A/B\\C:D)");
}

class TubeSimTest : public ModelSimTest {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(tube));
    ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  }
  const ModelProfile& tube = profile("BRALB", 0);
};

TEST_F(TubeSimTest, ScanCountsTheSegmentsAndSelectsTheMainUnitAgain) {
  EXPECT_EQ(f->GetSegmentCount(), 3);
  EXPECT_EQ(f->GetCurrentSegment(), 0);
  EXPECT_EQ(sim_->selectedSubDevice(), 0);
  const auto& wb = f->WorkBuffer();
  EXPECT_EQ((std::vector<uint8_t>(wb.begin(), wb.begin() + 6)), (std::vector<uint8_t>{1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(requests('A', 'E'), 1 + 3 + 3 + 1);  // main, segments 1-3, segment 4 three tries, main
}

TEST_F(TubeSimTest, WriteAfterTheScanChangesTheMainUnitOnly) {
  // Requests address the main unit again.
  EXPECT_TRUE(std::equal(tube.serial.begin(), tube.serial.end(), DuplexRequest.begin() + frame::kSerial));
  ASSERT_TRUE(f->SetDmxAddress(99));
  EXPECT_EQ(sim_->group('P', 'p')[0], 99);
  ASSERT_TRUE(sim_->setEditUnit(3));
  EXPECT_EQ(sim_->group('P', 'p')[0], 17);
  sim_->setEditUnit(0);
}

TEST_F(TubeSimTest, SelectedSegmentReadsItsOwnRecordsAndTheScanResultsStay) {
  ASSERT_TRUE(f->SetSubDevice(3, true));
  ASSERT_TRUE(f->ReadBasicFixtureData());
  EXPECT_EQ(f->GetSegmentAutoConfigure(), 1);
  EXPECT_EQ(f->GetCurrentSegment(), 3);
  EXPECT_EQ(f->GetSegmentCount(), 3);
}

TEST_F(TubeSimTest, TubeWithoutSegmentsCountsNone) {
  ModelProfile lone = tube;
  lone.subDevicePersonalities.clear();
  ASSERT_NO_FATAL_FAILURE(connectTo(lone));
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetSegmentCount(), 0);
  EXPECT_EQ(f->WorkBuffer()[0], 1);
}

TEST_F(ModelSimTest, StripScanCountsItsSubDevices) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("KANDT", 1)));
  f->WorkBuffer()[1] = 7;
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetSegmentCount(), 2);
  EXPECT_EQ(f->GetCurrentSegment(), 0);
  EXPECT_EQ(f->WorkBuffer()[1], 0);
  EXPECT_EQ(f->GetDmxChannelCount(), 8);  // Quodra 1200, protocol 3, two groups
  EXPECT_EQ(f->GetFixtureSubTypeName(), "Quodra 1200");
}

// ---------------------------------------------------------------------------
// Service functions

struct ServiceRow {
  const char* code;
  uint8_t subtype;
  const char* label;
  std::function<void(TZemFixture&)> call;
  Frames frames;
  int programReads = 0;
};

void PrintTo(const ServiceRow& row, std::ostream* os) {
  *os << testName(row.code + std::to_string(row.subtype) + "_" + row.label);
}

const std::vector<ServiceRow>& serviceRows() {
  static const std::vector<ServiceRow> rows = {
      // Brevidor 200 and Lunavex: page 100, enter 111.
      {"BV200", 0, "reset", [](TZemFixture& f) { f.ResetFixture(); }, pairOf(81, 0)},
      {"BV200", 0, "lamp on", [](TZemFixture& f) { f.LampOn(); }, pairOf(82, 0)},
      {"BV200", 0, "lamp off", [](TZemFixture& f) { f.LampOff(); }, pairOf(83, 0)},
      {"BV200", 0, "previous scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); },
       enter(111) + pairOf(113, 0), 1},
      {"BV200", 0, "delete all", [](TZemFixture& f) { EXPECT_TRUE(f.DeleteAllScenes()); },
       enter(111) + pairOf(114, 1), 1},
      {"BV200", 0, "insert", [](TZemFixture& f) { EXPECT_TRUE(f.InsertScene()); },
       enter(111) + pairOf(109, 0), 1},
      {"BV200", 0, "intensity", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveIntensity(300)); },
       enter(111) + pairOf(100, 300)},
      {"BV200", 0, "wait index", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeIndex(5)); },
       enter(111) + pairOf(106, 5)},
      {"BV200", 0, "random colour", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveRandomColor(9)); },
       enter(111) + pairOf(104, 9)},
      {"BV200", 0, "switch on", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(true)); },
       send(37, 1, 0) + send(37, 1, 0)},
      {"BV200", 0, "switch off", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(false)); },
       send(37, 0, 44) + send(37, 0, 44)},
      {"BV200", 0, "idle", [](TZemFixture& f) { EXPECT_TRUE(f.IdlePoll(true)); }, once(111, 0, 0)},
      {"BV200", 0, "yellow closed",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv200_20&>(f).AdjustYellowClosed(); }, pairOf(88, 1)},
      {"LU150", 0, "next scene", [](TZemFixture& f) { EXPECT_TRUE(f.NextScene()); },
       enter(111) + pairOf(112, 0), 1},
      {"LU150", 0, "fade index", [](TZemFixture& f) { EXPECT_TRUE(f.SetFadeTimeIndex(2)); },
       enter(111) + pairOf(105, 2)},
      // Brevidor 600: page 237, no enter.
      {"BV600", 0, "previous scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); }, pairOf(32, 0),
       1},
      {"BV600", 0, "delete all", [](TZemFixture& f) { EXPECT_TRUE(f.DeleteAllScenes()); }, pairOf(36, 0), 1},
      {"BV600", 0, "intensity", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveIntensity(1000)); },
       pairOf(99, 1000)},
      {"BV600", 0, "colour", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveColor(3)); }, pairOf(100, 3)},
      {"BV600", 0, "zoom", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveZoom(40000)); }, pairOf(105, 40000)},
      {"BV600", 0, "frost", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveFrost(7)); }, pairOf(104, 7)},
      {"BV600", 0, "wait index", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeIndex(4)); }, pairOf(59, 4)},
      {"BV600", 0, "idle", [](TZemFixture& f) { EXPECT_TRUE(f.IdlePoll(false)); }, once(0, 0, 0)},
      {"BV600", 0, "switch on", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(true)); },
       send(37, 0, 0) + send(37, 0, 0)},
      {"BV600", 0, "action 94", [](TZemFixture& f) { f.ServiceAction94(7); }, send(25, 7, 44)},
      {"BV600", 0, "zoom sensor", [](TZemFixture& f) { f.AdjustZoomSensor(); }, pairOf(91, 1)},
      {"BV600", 0, "yellow adjust",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv600_20&>(f).AdjustYellowAdjust(); }, pairOf(88, 2)},
      {"BV600", 0, "colour open",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv600_20&>(f).AdjustColorOpen(); }, pairOf(89, 0)},
      {"BV600", 0, "shutter open",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv600_20&>(f).AdjustShutterOpen(); }, pairOf(92, 2)},
      {"BV600", 0, "shutter adjust",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv600_20&>(f).AdjustShutterAdjust(); }, pairOf(92, 0)},
      {"BV600", 0, "test sequence",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureBrv600_20&>(f).SetTestSequenceMode(false); },
       pairOf(254, 1)},
      {"BV600", 0, "protocol", [](TZemFixture& f) { EXPECT_TRUE(f.SetDmxProtocol(1)); }, send(2, 1, 44)},
      {"BV600", 0, "protocol unchanged", [](TZemFixture& f) { EXPECT_TRUE(f.SetDmxProtocol(0)); }, {}},
      {"BV600", 0, "rearm", [](TZemFixture& f) { EXPECT_TRUE(f.RearmSensorTrigger()); }, send(57, 0, 44)},
      {"BV600", 0, "timer 1 start", [](TZemFixture& f) { EXPECT_TRUE(f.SetTimer1StartHour(9)); },
       send(63, 9, 44)},
      {"BV60C", 0, "lamp off", [](TZemFixture& f) { f.LampOff(); }, pairOf(83, 0)},
      // Grobel family: enter 48.
      {"GRB__", 0, "previous scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); },
       enter(48) + pairOf(27, 0), 1},
      {"GRB__", 0, "delete all", [](TZemFixture& f) { EXPECT_TRUE(f.DeleteAllScenes()); },
       enter(48) + pairOf(31, 1), 1},
      {"GRB__", 0, "wait 3725 s", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeSeconds(3725)); },
       enter(48) + pairOf(22, 1) + enter(48) + pairOf(23, 2) + enter(48) + pairOf(24, 5)},
      {"GRB__", 0, "wait 18 h", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeSeconds(64800)); },
       enter(48) + pairOf(22, 0) + enter(48) + pairOf(23, 0) + enter(48) + pairOf(24, 0)},
      {"GRB__", 0, "fade 61 s", [](TZemFixture& f) { EXPECT_TRUE(f.SetFadeTimeSeconds(61)); },
       enter(48) + pairOf(18, 0) + enter(48) + pairOf(19, 1) + enter(48) + pairOf(20, 1)},
      {"GRB__", 0, "cyan", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveCyan(5)); }, enter(48) + pairOf(65, 5)},
      {"GRB__", 0, "reset", [](TZemFixture& f) { f.ResetFixture(); }, pairOf(33, 0)},
      {"GRB__", 0, "lamp on", [](TZemFixture& f) { f.LampOn(); }, pairOf(34, 0)},
      {"GRB__", 0, "lamp off", [](TZemFixture& f) { f.LampOff(); }, pairOf(35, 0)},
      {"GRB__", 0, "switch on", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(true)); },
       send(32, 1, 0) + send(32, 1, 0)},
      {"GRB__", 0, "cyan sensor",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureGrobel200CMYI&>(f).GrobelAdjust74_2(); }, pairOf(74, 2)},
      {"GRB__", 0, "colour",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureGrobel200CMYI&>(f).AdjustColor(3); }, pairOf(77, 3)},
      {"GRB__", 0, "idle", [](TZemFixture& f) { EXPECT_TRUE(f.IdlePoll(true)); }, once(48, 0, 0)},
      {"GRB__", 1, "colour wheel", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveColor(2)); },
       enter(48) + pairOf(68, 2)},
      {"GRB__", 4, "insert", [](TZemFixture& f) { EXPECT_TRUE(f.InsertScene()); }, enter(48) + pairOf(29, 0),
       1},
      // Nimbo O2 and Rastel: enter 41.
      {"NMB02", 0, "previous scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); },
       enter(41) + pairOf(51, 0), 1},
      {"NMB02", 0, "random colour", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveRandomColor(9)); },
       enter(41) + pairOf(46, 9)},
      {"NMB02", 0, "wait index", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeIndex(3)); },
       enter(41) + pairOf(48, 3)},
      {"NMB02", 0, "reset", [](TZemFixture& f) { f.ResetFixture(); }, pairOf(62, 0)},
      {"NMB02", 0, "lamp on", [](TZemFixture& f) { f.LampOn(); }, pairOf(63, 0)},
      {"NMB02", 0, "lamp off", [](TZemFixture& f) { f.LampOff(); }, pairOf(64, 0)},
      {"NMB02", 0, "idle", [](TZemFixture& f) { EXPECT_TRUE(f.IdlePoll(false)); }, once(254, 0, 0)},
      {"NMB02", 0, "switch off", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(false)); },
       send(56, 0, 44) + send(56, 0, 44)},
      {"NMB02", 0, "yellow open",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureNimboO2_21&>(f).AdjustYellowOpen(); }, pairOf(69, 0)},
      {"RASTE", 0, "delete all", [](TZemFixture& f) { EXPECT_TRUE(f.DeleteAllScenes()); },
       enter(41) + pairOf(58, 1), 1},
      {"RASTE", 0, "focus", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveFocus(1000)); },
       enter(41) + pairOf(43, 1000)},
      {"RASTE", 0, "gobo index", [](TZemFixture& f) { EXPECT_TRUE(f.SetControlValue78(2, 600)); },
       send(44, 2, 44) + send(144, 600, 44)},
      {"RASTE", 0, "gobo rotate", [](TZemFixture& f) { EXPECT_TRUE(f.SetControlValue79(2, 513)); },
       send(44, 6, 44) + send(147, 1, 44)},
      {"RASTE", 0, "pan tilt", [](TZemFixture& f) { EXPECT_TRUE(f.SetLivePanTilt(10, 20)); },
       send(46, 10, 44) + send(47, 20, 44)},
      {"RASTE", 0, "focus far", [](TZemFixture& f) { f.AdjustFocusFar(); }, pairOf(66, 1)},
      {"RASTE", 0, "gobo adjust", [](TZemFixture& f) { f.AdjustGobo(300); }, pairOf(67, 300)},
      {"RASTE", 0, "pan/tilt choice",
       [](TZemFixture& f) { dynamic_cast<TZemFixtureRastel_21&>(f).AdjustPanTiltChoice(4); }, pairOf(69, 4)},
      {"RASTE", 0, "switch on", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(true)); },
       send(59, 1, 0) + send(59, 1, 0)},
      // Brevidor 1200 family.
      {"BVT12", 0, "zoom", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveZoom(400)); },
       enter(48) + pairOf(69, 400)},
      {"BVT12", 0, "zoom sensor", [](TZemFixture& f) { f.AdjustZoomSensor(); }, pairOf(78, 2)},
      {"BVT12", 0, "wheel", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveColor(6)); },
       enter(48) + pairOf(68, 6)},
      {"BVT12", 2, "gobo rotate", [](TZemFixture& f) { EXPECT_TRUE(f.SetControlValue79(1, 40000)); },
       send(128, 5, 44) + send(129, 40000, 44)},
      {"BVT12", 2, "animation", [](TZemFixture& f) { EXPECT_TRUE(f.SetControlValue80(140, -1)); },
       send(130, 140, 44) + send(131, 255, 44)},
      {"BVT12", 2, "focus", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveFocus(9)); },
       enter(48) + pairOf(70, 9)},
      {"BVT12", 2, "focus sensor", [](TZemFixture& f) { f.AdjustFocusSensor(); }, pairOf(79, 2)},
      {"BVT12", 2, "animation rotation", [](TZemFixture& f) { f.AdjustAnimRotation(7); }, pairOf(135, 7)},
      {"BV6NS", 0, "reset", [](TZemFixture& f) { f.ResetFixture(); }, pairOf(33, 0)},
      {"B12GM", 2, "gobo", [](TZemFixture& f) { f.AdjustGobo(3); }, pairOf(132, 3)},
      {"B12GM", 2, "scene", [](TZemFixture& f) { EXPECT_TRUE(f.StoreScene()); }, enter(48) + pairOf(28, 0),
       1},
      // LED fixtures.
      {"BV20L", 0, "previous scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); }, send(113, 0, 44),
       1},
      {"BV20L", 0, "delete all", [](TZemFixture& f) { EXPECT_TRUE(f.DeleteAllScenes()); }, send(114, 0, 44),
       1},
      {"BV20L", 0, "switch on", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(true)); },
       send(37, 1, 0)},
      {"BV20L", 0, "switch off", [](TZemFixture& f) { EXPECT_TRUE(f.SetServiceSwitch(false)); },
       send(37, 0, 44)},
      {"BV20L", 0, "amber", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveAmber(128)); },
       send(111, 0, 0) + send(103, 128, 0)},
      {"BV20L", 0, "wait", [](TZemFixture& f) { EXPECT_TRUE(f.SetWaitTimeSeconds(600)); },
       send(48, 0, 0) + pairOf(133, 600)},
      {"BV20L", 0, "reset", [](TZemFixture& f) { f.ResetFixture(); }, pairOf(10, 0)},
      {"BV20L", 0, "no lamp", [](TZemFixture& f) { f.LampOn(); }, {}},
      {"BV40L", 0, "fade", [](TZemFixture& f) { EXPECT_TRUE(f.SetFadeTimeSeconds(7)); },
       send(48, 0, 0) + pairOf(130, 7)},
      {"BV40L", 0, "white", [](TZemFixture& f) { EXPECT_TRUE(f.SetLiveWhite(9)); },
       send(111, 0, 0) + send(104, 9, 0)},
      // LED tube and strip: no scene, lamp or reset frames.
      {"BRALB", 0, "no scene", [](TZemFixture& f) { EXPECT_TRUE(f.PreviousScene()); }, {}},
      {"BRALB", 0, "no reset", [](TZemFixture& f) { f.ResetFixture(); }, {}},
      {"KANDT", 1, "no lamp", [](TZemFixture& f) { f.LampOn(); }, {}},
  };
  return rows;
}

class ServiceSimTest : public ModelSimTest, public ::testing::WithParamInterface<ServiceRow> {};

TEST_P(ServiceSimTest, FixtureReceivesTheFrames) {
  const ServiceRow& r = GetParam();
  const ModelProfile& p = profile(r.code, r.subtype);
  ASSERT_NO_FATAL_FAILURE(connectTo(p));
  r.call(*f);
  EXPECT_EQ(serviceFrames(), r.frames);
  EXPECT_EQ(requests('A', 'a'), r.programReads);
  for (const auto& frame : sim_->serviceFrames()) {
    EXPECT_EQ(frame.code, 0x8B);
    EXPECT_EQ(frame.page, f->GetServiceCommandPage());
    EXPECT_EQ(frame.typeCode, p.typeCode);
    EXPECT_EQ(frame.bytes.size(), 37u);
  }
  EXPECT_FALSE(MP2Idle);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ServiceSimTest, ::testing::ValuesIn(serviceRows()),
                         ::testing::PrintToStringParamName());

TEST_F(ModelSimTest, EveryProfileHasServiceRows) {
  std::set<std::string> covered;
  for (const ServiceRow& r : serviceRows()) covered.insert(r.code + std::to_string(r.subtype));
  EXPECT_EQ(covered.size(), profiles::allProfiles().size());
}

class TubeColourSimTest : public ModelSimTest {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(profile("BRALB", 0)));
    ASSERT_TRUE(f->ReadPersonality());  // DMX address 17
  }
};

TEST_F(TubeColourSimTest, LiveColourGoesOutAsExtendedFramesToItsDmxAddress) {
  EXPECT_TRUE(f->SendLedData(10, 20, 30, 40, 50));
  EXPECT_EQ(serviceFrames(), (Frames{{100, 10, 44}, {101, 20, 44}, {102, 30, 44}, {104, 50, 44}}));
  for (const auto& frame : sim_->serviceFrames()) {
    EXPECT_EQ(frame.code, 0xED);
    EXPECT_EQ(frame.extraValue, 16);
    EXPECT_EQ(frame.page, 100);
  }
}

TEST_F(TubeColourSimTest, PwmValuesGoStraightToTheDevice) {
  sim_->clearReceivedFrames();
  EXPECT_TRUE(f->LedOperation116(1, 2, 3));
  EXPECT_TRUE(f->LedOperation118(4, 5));
  EXPECT_EQ(requests('X', 'p'), 2);
}

TEST_F(TubeColourSimTest, FrameTheBoxDoesNotTakeEndsTheColour) {
  sim_->setFault({simfix::Fault::NoAcknowledge, -1});
  EXPECT_FALSE(f->SendLedData(10, 20, 30, 40, 50));
  EXPECT_LE(sim_->serviceFrames().size(), 1u);
  sim_->setFault({simfix::Fault::None});
}

TEST_F(ModelSimTest, StripLiveColourIsWrittenIntoTheLedData) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("KANDT", 1)));
  EXPECT_TRUE(f->SendLedData(1, 2, 3, 4, 5));
  EXPECT_EQ(sim_->group('L', 'L'), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(sim_->serviceFrames().empty());
}

// ---------------------------------------------------------------------------
// Setters

class Brv200SimTest : public ModelSimTest {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(profile("BV200", 0)));
  }
};

TEST_F(Brv200SimTest, PersonalitySetterWritesOnlyWhatChanged) {
  ASSERT_TRUE(f->SetDmxAddress(42));
  EXPECT_EQ(sim_->group('P', 'p')[0], 42);
  EXPECT_EQ(requests('P', 'P'), 1);
  sim_->clearReceivedFrames();
  ASSERT_TRUE(f->SetDmxAddress(42));
  EXPECT_EQ(requests('P', 'P'), 0);
}

TEST_F(Brv200SimTest, EchoWrittenSettingsReachTheFixture) {
  ASSERT_TRUE(f->SetTimer2StopMinute(59));
  EXPECT_EQ(sim_->group('P', 'b')[9], 59);
  ASSERT_TRUE(f->SetSensorTriggerWord(2000));
  EXPECT_EQ(f->GetSensorTriggerWord(), 2000);
}

TEST_F(Brv200SimTest, OldFirmwareKeepsDmxResetInverted) {
  // The profile's set bit means off.
  const ModelProfile& bv200 = profile("BV200", 0);
  ASSERT_NO_FATAL_FAILURE(connectTo(bv200, bv200.firmwareAt("old")));
  ASSERT_TRUE(f->ReadPersonality());
  EXPECT_EQ(f->GetDMXReset(), 0);
  ASSERT_TRUE(f->SetDMXReset(1));
  EXPECT_EQ(sim_->group('P', 'p')[6] & 0x02, 0);
  EXPECT_EQ(f->GetDMXReset(), 1);
}

// Brevidor 600: EEPROM-held settings change by service command and are read back.
class Brv600SimTest : public ModelSimTest {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(profile("BV600", 0)));
    ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
    sim_->clearReceivedFrames();
    sim_->clearServiceFrames();
  }
};

TEST_F(Brv600SimTest, SettingAlreadyHeldSendsNothing) {
  EXPECT_TRUE(f->SetTimer1StartHour(6));  // already 6
  EXPECT_TRUE(sim_->serviceFrames().empty());
  EXPECT_EQ(requests('E', 'e'), 0);
}

TEST_F(Brv600SimTest, NewSettingGoesOutWaitsAndIsReadBack) {
  sim_->setEEPromWord(63, 9);  // the fixture takes the new value
  const uint32_t before = sys::tickCount();
  EXPECT_TRUE(f->SetTimer1StartHour(9));
  EXPECT_GE(sys::tickCount() - before, 100u);
  EXPECT_EQ(f->GetTimer1StartHour(), 9);
  EXPECT_EQ(serviceFrames(), send(63, 9, 44));
  EXPECT_EQ(sim_->serviceFrames().front().page, 237);
  EXPECT_EQ(requests('E', 'e'), 1);
}

TEST_F(Brv600SimTest, SettingTheFixtureDidNotTakeShowsWhatItHolds) {
  EXPECT_TRUE(f->SetMasterSlaveSetting(1));
  EXPECT_EQ(f->GetMasterSlaveSetting(), 0);
}

TEST_F(Brv600SimTest, WordNoByteCanHoldFailsTheReadAndKeepsTheCopy) {
  sim_->setEEPromWord(78, 0x1234);
  EXPECT_FALSE(f->SetStandAloneMode(3));
  EXPECT_EQ(f->GetStandAloneMode(), 2);
}

// Quodra: the one-shot commands go out once.
class QuodraSimTest : public ModelSimTest {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(profile("KANDT", 1)));
    quodra = dynamic_cast<TZemFixtureKandrel*>(f);
    ASSERT_NE(quodra, nullptr);
  }
  TZemFixtureKandrel* quodra = nullptr;
};

TEST_F(QuodraSimTest, ResetReachesTheFixtureOnceAndLeavesTheRecord) {
  ASSERT_TRUE(quodra->ResetDMXAddressTo1());
  EXPECT_EQ(sim_->group('P', 'p')[5], 1);
  EXPECT_EQ(FixtureData[fd::kPersonality + 5], 0);
}

TEST_F(QuodraSimTest, ModeChangeAfterAResetDoesNotRepeatIt) {
  ASSERT_TRUE(quodra->ResetDMXAddressTo1());
  ASSERT_TRUE(quodra->SetModeSettings(4));
  EXPECT_EQ(sim_->group('P', 'p')[3], 4);
  EXPECT_EQ(sim_->group('P', 'p')[5], 0);
  EXPECT_EQ(quodra->GetDmxChannelCount(), 16);
}

TEST_F(QuodraSimTest, DynamicWaitReachesTheStandAloneSettings) {
  ASSERT_TRUE(quodra->SetDynamicWaitTimeIndex(12));
  EXPECT_EQ(sim_->group('P', 'a')[4], 12);
}

struct ChunkRow {
  const char* code;
  const char* point;  // firmware point of the profile
  int chunk;
};

void PrintTo(const ChunkRow& row, std::ostream* os) {
  *os << testName(std::string(row.code) + "_" + row.point);
}

class ChunkSimTest : public ModelSimTest, public ::testing::WithParamInterface<ChunkRow> {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    const ModelProfile& p = profile(GetParam().code, 0);
    ASSERT_NO_FATAL_FAILURE(connectTo(p, p.firmwareAt(GetParam().point)));
  }
};

TEST_P(ChunkSimTest, ReadsAlwaysTakeFourWords) {
  EXPECT_EQ(f->EepromWriteChunk(), GetParam().chunk);
  ASSERT_EQ(f->ReadEepromChunk(300), 4);
  for (int k = 0; k < 4; ++k) {
    const uint16_t word = static_cast<uint16_t>(FixtureData[fd::kEEPromWords + 2 * k] |
                                                (FixtureData[fd::kEEPromWords + 2 * k + 1] << 8));
    EXPECT_EQ(word, sim_->eepromWord(300 + k));
  }
}

TEST_P(ChunkSimTest, BlockWriteTakesTheFirmwaresChunk) {
  for (int k = 0; k < 4; ++k) {
    FixtureData[fd::kEEPromWords + 2 * k] = static_cast<uint8_t>(0xA0 + k);
    FixtureData[fd::kEEPromWords + 2 * k + 1] = 0x55;
  }
  EXPECT_EQ(f->WriteEepromBlock(300, 4, f->GetEepromSettleTime()), GetParam().chunk);
  EXPECT_EQ(sim_->eepromWord(300), 0x55A0);
  EXPECT_EQ(sim_->eepromWord(301), GetParam().chunk == 1 ? 301 : 0x55A1);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ChunkSimTest,
                         ::testing::Values(ChunkRow{"BV200", "old", 1}, ChunkRow{"BV200", "new", 4},
                                           ChunkRow{"LU150", "old", 1}, ChunkRow{"LU150", "between", 4},
                                           ChunkRow{"LU150", "boundary", 4}, ChunkRow{"LU150", "new", 4}),
                         ::testing::PrintToStringParamName());

// ---------------------------------------------------------------------------
// Error texts from the fixture

struct ErrorRow {
  const char* code;
  uint8_t subtype;
  std::vector<std::pair<size_t, uint8_t>> bytes;
  TStringList lines;
};

void PrintTo(const ErrorRow& row, std::ostream* os) {
  *os << testName(row.code + std::to_string(row.subtype));
}

class ErrorSimTest : public ModelSimTest, public ::testing::WithParamInterface<ErrorRow> {
 protected:
  void SetUp() override {
    ModelSimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(connectTo(profile(GetParam().code, GetParam().subtype)));
  }
};

TEST_P(ErrorSimTest, FixtureWithoutErrorsSaysSo) {
  ASSERT_TRUE(f->ReadErrorStatus());
  EXPECT_EQ(f->GetErrorList(), TStringList{"Fixture reports no errors"});
}

TEST_P(ErrorSimTest, ReportedFlagGivesItsLine) {
  std::vector<uint8_t> errors(15, 0);
  errors[0] = 1;
  for (auto [index, value] : GetParam().bytes) errors[index] = value;
  sim_->setGroup('P', 'e', errors);
  ASSERT_TRUE(f->ReadErrorStatus());
  EXPECT_EQ(f->GetErrorList(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ErrorSimTest,
    ::testing::Values(
        ErrorRow{"BV600", 0, {{1, 0x02}}, {"Fixture reports 1 error", "(1) ShER - Short Error"}},
        ErrorRow{"BV200", 0, {{7, 0x01}}, {"Fixture reports 1 error", "(1) RAME - RAM Error"}},
        ErrorRow{"KANDT",
                 1,
                 {{1, 0x40}},
                 {"Fixture errors\rError Flags 0x00000040", "(0x0040) POWER48V_SUPPLY_ERROR"}},
        ErrorRow{"BRALB", 0, {{8, 0x01}}, {"Fixture reports 1 error", "(1) Fan2 Over/Under Speed"}},
        ErrorRow{"BV20L", 0, {{10, 0x02}}, {"Fixture reports 1 error", "(1) External Temperature Error"}},
        ErrorRow{"BV40L",
                 0,
                 {{7, 0x82}},
                 {"Fixture reports 2 errors", "(1) Light Sensor Error", "(2) Fan1 Over/Under Speed"}},
        ErrorRow{"LU150",
                 0,
                 {{1, 0x10}},
                 {"Fixture reports 1 error", "(1) bTER - Base temperature-sense circuit error"}},
        ErrorRow{"BV60C", 0, {{3, 0x04}}, {"Fixture reports 1 error", "(1) diER - Dimmer Reset Error"}},
        ErrorRow{
            "NMB02", 0, {{1, 0x01}}, {"Fixture reports 1 error", "(1) LERR - Lamp error (doesn't strike)"}},
        ErrorRow{"RASTE",
                 0,
                 {{5, 0x08}},
                 {"Fixture reports 1 error", "(1) FOER - Focus error (can't find index)"}},
        ErrorRow{"GRB__", 0, {{9, 0x04}}, {"Fixture reports 1 error", "(1) DRER - Driver current error"}},
        ErrorRow{"GRB__", 1, {{7, 0x80}}, {"Fixture reports 1 error", "(1) F1ER - Fan 1 Feedback error"}},
        ErrorRow{"GRB__",
                 4,
                 {{9, 0x10}},
                 {"Fixture reports 1 error", "(1) rCER - Real Time Clock error (not running)"}},
        ErrorRow{"BVT12", 0, {{8, 0x10}}, {"Fixture reports 1 error", "(1) Internal fan2 feedback error"}},
        ErrorRow{"BVT12", 2, {{2, 0x20}}, {"Fixture reports 1 error", "(1) Gobo rotation reset error"}},
        ErrorRow{"BV6NS", 0, {{9, 0x01}}, {"Fixture reports 1 error", "(1) Door switch open"}},
        ErrorRow{"B12GM", 2, {{10, 0x40}}, {"Fixture reports 1 error", "(1) Slave board ram error"}}),
    ::testing::PrintToStringParamName());

// ---------------------------------------------------------------------------
// Idle ticks against the fixture

class GrobelMonitorSimTest : public ModelSimTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GrobelMonitorSimTest, MonitorValuesFromFirmwareNineOnAndTheIdleFrameAlways) {
  const ModelProfile& p = profile("GRB__", 0);
  ASSERT_NO_FATAL_FAILURE(connectTo(p, p.firmwareAt(GetParam())));
  EXPECT_TRUE(f->IdlePoll(true));
  const bool reads = std::string(GetParam()) == "monitor";
  EXPECT_EQ(requests('A', 'h'), reads ? 1 : 0);
  EXPECT_EQ(serviceFrames(), once(48, 0, 0));
  if (reads) {
    EXPECT_DOUBLE_EQ(f->GetMonitorValueB(1), 23.45);
  }
}

INSTANTIATE_TEST_SUITE_P(Firmware, GrobelMonitorSimTest, ::testing::Values("no monitor", "monitor"),
                         [](const auto& info) { return testName(info.param); });

TEST_F(ModelSimTest, LedFixtureReadsMonitorPagesWithoutSending) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("BV20L", 0)));
  EXPECT_TRUE(f->IdlePoll(true));
  EXPECT_TRUE(f->IdlePoll(true));
  EXPECT_EQ(requests('A', 'h'), 2);
  EXPECT_DOUBLE_EQ(f->GetMonitorValueC(1), -1.0);
  EXPECT_TRUE(sim_->serviceFrames().empty());
}

TEST_F(ModelSimTest, NimboReadsTemperaturesOnTheMonitorPage) {
  ASSERT_NO_FATAL_FAILURE(connectTo(profile("NMB02", 0)));
  EXPECT_TRUE(f->IdlePoll(true));
  EXPECT_EQ(requests('P', 't'), 1);
  EXPECT_EQ(serviceFrames(), once(254, 0, 0));
}

}  // namespace
