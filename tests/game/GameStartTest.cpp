// The real game object on the built data pack: every factory makes its window from the game's window
// descriptions, and the logos and the loading screen lead to the welcome window while there is no
// player, after the notices about saved games that could not be written or read. (One start only:
// the whole pack is read, which is slow under the sanitizers.)
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/Engine.h"
#include "engine/render/Image.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/ProfileManagerBase.h"
#include "game/Game.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUINoticeWindow.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/game/GameFlowFixture.h"
#include "tests/game/windows/InputScript.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {
namespace {

// Factory order of the windows (GameBase::GetWindows).
constexpr std::size_t kWelcome = 3;
constexpr std::size_t kMainMenu = 5;

class GameStartTest : public flowtest::GameFlowFixture {
 protected:
  static bool Active(const Game& game, std::size_t slot) {
    auto* window = dynamic_cast<GUIMenuWindow*>(game.GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
};

TEST_F(GameStartTest, LogosAndLoadingLeadToTheWelcomeWindowAfterTheSavedGamesNotices) {
  if (!HasPack())
    GTEST_SKIP() << "the data pack is not built";
  // A player file that cannot be read, and a folder where the list's temporary file would go, so that
  // the list cannot be saved.
  std::filesystem::create_directories(SaveFolder() / "profiles");
  std::filesystem::create_directories(SaveFolder() / "profiles.pmf.tmp");
  {
    std::ofstream broken(SaveFolder() / "profiles" / "broken.prf", std::ios::binary);
    broken << "not a profile";
  }
  Game game(Game::kMaker, Game::kTitle, Game::kVersion);
  {
    // The first logo is on the screen before the first frame: the logo's part of its picture.
    SCOPED_TRACE("the first logo shown at once");
    ASSERT_FALSE(Display().Presents().empty());
    const std::vector<std::uint32_t> shown = Display().Frame();
    ASSERT_EQ(Display().FrameWidth(), 800u);
    ASSERT_EQ(Display().FrameHeight(), 600u);
    CorvantisEngine::Image picture;
    ASSERT_TRUE(picture.Load(nullptr, game.GetEngine()->GetFileManager(),
                             "data\\ui\\textures\\publishers\\0_logo_big.jpg"));
    ASSERT_EQ(picture.GetBitsPerPixel(), 24u);
    int different = 0;
    for (std::uint32_t y = 0; y < 600; ++y) {
      // The picture's rows run bottom-up; the logo is its lower-left part.
      const std::uint8_t* row =
          picture.GetPixels() + static_cast<std::size_t>(599 - y) * picture.GetWidth() * 3;
      for (std::uint32_t x = 0; x < 800; ++x) {
        const std::uint32_t expected = (static_cast<std::uint32_t>(row[3 * x]) << 16) |
                                       (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) | row[3 * x + 2];
        different += (shown[static_cast<std::size_t>(y) * 800 + x] & 0xFFFFFFu) != expected ? 1 : 0;
      }
    }
    EXPECT_EQ(different, 0);
  }
  windowstest::InputScript input(game.GetEngine(), [&] {
    platform::headless::StepClockMilliseconds(40);
    game.Frame();
  });
  // Made with the other windows once loading has finished.
  GUINoticeWindow* notice = nullptr;
  const auto noticeSays = [&](const std::wstring& part) {
    const GUITools::GUIControl* text = notice->GetControl("window_notice/window/text");
    const auto* label = dynamic_cast<const GUITools::GUITextControl*>(text);
    std::wstring shown;
    for (const std::wstring& line : label != nullptr ? label->lines : std::vector<std::wstring>())
      shown += line + L" ";
    // Lines are broken at blanks; the test reads them as one text with single blanks.
    std::wstring single;
    for (const wchar_t c : shown) {
      if (c != L' ' || single.empty() || single.back() != L' ')
        single += c;
    }
    return single.find(part) != std::wstring::npos;
  };
  ASSERT_TRUE(input.RunUntil(
      [&] {
        notice = game.GetNoticeWindow();
        return notice != nullptr && notice->IsActive();
      },
      1500))
      << "logos and loading end";
  EXPECT_FALSE(Active(game, kWelcome));
  EXPECT_TRUE(noticeSays(L"Your progress cannot be saved in "));
  EXPECT_TRUE(noticeSays(L"/Pellucan Games/Brindlewick: the files could not be written."));
  input.Frames(25);  // the panel slides in
  ASSERT_TRUE(input.Click(*notice, "/window/button_0"));
  ASSERT_TRUE(input.RunUntil([&] { return notice->IsActive() && noticeSays(L"profiles/broken.prf"); }, 200));
  input.Press(DIK_RETURN);
  ASSERT_TRUE(input.RunUntil([&] { return Active(game, kWelcome); }, 200)) << "the notices are read";
  EXPECT_FALSE(notice->IsShown());
  // Told once: the welcome window stays.
  input.Frames(10);
  EXPECT_TRUE(Active(game, kWelcome));
  for (GameFramework::GUIFrameworkWindow* window : game.GetWindows())
    EXPECT_NE(window, nullptr);
  EXPECT_NE(game.GetRelaxWindow(), nullptr);
  EXPECT_NE(game.GetContent(), nullptr);
  EXPECT_FALSE(Active(game, kMainMenu));
  EXPECT_TRUE(game.GetProfileManager()->GetProfiles().empty());
  game.GetEngine()->RequestExit();
  EXPECT_TRUE(game.IsQuit());
}

}  // namespace
}  // namespace Puzzle
