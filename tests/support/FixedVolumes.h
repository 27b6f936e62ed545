// Volumes with answers fixed by the test: each root given has a drive type;
// a path's volume root is the longest root given that holds it ("/" unless
// told otherwise), and a root never given has the type "no root folder".
//
//   test::FixedVolumes volumes(platform::drive::kRemote);   // "/" is remote
//   platform::ScopedOverride<platform::IVolumes> use(volumes);
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Volumes.h"

namespace test {

class FixedVolumes final : public platform::IVolumes {
 public:
  explicit FixedVolumes(int rootType = platform::drive::kFixed) { Add("/", rootType); }
  // A root with its trailing "/" (one is added when missing).
  FixedVolumes& Add(const std::string& root, int type);

  // Every root asked for by DriveType, as asked.
  const std::vector<std::string>& Asked() const { return asked_; }

  std::string VolumeRoot(const std::string& path) override;
  int DriveType(const std::string& root) override;

 private:
  std::map<std::string, int> types_;
  std::vector<std::string> asked_;
};

}  // namespace test
