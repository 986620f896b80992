#include "app/MainLoop.h"

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/TimerManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/sound/SoundManager.h"
#include "engine/window/Window.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTime.h"

namespace {

// A switch the window asked for (Alt+Enter, maximise) and a device reset the render system asks for are
// carried out before the frame: the render system re-creates its device in the configured mode and sets
// the window's size and style through Window::SetMode.
void ApplyPendingModeChange(CorvantisEngine::Engine& engine) {
  CorvantisEngine::Config& config = *engine.GetConfig();
  CorvantisEngine::RenderSystem& render = *engine.GetRenderSystem();
  if (!config.GetBool("v_window_change_mode")) {
    config.SetBool("v_window_change_mode", true);
    render.CheckVideoMode();
  }
  if (render.resetNeeded)
    render.Reset(3);
}

}  // namespace

void RunMainLoop(CorvantisEngine::Engine& engine) {
  CorvantisEngine::Window* window = engine.GetWindow();
  MSG msg;
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    if (window->GetMinimiseOnFocusLoss() && !window->HasFocus()) {
      window->Update();
      engine.GetRenderSystem()->Refresh();
      engine.GetTimerManager()->Update();
      if (CorvantisEngine::SoundManager* sound = engine.GetSoundManager())
        sound->Update(true);
      Sleep(100);
    } else {
      ApplyPendingModeChange(engine);
      engine.Tick();
      engine.Update(0);
    }
    // Checked after the frame rather than after the message that issued it: the frame end logs the exit.
    if (engine.IsExitRequested())
      return;
  }
}
