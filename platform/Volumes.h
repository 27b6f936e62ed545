// Volumes and their drive types, in the numbering of the Windows call that
// the engine was designed around.
#pragma once

#include <string>

#include "Facility.h"

namespace platform {

namespace drive {
constexpr int kUnknown = 0;
constexpr int kNoRootDir = 1;
constexpr int kRemovable = 2;
constexpr int kFixed = 3;
constexpr int kRemote = 4;
constexpr int kCdRom = 5;
constexpr int kRamDisk = 6;
}  // namespace drive

class IVolumes {
 public:
  virtual ~IVolumes() = default;
  // The root of the volume that holds the path: its mount point, with a
  // trailing separator.
  virtual std::string VolumeRoot(const std::string& path) = 0;
  virtual int DriveType(const std::string& root) = 0;
};

template <>
IVolumes& Default<IVolumes>();

inline IVolumes& Volumes() { return Current<IVolumes>(); }

}  // namespace platform
