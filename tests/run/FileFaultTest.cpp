// Each file operation of the run failing in turn, through the fault-injecting
// file system, on a real installation with both parts: what the run leaves
// behind and what reaches the operator and the caller.
#include <gtest/gtest.h>

#include <functional>

#include "Checks.h"
#include "Server.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Messages.h"

namespace {

namespace fs = std::filesystem;
using namespace test::run;
namespace texts = test::texts;
using test::Dialog;
using test::FsCall;
using test::FsOp;
using namespace platform::literals;

// The folders of the run, known in advance through the fixed clock.
struct Paths {
  explicit Paths(const Installation& install)
      : root(install.root),
        program(install.program),
        data(install.data),
        work(install.root / "Tmp$091209080503"),
        fresh(work / "New"),
        old(work / "Old") {}
  fs::path root, program, data, work, fresh, old;
};

enum class Outcome {
  stagingUndone,     // the working folder removed again
  stagingLeftover,   // removing the working folder failed too
  rolledBack,        // the apply phase failed, the roll-back restored both parts
  rollBackFailed,    // the roll-back itself failed
  accessDenied,      // the first rename failed
  renameBackFailed,  // the installation stays under the trial name
};

struct FileFault {
  const char* name;
  std::function<void(test::FaultyFileSystem&, const Paths&)> inject;
  Outcome outcome;
  // The message of the failing operation, given the last call made to fail.
  std::function<std::string(const Paths&, const FsCall&)> message;
};

test::CallPredicate Is(const fs::path& path) { return test::PathIs(path.string()); }
test::CallPredicate Below(const fs::path& folder) {
  return [prefix = folder.string() + "/"](const FsCall& call) {
    return call.path.rfind(prefix, 0) == 0;
  };
}

// The apply phase fails on the help file; the roll-back follows.
void FailHelpFileCopy(test::FaultyFileSystem& files, const Paths& paths) {
  files.Fail(FsOp::CopyFile, Is(paths.fresh / "Quendal.chm"));
}

std::string CannotDeleteTheFailed(const Paths&, const FsCall& failed) {
  return texts::CannotDelete(failed.path);
}
std::string CannotCopyTheFailed(const Paths&, const FsCall& failed) {
  return texts::CannotCopy(failed.path);
}

const FileFault kFaults[] = {
    // Staging
    // A leftover of that name that appeared once the run had chosen it.
    {"LeftoverWorkingFolderCannotBeEmptied",
     [](auto& files, const Paths& p) {
       test::WriteFile(p.work / "leftover.txt", "of an earlier run");
       files.Fail(FsOp::GetAttributes, Is(p.work), 1);
       files.Fail(FsOp::DeleteFile, Is(p.work / "leftover.txt"), 1);
     },
     Outcome::stagingUndone, CannotDeleteTheFailed},
    {"WorkingFolderCannotBeCreated",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CreateDirectory, Is(p.work)); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) { return texts::CannotCreate(p.work.string()); }},
    {"NewFolderCannotBeCreated",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CreateDirectory, Is(p.fresh)); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) { return texts::CannotCreate(p.fresh.string()); }},
    {"OldFolderCannotBeCreated",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CreateDirectory, Is(p.old)); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) { return texts::CannotCreate(p.old.string()); }},
    {"ArchiveProgramCannotBeWritten",
     [](auto& files, const Paths& p) { files.Fail(FsOp::WriteFile, Is(p.fresh / "files.exe")); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) {
       return "Ошибка работы с ресурсом \"files\"!\rCannot create file "_cp +
              (p.fresh / "files.exe").string();
     }},
    {"ProgramBackupFolderCannotBeCreated",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CreateDirectory, Is(p.old / "Program")); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) {
       return texts::CannotCreate((p.old / "Program").string() + "/");
     }},
    {"ClientFileCannotBeBackedUp",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CopyFile, Is(p.program / "Quendal.exe")); },
     Outcome::stagingUndone, CannotCopyTheFailed},
    {"DataBackupFolderCannotBeCreated",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CreateDirectory, Is(p.old / "DB_Data")); },
     Outcome::stagingUndone,
     [](const Paths& p, const FsCall&) {
       return texts::CannotCreate((p.old / "DB_Data").string() + "/");
     }},
    {"DatabaseCannotBeBackedUp",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CopyFile, Is(p.data / "Quendal.fdb")); },
     Outcome::stagingUndone, CannotCopyTheFailed},
    {"WorkingFolderCannotBeRemovedAfterAStagingFailure",
     [](auto& files, const Paths& p) {
       files.Fail(FsOp::CopyFile, Is(p.data / "Quendal.fdb"));
       files.Fail(FsOp::DeleteFile, Is(p.old / "Program/Quendal.exe"));
     },
     Outcome::stagingLeftover, CannotDeleteTheFailed},
    // Apply
    {"NewClientProgramCannotBeCopied",
     [](auto& files, const Paths& p) { files.Fail(FsOp::CopyFile, Is(p.fresh / "Quendal.exe")); },
     Outcome::rolledBack, CannotCopyTheFailed},
    {"NewHelpFileCannotBeCopied", FailHelpFileCopy, Outcome::rolledBack, CannotCopyTheFailed},
    // Roll-back
    {"ProgramFolderCannotBeEmptied",
     [](auto& files, const Paths& p) {
       FailHelpFileCopy(files, p);
       files.Fail(FsOp::DeleteFile, Below(p.program), 1);
     },
     Outcome::rollBackFailed, CannotDeleteTheFailed},
    {"ProgramFolderCannotBeRestored",
     [](auto& files, const Paths& p) {
       FailHelpFileCopy(files, p);
       files.Fail(FsOp::CopyFile, Below(p.old / "Program"), 1);
     },
     Outcome::rollBackFailed, CannotCopyTheFailed},
    {"DataFolderCannotBeEmptied",
     [](auto& files, const Paths& p) {
       FailHelpFileCopy(files, p);
       files.Fail(FsOp::DeleteFile, Is(p.data / "Quendal.fdb"));
     },
     Outcome::rollBackFailed, CannotDeleteTheFailed},
    {"DataFolderCannotBeRecreated",
     [](auto& files, const Paths& p) {
       FailHelpFileCopy(files, p);
       files.Fail(FsOp::CreateDirectory, Is(p.data));
     },
     Outcome::rollBackFailed,
     [](const Paths& p, const FsCall&) { return texts::CannotCreate(p.data.string() + "/"); }},
    {"DatabaseCannotBeRestored",
     [](auto& files, const Paths& p) {
       FailHelpFileCopy(files, p);
       files.Fail(FsOp::CopyFile, Is(p.old / "DB_Data/Quendal.fdb"));
     },
     Outcome::rollBackFailed, CannotCopyTheFailed},
    // Access test
    {"FirstRenameFails",
     [](auto& files, const Paths&) { files.Fail(FsOp::Rename, test::AnyPath(), 1); },
     Outcome::accessDenied,
     [](const Paths& p, const FsCall&) { return texts::NoFullAccess(p.root.string()); }},
    {"RenameBackFails",
     [](auto& files, const Paths&) { files.Fail(FsOp::Rename, test::AnyPath(), 2); },
     Outcome::renameBackFailed,
     [](const Paths&, const FsCall&) { return texts::RenameBackFailed(); }},
};

const FsCall* LastFailed(const test::FaultyFileSystem& files) {
  const FsCall* last = nullptr;
  for (const auto& call : files.Calls())
    if (call.failed) last = &call;
  return last;
}

void PrintTo(const FileFault& fault, std::ostream* out) { *out << fault.name; }

class FileFaultRun : public testing::TestWithParam<FileFault> {};

TEST_P(FileFaultRun, LeavesWhatItMust) {
  const FileFault& fault = GetParam();
  Installation install(Parts::both);
  test::FixedClock clock(2009, 12, 9, 8, 5, 3);
  platform::ScopedOverride<platform::IClock> clockInForce(clock);
  const Paths paths(install);
  const std::string before = Dump(install.database);
  test::FaultyFileSystem files;
  fault.inject(files, paths);

  std::string message;
  {
    platform::ScopedOverride<platform::IFileSystem> filesInForce(files);
    message = install.RunUpdate();
  }

  const FsCall* failed = LastFailed(files);
  ASSERT_NE(failed, nullptr) << "no call was made to fail";
  const std::string expected = fault.message(paths, *failed);
  const auto& dialogs = install.window.dialogs;
  ASSERT_FALSE(dialogs.empty());
  EXPECT_EQ(dialogs[0], Confirmation(texts::BothParts()));
  const std::string helpFileFailure = texts::CannotCopy((paths.fresh / "Quendal.chm").string());

  switch (fault.outcome) {
    case Outcome::stagingUndone:
    case Outcome::stagingLeftover:
    case Outcome::accessDenied:
      EXPECT_EQ(message, expected);
      EXPECT_EQ(dialogs.size(), 1u);
      EXPECT_EQ(fs::exists(paths.work), fault.outcome == Outcome::stagingLeftover);
      EXPECT_FALSE(IsShutDown(install.database));
      EXPECT_EQ(Dump(install.database), before);
      EXPECT_EQ(Contents(install.program), OldClientFiles());
      break;
    case Outcome::rolledBack:
      EXPECT_EQ(message, test::kNoException);
      EXPECT_EQ(dialogs, (std::vector<Dialog>{Confirmation(texts::BothParts()),
                                              Error(texts::RollBackStarts(expected)),
                                              Information(texts::RollBackDone())}));
      EXPECT_FALSE(IsShutDown(install.database));
      EXPECT_EQ(Dump(install.database), before);
      EXPECT_EQ(Contents(install.program), OldClientFiles());
      EXPECT_TRUE(fs::exists(paths.work));
      break;
    case Outcome::rollBackFailed: {
      EXPECT_EQ(message, expected);
      ASSERT_GE(dialogs.size(), 2u);
      EXPECT_EQ(dialogs[1], Error(texts::RollBackStarts(helpFileFailure)));
      // The backups stay whole for a restore by hand.
      EXPECT_EQ(Contents(paths.old / "Program"), OldClientFiles());
      EXPECT_TRUE(fs::is_regular_file(paths.old / "DB_Data/Quendal.fdb"));
      if (fs::exists(install.database)) {
        EXPECT_EQ(dialogs.size(), 2u);
        EXPECT_FALSE(IsShutDown(install.database));
      } else {
        // No database to bring online: the closing switch's failure is shown.
        ASSERT_EQ(dialogs.size(), 3u);
        EXPECT_TRUE(StartsWith(dialogs[2].text, texts::MultiUserFailed(""))) << dialogs[2];
      }
      break;
    }
    case Outcome::renameBackFailed: {
      EXPECT_EQ(message, expected);
      const fs::path trial = install.root.string() + "_";
      EXPECT_FALSE(fs::exists(install.root));
      EXPECT_EQ(Contents(trial / "Program"), OldClientFiles());
      // The closing switch went to the database where it no longer is.
      ASSERT_EQ(dialogs.size(), 2u);
      EXPECT_EQ(dialogs[1].kind, test::DialogKind::error);
      EXPECT_TRUE(StartsWith(dialogs[1].text, texts::MultiUserFailed(""))) << dialogs[1];
      EXPECT_TRUE(IsShutDown(trial / "DB_Data/Quendal.fdb"));
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileFaultRun, testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
