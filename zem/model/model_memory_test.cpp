// EEPROM access of every model: words per read, words per block write, the last address, the upload's
// settle time and OK delay, and the three address lists written out in full from the fixtures' memory
// maps. One test entry per model and list.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "zem/model/model_test_support.h"

namespace {

using namespace modeltest;

using Ranges = std::vector<std::pair<int, int>>;  // inclusive

TAddressList addresses(const Ranges& ranges) {
  TAddressList list;
  for (auto [a, b] : ranges)
    for (int x = a; x <= b; ++x) list.push_back(x);
  return list;
}

// 0..last without the excluded ranges.
TAddressList allExcept(int last, const Ranges& excluded) {
  TAddressList list;
  for (int a = 0; a <= last; ++a) {
    bool out = false;
    for (auto [x, y] : excluded) out = out || (a >= x && a <= y);
    if (!out) list.push_back(a);
  }
  return list;
}

struct MemoryRow {
  const char* model;
  int wordsPerRead;
  int lastAddress;
  int writeChunk;  // with new firmware
  int settleMs;
  int resetOkDelayMs;
};

// Parameterised tests print a row by its model (and list).
void PrintTo(const MemoryRow& row, std::ostream* os) {
  *os << row.model;
}

const std::vector<MemoryRow> kMemory = {
    {"Brv200", 4, 1023, 4, 150, 0},  {"Lunavex", 4, 1023, 4, 150, 0},  {"Brv600", 1, 255, 1, 150, 0},
    {"Brv600C", 1, 255, 1, 150, 0},  {"Grobel", 4, 1051, 4, 150, 0},   {"GrobelCI", 4, 1051, 4, 150, 0},
    {"Quintel", 4, 1051, 4, 150, 0}, {"Nimbo", 4, 1023, 4, 150, 0},    {"Rastel", 4, 1023, 4, 150, 0},
    {"Wash", 4, 1051, 4, 150, 0},    {"Brv600NS", 4, 1051, 4, 150, 0}, {"IP", 4, 1051, 4, 150, 0},
    {"GM", 4, 1051, 4, 150, 0},      {"BV20L", 4, 2047, 4, 5, 10000},  {"BV40L", 4, 2047, 4, 5, 10000},
    {"Bralin", 4, 2047, 4, 150, 0},  {"Kandrel", 1, -1, 4, 150, 0},
};

class MemoryTest : public ModelFixture, public ::testing::WithParamInterface<MemoryRow> {};

TEST_P(MemoryTest, ChunkReadFetchesTheModelsWordCount) {
  const MemoryRow& r = GetParam();
  auto f = makeModel(model(r.model));
  EXPECT_EQ(f->ReadEepromChunk(300), r.wordsPerRead);
  EXPECT_EQ(dev.calls, std::vector<std::string>{"ReadEEProm(300," + std::to_string(r.wordsPerRead) + ")"});
}

TEST_P(MemoryTest, FailedChunkReadReadsNothing) {
  auto f = makeModel(model(GetParam().model));
  dev.failing.insert("ReadEEProm");
  EXPECT_EQ(f->ReadEepromChunk(0), 0);
  Device = nullptr;
  EXPECT_EQ(f->ReadEepromChunk(0), 0);
}

TEST_P(MemoryTest, BlockWriteCarriesAtMostTheWriteChunk) {
  const MemoryRow& r = GetParam();
  auto f = makeModel(model(r.model));
  EXPECT_EQ(f->WriteEepromBlock(10, 9, 5), r.writeChunk);
  EXPECT_EQ(dev.calls.back(), "WriteEEPromWords(10," + std::to_string(r.writeChunk) + ",5)");
  EXPECT_EQ(f->WriteEepromBlock(20, 1, 5), 1);
}

TEST_P(MemoryTest, LastAddress) {
  EXPECT_EQ(makeModel(model(GetParam().model))->GetMaxMemoryAddress(), GetParam().lastAddress);
}

TEST_P(MemoryTest, UploadTimes) {
  auto f = makeModel(model(GetParam().model));
  EXPECT_EQ(f->GetEepromSettleTime(), GetParam().settleMs);
  EXPECT_EQ(f->GetResetOKDelay(), GetParam().resetOkDelayMs);
}

INSTANTIATE_TEST_SUITE_P(Models, MemoryTest, ::testing::ValuesIn(kMemory),
                         [](const auto& info) { return std::string(info.param.model); });

// ---------------------------------------------------------------------------
// Address lists

enum class List { StandAlone, Settings, Complete };

struct ListRow {
  const char* model;
  List list;
  TAddressList addresses;  // empty: the model uploads nothing of this kind
  size_t size;             // the count the memory map gives, as a check on the ranges above
};

const char* listName(List l) {
  return l == List::StandAlone ? "standAlone" : l == List::Settings ? "settings" : "complete";
}

void PrintTo(const ListRow& row, std::ostream* os) {
  *os << row.model << "_" << listName(row.list);
}

std::vector<ListRow> listRows() {
  std::vector<ListRow> rows;
  auto add = [&rows](std::initializer_list<const char*> models, List l, const TAddressList& a, size_t size) {
    for (const char* m : models) rows.push_back({m, l, a, size});
  };
  const auto brv200 = {"Brv200", "Lunavex"};
  add(brv200, List::StandAlone, addresses({{300, 545}}), 246);
  add(brv200, List::Settings, allExcept(1023, {{2, 11}, {25, 39}, {300, 545}}), 753);
  add(brv200, List::Complete, allExcept(1023, {{2, 11}, {25, 39}}), 999);
  const auto brv600 = {"Brv600", "Brv600C"};
  add(brv600, List::StandAlone, addresses({{109, 208}}), 100);
  add(brv600, List::Settings, addresses({{0, 3}, {12, 13}, {18, 39}, {44, 97}, {99, 108}, {209, 239}}), 123);
  add(brv600, List::Complete, allExcept(255, {{4, 11}, {14, 17}, {40, 43}, {98, 98}, {240, 255}}), 223);
  const auto grobel = {"Grobel", "GrobelCI", "Quintel", "Wash", "Brv600NS", "IP", "GM"};
  add(grobel, List::StandAlone, addresses({{62, 63}, {128, 447}}), 322);
  add(grobel, List::Settings, allExcept(1051, {{32, 51}, {62, 71}, {128, 447}, {1025, 1030}}), 696);
  add(grobel, List::Complete, allExcept(1051, {{32, 51}, {64, 71}, {1025, 1030}}), 1018);
  add({"Nimbo"}, List::StandAlone, addresses({{300, 545}}), 246);
  add({"Nimbo"}, List::Settings, allExcept(1023, {{4, 11}, {120, 134}, {300, 545}}), 755);
  add({"Nimbo"}, List::Complete, allExcept(1023, {{4, 11}, {120, 134}}), 1001);
  add({"Rastel"}, List::StandAlone, addresses({{300, 585}}), 286);
  add({"Rastel"}, List::Settings, allExcept(1023, {{4, 11}, {120, 134}, {300, 585}}), 715);
  add({"Rastel"}, List::Complete, allExcept(1023, {{4, 11}, {120, 134}}), 1001);
  const auto led = {"BV20L", "BV40L"};
  add(led, List::StandAlone, addresses({{256, 1535}}), 1280);
  add(led, List::Settings, {0, 1, 2, 3}, 4);
  add(led, List::Complete, {}, 0);
  for (List l : {List::StandAlone, List::Settings, List::Complete}) add({"Bralin", "Kandrel"}, l, {}, 0);
  return rows;
}

class AddressListTest : public ModelFixture, public ::testing::WithParamInterface<ListRow> {};

TEST_P(AddressListTest, HoldsExactlyTheseAddressesReplacingTheCallersList) {
  const ListRow& r = GetParam();
  auto f = makeModel(model(r.model));
  TAddressList list{99999};
  switch (r.list) {
    case List::StandAlone:
      f->GetStandAloneAddressList(list);
      break;
    case List::Settings:
      f->GetSettingsAddressList(list);
      break;
    case List::Complete:
      f->GetMemoryAddressList(list);
      break;
  }
  EXPECT_EQ(list, r.addresses);
  EXPECT_EQ(list.size(), r.size);
}

INSTANTIATE_TEST_SUITE_P(Models, AddressListTest, ::testing::ValuesIn(listRows()),
                         ::testing::PrintToStringParamName());

}  // namespace
