// Saved wide strings are UTF-16 in the file whatever the host's wchar_t: characters beyond the basic
// plane go out as surrogate pairs and come back whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

std::vector<std::uint8_t> Saved(const std::wstring& text, MessageManager* log = nullptr) {
  testsupport::TempFolder temp;
  {
    FileBinary out(log, temp.Win("w.bin"), true, false, false, 0, nullptr);
    out.WriteWString(text);
  }
  const std::string bytes = temp.Read("w.bin");
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::wstring Loaded(const std::vector<std::uint8_t>& bytes) {
  FileBinary in(nullptr, "mem", false, false, true, static_cast<std::uint32_t>(bytes.size()), bytes.data());
  std::wstring text;
  in.ReadWString(text);
  EXPECT_EQ(in.GetRemaining(), 0u);
  return text;
}

TEST(WideStringTest, CharactersBeyondTheBasicPlaneRoundTripAsSurrogatePairs) {
  struct Row {
    const char* why;
    std::wstring text;
    std::vector<std::uint8_t> bytes;
  };
  const Row rows[] = {
      {"basic plane only", L"Ab\u00e9", {4, 'A', 0, 'b', 0, 0xE9, 0, 0, 0}},
      {"one character beyond",
       std::wstring(1, static_cast<wchar_t>(0x1F9E9)),
       {3, 0x3E, 0xD8, 0xE9, 0xDD, 0, 0}},
      {"the first and the last beyond",
       std::wstring{static_cast<wchar_t>(0x10000), L'x', static_cast<wchar_t>(0x10FFFF)},
       {6, 0x00, 0xD8, 0x00, 0xDC, 'x', 0, 0xFF, 0xDB, 0xFF, 0xDF, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(Saved(row.text), row.bytes);
    EXPECT_EQ(Loaded(row.bytes), row.text);
  }
}

TEST(WideStringTest, LoneSurrogatesAndImpossibleCharactersReadAsTheyStand) {
  // A high surrogate with no low one after it, and a low one on its own, stay single units.
  EXPECT_EQ(Loaded({4, 0x3E, 0xD8, 'a', 0, 0xE9, 0xDD, 0, 0}), (std::wstring{0xD83E, L'a', 0xDDE9}));
  EXPECT_EQ(Loaded({2, 0x3E, 0xD8, 0, 0}), std::wstring(1, 0xD83E)) << "the zero is no partner";
  // A wchar_t above the last character has no UTF-16 form: it is saved as the replacement character.
  EXPECT_EQ(Saved(std::wstring(1, static_cast<wchar_t>(0x110000))),
            (std::vector<std::uint8_t>{2, 0xFD, 0xFF, 0, 0}));
}

// The count byte allows 254 units: a long text is cut at a character boundary, never between the two
// halves of a pair.
TEST(WideStringTest, CuttingNeverSplitsAPair) {
  MessageManager log("test", 0, 0, "", "");
  std::wstring text(253, L'a');
  text += static_cast<wchar_t>(0x1F600);
  text += L'b';
  const std::vector<std::uint8_t> bytes = Saved(text, &log);
  ASSERT_EQ(bytes[0], 254) << "253 units and the zero";
  EXPECT_EQ(Loaded(bytes), std::wstring(253, L'a'));
  ASSERT_EQ(log.GetRecordCount(), 1);
  EXPECT_NE(log.GetRecord(0).text.find("Text of 255 characters cut to 253"), std::string::npos)
      << log.GetRecord(0).text;

  std::wstring pairs(127, static_cast<wchar_t>(0x10437));
  EXPECT_EQ(Loaded(Saved(pairs)), pairs) << "127 pairs fill the 254 units exactly";
}

}  // namespace
}  // namespace CorvantisEngine
