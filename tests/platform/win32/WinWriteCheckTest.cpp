// Why a folder takes no files: a folder that takes them has no reason, one that is missing is made, a
// file in the path is named, and a refused write gives the system's reason in plain words. (A read-only
// folder cannot be shown to the root user the tests may run as.)
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/WinFiles.h"
#include "platform/win32/WinWriteCheck.h"

namespace fs = std::filesystem;

namespace {

class WinWriteCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "writecheck-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Win(const std::string& relative) const {
    return platform::win32::ToWindowsPath(root_.string()) + "\\" + relative;
  }

  fs::path root_;
};

TEST_F(WinWriteCheckTest, AWritableFolderHasNoProblemAndKeepsNoTestFile) {
  EXPECT_EQ(platform::win32::FindWriteProblem(Win("save\\profiles")), "");
  EXPECT_TRUE(fs::is_directory(root_ / "save" / "profiles"));
  EXPECT_TRUE(fs::is_empty(root_ / "save" / "profiles"));
}

TEST_F(WinWriteCheckTest, AFileInThePathIsNamed) {
  std::ofstream(root_ / "save") << "a file";
  const std::string expected = "\"" + (root_ / "save").string() + "\" is a file, not a folder";
  EXPECT_EQ(platform::win32::FindWriteProblem(Win("save")), expected);
  EXPECT_EQ(platform::win32::FindWriteProblem(Win("save\\profiles")), expected);
}

TEST_F(WinWriteCheckTest, ARefusedWriteGivesItsReason) {
  // No file may grow past 100 bytes: the test block cannot be written.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old;
  limit.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const std::string reason = platform::win32::FindWriteProblem(Win("save"));
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, handler);
  EXPECT_EQ(reason, "file too large");
  EXPECT_TRUE(fs::is_empty(root_ / "save"));
}

}  // namespace
