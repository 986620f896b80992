// The tools' write-then-rename: the output appears whole or not at all, under its own permissions, and
// no temporary file stays behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "tools/common/ByteWriter.h"

namespace {

std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WholeFile, ReplacesTheOutputAndLeavesNothingElse) {
  testsupport::TempFolder temp;
  const std::string path = temp.Host("out.bin").string();
  temp.Write("out.bin", std::string("old content"));
  // A temporary name left behind by a crashed run of this process's identifier is not reused.
  const std::string stale = "out.bin.partial-" + std::to_string(::getpid()) + "-0";
  temp.Write(stale, std::string("stale"));

  const std::vector<std::uint8_t> bytes = {1, 2, 3, 0, 255};
  ASSERT_TRUE(tools::WriteWholeFile(bytes, path));
  EXPECT_EQ(temp.Read("out.bin"), std::string("\x01\x02\x03\x00\xFF", 5));
  EXPECT_EQ(temp.Read(stale), "stale");
  EXPECT_EQ(Names(temp.Root()), (std::vector<std::string>{"out.bin", stale}));

  // Permissions follow the process's mask, as a plain fopen would give them.
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(WholeFile, AFailedWriteLeavesTheOldOutput) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp.Host("out.bin"));  // a folder cannot be replaced by a file
  EXPECT_FALSE(tools::WriteWholeFile({1, 2, 3}, temp.Host("out.bin").string()));
  EXPECT_TRUE(std::filesystem::is_directory(temp.Host("out.bin")));
  EXPECT_EQ(Names(temp.Root()), (std::vector<std::string>{"out.bin"})) << "the temporary file is gone";
  EXPECT_FALSE(tools::WriteWholeFile({1}, temp.Host("missing/out.bin").string()));
}

}  // namespace
