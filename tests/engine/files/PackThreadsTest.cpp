// Reading one pack from several threads at once: a pack too large to be held in memory is read with
// positioned reads, so readers never move each other's position. Built with ThreadSanitizer, this test
// also shows that the reads share no unguarded state.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/files/PackFile.h"
#include "support/TempFolder.h"
#include "tools/pack/PackBuilder.h"

namespace CorvantisEngine {
namespace {

// Bytes that differ from entry to entry and from position to position.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; i += 4) {
    state = state * 1664525u + 1013904223u;
    std::memcpy(&bytes[i], &state, std::min<std::size_t>(4, size - i));
  }
  return bytes;
}

class PackThreadsTest : public ::testing::Test {
 protected:
  PackThreadsTest() : log_("test", 0, 0, "", "") {}

  // A pack above the in-memory limit: two large entries and a few small ones.
  void WriteLargePack(const std::string& relative) {
    entries_ = {{"data\\music\\a.ogg", Pattern(FileBinary::kMemoryLimit / 2 + 4099, 1)},
                {"data\\music\\b.ogg", Pattern(FileBinary::kMemoryLimit / 2 + 7, 2)},
                {"data\\ui\\small.xml", Pattern(300, 3)},
                {"data\\ui\\empty.xml", {}}};
    temp_.Write(relative, packtool::BuildPack(entries_));
    ASSERT_GT(std::filesystem::file_size(temp_.Host(relative)), FileBinary::kMemoryLimit);
  }

  testsupport::TempFolder temp_;
  MessageManager log_;
  std::vector<packtool::PackEntry> entries_;
};

TEST_F(PackThreadsTest, TwoThreadsReadDifferentEntriesOfOneLargePackAtOnce) {
  WriteLargePack("base/packs/large.pak");
  FileManager files(&log_, temp_.Win("base"), "packs", temp_.Win("no-game"));
  ASSERT_EQ(files.GetPackCount(), 1u);

  constexpr int kRounds = 3;
  std::atomic<int> mismatches{0};
  std::atomic<int> failures{0};
  auto reader = [&](std::size_t first) {
    for (int round = 0; round < kRounds; ++round) {
      // Each thread walks the entries from its own start, so the two read different entries at once.
      for (std::size_t k = 0; k < entries_.size(); ++k) {
        const packtool::PackEntry& entry = entries_[(first + k) % entries_.size()];
        try {
          std::unique_ptr<FileBinary> file(files.OpenFile(entry.name, false));
          std::vector<std::uint8_t> got(file->GetSize());
          file->Read(got.data(), file->GetSize());
          if (got != entry.data) {
            ++mismatches;
          }
        } catch (const Error&) {
          ++failures;
        }
      }
    }
  };
  std::thread worker(reader, 0);
  std::thread other(reader, 1);
  worker.join();
  other.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(failures.load(), 0);
}

// The pack's file shrinking after it was mounted is a read error, not a read past the end.
TEST_F(PackThreadsTest, ALargePackCutShortAfterMountingIsAReadError) {
  WriteLargePack("large.pak");
  PackFile pack(&log_, temp_.Win("large.pak"), 0, 0);
  std::filesystem::resize_file(temp_.Host("large.pak"), FileBinary::kMemoryLimit / 2);
  std::vector<std::uint8_t> buffer(entries_[1].data.size());
  try {
    pack.ReadFile("data\\music\\b.ogg", buffer.data());
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(error.GetMessage(), "Failed to read " + std::to_string(buffer.size()) + " bytes from \"" +
                                      temp_.Win("large.pak") + "\" file");
  }
}

}  // namespace
}  // namespace CorvantisEngine
