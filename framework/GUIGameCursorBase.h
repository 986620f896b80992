#pragma once
// GUIGameCursorBase: the game's mouse cursor. Each cursor id is filed with a Windows cursor (from the
// program's resources) and a GUI cursor element; applying an id sets its Windows cursor on the window
// and, while the custom cursor is in use, shows its GUI element in place of the system cursor. The
// setting "ui_custom_cursor" (default 1, watched so that the ini file can set it) chooses between
// them; Update takes a changed setting over.
//
// Main thread only. The filed GUI elements are destroyed through the GUI manager by the destructor,
// which also removes the setting. Nothing throws.

#include <cstdint>
#include <map>

#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {
class Config;
class Controls;
class Engine;
class GUICursor;
class GUIManager;
class MessageManager;
class Window;
}  // namespace CorvantisEngine

namespace GameFramework {

class GUIGameCursorBase {
 public:
  static constexpr std::uint32_t kNoCursor = 0xFFFFFFFFu;

  struct CursorEntry {
    HCURSOR handle = nullptr;
    CorvantisEngine::GUICursor* element = nullptr;
  };

  explicit GUIGameCursorBase(CorvantisEngine::Engine* engine);
  virtual ~GUIGameCursorBase();

  GUIGameCursorBase(const GUIGameCursorBase&) = delete;
  GUIGameCursorBase& operator=(const GUIGameCursorBase&) = delete;

  // False while the cursor is hidden; else re-shows it under the current setting, true.
  virtual bool Update();
  // The current GUI element's visible flag with the custom cursor in use, else the system cursor.
  virtual void SetVisible(bool visible);

  // Hides the element and files it with the Windows cursor of `resourceId`; an id already filed keeps
  // its first entry.
  void AddSystemCursor(std::uint32_t cursorId, std::uint32_t resourceId, CorvantisEngine::GUICursor* element);
  // Makes the id current; a filed id switches the shown cursor (a visible custom cursor stays visible).
  void ApplySystemCursor(std::uint32_t cursorId);
  bool IsVisible() const;

  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* log;
  CorvantisEngine::Window* window;
  CorvantisEngine::Config* config;
  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::Controls* controls;
  // Storage of "ui_custom_cursor".
  std::uint8_t customCursorSetting = 1;
  std::uint8_t customCursorInUse = 1;
  std::map<std::uint32_t, CursorEntry> cursors;
  std::uint32_t currentId = kNoCursor;
  // Into `cursors`, or null.
  CursorEntry* current = nullptr;
};

}  // namespace GameFramework
