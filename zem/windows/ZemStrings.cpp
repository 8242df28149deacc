#include "zem/windows/ZemStrings.h"

#include <array>
#include <stdexcept>

namespace {

struct Entry {
  ZemStr id;
  const char* text;
};

// clang-format off
constexpr Entry kEntries[] = {
    {ZemStr::ErrorCaption, "Error!"},
    {ZemStr::WarningCaption, "Warning!"},
    {ZemStr::InformationCaption, "Information"},
    {ZemStr::Ok, "Ok"},
    {ZemStr::Stop, "Stop"},
    {ZemStr::Cancel, "Cancel"},
    {ZemStr::DownloadMemCaption, "Retrieving fixture memory - please wait"},
    {ZemStr::SaveMemoryCaption, "Save fixture memory to file"},
    {ZemStr::MemoryFileNotes, "Memory file notes"},
    {ZemStr::SaveToFile, "Save to file"},
    {ZemStr::AboutCaption, "About ZEM"},
    {ZemStr::ZemLogo, "ZEM"},
    {ZemStr::VersionFormat, "Tavren ZEM - ver %d.%d"},
};
// clang-format on

constexpr size_t kCount = static_cast<size_t>(ZemStr::Count_);

const std::array<std::string, kCount>& table() {
  static const std::array<std::string, kCount> t = [] {
    std::array<std::string, kCount> a;
    std::array<bool, kCount> seen{};
    for (const Entry& e : kEntries) {
      size_t i = static_cast<size_t>(e.id);
      if (i >= kCount || seen[i]) throw std::logic_error("string table: bad or duplicate entry");
      seen[i] = true;
      a[i] = e.text;
    }
    return a;
  }();
  return t;
}

}  // namespace

const std::string& ZemString(ZemStr id) {
  static const std::string kEmpty;
  size_t i = static_cast<size_t>(id);
  if (i >= kCount) return kEmpty;
  return table()[i];
}
