// The file system as the engine sees it: Windows-style attributes over the
// Linux file system. Paths are CP1251 texts; the implementation converts them
// to the kernel's names as platform/NativeNames.h describes (a name without
// a CP1251 form comes back escaped, never as another file's name).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Facility.h"

namespace platform {

namespace attr {
constexpr std::uint32_t kReadOnly = 0x01;  // no write permission bit set
constexpr std::uint32_t kHidden = 0x02;    // the name begins with a dot
constexpr std::uint32_t kSystem = 0x04;    // never set on Linux
constexpr std::uint32_t kVolumeLabel = 0x08;
constexpr std::uint32_t kDirectory = 0x10;  // never set for a symbolic link
constexpr std::uint32_t kArchive = 0x20;    // set for every file that is no folder
constexpr std::uint32_t kAll = 0x3F;
constexpr std::uint32_t kReparsePoint = 0x400;  // a symbolic link
}  // namespace attr

struct DirEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

// One open directory search; closed when destroyed.
class IDirectorySearch {
 public:
  virtual ~IDirectorySearch() = default;
  // The next entry in the order the file system returns them ("." and ".."
  // included); empty at the end.
  virtual std::optional<DirEntry> Next() = 0;
};

enum class WriteResult { ok, cannotCreate, writeError };

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // Every entry of the folder; null when the folder cannot be searched.
  virtual std::unique_ptr<IDirectorySearch> FindFirst(const std::string& folder) = 0;
  // Empty when nothing of that name exists (a dangling link exists).
  virtual std::optional<std::uint32_t> GetAttributes(const std::string& path) = 0;
  // Read-only maps to the write permission bits (setting it clears them all,
  // clearing it gives the owner write permission); the other bits cannot be
  // changed on Linux and are ignored. A symbolic link is left alone.
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Removes a file or a symbolic link (never what a link points to).
  virtual bool DeleteFile(const std::string& path) = 0;
  // Creates exactly one folder; fails when anything of that name exists.
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Removes an empty folder.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // Renames a file or folder; fails when the target exists, as on Windows.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Whole-file copy over an existing target, keeping the source's permission
  // bits, owner (where allowed) and times; a symbolic link is copied as a link.
  // The data is copied in the kernel (reflink, copy_file_range). A link in
  // the target's place is replaced, never written through; a folder, a
  // special file or the source itself as target make the copy fail.
  virtual bool CopyFile(const std::string& source, const std::string& target) = 0;
  virtual bool FileExists(const std::string& path) = 0;       // exists and is no folder
  virtual bool DirectoryExists(const std::string& path) = 0;  // exists and is a folder
  // Creates or replaces the file with these bytes.
  virtual WriteResult WriteFile(const std::string& path, std::string_view bytes) = 0;
};

template <>
IFileSystem& Default<IFileSystem>();

inline IFileSystem& FileSystem() { return Current<IFileSystem>(); }

}  // namespace platform
