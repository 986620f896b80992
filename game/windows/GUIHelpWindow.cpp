#include "game/windows/GUIHelpWindow.h"

#include <string>
#include <utility>

#include "engine/gui/GUIButton.h"
#include "tools/gui/GUIControl.h"

namespace Puzzle {

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

}  // namespace

GUIHelpWindow::GUIHelpWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backButton(GetButton(std::string(kKey) + "/window/button_0")) {
  // The pages and the page buttons are optional: they are found among the controls, so that a window
  // without them logs no failed look-up.
  const std::string panel = std::string(kKey) + "/window/";
  for (std::size_t index = 0;; ++index) {
    const std::string name = panel + "page_" + std::to_string(index);
    std::vector<GUITools::GUIControl*> controls;
    for (GUITools::GUIControl* control : GetControls()) {
      if (control->name == name || StartsWith(control->name, name + "/")) {
        controls.push_back(control);
      }
    }
    if (controls.empty()) {
      break;
    }
    pages.push_back(std::move(controls));
  }
  for (GUITools::GUIControl* control : GetControls()) {
    if (control->name == panel + "previous") {
      previousControl = control;
    } else if (control->name == panel + "next") {
      nextControl = control;
    }
  }
  if (previousControl != nullptr) {
    previousButton = GetButton(previousControl->name);
  }
  if (nextControl != nullptr) {
    nextButton = GetButton(nextControl->name);
  }
  TurnTo(0, false);
}

void GUIHelpWindow::TurnTo(std::size_t newPage, bool show) {
  page = newPage;
  std::vector<GUITools::GUIControl*> shown;
  for (std::size_t index = 0; index < pages.size(); ++index) {
    for (GUITools::GUIControl* control : pages[index]) {
      const bool enable = index == page;
      if (enable && !IsControlEnabled(control->name)) {
        shown.push_back(control);
      }
      EnableControlObject(control, enable);
    }
  }
  const auto button = [&](GUITools::GUIControl* control, bool leads) {
    if (control == nullptr) {
      return;
    }
    const std::string prefix = control->name + "/";
    for (GUITools::GUIControl* part : GetControls()) {
      if (part == control || StartsWith(part->name, prefix)) {
        if (leads && !IsControlEnabled(part->name)) {
          shown.push_back(part);
        }
        EnableControlObject(part, leads);
      }
    }
  };
  button(previousControl, page > 0);
  button(nextControl, page + 1 < pages.size());
  if (show) {
    for (GUITools::GUIControl* control : shown) {
      control->SetVisible(true, true);
    }
  }
}

void GUIHelpWindow::Show(std::uint32_t opener) {
  GUIHelpWindowBase::Show(opener);
  TurnTo(0, false);
  SetShown(true);
}

void GUIHelpWindow::Hide() {
  GUIHelpWindowBase::Hide();
  SetShown(false);
}

void GUIHelpWindow::Update() {
  GUIHelpWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (backButton != nullptr && backButton->clicked != 0) {
    result = 3;
  } else if (nextButton != nullptr && nextButton->clicked != 0 && page + 1 < pages.size()) {
    TurnTo(page + 1, true);
  } else if (previousButton != nullptr && previousButton->clicked != 0 && page > 0) {
    TurnTo(page - 1, true);
  }
}

}  // namespace Puzzle
