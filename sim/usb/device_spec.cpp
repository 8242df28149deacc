// Devices named by text (ZEM_SIM_USB_DEVICES), for programs run against the simulated bus.
#include <cstdlib>

#include "sim/usb/bus.h"
#include "sim/usb/sim_dmx_box.h"
#include "sim/usb/sim_ezusb.h"

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

// A hexadecimal number of at most four digits, or -1.
long parseHex16(const std::string& text) {
  if (text.empty() || text.size() > 4) return -1;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 16);
  return *end == '\0' ? v : -1;
}

bool isBlankProduct(ChipKind kind, long product) {
  return kind == ChipKind::AN21xx ? product == kEzUsbBlankAn21
                                  : product == kEzUsbBlankFx2 || product == kEzUsbBlankFx2Other;
}

}  // namespace

std::vector<std::string> Bus::plugFromSpec(const std::string& spec) {
  std::vector<std::string> errors;
  std::shared_ptr<SimEzUsb> lastChip;  // boards go behind the chip named last
  for (const std::string& entry : split(spec, ';', std::string::npos)) {
    if (entry.find_first_not_of(' ') == std::string::npos) continue;
    const std::string kind = entry.substr(0, entry.find(':'));
    if (kind == "dmx") {
      if (auto error = plugDmxBox(entry)) errors.push_back(*error);
    } else if (kind == "fx2" || kind == "an21") {
      auto chip = chipFromSpec(entry, kind == "fx2" ? ChipKind::FX2 : ChipKind::AN21xx, errors);
      if (chip) {
        plug(chip);
        lastChip = chip;
      }
    } else if (kind == "board") {
      addBoardFromSpec(entry, lastChip, errors);
    } else {
      errors.push_back("unknown device kind in \"" + entry + "\" (known: dmx, fx2, an21, board)");
    }
  }
  return errors;
}

std::optional<std::string> Bus::plugDmxBox(const std::string& entry) {
  const auto fields = split(entry, ':', 3);  // kind, product, name (which may hold ':')
  DmxBoxConfig config;
  if (fields.size() > 1) {
    const long product = parseHex16(fields[1]);
    if (product < 0) return "bad product id in \"" + entry + "\" (four hex digits at most)";
    config.productId = static_cast<uint16_t>(product);
  }
  if (fields.size() > 2) config.name = fields[2];
  plug(newDmxBox(config));
  return std::nullopt;
}

// fx2|an21[:PRODUCT[:BCD[:NAME]]]: without a product, or with a blank one, a chip without firmware.
std::shared_ptr<SimEzUsb> Bus::chipFromSpec(const std::string& entry, ChipKind kind,
                                            std::vector<std::string>& errors) {
  const auto fields = split(entry, ':', 4);
  EzUsbConfig config = blankEzUsb(kind);
  if (fields.size() > 1 && !fields[1].empty()) {
    const long product = parseHex16(fields[1]);
    if (product < 0) {
      errors.push_back("bad product id in \"" + entry + "\" (four hex digits at most)");
      return nullptr;
    }
    if (isBlankProduct(kind, product)) {
      config.productId = static_cast<uint16_t>(product);
    } else {
      config = programmedEzUsb(kind, static_cast<uint16_t>(product), 0, "Console board");
    }
  }
  if (fields.size() > 2) {
    const long bcd = parseHex16(fields[2]);
    if (bcd < 0) {
      errors.push_back("bad version in \"" + entry + "\" (four hex digits at most)");
      return nullptr;
    }
    config.bcdDevice = static_cast<uint16_t>(bcd);
  }
  if (fields.size() > 3 && config.firmware) config.product = fields[3];
  return newEzUsb(config);
}

// board:ADDR:ID:CODE:EXTRA:VERSION[:boot], all hexadecimal.
void Bus::addBoardFromSpec(const std::string& entry, const std::shared_ptr<SimEzUsb>& chip,
                           std::vector<std::string>& errors) {
  const auto fields = split(entry, ':', 7);
  long v[5] = {};
  const long limits[5] = {0xFF, 0xFFFF, 0xFF, 0xFF, 0xFFFF};
  bool ok = fields.size() >= 6 && (fields.size() == 6 || fields[6] == "boot");
  for (size_t i = 0; ok && i < 5; ++i) {
    v[i] = parseHex16(fields[i + 1]);
    ok = v[i] >= 0 && v[i] <= limits[i];
  }
  if (!ok) {
    errors.push_back("bad board in \"" + entry + "\" (board:ADDR:ID:CODE:EXTRA:VERSION[:boot], in hex)");
    return;
  }
  if (!chip) {
    errors.push_back("board without a chip before it in \"" + entry + "\"");
    return;
  }
  auto board =
      chip->addBoard(static_cast<uint8_t>(v[0]), {static_cast<uint16_t>(v[1]), static_cast<uint8_t>(v[2]),
                                                  static_cast<uint8_t>(v[3]), static_cast<uint16_t>(v[4])});
  if (fields.size() == 7) board->setBootState(true);
}

}  // namespace simusb::detail
