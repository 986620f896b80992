#pragma once
// GUINameInput: the name field that the welcome, new-profile and rename windows share: the edit box
// "<key>/window/name", the confirm button "<key>/window/button_1" and the back button
// "<key>/window/button_0". The typed name counts with the blanks at both ends cut off; the field takes
// at most 254 characters, what a profile file can hold. The confirm button is enabled only while the
// name is not empty, and ENTER confirms then too.
//
// Main thread only. The controls belong to the window; a missing one is logged by the window's look-up
// and its part of the input does nothing.

#include <cstdint>
#include <string>

namespace CorvantisEngine {
class Controls;
class GUIButton;
class GUIEditBox;
}  // namespace CorvantisEngine

namespace GUITools {
class GUIWindowBase;
}

namespace Puzzle {

class GUINameInput {
 public:
  static constexpr std::uint32_t kMaxNameLength = 254;

  // Looks the three controls up and limits the field's length.
  void Setup(GUITools::GUIWindowBase& window);

  // The typed name, trimmed.
  std::wstring GetName() const;
  void SetText(const std::wstring& text);
  // Enables the confirm button by the name; true when the name is confirmed in this frame (its button
  // clicked, or ENTER pressed while the button is enabled). An empty name is never confirmed.
  bool UpdateConfirm(const std::wstring& name, const CorvantisEngine::Controls* controls);
  bool IsBackClicked() const;

  CorvantisEngine::GUIEditBox* editBox = nullptr;
  CorvantisEngine::GUIButton* confirmButton = nullptr;
  CorvantisEngine::GUIButton* backButton = nullptr;
};

}  // namespace Puzzle
