#include "mendaro/BoxPicture.h"

#include <array>
#include <cstdint>

namespace mendaro {

namespace {

constexpr ui::Color kCase = 0x3A3A3A;
constexpr ui::Color kCaseEdge = 0x6A6A6A;
constexpr ui::Color kPlate = 0x505050;
constexpr ui::Color kSocketRing = 0xC0C0C0;
constexpr ui::Color kSocketHole = 0x181818;
constexpr ui::Color kPin = 0xA0A0A0;
constexpr ui::Color kLettering = 0xE8E8E8;
constexpr ui::Color kBezel = 0x202020;
constexpr ui::Color kLampOff = 0x2A3A2A;

void fill(ui::Bitmap& b, int left, int top, int right, int bottom, ui::Color c) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) b.setPixelValue(x, y, c);
  }
}

void disc(ui::Bitmap& b, int cx, int cy, int r, ui::Color c) {
  for (int y = -r; y <= r; ++y) {
    for (int x = -r; x <= r; ++x) {
      if (x * x + y * y <= r * r) b.setPixelValue(cx + x, cy + y, c);
    }
  }
}

// A 5 x 7 letter, drawn at twice its size.
void letter(ui::Bitmap& b, int left, int top, const std::array<uint8_t, 7>& rows) {
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 5; ++x) {
      if (rows[static_cast<size_t>(y)] & (0x10 >> x))
        fill(b, left + 2 * x, top + 2 * y, left + 2 * x + 2, top + 2 * y + 2, kLettering);
    }
  }
}

// The sockets stand above their ports' controls in the dialog (the picture and the group share a left edge).
constexpr int kSocketBX = 55;
constexpr int kSocketAX = 149;
constexpr int kSocketY = 58;

constexpr std::array<uint8_t, 7> kLetterA{0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11};
constexpr std::array<uint8_t, 7> kLetterB{0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E};

// A DMX socket: ring, hole and three pins, with its port's letter above.
void socket(ui::Bitmap& b, int cx, int cy, const std::array<uint8_t, 7>& name) {
  disc(b, cx, cy, 22, kSocketRing);
  disc(b, cx, cy, 18, kSocketHole);
  disc(b, cx - 8, cy - 4, 2, kPin);
  disc(b, cx + 8, cy - 4, 2, kPin);
  disc(b, cx, cy + 8, 2, kPin);
  letter(b, cx - 5, 14, name);
}

}  // namespace

ui::Bitmap BoxPicture() {
  ui::Bitmap b(kBoxPictureWidth, kBoxPictureHeight);
  // On the dialog's own face colour.
  fill(b, 0, 0, kBoxPictureWidth, kBoxPictureHeight, ui::colorToRGB(ui::clBtnFace));
  fill(b, 4, 6, 220, 116, kCaseEdge);
  fill(b, 6, 8, 218, 114, kCase);
  fill(b, 12, 10, 212, 110, kPlate);
  socket(b, kSocketBX, kSocketY, kLetterB);
  socket(b, kSocketAX, kSocketY, kLetterA);
  // The USB socket, on the right.
  fill(b, 186, 52, 206, 66, kSocketRing);
  fill(b, 189, 55, 203, 63, kSocketHole);
  // The lamp's bezel; the lamp itself is drawn by the dialog.
  fill(b, 161, 91, 174, 104, kBezel);
  fill(b, kLampBody.left, kLampBody.top, kLampBody.right, kLampBody.bottom, kLampOff);
  fill(b, kLampTop.left, kLampTop.top, kLampTop.right, kLampTop.bottom, kLampOff);
  fill(b, kLampBottom.left, kLampBottom.top, kLampBottom.right, kLampBottom.bottom, kLampOff);
  return b;
}

}  // namespace mendaro
