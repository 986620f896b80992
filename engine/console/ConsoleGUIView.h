#pragma once
// ConsoleGUIView: the console's view over the engine GUI. It makes the console's window (a coloured
// top-layer quad as wide and high as the GUI screen, hidden, parked just above the top edge) and its
// one-line edit box (blue text in the console font, 255 characters at most, right of the prompt), and
// gives both back to the GUI manager when it goes. Texts are queued on the window in the console font.
//
// Main thread only. The GUI manager is borrowed and must outlive the view. The font is looked up by id
// on every use, so a font registered after the console was made is still found; without a font, texts
// measure 0 wide and the edit box draws nothing.

#include <cstdint>

#include "engine/console/ConsoleView.h"

namespace CorvantisEngine {

class GUIManager;
class GUIWindow;
class GUIEditBox;
class GUIFont;
class ShaderDescriptor;

class ConsoleGUIView : public ConsoleView {
 public:
  static constexpr std::uint32_t kWindowFlags = 0x12;
  static constexpr std::uint32_t kEditBoxFlags = 1;
  static constexpr std::uint32_t kMaxInputLength = 255;

  ConsoleGUIView(GUIManager* guiManager, const ShaderDescriptor* windowTexture, std::uint32_t fontId,
                 std::uint16_t caretChar, std::uint16_t promptChar);
  ~ConsoleGUIView() override;

  ConsoleGUIView(const ConsoleGUIView&) = delete;
  ConsoleGUIView& operator=(const ConsoleGUIView&) = delete;

  float GetScreenWidth() const override;
  float GetScreenHeight() const override;
  float GetFontSize() const override;
  float GetTextWidth(const std::wstring& text) const override;
  float GetWindowY() const override;
  void SetWindowY(float y) override;
  void ShowWindow(bool shown) override;
  void SetWindowColour(const Vector4& colour) override;
  void PrintText(const Vector2& position, const Vector4& colour, const std::wstring& text) override;
  std::wstring GetInputText() const override;
  void SetInputText(const std::wstring& text) override;
  void SetInputActive(bool active) override;

  GUIWindow* GetWindow() const { return window_; }
  GUIEditBox* GetEditBox() const { return editBox_; }

 private:
  GUIFont* Font() const;

  GUIManager* gui_;
  std::uint32_t fontId_;
  GUIWindow* window_ = nullptr;    // owned by the GUI manager
  GUIEditBox* editBox_ = nullptr;  // owned by the GUI manager
};

}  // namespace CorvantisEngine
