#include "game/windows/GUIGameCursor.h"

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "game/GameData.h"

namespace Puzzle {

namespace {

constexpr const char* kCursorTexture = "ui\\cursors\\cursor.jpg";
constexpr const char* kCursorOpacity = "ui\\cursors\\cursor_alpha.jpg";
constexpr const char* kTrailName = "ui/cursor_train";
constexpr const char* kClickName = "ui/cursor_click";

struct CursorKind {
  std::uint32_t id;
  std::uint32_t resource;
};

constexpr CursorKind kKinds[] = {
    {GUIGameCursor::kNormal, 1000},
    {GUIGameCursor::kTip, 107},
    {GUIGameCursor::kMagnet, 106},
};

}  // namespace

GUIGameCursor::GUIGameCursor(CorvantisEngine::Engine* engine)
    : GUIGameCursorBase(engine), particleSystems(engine->GetParticleSystemManager()) {
  // The setting itself keeps what the ini file gave it; only the in-use flag starts on the system
  // cursor, so the first Update after the cursor is shown switches to the setting's choice.
  customCursorInUse = 0;
  const CorvantisEngine::ShaderDescriptor texture =
      CorvantisEngine::CreateTextureShader(kCursorTexture, kCursorOpacity, true);
  for (const CursorKind& kind : kKinds) {
    AddSystemCursor(kind.id, kind.resource, gui->CreateCursor(&texture, kCursorSize));
  }
  ApplySystemCursor(kNormal);
}

GUIGameCursor::~GUIGameCursor() {
  // Null (effects never made) is left alone by the manager.
  particleSystems->DestroyParticleSystem(trail);
  particleSystems->DestroyParticleSystem(click);
  trail = nullptr;
  click = nullptr;
}

CorvantisEngine::ParticleSystem* GUIGameCursor::CreateEffect(GameData* gameData, const char* name,
                                                             bool looping) {
  if (!gameData->HasParticleSystem(name)) {
    log->Warning(std::string("Game cursor: no particle system \"") + name + "\", the effect is left out");
    return nullptr;
  }
  CorvantisEngine::ParticleSystem* system =
      particleSystems->CreateParticleSystem(*gameData->GetParticleSystem(name));
  if (CorvantisEngine::Model* model = system->GetModel()) {
    model->SetCamera(gui->GetCamera());
    model->SetFlags(CorvantisEngine::kModelKeepDepth);
    model->depth = kEffectDepth;
  }
  system->looping = looping;
  system->SetVisible(true);
  return system;
}

void GUIGameCursor::CreateEffects(GameData* gameData) {
  if (trail == nullptr) {
    trail = CreateEffect(gameData, kTrailName, true);
  }
  if (click == nullptr) {
    click = CreateEffect(gameData, kClickName, false);
  }
  SetTrailEnabled(trailEnabled != 0);
}

void GUIGameCursor::UpdateTrailEmission() {
  if (trail != nullptr) {
    trail->emitting = trailEnabled != 0 && IsVisible();
  }
}

void GUIGameCursor::SetTrailEnabled(bool enabled) {
  trailEnabled = enabled ? 1 : 0;
  UpdateTrailEmission();
}

void GUIGameCursor::SetVisible(bool visible) {
  GUIGameCursorBase::SetVisible(visible);
  UpdateTrailEmission();
}

bool GUIGameCursor::Update() {
  if (trailEnabled != 0) {
    const CorvantisEngine::Vector2 pointer = gui->GetCursorPosition();
    if (trail != nullptr) {
      trail->SetPosition({pointer.x + kTrailOffsetX, pointer.y + kTrailOffsetY, 0.0f});
    }
    if (click != nullptr && controls->IsKeyPressed("MOUSE1")) {
      // Each click starts a new burst at the pointer, also while the last one is still running.
      click->SetPosition({pointer.x, pointer.y, 0.0f});
      click->emitterTime = 0.0f;
      click->emitting = true;
    }
  }
  return GUIGameCursorBase::Update();
}

}  // namespace Puzzle
