#include "platform/ui/dump.h"

#include "platform/ui/control.h"

namespace ui {

namespace {
void dumpOne(const Control& c, int depth, std::string& out) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += c.name().empty() ? "-" : c.name();
  out += ": ";
  out += c.kind();
  if (!c.caption().empty()) {
    out += " \"";
    out += c.caption();
    out += '"';
  }
  out += " (" + std::to_string(c.left()) + "," + std::to_string(c.top()) + "," + std::to_string(c.width()) +
         "," + std::to_string(c.height()) + ")";
  if (!c.visible()) out += " hidden";
  if (!c.enabled()) out += " disabled";
  std::string details = c.dumpDetails();
  if (!details.empty()) out += " [" + details + "]";
  out += '\n';
  if (auto* w = dynamic_cast<const WinControl*>(&c)) {
    for (const Control* child : w->controls()) dumpOne(*child, depth + 1, out);
  }
}
}  // namespace

std::string dumpControls(const Control& root) {
  std::string out;
  dumpOne(root, 0, out);
  return out;
}

}  // namespace ui
