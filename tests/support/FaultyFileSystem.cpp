#include "FaultyFileSystem.h"

#include <algorithm>

namespace test {

const char* NameOf(FsOp op) {
  switch (op) {
    case FsOp::FindFirst:
      return "FindFirst";
    case FsOp::GetAttributes:
      return "GetAttributes";
    case FsOp::SetAttributes:
      return "SetAttributes";
    case FsOp::DeleteFile:
      return "DeleteFile";
    case FsOp::CreateDirectory:
      return "CreateDirectory";
    case FsOp::RemoveDirectory:
      return "RemoveDirectory";
    case FsOp::Rename:
      return "Rename";
    case FsOp::CopyFile:
      return "CopyFile";
    case FsOp::FileExists:
      return "FileExists";
    case FsOp::DirectoryExists:
      return "DirectoryExists";
    case FsOp::WriteFile:
      return "WriteFile";
  }
  return "?";
}

CallPredicate AnyPath() {
  return [](const FsCall&) { return true; };
}

CallPredicate PathIs(std::string path) {
  return [path = std::move(path)](const FsCall& call) { return call.path == path; };
}

CallPredicate PathEndsWith(std::string suffix) {
  return [suffix = std::move(suffix)](const FsCall& call) {
    return call.path.size() >= suffix.size() &&
           call.path.compare(call.path.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
}

CallPredicate PathContains(std::string fragment) {
  return [fragment = std::move(fragment)](const FsCall& call) {
    return call.path.find(fragment) != std::string::npos;
  };
}

CallPredicate TargetEndsWith(std::string suffix) {
  return [suffix = std::move(suffix)](const FsCall& call) {
    return call.target.size() >= suffix.size() &&
           call.target.compare(call.target.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
}

class FaultyFileSystem::CountedSearch final : public platform::IDirectorySearch {
 public:
  CountedSearch(std::unique_ptr<platform::IDirectorySearch> inner, int& open)
      : inner_(std::move(inner)), open_(open) {
    ++open_;
  }
  ~CountedSearch() override { --open_; }
  CountedSearch(const CountedSearch&) = delete;
  CountedSearch& operator=(const CountedSearch&) = delete;
  std::optional<platform::DirEntry> Next() override { return inner_->Next(); }

 private:
  std::unique_ptr<platform::IDirectorySearch> inner_;
  int& open_;
};

FaultyFileSystem& FaultyFileSystem::Fail(FsOp op, CallPredicate matches, int nth) {
  faults_.push_back(Fault{op, std::move(matches), nth});
  return *this;
}

FaultyFileSystem& FaultyFileSystem::FailWritesWith(platform::WriteResult result) {
  writeFailure_ = result;
  return *this;
}

std::vector<FsCall> FaultyFileSystem::CallsOf(FsOp op, const CallPredicate& matches) const {
  std::vector<FsCall> found;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
               [&](const FsCall& call) { return call.op == op && matches(call); });
  return found;
}

int FaultyFileSystem::CountOf(FsOp op, const CallPredicate& matches) const {
  return static_cast<int>(CallsOf(op, matches).size());
}

bool FaultyFileSystem::Record(FsCall call) {
  for (auto& fault : faults_) {
    if (fault.op != call.op || !fault.matches(call)) continue;
    ++fault.seen;
    if (fault.nth == 0 || fault.seen == fault.nth) call.failed = true;
  }
  calls_.push_back(call);
  return call.failed;
}

std::unique_ptr<platform::IDirectorySearch> FaultyFileSystem::FindFirst(const std::string& folder) {
  if (Record({FsOp::FindFirst, folder, {}})) return nullptr;
  auto search = inner_.FindFirst(folder);
  if (!search) return nullptr;
  return std::make_unique<CountedSearch>(std::move(search), openSearches_);
}

std::optional<std::uint32_t> FaultyFileSystem::GetAttributes(const std::string& path) {
  if (Record({FsOp::GetAttributes, path, {}})) return std::nullopt;
  return inner_.GetAttributes(path);
}

bool FaultyFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (Record({FsOp::SetAttributes, path, {}, attributes})) return false;
  return inner_.SetAttributes(path, attributes);
}

bool FaultyFileSystem::DeleteFile(const std::string& path) {
  return !Record({FsOp::DeleteFile, path, {}}) && inner_.DeleteFile(path);
}

bool FaultyFileSystem::CreateDirectory(const std::string& path) {
  return !Record({FsOp::CreateDirectory, path, {}}) && inner_.CreateDirectory(path);
}

bool FaultyFileSystem::RemoveDirectory(const std::string& path) {
  return !Record({FsOp::RemoveDirectory, path, {}}) && inner_.RemoveDirectory(path);
}

bool FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  return !Record({FsOp::Rename, from, to}) && inner_.Rename(from, to);
}

bool FaultyFileSystem::CopyFile(const std::string& source, const std::string& target) {
  return !Record({FsOp::CopyFile, source, target}) && inner_.CopyFile(source, target);
}

bool FaultyFileSystem::FileExists(const std::string& path) {
  return !Record({FsOp::FileExists, path, {}}) && inner_.FileExists(path);
}

bool FaultyFileSystem::DirectoryExists(const std::string& path) {
  return !Record({FsOp::DirectoryExists, path, {}}) && inner_.DirectoryExists(path);
}

platform::WriteResult FaultyFileSystem::WriteFile(const std::string& path, std::string_view bytes) {
  if (Record({FsOp::WriteFile, path, {}})) return writeFailure_;
  return inner_.WriteFile(path, bytes);
}

}  // namespace test
