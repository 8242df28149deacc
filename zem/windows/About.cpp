#include "zem/windows/About.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/ZemStrings.h"

namespace {
constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 8;
constexpr ui::Color kLogoGrey = 0x777777;

// A small lamp picture: a light disc on the window grey.
ui::Bitmap LampPicture() {
  constexpr int kSize = 32;
  ui::Bitmap b(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      int dx = 2 * x - (kSize - 1);
      int dy = 2 * y - (kSize - 1);
      bool inside = dx * dx + dy * dy <= (kSize - 2) * (kSize - 2);
      b.setPixelValue(x, y, inside ? ui::rgb(0xF4, 0xF0, 0xD8) : kZemGrey);
    }
  }
  return b;
}
}  // namespace

TAboutForm::TAboutForm(ui::Component* owner) : ui::Form(owner) {
  setName("AboutForm");
  setClientSize(300, 150);
  Shape1 = ui::make<ui::Shape>(this, this, "Shape1", 0, 0, 300, 92);
  Shape1->setBrushColor(0xA5A5A5);
  Shape1->setPenColor(0xA5A5A5);
  Shape2 = ui::make<ui::Shape>(this, this, "Shape2");
  Shape2->setShape(ui::ShapeType::Circle);
  Shape2->setBounds(244, 12, 48, 48);
  Shape2->setBrushColor(0x5A5A5A);
  Image1 = ui::make<ui::Image>(this, this, "Image1", 252, 20, 32, 32);
  Image1->setTransparent(true);
  Image1->setPicture(LampPicture());
  Label1 = ui::make<ui::Label>(this, this, "Label1");
  Label1->setTransparent(true);
  Label1->setBounds(16, 8, 0, 0);
  VersionLabel = ui::make<ui::Label>(this, this, "VersionLabel", 16, 100, 0, 0);
  lBetaPostFix = ui::make<ui::Label>(this, this, "lBetaPostFix", 16, 122, 0, 0);
  setKeyPreview(true);
  onKeyDown = [this](ui::Component* s, uint16_t& key, ui::ShiftState shift) { FormKeyDown(s, key, shift); };
  FormCreate(this);
}

void TAboutForm::FormCreate(ui::Component*) {
  // Unlike the other dialogs the about box has no button, so its frame keeps the close box.
  ApplyDialogLook(*this, ui::kSystemMenu, false);
  setCaption(ZemString(ZemStr::AboutCaption));
  ui::Font logo = Label1->font();
  logo.setPixelHeight(64);
  logo.bold = true;
  logo.color = kLogoGrey;
  Label1->setFont(logo);
  Label1->setCaption(ZemString(ZemStr::ZemLogo));
  VersionLabel->setCaption(ZemFormat(ZemStr::VersionFormat, kVersionMajor, kVersionMinor));
  lBetaPostFix->setCaption("");
}

void TAboutForm::FormKeyDown(ui::Component*, uint16_t& key, ui::ShiftState) {
  if (key == ui::vk::Escape) {
    key = 0;
    close();
  }
}
