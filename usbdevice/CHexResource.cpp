#include "usbdevice/CHexResource.h"

#include "usbdevice/loader_images.h"

CHexResource::CHexResource(int resourceId) {
  if (auto text = FindHexResource(resourceId)) text_.assign(text->begin(), text->end());
  skipEmptyLines();
}

CHexResource CHexResource::FromText(std::string text) {
  CHexResource reader;
  reader.text_ = std::move(text);
  reader.skipEmptyLines();
  return reader;
}

// Empty lines (nothing, or a carriage return alone, before the line feed) count as no line.
void CHexResource::skipEmptyLines() {
  while (current_ < text_.size()) {
    size_t end = text_.find('\n', current_);
    if (end == std::string::npos) end = text_.size();
    std::string_view line(text_.data() + current_, end - current_);
    if (!line.empty() && line != "\r") return;
    current_ = end < text_.size() ? end + 1 : end;
  }
}

int CHexResource::ReadRecord() {
  if (current_ >= text_.size()) return intelhex::kNoRecord;
  size_t end = text_.find('\n', current_);
  bool hasLineFeed = end != std::string::npos;
  if (!hasLineFeed) end = text_.size();
  std::string_view line(text_.data() + current_, end - current_);
  int type = intelhex::ParseHexRecord(line, record_, intelhex::Digits::AnyCase);
  if (type < 0) return type;
  bytesRead_ += line.size() + (hasLineFeed ? 1 : 0);
  current_ = hasLineFeed ? end + 1 : end;
  skipEmptyLines();
  return type;
}
