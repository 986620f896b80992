#pragma once
// GUILoadingWindowBase: the loading window's loop. RunLoading has a resource keeper's queued work done
// on a worker thread (which also waits for the keeper's own worker when the keeper is threaded) while
// the main thread pumps window messages, presents the last frame again when windowed, keeps the music
// streaming and sleeps 20 ms per idle pass. Nothing new is drawn: the window shows the frame drawn
// before the loop.
//
// Threads: while RunLoading runs, only the worker touches the keeper; the done flag is atomic. The
// worker is always joined before RunLoading returns, and what it threw (a resource list that does not
// parse ends in the log's Abort) is thrown again on the calling thread. When no thread can be started
// the load runs on the calling thread. Nothing is owned: the keeper belongs to the caller.

#include <atomic>
#include <cstdint>
#include <exception>

#include "framework/GUIFrameworkWindow.h"
#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {
class MessageManager;
class RenderSystem;
class SoundManager;
class TimerManager;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}  // namespace GameTools

namespace GameFramework {

class GUILoadingWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUILoadingWindowBase(CorvantisEngine::Engine* engine);

  // Base Hide; forgets the task.
  void Hide() override;
  // Base Show; `keeper` is the task RunLoading runs.
  virtual void ShowWithTask(std::uint32_t opener, GameTools::DataKeeper* keeper);
  // Runs the task's queued work (see above); nothing without a task. Throws what the load threw.
  void RunLoading();

  bool IsDone() const { return done.load() != 0; }

  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* log;
  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::Window* window;
  CorvantisEngine::RenderSystem* renderSystem;
  CorvantisEngine::SoundManager* soundManager;  // null without sound
  GameTools::DataKeeper* task = nullptr;
  // Set by the worker once every queued list and descriptor of the task has been read.
  std::atomic<std::uint8_t> done{0};

 protected:
  // Starts the worker thread; null when the system cannot. A test seam.
  virtual HANDLE StartWorker(DWORD (*procedure)(LPVOID), LPVOID parameter);

 private:
  static DWORD LoadingThreadProc(LPVOID parameter);
  // The load, the wait for the keeper's worker and the done flag; a failure is kept in `workerError_`.
  void LoadTask();

  std::exception_ptr workerError_;
};

}  // namespace GameFramework
