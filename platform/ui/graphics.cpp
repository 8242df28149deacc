#include "platform/ui/graphics.h"

#include "platform/ui/backend.h"

namespace ui {

CanvasOp Canvas::op(CanvasOp::Kind k) const {
  CanvasOp o;
  o.kind = k;
  o.penColor = colorToRGB(pen.color);
  o.brushColor = colorToRGB(brush.color);
  o.brushStyle = brush.style;
  o.font = font;
  o.font.color = colorToRGB(font.color);
  return o;
}

void Canvas::fillRect(const Rect& r) {
  CanvasOp o = op(CanvasOp::Kind::FillRect);
  o.rect = r;
  ops_.push_back(o);
}

void Canvas::rectangle(const Rect& r) {
  CanvasOp o = op(CanvasOp::Kind::Rectangle);
  o.rect = r;
  ops_.push_back(o);
}

void Canvas::ellipse(const Rect& r) {
  CanvasOp o = op(CanvasOp::Kind::Ellipse);
  o.rect = r;
  ops_.push_back(o);
}

void Canvas::textOut(int x, int y, const std::string& text) {
  CanvasOp o = op(CanvasOp::Kind::TextOut);
  o.point = {x, y};
  o.text = text;
  Size s = textExtent(text);
  o.rect = boundsToRect(x, y, s.width, s.height);
  ops_.push_back(o);
  penPos_ = {x + s.width, y};
}

void Canvas::moveTo(int x, int y) {
  CanvasOp o = op(CanvasOp::Kind::MoveTo);
  o.point = {x, y};
  ops_.push_back(o);
  penPos_ = {x, y};
}

void Canvas::lineTo(int x, int y) {
  CanvasOp o = op(CanvasOp::Kind::LineTo);
  o.from = penPos_;
  o.point = {x, y};
  ops_.push_back(o);
  penPos_ = {x, y};
}

void Canvas::draw(int x, int y, const Bitmap& bitmap) {
  CanvasOp o = op(CanvasOp::Kind::Draw);
  o.point = {x, y};
  o.rect = boundsToRect(x, y, bitmap.width(), bitmap.height());
  o.bitmap = std::make_shared<const Bitmap>(bitmap);
  ops_.push_back(o);
}

void Canvas::stretchDraw(const Rect& r, const Bitmap& bitmap) {
  CanvasOp o = op(CanvasOp::Kind::StretchDraw);
  o.rect = r;
  o.bitmap = std::make_shared<const Bitmap>(bitmap);
  ops_.push_back(o);
}

int Canvas::textWidth(const std::string& text) const {
  return textExtent(text).width;
}

int Canvas::textHeight(const std::string& text) const {
  return textExtent(text).height;
}

Size Canvas::textExtent(const std::string& text) const {
  return backend().textExtent(font, text);
}

Bitmap::Bitmap(int width, int height, PixelFormat format) : format_(format) {
  setSize(width, height);
}

void Bitmap::setSize(int width, int height) {
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
}

void Bitmap::setPixelFormat(PixelFormat f) {
  format_ = f;
  pixels_.assign(pixels_.size(), 0);
  if (palette_.size() > static_cast<size_t>(paletteSize()))
    palette_.resize(static_cast<size_t>(paletteSize()));
}

int Bitmap::paletteSize() const {
  switch (format_) {
    case PixelFormat::Bit1:
      return 2;
    case PixelFormat::Bit4:
      return 16;
    case PixelFormat::Bit8:
      return 256;
    case PixelFormat::Bit24:
      return 0;
  }
  return 0;
}

void Bitmap::setPalette(const std::vector<Color>& colors) {
  palette_.assign(static_cast<size_t>(paletteSize()), clBlack);
  for (size_t i = 0; i < colors.size() && i < palette_.size(); ++i) palette_[i] = colors[i];
}

uint32_t Bitmap::pixelValue(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Bitmap::setPixelValue(int x, int y, uint32_t v) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (paletted()) v %= static_cast<uint32_t>(paletteSize());
  pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = v;
}

Color Bitmap::pixelColor(int x, int y) const {
  uint32_t v = pixelValue(x, y);
  if (!paletted()) return v;
  return v < palette_.size() ? palette_[v] : clBlack;
}

Color Bitmap::transparentColor() const {
  if (transparentMode_ == TransparentMode::Fixed) return transparentColor_;
  return pixelColor(0, height_ - 1);
}

void ImageList::setSize(int width, int height) {
  width_ = width;
  height_ = height;
  images_.clear();
}

int ImageList::add(const Bitmap& image) {
  images_.push_back(image);
  return count() - 1;
}

bool ImageList::getBitmap(int index, Bitmap& out) const {
  if (index < 0 || index >= count()) return false;
  out = images_[static_cast<size_t>(index)];
  return true;
}

}  // namespace ui
