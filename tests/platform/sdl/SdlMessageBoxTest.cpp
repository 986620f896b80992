// The error box on a real display leaves no process behind: a program showing it ends, box and all,
// when it is asked to stop (SIGTERM) or killed outright (SIGKILL).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/WinDialog.h"

namespace {

using namespace std::chrono_literals;

std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  std::vector<pid_t> children;
  pid_t child;
  while (file >> child)
    children.push_back(child);
  return children;
}

// The process group of a process, 0 when it is gone.
pid_t GroupOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(file, line);
  // pid (name) state ppid pgrp ...: the name may hold spaces, so fields count from its closing bracket.
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos)
    return 0;
  std::istringstream fields(line.substr(close + 1));
  std::string state;
  pid_t parent = 0;
  pid_t group = 0;
  fields >> state >> parent >> group;
  return group;
}

// Waits until `done` holds, at most `limit`.
template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// Reaps every process that ended below this one (the test adopts orphans); true once none is left.
bool ReapAll(std::chrono::milliseconds limit) {
  return WaitFor(
      [] {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
      },
      limit);
}

class SdlMessageBoxTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    // Orphans come to this process, so the box's processes can be watched after the program is gone.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  }
  void TearDown() override {
    if (boxGroup_ > 0)
      ::kill(-boxGroup_, SIGKILL);
    if (program_ > 0)
      ::kill(program_, SIGKILL);
    ReapAll(5s);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  }

  pid_t program_ = 0;
  pid_t boxGroup_ = 0;
};

TEST_P(SdlMessageBoxTest, SignalToTheProgramEndsItAndItsBox) {
  const int signal = GetParam();
  program_ = ::fork();
  ASSERT_GE(program_, 0);
  if (program_ == 0) {
    MessageBoxA(nullptr, "The game's data is missing", "Fatal Error", MB_ICONERROR);
    ::_exit(0);
  }
  // The box runs in a child of the program that leads a process group of its own (SDL may start other
  // children of its own).
  ASSERT_TRUE(WaitFor(
      [&] {
        for (pid_t child : ChildrenOf(program_)) {
          if (GroupOf(child) == child)
            boxGroup_ = child;
        }
        return boxGroup_ != 0;
      },
      30s))
      << "no box came up";
  // A box that could not be shown would have ended by now.
  std::this_thread::sleep_for(1s);
  ASSERT_EQ(::kill(-boxGroup_, 0), 0) << "the box could not be shown";

  ASSERT_EQ(::kill(program_, signal), 0);
  int status = 0;
  ASSERT_TRUE(WaitFor([&] { return ::waitpid(program_, &status, WNOHANG) == program_; }, 10s))
      << "the program outlived the signal";
  program_ = 0;
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), signal);
  EXPECT_TRUE(ReapAll(10s)) << "a process of the box outlived the program";
  EXPECT_TRUE(WaitFor([&] { return ::kill(-boxGroup_, 0) != 0; }, 5s));
  boxGroup_ = 0;
}

INSTANTIATE_TEST_SUITE_P(StopAndKill, SdlMessageBoxTest, testing::Values(SIGTERM, SIGKILL),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM ? "Term" : "Kill");
                         });

}  // namespace
