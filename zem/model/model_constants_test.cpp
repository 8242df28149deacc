// The constants of every model, one test entry per model (or per row): identification, names, DMX
// footprints, firmware thresholds, log and display flags, the stand-alone request, the personality pause,
// the scene's time fields, idle ticks, the order of a full read, and the Brevidor 600's EEPROM-held
// settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "zem/model/model_test_support.h"

namespace {

using namespace modeltest;

// ---------------------------------------------------------------------------
// Identification: the type-code table in the search loop's order

struct IdentityRow {
  const char* model;
  const char* name;
  std::function<bool(TZemFixture*)> isA;  // the class and its ancestors
};

template <class... C>
std::function<bool(TZemFixture*)> is() {
  return [](TZemFixture* f) { return (... && (dynamic_cast<C*>(f) != nullptr)); };
}

const std::vector<IdentityRow>& identityRows() {
  static const std::vector<IdentityRow> rows = {
      {"Brv600", "Brevidor 600", is<TZemFixtureBrv600_20>()},
      {"Brv200", "Brevidor 200", is<TZemFixtureBrv200_20>()},
      {"Kandrel", "Quodra", is<TZemFixtureKandrel>()},
      {"Bralin", "Bralin", is<TZemFixtureBralin>()},
      {"BV20L", "Brevidor 200 LED", is<TZemFixtureBV20L>()},
      {"BV40L", "Brevidor 400 LED Series", is<TZemFixtureBV40L, TZemFixtureBV20L>()},
      {"Lunavex", "Lunavex CMY 150", is<TZemFixtureLunavexCMY150_20, TZemFixtureBrv200_20>()},
      {"Brv600C", "Brevidor 600 Compact", is<TZemFixtureBrv600C_20, TZemFixtureBrv600_20>()},
      {"Nimbo", "Nimbo O2", is<TZemFixtureNimboO2_21>()},
      {"Rastel", "Rastel", is<TZemFixtureRastel_21>()},
      {"Grobel", "Grobel 200 CMYI", is<TZemFixtureGrobel200CMYI>()},
      {"GrobelCI", "Grobel 200 CI", is<TZemFixtureGrobel200CI, TZemFixtureGrobel200CMYI>()},
      {"Quintel", "Quintel CMYI", is<TZemFixtureQuintelCMYI, TZemFixtureGrobel200CMYI>()},
      {"Wash", "Brevidor 1200 Wash",
       [](TZemFixture* f) {
         return is<TZemFixtureBrv1200CMYIZ, TZemFixtureGrobel200CMYI>()(f) &&
                dynamic_cast<TZemFixtureBrv1200CIGZF*>(f) == nullptr;
       }},
      {"IP", "Brevidor 1200 IP", is<TZemFixtureBrv1200CIGZF, TZemFixtureBrv1200CMYIZ>()},
      {"Brv600NS", "Brevidor 600NS", is<TZemFixtureBrv600NS_CMYIZ, TZemFixtureBrv1200CMYIZ>()},
      {"GM", "Brevidor 1200GM",
       is<TZemFixtureBrv1200GM_CIGZF, TZemFixtureBrv1200CIGZF, TZemFixtureGrobel200CMYI>()},
  };
  return rows;
}

class IdentificationTest : public ModelFixture, public ::testing::WithParamInterface<size_t> {};

TEST_P(IdentificationTest, TableRowInSearchOrderMakesTheModelClass) {
  const IdentityRow& r = identityRows()[GetParam()];
  const ModelSpec& m = model(r.model);
  EXPECT_EQ(FindFixtureType(m.typeCode, m.subtype), static_cast<int>(GetParam()));
  auto f = makeModel(m);
  EXPECT_EQ(f->GetFixtureName(), r.name);
  EXPECT_TRUE(r.isA(f.get()));
}

INSTANTIATE_TEST_SUITE_P(Models, IdentificationTest, ::testing::Range<size_t>(0, 17),
                         [](const auto& info) { return std::string(identityRows()[info.param].model); });

using TypeTableTest = ModelFixture;

TEST_F(TypeTableTest, HoldsSeventeenRows) {
  EXPECT_EQ(FixtureTypeTable().size(), 17u);
}

TEST_F(TypeTableTest, OtherSubTypesAndCodesAreNotSupported) {
  for (auto [code, sub] : std::vector<std::pair<const char*, int>>{
           {"GRB__", 2}, {"BVT12", 1}, {"BV6NS", 2}, {"B12GM", 0}, {"XXXXX", 0}, {"", 0}, {"BV20", 0}}) {
    EXPECT_EQ(CreateFixtureForType(code, sub), nullptr) << code << " " << sub;
    EXPECT_EQ(FindFixtureType(code, sub), -1) << code << " " << sub;
  }
}

TEST_F(TypeTableTest, AnySubTypeRowsMatchEverySubType) {
  for (const char* code :
       {"BV600", "BV200", "KANDT", "BRALB", "BV20L", "BV40L", "LU150", "BV60C", "NMB02", "RASTE"})
    EXPECT_GE(FindFixtureType(code, 7), 0) << code;
}

// ---------------------------------------------------------------------------
// Per-model constants

struct ConstantsRow {
  const char* model;
  const char* requiredFirmware;  // as the window shows it
  Firmware minimum;              // the least firmware supported
  bool longLog;
  bool display;
  int standAloneCode;
  int personalityPause;
  int waitOffset, fadeOffset;  // scene time fields in the stand-alone program area; -1: none
};

// Parameterised tests print a row by its name or its model's.
void PrintTo(const ConstantsRow& row, std::ostream* os) {
  *os << row.model;
}

const std::vector<ConstantsRow> kConstants = {
    {"Brv200", "2.0", {2, 0, 0}, true, false, 13, 0, 9, 7},
    {"Lunavex", "2.0", {2, 0, 0}, true, false, 13, 0, 9, 7},
    {"Brv600", "2.0", {2, 0, 0}, false, false, 13, 0, 11, 9},
    {"Brv600C", "2.0", {2, 0, 0}, false, false, 13, 0, 11, 9},
    {"Grobel", "0.0 build 8", {0, 0, 8}, false, false, 13, 0, 4, 2},
    {"GrobelCI", "0.0 build 8", {0, 0, 8}, false, false, 13, 0, 4, 2},
    {"Quintel", "0.0 build 1", {0, 0, 1}, true, false, 13, 0, 4, 2},
    {"Nimbo", "2.0 build 3", {2, 0, 3}, false, false, 13, 0, 9, 7},
    {"Rastel", "2.0 build 6", {2, 0, 6}, false, false, 13, 0, 12, 10},
    {"Wash", "0.0 build 4", {0, 0, 4}, true, true, 13, 0, 4, 2},
    {"Brv600NS", "0.0 build 4", {0, 0, 4}, true, true, 13, 0, 4, 2},
    {"IP", "0.0 build 4", {0, 0, 4}, true, true, 19, 0, 4, 2},
    {"GM", "0.0 build 4", {0, 0, 4}, true, true, 19, 0, 4, 2},
    {"BV20L", "0.7", {0, 7, 0}, false, false, 13, 0, 12, 10},
    {"BV40L", "0.2 build 3", {0, 2, 3}, false, false, 13, 50, 12, 10},
    {"Bralin", "0.0", {0, 0, 0}, false, false, 13, 50, -1, -1},
    {"Kandrel", "0.0", {0, 0, 0}, false, false, 13, 50, -1, -1},
};

class ConstantsTest : public ModelFixture, public ::testing::WithParamInterface<ConstantsRow> {};

TEST_P(ConstantsTest, FieldsHoldTheModelsConstants) {
  const ConstantsRow& r = GetParam();
  auto f = makeModel(model(r.model));
  EXPECT_EQ(f->RequiredFirmwareVersion(), (r.minimum.major << 16) | (r.minimum.minor << 8) | r.minimum.build);
  EXPECT_EQ(f->LongLog(), r.longLog);
  EXPECT_EQ(f->HasDisplay(), r.display);
  EXPECT_EQ(f->StandAloneRequestCode(), r.standAloneCode);
  EXPECT_EQ(f->PersonalityWritePause(), r.personalityPause);
}

TEST_P(ConstantsTest, RequiredFirmwareText) {
  EXPECT_EQ(makeModel(model(GetParam().model))->GetRequiredFirmwareVersionText(),
            GetParam().requiredFirmware);
}

TEST_P(ConstantsTest, MinimumFirmwareIsSupported) {
  EXPECT_TRUE(makeModel(model(GetParam().model), GetParam().minimum)->IsFirmwareSupported());
}

TEST_P(ConstantsTest, FirmwareJustBelowTheMinimumIsNot) {
  const Firmware min = GetParam().minimum;
  if (min.major == 0 && min.minor == 0 && min.build == 0) {
    EXPECT_TRUE(makeModel(model(GetParam().model), min)->IsFirmwareSupported());  // every firmware fits
    return;
  }
  const uint32_t below = ((uint32_t{min.major} << 16) | (uint32_t{min.minor} << 8) | min.build) - 1;
  const Firmware fw{static_cast<uint8_t>(below >> 16), static_cast<uint8_t>(below >> 8),
                    static_cast<uint8_t>(below)};
  EXPECT_FALSE(makeModel(model(GetParam().model), fw)->IsFirmwareSupported());
}

TEST_P(ConstantsTest, LogEntriesUseTheModelsRequest) {
  auto f = makeModel(model(GetParam().model));
  std::string text;
  (void)f->FormatLogEntry(0, text);  // the scripted log is empty: only the request matters
  EXPECT_EQ(dev.calls, std::vector<std::string>{GetParam().longLog ? "GetSystemLogEntryLong(0)"
                                                                   : "GetSystemLogEntry(0)"});
}

TEST_P(ConstantsTest, VersionTextNamesTheDisplayOnlyWithADisplay) {
  auto f = makeModel(model(GetParam().model), {2, 3, 0});
  FixtureData[fd::kFixtureInfo + 8] = 1;
  FixtureData[fd::kFixtureInfo + 9] = 4;
  EXPECT_EQ(f->GetVersionText(),
            GetParam().display ? "Main CPU: Version 2.3,  Display: Version 1.4" : "Main CPU: Version 2.3");
}

TEST_P(ConstantsTest, StandAloneProgramReadAsksForTheModelsReply) {
  auto f = makeModel(model(GetParam().model));
  EXPECT_TRUE(f->ReadStandAloneProgram());
  EXPECT_EQ(dev.calls,
            std::vector<std::string>{"GetStandAlone(" + std::to_string(GetParam().standAloneCode) + ")"});
}

TEST_P(ConstantsTest, PersonalityWriteWaitsTheModelsPause) {
  auto f = makeModel(model(GetParam().model));
  EXPECT_TRUE(f->WritePersonality());
  EXPECT_EQ(dev.count("SetPersonalities(" + std::to_string(GetParam().personalityPause) + ")"), 1);
}

TEST_P(ConstantsTest, SceneTimesComeFromTheirFields) {
  const ConstantsRow& r = GetParam();
  auto f = makeModel(model(r.model));
  for (size_t k = 0; k < 30; ++k) FixtureData[fd::kStandAloneProgram + k] = static_cast<uint8_t>(k + 1);
  auto word = [](int at) { return at < 0 ? 0 : (at + 1) | ((at + 2) << 8); };  // byte k holds k + 1
  EXPECT_EQ(f->GetWaitTimeSeconds(), word(r.waitOffset));
  EXPECT_EQ(f->GetFadeTimeSeconds(), word(r.fadeOffset));
}

INSTANTIATE_TEST_SUITE_P(Models, ConstantsTest, ::testing::ValuesIn(kConstants),
                         [](const auto& info) { return std::string(info.param.model); });

// Every model that sends service frames names its page; the strip, which sends none, has the generic one.
class ServicePageTest : public ModelFixture, public ::testing::WithParamInterface<ModelSpec> {};

TEST_P(ServicePageTest, PageOfTheServiceFrames) {
  const ModelSpec& m = GetParam();
  auto f = makeModel(m);
  if (std::string(m.name) == "Kandrel") {
    EXPECT_EQ(f->GetServiceCommandPage(), 0);
    ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
    EXPECT_EQ(ui::shownMessageBoxes()[0].text, "N/A");
  } else {
    EXPECT_EQ(f->GetServiceCommandPage(), m.page);
    EXPECT_TRUE(ui::shownMessageBoxes().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ServicePageTest, ::testing::ValuesIn(allModels()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// DMX footprint and sub-type names

struct ChannelRow {
  const char* name;
  const char* model;
  int protocol, mode, subtype, channels;
};

void PrintTo(const ChannelRow& row, std::ostream* os) {
  *os << row.name;
}

class ChannelCountTest : public ModelFixture, public ::testing::WithParamInterface<ChannelRow> {};

TEST_P(ChannelCountTest, FollowsProtocolModeAndSubType) {
  const ChannelRow& r = GetParam();
  auto f = makeModel(model(r.model));
  FixtureData[fd::kPersonality + 2] = static_cast<uint8_t>(r.protocol);
  FixtureData[fd::kPersonality + 3] = static_cast<uint8_t>(r.mode);
  FixtureData[fd::kFixtureInfo + 5] = static_cast<uint8_t>(r.subtype);
  EXPECT_EQ(f->GetDmxChannelCount(), r.channels);
}

INSTANTIATE_TEST_SUITE_P(
    Models, ChannelCountTest,
    ::testing::Values(
        ChannelRow{"Brv200", "Brv200", 0, 0, 0, 7}, ChannelRow{"Lunavex", "Lunavex", 3, 0, 0, 7},
        ChannelRow{"Brv600p0", "Brv600", 0, 0, 0, 8}, ChannelRow{"Brv600p1", "Brv600", 1, 0, 0, 9},
        ChannelRow{"Brv600Cp0", "Brv600C", 0, 0, 0, 4}, ChannelRow{"Brv600Cp1", "Brv600C", 1, 0, 0, 5},
        ChannelRow{"Grobel", "Grobel", 0, 0, 0, 6}, ChannelRow{"GrobelCI", "GrobelCI", 0, 0, 1, 4},
        ChannelRow{"Quintel", "Quintel", 0, 0, 4, 6}, ChannelRow{"Nimbo", "Nimbo", 2, 0, 0, 7},
        ChannelRow{"Rastelp0", "Rastel", 0, 0, 0, 9}, ChannelRow{"Rastelp2", "Rastel", 2, 0, 0, 12},
        ChannelRow{"Wash", "Wash", 0, 0, 0, 8}, ChannelRow{"Brv600NS", "Brv600NS", 0, 0, 0, 8},
        ChannelRow{"IP", "IP", 0, 0, 2, 17}, ChannelRow{"GM", "GM", 0, 0, 2, 17},
        ChannelRow{"BV20Lp0", "BV20L", 0, 0, 0, 5}, ChannelRow{"BV20Lp1", "BV20L", 1, 0, 0, 3},
        ChannelRow{"BV20Lp2", "BV20L", 2, 0, 0, 3}, ChannelRow{"BV20Lp3", "BV20L", 3, 0, 0, 4},
        ChannelRow{"BV20Lp4", "BV20L", 4, 0, 0, 1}, ChannelRow{"BV20Lp9", "BV20L", 9, 0, 0, 1},
        ChannelRow{"BV40Lp0", "BV40L", 0, 0, 0, 5}, ChannelRow{"BV40Lp3", "BV40L", 3, 0, 0, 5},
        ChannelRow{"Bralinp0", "Bralin", 0, 0, 0, 4}, ChannelRow{"Bralinp1", "Bralin", 1, 0, 0, 3},
        ChannelRow{"Bralinp2", "Bralin", 2, 0, 0, 3}, ChannelRow{"Bralinp3", "Bralin", 3, 0, 0, 4},
        ChannelRow{"Bralinp4", "Bralin", 4, 0, 0, 1}, ChannelRow{"Quodra1200p3m1", "Kandrel", 3, 1, 1, 4},
        ChannelRow{"Quodra1200p3m2", "Kandrel", 3, 2, 1, 8},
        ChannelRow{"Quodra1200p3m4", "Kandrel", 3, 4, 1, 16},
        ChannelRow{"Quodra1200p0m1", "Kandrel", 0, 1, 1, 3},
        ChannelRow{"Quodra1200p0m2", "Kandrel", 0, 2, 1, 6},
        ChannelRow{"Quodra1200p0m4", "Kandrel", 0, 4, 1, 12},
        ChannelRow{"Quodra1200p3m3", "Kandrel", 3, 3, 1, 4},
        ChannelRow{"Quodra1200p0m3", "Kandrel", 0, 3, 1, 3},
        ChannelRow{"Quodra1200p2m0", "Kandrel", 2, 0, 1, 3}, ChannelRow{"Quodra300p3", "Kandrel", 3, 4, 0, 4},
        ChannelRow{"Quodra300p0", "Kandrel", 0, 4, 0, 3}, ChannelRow{"Quodra300p4", "Kandrel", 4, 4, 0, 3},
        ChannelRow{"QuodraUnknownp3", "Kandrel", 3, 4, 7, 3},
        ChannelRow{"QuodraSubType2p3", "Kandrel", 3, 2, 2, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TypeTableTest, QuodraSubTypeNames) {
  auto f = makeModel(model("Kandrel"));
  for (auto [sub, name] : std::vector<std::pair<int, const char*>>{
           {0, "Quodra 300"}, {1, "Quodra 1200"}, {2, "Quodra ?"}, {7, "Quodra ?"}}) {
    FixtureData[fd::kFixtureInfo + 5] = static_cast<uint8_t>(sub);
    EXPECT_EQ(f->GetFixtureSubTypeName(), name);
  }
}

TEST_F(TypeTableTest, OtherModelsHaveTheGenericSubTypeName) {
  EXPECT_EQ(makeModel(model("Brv200"))->GetFixtureSubTypeName(), "Generic ZEM Fixture");
}

// ---------------------------------------------------------------------------
// Firmware thresholds: EEPROM write chunk and the sense of the DMX-reset bit

struct ThresholdRow {
  const char* name;
  const char* model;
  Firmware fw;
  int chunk;
  bool inverted;  // the DMX-reset bit set means off
};

void PrintTo(const ThresholdRow& row, std::ostream* os) {
  *os << row.name;
}

class FirmwareThresholdTest : public ModelFixture, public ::testing::WithParamInterface<ThresholdRow> {};

TEST_P(FirmwareThresholdTest, ChunkFollowsTheFirmware) {
  auto f = makeModel(model(GetParam().model), GetParam().fw);
  EXPECT_EQ(f->EepromWriteChunk(), GetParam().chunk);
  EXPECT_EQ(f->WriteEepromBlock(10, 9, 5), GetParam().chunk);
}

TEST_P(FirmwareThresholdTest, DmxResetBitReadsInTheFirmwaresSense) {
  auto f = makeModel(model(GetParam().model), GetParam().fw);
  FixtureData[fd::kPersonality + 6] = 0x02;
  EXPECT_EQ(f->GetDMXReset(), GetParam().inverted ? 0 : 1);
  FixtureData[fd::kPersonality + 6] = 0x00;
  EXPECT_EQ(f->GetDMXReset(), GetParam().inverted ? 1 : 0);
}

TEST_P(FirmwareThresholdTest, SwitchingDmxResetOnWritesTheBitInTheFirmwaresSense) {
  auto f = makeModel(model(GetParam().model), GetParam().fw);
  dev.remote[fd::kPersonality + 6] = 0x00;  // the fixture holds the bit clear
  EXPECT_TRUE(f->SetDMXReset(1));
  EXPECT_EQ(dev.count("SetPersonalities"), GetParam().inverted ? 0 : 1);
  EXPECT_EQ(dev.remote[fd::kPersonality + 6], GetParam().inverted ? 0x00 : 0x02);
  EXPECT_EQ(f->GetDMXReset(), 1);
}

TEST_P(FirmwareThresholdTest, SwitchingDmxResetOffWritesTheBitInTheFirmwaresSense) {
  auto f = makeModel(model(GetParam().model), GetParam().fw);
  dev.remote[fd::kPersonality + 6] = 0x00;
  EXPECT_TRUE(f->SetDMXReset(0));
  EXPECT_EQ(dev.remote[fd::kPersonality + 6], GetParam().inverted ? 0x02 : 0x00);
  EXPECT_EQ(f->GetDMXReset(), 0);
}

INSTANTIATE_TEST_SUITE_P(Models, FirmwareThresholdTest,
                         ::testing::Values(ThresholdRow{"Brv200_2_3_0", "Brv200", {2, 3, 0}, 1, true},
                                           ThresholdRow{"Brv200_2_3_1", "Brv200", {2, 3, 1}, 4, false},
                                           ThresholdRow{"Brv200_2_2_9", "Brv200", {2, 2, 9}, 1, true},
                                           ThresholdRow{"Brv200_2_4_0", "Brv200", {2, 4, 0}, 4, false},
                                           ThresholdRow{"Lunavex_2_1_0", "Lunavex", {2, 1, 0}, 1, true},
                                           ThresholdRow{"Lunavex_2_2_0", "Lunavex", {2, 2, 0}, 1, true},
                                           ThresholdRow{"Lunavex_2_2_1", "Lunavex", {2, 2, 1}, 4, false},
                                           ThresholdRow{"Lunavex_2_2_5", "Lunavex", {2, 2, 5}, 4, false},
                                           ThresholdRow{"Lunavex_2_3_0", "Lunavex", {2, 3, 0}, 4, false},
                                           ThresholdRow{"Lunavex_2_3_1", "Lunavex", {2, 3, 1}, 4, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TypeTableTest, ListIndexOfAStoredByte) {
  const std::vector<std::pair<int, int>> rows = {{0, 0},   {14, 0},  {15, 1},   {34, 1},   {35, 2},
                                                 {134, 6}, {135, 7}, {234, 11}, {235, 12}, {255, 12}};
  for (auto [value, index] : rows) {
    EXPECT_EQ(TZemFixtureBrv200_20::Brv200ValueToIndex(value), index) << value;
    EXPECT_EQ(TZemFixtureNimboO2_21::NimboValueToIndex(value), index) << value;
  }
  EXPECT_THROW(TZemFixtureBrv200_20::Brv200ValueToIndex(256), ERangeError);
}

// ---------------------------------------------------------------------------
// Idle ticks: what each model reads and sends on a tick with nothing to write

struct IdleRow {
  const char* name;
  const char* model;
  Firmware fw;
  bool monitorPage;
  std::vector<std::string> calls;  // device operations in order
  bool idleFlag;                   // MP2Idle raised around the frame
};

void PrintTo(const IdleRow& row, std::ostream* os) {
  *os << row.name;
}

class IdleTest : public ModelFixture, public ::testing::WithParamInterface<IdleRow> {};

TEST_P(IdleTest, ReadsAndSendsWhatTheModelDoes) {
  const IdleRow& r = GetParam();
  auto f = makeModel(model(r.model), r.fw);
  EXPECT_TRUE(f->IdlePoll(r.monitorPage));
  EXPECT_EQ(dev.calls, r.calls);
  const bool monitor = dev.count("GetHardwareMonitorValues") > 0;
  EXPECT_EQ(f->MonitorPage(), monitor ? 1 : 0);
  for (bool raised : dev.frameMP2Idle) EXPECT_EQ(raised, r.idleFlag);
  EXPECT_FALSE(MP2Idle);
}

const std::vector<std::string> kFrame = {"SendMP2Command"};
const std::vector<std::string> kMonitor = {"GetHardwareMonitorValues(1)"};

INSTANTIATE_TEST_SUITE_P(
    Models, IdleTest,
    ::testing::Values(
        IdleRow{"Brv200Monitor", "Brv200", kNewFirmware, true, kFrame, true},
        IdleRow{"Brv600Monitor", "Brv600", kNewFirmware, true, kFrame, true},
        IdleRow{"GrobelFirmware8", "Grobel", {0, 0, 8}, true, kFrame, true},
        IdleRow{"GrobelFirmware9",
                "Grobel",
                {0, 0, 9},
                true,
                {"GetHardwareMonitorValues(1)", "SendMP2Command"},
                true},
        IdleRow{"GrobelOffTheMonitorPage", "Grobel", {0, 0, 9}, false, kFrame, true},
        IdleRow{
            "IPFirmware9", "IP", {0, 0, 9}, true, {"GetHardwareMonitorValues(1)", "SendMP2Command"}, true},
        IdleRow{"NimboMonitor", "Nimbo", kNewFirmware, true, {"GetDuplexTempValues", "SendMP2Command"}, true},
        IdleRow{"NimboOffTheMonitorPage", "Nimbo", kNewFirmware, false, kFrame, true},
        IdleRow{
            "RastelMonitor", "Rastel", kNewFirmware, true, {"GetDuplexTempValues", "SendMP2Command"}, true},
        IdleRow{"BV20LMonitor", "BV20L", kNewFirmware, true, kMonitor, false},
        IdleRow{"BralinMonitor", "Bralin", kNewFirmware, true, kMonitor, false},
        IdleRow{"BralinOffTheMonitorPage", "Bralin", kNewFirmware, false, {}, false},
        IdleRow{"KandrelMonitor", "Kandrel", kNewFirmware, true, kMonitor, false},
        IdleRow{"KandrelOffTheMonitorPage", "Kandrel", kNewFirmware, false, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The LED fixtures send their idle frame on every fourth tick off the monitor page; the count is shared by
// every LED fixture object and never reset.
using LedIdleTest = ModelFixture;

// The count starts at 0 with the program: a program of its own shows where the first frame falls.
TEST_F(LedIdleTest, FirstFrameAtTheFourthTickAfterTheProgramStarts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child runs afresh, its count at 0
  EXPECT_EXIT(
      {
        auto bv20 = makeModel(model("BV20L"));
        for (int tick = 1; tick <= 3; ++tick) (void)bv20->IdlePoll(false);
        const bool quietBefore = dev.frames.empty();
        (void)bv20->IdlePoll(false);
        std::exit(quietBefore && dev.frames.size() == 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(LedIdleTest, FrameEveryFourthTickOffTheMonitorPageAcrossObjects) {
  auto bv20 = makeModel(model("BV20L"));
  // The counter is shared and never reset: find where it stands first.
  int ticks = 0;
  while (dev.frames.empty() && ticks < 4) {
    EXPECT_TRUE(bv20->IdlePoll(false));
    ++ticks;
  }
  ASSERT_EQ(dev.frames.size(), 1u);
  dev.frames.clear();
  std::vector<int> sentAt;
  for (int tick = 1; tick <= 8; ++tick) {
    if (tick == 3) bv20 = makeModel(model("BV40L"));  // a new fixture continues the count
    const size_t before = dev.frames.size();
    EXPECT_TRUE(bv20->IdlePoll(false));
    EXPECT_TRUE(bv20->IdlePoll(true));  // the monitor page does not count
    if (dev.frames.size() > before) sentAt.push_back(tick);
  }
  EXPECT_EQ(sentAt, (std::vector<int>{4, 8}));
  EXPECT_EQ(sent(), (Frames{{48, 0, 0}, {48, 0, 0}}));
  EXPECT_EQ(dev.frameMP2Idle, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(dev.count("GetHardwareMonitorValues"), 8);
}

// ---------------------------------------------------------------------------
// A full read: the records in the model's order, with its progress positions

const std::vector<std::string> kStandardReads = {
    "GetFixtureInfo",        "GetFixtureZemVersion", "GetLampStatus",
    "GetSystemCalibration",  "GetDuplexErrorStatus", "GetPersonalities",
    "GetStandAloneSettings", "GetTimerSettings",     "GetSensorTriggerSettings"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Positions 1..count of total, then the closing positions.
std::vector<std::pair<int, int>> progress(int count, int total, std::vector<std::pair<int, int>> closing) {
  std::vector<std::pair<int, int>> out;
  for (int k = 1; k <= count; ++k) out.emplace_back(k, total);
  out.insert(out.end(), closing.begin(), closing.end());
  return out;
}

struct ReadAllRow {
  const char* model;
  std::vector<std::string> calls;
  std::vector<std::pair<int, int>> progress;
};

void PrintTo(const ReadAllRow& row, std::ostream* os) {
  *os << row.model;
}

std::vector<ReadAllRow> readAllRows() {
  const auto standard = kStandardReads + std::vector<std::string>{"GetStandAlone(13)"};
  const auto grobelShort = std::vector<std::string>{"GetFixtureInfo", "GetSystemLogEntry(0)"} +
                           std::vector<std::string>(kStandardReads.begin() + 1, kStandardReads.end());
  const auto brv600 = std::vector<std::string>{
      "GetFixtureInfo",       "GetFixtureZemVersion", "GetLampStatus",    "GetSystemCalibration",
      "GetDuplexErrorStatus", "GetPersonalities",     "ReadEEProm(28,1)", "GetEffectCalibration(0)",
      "ReadEEProm(78,1)",     "ReadEEProm(38,1)",     "ReadEEProm(77,1)", "ReadEEProm(62,1)",
      "ReadEEProm(63,1)",     "ReadEEProm(64,1)",     "ReadEEProm(65,1)", "ReadEEProm(66,1)",
      "ReadEEProm(94,1)",     "ReadEEProm(95,1)",     "ReadEEProm(96,1)", "ReadEEProm(97,1)",
      "ReadEEProm(60,1)",     "ReadEEProm(61,1)",     "GetStandAlone(13)"};
  const auto nimbo = std::vector<std::string>{
      "GetFixtureInfo",       "GetFixtureZemVersion", "GetLampStatus",         "GetSystemCalibration",
      "GetDuplexErrorStatus", "GetPersonalities",     "GetStandAloneSettings", "GetStandAlone(13)"};
  std::vector<std::string> leds = {"GetPCBSerialNumber"};
  for (int i = 0; i < 5; ++i) {
    leds.push_back("GetLEDDescription(" + std::to_string(i) + ")");
    leds.push_back("GetLEDDescriptionData(" + std::to_string(i) + ")");
  }
  // The log loop of the Grobel family ends at the first entry (the scripted one is not valid).
  const auto grobelProgress = progress(10, 11, {{11, 11}});
  return {
      {"Brv200", standard, progress(9, 10, {{10, 10}})},
      {"Lunavex", standard, progress(9, 10, {{10, 10}})},
      {"Brv600", brv600, progress(22, 23, {{23, 23}})},
      {"Brv600C", brv600, progress(22, 23, {{23, 23}})},
      {"Grobel", grobelShort + std::vector<std::string>{"GetStandAlone(13)", "GetSystemLogEntry(0)"},
       grobelProgress},
      {"GrobelCI", grobelShort + std::vector<std::string>{"GetStandAlone(13)", "GetSystemLogEntry(0)"},
       grobelProgress},
      {"Quintel", grobelShort + std::vector<std::string>{"GetStandAlone(13)", "GetSystemLogEntryLong(0)"},
       grobelProgress},
      {"Wash", grobelShort + std::vector<std::string>{"GetStandAlone(13)", "GetSystemLogEntryLong(0)"},
       grobelProgress},
      {"Brv600NS", grobelShort + std::vector<std::string>{"GetStandAlone(13)", "GetSystemLogEntryLong(0)"},
       grobelProgress},
      {"IP", grobelShort + std::vector<std::string>{"GetStandAlone(19)", "GetSystemLogEntryLong(0)"},
       grobelProgress},
      {"GM", grobelShort + std::vector<std::string>{"GetStandAlone(19)", "GetSystemLogEntryLong(0)"},
       grobelProgress},
      {"Nimbo", nimbo, progress(7, 8, {{8, 8}})},
      {"Rastel", nimbo, progress(7, 8, {{8, 8}})},
      {"BV20L", standard, progress(9, 10, {{10, 10}})},
      {"BV40L", standard + leds,
       progress(9, 15, {{10, 15}, {11, 15}, {12, 15}, {13, 15}, {14, 15}, {15, 15}, {15, 15}})},
  };
}

class ReadAllTest : public ModelFixture, public ::testing::WithParamInterface<ReadAllRow> {};

TEST_P(ReadAllTest, ReadsTheRecordsInTheModelsOrder) {
  const ReadAllRow& r = GetParam();
  auto f = makeModel(model(r.model));
  dev.logEntries[0] = {};  // an empty log: the count read answers 0 entries
  ProgressLog log;
  EXPECT_TRUE(f->ReadAllFixtureData(log.callback()));
  EXPECT_EQ(dev.calls, r.calls);
  EXPECT_EQ(log.calls, r.progress);
}

TEST_P(ReadAllTest, WithoutDeviceReadsNothing) {
  auto f = makeModel(model(GetParam().model));
  Device = nullptr;
  ProgressLog log;
  EXPECT_FALSE(f->ReadAllFixtureData(log.callback()));
  EXPECT_TRUE(log.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Models, ReadAllTest, ::testing::ValuesIn(readAllRows()),
                         [](const auto& info) { return std::string(info.param.model); });

// The tube and the strip read the main unit, then scan the chain of sub-devices.
struct ChainReadRow {
  const char* model;
  std::vector<std::string> calls;  // the main unit's reads and the scan of a one-segment chain
};

void PrintTo(const ChainReadRow& row, std::ostream* os) {
  *os << row.model;
}

class ChainReadAllTest : public ModelFixture, public ::testing::WithParamInterface<ChainReadRow> {};

TEST_P(ChainReadAllTest, ReadsTheMainUnitThenScansTheChain) {
  ChainDevice chain;
  chain.segments = 1;
  Device = &chain;
  auto f = makeModel(model(GetParam().model));
  ProgressLog log;
  EXPECT_TRUE(f->ReadAllFixtureData(log.callback()));
  EXPECT_EQ(chain.calls, GetParam().calls);
  EXPECT_EQ(log.calls, progress(10, 12, {{12, 12}}));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ChainReadAllTest,
    // The tube reads each segment's personality while it is selected; the strip only counts them.
    ::testing::Values(
        ChainReadRow{"Bralin",
                     {"GetFixtureInfo", "SetSubdevice(0,0)", "GetFixtureZemVersion", "GetLampStatus",
                      "GetDuplexErrorStatus", "GetPersonalities", "SetSubdevice(1,1)", "GetPersonalities",
                      "SetSubdevice(2,1)", "SetSubdevice(0,1)", "GetPersonalities"}},
        ChainReadRow{"Kandrel",
                     {"GetFixtureInfo", "SetSubdevice(0,0)", "GetFixtureZemVersion", "GetLampStatus",
                      "GetDuplexErrorStatus", "GetPersonalities", "GetStandAloneSettings",
                      "SetSubdevice(1,1)", "SetSubdevice(2,1)", "SetSubdevice(0,1)", "GetPersonalities"}}),
    [](const auto& info) { return std::string(info.param.model); });

// ---------------------------------------------------------------------------
// Brevidor 600: settings kept in single EEPROM words

struct EepromSettingRow {
  const char* name;
  int address;  // also the service function that changes it
  size_t record;
  int (TZemFixture::*get)();
  bool (TZemFixture::*set)(int);
  bool word;
};

void PrintTo(const EepromSettingRow& row, std::ostream* os) {
  *os << row.name;
}

const std::vector<EepromSettingRow> kBrv600Settings = {
    {"QZLLampOff", 28, 265, &TZemFixture::GetQZLLampOff, &TZemFixture::SetQZLLampOff, false},
    {"StandAloneMode", 78, 266, &TZemFixture::GetStandAloneMode, &TZemFixture::SetStandAloneMode, false},
    {"MasterSlave", 77, 267, &TZemFixture::GetMasterSlaveSetting, &TZemFixture::SetMasterSlaveSetting, false},
    {"AutoProgramOn", 38, 268, &TZemFixture::GetAutoProgramOn, &TZemFixture::SetAutoProgramOn, false},
    {"TimerMode", 62, 269, &TZemFixture::GetTimerMode, &TZemFixture::SetTimerMode, false},
    {"Timer1StartHour", 63, 270, &TZemFixture::GetTimer1StartHour, &TZemFixture::SetTimer1StartHour, false},
    {"Timer1StartMinute", 64, 271, &TZemFixture::GetTimer1StartMinute, &TZemFixture::SetTimer1StartMinute,
     false},
    {"Timer1StopHour", 65, 272, &TZemFixture::GetTimer1StopHour, &TZemFixture::SetTimer1StopHour, false},
    {"Timer1StopMinute", 66, 273, &TZemFixture::GetTimer1StopMinute, &TZemFixture::SetTimer1StopMinute,
     false},
    {"Timer2StartHour", 94, 274, &TZemFixture::GetTimer2StartHour, &TZemFixture::SetTimer2StartHour, false},
    {"Timer2StartMinute", 95, 275, &TZemFixture::GetTimer2StartMinute, &TZemFixture::SetTimer2StartMinute,
     false},
    {"Timer2StopHour", 96, 276, &TZemFixture::GetTimer2StopHour, &TZemFixture::SetTimer2StopHour, false},
    {"Timer2StopMinute", 97, 277, &TZemFixture::GetTimer2StopMinute, &TZemFixture::SetTimer2StopMinute,
     false},
    {"SensorTriggerLevel", 60, 278, &TZemFixture::GetSensorTriggerLevel, &TZemFixture::SetSensorTriggerLevel,
     false},
    {"SensorTriggerWord", 61, 280, &TZemFixture::GetSensorTriggerWord, &TZemFixture::SetSensorTriggerWord,
     true},
};

class Brv600SettingTest : public OneModelTest, public ::testing::WithParamInterface<EepromSettingRow> {
 protected:
  Brv600SettingTest() : OneModelTest("Brv600") {}
};

TEST_P(Brv600SettingTest, FullReadCopiesTheWordIntoTheRecord) {
  const EepromSettingRow& r = GetParam();
  const int value = r.word ? 0x1234 : 0x5A;
  dev.eeprom[r.address] = static_cast<uint16_t>(value);
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(((*f).*r.get)(), value);
  EXPECT_EQ(FixtureData[r.record], value & 0xFF);
  if (r.word) {
    EXPECT_EQ(FixtureData[r.record + 1], value >> 8);
  }
}

TEST_P(Brv600SettingTest, NewValueGoesOutAsItsAddressThenIsReadBackAfter100Ms) {
  const EepromSettingRow& r = GetParam();
  dev.eeprom[r.address] = 9;  // the fixture takes the new value
  const uint32_t before = sys::tickCount();
  EXPECT_TRUE(((*f).*r.set)(9));
  EXPECT_EQ(sys::tickCount() - before, 100u);
  EXPECT_EQ(sent(), send(r.address, 9, 44));
  for (const auto& raw : dev.frames) expectFrameLayout(raw, 0x8B, "BV600", 237);
  EXPECT_EQ(dev.calls.back(), "ReadEEProm(" + std::to_string(r.address) + ",1)");
  EXPECT_EQ(((*f).*r.get)(), 9);
}

TEST_P(Brv600SettingTest, ValueAlreadyCopiedSendsNothing) {
  const EepromSettingRow& r = GetParam();
  FixtureData[r.record] = 7;
  EXPECT_TRUE(((*f).*r.set)(7));
  EXPECT_TRUE(dev.calls.empty());
}

TEST_P(Brv600SettingTest, FixtureThatDidNotTakeItKeepsShowingItsOwnValue) {
  const EepromSettingRow& r = GetParam();
  EXPECT_TRUE(((*f).*r.set)(1));
  EXPECT_EQ(((*f).*r.get)(), 0);
}

INSTANTIATE_TEST_SUITE_P(Brv600, Brv600SettingTest, ::testing::ValuesIn(kBrv600Settings),
                         [](const auto& info) { return std::string(info.param.name); });

using Brv600Test = ModelFixture;

TEST_F(Brv600Test, RearmWaits250MsThenReadsTheTriggerWord) {
  auto f = makeModel(model("Brv600"));
  dev.eeprom[61] = 1234;
  const uint32_t before = sys::tickCount();
  EXPECT_TRUE(f->RearmSensorTrigger());
  EXPECT_EQ(sys::tickCount() - before, 250u);
  EXPECT_EQ(dev.calls.back(), "ReadEEProm(61,1)");
  EXPECT_EQ(f->GetSensorTriggerWord(), 1234);
}

TEST_F(Brv600Test, ProtocolChangeReadsThePersonalityBack) {
  auto f = makeModel(model("Brv600"));
  dev.remote[fd::kPersonality + 2] = 1;
  EXPECT_TRUE(f->SetDmxProtocol(1));
  EXPECT_EQ(dev.calls.back(), "GetPersonalities");
  EXPECT_EQ(f->GetDmxProtocol(), 1);
  EXPECT_EQ(f->GetDmxChannelCount(), 9);
}

}  // namespace
