#include "game/PuzzleElement.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/Engine.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/SpriteGroup.h"
#include "framework/AudioManager.h"
#include "game/GameData.h"
#include "game/GameLogicData.h"
#include "game/TexturePack.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;
using CorvantisEngine::Vector4;

namespace {
// Coloured vertices, not shown.
constexpr std::uint32_t kSpriteFlags = CorvantisEngine::kGUIColoured;
constexpr float kPulseSpeed = 1.5f;
constexpr float kPulseAlpha = 0.4f;
constexpr float kShadowOffset = 3.0f;
}  // namespace

PuzzleElement::PuzzleElement(CorvantisEngine::Engine* engine_, GameFramework::AudioManager* audio_,
                             GameData* gameData_, GameLogicData* levelData_, std::uint32_t index_,
                             bool loose_, CorvantisEngine::GUIWindow* parent)
    : engine(engine_),
      timers(engine_->GetTimerManager()),
      particles(engine_->GetParticleSystemManager()),
      gui(engine_->GetGUIManager()),
      audio(audio_),
      gameData(gameData_),
      levelData(levelData_),
      index(index_),
      loose(loose_ ? 1 : 0) {
  const Vector2 size = levelData->pieceSizes[index];
  const std::string& name = levelData->pieceImageNames[index];
  sprite = levelData->texturePack->CreateSprite(name, kSpriteFlags, size * -0.5f, size, parent);
  if (loose != 0) {
    shadow = levelData->texturePack->CreateSprite(name, kSpriteFlags, size * -0.5f, size, parent);
    shadow->SetColour(Vector4(0, 0, 0, 0.3f));
    sprite->SetLayer(kLooseLayer);
    shadow->SetLayer(kLooseShadowLayer);
  } else {
    sprite->SetLayer(static_cast<std::int32_t>(index) + 1);
  }
  neighbours = levelData->neighbours[index];
}

PuzzleElement::~PuzzleElement() {
  gui->DestroyWindow(sprite);
  gui->DestroyWindow(shadow);
  particles->DestroyParticleSystem(tipEffect);
}

Vector2 PuzzleElement::GetSize() const {
  return sprite->size;
}

bool PuzzleElement::IsVisible() const {
  return (sprite->state & CorvantisEngine::kGUIShown) != 0;
}

void PuzzleElement::SetVisible(bool visible) {
  for (CorvantisEngine::GUIWindow* window : {sprite, shadow}) {
    if (window == nullptr) {
      continue;
    }
    if (visible) {
      window->SetState(CorvantisEngine::kGUIShown);
    } else {
      window->ClearState(CorvantisEngine::kGUIShown);
    }
  }
  if (visible) {
    sprite->SetColour(Vector4(1, 1, 1, 1));
    flash = flashHiding = 0;
    highlight = highlightHiding = 0;
    if (tipEffect != nullptr) {
      tipEffect->emitting = false;
    }
  }
}

void PuzzleElement::SetPosition(const Vector2& centre) {
  position = centre;
  Layout();
}

void PuzzleElement::SetScale(float value) {
  scale = value;
  Layout();
}

void PuzzleElement::Layout() {
  const Vector2 size = levelData->pieceSizes[index] * scale;
  sprite->size = size;
  sprite->position = position - size * 0.5f;
  if (shadow != nullptr) {
    shadow->size = size;
    const float k = std::min(2.0f * scale, 1.0f);
    shadow->position =
        Vector2{position.x - size.x / 2 + kShadowOffset * k, position.y - size.y / 2 - kShadowOffset * k};
  }
}

bool PuzzleElement::HitTest(const Vector2& point) const {
  const Vector2 topLeft = sprite->GetAbsolutePosition();
  return point.x > topLeft.x && point.y > topLeft.y && point.x < topLeft.x + sprite->size.x &&
         point.y < topLeft.y + sprite->size.y;
}

CorvantisEngine::ParticleSystem* CreateGUIParticles(CorvantisEngine::Engine* engine, GameData* gameData,
                                                    const std::string& name, float depth) {
  CorvantisEngine::ParticleSystem* system =
      engine->GetParticleSystemManager()->CreateParticleSystem(*gameData->GetParticleSystem(name));
  system->SetCamera(engine->GetGUIManager()->GetCamera());
  system->SetDepth(depth);
  return system;
}

void PuzzleElement::StartMark(std::uint8_t& on, std::uint8_t& hiding, float& time) {
  on = 1;
  hiding = 0;
  time = 0.0f;
  sprite->SetState(CorvantisEngine::kGUIShown);
  const Vector4& tip = levelData->tipColour;
  sprite->SetColour(Vector4(tip.x, tip.y, tip.z, 0.0f));
}

void PuzzleElement::StartHighlight() {
  if (loose == 0) {
    StartMark(highlight, highlightHiding, highlightTime);
  }
}

void PuzzleElement::ShowTip() {
  if (loose != 0) {
    return;
  }
  StartMark(flash, flashHiding, flashTime);
  if (tipEffect == nullptr) {
    tipEffect = CreateGUIParticles(engine, gameData, "board/tip", sprite->depth - kEffectDepthOffset);
    // The particles rise from the piece's sample points, placed where the slot's parent draws it.
    const Vector2 origin = sprite->parent != nullptr ? sprite->parent->GetAbsolutePosition() : Vector2{0, 0};
    tipEffect->spawnMode = 2;
    tipEffect->interpolatePath = false;
    tipEffect->spawnPath.clear();
    for (const Vector2& point : levelData->samplePoints[index]) {
      tipEffect->spawnPath.push_back(Vector3(origin.x + point.x, origin.y + point.y, 0.0f));
    }
  }
  tipEffect->SetVisible(true);
  tipEffect->looping = true;
  tipEffect->emitterTime = 0.0f;
  tipEffect->emitting = true;
}

void PuzzleElement::RequestHideFlash() {
  if (loose == 0 && flash != 0) {
    flashHiding = 1;
  }
}

void PuzzleElement::RequestHideHighlight() {
  if (loose == 0 && highlight != 0) {
    highlightHiding = 1;
  }
}

void PuzzleElement::Pulse(std::uint8_t& on, std::uint8_t& hiding, float& time, float step) {
  Vector4 colour = sprite->GetColour();
  if (hiding == 0) {
    time += step;
    colour.w = kPulseAlpha * std::fabs(std::sin(time));
  } else {
    colour.w -= step;
    if (colour.w < 0.0f) {
      colour.w = 0.0f;
      on = 0;
      hiding = 0;
    }
  }
  sprite->SetColour(colour);
}

void PuzzleElement::Update(bool paused, float fade) {
  const float dt = timers->delta;
  if (loose == 0) {
    const float step = dt * kPulseSpeed * fade;
    const bool marked = flash != 0 || highlight != 0;
    if (flash != 0) {
      if (flashHiding != 0 && tipEffect != nullptr) {
        tipEffect->emitting = false;
      }
      Pulse(flash, flashHiding, flashTime, step);
    }
    // Sound state 0 is playing.
    const bool playing = audio->GetSoundState(kTipSound) == 0;
    if (flash == 0 || paused) {
      if (playing) {
        audio->SetSoundLooping(kTipSound, false);
      }
    } else if (!playing) {
      audio->SetSoundLooping(kTipSound, true);
      audio->PlaySound(kTipSound);
    }
    if (highlight != 0) {
      Pulse(highlight, highlightHiding, highlightTime, step);
    }
    // A slot whose last mark has faded out is hidden again, not drawn on at alpha 0.
    if (marked && flash == 0 && highlight == 0) {
      sprite->ClearState(CorvantisEngine::kGUIShown);
    }
    return;
  }
  sprite->SetLayer(taken != 0 ? kHeldLayer : kLooseLayer);
  shadow->SetLayer(taken != 0 ? kHeldShadowLayer : kLooseShadowLayer);
  sprite->SetColour(Vector4(1, 1, 1, fade));
  shadow->SetColour(Vector4(0, 0, 0, 0.3f * fade));
}

PuzzleElementManager::PuzzleElementManager(CorvantisEngine::Engine* engine,
                                           GameFramework::AudioManager* audio, GameData* gameData,
                                           GameLogicData* levelData, CorvantisEngine::GUIWindow* parent)
    : gui(engine->GetGUIManager()) {
  container = gui->CreateModelWindow(CorvantisEngine::kGUIShown, {0, 0}, {0, 0}, nullptr, parent);
  container->SetLayer(kContainerLayer);
  const std::size_t count = levelData->GetPieceCount();
  pieces.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    pieces.push_back(std::make_unique<PuzzleElement>(engine, audio, gameData, levelData,
                                                     static_cast<std::uint32_t>(i), true, container));
  }
  for (std::size_t k = 1; k < pieces.size(); ++k) {
    const auto j = static_cast<std::size_t>(CorvantisEngine::RandomIntBelow(static_cast<int>(k + 1)));
    std::swap(pieces[k], pieces[j]);
  }
}

PuzzleElementManager::~PuzzleElementManager() {
  pieces.clear();
  gui->DestroyWindow(container);
}

void PuzzleElementManager::Update(bool paused, float fade) {
  for (const auto& piece : pieces) {
    piece->Update(paused, fade);
  }
}

PuzzleElement* PuzzleElementManager::FindHeld() const {
  for (const auto& piece : pieces) {
    if (piece->taken != 0 && piece->IsVisible()) {
      return piece.get();
    }
  }
  return nullptr;
}

}  // namespace Puzzle
