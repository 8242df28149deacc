// Devices named by text (ZEM_SIM_USB_DEVICES), for programs run against the simulated bus.
#include <cstdlib>

#include "sim/usb/bus.h"
#include "sim/usb/sim_dmx_box.h"

namespace simusb::detail {

namespace {

std::vector<std::string> split(const std::string& text, char sep, size_t maxParts) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < maxParts) {
    const size_t at = text.find(sep, start);
    if (at == std::string::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// A 16-bit hexadecimal number, or -1.
long parseProduct(const std::string& text) {
  if (text.empty() || text.size() > 4) return -1;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 16);
  return *end == '\0' ? v : -1;
}

}  // namespace

std::vector<std::string> Bus::plugFromSpec(const std::string& spec) {
  std::vector<std::string> errors;
  for (const std::string& entry : split(spec, ';', std::string::npos)) {
    if (entry.find_first_not_of(' ') == std::string::npos) continue;
    const auto fields = split(entry, ':', 3);  // kind, product, name (which may hold ':')
    if (fields[0] != "dmx") {
      errors.push_back("unknown device kind in \"" + entry + "\" (known: dmx)");
      continue;
    }
    DmxBoxConfig config;
    if (fields.size() > 1) {
      const long product = parseProduct(fields[1]);
      if (product < 0) {
        errors.push_back("bad product id in \"" + entry + "\" (four hex digits at most)");
        continue;
      }
      config.productId = static_cast<uint16_t>(product);
    }
    if (fields.size() > 2) config.name = fields[2];
    plug(newDmxBox(config));
  }
  return errors;
}

}  // namespace simusb::detail
