// The resources appended to a program file: lookup, loading, and damaged
// directories, which must read as no resources without reading past the file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/ResourceFormat.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"

using namespace platform;
using namespace platform::literals;
namespace format = platform::resource_format;

namespace {

const std::string kImage =
    "\x7F"
    "ELF and the rest of a program image";

std::string PackedFile() {
  return kImage +
         format::EncodeResources(kImage.size(), {{"SCRIPT", "TEXT", 1049, "select 1;\r\n"},
                                                 {"FILES", "EXEFILE", 1049, "MZ files"},
                                                 {"Скрипт"_cp, "Текст"_cp, 1049, "ру"_cp}});
}

std::optional<std::string> Content(IResources& resources, const std::string& name,
                                   const std::string& type) {
  const auto found = resources.Find(name, type);
  if (!found) return std::nullopt;
  auto loaded = resources.Load(*found);
  if (!loaded) return std::nullopt;
  const ResourceLock lock(*loaded);
  return std::string(lock.Bytes(), found->size);
}

void PutNumber(std::string& bytes, std::size_t at, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(Resources, FindsByNameAndTypeIgnoringLetterCase) {
  const test::TempDir dir;
  test::WriteFile(dir / "program", PackedFile());
  FileResources resources(dir.Text() + "/program");

  struct Case {
    std::string name, type;
    std::optional<std::string> content;
  };
  const Case cases[] = {
      {"script", "text", "select 1;\r\n"}, {"SCRIPT", "TEXT", "select 1;\r\n"},
      {"Files", "ExeFile", "MZ files"},    {"СКРИПТ"_cp, "текст"_cp, "ру"_cp},
      {"SCRIPT", "EXEFILE", std::nullopt}, {"SCRIP", "TEXT", std::nullopt},
      {"SCRIPTS", "TEXT", std::nullopt},   {"", "", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Content(resources, c.name, c.type), c.content) << c.name << "/" << c.type;

  const auto listed = resources.List();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].name, "SCRIPT");
  EXPECT_EQ(listed[1].language, 1049);
}

TEST(Resources, MissingOrPlainFileHasNoResources) {
  const test::TempDir dir;
  test::WriteFile(dir / "plain", kImage);
  test::WriteFile(dir / "empty", "");
  for (const char* name : {"plain", "empty", "missing"}) {
    FileResources resources(dir.Text() + "/" + name);
    EXPECT_TRUE(resources.List().empty()) << name;
    EXPECT_FALSE(resources.Find("SCRIPT", "TEXT")) << name;
  }
  FileResources folder(dir.Text());
  EXPECT_TRUE(folder.List().empty());
}

// Each case damages the packed file in one place; the layout (footer at the
// end, directory before it) is the documented one.
TEST(Resources, DamagedDirectoryHoldsNoResources) {
  const std::string good = PackedFile();
  const std::size_t end = good.size();
  const std::size_t footer = end - format::kFooterSize;
  const auto readNumber = [&good](std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
      value |= std::uint64_t{static_cast<unsigned char>(good[at + i])} << (8 * i);
    return value;
  };
  const std::size_t directory = readNumber(footer + 16);
  const std::size_t firstEntry = directory + 4;
  const std::size_t firstOffset = firstEntry + 2 + 6 + 2 + 4 + 2;  // after name, type, language
  const std::size_t firstSize = firstOffset + 8;

  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  };
  const Case cases[] = {
      {"magic", [&](std::string& b) { b[footer] ^= 1; }},
      {"last byte cut off", [&](std::string& b) { b.pop_back(); }},
      {"byte appended", [&](std::string& b) { b += '\0'; }},
      {"directory size",
       [&](std::string& b) { PutNumber(b, footer + 24, readNumber(footer + 24) + 1, 8); }},
      {"directory offset past the end",
       [&](std::string& b) { PutNumber(b, footer + 16, end + 100, 8); }},
      {"huge directory size", [&](std::string& b) { PutNumber(b, footer + 24, ~0ull, 8); }},
      {"data offset after the directory",
       [&](std::string& b) { PutNumber(b, footer + 8, directory + 1, 8); }},
      {"entry count", [&](std::string& b) { PutNumber(b, directory, 4, 4); }},
      {"huge entry count", [&](std::string& b) { PutNumber(b, directory, 0xFFFFFFFF, 4); }},
      {"name length", [&](std::string& b) { PutNumber(b, firstEntry, 0xFFFF, 2); }},
      {"entry reaching into the directory",
       [&](std::string& b) { PutNumber(b, firstSize, directory, 8); }},
      {"entry offset past the end", [&](std::string& b) { PutNumber(b, firstOffset, end + 1, 8); }},
      {"entry wrapping around",
       [&](std::string& b) {
         PutNumber(b, firstOffset, kImage.size(), 8);
         PutNumber(b, firstSize, ~0ull - 2, 8);
       }},
      {"entry inside the image", [&](std::string& b) { PutNumber(b, firstOffset, 0, 8); }},
      {"only a footer", [&](std::string& b) { b = b.substr(footer); }},
      {"shorter than a footer", [&](std::string& b) { b = b.substr(end - 10); }},
  };
  const test::TempDir dir;
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    // In memory first, where a read past the end is caught by AddressSanitizer.
    const std::string exact = bytes;
    const auto layout = format::ReadLayout(std::string_view(exact));
    EXPECT_NE(layout.state, format::State::valid) << c.what;
    EXPECT_TRUE(layout.entries.empty()) << c.what;

    test::WriteFile(dir / "program", bytes);
    FileResources resources(dir.Text() + "/program");
    EXPECT_FALSE(resources.Find("SCRIPT", "TEXT")) << c.what;
    EXPECT_TRUE(resources.List().empty()) << c.what;
  }
}

TEST(Resources, LoadFailsWhenTheFileShrankSinceTheDirectoryWasRead) {
  const test::TempDir dir;
  test::WriteFile(dir / "program", PackedFile());
  FileResources resources(dir.Text() + "/program");
  const auto found = resources.Find("FILES", "EXEFILE");
  ASSERT_TRUE(found);
  std::filesystem::resize_file(dir / "program", found->offset + 2);
  EXPECT_EQ(resources.Load(*found), nullptr);
}

TEST(Resources, MarkExecutableAddsExecuteWhereReadIsAllowed) {
  const test::TempDir dir;
  test::WriteFile(dir / "payload", "x");
  namespace fs = std::filesystem;
  fs::permissions(dir / "payload",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(MarkExecutable(dir.Text() + "/payload"));
  EXPECT_EQ(fs::status(dir / "payload").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_FALSE(MarkExecutable(dir.Text() + "/missing"));
}
