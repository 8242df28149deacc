#include "usbdevice/loader_images.h"

namespace {

// Generated at build time from loaders/*.hex.
const char kLoaderFx2[] = {
#include "loader_fx2.inc"
};
const char kLoaderAn21[] = {
#include "loader_an21xx.inc"
};

}  // namespace

std::optional<std::string_view> FindHexResource(int resourceId) {
  switch (resourceId) {
    case kLoaderFx2ResourceId:
      return std::string_view(kLoaderFx2, sizeof kLoaderFx2);
    case kLoaderAn21ResourceId:
      return std::string_view(kLoaderAn21, sizeof kLoaderAn21);
    default:
      return std::nullopt;
  }
}
