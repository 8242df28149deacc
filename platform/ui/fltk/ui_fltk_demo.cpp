// A form with every kind of control the window layer has, shown on the display: for looking at the
// display backend and for the screenshot test. "--quit-after MS" closes it by itself; "--headless"
// prints its controls instead of showing them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/dump.h"
#include "platform/ui/edits.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/menus.h"
#include "platform/ui/message_box.h"
#include "platform/ui/page_control.h"
#include "platform/ui/up_down.h"

namespace {

constexpr ui::Color kGrey = 0xBDBDBD;
constexpr ui::Color kHeaderBlue = 0xFF0000;

ui::Bitmap gradient(int w, int h) {
  ui::Bitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.setPixelValue(x, y,
                      ui::rgb(static_cast<uint8_t>(255 * x / std::max(1, w - 1)),
                              static_cast<uint8_t>(255 * y / std::max(1, h - 1)), 160));
    }
  }
  return b;
}

template <class T>
T* add(ui::WinControl* parent, int l, int t, int w, int h, const std::string& caption = {}) {
  auto* c = new T(parent);
  c->setParent(parent);
  c->setBounds(l, t, w, h);
  if (!caption.empty()) c->setCaption(caption);
  return c;
}

class DemoDialog : public ui::Form {
 public:
  explicit DemoDialog(ui::Component* owner) : ui::Form(owner) {
    setName("DemoDialog");
    setCaption("Demo dialog");
    setColor(kGrey);
    setBorderStyle(ui::BorderStyle::Dialog);
    setPosition(ui::FormPosition::OwnerFormCenter);
    setBounds(0, 0, 300, 140);
    auto* l = add<ui::Label>(this, 12, 12, 0, 0, "A modal window: type a name, then OK.");
    l->setFontBold(true);
    name = add<ui::Edit>(this, 12, 40, 276, 21, "Lamp 1");
    auto* ok = add<ui::Button>(this, 120, 100, 75, 25, "OK");
    ok->setModalResult(ui::ModalResult::Ok);
    ok->setDefault(true);
    auto* cancel = add<ui::Button>(this, 205, 100, 75, 25, "Cancel");
    cancel->setModalResult(ui::ModalResult::Cancel);
    cancel->setCancel(true);
  }
  ui::Edit* name;
};

class DemoForm : public ui::Form {
 public:
  DemoForm() : ui::Form(nullptr) {
    setName("DemoForm");
    setCaption("Window layer demo");
    setColor(kGrey);
    setBorderStyle(ui::BorderStyle::Single);
    setBounds(40, 40, 600, 440);

    auto* menu = new ui::MainMenu(this);
    menu->setOwnerDraw(true);
    auto item = [menu](ui::MenuItem* parent, const char* caption, ui::NotifyEvent onClick = nullptr) {
      auto* i = new ui::MenuItem(menu);
      i->setCaption(caption);
      i->onClick = std::move(onClick);
      (parent ? parent : &menu->items())->add(i);
      return i;
    };
    ui::MenuItem* file = item(nullptr, "&File");
    item(file, "&Message...", [this](ui::Component*) { showMessage(); });
    item(file, "-");
    item(file, "E&xit", [this](ui::Component*) { close(); });
    ui::MenuItem* help = item(nullptr, "&Help");
    ui::MenuItem* about = item(help, "About this demo", [](ui::Component*) {
      ui::messageBox({ui::MessageKind::Information, "About", "Window layer demo.", ui::MessageButtons::Ok});
    });
    // An owner-drawn item: a coloured bar beside the text.
    about->onDrawItem = [](ui::Component* s, ui::Canvas& c, const ui::Rect& r, bool selected) {
      c.brush.style = ui::BrushStyle::Solid;
      c.brush.color = selected ? ui::clNavy : kGrey;
      c.fillRect(r);
      c.brush.color = ui::clYellow;
      c.fillRect({r.left + 2, r.top + 2, r.left + 8, r.bottom - 2});
      c.brush.style = ui::BrushStyle::Clear;
      c.font.color = selected ? ui::clWhite : ui::clBlack;
      c.textOut(r.left + 14, r.top + 2, ui::stripHotkey(static_cast<ui::MenuItem*>(s)->caption()));
    };
    auto* bar = new ui::ToolBar(this);
    bar->setParent(this);
    bar->setFlat(true);
    bar->setShowCaptions(true);
    bar->setMenu(menu);

    // Left column: panels, labels, buttons, check box, shapes, image.
    auto* raised = add<ui::Panel>(this, 8, 34, 180, 36, "Raised panel");
    raised->setBevelInner(ui::BevelCut::Lowered);
    auto* lowered = add<ui::Panel>(this, 8, 76, 180, 36, "Lowered panel");
    lowered->setBevelOuter(ui::BevelCut::Lowered);
    add<ui::Label>(this, 8, 118, 0, 0, "A label on the form");
    auto* flatHolder = add<ui::Panel>(this, 8, 136, 180, 25);
    auto* flat = add<ui::SpeedButton>(flatHolder, 1, 1, 178, 23, "Flat speed button");
    flat->setFlat(true);
    add<ui::SpeedButton>(this, 8, 166, 180, 25, "Speed button");
    auto* dialogButton = add<ui::Button>(this, 8, 198, 90, 25, "Dialog...");
    dialogButton->onClick = [this](ui::Component*) { showDialog(); };
    auto* messageButton = add<ui::Button>(this, 104, 198, 84, 25, "Message...");
    messageButton->onClick = [this](ui::Component*) { showMessage(); };
    auto* check = add<ui::CheckBox>(this, 8, 230, 180, 17, "Check box");
    check->setChecked(true);
    auto* led = add<ui::Shape>(this, 8, 256, 18, 18);
    led->setShape(ui::ShapeType::Circle);
    led->setBrushColor(ui::clLime);
    auto* square = add<ui::Shape>(this, 32, 256, 18, 18);
    square->setBrushColor(ui::clRed);
    auto* round = add<ui::Shape>(this, 56, 256, 18, 18);
    round->setShape(ui::ShapeType::RoundRect);
    round->setBrushColor(ui::clYellow);
    auto* image = add<ui::Image>(this, 8, 282, 180, 60);
    image->setStretch(true);
    image->setPicture(gradient(32, 16));

    // Middle column: edits, combo box, progress bar, group box, rich edit.
    add<ui::Edit>(this, 200, 34, 170, 21, "Edit text");
    auto* spin = add<ui::SpinEdit>(this, 200, 62, 80, 21);
    spin->setMinValue(0);
    spin->setMaxValue(255);
    spin->setValue(42);
    auto* combo = add<ui::ComboBox>(this, 200, 90, 170, 21);
    combo->setStyle(ui::ComboStyle::DropDownList);
    combo->items().assign({"Open", "Closed", "Strobe"});
    combo->setItemIndex(1);
    progress = add<ui::ProgressBar>(this, 200, 118, 170, 16);
    progress->setPosition(35);
    auto* group = add<ui::GroupBox>(this, 200, 140, 170, 56, "Group box");
    add<ui::Label>(group, 10, 24, 0, 0, "Inside the group");
    log = add<ui::RichEdit>(this, 200, 202, 170, 140);
    log->setReadOnly(true);
    log->setScrollBars(ui::ScrollStyle::Vertical);
    log->appendLine("Rich edit lines", ui::clBlack);
    log->appendLine("in red,", ui::clRed);
    log->appendLine("in green", ui::clGreen);
    log->appendLine("and in blue.", ui::clBlue);

    // Right column: page control with owner-drawn tabs, and a fader made of its parts.
    auto* pages = add<ui::PageControl>(this, 382, 34, 210, 150);
    pages->setOwnerDraw(true);
    for (const char* caption : {"Lamp", "Effects", "Setup"}) {
      auto* sheet = new ui::TabSheet(pages);
      sheet->setCaption(caption);
      sheet->setPageControl(pages);
      sheet->setColor(kGrey);
      add<ui::Label>(sheet, 8, 8, 0, 0, std::string("Page ") + caption);
    }
    pages->onDrawTab = [](ui::PageControl* pc, int index, const ui::Rect& r, bool active) {
      ui::Canvas& c = pc->canvas();
      c.brush.style = ui::BrushStyle::Solid;
      c.brush.color = active ? ui::clWhite : kGrey;
      c.fillRect(r.inflate(-1, -1));
      c.brush.style = ui::BrushStyle::Clear;
      c.font.bold = active;
      c.font.color = active ? kHeaderBlue : ui::clBlack;
      c.textOut(r.left + 5, r.top + 3, pc->visibleTabs()[static_cast<size_t>(index)]->caption());
    };
    buildFader(382, 192);
    buildFader(440, 192);
    // Beside the faders: a list box, a toggle button and an up-down control.
    auto* list = add<ui::ListBox>(this, 500, 192, 92, 70);
    for (const char* line : {"Box 1", "Box 2", "Box 3", "Box 4", "Box 5", "Box 6"}) list->items().add(line);
    list->setItemIndex(1);
    auto* toggle = add<ui::CheckBox>(this, 500, 270, 44, 24, "IN");
    toggle->setPushLike(true);
    toggle->setChecked(true);
    toggle->onClick = [toggle](ui::Component*) { toggle->setCaption(toggle->checked() ? "IN" : "OUT"); };
    auto* upDown = add<ui::UpDown>(this, 552, 272, 40, 20);
    upDown->setOrientation(ui::UpDownOrientation::Horizontal);

    // Bottom: the close button, flat on its panel as the program's windows have it.
    auto* bottom = add<ui::Panel>(this, 0, 0, 600, 40);
    bottom->setAlign(ui::Align::Bottom);
    bottom->setColor(kGrey);
    auto* closeHolder = add<ui::Panel>(bottom, 492, 8, 100, 25);
    auto* closeButton = add<ui::SpeedButton>(closeHolder, 1, 1, 98, 23, "Close");
    closeButton->setFlat(true);
    closeButton->setFontBold(true);
    closeButton->onClick = [this](ui::Component*) { close(); };

    ticker = new ui::Timer(this, 100);
    ticker->onTimer = [this] { tick(); };
    ticker->setEnabled(true);
  }

  void showDialog() {
    ui::Owned<DemoDialog> d(ui::createForm<DemoDialog>(this));
    if (d->showModal() == ui::ModalResult::Ok) log->appendLine("Dialog: " + d->name->caption(), ui::clNavy);
  }

  void showMessage() {
    auto r = ui::messageBox({ui::MessageKind::Confirmation, "Question", "Keep the lamp on?\r\nIt is warm.",
                             ui::MessageButtons::YesNo});
    log->appendLine(r == ui::ModalResult::Yes ? "Answer: yes" : "Answer: no", ui::clMaroon);
  }

  void buildFader(int left, int top) {
    auto* fader = add<ui::Panel>(this, left, top, 52, 200);
    fader->setBevelOuter(ui::BevelCut::None);
    auto* header = add<ui::Panel>(fader, 0, 0, 52, 16, left < 400 ? "Dim" : "Zoom");
    auto* up = add<ui::Panel>(fader, 0, 16, 52, 16, "+");
    auto* area = add<ui::Panel>(fader, 0, 32, 52, 136);
    area->setBevelOuter(ui::BevelCut::None);
    auto* picture = add<ui::Image>(area, 0, 0, 52, 136);
    picture->setStretch(true);
    picture->setPicture(gradient(8, 32));
    picture->setEnabled(false);
    auto* mask = add<ui::Panel>(area, 0, 0, 52, left < 400 ? 60 : 90);
    mask->setBevelOuter(ui::BevelCut::None);
    mask->setColor(0x808080);
    mask->setEnabled(false);
    auto* down = add<ui::Panel>(fader, 0, 168, 52, 16, "-");
    auto* position = add<ui::Panel>(fader, 0, 184, 52, 16, left < 400 ? "142" : "87");
    ui::Font f;
    f.name = "Arial";
    f.bold = true;
    f.color = ui::clWhite;
    for (ui::Panel* p : {header, position}) {
      p->setColor(kHeaderBlue);
      p->setFont(f);
      p->setBevelOuter(ui::BevelCut::None);
      p->setEnabled(false);
    }
    (void)up;
    (void)down;
  }

  void tick() {
    progress->setPosition(progress->position() >= progress->max() ? 0 : progress->position() + 1);
    if (++ticks % 20 == 0) log->appendLine("Tick " + std::to_string(ticks / 20), ui::clGreen);
  }

  ui::ProgressBar* progress;
  ui::RichEdit* log;
  ui::Timer* ticker;
  int ticks = 0;
};

}  // namespace

int main(int argc, char** argv) {
  ui::fltk::Start start = ui::fltk::startFromCommandLine(argc, argv);
  if (start == ui::fltk::Start::NoDisplay) return EXIT_FAILURE;
  long quitAfter = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quit-after") == 0 && i + 1 < argc)
      quitAfter = std::strtol(argv[++i], nullptr, 10);
  }
  ui::app().setTitle("Window layer demo");
  ui::Owned<DemoForm> form(ui::createForm<DemoForm>());
  ui::setMainForm(form.get());
  if (start == ui::fltk::Start::Headless) {
    std::printf("%s", ui::dumpControls(*form).c_str());
    return EXIT_SUCCESS;
  }
  auto* quit = new ui::Timer(form.get(), static_cast<uint32_t>(quitAfter));
  quit->onTimer = [] { ui::app().terminate(); };
  quit->setEnabled(quitAfter > 0);
  form->show();
  ui::app().run();
  form.reset();
  ui::fltk::uninstall();
  return EXIT_SUCCESS;
}
