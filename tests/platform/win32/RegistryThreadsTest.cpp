#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinThreads.h"

namespace {

namespace fs = std::filesystem;

// Points both registry roots at fresh temporary folders for one test.
class RegistryFiles : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("registry-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    Keep("XDG_CONFIG_DIRS");
    Keep("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_DIRS", ((root_ / "machine").string() + ":/nonexistent").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "user").string().c_str(), 1);
  }
  void TearDown() override {
    for (auto& [name, value] : kept_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    fs::remove_all(root_);
  }
  void Write(const char* which, const std::string& text) {
    fs::create_directories(root_ / which / "corvantis");
    std::ofstream(root_ / which / "corvantis" / "registry.ini") << text;
  }
  void Keep(const char* name) {
    const char* value = std::getenv(name);
    kept_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }

  fs::path root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> kept_;
};

TEST_F(RegistryFiles, ReadsStringsAndNumbersOfTheRightRoot) {
  Write("machine",
        "; installed by the package\n"
        "[SOFTWARE\\Pellucan Games\\Brindlewick]\n"
        "InstallPath = /opt/brindlewick \n"
        "Players=dword:0000000a\n"
        "Broken=dword:zz\n");
  EXPECT_EQ(platform::MachineRegistryPath(), (root_ / "machine/corvantis/registry.ini").string());

  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software/pellucan games\\BRINDLEWICK\\", &key), ERROR_SUCCESS)
      << "paths compare without case, either separator";
  char buffer[64];
  DWORD type = 0, size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "installpath", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_STREQ(buffer, "/opt/brindlewick");
  EXPECT_EQ(size, 17u) << "the size counts the terminator";

  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "InstallPath", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 17u);

  DWORD players = 0;
  size = sizeof players;
  ASSERT_EQ(RegQueryValueExA(key, "Players", nullptr, &type, reinterpret_cast<LPBYTE>(&players), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(players, 10u);
  EXPECT_EQ(RegQueryValueExA(key, "Broken", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
  EXPECT_EQ(RegQueryValueExA(key, "Players", nullptr, &type, nullptr, &size), ERROR_INVALID_HANDLE);

  // The same key is absent per user (no file) and in the roots without a file.
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Pellucan Games\\Brindlewick", &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(HKEY_USERS, "SOFTWARE", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFiles, KeysOpenByParentAndSubKey) {
  Write("user", "[SOFTWARE\\Maker\\Game]\n@=default\nName=x\n");
  HKEY software, game;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE", &software), ERROR_SUCCESS) << "a key above a section";
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFT", &game), ERROR_FILE_NOT_FOUND) << "not a whole key name";
  ASSERT_EQ(RegOpenKeyA(software, "maker\\game", &game), ERROR_SUCCESS);
  char buffer[16];
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(game, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "default");
  RegCloseKey(game);
  RegCloseKey(software);
}

DWORD Count(LPVOID parameter) {
  auto* counter = static_cast<std::atomic<int>*>(parameter);
  for (int i = 0; i < 1000; ++i)
    ++*counter;
  return 42;
}

DWORD WaitForFlag(LPVOID parameter) {
  auto* flag = static_cast<std::atomic<bool>*>(parameter);
  while (!*flag)
    std::this_thread::yield();
  return 7;
}

TEST(Threads, RunWaitAndExitCode) {
  std::atomic<int> counter{0};
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, Count, &counter, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(counter, 1000);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "an ended thread stays signalled";
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
}

TEST(Threads, TimeOutSuspendAndCloseWhileRunning) {
  // Static: the thread outlives this test's frame once its handle is closed.
  static std::atomic<bool> flag;
  flag = false;
  HANDLE thread = CreateThread(nullptr, 0, WaitForFlag, &flag, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_TRUE(CloseHandle(thread)) << "closing a running thread lets it run on";
  flag = true;
}

// A program that never closes its thread handles (one thread ended, one still running) still ends normally.
TEST(ThreadsDeathTest, HandlesLeftOpenAtExit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static std::atomic<int> counter{0};
        static std::atomic<bool> never{false};
        WaitForSingleObject(CreateThread(nullptr, 0, Count, &counter, 0, nullptr), INFINITE);
        CreateThread(nullptr, 0, WaitForFlag, &never, 0, nullptr);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
