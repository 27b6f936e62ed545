#include <gtest/gtest.h>

#include "platform/Text.h"

using namespace platform;
using namespace platform::literals;

TEST(Text, RoundTripsEveryCp1251Byte) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

TEST(Text, RussianLiteralBecomesCp1251) {
  EXPECT_EQ("Пароль: ё"_cp, "\xCF\xE0\xF0\xEE\xEB\xFC: \xB8");
}

TEST(Text, RefusesWhatCp1251Lacks) {
  EXPECT_FALSE(TryFromUtf8("\xE4\xB8\xAD"));  // a CJK character
  EXPECT_FALSE(TryFromUtf8("\xD0"));          // truncated sequence
  EXPECT_FALSE(TryFromUtf8("\xC0\xAF"));      // overlong "/"
}

TEST(Text, BlankAndTrimUseCodesUpTo32) {
  EXPECT_TRUE(IsBlank(" \t\r\n\x01"));
  EXPECT_FALSE(IsBlank(" \xA0 "));  // a no-break space is no blank
  EXPECT_EQ(Trim("\t a b \x1F"), "a b");
}

TEST(Text, CaseFoldsCyrillicLetters) {
  EXPECT_EQ(UpperCase("sysdba ёжик"_cp), "SYSDBA ЁЖИК"_cp);
  EXPECT_EQ(LowerCase("EXECUTE PROCEDURE CHECK_VERSIO(ЯЁ"_cp),
            "execute procedure check_versio(яё"_cp);
  EXPECT_TRUE(SameTextIgnoringCase("Тарвент"_cp, "ТАРВЕНТ"_cp));
}
