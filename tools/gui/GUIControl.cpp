#include "tools/gui/GUIControl.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ShaderUser.h"
#include "tools/game/DataKeeper.h"

namespace GUITools {

using namespace CorvantisEngine;

namespace {

constexpr float kEpsilon = 0.0001f;
constexpr std::uint32_t kShowAnimation = 0;
constexpr std::uint32_t kHideAnimation = 1;
const std::string kResourcePrefix = "ui/";

}  // namespace

GUIControl::GUIControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_,
                       const ControlDescription& description)
    : engine(engine_),
      timerManager(engine_->GetTimerManager()),
      modelManager(engine_->GetModelManager()),
      guiManager(engine_->GetGUIManager()),
      dataKeeper(dataKeeper_),
      name(description.name) {}

GUIControl::~GUIControl() {
  delete animator;
  animator = nullptr;
  animatorAnimation = nullptr;
}

AnimationControl* GUIControl::PrepareAnimation(AnimationControl* animation, std::int32_t startFrame,
                                               std::int32_t endFrame) {
  if (animation == nullptr) {
    return nullptr;
  }
  animation->loop = false;
  std::uint32_t first = 0;
  std::uint32_t last = animation->frameCount > 0 ? animation->frameCount - 1 : 0;
  if (startFrame >= 0) {
    first = std::min(static_cast<std::uint32_t>(startFrame), last);
  }
  if (endFrame >= 0) {
    last = std::max(std::min(static_cast<std::uint32_t>(endFrame), last), first);
  }
  if (first == last) {
    // Held on its one frame: a range of that frame alone, not playing.
    animation->animations[kShowAnimation] = {first, first};
    animation->SetAnimation(kShowAnimation);
    animation->playing = false;
    animation->frameA = animation->frameB = first;
    animation->t = 0.0f;
    return nullptr;
  }
  animation->AddAnimation(kShowAnimation, first, last);
  animation->AddAnimation(kHideAnimation, last, first);
  return animation;
}

void GUIControl::Setup(GUIWindow* newElement, const ControlDescription& description) {
  element = newElement;
  model = element != nullptr ? element->model : nullptr;
  modelAnimation = PrepareAnimation(model != nullptr ? model->animation : nullptr,
                                    description.modelStartFrame, description.modelEndFrame);
  if (!description.animatorModel.empty()) {
    Model* prototype = dataKeeper->GetModel(kResourcePrefix + description.animatorModel);
    animator = modelManager->NewModelCopy(*prototype, nullptr, 0);
    animatorAnimation = PrepareAnimation(animator->animation, description.animatorModelStartFrame,
                                         description.animatorModelEndFrame);
    animator->SetFlags(kModelVisible);
  }
  if (element != nullptr) {
    element->ClearState(kGUIShown);
  }
}

GUIControl::Look GUIControl::ResolveLook(const std::string& modelName, const std::string& shaderName) const {
  Look look;
  if (modelName.empty() && !shaderName.empty()) {
    look.quad = true;
    look.shader = dataKeeper->GetShaderUser(kResourcePrefix + shaderName);
  } else if (!modelName.empty()) {
    look.model = dataKeeper->GetModel(kResourcePrefix + modelName);
  }
  return look;
}

void GUIControl::TextureModel(GUIWindow* window, const Look& look, const std::string& shaderName) const {
  if (window != nullptr && !look.quad && !shaderName.empty()) {
    window->SetTexture(*dataKeeper->GetShaderUser(kResourcePrefix + shaderName));
  }
}

GUIWindow* GUIControl::MakeWindowWidget(const ControlDescription& description, GUIWindow* parent) {
  return MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateWindow(kGUIColoured, position, size, shader, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateModelWindow(kGUIColoured, position, size, prototype, parent);
      });
}

void GUIControl::PlayAnimation(AnimationControl* animation, std::uint32_t id) {
  if (animation != nullptr) {
    animation->SetAnimation(id);
    animation->Play();
  }
}

bool GUIControl::ReverseEnded(const AnimationControl* animation) {
  return animation != nullptr && animation->currentAnimation == kHideAnimation && !animation->playing;
}

void GUIControl::SetVisible(bool show, bool animated) {
  if (!animated) {
    shown = show;
  } else {
    const std::string& action = show ? showAction : hideAction;
    if (action == "show") {
      shown = true;
    } else if (action == "hide") {
      shown = false;
    } else {
      return;
    }
  }
  pending = true;
  elapsed = 0.0f;
  fadeTime = 0.0f;
  if (element != nullptr) {
    // A show starts from hidden (visible after the show offset); a hide starts from visible.
    if (shown) {
      element->ClearState(kGUIShown);
    } else {
      element->SetState(kGUIShown);
    }
  }
  fadeValue = shown ? fadeMin : fadeMax;
}

bool GUIControl::IsVisible() const {
  return shown || (element != nullptr && element->visible != 0);
}

void GUIControl::Update() {
  if (element == nullptr) {
    return;
  }
  const float dt = timerManager->delta;
  const bool fader = HasFader();

  if (shown && pending) {
    elapsed += dt;
    if (!fader || elapsed >= showOffset) {
      element->SetState(kGUIShown);
      PlayAnimation(modelAnimation, kShowAnimation);
      PlayAnimation(animatorAnimation, kShowAnimation);
      pending = false;
    }
  }

  if (element->visible == 0) {
    // A hide asked for while the parent is hidden ends here, without any animation.
    if (!shown && (element->state & kGUIShown) != 0) {
      element->ClearState(kGUIShown);
      pending = false;
    }
    return;
  }

  if (!shown && pending) {
    elapsed += dt;
    if (!fader || elapsed >= hideOffset) {
      PlayAnimation(modelAnimation, kHideAnimation);
      PlayAnimation(animatorAnimation, kHideAnimation);
      if (!fader && modelAnimation == nullptr && animatorAnimation == nullptr) {
        element->ClearState(kGUIShown);
        return;
      }
      pending = false;
    }
  }

  // A reverse animation that has ended completes the hide, unless a timed fader finishes it.
  const bool animationEndsHide = !fader || faderType == kModelAnimationFader;
  if (animationEndsHide && animatorAnimation == nullptr && ReverseEnded(modelAnimation)) {
    element->ClearState(kGUIShown);
  }
  if (animationEndsHide && ReverseEnded(animatorAnimation)) {
    element->ClearState(kGUIShown);
  }

  element->SetLayer(height);
  Vector2 at = position;
  if (animator != nullptr) {
    animator->Update(false);
    at += Vector2{animator->box.centre.x, animator->box.centre.y};
  }
  element->position = at;
  element->size = size;
  element->hoverRectangle = selection ? 1 : 0;
  if (selection) {
    element->hoverOffset = selectionPosition;
    element->hoverSize = selectionSize;
  }

  if (fader && (shown || elapsed >= hideOffset)) {
    Fade(dt);
  }
}

void GUIControl::Fade(float dt) {
  float f = 0.0f;
  if (faderType == kModelAnimationFader) {
    const AnimationControl* followed = animator != nullptr ? animatorAnimation : modelAnimation;
    if (followed != nullptr) {
      const auto found = followed->animations.find(followed->currentAnimation);
      float range = 0.0f;
      if (found != followed->animations.end()) {
        const auto [first, last] = found->second;
        range = static_cast<float>(first > last ? first - last : last - first);
      }
      float t = followed->position;
      if (followed->currentAnimation == kHideAnimation) {
        t = range - t;
      }
      f = range > 0.0f ? t / range : 1.0f;
      f *= shown ? showSpeed : hideSpeed;
    }
  } else {
    fadeTime += dt;
    const float d = std::max(fadeTime - fadeOffset, 0.0f);
    f = shown ? d * showSpeed : 1.0f - d * hideSpeed;
  }
  f = std::clamp(f, 0.0f, 1.0f);
  if (!shown && f < kEpsilon) {
    element->ClearState(kGUIShown);
  }
  fadeValue = (1.0f - f) * fadeMin + f * fadeMax;
  Vector4 colour = element->GetColour();
  if (std::fabs(fadeValue - colour.w) > kEpsilon) {
    colour.w = fadeValue;
    element->SetColour(colour);
  }
}

}  // namespace GUITools
