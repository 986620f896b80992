// The carriage on the tray: its heading and spin, and the end-of-level run that pays the checkpoints.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/StringUtils.h"
#include "engine/resources/ParticleSystem.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/Carriage.h"
#include "game/GUIGameLogicText.h"
#include "game/PuzzleDepository.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTurn = 2.0f * kPi;
constexpr float kCornerLength = 50.0f;
constexpr float kRunDelay = 0.05f;
constexpr float kRunAcceleration = 130.0f;
constexpr float kRunTopSpeed = 600.0f;

}  // namespace

void PuzzleDepository::StartCarriage() {
  if (!carriage->IsVisible()) {
    carriagePosition = 0.0f;
    carriage->SetVisible(true);
  }
  carriageRunning = 1;
  runTime = 0.0f;
  runStart = carriagePosition;
  // Checkpoints behind the start are not paid.
  nextCheckpoint = 0;
  while (nextCheckpoint < kCheckpoints &&
         static_cast<float>(nextCheckpoint) * pathLength / static_cast<float>(kCheckpoints - 1) <
             runStart - kTolerance) {
    ++nextCheckpoint;
  }
  // Bonuses left on the tray are paid and taken.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    Bonus* bonus = queue[i]->bonus;
    if (bonus == nullptr) {
      queue[kept++] = std::move(queue[i]);
      continue;
    }
    if (textManager != nullptr) {
      textManager->AddText(L"+" + std::to_wstring(kBonusPoints), bonus->GetPosition());
    }
    bonus->Take();
    AddEarnings(kBonusPoints);
  }
  queue.resize(kept);
}

void PuzzleDepository::RunStep(bool paused, float dt) {
  if (!pathFinishEffect->IsVisible()) {
    pathFinishEffect->SetVisible(true);
    pathFinishEffect->emitting = true;
  }
  runTime += dt;
  const float s = std::max(0.0f, runTime - kRunDelay);
  carriagePosition = std::min(kRunTopSpeed, kRunAcceleration * s) * s + runStart;
  if (carriagePosition > pathLength - kEndZone) {
    carriagePosition = std::min(pathLength, carriagePosition);
    const float scale = (pathLength - carriagePosition) / kEndZone;
    carriage->SetScale(scale);
    if (scale < kTolerance) {
      carriage->SetVisible(false);
    }
  }
  // The position is clamped to the path's end above, so reaching the end is an exact comparison (on a
  // long path a tolerance added to the position is lost to rounding).
  if (carriagePosition < pathLength) {
    if (s > 0.15f) {
      if (!paused && !IsPlaying(kRunSound)) {
        audio->PlaySound(kRunSound);
      } else if (paused && IsPlaying(kRunSound)) {
        audio->StopSound(kRunSound);
      }
    }
  } else {
    carriagePosition = pathLength;
    pathFinishEffect->emitting = false;
    carriageRunning = 0;
    carriageFinished = 1;
    StopIfPlaying(kRunSound);
  }
  const Vector2 at = GetPointAtDistance(carriagePosition);
  // Each checkpoint is paid once, when the carriage reaches it; a standing carriage pays nothing more.
  while (nextCheckpoint < kCheckpoints &&
         static_cast<float>(nextCheckpoint) * pathLength / static_cast<float>(kCheckpoints - 1) <=
             carriagePosition + kTolerance) {
    if (textManager != nullptr) {
      textManager->AddText(L"+" + std::to_wstring(kCheckpointPoints), at);
    }
    AddEarnings(kCheckpointPoints);
    ++nextCheckpoint;
  }
  carriage->SetPosition(at);
  pathFinishEffect->SetPosition(Vector3(at.x, at.y, 0.0f));
}

void PuzzleDepository::UpdateHeading(float dt) {
  // The corner whose end is nearest; the carriage turns over the last 50 units before it.
  std::size_t k = 0;
  float bestGap = 0.0f;
  float end = 0.0f;
  float nearestEnd = 0.0f;
  for (std::size_t i = 0; i < segmentLengths.size(); ++i) {
    end += segmentLengths[i];
    const float gap = std::fabs(carriagePosition - end);
    if (i == 0 || gap < bestGap) {
      bestGap = gap;
      k = i;
      nearestEnd = end;
    }
  }
  const float t = std::clamp((carriagePosition - nearestEnd + kCornerLength) / kCornerLength, 0.0f, 1.0f);
  float heading = kPi;
  if (k == 0) {
    heading = (1.0f - t) * (-kPi / 2.0f);
  } else if (k == 1) {
    heading = t * kPi / 2.0f;
  } else if (k == 2) {
    heading = (1.0f - t) * kPi / 2.0f + t * kPi;
  }

  const bool free = endReached == 0 && carriageRunning == 0;
  if (rollBackTime > 0.0f && free) {
    // Half a turn, to face backwards while the tray rolls back.
    if (carriageSpin >= kPi + kTolerance) {
      carriageSpin += kTurn * dt;
    } else {
      carriageSpin = std::min(kPi, carriageSpin + kTurn * dt);
    }
  } else if (pauseTime > 0.0f && free) {
    carriageSpin += kTurn * dt;
  } else if (carriageSpin > kTolerance) {
    carriageSpin = std::min(kTurn, carriageSpin + kTurn * dt);
  }
  // A finished turn is no turn: at 2 pi the spin starts again from 0.
  while (carriageSpin >= kTurn) {
    carriageSpin -= kTurn;
  }
  carriage->SetRotation(heading + carriageSpin);
}

}  // namespace Puzzle
