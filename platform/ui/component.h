// Components: named objects with an owner that frees them, and references that become null when
// the object they refer to goes away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Component {
 public:
  // The owner (may be null) frees this component when it is freed itself.
  explicit Component(Component* owner = nullptr);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Component* owner() const { return owner_; }
  const std::string& name() const { return name_; }
  virtual void setName(const std::string& name);
  intptr_t tag() const { return tag_; }
  void setTag(intptr_t t) { tag_ = t; }

  const std::vector<Component*>& components() const { return components_; }
  // The owned component of this name (not searched recursively), or null.
  Component* findComponent(std::string_view name) const;

  // Frees a component created with new: runs the destruction events, then deletes it. Use this
  // rather than delete so that handlers see a complete object. Stack objects are simply destroyed.
  void free();
  bool destroying() const { return destroying_; }

 protected:
  // Runs first when the component is freed, while the object is still complete.
  virtual void beforeDestruction() {}

 private:
  template <class T>
  friend class Ref;
  void removeComponent(Component* c);

  Component* owner_;
  std::string name_;
  intptr_t tag_ = 0;
  std::vector<Component*> components_;
  bool destroying_ = false;
  std::shared_ptr<Component*> self_;
};

// A reference that reads null once the component is freed (or has started to be freed).
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  Ref(T* p) {
    if (p) tracker_ = static_cast<Component*>(p)->self_;
  }
  Ref& operator=(T* p) {
    tracker_ = p ? static_cast<Component*>(p)->self_ : nullptr;
    return *this;
  }
  T* get() const { return tracker_ && *tracker_ ? static_cast<T*>(*tracker_) : nullptr; }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  operator T*() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }

 private:
  std::shared_ptr<Component*> tracker_;
};

struct FreeDeleter {
  void operator()(Component* c) const {
    if (c) c->free();
  }
};
// Sole ownership of a component without an owner (for example a dialog a caller creates and frees).
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

}  // namespace ui
