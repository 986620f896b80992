#include "app/MainLoop.h"

#include "engine/core/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/core/Window.h"
#include "engine/render/RenderSystem.h"
#include "engine/sound/SoundManager.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTime.h"

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
      engine.Tick();
      engine.Update(0);
    }
    // Checked after the frame rather than after the message that issued it: the frame end logs the exit.
    if (engine.IsExitRequested())
      return;
  }
}
