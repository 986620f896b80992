#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "engine/core/StringUtils.h"

using namespace CorvantisEngine;

namespace {

// Switches LC_CTYPE for one test and restores it afterwards, so the other tests keep the "C" locale.
class ScopedCtype {
 public:
  explicit ScopedCtype(const char* name) : previous_(std::setlocale(LC_CTYPE, nullptr)) {
    ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
  }
  ~ScopedCtype() { std::setlocale(LC_CTYPE, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

}  // namespace

TEST(StringConversion, AsciiRoundTripsAndStopsAtZero) {
  EXPECT_EQ(StringToWStringCopy("Level 3.xml"), L"Level 3.xml");
  EXPECT_EQ(WStringToStringCopy(L"Level 3.xml"), "Level 3.xml");
  EXPECT_EQ(StringToWStringCopy(std::string("ab\0cd", 5)), L"ab");
  EXPECT_EQ(WStringToStringCopy(std::wstring(L"ab\0cd", 5)), "ab");

  std::wstring wide = L"stale";
  StringToWString("", wide);
  EXPECT_TRUE(wide.empty()) << "output is cleared first";
  std::string narrow = "stale";
  WStringToString(L"x", narrow);
  EXPECT_EQ(narrow, "x");
}

TEST(StringConversion, FollowsTheCurrentLocale) {
  // In the "C" locale only ASCII converts: other bytes are skipped, other characters dropped.
  EXPECT_EQ(StringToWStringCopy("a\xC3\xA9z"), L"az");
  EXPECT_EQ(WStringToStringCopy(L"a\u00E9z"), "az");

  ScopedCtype utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(StringToWStringCopy("a\xC3\xA9z"), L"a\u00E9z");
  EXPECT_EQ(WStringToStringCopy(L"a\u00E9\u20ACz"),
            "a\xC3\xA9\xE2\x82\xAC"
            "z");
  // A stray continuation byte and a sequence cut short at the end are skipped, the rest survives.
  EXPECT_EQ(StringToWStringCopy("a\x80"
                                "b\xE2\x82"),
            L"ab");
  // An unpaired surrogate cannot be encoded and is dropped.
  EXPECT_EQ(WStringToStringCopy(std::wstring{L'a', static_cast<wchar_t>(0xD800), L'b'}), "ab");
}

TEST(StringCase, ChangesOnlyLettersAndHandlesWideUnits) {
  std::string narrow = "Hello, WORLD 42 \xE9";
  StringToLower(narrow);
  EXPECT_EQ(narrow, "hello, world 42 \xE9") << "bytes above 127 are safe and unchanged in the C locale";
  EXPECT_EQ(StringToUpperCopy("mIxEd_9"), "MIXED_9");
  EXPECT_EQ(StringToLowerCopy("ABC"), "abc");

  std::wstring wide = L"Key F1";
  WStringToUpper(wide);
  EXPECT_EQ(wide, L"KEY F1");
  // Units far above 255 must not index past a narrow table.
  const std::wstring high{L'A', static_cast<wchar_t>(0x0416), static_cast<wchar_t>(0xFFFF),
                          static_cast<wchar_t>(0x10FFFF)};
  const std::wstring lowered = WStringToLowerCopy(high);
  ASSERT_EQ(lowered.size(), high.size());
  EXPECT_EQ(lowered[0], L'a');
  EXPECT_EQ(WStringToUpperCopy(L"abc"), L"ABC");

  ScopedCtype utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(WStringToLowerCopy(L"\u0416\u00C9"), L"\u0436\u00E9") << "wide case follows the locale";
}

TEST(StringTrim, RemovesWhiteSpaceAtTheRightEnds) {
  struct Row {
    std::string in, left, right, both;
  };
  const Row rows[] = {
      {"  a b \t\r\n", "a b \t\r\n", "  a b", "a b"},
      {"", "", "", ""},
      {" \t ", "", "", ""},
      {"x", "x", "x", "x"},
  };
  for (const Row& row : rows) {
    std::string left = row.in, right = row.in, both = row.in;
    StringTrimLeft(left);
    StringTrimRight(right);
    StringTrim(both);
    EXPECT_EQ(left, row.left) << '"' << row.in << '"';
    EXPECT_EQ(right, row.right) << '"' << row.in << '"';
    EXPECT_EQ(both, row.both) << '"' << row.in << '"';
    EXPECT_EQ(StringTrimRightCopy(row.in), row.right);

    const std::wstring wide = StringToWStringCopy(row.in);
    EXPECT_EQ(WStringTrimLeftCopy(wide), StringToWStringCopy(row.left));
    EXPECT_EQ(WStringTrimRightCopy(wide), StringToWStringCopy(row.right));
    EXPECT_EQ(WStringTrim(wide), StringToWStringCopy(row.both));
  }

  std::string zeros = "000120";
  StringTrimLeftChar(zeros, '0');
  EXPECT_EQ(zeros, "120");
  std::string allZeros = "000";
  StringTrimLeftChar(allZeros, '0');
  EXPECT_EQ(allZeros, "");
}

TEST(StringReplace, ReplacesEveryOccurrenceOnce) {
  struct Row {
    std::string text, find, replacement, expected, why;
  };
  const Row rows[] = {
      {"aaa", "a", "aa", "aaaaaa", "a replacement containing the text is not searched again"},
      {"a.b.c", ".", "\\", "a\\b\\c", "plain replace"},
      {"abcabc", "abc", "", "", "removal of adjacent occurrences"},
      {"aaaa", "aa", "b", "bb", "occurrences do not overlap"},
      {"none", "x", "y", "none", "nothing to find"},
      {"abc", "", "x", "abc", "an empty find changes nothing instead of looping"},
      {"", "a", "b", "", "empty text"},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    StringReplaceAll(text, row.find, row.replacement);
    EXPECT_EQ(text, row.expected) << row.why;

    const std::wstring wide = StringToWStringCopy(row.text);
    const std::wstring wideFind = StringToWStringCopy(row.find);
    const std::wstring wideReplacement = StringToWStringCopy(row.replacement);
    EXPECT_EQ(WStringReplaceAllCopy(wide, wideFind, wideReplacement), StringToWStringCopy(row.expected))
        << row.why;
    std::wstring inPlace = wide;
    WStringReplaceAll(inPlace, wideFind, wideReplacement);
    EXPECT_EQ(inPlace, StringToWStringCopy(row.expected)) << row.why;
  }

  std::string path = "a//b//c";
  StringRemoveAll(path, "/");
  EXPECT_EQ(path, "abc");
  EXPECT_EQ(WStringRemoveAllCopy(L"x-y-z", L"-"), L"xyz");
}

TEST(StringReplace, NoCaseMatchesAnyCaseAndKeepsTheRest) {
  std::wstring text = L"Hello HELLO";
  WStringReplaceAllNoCase(text, L"hello", L"x");
  EXPECT_EQ(text, L"x x");

  std::wstring grows = L"Ab aB";
  WStringReplaceAllNoCase(grows, L"AB", L"abab");
  EXPECT_EQ(grows, L"abab abab") << "the inserted text is skipped";

  std::wstring kept = L"Name: %NAME% and %name%!";
  WStringReplaceAllNoCase(kept, L"%Name%", L"Ann");
  EXPECT_EQ(kept, L"Name: Ann and Ann!") << "text outside the matches keeps its case";

  std::wstring unchanged = L"abc";
  WStringReplaceAllNoCase(unchanged, L"", L"x");
  EXPECT_EQ(unchanged, L"abc");
}

TEST(TextToNumber, ParsesLikeTheCLibraryAndClamps) {
  struct Row {
    const char* text;
    int base;
    int expected;
  };
  const Row rows[] = {
      {"42", 10, 42},
      {"  -17", 10, -17},
      {"+5", 10, 5},
      {"12abc", 10, 12},
      {"abc", 10, 0},
      {"", 10, 0},
      {"0x1F", 16, 31},
      {"1f", 16, 31},
      {"0x1F", 0, 31},
      {"017", 0, 15},
      {"101", 2, 5},
      {"99999999999", 10, 2147483647},
      {"-99999999999", 10, -2147483647 - 1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(StringToInt(row.text, row.base), row.expected) << row.text << " base " << row.base;
    EXPECT_EQ(WStringToInt(StringToWStringCopy(row.text), row.base), row.expected) << row.text;
  }

  EXPECT_EQ(StringToUIntBase("FFFFFFFF", 16), 0xFFFFFFFFu);
  EXPECT_EQ(StringToUIntBase("0x80000000", 16), 0x80000000u);
  EXPECT_EQ(StringToUIntBase("-1", 10), 0xFFFFFFFFu);
  EXPECT_EQ(StringToUIntBase("-2", 10), 0xFFFFFFFEu) << "wraps as 32-bit arithmetic, not 64-bit";
  EXPECT_EQ(StringToUIntBase("4294967296", 10), 0xFFFFFFFFu) << "beyond 32 bits clamps";
  EXPECT_EQ(StringToUIntBase("zz", 10), 0u);

  EXPECT_FLOAT_EQ(StringToFloat("1.25"), 1.25f);
  EXPECT_FLOAT_EQ(StringToFloat(" -0.5e1xyz"), -5.0f);
  EXPECT_FLOAT_EQ(StringToFloat("junk"), 0.0f);
  EXPECT_FLOAT_EQ(WStringToFloat(L"3.5"), 3.5f);

  EXPECT_FALSE(StringToBool("0"));
  EXPECT_TRUE(StringToBool("2"));
  EXPECT_TRUE(StringToBool("-1"));
  EXPECT_FALSE(StringToBool("true")) << "a word has no integer value";
  EXPECT_TRUE(WStringToBool(L"1"));
  EXPECT_FALSE(WStringToBool(L""));
}

TEST(NumberToText, PadsToTheMinimumDigitCount) {
  EXPECT_EQ(UIntToString(7, 3), "007");
  EXPECT_EQ(UIntToString(1234, 2), "1234");
  EXPECT_EQ(UIntToString(0, 0), "0");
  EXPECT_EQ(UIntToString(0, 1), "0");
  EXPECT_EQ(UIntToString(4294967295u), "4294967295");
  EXPECT_EQ(UIntToWString(5, 2), L"05");

  EXPECT_EQ(IntToString(-5, 3), "-005") << "the sign does not count as a digit";
  EXPECT_EQ(IntToString(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToString(12, -4), "12") << "a negative count means no padding";
  EXPECT_EQ(IntToWString(-3), L"-3");

  EXPECT_EQ(HexToString(255, 4), "00FF");
  EXPECT_EQ(HexToString(0xDEADBEEF), "DEADBEEF");

  EXPECT_EQ(FloatToString(1.5f, 2), "1.50");
  EXPECT_EQ(FloatToString(2.5f, 0), "2") << "no decimal point; ties round to even";
  EXPECT_EQ(FloatToString(-0.125f, 3), "-0.125");
  EXPECT_EQ(FloatToWString(0.25f, 1), L"0.2");

  // Far longer than any fixed buffer of 64 characters.
  const std::string big = FloatToString(3.0e38f, 40);
  EXPECT_EQ(big.size(), 39u + 1u + 40u);
  EXPECT_EQ(big.substr(0, 3), "300");
  EXPECT_EQ(UIntToString(1, 100), std::string(99, '0') + "1");

  EXPECT_EQ(BoolToString(true), "1");
  EXPECT_EQ(BoolToString(false), "0");
}

TEST(ExecutableFolder, IsTheFolderOfTheRunningProgram) {
  const std::string folder = GetExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_NE(folder.back(), '\\');
  // This test program is built into a folder named "tests".
  EXPECT_EQ(folder.substr(folder.size() - 6), "/tests");
}
