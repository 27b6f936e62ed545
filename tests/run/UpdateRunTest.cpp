// The update run on real installations against the test server: each way
// out, with what it leaves in the database, the installation, the working
// folder, the window and for the caller.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "Checks.h"
#include "Server.h"
#include "database/uDBConnection.h"
#include "tests/support/Firebird.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Messages.h"
#include "update/uUpdate.h"

namespace {

namespace fs = std::filesystem;
using namespace test::run;
namespace texts = test::texts;
using test::Dialog;
using test::kNoException;
using namespace platform::literals;

TEST(UpdateRun, ClientPartAloneMakesNoDatabaseCallAndLeavesTheLogAlone) {
  Installation install(Parts::client);
  // Any database call would have to load this library.
  install.settings.ClientLibrary = "libfbclient-not-installed.so";
  install.window.log = {"a line of an earlier run"};
  RecordingLibraries libraries;
  platform::ScopedOverride<platform::ILibraries> librariesInForce(libraries);

  EXPECT_EQ(install.RunUpdate(), kNoException);

  EXPECT_EQ(install.window.dialogs, (std::vector<Dialog>{Confirmation(texts::ClientPart()),
                                                         Information(texts::Success(false))}));
  EXPECT_TRUE(libraries.asked.empty()) << libraries.asked.front();
  EXPECT_EQ(install.window.log, std::vector<std::string>{"a line of an earlier run"});
  EXPECT_EQ(install.window.clears, 0);
  EXPECT_EQ(Contents(install.program), NewClientFiles());
  EXPECT_FALSE(fs::exists(install.data));
  const auto working = install.WorkingFolders();
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(Contents(working[0] / "Old"), Below("Program", OldClientFiles()));
  for (const auto& [name, bytes] : NewClientFiles())
    EXPECT_EQ(test::ReadFile(working[0] / "New" / name), bytes) << name;
}

// Also two runs in one second: the second must not clear the first one's
// backups, so it takes the next second's name.
TEST(UpdateRun, EverySuccessfulRunLeavesAWorkingFolderOfItsOwn) {
  for (const long secondsBetween : {1, 0}) {
    SCOPED_TRACE(secondsBetween);
    Installation install(Parts::client);
    test::FixedClock clock(2009, 12, 9, 8, 5, 3);
    platform::ScopedOverride<platform::IClock> clockInForce(clock);

    ASSERT_EQ(install.RunUpdate(), kNoException);
    clock.Advance(secondsBetween);
    ASSERT_EQ(install.RunUpdate(), kNoException);

    const auto working = install.WorkingFolders();
    ASSERT_EQ(working.size(), 2u);
    EXPECT_EQ(working[0].filename(), "Tmp$091209080503");
    EXPECT_EQ(working[1].filename(), "Tmp$091209080504");
    EXPECT_EQ(Contents(working[0] / "Old"), Below("Program", OldClientFiles()));
    EXPECT_EQ(Contents(working[1] / "Old"), Below("Program", NewClientFiles()));
  }
}

TEST(UpdateRun, LocationWithATrailingSeparatorPassesTheAccessTest) {
  Installation install(Parts::client);

  EXPECT_EQ(test::MessageOf([&] {
              uUpdate::RunUpdate(install.Location() + "/", "kelmorinta", &install.window);
            }),
            kNoException);

  EXPECT_EQ(Contents(install.program), NewClientFiles());
  EXPECT_FALSE(fs::exists(install.root.string() + "_"));
}

TEST(UpdateRun, ServerPartAloneRunsTheScriptAndAsksForARestart) {
  Installation install(Parts::server);

  EXPECT_EQ(install.RunUpdate(), kNoException);

  EXPECT_EQ(install.window.dialogs, (std::vector<Dialog>{Confirmation(texts::ServerPart()),
                                                         Information(texts::Success(true))}));
  EXPECT_EQ(Version(install.database), 6);
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_FALSE(fs::exists(install.program));
  EXPECT_EQ(install.window.clears, 1);
  EXPECT_FALSE(install.window.log.empty());
  const auto working = install.WorkingFolders();
  ASSERT_EQ(working.size(), 1u);
  EXPECT_TRUE(fs::is_regular_file(working[0] / "Old/DB_Data/Quendal.fdb"));
  EXPECT_FALSE(fs::exists(working[0] / "Old/Program"));
}

TEST(UpdateRun, BothPartsAreUpdatedAndTheDatabaseGoesOnlineAfterTheSuccessMessage) {
  Installation install(Parts::both);
  bool shutDownAtSuccess = false;
  install.window.whileOpen = [&](const Dialog& dialog) {
    if (dialog.kind == test::DialogKind::information)
      shutDownAtSuccess = IsShutDown(install.database);
  };

  EXPECT_EQ(install.RunUpdate(), kNoException);

  EXPECT_EQ(install.window.dialogs, (std::vector<Dialog>{Confirmation(texts::BothParts()),
                                                         Information(texts::Success(true))}));
  EXPECT_TRUE(shutDownAtSuccess);
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Version(install.database), 6);
  EXPECT_EQ(Contents(install.program), NewClientFiles());
  const auto working = install.WorkingFolders();
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(Contents(working[0] / "Old/Program"), OldClientFiles());
  EXPECT_TRUE(fs::is_regular_file(working[0] / "Old/DB_Data/Quendal.fdb"));
}

TEST(UpdateRun, DeclinedChangesNothing) {
  Installation install(Parts::both);
  install.window.answerYes = false;
  const std::string before = Dump(install.database);

  EXPECT_EQ(install.RunUpdate(), kNoException);

  EXPECT_EQ(install.window.dialogs, std::vector<Dialog>{Confirmation(texts::BothParts())});
  EXPECT_TRUE(install.WorkingFolders().empty());
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Dump(install.database), before);
  EXPECT_EQ(Contents(install.program), OldClientFiles());
}

// ---- Refusals before the guarded section: nothing is changed ----

struct Refusal {
  const char* name;
  Parts parts;
  std::string password;
  // Makes the case; what it returns lives until the run has ended.
  std::function<std::shared_ptr<void>(Installation&)> arrange;
  // The message that must reach the caller.
  std::function<void(const std::string& message)> check;
  bool shutDownBefore;
};

// Attachments of other clients for the length of a run.
struct Attached {
  std::vector<std::unique_ptr<ScopedUser>> users;
  std::vector<std::unique_ptr<uDBConnection::TDBConnection>> connections;

  void Add(const Installation& install, const std::string& user, const std::string& password) {
    connections.push_back(std::make_unique<uDBConnection::TDBConnection>(
        test::firebird::ConnectionString(install.database), user, password, ""));
    connections.back()->Connect();
  }
};

std::shared_ptr<void> Nothing(Installation&) { return nullptr; }

const Refusal kRefusals[] = {
    {"NoPartFound", Parts::none, "kelmorinta", Nothing,
     [](const std::string& message) { EXPECT_EQ(message, texts::NoPartFound()); }, false},
    {"WrongPassword", Parts::both, "not-the-password", Nothing,
     [](const std::string& message) {
       EXPECT_NE(message.find("user name and password are not defined"), std::string::npos)
           << message;
     },
     false},
    {"TwoOtherUsersAttached", Parts::both, "kelmorinta",
     [](Installation& install) -> std::shared_ptr<void> {
       auto attached = std::make_shared<Attached>();
       for (const char* tag : {"A", "B"}) {
         attached->users.push_back(std::make_unique<ScopedUser>(install.database, tag));
         attached->Add(install, attached->users.back()->Name(), attached->users.back()->Password());
       }
       return attached;
     },
     [](const std::string& message) {
       const std::string a = "UPDTEST_A_" + std::to_string(getpid());
       const std::string b = "UPDTEST_B_" + std::to_string(getpid());
       // The server reports attachments in an order of its own.
       EXPECT_TRUE(message == texts::UsersAttached(a + "; " + b) ||
                   message == texts::UsersAttached(b + "; " + a))
           << platform::ToUtf8(message);
     },
     false},
    {"AnotherSysdbaAttachment", Parts::both, "kelmorinta",
     [](Installation& install) -> std::shared_ptr<void> {
       auto attached = std::make_shared<Attached>();
       attached->Add(install, "SYSDBA", "kelmorinta");
       return attached;
     },
     [](const std::string& message) { EXPECT_EQ(message, texts::UsersAttached("SYSDBA")); }, false},
    {"AlreadyShutDown", Parts::both, "kelmorinta",
     [](Installation& install) -> std::shared_ptr<void> {
       ShutDown(install.database);
       return nullptr;
     },
     [](const std::string& message) {
       EXPECT_TRUE(StartsWith(message, texts::SingleUserFailed("")) &&
                   message.size() > texts::SingleUserFailed("").size())
           << platform::ToUtf8(message);
     },
     true},
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class RefusedRun : public testing::TestWithParam<Refusal> {};

TEST_P(RefusedRun, ReachesTheCallerAndChangesNothing) {
  const Refusal& refusal = GetParam();
  Installation install(refusal.parts);
  const auto held = refusal.arrange(install);

  const std::string message = install.RunUpdate(refusal.password);

  refusal.check(message);
  const std::vector<Dialog> confirmed{Confirmation(texts::BothParts())};
  EXPECT_EQ(install.window.dialogs,
            refusal.parts == Parts::none ? std::vector<Dialog>{} : confirmed);
  EXPECT_TRUE(install.WorkingFolders().empty());
  if (refusal.parts == Parts::both) {
    EXPECT_EQ(IsShutDown(install.database), refusal.shutDownBefore);
    EXPECT_EQ(Version(install.database), 5);
    EXPECT_EQ(Contents(install.program), OldClientFiles());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedRun, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The guarded section ----

TEST(UpdateRun, FolderNamedLikeTheLocationPlusUnderscoreFailsTheAccessTest) {
  Installation install(Parts::both);
  const fs::path trial = install.root.string() + "_";
  test::WriteFile(trial / "somebody's.txt", "kept");

  EXPECT_EQ(install.RunUpdate(), texts::NoFullAccess(install.Location()));

  EXPECT_EQ(install.window.dialogs, std::vector<Dialog>{Confirmation(texts::BothParts())});
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_TRUE(install.WorkingFolders().empty());
  EXPECT_EQ(Contents(trial), (Tree{{"somebody's.txt", "kept"}}));
  EXPECT_EQ(Contents(install.program), OldClientFiles());
}

TEST(UpdateRun, StagingFailureRemovesTheWorkingFolder) {
  // A program that carries no release: writing out the archive program fails
  // once the working folder is there.
  Installation install(Parts::both, BuiltFile("updater-pack"));

  EXPECT_EQ(install.RunUpdate(),
            "Ошибка работы с ресурсом \"files\"!\rResource files not found"_cp);

  EXPECT_EQ(install.window.dialogs, std::vector<Dialog>{Confirmation(texts::BothParts())});
  EXPECT_TRUE(install.WorkingFolders().empty());
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Version(install.database), 5);
  EXPECT_EQ(Contents(install.program), OldClientFiles());
}

// A failed apply phase leaves the installation as it was before the run,
// served again by the server.
// The restored database is the one the server serves, and it takes writes.
void ExpectRolledBackDatabase(const Installation& install, const std::string& dumpBefore) {
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Dump(install.database), dumpBefore);
  // Not the file that the roll-back removed.
  EXPECT_FALSE(RemovedFileHeldOpenBelow(install.root));
  Write(install.database,
        "INSERT INTO VERSIO (VERSIO_NO, NOTE) VALUES (99, 'after the roll-back');");
  EXPECT_EQ(Version(install.database), 99);
  EXPECT_FALSE(RemovedFileHeldOpenBelow(install.root));
}

void ExpectRolledBack(const Installation& install, const std::string& dumpBefore) {
  EXPECT_EQ(Contents(install.program), OldClientFiles());
  const auto working = install.WorkingFolders();
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(Contents(working[0] / "Old/Program"), OldClientFiles());
  EXPECT_TRUE(fs::is_regular_file(working[0] / "Old/DB_Data/Quendal.fdb"));
  ExpectRolledBackDatabase(install, dumpBefore);
}

TEST(UpdateRun, FailingStatementRollsBothPartsBackAndReturnsNormally) {
  test::TempDir release;
  const std::string bad = "ALTER TABLE NO_SUCH_TABLE ADD X INTEGER;";
  Installation install(
      Parts::both,
      MakeRelease(release.Path(), SampleScriptWith(bad, "CREATE INDEX IDX_ORDERS_DATE"),
                  NewClientFiles()));
  const std::string before = Dump(install.database);

  EXPECT_EQ(install.RunUpdate(), kNoException);

  const auto& dialogs = install.window.dialogs;
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0], Confirmation(texts::BothParts()));
  EXPECT_EQ(dialogs[1].kind, test::DialogKind::error);
  EXPECT_TRUE(StartsWith(dialogs[1].text, texts::RollBackStarts(texts::ScriptFailed() +
                                                                "------- STATEMENT --------\r")))
      << dialogs[1];
  EXPECT_NE(dialogs[1].text.find("NO_SUCH_TABLE"), std::string::npos) << dialogs[1];
  EXPECT_NE(dialogs[1].text.find("\r-------   ERROR   --------\r"), std::string::npos);
  EXPECT_EQ(dialogs[2], Information(texts::RollBackDone()));
  EXPECT_NE(
      std::find(install.window.log.begin(), install.window.log.end(), "------- STATEMENT --------"),
      install.window.log.end());
  ExpectRolledBack(install, before);
}

// The owner and the permission bits of a file or folder.
struct Ownership {
  uid_t owner;
  gid_t group;
  mode_t mode;
  bool operator==(const Ownership&) const = default;
};

Ownership OwnershipOf(const fs::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return {info.st_uid, info.st_gid, info.st_mode & 07777};
}

std::ostream& operator<<(std::ostream& out, const Ownership& ownership) {
  return out << ownership.owner << ":" << ownership.group << " " << std::oct << ownership.mode
             << std::dec;
}

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(umask(mask)) {}
  ~ScopedUmask() { umask(previous_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

TEST(UpdateRun, RolledBackPartsKeepTheOwnersAndModesTheServerNeeds) {
  const passwd* server = getpwnam("firebird");
  ASSERT_NE(server, nullptr);
  test::TempDir release;
  Installation install(
      Parts::both,
      MakeRelease(release.Path(),
                  SampleScriptWith("ALTER TABLE NO_SUCH_TABLE ADD X INTEGER;", "RECONNECT;"),
                  NewClientFiles()));
  // The server's own data folder, closed to everybody else; a program
  // folder of another owner.
  ASSERT_EQ(chown(install.data.c_str(), server->pw_uid, server->pw_gid), 0);
  ASSERT_EQ(chmod(install.data.c_str(), 0770), 0);
  ASSERT_EQ(chown(install.program.c_str(), server->pw_uid, server->pw_gid), 0);
  ASSERT_EQ(chmod(install.program.c_str(), 0750), 0);
  const std::vector<fs::path> restored{install.data, install.database, install.program,
                                       install.program / "Quendal.exe"};
  std::vector<Ownership> before;
  for (const auto& path : restored) before.push_back(OwnershipOf(path));
  const std::string dumpBefore = Dump(install.database);

  {
    // An operator's strict mask: new folders would be closed to the server.
    const ScopedUmask strict(077);
    EXPECT_EQ(install.RunUpdate(), kNoException);
  }

  ASSERT_EQ(install.window.dialogs.size(), 3u) << testing::PrintToString(install.window.dialogs);
  EXPECT_EQ(install.window.dialogs[2], Information(texts::RollBackDone()));
  for (std::size_t i = 0; i < restored.size(); ++i)
    EXPECT_EQ(OwnershipOf(restored[i]), before[i]) << restored[i];
  ExpectRolledBackDatabase(install, dumpBefore);
}

// Databases that the sample update does not fit.
struct OtherVersion {
  const char* name;
  std::function<void(Installation&)> arrange;
};

const OtherVersion kOtherVersions[] = {
    {"AlreadyUpdated",
     [](Installation& install) {
       ASSERT_EQ(install.RunUpdate(), kNoException);
       ASSERT_EQ(Version(install.database), 6);
       install.window.dialogs.clear();
     }},
    {"Older",
     [](Installation& install) { Write(install.database, "UPDATE VERSIO SET VERSIO_NO = 4;"); }},
};

void PrintTo(const OtherVersion& version, std::ostream* out) { *out << version.name; }

class SampleUpdateOfOtherVersion : public testing::TestWithParam<OtherVersion> {};

TEST_P(SampleUpdateOfOtherVersion, FailsItsVersionCheckWithTheHintAndIsRolledBack) {
  Installation install(Parts::both);
  GetParam().arrange(install);
  const std::string before = Dump(install.database);

  EXPECT_EQ(install.RunUpdate(), kNoException);

  const auto& dialogs = install.window.dialogs;
  ASSERT_EQ(dialogs.size(), 3u) << testing::PrintToString(dialogs);
  EXPECT_TRUE(StartsWith(dialogs[1].text,
                         texts::RollBackStarts(texts::ScriptFailed() + texts::VersionHint() +
                                               "------- STATEMENT --------\r")))
      << dialogs[1];
  EXPECT_NE(dialogs[1].text.find("Check_Versio(6)"), std::string::npos) << dialogs[1];
  EXPECT_EQ(dialogs[2], Information(texts::RollBackDone()));
  const auto& log = install.window.log;
  EXPECT_EQ(std::count(log.begin(), log.end(), "------- STATEMENT --------"), 1);
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Dump(install.database), before);
}

INSTANTIATE_TEST_SUITE_P(Databases, SampleUpdateOfOtherVersion, testing::ValuesIn(kOtherVersions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateRun, ReleaseWithoutTheHelpFileRestoresTheWholeProgramFolder) {
  test::TempDir release;
  const std::string newExe = test::ReadFile(SourceFile("resources/release/Quendal.exe"));
  Installation install(
      Parts::both,
      MakeRelease(release.Path(), test::ReadFile(SourceFile("resources/release/update.sql")),
                  {{"Quendal.exe", newExe}}));
  test::WriteFile(install.program / "Quendal.ini", "settings of the operator");
  const Tree programBefore = Contents(install.program);
  const std::string before = Dump(install.database);
  std::string exeAtTheErrorDialog;
  install.window.whileOpen = [&](const Dialog& dialog) {
    if (dialog.kind == test::DialogKind::error)
      exeAtTheErrorDialog = test::ReadFile(install.program / "Quendal.exe");
  };

  EXPECT_EQ(install.RunUpdate(), kNoException);

  const auto working = install.WorkingFolders();
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(install.window.dialogs,
            (std::vector<Dialog>{Confirmation(texts::BothParts()),
                                 Error(texts::RollBackStarts(
                                     texts::CannotCopy((working[0] / "New/Quendal.chm").string()))),
                                 Information(texts::RollBackDone())}));
  EXPECT_EQ(exeAtTheErrorDialog, newExe);
  EXPECT_EQ(Contents(install.program), programBefore);
  EXPECT_FALSE(IsShutDown(install.database));
  EXPECT_EQ(Dump(install.database), before);
}

}  // namespace
