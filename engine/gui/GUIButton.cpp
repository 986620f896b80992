#include "engine/gui/GUIButton.h"

#include "engine/gui/GUISoundManager.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine {

GUIButton::GUIButton(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                     const Vector2& position_, const Vector2& size_, const ShaderDescriptor* texture,
                     GUIWindow* parent_, const Vector2& uvExtent)
    : GUIWindow(services, flags, position_, size_, texture, parent_, uvExtent), soundManager(soundManager_) {}

GUIButton::GUIButton(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                     const Vector2& position_, const Vector2& size_, const std::string& modelFile,
                     GUIWindow* parent_)
    : GUIWindow(services, flags, position_, size_, modelFile, parent_), soundManager(soundManager_) {}

GUIButton::GUIButton(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                     const Vector2& position_, const Vector2& size_, Model* prototype, GUIWindow* parent_)
    : GUIWindow(services, flags, position_, size_, prototype, parent_), soundManager(soundManager_) {}

GUIButton::~GUIButton() = default;

bool GUIButton::Update(const Vector2& mouse, bool held, bool pressed) {
  clicked = 0;
  if (!GUIWindow::Update(mouse, held, pressed) || buttonState == kDisabled) {
    return false;
  }
  if (hovered != 0 && pressed && pressedFlag == 0) {
    pressedFlag = 1;
    if (soundManager != nullptr) {
      soundManager->PlaySound(pressSound);
    }
  }
  if (pressedFlag != 0) {
    if (!held) {
      clicked = hovered;
      pressedFlag = 0;
    } else {
      buttonState = hovered != 0 ? kPressed : kNormal;
    }
  }
  if (pressedFlag == 0) {
    buttonState = hovered != 0 ? kHover : kNormal;
    if (hovered != 0 && wasHovered == 0 && soundManager != nullptr) {
      soundManager->PlaySound(hoverSound);
    }
  }
  wasHovered = hovered;
  return true;
}

bool GUIButton::Render() {
  if (!GUIWindow::Render()) {
    return false;
  }
  const std::int32_t look = GetLook();
  ShaderUser* shader = GetTexture();
  if (shader != nullptr && shader->GetStageCount() > 0 && shader->GetStage(0).frameCount > 1) {
    shader->SetClock(0, static_cast<float>(look));
  } else if (model != nullptr && model->animation != nullptr && model->animation->frameCount > 1) {
    AnimationControl& animation = *model->animation;
    animation.position = static_cast<float>(look);
    animation.frameA = static_cast<std::uint32_t>(look);
    animation.frameB = static_cast<std::uint32_t>(look);
    animation.t = 0.0f;
  }
  return true;
}

void GUIButton::UpdateVisibility() {
  const std::uint8_t was = visible;
  GUIWindow::UpdateVisibility();
  // A press never survives the button being hidden or shown.
  if (was != visible) {
    pressedFlag = 0;
  }
  if (was == 0 && visible != 0 && buttonState != kDisabled) {
    buttonState = kNormal;
  }
}

void GUIButton::SetEnabled(bool enabled) {
  if (IsEnabled() == enabled) {
    return;
  }
  buttonState = enabled ? kNormal : kDisabled;
  pressedFlag = 0;
}

std::int32_t GUIButton::GetLook() const {
  return static_cast<std::int32_t>(buttonState);
}

GUICheckBox::GUICheckBox(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                         const Vector2& position_, const Vector2& size_, const ShaderDescriptor* texture,
                         GUIWindow* parent_, const Vector2& uvExtent)
    : GUIButton(services, soundManager_, flags, position_, size_, texture, parent_, uvExtent) {
  hoverSound = 2;
  pressSound = 3;
}

GUICheckBox::GUICheckBox(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                         const Vector2& position_, const Vector2& size_, const std::string& modelFile,
                         GUIWindow* parent_)
    : GUIButton(services, soundManager_, flags, position_, size_, modelFile, parent_) {
  hoverSound = 2;
  pressSound = 3;
}

GUICheckBox::GUICheckBox(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                         const Vector2& position_, const Vector2& size_, Model* prototype, GUIWindow* parent_)
    : GUIButton(services, soundManager_, flags, position_, size_, prototype, parent_) {
  hoverSound = 2;
  pressSound = 3;
}

GUICheckBox::~GUICheckBox() = default;

bool GUICheckBox::Update(const Vector2& mouse, bool held, bool pressed) {
  if (!GUIButton::Update(mouse, held, pressed)) {
    return false;
  }
  if (clicked != 0) {
    checked = checked != 0 ? 0 : 1;
  }
  return true;
}

std::int32_t GUICheckBox::GetLook() const {
  static constexpr std::int32_t kLooks[4][2] = {{0, 3}, {1, 4}, {2, 5}, {6, 7}};
  const std::uint32_t row = buttonState < 4 ? buttonState : 3;
  return kLooks[row][checked != 0 ? 1 : 0];
}

}  // namespace CorvantisEngine
