// The RAM loader programs that the firmware tool places in a blank chip before writing its EEPROM, embedded
// in the program as Intel HEX text and found by resource id.
#pragma once

#include <optional>
#include <string_view>

inline constexpr int kLoaderFx2ResourceId = 131;   // for the FX2 (blank product ids 0x6473, 0x8613)
inline constexpr int kLoaderAn21ResourceId = 132;  // for the AN21xx family (blank product id 0x2235)

// The HEX text of the resource with this id, or nullopt.
[[nodiscard]] std::optional<std::string_view> FindHexResource(int resourceId);
