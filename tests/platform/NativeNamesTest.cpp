#include <gtest/gtest.h>

#include <set>

#include "platform/FileSystem.h"
#include "platform/NativeNames.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"

using namespace platform;
using namespace platform::literals;

TEST(NativeNames, EveryKernelNameComesBackToItsOwnBytes) {
  const std::string names[] = {
      "plain.txt",
      "Кириллица.txt",     // converts: no escape
      "\xE4\xB8\xAD.txt",  // a CJK character
      "bad\xFF\xFEutf8",   // no valid UTF-8
      "half\xD0",          // a truncated sequence at the end
      "\xC2\x98",          // U+0098, the escape byte's own stand-in
      "\xC2\x98"
      "41",  // ... followed by what looks like hex digits
      "emoji\xF0\x9F\x99\x82",
  };
  std::set<std::string> texts;
  for (const auto& name : names) {
    const std::string text = FromNative(name);
    EXPECT_EQ(ToNative(text), name) << text;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), std::size(names)) << "two kernel names share a text";
  EXPECT_EQ(FromNative("Кириллица.txt"), "Кириллица.txt"_cp);
  EXPECT_EQ(FromNative("\xE4\xB8\xAD"),
            "\x98"
            "E4\x98"
            "B8\x98"
            "AD");
}

TEST(NativeNames, TextsWithoutEscapesAreUtf8) {
  EXPECT_EQ(ToNative("Тарвент"_cp), "Тарвент");
  EXPECT_EQ(ToNative("\x98zz"), "\xC2\x98zz");  // no hex digits: the byte itself
}

// A name without a CP1251 form is found, deleted and copied as itself, and
// never mistaken for a file whose name merely looks alike.
TEST(NativeNames, UnmappableEntryIsActedOnAsItself) {
  test::TempDir temp;
  const std::string odd = "\xE4\xB8\xAD.txt";
  test::WriteFile(temp / odd, "odd");
  test::WriteFile(temp / "?.txt", "lookalike");
  auto& files = FileSystem();
  std::string found;
  auto search = files.FindFirst(temp.Text());
  ASSERT_TRUE(search);
  while (auto entry = search->Next())
    if (entry->name != "." && entry->name != ".." && entry->name != "?.txt") found = entry->name;
  ASSERT_FALSE(found.empty());
  const std::string path = temp.Text() + "/" + found;
  ASSERT_TRUE(files.CopyFile(path, temp.Text() + "/copy.txt"));
  EXPECT_EQ(test::ReadFile(temp / "copy.txt"), "odd");
  ASSERT_TRUE(files.DeleteFile(path));
  EXPECT_FALSE(std::filesystem::exists(temp / odd));
  EXPECT_EQ(test::ReadFile(temp / "?.txt"), "lookalike");
}
