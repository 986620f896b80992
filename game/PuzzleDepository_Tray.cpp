// The tray's entries coming and going: feeding new pieces and bonuses at the path start, the mouse
// point, taking pieces and bonuses, dropping a dragged piece back, putting it back, and the boost.
#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/Random.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/render/CameraManager.h"
#include "engine/resources/Model.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/Carriage.h"
#include "game/GameData.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

namespace {

constexpr float kGUIWidth = 800.0f;
constexpr float kGUIHeight = 600.0f;
constexpr float kDropDistance = 20.0f;
constexpr float kBoostHold = 0.5f;

float Length(const Vector2& v) {
  return std::sqrt(v.x * v.x + v.y * v.y);
}

}  // namespace

PuzzleElement* PuzzleDepository::NextPieceToFeed() const {
  if (endReached != 0) {
    return nullptr;
  }
  for (const std::unique_ptr<PuzzleElement>& piece : elementManager->GetPieces()) {
    if (piece->taken == 0 && !piece->IsVisible()) {
      return piece.get();
    }
  }
  return nullptr;
}

void PuzzleDepository::Feed() {
  // A bonus after 6 to 8 newly fed pieces (9 to 11 in relax mode).
  const auto drawThreshold = [this] {
    return static_cast<std::uint32_t>(relax != 0 ? CorvantisEngine::RandomInt(8, 10)
                                                 : CorvantisEngine::RandomInt(5, 7));
  };
  if (bonusThreshold == 0) {
    bonusThreshold = drawThreshold();
  }
  for (;;) {
    if (!queue.empty() && queue.front()->distance < kSpacing) {
      return;
    }
    const float behind = queue.empty() ? 0.0f : queue.front()->distance - kSpacing;
    PuzzleElement* next = NextPieceToFeed();
    if (!waiting.empty()) {
      std::unique_ptr<DepositoryElement> entry = std::move(waiting.back());
      waiting.pop_back();
      entry->SetVisible(true);
      queue.insert(queue.begin(), std::move(entry));
    } else if (fedCount > bonusThreshold) {
      fedCount = 0;
      bonusThreshold = drawThreshold();
      Bonus* bonus = bonusManager->CreateBonus(freeLength / pathLength);
      auto entry = std::make_unique<DepositoryElement>(bonus, behind);
      entry->SetVisible(true);
      queue.insert(queue.begin(), std::move(entry));
    } else if (next == nullptr) {
      if (carriage->IsVisible()) {
        return;
      }
      carriage->SetVisible(true);
      carriagePosition = behind;
    } else {
      auto entry = std::make_unique<DepositoryElement>(next, behind);
      entry->SetVisible(true);
      entry->SetScale(entry->FitScale(cellSize));
      queue.insert(queue.begin(), std::move(entry));
      ++fedCount;
    }
  }
}

void PuzzleDepository::ComputeMousePoint(bool paused) {
  const Vector2 cursor = gui->GetCursorPosition();
  const float width = window != nullptr ? static_cast<float>(window->GetWidth()) : kGUIWidth;
  const float height = window != nullptr ? static_cast<float>(window->GetHeight()) : kGUIHeight;
  const Vector3 pixel(cursor.x / kGUIWidth * width, cursor.y / kGUIHeight * height, 0.0f);
  Vector3 nearPoint(pixel.x, pixel.y, -1.0f);
  Vector3 farPoint(pixel.x, pixel.y, 1.0f);
  cameras->Unproject(&nearPoint, gui->GetCamera(), Vector3(pixel.x, pixel.y, -1.0f));
  cameras->Unproject(&farPoint, gui->GetCamera(), Vector3(pixel.x, pixel.y, 1.0f));
  mousePoint = Vector2{nearPoint.x, nearPoint.y};
  obstacleHit = false;
  if (controls->IsKeyPressed("MOUSE1") && !paused) {
    const CorvantisEngine::Ray ray(nearPoint, farPoint - nearPoint);
    obstacleHit = gameData->GetModel("depository/obstacle")->IntersectSegment(ray, nullptr);
  }
}

void PuzzleDepository::Pick(bool paused, PuzzleElement* held) {
  if (held == nullptr) {
    if (!controls->IsKeyPressed("MOUSE1") || obstacleHit || paused) {
      return;
    }
    for (std::size_t i = 0; i < queue.size(); ++i) {
      const DepositoryElement& entry = *queue[i];
      const bool hit =
          entry.piece != nullptr ? entry.piece->HitTest(mousePoint) : entry.bonus->HitTest(mousePoint);
      if (hit) {
        TakeEntry(i);
        return;
      }
    }
    return;
  }

  std::uint8_t side = 1;
  const float t = ProjectOntoPath(held->GetPosition(), side);
  const float distance = Length(held->GetPosition() - GetPointAtDistance(t));
  dragDistance = side == 1 ? distance : 0.0f;
  if (paused) {
    return;
  }
  if (controls->IsKeyPressed("MOUSE1") && !obstacleHit && distance < kDropDistance && DropBack(held, t)) {
    return;
  }
  if (controls->IsKeyPressed("MOUSE2")) {
    PutBack(held);
  }
}

void PuzzleDepository::TakeEntry(std::size_t index) {
  std::unique_ptr<DepositoryElement> entry = std::move(queue[index]);
  queue.erase(queue.begin() + static_cast<std::ptrdiff_t>(index));
  if (entry->piece != nullptr) {
    PuzzleElement* piece = entry->piece;
    // The same click must not reach the board.
    controls->LockInput();
    piece->taken = 1;
    dragDistance = 0.0f;
    dragOffset = piece->GetPosition() - gui->GetCursorPosition();
    const float length = Length(dragOffset);
    if (length > 1.0f) {
      dragOffset = dragOffset * (std::min(length, 0.18f * Length(cellSize)) / length);
    }
    audio->PlaySound(kElementGetSound);
    return;
  }
  Bonus* bonus = entry->bonus;
  switch (bonus->GetKind()) {
    case BonusKind::RollBack:
      AddRollBack();
      ShowText("game_logic/bonuses/roll_back", bonus->GetPosition());
      audio->PlaySound(kRollBackApplySound);
      break;
    case BonusKind::Pause:
      AddPause();
      ShowText("game_logic/bonuses/pause", bonus->GetPosition());
      audio->PlaySound(kPauseApplySound);
      break;
    case BonusKind::Magnet:
      if (board != nullptr) {
        board->magnetPending = 1;
        board->tipPending = 0;
      }
      ShowText("game_logic/bonuses/magnet", bonus->GetPosition());
      audio->PlaySound(kMagnetApplySound);
      break;
    case BonusKind::Tip:
      if (board != nullptr) {
        board->tipPending = 1;
        board->magnetPending = 0;
      }
      ShowText("game_logic/bonuses/tip", bonus->GetPosition());
      audio->PlaySound(kTipApplySound);
      break;
  }
  bonus->Take();
}

float PuzzleDepository::GapStart(std::size_t i) const {
  if (i == 0) {
    return carriage->IsVisible() ? carriagePosition : -kSpacing;
  }
  return queue[i - 1]->distance;
}

float PuzzleDepository::GapEnd(std::size_t i) const {
  return i < queue.size() ? queue[i]->distance : pathLength + kSpacing;
}

bool PuzzleDepository::DropBack(PuzzleElement* held, float t) {
  if (queue.empty() && !carriage->IsVisible()) {
    Enter(held, t, 0);
    return true;
  }
  // Gaps of more than two spacings take the piece; near an end of the gap it keeps one spacing.
  for (std::size_t i = 0; i <= queue.size(); ++i) {
    const float prev = GapStart(i);
    const float next = GapEnd(i);
    if (prev <= t && t <= next && (next - prev) + kTolerance > 2.0f * kSpacing) {
      const float a = next - t;
      const float b = t - prev;
      float at = t;
      if (a + kTolerance <= kSpacing || b + kTolerance <= kSpacing) {
        at = a <= b ? next - kSpacing : prev + kSpacing;
      }
      Enter(held, at, i);
      return true;
    }
  }
  return false;
}

bool PuzzleDepository::PutBack(PuzzleElement* held) {
  if (relax != 0) {
    float at = 0.0f;
    if (carriage->IsVisible()) {
      // The piece takes the carriage's place; the carriage steps back.
      at = carriagePosition;
      queue.insert(queue.begin(), std::make_unique<DepositoryElement>(held, at));
      carriagePosition -= kSpacing;
      if (carriagePosition < 0.0f) {
        carriage->SetVisible(false);
      } else {
        carriage->SetPosition(GetPointAtDistance(carriagePosition));
      }
    } else {
      // Back among the pieces waiting to be fed.
      held->SetVisible(false);
    }
    DepositoryElement fitting(held, at);
    fitting.SetScale(fitting.FitScale(cellSize));
    held->SetPosition(GetPointAtDistance(at));
    held->taken = 0;
    audio->PlaySound(kElementCancelSound);
    return true;
  }
  if (queue.empty()) {
    if (!carriage->IsVisible()) {
      Enter(held, 0.0f, 0);
      return true;
    }
    if (kSpacing < (pathLength - carriagePosition) + kTolerance) {
      Enter(held, carriagePosition + kSpacing, 0);
      return true;
    }
    return false;
  }
  for (std::size_t i = 0; i <= queue.size(); ++i) {
    const float prev = GapStart(i);
    const float next = GapEnd(i);
    if ((next - prev) + kTolerance > 2.0f * kSpacing) {
      Enter(held, prev + kSpacing, i);
      return true;
    }
  }
  return false;
}

void PuzzleDepository::Enter(PuzzleElement* piece, float distance, std::size_t index) {
  auto entry = std::make_unique<DepositoryElement>(piece, distance);
  entry->SetScale(entry->FitScale(cellSize));
  entry->SetPosition(GetPointAtDistance(distance));
  piece->taken = 0;
  queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  audio->PlaySound(kElementCancelSound);
}

void PuzzleDepository::UpdateBoost(float dt, PuzzleElement* held) {
  if (held == nullptr) {
    if (controls->IsKeyPressed("MOUSE2")) {
      boostHeld = 1;
      boostHoldTime = 0.0f;
    } else if (boostHeld != 0) {
      if (controls->IsKeyDown("MOUSE2")) {
        boostHoldTime += dt;
      } else {
        boostHeld = 0;
      }
    }
  }
  if (boostHeld == 0) {
    boost = std::max(0.0f, boost - dt * std::max(380.0f, 5.0f * extraSpeed));
  } else if (boostHoldTime > kBoostHold) {
    boost = std::min(300.0f, boost + dt * std::max(200.0f, 2.8f * boost));
  }
}

}  // namespace Puzzle
