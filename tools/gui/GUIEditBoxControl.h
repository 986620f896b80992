#pragma once
// GUIEditBoxControl ("edit_box"): a wrapper over the engine's one-line text entry. Typing is the
// widget's own; the wrapper keeps the font (by name, through the font tool), colour, text offset,
// cursor character and limits, and pushes them into the widget on every update while it is visible,
// so changes reach the widget on the next such update.
//
// Main thread only. The font tool is borrowed; the widget is made and destroyed through the GUI manager.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"
#include "tools/gui/GUIControl.h"

namespace CorvantisEngine {
class GUIEditBox;
}

namespace GUITools {

class GUIFontTool;

class GUIEditBoxControl : public GUIControl {
 public:
  static constexpr std::uint16_t kDefaultCursor = '_';

  GUIEditBoxControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper, GUIFontTool* fontTool,
                    CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUIEditBoxControl() override;

  void Update() override;
  // The font index of the name (-1 when the font tool does not know it, or for an empty name).
  void SetFont(const std::string& fontName);

  GUIFontTool* fontTool;
  CorvantisEngine::GUIEditBox* editBox = nullptr;  // owned (also the base's element)
  std::string font;
  std::int32_t fontIndex = -1;
  CorvantisEngine::Vector4 fontColour{1.0f, 1.0f, 1.0f, 1.0f};
  CorvantisEngine::Vector2 textOffset;
  std::uint16_t cursorCharacter = kDefaultCursor;
  std::int32_t maxCharacterCount = 255;
  float maxTextLength = 800.0f;
  float visibleTextWidth = 800.0f;
};

}  // namespace GUITools
