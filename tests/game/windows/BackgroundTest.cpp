// The game's menu background: the menu container's layer with and without a background file, and menu
// windows built under it appear in front of every layer.
#include <gtest/gtest.h>

#include <memory>

#include "MenuWindowFixture.h"
#include "WindowFiles.h"
#include "game/windows/GUIBackground.h"
#include "tools/gui/GUIBackgroundLayer.h"

namespace Puzzle::windowstest {
namespace {

class BackgroundTest : public MenuWindowFixture {
 protected:
  void TearDown() override {
    Shutdown();  // the menus before the background that holds their container
    background_.reset();
  }
  std::unique_ptr<GUIBackground> background_;
};

TEST_F(BackgroundTest, MenusLieInFrontOfEveryLayer) {
  WriteFile("data/ui/background/background.xml",
            "<background>\n"
            "  <model name=\"sky\"/>\n"
            "  <model name=\"hills\" additional=\"1\"/>\n"
            "  <particles name=\"sparks\"/>\n"
            "</background>\n");
  WriteWindow("menu.xml", Window("window_menu", ""));
  Start();
  background_ = std::make_unique<GUIBackground>(engine_, data_.get());
  EXPECT_EQ(background_->GetMenuContainer()->layer, 3 + 23) << "children + 3 from the toolkit, then 20 more";
  ASSERT_EQ(background_->GetLayers().size(), 2u) << "the basic layers at once";
  background_->LoadAdditionalLayers();
  ASSERT_EQ(background_->GetLayers().size(), 3u);
  background_->SetVisible(true, false, 1.0f);

  GUIMenuWindow* menu = Make<GUIMenuWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(),
                                            background_->GetMenuContainer(), "window_menu");
  menu->SetShown(true);
  Frame();
  ASSERT_TRUE(menu->IsActive());
  for (const GUITools::GUIBackgroundLayer* layer : background_->GetLayers()) {
    EXPECT_LT(menu->GetContainer()->depth, layer->GetWindow()->depth) << "drawn in front";
  }
}

TEST_F(BackgroundTest, WithoutItsFileTheMenusStillWork) {
  WriteWindow("menu.xml", Window("window_menu", ""));
  Start();
  background_ = std::make_unique<GUIBackground>(engine_, data_.get());
  EXPECT_EQ(background_->GetMenuContainer()->layer, 21);
  EXPECT_TRUE(background_->GetLayers().empty());
  background_->SetVisible(true, false, 1.0f);
  GUIMenuWindow* menu = Make<GUIMenuWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(),
                                            background_->GetMenuContainer(), "window_menu");
  menu->SetShown(true);
  Frame();
  EXPECT_TRUE(menu->IsActive());
}

}  // namespace
}  // namespace Puzzle::windowstest
