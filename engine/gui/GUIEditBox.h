#pragma once
// GUIEditBox: a one-line text entry. While its active flag is set it takes the frame's last key event
// from the controls (Insert, Delete, Backspace, Left, Right, Home, End and typed characters), edits its
// wide text with a caret in insert or overwrite mode, keeps the text within a maximum length and a
// maximum width, scrolls the visible part so that the caret stays in view, and queues the visible text
// and a blinking caret (0.4 s on, 0.4 s off) on its window's text queue. GUI sound 10 plays when the
// text changes.
//
// Widths are measured with the box's font at angle 0 and the font's own size. A box without a font
// takes no keys and draws nothing.
//
// Main thread only; made and deleted by the GUIManager. The timer and sound managers and the controls
// are borrowed. Nothing throws.

#include <cstdint>
#include <string>

#include "engine/gui/GUIWindow.h"

namespace CorvantisEngine {

class TimerManager;
class GUISoundManager;
class Controls;
class GUIFont;

// The edit box's settings after the window's own.
struct GUIEditBoxSettings {
  std::uint32_t fontId = 0xFFFFFFFFu;  // ~0: none
  Vector4 textColour;
  Vector2 textOffset;  // where the text starts, relative to the window
  std::uint32_t maxLength = 0;
  float maxTextWidth = 0.0f;
  float visibleWidth = 0.0f;
  std::uint16_t caretCharacter = '_';
};

class GUIEditBox : public GUIWindow {
 public:
  static constexpr std::uint32_t kNoFont = 0xFFFFFFFFu;
  static constexpr float kBlinkPeriod = 0.4f;
  static constexpr std::uint16_t kKeyInsert = 45;
  static constexpr std::uint16_t kKeyDelete = 46;
  static constexpr std::uint16_t kKeyBackspace = 8;
  static constexpr std::uint16_t kKeyLeft = 37;
  static constexpr std::uint16_t kKeyRight = 39;
  static constexpr std::uint16_t kKeyHome = 36;
  static constexpr std::uint16_t kKeyEnd = 35;

  GUIEditBox(const GUIServices& services, TimerManager* timerManager, GUISoundManager* soundManager,
             Controls* controls, std::uint32_t flags, const Vector2& position, const Vector2& size,
             const ShaderDescriptor* texture, const GUIEditBoxSettings& settings, GUIWindow* parent,
             const Vector2& uvExtent);
  GUIEditBox(const GUIServices& services, TimerManager* timerManager, GUISoundManager* soundManager,
             Controls* controls, std::uint32_t flags, const Vector2& position, const Vector2& size,
             Model* prototype, const GUIEditBoxSettings& settings, GUIWindow* parent);
  ~GUIEditBox() override;

  bool Update(const Vector2& mouse, bool held, bool pressed) override;
  bool Render() override;

  void SetFont(std::uint32_t id);
  void SetText(const std::wstring& newText);
  bool CanInsertChar(wchar_t c) const;
  void UpdateVisibleText();
  // Handles one key event (what Update does with the controls' last event); true when the text changed.
  bool HandleKey(std::uint16_t code, bool isCharacter);

  TimerManager* timerManager;
  GUISoundManager* soundManager;
  Controls* controls;
  std::uint32_t fontId = kNoFont;
  GUIFont* font = nullptr;  // refreshed from the id by Update and HandleKey
  Vector4 textColour;
  Vector2 textOffset;
  std::uint16_t caretCharacter = '_';
  std::wstring caretText;
  std::uint32_t maxLength = 0;
  float maxTextWidth = 0.0f;
  float visibleWidth = 0.0f;
  std::uint8_t overwrite = 0;
  std::int32_t caret = 0;
  std::int32_t firstVisible = 0;
  std::wstring text;
  std::uint8_t active = 1;

 private:
  void Initialise(const GUIEditBoxSettings& settings);
  // The font registered under the id now. Every use looks it up, so a font destroyed (or replaced)
  // under the box between frames is never reached through a stale pointer.
  GUIFont* RegisteredFont() const;
  float Width(const std::wstring& s) const;
  std::int32_t LastCaret() const;
  void AdvanceCaret();
  void ScrollBack();
};

}  // namespace CorvantisEngine
