// Menus (items may be measured and drawn by the program) and a tool bar that shows a main menu.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/control.h"
#include "platform/ui/graphics.h"

namespace ui {

class Menu;
class ToolBar;

using MeasureItemEvent = std::function<void(Component* sender, Canvas& canvas, int& width, int& height)>;
using DrawItemEvent = std::function<void(Component* sender, Canvas& canvas, const Rect& rect, bool selected)>;

class MenuItem : public Component {
 public:
  explicit MenuItem(Component* owner);
  // Frees the item's sub-items and leaves its parent item.
  ~MenuItem() override;

  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& c);
  bool isLine() const { return caption_ == "-"; }
  bool visible() const { return visible_; }
  void setVisible(bool on);
  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  bool checked() const { return checked_; }
  void setChecked(bool on) { checked_ = on; }
  const std::string& hint() const { return hint_; }
  void setHint(const std::string& h) { hint_ = h; }

  MenuItem* parentItem() const { return parent_; }
  // The menu this item belongs to (through its parents), or null.
  Menu* menu() const;
  int count() const { return static_cast<int>(items_.size()); }
  MenuItem* item(int i) const;
  const std::vector<MenuItem*>& items() const { return items_; }
  void add(MenuItem* child);
  void insert(int i, MenuItem* child);
  void remove(MenuItem* child);
  int indexOf(const MenuItem* child) const;

  // Runs onClick, as the program's own Click does (no checks).
  virtual void click();
  // The size the item asks for: on an owner-drawn menu its measure handler adjusts the default
  // (text width + 16, text height + 4; separators 8 high).
  Size measure(Canvas& canvas);
  // Draws the item: through onDrawItem on an owner-drawn menu, else plainly.
  void draw(Canvas& canvas, const Rect& rect, bool selected);

  NotifyEvent onClick;
  MeasureItemEvent onMeasureItem;
  DrawItemEvent onDrawItem;

 private:
  friend class Menu;
  void changed();
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  std::string hint_;
  MenuItem* parent_ = nullptr;
  Menu* menu_ = nullptr;  // set on a menu's root item
  std::vector<MenuItem*> items_;
};

class Menu : public Component {
 public:
  explicit Menu(Component* owner);
  // Items owned by the menu are freed after it: they must no longer reach it.
  ~Menu() override;
  // The root item; its sub-items are the menu's top-level items.
  MenuItem& items() { return *root_; }
  bool ownerDraw() const { return ownerDraw_; }
  void setOwnerDraw(bool on) { ownerDraw_ = on; }
  // Called by items when their caption, visibility or sub-items change.
  void changed();

 private:
  friend class ToolBar;
  MenuItem* root_;
  bool ownerDraw_ = false;
  std::vector<Ref<ToolBar>> bars_;
};

class MainMenu : public Menu {
 public:
  explicit MainMenu(Component* owner) : Menu(owner) {}
};

// A tool bar button that stands for a top-level menu item.
class ToolButton : public Control {
 public:
  explicit ToolButton(Component* owner);
  const char* kind() const override { return "ToolButton"; }
  MenuItem* menuItem() const { return item_; }
  // Dropping down the menu: the item's own click runs.
  void click() override;

 private:
  friend class ToolBar;
  Ref<MenuItem> item_;
};

class ToolBar : public WinControl {
 public:
  explicit ToolBar(Component* owner);
  const char* kind() const override { return "ToolBar"; }
  bool flat() const { return flat_; }
  void setFlat(bool on) { flat_ = on; }
  bool showCaptions() const { return showCaptions_; }
  void setShowCaptions(bool on) { showCaptions_ = on; }
  int buttonHeight() const { return buttonHeight_; }
  void setButtonHeight(int h);

  Menu* menu() const { return menu_; }
  // Shows one button per top-level item of the menu (null: none).
  void setMenu(Menu* m);
  int buttonCount() const { return static_cast<int>(buttons_.size()); }
  ToolButton* button(int i) const;
  // Brings the buttons in line with the menu's items.
  void syncMenu();

 private:
  bool flat_ = false;
  bool showCaptions_ = false;
  int buttonHeight_ = 22;
  Ref<Menu> menu_;
  std::vector<Ref<ToolButton>> buttons_;
};

}  // namespace ui
