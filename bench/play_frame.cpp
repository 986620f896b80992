// One frame of play on the headless device: the play logic's update (tray, piece in hand, board, loose
// pieces, bonuses, floating texts) with 300 pieces cut by the data build's jigsaw cutter from a
// 720 x 480 picture, the tray full from end to end and standing (a long pause), a piece in hand drawn
// by the magnet, and some floating texts.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/render/CameraManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "framework/AudioManager.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/GameLogic.h"
#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/support/EngineRig.h"
#include "tools/cutter/JigsawCutter.h"

namespace {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

constexpr int kWidth = 720;
constexpr int kHeight = 480;

std::string PictureFile() {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(kWidth & 0xFF);
  bytes[13] = static_cast<char>(kWidth >> 8);
  bytes[14] = static_cast<char>(kHeight & 0xFF);
  bytes[15] = static_cast<char>(kHeight >> 8);
  bytes[16] = 24;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      bytes.push_back(static_cast<char>(x ^ y));
      bytes.push_back(static_cast<char>(y * 3));
      bytes.push_back(static_cast<char>(x * 5));
    }
  }
  return bytes;
}

void AddBox(CorvantisEngine::Engine& engine, Puzzle::GameData& keeper, const std::string& name,
            Vector2 centre, float half) {
  auto* model = new CorvantisEngine::Model(engine.GetModelManager()->GetServices(),
                                           Vector3{centre.x - half, centre.y - half, -1},
                                           Vector3{centre.x + half, centre.y + half, 1}, nullptr, nullptr, 0);
  keeper.AddModel(name, model);
}

void Step(CorvantisEngine::Engine& engine, float dt) {
  platform::headless::StepClockNanoseconds(static_cast<std::uint64_t>(dt * 1e9));
  engine.GetTimerManager()->Update();
  engine.GetTimerManager()->delta = dt;
  engine.GetControls()->Update();
  engine.GetCameraManager()->Update();
}

void BM_PlayFrame(benchmark::State& state) {
  jigsaw::CutRequest request;
  request.pictureWidth = kWidth;
  request.pictureHeight = kHeight;
  request.columns = 20;
  request.rows = 15;
  request.style = jigsaw::Style::kClassic;
  request.seed = 4003;
  const jigsaw::Cut cut = jigsaw::CutPicture(request);
  const auto shapes = Puzzle::PieceShapeFile::Write(cut.shapes, kWidth, kHeight);

  testsupport::EngineRig rig;
  rig.Write("data/themes/bench/01.tga", PictureFile());
  rig.Write("data/themes/bench/01.xml", "<puzzle><puzzle_color>255 255 255</puzzle_color></puzzle>");
  rig.Write("data/puzzles/01/puzzle_01.pzf", std::string(shapes.begin(), shapes.end()));
  CorvantisEngine::Engine& engine = rig.Start();
  CorvantisEngine::RandomSeed(11);

  auto level = std::make_unique<Puzzle::GameLogicData>(&engine, "en", nullptr, nullptr);
  level->picturePath = "data\\themes\\bench\\01.tga";
  level->coloursPath = "data\\themes\\bench\\01.xml";
  level->shapePath = "data\\puzzles\\01\\puzzle_01.pzf";
  level->Load();
  level->WaitForLoad();
  auto gameData = std::make_unique<Puzzle::GameData>(&engine, "en");
  gameData->Load();
  gameData->WaitForLoad();
  // A path along the screen's edges: up the right, across the top, down the left.
  const Vector2 path[] = {{790, 20}, {790, 590}, {10, 590}, {10, 20}, {400, 20}, {780, 20}};
  for (int n = 0; n < 6; ++n) {
    AddBox(engine, *gameData, "depository/path/00" + std::to_string(n), path[n], 2.0f);
  }
  for (const char* name : {"bonuses/magnet", "bonuses/pause", "bonuses/rollback", "bonuses/tip"}) {
    AddBox(engine, *gameData, name, {0, 0}, 20.0f);
  }
  AddBox(engine, *gameData, "carriage/model", {0, 0}, 15.0f);
  AddBox(engine, *gameData, "depository/obstacle", {400, 300}, 5.0f);
  AddBox(engine, *gameData, "board/level_complete", {0, 0}, 1.0f);

  ::setenv("XDG_DATA_HOME", rig.Folder().Root().c_str(), 1);
  auto audio = std::make_unique<GameFramework::AudioManager>(&engine);
  auto profiles = std::make_unique<Puzzle::ProfileManager>(&engine, audio.get(), rig.Folder().Win("save"));
  profiles->SetCurrentProfile(profiles->AddProfile(L"Bench"), false);
  auto logic =
      std::make_unique<Puzzle::GameLogic>(&engine, nullptr, profiles.get(), audio.get(), gameData.get(),
                                          level.get(), nullptr, nullptr, nullptr, 0, "");
  Puzzle::PuzzleDepository& tray = *logic->GetDepository();

  // Fill the tray from end to end, then stop it with a pause that outlasts the run.
  const std::size_t full =
      static_cast<std::size_t>(tray.GetPathLength() / Puzzle::PuzzleDepository::kSpacing) - 2;
  for (int i = 0; i < 100000 && tray.GetQueue().size() < full; ++i) {
    Step(engine, 0.05f);
    logic->Update();
    engine.GetControls()->EndFrame();
  }
  tray.pauseTime = 1.0e9f;
  for (int i = 0; i < 200; ++i) {
    Step(engine, 0.02f);
    logic->Update();
    engine.GetControls()->EndFrame();
  }
  // A piece in hand, drawn towards its slot by the magnet, over the board.
  Puzzle::PuzzleElement* held = nullptr;
  for (const auto& entry : tray.GetQueue()) {
    if (entry->piece != nullptr) {
      held = entry->piece;
      break;
    }
  }
  if (held != nullptr) {
    engine.GetGUIManager()->GetDefaultCursor()->position = held->GetPosition();
    platform::headless::PushMouseButton(0, true);
    Step(engine, 0.02f);
    logic->Update();
    engine.GetControls()->EndFrame();
    platform::headless::PushMouseButton(0, false);
    held->target = logic->GetBoard()->GetSlots()[held->GetIndex()].get();
    engine.GetGUIManager()->GetDefaultCursor()->position = Vector2{300, 300};
  }
  for (int i = 0; i < 8; ++i) {
    logic->GetTextManager()->AddText(L"+10", Vector2{200.0f + 20.0f * static_cast<float>(i), 300.0f});
  }

  for (auto _ : state) {
    Step(engine, 0.016f);
    logic->Update();
    engine.GetControls()->EndFrame();
  }
  state.counters["queue"] = static_cast<double>(tray.GetQueue().size());
  state.counters["pieces"] = static_cast<double>(logic->GetElementManager()->GetPieces().size());
  state.counters["held"] = held != nullptr && held->taken != 0 ? 1.0 : 0.0;
  state.counters["state"] = static_cast<double>(logic->state);

  logic.reset();
  profiles.reset();
  audio.reset();
  level.reset();
  gameData.reset();
}

BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
