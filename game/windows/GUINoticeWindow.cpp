#include "game/windows/GUINoticeWindow.h"

#include <cstdlib>

#include "engine/Engine.h"
#include "engine/core/StringUtils.h"
#include "engine/gui/GUIButton.h"
#include "engine/input/Controls.h"
#include "framework/SaveProblems.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {

namespace {

std::wstring Wide(const std::string& text) {
  return CorvantisEngine::StringToWStringCopy(text);
}

}  // namespace

GUINoticeWindow::GUINoticeWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                                 GameData* gameData, GUITools::GUIToolManager* toolManager,
                                 GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                                 const std::string& saveFolder)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, manager, parent, kWindowName),
      saveFolder(saveFolder),
      okButton(GetButton(windowName + "/window/button_0")) {}

std::string GUINoticeWindow::ShortPath(const std::string& hostPath) const {
  if (!saveFolder.empty() && hostPath.size() > saveFolder.size() + 1 &&
      hostPath.compare(0, saveFolder.size(), saveFolder) == 0 && hostPath[saveFolder.size()] == '/') {
    return hostPath.substr(saveFolder.size() + 1);
  }
  return ShortFolder(hostPath);
}

std::string GUINoticeWindow::ShortFolder(const std::string& hostPath) {
  const char* home = std::getenv("HOME");
  const std::string homeFolder = home != nullptr ? home : "";
  if (homeFolder.size() > 1 && hostPath.compare(0, homeFolder.size(), homeFolder) == 0 &&
      (hostPath.size() == homeFolder.size() || hostPath[homeFolder.size()] == '/')) {
    return "~" + hostPath.substr(homeFolder.size());
  }
  return hostPath;
}

bool GUINoticeWindow::ShowNews(std::uint32_t opener) {
  GameFramework::SaveProblems& problems = GameFramework::SaveProblems::Get();
  GameFramework::SaveProblems::WriteFailure failure;
  std::vector<std::string> unread;
  if (problems.TakeWriteFailure(failure)) {
    if (windowText != nullptr) {
      windowText->SetTextKey("notice/unsaved");
      windowText->SetPlaceholder(L"FOLDER", Wide(ShortFolder(failure.folder)));
      // A reason may name a path too ("... is a file, not a folder").
      std::string reason = failure.reason;
      if (const char* folder = std::getenv("HOME"); folder != nullptr && std::string(folder).size() > 1)
        CorvantisEngine::StringReplaceAll(reason, std::string(folder) + "/", "~/");
      windowText->SetPlaceholder(L"REASON", Wide(reason));
    }
  } else if (problems.TakeUnreadFiles(unread)) {
    if (windowText != nullptr) {
      // The panel holds a few names; the log has them all.
      constexpr std::size_t kNamesShown = 3;
      std::string files;
      for (std::size_t i = 0; i < unread.size() && i < kNamesShown; ++i)
        files += (files.empty() ? "" : ", ") + ShortPath(unread[i]);
      if (unread.size() > kNamesShown)
        files += " and " + std::to_string(unread.size() - kNamesShown) + " more";
      windowText->SetTextKey("notice/unread");
      windowText->SetPlaceholder(L"FOLDER", Wide(ShortFolder(saveFolder)));
      windowText->SetPlaceholder(L"FILES", Wide(files));
    }
  } else {
    return false;
  }
  Show(opener);
  return true;
}

void GUINoticeWindow::Show(std::uint32_t opener) {
  GUIFrameworkWindow::Show(opener);
  SetShown(true);
}

void GUINoticeWindow::Update() {
  GUIFrameworkWindow::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if ((okButton != nullptr && okButton->clicked != 0) || engine->GetControls()->IsKeyPressed("ENTER")) {
    result = kAnswered;
  }
}

void GUINoticeWindow::Hide() {
  GUIFrameworkWindow::Hide();
  SetShown(false);
}

}  // namespace Puzzle
