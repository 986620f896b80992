#include "tools/gui/GUIEditBoxControl.h"

#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIManager.h"
#include "engine/resources/ShaderUser.h"
#include "tools/gui/GUIFontTool.h"

namespace GUITools {

using namespace CorvantisEngine;

namespace {

// The engine widget's font id for a font index (-1: none).
std::uint32_t FontId(std::int32_t index) {
  return index < 0 ? GUIEditBox::kNoFont : static_cast<std::uint32_t>(index);
}

std::uint32_t CharacterLimit(std::int32_t count) {
  return count < 0 ? 0u : static_cast<std::uint32_t>(count);
}

}  // namespace

GUIEditBoxControl::GUIEditBoxControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_,
                                     GUIFontTool* fontTool_, GUIWindow* parent,
                                     const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description), fontTool(fontTool_) {
  editBox = MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateEditBox(kGUIColoured, position, size, shader, FontId(fontIndex), fontColour,
                                         textOffset, CharacterLimit(maxCharacterCount), maxTextLength,
                                         visibleTextWidth, cursorCharacter, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateEditBoxFromModel(kGUIColoured, position, size, prototype, FontId(fontIndex),
                                                  fontColour, textOffset, CharacterLimit(maxCharacterCount),
                                                  maxTextLength, visibleTextWidth, cursorCharacter, parent);
      });
  Setup(editBox, description);
  modelAnimation = nullptr;
}

GUIEditBoxControl::~GUIEditBoxControl() {
  guiManager->DestroyEditBox(editBox);
}

void GUIEditBoxControl::SetFont(const std::string& fontName) {
  font = fontName;
  fontIndex = fontName.empty() || fontTool == nullptr ? -1 : fontTool->GetFontIndex(fontName);
}

void GUIEditBoxControl::Update() {
  GUIControl::Update();
  if (editBox == nullptr || editBox->visible == 0) {
    return;
  }
  editBox->SetFont(FontId(fontIndex));
  editBox->textColour = fontColour;
  editBox->textOffset = textOffset;
  editBox->caretCharacter = cursorCharacter;
  editBox->caretText = std::wstring(1, static_cast<wchar_t>(cursorCharacter));
  editBox->maxLength = CharacterLimit(maxCharacterCount);
  editBox->maxTextWidth = maxTextLength;
  editBox->visibleWidth = visibleTextWidth;
}

}  // namespace GUITools
