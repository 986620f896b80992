#include "framework/GUIGameCursorBase.h"

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/window/Window.h"

namespace GameFramework {

namespace {

constexpr const char* kCustomCursorName = "ui_custom_cursor";

}  // namespace

GUIGameCursorBase::GUIGameCursorBase(CorvantisEngine::Engine* engine)
    : engine(engine),
      log(engine->GetMessageManager()),
      window(engine->GetWindow()),
      config(engine->GetConfig()),
      gui(engine->GetGUIManager()),
      controls(engine->GetControls()) {
  config->AddVariable(kCustomCursorName, CorvantisEngine::ConfigVariable::kBool, false, true,
                      &customCursorSetting, "1", true);
  customCursorInUse = customCursorSetting;
  SetVisible(false);
}

GUIGameCursorBase::~GUIGameCursorBase() {
  for (auto& [id, entry] : cursors) {
    if (gui != nullptr && entry.element != nullptr) {
      gui->DestroyCursor(entry.element);
    }
  }
  config->RemoveVariable(kCustomCursorName);
  cursors.clear();
  current = nullptr;
}

void GUIGameCursorBase::AddSystemCursor(std::uint32_t cursorId, std::uint32_t resourceId,
                                        CorvantisEngine::GUICursor* element) {
  if (element != nullptr) {
    element->visible = 0;
  }
  HCURSOR handle = window != nullptr ? window->LoadCursor(resourceId) : nullptr;
  cursors.emplace(cursorId, CursorEntry{handle, element});
}

void GUIGameCursorBase::ApplySystemCursor(std::uint32_t cursorId) {
  if (cursorId == currentId) {
    return;
  }
  currentId = cursorId;
  auto it = cursors.find(cursorId);
  if (it == cursors.end()) {
    return;
  }
  if (current != nullptr && customCursorInUse != 0 && IsVisible()) {
    SetVisible(false);
    current = &it->second;
    SetVisible(true);
  }
  current = &it->second;
  if (window != nullptr) {
    window->SetCursor(current->handle);
  }
}

bool GUIGameCursorBase::IsVisible() const {
  if (customCursorInUse != 0 && current != nullptr && current->element != nullptr) {
    return current->element->visible != 0;
  }
  return controls->IsCursorVisible();
}

void GUIGameCursorBase::SetVisible(bool visible) {
  if (customCursorInUse != 0 && current != nullptr && current->element != nullptr) {
    current->element->visible = visible ? 1 : 0;
    return;
  }
  controls->SetCursorVisible(visible);
}

bool GUIGameCursorBase::Update() {
  if (!IsVisible()) {
    return false;
  }
  SetVisible(false);
  customCursorInUse = customCursorSetting;
  SetVisible(true);
  return true;
}

}  // namespace GameFramework
