#include "platform/ui/menus.h"

#include <algorithm>

#include "platform/ui/backend.h"

namespace ui {

MenuItem::MenuItem(Component* owner) : Component(owner) {}

MenuItem::~MenuItem() {
  while (!items_.empty()) {
    MenuItem* c = items_.back();
    items_.pop_back();
    c->parent_ = nullptr;
    c->free();
  }
  if (parent_) {
    auto& siblings = parent_->items_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->changed();
  }
}

void MenuItem::setCaption(const std::string& c) {
  caption_ = c;
  changed();
}

void MenuItem::setVisible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  changed();
}

void MenuItem::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  changed();
}

Menu* MenuItem::menu() const {
  const MenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

MenuItem* MenuItem::item(int i) const {
  if (i < 0 || i >= count()) return nullptr;
  return items_[static_cast<size_t>(i)];
}

void MenuItem::add(MenuItem* child) {
  insert(count(), child);
}

void MenuItem::insert(int i, MenuItem* child) {
  if (!child || child == this || i < 0 || i > count()) return;
  for (MenuItem* a = this; a; a = a->parent_) {
    if (a == child) return;  // would make a cycle
  }
  if (child->parent_) child->parent_->remove(child);
  items_.insert(items_.begin() + i, child);
  child->parent_ = this;
  changed();
}

void MenuItem::remove(MenuItem* child) {
  auto it = std::find(items_.begin(), items_.end(), child);
  if (it == items_.end()) return;
  items_.erase(it);
  child->parent_ = nullptr;
  changed();
}

int MenuItem::indexOf(const MenuItem* child) const {
  for (int i = 0; i < count(); ++i) {
    if (items_[static_cast<size_t>(i)] == child) return i;
  }
  return -1;
}

void MenuItem::click() {
  if (onClick) onClick(this);
}

Size MenuItem::measure(Canvas& canvas) {
  Size s = canvas.textExtent(stripHotkey(caption_));
  int w = s.width + 16;
  int h = isLine() ? 8 : s.height + 4;
  Menu* m = menu();
  if (m && m->ownerDraw() && onMeasureItem) onMeasureItem(this, canvas, w, h);
  return {w, h};
}

void MenuItem::draw(Canvas& canvas, const Rect& rect, bool selected) {
  Menu* m = menu();
  if (m && m->ownerDraw() && onDrawItem) {
    onDrawItem(this, canvas, rect, selected);
    return;
  }
  canvas.brush.style = BrushStyle::Solid;
  canvas.brush.color = selected ? clHighlight : clBtnFace;
  canvas.fillRect(rect);
  if (isLine()) {
    int y = rect.top + rect.height() / 2;
    canvas.pen.color = clBtnShadow;
    canvas.moveTo(rect.left, y);
    canvas.lineTo(rect.right, y);
    return;
  }
  canvas.brush.style = BrushStyle::Clear;
  canvas.textOut(rect.left + 8, rect.top + 2, stripHotkey(caption_));
}

void MenuItem::changed() {
  if (destroying()) return;
  if (Menu* m = menu()) m->changed();
}

Menu::Menu(Component* owner) : Component(owner), root_(new MenuItem(this)) {
  root_->menu_ = this;
}

Menu::~Menu() {
  root_->menu_ = nullptr;
}

void Menu::changed() {
  if (destroying()) return;
  auto bars = bars_;
  for (auto& b : bars) {
    if (b) b->syncMenu();
  }
}

ToolButton::ToolButton(Component* owner) : Control(owner) {}

void ToolButton::click() {
  Control::click();
  if (MenuItem* item = item_) item->click();
}

ToolBar::ToolBar(Component* owner) : WinControl(owner) {
  setBounds(0, 0, 150, 29);
  setAlign(Align::Top);
}

void ToolBar::setButtonHeight(int h) {
  buttonHeight_ = h;
  syncMenu();
}

void ToolBar::setMenu(Menu* m) {
  if (Menu* old = menu_) {
    auto& bars = old->bars_;
    bars.erase(std::remove_if(bars.begin(), bars.end(),
                              [this](const Ref<ToolBar>& b) { return b.get() == this || !b; }),
               bars.end());
  }
  menu_ = m;
  if (m) m->bars_.push_back(this);
  syncMenu();
}

ToolButton* ToolBar::button(int i) const {
  if (i < 0 || i >= buttonCount()) return nullptr;
  return buttons_[static_cast<size_t>(i)];
}

void ToolBar::syncMenu() {
  // Drop buttons freed from outside.
  buttons_.erase(
      std::remove_if(buttons_.begin(), buttons_.end(), [](const Ref<ToolButton>& b) { return !b; }),
      buttons_.end());
  std::vector<MenuItem*> items;
  if (Menu* m = menu_) items = m->items().items();
  while (buttons_.size() > items.size()) {
    ToolButton* b = buttons_.back();
    buttons_.pop_back();
    b->free();
  }
  while (buttons_.size() < items.size()) {
    auto* b = new ToolButton(this);
    b->setParent(this);
    buttons_.push_back(b);
  }
  int x = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    ToolButton* b = buttons_[i];
    MenuItem* item = items[i];
    b->item_ = item;
    b->setCaption(item->caption());
    b->setVisible(item->visible());
    b->setEnabled(item->enabled());
    int w = backend().textExtent(font(), stripHotkey(item->caption())).width + 14;
    b->setBounds(x, 0, w, buttonHeight_);
    if (item->visible()) x += w;
  }
}

}  // namespace ui
