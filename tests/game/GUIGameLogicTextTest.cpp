// Floating texts: line splitting, the timeline (growth, rise, fade, end), the layout of several lines
// and the clamp to the screen, a missing font, and the manager dropping ended texts.
#include <gtest/gtest.h>

#include "GameTestSupport.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "game/GUIGameLogicText.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

TEST(GUIGameLogicTextSplit, LinesBreakAtLineFeedsOnly) {
  using Lines = std::vector<std::wstring>;
  EXPECT_EQ(GUIGameLogicText::SplitLines(L""), Lines{});
  EXPECT_EQ(GUIGameLogicText::SplitLines(L"+15"), Lines{L"+15"});
  EXPECT_EQ(GUIGameLogicText::SplitLines(L"+15\nCombo x2"), (Lines{L"+15", L"Combo x2"}));
  EXPECT_EQ(GUIGameLogicText::SplitLines(L"a\n\nb"), (Lines{L"a", L"", L"b"}));
  EXPECT_EQ(GUIGameLogicText::SplitLines(L"a\n"), Lines{L"a"});
}

class GUIGameLogicTextTest : public gametest::EngineTest {
 protected:
  static constexpr std::int32_t kFont = 7;
  GUIGameLogicTextTest() {
    Start();
    font_ = engine_->GetGUIManager()->GetFontManager()->CreateFont(kFont, nullptr, "ui\\fonts\\none.fnt");
  }
  void Step(GUIGameLogicTextManager& manager, float dt) {
    engine_->GetTimerManager()->delta = dt;
    manager.GetWindow()->textCount = 0;  // what the frame's drawing would do
    manager.Update();
  }
  std::vector<CorvantisEngine::GUITextRecord> Queued(const GUIGameLogicTextManager& manager) const {
    std::vector<CorvantisEngine::GUITextRecord> out;
    for (std::uint32_t i = 0; i < manager.GetWindow()->textCount; ++i) {
      out.push_back(*manager.GetWindow()->textRecords[i]);
    }
    return out;
  }
  CorvantisEngine::GUIFont* font_ = nullptr;
};

TEST_F(GUIGameLogicTextTest, ATextGrowsRisesFadesAndEnds) {
  ASSERT_NE(font_, nullptr);
  GUIGameLogicTextManager manager(engine_, kFont, nullptr);
  EXPECT_EQ(manager.GetWindow()->layer, 490);
  manager.AddText(L"+10", {400, 300});
  struct Row {
    float dt, size, alpha, rise;
    bool alive;
  };
  const Row rows[] = {
      {0.1f, 11.0f, 0.5f, 0.0f, true},       // growing
      {0.1f, 22.0f, 1.0f, 0.0f, true},       // full size at 0.2 s
      {0.5f, 22.0f, 1.0f, 17.5f, true},      // rising
      {0.875f, 22.0f, 0.5f, 48.125f, true},  // half faded at 1.575 s
      {0.4f, 22.0f, 0.0f, 62.125f, false},   // past 1.95 s: drawn once more, then gone
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.dt);
    Step(manager, row.dt);
    const auto queued = Queued(manager);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_NEAR(queued[0].size, row.size, 1e-3);
    EXPECT_NEAR(queued[0].colour.w, row.alpha, 1e-3);
    const Vector2 extent = font_->GetTextSize(L"+10", 0.0f, row.size);
    EXPECT_NEAR(queued[0].position.x, 400 - extent.x / 2, 1e-3);
    EXPECT_NEAR(queued[0].position.y, 300 - row.size / 2 + row.rise, 1e-3);
    EXPECT_EQ(manager.GetTexts().size(), row.alive ? 1u : 0u);
  }
}

TEST_F(GUIGameLogicTextTest, LinesStackAroundTheAnchorAndStayOnScreen) {
  GUIGameLogicTextManager manager(engine_, kFont, nullptr);
  manager.AddText(L"+15\nCombo x2", {400, 300});
  manager.AddText(L"+10", {0, 100});
  manager.AddText(L"+10", {800, 100});
  Step(manager, 0.2f);
  const auto queued = Queued(manager);
  ASSERT_EQ(queued.size(), 4u);
  // Two lines centred on x; the first line on top (larger y).
  EXPECT_NEAR(queued[0].position.y, 300 - 22 + 22, 1e-3);
  EXPECT_NEAR(queued[1].position.y, 300 - 22, 1e-3);
  const float w0 = font_->GetTextSize(L"+15", 0.0f, 22).x;
  const float w1 = font_->GetTextSize(L"Combo x2", 0.0f, 22).x;
  EXPECT_NEAR(queued[0].position.x + w0 / 2, queued[1].position.x + w1 / 2, 1e-3);
  const float w = font_->GetTextSize(L"+10", 0.0f, 22).x;
  EXPECT_NEAR(queued[2].position.x, 5.0f, 1e-3);
  EXPECT_NEAR(queued[3].position.x + w, 795.0f, 1e-3);
}

TEST_F(GUIGameLogicTextTest, WithoutAFontNothingIsDrawnButTextsStillEnd) {
  GUIGameLogicTextManager manager(engine_, -1, nullptr);
  manager.AddText(L"+10", {400, 300});
  manager.AddText(L"", {400, 300});
  Step(manager, 1.0f);
  EXPECT_TRUE(Queued(manager).empty());
  EXPECT_EQ(manager.GetTexts().size(), 2u);
  Step(manager, 1.0f);
  EXPECT_TRUE(manager.GetTexts().empty());
}

}  // namespace
}  // namespace Puzzle
