// A fresh temporary folder for one test. Removed when the test passes; kept,
// with its path printed, when it fails.
#pragma once

#include <filesystem>
#include <string>

namespace test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path as the engine takes it (CP1251; our temporary names are ASCII).
  std::string Text() const { return path_.string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes a file, creating its folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace test
