// Drawing: a canvas that records what is drawn on it, bitmaps (true-colour or paletted) and image lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {

enum class BrushStyle { Solid, Clear };

struct Pen {
  Color color = clBlack;
  int width = 1;
};

struct Brush {
  Color color = clWhite;
  BrushStyle style = BrushStyle::Solid;
};

class Bitmap;

// One drawing operation as recorded by a canvas.
struct CanvasOp {
  enum class Kind { FillRect, Rectangle, Ellipse, TextOut, MoveTo, LineTo, Draw, StretchDraw };
  Kind kind = Kind::FillRect;
  Rect rect;           // FillRect, Rectangle, Ellipse, StretchDraw; TextOut: the text's box
  Point point;         // TextOut, MoveTo, LineTo (end), Draw: the position
  Point from;          // LineTo: the start
  std::string text;    // TextOut
  Color penColor = 0;  // resolved colours in force when the operation ran
  Color brushColor = 0;
  BrushStyle brushStyle = BrushStyle::Solid;
  Font font;
  std::shared_ptr<const Bitmap> bitmap;  // Draw, StretchDraw: what was drawn
};

// Headless canvas: keeps pen, brush and font, measures text through the backend and records every
// operation so that tests and the display backend can see what an owner-drawn item drew.
class Canvas {
 public:
  Pen pen;
  Brush brush;
  Font font;

  void fillRect(const Rect& r);
  void rectangle(const Rect& r);
  void ellipse(const Rect& r);
  void textOut(int x, int y, const std::string& text);
  void moveTo(int x, int y);
  void lineTo(int x, int y);
  void draw(int x, int y, const Bitmap& bitmap);
  void stretchDraw(const Rect& r, const Bitmap& bitmap);
  Point penPos() const { return penPos_; }

  int textWidth(const std::string& text) const;
  int textHeight(const std::string& text) const;
  Size textExtent(const std::string& text) const;

  const std::vector<CanvasOp>& ops() const { return ops_; }
  void clearOps() { ops_.clear(); }

 private:
  CanvasOp op(CanvasOp::Kind k) const;
  std::vector<CanvasOp> ops_;
  Point penPos_;
};

enum class PixelFormat { Bit1, Bit4, Bit8, Bit24 };
enum class TransparentMode { Auto, Fixed };

// A bitmap of width x height pixels. A paletted bitmap (1, 4 or 8 bits) keeps palette indexes;
// a 24-bit one keeps colours. Pixel reads outside the bitmap give 0; writes there are ignored.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, PixelFormat format = PixelFormat::Bit24);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  void setSize(int width, int height);
  PixelFormat pixelFormat() const { return format_; }
  // Changing the format clears the pixels.
  void setPixelFormat(PixelFormat f);
  bool paletted() const { return format_ != PixelFormat::Bit24; }
  int paletteSize() const;  // 2, 16, 256 or 0

  const std::vector<Color>& palette() const { return palette_; }
  // Entries beyond the format's palette size are dropped; missing ones are black.
  void setPalette(const std::vector<Color>& colors);

  // Palette index (paletted bitmaps) or colour (24-bit).
  uint32_t pixelValue(int x, int y) const;
  void setPixelValue(int x, int y, uint32_t v);
  // The colour shown at the pixel (the palette entry for paletted bitmaps).
  Color pixelColor(int x, int y) const;

  bool transparent() const { return transparent_; }
  void setTransparent(bool on) { transparent_ = on; }
  TransparentMode transparentMode() const { return transparentMode_; }
  void setTransparentMode(TransparentMode m) { transparentMode_ = m; }
  // Auto mode: the colour of the bottom-left pixel.
  Color transparentColor() const;
  void setTransparentColor(Color c) { transparentColor_ = c; }

  friend bool operator==(const Bitmap&, const Bitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bit24;
  std::vector<Color> palette_;
  std::vector<uint32_t> pixels_;
  bool transparent_ = false;
  TransparentMode transparentMode_ = TransparentMode::Auto;
  Color transparentColor_ = 0;
};

// A list of same-sized images.
class ImageList : public Component {
 public:
  explicit ImageList(Component* owner = nullptr) : Component(owner) {}
  int width() const { return width_; }
  int height() const { return height_; }
  void setSize(int width, int height);
  int count() const { return static_cast<int>(images_.size()); }
  int add(const Bitmap& image);
  void clear() { images_.clear(); }
  // Copies image index into out; false (and out unchanged) for an index outside the list.
  bool getBitmap(int index, Bitmap& out) const;

 private:
  int width_ = 16;
  int height_ = 16;
  std::vector<Bitmap> images_;
};

}  // namespace ui
