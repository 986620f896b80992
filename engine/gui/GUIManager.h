#pragma once
// GUIManager: owns every engine widget (cursors, windows, buttons, check boxes, edit boxes, sliders,
// scrolls), the GUI camera (orthographic, near 500, far -500, width and height = the GUI screen size)
// and the text, font and GUI sound managers. Widgets are polled: Update hands each one the GUI mouse
// position and the "MOUSE1" held and pressed states; the toolkit then reads their flags. Render places
// every widget's model and draws the queued texts; the model manager draws them afterwards, ordered by
// depth.
//
// The Engine creates it last among its systems, calls Update after the controls are read and Render in
// the render pass. Main thread only. The manager owns the widgets it made (destroyed through the
// matching Destroy operation or by its destructor) and the three service managers; the engine systems
// are borrowed. The sound manager may be null (no sound). Nothing throws except std::bad_alloc.

#include <cstdint>
#include <string>

#include "engine/core/ObjectManager.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class Window;
class TimerManager;
class CameraManager;
class ShaderManager;
class ModelManager;
class Controls;
class SoundManager;
class Camera;
class Model;
class ShaderDescriptor;
class GUITextManager;
class GUIFontManager;
class GUISoundManager;
class GUICursor;
class GUIWindow;
class GUIButton;
class GUICheckBox;
class GUIEditBox;
class GUISlider;
class GUIScroll;
struct GUIServices;

class GUIManager {
 public:
  static constexpr std::uint32_t kGUICameraKind = 1;

  GUIManager(MessageManager* log, FileManager* fileManager, Window* window, TimerManager* timerManager,
             CameraManager* cameraManager, ShaderManager* shaderManager, ModelManager* modelManager,
             Controls* controls, SoundManager* soundManager);
  virtual ~GUIManager();

  GUIManager(const GUIManager&) = delete;
  GUIManager& operator=(const GUIManager&) = delete;

  void SetScreenSize(float width, float height);
  float GetScreenWidth() const;
  float GetScreenHeight() const;
  Vector2 GetCursorPosition() const;

  void Update();
  void Render();

  GUIWindow* CreateWindow(std::uint32_t flags, const Vector2& position, const Vector2& size,
                          const ShaderDescriptor* texture, GUIWindow* parent, const Vector2& uvExtent);
  GUIWindow* CreateModelWindow(std::uint32_t flags, const Vector2& position, const Vector2& size,
                               Model* prototype, GUIWindow* parent);
  GUIButton* CreateButton(std::uint32_t flags, const Vector2& position, const Vector2& size,
                          const ShaderDescriptor* texture, GUIWindow* parent, const Vector2& uvExtent);
  GUIButton* CreateButtonFromModel(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                   Model* prototype, GUIWindow* parent);
  GUICheckBox* CreateCheckBox(std::uint32_t flags, const Vector2& position, const Vector2& size,
                              const ShaderDescriptor* texture, GUIWindow* parent, const Vector2& uvExtent);
  GUICheckBox* CreateCheckBoxFromModel(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                       Model* prototype, GUIWindow* parent);
  GUIEditBox* CreateEditBox(std::uint32_t flags, const Vector2& position, const Vector2& size,
                            const ShaderDescriptor* texture, std::uint32_t fontId, const Vector4& textColour,
                            const Vector2& textOffset, std::uint32_t maxLength, float maxTextWidth,
                            float visibleWidth, std::uint16_t caretCharacter, GUIWindow* parent,
                            const Vector2& uvExtent);
  GUIEditBox* CreateEditBoxFromModel(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                     Model* prototype, std::uint32_t fontId, const Vector4& textColour,
                                     const Vector2& textOffset, std::uint32_t maxLength, float maxTextWidth,
                                     float visibleWidth, std::uint16_t caretCharacter, GUIWindow* parent);
  GUISlider* CreateSlider(std::uint32_t flags, const Vector2& position, const Vector2& size,
                          const ShaderDescriptor* texture, bool vertical, const Vector2& start,
                          const Vector2& end, std::uint32_t count, GUIWindow* parent,
                          const Vector2& uvExtent);
  GUISlider* CreateSliderFromModel(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                   Model* prototype, bool vertical, const Vector2& start, const Vector2& end,
                                   std::uint32_t count, GUIWindow* parent);
  GUIScroll* CreateScroll(std::uint32_t flags, const Vector2& position, const Vector2& size,
                          const ShaderDescriptor* texture, bool vertical, const Vector2& start,
                          const Vector2& end, std::uint32_t count, GUIWindow* parent,
                          const Vector2& uvExtent);
  GUIScroll* CreateScrollFromModel(std::uint32_t flags, const Vector2& position, const Vector2& size,
                                   Model* prototype, bool vertical, const Vector2& start, const Vector2& end,
                                   std::uint32_t count, GUIWindow* parent);
  GUICursor* CreateCursor(const ShaderDescriptor* texture, float size);
  GUICursor* CreateModelCursor(Model* prototype);

  // Each removes the element from its own list and deletes it; an element not in that list (or null)
  // is left alone.
  void DestroyWindow(GUIWindow* element);
  void DestroyButton(GUIButton* element);
  void DestroyCheckBox(GUICheckBox* element);
  void DestroyEditBox(GUIEditBox* element);
  void DestroySlider(GUISlider* element);
  void DestroyScroll(GUIScroll* element);
  void DestroyCursor(GUICursor* element);

  GUITextManager* GetTextManager() const { return textManager; }
  GUIFontManager* GetFontManager() const { return fontManager; }
  GUISoundManager* GetSoundManager() const { return soundManager; }
  Camera* GetCamera() const { return camera; }
  GUICursor* GetDefaultCursor() const { return defaultCursor; }

  MessageManager* log;
  FileManager* fileManager;
  Window* window;
  TimerManager* timerManager;
  CameraManager* cameraManager;
  ShaderManager* shaderManager;
  ModelManager* modelManager;
  Controls* controls;
  Camera* camera = nullptr;                 // made and destroyed through the camera manager
  GUITextManager* textManager = nullptr;    // owned
  GUIFontManager* fontManager = nullptr;    // owned
  GUISoundManager* soundManager = nullptr;  // owned
  ObjectManager<GUICursor> cursors;         // the lists own their elements
  ObjectManager<GUIWindow> windows;
  ObjectManager<GUIButton> buttons;
  ObjectManager<GUICheckBox> checkBoxes;
  ObjectManager<GUIEditBox> editBoxes;
  ObjectManager<GUISlider> sliders;
  ObjectManager<GUIScroll> scrolls;
  GUICursor* defaultCursor = nullptr;  // in the cursor list

 private:
  GUIServices Services() const;
  template <typename T>
  void Destroy(ObjectManager<T>& list, T* element);
  template <typename T>
  static void UpdateList(ObjectManager<T>& list, const Vector2& mouse, bool held, bool pressed);
  template <typename T>
  static void RenderList(ObjectManager<T>& list);
};

}  // namespace CorvantisEngine
