#include "game/windows/GUIGameLogicWindow.h"

#include <cstdlib>
#include <string>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/resources/ModelManager.h"
#include "framework/GameLogicBase.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "game/GameData.h"
#include "game/GameLogic.h"
#include "game/Profile.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

namespace {

constexpr const char* kChangeModeName = "v_window_change_mode";
constexpr const char* kStatisticsName = "d_show_statistics";
constexpr std::int32_t kStatisticsLayer = 20;

// The variable's text read as a decimal integer; an empty or unknown text counts as 0.
long ReadSwitch(const std::string& text) {
  return std::strtol(text.c_str(), nullptr, 10);
}

}  // namespace

GUIGameLogicWindow::GUIGameLogicWindow(CorvantisEngine::Engine* engine,
                                       GameFramework::ProfileManagerBase* profileManager, GameData* gameData,
                                       GUITools::GUIToolManager* toolManager,
                                       GUIMenuWindowManager* menuWindowManager,
                                       CorvantisEngine::GUIWindow* parent)
    : GUIGameLogicWindowBase(engine, profileManager),
      GUIWindowBase(engine, gameData, toolManager, parent, kWindowName),
      timerManager(engine->GetTimerManager()),
      controls(engine->GetControls()),
      menuWindowManager(menuWindowManager) {
  rootControl = GetWindowControl(kWindowName);
  menuButton = GetButton(Name("/menu"));
  minimizeButton = GetButton(Name("/minimize"));
  fullScreenBox = GetCheckBox(Name("/fullscreen"));
  closeButton = GetButton(Name("/close"));
  moneyText = GetTextControl(Name("/money/text_1"));
  if (menuWindowManager != nullptr) {
    menuWindowManager->SetupAdditionalLogos(this);
  }
  CorvantisEngine::GUIWindow* rootWindow = rootControl != nullptr ? rootControl->GetElement() : nullptr;
  statisticsWindow = guiManager->CreateModelWindow(CorvantisEngine::kGUIShown, {0.0f, 0.0f}, {0.0f, 0.0f},
                                                   nullptr, rootWindow);
  statisticsWindow->SetLayer(kStatisticsLayer);
}

GUIGameLogicWindow::~GUIGameLogicWindow() {
  guiManager->DestroyWindow(statisticsWindow);
}

void GUIGameLogicWindow::Open(std::uint32_t opener, GameFramework::GameLogicBase* level) {
  GUIGameLogicWindowBase::ShowWithLevel(opener, level);
  logic = level;
  // The game's level logic knows whether it runs relaxed; any other logic took the current profile's
  // game mode when it was made, and the mode cannot change while the level runs.
  const auto* play = dynamic_cast<const GameLogic*>(level);
  const bool relax = play != nullptr ? play->IsRelax() : profile != nullptr && profile->GetGameMode() == 1;
  EnableControl(Name("/eater_bottom"), !relax);
  EnableControl(Name("/eater_arrow"), !relax);
  GUIWindowBase::SetVisible(true);
  // Shown again before the fade-out of an earlier hide had ended: the lock that hide held for nobody
  // would never be given back while the HUD is on screen, and the in-game menu could never appear.
  if (menuWindowManager != nullptr && !menuWindowManager->IsFree() &&
      menuWindowManager->GetOwner() == nullptr) {
    menuWindowManager->Release();
  }
  if (fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
}

void GUIGameLogicWindow::Hide() {
  GUIGameLogicWindowBase::Hide();
  GUIWindowBase::SetVisible(false);
  if (menuWindowManager != nullptr) {
    if (!menuWindowManager->IsFree()) {
      menuWindowManager->Release();
    }
    menuWindowManager->Acquire(nullptr);
  }
  logic = nullptr;
}

void GUIGameLogicWindow::SetInputEnabled(bool enabled) {
  GUIGameLogicWindowBase::SetActive(enabled);
  if (menuButton != nullptr) {
    menuButton->SetEnabled(enabled);
  }
  if (closeButton != nullptr) {
    closeButton->SetEnabled(enabled);
  }
}

void GUIGameLogicWindow::Update() {
  GUIGameLogicWindowBase::Update();
  GUIWindowBase::Update();

  const bool modeChangeIssued = !config->GetBool(kChangeModeName);
  if (modeChangeIssued && fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }

  if (rootControl == nullptr || !rootControl->IsVisible()) {
    // Faded out after a hide: the lock held for nobody is given back, and menus may appear again.
    if (menuWindowManager != nullptr && !menuWindowManager->IsFree() &&
        menuWindowManager->GetOwner() == nullptr) {
      menuWindowManager->Release();
    }
    return;
  }
  if (logic == nullptr) {
    return;
  }

  if (minimizeButton != nullptr && minimizeButton->clicked != 0) {
    MinimizeWindow();
  }
  if (fullScreenBox != nullptr && fullScreenBox->clicked != 0) {
    fullScreen = fullScreenBox->checked;
    videoSettings->v_fullscreen = fullScreen;
    // The ini file is written before the switch is issued, so the new mode survives a failed switch.
    config->Save();
    config->SetBool(kChangeModeName, false);
  }
  DrawStatistics();
  if (moneyText != nullptr) {
    const auto* current = profileManager != nullptr
                              ? dynamic_cast<const Profile*>(profileManager->GetCurrentProfile())
                              : nullptr;
    moneyText->SetText(CorvantisEngine::UIntToWString(current != nullptr ? current->levelEarnings : 0));
  }

  if (active == 0) {
    return;
  }
  if (closeButton != nullptr && closeButton->clicked != 0) {
    result = kAnswerClose;
  }
  if (controls->IsKeyPressed("SPACE") || controls->IsKeyPressed("P")) {
    result = kAnswerPause;
  }
  if (controls->IsKeyPressed("ESCAPE") || (menuButton != nullptr && menuButton->clicked != 0)) {
    result = kAnswerMenu;
  }
}

void GUIGameLogicWindow::DrawStatistics() {
  if (ReadSwitch(config->GetValueText(kStatisticsName)) == 0) {
    return;
  }
  const std::int32_t font = fontTool->GetFontIndex("console");
  if (font < 0) {
    // No console font: the overlay draws nothing rather than text in an unknown font.
    return;
  }
  const std::wstring lines[] = {
      L"FPS: " + CorvantisEngine::IntToWString(static_cast<int>(timerManager->framesPerSecond)),
      L"Model count: " + CorvantisEngine::UIntToWString(GUIWindowBase::modelManager->drawnModelCount),
      L"Triangle count: " + CorvantisEngine::UIntToWString(GUIWindowBase::modelManager->drawnPrimitiveCount),
      L"Time: " + CorvantisEngine::FloatToWString(logic != nullptr ? logic->GetTime() : 0.0f, 1),
  };
  float y = kStatisticsY;
  for (const std::wstring& line : lines) {
    statisticsWindow->PrintText(0, static_cast<std::uint32_t>(font), {kStatisticsX, y},
                                {1.0f, 1.0f, 1.0f, 1.0f}, line, 0.0f, -1.0f);
    y += kStatisticsStep;
  }
}

}  // namespace Puzzle
