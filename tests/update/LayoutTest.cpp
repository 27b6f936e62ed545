#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "tests/support/Environment.h"
#include "tests/support/FixedClock.h"
#include "tests/support/FixedVolumes.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/Messages.h"
#include "tests/support/TempDir.h"
#include "update/uUpdate.h"

using namespace platform::literals;
namespace fs = std::filesystem;

namespace {

const char* const kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\TarventFireXBirdServer";
const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Firebird 2.0 для ПО ГК \"Тарвент\""_cp;
const char* const kDefaultPrefix = "localhost/3051:";

std::string Damaged() { return "Сервис FireBird поврежден. Обновление прервано."_cp; }
std::string NotFound(const std::string& path) {
  return "Путь к обновляемой программе \""_cp + path + "\" не найден!"_cp;
}
std::string NotLocal(const std::string& path) {
  return "Путь к обновляемой программе \""_cp + path + "\" не является локальным!"_cp;
}

std::string HiveText(const std::string& key, const std::string& values) {
  return "[HKEY_LOCAL_MACHINE\\" + key + "]\r\n" + values;
}

// A string value in the hive's syntax.
std::string StringValue(const std::string& name, const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "\"" + name + "\"=\"" + escaped + "\"\r\n";
}

// An installation below a fresh folder, a Firebird folder "fb/" beside it,
// the hive file named by UPDATER_REGISTRY (none until written), a fixed
// volume and clock, and settings of the test's own.
class Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp_ / "inst");
    fs::create_directories(temp_ / "fb/bin");
    uUpdate::UseSettings(&settings_);
  }
  void TearDown() override { uUpdate::UseSettings(nullptr); }

  std::string Inst() const { return (temp_ / "inst").string(); }
  std::string Fb() const { return (temp_ / "fb/").string(); }

  void WriteHive(const std::string& body) { test::WriteFile(hive_, "REGEDIT4\r\n\r\n" + body); }
  void ServiceHive(const std::string& imagePath) {
    WriteHive(HiveText(kServiceKey, StringValue("ImagePath", imagePath)));
  }
  void UninstallHive(const std::string& uninstall) {
    WriteHive(HiveText(kUninstallKey, StringValue("UninstallString", uninstall)));
  }
  void Prepare(const std::string& location) { uUpdate::PreparePaths(location); }
  std::string Failure(const std::string& location) {
    return test::MessageOf([&] { uUpdate::PreparePaths(location); });
  }

  test::TempDir temp_;
  fs::path hive_ = temp_ / "HKLM.reg";
  test::ScopedEnvironment hiveInForce_{"UPDATER_REGISTRY", hive_.string()};
  test::FixedVolumes volumes_;
  platform::ScopedOverride<platform::IVolumes> useVolumes_{volumes_};
  test::FixedClock clock_{2009, 12, 9, 8, 5, 3};
  platform::ScopedOverride<platform::IClock> useClock_{clock_};
  uUpdate::TUpdaterSettings settings_ = uUpdate::TUpdaterSettings::Defaults();
};

}  // namespace

TEST_F(Layout, EveryGlobalFollowsTheLocation) {
  ServiceHive(Fb() + "bin/fbserver -s -p 3052");
  const std::string inst = Inst();
  struct Case {
    std::string location;
    std::string programPath;
  };
  const Case cases[] = {
      {inst, inst},
      {inst + "/", inst + "/"},  // kept, and no doubled separator below
      {inst + "/../inst/./", inst + "/"},
  };
  for (const auto& c : cases) {
    Prepare(c.location);
    const std::string base = inst + "/";
    EXPECT_EQ(uUpdate::ProgramPath, c.programPath);
    EXPECT_EQ(uUpdate::ProgramFolder, base + "Program");
    EXPECT_EQ(uUpdate::DataFolder, base + "DB_Data");
    EXPECT_EQ(uUpdate::TempFolder, base + "Tmp$091209080503");
    EXPECT_EQ(uUpdate::NewFolder, base + "Tmp$091209080503/New");
    EXPECT_EQ(uUpdate::OldFolder, base + "Tmp$091209080503/Old");
    EXPECT_EQ(uUpdate::OldProgramFolder, base + "Tmp$091209080503/Old/Program");
    EXPECT_EQ(uUpdate::OldDataFolder, base + "Tmp$091209080503/Old/DB_Data");
    EXPECT_EQ(uUpdate::FirebirdFolder, Fb());
    EXPECT_EQ(uUpdate::DatabaseName, "localhost/3052:" + base + "DB_Data/Quendal.fdb");
  }
  // Relative to the current folder.
  const auto previous = fs::current_path();
  fs::current_path(temp_.Path());
  Prepare("inst");
  fs::current_path(previous);
  EXPECT_EQ(uUpdate::ProgramPath, inst);
  // The root: one separator.
  Prepare("/");
  EXPECT_EQ(uUpdate::ProgramFolder, "/Program");
  EXPECT_EQ(uUpdate::DataFolder, "/DB_Data");
  EXPECT_EQ(uUpdate::TempFolder, "/Tmp$091209080503");
  // Naming the working folder creates nothing.
  EXPECT_TRUE(fs::is_empty(temp_ / "inst"));
}

TEST_F(Layout, TimeStampIsTwelveDigitsOfTheLocalTime) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  struct Case {
    int year, month, day, hour, minute, second;
    const char* stamp;
  };
  const Case cases[] = {
      {2009, 12, 9, 8, 5, 3, "091209080503"},
      {2000, 1, 2, 3, 4, 5, "020100030405"},
      {2031, 10, 31, 23, 59, 58, "311031235958"},
  };
  for (const auto& c : cases) {
    clock_.Set(c.year, c.month, c.day, c.hour, c.minute, c.second);
    Prepare(Inst());
    EXPECT_EQ(uUpdate::TempFolder, Inst() + "/Tmp$" + c.stamp);
  }
  clock_.Advance(2);  // into the next month
  Prepare(Inst());
  EXPECT_EQ(uUpdate::TempFolder, Inst() + "/Tmp$011131000000");
}

// An earlier run's working folder holds its backups: the new one takes the
// next free second instead of the same name.
TEST_F(Layout, WorkingFolderNameMovesOnPastNamesInUse) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  clock_.Set(2009, 12, 31, 23, 59, 58);
  fs::create_directories(temp_ / "inst/Tmp$311209235958/Old");
  test::WriteFile(temp_ / "inst/Tmp$311209235959", "a file counts too");
  Prepare(Inst());
  EXPECT_EQ(uUpdate::TempFolder, Inst() + "/Tmp$010110000000");
  EXPECT_EQ(uUpdate::OldFolder, Inst() + "/Tmp$010110000000/Old");
  EXPECT_FALSE(fs::exists(temp_ / "inst/Tmp$010110000000"));
}

TEST_F(Layout, LocationMustBeAnExistingFolder) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  test::WriteFile(temp_ / "file", "x");
  const std::string t = temp_.Text();
  struct Case {
    std::string location;
    std::string message;
  };
  const Case cases[] = {
      {"", NotFound("")},
      {t + "/file", NotFound(t + "/file")},
      {t + "/missing/", NotFound(t + "/missing/")},
      {t + "/inst/../missing", NotFound(t + "/missing")},  // shown expanded
  };
  for (const auto& c : cases) EXPECT_EQ(Failure(c.location), c.message) << c.location;
}

TEST_F(Layout, OnlyRemovableAndFixedVolumesAreLocal) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  struct Case {
    int type;
    bool local;
  };
  const Case cases[] = {
      {platform::drive::kUnknown, false},  {platform::drive::kNoRootDir, false},
      {platform::drive::kRemovable, true}, {platform::drive::kFixed, true},
      {platform::drive::kRemote, false},   {platform::drive::kCdRom, false},
      {platform::drive::kRamDisk, false},
  };
  for (const auto& c : cases) {
    test::FixedVolumes volumes;
    volumes.Add(temp_.Text(), c.type);
    platform::ScopedOverride<platform::IVolumes> use(volumes);
    const std::string location = Inst() + "/";
    EXPECT_EQ(Failure(location), c.local ? test::kNoException : NotLocal(location)) << c.type;
    EXPECT_EQ(volumes.Asked(), std::vector<std::string>{temp_.Text() + "/"});
  }
}

TEST_F(Layout, ServiceRoadTakesFolderAndPort) {
  struct Case {
    std::string options;
    std::string prefix;
  };
  const Case cases[] = {
      {" -s -p 3052", "localhost/3052:"},
      {" -p 3053 -x", "localhost/3053:"},
      {" -p     3054", "localhost/3054:"},      // leading blanks dropped
      {" -p 3055 -p 3056", "localhost/3055:"},  // the first one
      {" -p gds_db", "localhost/gds_db:"},      // a service name, as Firebird takes it
      {" -s", kDefaultPrefix},                  // no port: the prefix in force stays
      {" -p ", kDefaultPrefix},
      {" -p\t3057", kDefaultPrefix},
      {" -P 3058", kDefaultPrefix},  // case matters
  };
  for (const auto& c : cases) {
    settings_.ServerPrefix = kDefaultPrefix;
    ServiceHive(Fb() + "bin/fbserver" + c.options);
    Prepare(Inst());
    EXPECT_EQ(uUpdate::FirebirdFolder, Fb()) << c.options;
    EXPECT_EQ(settings_.ServerPrefix, c.prefix) << c.options;
    EXPECT_EQ(uUpdate::DatabaseName, c.prefix + Inst() + "/DB_Data/Quendal.fdb") << c.options;
  }
}

TEST_F(Layout, ImagePathIsReadAsStoredAndMustBeText) {
  // An expandable string (UTF-16LE bytes) is taken as text, unexpanded.
  std::string hex;
  for (char c : Fb() + "bin/fbserver -p 3059") {
    char pair[8];
    std::snprintf(pair, sizeof pair, "%02x,00,", static_cast<unsigned char>(c));
    hex += pair;
  }
  WriteHive(HiveText(kServiceKey, "\"ImagePath\"=hex(2):" + hex + "00,00\r\n"));
  Prepare(Inst());
  EXPECT_EQ(settings_.ServerPrefix, "localhost/3059:");

  WriteHive(HiveText(kServiceKey, "\"ImagePath\"=dword:00000001\r\n"));
  EXPECT_EQ(Failure(Inst()), "Invalid data type for 'ImagePath'");
  WriteHive(HiveText(kUninstallKey, "\"UninstallString\"=hex:01\r\n"));
  EXPECT_EQ(Failure(Inst()), "Invalid data type for 'UninstallString'");
}

TEST_F(Layout, DamagedServiceKeepsThePrefix) {
  settings_.ServerPrefix = "localhost/4000:";
  const std::string fb = Fb();
  const std::string cases[] = {
      temp_.Text() + "/nofb/bin/fbserver -p 3052",  // no such folder
      "\"" + fb + "bin/fbserver\" -p 3052",         // quoted
      fb + "BIN/fbserver -p 3052",                  // bin in capitals
      fb + "fbserver -p 3052",                      // no bin folder at all
      "",
  };
  for (const auto& imagePath : cases) {
    ServiceHive(imagePath);
    EXPECT_EQ(Failure(Inst()), Damaged()) << imagePath;
    EXPECT_EQ(settings_.ServerPrefix, "localhost/4000:");
  }
  WriteHive(HiveText(kServiceKey, ""));  // no ImagePath value
  EXPECT_EQ(Failure(Inst()), Damaged());
}

TEST_F(Layout, UninstallRoadTakesTheFolderBeforeUnwise) {
  settings_.ServerPrefix = "localhost/4001:";
  UninstallHive(Fb() + "UNWISE.EXE " + Fb() + "INSTALL.LOG");
  Prepare(Inst());
  EXPECT_EQ(uUpdate::FirebirdFolder, Fb());
  EXPECT_EQ(settings_.ServerPrefix, "localhost/4001:");
  EXPECT_EQ(uUpdate::DatabaseName, "localhost/4001:" + Inst() + "/DB_Data/Quendal.fdb");

  const std::string cases[] = {
      Fb() + "unwise.exe",
      Fb() + "uninstall.exe",
      temp_.Text() + "/nofb/UNWISE.EXE",
      "UNWISE.EXE",
      "",
  };
  for (const auto& uninstall : cases) {
    UninstallHive(uninstall);
    EXPECT_EQ(Failure(Inst()), Damaged()) << uninstall;
  }
}

TEST_F(Layout, WithoutEitherKeyEveryCallFails) {
  fs::create_directories(temp_ / "inst/Program");
  test::WriteFile(temp_ / "inst/Program/Quendal.exe", "client only");
  EXPECT_EQ(Failure(Inst()), Damaged());  // no hive file at all
  WriteHive(HiveText("SOFTWARE\\Other", StringValue("ImagePath", Fb() + "bin/x -p 1")));
  EXPECT_EQ(Failure(Inst()), Damaged());
}

// Keys that exist but cannot be opened, which only the double can show.
TEST_F(Layout, KeysThatCannotBeOpened) {
  struct Case {
    bool serviceDenied;
    bool uninstallPresent;
    bool uninstallDenied;
    std::string message;
  };
  const Case cases[] = {
      {true, true, false, test::kNoException},  // the uninstall road instead
      {true, true, true, Damaged()},
      {false, true, true, Damaged()},
      {true, false, false, Damaged()},
  };
  for (const auto& c : cases) {
    test::MemoryRegistry registry;
    if (c.serviceDenied) registry.Deny(kServiceKey);
    if (c.uninstallPresent)
      registry.SetString(kUninstallKey, "UninstallString", Fb() + "UNWISE.EXE");
    if (c.uninstallDenied) registry.Deny(kUninstallKey);
    platform::ScopedOverride<platform::IRegistry> use(registry);
    settings_.ServerPrefix = "localhost/4002:";
    EXPECT_EQ(Failure(Inst()), c.message);
    EXPECT_EQ(settings_.ServerPrefix, "localhost/4002:");
    EXPECT_EQ(registry.OpenKeys(), 0);
  }
}

TEST_F(Layout, PartsAreFilesDetectedOnTheirOwn) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  settings_.ClientExeName = "Client.bin";
  settings_.DatabaseFileName = "Data.fdb";
  struct Case {
    const char* client;  // "file", "folder" or nothing
    const char* server;
    bool clientFound;
    bool serverFound;
  };
  const Case cases[] = {
      {"file", "file", true, true},    {"file", "", true, false},
      {"", "file", false, true},       {"", "", false, false},
      {"folder", "file", false, true}, {"file", "folder", true, false},
  };
  for (const auto& c : cases) {
    test::TempDir inst;
    const auto place = [&](const char* kind, const fs::path& path) {
      if (std::string(kind) == "file") test::WriteFile(path, "x");
      if (std::string(kind) == "folder") fs::create_directories(path);
    };
    place(c.client, inst / "Program/Client.bin");
    place(c.server, inst / "DB_Data/Data.fdb");
    place("file", inst / "Program/Quendal.exe");  // the default name does not count
    Prepare(inst.Text());
    EXPECT_EQ(uUpdate::ClientPartFound, c.clientFound) << c.client << "/" << c.server;
    EXPECT_EQ(uUpdate::ServerPartFound, c.serverFound) << c.client << "/" << c.server;
    EXPECT_EQ(uUpdate::DatabaseName, "localhost/3052:" + inst.Text() + "/DB_Data/Data.fdb");
  }
}

// A call that fails leaves the globals after the failing step as the last
// call left them.
TEST_F(Layout, FailedCallKeepsTheLaterGlobals) {
  ServiceHive(Fb() + "bin/fbserver -p 3052");
  test::WriteFile(temp_ / "inst/DB_Data/Quendal.fdb", "db");
  Prepare(Inst());
  const std::string database = uUpdate::DatabaseName;
  fs::remove(hive_);
  clock_.Advance(60);
  EXPECT_EQ(Failure(Inst()), Damaged());
  EXPECT_EQ(uUpdate::TempFolder, Inst() + "/Tmp$091209080603");
  EXPECT_EQ(uUpdate::FirebirdFolder, Fb());
  EXPECT_EQ(uUpdate::DatabaseName, database);
  EXPECT_TRUE(uUpdate::ServerPartFound);
}
