// The game's resource keeper: the publisher logos made only when both their files exist, and the two
// container windows made by the load.
#include <gtest/gtest.h>

#include "GameTestSupport.h"
#include "engine/gui/GUIWindow.h"
#include "game/GameData.h"

namespace Puzzle {
namespace {

TEST(GameDataLogoFileTest, NamesFollowThePublisherNumber) {
  EXPECT_EQ(GameData::LogoFile(1, true), "data\\ui\\textures\\publishers\\1_logo_small_alpha.jpg");
}

class GameDataTest : public gametest::EngineTest {};

TEST_F(GameDataTest, ALogoNeedsBothFilesAndTheLoadMakesTheWindows) {
  Write("data/ui/textures/publishers/0_logo_small.jpg", "x");
  Write("data/ui/textures/publishers/1_logo_small.jpg", "x");
  Write("data/ui/textures/publishers/1_logo_small_alpha.jpg", "x");
  Start();
  GameData data(engine_, "en");
  EXPECT_EQ(data.GetLogoShader(0), nullptr);
  ASSERT_NE(data.GetLogoShader(1), nullptr);
  ASSERT_EQ(data.GetShaderUsers().size(), 1u);
  EXPECT_EQ(data.GetShaderUsers().begin()->second, data.GetLogoShader(1));

  EXPECT_EQ(data.GetPlayWindow(), nullptr);
  data.Load();
  data.WaitForLoad();
  ASSERT_NE(data.GetPlayWindow(), nullptr);
  ASSERT_NE(data.GetPieceWindow(), nullptr);
  EXPECT_EQ(data.GetPieceWindow()->parent, data.GetPlayWindow());
  EXPECT_EQ(data.GetPieceWindow()->layer, 100);
  EXPECT_EQ(data.GetPlayWindow()->parent, nullptr);
}

}  // namespace
}  // namespace Puzzle
