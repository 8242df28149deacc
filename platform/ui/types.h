// Value types shared by the window layer: colours, geometry, fonts, key codes and the small enums
// of forms and controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

// Colours are 0x00BBGGRR. A value with the top byte 0xFF names a system colour (index in the low byte);
// colorToRGB() resolves it through the backend.
using Color = uint32_t;

inline constexpr Color kSystemColorFlag = 0xFF000000;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clMaroon = 0x000080;
inline constexpr Color clGreen = 0x008000;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clGray = 0x808080;
inline constexpr Color clSilver = 0xC0C0C0;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clLime = 0x00FF00;
inline constexpr Color clYellow = 0x00FFFF;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clFuchsia = 0xFF00FF;
inline constexpr Color clAqua = 0xFFFF00;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clWindow = kSystemColorFlag | 5;
inline constexpr Color clWindowText = kSystemColorFlag | 8;
inline constexpr Color clHighlight = kSystemColorFlag | 13;
inline constexpr Color clHighlightText = kSystemColorFlag | 14;
inline constexpr Color clBtnFace = kSystemColorFlag | 15;
inline constexpr Color clBtnShadow = kSystemColorFlag | 16;
inline constexpr Color clGrayText = kSystemColorFlag | 17;
inline constexpr Color clBtnText = kSystemColorFlag | 18;
inline constexpr Color clBtnHighlight = kSystemColorFlag | 20;
inline constexpr Color clInfoBk = kSystemColorFlag | 24;

constexpr Color rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr uint8_t redOf(Color c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t greenOf(Color c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t blueOf(Color c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}
constexpr bool isSystemColor(Color c) {
  return (c & 0xFF000000) == kSystemColorFlag;
}
// The plain 0x00BBGGRR value of a colour; system colours take their current value.
Color colorToRGB(Color c);

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect boundsToRect(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

struct Font {
  std::string name = "MS Sans Serif";
  int size = 8;  // points; 96 pixels per inch
  Color color = clWindowText;
  bool bold = false;
  bool italic = false;
  bool underline = false;

  int pixelHeight() const { return (size * 96 + 36) / 72; }
  // Sets the size from a character height in pixels.
  void setPixelHeight(int px) { size = (px * 72 + 48) / 96; }
  friend bool operator==(const Font&, const Font&) = default;
};

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class Alignment { Left, Right, Center };
enum class BevelCut { None, Lowered, Raised, Space };
enum class MouseButton { Left, Right, Middle };

using ShiftState = uint32_t;
inline constexpr ShiftState kShift = 1;
inline constexpr ShiftState kAlt = 2;
inline constexpr ShiftState kCtrl = 4;
inline constexpr ShiftState kLeftButton = 8;
inline constexpr ShiftState kRightButton = 16;
inline constexpr ShiftState kMiddleButton = 32;
inline constexpr ShiftState kDouble = 64;

// Screen cursors (the class library's numbering).
using Cursor = int;
inline constexpr Cursor crDefault = 0;
inline constexpr Cursor crNone = -1;
inline constexpr Cursor crArrow = -2;
inline constexpr Cursor crCross = -3;
inline constexpr Cursor crIBeam = -4;
inline constexpr Cursor crHourGlass = -11;
inline constexpr Cursor crHandPoint = -21;

// Virtual key codes.
namespace vk {
inline constexpr uint16_t Back = 0x08;
inline constexpr uint16_t Tab = 0x09;
inline constexpr uint16_t Return = 0x0D;
inline constexpr uint16_t Shift = 0x10;
inline constexpr uint16_t Control = 0x11;
inline constexpr uint16_t Menu = 0x12;
inline constexpr uint16_t Escape = 0x1B;
inline constexpr uint16_t Space = 0x20;
inline constexpr uint16_t Prior = 0x21;
inline constexpr uint16_t Next = 0x22;
inline constexpr uint16_t End = 0x23;
inline constexpr uint16_t Home = 0x24;
inline constexpr uint16_t Left = 0x25;
inline constexpr uint16_t Up = 0x26;
inline constexpr uint16_t Right = 0x27;
inline constexpr uint16_t Down = 0x28;
inline constexpr uint16_t Delete = 0x2E;
inline constexpr uint16_t F1 = 0x70;
inline constexpr uint16_t F4 = 0x73;
}  // namespace vk

enum class ModalResult { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Window messages posted with Application::postMessage.
inline constexpr uint32_t WM_USER = 0x0400;

// Rounds to the nearest integer, halves to the even neighbour (the class library's Round).
int64_t roundHalfEven(long double v);

// The caption without its hot-key marker: "&Help" gives "Help", "&&" stays one "&".
std::string stripHotkey(const std::string& caption);
// The text with each line break as one LF: CR LF and LF CR pairs count once, as do CR and LF alone.
std::string lineBreaksAsLineFeeds(const std::string& text);

class Component;
using NotifyEvent = std::function<void(Component* sender)>;
using MouseEvent = std::function<void(Component* sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(Component* sender, ShiftState shift, int x, int y)>;
using KeyEvent = std::function<void(Component* sender, uint16_t& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(Component* sender, char& key)>;

}  // namespace ui
