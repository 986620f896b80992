#pragma once
// GUITextControl ("text_label"): a text shown in a window element. The text comes from a key
// expression, whose keys the text tool turns into localised texts, or from a literal wide text. The
// control substitutes named placeholders ("%NAME%"), breaks the text into lines (at line feeds and,
// when multiline, at the last blank before the control's width is exceeded), aligns the block in the
// control's rectangle, fades it with the control's fader and can print it like a typewriter: in
// printing mode the characters appear at the printing speed, and a changed text (or a hiding control)
// is first erased at that speed before the new text prints.
//
// Key expressions: terms separated by "+", blanks kept. A term in quotes (single or double, at both
// ends) is a literal; any other term is a text key. A bracketed markup anywhere in a term applies to
// its piece: "[fu]" upper-cases the first character, "[u]" the whole piece, "[l]" lower-cases it;
// markup is matched case-insensitively and other markup is only removed.
//
// The text is queued on the element every frame (GUIWindow::PrintText). Main thread only. The font
// and text tools are borrowed. An unknown key shows "UNKNOWN"; without a font nothing is drawn.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Vector.h"
#include "tools/gui/GUIControl.h"

namespace CorvantisEngine {
class GUIFont;
class GUIFontManager;
}  // namespace CorvantisEngine

namespace GUITools {

class GUIFontTool;
class GUITextTool;

class GUITextControl : public GUIControl {
 public:
  GUITextControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper, GUIFontTool* fontTool,
                 GUITextTool* textTool, CorvantisEngine::GUIWindow* parent,
                 const ControlDescription& description);
  ~GUITextControl() override;

  void Update() override;

  void SetFont(const std::string& newFontName);
  void SetTextKey(const std::string& expression);
  void SetText(const std::wstring& newText);
  void SetPlaceholder(const std::wstring& placeholder, const std::wstring& value);
  // Breaks the text into lines again; the window calls it after writing "font_size" or "multiline".
  void LayoutText();

  // The text of a key expression.
  std::wstring BuildText(const std::string& expression) const;

  CorvantisEngine::GUIFontManager* fontManager;
  GUIFontTool* fontTool;
  GUITextTool* textTool;
  std::string alignmentH = "left";
  std::string alignmentV = "bottom";
  std::string fontName;
  std::int32_t fontIndex = -1;
  CorvantisEngine::GUIFont* font = nullptr;  // not owned
  std::string keyExpression;
  std::wstring text;
  CorvantisEngine::Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
  float angle = 0.0f;
  float fontSize = -1.0f;  // 0 or less: the font's own size
  bool multiline = false;
  float lineSpace = 0.0f;
  bool printingMode = false;
  float printingSpeed = 1.0f;  // characters per second
  float maxPrintingTime = 100000.0f;
  std::vector<std::wstring> lines;
  std::uint32_t characterCount = 0;
  float printed = 0.0f;
  bool printingDone = true;
  std::vector<std::wstring> previousLines;  // the text being erased
  std::vector<std::wstring> placeholderNames;
  std::vector<std::wstring> placeholderValues;
  float fontSizeInUse = -1.0f;

 private:
  // The registered font of the index now (a font may go between frames).
  CorvantisEngine::GUIFont* CurrentFont() const;
  void AdvanceTypewriter(float dt);
  void QueueLines(const std::vector<std::wstring>& drawn, CorvantisEngine::GUIFont& current);
};

}  // namespace GUITools
