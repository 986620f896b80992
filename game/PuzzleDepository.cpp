#include "game/PuzzleDepository.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/SpriteGroup.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/Carriage.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleElement.h"
#include "tools/gui/GUITextTool.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

namespace {

constexpr float kIntroDelay = 0.3f;
constexpr float kBaseSpeed = 8.0f;
constexpr float kRelaxBaseSpeed = 40.0f;
constexpr float kExtraSpeed = 400.0f;
constexpr float kRelaxExtraSpeed = 1350.0f;
constexpr float kWarningLength = 450.0f;
constexpr float kPathBeginMinSpeed = 55.0f;

float Clamp01(float value) {
  return std::clamp(value, 0.0f, 1.0f);
}

float Length(const Vector2& v) {
  return std::sqrt(v.x * v.x + v.y * v.y);
}

float Dot(const Vector2& a, const Vector2& b) {
  return a.x * b.x + a.y * b.y;
}

}  // namespace

// --- Entries ---

DepositoryElement::DepositoryElement(Bonus* bonus_, float distance_) : bonus(bonus_), distance(distance_) {}

DepositoryElement::DepositoryElement(PuzzleElement* piece_, float distance_)
    : piece(piece_), distance(distance_) {}

Vector2 DepositoryElement::GetSize() const {
  return piece != nullptr ? piece->GetSize() : Vector2{kBonusSize, kBonusSize};
}

bool DepositoryElement::IsVisible() const {
  return piece != nullptr ? piece->IsVisible() : bonus->IsVisible();
}

void DepositoryElement::SetVisible(bool visible) {
  if (piece != nullptr) {
    piece->SetVisible(visible);
  } else {
    bonus->SetVisible(visible);
  }
}

void DepositoryElement::SetScale(float scale) {
  if (piece != nullptr) {
    piece->SetScale(1.0f);
    piece->SetScale(scale);
  } else {
    bonus->scale = scale;
  }
}

void DepositoryElement::SetPosition(const Vector2& position) {
  if (piece != nullptr) {
    piece->SetPosition(position);
  } else {
    bonus->position = position;
  }
}

float DepositoryElement::FitScale(const Vector2& cell) {
  SetScale(1.0f);
  const Vector2 size = GetSize();
  if (size.x <= 0.0f || size.y <= 0.0f) {
    return 1.0f;
  }
  return std::min(cell.x / size.x, cell.y / size.y);
}

// --- Construction ---

PuzzleDepository::PuzzleDepository(CorvantisEngine::Engine* engine_, GameFramework::AudioManager* audio_,
                                   GameData* gameData_, GameLogicData* /*levelData*/,
                                   GUITools::GUITextTool* textTool_, GUIGameLogicTextManager* textManager_,
                                   BonusManager* bonusManager_, PuzzleElementManager* elementManager_,
                                   Puzzle* board_, GameFramework::ScoreKeeper* /*scoreKeeper*/,
                                   Profile* profile_, bool relax_, CorvantisEngine::GUIWindow* root)
    : engine(engine_),
      log(engine_->GetMessageManager()),
      timers(engine_->GetTimerManager()),
      window(engine_->GetWindow()),
      cameras(engine_->GetCameraManager()),
      particles(engine_->GetParticleSystemManager()),
      controls(engine_->GetControls()),
      gui(engine_->GetGUIManager()),
      audio(audio_),
      gameData(gameData_),
      textTool(textTool_),
      textManager(textManager_),
      bonusManager(bonusManager_),
      elementManager(elementManager_),
      board(board_),
      profile(profile_),
      relax(relax_ ? 1 : 0) {
  // The carriage draws among the pieces: under the parent of their sprites.
  CorvantisEngine::GUIWindow* pieceParent = root;
  CorvantisEngine::GUIWindow* firstSprite = nullptr;
  if (!elementManager->GetPieces().empty()) {
    firstSprite = elementManager->GetPieces().front()->GetSprite();
    pieceParent = firstSprite->parent;
  } else if (elementManager->GetContainer() != nullptr) {
    pieceParent = elementManager->GetContainer();
  }
  carriage = std::make_unique<Carriage>(engine, gameData, pieceParent);
  carriage->SetAlpha(1.0f);

  BuildPath();

  // The path effects draw just in front of the pieces.
  const float pieceDepth =
      firstSprite != nullptr ? firstSprite->depth : (pieceParent != nullptr ? pieceParent->depth : 0.0f);
  const float effectDepth = pieceDepth - kEffectDepthOffset;
  pathStartEffect = CreateGUIParticles(engine, gameData, "depository/path_start", effectDepth);
  pathFinishEffect = CreateGUIParticles(engine, gameData, "depository/path_finish", effectDepth);
  for (CorvantisEngine::ParticleSystem* effect : {pathStartEffect, pathFinishEffect}) {
    effect->looping = true;
    effect->emitterTime = 0.0f;
  }
  pathStartEffect->SetPosition(Vector3(pathPoints.front().x, pathPoints.front().y, 0.0f));
  pathStartEffect->emitting = relax == 0;
  pathStartEffect->SetVisible(relax == 0);
  pathFinishEffect->emitting = false;
  pathFinishEffect->SetVisible(false);

  introFinished = relax;
  extraSpeed = relax != 0 ? kRelaxExtraSpeed : kExtraSpeed;
}

PuzzleDepository::~PuzzleDepository() {
  particles->DestroyParticleSystem(pathStartEffect);
  particles->DestroyParticleSystem(pathFinishEffect);
  queue.clear();
  waiting.clear();
  carriage.reset();
}

void PuzzleDepository::BuildPath() {
  const std::uint32_t count = relax != 0 ? 5 : 6;
  for (std::uint32_t n = 0; n < count; ++n) {
    const std::string name = "depository/path/" + CorvantisEngine::UIntToString(n, 3);
    const CorvantisEngine::Model* marker = gameData->GetModel(name);
    const Vector3& centre = marker->box.centre;
    pathPoints.push_back({centre.x, centre.y});
  }
  for (std::size_t i = 0; i + 1 < pathPoints.size(); ++i) {
    const Vector2 vector = pathPoints[i + 1] - pathPoints[i];
    const float length = Length(vector);
    // A zero-length segment has no direction: every distance along the path would become NaN.
    if (!(length >= kTolerance)) {
      log->Abort("Depository path: segment " + CorvantisEngine::UIntToString(static_cast<std::uint32_t>(i)) +
                 " between the markers \"depository/path/" +
                 CorvantisEngine::UIntToString(static_cast<std::uint32_t>(i), 3) +
                 "\" and \"depository/path/" +
                 CorvantisEngine::UIntToString(static_cast<std::uint32_t>(i + 1), 3) + "\" is too short");
    }
    segmentVectors.push_back(vector);
    segmentLengths.push_back(length);
    pathLength += length;
    segmentNormals.push_back({vector.y / length, -vector.x / length});
  }
  if (segmentLengths.empty()) {
    log->Abort("Depository path: fewer than two path points");
  }
}

// --- Path queries ---

Vector2 PuzzleDepository::GetPointAtDistance(float distance) const {
  float sum = 0.0f;
  for (std::size_t i = 0; i < segmentLengths.size(); ++i) {
    if (distance <= sum + segmentLengths[i]) {
      return pathPoints[i] + segmentVectors[i] * ((distance - sum) / segmentLengths[i]);
    }
    sum += segmentLengths[i];
  }
  return pathPoints.back();
}

float PuzzleDepository::ProjectOntoPath(const Vector2& point, std::uint8_t& side) const {
  float best = 100000.0f;
  float result = 0.0f;
  side = 1;
  float sum = 0.0f;
  for (std::size_t i = 0; i < segmentLengths.size(); ++i) {
    const float h = Dot(point - pathPoints[i], segmentNormals[i]);
    const Vector2 q = point - segmentNormals[i] * h;
    if (Dot(pathPoints[i] - q, pathPoints[i + 1] - q) <= 0.0f && std::fabs(h) < best) {
      best = std::fabs(h);
      result = sum + Length(q - pathPoints[i]);
      side = h < 0.0f ? 1 : 0;
    }
    sum += segmentLengths[i];
  }
  return result;
}

float PuzzleDepository::SpeedTarget() const {
  const float r = freeLength / pathLength;
  const float base = relax != 0 ? kRelaxBaseSpeed : kBaseSpeed;
  return base + 14.0f * Clamp01(r) + 14.0f * Clamp01(r - 0.8f) + 17.0f * Clamp01(r - 0.6f) + extraSpeed +
         boost;
}

// --- Bonus effects ---

void PuzzleDepository::AddRollBack() {
  rollBackTime += 3.1f;
}

void PuzzleDepository::AddPause() {
  const float r = freeLength / pathLength;
  if (r > 0.9f) {
    pauseTime += 1.5f;
  } else if (r > 0.8f) {
    pauseTime += 3.5f;
  } else if (r > 0.6f) {
    pauseTime += 5.5f;
  } else {
    pauseTime += 9.5f;
  }
}

void PuzzleDepository::AddPauseForPieces(std::uint32_t count) {
  if (freeLength / pathLength < 0.8f) {
    pauseTime += static_cast<float>(count) * 0.45f;
  }
}

// --- The frame ---

void PuzzleDepository::Update(bool paused, float fade) {
  carriage->SetAlpha(fade);
  AddPauseForPieces(board != nullptr ? board->GetComboPauseCredit() : 0);
  // The failure run ignores the pause fade: the level is lost either way.
  const bool failing = endReached != 0 && relax == 0;
  const float dt = timers->delta * (failing ? 1.0f : fade);

  if (introFinished == 0) {
    UpdateIntro(paused, dt);
    return;
  }
  if (carriageRunning != 0) {
    RunStep(paused, dt);
  }
  if (carriage->IsVisible()) {
    UpdateHeading(dt);
  }
  if (carriageRunning != 0) {
    return;
  }
  ComputeMousePoint(paused);
  Move(paused, dt);
  AfterMotion(dt);
  if (failed != 0) {
    return;
  }
  Feed();
  PlaceEntries();
  if (failSoundPlayed != 0 && audio->GetChannelState(kMusicChannel) != 0) {
    audio->PauseChannel(kMusicChannel, false, true, 0.15f);
  }
  if (endReached != 0) {
    return;
  }
  PuzzleElement* held = elementManager->FindHeld();
  Pick(paused, held);
  UpdateBoost(dt, held);
}

void PuzzleDepository::UpdateIntro(bool paused, float dt) {
  introTime += dt;
  const float t = std::max(0.0f, introTime - kIntroDelay);
  float d = (std::min(750.0f, t * 320.0f * 0.5f) + 360.0f) * t;
  if (d <= pathLength) {
    if (t > 0.15f) {
      audio->SetSoundTempo(kIntroSound, 1.0f + 0.55f * d / pathLength);
      if (!paused) {
        if (!IsPlaying(kIntroSound)) {
          audio->PlaySound(kIntroSound);
        }
      } else {
        StopIfPlaying(kIntroSound);
      }
    }
  } else {
    d = pathLength;
    pathStartEffect->emitting = false;
    introFinished = 1;
    StopIfPlaying(kIntroSound);
    audio->PlaySound(kIntroEndSound);
  }
  const Vector2 at = GetPointAtDistance(d);
  pathStartEffect->SetPosition(Vector3(at.x, at.y, 0.0f));
}

void PuzzleDepository::Move(bool paused, float dt) {
  const float target = SpeedTarget();
  if (endReached == 0 || relax != 0) {
    extraSpeed = std::max(0.0f, extraSpeed - dt * std::max(20.0f, 0.7f * extraSpeed));
  } else {
    extraSpeed = std::min(1300.0f, extraSpeed + dt * std::max(300.0f, 1.9f * extraSpeed));
    if (queue.empty()) {
      StopIfPlaying(kPathEndSound);
    } else {
      audio->SetSoundTempo(kPathEndSound, 1.0f + extraSpeed / 1600.0f);
      if (!IsPlaying(kPathEndSound)) {
        audio->PlaySound(kPathEndSound);
      }
    }
  }

  rollBackTime -= dt;
  if (rollBackTime > kTolerance) {
    backSpeed = std::min(160.0f, backSpeed + (0.9f * backSpeed + 50.0f) * dt);
  } else {
    rollBackTime = 0.0f;
    backSpeed = std::max(0.0f, backSpeed - (0.6f * backSpeed + 30.0f) * dt);
  }
  pauseTime -= dt;
  if (pauseTime > kTolerance) {
    brake = std::min(target, brake + (0.9f * brake + 50.0f) * dt);
  } else {
    pauseTime = 0.0f;
    brake = std::max(0.0f, brake - (0.6f * brake + 30.0f) * dt);
  }
  const float net = target - backSpeed - std::max(0.0f, brake - backSpeed);
  const float move = net * dt;
  if (move > 0.0f) {
    MoveForward(paused, dt, move);
  } else {
    MoveBackward(move);
  }
}

void PuzzleDepository::MoveForward(bool paused, float dt, float move) {
  if (carriage->IsVisible() && !AllPlaced()) {
    carriagePosition += move;
    if (relax == 0 && carriagePosition > pathLength - kEndZone) {
      endReached = 1;
      carriagePosition = std::min(pathLength, carriagePosition);
      const float scale = (pathLength - carriagePosition) / kEndZone;
      carriage->SetScale(scale);
      if (scale < kTolerance) {
        carriage->SetVisible(false);
        failed = 1;
      }
      // With nothing on the tray the carriage itself brings the end.
      PlayFailure();
    }
  }

  const float frontBefore = queue.empty() ? 0.0f : queue.back()->distance;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    DepositoryElement& entry = *queue[i];
    if (i == 0) {
      if (carriage->IsVisible()) {
        entry.distance = std::max(entry.distance, carriagePosition + kSpacing);
      } else {
        entry.distance += move;
      }
    } else {
      entry.distance = std::max(entry.distance, queue[i - 1]->distance + kSpacing);
    }
    if (relax != 0) {
      entry.distance = std::min(entry.distance, pathLength);
    } else if (entry.distance > pathLength - kEndZone) {
      EnterEndZone(entry);
    }
  }
  std::erase_if(queue, [](const std::unique_ptr<DepositoryElement>& entry) { return !entry->IsVisible(); });

  if (extraSpeed <= 0.0f || (endReached != 0 && relax == 0)) {
    if (IsPlaying(kPathBeginSound)) {
      audio->SetSoundLooping(kPathBeginSound, false);
    }
    return;
  }
  const float frontAfter = queue.empty() ? 0.0f : queue.back()->distance;
  const float speed = dt > 0.0f ? std::fabs(frontBefore - frontAfter) / dt : 0.0f;
  if (speed <= kPathBeginMinSpeed || paused) {
    if (IsPlaying(kPathBeginSound)) {
      audio->SetSoundLooping(kPathBeginSound, false);
    }
  } else if (!IsPlaying(kPathBeginSound) && pathBeginPending != 0) {
    audio->SetSoundLooping(kPathBeginSound, true);
    audio->PlaySound(kPathBeginSound);
    pathBeginPending = 0;
  }
}

void PuzzleDepository::EnterEndZone(DepositoryElement& entry) {
  endReached = 1;
  entry.distance = std::min(entry.distance, pathLength);
  const float f = 1.0f - (pathLength - entry.distance) / kEndZone;
  const float fit = entry.FitScale(cellSize);
  entry.SetScale((1.0f - f) * fit);
  if (f + kTolerance > 1.0f) {
    entry.SetVisible(false);
  }
  PlayFailure();
}

void PuzzleDepository::PlayFailure() {
  if (failSoundPlayed != 0) {
    return;
  }
  audio->PlaySound(kLevelFailedSound);
  audio->PauseChannel(kMusicChannel, true, true, 2.0f);
  failSoundPlayed = 1;
}

void PuzzleDepository::MoveBackward(float move) {
  for (std::size_t k = queue.size(); k-- > 0;) {
    if (k + 1 == queue.size()) {
      queue[k]->distance += move;
    } else {
      queue[k]->distance = std::min(queue[k]->distance, queue[k + 1]->distance - kSpacing);
    }
  }
  if (carriage->IsVisible()) {
    if (queue.empty()) {
      carriagePosition += move;
    } else {
      carriagePosition = std::min(carriagePosition, queue.front()->distance - kSpacing);
    }
  }
}

void PuzzleDepository::AfterMotion(float dt) {
  for (std::size_t i = queue.size(); i-- > 1;) {
    if (queue[i]->distance - queue[i - 1]->distance - kTolerance < kSpacing) {
      queue[i - 1]->distance = queue[i]->distance - kSpacing;
    }
  }
  if (carriage->IsVisible() && !queue.empty() &&
      queue.front()->distance - carriagePosition - kTolerance < kSpacing) {
    carriagePosition = queue.front()->distance - kSpacing;
  }
  if (carriagePosition < 0.0f) {
    carriage->SetVisible(false);
  }
  // Rear to front, so that the frontmost of them is on top and comes back first.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    if (queue[i]->distance < 0.0f) {
      queue[i]->SetVisible(false);
      waiting.push_back(std::move(queue[i]));
    } else {
      queue[kept++] = std::move(queue[i]);
    }
  }
  queue.resize(kept);
  if (queue.empty() || queue.back()->distance < 0.5f) {
    rollBackTime = 0.0f;
    backSpeed = 0.0f;
    pauseTime = 0.0f;
    brake = 0.0f;
  }
  if (!queue.empty() && endReached == 0 && relax == 0) {
    const float behind = carriage->IsVisible() ? carriagePosition : queue.front()->distance;
    freeLength = std::max(0.0f, pathLength - kSpacing * static_cast<float>(queue.size()) - behind);
    if (freeLength >= kWarningLength) {
      warningTimer = 0.0f;
    } else {
      warningTimer -= dt;
      if (warningTimer < 0.0f) {
        audio->PlaySound(kWarningSound);
        warningTimer = freeLength / 180.0f + 0.7f;
      }
    }
  }
}

void PuzzleDepository::PlaceEntries() {
  for (const std::unique_ptr<DepositoryElement>& entry : queue) {
    entry->SetPosition(GetPointAtDistance(entry->distance));
  }
  if (carriage->IsVisible()) {
    carriage->SetPosition(GetPointAtDistance(carriagePosition));
  }
}

// --- Helpers ---

bool PuzzleDepository::AllPlaced() const {
  for (const std::unique_ptr<PuzzleElement>& piece : elementManager->GetPieces()) {
    if (piece->taken == 0 || piece->IsVisible()) {
      return false;
    }
  }
  return true;
}

bool PuzzleDepository::IsPlaying(std::uint32_t sound) const {
  return audio->GetSoundState(sound) == 0;
}

void PuzzleDepository::StopIfPlaying(std::uint32_t sound) {
  if (IsPlaying(sound)) {
    audio->StopSound(sound);
  }
}

void PuzzleDepository::ShowText(const std::string& key, const Vector2& at) {
  if (textManager != nullptr) {
    textManager->AddText(textTool != nullptr ? textTool->GetText(key) : std::wstring(), at);
  }
}

void PuzzleDepository::AddEarnings(std::uint32_t points) {
  if (profile != nullptr) {
    profile->levelEarnings += points;
  }
}

}  // namespace Puzzle
