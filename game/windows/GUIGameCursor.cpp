#include "game/windows/GUIGameCursor.h"

#include "engine/Engine.h"
#include "engine/core/Matrix4.h"
#include "engine/core/MessageManager.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "game/GameData.h"

namespace Puzzle {

namespace {

constexpr const char* kTrailName = "ui/cursor_train";
constexpr const char* kClickName = "ui/cursor_click";

// Each kind's Windows cursor resource and picture; the pictures are as large as the resources' (64
// pixels a side) and share their hot spot.
struct CursorKind {
  std::uint32_t id;
  std::uint32_t resource;
  const char* texture;
  const char* opacity;
  float hotSpot;  // pixels right of and below the picture's top-left corner
};

constexpr float kPictureSide = 64.0f;

constexpr CursorKind kKinds[] = {
    {GUIGameCursor::kNormal, 1000, "ui\\cursors\\cursor.jpg", "ui\\cursors\\cursor_alpha.jpg", 0.0f},
    {GUIGameCursor::kTip, 107, "ui\\cursors\\cursor_tip.jpg", "ui\\cursors\\cursor_tip_alpha.jpg", 10.0f},
    {GUIGameCursor::kMagnet, 106, "ui\\cursors\\cursor_magnet.jpg", "ui\\cursors\\cursor_magnet_alpha.jpg",
     10.0f},
};

}  // namespace

GUIGameCursor::GUIGameCursor(CorvantisEngine::Engine* engine)
    : GUIGameCursorBase(engine), particleSystems(engine->GetParticleSystemManager()) {
  // The game starts on the system cursor: both the setting and the in-use flag are cleared.
  customCursorSetting = 0;
  customCursorInUse = 0;
  for (const CursorKind& kind : kKinds) {
    const CorvantisEngine::ShaderDescriptor texture =
        CorvantisEngine::CreateTextureShader(kind.texture, kind.opacity, true);
    CorvantisEngine::GUICursor* element = gui->CreateCursor(&texture, kCursorSize);
    if (element != nullptr && element->model != nullptr && kind.hotSpot != 0.0f) {
      // The picture hangs from the pointer's place by its hot spot (GUI y runs up).
      const float shift = kind.hotSpot * kCursorSize / kPictureSide;
      CorvantisEngine::Matrix4 offset;
      offset.Translation(CorvantisEngine::Vector3(-shift, shift, 0.0f));
      element->model->baseTransform = offset * element->model->baseTransform;
    }
    AddSystemCursor(kind.id, kind.resource, element);
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
  system->SetCamera(gui->GetCamera());
  system->SetDepth(kEffectDepth);
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
