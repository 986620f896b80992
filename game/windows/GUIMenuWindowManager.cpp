#include "game/windows/GUIMenuWindowManager.h"

#include <string>

#include "engine/gui/GUIWindow.h"
#include "engine/resources/ShaderUser.h"
#include "game/GameData.h"
#include "game/windows/GUIMenuWindow.h"
#include "tools/gui/GUIWindowBase.h"

namespace Puzzle {

GUIMenuWindowManager::GUIMenuWindowManager(GameData* gameData) : gameData(gameData) {}

GUIMenuWindowManager::~GUIMenuWindowManager() = default;

void GUIMenuWindowManager::Release() {
  free = 1;
  owner = nullptr;
}

void GUIMenuWindowManager::Acquire(GUIMenuWindow* window) {
  if (free != 0) {
    free = 0;
    owner = window;
  }
}

void GUIMenuWindowManager::AddWindow(GUIMenuWindow* window) {
  windows.push_back(window);
}

void GUIMenuWindowManager::BeginUpdate() {}

void GUIMenuWindowManager::Update() {
  for (GUIMenuWindow* window : windows) {
    if (!window->IsShown()) {
      window->UpdateTransition();
    }
  }
  for (GUIMenuWindow* window : windows) {
    if (window->IsShown()) {
      window->UpdateTransition();
    }
  }
}

void GUIMenuWindowManager::SetupAdditionalLogos(GUITools::GUIWindowBase* window) {
  for (int index = 0; index < 2; ++index) {
    const std::string name = window->GetName() + "/logo_additional_" + std::to_string(index);
    if (!window->HasWindowControl(name)) {
      continue;
    }
    CorvantisEngine::ShaderUser* logo = gameData != nullptr ? gameData->GetLogoShader(index) : nullptr;
    if (logo != nullptr) {
      if (CorvantisEngine::GUIWindow* element = window->GetWindow(name)) {
        element->SetTexture(*logo);
      }
    } else {
      window->EnableControlObject(window->GetControl(name), false);
    }
  }
}

}  // namespace Puzzle
