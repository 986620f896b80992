#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/PackFile.h"
#include "support/TempFolder.h"
#include "tools/pack/PackBuilder.h"

namespace CorvantisEngine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

void SetUInt(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

std::string Refusal(const Bytes& bytes) {
  try {
    PackFile pack(nullptr, "p.pak", std::span<const std::uint8_t>(bytes));
  } catch (const FileError& error) {
    return error.GetMessage();
  }
  return "(mounted)";
}

Bytes Sample() {
  return packtool::BuildPack({{"a\\b\\c.xml", Text("C")},
                              {"a\\d.xml", Text("DD")},
                              {"a\\e\\f\\g.xml", Text("GGG")},
                              {"Data\\UI\\Logo.JPG", Text("jpeg")},
                              {"top.txt", Text("")}});
}

TEST(PackFileRead, EntriesAreFoundWithoutRegardToCase) {
  const Bytes bytes = Sample();
  MessageManager log("test", 0, 0, "", "");
  PackFile pack(&log, "p.pak", std::span<const std::uint8_t>(bytes));
  ASSERT_EQ(log.GetRecordCount(), 2);
  EXPECT_EQ(log.GetRecord(0).text, "...Pack file p.pak found...\n");
  EXPECT_EQ(log.GetRecord(1).text, "......It contains 5 files...\n");
  // A pack found below a host folder is named in the host's own form.
  PackFile hosted(&log, "/srv/game/bin\\data\\pack0.pak", std::span<const std::uint8_t>(bytes));
  EXPECT_EQ(log.GetRecord(2).text, "...Pack file /srv/game/bin/data/pack0.pak found...\n");

  for (const char* name : {"data\\ui\\logo.jpg", "DATA\\UI\\LOGO.JPG", "Data\\UI\\Logo.JPG"}) {
    std::uint32_t size = 0;
    ASSERT_TRUE(pack.GetFileSize(name, size)) << name;
    EXPECT_EQ(size, 4u);
    char content[4];
    ASSERT_TRUE(pack.ReadFile(name, content));
    EXPECT_EQ(std::string(content, 4), "jpeg");
  }
  std::uint32_t size = 99;
  EXPECT_TRUE(pack.GetFileSize("top.txt", size));
  EXPECT_EQ(size, 0u);
  char unused;
  EXPECT_TRUE(pack.ReadFile("top.txt", &unused)) << "an empty entry reads";
  EXPECT_FALSE(pack.HasFile("data\\ui"));
  EXPECT_FALSE(pack.GetFileSize("missing", size));
  EXPECT_FALSE(pack.ReadFile("missing", &unused));
}

// A part of an entry: clipped to the entry's end, nothing past it or for a name the pack lacks.
TEST(PackFileRead, PartsOfAnEntry) {
  const Bytes bytes =
      packtool::BuildPack({{"a\\first.txt", Text("abc")}, {"b\\Second.txt", Text("0123456789")}});
  PackFile pack(nullptr, "p.pak", std::span<const std::uint8_t>(bytes));
  struct Row {
    const char* name;
    std::uint32_t offset;
    std::uint32_t bytes;
    const char* expected;
  };
  const Row rows[] = {
      {"b\\second.txt", 0, 10, "0123456789"},
      {"B\\SECOND.TXT", 3, 4, "3456"},
      {"b\\second.txt", 8, 100, "89"},
      {"b\\second.txt", 10, 4, ""},
      {"b\\second.txt", 0xFFFFFFF0u, 0x20, ""},
      {"a\\first.txt", 1, 1, "b"},
      {"missing.txt", 0, 4, ""},
  };
  for (const Row& row : rows) {
    std::string part(16, '.');
    const std::uint32_t got = pack.ReadPart(row.name, row.offset, row.bytes, part.data());
    EXPECT_EQ(part.substr(0, got), row.expected) << row.name << " at " << row.offset;
    EXPECT_EQ(part.substr(got), std::string(16 - got, '.')) << "nothing written past the part";
  }
}

TEST(PackFileRead, FoldersAndListings) {
  const Bytes bytes = Sample();
  PackFile pack(nullptr, "p.pak", std::span<const std::uint8_t>(bytes));

  std::vector<std::string> folders;
  pack.ListFolders("A", folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"a\\b"})) << "a\\e holds no entry directly";
  folders.clear();
  pack.ListFolders("data\\", folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"data\\ui"}));

  struct Row {
    const char* folder;
    const char* mask;
    std::vector<std::string> names;
  };
  const Row rows[] = {
      {"a", "*.xml", {"a\\b\\c.xml", "a\\d.xml", "a\\e\\f\\g.xml"}},
      {"a\\", "*.*", {"a\\b\\c.xml", "a\\d.xml", "a\\e\\f\\g.xml"}},
      {"a", "*", {"a\\b\\c.xml", "a\\d.xml", "a\\e\\f\\g.xml"}},
      {"a", "g.*", {"a\\e\\f\\g.xml"}},
      {"A", "*.JPG", {}},
      {"data", "*.jpg", {"data\\ui\\logo.jpg"}},
      {"dat", "*.*", {}},
  };
  for (const Row& row : rows) {
    std::vector<std::string> files;
    pack.ListFiles(row.folder, row.mask, files);
    EXPECT_EQ(files, row.names) << row.folder << " " << row.mask;
  }

  EXPECT_TRUE(pack.HasFolder("b")) << "containment, not prefix";
  EXPECT_TRUE(pack.HasFolder("DATA\\UI"));
  EXPECT_FALSE(pack.HasFolder("data\\ui\\logo"));
}

TEST(PackFileRead, DuplicateNamesKeepTheFirstRecord) {
  Bytes bytes = packtool::BuildPack({{"x.txt", Text("one")}, {"y.txt", Text("two")}});
  // Rename the second entry to the first one's name.
  const std::size_t second = 17 + 1 + 5 + 1;
  bytes[second] = 'x';
  PackFile pack(nullptr, "p.pak", std::span<const std::uint8_t>(bytes));
  EXPECT_EQ(pack.GetNames(), (std::vector<std::string>{"x.txt", "x.txt"}));
  char content[3];
  ASSERT_TRUE(pack.ReadFile("x.txt", content));
  EXPECT_EQ(std::string(content, 3), "one");
}

TEST(PackFileRead, NamesStopAtTheirFirstZero) {
  Bytes bytes = packtool::BuildPack({{"abcdef", Text("z")}});
  bytes[17 + 1 + 3] = 0;  // "abc\0ef"
  PackFile pack(nullptr, "p.pak", std::span<const std::uint8_t>(bytes));
  EXPECT_TRUE(pack.HasFile("abc"));
}

TEST(PackFileRefusal, HeaderAndDirectoryChecksTable) {
  const Bytes good = Sample();
  struct Row {
    std::function<void(Bytes&)> damage;
    const char* message;
    const char* why;
  };
  const Row rows[] = {
      {[](Bytes& b) { b[4] = 'Z'; }, "Incorrect pack file format", "magic"},
      {[](Bytes& b) { SetUInt(b, 0, static_cast<std::uint32_t>(b.size()) - 1); },
       "Incorrect pack file format", "length one less than the size"},
      {[](Bytes& b) { b.push_back(0); }, "Incorrect pack file format", "size one more than the length"},
      {[](Bytes& b) { SetUInt(b, 9, 101); }, "Incorrect pack file version, current is 100", "version"},
      {[](Bytes& b) { SetUInt(b, 13, 0xFFFFFFFFu); }, "Incorrect pack file format", "hostile entry count"},
      {[](Bytes& b) { SetUInt(b, 13, 1000); }, "Incorrect pack file format", "count beyond the pack"},
      {[](Bytes& b) { b.resize(12); }, "Failed to read 13 bytes from \"p.pak\" file",
       "shorter than a header"},
      {[](Bytes& b) { b.clear(); }, "Failed to read 13 bytes from \"p.pak\" file", "empty file"},
      {[](Bytes& b) {
         b.resize(14);
         SetUInt(b, 0, 14);
       },
       "Incorrect pack file format", "length below a header"},
  };
  for (const Row& row : rows) {
    Bytes bytes = good;
    row.damage(bytes);
    EXPECT_EQ(Refusal(bytes), row.message) << row.why;
  }
}

TEST(PackFileRefusal, RecordsOutsideThePack) {
  const Bytes good = packtool::BuildPack({{"a", Text("xyz")}});
  const std::size_t record = 17 + 2;
  struct Row {
    std::uint32_t offset;
    std::uint32_t size;
    const char* why;
  };
  const Row rows[] = {
      {0xFFFFFFF0u, 0x20, "offset + size wraps in 32 bits"},
      {0, 0xFFFFFFFFu, "size beyond the pack"},
      {static_cast<std::uint32_t>(good.size()), 1, "starts at the end"},
  };
  for (const Row& row : rows) {
    Bytes bytes = good;
    SetUInt(bytes, record, row.offset);
    SetUInt(bytes, record + 4, row.size);
    EXPECT_EQ(Refusal(bytes), "Incorrect pack file format") << row.why;
  }
  Bytes edge = good;
  SetUInt(edge, record, static_cast<std::uint32_t>(good.size()));
  SetUInt(edge, record + 4, 0);
  EXPECT_EQ(Refusal(edge), "(mounted)") << "an empty entry at the very end is fine";
}

TEST(PackFileDisk, AppendedPackIsReadAtItsOffset) {
  testsupport::TempFolder temp;
  const Bytes pack = Sample();
  Bytes file = Text(std::string(1000, 'E'));
  const Bytes appended = packtool::AppendedForm(pack);
  file.insert(file.end(), appended.begin(), appended.end());
  temp.Write("game", file);
  const std::uint32_t start = 1000;
  PackFile mounted(nullptr, temp.Win("game"), start, static_cast<std::uint32_t>(pack.size()));
  char content[4];
  ASSERT_TRUE(mounted.ReadFile("data\\ui\\logo.jpg", content));
  EXPECT_EQ(std::string(content, 4), "jpeg");

  EXPECT_THROW(PackFile(nullptr, temp.Win("game"), start, static_cast<std::uint32_t>(pack.size()) + 1),
               FileError)
      << "the trailer's length must equal the pack's own";
  EXPECT_THROW(PackFile(nullptr, temp.Win("missing.pak"), 0, 0), FileError);
  EXPECT_THROW(PackFile(nullptr, temp.Win("game"), 0xFFFFFF00u, 0), FileError) << "start beyond the file";
}

// A pipe named as a pack is refused at once: reading it would wait for a writer that never comes.
TEST(PackFileDisk, APipeIsNotReadAsAPack) {
  testsupport::TempFolder temp;
  ASSERT_EQ(::mkfifo(temp.Host("pack0.pak").c_str(), 0600), 0);
  try {
    PackFile pack(nullptr, temp.Win("pack0.pak"), 0, 0);
    ADD_FAILURE() << "a pipe was mounted";
  } catch (const FileError& error) {
    EXPECT_EQ(error.GetMessage(), "Not a regular file");
  }
}

}  // namespace
}  // namespace CorvantisEngine
