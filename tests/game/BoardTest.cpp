// The board: slots at their places, its layers split between the cells slots in view cover and the rest,
// placing within 26 units, combos and their points and texts, the
// pause credit (none in relax mode), tip requests, the pause overlay, and the closing sequence after
// the last piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "GameTestSupport.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "framework/AudioManager.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleElement.h"
#include "platform/headless/HeadlessInput.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

class BoardTest : public gametest::EngineTest {
 protected:
  // A board of 4 x 3 pieces over a picture of the size.
  void Build(bool relax, std::uint32_t width = 40, std::uint32_t height = 30) {
    WriteLevel(gametest::Gradient(width, height), gametest::GridShapes(width, height, 4, 3), "<puzzle/>");
    Start();
    level_ = LoadLevel();
    gameData_ = std::make_unique<GameData>(engine_, "en");
    gameData_->Load();
    gameData_->WaitForLoad();
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_);
    profile_ = std::make_unique<Profile>(engine_, L"Anna", rig_.Folder().Win("save"), Profile::New{});
    texts_ = std::make_unique<GUIGameLogicTextManager>(engine_, -1, gameData_->GetPieceWindow());
    elements_ = std::make_unique<PuzzleElementManager>(engine_, audio_.get(), gameData_.get(), level_.get(),
                                                       gameData_->GetPieceWindow());
    board_ = std::make_unique<::Puzzle::Puzzle>(engine_, nullptr, audio_.get(), nullptr, gameData_.get(),
                                                level_.get(), texts_.get(), elements_.get(), nullptr,
                                                profile_.get(), relax, gameData_->GetPlayWindow());
  }
  ~BoardTest() override {
    board_.reset();
    elements_.reset();
    texts_.reset();
    audio_.reset();
  }
  PuzzleElement* Loose(std::uint32_t index) {
    for (const auto& piece : elements_->GetPieces()) {
      if (piece->GetIndex() == index) {
        return piece.get();
      }
    }
    return nullptr;
  }
  // The slot's place on the screen, in the units the held piece moves in.
  Vector2 SlotPlace(std::uint32_t index) {
    return board_->GetSlotContainer()->GetAbsolutePosition() + board_->GetSlots()[index]->GetPosition();
  }
  PuzzleElement* Hold(std::uint32_t index, const Vector2& at) {
    PuzzleElement* piece = Loose(index);
    piece->taken = 1;
    piece->SetVisible(true);
    piece->SetPosition(at);
    return piece;
  }
  void Frame(float dt, bool click, float fade = 1.0f) {
    if (click) {
      platform::headless::PushMouseButton(0, true);
    }
    engine_->GetControls()->Update();
    engine_->GetTimerManager()->delta = dt;
    board_->Update(fade < 1.0f, fade);
    if (click) {
      platform::headless::PushMouseButton(0, false);
      engine_->GetControls()->Update();
    }
  }
  // Places a piece by a click on its slot after dt seconds.
  void PlaceAfter(std::uint32_t index, float dt) {
    PuzzleElement* piece = Hold(index, SlotPlace(index));
    Frame(dt, true);
    piece->taken = 0;
    Frame(0.001f, false);
  }

  std::unique_ptr<GameLogicData> level_;
  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  std::unique_ptr<Profile> profile_;
  std::unique_ptr<GUIGameLogicTextManager> texts_;
  std::unique_ptr<PuzzleElementManager> elements_;
  std::unique_ptr<::Puzzle::Puzzle> board_;
};

TEST_F(BoardTest, SlotsWaitHiddenAtTheirPlaces) {
  Build(false);
  ASSERT_EQ(board_->GetSlots().size(), 12u);
  EXPECT_FALSE(board_->GetSlots()[5]->IsVisible());
  EXPECT_EQ(board_->GetSlots()[5]->GetPosition(), level_->pieceCentres[5]);
  EXPECT_EQ(board_->GetBackgroundWindow()->position, (Vector2{60, 54}));
  EXPECT_EQ(board_->GetOutlineWindow()->layer, 204);
  EXPECT_FALSE(board_->IsComplete());
}

// The runs of cells a board layer's mesh draws, in texels of the board (the mesh is in the board's unit
// square).
std::vector<std::array<float, 4>> Runs(const CorvantisEngine::GUIWindow* window, const Vector2& board) {
  std::vector<std::array<float, 4>> runs;
  const CorvantisEngine::Model* model = window->model;
  const CorvantisEngine::IndexBuffer* indices = model->indexBuffer;
  const CorvantisEngine::VertexBuffer* vertices = model->vertexBuffer;
  for (std::uint32_t i = 0; i + 6 <= indices->GetIndexCount(); i += 6) {
    std::array<float, 4> run{1e9f, 1e9f, -1e9f, -1e9f};
    for (std::uint32_t k = 0; k < 6; ++k) {
      const std::uint32_t at = indices->IsWide()
                                   ? reinterpret_cast<const std::uint32_t*>(indices->GetData())[i + k]
                                   : reinterpret_cast<const std::uint16_t*>(indices->GetData())[i + k];
      const auto* v = reinterpret_cast<const CorvantisEngine::ColouredVertex*>(vertices->GetData() +
                                                                               at * vertices->GetStride());
      run = {std::min(run[0], v->x * board.x), std::min(run[1], v->y * board.y),
             std::max(run[2], v->x * board.x), std::max(run[3], v->y * board.y)};
    }
    runs.push_back(run);
  }
  return runs;
}
float Area(const std::vector<std::array<float, 4>>& runs) {
  float area = 0.0f;
  for (const auto& r : runs) {
    area += (r[2] - r[0]) * (r[3] - r[1]);
  }
  return area;
}
bool Covers(const std::vector<std::array<float, 4>>& runs, float x, float y) {
  for (const auto& r : runs) {
    if (r[0] <= x && x < r[2] && r[1] <= y && y < r[3]) {
      return true;
    }
  }
  return false;
}

// Where no slot is in view the board draws one opaque layer, the greyed picture with its cut lines laid
// in; the greyed picture and the cut lines draw as layers of their own only in the cells a slot in view
// covers, and in the cells where the lines meet the board's edge. Together the two pictures cover the
// board once.
TEST_F(BoardTest, TheBoardDrawsItsLinesAsALayerOnlyWhereASlotIsInView) {
  Build(false, 160, 120);
  const Vector2 board{160, 120};
  ASSERT_NE(board_->GetLinedWindow(), nullptr);
  auto check = [&](const char* when) {
    SCOPED_TRACE(when);
    const auto lined = Runs(board_->GetLinedWindow(), board);
    const auto grey = Runs(board_->GetBackgroundWindow(), board);
    EXPECT_FLOAT_EQ(Area(lined) + Area(grey), 160.0f * 120.0f);
    for (float y = 0.5f; y < 120; y += 7.0f) {
      for (float x = 0.5f; x < 160; x += 7.0f) {
        EXPECT_NE(Covers(lined, x, y), Covers(grey, x, y)) << x << ", " << y;
      }
    }
    // The lines' layer draws only over the greyed picture's.
    for (const auto& r : Runs(board_->GetOutlineWindow(), board)) {
      EXPECT_TRUE(Covers(grey, (r[0] + r[2]) / 2, (r[1] + r[3]) / 2));
    }
  };
  Frame(0.02f, false);
  check("no slot in view");
  // The middle slot (x 40-80, y 40-80) and the line along its left side.
  EXPECT_TRUE(Covers(Runs(board_->GetLinedWindow(), board), 60, 60));
  EXPECT_FALSE(Covers(Runs(board_->GetOutlineWindow(), board), 40, 60));
  EXPECT_LT(Area(Runs(board_->GetBackgroundWindow(), board)), 160.0f * 120.0f / 8);
  // Where a line meets the board's edge, the lines keep their own layer.
  EXPECT_TRUE(Covers(Runs(board_->GetOutlineWindow(), board), 40, 0.5f));

  PlaceAfter(5, 1.0f);
  ASSERT_TRUE(board_->GetSlots()[5]->IsVisible());
  check("slot 5 placed");
  EXPECT_TRUE(Covers(Runs(board_->GetBackgroundWindow(), board), 60, 60));
  EXPECT_FALSE(Covers(Runs(board_->GetLinedWindow(), board), 60, 60));
  EXPECT_TRUE(Covers(Runs(board_->GetOutlineWindow(), board), 40, 60));
  EXPECT_TRUE(Covers(Runs(board_->GetOutlineWindow(), board), 79.5f, 79.5f));
  // Away from the slot, the single layer.
  EXPECT_TRUE(Covers(Runs(board_->GetLinedWindow(), board), 140, 100));
}

TEST_F(BoardTest, AClickWithin26UnitsPlacesThePiece) {
  Build(false);
  PuzzleElement* far = Hold(0, SlotPlace(0) + Vector2{26.0f, 0});
  Frame(0.02f, true);
  EXPECT_TRUE(far->IsVisible()) << "26 units is too far";
  EXPECT_FALSE(board_->GetSlots()[0]->IsVisible());
  Frame(0.02f, false);
  far->SetPosition(SlotPlace(0) + Vector2{0, 25.9f});
  Frame(0.02f, true);
  EXPECT_FALSE(far->IsVisible());
  EXPECT_TRUE(board_->GetSlots()[0]->IsVisible());
  EXPECT_EQ(board_->GetPlacedCount(), 1u);
  EXPECT_EQ(profile_->levelEarnings, 10u);
  ASSERT_EQ(texts_->GetTexts().size(), 1u);
  EXPECT_EQ(texts_->GetTexts()[0]->GetLines(), std::vector<std::wstring>{L"+10"});
}

TEST_F(BoardTest, QuickPlacementsCountCombosAndPayMore) {
  Build(false);
  const std::uint32_t combos[] = {1, 2, 3, 4, 5, 1};
  const std::uint32_t credits[] = {0, 1, 2, 3, 4, 0};
  std::uint32_t earned = 0;
  for (std::uint32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    PuzzleElement* piece = Hold(i, SlotPlace(i));
    Frame(i == 0 ? 0.02f : 2.7f, true);
    EXPECT_EQ(board_->GetCombo(), combos[i]);
    EXPECT_EQ(board_->GetComboPauseCredit(), credits[i]);
    earned += ::Puzzle::Puzzle::Points(combos[i]);
    EXPECT_EQ(profile_->levelEarnings, earned);
    ASSERT_EQ(texts_->GetTexts().size(), i + 1);
    if (i == 1) {
      EXPECT_EQ(texts_->GetTexts().back()->GetLines(), (std::vector<std::wstring>{L"+15", L"2"}));
    }
    piece->taken = 0;
    Frame(0.0f, false);
    EXPECT_EQ(board_->GetComboPauseCredit(), 0u);
  }
  EXPECT_EQ(earned, 10u + 15 + 20 + 25 + 30 + 10);
  // 2.8 s after the last one the combo starts again.
  PuzzleElement* piece = Hold(6, SlotPlace(6));
  Frame(2.8f, true);
  EXPECT_EQ(board_->GetCombo(), 1u);
  EXPECT_EQ(texts_->GetTexts().back()->GetLines(), std::vector<std::wstring>{L"+10"});
  piece->taken = 0;
}

TEST_F(BoardTest, RelaxModeGivesNoPauseCredit) {
  Build(true);
  PlaceAfter(0, 0.02f);
  PuzzleElement* piece = Hold(1, SlotPlace(1));
  Frame(1.0f, true);
  EXPECT_EQ(board_->GetCombo(), 2u);
  EXPECT_EQ(board_->GetComboPauseCredit(), 0u);
  piece->taken = 0;
}

TEST_F(BoardTest, ATipRequestFlashesTheSlotOfTheNextPieceTaken) {
  Build(false);
  board_->tipPending = 1;
  Hold(3, SlotPlace(3) + Vector2{100, 0});
  Frame(0.02f, false);
  EXPECT_EQ(board_->tipPending, 0);
  EXPECT_TRUE(board_->GetSlots()[3]->IsFlashing());
  // Letting go asks the flash to hide.
  Loose(3)->taken = 0;
  Frame(0.02f, false);
  for (int i = 0; i < 100 && board_->GetSlots()[3]->IsFlashing(); ++i) {
    Frame(0.02f, false);
  }
  EXPECT_FALSE(board_->GetSlots()[3]->IsFlashing());
}

TEST_F(BoardTest, ThePauseOverlayCoversTheBoardAsThePlayFades) {
  Build(false);
  Frame(0.02f, false, 0.4f);
  EXPECT_NE(board_->GetOverlayWindow()->state & CorvantisEngine::kGUIShown, 0u);
  EXPECT_NEAR(board_->GetOverlayWindow()->GetColour().w, 0.6f, 0.005f);
  Frame(0.02f, false, 1.0f);
  EXPECT_EQ(board_->GetOverlayWindow()->state & CorvantisEngine::kGUIShown, 0u);
}

TEST_F(BoardTest, TheLastPieceStartsTheClosingSequence) {
  Build(true);
  for (std::uint32_t i = 0; i < 11; ++i) {
    PlaceAfter(i, 3.0f);
  }
  EXPECT_FALSE(board_->IsComplete());
  PlaceAfter(11, 0.01f);
  ASSERT_TRUE(board_->IsComplete());
  EXPECT_EQ(profile_->levelEarnings, 11u * 10 + 15);
  // The cut lines fade out over a second, the full picture replaces the greyed one.
  EXPECT_NE(board_->GetClosingWindow()->state & CorvantisEngine::kGUIShown, 0u);
  EXPECT_EQ(board_->GetBackgroundWindow()->state & CorvantisEngine::kGUIShown, 0u);
  EXPECT_EQ(board_->GetLinedWindow()->state & CorvantisEngine::kGUIShown, 0u);
  // The cut lines fade over the whole picture: every line of the 4 x 3 grid of 10-unit pieces.
  const auto lines = Runs(board_->GetOutlineWindow(), {40, 30});
  for (const auto& [x, y] : {std::pair{10.5f, 5.0f}, std::pair{20.5f, 15.0f}, std::pair{30.5f, 25.0f},
                             std::pair{5.0f, 10.5f}, std::pair{35.0f, 20.5f}}) {
    EXPECT_TRUE(Covers(lines, x, y)) << x << ", " << y;
  }
  EXPECT_FALSE(board_->IsFinished());
  int frames = 0;
  while ((board_->GetOutlineWindow()->state & CorvantisEngine::kGUIShown) != 0 && frames < 200) {
    Frame(0.05f, false);
    ++frames;
  }
  EXPECT_GE(frames, 18);
  EXPECT_LE(frames, 21);
  EXPECT_TRUE(board_->GetClosingEffect()->emitting);
  for (int i = 0; i < 200 && !board_->IsFinished(); ++i) {
    engine_->GetTimerManager()->delta = 0.05f;
    board_->GetClosingWindow()->model->animation->Update();
    Frame(0.05f, false);
  }
  EXPECT_TRUE(board_->IsFinished());
}

}  // namespace
}  // namespace Puzzle
