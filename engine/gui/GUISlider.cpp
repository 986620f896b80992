#include "engine/gui/GUISlider.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIButton.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine {

GUISlider::GUISlider(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                     const Vector2& position_, const Vector2& size_, const ShaderDescriptor* texture,
                     bool vertical_, const Vector2& start, const Vector2& end, std::uint32_t count_,
                     GUIWindow* parent_, const Vector2& uvExtent)
    : GUIWindow(services, flags, position_, size_, texture, parent_, uvExtent), soundManager(soundManager_) {
  Initialise(vertical_, start, end, count_);
}

GUISlider::GUISlider(const GUIServices& services, GUISoundManager* soundManager_, std::uint32_t flags,
                     const Vector2& position_, const Vector2& size_, Model* prototype, bool vertical_,
                     const Vector2& start, const Vector2& end, std::uint32_t count_, GUIWindow* parent_)
    : GUIWindow(services, flags, position_, size_, prototype, parent_), soundManager(soundManager_) {
  Initialise(vertical_, start, end, count_);
}

GUISlider::~GUISlider() {
  delete thumb;
  thumb = nullptr;
}

void GUISlider::Initialise(bool vertical_, const Vector2& start, const Vector2& end, std::uint32_t count_) {
  vertical = vertical_ ? 1 : 0;
  startPoint = start;
  endPoint = end;
  count = std::max<std::uint32_t>(count_, 2);
  // A model-less placeholder until the toolkit gives the slider its thumb.
  MakeThumb({0.0f, 0.0f}, ThumbSource::Prototype, nullptr, {}, {}, nullptr);
  SetPosition(0);
}

void GUISlider::MakeThumb(const Vector2& newSize, ThumbSource from, const ShaderDescriptor* texture,
                          const Vector2& uvExtent, const std::string& modelFile, Model* prototype) {
  delete thumb;
  thumb = nullptr;
  thumbSize = newSize;
  const Vector2 windowSize = (endPoint - startPoint) + thumbSize;
  switch (from) {
    case ThumbSource::Quad:
      thumb = new GUIButton(Services(), soundManager, PartFlags(), startPoint, windowSize, texture, this,
                            uvExtent);
      break;
    case ThumbSource::File:
      thumb = new GUIButton(Services(), soundManager, PartFlags(), startPoint, windowSize, modelFile, this);
      break;
    case ThumbSource::Prototype:
      thumb = new GUIButton(Services(), soundManager, PartFlags(), startPoint, windowSize, prototype, this);
      break;
  }
  thumb->autoPlacement = 0;
  thumb->hoverSound = 4;
  thumb->pressSound = 5;
  if (sliderState == kDisabled) {
    thumb->SetEnabled(false);
  }
  SetPosition(sliderPosition);
}

void GUISlider::CreateThumbFromFile(const Vector2& newSize, const std::string& modelFile) {
  MakeThumb(newSize, ThumbSource::File, nullptr, {}, modelFile, nullptr);
}

void GUISlider::CreateThumbFromModel(const Vector2& newSize, Model* prototype) {
  MakeThumb(newSize, ThumbSource::Prototype, nullptr, {}, {}, prototype);
}

void GUISlider::CreateThumb(const Vector2& newSize, const ShaderDescriptor* texture,
                            const Vector2& uvExtent) {
  MakeThumb(newSize, ThumbSource::Quad, texture, uvExtent, {}, nullptr);
}

void GUISlider::SetPosition(std::uint32_t p) {
  sliderPosition = std::min(p, LastPosition());
}

void GUISlider::SetCount(std::uint32_t n) {
  if (n == count) {
    return;
  }
  count = std::max<std::uint32_t>(n, 2);
  SetPosition(sliderPosition);
}

void GUISlider::ResizeThumbWindow() {
  if (thumb != nullptr) {
    thumb->size = (endPoint - startPoint) + thumbSize;
  }
}

void GUISlider::SetStartPoint(const Vector2& v) {
  startPoint = v;
  if (thumb != nullptr) {
    thumb->position = startPoint;
  }
  ResizeThumbWindow();
}

void GUISlider::SetEndPoint(const Vector2& v) {
  endPoint = v;
  ResizeThumbWindow();
}

void GUISlider::SetThumbSize(const Vector2& v) {
  thumbSize = v;
  ResizeThumbWindow();
}

void GUISlider::SetEnabled(bool enabled) {
  if (IsEnabled() == enabled) {
    return;
  }
  sliderState = enabled ? kNormal : kDisabled;
  if (thumb != nullptr) {
    thumb->SetEnabled(enabled);
  }
}

bool GUISlider::IsDragging() const {
  return thumb != nullptr && thumb->pressedFlag != 0;
}

void GUISlider::SetColour(const Vector4& colour) {
  GUIWindow::SetColour(colour);
  if (thumb != nullptr) {
    thumb->SetColour(colour);
  }
}

void GUISlider::UpdateVisibility() {
  const std::uint8_t was = visible;
  GUIWindow::UpdateVisibility();
  if (was == 0 && visible != 0 && sliderState != kDisabled) {
    sliderState = kNormal;
  }
}

bool GUISlider::Update(const Vector2& mouse, bool held, bool pressed) {
  if (!GUIWindow::Update(mouse, held, pressed)) {
    return false;
  }
  if (thumb == nullptr || !thumb->Update(mouse, held, pressed) || sliderState == kDisabled) {
    return false;
  }
  sliderState = hovered != 0 ? kHover : kNormal;
  if (thumb->pressedFlag == 0) {
    return true;
  }
  const Vector2 absolute = GetAbsolutePosition();
  const bool alongY = vertical != 0;
  const float along = alongY ? mouse.y - absolute.y - startPoint.y - thumbSize.y * 0.5f
                             : mouse.x - absolute.x - startPoint.x - thumbSize.x * 0.5f;
  const float length = std::max(alongY ? endPoint.y - startPoint.y : endPoint.x - startPoint.x, 1.0f);
  float t = std::clamp(along / length, 0.0f, 1.0f);
  if (reversed != 0) {
    t = 1.0f - t;
  }
  const float p = t * static_cast<float>(LastPosition());
  const float whole = std::floor(p);
  const auto rounded = static_cast<std::uint32_t>(p - whole < 0.5f ? whole : whole + 1.0f);
  SetPosition(rounded);
  return true;
}

bool GUISlider::Render() {
  if (!GUIWindow::Render()) {
    return false;
  }
  if (thumb != nullptr) {
    if (thumb->model != nullptr) {
      float t =
          static_cast<float>(std::min(sliderPosition, LastPosition())) / static_cast<float>(LastPosition());
      if (reversed != 0) {
        t = 1.0f - t;
      }
      const Vector2 offset = startPoint + (endPoint - startPoint) * t;
      const Vector2 at = GetAbsolutePosition() + offset;
      Matrix4 translation;
      translation.Translation(Vector3(at.x, at.y, 0.0f));
      const Matrix4 scaling = Matrix4::MakeScaling(Vector3(thumbSize.x, thumbSize.y, 1.0f));
      thumb->model->world = translation * scaling * thumb->model->baseTransform;
      thumb->model->box.SetMatrix(thumb->model->world);
    }
    thumb->Render();
  }
  if (ShaderUser* shader = GetTexture(); shader != nullptr && shader->GetStageCount() > 0) {
    shader->SetClock(0, static_cast<float>(sliderState));
  }
  return true;
}

// Scroll.

GUIScroll::GUIScroll(const GUIServices& services, GUISoundManager* soundManager_, TimerManager* timerManager_,
                     std::uint32_t flags, const Vector2& position_, const Vector2& size_,
                     const ShaderDescriptor* texture, bool vertical_, const Vector2& start,
                     const Vector2& end, std::uint32_t count_, GUIWindow* parent_, const Vector2& uvExtent)
    : GUISlider(services, soundManager_, flags, position_, size_, texture, vertical_, start, end, count_,
                parent_, uvExtent),
      timerManager(timerManager_) {
  StyleThumb();
  InitialiseArrows();
}

GUIScroll::GUIScroll(const GUIServices& services, GUISoundManager* soundManager_, TimerManager* timerManager_,
                     std::uint32_t flags, const Vector2& position_, const Vector2& size_, Model* prototype,
                     bool vertical_, const Vector2& start, const Vector2& end, std::uint32_t count_,
                     GUIWindow* parent_)
    : GUISlider(services, soundManager_, flags, position_, size_, prototype, vertical_, start, end, count_,
                parent_),
      timerManager(timerManager_) {
  StyleThumb();
  InitialiseArrows();
}

GUIScroll::~GUIScroll() {
  delete increaseButton;
  increaseButton = nullptr;
  delete decreaseButton;
  decreaseButton = nullptr;
}

void GUIScroll::InitialiseArrows() {
  CreateIncreaseButtonFromModel({0.0f, 0.0f}, {0.0f, 0.0f}, nullptr);
  CreateDecreaseButtonFromModel({0.0f, 0.0f}, {0.0f, 0.0f}, nullptr);
}

void GUIScroll::StyleThumb() {
  if (thumb != nullptr) {
    thumb->SetLayer(2);
    thumb->hoverSound = 6;
    thumb->pressSound = 7;
  }
}

void GUIScroll::CreateThumbFromFile(const Vector2& newSize, const std::string& modelFile) {
  GUISlider::CreateThumbFromFile(newSize, modelFile);
  StyleThumb();
}

void GUIScroll::CreateThumbFromModel(const Vector2& newSize, Model* prototype) {
  GUISlider::CreateThumbFromModel(newSize, prototype);
  StyleThumb();
}

void GUIScroll::CreateThumb(const Vector2& newSize, const ShaderDescriptor* texture,
                            const Vector2& uvExtent) {
  GUISlider::CreateThumb(newSize, texture, uvExtent);
  StyleThumb();
}

GUIButton* GUIScroll::MakeArrow(GUIButton* old, const Vector2& at, const Vector2& buttonSize,
                                const ShaderDescriptor* texture, const Vector2& uvExtent, Model* prototype,
                                bool quad) {
  delete old;
  GUIButton* arrow =
      quad ? new GUIButton(Services(), soundManager, PartFlags(), at, buttonSize, texture, this, uvExtent)
           : new GUIButton(Services(), soundManager, PartFlags(), at, buttonSize, prototype, this);
  arrow->hoverSound = 8;
  arrow->pressSound = 9;
  if (sliderState == kDisabled) {
    arrow->SetEnabled(false);
  }
  return arrow;
}

void GUIScroll::CreateIncreaseButton(const Vector2& at, const Vector2& buttonSize,
                                     const ShaderDescriptor* texture, const Vector2& uvExtent) {
  GUIButton* old = increaseButton;
  increaseButton = nullptr;
  increaseButton = MakeArrow(old, at, buttonSize, texture, uvExtent, nullptr, true);
}

void GUIScroll::CreateDecreaseButton(const Vector2& at, const Vector2& buttonSize,
                                     const ShaderDescriptor* texture, const Vector2& uvExtent) {
  GUIButton* old = decreaseButton;
  decreaseButton = nullptr;
  decreaseButton = MakeArrow(old, at, buttonSize, texture, uvExtent, nullptr, true);
}

void GUIScroll::CreateIncreaseButtonFromModel(const Vector2& at, const Vector2& buttonSize,
                                              Model* prototype) {
  GUIButton* old = increaseButton;
  increaseButton = nullptr;
  increaseButton = MakeArrow(old, at, buttonSize, nullptr, {}, prototype, false);
}

void GUIScroll::CreateDecreaseButtonFromModel(const Vector2& at, const Vector2& buttonSize,
                                              Model* prototype) {
  GUIButton* old = decreaseButton;
  decreaseButton = nullptr;
  decreaseButton = MakeArrow(old, at, buttonSize, nullptr, {}, prototype, false);
}

void GUIScroll::SetEnabled(bool enabled) {
  if (IsEnabled() == enabled) {
    return;
  }
  GUISlider::SetEnabled(enabled);
  if (increaseButton != nullptr) {
    increaseButton->SetEnabled(enabled);
  }
  if (decreaseButton != nullptr) {
    decreaseButton->SetEnabled(enabled);
  }
}

bool GUIScroll::IsDragging() const {
  return GUISlider::IsDragging() || (increaseButton != nullptr && increaseButton->pressedFlag != 0) ||
         (decreaseButton != nullptr && decreaseButton->pressedFlag != 0);
}

void GUIScroll::SetColour(const Vector4& colour) {
  GUISlider::SetColour(colour);
  if (increaseButton != nullptr) {
    increaseButton->SetColour(colour);
  }
  if (decreaseButton != nullptr) {
    decreaseButton->SetColour(colour);
  }
}

bool GUIScroll::Update(const Vector2& mouse, bool held, bool pressed) {
  if (!GUISlider::Update(mouse, held, pressed)) {
    repeatAccumulator = 0.0f;
    return false;
  }
  if (increaseButton != nullptr) {
    increaseButton->Update(mouse, held, pressed);
  }
  if (decreaseButton != nullptr) {
    decreaseButton->Update(mouse, held, pressed);
  }
  bool up = increaseButton != nullptr && increaseButton->pressedFlag != 0 && increaseButton->hovered != 0;
  bool down = decreaseButton != nullptr && decreaseButton->pressedFlag != 0 && decreaseButton->hovered != 0;
  if (reversed != 0) {
    std::swap(up, down);
  }
  if (!up && !down) {
    repeatAccumulator = 0.0f;
    return true;
  }
  repeatAccumulator += timerManager != nullptr ? timerManager->delta : 0.0f;
  while (repeatAccumulator > 0.0001f) {
    repeatAccumulator -= kRepeatPeriod;
    if (up) {
      sliderPosition = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(std::uint64_t{sliderPosition} + step, LastPosition()));
    }
    if (down) {
      sliderPosition = sliderPosition > step ? sliderPosition - step : 0;
    }
  }
  return true;
}

bool GUIScroll::Render() {
  if (!GUISlider::Render()) {
    return false;
  }
  if (increaseButton != nullptr) {
    increaseButton->Render();
  }
  if (decreaseButton != nullptr) {
    decreaseButton->Render();
  }
  return true;
}

}  // namespace CorvantisEngine
