#include "zem/windows/Fader.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr int kPartHeight = 16;
constexpr uint32_t kFirstRepeatMs = 500;
constexpr uint32_t kFastRepeatMs = 150;
constexpr int64_t kMaxIncrement = 10;
constexpr ui::Color kHeaderBlue = 0xFF0000;
constexpr ui::Color kMaskGrey = 0x808080;

constexpr int kGlyphWidth = 32;
constexpr int kGlyphHeight = 10;

// One hexadecimal digit per pixel, each a palette entry.
constexpr std::array<const char*, kGlyphHeight> kUpGlyph = {
    "00000000000000050000000000000000", "00000000000005554400000000000000",
    "00000000000555333344000000000000", "00000000055533333333440000000000",
    "00000005553333333333334400000000", "00000555333333333333333344000000",
    "00055533333333333333333333440000", "05553333333333333333333333334400",
    "55322222222222222222222222223340", "01111111111111111111111111111100",
};
constexpr std::array<const char*, kGlyphHeight> kDownGlyph = {
    "05555555555555555555555555555500", "23344444444444444444444444443110",
    "02233333333333333333333333311100", "00022333333333333333333331110000",
    "00000223333333333333333111000000", "00000002233333333333311100000000",
    "00000000022333333331110000000000", "00000000000223333111000000000000",
    "00000000000002211100000000000000", "00000000000000010000000000000000",
};

ui::Bitmap MakeGlyph(const std::array<const char*, kGlyphHeight>& rows,
                     const std::vector<ui::Color>& palette) {
  ui::Bitmap b(kGlyphWidth, kGlyphHeight, ui::PixelFormat::Bit4);
  b.setPalette(palette);
  for (int y = 0; y < kGlyphHeight; ++y) {
    const char* row = rows[static_cast<size_t>(y)];
    for (int x = 0; x < kGlyphWidth; ++x) {
      char c = row[x];
      uint32_t v =
          (c >= '0' && c <= '9') ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
      b.setPixelValue(x, y, v);
    }
  }
  b.setTransparent(true);
  b.setTransparentMode(ui::TransparentMode::Auto);
  return b;
}

int ClampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

TFader::TFader(ui::Component* owner) : ui::WinControl(owner) {
  setTabStop(true);
  HeaderLabel = ui::make<ui::Panel>(this, this, "HeaderLabel");
  PositionLabel = ui::make<ui::Panel>(this, this, "PositionLabel");
  UpButton = ui::make<ui::Panel>(this, this, "UpButton");
  UpButtonImage = ui::make<ui::Image>(this, UpButton, "UpButtonImage");
  DownButton = ui::make<ui::Panel>(this, this, "DownButton");
  DownButtonImage = ui::make<ui::Image>(this, DownButton, "DownButtonImage");
  FaderPanel = ui::make<ui::Panel>(this, this, "FaderPanel");
  FaderImage = ui::make<ui::Image>(this, FaderPanel, "FaderImage");
  FaderMask = ui::make<ui::Panel>(this, FaderPanel, "FaderMask");
  RepeatTimer = new ui::Timer(this, kFirstRepeatMs);
  RepeatTimer->setName("RepeatTimer");

  ui::Font labelFont;
  labelFont.name = "Arial";
  labelFont.bold = true;
  labelFont.color = ui::clWhite;
  for (ui::Panel* label : {HeaderLabel, PositionLabel}) {
    label->setBounds(0, 0, 0, kPartHeight);
    label->setColor(kHeaderBlue);
    label->setFont(labelFont);
    label->setEnabled(false);
    label->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      LabelMouseDown(s, b, sh, x, y);
    };
  }
  for (ui::Panel* arrow : {UpButton, DownButton}) {
    arrow->setBounds(0, 0, 0, kPartHeight);
    arrow->setBevelOuter(ui::BevelCut::Raised);
    arrow->setEnabled(true);
  }
  UpButton->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    UpButtonMouseDown(s, b, sh, x, y);
  };
  UpButton->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    UpButtonMouseUp(s, b, sh, x, y);
  };
  DownButton->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    DownButtonMouseDown(s, b, sh, x, y);
  };
  DownButton->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    DownButtonMouseUp(s, b, sh, x, y);
  };
  // A press whose release never comes (capture taken away) must not leave the level running.
  auto arrowCaptureLost = [this](ui::Component*) {
    if (mouseStartedRepeat_ && RepeatTimer->enabled()) StopRepeat();
  };
  UpButton->onMouseCaptureLost = arrowCaptureLost;
  DownButton->onMouseCaptureLost = arrowCaptureLost;
  for (ui::Image* glyph : {UpButtonImage, DownButtonImage}) {
    glyph->setBounds(0, 0, 0, kPartHeight);
    glyph->setTransparent(true);
    glyph->setCenter(true);
    glyph->setEnabled(false);
  }
  FaderPanel->setBevelOuter(ui::BevelCut::None);
  FaderPanel->setBevelInner(ui::BevelCut::None);
  FaderPanel->setEnabled(true);
  FaderPanel->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    FaderPanelMouseDown(s, b, sh, x, y);
  };
  FaderPanel->onMouseMove = [this](ui::Component* s, ui::ShiftState sh, int x, int y) {
    FaderPanelMouseMove(s, sh, x, y);
  };
  FaderPanel->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    FaderPanelMouseUp(s, b, sh, x, y);
  };
  FaderPanel->onMouseCaptureLost = [this](ui::Component*) { dragging_ = false; };
  FaderImage->setCenter(true);
  FaderImage->setAlign(ui::Align::Client);
  FaderImage->setStretch(true);
  FaderImage->setEnabled(false);
  FaderMask->setBevelOuter(ui::BevelCut::None);
  FaderMask->setBevelInner(ui::BevelCut::None);
  FaderMask->setColor(kMaskGrey);
  FaderMask->setEnabled(false);
  RepeatTimer->setEnabled(false);
  RepeatTimer->onTimer = [this] { RepeatTimerTick(); };

  dragging_ = false;
  SetButtonColor(ui::clBtnFace);
  SetStyle(kAllAppearenceStyles);
  SetMax(255);
  SetMin(0);
  SetPosition(0);
  SetBounds(left(), top(), 52, 250);
}

std::string TFader::dumpDetails() const {
  return "position " + std::to_string(position_) + " of " + std::to_string(min_) + ".." +
         std::to_string(max_);
}

const ui::Font& TFader::Font() const {
  // The header normally has its own font; if it was told to follow its parent (this fader), answer
  // for the fader itself rather than asking the header back.
  return HeaderLabel->parentFont() ? ui::WinControl::font() : HeaderLabel->font();
}

void TFader::SetFont(const ui::Font& f) {
  HeaderLabel->setFont(f);
  PositionLabel->setFont(f);
}

void TFader::SetAutoSize(bool on) {
  autoSize_ = on;
  SetBounds(left(), top(), width(), height());
}

const ui::Bitmap& TFader::Picture() const {
  return FaderImage->picture();
}

void TFader::SetPicture(const ui::Bitmap& b) {
  FaderImage->setPicture(b);
}

const std::string& TFader::Caption() const {
  return HeaderLabel->caption();
}

void TFader::SetCaption(const std::string& text) {
  if (text == HeaderLabel->caption()) return;
  HeaderLabel->setCaption(text);
  captionSet_ = true;
}

void TFader::setName(const std::string& name) {
  ui::WinControl::setName(name);
  if (!captionSet_) HeaderLabel->setCaption(name);
}

ui::Color TFader::Color() const {
  return HeaderLabel->color();
}

void TFader::SetColor(ui::Color c) {
  HeaderLabel->setColor(c);
  PositionLabel->setColor(c);
}

ui::Color TFader::CaptionColor() const {
  return HeaderLabel->font().color;
}

void TFader::SetCaptionColor(ui::Color c) {
  HeaderLabel->setFontColor(c);
}

ui::Color TFader::PositionColor() const {
  return PositionLabel->font().color;
}

void TFader::SetPositionColor(ui::Color c) {
  PositionLabel->setFontColor(c);
}

void TFader::SetPosition(int value) {
  ui::Ref<TFader> self(this);
  ShowPosition(value);
  if (self && OnChange) OnChange(this);
}

void TFader::RecomputeScale() {
  int64_t range = static_cast<int64_t>(max_) - min_;
  scale_ = range > 0 ? static_cast<long double>(FaderPanel->height()) / static_cast<long double>(range) : 0;
}

void TFader::SetMax(int value) {
  if (value <= min_) return;
  max_ = value;
  RecomputeScale();
  ShowPosition(position_);
}

void TFader::SetMin(int value) {
  if (value >= max_) return;
  min_ = value;
  RecomputeScale();
  ShowPosition(position_);
}

ui::Color TFader::MaskColor() const {
  return FaderMask->color();
}

void TFader::SetMaskColor(ui::Color c) {
  FaderMask->setColor(c);
}

void TFader::SetButtonColor(ui::Color c) {
  buttonColor_ = c;
  UpButton->setColor(c);
  DownButton->setColor(c);
  ui::Color rgb = ui::colorToRGB(c);
  std::vector<ui::Color> palette(16, ui::clBlack);
  for (int i = 1; i <= 5; ++i) {
    int shift = 20 * i - 60;
    auto shade = [shift](uint8_t v) { return static_cast<uint8_t>(std::clamp(v + shift, 0, 255)); };
    palette[static_cast<size_t>(i)] =
        ui::rgb(shade(ui::redOf(rgb)), shade(ui::greenOf(rgb)), shade(ui::blueOf(rgb)));
  }
  UpButtonImage->setPicture(MakeGlyph(kUpGlyph, palette));
  DownButtonImage->setPicture(MakeGlyph(kDownGlyph, palette));
}

void TFader::SetStyle(TAppearenceStyles s) {
  style_ = s;
  SetBounds(left(), top(), width(), height());
}

void TFader::SetMaskSize(int px) {
  maskSize_ = px;
  ShowPosition(position_);
}

void TFader::SetImageIndex(int i) {
  imageIndex_ = i;
  ui::ImageList* list = imageList_;
  if (list && i >= 0) {
    ui::Bitmap b;
    if (list->getBitmap(i, b)) FaderImage->setPicture(b);
  }
}

void TFader::SetImageList(ui::ImageList* list) {
  imageList_ = list;
  SetImageIndex(imageIndex_);
}

void TFader::SetFaderColor(ui::Color c) {
  FaderPanel->setColor(c);
}

void TFader::setBounds(int left, int top, int width, int height) {
  SetBounds(left, top, width, height);
}

void TFader::SetBounds(int left, int top, int width, int height) {
  const ui::Bitmap& pic = Picture();
  if (autoSize_ && pic.height() > 0 && pic.width() > 0) {
    width = pic.width();
    height = pic.height();
    if (style_ & apHeader) height += HeaderLabel->height();
    if (style_ & apPosition) height += PositionLabel->height();
    if (style_ & apArrows) height += 2 * UpButton->height();
  }
  ui::WinControl::setBounds(left, top, width, height);
  width = this->width();
  height = this->height();

  int areaTop = 0;
  int areaBottom = height;
  if (style_ & apHeader) {
    HeaderLabel->setBounds(0, 0, width, HeaderLabel->height());
    HeaderLabel->setVisible(true);
    areaTop = HeaderLabel->height();
  } else {
    HeaderLabel->setVisible(false);
  }
  if (style_ & apPosition) {
    int t = height - PositionLabel->height();
    PositionLabel->setBounds(0, t, width, PositionLabel->height());
    PositionLabel->setVisible(true);
    areaBottom = t;
  } else {
    PositionLabel->setVisible(false);
    areaBottom = height;
  }
  if (style_ & apArrows) {
    UpButton->setBounds(0, areaTop, width, UpButton->height());
    UpButton->setVisible(true);
    UpButtonImage->setBounds(0, 0, width, UpButtonImage->height());
    UpButtonImage->setVisible(true);
    areaTop += UpButton->height();
    int t = areaBottom - DownButton->height();
    DownButton->setBounds(0, t, width, DownButton->height());
    DownButton->setVisible(true);
    DownButtonImage->setBounds(0, 0, width, DownButtonImage->height());
    DownButtonImage->setVisible(true);
    areaBottom = t;
  } else {
    UpButton->setVisible(false);
    UpButtonImage->setVisible(false);
    DownButton->setVisible(false);
    DownButtonImage->setVisible(false);
  }
  FaderPanel->setBounds(0, areaTop, width, areaBottom - areaTop);
  FaderMask->setBounds(FaderMask->left(), FaderMask->top(), width, FaderMask->height());
  RecomputeScale();
  ShowPosition(position_);
}

void TFader::ShowPosition(int value) {
  int v = std::clamp(value, min_, max_);
  position_ = v;
  int h = FaderPanel->height();
  int64_t d = ui::roundHalfEven(static_cast<long double>(static_cast<int64_t>(v) - min_) * scale_);
  int64_t maskTop = 0;
  int64_t maskHeight = 0;
  if (maskSize_ > 0) {
    maskTop = h - d - maskSize_ / 2;
    maskHeight = maskSize_;
  } else {
    maskHeight = h - d;
  }
  FaderMask->setBounds(0, ClampToInt(maskTop), FaderMask->width(), ClampToInt(maskHeight));
  PositionLabel->setCaption(std::to_string(v));
}

void TFader::StepPosition(int64_t delta) {
  SetPosition(ClampToInt(static_cast<int64_t>(position_) + delta));
}

void TFader::StartRepeat(bool up, bool byMouse, uint16_t key) {
  setFocus();
  mouseStartedRepeat_ = byMouse;
  if (!byMouse) repeatKey_ = key;
  (up ? UpButton : DownButton)->setBevelOuter(ui::BevelCut::Lowered);
  repeatUp_ = up;
  repeatStep_ = 1;
  RepeatTimer->setInterval(kFirstRepeatMs);
  RepeatTimer->setEnabled(true);
  StepPosition(up ? 1 : -1);
}

void TFader::StopRepeat() {
  UpButton->setBevelOuter(ui::BevelCut::Raised);
  DownButton->setBevelOuter(ui::BevelCut::Raised);
  RepeatTimer->setEnabled(false);
}

void TFader::LabelMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  setFocus();
}

void TFader::mouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y) {
  // Presses on the (disabled) caption and level strips land here.
  setFocus();
  ui::WinControl::mouseDown(button, shift, x, y);
}

void TFader::UpButtonMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (RepeatTimer->enabled()) return;
  StartRepeat(true, true, 0);
}

void TFader::UpButtonMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (!mouseStartedRepeat_) return;
  UpButton->setBevelOuter(ui::BevelCut::Raised);
  RepeatTimer->setEnabled(false);
}

void TFader::DownButtonMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (RepeatTimer->enabled()) return;
  StartRepeat(false, true, 0);
}

void TFader::DownButtonMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  if (!mouseStartedRepeat_) return;
  DownButton->setBevelOuter(ui::BevelCut::Raised);
  RepeatTimer->setEnabled(false);
}

void TFader::keyDown(uint16_t& key, ui::ShiftState shift) {
  if (key == ui::vk::Up || key == ui::vk::Down) {
    // The keyboard's own auto-repeat adds nothing while the timer repeats.
    if (RepeatTimer->enabled()) return;
    StartRepeat(key == ui::vk::Up, false, key);
    return;
  }
  ui::WinControl::keyDown(key, shift);
}

void TFader::keyUp(uint16_t& key, ui::ShiftState shift) {
  if (key == ui::vk::Up || key == ui::vk::Down) {
    if (mouseStartedRepeat_) return;
    if (key == repeatKey_) StopRepeat();
    return;
  }
  ui::WinControl::keyUp(key, shift);
}

void TFader::focusLost() {
  // Without the focus the key release would never arrive.
  if (RepeatTimer->enabled()) StopRepeat();
  dragging_ = false;
  ui::WinControl::focusLost();
}

void TFader::RepeatTimerTick() {
  int64_t limit = (static_cast<int64_t>(max_) - min_) / 25;
  // A range below 25 would give a step of 0 and stop the level.
  if (limit < 1) limit = 1;
  switch (RepeatTimer->interval()) {
    case 500:
      RepeatTimer->setInterval(400);
      repeatIncrement_ = 1;
      break;
    case 400:
      RepeatTimer->setInterval(300);
      break;
    case 300:
      RepeatTimer->setInterval(250);
      break;
    case 250:
      RepeatTimer->setInterval(200);
      break;
    case 200:
      RepeatTimer->setInterval(kFastRepeatMs);
      break;
    case kFastRepeatMs:
      repeatStep_ += repeatIncrement_;
      if (repeatIncrement_ < kMaxIncrement) ++repeatIncrement_;
      if (repeatStep_ > limit) repeatStep_ = limit;
      break;
    default:
      break;
  }
  StepPosition(repeatUp_ ? repeatStep_ : -repeatStep_);
}

void TFader::DragTo(int y) {
  if (scale_ == 0) return;
  int64_t steps = ui::roundHalfEven(static_cast<long double>(y) / scale_);
  SetPosition(ClampToInt(static_cast<int64_t>(max_) - steps));
}

void TFader::FaderPanelMouseDown(ui::Component*, ui::MouseButton, ui::ShiftState, int, int y) {
  setFocus();
  dragging_ = true;
  lastY_ = y;
  DragTo(y);
}

void TFader::FaderPanelMouseMove(ui::Component*, ui::ShiftState, int, int y) {
  if (!dragging_ || y == lastY_) return;
  lastY_ = y;
  DragTo(y);
}

void TFader::FaderPanelMouseUp(ui::Component*, ui::MouseButton, ui::ShiftState, int, int) {
  dragging_ = false;
}
