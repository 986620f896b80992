// GameBase: the frame and the debug commands.
#include <vector>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/input/Controls.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ShaderManager.h"
#include "engine/sound/SoundManager.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameBase.h"
#include "framework/GameLogicBase.h"
#include "platform/win32/WinTime.h"
#include "tools/gui/GUIFontTool.h"

namespace GameFramework {

namespace {

constexpr const char* kUpdateVideoMode = "g_update_video_mode";
constexpr const char* kWindowChangeMode = "v_window_change_mode";
constexpr const char* kVideoMemoryCommand = "d_get_used_video_memory_size";
constexpr const char* kOccupationCommand = "d_get_manages_occupation";
constexpr const char* kTexturesCommand = "d_get_loaded_textures";

// A command variable reads false once issued; the answer re-arms it.
bool TakeCommand(CorvantisEngine::Config& config, const char* name) {
  if (config.GetBool(name))
    return false;
  config.SetBool(name, true);
  return true;
}

}  // namespace

void GameBase::Frame() {
  // 1. The focus: in the background the level pauses and the music stops at once.
  if (!window->HasFocus() && window->GetMinimiseOnFocusLoss()) {
    if (gameLogic != nullptr && focusPaused == 0 && gameLogic->state == GameLogicBase::kRunning) {
      // The pause window is shown in a frame that runs on, so that it is drawn and can be answered.
      gameLogic->SetPaused(true);
      if (gameLogicWindow != nullptr)
        gameLogicWindow->SetActive(false);
      ShowWindow(pauseWindow.get(), WindowId::kFramework);
      timerWasPaused = 1;
      audioManager->PauseAllMusic(true, false, kMusicPauseSpeed);
      focusPaused = 1;
    } else {
      if (gameLogic != nullptr && focusPaused == 0) {
        timerWasPaused = gameLogic->IsTimerPaused() ? 1 : 0;
        gameLogic->PauseTimer(true);
      }
      window->Update();
      renderSystem->Refresh();
      timers->Update();
      if (soundManager != nullptr)
        soundManager->Update(true);
      if (focusPaused == 0) {
        audioManager->PauseAllMusic(true, false, kMusicPauseSpeed);
        focusPaused = 1;
      }
      Sleep(kFocusPauseSleep);
      return;
    }
  } else if (focusPaused != 0) {
    // 2. The focus is back.
    audioManager->PauseAllMusic(false, true, kMusicPauseSpeed);
    if (gameLogic != nullptr)
      gameLogic->PauseTimer(timerWasPaused != 0);
    focusPaused = 0;
  }

  // 3. A video mode asked for (options, a finished window-mode switch).
  if (!config->GetBool(kUpdateVideoMode)) {
    renderSystem->CheckVideoMode();
    config->SetBool(kUpdateVideoMode, true);
  }
  // 4. A device reset; the key that caused it must not act again.
  if (renderSystem->IsResetNeeded()) {
    audioManager->PauseAllMusic(true, false, kMusicPauseSpeed);
    ResetRenderSystem();
    audioManager->PauseAllMusic(false, true, kMusicPauseSpeed);
    controls->LockInput();
  }

  engine->Tick();
  ExecuteDebugCommands();
  audioManager->Update();
  for (int pass = 0; pass < kDispatchPasses; ++pass) {
    ProcessWindowResults();
    ClearWindowResults();
  }
  UpdateWindows();
  if (cursor != nullptr)
    cursor->Update();
  engine->Update(0);

  // 12. A window-mode switch settles for two frames before the mode is compared.
  if (!config->GetBool(kWindowChangeMode)) {
    if (++modeChangeFrames >= kModeChangeDelay) {
      modeChangeFrames = 0;
      config->SetBool(kWindowChangeMode, true);
      config->SetBool(kUpdateVideoMode, false);
    }
  }
}

void GameBase::ResetRenderSystem() {
  renderSystem->Reset(3);
}

void GameBase::RegisterDebugCommands() {
  using CorvantisEngine::ConfigVariable;
  config->AddVariable(kVideoMemoryCommand, ConfigVariable::kCommand, false, false, nullptr, "", false);
  config->AddVariable(kOccupationCommand, ConfigVariable::kCommand, false, false, nullptr, "", false);
  config->AddVariable(kTexturesCommand, ConfigVariable::kCommand, false, false, nullptr, "", false);
  config->AddVariable("d_show_statistics", ConfigVariable::kBool, false, true, &showStatistics, "0", false);
  config->AddVariable(kUpdateVideoMode, ConfigVariable::kCommand, false, false, nullptr, "", false);
}

void GameBase::ExecuteDebugCommands() {
  CorvantisEngine::ShaderManager* shaders = engine->GetShaderManager();
  CorvantisEngine::TextureManager* textures = shaders->GetTextureManager();
  if (TakeCommand(*config, kVideoMemoryCommand)) {
    const float megabytes = static_cast<float>(textures->GetVideoMemoryUsed() / 1048576.0);
    log->Message("Video Memory Used: " + CorvantisEngine::FloatToString(megabytes, 2) + " Mb");
  }
  if (TakeCommand(*config, kOccupationCommand)) {
    log->Message("Shader users count: " + CorvantisEngine::UIntToString(shaders->GetShaderUserCount()));
    log->Message("Shaders count: " + CorvantisEngine::UIntToString(shaders->GetShaderCount()));
    log->Message("Textures count: " + CorvantisEngine::UIntToString(textures->GetTextureCount()));
    log->Message("Models count: " +
                 CorvantisEngine::UIntToString(engine->GetModelManager()->GetModelCount()));
    // A silent engine has no sounds.
    log->Message("Sounds count: " +
                 CorvantisEngine::UIntToString(soundManager != nullptr ? soundManager->GetSoundCount() : 0));
  }
  if (TakeCommand(*config, kTexturesCommand)) {
    std::vector<CorvantisEngine::Texture2D*> list;
    textures->GetTextureNames(list);
    for (std::size_t i = 0; i < list.size(); ++i)
      log->Message("Texture " + CorvantisEngine::UIntToString(static_cast<std::uint32_t>(i)) + ": " +
                   list[i]->GetKey());
  }
}

void GameBase::CreateConsole() {
  const CorvantisEngine::ShaderDescriptor look =
      CorvantisEngine::CreateAnimatedTextureShader(1, 1, "ui\\console\\console.jpg", "32bit", true);
  const std::int32_t font = fontTool != nullptr ? fontTool->GetFontIndex("console") : -1;
  engine->CreateConsole(engine->GetTitle(), &look, static_cast<std::uint32_t>(font), 95, 93, 94, "~", 0.95f,
                        308.0f, 1000.0f);
}

}  // namespace GameFramework
