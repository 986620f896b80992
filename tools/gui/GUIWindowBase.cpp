#include "tools/gui/GUIWindowBase.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISlider.h"
#include "engine/gui/GUIWindow.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLQueries.h"
#include "tools/game/XMLValue.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUISliderControl.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowControl.h"

namespace GUITools {

using namespace CorvantisEngine;
using GameTools::XMLNode;
using GameTools::XMLValue;

namespace {

// Typed readers of a chain attribute: each leaves `out` alone when no chain node has the attribute.
bool ReadString(const GUIWindowBase::TemplateChain& chain, const char* attribute, std::string& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetString();
  }
  return value != nullptr;
}

bool ReadInt(const GUIWindowBase::TemplateChain& chain, const char* attribute, std::int32_t& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetInt();
  }
  return value != nullptr;
}

bool ReadFloat(const GUIWindowBase::TemplateChain& chain, const char* attribute, float& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetFloat();
  }
  return value != nullptr;
}

bool ReadBool(const GUIWindowBase::TemplateChain& chain, const char* attribute, bool& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetBool();
  }
  return value != nullptr;
}

bool ReadVector2(const GUIWindowBase::TemplateChain& chain, const char* attribute, Vector2& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetVector2();
  }
  return value != nullptr;
}

bool ReadVector4(const GUIWindowBase::TemplateChain& chain, const char* attribute, Vector4& out) {
  XMLValue* value = GUIWindowBase::FindAttribute(chain, attribute);
  if (value != nullptr) {
    out = value->GetVector4();
  }
  return value != nullptr;
}

// A hit rectangle is switched on by either of its two attributes.
void ReadSelection(const GUIWindowBase::TemplateChain& chain, const char* positionAttribute,
                   const char* sizeAttribute, bool& on, Vector2& at, Vector2& extent) {
  const bool hasPosition = ReadVector2(chain, positionAttribute, at);
  const bool hasSize = ReadVector2(chain, sizeAttribute, extent);
  if (hasPosition || hasSize) {
    on = true;
  }
}

std::string Attribute(const GUIWindowBase::TemplateChain& chain, const char* attribute) {
  std::string text;
  ReadString(chain, attribute, text);
  return text;
}

Vector2 UVAttribute(const GUIWindowBase::TemplateChain& chain, const char* attribute) {
  Vector2 uv{1.0f, 1.0f};
  ReadVector2(chain, attribute, uv);
  return uv;
}

}  // namespace

GUIWindowBase::GUIWindowBase(Engine* engine_, GameTools::DataKeeper* dataKeeper_,
                             GUIToolManager* toolManager_, GUIWindow* parent, const std::string& windowName_)
    : engine(engine_),
      messageManager(engine_->GetMessageManager()),
      fileManager(engine_->GetFileManager()),
      modelManager(engine_->GetModelManager()),
      guiManager(engine_->GetGUIManager()),
      dataKeeper(dataKeeper_),
      toolManager(toolManager_),
      fontTool(toolManager_->GetFontTool()),
      textTool(toolManager_->GetTextTool()),
      windowName(windowName_) {
  container = guiManager->CreateModelWindow(0, {0.0f, 0.0f}, {0.0f, 0.0f}, nullptr, parent);
  try {
    ParseWindow();
  } catch (...) {
    // An aborted build leaves nothing behind.
    DestroyControls();
    guiManager->DestroyWindow(container);
    container = nullptr;
    throw;
  }
}

GUIWindowBase::~GUIWindowBase() {
  DestroyControls();
  guiManager->DestroyWindow(container);
  container = nullptr;
}

void GUIWindowBase::DestroyControls() {
  for (GUIControl* control : controls) {
    delete control;
  }
  controls.clear();
  windowControls.clear();
  buttonControls.clear();
  checkBoxControls.clear();
  editBoxControls.clear();
  sliderControls.clear();
  scrollControls.clear();
  textControls.clear();
  enabled.clear();
}

GameTools::XMLValue* GUIWindowBase::FindAttribute(const TemplateChain& chain, const char* attribute) {
  for (XMLNode* node : chain) {
    if (XMLValue* value = node->GetAttribute(attribute)) {
      return value;
    }
  }
  return nullptr;
}

GUIWindowBase::TemplateChain GUIWindowBase::ResolveTemplates(const std::vector<XMLNode*>& roots,
                                                             const std::string& name) const {
  TemplateChain chain;
  std::vector<std::string> templates;
  ResolveInto(roots, name, chain, templates);
  return chain;
}

void GUIWindowBase::ResolveInto(const std::vector<XMLNode*>& roots, const std::string& name,
                                TemplateChain& chain, std::vector<std::string>& templates) const {
  const std::string path = "/[name=\"" + name + "\"]";
  for (XMLNode* root : roots) {
    XMLNode* found = GameTools::XMLSelectNode(root, path);
    if (found == nullptr) {
      continue;
    }
    chain.push_back(found);
    XMLValue* templateName = found->GetAttribute("template");
    if (templateName == nullptr) {
      continue;
    }
    const std::string& next = templateName->GetString();
    // A template met again while its own chain is being resolved would never end.
    if (std::find(templates.begin(), templates.end(), next) != templates.end()) {
      messageManager->Abort("(GUIWindowBase::ResolveTemplates): Template \"" + next + "\" refers to itself");
    }
    templates.push_back(next);
    ResolveInto({toolManager->GetDocument()}, next, chain, templates);
    templates.pop_back();
  }
}

void GUIWindowBase::ParseWindow() {
  XMLNode* document = toolManager->GetDocument();
  if (ResolveTemplates({document}, windowName).empty()) {
    messageManager->Abort("(GUIWindowBase::ParseWindow): Unknown \"" + windowName + "\" window");
  }
  std::vector<TemplateChain> building;
  ParseControls(document, {document}, windowName, "", container, building);
}

void GUIWindowBase::ParseControls(XMLNode* document, const std::vector<XMLNode*>& roots,
                                  const std::string& name, const std::string& prefix, GUIWindow* parent,
                                  std::vector<TemplateChain>& building) {
  const TemplateChain chain = ResolveTemplates(roots, name);
  const std::string fullName = prefix.empty() ? name : prefix + "/" + name;
  if (chain.empty()) {
    messageManager->Abort("(GUIWindowBase::ParseControls): Unknown \"" + fullName + "\" control");
  }
  const std::string& type = chain.front()->GetName();
  if (type == "fader") {
    return;
  }
  if (XMLValue* language = FindAttribute(chain, "language")) {
    if (language->GetString() != toolManager->GetLanguage()) {
      return;
    }
  }
  // The same chain again below itself would repeat its subtree for ever.
  if (building.size() >= kMaxDepth || std::find(building.begin(), building.end(), chain) != building.end()) {
    messageManager->Abort("(GUIWindowBase::ParseControls): Control \"" + fullName + "\" contains itself");
  }

  ControlDescription description;
  description.name = fullName;
  ReadString(chain, "model", description.model);
  ReadInt(chain, "model_start_frame", description.modelStartFrame);
  ReadInt(chain, "model_end_frame", description.modelEndFrame);
  ReadString(chain, "shader", description.shader);
  ReadVector2(chain, "uv", description.uv);
  ReadString(chain, "animator_model", description.animatorModel);
  ReadInt(chain, "animator_model_start_frame", description.animatorModelStartFrame);
  ReadInt(chain, "animator_model_end_frame", description.animatorModelEndFrame);

  GUIControl* control = CreateControl(type, description, parent);
  ReadCommonAttributes(*control, chain, document);
  ReadTypeAttributes(*control, type, chain);

  std::vector<std::string> childNames;
  for (XMLNode* node : chain) {
    for (XMLNode* child : node->GetChildList()) {
      XMLValue* childName = child->GetAttribute("name");
      if (childName == nullptr) {
        messageManager->Abort(
            "(GUIWindowBase::ParseControls): Failed to find attribute \"name\" in node with \"" +
            child->GetName() + "\" name");
      }
      const std::string& text = childName->GetString();
      if (std::find(childNames.begin(), childNames.end(), text) == childNames.end()) {
        childNames.push_back(text);
      }
    }
  }
  building.push_back(chain);
  for (const std::string& childName : childNames) {
    ParseControls(document, chain, childName, fullName, control->GetElement(), building);
  }
  building.pop_back();
}

GUIControl* GUIWindowBase::CreateControl(const std::string& type, const ControlDescription& description,
                                         GUIWindow* parent) {
  GUIControl* control = nullptr;
  if (type == "window") {
    auto* made = new GUIWindowControl(engine, dataKeeper, parent, description);
    windowControls.push_back(made);
    control = made;
  } else if (type == "button") {
    auto* made = new GUIButtonControl(engine, dataKeeper, parent, description);
    buttonControls.push_back(made);
    control = made;
  } else if (type == "check_box") {
    auto* made = new GUICheckBoxControl(engine, dataKeeper, parent, description);
    checkBoxControls.push_back(made);
    control = made;
  } else if (type == "edit_box") {
    auto* made = new GUIEditBoxControl(engine, dataKeeper, fontTool, parent, description);
    editBoxControls.push_back(made);
    control = made;
  } else if (type == "slider") {
    auto* made = new GUISliderControl(engine, dataKeeper, parent, description);
    sliderControls.push_back(made);
    control = made;
  } else if (type == "scroll") {
    auto* made = new GUIScrollControl(engine, dataKeeper, parent, description);
    scrollControls.push_back(made);
    control = made;
  } else if (type == "text_label") {
    auto* made = new GUITextControl(engine, dataKeeper, fontTool, textTool, parent, description);
    textControls.push_back(made);
    control = made;
  } else {
    messageManager->Abort("(GUIWindowBase::ParseControls): Unknown \"" + type + "\" control type");
  }
  // Owned from here on, so that a later abort of the build still deletes it.
  controls.push_back(control);
  enabled.push_back(true);
  return control;
}

void GUIWindowBase::ReadCommonAttributes(GUIControl& control, const TemplateChain& chain, XMLNode* document) {
  ReadString(chain, "show_action", control.showAction);
  ReadString(chain, "hide_action", control.hideAction);
  ReadInt(chain, "height", control.height);
  ReadVector2(chain, "position", control.position);
  ReadVector2(chain, "size", control.size);
  ReadSelection(chain, "selection_position", "selection_size", control.selection, control.selectionPosition,
                control.selectionSize);

  const std::string fader = Attribute(chain, "fader");
  if (fader.empty()) {
    return;
  }
  XMLNode* definition = GameTools::XMLSelectNode(document, "/faders/fader[name='" + fader + "']");
  if (definition == nullptr) {
    messageManager->Abort("(GUIWindowBase::ParseControls): Unknown \"" + fader + "\" fader");
  }
  control.faderName = fader;
  const TemplateChain own{definition};
  ReadString(own, "type", control.faderType);
  ReadFloat(own, "show_speed", control.showSpeed);
  ReadFloat(own, "hide_speed", control.hideSpeed);
  ReadFloat(own, "min", control.fadeMin);
  ReadFloat(own, "max", control.fadeMax);
  ReadFloat(own, "fade_offset", control.fadeOffset);
  ReadFloat(own, "show_offset", control.showOffset);
  ReadFloat(own, "hide_offset", control.hideOffset);
}

void GUIWindowBase::ReadTypeAttributes(GUIControl& control, const std::string& type,
                                       const TemplateChain& chain) {
  if (type == "text_label") {
    auto& text = static_cast<GUITextControl&>(control);
    ReadString(chain, "alignment_h", text.alignmentH);
    ReadString(chain, "alignment_v", text.alignmentV);
    std::string value;
    if (ReadString(chain, "font", value)) {
      text.SetFont(value);
    }
    if (ReadString(chain, "text", value)) {
      text.SetTextKey(value);
    }
    ReadVector4(chain, "color", text.colour);
    ReadFloat(chain, "angle", text.angle);
    if (ReadFloat(chain, "font_size", text.fontSize)) {
      text.LayoutText();
    }
    if (ReadBool(chain, "multiline", text.multiline)) {
      text.LayoutText();
    }
    ReadFloat(chain, "line_space", text.lineSpace);
    ReadBool(chain, "printing_mode", text.printingMode);
    ReadFloat(chain, "printing_speed", text.printingSpeed);
    ReadFloat(chain, "max_printing_time", text.maxPrintingTime);
  } else if (type == "edit_box") {
    auto& edit = static_cast<GUIEditBoxControl&>(control);
    std::string font;
    if (ReadString(chain, "font", font)) {
      edit.SetFont(font);
    }
    ReadVector4(chain, "font_color", edit.fontColour);
    ReadVector2(chain, "text_offset", edit.textOffset);
    if (XMLValue* cursor = FindAttribute(chain, "cursor_character")) {
      const std::wstring& text = cursor->GetWideString();
      edit.cursorCharacter =
          text.empty() ? static_cast<std::uint16_t>(' ') : static_cast<std::uint16_t>(text[0]);
    }
    ReadInt(chain, "max_character_count", edit.maxCharacterCount);
    ReadFloat(chain, "max_text_length", edit.maxTextLength);
    ReadFloat(chain, "visible_text_width", edit.visibleTextWidth);
  } else if (type == "slider" || type == "scroll") {
    auto& slider = static_cast<GUISliderControl&>(control);
    slider.CreateThumb(Attribute(chain, "toddler_model"), Attribute(chain, "toddler_shader"),
                       UVAttribute(chain, "toddler_uv"));
    ReadVector2(chain, "toddler_size", slider.thumbSize);
    ReadVector2(chain, "toddler_min_position", slider.thumbStart);
    ReadVector2(chain, "toddler_max_position", slider.thumbEnd);
    ReadString(chain, "orientation", slider.orientation);
    ReadSelection(chain, "toddler_selection_position", "toddler_selection_size", slider.thumbSelection,
                  slider.thumbSelectionPosition, slider.thumbSelectionSize);
    if (type == "scroll") {
      auto& scroll = static_cast<GUIScrollControl&>(control);
      scroll.CreateIncreaseButton(Attribute(chain, "increase_button_model"),
                                  Attribute(chain, "increase_button_shader"),
                                  UVAttribute(chain, "increase_button_uv"));
      ReadVector2(chain, "increase_button_size", scroll.increase.size);
      ReadVector2(chain, "increase_button_position", scroll.increase.position);
      ReadSelection(chain, "increase_button_selection_position", "increase_button_selection_size",
                    scroll.increase.selection, scroll.increase.selectionPosition,
                    scroll.increase.selectionSize);
      scroll.CreateDecreaseButton(Attribute(chain, "decrease_button_model"),
                                  Attribute(chain, "decrease_button_shader"),
                                  UVAttribute(chain, "decrease_button_uv"));
      ReadVector2(chain, "decrease_button_size", scroll.decrease.size);
      ReadVector2(chain, "decrease_button_position", scroll.decrease.position);
      ReadSelection(chain, "decrease_button_selection_position", "decrease_button_selection_size",
                    scroll.decrease.selection, scroll.decrease.selectionPosition,
                    scroll.decrease.selectionSize);
      ReadString(chain, "buttons_alignment", scroll.buttonsAlignment);
    }
  }
}

void GUIWindowBase::SetVisible(bool show) {
  if (show) {
    container->SetState(kGUIShown);
  }
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (enabled[i]) {
      controls[i]->SetVisible(show, true);
    }
  }
}

void GUIWindowBase::Update() {
  if (container->visible == 0) {
    return;
  }
  bool anyVisible = false;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    controls[i]->Update();
    if (enabled[i] && controls[i]->IsVisible()) {
      anyVisible = true;
    }
  }
  if (!anyVisible) {
    container->ClearState(kGUIShown);
  }
}

bool GUIWindowBase::IsVisible() const {
  return container->visible != 0;
}

template <typename T>
T* GUIWindowBase::Find(const std::vector<T*>& list, const std::string& fullName,
                       const char* operation) const {
  for (T* control : list) {
    if (control->name == fullName) {
      return control;
    }
  }
  if (operation != nullptr) {
    messageManager->Error(std::string("(GUIWindowBase::") + operation + "): Unknown \"" + fullName +
                          "\" control");
  }
  return nullptr;
}

GUIControl* GUIWindowBase::GetControl(const std::string& fullName) const {
  return Find(controls, fullName, "GetControl");
}
GUIWindowControl* GUIWindowBase::GetWindowControl(const std::string& fullName) const {
  return Find(windowControls, fullName, "GetWindowControl");
}
GUIButtonControl* GUIWindowBase::GetButtonControl(const std::string& fullName) const {
  return Find(buttonControls, fullName, "GetButtonControl");
}
GUICheckBoxControl* GUIWindowBase::GetCheckBoxControl(const std::string& fullName) const {
  return Find(checkBoxControls, fullName, "GetCheckBoxControl");
}
GUIEditBoxControl* GUIWindowBase::GetEditBoxControl(const std::string& fullName) const {
  return Find(editBoxControls, fullName, "GetEditBoxControl");
}
GUIScrollControl* GUIWindowBase::GetScrollControl(const std::string& fullName) const {
  return Find(scrollControls, fullName, "GetScrollControl");
}
GUITextControl* GUIWindowBase::GetTextControl(const std::string& fullName) const {
  return Find(textControls, fullName, "GetTextControl");
}

GUIWindow* GUIWindowBase::GetWindow(const std::string& fullName) const {
  GUIWindowControl* control = GetWindowControl(fullName);
  return control != nullptr ? control->GetElement() : nullptr;
}
GUIButton* GUIWindowBase::GetButton(const std::string& fullName) const {
  GUIButtonControl* control = GetButtonControl(fullName);
  return control != nullptr ? control->button : nullptr;
}
GUICheckBox* GUIWindowBase::GetCheckBox(const std::string& fullName) const {
  GUICheckBoxControl* control = GetCheckBoxControl(fullName);
  return control != nullptr ? control->checkBox : nullptr;
}
GUIEditBox* GUIWindowBase::GetEditBox(const std::string& fullName) const {
  GUIEditBoxControl* control = GetEditBoxControl(fullName);
  return control != nullptr ? control->editBox : nullptr;
}
GUIScroll* GUIWindowBase::GetScroll(const std::string& fullName) const {
  GUIScrollControl* control = GetScrollControl(fullName);
  return control != nullptr ? control->scroll : nullptr;
}

bool GUIWindowBase::HasWindowControl(const std::string& fullName) const {
  return Find(windowControls, fullName, nullptr) != nullptr;
}
bool GUIWindowBase::HasCheckBoxControl(const std::string& fullName) const {
  return Find(checkBoxControls, fullName, nullptr) != nullptr;
}
bool GUIWindowBase::HasTextControl(const std::string& fullName) const {
  return Find(textControls, fullName, nullptr) != nullptr;
}

void GUIWindowBase::EnableControl(const std::string& fullName, bool enable) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i]->name != fullName) {
      continue;
    }
    enabled[i] = enable;
    if (!enable) {
      controls[i]->SetVisible(false, false);
      if (GUIWindow* element = controls[i]->GetElement()) {
        element->ClearState(kGUIShown);
      }
    }
    return;
  }
  messageManager->Error("(GUIWindowBase::EnableControl): Unknown \"" + fullName + "\" control");
}

void GUIWindowBase::EnableControlObject(GUIControl* control, bool enable) {
  if (control != nullptr) {
    EnableControl(control->name, enable);
  }
}

bool GUIWindowBase::IsControlEnabled(const std::string& fullName) const {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i]->name == fullName) {
      return enabled[i];
    }
  }
  return false;
}

}  // namespace GUITools
