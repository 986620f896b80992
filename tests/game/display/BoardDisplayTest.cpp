// A board on the real device: placed slots show the picture's pixels where they belong, unplaced ones
// the greyed picture, the cut lines show in the puzzle colour, a piece drawn at tray size shows none of
// its neighbours' pixels, and all of it is still right after a forced device reset. The level's particle
// effects (the tip over its slot, the closing burst over the board, the tray's path start and finish)
// show where they are put, in front of what they belong to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/PixelProbe.h"

namespace Puzzle {
namespace {

namespace fs = std::filesystem;
using testsupport::Near;
using testsupport::Rgb;

constexpr std::uint32_t kWidth = 320;
constexpr std::uint32_t kHeight = 160;
constexpr std::uint32_t kColumns = 4;
constexpr std::uint32_t kRows = 2;
constexpr std::uint32_t kPieceSide = 80;
// One solid colour per piece, all far apart.
const Rgb kColours[kColumns * kRows] = {{230, 20, 20},  {20, 230, 20},  {20, 20, 230},  {230, 230, 20},
                                        {20, 230, 230}, {230, 20, 230}, {240, 140, 20}, {120, 60, 200}};
const Rgb kLineColour{255, 0, 0};
// The effects' particles: white, a colour no piece has.
const Rgb kEffectColour{255, 255, 255};

Rgb Greyed(const Rgb& c) {
  const float mean = (c.r + c.g + c.b) / 3.0f;
  auto grey = [&](int v) { return static_cast<int>(0.8f * mean + 0.2f * v); };
  return {grey(c.r), grey(c.g), grey(c.b)};
}

class BoardDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("brindlewick_board_display_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    gametest::Picture picture{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 3)};
    for (std::uint32_t y = 0; y < kHeight; ++y) {
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        const Rgb& c = kColours[(y / kPieceSide) * kColumns + x / kPieceSide];
        std::uint8_t* p = picture.rgb.data() + (static_cast<std::size_t>(y) * kWidth + x) * 3;
        p[0] = static_cast<std::uint8_t>(c.r);
        p[1] = static_cast<std::uint8_t>(c.g);
        p[2] = static_cast<std::uint8_t>(c.b);
      }
    }
    PieceShapes shapes = gametest::GridShapes(kWidth, kHeight, kColumns, kRows);
    // Cut lines 6 pixels wide around each inner boundary.
    for (std::uint32_t y = 0; y < kHeight; ++y) {
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        const std::uint32_t dx = x % kPieceSide;
        const std::uint32_t dy = y % kPieceSide;
        const bool line = (x >= kPieceSide && (dx < 3 || dx >= kPieceSide - 3) && x < kWidth - 3) ||
                          (y >= 3 && y < kHeight - 3 && (dy < 3 || dy >= kPieceSide - 3) &&
                           y >= kPieceSide - 3 && y < kPieceSide + 3);
        shapes.outline[static_cast<std::size_t>(y) * kWidth + x] = line ? 255 : 0;
      }
    }
    Write("data/themes/t/01.tga", gametest::Tga(picture));
    Write("data/themes/t/01.xml", "<puzzle><puzzle_color>255 0 0</puzzle_color></puzzle>");
    const auto bytes = PieceShapeFile::Write(shapes, kWidth, kHeight);
    Write("data/puzzles/01/puzzle_01.pzf", std::string(bytes.begin(), bytes.end()));
    engine_ =
        std::make_unique<CorvantisEngine::Engine>(testsupport::DisplayParameters(folder_.string(), "Board"));
    engine_->GetGUIManager()->SetScreenSize(800, 600);
  }
  void TearDown() override {
    depository_.reset();
    bonuses_.reset();
    board_.reset();
    elements_.reset();
    texts_.reset();
    profile_.reset();
    audio_.reset();
    level_.reset();
    gameData_.reset();
    engine_.reset();
    fs::remove_all(folder_);
  }
  void Write(const std::string& relative, const std::string& bytes) {
    fs::create_directories((folder_ / relative).parent_path());
    std::ofstream(folder_ / relative, std::ios::binary) << bytes;
  }
  void Build() {
    LoadGameData();
    MakeBoard();
  }
  void LoadGameData() {
    gameData_ = std::make_unique<GameData>(engine_.get(), "en");
    gameData_->Load();
    gameData_->WaitForLoad();
  }
  void MakeBoard() {
    level_ = std::make_unique<GameLogicData>(engine_.get(), "en", nullptr, nullptr);
    level_->picturePath = "data\\themes\\t\\01.tga";
    level_->coloursPath = "data\\themes\\t\\01.xml";
    level_->shapePath = "data\\puzzles\\01\\puzzle_01.pzf";
    level_->Load();
    level_->WaitForLoad();
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_.get());
    profile_ = std::make_unique<Profile>(engine_.get(), L"Anna", (folder_ / "save").string(), Profile::New{});
    texts_ = std::make_unique<GUIGameLogicTextManager>(engine_.get(), -1, gameData_->GetPieceWindow());
    elements_ = std::make_unique<PuzzleElementManager>(engine_.get(), audio_.get(), gameData_.get(),
                                                       level_.get(), gameData_->GetPieceWindow());
    board_ = std::make_unique<::Puzzle::Puzzle>(engine_.get(), nullptr, audio_.get(), nullptr,
                                                gameData_.get(), level_.get(), texts_.get(), elements_.get(),
                                                nullptr, profile_.get(), false, gameData_->GetPlayWindow());
  }
  // A particle prototype stored under the name: still, long-lived white squares, born fast enough to
  // fill every place they may be born at within a few frames.
  void AddEffect(const std::string& name) {
    CorvantisEngine::ParticleSystem* system = engine_->GetParticleSystemManager()->NewParticleSystem(nullptr);
    CorvantisEngine::ParticleParameters& p = system->parameters;
    p.gravityOn = false;
    p.floorOn = false;
    for (std::uint32_t k = 0; k < CorvantisEngine::ParticleParameters::kKeys; ++k) {
      p.emissionKeys[k] = 5000.0f;
      p.lifeKeys[k] = 1000.0f;
      p.speedKeys[k] = 0.0f;
      p.sizeKeys[k] = kParticleSize;
      p.colourKeys[k] = CorvantisEngine::Vector4(1, 1, 1, 1);
    }
    gameData_->AddParticleSystem(name, system);
  }
  // A box model of half-size `half` centred on the point, stored in the game data under the name.
  void AddBox(const std::string& name, CorvantisEngine::Vector2 centre, float half) {
    auto* model = new CorvantisEngine::Model(engine_->GetModelManager()->GetServices(),
                                             {centre.x - half, centre.y - half, -1},
                                             {centre.x + half, centre.y + half, 1}, nullptr, nullptr, 0);
    gameData_->AddModel(name, model);
  }
  // The tray over the board: its path from (100, 560) right to (700, 560), then up.
  void MakeTray() {
    const CorvantisEngine::Vector2 path[] = {{100, 560}, {700, 560}, {700, 500},
                                             {300, 500}, {300, 460}, {700, 460}};
    for (std::size_t n = 0; n < std::size(path); ++n) {
      AddBox("depository/path/00" + std::to_string(n), path[n], 2.0f);
    }
    bonuses_ =
        std::make_unique<BonusManager>(engine_.get(), gameData_.get(), false, gameData_->GetPieceWindow());
    depository_ = std::make_unique<PuzzleDepository>(
        engine_.get(), audio_.get(), gameData_.get(), level_.get(), nullptr, texts_.get(), bonuses_.get(),
        elements_.get(), board_.get(), nullptr, profile_.get(), false, gameData_->GetPlayWindow());
  }
  // Frames enough for the effects to fill their places.
  void Run(int frames) {
    for (int frame = 0; frame < frames; ++frame) {
      engine_->Tick();
      engine_->Render();
    }
  }
  bool IsEffect(float x, float y) const { return Near(At(x, y), kEffectColour); }
  // Effect pixels within `reach` of the point (a particle may sit under a cut line that draws in front).
  bool EffectNear(float x, float y, float reach) const {
    for (float dy = -reach; dy <= reach; dy += 1.0f) {
      for (float dx = -reach; dx <= reach; dx += 1.0f) {
        if (IsEffect(x + dx, y + dy)) {
          return true;
        }
      }
    }
    return false;
  }

  void Draw() {
    for (int frame = 0; frame < 2; ++frame) {
      engine_->Tick();
      engine_->Render();
    }
    image_ = CorvantisEngine::Image();
    engine_->GetRenderSystem()->CopyScreenToImage(&image_);
    ASSERT_GT(image_.GetWidth(), 0u);
  }
  Rgb At(float x, float y) const { return testsupport::GUIPixel(image_, x, y); }
  // The screen point of a picture point.
  static float X(float x) { return ::Puzzle::Puzzle::kBoardX + x; }
  static float Y(float y) { return ::Puzzle::Puzzle::kBoardY + y; }

  void ExpectBoard() {
    // Placed slots 0 and 5 show their own colours; slot 1 is not placed: the greyed picture.
    EXPECT_TRUE(Near(At(X(40), Y(40)), kColours[0]));
    EXPECT_TRUE(Near(At(X(120 + 20), Y(80 + 40)), kColours[5]));
    EXPECT_TRUE(Near(At(X(120), Y(40)), Greyed(kColours[1])));
    // Near the corner of a placed piece: still its colour, the picture is not flipped or shifted.
    EXPECT_TRUE(Near(At(X(10), Y(10)), kColours[0]));
    EXPECT_TRUE(Near(At(X(70), Y(10)), kColours[0]));
    // The cut lines in the puzzle colour, over placed and unplaced pieces alike.
    EXPECT_TRUE(Near(At(X(80), Y(40)), kLineColour));
    EXPECT_TRUE(Near(At(X(200), Y(80)), kLineColour));
    // A piece drawn at tray size (piece 1 at a fifth) shows only its own colour and the black behind it.
    int foreign = 0;
    for (float y = 440; y <= 480; y += 1.0f) {
      for (float x = 600; x <= 640; x += 1.0f) {
        const Rgb c = At(x, y);
        for (std::uint32_t i = 0; i < kColumns * kRows; ++i) {
          if (i != 1 && Near(c, kColours[i])) {
            ++foreign;
          }
        }
      }
    }
    EXPECT_EQ(foreign, 0);
    EXPECT_TRUE(Near(At(620, 460), kColours[1]));
  }

  fs::path folder_;
  std::unique_ptr<CorvantisEngine::Engine> engine_;
  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GameLogicData> level_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  std::unique_ptr<Profile> profile_;
  std::unique_ptr<GUIGameLogicTextManager> texts_;
  std::unique_ptr<PuzzleElementManager> elements_;
  std::unique_ptr<::Puzzle::Puzzle> board_;
  std::unique_ptr<BonusManager> bonuses_;
  std::unique_ptr<PuzzleDepository> depository_;
  CorvantisEngine::Image image_;

  static constexpr float kParticleSize = 12.0f;
};

TEST_F(BoardDisplayTest, PlacedSlotsCutLinesAndATrayPieceStayRightAfterADeviceReset) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  Build();
  board_->GetSlots()[0]->SetVisible(true);
  board_->GetSlots()[5]->SetVisible(true);
  for (const auto& piece : elements_->GetPieces()) {
    if (piece->GetIndex() == 1) {
      piece->SetVisible(true);
      piece->SetScale(0.2f);
      piece->SetPosition({620, 460});
    }
  }
  Draw();
  {
    SCOPED_TRACE("first frames");
    ExpectBoard();
  }
  engine_->GetRenderSystem()->modeChanged = true;
  engine_->GetRenderSystem()->Reset(3);
  Draw();
  {
    SCOPED_TRACE("after a device reset");
    ExpectBoard();
  }
}

// With no slot in view the board draws as one layer, the greyed picture with its cut lines laid in; once
// a slot shows, the cut lines still draw over it and the board round it is unchanged. The lines run to
// the board's edge, where they draw as before too.
TEST_F(BoardDisplayTest, TheGreyedPictureAndItsCutLinesLookTheSameWithAndWithoutSlotsInView) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  Build();
  auto expectGreyedBoard = [&](std::uint32_t except) {
    for (std::uint32_t i = 0; i < kColumns * kRows; ++i) {
      const float x = static_cast<float>(i % kColumns * kPieceSide + kPieceSide / 2);
      const float y = static_cast<float>(i / kColumns * kPieceSide + kPieceSide / 2);
      SCOPED_TRACE(testing::Message() << "piece " << i);
      EXPECT_TRUE(Near(At(X(x), Y(y)), i == except ? kColours[i] : Greyed(kColours[i])));
      EXPECT_TRUE(Near(At(X(x - 30), Y(y + 30)), i == except ? kColours[i] : Greyed(kColours[i])));
    }
    // The cut lines: inside the board, and where they meet its top and bottom edges.
    for (float y : {1.0f, 40.0f, 120.0f, 158.0f}) {
      SCOPED_TRACE(testing::Message() << "line at y " << y);
      EXPECT_TRUE(Near(At(X(80), Y(y)), kLineColour));
      EXPECT_TRUE(Near(At(X(240), Y(y)), kLineColour));
    }
    EXPECT_TRUE(Near(At(X(40), Y(80)), kLineColour));
    EXPECT_TRUE(Near(At(X(200), Y(80)), kLineColour));
  };
  board_->Update(false, 1.0f);
  Draw();
  {
    SCOPED_TRACE("no slot in view");
    expectGreyedBoard(kColumns * kRows);
  }
  board_->GetSlots()[6]->SetVisible(true);
  board_->Update(false, 1.0f);
  Draw();
  {
    SCOPED_TRACE("slot 6 placed");
    expectGreyedBoard(6);
    // The lines round slot 6 (x 160-240, y 80-160) over it.
    EXPECT_TRUE(Near(At(X(160), Y(120)), kLineColour));
    EXPECT_TRUE(Near(At(X(200), Y(80)), kLineColour));
  }
}

// The tip's sparkles rise from the piece's sample points over its slot, in front of the slot that flashes
// there (the cut lines, higher up, still draw over them), and nowhere else.
TEST_F(BoardDisplayTest, TheTipSparklesOverTheSlotOfThePiece) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  LoadGameData();
  AddEffect("board/tip");
  MakeBoard();
  // Piece 6 (third column, second row): its slot spans picture x 160-240, y 80-160.
  PuzzleElement* slot = board_->GetSlots()[6].get();
  slot->ShowTip();
  Run(20);
  Draw();
  const CorvantisEngine::Vector2 origin = board_->GetSlotContainer()->GetAbsolutePosition();
  const auto& points = level_->samplePoints[6];
  ASSERT_FALSE(points.empty());
  // The system holds 100 particles and the slot has hundreds of sample points, each particle born at
  // one picked at random: nearly all of them, not every one, have a particle over them.
  std::size_t covered = 0;
  for (const CorvantisEngine::Vector2& point : points) {
    covered += EffectNear(origin.x + point.x, origin.y + point.y, kParticleSize / 2) ? 1 : 0;
  }
  EXPECT_GE(covered * 100, points.size() * 95) << covered << " of " << points.size();
  // No particle anywhere else on the board.
  const float reach = kParticleSize + 1;
  for (float y = 0; y < kHeight; y += 2) {
    for (float x = 0; x < kWidth; x += 2) {
      const bool overSlot = x > 160 - reach && x < 240 + reach && y > 80 - reach && y < 160 + reach;
      if (!overSlot) {
        ASSERT_FALSE(IsEffect(origin.x + x, origin.y + y)) << "picture point " << x << ", " << y;
      }
    }
  }
  // Away from every sample point: the board as it is.
  EXPECT_TRUE(Near(At(X(40), Y(40)), Greyed(kColours[0])));
  EXPECT_TRUE(Near(At(X(280), Y(140)), Greyed(kColours[7])));
  EXPECT_FALSE(IsEffect(700, 100));
}

// The closing burst is born all over the board's area, in front of the finished picture; nothing of it
// outside.
TEST_F(BoardDisplayTest, TheClosingBurstCoversTheBoardInFrontOfThePicture) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  LoadGameData();
  AddEffect("board/level_complete");
  MakeBoard();
  for (const auto& slot : board_->GetSlots()) {
    slot->SetVisible(true);
  }
  board_->GetClosingWindow()->SetState(CorvantisEngine::kGUIShown);
  CorvantisEngine::ParticleSystem* burst = board_->GetClosingEffect();
  burst->SetVisible(true);
  burst->emitterTime = 0.0f;
  burst->emitting = true;
  Run(20);
  Draw();
  int inside = 0;
  int samples = 0;
  for (float y = 10; y < kHeight; y += 20) {
    for (float x = 10; x < kWidth; x += 20) {
      ++samples;
      inside += IsEffect(X(x), Y(y)) ? 1 : 0;
    }
  }
  EXPECT_GT(inside, samples / 4) << inside << " of " << samples << " points of the board";
  int outside = 0;
  // A particle's square reaches its size from where it was born.
  const float margin = 2 * kParticleSize + 2;
  for (float x = 0; x < 800; x += 10) {
    outside += IsEffect(x, Y(kHeight) + margin) ? 1 : 0;
    outside += IsEffect(x, Y(0) - margin) ? 1 : 0;
  }
  for (float y = 0; y < 600; y += 10) {
    outside += IsEffect(X(kWidth) + margin, y) ? 1 : 0;
  }
  EXPECT_EQ(outside, 0);
}

// The tray's start effect sparkles on the path's first point, in front of a piece lying there; the
// finish effect shows where the carriage run puts it.
TEST_F(BoardDisplayTest, ThePathEffectsShowInFrontOfThePieces) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  LoadGameData();
  AddEffect("depository/path_start");
  AddEffect("depository/path_finish");
  MakeBoard();
  MakeTray();
  PuzzleElement* piece = elements_->GetPieces().front().get();
  piece->SetVisible(true);
  piece->SetPosition({100, 560});
  CorvantisEngine::ParticleSystem* finish = depository_->GetPathFinishEffect();
  finish->SetPosition({700, 460, 0});
  finish->SetVisible(true);
  finish->emitting = true;
  Run(20);
  Draw();
  EXPECT_TRUE(IsEffect(100, 560)) << "the start effect over the piece";
  EXPECT_FALSE(IsEffect(100 + 2 * kParticleSize, 560));
  EXPECT_TRUE(IsEffect(700, 460)) << "the finish effect";
  EXPECT_FALSE(IsEffect(700, 460 - 2 * kParticleSize));
}

}  // namespace
}  // namespace Puzzle
