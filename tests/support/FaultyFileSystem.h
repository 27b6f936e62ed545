// A file system for tests that passes every call to another one (the real
// one unless told otherwise), records each call, and makes chosen calls
// fail: by the kind of operation, for paths that match a predicate, on every
// matching call or only on the N-th one. A failed call does nothing and
// answers as the real one answers a failure (false, null, no attributes,
// WriteResult::cannotCreate unless told otherwise).
//
//   test::FaultyFileSystem files;
//   files.Fail(test::FsOp::DeleteFile, test::PathEndsWith("/b.txt"));
//   platform::ScopedOverride<platform::IFileSystem> use(files);
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace test {

enum class FsOp {
  FindFirst,
  GetAttributes,
  SetAttributes,
  DeleteFile,
  CreateDirectory,
  RemoveDirectory,
  Rename,
  CopyFile,
  FileExists,
  DirectoryExists,
  WriteFile,
};

const char* NameOf(FsOp op);

struct FsCall {
  FsOp op;
  std::string path;              // the path; for Rename and CopyFile the source
  std::string target;            // Rename and CopyFile: the target; otherwise empty
  std::uint32_t attributes = 0;  // SetAttributes: the value asked for
  bool failed = false;           // made to fail by a fault
};

using CallPredicate = std::function<bool(const FsCall&)>;

CallPredicate AnyPath();
CallPredicate PathIs(std::string path);
CallPredicate PathEndsWith(std::string suffix);
CallPredicate PathContains(std::string fragment);
CallPredicate TargetEndsWith(std::string suffix);

class FaultyFileSystem final : public platform::IFileSystem {
 public:
  explicit FaultyFileSystem(
      platform::IFileSystem& inner = platform::Default<platform::IFileSystem>())
      : inner_(inner) {}

  // Makes calls of this kind that match fail: every one when nth is 0, else
  // only the nth matching call (counted from 1, from the time of this call).
  FaultyFileSystem& Fail(FsOp op, CallPredicate matches = AnyPath(), int nth = 0);
  // What a failed WriteFile answers.
  FaultyFileSystem& FailWritesWith(platform::WriteResult result);
  void ClearFaults() { faults_.clear(); }

  const std::vector<FsCall>& Calls() const { return calls_; }
  // The recorded calls of one kind (and matching the predicate).
  std::vector<FsCall> CallsOf(FsOp op, const CallPredicate& matches = AnyPath()) const;
  int CountOf(FsOp op, const CallPredicate& matches = AnyPath()) const;
  void ClearCalls() { calls_.clear(); }
  // Directory searches handed out and not yet closed.
  int OpenSearches() const { return openSearches_; }

  std::unique_ptr<platform::IDirectorySearch> FindFirst(const std::string& folder) override;
  std::optional<std::uint32_t> GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CopyFile(const std::string& source, const std::string& target) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  platform::WriteResult WriteFile(const std::string& path, std::string_view bytes) override;

 private:
  struct Fault {
    FsOp op;
    CallPredicate matches;
    int nth;
    int seen = 0;
  };
  class CountedSearch;

  // Records the call; true when a fault makes it fail.
  bool Record(FsCall call);

  platform::IFileSystem& inner_;
  std::vector<Fault> faults_;
  std::vector<FsCall> calls_;
  platform::WriteResult writeFailure_ = platform::WriteResult::cannotCreate;
  int openSearches_ = 0;
};

}  // namespace test
