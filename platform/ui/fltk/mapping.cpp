#include "platform/ui/fltk/mapping.h"

#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace ui::fltk {

uint16_t virtualKey(int k) {
  if (k >= 'a' && k <= 'z') return static_cast<uint16_t>(k - 'a' + 'A');
  if ((k >= '0' && k <= '9') || k == ' ') return static_cast<uint16_t>(k);
  if (k >= FL_F + 1 && k <= FL_F + 24) return static_cast<uint16_t>(vk::F1 + (k - FL_F - 1));
  if (k >= FL_KP + '0' && k <= FL_KP + '9') return static_cast<uint16_t>(0x60 + (k - FL_KP - '0'));
  switch (k) {
    case FL_BackSpace:
      return vk::Back;
    case FL_Tab:
      return vk::Tab;
    case FL_Enter:
    case FL_KP_Enter:
      return vk::Return;
    case FL_Shift_L:
    case FL_Shift_R:
      return vk::Shift;
    case FL_Control_L:
    case FL_Control_R:
      return vk::Control;
    case FL_Alt_L:
    case FL_Alt_R:
      return vk::Menu;
    case FL_Escape:
      return vk::Escape;
    case FL_Page_Up:
      return vk::Prior;
    case FL_Page_Down:
      return vk::Next;
    case FL_End:
      return vk::End;
    case FL_Home:
      return vk::Home;
    case FL_Left:
      return vk::Left;
    case FL_Up:
      return vk::Up;
    case FL_Right:
      return vk::Right;
    case FL_Down:
      return vk::Down;
    case FL_Delete:
      return vk::Delete;
    case FL_Insert:
      return 0x2D;
    default:
      return 0;
  }
}

ShiftState shiftState(int s, bool dbl) {
  ShiftState out = 0;
  if (s & FL_SHIFT) out |= kShift;
  if (s & FL_ALT) out |= kAlt;
  if (s & FL_CTRL) out |= kCtrl;
  if (s & FL_BUTTON1) out |= kLeftButton;
  if (s & FL_BUTTON2) out |= kMiddleButton;
  if (s & FL_BUTTON3) out |= kRightButton;
  if (dbl) out |= kDouble;
  return out;
}

MouseButton mouseButton(int b) {
  if (b == FL_RIGHT_MOUSE) return MouseButton::Right;
  if (b == FL_MIDDLE_MOUSE) return MouseButton::Middle;
  return MouseButton::Left;
}

Fl_Cursor toolkitCursor(Cursor c) {
  switch (c) {
    case crNone:
      return FL_CURSOR_NONE;
    case crCross:
      return FL_CURSOR_CROSS;
    case crIBeam:
      return FL_CURSOR_INSERT;
    case crHourGlass:
      return FL_CURSOR_WAIT;
    case crHandPoint:
      return FL_CURSOR_HAND;
    default:
      return FL_CURSOR_DEFAULT;
  }
}

Fl_Font toolkitFace(const Font& f) {
  std::string n = f.name;
  std::transform(n.begin(), n.end(), n.begin(), [](unsigned char ch) { return std::tolower(ch); });
  Fl_Font face = FL_HELVETICA;
  if (n.find("courier") != std::string::npos || n.find("mono") != std::string::npos ||
      n.find("fixed") != std::string::npos || n.find("terminal") != std::string::npos) {
    face = FL_COURIER;
  } else if (n.find("times") != std::string::npos || n.find("roman") != std::string::npos ||
             (n.find("serif") != std::string::npos && n.find("sans") == std::string::npos)) {
    face = FL_TIMES;
  }
  if (f.bold) face += FL_BOLD;
  if (f.italic) face += FL_ITALIC;
  return face;
}

void useDialogFaces() {
  // Once per process: setting a face again drops the toolkit's loaded fonts under its feet.
  static bool done = false;
  if (done) return;
  done = true;
  // Xft names: the first character is the style (blank, Bold, Italic, P for bold italic).
  Fl::set_font(FL_HELVETICA, " Liberation Sans");
  Fl::set_font(FL_HELVETICA_BOLD, "BLiberation Sans");
  Fl::set_font(FL_HELVETICA_ITALIC, "ILiberation Sans");
  Fl::set_font(FL_HELVETICA_BOLD_ITALIC, "PLiberation Sans");
}

Fl_Color toolkitColor(Color c) {
  Color v = colorToRGB(c);
  return fl_rgb_color(redOf(v), greenOf(v), blueOf(v));
}

std::string toolkitFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    // "||" ends a filter list: nothing after it is a filter.
    if (parts[i].empty() && parts[i + 1].empty()) break;
    std::string name = parts[i];
    // The description often repeats the pattern in brackets; the toolkit reads the last brackets.
    if (auto open = name.rfind(" ("); open != std::string::npos && name.back() == ')') name.erase(open);
    std::string pattern = parts[i + 1];
    if (pattern == "*.*") pattern = "*";
    if (pattern.find(';') != std::string::npos) {
      std::string alt = "{";
      size_t s = 0;
      while (s <= pattern.size()) {
        size_t semi = pattern.find(';', s);
        if (semi == std::string::npos) semi = pattern.size();
        std::string one = pattern.substr(s, semi - s);
        if (one == "*.*") one = "*";
        if (!one.empty()) {
          if (alt.size() > 1) alt += ',';
          alt += one;
        }
        s = semi + 1;
      }
      pattern = alt + "}";
    }
    if (!out.empty()) out += '\t';
    out += name + " (" + pattern + ")";
  }
  return out;
}

}  // namespace ui::fltk
