// TFader: the vertical level control of the fixture windows. A caption strip, an up arrow, the picture
// of the effect with a grey mask over the part above the level, a down arrow and the numeric level.
// The level changes by dragging in the picture, by holding an arrow (accelerating repeat) or with the
// up and down arrow keys; every change, and every set by the program, calls OnChange.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

enum TAppearenceStyle : uint8_t { apHeader = 1, apArrows = 2, apPosition = 4 };
using TAppearenceStyles = uint8_t;
inline constexpr TAppearenceStyles kAllAppearenceStyles = apHeader | apArrows | apPosition;

class TFader : public ui::WinControl {
 public:
  explicit TFader(ui::Component* owner);

  const char* kind() const override { return "TFader"; }
  std::string dumpDetails() const override;

  // Parts, created and owned by the fader.
  ui::Panel* HeaderLabel;
  ui::Panel* PositionLabel;
  ui::Panel* UpButton;
  ui::Image* UpButtonImage;
  ui::Panel* DownButton;
  ui::Image* DownButtonImage;
  ui::Image* FaderImage;
  ui::Panel* FaderMask;
  ui::Panel* FaderPanel;
  ui::Timer* RepeatTimer;

  ui::NotifyEvent OnChange;

  // The header's font; setting it sets the header's and the position label's.
  const ui::Font& Font() const;
  void SetFont(const ui::Font& f);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  const ui::Bitmap& Picture() const;
  void SetPicture(const ui::Bitmap& b);
  const std::string& Caption() const;
  void SetCaption(const std::string& text);
  // The header's colour; setting it colours the header and the position label.
  ui::Color Color() const;
  void SetColor(ui::Color c);
  ui::Color CaptionColor() const;
  void SetCaptionColor(ui::Color c);
  ui::Color PositionColor() const;
  void SetPositionColor(ui::Color c);
  int Position() const { return position_; }
  // Shows the level (limited to Min..Max), then calls OnChange, even when the level did not change.
  void SetPosition(int value);
  int Max() const { return max_; }
  // Ignored unless above Min; no OnChange.
  void SetMax(int value);
  int Min() const { return min_; }
  // Ignored unless below Max; no OnChange.
  void SetMin(int value);
  ui::Color MaskColor() const;
  void SetMaskColor(ui::Color c);
  ui::Color ButtonColor() const { return buttonColor_; }
  // Colours the arrow panels and draws both arrow glyphs in shades of the colour.
  void SetButtonColor(ui::Color c);
  TAppearenceStyles Style() const { return style_; }
  void SetStyle(TAppearenceStyles s);
  int MaskSize() const { return maskSize_; }
  void SetMaskSize(int px);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i);
  ui::ImageList* ImageList() const { return imageList_; }
  void SetImageList(ui::ImageList* list);
  // The colour of the fader area.
  void SetFaderColor(ui::Color c);
  void SetBounds(int left, int top, int width, int height);

  // Pixels of the fader area per unit of level.
  long double Scale() const { return scale_; }
  bool Dragging() const { return dragging_; }

  // The layer's view of the same properties.
  void setBounds(int left, int top, int width, int height) override;
  void setName(const std::string& name) override;
  const std::string& caption() const override { return Caption(); }
  void setCaption(const std::string& text) override { SetCaption(text); }
  ui::Color color() const override { return Color(); }
  void setColor(ui::Color c) override { SetColor(c); }
  const ui::Font& font() const override { return Font(); }
  void setFont(const ui::Font& f) override { SetFont(f); }

  bool wantsArrows() const override { return true; }
  void keyDown(uint16_t& key, ui::ShiftState shift) override;
  void keyUp(uint16_t& key, ui::ShiftState shift) override;
  void mouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y) override;
  void focusLost() override;

  void LabelMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void UpButtonMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void UpButtonMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void DownButtonMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void DownButtonMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void FaderPanelMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void FaderPanelMouseMove(ui::Component* sender, ui::ShiftState shift, int x, int y);
  void FaderPanelMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void RepeatTimerTick();

 private:
  void ShowPosition(int value);
  // Starts a repeat in one direction (the first step included).
  void StartRepeat(bool up, bool byMouse, uint16_t key);
  // Ends any repeat: both arrows raised, timer off.
  void StopRepeat();
  void StepPosition(int64_t delta);
  void DragTo(int y);
  void RecomputeScale();

  bool autoSize_ = false;
  int position_ = 0;
  int max_ = 0;
  int min_ = 0;
  TAppearenceStyles style_ = 0;
  int maskSize_ = 0;
  ui::Ref<ui::ImageList> imageList_;
  int imageIndex_ = -1;
  bool captionSet_ = false;
  long double scale_ = 0;
  bool repeatUp_ = true;
  int64_t repeatStep_ = 1;
  int64_t repeatIncrement_ = 1;
  bool dragging_ = false;
  int lastY_ = 0;
  bool mouseStartedRepeat_ = false;
  uint16_t repeatKey_ = 0;
  ui::Color buttonColor_ = ui::clBtnFace;
};
