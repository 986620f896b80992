#include "game/windows/GUILevelCompleteWindow.h"

#include <cmath>
#include <limits>

#include "engine/core/StringUtils.h"
#include "engine/gui/GUIButton.h"
#include "game/Profile.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

GUILevelCompleteWindow::GUILevelCompleteWindow(
    CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
    GameFramework::LevelManagerBase* levelManager, ProfileManager* profileManager, GameData* gameData,
    GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
    : GUILevelCompleteWindowBase(levelManager),
      GUIMenuWindow(engine, audioManager, gameData, toolManager, manager, parent, kWindowName),
      profileManager(profileManager),
      timeText(GetTextControl(windowName + "/window/your_time")),
      starsEarnedText(GetTextControl(windowName + "/window/stars_earned")),
      starsTotalText(GetTextControl(windowName + "/window/stars_total")),
      button(GetButton(windowName + "/window/button_0")) {
  if (staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, false);
  }
}

std::wstring GUILevelCompleteWindow::FormatTime(float seconds) {
  // A time that is not a count of seconds (negative, not a number) shows as 0:00; an absurdly long
  // one is held at the largest count instead of overflowing.
  std::uint32_t whole = 0;
  if (seconds > 0.0f) {
    const double truncated = std::floor(static_cast<double>(seconds));
    whole = truncated >= static_cast<double>(std::numeric_limits<std::uint32_t>::max())
                ? std::numeric_limits<std::uint32_t>::max()
                : static_cast<std::uint32_t>(truncated);
  }
  return CorvantisEngine::UIntToWString(whole / 60) + L":" + CorvantisEngine::UIntToWString(whole % 60, 2);
}

void GUILevelCompleteWindow::ShowWithResult(std::uint32_t opener,
                                            const GameFramework::LevelPosition& position, float time) {
  GUILevelCompleteWindowBase::ShowWithResult(opener, position, time);
  if (titleMount != nullptr) {
    EnableControlObject(titleMount, true);
  }
  const Profile* profile = profileManager != nullptr ? profileManager->GetCurrent() : nullptr;
  if (timeText != nullptr) {
    timeText->SetText(FormatTime(time));
  }
  if (starsEarnedText != nullptr) {
    starsEarnedText->SetText(CorvantisEngine::UIntToWString(profile != nullptr ? profile->levelEarnings : 0));
  }
  if (starsTotalText != nullptr) {
    starsTotalText->SetText(CorvantisEngine::UIntToWString(profile != nullptr ? profile->money : 0));
  }
  SetShown(true);
}

void GUILevelCompleteWindow::Update() {
  GUILevelCompleteWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (button != nullptr && button->clicked != 0) {
    const bool lastOfStage = levelManager->GetLevelCount(stage) == level + 1;
    result = lastOfStage ? kStageComplete : kNextLevel;
  }
}

void GUILevelCompleteWindow::Hide() {
  GUILevelCompleteWindowBase::Hide();
  if (titleMount != nullptr) {
    EnableControlObject(titleMount, false);
  }
  SetShown(false);
}

}  // namespace Puzzle
