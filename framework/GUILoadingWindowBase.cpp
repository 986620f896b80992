#include "framework/GUILoadingWindowBase.h"

#include "engine/Engine.h"
#include "engine/render/RenderSystem.h"
#include "engine/sound/SoundManager.h"
#include "engine/window/Window.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinSystem.h"
#include "platform/win32/WinThreads.h"
#include "platform/win32/WinTime.h"
#include "tools/game/DataKeeper.h"

namespace GameFramework {

namespace {

constexpr DWORD kIdleSleepMilliseconds = 20;

}  // namespace

GUILoadingWindowBase::GUILoadingWindowBase(CorvantisEngine::Engine* engine)
    : engine(engine),
      log(engine->GetMessageManager()),
      timers(engine->GetTimerManager()),
      window(engine->GetWindow()),
      renderSystem(engine->GetRenderSystem()),
      soundManager(engine->GetSoundManager()) {}

void GUILoadingWindowBase::Hide() {
  GUIFrameworkWindow::Hide();
  task = nullptr;
  done.store(0);
}

void GUILoadingWindowBase::ShowWithTask(std::uint32_t opener, GameTools::DataKeeper* keeper) {
  Show(opener);
  task = keeper;
}

HANDLE GUILoadingWindowBase::StartWorker(DWORD (*procedure)(LPVOID), LPVOID parameter) {
  return CreateThread(nullptr, 0, procedure, parameter, 0, nullptr);
}

DWORD GUILoadingWindowBase::LoadingThreadProc(LPVOID parameter) {
  static_cast<GUILoadingWindowBase*>(parameter)->LoadTask();
  return 1;
}

void GUILoadingWindowBase::LoadTask() {
  // Nothing may leave the worker (that would end the process without the error box); the failure is
  // thrown again by RunLoading on the main thread.
  try {
    task->Load();
    task->WaitForLoad();
  } catch (...) {
    workerError_ = std::current_exception();
  }
  done.store(1);
}

void GUILoadingWindowBase::RunLoading() {
  if (task == nullptr) {
    return;
  }
  done.store(0);
  workerError_ = nullptr;
  HANDLE worker = StartWorker(&GUILoadingWindowBase::LoadingThreadProc, this);
  if (worker == nullptr) {
    LoadTask();
  }
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    // Keeps a windowed screen painted with the frame drawn before the loop.
    if (window != nullptr && !window->IsFullScreen() && renderSystem != nullptr) {
      renderSystem->SwapBuffers();
    }
    // Music keeps streaming; queued sound commands wait for the next frame.
    if (soundManager != nullptr) {
      soundManager->Update(false);
    }
    if (done.load() != 0 || (worker != nullptr && WaitForSingleObject(worker, 0) == WAIT_OBJECT_0)) {
      break;
    }
    Sleep(kIdleSleepMilliseconds);
  }
  if (worker != nullptr) {
    // The done flag is set just before the worker returns: the keeper is the caller's again only once
    // the thread has ended.
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
  }
  // What the load read and decoded only on its way (files, pictures) goes back to the system.
  HeapCompact(GetProcessHeap(), 0);
  if (workerError_) {
    std::exception_ptr error = workerError_;
    workerError_ = nullptr;
    std::rethrow_exception(error);
  }
}

}  // namespace GameFramework
