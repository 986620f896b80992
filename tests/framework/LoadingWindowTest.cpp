// The loading loop: a worker that finishes (with a plain keeper and with a keeper that starts its own
// worker), one whose load fails, a thread that cannot be started, and messages that keep the loop
// pumping.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/window/Window.h"
#include "framework/GUILoadingWindowBase.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WindowDriver.h"
#include "tests/support/EngineRig.h"
#include "tools/game/DataKeeper.h"

namespace GameFramework {
namespace {

using CorvantisEngine::FatalError;

// A keeper whose load takes a while on whatever thread runs it, or fails through the log's Abort as a
// list that does not parse does.
class SlowKeeper : public GameTools::DataKeeper {
 public:
  SlowKeeper(CorvantisEngine::Engine* engine, bool threaded, bool fail)
      : DataKeeper(engine, "en", threaded), engine_(engine), fail_(fail) {}
  ~SlowKeeper() override { StopLoad(); }

  std::atomic<bool> loaded{false};
  std::thread::id loadThread;

 protected:
  void LoadPending() override {
    DataKeeper::LoadPending();
    loadThread = std::this_thread::get_id();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    if (fail_) {
      engine_->GetMessageManager()->Abort("Broken resource list");
    }
    loaded.store(true);
  }

 private:
  CorvantisEngine::Engine* engine_;
  bool fail_;
};

// A loading window whose worker thread cannot be started.
class NoThreadLoadingWindow : public GUILoadingWindowBase {
 public:
  using GUILoadingWindowBase::GUILoadingWindowBase;

 protected:
  HANDLE StartWorker(DWORD (*)(LPVOID), LPVOID) override { return nullptr; }
};

class LoadingWindowTest : public testing::Test {
 protected:
  LoadingWindowTest() : engine_(&rig_.Start()) {}

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_;
};

TEST_F(LoadingWindowTest, WorkerFinishesTheLoadBeforeTheLoopReturns) {
  for (bool threaded : {false, true}) {
    SCOPED_TRACE(threaded ? "keeper with its own worker" : "plain keeper");
    SlowKeeper keeper(engine_, threaded, false);
    GUILoadingWindowBase window(engine_);
    window.ShowWithTask(17, &keeper);
    EXPECT_EQ(window.openerId, 17u);
    EXPECT_EQ(window.task, &keeper);
    window.RunLoading();
    EXPECT_TRUE(keeper.loaded.load());
    EXPECT_FALSE(keeper.IsLoadRunning());
    EXPECT_NE(keeper.loadThread, std::this_thread::get_id());
    EXPECT_TRUE(window.IsDone());

    window.Hide();
    EXPECT_EQ(window.task, nullptr);
    EXPECT_FALSE(window.IsDone());
    EXPECT_EQ(window.resultConsumed, 1);
  }
}

TEST_F(LoadingWindowTest, AFailedLoadIsThrownOnTheCallingThread) {
  for (bool threaded : {false, true}) {
    SCOPED_TRACE(threaded ? "keeper with its own worker" : "plain keeper");
    SlowKeeper keeper(engine_, threaded, true);
    GUILoadingWindowBase window(engine_);
    window.ShowWithTask(17, &keeper);
    EXPECT_THROW(window.RunLoading(), FatalError);
    EXPECT_FALSE(keeper.loaded.load());
    EXPECT_FALSE(keeper.IsLoadRunning()) << "the worker was joined";
    // The failure is handed over once.
    window.task = nullptr;
    EXPECT_NO_THROW(window.RunLoading());
  }
}

TEST_F(LoadingWindowTest, WithoutAThreadTheLoadRunsHere) {
  SlowKeeper keeper(engine_, false, false);
  NoThreadLoadingWindow window(engine_);
  window.ShowWithTask(17, &keeper);
  window.RunLoading();
  EXPECT_TRUE(keeper.loaded.load());
  EXPECT_EQ(keeper.loadThread, std::this_thread::get_id());
  EXPECT_TRUE(window.IsDone());

  SlowKeeper failing(engine_, false, true);
  window.ShowWithTask(17, &failing);
  EXPECT_THROW(window.RunLoading(), FatalError);
}

TEST_F(LoadingWindowTest, WaitingMessagesArePumpedBeforeTheEndIsNoticed) {
  auto& driver = static_cast<platform::headless::HeadlessWindowDriver&>(platform::CurrentWindowDriver());
  driver.PushChars(engine_->GetWindow()->GetHandle(), std::u16string(200, u'a'));
  SlowKeeper keeper(engine_, false, false);
  NoThreadLoadingWindow window(engine_);  // done before the loop starts
  window.ShowWithTask(17, &keeper);
  window.RunLoading();
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "the loop left with messages waiting";
}

TEST_F(LoadingWindowTest, NoTaskReturnsAtOnce) {
  GUILoadingWindowBase window(engine_);
  window.Show(17);
  window.RunLoading();
  EXPECT_FALSE(window.IsDone());
}

}  // namespace
}  // namespace GameFramework
