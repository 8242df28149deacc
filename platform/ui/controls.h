// Standard controls: panel, label, speed button, button, check box, group box, shape, image and
// progress bar.
#pragma once

#include <string>

#include "platform/ui/control.h"
#include "platform/ui/graphics.h"

namespace ui {

class Panel : public WinControl {
 public:
  explicit Panel(Component* owner);
  const char* kind() const override { return "Panel"; }
  std::string dumpDetails() const override;
  BevelCut bevelInner() const { return bevelInner_; }
  void setBevelInner(BevelCut b);
  BevelCut bevelOuter() const { return bevelOuter_; }
  void setBevelOuter(BevelCut b);
  int bevelWidth() const { return bevelWidth_; }
  void setBevelWidth(int w) { bevelWidth_ = w; }
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment a) { alignment_ = a; }

 private:
  BevelCut bevelInner_ = BevelCut::None;
  BevelCut bevelOuter_ = BevelCut::Raised;
  int bevelWidth_ = 1;
  Alignment alignment_ = Alignment::Center;
};

class Label : public Control {
 public:
  explicit Label(Component* owner);
  const char* kind() const override { return "Label"; }
  // With autoSize on (the default) the label takes the size of its text.
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool on);
  bool transparent() const { return transparent_; }
  void setTransparent(bool on) { transparent_ = on; }
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment a) { alignment_ = a; }
  bool wordWrap() const { return wordWrap_; }
  // A wrapping label with autoSize keeps its width and takes the height of its wrapped text.
  void setWordWrap(bool on);
  void setCaption(const std::string& text) override;
  void setFont(const Font& f) override;
  void setParent(WinControl* p) override;
  // Resizes to the text now (autoSize only).
  void adjustBounds();

 private:
  bool autoSize_ = true;
  bool transparent_ = false;
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
};

// A flat-capable push button without a window of its own.
class SpeedButton : public Control {
 public:
  explicit SpeedButton(Component* owner);
  const char* kind() const override { return "SpeedButton"; }
  bool flat() const { return flat_; }
  void setFlat(bool on) { flat_ = on; }
  // Shown pressed while the left button is held on it.
  bool pressed() const { return pressed_; }
  void mouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void mouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void captureLost() override;

 private:
  bool flat_ = false;
  bool pressed_ = false;
};

class Button : public WinControl {
 public:
  explicit Button(Component* owner);
  const char* kind() const override { return "Button"; }
  // A button with a modal result sets it on its form when clicked.
  ModalResult modalResult() const { return modalResult_; }
  void setModalResult(ModalResult r) { modalResult_ = r; }
  // Enter on the form clicks the default button, Esc the cancel button. A button that has the focus takes
  // Enter (and Space) itself: while focused it is the default.
  bool isDefault() const { return default_; }
  void setDefault(bool on) { default_ = on; }
  bool isCancel() const { return cancel_; }
  void setCancel(bool on) { cancel_ = on; }
  void click() override;
  void keyDown(uint16_t& key, ShiftState shift) override;

 private:
  ModalResult modalResult_ = ModalResult::None;
  bool default_ = false;
  bool cancel_ = false;
};

// A check box; a caption with line breaks (CR LF, LF CR, CR or LF) shows one row per line beside the box.
class CheckBox : public WinControl {
 public:
  explicit CheckBox(Component* owner);
  const char* kind() const override { return "CheckBox"; }
  std::string dumpDetails() const override { return checked_ ? "checked" : ""; }
  bool checked() const { return checked_; }
  // A change of state fires onClick, whoever made it.
  void setChecked(bool on);
  // A push-like check box looks like a button that stays pressed while checked (a toggle button).
  bool pushLike() const { return pushLike_; }
  void setPushLike(bool on);
  // A click toggles the box.
  void click() override;
  void keyDown(uint16_t& key, ShiftState shift) override;

 private:
  bool checked_ = false;
  bool pushLike_ = false;
};

class GroupBox : public WinControl {
 public:
  explicit GroupBox(Component* owner) : WinControl(owner) {}
  const char* kind() const override { return "GroupBox"; }
};

enum class ShapeType { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

class Shape : public Control {
 public:
  explicit Shape(Component* owner);
  const char* kind() const override { return "Shape"; }
  std::string dumpDetails() const override;
  ShapeType shape() const { return shape_; }
  void setShape(ShapeType s);
  Color brushColor() const { return brushColor_; }
  void setBrushColor(Color c);
  Color penColor() const { return penColor_; }
  void setPenColor(Color c);

 private:
  ShapeType shape_ = ShapeType::Rectangle;
  Color brushColor_ = clWhite;
  Color penColor_ = clBlack;
};

class Image;

// Draws on an image's picture, as the class library's image canvas does: what is drawn stays in the
// picture (a paletted picture becomes a 24-bit one first) and the image shows it at once. Drawing
// outside the picture is cut off.
class PictureCanvas {
 public:
  Brush brush;

  void fillRect(const Rect& r);
  void setPixel(int x, int y, Color c);
  // The colour of a pixel; 0 outside the picture.
  Color pixel(int x, int y) const;

 private:
  friend class Image;
  explicit PictureCanvas(Image& image) : image_(image) {}
  Bitmap& target();
  Image& image_;
};

class Image : public Control {
 public:
  explicit Image(Component* owner);
  const char* kind() const override { return "Image"; }
  const Bitmap& picture() const { return picture_; }
  void setPicture(const Bitmap& b);
  bool stretch() const { return stretch_; }
  void setStretch(bool on) { stretch_ = on; }
  bool center() const { return center_; }
  void setCenter(bool on) { center_ = on; }
  bool transparent() const { return transparent_; }
  void setTransparent(bool on) { transparent_ = on; }
  // With autoSize on the image takes the picture's size.
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool on);
  PictureCanvas& canvas() { return canvas_; }

 private:
  friend class PictureCanvas;
  Bitmap picture_;
  PictureCanvas canvas_{*this};
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

class ProgressBar : public WinControl {
 public:
  explicit ProgressBar(Component* owner);
  const char* kind() const override { return "ProgressBar"; }
  std::string dumpDetails() const override;
  int min() const { return min_; }
  int max() const { return max_; }
  int position() const { return position_; }
  // A maximum below the minimum is taken as the minimum; the position is kept inside the range.
  void setMin(int v);
  void setMax(int v);
  void setPosition(int v);
  bool smooth() const { return smooth_; }
  void setSmooth(bool on) { smooth_ = on; }

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  bool smooth_ = false;
};

}  // namespace ui
