#include "game/GameLogic.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/BoundingBox.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/GameLogicData.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextTool.h"
#include "tools/gui/GUIToolManager.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

namespace {
constexpr float kFadeOutSpeed = 2.0f;
constexpr float kFadeInSpeed = 1.3f;
// The dragged piece grows from its tray size to full size over this drag distance from the path.
constexpr float kGrowStart = 20.0f;
constexpr float kGrowLength = 25.0f;
// The magnet pulls 100 units up to 200 away, falling to nothing at 450; within 200 the piece glides.
constexpr float kPull = 100.0f;
constexpr float kPullFull = 200.0f;
constexpr float kPullReach = 450.0f;
constexpr float kGlideTime = 0.35f;
}  // namespace

GameLogic::GameLogic(CorvantisEngine::Engine* engine_, GameFramework::GUIGameCursorBase* cursor_,
                     ProfileManager* profileManager_, GameFramework::AudioManager* audio_,
                     GameData* gameData_, GameLogicData* levelData_, GUITools::GUIToolManager* toolManager_,
                     GameFramework::StageRecord* stageRecord_, GameFramework::LevelRecord* levelRecord_,
                     std::uint32_t gameCounter_, const std::string& /*dataPath*/)
    : GameLogicBase(engine_, audio_, stageRecord_, levelRecord_, gameCounter_),
      gui(engine_->GetGUIManager()),
      cursor(cursor_),
      profileManager(profileManager_),
      gameData(gameData_),
      levelData(levelData_),
      fontTool(toolManager_ != nullptr ? toolManager_->GetFontTool() : nullptr),
      textTool(toolManager_ != nullptr ? toolManager_->GetTextTool() : nullptr) {
  Profile* profile = profileManager->GetCurrent();
  relax = profile != nullptr && profile->GetGameMode() == 1 ? 1 : 0;
  if (profile != nullptr) {
    profile->levelEarnings = 0;
  }
  rootWindow = gui->CreateModelWindow(CorvantisEngine::kGUIShown, Vector2{0, 0}, Vector2{0, 0}, nullptr,
                                      gameData->GetPlayWindow());
  textManager = std::make_unique<GUIGameLogicTextManager>(
      engine, fontTool != nullptr ? fontTool->GetFontIndex("tip") : -1, gameData->GetPieceWindow());
  elementManager =
      std::make_unique<PuzzleElementManager>(engine, audio, gameData, levelData, gameData->GetPieceWindow());
  bonusManager = std::make_unique<BonusManager>(engine, gameData, relax != 0, gameData->GetPieceWindow());
  board = std::make_unique<Puzzle>(engine, cursor, audio, textTool, gameData, levelData, textManager.get(),
                                   elementManager.get(), scoreKeeper.get(), profile, relax != 0, rootWindow);
  depository = std::make_unique<PuzzleDepository>(
      engine, audio, gameData, levelData, textTool, textManager.get(), bonusManager.get(),
      elementManager.get(), board.get(), scoreKeeper.get(), profile, relax != 0, rootWindow);
  fade = 1.0f;
  attraction = 0.0f;
  PauseTimer(false);
  audio->PlaySound(kLevelBeginSound);
}

GameLogic::~GameLogic() {
  board.reset();
  bonusManager.reset();
  depository.reset();
  elementManager.reset();
  textManager.reset();
  gui->DestroyWindow(rootWindow);
}

void GameLogic::Update() {
  GameLogicBase::Update();
  const bool paused = state == kPaused;
  const float dt = timers->delta;

  fade = std::clamp(paused ? fade - kFadeOutSpeed * dt : fade + kFadeInSpeed * dt, 0.0f, 1.0f);

  const std::uint8_t introWas = depository->introFinished;
  depository->Update(paused, fade);
  if (introWas == 0 && depository->introFinished != 0) {
    PauseTimer(false);
  }

  bool heldWithTarget = false;
  const bool attracted = state == kRunning && MoveHeldPiece(heldWithTarget);
  UpdateMagnetSound(heldWithTarget);
  attraction = attracted ? dt * fade : 0.0f;

  // After the end the board keeps drawing, but nothing more is placed.
  board->Update(state != kRunning, fade);
  elementManager->Update(paused, fade);
  bonusManager->Update(fade);
  textManager->Update();

  if (board->IsComplete()) {
    PauseTimer(true);
  }
  CheckEnd();
}

bool GameLogic::MoveHeldPiece(bool& heldWithTarget) {
  PuzzleElement* held = nullptr;
  bool attracted = false;
  for (const std::unique_ptr<PuzzleElement>& piece : elementManager->GetPieces()) {
    if (!piece->IsVisible() || piece->taken == 0) {
      continue;
    }
    PuzzleElement& e = *piece;
    held = &e;
    e.SetScale(1.0f);
    const Vector2 size = e.GetSize();
    const Vector2 cell = depository->cellSize;
    const float fit = std::min(cell.x / size.x, cell.y / size.y);
    const float t = std::clamp((depository->dragDistance - kGrowStart) / kGrowLength, 0.0f, 1.0f);
    float scale = (1.0f - t) * fit + t;
    // Off the board the piece keeps its tray size.
    const Vector2 at = e.GetPosition();
    const CorvantisEngine::BoundingBox rect(Vector3{at.x - size.x / 2, at.y - size.y / 2, 0},
                                            Vector3{at.x + size.x / 2, at.y + size.y / 2, 0});
    if (!rect.Intersects(board->GetBoardRect())) {
      scale = fit;
    }
    e.SetScale(scale);

    Vector2 q = gui->GetCursorPosition() + depository->dragOffset;
    if (PuzzleElement* slot = e.target) {
      const CorvantisEngine::GUIWindow* slotWindow = slot->GetSprite();
      const Vector2 tq = slotWindow->GetOrigin() + slot->GetPosition();
      const Vector2 way = tq - q;
      const float d = std::sqrt(way.x * way.x + way.y * way.y);
      const Vector2 u = d < 0.0001f ? way : way * (1.0f / d);
      if (d < kPullReach) {
        q = q + u * (kPull * (1.0f - std::max(0.0f, d - kPullFull) / (kPullReach - kPullFull)));
      }
      if (d < kPullFull) {
        if (!slot->IsHighlighted()) {
          slot->StartHighlight();
        }
        attracted = true;
        const float k = std::min(attraction / kGlideTime, 1.0f);
        q = e.GetPosition() * (1.0f - k) + tq * k;
      }
    }
    e.SetPosition(q);
  }
  heldWithTarget = held != nullptr && held->target != nullptr;
  return attracted;
}

void GameLogic::UpdateMagnetSound(bool heldWithTarget) {
  const bool playing = audio->GetSoundState(kMagnetSound) == 0;
  if (!heldWithTarget) {
    if (playing) {
      audio->SetSoundLooping(kMagnetSound, false);
    }
  } else if (!playing) {
    audio->SetSoundLooping(kMagnetSound, true);
    audio->PlaySound(kMagnetSound);
  }
}

void GameLogic::CheckEnd() {
  if (state != kRunning) {
    return;
  }
  if (board->IsComplete()) {
    if (relax != 0) {
      if (board->IsFinished()) {
        SetState(kFinished);
      }
      return;
    }
    if (!depository->IsCarriageRunning() && !depository->IsCarriageFinished()) {
      depository->StartCarriage();
    }
    if (board->IsFinished() && depository->IsCarriageFinished()) {
      if (Profile* profile = profileManager->GetCurrent()) {
        profile->money += profile->levelEarnings;
        profile->Save();
      }
      SetState(kFinished);
    }
    return;
  }
  if (depository->failed != 0 && relax == 0) {
    SetState(kFailed);
  }
}

}  // namespace Puzzle
