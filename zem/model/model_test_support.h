// Shared set-up of the model tests: the 17 models as the fixture identifies them, a fixture with the
// scripted device and the virtual clock, and service frames written as (function, value, argument).
// Every number here is the fixture's, written down once for the tests: never taken from the code.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"
#include "zem/link/link_test_support.h"
#include "zem/model/fake_device.h"
#include "zem/model/uZemModels.h"

namespace modeltest {

// A model as the fixture announces it, and the page byte of its service frames.
struct ModelSpec {
  const char* name;  // test name
  const char* typeCode;
  int subtype;
  int page;
};

// Parameterised tests print a model by its test name.
inline void PrintTo(const ModelSpec& model, std::ostream* os) {
  *os << model.name;
}

inline const std::vector<ModelSpec>& allModels() {
  static const std::vector<ModelSpec> models = {
      {"Brv200", "BV200", 0, 100},  {"Lunavex", "LU150", 0, 100},  {"Brv600", "BV600", 0, 237},
      {"Brv600C", "BV60C", 0, 237}, {"Grobel", "GRB__", 0, 100},   {"GrobelCI", "GRB__", 1, 100},
      {"Quintel", "GRB__", 4, 100}, {"Nimbo", "NMB02", 0, 100},    {"Rastel", "RASTE", 0, 100},
      {"Wash", "BVT12", 0, 100},    {"Brv600NS", "BV6NS", 0, 100}, {"IP", "BVT12", 2, 100},
      {"GM", "B12GM", 2, 100},      {"BV20L", "BV20L", 0, 100},    {"BV40L", "BV40L", 0, 100},
      {"Bralin", "BRALB", 0, 100},  {"Kandrel", "KANDT", 0, 100},
  };
  return models;
}

inline const ModelSpec& model(const std::string& name) {
  for (const ModelSpec& m : allModels())
    if (name == m.name) return m;
  throw std::out_of_range("no model " + name);
}

// Firmware major.minor build.
struct Firmware {
  uint8_t major, minor, build;
};

// Writes the identity the main loop reads before it creates the model: type code, sub-type, main-CPU
// firmware (fixture-info bytes 0-4, 5, 6, 7 and 13).
inline void setIdentity(const char* typeCode, int subtype, Firmware fw) {
  std::fill_n(FixtureData.begin() + fd::kFixtureInfo, 15, 0);
  std::memcpy(&FixtureData[fd::kFixtureInfo], typeCode, std::strlen(typeCode));
  FixtureData[fd::kFixtureInfo + 5] = static_cast<uint8_t>(subtype);
  FixtureData[fd::kFixtureInfo + 6] = fw.major;
  FixtureData[fd::kFixtureInfo + 7] = fw.minor;
  FixtureData[fd::kFixtureInfo + 13] = fw.build;
}

// Firmware new enough for every threshold of every model.
inline constexpr Firmware kNewFirmware{3, 0, 0};

// The model the search loop creates for this identity (owned by the caller).
inline std::unique_ptr<TZemFixture> makeModel(const ModelSpec& m, Firmware fw = kNewFirmware) {
  setIdentity(m.typeCode, m.subtype, fw);
  std::unique_ptr<TZemFixture> f(CreateFixtureForType(m.typeCode, m.subtype));
  if (!f) throw std::logic_error(std::string("no model class for ") + m.name);
  return f;
}

// A service frame as (function, value, argument).
using Frame = std::array<int, 3>;
using Frames = std::vector<Frame>;

inline Frames operator+(Frames a, const Frames& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// One SendServiceCommand: argument 0, then the argument.
inline Frames send(int f, int v, int a) {
  return {{f, v, 0}, {f, v, a}};
}
// The pair pattern: (f, v, 0) three times, then (f, v, 44).
inline Frames pairOf(int f, int v) {
  return send(f, v, 0) + send(f, v, 44);
}
// The enter-service prefix: one SendServiceCommand (f, 0, 0).
inline Frames enter(int f) {
  return send(f, 0, 0);
}
// One SendServiceCommandOnce.
inline Frames once(int f, int v, int a) {
  return {{f, v, a}};
}

// Service frames the scripted device received, read back from their bytes: function 11, value 12 (high)
// and 13 (low), argument 15.
inline Frames framesOf(const std::vector<std::vector<uint8_t>>& raw) {
  Frames out;
  for (const auto& f : raw) out.push_back({f.at(11), f.at(12) * 256 + f.at(13), f.at(15)});
  return out;
}

// The bytes around the function, value and argument: frame code, type code, page, zeros elsewhere (bytes
// 16-17 carry the extra value of extended frames).
inline void expectFrameLayout(const std::vector<uint8_t>& f, uint8_t code, const std::string& typeCode,
                              int page, int extra = 0) {
  ASSERT_EQ(f.size(), 37u);
  EXPECT_EQ(f[0], code);
  EXPECT_EQ(std::string(f.begin() + 1, f.begin() + 6), typeCode);
  EXPECT_EQ(f[14], page);
  EXPECT_EQ(f[16] * 256 + f[17], extra);
  for (size_t k : {6, 7, 8, 9, 10}) EXPECT_EQ(f[k], 0) << "byte " << k;
  for (size_t k = 18; k < 37; ++k) EXPECT_EQ(f[k], 0) << "byte " << k;
}

// The scripted device and the virtual clock, with a fresh fixture record.
class ModelFixture : public ::testing::Test {
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
  Frames sent() const { return framesOf(dev.frames); }

  sys::ScopedVirtualClock clock;
  zemtest::FakeDevice dev;
};

// A main unit with a chain of `segments` sub-devices behind it. Each answers its selection and reads its
// own auto-configure byte (personality byte 9) while selected; selecting the main unit again after the
// scan, or reading its personality a second time, can be made to fail.
class ChainDevice : public zemtest::FakeDevice {
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

// The scripted device and one model, made as the search loop makes it.
class OneModelTest : public ModelFixture {
 protected:
  explicit OneModelTest(const char* name) : name_(name) {}
  void SetUp() override {
    ModelFixture::SetUp();
    f = makeModel(model(name_));
  }
  std::unique_ptr<TZemFixture> f;

 private:
  const char* name_;
};

// A record of progress reports.
struct ProgressLog {
  std::vector<std::pair<int, int>> calls;
  TProgressCallback callback() {
    return [this](int p, int m) { calls.emplace_back(p, m); };
  }
};

// Test names from row names: letters and digits only.
inline std::string testName(const std::string& text) {
  std::string out;
  for (char c : text) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return out;
}

}  // namespace modeltest
