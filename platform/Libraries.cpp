#include "Libraries.h"

#include <dlfcn.h>

namespace platform {

namespace {

class DlLibraries final : public ILibraries {
 public:
  void* Load(const std::string& fileName) override {
    void* handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    Remember();
    return handle;
  }
  void* Symbol(void* library, const char* name) override {
    void* symbol = dlsym(library, name);
    Remember();
    return symbol;
  }
  void Unload(void* library) override { dlclose(library); }
  std::string LastError() override { return lastError_; }

 private:
  void Remember() {
    if (const char* error = dlerror()) lastError_ = error;
  }
  std::string lastError_;
};

}  // namespace

template <>
ILibraries& Default<ILibraries>() {
  static DlLibraries libraries;
  return libraries;
}

}  // namespace platform
