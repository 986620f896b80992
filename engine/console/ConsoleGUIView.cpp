#include "engine/console/ConsoleGUIView.h"

#include "engine/console/Console.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"

namespace CorvantisEngine {

ConsoleGUIView::ConsoleGUIView(GUIManager* guiManager, const ShaderDescriptor* windowTexture,
                               std::uint32_t fontId, std::uint16_t caretChar, std::uint16_t promptChar)
    : gui_(guiManager), fontId_(fontId) {
  const float width = GetScreenWidth();
  const float height = GetScreenHeight();
  window_ = gui_->CreateWindow(kWindowFlags, Vector2{0.0f, height}, Vector2{width, height}, windowTexture,
                               nullptr, Vector2{1.0f, 1.0f});

  const float fontSize = GetFontSize();
  const float promptWidth = GetTextWidth(std::wstring(1, static_cast<wchar_t>(promptChar)));
  editBox_ = gui_->CreateEditBoxFromModel(
      kEditBoxFlags, Vector2{promptWidth, fontSize * 0.2f + fontSize * 1.2f}, Vector2{0.0f, 0.0f}, nullptr,
      fontId, Vector4(0.0f, 0.0f, 1.0f, 1.0f), Vector2{0.0f, 0.0f}, kMaxInputLength, 4.0f * width,
      width - promptWidth, caretChar, window_);
}

ConsoleGUIView::~ConsoleGUIView() {
  gui_->DestroyEditBox(editBox_);
  gui_->DestroyWindow(window_);
}

GUIFont* ConsoleGUIView::Font() const {
  return gui_->GetFontManager()->FindFont(fontId_);
}

float ConsoleGUIView::GetScreenWidth() const {
  return gui_->GetScreenWidth();
}

float ConsoleGUIView::GetScreenHeight() const {
  return gui_->GetScreenHeight();
}

float ConsoleGUIView::GetFontSize() const {
  const GUIFont* font = Font();
  return font != nullptr ? font->size : 0.0f;
}

float ConsoleGUIView::GetTextWidth(const std::wstring& text) const {
  const GUIFont* font = Font();
  return font != nullptr ? font->GetTextSize(text, 0.0f, -1.0f).x : 0.0f;
}

float ConsoleGUIView::GetWindowY() const {
  return window_->position.y;
}

void ConsoleGUIView::SetWindowY(float y) {
  // The GUI screen may be given its size after the console was made; the window keeps covering it.
  window_->size = Vector2{GetScreenWidth(), GetScreenHeight()};
  window_->position.y = y;
}

void ConsoleGUIView::ShowWindow(bool shown) {
  if (shown) {
    window_->SetState(kGUIShown);
  } else {
    window_->ClearState(kGUIShown);
  }
}

void ConsoleGUIView::SetWindowColour(const Vector4& colour) {
  window_->SetColour(colour);
}

void ConsoleGUIView::PrintText(const Vector2& position, const Vector4& colour, const std::wstring& text) {
  window_->PrintText(0, fontId_, position, colour, text, 0.0f, -1.0f);
}

std::wstring ConsoleGUIView::GetInputText() const {
  return editBox_->text;
}

void ConsoleGUIView::SetInputText(const std::wstring& text) {
  editBox_->SetText(text);
}

void ConsoleGUIView::SetInputActive(bool active) {
  editBox_->active = active ? 1 : 0;
}

// The shader manager is not needed here: the window's texture comes as a descriptor ready for the GUI.
Console::Console(MessageManager* log, TimerManager* timers, Config* config, Controls* controls,
                 ShaderManager* /*shaderManager*/, GUIManager* guiManager, const std::string& title,
                 const ShaderDescriptor* windowTexture, std::uint32_t fontId, std::uint16_t caretChar,
                 std::uint16_t promptChar, std::uint16_t separatorChar, const std::string& keyName,
                 float alpha, float size, float speed)
    : Console(log, timers, config, controls,
              std::make_unique<ConsoleGUIView>(guiManager, windowTexture, fontId, caretChar, promptChar),
              title, promptChar, separatorChar, keyName, alpha, size, speed) {}

}  // namespace CorvantisEngine
