#include "platform/ui/controls.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/backend.h"
#include "platform/ui/form.h"
#include "platform/ui/text_layout.h"

namespace ui {

Panel::Panel(Component* owner) : WinControl(owner) {
  setBounds(0, 0, 185, 41);
}

namespace {
const char* bevelName(BevelCut b) {
  switch (b) {
    case BevelCut::None:
      return "none";
    case BevelCut::Lowered:
      return "lowered";
    case BevelCut::Raised:
      return "raised";
    case BevelCut::Space:
      return "space";
  }
  return "?";
}

std::string hexColor(Color c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
  return buf;
}
}  // namespace

std::string Panel::dumpDetails() const {
  return std::string("outer ") + bevelName(bevelOuter_) + ", inner " + bevelName(bevelInner_);
}

std::string Shape::dumpDetails() const {
  return "brush " + hexColor(brushColor_);
}

std::string ProgressBar::dumpDetails() const {
  return std::to_string(position_) + " of " + std::to_string(min_) + ".." + std::to_string(max_);
}

void Panel::setBevelInner(BevelCut b) {
  if (b == bevelInner_) return;
  bevelInner_ = b;
  invalidate();
}

void Panel::setBevelOuter(BevelCut b) {
  if (b == bevelOuter_) return;
  bevelOuter_ = b;
  invalidate();
}

Label::Label(Component* owner) : Control(owner) {
  setBounds(0, 0, 0, 13);
}

void Label::setAutoSize(bool on) {
  autoSize_ = on;
  adjustBounds();
}

void Label::setWordWrap(bool on) {
  wordWrap_ = on;
  adjustBounds();
}

void Label::setCaption(const std::string& text) {
  Control::setCaption(text);
  adjustBounds();
}

void Label::setFont(const Font& f) {
  Control::setFont(f);
  adjustBounds();
}

void Label::setParent(WinControl* p) {
  Control::setParent(p);
  adjustBounds();
}

void Label::adjustBounds() {
  if (!autoSize_) return;
  if (wordWrap_) {
    // A wrapping label keeps its width and takes the height of its rows.
    if (width() > 0) setBounds(left(), top(), width(), wrappedTextExtent(font(), caption(), width()).height);
    return;
  }
  Size s = backend().textExtent(font(), caption());
  setBounds(left(), top(), s.width, s.height);
}

SpeedButton::SpeedButton(Component* owner) : Control(owner) {
  setBounds(0, 0, 23, 22);
}

void SpeedButton::mouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) {
    pressed_ = true;
    invalidate();
  }
  Control::mouseDown(button, shift, x, y);
}

void SpeedButton::mouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left && pressed_) {
    pressed_ = false;
    invalidate();
  }
  Control::mouseUp(button, shift, x, y);
}

void SpeedButton::captureLost() {
  pressed_ = false;
  Control::captureLost();
}

Button::Button(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setBounds(0, 0, 75, 25);
}

void Button::click() {
  Ref<Button> self(this);
  Form* f = form();
  Ref<Form> formRef(f);
  if (modalResult_ != ModalResult::None && formRef) formRef->setModalResult(modalResult_);
  if (self) Control::click();
}

void Button::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  if (key == vk::Space || key == vk::Return) {
    key = 0;
    click();
  }
}

CheckBox::CheckBox(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setBounds(0, 0, 97, 17);
}

void CheckBox::setChecked(bool on) {
  if (on == checked_) return;
  checked_ = on;
  invalidate();
  Control::click();
}

void CheckBox::setPushLike(bool on) {
  if (on == pushLike_) return;
  pushLike_ = on;
  invalidate();
}

void CheckBox::click() {
  setChecked(!checked_);
}

void CheckBox::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  if (key == vk::Space) {
    key = 0;
    click();
  }
}

Shape::Shape(Component* owner) : Control(owner) {
  setBounds(0, 0, 65, 65);
}

void Shape::setShape(ShapeType s) {
  shape_ = s;
  invalidate();
}

void Shape::setBrushColor(Color c) {
  if (c == brushColor_) return;
  brushColor_ = c;
  invalidate();
}

void Shape::setPenColor(Color c) {
  if (c == penColor_) return;
  penColor_ = c;
  invalidate();
}

Image::Image(Component* owner) : Control(owner) {
  setBounds(0, 0, 105, 105);
}

void Image::setPicture(const Bitmap& b) {
  picture_ = b;
  if (autoSize_ && !picture_.empty()) setBounds(left(), top(), picture_.width(), picture_.height());
  invalidate();
}

void Image::setAutoSize(bool on) {
  autoSize_ = on;
  if (autoSize_ && !picture_.empty()) setBounds(left(), top(), picture_.width(), picture_.height());
}

Bitmap& PictureCanvas::target() {
  Bitmap& b = image_.picture_;
  if (b.paletted()) {
    Bitmap rgb(b.width(), b.height());
    rgb.setTransparent(b.transparent());
    rgb.setTransparentMode(b.transparentMode());
    rgb.setTransparentColor(b.transparentColor());
    for (int y = 0; y < b.height(); ++y) {
      for (int x = 0; x < b.width(); ++x) rgb.setPixelValue(x, y, b.pixelColor(x, y));
    }
    b = rgb;
  }
  return b;
}

void PictureCanvas::fillRect(const Rect& r) {
  if (brush.style == BrushStyle::Clear) return;
  Bitmap& b = target();
  const Color c = colorToRGB(brush.color);
  const int left = std::max(r.left, 0);
  const int top = std::max(r.top, 0);
  const int right = std::min(r.right, b.width());
  const int bottom = std::min(r.bottom, b.height());
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) b.setPixelValue(x, y, c);
  }
  image_.invalidate();
}

void PictureCanvas::setPixel(int x, int y, Color c) {
  target().setPixelValue(x, y, colorToRGB(c));
  image_.invalidate();
}

Color PictureCanvas::pixel(int x, int y) const {
  return image_.picture_.pixelColor(x, y);
}

ProgressBar::ProgressBar(Component* owner) : WinControl(owner) {
  setBounds(0, 0, 150, 16);
}

void ProgressBar::setMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  setPosition(position_);
  invalidate();
}

void ProgressBar::setMax(int v) {
  max_ = std::max(v, min_);
  setPosition(position_);
  invalidate();
}

void ProgressBar::setPosition(int v) {
  int p = std::clamp(v, min_, max_);
  if (p == position_) return;
  position_ = p;
  invalidate();
}

}  // namespace ui
