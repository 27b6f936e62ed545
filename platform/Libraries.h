// Shared libraries loaded at run time by file name, through the standard
// search (a bare name also finds libraries in the program's run path).
#pragma once

#include <string>

#include "Facility.h"

namespace platform {

class ILibraries {
 public:
  virtual ~ILibraries() = default;
  // Null when the library cannot be loaded.
  virtual void* Load(const std::string& fileName) = 0;
  // Null when the library has no such export.
  virtual void* Symbol(void* library, const char* name) = 0;
  virtual void Unload(void* library) = 0;
  // Why the last Load or Symbol failed, for messages.
  virtual std::string LastError() = 0;
};

template <>
ILibraries& Default<ILibraries>();

inline ILibraries& Libraries() { return Current<ILibraries>(); }

// A loaded library, unloaded when destroyed.
class Library {
 public:
  Library() = default;
  explicit Library(const std::string& fileName) : handle_(Libraries().Load(fileName)) {}
  ~Library() { Reset(); }
  Library(Library&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Library& operator=(Library&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  void* Symbol(const char* name) const {
    return handle_ ? Libraries().Symbol(handle_, name) : nullptr;
  }
  template <class Function>
  Function Get(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }
  void Reset() {
    if (handle_) Libraries().Unload(handle_);
    handle_ = nullptr;
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace platform
