#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "support/TempFolder.h"
#include "tools/game/VersionedFile.h"

namespace GameTools {
namespace {

using CorvantisEngine::FileError;

std::string Header(std::uint32_t length, const std::string& magic, std::uint32_t version) {
  std::string bytes;
  for (const std::uint32_t value : {length}) {
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<char>(value >> shift));
    }
  }
  bytes += magic;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<char>(version >> shift));
  }
  return bytes;
}

class VersionedFileTest : public ::testing::Test {
 protected:
  VersionedFileTest() : files_(nullptr, temp_.Win(), "", "") {}

  // Writes a profile-like file with the given body through a VersionedFile.
  void WriteFile(const std::string& name, const std::string& body) {
    VersionedFile file(&files_, "PZPRF", 105);
    file.Open(name, VersionedFile::kWrite);
    file.GetStream()->Write(body.data(), static_cast<std::uint32_t>(body.size()));
    file.Close();
  }

  // The error text of opening `name` for reading, or "" when it opens.
  std::string ReadError(const std::string& name, const std::string& magic = "PZPRF",
                        std::uint32_t version = 105) {
    VersionedFile file(&files_, magic, version);
    try {
      file.Open(name, VersionedFile::kRead);
    } catch (const FileError& error) {
      return error.GetMessage();
    }
    return "";
  }

  testsupport::TempFolder temp_;
  CorvantisEngine::FileManager files_;
};

TEST_F(VersionedFileTest, WrittenFileReadsBack) {
  WriteFile("profiles\\p.prf", "body!");
  const std::string bytes = temp_.Read("profiles/p.prf");
  EXPECT_EQ(bytes, Header(18, "PZPRF", 105) + "body!");
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("profiles/p.prf.tmp"))) << "the temporary file is renamed";

  VersionedFile file(&files_, "PZPRF", 105);
  file.Open("profiles\\p.prf", VersionedFile::kRead);
  ASSERT_NE(file.GetStream(), nullptr);
  EXPECT_EQ(file.GetStream()->GetPosition(), VersionedFile::kHeaderSize);
  std::string body(5, '\0');
  file.GetStream()->Read(body.data(), 5);
  EXPECT_EQ(body, "body!");
  file.Close();
  EXPECT_EQ(file.GetStream(), nullptr);
  file.Close();  // closing a closed file does nothing

  WriteFile("empty.prf", "");
  EXPECT_EQ(temp_.Read("empty.prf"), Header(13, "PZPRF", 105)) << "a header alone";
  EXPECT_EQ(ReadError("empty.prf"), "");
}

TEST_F(VersionedFileTest, RejectionTable) {
  const std::string good = Header(16, "PZPRF", 105) + "abc";
  struct Row {
    std::string bytes;
    std::string error;
    const char* why;
  };
  const std::string format = "Incorrect \"f.prf\" file format";
  const Row rows[] = {
      {good, "", "the reference"},
      {good.substr(0, 15), format, "cut short by one byte"},
      {good + "x", format, "grown by one byte"},
      {Header(16, "PZPRX", 105) + "abc", format, "wrong magic"},
      {Header(16, "pzprf", 105) + "abc", format, "magic compared exactly"},
      {Header(16, "PZPRF", 104) + "abc", "Incorrect \"f.prf\" format version (104), current is 105",
       "another version"},
      {good.substr(0, 12), "Failed to read 13 bytes from \"" + temp_.Win("f.prf") + "\" file",
       "shorter than a header: the stream's own error"},
      {"", "Failed to read 13 bytes from \"" + temp_.Win("f.prf") + "\" file", "empty"},
  };
  for (const Row& row : rows) {
    temp_.Write("f.prf", row.bytes);
    EXPECT_EQ(ReadError("f.prf"), row.error) << row.why;
  }
  EXPECT_NE(ReadError("missing.prf").find("missing.prf"), std::string::npos) << "opening faults pass through";
}

TEST_F(VersionedFileTest, SkippingTheVersionHandsItBack) {
  temp_.Write("old.hsf", Header(13, "GFHSF", 100));
  VersionedFile file(&files_, "GFHSF", 101);
  std::uint32_t stored = 0;
  file.Open("old.hsf", VersionedFile::kRead, true, &stored);
  EXPECT_EQ(stored, 100u);
  file.Open("old.hsf", VersionedFile::kRead, true, nullptr);  // no out-value needed
  EXPECT_THROW(file.Open("old.hsf", VersionedFile::kRead), FileError);
}

TEST_F(VersionedFileTest, ShortMagicIsPaddedWithZeros) {
  VersionedFile file(&files_, "AB", 1);
  file.Open("short.bin", VersionedFile::kWrite);
  file.Close();
  EXPECT_EQ(temp_.Read("short.bin"), Header(13, std::string("AB\0\0\0", 5), 1));
}

TEST_F(VersionedFileTest, OpeningAgainFinishesTheFileBeingWritten) {
  VersionedFile file(&files_, "QLPMF", 100);
  file.Open("first.pmf", VersionedFile::kWrite);
  file.GetStream()->WriteUInt(7);
  file.Open("second.pmf", VersionedFile::kWrite);
  EXPECT_EQ(temp_.Read("first.pmf"), Header(17, "QLPMF", 100) + std::string("\x07\0\0\0", 4));
  file.GetStream()->WriteUInt(8);
  // The destructor finishes the second one.
}

TEST_F(VersionedFileTest, PatchedBodyStillMatchesItsLength) {
  VersionedFile file(&files_, "PZPRF", 105);
  file.Open("patched.prf", VersionedFile::kWrite);
  file.GetStream()->WriteUInt(0);
  file.GetStream()->WriteUInt(2);
  file.GetStream()->Seek(CorvantisEngine::FileBinary::kFromStart, 13);
  file.GetStream()->WriteUInt(1);  // a count filled in afterwards
  file.Close();
  EXPECT_EQ(ReadError("patched.prf"), "");
}

// A body that the disk refuses part-way: the save is abandoned and the old file is untouched.
TEST_F(VersionedFileTest, FailedWriteKeepsTheOldFile) {
  WriteFile("p.prf", "old body");
  const std::string old = temp_.Read("p.prf");
  std::filesystem::create_symlink("/dev/full", temp_.Host("p.prf.tmp"));
  try {
    VersionedFile file(&files_, "PZPRF", 105);
    file.Open("p.prf", VersionedFile::kWrite);
    const std::string big(1 << 16, 'x');
    file.GetStream()->Write(big.data(), static_cast<std::uint32_t>(big.size()));
    file.Close();
    ADD_FAILURE() << "the full disk went unnoticed";
  } catch (const FileError&) {
  }
  EXPECT_EQ(temp_.Read("p.prf"), old);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temp_.Host("p.prf.tmp"))));

  // A small body fails only when the final header is flushed, inside Close.
  std::filesystem::create_symlink("/dev/full", temp_.Host("p.prf.tmp"));
  VersionedFile file(&files_, "PZPRF", 105);
  file.Open("p.prf", VersionedFile::kWrite);
  file.GetStream()->WriteUInt(1);
  EXPECT_THROW(file.Close(), FileError);
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(temp_.Read("p.prf"), old);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temp_.Host("p.prf.tmp"))));
}

TEST_F(VersionedFileTest, AbandonedWritesLeaveNoTrace) {
  WriteFile("p.prf", "old body");
  const std::string old = temp_.Read("p.prf");
  try {
    VersionedFile file(&files_, "PZPRF", 105);
    file.Open("p.prf", VersionedFile::kWrite);
    file.GetStream()->WriteUInt(5);
    throw FileError("the body could not be made");
  } catch (const FileError&) {
  }
  EXPECT_EQ(temp_.Read("p.prf"), old) << "a writer destroyed by an exception does not replace the file";

  VersionedFile file(&files_, "PZPRF", 105);
  file.Open("p.prf", VersionedFile::kWrite);
  file.Discard();
  EXPECT_EQ(temp_.Read("p.prf"), old);
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("p.prf.tmp")));

  std::filesystem::create_directory(temp_.Host("folder.prf"));
  file.Open("folder.prf", VersionedFile::kWrite);
  EXPECT_THROW(file.Close(), FileError) << "the rename over a folder fails";
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("folder.prf.tmp")));
}

}  // namespace
}  // namespace GameTools
