// Every fixture model class, and the table that chooses one by type code and sub-type.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "zem/model/BralinModel.h"
#include "zem/model/Brv1200Models.h"
#include "zem/model/Brv200Models.h"
#include "zem/model/Brv600Models.h"
#include "zem/model/GrobelModels.h"
#include "zem/model/KandrelModel.h"
#include "zem/model/LedModels.h"
#include "zem/model/NimboRastelModels.h"
#include "zem/model/uZemFixture.h"

// One row of the identification table: the type code, the sub-type it needs (kAnySubType: any) and the
// model class it makes.
struct TFixtureTypeRow {
  static constexpr int kAnySubType = -1;
  const char* typeCode;
  int subType;
  TZemFixture* (*create)();
};

// The rows in the order the search loop tests them.
std::span<const TFixtureTypeRow> FixtureTypeTable();

// Index of the first row that matches, or -1 when the fixture is not supported.
int FindFixtureType(const std::string& typeCode, int subType);

// A new model object for the type code and sub-type (owned by the caller), or nullptr when unsupported.
// The model's constructor reads the firmware version from FixtureData, so read the fixture info first.
TZemFixture* CreateFixtureForType(const std::string& typeCode, int subType);
