// Test doubles around run-time library loading: a counting, redirecting
// ILibraries, and the test's own hold on a fake library's state.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/Libraries.h"

namespace test {

// Loads through the real dlopen, but can load a name from another path,
// refuse names, and hide exports; counts loads and unloads per name.
class LibrariesDouble final : public platform::ILibraries {
 public:
  std::map<std::string, std::string> redirect;  // file name -> path loaded instead
  std::set<std::string> refused;                // file names that do not load
  std::set<std::string> hidden;                 // exports reported missing

  int Loads(const std::string& name) const { return Count(loads_, name); }
  int Unloads(const std::string& name) const { return Count(unloads_, name); }

  void* Load(const std::string& fileName) override {
    if (refused.count(fileName)) return nullptr;
    const auto target = redirect.find(fileName);
    void* handle = real_.Load(target == redirect.end() ? fileName : target->second);
    if (handle) {
      ++loads_[fileName];
      names_[handle] = fileName;
    }
    return handle;
  }
  void* Symbol(void* library, const char* name) override {
    return hidden.count(name) ? nullptr : real_.Symbol(library, name);
  }
  void Unload(void* library) override {
    ++unloads_[names_[library]];
    real_.Unload(library);
  }
  std::string LastError() override { return real_.LastError(); }

 private:
  static int Count(const std::map<std::string, int>& counts, const std::string& name) {
    const auto found = counts.find(name);
    return found == counts.end() ? 0 : found->second;
  }
  platform::ILibraries& real_ = platform::Default<platform::ILibraries>();
  std::map<std::string, int> loads_;
  std::map<std::string, int> unloads_;
  std::map<void*, std::string> names_;
};

// The test's own hold on a fake library, so that the fake's state survives
// the loads and unloads of the code under test. Resets the state.
template <class State>
class FakeLibrary {
 public:
  FakeLibrary(const char* path, const char* stateFunction) : handle_(dlopen(path, RTLD_NOW)) {
    if (!handle_) throw std::runtime_error(std::string("cannot load ") + path);
    auto get = reinterpret_cast<State* (*)()>(dlsym(handle_, stateFunction));
    if (!get) throw std::runtime_error(std::string("no ") + stateFunction);
    state_ = get();
    *state_ = State{};
  }
  ~FakeLibrary() { dlclose(handle_); }
  FakeLibrary(const FakeLibrary&) = delete;
  FakeLibrary& operator=(const FakeLibrary&) = delete;

  State& operator*() const { return *state_; }
  State* operator->() const { return state_; }

 private:
  void* handle_;
  State* state_ = nullptr;
};

}  // namespace test
