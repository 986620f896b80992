#pragma once
// GUIFontManager: the bitmap fonts under numeric ids, one depth copy of a font for every depth at which
// windows print with it (half a layer step in front of the window, so a window's text sorts just in
// front of it), the placement of a text inside a window by alignment flags, and the end of the frame's
// text batches.
//
// Alignment flags (GUI y grows upwards): 1 centred horizontally, 2 centred vertically, 4 left edge,
// 8 right edge, 16 top edge, 32 bottom edge; an axis without its flags uses the given position relative
// to the window's (or its text rectangle's) origin.
//
// Main thread only. The manager owns its fonts and copies; the services and the camera are borrowed.
// Font files that cannot be read are logged by the font (see GUIFont); nothing throws.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class ShaderManager;
class ModelManager;
class ShaderDescriptor;
class Camera;
class GUIFont;
class GUIWindow;

constexpr std::uint32_t kAlignCentreX = 1;
constexpr std::uint32_t kAlignCentreY = 2;
constexpr std::uint32_t kAlignLeft = 4;
constexpr std::uint32_t kAlignRight = 8;
constexpr std::uint32_t kAlignTop = 16;
constexpr std::uint32_t kAlignBottom = 32;

class GUIFontManager {
 public:
  GUIFontManager(MessageManager* log, FileManager* fileManager, ShaderManager* shaderManager,
                 ModelManager* modelManager, Camera* camera);
  virtual ~GUIFontManager();

  GUIFontManager(const GUIFontManager&) = delete;
  GUIFontManager& operator=(const GUIFontManager&) = delete;

  // Loads and registers a font; an id already in use keeps (and returns) the registered font.
  GUIFont* CreateFont(std::uint32_t id, const ShaderDescriptor* texture, const std::string& fileName);
  GUIFont* FindFont(std::uint32_t id) const;
  // Deletes the font of that id and its depth copies; nothing for an unknown id.
  void DestroyFont(std::uint32_t id);
  GUIFont* GetFontForWindow(std::uint32_t id, const GUIWindow* window);
  Vector2 AlignText(std::uint32_t alignment, std::uint32_t id, const GUIWindow* window,
                    const Vector2& position, float angle, const std::wstring& text) const;
  void Print(std::uint32_t alignment, std::uint32_t id, float angle, const GUIWindow* window,
             const Vector2& position, const Vector4& colour, const std::wstring& text);
  // End of the GUI render pass: unused copies go, every batch closes.
  void Flush();

  MessageManager* log;
  FileManager* fileManager;
  ShaderManager* shaderManager;
  ModelManager* modelManager;
  Camera* camera;
  std::map<std::uint32_t, GUIFont*> fonts;  // owned
  std::vector<GUIFont*> copies;             // owned
};

}  // namespace CorvantisEngine
