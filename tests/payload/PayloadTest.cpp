// The payload loaders of the engine: their texts and their messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "platform/Exception.h"
#include "platform/ResourceFormat.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"
#include "update/uUpdate.h"

using namespace platform::literals;

namespace {

enum class FailAt { nothing, find, load, lock };
using Contents = std::map<std::string, std::string>;

// Resources held in memory, failing at the step the test asks for, and
// counting what is still loaded or locked.
class FakeResources final : public platform::IResources {
 public:
  explicit FakeResources(Contents byName, FailAt failAt = FailAt::nothing)
      : byName_(std::move(byName)), failAt_(failAt) {}

  std::optional<platform::ResourceInfo> Find(std::string_view name, std::string_view) override {
    if (failAt_ == FailAt::find) return std::nullopt;
    for (const auto& [stored, bytes] : byName_)
      if (platform::SameTextIgnoringCase(stored, name))
        return platform::ResourceInfo{stored, "T", 1049, 0, bytes.size()};
    return std::nullopt;
  }

  std::unique_ptr<platform::ILoadedResource> Load(const platform::ResourceInfo& info) override {
    if (failAt_ == FailAt::load) return nullptr;
    return std::make_unique<Loaded>(*this, byName_.at(info.name));
  }

  std::vector<platform::ResourceInfo> List() override { return {}; }

  int loaded = 0;
  int locked = 0;

 private:
  class Loaded final : public platform::ILoadedResource {
   public:
    Loaded(FakeResources& owner, std::string bytes) : owner_(owner), bytes_(std::move(bytes)) {
      ++owner_.loaded;
    }
    ~Loaded() override { --owner_.loaded; }
    const char* Lock() override {
      if (owner_.failAt_ == FailAt::lock) return nullptr;
      ++owner_.locked;
      return bytes_.data();
    }
    void Unlock() override { --owner_.locked; }

   private:
    FakeResources& owner_;
    std::string bytes_;
  };

  Contents byName_;
  FailAt failAt_;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Exception& error) {
    return error.Message();
  }
  return "(no exception)";
}

// Changes the current folder for a scope.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

const std::string kPayload = std::string(
                                 "\x7F"
                                 "ELF\0stub",
                                 9) +
                             std::string(70000, '\xE9');

}  // namespace

TEST(LoadResourceText, EachFailingStepHasItsMessageAndReleasesWhatItTook) {
  struct Case {
    FailAt failAt;
    std::string message;
  };
  const Case cases[] = {
      {FailAt::find, "Не найден ресурс \"ScRiPt\"!"_cp},
      {FailAt::load, "Невозможно загрузить ресурс \"ScRiPt\"!"_cp},
      {FailAt::lock, "Невозможно заблокировать ресурс \"ScRiPt\"!"_cp},
  };
  for (const auto& c : cases) {
    FakeResources resources(Contents{{"SCRIPT", "text"}}, c.failAt);
    const platform::ScopedOverride<platform::IResources> use(resources);
    EXPECT_EQ(MessageOf([] { uUpdate::LoadResourceText("ScRiPt", "TEXT"); }), c.message);
    EXPECT_EQ(resources.loaded, 0);
    EXPECT_EQ(resources.locked, 0);
  }
}

TEST(LoadResourceText, NameNotInTheDirectoryIsNamedAsTheCallerSpelledIt) {
  FakeResources resources(Contents{{"SCRIPT", "text"}});
  const platform::ScopedOverride<platform::IResources> use(resources);
  EXPECT_EQ(MessageOf([] { uUpdate::LoadResourceText("Скрипт_6"_cp, "TEXT"); }),
            "Не найден ресурс \"Скрипт_6\"!"_cp);
}

TEST(LoadResourceText, TextIsTheBytesUpToTheFirstNul) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"select 1;\r\ncommit;\r\n", "select 1;\r\ncommit;\r\n"},
      {std::string("ab\0cd", 5), "ab"},
      {std::string("\0tail", 5), ""},
      {"", ""},
      {"\xC0\xFF\x98\r", "\xC0\xFF\x98\r"},  // nothing converted
  };
  for (const auto& c : cases) {
    FakeResources resources(Contents{{"SCRIPT", c.bytes}});
    const platform::ScopedOverride<platform::IResources> use(resources);
    EXPECT_EQ(uUpdate::LoadResourceText("script", "TEXT"), c.text);
    EXPECT_EQ(resources.loaded, 0);
    EXPECT_EQ(resources.locked, 0);
  }
}

TEST(LoadResourceText, ReadsAProgramFileThroughTheFileFacility) {
  const test::TempDir dir;
  const std::string image = "image";
  const std::string script = std::string("SET NAMES WIN1251;\r\n\0junk", 25);
  test::WriteFile(dir / "program", image + platform::resource_format::EncodeResources(
                                               image.size(), {{"SCRIPT", "TEXT", 1049, script}}));
  platform::FileResources resources(dir.Text() + "/program");
  const platform::ScopedOverride<platform::IResources> use(resources);
  EXPECT_EQ(uUpdate::LoadResourceText("script", "text"), "SET NAMES WIN1251;\r\n");
}

TEST(ExtractPayload, WritesTheWholeResourceOverAnExistingFileAsAProgram) {
  const test::TempDir dir;
  test::WriteFile(dir / "New" / "files.exe", std::string(200000, 'x'));
  FakeResources resources(Contents{{"FILES", kPayload}});
  const platform::ScopedOverride<platform::IResources> use(resources);

  uUpdate::ExtractPayload(dir.Text() + "/New/files.exe");
  EXPECT_EQ(test::ReadFile(dir / "New" / "files.exe"), kPayload);
  EXPECT_EQ(access((dir / "New" / "files.exe").c_str(), X_OK), 0);
  EXPECT_EQ(resources.loaded, 0);

  const InFolder here(dir / "New");
  uUpdate::ExtractPayload("../relative.exe");
  EXPECT_EQ(test::ReadFile(dir / "relative.exe"), kPayload);
}

TEST(ExtractPayload, FailuresCarryTheStreamMessageBehindItsOwn) {
  const test::TempDir dir;
  const std::string prefix = "Ошибка работы с ресурсом \"files\"!\r"_cp;
  struct Case {
    FailAt failAt;
    std::string target;
    std::string message;
  };
  const Case cases[] = {
      {FailAt::find, "files.exe", prefix + "Resource files not found"},
      {FailAt::load, "files.exe", prefix + "Resource files not found"},
      {FailAt::lock, "files.exe", prefix + "Resource files not found"},
      {FailAt::nothing, dir.Text() + "/missing/files.exe",
       prefix + "Cannot create file " + dir.Text() + "/missing/files.exe"},
      {FailAt::nothing, "missing/../missing/files.exe",
       prefix + "Cannot create file " + dir.Text() + "/missing/files.exe"},
      {FailAt::nothing, "/dev/full", prefix + "Stream write error"},
  };
  const InFolder here(dir.Path());
  for (const auto& c : cases) {
    FakeResources resources(Contents{{"FILES", kPayload}}, c.failAt);
    const platform::ScopedOverride<platform::IResources> use(resources);
    EXPECT_EQ(MessageOf([&] { uUpdate::ExtractPayload(c.target); }), c.message) << c.target;
    EXPECT_EQ(resources.loaded, 0);
    EXPECT_EQ(resources.locked, 0);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "files.exe")) << "created only when found";
}
