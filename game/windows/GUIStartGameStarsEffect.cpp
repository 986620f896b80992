#include "game/windows/GUIStartGameStarsEffect.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "game/GameData.h"

namespace Puzzle {

namespace {

// In front of the host window and of everything the window holds.
constexpr float kDepthInFront = 0.01f * 200.0f + 100.0f;
// Shorter chords count as arrived at once.
constexpr float kShortestChord = 0.0001f;

}  // namespace

GUIStartGameStarsEffect::GUIStartGameStarsEffect(CorvantisEngine::Engine* engine, GameData* gameData,
                                                 CorvantisEngine::GUIWindow* host)
    : engine(engine),
      timerManager(engine->GetTimerManager()),
      guiManager(engine->GetGUIManager()),
      particleSystemManager(engine->GetParticleSystemManager()),
      gameData(gameData),
      host(host) {
  CorvantisEngine::ParticleSystem* prototype = gameData->GetParticleSystem(kParticleSystemName);
  if (prototype == nullptr || prototype == gameData->GetDefaultParticleSystem()) {
    // The keeper has logged the missing prototype; the keeper's stand-in is no stars effect.
    return;
  }
  particleSystem = particleSystemManager->CreateParticleSystem(*prototype);
  if (CorvantisEngine::Model* model = particleSystem->GetModel()) {
    model->SetCamera(guiManager->GetCamera());
    model->SetFlags(CorvantisEngine::kModelKeepDepth);
    model->depth = (host != nullptr ? host->depth : 0.0f) - kDepthInFront;
  }
  particleSystem->SetVisible(false);
  particleSystem->looping = true;
}

GUIStartGameStarsEffect::~GUIStartGameStarsEffect() {
  particleSystemManager->DestroyParticleSystem(particleSystem);
}

void GUIStartGameStarsEffect::Start(const CorvantisEngine::Vector2& from,
                                    const CorvantisEngine::Vector2& to) {
  time = 0.0f;
  startPoint = from;
  endPoint = to;
  currentPoint = from;
  if (particleSystem == nullptr) {
    return;
  }
  particleSystem->SetPosition({from.x, from.y, 0.0f});
  particleSystem->SetVisible(true);
  particleSystem->emitterTime = 0.0f;
  particleSystem->emitting = true;
}

CorvantisEngine::Vector2 GUIStartGameStarsEffect::ArcPoint(const CorvantisEngine::Vector2& from,
                                                           const CorvantisEngine::Vector2& to,
                                                           float progress) {
  const CorvantisEngine::Vector2 chord = to - from;
  const float length = chord.Length();
  const CorvantisEngine::Vector2 control =
      from + chord * 0.5f + CorvantisEngine::Vector2{-1.0f, 1.0f} * (kBend * length);
  const float rest = 1.0f - progress;
  return from * (rest * rest) + control * (2.0f * progress * rest) + to * (progress * progress);
}

void GUIStartGameStarsEffect::Update() {
  if (IsFinished()) {
    return;
  }
  if (host == nullptr || host->visible == 0) {
    particleSystem->emitting = false;
  } else {
    time += timerManager->delta;
    const float length = (endPoint - startPoint).Length();
    const float progress = length < kShortestChord ? 1.0f : std::clamp(time * kSpeed / length, 0.0f, 1.0f);
    currentPoint = ArcPoint(startPoint, endPoint, progress);
    particleSystem->SetPosition({currentPoint.x, currentPoint.y, 0.0f});
    if (progress >= 1.0f) {
      particleSystem->emitting = false;
    }
  }
  if (!particleSystem->emitting && particleSystem->liveCount == 0) {
    particleSystem->SetVisible(false);
  }
}

bool GUIStartGameStarsEffect::IsFinished() const {
  return particleSystem == nullptr || !particleSystem->IsVisible();
}

}  // namespace Puzzle
