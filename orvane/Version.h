// The program's version, shown in the dialog's caption.
#pragma once

#include <array>

namespace orvane {
inline constexpr std::array<int, 4> kVersion = {1, 0, 0, 0};
}
