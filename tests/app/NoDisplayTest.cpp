// The game started where there is no display: with DISPLAY unset, and with DISPLAY naming an X server
// that does not run. It must say so on stderr and end with a failure code at once, before it logs or
// writes anything into the user folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Far more than the check takes; a game that found no display and ran on would hit it.
constexpr auto kBound = std::chrono::seconds(20);

struct Outcome {
  bool ended = false;
  int exitCode = -1;
  std::string err;
};

// Runs the built game with the environment of this process, minus the display variables, plus
// `extra`; its user folders are a fresh temporary folder.
Outcome RunGame(const fs::path& home, const std::vector<std::string>& extra) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    const std::string name = variable.substr(0, variable.find('='));
    if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "SDL_VIDEODRIVER" && name != "HOME" &&
        name != "XDG_DATA_HOME" && name != "XDG_CONFIG_HOME" && name != "XDG_CACHE_HOME") {
      variables.push_back(variable);
    }
  }
  variables.push_back("HOME=" + home.string());
  variables.push_back("XDG_DATA_HOME=" + (home / "data").string());
  variables.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
  variables.push_back("XDG_CACHE_HOME=" + (home / "cache").string());
  variables.insert(variables.end(), extra.begin(), extra.end());
  std::vector<char*> envp;
  for (std::string& variable : variables)
    envp.push_back(variable.data());
  envp.push_back(nullptr);

  int pipeEnds[2];
  Outcome outcome;
  if (pipe2(pipeEnds, O_CLOEXEC) != 0)
    return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = BRINDLEWICK_GAME;
  char* argv[] = {program.data(), nullptr};
  pid_t child = -1;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return outcome;
  }

  const auto deadline = Clock::now() + kBound;
  int status = 0;
  bool open = true;
  while (Clock::now() < deadline) {
    if (open) {
      pollfd readable{pipeEnds[0], POLLIN, 0};
      if (poll(&readable, 1, 50) > 0) {
        char buffer[4096];
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0)
          outcome.err.append(buffer, static_cast<std::size_t>(got));
        else
          open = false;
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(child, &status, WNOHANG) == child) {
      outcome.ended = true;
      break;
    }
  }
  if (!outcome.ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  } else {
    // What is left in the pipe once the game has gone.
    char buffer[4096];
    ssize_t got = 0;
    while (open && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
      outcome.err.append(buffer, static_cast<std::size_t>(got));
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  close(pipeEnds[0]);
  return outcome;
}

// An X display number no server listens on.
std::string DeadDisplay() {
  for (int number = 97; number < 200; ++number) {
    if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) &&
        !fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
      return ":" + std::to_string(number);
  }
  return ":199";
}

TEST(GameStartTest, WithoutADisplayTheGameSaysSoAndEndsAtOnce) {
  struct Row {
    const char* why;
    std::vector<std::string> extra;
  };
  const Row rows[] = {{"DISPLAY unset", {}}, {"DISPLAY names no server", {"DISPLAY=" + DeadDisplay()}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    std::string pattern = (fs::temp_directory_path() / "brindlewick-start-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path home = pattern;
    const auto started = Clock::now();
    const Outcome outcome = RunGame(home, row.extra);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    ASSERT_TRUE(outcome.ended) << "the game still ran after " << seconds << " s; stderr:\n" << outcome.err;
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_NE(outcome.err.find("needs a display"), std::string::npos) << outcome.err;
    // Nothing started, so nothing was written for the player.
    EXPECT_FALSE(fs::exists(home / "data")) << "the user folder was made";
    fs::remove_all(home);
  }
}

}  // namespace
