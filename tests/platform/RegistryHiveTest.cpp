#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "platform/Text.h"
#include "tests/support/Environment.h"
#include "tests/support/TempDir.h"

using namespace platform;
using namespace platform::literals;
using namespace platform::registry;

namespace {

std::string Read(const KeyStore& hive, const std::string& key, const std::string& name) {
  const Key* found = hive.Find(key);
  if (!found) throw std::runtime_error("no key " + key);
  return ReadString(*found, name);
}

std::string ErrorOf(const KeyStore& hive, const std::string& key, const std::string& name) {
  try {
    Read(hive, key, name);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "(no error)";
}

}  // namespace

TEST(RegistryHive, ReadsValuesOfEveryForm) {
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"
      "@=\"default\"\r\n"
      "\"Plain\"=\"C:\\\\FB\\\\bin\\\\fbserver.exe -s -p 3051\"\r\n"
      "\"Quote \\\"d\\\"\"=\"say \\\"hi\\\"\"\r\n"
      "\"Other\\escape\"=\"a\\nb\"\r\n"
      "\"Spaced\" = \"x\"\r\n"
      "\"Number\"=dword:00000bd3\r\n"
      "\"Bytes\"=hex:01,02,ff\r\n"
      "\"Empty bytes\"=hex:\r\n"
      "\"Wide\"=hex(2):25,00,53,00,59,00,53,00,25,00,5c,00,\\\r\n"
      "  1f,04,00,00\r\n"
      "\"Narrow\"=hex(2):25,53,59,53,25,00\r\n"
      "\"Multi\"=hex(7):61,00,62,00,00,00\r\n"
      "\"Sz as hex\"=hex(1):41,00,42,00,00,00\r\n"
      "\"Gone\"=\"soon\"\r\n"
      "\"Gone\"=-\r\n"
      "\"Broken\"=dword:xyz\r\n";
  const KeyStore hive = ParseHive(text);
  const std::string key = "SOFTWARE\\Test";
  struct Case {
    const char* name;
    std::string expected;
  };
  const Case cases[] = {
      {"", "default"},
      {"Plain", "C:\\FB\\bin\\fbserver.exe -s -p 3051"},
      {"Quote \"d\"", "say \"hi\""},
      {"Other\\escape", "a\\nb"},
      {"Spaced", "x"},
      {"Wide", "%SYS%\\\xCF"},  // UTF-16LE, not expanded; U+041F is CP1251 0xCF
      {"Narrow", "%SYS%"},      // single bytes as REGEDIT4 writes them
      {"Sz as hex", "AB"},
      {"Empty bytes", ""},  // no data reads as empty whatever its type
      {"Gone", ""},
      {"Broken", ""},  // a line that cannot be read is no value
      {"Missing", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(hive, key, c.name), c.expected) << c.name;
  for (const char* name : {"Number", "Bytes", "Multi"})
    EXPECT_EQ(ErrorOf(hive, key, name), std::string("Invalid data type for '") + name + "'");
  EXPECT_EQ(hive.Find(key)->Find("Number")->data, std::string("\xd3\x0b\0\0", 4));
}

TEST(RegistryHive, KeysMatchIgnoringCaseAndParentsExist) {
  const std::string text =
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Firebird 2.0 для ПО ГК \"Тарвент\"]\n"
      "\"Путь\"=\"x\"\n"
      "[HKEY_CURRENT_USER\\Software\\Elsewhere]\n"
      "\"Value\"=\"other root\"\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Deleted]\n"
      "[hkey_local_machine\\System\\Second]\n"
      "\"A\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\second]\n"
      "\"B\"=\"2\"\n"_cp;
  const KeyStore hive = ParseHive(text);
  EXPECT_EQ(Read(hive, "software\\FIREBIRD 2.0 ДЛЯ по гк \"тарвент\""_cp, "путь"_cp), "x");
  EXPECT_TRUE(hive.Exists("\\SOFTWARE"));
  EXPECT_TRUE(hive.Exists(""));
  EXPECT_FALSE(hive.Exists("Software\\Elsewhere"));
  EXPECT_FALSE(hive.Exists("SOFTWARE\\Deleted"));
  EXPECT_FALSE(hive.Exists("SOFTWARE\\Firebird"));  // whole names only
  // Two headers of one key make one key.
  EXPECT_EQ(Read(hive, "\\SYSTEM\\SECOND", "a"), "1");
  EXPECT_EQ(Read(hive, "\\SYSTEM\\SECOND", "b"), "2");
}

TEST(RegistryHive, UnicodeExportIsConverted) {
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                            "\"N\"=\"\xD0\xAF\"\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  // Re-encode the two UTF-8 bytes of "Я" as the one UTF-16 unit 0x042F.
  const std::string ya = std::string("\xD0\0\xAF\0", 4);
  utf16.replace(utf16.find(ya), ya.size(), std::string("\x2F\x04", 2));
  EXPECT_EQ(Read(ParseHive(utf16), "K", "N"), "Я"_cp);
}

TEST(Registry, ReadsTheHiveNamedByTheEnvironment) {
  test::TempDir temp;
  const auto file = temp / "HKLM.reg";
  test::WriteFile(file, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Name\"=\"first\"\r\n");
  test::ScopedEnvironment hive("UPDATER_REGISTRY", file.string());
  auto& registry = Registry();
  EXPECT_TRUE(registry.KeyExists("SOFTWARE\\A"));
  EXPECT_TRUE(registry.KeyExists("\\software"));
  auto key = registry.OpenKeyReadOnly("\\SOFTWARE\\A");
  ASSERT_TRUE(key);
  // The hive is read afresh for each key opened.
  test::WriteFile(file, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Name\"=\"second\"\r\n");
  EXPECT_EQ(key->ReadString("NAME"), "first");
  EXPECT_EQ(registry.OpenKeyReadOnly("SOFTWARE\\A")->ReadString("Name"), "second");
  EXPECT_FALSE(registry.OpenKeyReadOnly("SOFTWARE\\B"));

  test::ScopedEnvironment missing("UPDATER_REGISTRY", (temp / "none.reg").string());
  EXPECT_FALSE(registry.KeyExists("SOFTWARE"));
  EXPECT_FALSE(registry.OpenKeyReadOnly("SOFTWARE\\A"));
}
