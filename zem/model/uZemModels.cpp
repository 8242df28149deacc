#include "zem/model/uZemModels.h"

#include <array>

namespace {

template <class Model>
TZemFixture* make() {
  return new Model();
}

constexpr int kAny = TFixtureTypeRow::kAnySubType;

constexpr std::array<TFixtureTypeRow, 17> kTable = {{
    {"BV600", kAny, &make<TZemFixtureBrv600_20>},
    {"BV200", kAny, &make<TZemFixtureBrv200_20>},
    {"KANDT", kAny, &make<TZemFixtureKandrel>},
    {"BRALB", kAny, &make<TZemFixtureBralin>},
    {"BV20L", kAny, &make<TZemFixtureBV20L>},
    {"BV40L", kAny, &make<TZemFixtureBV40L>},
    {"LU150", kAny, &make<TZemFixtureLunavexCMY150_20>},
    {"BV60C", kAny, &make<TZemFixtureBrv600C_20>},
    {"NMB02", kAny, &make<TZemFixtureNimboO2_21>},
    {"RASTE", kAny, &make<TZemFixtureRastel_21>},
    {"GRB__", 0, &make<TZemFixtureGrobel200CMYI>},
    {"GRB__", 1, &make<TZemFixtureGrobel200CI>},
    {"GRB__", 4, &make<TZemFixtureQuintelCMYI>},
    {"BVT12", 0, &make<TZemFixtureBrv1200CMYIZ>},
    {"BVT12", 2, &make<TZemFixtureBrv1200CIGZF>},
    {"BV6NS", 0, &make<TZemFixtureBrv600NS_CMYIZ>},
    {"B12GM", 2, &make<TZemFixtureBrv1200GM_CIGZF>},
}};

}  // namespace

std::span<const TFixtureTypeRow> FixtureTypeTable() {
  return kTable;
}

int FindFixtureType(const std::string& typeCode, int subType) {
  for (size_t i = 0; i < kTable.size(); ++i) {
    const TFixtureTypeRow& row = kTable[i];
    if (typeCode == row.typeCode && (row.subType == kAny || row.subType == subType))
      return static_cast<int>(i);
  }
  return -1;
}

TZemFixture* CreateFixtureForType(const std::string& typeCode, int subType) {
  const int row = FindFixtureType(typeCode, subType);
  return row < 0 ? nullptr : kTable[static_cast<size_t>(row)].create();
}
