#include "FixedVolumes.h"

#include "platform/Paths.h"

namespace test {

FixedVolumes& FixedVolumes::Add(const std::string& root, int type) {
  types_[platform::IncludeTrailingPathDelimiter(root)] = type;
  return *this;
}

std::string FixedVolumes::VolumeRoot(const std::string& path) {
  const std::string folder = platform::IncludeTrailingPathDelimiter(path);
  std::string best;
  for (const auto& [root, type] : types_)
    if (folder.compare(0, root.size(), root) == 0 && root.size() > best.size()) best = root;
  return best;
}

int FixedVolumes::DriveType(const std::string& root) {
  asked_.push_back(root);
  const auto found = types_.find(root);
  return found == types_.end() ? platform::drive::kNoRootDir : found->second;
}

}  // namespace test
