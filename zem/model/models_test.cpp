// The model classes over a scripted device: constants, class tree, error texts, log decoding, address
// lists, and the failure paths that are hard to provoke in the simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/message_box.h"
#include "zem/model/fake_device.h"
#include "zem/model/model_support.h"
#include "zem/model/uZemModels.h"

namespace {

using zemtest::FakeDevice;

using Factory = std::function<TZemFixture*()>;
template <class M>
Factory factory() {
  return [] { return new M(); };
}

void setTypeAndFirmware(const char* code, uint8_t subtype, uint8_t major, uint8_t minor, uint8_t build) {
  std::memcpy(&FixtureData[fd::kFixtureInfo], code, std::strlen(code));
  FixtureData[fd::kFixtureInfo + 5] = subtype;
  FixtureData[fd::kFixtureInfo + 6] = major;
  FixtureData[fd::kFixtureInfo + 7] = minor;
  FixtureData[fd::kFixtureInfo + 13] = build;
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitZemData();
    ui::clearShownMessageBoxes();
    Device = &dev;
  }
  void TearDown() override {
    Device = nullptr;
    CurrentFixture = nullptr;
    InitZemData();
  }
  // Service frames as (function, value, argument).
  std::vector<std::array<int, 3>> sent() const {
    std::vector<std::array<int, 3>> out;
    for (const auto& f : dev.frames) out.push_back({f[11], f[12] * 256 + f[13], f[15]});
    return out;
  }
  sys::ScopedVirtualClock clock;
  FakeDevice dev;
};

// ---------------------------------------------------------------------------
// Identification table and class tree

TEST_F(ModelTest, TypeCodeTableChoosesEveryModelInTheSearchOrder) {
  struct Row {
    const char* code;
    int subtype;
    const char* name;
    std::function<bool(TZemFixture*)> isA;  // the class and its ancestors
  };
  const std::vector<Row> rows = {
      {"BV600", 7, "Brevidor 600", [](TZemFixture* f) { return dynamic_cast<TZemFixtureBrv600_20*>(f); }},
      {"BV200", 0, "Brevidor 200", [](TZemFixture* f) { return dynamic_cast<TZemFixtureBrv200_20*>(f); }},
      {"KANDT", 1, "Quodra", [](TZemFixture* f) { return dynamic_cast<TZemFixtureKandrel*>(f); }},
      {"BRALB", 0, "Bralin", [](TZemFixture* f) { return dynamic_cast<TZemFixtureBralin*>(f); }},
      {"BV20L", 0, "Brevidor 200 LED", [](TZemFixture* f) { return dynamic_cast<TZemFixtureBV20L*>(f); }},
      {"BV40L", 0, "Brevidor 400 LED Series",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBV40L*>(f) && dynamic_cast<TZemFixtureBV20L*>(f);
       }},
      {"LU150", 0, "Lunavex CMY 150",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureLunavexCMY150_20*>(f) && dynamic_cast<TZemFixtureBrv200_20*>(f);
       }},
      {"BV60C", 0, "Brevidor 600 Compact",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBrv600C_20*>(f) && dynamic_cast<TZemFixtureBrv600_20*>(f);
       }},
      {"NMB02", 0, "Nimbo O2", [](TZemFixture* f) { return dynamic_cast<TZemFixtureNimboO2_21*>(f); }},
      {"RASTE", 0, "Rastel", [](TZemFixture* f) { return dynamic_cast<TZemFixtureRastel_21*>(f); }},
      {"GRB__", 0, "Grobel 200 CMYI",
       [](TZemFixture* f) { return dynamic_cast<TZemFixtureGrobel200CMYI*>(f); }},
      {"GRB__", 1, "Grobel 200 CI",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureGrobel200CI*>(f) && dynamic_cast<TZemFixtureGrobel200CMYI*>(f);
       }},
      {"GRB__", 4, "Quintel CMYI",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureQuintelCMYI*>(f) && dynamic_cast<TZemFixtureGrobel200CMYI*>(f);
       }},
      {"BVT12", 0, "Brevidor 1200 Wash",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBrv1200CMYIZ*>(f) && dynamic_cast<TZemFixtureGrobel200CMYI*>(f) &&
                !dynamic_cast<TZemFixtureBrv1200CIGZF*>(f);
       }},
      {"BVT12", 2, "Brevidor 1200 IP",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBrv1200CIGZF*>(f) && dynamic_cast<TZemFixtureBrv1200CMYIZ*>(f);
       }},
      {"BV6NS", 0, "Brevidor 600NS",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBrv600NS_CMYIZ*>(f) && dynamic_cast<TZemFixtureBrv1200CMYIZ*>(f);
       }},
      {"B12GM", 2, "Brevidor 1200GM",
       [](TZemFixture* f) {
         return dynamic_cast<TZemFixtureBrv1200GM_CIGZF*>(f) && dynamic_cast<TZemFixtureBrv1200CIGZF*>(f) &&
                dynamic_cast<TZemFixtureGrobel200CMYI*>(f);
       }},
  };
  ASSERT_EQ(FixtureTypeTable().size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(FindFixtureType(rows[i].code, rows[i].subtype), static_cast<int>(i));
    std::unique_ptr<TZemFixture> f(CreateFixtureForType(rows[i].code, rows[i].subtype));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetFixtureName(), rows[i].name);
    EXPECT_TRUE(rows[i].isA(f.get()));
  }
  for (auto [code, sub] : std::vector<std::pair<const char*, int>>{
           {"GRB__", 2}, {"BVT12", 1}, {"BV6NS", 2}, {"B12GM", 0}, {"XXXXX", 0}, {"", 0}, {"BV20", 0}}) {
    EXPECT_EQ(CreateFixtureForType(code, sub), nullptr) << code << " " << sub;
  }
}

// ---------------------------------------------------------------------------
// Constants

TEST_F(ModelTest, ModelConstantsAndAddressLists) {
  struct Row {
    const char* label;
    Factory make;
    int channels;  // with DMX protocol 0
    int lastAddress;
    int page;
    int32_t requiredFirmware;
    bool longLog;
    bool display;
    int standAloneCode;
    int pause;
    int settle;
    int resetDelay;
    size_t standAlone, settings, complete;
    int firstStandAlone, lastStandAlone;
  };
  const std::vector<Row> rows = {
      {"BV200", factory<TZemFixtureBrv200_20>(), 7, 1023, 100, 0x020000, true, false, 13, 0, 150, 0, 246, 753,
       999, 300, 545},
      {"LU150", factory<TZemFixtureLunavexCMY150_20>(), 7, 1023, 100, 0x020000, true, false, 13, 0, 150, 0,
       246, 753, 999, 300, 545},
      {"BV600", factory<TZemFixtureBrv600_20>(), 8, 255, 237, 0x020000, false, false, 13, 0, 150, 0, 100, 123,
       223, 109, 208},
      {"BV60C", factory<TZemFixtureBrv600C_20>(), 4, 255, 237, 0x020000, false, false, 13, 0, 150, 0, 100,
       123, 223, 109, 208},
      {"GRB0", factory<TZemFixtureGrobel200CMYI>(), 6, 1051, 100, 8, false, false, 13, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"GRB1", factory<TZemFixtureGrobel200CI>(), 4, 1051, 100, 8, false, false, 13, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"GRB4", factory<TZemFixtureQuintelCMYI>(), 6, 1051, 100, 1, true, false, 13, 0, 150, 0, 322, 696, 1018,
       62, 447},
      {"NMB02", factory<TZemFixtureNimboO2_21>(), 7, 1023, 100, 0x020003, false, false, 13, 0, 150, 0, 246,
       755, 1001, 300, 545},
      {"RASTE", factory<TZemFixtureRastel_21>(), 9, 1023, 100, 0x020006, false, false, 13, 0, 150, 0, 286,
       715, 1001, 300, 585},
      {"BVT12/0", factory<TZemFixtureBrv1200CMYIZ>(), 8, 1051, 100, 4, true, true, 13, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"BV6NS", factory<TZemFixtureBrv600NS_CMYIZ>(), 8, 1051, 100, 4, true, true, 13, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"BVT12/2", factory<TZemFixtureBrv1200CIGZF>(), 17, 1051, 100, 4, true, true, 19, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"B12GM", factory<TZemFixtureBrv1200GM_CIGZF>(), 17, 1051, 100, 4, true, true, 19, 0, 150, 0, 322, 696,
       1018, 62, 447},
      {"BV20L", factory<TZemFixtureBV20L>(), 5, 2047, 100, 0x000700, false, false, 13, 0, 5, 10000, 1280, 4,
       0, 256, 1535},
      {"BV40L", factory<TZemFixtureBV40L>(), 5, 2047, 100, 0x000203, false, false, 13, 50, 5, 10000, 1280, 4,
       0, 256, 1535},
      {"BRALB", factory<TZemFixtureBralin>(), 4, 2047, 100, 0, false, false, 13, 50, 150, 0, 0, 0, 0, -1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label);
    std::unique_ptr<TZemFixture> f(r.make());
    EXPECT_EQ(f->GetDmxChannelCount(), r.channels);
    EXPECT_EQ(f->GetMaxMemoryAddress(), r.lastAddress);
    EXPECT_EQ(f->GetServiceCommandPage(), r.page);
    EXPECT_EQ(f->RequiredFirmwareVersion(), r.requiredFirmware);
    EXPECT_EQ(f->LongLog(), r.longLog);
    EXPECT_EQ(f->HasDisplay(), r.display);
    EXPECT_EQ(f->StandAloneRequestCode(), r.standAloneCode);
    EXPECT_EQ(f->PersonalityWritePause(), r.pause);
    EXPECT_EQ(f->GetEepromSettleTime(), r.settle);
    EXPECT_EQ(f->GetResetOKDelay(), r.resetDelay);
    TAddressList sa{99999}, settings{99999}, complete{99999};
    f->GetStandAloneAddressList(sa);
    f->GetSettingsAddressList(settings);
    f->GetMemoryAddressList(complete);
    EXPECT_EQ(sa.size(), r.standAlone);
    EXPECT_EQ(settings.size(), r.settings);
    EXPECT_EQ(complete.size(), r.complete);
    if (!sa.empty()) {
      EXPECT_EQ(sa.front(), r.firstStandAlone);
      EXPECT_EQ(sa.back(), r.lastStandAlone);
    }
    for (const TAddressList* list : {&sa, &settings, &complete}) {
      EXPECT_TRUE(std::is_sorted(list->begin(), list->end()));
      for (int a : *list) ASSERT_TRUE(a >= 0 && a <= r.lastAddress) << a;
    }
    EXPECT_TRUE(ui::shownMessageBoxes().empty());  // every model that sends frames names its page
  }
  TZemFixtureKandrel quodra;  // no memory image, nothing to upload
  TAddressList list{7};
  quodra.GetMemoryAddressList(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(quodra.GetMaxMemoryAddress(), -1);
  EXPECT_EQ(quodra.RequiredFirmwareVersion(), 0);
  EXPECT_EQ(quodra.PersonalityWritePause(), 50);
}

TEST_F(ModelTest, AddressListsLeaveOutIdentityAndCalibrationWords) {
  TZemFixtureBrv600_20 brv600;
  TAddressList settings;
  brv600.GetSettingsAddressList(settings);
  TAddressList expected;
  for (auto [a, b] :
       std::vector<std::pair<int, int>>{{0, 3}, {12, 13}, {18, 39}, {44, 97}, {99, 108}, {209, 239}})
    for (int x = a; x <= b; ++x) expected.push_back(x);
  EXPECT_EQ(settings, expected);

  TZemFixtureGrobel200CMYI grobel;
  TAddressList sa, complete;
  grobel.GetStandAloneAddressList(sa);
  grobel.GetMemoryAddressList(complete);
  EXPECT_EQ(sa[0], 62);
  EXPECT_EQ(sa[1], 63);
  EXPECT_EQ(sa[2], 128);
  // 62 and 63 are part of the complete image but not of the settings.
  EXPECT_NE(std::find(complete.begin(), complete.end(), 63), complete.end());
  EXPECT_EQ(std::find(complete.begin(), complete.end(), 64), complete.end());
  EXPECT_EQ(std::find(complete.begin(), complete.end(), 1027), complete.end());
}

TEST_F(ModelTest, DmxFootprintFollowsProtocolModeAndSubType) {
  auto withPersonality = [](int protocol, int mode, int subtype) {
    FixtureData[fd::kPersonality + 2] = static_cast<uint8_t>(protocol);
    FixtureData[fd::kPersonality + 3] = static_cast<uint8_t>(mode);
    FixtureData[fd::kFixtureInfo + 5] = static_cast<uint8_t>(subtype);
  };
  struct Row {
    const char* label;
    Factory make;
    int protocol, mode, subtype, channels;
  };
  const std::vector<Row> rows = {
      {"600 protocol 1", factory<TZemFixtureBrv600_20>(), 1, 0, 0, 9},
      {"600C protocol 1", factory<TZemFixtureBrv600C_20>(), 1, 0, 0, 5},
      {"Rastel protocol 2", factory<TZemFixtureRastel_21>(), 2, 0, 0, 12},
      {"200 LED protocol 1", factory<TZemFixtureBV20L>(), 1, 0, 0, 3},
      {"200 LED protocol 2", factory<TZemFixtureBV20L>(), 2, 0, 0, 3},
      {"200 LED protocol 3", factory<TZemFixtureBV20L>(), 3, 0, 0, 4},
      {"200 LED protocol 9", factory<TZemFixtureBV20L>(), 9, 0, 0, 1},
      {"400 LED protocol 3", factory<TZemFixtureBV40L>(), 3, 0, 0, 5},
      {"Bralin protocol 3", factory<TZemFixtureBralin>(), 3, 0, 0, 4},
      {"Bralin protocol 1", factory<TZemFixtureBralin>(), 1, 0, 0, 3},
      {"Bralin protocol 4", factory<TZemFixtureBralin>(), 4, 0, 0, 1},
      {"Quodra 1200 p3 m2", factory<TZemFixtureKandrel>(), 3, 2, 1, 8},
      {"Quodra 1200 p0 m4", factory<TZemFixtureKandrel>(), 0, 4, 1, 12},
      {"Quodra 1200 p3 m3", factory<TZemFixtureKandrel>(), 3, 3, 1, 4},
      {"Quodra 1200 p0 m3", factory<TZemFixtureKandrel>(), 0, 3, 1, 3},
      {"Quodra 300 p3", factory<TZemFixtureKandrel>(), 3, 4, 0, 4},
      {"Quodra 300 p0", factory<TZemFixtureKandrel>(), 0, 4, 0, 3},
      {"Quodra ? p3", factory<TZemFixtureKandrel>(), 3, 4, 7, 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label);
    withPersonality(r.protocol, r.mode, r.subtype);
    std::unique_ptr<TZemFixture> f(r.make());
    EXPECT_EQ(f->GetDmxChannelCount(), r.channels);
  }
  TZemFixtureKandrel quodra;
  for (auto [sub, name] :
       std::vector<std::pair<int, const char*>>{{0, "Quodra 300"}, {1, "Quodra 1200"}, {7, "Quodra ?"}}) {
    FixtureData[fd::kFixtureInfo + 5] = static_cast<uint8_t>(sub);
    EXPECT_EQ(quodra.GetFixtureSubTypeName(), name);
  }
}

TEST_F(ModelTest, FirmwareThresholdsChooseChunkAndDmxResetSense) {
  struct Row {
    const char* code;
    uint8_t minor, build;
    int chunk;
    bool inverted;
  };
  const std::vector<Row> rows = {
      {"BV200", 3, 0, 1, true},  {"BV200", 3, 1, 4, false}, {"BV200", 2, 9, 1, true},
      {"LU150", 2, 0, 1, true},  {"LU150", 2, 5, 4, false}, {"LU150", 3, 0, 4, false},
      {"LU150", 3, 1, 4, false}, {"LU150", 1, 0, 1, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.code) + " 2." + std::to_string(r.minor) + "." + std::to_string(r.build));
    InitZemData();
    dev.calls.clear();
    dev.remote = {};
    setTypeAndFirmware(r.code, 0, 2, r.minor, r.build);
    std::unique_ptr<TZemFixture> f(CreateFixtureForType(r.code, 0));
    EXPECT_EQ(f->EepromWriteChunk(), r.chunk);
    EXPECT_EQ(f->WriteEepromBlock(10, 4, 5), r.chunk);
    FixtureData[fd::kPersonality + 6] = 0x02;
    EXPECT_EQ(f->GetDMXReset(), r.inverted ? 0 : 1);
    // Switching DMX reset on: the fixture holds the bit clear, so only the plain sense writes it.
    dev.remote[fd::kPersonality + 6] = 0x00;
    EXPECT_TRUE(f->SetDMXReset(1));
    EXPECT_EQ(dev.count("SetPersonalities"), r.inverted ? 0 : 1);
    EXPECT_EQ(f->GetDMXReset(), 1);
  }
}

TEST_F(ModelTest, StoredByteToListIndex) {
  const std::vector<std::pair<int, int>> rows = {{0, 0},   {14, 0},  {15, 1},   {34, 1},   {35, 2},
                                                 {134, 6}, {135, 7}, {234, 11}, {235, 12}, {255, 12}};
  for (auto [value, index] : rows) {
    EXPECT_EQ(TZemFixtureBrv200_20::Brv200ValueToIndex(value), index) << value;
    EXPECT_EQ(TZemFixtureNimboO2_21::NimboValueToIndex(value), index) << value;
  }
  EXPECT_THROW(TZemFixtureBrv200_20::Brv200ValueToIndex(256), ERangeError);
}

// ---------------------------------------------------------------------------
// Error texts

TEST_F(ModelTest, ErrorListsPerModel) {
  struct Row {
    const char* label;
    Factory make;
    std::vector<std::pair<int, uint8_t>> bytes;  // error-status byte, value
    std::vector<std::string> lines;
  };
  const std::vector<Row> rows = {
      {"flags without byte 0", factory<TZemFixtureBrv600_20>(), {{1, 0xFF}}, {"Fixture reports no errors"}},
      {"600 lamp and zoom",
       factory<TZemFixtureBrv600_20>(),
       {{0, 1}, {1, 0x01}, {5, 0x10}},
       {"Fixture reports 2 errors", "(1) LERR - Lamp Error", "(2) ZOER - Zoom Reset Error"}},
      {"600C inherits",
       factory<TZemFixtureBrv600C_20>(),
       {{0, 1}, {3, 0x40}},
       {"Fixture reports 1 error", "(1) COER - Color Wheel Reset Error"}},
      {"200 memory and clock",
       factory<TZemFixtureBrv200_20>(),
       {{0, 1}, {1, 0x04}, {7, 0x02}, {9, 0x10}},
       {"Fixture reports 3 errors", "(1) MERR - Memory Error (on-board EEPROM)",
        "(2) L1ER -  Light sensor 1 error", "(3) rCER -  Real Time Clock error (not running)"}},
      {"Lunavex inherits",
       factory<TZemFixtureLunavexCMY150_20>(),
       {{0, 1}, {1, 0x08}},
       {"Fixture reports 1 error", "(1) HTER - Head temperature-sense circuit error"}},
      {"Grobel no known flag",
       factory<TZemFixtureGrobel200CMYI>(),
       {{0, 1}, {2, 0xFF}},
       {"Fixture reports 0 errors"}},
      {"Grobel memory and supply",
       factory<TZemFixtureGrobel200CMYI>(),
       {{0, 1}, {1, 0x04}, {9, 0x80}},
       {"Fixture reports 2 errors", "(1) MERR - Memory Error (on-board EEPROM)",
        "(2) PSER - Power supply error"}},
      {"Grobel CI fan",
       factory<TZemFixtureGrobel200CI>(),
       {{0, 1}, {7, 0x80}},
       {"Fixture reports 1 error", "(1) F1ER - Fan 1 Feedback error"}},
      {"Quintel has no fan line",
       factory<TZemFixtureQuintelCMYI>(),
       {{0, 1}, {7, 0x80}},
       {"Fixture reports 0 errors"}},
      {"Quintel head",
       factory<TZemFixtureQuintelCMYI>(),
       {{0, 1}, {1, 0x08}},
       {"Fixture reports 1 error", "(1) hTER - Head temperature-sense circuit error"}},
      {"Nimbo",
       factory<TZemFixtureNimboO2_21>(),
       {{0, 1}, {5, 0x80}, {9, 0x10}},
       {"Fixture reports 2 errors", "(1) OPER - On board programming error",
        "(2) rCER - Real Time Clock error (not running)"}},
      {"Rastel clock and lamp temperature",
       factory<TZemFixtureRastel_21>(),
       {{0, 1}, {9, 0x50}},
       {"Fixture reports 2 errors", "(1) RCER - Real Time Clock error (not running)",
        "(2) LTER - Lamp temperature-sense circuit error"}},
      {"Rastel gobo",
       factory<TZemFixtureRastel_21>(),
       {{0, 1}, {4, 0x14}},
       {"Fixture reports 2 errors", "(1) GOER - Gobo error (can't find index)",
        "(2) RGER - Rot. gobo error (can't find index)"}},
      {"Wash display",
       factory<TZemFixtureBrv1200CMYIZ>(),
       {{0, 1}, {9, 0x20}},
       {"Fixture reports 1 error", "(1) Display programming error"}},
      {"600NS display",
       factory<TZemFixtureBrv600NS_CMYIZ>(),
       {{0, 1}, {9, 0x20}},
       {"Fixture reports 1 error", "(1) Display programming error"}},
      {"IP display",
       factory<TZemFixtureBrv1200CIGZF>(),
       {{0, 1}, {9, 0x20}},
       {"Fixture reports 1 error", "(1) Display error"}},
      {"1200GM slave board",
       factory<TZemFixtureBrv1200GM_CIGZF>(),
       {{0, 1}, {8, 0xC0}, {10, 0x08}},
       {"Fixture reports 3 errors", "(1) Animimation position reset error",
        "(2) Animimation rotation reset error", "(3) Effects to cold to function"}},
      {"Wash ignores IP-only flags",
       factory<TZemFixtureBrv1200CMYIZ>(),
       {{0, 1}, {10, 0x08}, {2, 0x08}},
       {"Fixture reports 0 errors"}},
      {"LED unnamed bits",
       factory<TZemFixtureBV20L>(),
       {{0, 1}, {1, 0x41}},
       {"Fixture reports 1 error", "(1) Undefined errors: code 0x41 error field 0"}},
      {"LED named bits",
       factory<TZemFixtureBV20L>(),
       {{0, 1}, {1, 0x24}},
       {"Fixture reports 2 errors", "(1) Memory Error (on-board EEPROM)",
        "(2) Overheat Regulation(Power Reduction)"}},
      {"LED one-digit code",
       factory<TZemFixtureBV40L>(),
       {{0, 1}, {2, 0x05}},
       {"Fixture reports 1 error", "(1) Undefined errors: code 0x 5 error field 1"}},
      {"LED byte 9 full",
       factory<TZemFixtureBralin>(),
       {{0, 1}, {9, 0xFF}, {14, 0xFF}},
       {"Fixture reports 5 errors", "(1) One Or More LED Drivers Shorted Or No Load", "(2) RTC Error",
        "(3) LED Board Temperature Error", "(4) PSU Voltages Out Of Range",
        "(5) Undefined errors: code 0x2B error field 8"}},
      {"LED named then undefined across bytes",
       factory<TZemFixtureBV20L>(),
       {{0, 1}, {4, 0x03}, {13, 0x80}},
       {"Fixture reports 3 errors", "(1) Overheat shutdown (LEDs switched off))",
        "(2) Undefined errors: code 0x 1 error field 3", "(3) Undefined errors: code 0x80 error field 12"}},
      {"Quodra flags",
       factory<TZemFixtureKandrel>(),
       {{0, 1}, {1, 0x81}},
       {"Fixture errors\rError Flags 0x00000081", "(0x0001) LEDBOARD_TEMP_ERROR",
        "(0x0080) POWER5V_SUPPLY_ERROR"}},
      {"Quodra only header",
       factory<TZemFixtureKandrel>(),
       {{0, 1}, {3, 0xAB}, {4, 0x01}, {5, 0xFF}},
       {"Fixture errors\rError Flags 0x01AB0000"}},
      {"Quodra no errors", factory<TZemFixtureKandrel>(), {{1, 0x81}}, {"Fixture reports no errors"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label);
    InitZemData();
    for (auto [index, value] : r.bytes) FixtureData[fd::kErrorStatus + static_cast<size_t>(index)] = value;
    std::unique_ptr<TZemFixture> f(r.make());
    EXPECT_EQ(f->GetErrorList(), r.lines);
    EXPECT_EQ(f->GetErrorList(), r.lines);  // asked again: the same list, not a longer one
  }
}

// ---------------------------------------------------------------------------
// System log

TEST_F(ModelTest, GrobelLogEventDecoding) {
  struct Row {
    uint16_t code, w1, w2;
    const char* text;
  };
  const std::vector<Row> rows = {
      {0xF800 | 133, 2360, 0, "ERROR.START - Voltage6 23.6 V."},
      {133 | 0xF000, 2360, 0, "ERROR.STOP - Voltage6 23.6 V."},
      {0x0FFF, 0, 0, "DEBUG.START - "},
      {0x07FF, 0, 0, "DEBUG.STOP - "},
      {0x3000, 1, 2, ""},
      {0xD000, 123, 0, "INFO - Software V.1.2.3."},
      {0xD001, 205, 0, "INFO - Bootloader V.2.0.5."},
      {0xD002, 0, 0, "INFO - Factory default restored."},
      {0xD003, 0, 0, "INFO - "},
      {0xE805, 9, 9, "WARNING - "},
      {0x0000, 0x0107, 0, "DEBUG.STOP - Timer/LS 7."},
      {0x0801, 2550, 3012, "DEBUG.START - PCB Temp 25.50 DegC, Sensor1 Temp 30.12 DegC"},
      {0xF000, 0, 0, "ERROR.STOP - Motor 1."},
      {0xF07F, 0, 0, "ERROR.STOP - Motor 128."},
      {0xF000 | 144, 1500, 0, "ERROR.STOP - Fan1 1500 RPM."},
      {0xF000 | 159, 1500, 2400, "ERROR.STOP - Fan16 1500 RPM, Voltage1 24.0 V."},
      {0xF000 | 160, 4512, 0, "ERROR.STOP - Temperature1 45.12 DegC."},
      {0xF000 | 175, 4512, 1180, "ERROR.STOP - Temperature16 45.12 DegC, Voltage1 11.8 V."},
      {0xF000 | 176, 1, 1, "ERROR.STOP - LightSensor1 65537 Lux."},
      {0xF000 | 256, 0, 0, "ERROR.STOP - Real Time Clock."},
      {0xF000 | 257, 0, 0, "ERROR.STOP - Eeprom."},
      {0xF800 | 258, 0, 0, "ERROR.START - Ram."},
      {0xF000 | 513, 0xBEEF, 0xDEAD, "ERROR.STOP - Illegal word access: DEADBEEF"},
      {0xF000 | 518, 0x0010, 0x0000, "ERROR.STOP - Stack underflow: 00000010"},
      {0xF000 | 520, 0xBEEF, 0xDEAD, "ERROR.STOP - NMI: DEADBEEF"},
      {0xF000 | 300, 0, 0, "ERROR.STOP - "},
  };
  TZemFixtureGrobel200CMYI grobel;
  for (const Row& r : rows) {
    FixtureData[fd::kSystemLogEntry + 9] = static_cast<uint8_t>(r.code & 0xFF);
    FixtureData[fd::kSystemLogEntry + 10] = static_cast<uint8_t>(r.code >> 8);
    FixtureData[fd::kSystemLogEntry + 11] = static_cast<uint8_t>(r.w1 & 0xFF);
    FixtureData[fd::kSystemLogEntry + 12] = static_cast<uint8_t>(r.w1 >> 8);
    FixtureData[fd::kSystemLogEntry + 13] = static_cast<uint8_t>(r.w2 & 0xFF);
    FixtureData[fd::kSystemLogEntry + 14] = static_cast<uint8_t>(r.w2 >> 8);
    EXPECT_EQ(grobel.DecodeLogText(), r.text) << std::hex << r.code;
  }
}

// A log of `count` entries; entries below `valid` are valid, the ones after are not.
std::array<uint8_t, kFixtureDataSize> logEntry(uint16_t count, bool valid, uint16_t code, uint16_t w1) {
  std::array<uint8_t, kFixtureDataSize> e{};
  uint8_t* a = e.data() + fd::kSystemLogEntry;
  a[2] = static_cast<uint8_t>(count);
  a[3] = static_cast<uint8_t>(count >> 8);
  a[4] = valid ? 1 : 0;
  a[5] = 12;
  a[6] = 24;
  a[7] = 18;
  a[8] = 5;
  a[9] = static_cast<uint8_t>(code);
  a[10] = static_cast<uint8_t>(code >> 8);
  a[11] = static_cast<uint8_t>(w1);
  a[12] = static_cast<uint8_t>(w1 >> 8);
  return e;
}

TEST_F(ModelTest, GrobelReadsItsLogWithTheFixtureAndReportsProgress) {
  for (int i = 0; i < 3; ++i) dev.logEntries[i] = logEntry(3, true, 0xD000, static_cast<uint16_t>(120 + i));
  dev.logEntries[3] = logEntry(3, false, 0xD000, 0);
  TZemFixtureGrobel200CMYI grobel;
  std::vector<std::pair<int, int>> progress;
  ASSERT_TRUE(grobel.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_EQ(grobel.LogTextList(),
            (TStringList{"24/12-18:05 - INFO - Software V.1.2.0.", "24/12-18:05 - INFO - Software V.1.2.1.",
                         "24/12-18:05 - INFO - Software V.1.2.2."}));
  std::vector<std::pair<int, int>> expected;
  for (int k = 1; k <= 13; ++k) expected.emplace_back(k, 14);
  expected.emplace_back(11, 11);
  EXPECT_EQ(progress, expected);
  // The nine records in order, then the entries.
  EXPECT_EQ(dev.count("GetStandAlone(13)"), 1);
  EXPECT_EQ(dev.count("GetSystemLogEntry"), 1 + 4);  // the count read, then entries 0..3
}

TEST_F(ModelTest, GrobelLogLoopEndsEvenWhenEveryEntryAnswersValid) {
  // A fixture that answers every index with a valid entry and claims a count of 2.
  class EndlessLog : public FakeDevice {
   public:
    bool GetSystemLogEntry(int entry) override {
      ++reads;
      const auto e = logEntry(2, true, 0xE000, 0);
      std::copy_n(e.begin() + fd::kSystemLogEntry, 15, FixtureData.begin() + fd::kSystemLogEntry);
      return entry >= 0 && entry <= 0xFFFF;
    }
    int reads = 0;
  } endless;
  Device = &endless;
  TZemFixtureGrobel200CMYI grobel;
  int calls = 0;
  bool withinRange = true;
  ASSERT_TRUE(grobel.ReadAllFixtureData([&](int p, int m) {
    ++calls;
    withinRange = withinRange && p >= 0 && p <= m;
  }));
  EXPECT_EQ(grobel.LogTextList().size(), static_cast<size_t>(TZemFixtureGrobel200CMYI::kMaxLogEntries));
  EXPECT_EQ(endless.reads, 1 + TZemFixtureGrobel200CMYI::kMaxLogEntries);
  EXPECT_TRUE(withinRange);
  EXPECT_EQ(calls, 10 + TZemFixtureGrobel200CMYI::kMaxLogEntries + 1);
}

TEST_F(ModelTest, GrobelReadStopsAtTheFirstFailureAndKeepsWhatItRead) {
  TZemFixtureGrobel200CMYI grobel;
  dev.logEntries[0] = logEntry(0, false, 0, 0);
  dev.failing.insert("GetSystemCalibration");
  std::vector<std::pair<int, int>> progress;
  EXPECT_FALSE(grobel.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_TRUE(grobel.LogTextList().empty());  // the generic line is gone, no entry was read
  ASSERT_EQ(progress.size(), 3u);             // steps 1-3; the clock read failed in step 3
  EXPECT_EQ(dev.count("GetDuplexErrorStatus"), 0);
  Device = nullptr;
  EXPECT_FALSE(grobel.ReadAllFixtureData(nullptr));
}

// ---------------------------------------------------------------------------
// Brevidor 600 EEPROM-held settings

TEST_F(ModelTest, Brv600WordTooLargeForAByteSettingIsAFailedReadThatKeepsTheCopy) {
  setTypeAndFirmware("BV600", 0, 2, 1, 0);
  TZemFixtureBrv600_20 brv;
  for (int a : {28, 78, 38, 77, 62, 63, 64, 65, 66, 94, 95, 96, 97, 60})
    dev.eeprom[a] = static_cast<uint16_t>(a / 2);
  dev.eeprom[61] = 40000;
  std::vector<std::pair<int, int>> progress;
  ASSERT_TRUE(brv.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_EQ(progress.size(), 23u);
  EXPECT_EQ(progress.back(), std::make_pair(23, 23));
  EXPECT_EQ(brv.GetTimer1StartHour(), 31);
  EXPECT_EQ(brv.GetSensorTriggerWord(), 40000);  // the word setting is copied whole
  EXPECT_EQ(brv.GetQZLLampOff(), 14);            // the whole byte, not a bit

  dev.eeprom[63] = 300;
  progress.clear();
  bool result = true;
  EXPECT_NO_THROW(result = brv.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_FALSE(result);
  EXPECT_EQ(brv.GetTimer1StartHour(), 31);
  EXPECT_EQ(progress.back(), std::make_pair(12, 23));  // address 63 is the twelfth step
  EXPECT_EQ(dev.count("GetStandAlone"), 1);            // only the first, complete read got there
}

TEST_F(ModelTest, Brv600SetterWithoutDeviceStillWaitsAndReportsFailure) {
  TZemFixtureBrv600_20 brv;
  Device = nullptr;
  const uint32_t before = sys::tickCount();
  EXPECT_FALSE(brv.SetTimer2StopMinute(5));
  EXPECT_GE(sys::tickCount() - before, 100u);
  EXPECT_EQ(brv.GetTimer2StopMinute(), 0);
  EXPECT_THROW(brv.SetTimerMode(256), ERangeError);
  EXPECT_THROW(brv.SetSensorTriggerWord(65536), ERangeError);
}

// ---------------------------------------------------------------------------
// Values are checked before the first frame

TEST_F(ModelTest, OutOfRangeValuesSendNothingAtAll) {
  struct Row {
    const char* label;
    Factory make;
    std::function<void(TZemFixture&)> call;
  };
  const std::vector<Row> rows = {
      {"200 live", factory<TZemFixtureBrv200_20>(), [](TZemFixture& f) { f.SetLiveIntensity(65536); }},
      {"200 wait index", factory<TZemFixtureBrv200_20>(), [](TZemFixture& f) { f.SetWaitTimeIndex(256); }},
      {"600 colour", factory<TZemFixtureBrv600_20>(), [](TZemFixture& f) { f.SetLiveColor(-1); }},
      {"Grobel wait", factory<TZemFixtureGrobel200CMYI>(),
       [](TZemFixture& f) { f.SetWaitTimeSeconds(65536); }},
      {"Grobel fade", factory<TZemFixtureGrobel200CMYI>(), [](TZemFixture& f) { f.SetFadeTimeSeconds(-5); }},
      {"Rastel gobo + 4", factory<TZemFixtureRastel_21>(),
       [](TZemFixture& f) { f.SetControlValue79(65532, 1); }},
      {"Rastel position", factory<TZemFixtureRastel_21>(),
       [](TZemFixture& f) { f.SetControlValue78(1, 65536); }},
      {"Rastel tilt", factory<TZemFixtureRastel_21>(), [](TZemFixture& f) { f.SetLivePanTilt(10, 256); }},
      {"IP gobo + 4", factory<TZemFixtureBrv1200CIGZF>(),
       [](TZemFixture& f) { f.SetControlValue79(65535, 0); }},
      {"IP speed", factory<TZemFixtureBrv1200CIGZF>(), [](TZemFixture& f) { f.SetControlValue79(1, 70000); }},
      {"IP animation", factory<TZemFixtureBrv1200CIGZF>(),
       [](TZemFixture& f) { f.SetControlValue80(65536, 1); }},
      {"Wash zoom", factory<TZemFixtureBrv1200CMYIZ>(), [](TZemFixture& f) { f.SetLiveZoom(65536); }},
      {"LED level", factory<TZemFixtureBV20L>(), [](TZemFixture& f) { f.SetLiveRed(65536); }},
      {"LED time", factory<TZemFixtureBV40L>(), [](TZemFixture& f) { f.SetWaitTimeSeconds(70000); }},
      {"Bralin colour", factory<TZemFixtureBralin>(), [](TZemFixture& f) { f.SendLedData(1, 2, 3, 4, 256); }},
      {"Bralin address 0", factory<TZemFixtureBralin>(),
       [](TZemFixture& f) { f.SendLedData(1, 2, 3, 4, 5); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label);
    dev.frames.clear();
    std::unique_ptr<TZemFixture> f(r.make());
    EXPECT_THROW(r.call(*f), ERangeError);
    EXPECT_TRUE(dev.frames.empty());
  }
  TZemFixtureKandrel quodra;
  EXPECT_THROW(quodra.SendLedData(1, 2, 3, 256, 5), ERangeError);
  EXPECT_EQ(FixtureData[fd::kLedData], 0);  // nothing stored either
  EXPECT_EQ(dev.count("SendLedData"), 0);
}

// ---------------------------------------------------------------------------
// Idle ticks

TEST_F(ModelTest, IdleTicksPerFamily) {
  // Grobel family: monitor values only from firmware 0.0.9, but the idle frame always.
  setTypeAndFirmware("GRB__", 0, 0, 0, 8);
  TZemFixtureGrobel200CMYI grobel;
  EXPECT_TRUE(grobel.IdlePoll(true));
  EXPECT_EQ(dev.count("GetHardwareMonitorValues"), 0);
  FixtureData[fd::kFixtureInfo + 13] = 9;
  EXPECT_TRUE(grobel.IdlePoll(true));
  EXPECT_EQ(dev.count("GetHardwareMonitorValues(1)"), 1);
  EXPECT_EQ(sent(), (std::vector<std::array<int, 3>>{{48, 0, 0}, {48, 0, 0}}));
  EXPECT_EQ(dev.frameMP2Idle, (std::vector<bool>{true, true}));
  EXPECT_FALSE(MP2Idle);

  // Nimbo and Rastel read temperatures on the monitor page.
  dev.frames.clear();
  dev.frameMP2Idle.clear();
  TZemFixtureRastel_21 rastel;
  EXPECT_TRUE(rastel.IdlePoll(false));
  EXPECT_EQ(dev.count("GetDuplexTempValues"), 0);
  EXPECT_TRUE(rastel.IdlePoll(true));
  EXPECT_EQ(dev.count("GetDuplexTempValues"), 1);
  EXPECT_EQ(sent(), (std::vector<std::array<int, 3>>{{254, 0, 0}, {254, 0, 0}}));

  // LED tube and strip: monitor pages only, nothing sent.
  dev.frames.clear();
  TZemFixtureBralin bralin;
  TZemFixtureKandrel quodra;
  EXPECT_TRUE(bralin.IdlePoll(false));
  EXPECT_TRUE(bralin.IdlePoll(true));
  EXPECT_TRUE(quodra.IdlePoll(true));
  EXPECT_EQ(bralin.MonitorPage(), 1);
  EXPECT_EQ(quodra.MonitorPage(), 1);
  EXPECT_TRUE(dev.frames.empty());
}

TEST_F(ModelTest, LedIdleFrameEveryFourthTickOffTheMonitorPageAcrossObjects) {
  auto bv20 = std::make_unique<TZemFixtureBV20L>();
  // The counter is shared and never reset: find where it stands first.
  int ticks = 0;
  while (dev.frames.empty() && ticks < 4) {
    bv20->IdlePoll(false);
    ++ticks;
  }
  ASSERT_EQ(dev.frames.size(), 1u);
  dev.frames.clear();
  std::vector<int> sentAt;
  for (int tick = 1; tick <= 8; ++tick) {
    if (tick == 3) bv20 = std::make_unique<TZemFixtureBV40L>();  // a new fixture continues the count
    const size_t before = dev.frames.size();
    EXPECT_TRUE(bv20->IdlePoll(false));
    EXPECT_TRUE(bv20->IdlePoll(true));  // the monitor page does not count
    if (dev.frames.size() > before) sentAt.push_back(tick);
  }
  EXPECT_EQ(sentAt, (std::vector<int>{4, 8}));
  EXPECT_EQ(sent(), (std::vector<std::array<int, 3>>{{48, 0, 0}, {48, 0, 0}}));
  EXPECT_EQ(dev.frameMP2Idle, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(dev.count("GetHardwareMonitorValues"), 8);
}

// ---------------------------------------------------------------------------
// 400 LED Series: board serial and LEDs

TEST_F(ModelTest, Bv40lReadsEveryLedAndFailsWhenAnyFails) {
  class OneLedFails : public FakeDevice {
   public:
    bool GetLEDDescription(int led) override {
      FakeDevice::GetLEDDescription(led);
      return led != failingLed;
    }
    int failingLed = -1;
  } leds;
  Device = &leds;
  TZemFixtureBV40L bv40;
  std::vector<std::pair<int, int>> progress;
  ASSERT_TRUE(bv40.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_EQ(progress.size(), 16u);
  EXPECT_EQ(progress.back(), std::make_pair(15, 15));
  EXPECT_EQ(leds.count("GetLEDDescriptionData"), 5);

  leds.calls.clear();
  leds.failingLed = 2;
  progress.clear();
  EXPECT_FALSE(bv40.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  EXPECT_EQ(leds.count("GetLEDDescription("), 5);  // the LEDs after the failing one are still read
  EXPECT_EQ(leds.count("GetLEDDescriptionData"), 4);
  EXPECT_EQ(progress.size(), 15u);  // no closing report

  leds.calls.clear();
  leds.failing.insert("GetPCBSerialNumber");
  EXPECT_FALSE(bv40.ReadAllFixtureData(nullptr));
  EXPECT_EQ(leds.count("GetLEDDescription"), 0);
}

TEST_F(ModelTest, Bv40lNameCarriesTheBoardSerialAsSent) {
  TZemFixtureBV40L bv40;
  EXPECT_EQ(bv40.GetFixtureName(), "Brevidor 400 LED Series");
  struct Row {
    const char* serial;
    const char* name;
  };
  const std::vector<Row> rows = {
      {"AB", "Brevidor 400 LED Series (AB)"},
      {"../../etc", "Brevidor 400 LED Series (../../etc)"},
      {"C:\\x*?\"<>|", "Brevidor 400 LED Series (C:\\x*?\"<>|)"},
      {"\x01tab\tend\x7f", "Brevidor 400 LED Series (tabend)"},  // printable characters only
      {"..", "Brevidor 400 LED Series (..)"},
  };
  for (const Row& r : rows) {
    std::fill_n(FixtureData.begin() + fd::kPCBSerial, 15, 0);
    std::memcpy(&FixtureData[fd::kPCBSerial], r.serial, std::strlen(r.serial));
    EXPECT_EQ(bv40.GetFixtureName(), r.name);
  }
  std::fill_n(FixtureData.begin() + fd::kPCBSerial, 15, 'Z');  // no zero byte: 15 characters
  FixtureData[fd::kPCBSerial + 15] = 'Q';                      // the next record is not part of it
  EXPECT_EQ(bv40.GetFixtureName(), "Brevidor 400 LED Series (ZZZZZZZZZZZZZZZ)");
}

// ---------------------------------------------------------------------------
// Sub-device scans

// A chain of `segments` sub-devices; selecting the main unit again or reading its personality may fail.
class Chain : public FakeDevice {
 public:
  bool SetSubdevice(int index, bool reread) override {
    FakeDevice::SetSubdevice(index, reread);
    if (index == 0 && reread && ++mainSelects > mainSelectsAllowed) return false;
    if (index > segments) return false;
    FixtureData[fd::kSubdevice] = static_cast<uint8_t>(index);
    selected = index;
    return true;
  }
  bool GetPersonalities() override {
    calls.push_back("GetPersonalities");
    if (selected == 0 && failMainPersonality && reads++ > 0) return false;
    FixtureData[fd::kPersonality + 9] =
        selected < static_cast<int>(autoConfigure.size()) ? autoConfigure[selected] : 0;
    return true;
  }
  int segments = 0;
  int selected = 0;
  int mainSelects = 0;
  int mainSelectsAllowed = 1000;
  bool failMainPersonality = false;
  int reads = 0;
  std::vector<uint8_t> autoConfigure;
};

TEST_F(ModelTest, SubDeviceScanCountsSegmentsAndReturnsToTheMainUnit) {
  Chain chain;
  chain.segments = 3;
  chain.autoConfigure = {0x00, 0x10, 0x00, 0x10};
  Device = &chain;
  TZemFixtureBralin bralin;
  std::vector<std::pair<int, int>> progress;
  ASSERT_TRUE(bralin.ReadAllFixtureData([&](int p, int m) { progress.emplace_back(p, m); }));
  const auto& wb = bralin.WorkBuffer();
  EXPECT_EQ((std::vector<uint8_t>(wb.begin(), wb.begin() + 6)), (std::vector<uint8_t>{1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(bralin.GetSegmentCount(), 3);
  EXPECT_EQ(bralin.GetCurrentSegment(), 0);
  std::vector<std::pair<int, int>> expected;
  for (int k = 1; k <= 10; ++k) expected.emplace_back(k, 12);
  expected.emplace_back(12, 12);
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(chain.count("SetSubdevice(0,0)"), 1);
  EXPECT_EQ(chain.count("SetSubdevice(4,1)"), 1);  // the first that did not answer
  EXPECT_EQ(chain.count("SetSubdevice(0,1)"), 1);

  // The strip: same scan, buffer all zeros.
  chain.calls.clear();
  chain.segments = 2;
  TZemFixtureKandrel quodra;
  quodra.WorkBuffer()[5] = 9;
  ASSERT_TRUE(quodra.ReadAllFixtureData(nullptr));
  EXPECT_EQ(quodra.GetSegmentCount(), 2);
  EXPECT_TRUE(
      std::all_of(quodra.WorkBuffer().begin(), quodra.WorkBuffer().end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(chain.count("GetStandAloneSettings"), 1);
}

TEST_F(ModelTest, SubDeviceScanFailsWhenTheMainUnitCannotBeReselectedOrReread) {
  for (bool strip : {false, true}) {
    SCOPED_TRACE(strip ? "strip" : "tube");
    Chain chain;
    chain.segments = 2;
    chain.mainSelectsAllowed = 0;  // the re-select after the scan fails
    Device = &chain;
    std::unique_ptr<TZemFixture> f(strip ? static_cast<TZemFixture*>(new TZemFixtureKandrel())
                                         : new TZemFixtureBralin());
    int last = 0;
    EXPECT_FALSE(f->ReadAllFixtureData([&](int p, int) { last = p; }));
    EXPECT_EQ(f->GetCurrentSegment(), 2);  // the record tells the truth: the last segment listens
    EXPECT_EQ(f->GetSegmentCount(), 2);
    EXPECT_NE(last, 12);

    Chain rereadFails;
    rereadFails.segments = 1;
    rereadFails.failMainPersonality = true;
    Device = &rereadFails;
    EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
    EXPECT_EQ(f->GetSegmentCount(), 1);
  }
}

TEST_F(ModelTest, TubeWithoutSegmentsAndFailedEarlyReadsLeaveTheScanAlone) {
  Chain chain;
  Device = &chain;
  TZemFixtureBralin bralin;
  ASSERT_TRUE(bralin.ReadAllFixtureData(nullptr));
  EXPECT_EQ(bralin.GetSegmentCount(), 0);
  EXPECT_EQ(bralin.WorkBuffer()[0], 1);
  EXPECT_EQ(std::count(bralin.WorkBuffer().begin(), bralin.WorkBuffer().end(), 0), 255);

  chain.segments = 2;
  chain.failing.insert("GetDuplexErrorStatus");
  chain.calls.clear();
  EXPECT_FALSE(bralin.ReadAllFixtureData(nullptr));
  EXPECT_EQ(chain.count("SetSubdevice(1"), 0);
  EXPECT_EQ(bralin.GetSegmentCount(), 0);
}

// ---------------------------------------------------------------------------
// Quodra one-shot personality bytes

TEST_F(ModelTest, QuodraOneShotCommandsGoOutOnceAndNeverAgain) {
  TZemFixtureKandrel quodra;
  dev.remote[fd::kPersonality + 3] = 1;
  dev.remote[fd::kPersonality + 4] = 1;  // the fixture still reports an old request
  ASSERT_TRUE(quodra.ReadPersonality());
  EXPECT_EQ(FixtureData[fd::kPersonality + 4], 0);

  ASSERT_TRUE(quodra.ResetDMXAddressTo1());
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 0);
  EXPECT_EQ(dev.remote[fd::kPersonality + 5], 1);   // the command went out
  EXPECT_EQ(FixtureData[fd::kPersonality + 5], 0);  // and is gone from the record after the read-back

  ASSERT_TRUE(quodra.SetModeSettings(4));
  EXPECT_EQ(dev.remote[fd::kPersonality + 3], 4);
  EXPECT_EQ(dev.remote[fd::kPersonality + 5], 0);  // the reset was not repeated
  EXPECT_EQ(dev.count("SetPersonalities(50)"), 2);

  dev.calls.clear();
  EXPECT_TRUE(quodra.SetModeSettings(4));  // already set
  EXPECT_EQ(dev.count("SetPersonalities"), 0);

  ASSERT_TRUE(quodra.AutoAddressSequentially());
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 1);
  EXPECT_EQ(FixtureData[fd::kPersonality + 4], 0);
  // A base setter afterwards does not carry the request either.
  ASSERT_TRUE(quodra.SetDmxAddress(99));
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 0);

  dev.failing.insert("GetPersonalities");
  dev.calls.clear();
  EXPECT_FALSE(quodra.ResetDMXAddressTo1());
  EXPECT_FALSE(quodra.SetModeSettings(1));
  EXPECT_EQ(dev.count("SetPersonalities"), 0);
}

TEST_F(ModelTest, QuodraDynamicTimesAndLiveColour) {
  TZemFixtureKandrel quodra;
  dev.remote[fd::kStandAloneSettings + 4] = 3;
  EXPECT_TRUE(quodra.SetDynamicWaitTimeIndex(3));
  EXPECT_EQ(dev.count("SetStandAloneSettings"), 0);
  EXPECT_TRUE(quodra.SetDynamicFadeTimeIndex(7));
  EXPECT_EQ(dev.remote[fd::kStandAloneSettings + 5], 7);
  EXPECT_EQ(quodra.GetDynamicWaitTimeIndex(), 3);
  EXPECT_EQ(quodra.GetDynamicFadeTimeIndex(), 7);

  Device = nullptr;
  EXPECT_FALSE(quodra.SendLedData(1, 2, 3, 4, 5));
  EXPECT_EQ(
      (std::vector<uint8_t>(FixtureData.begin() + fd::kLedData, FixtureData.begin() + fd::kLedData + 5)),
      (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(quodra.SetDynamicWaitTimeIndex(1));
}

// ---------------------------------------------------------------------------
// Shared helpers

TEST_F(ModelTest, ReadStepRunnerReportsEachStepAndStopsAtTheFirstFailure) {
  std::vector<std::pair<int, int>> progress;
  auto record = [&](int p, int m) { progress.emplace_back(p, m); };
  int ran = 0;
  const std::vector<modelsupport::ReadStep> steps = {[&] { return ++ran > 0; }, nullptr,
                                                     [&] {
                                                       ++ran;
                                                       return false;
                                                     },
                                                     [&] { return ++ran > 0; }};
  EXPECT_FALSE(modelsupport::runReadSteps(steps, 5, 5, record));
  EXPECT_EQ(ran, 2);
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
  progress.clear();
  modelsupport::reportProgress(record, 20, 14);
  modelsupport::reportProgress(record, -1, 14);
  modelsupport::reportProgress(nullptr, 1, 1);
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{14, 14}, {0, 14}}));
}

}  // namespace
