#include "tools/gui/GUIBackgroundLayer.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderUser.h"
#include "tools/game/DataKeeper.h"

namespace GUITools {

using namespace CorvantisEngine;

namespace {

constexpr float kEpsilon = 0.0001f;
constexpr std::uint32_t kAreaEmitter = 1;

void BlendWithAlpha(ShaderDescriptor* shader) {
  if (shader != nullptr) {
    shader->AddFlags(ShaderDescriptor::kAlphaBlend);
    shader->SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
    shader->SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  }
}

}  // namespace

GUIBackgroundLayer::GUIBackgroundLayer(Engine* engine_, GameTools::DataKeeper* dataKeeper_,
                                       const std::string& modelName, const std::string& particleSystemName,
                                       const std::string& shaderName, const std::string& animatorModelName,
                                       bool randomStartFrame, float animationSpeed, const Vector4& colour_,
                                       std::int32_t layerNumber, GUIWindow* parent)
    : engine(engine_),
      timerManager(engine_->GetTimerManager()),
      modelManager(engine_->GetModelManager()),
      particleSystemManager(engine_->GetParticleSystemManager()),
      guiManager(engine_->GetGUIManager()),
      dataKeeper(dataKeeper_),
      colour(colour_) {
  if (particleSystemName.empty()) {
    // The animation is set on the window's own copy: the keeper's prototype stays as it was read.
    window = guiManager->CreateModelWindow(kGUIColoured, {0.0f, 0.0f}, {1.0f, 1.0f},
                                           dataKeeper->GetModel(modelName), parent);
    StartAnimation(GetAnimation(), animationSpeed, randomStartFrame);
  } else {
    window = guiManager->CreateModelWindow(kGUIColoured, {0.0f, 0.0f}, {1.0f, 1.0f}, nullptr, parent);
    particleSystem =
        particleSystemManager->CreateParticleSystem(*dataKeeper->GetParticleSystem(particleSystemName));
    particleSystem->SetVisible(false);
    if (Model* model = particleSystem->GetModel()) {
      model->SetCamera(guiManager->GetCamera());
    }
    particleSystem->looping = true;
    particleSystem->emitting = true;
  }

  window->SetLayer(layerNumber);
  if (particleSystem != nullptr) {
    if (Model* model = particleSystem->GetModel()) {
      model->SetFlags(kModelKeepDepth);
      model->depth = window->depth;
    }
    // The particles are shown with the layer (SetVisible), never before it.
  }

  if (!shaderName.empty()) {
    const ShaderUser* shader = dataKeeper->GetShaderUser(shaderName);
    if (particleSystem != nullptr) {
      particleSystem->ApplyShaderDescriptor(*shader);
    } else if (window->model != nullptr) {
      window->model->ApplyShaderDescriptor(*shader);
    }
  }
  BlendWithAlpha(particleSystem != nullptr ? particleSystem->GetShader()
                                           : (window->model != nullptr ? window->model->shader : nullptr));

  if (!animatorModelName.empty()) {
    animator = modelManager->NewModelCopy(*dataKeeper->GetModel(animatorModelName), nullptr, 0);
    // Its bounds are only worked out for a visible model; the copy is never registered, so never drawn.
    animator->SetFlags(kModelVisible);
    StartAnimation(animator->animation, animationSpeed, randomStartFrame);
  }
}

GUIBackgroundLayer::~GUIBackgroundLayer() {
  guiManager->DestroyWindow(window);
  window = nullptr;
  particleSystemManager->DestroyParticleSystem(particleSystem);
  particleSystem = nullptr;
  delete animator;
  animator = nullptr;
}

AnimationControl* GUIBackgroundLayer::GetAnimation() const {
  return particleSystem == nullptr && window != nullptr && window->model != nullptr ? window->model->animation
                                                                                    : nullptr;
}

void GUIBackgroundLayer::StartAnimation(AnimationControl* animation, float speed, bool randomStart) {
  if (animation == nullptr) {
    return;
  }
  if (speed >= 0.0f) {
    animation->speed = speed;
  }
  animation->loop = true;
  animation->Play();
  if (randomStart) {
    animation->SetRandomStart();
  }
}

void GUIBackgroundLayer::SetVisible(bool show, bool fade, float speed) {
  target = show ? 1 : 0;
  fading = fade ? 1 : 0;
  fadeSpeed = speed;
  fadeTime = 0.0f;
  if (show) {
    window->SetState(kGUIShown);
    if (particleSystem != nullptr) {
      particleSystem->SetVisible(true);
    }
    factor = fade ? 0.0f : 1.0f;
  } else {
    if (!fade) {
      window->ClearState(kGUIShown);
      if (particleSystem != nullptr) {
        particleSystem->SetVisible(false);
      }
    }
    factor = 1.0f;
  }
  ApplyAlpha(1.0f);
}

void GUIBackgroundLayer::ApplyAlpha(float f) {
  const Vector4 shade(colour.x, colour.y, colour.z, colour.w * factor * f);
  window->SetColour(shade);
  if (particleSystem != nullptr) {
    particleSystem->SetColour(shade);
  }
}

Vector2 GUIBackgroundLayer::OnWholePixels(Vector2 position) const {
  const RenderSystem* render = engine->GetRenderSystem();
  const ModeInfo* mode = render != nullptr ? render->CurrentMode() : nullptr;
  const float units = guiManager->GetScreenWidth();
  if (mode == nullptr || mode->width == 0 || units <= 0.0f) {
    return position;
  }
  const float pixels = static_cast<float>(mode->width) / units;
  return {std::round(position.x * pixels) / pixels, std::round(position.y * pixels) / pixels};
}

float GUIBackgroundLayer::FadeAlpha(float speed, float time, bool showing) {
  const float x = std::clamp(speed * time, 0.0f, 1.0f);
  return showing ? x : 1.0f - x;
}

void GUIBackgroundLayer::Update() {
  if (window->visible == 0) {
    return;
  }
  if (animator != nullptr) {
    animator->Update(false);
    window->position = {animator->box.centre.x, animator->box.centre.y};
    if (particleSystem == nullptr) {
      window->position = OnWholePixels(window->position);
    }
  }
  if (particleSystem != nullptr) {
    const float x = window->position.x;
    const float y = window->position.y;
    if (particleSystem->spawnMode == kAreaEmitter) {
      BoundingBox& box = particleSystem->spawnBox;
      const float hx = (box.localMax.x - box.localMin.x) * 0.5f;
      const float hy = (box.localMax.y - box.localMin.y) * 0.5f;
      box.SetBox({x - hx, y - hy, 0.0f}, {x + hx, y + hy, 0.0f});
    } else {
      particleSystem->SetPosition({x, y, 0.0f});
    }
  }
  if (fading != 0) {
    fadeTime += timerManager->delta;
    factor = FadeAlpha(fadeSpeed, fadeTime, target != 0);
    if (target != 0 && std::fabs(factor - 1.0f) < kEpsilon) {
      fading = 0;
    }
    ApplyAlpha(1.0f);
  }
}

}  // namespace GUITools
