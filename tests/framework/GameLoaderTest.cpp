// The loader: the error box for each kind of error escaping the start-up or a frame (with the game torn
// down before the box and the error in the log), the message loop's end on "exit", and DestroyGame.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/window/Window.h"
#include "framework/GameLoaderBase.h"
#include "platform/win32/WinDialog.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"
#include "tests/framework/TestGame.h"

namespace GameFramework {
namespace {

using frameworktest::Events;
using frameworktest::GameFolder;
using frameworktest::TestGame;

// A game whose frames run a test's action first and count themselves.
class ScriptedGame : public TestGame {
 public:
  ScriptedGame(const GameFolder& folder, Events* events, Options options)
      : TestGame(folder, events, std::move(options)), events_(events) {}
  // Whether the engine window took a character from the queue in the last frame.
  ~ScriptedGame() override {
    if (GetEngine()->GetWindow()->GetKeyEvent().present != 0)
      events_->Add("key event seen");
  }
  void Frame() override {
    ++frames;
    if (action)
      action(*this);
    TestGame::Frame();
  }
  int frames = 0;
  std::function<void(ScriptedGame&)> action;

 private:
  Events* events_;
};

class TestLoader : public GameLoaderBase {
 public:
  TestLoader(GameFolder& folder, Events& events, TestGame::Options options,
             std::function<void(ScriptedGame&)> firstFrame)
      : GameLoaderBase(nullptr, nullptr, "-test", 1),
        folder_(folder),
        events_(events),
        options_(std::move(options)),
        firstFrame_(std::move(firstFrame)) {
    Run();
  }

  void DestroyAgain() { DestroyGame(); }
  int destroyed = 0;
  std::size_t boxesWhenDestroyed = 99;
  int frames = 0;

 protected:
  void CreateGame() override {
    auto game = std::make_unique<ScriptedGame>(folder_, &events_, options_);
    game->action = firstFrame_;
    game_ = game.get();
    this->game = std::move(game);
  }
  void DestroyGame() override {
    if (game != nullptr) {
      ++destroyed;
      frames = game_->frames;
      boxesWhenDestroyed = folder_.Windows().MessageBoxes().size();
    }
    GameLoaderBase::DestroyGame();
  }

 private:
  GameFolder& folder_;
  Events& events_;
  TestGame::Options options_;
  std::function<void(ScriptedGame&)> firstFrame_;
  ScriptedGame* game_ = nullptr;
};

std::string ReadLog(const GameFolder& folder) {
  return folder.Folder().Read("user/Test Maker/Test Game/Test Game.html");
}

TEST(GameLoaderTest, ErrorsEndInOneBoxAfterTheGameIsTornDown) {
  struct Case {
    const char* name;
    std::function<void(ScriptedGame&)> raise;
    const char* boxText;
  };
  const Case cases[] = {
      {"fatal", [](ScriptedGame& game) { game.GetEngine()->GetMessageManager()->Abort("Renderer lost"); },
       "Renderer lost"},
      {"error", [](ScriptedGame&) { throw CorvantisEngine::Error("Device refused"); },
       "Unhandled exception!"},
      {"file", [](ScriptedGame&) { throw CorvantisEngine::FileError("Missing list"); },
       "Unhandled exception!"},
      {"other", [](ScriptedGame&) { throw std::runtime_error("Odd failure"); }, "Unhandled exception!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder;
    Events events;
    TestLoader loader(folder, events, {}, c.raise);
    EXPECT_TRUE(loader.HasFailed());
    EXPECT_EQ(loader.GetGame(), nullptr);
    EXPECT_EQ(loader.destroyed, 1);
    EXPECT_EQ(loader.boxesWhenDestroyed, 0u) << "the game goes before the box";
    EXPECT_EQ(events.Only("delete game_loading").size(), 1u);
    EXPECT_EQ(events.list.back(), "delete game_data") << "the last thing the game deletes";
    const auto& boxes = folder.Windows().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.boxText);
    EXPECT_EQ(boxes[0].caption, "Fatal Error");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, nullptr);
    // What went wrong is in the log, whatever the box says.
    const std::string message = std::string(c.name) == "fatal"   ? "Renderer lost"
                                : std::string(c.name) == "error" ? "Device refused"
                                : std::string(c.name) == "file"  ? "Missing list"
                                                                 : "Odd failure";
    EXPECT_NE(ReadLog(folder).find(message), std::string::npos);
  }
}

TEST(GameLoaderTest, StartUpErrorShowsTheBoxWithNothingLeftToDestroy) {
  GameFolder folder;
  Events events;
  TestLoader loader(folder, events, {"game_data", {}}, nullptr);
  EXPECT_TRUE(loader.HasFailed());
  EXPECT_EQ(loader.destroyed, 0) << "the unfinished game tore itself down";
  EXPECT_EQ(events.Only("delete"),
            (std::vector<std::string>{"delete profile_manager", "delete level_manager"}));
  const auto& boxes = folder.Windows().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unhandled exception!");
  EXPECT_NE(ReadLog(folder).find("Broken game_data"), std::string::npos);
}

TEST(GameLoaderTest, ExitEndsTheLoopAfterTheMessageThatIssuedIt) {
  GameFolder folder;
  Events events;
  HWND window = nullptr;
  TestLoader loader(folder, events, {}, [&](ScriptedGame& game) {
    if (game.frames == 1) {
      window = game.GetEngine()->GetWindow()->GetHandle();
      folder.Windows().PushClose(window);
      folder.Windows().PushChars(window, u"ab");
    }
  });
  EXPECT_FALSE(loader.HasFailed());
  EXPECT_TRUE(folder.Windows().MessageBoxes().empty());
  EXPECT_EQ(loader.destroyed, 1);
  EXPECT_EQ(loader.frames, 1) << "no frame after the close request";
  EXPECT_TRUE(events.Only("key event seen").empty()) << "the characters behind the close request stay queued";
}

TEST(GameLoaderTest, DestroyGameTwiceDeletesTheGameOnce) {
  GameFolder folder;
  Events events;
  TestLoader loader(folder, events, {}, [](ScriptedGame& game) { game.GetEngine()->RequestExit(); });
  EXPECT_EQ(loader.destroyed, 1);
  loader.DestroyAgain();
  EXPECT_EQ(loader.destroyed, 1);
  EXPECT_EQ(std::count(events.list.begin(), events.list.end(), "delete game"), 1);
}

// A broken install: the game's data only in its pack, and the pack missing or unreadable. The box and
// the log name the pack and what is wrong with it.
TEST(GameLoaderTest, PackThatCannotBeReadIsNamedInTheBoxAndTheLog) {
  struct Case {
    const char* name;
    std::function<void(const GameFolder&, const std::string&)> make;
    const char* reason;
  };
  const auto write = [](std::string bytes) {
    return
        [bytes](const GameFolder& folder, const std::string&) { folder.Write("base/data/pack0.pak", bytes); };
  };
  const Case cases[] = {
      {"missing", [](const GameFolder&, const std::string&) {}, "was not found"},
      {"empty", write(""), "Failed to read 13 bytes"},
      {"cut inside the header", write(std::string("\x40\0\0\0QXPAK", 9)), "Failed to read 13 bytes"},
      {"another format", write("PK\x03\x04 this is no pack of ours"), "Incorrect pack file format"},
      {"a pipe",
       [](const GameFolder&, const std::string& pack) { ASSERT_EQ(::mkfifo(pack.c_str(), 0600), 0); },
       "Not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder;
    std::filesystem::remove_all(folder.Folder().Host("base/data"));
    std::filesystem::create_directories(folder.Folder().Host("base/data"));
    const std::string pack = folder.Folder().Host("base/data/pack0.pak").string();
    c.make(folder, pack);
    Events events;
    TestLoader loader(folder, events, {}, nullptr);
    EXPECT_TRUE(loader.HasFailed());
    const auto& boxes = folder.Windows().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("\"" + pack + "\""), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(c.reason), std::string::npos) << boxes[0].text;
    EXPECT_NE(ReadLog(folder).find(c.reason), std::string::npos);
  }
}

TEST(GameLoaderTest, SecondCopyOnTheSameUserFolderSaysSoAndLeavesTheFirstAlone) {
  GameFolder folder;
  Events events;
  auto first = std::make_unique<TestGame>(folder, &events);
  const std::string log = ReadLog(folder);
  ASSERT_FALSE(log.empty());
  {
    TestLoader second(folder, events, {}, nullptr);
    EXPECT_TRUE(second.HasFailed());
    EXPECT_EQ(second.destroyed, 0);
    const auto& boxes = folder.Windows().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Another copy of Test Game is running on the same user folder (\"" +
                                 folder.Folder().Host("user/Test Maker/Test Game").string() +
                                 "\"). Close it first.");
    EXPECT_EQ(ReadLog(folder), log) << "the first copy's log is untouched";
  }
  // The lock goes with the first copy: the next start runs.
  first.reset();
  TestLoader third(folder, events, {}, [](ScriptedGame& game) { game.GetEngine()->RequestExit(); });
  EXPECT_FALSE(third.HasFailed());
}

}  // namespace
}  // namespace GameFramework
