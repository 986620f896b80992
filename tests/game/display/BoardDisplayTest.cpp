// A board on the real device: placed slots show the picture's pixels where they belong, unplaced ones
// the greyed picture, the cut lines show in the puzzle colour, a piece drawn at tray size shows none of
// its neighbours' pixels, and all of it is still right after a forced device reset.
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
#include "framework/AudioManager.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
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
    gameData_ = std::make_unique<GameData>(engine_.get(), "en");
    gameData_->Load();
    gameData_->WaitForLoad();
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
  CorvantisEngine::Image image_;
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

}  // namespace
}  // namespace Puzzle
