#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileTextual.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

std::unique_ptr<FileTextual> Reader(const std::string& bytes) {
  auto* file = new FileBinary(nullptr, "text", false, false, true, static_cast<std::uint32_t>(bytes.size()),
                              bytes.data());
  return std::make_unique<FileTextual>(nullptr, file, false, kTextEncodingAnsi);
}

std::vector<std::string> NarrowLines(const std::string& bytes, bool strip = false) {
  auto text = Reader(bytes);
  std::vector<std::string> lines;
  std::string line;
  while (text->ReadLine(line, strip)) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::wstring> WideLines(const std::string& bytes) {
  auto text = Reader(bytes);
  std::vector<std::wstring> lines;
  std::wstring line;
  while (text->ReadLine(line, false)) {
    lines.push_back(line);
  }
  return lines;
}

TEST(FileTextualLines, LineEndsTable) {
  using Lines = std::vector<std::string>;
  struct Row {
    std::string bytes;
    Lines lines;
    const char* why;
  };
  const Row rows[] = {
      {"", {""}, "an empty file is one empty line"},
      {"a\r\nb", {"a", "b"}, "CR LF"},
      {"a\r\n", {"a", ""}, "a final line end leaves an empty last line"},
      {"a\rb\nc", {"a", "b", "c"}, "lone CR and lone LF"},
      {"a\n\nb", {"a", "", "b"}, "an empty line between"},
      {"a\r\r\nb", {"a", "", "b"}, "CR then CR LF"},
      {"a\n\r", {"a", "", ""}, "LF CR is two line ends"},
      {std::string(1500, 'x') + "\r\n" + "y", {std::string(1500, 'x'), "y"}, "a line across buffer refills"},
      {std::string(1023, 'x') + "\r\nz", {std::string(1023, 'x'), "z"}, "CR LF split by a refill"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NarrowLines(row.bytes), row.lines) << row.why;
  }
}

TEST(FileTextualLines, CommentStripping) {
  EXPECT_EQ(NarrowLines("v_vsync 0 // off\r\n// whole\r\nurl http://x", true),
            (std::vector<std::string>{"v_vsync 0 ", "", "url http:"}));
  EXPECT_EQ(NarrowLines("a // b", false), (std::vector<std::string>{"a // b"}));
}

TEST(FileTextualLines, ByteOrderMarksTable) {
  struct Row {
    std::string bytes;
    std::uint32_t encoding;
    std::vector<std::wstring> lines;
    const char* why;
  };
  const Row rows[] = {
      {std::string("\xFF\xFE"
                   "a\0\r\0\n\0b\0",
                   10),
       kTextEncodingUtf16LittleEndian,
       {L"a", L"b"},
       "UTF-16 LE"},
      {std::string("\xFE\xFF\0a\0\n\0\xE9", 8), kTextEncodingUtf16BigEndian, {L"a", L"\u00E9"}, "UTF-16 BE"},
      {"\xEF\xBB\xBF"
       "a\xC3\xA9\xE2\x82\xAC",
       kTextEncodingUtf8,
       {L"a\u00E9\u20AC"},
       "UTF-8"},
      {"\xEF\xBB\x41", kTextEncodingAnsi, {}, "EF BB without BF is 8-bit from the first byte"},
      {"ab", kTextEncodingAnsi, {L"ab"}, "no mark"},
      {"a", kTextEncodingAnsi, {L"a"}, "a single byte"},
  };
  for (const Row& row : rows) {
    auto text = Reader(row.bytes);
    EXPECT_EQ(text->GetEncoding(), row.encoding) << row.why;
    if (!row.lines.empty()) {
      EXPECT_EQ(WideLines(row.bytes), row.lines) << row.why;
    }
  }
  std::string first;
  Reader("\xEF\xBB\x41")->ReadLine(first, false);
  EXPECT_EQ(first, "\xEF\xBB\x41");
}

TEST(FileTextualLines, Utf8DecodingTable) {
  struct Row {
    std::string bytes;
    std::wstring text;
    const char* why;
  };
  const Row rows[] = {
      {"\xC3\xA9", L"\u00E9", "two bytes"},
      {"\xE2\x82\xAC", L"\u20AC", "three bytes"},
      {"\x80z", L"\uFFFDz", "a stray continuation byte"},
      {"\xFFz", L"\uFFFDz", "an impossible lead byte"},
      {"\xF0\x9F\x98\x80", L"\U0001F600", "four bytes"},
      {"a\xC3", L"a", "a sequence cut by the end is dropped"},
      {std::string(1020, 'a') + "\xE2\x82\xAC", std::wstring(1020, L'a') + L"\u20AC",
       "a character split by a buffer refill"},
  };
  for (const Row& row : rows) {
    auto text = Reader("\xEF\xBB\xBF" + row.bytes);
    std::wstring line;
    ASSERT_TRUE(text->ReadLine(line, false));
    EXPECT_EQ(line, row.text) << row.why;
  }
}

TEST(FileTextualText, ReadTextJoinsWithCrLf) {
  auto text = Reader("a\nb\rc");
  std::wstring all;
  text->ReadText(all, false);
  EXPECT_EQ(all, L"a\r\nb\r\nc");
  EXPECT_TRUE(text->IsEnd());
  std::wstring line = L"x";
  EXPECT_FALSE(text->ReadLine(line, false));
}

// The whole text as the lines read one by one give it, each joined to the next by CR LF.
std::wstring JoinedLines(const std::string& bytes) {
  std::wstring joined;
  bool first = true;
  for (const std::wstring& line : WideLines(bytes)) {
    joined += first ? L"" : L"\r\n";
    joined += line;
    first = false;
  }
  return joined;
}

std::wstring WholeText(const std::string& bytes) {
  std::wstring all;
  Reader(bytes)->ReadText(all, false);
  return all;
}

// The whole text is decoded in bulk, sixteen bytes at a time where it can: it must read exactly as its
// lines do, in every encoding, whatever falls on the block edges and at the end. Random documents of
// the characters that matter (line ends, zero bytes, bytes beyond ASCII, lead bytes of every UTF-8
// shape, UTF-16 units with the line ends' values in either byte), under the C locale and under UTF-8.
TEST(FileTextualText, WholeTextReadsAsItsLinesJoined) {
  const char* const marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB"};
  const std::string pieces[] = {"a",
                                "<x y='1'>",
                                "\r",
                                "\n",
                                "\r\n",
                                std::string(1, '\0'),
                                "\xC3\xA9",
                                "\xE2\x98\x85",
                                "\xF0\x9F\x98\x80",
                                "\x80",
                                "\xFF",
                                "\xC3",
                                std::string("\r\0", 2),
                                std::string("\0\r", 2),
                                std::string("\n\0", 2),
                                "\xC0\x8A",
                                "                "};
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  for (const char* locale : {"C", "C.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, locale) == nullptr) {
      continue;
    }
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
      std::string bytes = marks[next() % std::size(marks)];
      const std::size_t count = next() % 40;
      for (std::size_t i = 0; i < count; ++i) {
        bytes += pieces[next() % std::size(pieces)];
      }
      if (next() % 4 == 0 && !bytes.empty()) {
        bytes.pop_back();  // an odd end for UTF-16, a cut character for UTF-8
      }
      const std::wstring expected = JoinedLines(bytes);
      const std::wstring got = WholeText(bytes);
      ASSERT_EQ(got, expected) << locale << " round " << round << " size " << bytes.size();
    }
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  // Across the reader's 1024-byte buffer, after a mark that took bytes from it.
  const std::string longLine =
      "\xEF\xBB\xBF" + std::string(1500, 'x') + "\n\xC3\xA9\r\n" + std::string(700, 'y');
  EXPECT_EQ(WholeText(longLine), JoinedLines(longLine));

  // A file too large to be held in memory is read from the disk as it goes.
  testsupport::TempFolder temp;
  std::string big = "\xFF\xFE";
  for (std::size_t i = 0; big.size() < FileBinary::kMemoryLimit + 4096; ++i) {
    big += i % 50 == 49 ? std::string("\r\0\n\0", 4) : std::string("q\0\xE9\0", 4);
  }
  temp.Write("big.txt", big);
  const std::string path = temp.Win("big.txt");
  const auto onDisk = [&] {
    return std::make_unique<FileTextual>(
        nullptr, new FileBinary(nullptr, path, false, false, false, 0, nullptr), false, kTextEncodingAnsi);
  };
  std::wstring whole;
  auto reader = onDisk();
  reader->ReadText(whole, false);
  std::wstring joined;
  reader = onDisk();
  std::wstring line;
  for (bool first = true; reader->ReadLine(line, false); first = false) {
    joined += first ? L"" : L"\r\n";
    joined += line;
  }
  EXPECT_EQ(whole.size(), joined.size());
  EXPECT_TRUE(whole == joined);
}

TEST(FileTextualText, NarrowingMarksLossyCharacters) {
  // The C locale has no 8-bit form for U+00E9.
  auto text =
      Reader(std::string("\xFF\xFE"
                         "a\0\xE9\0",
                         6));
  std::string line;
  ASSERT_TRUE(text->ReadLine(line, false));
  EXPECT_EQ(line, "a?");
  EXPECT_TRUE(text->IsLossy());
}

// 8-bit text goes through the current locale: under a UTF-8 locale its bytes widen as UTF-8, and
// wide text narrows back without loss.
TEST(FileTextualText, EightBitTextFollowsTheCurrentLocale) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) {
    GTEST_SKIP() << "no C.UTF-8 locale";
  }
  std::wstring wide;
  Reader("caf\xC3\xA9")->ReadLine(wide, false);
  auto utf16 = Reader(std::string("\xFF\xFE\xE9\0", 4));
  std::string narrow;
  utf16->ReadLine(narrow, false);
  const bool lossy = utf16->IsLossy();
  std::setlocale(LC_CTYPE, saved.c_str());
  EXPECT_EQ(wide, L"caf\u00E9");
  EXPECT_EQ(narrow, "\xC3\xA9");
  EXPECT_FALSE(lossy);
}

TEST(FileTextualText, RoundTripInEachEncoding) {
  testsupport::TempFolder temp;
  struct Row {
    std::uint32_t encoding;
    std::string head;
  };
  const Row rows[] = {{kTextEncodingAnsi, ""},
                      {kTextEncodingUtf16BigEndian, "\xFE\xFF"},
                      {kTextEncodingUtf16LittleEndian, "\xFF\xFE"},
                      {kTextEncodingUtf8, "\xEF\xBB\xBF"}};
  const std::vector<std::string> lines = {"first line", "", std::string(1500, 'q'), "last"};
  for (const Row& row : rows) {
    const std::string name = "enc" + std::to_string(row.encoding) + ".txt";
    {
      auto* file = new FileBinary(nullptr, temp.Win(name), true, false, false, 0, nullptr);
      FileTextual text(nullptr, file, true, row.encoding);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        text.WriteText(lines[i]);
        if (i + 1 < lines.size()) {
          text.WriteNewLine();
        }
      }
      text.Close();
    }
    const std::string bytes = temp.Read(name);
    EXPECT_EQ(bytes.substr(0, row.head.size()), row.head) << row.encoding;
    auto* file = new FileBinary(nullptr, temp.Win(name), false, false, false, 0, nullptr);
    FileTextual text(nullptr, file, false, 0);
    EXPECT_EQ(text.GetEncoding(), row.encoding);
    std::vector<std::string> read;
    std::string line;
    while (text.ReadLine(line, false)) {
      read.push_back(line);
    }
    EXPECT_EQ(read, lines) << row.encoding;
  }
  EXPECT_EQ(temp.Read("enc0.txt").substr(0, 12), "first line\r\n");
  EXPECT_EQ(temp.Read("enc1.txt").substr(2, 4), std::string("\0f\0i", 4));
  EXPECT_EQ(temp.Read("enc2.txt").substr(2, 4), std::string("f\0i\0", 4));
}

TEST(FileTextualText, WriteFailuresReachCloseOrTheLog) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "needs /dev/full";
  }
  MessageManager log("test", 0, 0, "", "");
  std::string message;
  try {
    FileTextual text(&log, new FileBinary(&log, "/dev/full", true, false, false, 0, nullptr), true, 0);
    text.WriteText("ab");
    text.Close();
  } catch (const FileError& error) {
    message = error.GetMessage();
  }
  EXPECT_NE(message.find("/dev/full"), std::string::npos);
  {
    FileTextual text(&log, new FileBinary(&log, "/dev/full", true, false, false, 0, nullptr), true, 0);
    text.WriteText("ab");
  }  // the destructor logs instead of throwing
  EXPECT_GE(log.GetRecordCount(), 1);
  EXPECT_EQ(log.GetRecord(log.GetRecordCount() - 1).type, LogRecord::kError);
}

}  // namespace
}  // namespace CorvantisEngine
