#include "platform/ui/component.h"

#include <algorithm>

namespace ui {

Component::Component(Component* owner) : owner_(owner), self_(std::make_shared<Component*>(this)) {
  if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
  destroying_ = true;
  *self_ = nullptr;
  // Freeing one component may free others it owns or parents; take them one at a time from the end.
  while (!components_.empty()) {
    Component* c = components_.back();
    if (c->destroying_) {
      // Already on its way out (its own free() led here): just forget it.
      components_.pop_back();
      c->owner_ = nullptr;
      continue;
    }
    c->free();
  }
  if (owner_) owner_->removeComponent(this);
}

void Component::setName(const std::string& name) {
  name_ = name;
}

Component* Component::findComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (Component* c : components_) {
    if (c->name_ == name) return c;
  }
  return nullptr;
}

void Component::free() {
  if (destroying_) return;
  destroying_ = true;
  *self_ = nullptr;
  beforeDestruction();
  delete this;
}

void Component::removeComponent(Component* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) components_.erase(it);
}

}  // namespace ui
