// Process-wide access to the platform facilities. Each facility is an
// interface with one real implementation (returned by Default<I>()) that a
// test can replace for a scope with a double.
#pragma once

namespace platform {

// Specialised by each facility's source file: the real implementation.
template <class Interface>
Interface& Default();

template <class Interface>
Interface*& OverrideSlot() {
  static Interface* current = nullptr;
  return current;
}

template <class Interface>
Interface& Current() {
  Interface* replacement = OverrideSlot<Interface>();
  return replacement ? *replacement : Default<Interface>();
}

// Puts a replacement in force until the end of the scope; nests.
template <class Interface>
class ScopedOverride {
 public:
  explicit ScopedOverride(Interface& replacement) : previous_(OverrideSlot<Interface>()) {
    OverrideSlot<Interface>() = &replacement;
  }
  ~ScopedOverride() { OverrideSlot<Interface>() = previous_; }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  Interface* previous_;
};

}  // namespace platform
