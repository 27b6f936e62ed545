// Placeholder until the mount table is read: every path is on a fixed "/".
#include "Volumes.h"

namespace platform {

namespace {

class LinuxVolumes final : public IVolumes {
 public:
  std::string VolumeRoot(const std::string&) override { return "/"; }
  int DriveType(const std::string&) override { return drive::kFixed; }
};

}  // namespace

template <>
IVolumes& Default<IVolumes>() {
  static LinuxVolumes volumes;
  return volumes;
}

}  // namespace platform
