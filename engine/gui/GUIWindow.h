#pragma once
// GUIWindow: the base of every engine widget. A rectangle in GUI units (800 x 600, origin bottom-left,
// y up) placed relative to its parent, drawn by a model (an engine-built textured quad, a model file or
// a clone of a prototype; none at all is allowed), with state flags, a draw depth from its layer, a
// hover test against the mouse and a per-frame queue of texts drawn through the font manager.
//
// Depth: a top-level window takes -10, -20 or -30 from its layer bits (4, 8, 16), -15 with none; a
// child sits at its parent's depth minus 0.01 times its layer, so it draws in front of its parent.
//
// Main thread only. The GUIManager creates and deletes widgets; a window owns its model (destroyed
// through the model manager) and its text records, not its children, which become top-level windows
// when their parent is deleted. The services and the camera are borrowed. Nothing throws.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class ShaderManager;
class ModelManager;
class GUIFontManager;
class GUITextManager;
class ShaderDescriptor;
class ShaderUser;
class Camera;
class Model;

// State flag bits.
constexpr std::uint32_t kGUIShown = 1;
constexpr std::uint32_t kGUIColoured = 2;
constexpr std::uint32_t kGUILayer1 = 4;
constexpr std::uint32_t kGUILayer2 = 8;
constexpr std::uint32_t kGUILayer3 = 16;
constexpr std::uint32_t kGUILayerBits = kGUILayer1 | kGUILayer2 | kGUILayer3;

// One queued text of a window for this frame.
struct GUITextRecord {
  std::uint32_t alignment = 0;
  std::uint32_t fontId = 0;
  float angle = 0.0f;  // radians
  float size = -1.0f;  // below 0: the font's own size
  Vector2 position;
  Vector4 colour;
  std::wstring text;
  std::string key;
  std::int32_t index = -1;
  std::uint8_t useKey = 0;  // text := GUITextManager::GetText(key, index) before drawing
};

// The services a widget is built with.
struct GUIServices {
  MessageManager* log = nullptr;
  ShaderManager* shaderManager = nullptr;
  ModelManager* modelManager = nullptr;
  GUIFontManager* fontManager = nullptr;
  GUITextManager* textManager = nullptr;
  Camera* camera = nullptr;
};

class GUIWindow {
 public:
  static constexpr std::uint32_t kQuadFlags = 0xC11;
  static constexpr std::uint32_t kColouredQuadFlags = 0xC31;

  // Quad window: texture (may be null) and the texture coordinates of the quad's far corner.
  GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position, const Vector2& size,
            const ShaderDescriptor* texture, GUIWindow* parent, const Vector2& uvExtent);
  // Model read from a file.
  GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position, const Vector2& size,
            const std::string& modelFile, GUIWindow* parent);
  // Clone of a prototype; no model when the prototype is null.
  GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position, const Vector2& size,
            Model* prototype, GUIWindow* parent);
  GUIWindow(const GUIWindow&) = delete;
  GUIWindow& operator=(const GUIWindow&) = delete;
  virtual ~GUIWindow();

  // Hover test; false when not visible.
  virtual bool Update(const Vector2& mouse, bool held, bool pressed);
  // Places the model and draws the queued texts; false when not visible.
  virtual bool Render();
  virtual void SetLayer(std::int32_t newLayer);
  virtual void SetColour(const Vector4& colour);
  virtual void UpdateVisibility();

  void SetState(std::uint32_t bits);
  void ClearState(std::uint32_t bits);
  void SetParent(GUIWindow* window);
  void AddChild(GUIWindow* window);
  void RemoveChild(GUIWindow* window);

  Vector2 GetOrigin() const;
  Vector2 GetAbsolutePosition() const { return position + GetOrigin(); }
  // The colour of the model's first vertex; opaque white without a model.
  Vector4 GetColour() const;
  void SetTexture(const ShaderDescriptor& descriptor);
  ShaderUser* GetTexture() const;
  Camera* GetCamera() const { return camera; }

  // Queues a text for this frame; an empty text is not queued.
  void PrintText(std::uint32_t alignment, std::uint32_t fontId, const Vector2& at, const Vector4& colour,
                 const std::wstring& text, float angle, float textSize);
  GUITextRecord* AllocTextRecord();

  MessageManager* log;
  ShaderManager* shaderManager;
  ModelManager* modelManager;
  GUIFontManager* fontManager;
  GUITextManager* textManager;
  std::uint32_t state = 0;
  std::uint8_t visible = 0;
  Vector2 position;
  Vector2 size;
  GUIWindow* parent = nullptr;
  std::vector<GUIWindow*> children;  // not owned
  std::int32_t layer = 1;
  float depth = -15.0f;
  std::uint8_t hoverRectangle = 0;
  Vector2 hoverOffset;
  Vector2 hoverSize;
  std::uint8_t textRectangle = 0;
  Vector2 textOffset;
  Vector2 textSize;
  std::uint8_t hovered = 0;
  std::uint8_t autoPlacement = 1;
  Model* model = nullptr;  // owned, destroyed through the model manager
  std::uint32_t textCount = 0;
  std::vector<GUITextRecord*> textRecords;  // owned; reused from frame to frame

 protected:
  // The services this window was built with, for the parts a widget makes itself.
  GUIServices Services() const {
    return GUIServices{log, shaderManager, modelManager, fontManager, textManager, camera};
  }

  // The GUI camera the window was made with (sliders and scrolls make their parts with it).
  Camera* camera = nullptr;

 private:
  void StoreServices(const GUIServices& services);
  void FinishConstruction(std::uint32_t flags, const Vector2& position, const Vector2& size,
                          GUIWindow* parent);
  void AdoptModel();
  void ApplyDepth(float value);
};

}  // namespace CorvantisEngine
