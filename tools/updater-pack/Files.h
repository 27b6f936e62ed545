// Whole-file input and all-or-nothing output for the packer. Every failure is
// a std::runtime_error that names the file.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace pack {

// A regular file, open for reading.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  std::uint64_t Size() const { return size_; }
  mode_t Mode() const { return mode_; }
  // The first `size` bytes (all when larger than the file).
  std::string Read(std::uint64_t size) const;
  std::string ReadAll() const { return Read(size_); }

 private:
  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  mode_t mode_ = 0;
};

// Writes into a temporary file beside the target and renames it over the
// target on Commit; without a Commit the temporary file is removed, so a
// failed run leaves no output behind.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  void Commit(mode_t mode);

 private:
  std::string path_;
  std::string temporary_;
  int fd_ = -1;
};

}  // namespace pack
