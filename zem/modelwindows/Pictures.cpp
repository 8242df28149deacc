#include "zem/modelwindows/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace colormix {

namespace {

constexpr int kFaderWidth = 32;
constexpr int kFaderHeight = 128;
constexpr int kPictureSize = 40;
constexpr ui::Color kOutline = 0x202020;

uint8_t Mix(uint8_t from, uint8_t to, double t) {
  return static_cast<uint8_t>(std::lround(from + (to - from) * t));
}

ui::Color Blend(ui::Color from, ui::Color to, double t) {
  return ui::rgb(Mix(ui::redOf(from), ui::redOf(to), t), Mix(ui::greenOf(from), ui::greenOf(to), t),
                 Mix(ui::blueOf(from), ui::blueOf(to), t));
}

// A vertical bar fading from the colour at the top to near black at the bottom.
ui::Bitmap Gradient(ui::Color top) {
  ui::Bitmap b(kFaderWidth, kFaderHeight);
  for (int y = 0; y < kFaderHeight; ++y) {
    const ui::Color c = Blend(top, 0x101010, static_cast<double>(y) / (kFaderHeight - 1));
    for (int x = 0; x < kFaderWidth; ++x) b.setPixelValue(x, y, c);
  }
  return b;
}

// The zoom picture: a beam that widens towards the top.
ui::Bitmap Beam() {
  ui::Bitmap b(kFaderWidth, kFaderHeight);
  for (int y = 0; y < kFaderHeight; ++y) {
    const double t = static_cast<double>(y) / (kFaderHeight - 1);
    const int half = static_cast<int>(std::lround(2 + (1 - t) * (kFaderWidth / 2 - 2)));
    for (int x = 0; x < kFaderWidth; ++x) {
      const bool inBeam = std::abs(x - kFaderWidth / 2) < half;
      b.setPixelValue(x, y, inBeam ? Blend(ui::clWhite, 0x606060, t) : 0x181818);
    }
  }
  return b;
}

void Rectangle(ui::Bitmap& b, int left, int top, int right, int bottom, ui::Color c) {
  for (int x = left; x <= right; ++x) {
    b.setPixelValue(x, top, c);
    b.setPixelValue(x, bottom, c);
  }
  for (int y = top; y <= bottom; ++y) {
    b.setPixelValue(left, y, c);
    b.setPixelValue(right, y, c);
  }
}

void Disc(ui::Bitmap& b, int cx, int cy, int r, ui::Color fill, ui::Color edge) {
  for (int y = cy - r; y <= cy + r; ++y) {
    for (int x = cx - r; x <= cx + r; ++x) {
      const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d2 <= r * r) b.setPixelValue(x, y, d2 >= (r - 1) * (r - 1) ? edge : fill);
    }
  }
}

ui::Bitmap Blank(int w, int h, ui::Color background) {
  ui::Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixelValue(x, y, background);
  return b;
}

}  // namespace

void FillFaderImages(ui::ImageList& list) {
  list.clear();
  list.setSize(kFaderWidth, kFaderHeight);
  list.add(Gradient(ui::clAqua));
  list.add(Gradient(ui::clFuchsia));
  list.add(Gradient(ui::clYellow));
  list.add(Beam());
  list.add(Gradient(ui::clWhite));
  for (ui::Color led : {kLedRed, kLedGreen, kLedBlue, kLedAmber, kLedWhite}) list.add(Gradient(led));
}

ui::Bitmap LevelPicture(ui::Color color) {
  return Gradient(color);
}

ui::Bitmap GoboPicture(int gobo) {
  constexpr int kSize = 32;
  constexpr int kC = kSize / 2;
  ui::Bitmap b = Blank(kSize, kSize, 0x303030);
  Disc(b, kC, kC, kC - 1, 0x101010, 0x909090);
  // Each gobo its own pattern of light: a dot, bars, a ring, a star.
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int dx = x - kC;
      const int dy = y - kC;
      const int d2 = dx * dx + dy * dy;
      if (d2 > (kC - 4) * (kC - 4)) continue;
      bool light = false;
      switch (gobo & 3) {
        case 0:
          light = d2 <= 36;
          break;
        case 1:
          light = (x / 4) % 2 == 0;
          break;
        case 2:
          light = d2 >= 49 && d2 <= 110;
          break;
        case 3:
          light = std::abs(dx) <= 1 || std::abs(dy) <= 1 || std::abs(dx - dy) <= 1 || std::abs(dx + dy) <= 1;
          break;
      }
      if (light) b.setPixelValue(x, y, 0xF0F0F0);
    }
  }
  return b;
}

ui::Bitmap ArrowPicture(int dx, int dy) {
  constexpr int kSize = 9;
  constexpr int kC = kSize / 2;
  ui::Bitmap b = Blank(kSize, kSize, 0xBDBDBD);
  b.setTransparent(true);
  // A triangle pointing along (dx, dy): i steps back from its point it is 2i + 1 pixels wide.
  for (int i = 0; i <= kC; ++i) {
    const int along = kC + 2 - i;
    for (int w = -i; w <= i; ++w) {
      const int x = dx != 0 ? kC + dx * (along - kC) : kC + w;
      const int y = dy != 0 ? kC + dy * (along - kC) : kC + w;
      b.setPixelValue(x, y, 0x202020);
    }
  }
  return b;
}

ui::Bitmap GridPicture(int width, int height) {
  ui::Bitmap b = Blank(width, height, 0x202020);
  // Lines every eighth of the way and a brighter cross through the middle.
  for (int k = 1; k < 8; ++k) {
    const ui::Color c = k == 4 ? 0x909090 : 0x484848;
    const int x = width * k / 8;
    const int y = height * k / 8;
    for (int i = 0; i < height; ++i) b.setPixelValue(x, i, c);
    for (int i = 0; i < width; ++i) b.setPixelValue(i, y, c);
  }
  Rectangle(b, 0, 0, width - 1, height - 1, 0x909090);
  return b;
}

ui::Bitmap FrostPicture(bool on) {
  constexpr int kW = 32;
  constexpr int kH = 20;
  ui::Bitmap b = Blank(kW, kH, 0x303030);
  Disc(b, kW / 2, kH / 2, 8, on ? 0xD8D8D8 : 0xFFF0C0, kOutline);
  if (on) {
    // Haze: a few lighter specks over the lens.
    for (int k = 0; k < 12; ++k)
      b.setPixelValue(kW / 2 - 6 + (k * 5) % 13, kH / 2 - 5 + (k * 3) % 11, 0xFFFFFF);
  }
  return b;
}

ui::Bitmap FixturePicture(FixtureOutline outline) {
  const ui::Color background = 0xBDBDBD;
  ui::Bitmap b = Blank(kPictureSize, kPictureSize, background);
  switch (outline) {
    case FixtureOutline::MovingHead:
      Rectangle(b, 8, 30, 31, 37, kOutline);  // base
      Rectangle(b, 10, 8, 13, 29, kOutline);  // yoke
      Rectangle(b, 26, 8, 29, 29, kOutline);
      Disc(b, 20, 14, 7, 0x707070, kOutline);  // head
      break;
    case FixtureOutline::Wash:
      Rectangle(b, 6, 10, 33, 33, kOutline);
      Disc(b, 20, 21, 9, 0xF0E0A0, kOutline);
      break;
    case FixtureOutline::Compact:
      Rectangle(b, 10, 12, 29, 31, kOutline);
      Disc(b, 20, 21, 6, 0xF0E0A0, kOutline);
      break;
    case FixtureOutline::Round:
      Disc(b, 20, 20, 16, 0x808080, kOutline);
      Disc(b, 20, 20, 8, 0xF0E0A0, kOutline);
      break;
    case FixtureOutline::Cube:
      Rectangle(b, 6, 6, 33, 33, kOutline);
      Rectangle(b, 12, 12, 27, 27, kOutline);
      break;
    case FixtureOutline::Scanner:
      Rectangle(b, 4, 14, 27, 25, kOutline);                                          // body
      Rectangle(b, 28, 10, 35, 29, kOutline);                                         // mirror housing
      for (int k = 0; k < 6; ++k) b.setPixelValue(30 + k / 2, 12 + 3 * k, 0xE0E0E0);  // the mirror
      break;
    case FixtureOutline::LedPar:
      Disc(b, 20, 20, 16, 0x404040, kOutline);
      for (int k = 0; k < 5; ++k) {
        const ui::Color led[] = {kLedRed, kLedGreen, kLedBlue, kLedAmber, kLedWhite};
        Disc(b, 20 + (k - 2) * 6, 20 + (k % 2 == 0 ? -4 : 4), 2, led[k], led[k]);
      }
      break;
  }
  return b;
}

}  // namespace colormix
