// Factory of the simulated USB-DMX box (the interface is sim_dmx_box.h).
#pragma once

#include <memory>

#include "sim/usb/sim_dmx_box.h"

namespace simusb::detail {

std::shared_ptr<SimDmxBox> makeDmxBox(const DmxBoxConfig& config);

}  // namespace simusb::detail
