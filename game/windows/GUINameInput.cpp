#include "game/windows/GUINameInput.h"

#include <algorithm>

#include "engine/core/StringUtils.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/input/Controls.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUIWindowBase.h"

namespace Puzzle {

void GUINameInput::Setup(GUITools::GUIWindowBase& window) {
  const std::string& key = window.GetName();
  editBox = window.GetEditBox(key + "/window/name");
  confirmButton = window.GetButton(key + "/window/button_1");
  backButton = window.GetButton(key + "/window/button_0");
  // A longer name would not fit the one-byte length of a saved name. The control pushes its limit into
  // the widget on every update, so both get it.
  if (GUITools::GUIEditBoxControl* control = window.GetEditBoxControl(key + "/window/name")) {
    if (control->maxCharacterCount < 0 ||
        control->maxCharacterCount > static_cast<std::int32_t>(kMaxNameLength)) {
      control->maxCharacterCount = static_cast<std::int32_t>(kMaxNameLength);
    }
  }
  if (editBox != nullptr) {
    editBox->maxLength = std::min<std::uint32_t>(editBox->maxLength, kMaxNameLength);
  }
}

std::wstring GUINameInput::GetName() const {
  if (editBox == nullptr) {
    return {};
  }
  std::wstring name = CorvantisEngine::WStringTrim(editBox->text);
  if (name.size() > kMaxNameLength) {
    name.resize(kMaxNameLength);
    name = CorvantisEngine::WStringTrim(name);
  }
  return name;
}

void GUINameInput::SetText(const std::wstring& text) {
  if (editBox != nullptr) {
    editBox->SetText(text.size() > kMaxNameLength ? text.substr(0, kMaxNameLength) : text);
  }
}

bool GUINameInput::UpdateConfirm(const std::wstring& name, const CorvantisEngine::Controls* controls) {
  if (confirmButton == nullptr) {
    return false;
  }
  confirmButton->SetEnabled(!name.empty());
  if (name.empty()) {
    return false;
  }
  if (confirmButton->clicked != 0) {
    return true;
  }
  return confirmButton->IsEnabled() && controls != nullptr && controls->IsKeyPressed("ENTER");
}

bool GUINameInput::IsBackClicked() const {
  return backButton != nullptr && backButton->clicked != 0;
}

}  // namespace Puzzle
