// Test scaffolding: the Monitor page's values at their widest, and the check that its columns stay apart.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "zem/link/ZEMData.h"
#include "zem/windows/FixtureForm.h"

namespace monitortest {

// Every channel of every page as wide as it can come: channel n lies at bytes 2n-1 (low) and 2n (high) of its
// page; 32767 on channels 1 to 6, 32768 (as a signed temperature -327.68) on channel 7.
inline void FillMonitorAtItsWidest() {
  for (size_t page = 0; page < fd::kHardwareMonitorPages; ++page) {
    const size_t at = fd::kHardwareMonitor + fd::kHardwareMonitorPageSize * page;
    for (size_t k = 1; k < fd::kHardwareMonitorPageSize; ++k) FixtureData[at + k] = k % 2 ? 0xFF : 0x7F;
    FixtureData[at + 13] = 0x00;
    FixtureData[at + 14] = 0x80;
  }
}

// Each Monitor column ends before the next one begins, channel by channel.
inline void ExpectMonitorColumnsSideBySide(const TFixtureFormTemplate& w) {
  const std::array<const std::array<ui::Ref<ui::Label>, 7>*, 4> columns = {&w.lLightSensor, &w.lSupplyVoltage,
                                                                           &w.lTemperature, &w.lFanSpeed};
  for (size_t col = 0; col + 1 < columns.size(); ++col) {
    for (size_t ch = 0; ch < 7; ++ch) {
      const ui::Label& label = *(*columns[col])[ch];
      const ui::Label& next = *(*columns[col + 1])[ch];
      EXPECT_LT(label.left() + label.width(), next.left()) << label.caption() << " | " << next.caption();
    }
  }
}

}  // namespace monitortest
