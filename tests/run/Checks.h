// Small helpers shared by the run tests.
#pragma once

#include <string>
#include <vector>

#include "Installation.h"
#include "RecordingWindow.h"
#include "Texts.h"
#include "platform/Libraries.h"

namespace test::run {

inline Dialog Confirmation(const std::string& parts) {
  return {DialogKind::confirm, texts::Confirmation(parts)};
}
inline Dialog Information(const std::string& text) { return {DialogKind::information, text}; }
inline Dialog Error(const std::string& text) { return {DialogKind::error, text}; }

// The tree with every path put below the folder.
inline Tree Below(const std::string& folder, Tree tree) {
  for (auto& [path, bytes] : tree) path = folder + "/" + path;
  return tree;
}

inline bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// Loads through the libraries in force when it is made and records every
// name asked for.
class RecordingLibraries final : public platform::ILibraries {
 public:
  std::vector<std::string> asked;

  void* Load(const std::string& fileName) override {
    asked.push_back(fileName);
    return real_.Load(fileName);
  }
  void* Symbol(void* library, const char* name) override { return real_.Symbol(library, name); }
  void Unload(void* library) override { real_.Unload(library); }
  std::string LastError() override { return real_.LastError(); }

 private:
  platform::ILibraries& real_ = platform::Libraries();
};

}  // namespace test::run
