#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  }
  return bytes;
}

std::unique_ptr<FileBinary> Memory(const std::vector<std::uint8_t>& bytes) {
  return std::make_unique<FileBinary>(nullptr, "mem", false, false, true,
                                      static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const FileError& error) {
    return error.GetMessage();
  }
  return "(no FileError)";
}

struct SeekRow {
  std::uint32_t size;
  std::uint32_t start;
  std::uint32_t origin;
  std::int32_t offset;
  std::uint32_t position;
  bool exact;
  const char* why;
};

const SeekRow kSeekRows[] = {
    {100, 0, 0, 99, 99, true, "last byte from the start"},
    {100, 0, 0, 100, 99, false, "one past the end clamps"},
    {100, 50, 0, -1, 0, false, "negative from the start clamps to 0"},
    {100, 0, 1, 0, 99, false, "end itself clamps to the last byte"},
    {100, 0, 1, 1, 99, true, "one before the end"},
    {100, 0, 1, 100, 0, true, "start from the end"},
    {100, 0, 1, 101, 0, false, "before the start from the end"},
    {100, 0, 1, -5, 99, false, "beyond the end from the end"},
    {100, 10, 2, 5, 15, true, "forward from current"},
    {100, 10, 2, -11, 0, false, "backward past the start"},
    {100, 10, 2, 0x7FFFFFFF, 99, false, "huge forward offset does not wrap"},
    {0, 0, 0, 0, 0, true, "empty file: 0 is exact"},
    {0, 0, 0, 5, 0, false, "empty file clamps to 0"},
    {0, 0, 1, 0, 0, true, "empty file from the end lands on 0"},
    {0, 0, 2, -3, 0, false, "empty file backwards"},
};

TEST(FileBinarySeek, Table) {
  for (const SeekRow& row : kSeekRows) {
    const auto bytes = Counting(row.size);
    auto memory = Memory(bytes);
    memory->Seek(0, static_cast<std::int32_t>(row.start));
    EXPECT_EQ(memory->Seek(row.origin, row.offset), row.exact) << row.why;
    EXPECT_EQ(memory->GetPosition(), row.position) << row.why;
  }
}

// A file above the memory limit stays on disk; every seek must leave the handle where the tracked
// position is, so the next read returns the bytes at that position.
TEST(FileBinarySeek, OnDemandFileReadsFollowTheClampedPosition) {
  testsupport::TempFolder temp;
  const std::uint32_t size = FileBinary::kMemoryLimit + 4096;
  const auto bytes = Counting(size);
  temp.Write("big.bin", bytes);
  FileBinary file(nullptr, temp.Win("big.bin"), false, false, false, 0, nullptr);
  ASSERT_TRUE(file.HasOpenHandle());
  ASSERT_FALSE(file.IsInMemory());
  ASSERT_EQ(file.GetSize(), size);

  struct Step {
    std::uint32_t origin;
    std::int32_t offset;
  };
  const Step steps[] = {{0, 5000000},
                        {2, -100},
                        {1, 10},
                        {1, 0},
                        {0, static_cast<std::int32_t>(size) + 50},
                        {2, -3000000},
                        {1, static_cast<std::int32_t>(size) + 1},
                        {2, 1234567}};
  for (const Step& step : steps) {
    file.Seek(step.origin, step.offset);
    const std::uint32_t at = file.GetPosition();
    std::uint8_t got[16] = {};
    std::uint32_t count = 0;
    file.Read(got, 16, &count);
    ASSERT_EQ(count, std::min<std::uint32_t>(16, size - at));
    for (std::uint32_t i = 0; i < count; ++i) {
      ASSERT_EQ(got[i], bytes[at + i]) << "origin " << step.origin << " offset " << step.offset;
    }
  }

  FileBinary preloaded(nullptr, temp.Win("big.bin"), false, true, false, 0, nullptr);
  EXPECT_TRUE(preloaded.IsInMemory());
  EXPECT_FALSE(preloaded.HasOpenHandle());
}

TEST(FileBinaryRead, ShortReadsDeliverWhatThereIs) {
  const auto bytes = Counting(100);
  auto file = Memory(bytes);
  file->Seek(0, 95);
  std::uint8_t got[10] = {};
  std::uint32_t count = 99;
  file->Read(got, 10, &count);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(got[4], bytes[99]);
  EXPECT_EQ(file->GetPosition(), 100u);

  file->Seek(0, 95);
  EXPECT_EQ(ErrorText([&] { file->Read(got, 10); }), "Failed to read 10 bytes from \"mem\" file");
  EXPECT_EQ(file->GetPosition(), 100u);
  file->Read(got, 0);  // nothing asked, nothing thrown
  file->Read(got, 0, &count);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(ErrorText([&] { file->Read(got, 0xFFFFFFFFu); }),
            "Failed to read 4294967295 bytes from \"mem\" file");

  auto empty = Memory({});
  EXPECT_EQ(ErrorText([&] {
              std::uint8_t b;
              empty->ReadByte(b);
            }),
            "Failed to read 1 bytes from \"mem\" file");
  count = 7;
  empty->Read(got, 4, &count);
  EXPECT_EQ(count, 0u);
}

TEST(FileBinaryLayout, TypedValuesAreLittleEndianAndRoundTrip) {
  testsupport::TempFolder temp;
  {
    FileBinary out(nullptr, temp.Win("typed.bin"), true, false, false, 0, nullptr);
    out.WriteByte(0xAB);
    out.WriteUInt(0x01020304u);
    out.WriteInt(-2);
    out.WriteFloat(1.5f);
    out.WriteUIntVector({7, 0xFFFFFFFFu});
    out.WriteUIntVector({});
    out.WriteWString(L"abc");
    out.WriteWString(L"");
    out.Close();
    EXPECT_EQ(out.GetSize(), 1u + 4 + 4 + 4 + 12 + 4 + 9 + 3);
  }
  const std::string bytes = temp.Read("typed.bin");
  const std::string expected(
      "\xAB"
      "\x04\x03\x02\x01"
      "\xFE\xFF\xFF\xFF"
      "\x00\x00\xC0\x3F"
      "\x02\x00\x00\x00\x07\x00\x00\x00\xFF\xFF\xFF\xFF"
      "\x00\x00\x00\x00"
      "\x04\x61\x00\x62\x00\x63\x00\x00\x00"
      "\x01\x00\x00",
      41);
  EXPECT_EQ(bytes, expected);

  FileBinary in(nullptr, temp.Win("typed.bin"), false, false, false, 0, nullptr);
  std::uint8_t b;
  std::uint32_t u;
  std::int32_t i;
  float f;
  std::vector<std::uint32_t> list{9, 9, 9};
  std::wstring w;
  in.ReadByte(b);
  in.ReadUInt(u);
  in.ReadInt(i);
  in.ReadFloat(f);
  EXPECT_EQ(b, 0xAB);
  EXPECT_EQ(u, 0x01020304u);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(f, 1.5f);
  in.ReadUIntVector(list);
  EXPECT_EQ(list, (std::vector<std::uint32_t>{7, 0xFFFFFFFFu}));
  in.ReadUIntVector(list);
  EXPECT_TRUE(list.empty());
  in.ReadWString(w);
  EXPECT_EQ(w, L"abc");
  in.ReadWString(w);
  EXPECT_EQ(w, L"");
}

TEST(FileBinaryLayout, StringsStopAtTheirFirstZero) {
  auto file = Memory({5, 'a', 'b', 0, 'c', 'd', 3, 'x', 'y', 'z', 3, 'q', 0, 0, 0, 'r', 0});
  std::string s;
  file->ReadString(s);
  EXPECT_EQ(s, "ab");
  file->ReadString(s);
  EXPECT_EQ(s, "xyz") << "no terminator: all n bytes";
  std::wstring w;
  file->ReadWString(w);
  EXPECT_EQ(w, L"q");
}

TEST(FileBinaryLayout, LongWideStringsAreCutToStayReadable) {
  testsupport::TempFolder temp;
  MessageManager log("test", 0, 0, "", "");
  const std::wstring longText(300, L'x');
  {
    FileBinary out(&log, temp.Win("w.bin"), true, false, false, 0, nullptr);
    out.WriteWString(longText);
    out.WriteWString(std::wstring(254, L'y'));
    out.WriteByte(0x5A);
  }
  ASSERT_EQ(log.GetRecordCount(), 1);
  EXPECT_EQ(log.GetRecord(0).type, LogRecord::kWarning);
  FileBinary in(nullptr, temp.Win("w.bin"), false, false, false, 0, nullptr);
  std::wstring w;
  in.ReadWString(w);
  EXPECT_EQ(w, std::wstring(254, L'x'));
  in.ReadWString(w);
  EXPECT_EQ(w, std::wstring(254, L'y'));
  std::uint8_t tail = 0;
  in.ReadByte(tail);
  EXPECT_EQ(tail, 0x5A) << "what follows the strings is still in step";
}

// Counts read from a file are checked against what remains before anything is allocated.
TEST(FileBinaryLayout, HostileCountsAreFileErrors) {
  struct Row {
    std::vector<std::uint8_t> bytes;
    const char* message;
  };
  const Row rows[] = {
      {{0xFF, 0xFF, 0xFF, 0xFF}, "Failed to read 17179869180 bytes from \"mem\" file"},
      {{0x00, 0x00, 0x00, 0x40, 1, 2, 3, 4}, "Failed to read 4294967296 bytes from \"mem\" file"},
      {{0x02, 0x00, 0x00, 0x00, 1, 2, 3, 4}, "Failed to read 8 bytes from \"mem\" file"},
      {{0x02, 0x00}, "Failed to read 4 bytes from \"mem\" file"},
  };
  for (const Row& row : rows) {
    auto file = Memory(row.bytes);
    std::vector<std::uint32_t> list{1};
    EXPECT_EQ(ErrorText([&] { file->ReadUIntVector(list); }), row.message);
  }
  auto truncated = Memory({10, 'a', 0});
  std::wstring w;
  EXPECT_EQ(ErrorText([&] { truncated->ReadWString(w); }), "Failed to read 20 bytes from \"mem\" file");
}

TEST(FileBinaryOpen, FailuresNameThePathAsGiven) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp.Host("folder"));
  const std::string missing = temp.Win("missing.bin");
  EXPECT_EQ(ErrorText([&] { FileBinary(nullptr, missing, false, false, false, 0, nullptr); }),
            "Failed to open \"" + missing + "\" file");
  const std::string folder = temp.Win("folder");
  EXPECT_EQ(ErrorText([&] { FileBinary(nullptr, folder, false, false, false, 0, nullptr); }),
            "Failed to open \"" + folder + "\" file")
      << "a folder is not a file";
  EXPECT_EQ(ErrorText([&] { FileBinary(nullptr, folder, true, false, false, 0, nullptr); }),
            "Failed to open \"" + folder + "\" file");
  EXPECT_EQ(
      ErrorText([&] { FileBinary(nullptr, temp.Win("no\\such\\dir.bin"), true, false, false, 0, nullptr); }),
      "Failed to open \"" + temp.Win("no\\such\\dir.bin") + "\" file");
}

TEST(FileBinaryWrite, ReadFilesRefuseWritesAndWritesTrackTheSize) {
  testsupport::TempFolder temp;
  temp.Write("r.bin", std::string("abc"));
  FileBinary in(nullptr, temp.Win("r.bin"), false, false, false, 0, nullptr);
  std::uint32_t written = 9;
  in.Write("x", 1, &written);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(ErrorText([&] { in.Write("x", 1); }),
            "Failed to write 1 bytes from \"" + temp.Win("r.bin") + "\" file");

  FileBinary out(nullptr, temp.Win("w.bin"), true, false, false, 0, nullptr);
  out.Write("hello", 5);
  EXPECT_TRUE(out.Seek(0, 1));
  out.Write("E", 1);
  EXPECT_EQ(out.GetSize(), 5u);
  EXPECT_EQ(out.GetPosition(), 2u);
  EXPECT_TRUE(out.Seek(1, 0)) << "the end is where a written file goes on";
  out.Write("!", 1);
  EXPECT_FALSE(out.Seek(0, 9));
  EXPECT_EQ(out.GetPosition(), 6u);
  out.Close();
  out.Close();  // a second close is harmless
  EXPECT_EQ(temp.Read("w.bin"), "hEllo!");
}

TEST(FileBinaryWrite, FailedFlushIsReportedByCloseAndOnlyLoggedByTheDestructor) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "needs /dev/full";
  }
  MessageManager log("test", 0, 0, "", "");
  {
    FileBinary out(&log, "/dev/full", true, false, false, 0, nullptr);
    out.Write("abc", 3);  // buffered by the C library
    EXPECT_EQ(ErrorText([&] { out.Close(); }), "Failed to write 3 bytes from \"/dev/full\" file");
  }
  EXPECT_EQ(log.GetRecordCount(), 0);
  {
    FileBinary out(&log, "/dev/full", true, false, false, 0, nullptr);
    out.Write("abc", 3);
  }  // no exception leaves the destructor
  ASSERT_EQ(log.GetRecordCount(), 1);
  EXPECT_EQ(log.GetRecord(0).type, LogRecord::kError);
}

// Flush reports a refused write at once, before Close, and does nothing for files that are not written.
TEST(FileBinaryWrite, FlushReportsWhatTheDiskRefused) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "needs /dev/full";
  }
  FileBinary out(nullptr, "/dev/full", true, false, false, 0, nullptr);
  out.Write("abc", 3);
  EXPECT_EQ(ErrorText([&] { out.Flush(false); }), "Failed to write 3 bytes from \"/dev/full\" file");
  const std::string bytes = "xyz";
  FileBinary in(nullptr, "memory", false, false, true, 3, bytes.data());
  in.Flush(true);

  testsupport::TempFolder temp;
  FileBinary file(nullptr, temp.Win("synced.bin"), true, false, false, 0, nullptr);
  file.Write("abc", 3);
  file.Flush(true);
  EXPECT_EQ(temp.Read("synced.bin"), "abc") << "on the disk before the file is closed";
}

}  // namespace
}  // namespace CorvantisEngine
