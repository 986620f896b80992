#include "engine/gui/GUIManager.h"

#include "engine/gui/GUIButton.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUISlider.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/gui/GUITextManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"

namespace CorvantisEngine {

namespace {

constexpr float kNear = 500.0f;
constexpr float kFar = -500.0f;
constexpr float kDefaultWidth = 800.0f;
constexpr float kDefaultHeight = 600.0f;

}  // namespace

GUIManager::GUIManager(MessageManager* log_, FileManager* fileManager_, Window* window_,
                       TimerManager* timerManager_, CameraManager* cameraManager_,
                       ShaderManager* shaderManager_, ModelManager* modelManager_, Controls* controls_,
                       SoundManager* soundManager_)
    : log(log_),
      fileManager(fileManager_),
      window(window_),
      timerManager(timerManager_),
      cameraManager(cameraManager_),
      shaderManager(shaderManager_),
      modelManager(modelManager_),
      controls(controls_) {
  if (cameraManager != nullptr) {
    camera = cameraManager->CreateCamera(kGUICameraKind);
  }
  if (camera != nullptr) {
    camera->nearClip = kNear;
    camera->farClip = kFar;
    // The framework sets the game's screen size; until then the GUI has the usual 800 x 600 units.
    camera->width = kDefaultWidth;
    camera->height = kDefaultHeight;
  }
  textManager = new GUITextManager(log, fileManager);
  fontManager = new GUIFontManager(log, fileManager, shaderManager, modelManager, camera);
  soundManager = new GUISoundManager(timerManager, soundManager_, log);
  defaultCursor = CreateModelCursor(nullptr);
}

GUIManager::~GUIManager() {
  DestroyCursor(defaultCursor);
  defaultCursor = nullptr;
  delete textManager;
  textManager = nullptr;
  delete fontManager;
  fontManager = nullptr;
  delete soundManager;
  soundManager = nullptr;
  // Widgets first (their models and parts go through the model manager), then the camera they used.
  DeletePointerVector(scrolls.objects);
  DeletePointerVector(sliders.objects);
  DeletePointerVector(editBoxes.objects);
  DeletePointerVector(checkBoxes.objects);
  DeletePointerVector(buttons.objects);
  DeletePointerVector(windows.objects);
  DeletePointerVector(cursors.objects);
  if (cameraManager != nullptr && camera != nullptr) {
    cameraManager->DestroyCamera(camera);
  }
  camera = nullptr;
}

GUIServices GUIManager::Services() const {
  return GUIServices{log, shaderManager, modelManager, fontManager, textManager, camera};
}

void GUIManager::SetScreenSize(float width, float height) {
  if (camera != nullptr) {
    camera->width = width;
    camera->height = height;
  }
}

float GUIManager::GetScreenWidth() const {
  return camera != nullptr ? camera->width : kDefaultWidth;
}

float GUIManager::GetScreenHeight() const {
  return camera != nullptr ? camera->height : kDefaultHeight;
}

Vector2 GUIManager::GetCursorPosition() const {
  return defaultCursor != nullptr ? defaultCursor->position : Vector2{0.0f, 0.0f};
}

template <typename T>
void GUIManager::UpdateList(ObjectManager<T>& list, const Vector2& mouse, bool held, bool pressed) {
  // By index: a widget's Update never adds or removes widgets, but the vector is read afresh each step.
  for (std::size_t i = 0; i < list.objects.size(); ++i) {
    if (T* element = list.objects[i]) {
      element->Update(mouse, held, pressed);
    }
  }
}

template <typename T>
void GUIManager::RenderList(ObjectManager<T>& list) {
  for (std::size_t i = 0; i < list.objects.size(); ++i) {
    if (T* element = list.objects[i]) {
      element->Render();
    }
  }
}

void GUIManager::Update() {
  for (std::size_t i = 0; i < cursors.objects.size(); ++i) {
    if (GUICursor* cursor = cursors.objects[i]) {
      cursor->Update();
    }
  }
  const Vector2 mouse = GetCursorPosition();
  const bool held = controls != nullptr && controls->IsKeyDown("MOUSE1");
  const bool pressed = controls != nullptr && controls->IsKeyPressed("MOUSE1");
  UpdateList(windows, mouse, held, pressed);
  UpdateList(buttons, mouse, held, pressed);
  UpdateList(checkBoxes, mouse, held, pressed);
  UpdateList(editBoxes, mouse, held, pressed);
  UpdateList(sliders, mouse, held, pressed);
  UpdateList(scrolls, mouse, held, pressed);
}

void GUIManager::Render() {
  for (std::size_t i = 0; i < cursors.objects.size(); ++i) {
    if (GUICursor* cursor = cursors.objects[i]) {
      cursor->Render();
    }
  }
  RenderList(windows);
  RenderList(buttons);
  RenderList(checkBoxes);
  RenderList(editBoxes);
  RenderList(sliders);
  RenderList(scrolls);
  fontManager->Flush();
}

GUIWindow* GUIManager::CreateWindow(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                    const ShaderDescriptor* texture, GUIWindow* parent,
                                    const Vector2& uvExtent) {
  auto* element = new GUIWindow(Services(), flags, position, size, texture, parent, uvExtent);
  windows.AddObject(element);
  return element;
}

GUIWindow* GUIManager::CreateModelWindow(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                         Model* prototype, GUIWindow* parent) {
  auto* element = new GUIWindow(Services(), flags, position, size, prototype, parent);
  windows.AddObject(element);
  return element;
}

GUIButton* GUIManager::CreateButton(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                    const ShaderDescriptor* texture, GUIWindow* parent,
                                    const Vector2& uvExtent) {
  auto* element = new GUIButton(Services(), soundManager, flags, position, size, texture, parent, uvExtent);
  buttons.AddObject(element);
  return element;
}

GUIButton* GUIManager::CreateButtonFromModel(std::uint32_t flags, const Vector2& position,
                                             const Vector2& size, Model* prototype, GUIWindow* parent) {
  auto* element = new GUIButton(Services(), soundManager, flags, position, size, prototype, parent);
  buttons.AddObject(element);
  return element;
}

GUICheckBox* GUIManager::CreateCheckBox(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                        const ShaderDescriptor* texture, GUIWindow* parent,
                                        const Vector2& uvExtent) {
  auto* element = new GUICheckBox(Services(), soundManager, flags, position, size, texture, parent, uvExtent);
  checkBoxes.AddObject(element);
  return element;
}

GUICheckBox* GUIManager::CreateCheckBoxFromModel(std::uint32_t flags, const Vector2& position,
                                                 const Vector2& size, Model* prototype, GUIWindow* parent) {
  auto* element = new GUICheckBox(Services(), soundManager, flags, position, size, prototype, parent);
  checkBoxes.AddObject(element);
  return element;
}

GUIEditBox* GUIManager::CreateEditBox(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                      const ShaderDescriptor* texture, std::uint32_t fontId,
                                      const Vector4& textColour, const Vector2& textOffset,
                                      std::uint32_t maxLength, float maxTextWidth, float visibleWidth,
                                      std::uint16_t caretCharacter, GUIWindow* parent,
                                      const Vector2& uvExtent) {
  const GUIEditBoxSettings settings{fontId,       textColour,   textOffset,    maxLength,
                                    maxTextWidth, visibleWidth, caretCharacter};
  auto* element = new GUIEditBox(Services(), timerManager, soundManager, controls, flags, position, size,
                                 texture, settings, parent, uvExtent);
  editBoxes.AddObject(element);
  return element;
}

GUIEditBox* GUIManager::CreateEditBoxFromModel(std::uint32_t flags, const Vector2& position,
                                               const Vector2& size, Model* prototype, std::uint32_t fontId,
                                               const Vector4& textColour, const Vector2& textOffset,
                                               std::uint32_t maxLength, float maxTextWidth,
                                               float visibleWidth, std::uint16_t caretCharacter,
                                               GUIWindow* parent) {
  const GUIEditBoxSettings settings{fontId,       textColour,   textOffset,    maxLength,
                                    maxTextWidth, visibleWidth, caretCharacter};
  auto* element = new GUIEditBox(Services(), timerManager, soundManager, controls, flags, position, size,
                                 prototype, settings, parent);
  editBoxes.AddObject(element);
  return element;
}

GUISlider* GUIManager::CreateSlider(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                    const ShaderDescriptor* texture, bool vertical, const Vector2& start,
                                    const Vector2& end, std::uint32_t count, GUIWindow* parent,
                                    const Vector2& uvExtent) {
  auto* element = new GUISlider(Services(), soundManager, flags, position, size, texture, vertical, start,
                                end, count, parent, uvExtent);
  sliders.AddObject(element);
  return element;
}

GUISlider* GUIManager::CreateSliderFromModel(std::uint32_t flags, const Vector2& position,
                                             const Vector2& size, Model* prototype, bool vertical,
                                             const Vector2& start, const Vector2& end, std::uint32_t count,
                                             GUIWindow* parent) {
  auto* element = new GUISlider(Services(), soundManager, flags, position, size, prototype, vertical, start,
                                end, count, parent);
  sliders.AddObject(element);
  return element;
}

GUIScroll* GUIManager::CreateScroll(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                    const ShaderDescriptor* texture, bool vertical, const Vector2& start,
                                    const Vector2& end, std::uint32_t count, GUIWindow* parent,
                                    const Vector2& uvExtent) {
  auto* element = new GUIScroll(Services(), soundManager, timerManager, flags, position, size, texture,
                                vertical, start, end, count, parent, uvExtent);
  scrolls.AddObject(element);
  return element;
}

GUIScroll* GUIManager::CreateScrollFromModel(std::uint32_t flags, const Vector2& position,
                                             const Vector2& size, Model* prototype, bool vertical,
                                             const Vector2& start, const Vector2& end, std::uint32_t count,
                                             GUIWindow* parent) {
  auto* element = new GUIScroll(Services(), soundManager, timerManager, flags, position, size, prototype,
                                vertical, start, end, count, parent);
  scrolls.AddObject(element);
  return element;
}

GUICursor* GUIManager::CreateCursor(const ShaderDescriptor* texture, float size) {
  auto* element = new GUICursor(log, window, modelManager, controls, camera, texture, size);
  cursors.AddObject(element);
  return element;
}

GUICursor* GUIManager::CreateModelCursor(Model* prototype) {
  auto* element = new GUICursor(log, window, modelManager, controls, camera, prototype);
  cursors.AddObject(element);
  return element;
}

template <typename T>
void GUIManager::Destroy(ObjectManager<T>& list, T* element) {
  if (list.RemoveObject(element)) {
    delete element;
  }
}

void GUIManager::DestroyWindow(GUIWindow* element) {
  Destroy(windows, element);
}
void GUIManager::DestroyButton(GUIButton* element) {
  Destroy(buttons, element);
}
void GUIManager::DestroyCheckBox(GUICheckBox* element) {
  Destroy(checkBoxes, element);
}
void GUIManager::DestroyEditBox(GUIEditBox* element) {
  Destroy(editBoxes, element);
}
void GUIManager::DestroySlider(GUISlider* element) {
  Destroy(sliders, element);
}
void GUIManager::DestroyScroll(GUIScroll* element) {
  Destroy(scrolls, element);
}

void GUIManager::DestroyCursor(GUICursor* element) {
  if (element == defaultCursor && element != nullptr &&
      cursors.FindObject(element) != ObjectManager<GUICursor>::kNoObject) {
    defaultCursor = nullptr;
  }
  Destroy(cursors, element);
}

}  // namespace CorvantisEngine
