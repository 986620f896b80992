#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinSystem.h"
#include "tests/support/TempFolder.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class MessageManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC0", 1);
    tzset();
    folder_ = temp_.Root() / "log";
  }

  // The head reads the epoch, the footer a billion seconds later.
  static MessageManager::Clock SteppingClock() {
    auto calls = std::make_shared<int>(0);
    return [calls] { return (*calls)++ == 0 ? std::time_t{0} : std::time_t{1000000000}; };
  }

  testsupport::TempFolder temp_;
  fs::path folder_;
};

constexpr const char* kHead =
    "<HTML><HEAD><TITLE>Game Log</TITLE></HEAD><BODY bgcolor=\"#000000\"><FONT color=\"#FFFFFF\">"
    "<FONT color=\"#FFFFFF\">======== </FONT>"
    "<FONT color=\"#00FF00\">Game Log: Thu Jan  1 00:00:00 1970</FONT>"
    "<FONT color=\"#FFFFFF\"> ========<BR><BR></FONT>";
constexpr const char* kEntries =
    "a<BR>b<BR>"
    "<FONT color=\"#7F7F7F\"><BR>Warning: x!<BR><BR></FONT>"
    "<FONT color=\"#FF0000\"><BR>Error: e!<BR><BR></FONT>";
constexpr const char* kFooter =
    "<FONT color=\"#FFFFFF\"><BR>======== </FONT>"
    "<FONT color=\"#00FF00\">Game Log end: Sun Sep  9 01:46:40 2001</FONT>"
    "<FONT color=\"#FFFFFF\"> ========<BR></FONT></FONT></BODY></HTML>";

TEST_F(MessageManagerTest, WritesTheWholeLogByteForByteWithOrWithoutReopening) {
  for (std::uint8_t reopen : {0, 1}) {
    SCOPED_TRACE(reopen ? "reopen after every write" : "file kept open");
    const fs::path file = folder_ / "nested" / "deeper" / "run.html";
    {
      // The folder chain does not exist yet: the log must create it.
      MessageManager log("Game", 1, reopen, (folder_ / "nested" / "deeper").string(), "run", SteppingClock());
      EXPECT_EQ(log.GetHostPath(), file.string());
      EXPECT_EQ(ReadFile(file), kHead);
      log.Message("a\nb");
      log.Warning("x");
      log.Error("e");
      // Entries reach the disk while the log is alive (a crash must not lose them).
      EXPECT_EQ(ReadFile(file), std::string(kHead) + kEntries);
    }
    EXPECT_EQ(ReadFile(file), std::string(kHead) + kEntries + kFooter);
    fs::remove_all(folder_);
  }
}

TEST_F(MessageManagerTest, AbortLogsInRedAndThrowsTheBareText) {
  const fs::path file = folder_ / "Game.html";
  MessageManager log("Game", 1, 0, folder_.string(), "", SteppingClock());
  try {
    log.Abort("x");
    FAIL() << "Abort returned";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "x");
  }
  EXPECT_EQ(ReadFile(file), std::string(kHead) + "<FONT color=\"#FF0000\">PROGRAM ABORTING: x<BR></FONT>");
  ASSERT_EQ(log.GetRecordCount(), 1);
  EXPECT_EQ(log.GetRecord(0).type, LogRecord::kAbort);
  EXPECT_EQ(log.GetRecord(0).text, "PROGRAM ABORTING: x\n");
}

TEST_F(MessageManagerTest, FatalErrorIsCaughtAsError) {
  MessageManager log("Game", 0, 0, "", "");
  EXPECT_THROW(log.Abort("stop"), Error);
  FileError fileError("missing.dat");
  Error copy = fileError;
  EXPECT_EQ(copy.GetMessage(), "missing.dat");
}

TEST_F(MessageManagerTest, ResolvesTheLogPath) {
  const std::string exe = platform::ExecutablePath();
  ASSERT_FALSE(exe.empty());
  const std::string exeFolder = fs::path(exe).parent_path().string();
  const std::string unique = "brindlewick_log_" + std::to_string(::getpid());
  const std::string folder = folder_.string();
  struct Case {
    std::string folder;
    std::string logName;
    std::string path;  // as the engine names it
    std::string host;  // where it lands
    const char* why;
  };
  const Case cases[] = {
      {folder, "", folder + "\\Game.html", folder + "/Game.html", "empty log name falls back to the title"},
      {folder + "/", "run", folder + "/\\run.html", folder + "/run.html", "a doubled separator collapses"},
      {platform::win32::ToWindowsPath(folder) + "\\sub", "run",
       platform::win32::ToWindowsPath(folder) + "\\sub\\run.html", folder + "/sub/run.html",
       "a drive form is absolute"},
      {"", "run_" + unique, exeFolder + "\\run_" + unique + ".html", exeFolder + "/run_" + unique + ".html",
       "empty folder is the executable's"},
      {unique + "\\logs", "run", exeFolder + "\\" + unique + "\\logs\\run.html",
       exeFolder + "/" + unique + "/logs/run.html", "a relative folder lands under the executable's folder"},
      {"\\" + unique + "\\logs", "run", exeFolder + "\\\\" + unique + "\\logs\\run.html",
       exeFolder + "/" + unique + "/logs/run.html", "a leading backslash is not the root of the disk"},
      {"L", "run_" + unique, exeFolder + "\\L\\run_" + unique + ".html",
       exeFolder + "/L/run_" + unique + ".html", "one character is relative"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    {
      MessageManager log("Game", 1, 0, c.folder, c.logName);
      EXPECT_EQ(log.GetPath(), c.path);
      EXPECT_EQ(log.GetHostPath(), c.host);
      EXPECT_TRUE(fs::exists(c.host));
    }
    fs::remove(c.host);
  }
  fs::remove_all(exeFolder + "/" + unique);
  fs::remove(exeFolder + "/L");  // only if it became empty
}

TEST_F(MessageManagerTest, WithoutHtmlNoFileIsWrittenButRecordsAreKept) {
  {
    MessageManager log("Game", 0, 0, folder_.string(), "run");
    EXPECT_EQ(log.GetPath(), "run");
    EXPECT_EQ(log.GetHostPath(), "");
    log.Message("m");
    log.Warning("w");
    log.Error("e");
    log.WriteEntry(7, "odd");
    ASSERT_EQ(log.GetRecordCount(), 4);
    EXPECT_EQ(log.GetRecord(0).text, "m\n");
    EXPECT_EQ(log.GetRecord(1).type, LogRecord::kWarning);
    EXPECT_EQ(log.GetRecord(1).text, "\nWarning: w!\n\n");
    EXPECT_EQ(log.GetRecord(2).type, LogRecord::kError);
    EXPECT_EQ(log.GetRecord(3).type, 7u);
    // Out of range reads an empty record instead of running off the list.
    EXPECT_EQ(log.GetRecord(4).text, "");
    EXPECT_EQ(log.GetRecord(-1).text, "");
    log.ClearRecords();
    EXPECT_EQ(log.GetRecordCount(), 0);
  }
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(MessageManagerTest, AnUnwritableLogSaysSoAndSendsWarningsAndErrorsToStderr) {
  fs::create_directories(folder_);
  // A folder where the file should be: opening fails at construction and at every reopen.
  fs::create_directories(folder_ / "run.html");
  for (std::uint8_t reopen : {0, 1}) {
    SCOPED_TRACE(reopen);
    testing::internal::CaptureStderr();
    {
      MessageManager log("Game", 1, reopen, folder_.string(), "run");
      log.Message("still recorded");
      log.Warning("w");
      log.Error("Failed to save \"x\"");
      EXPECT_EQ(log.GetRecordCount(), 3);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Game: the log \"" + (folder_ / "run.html").string() +
                       "\" cannot be written (Is a directory); warnings and errors follow here\n"
                       "Warning: w!\nError: Failed to save \"x\"!\n");
  }
  // A log that can be written keeps stderr quiet.
  testing::internal::CaptureStderr();
  {
    MessageManager log("Game", 1, 0, folder_.string(), "fine");
    log.Error("e");
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MessageManagerTest, ColourText) {
  struct Case {
    float r, g, b;
    const char* expected;
  };
  const Case cases[] = {
      {1, 1, 1, "#FFFFFF"},
      {0, 0, 0, "#000000"},
      {0, 1, 0, "#00FF00"},
      {1, 0, 0, "#FF0000"},
      {0.5f, 0.5f, 0.5f, "#7F7F7F"},
      {2.0f, -1.0f, 0.1f, "#FF0019"},  // out of range clamps; always two digits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageManager::ColourToHtml(c.r, c.g, c.b), c.expected) << c.r << "," << c.g << "," << c.b;
  }
  struct Rgb {
    float x, y, z;
  };
  EXPECT_EQ(MessageManager::ColourToHtml(Rgb{0, 0, 1}), "#0000FF");
}

TEST_F(MessageManagerTest, EntriesFromTwoThreadsAreAllKeptWhole) {
  const fs::path file = folder_ / "run.html";
  constexpr int kPerThread = 500;
  {
    MessageManager log("Game", 1, 0, folder_.string(), "run");
    auto writer = [&log](char tag) {
      for (int i = 0; i < kPerThread; ++i)
        log.Warning(std::string(20, tag));
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    EXPECT_EQ(log.GetRecordCount(), 2 * kPerThread);
  }
  const std::string text = ReadFile(file);
  const std::string whole =
      "<FONT color=\"#7F7F7F\"><BR>Warning: " + std::string(20, 'a') + "!<BR><BR></FONT>";
  std::size_t count = 0;
  for (std::size_t at = text.find(whole); at != std::string::npos; at = text.find(whole, at + 1))
    ++count;
  EXPECT_EQ(count, static_cast<std::size_t>(kPerThread));
}

}  // namespace
}  // namespace CorvantisEngine
