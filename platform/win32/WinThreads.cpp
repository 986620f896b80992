// Threads over std::thread with Win32-shaped handles.
#include "platform/win32/WinThreads.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/win32/WinFileHandles.h"

namespace {

struct ThreadState {
  std::mutex mutex;
  std::condition_variable changed;
  bool started = false;
  bool finished = false;
  DWORD exitCode = STILL_ACTIVE;
};

struct ThreadEntry {
  std::shared_ptr<ThreadState> state;
  std::thread thread;

  ThreadEntry() = default;
  ThreadEntry(ThreadEntry&&) = default;
  ThreadEntry& operator=(ThreadEntry&&) = default;
  // A handle never closed (the table going at the program's end) lets its thread end on its own: a
  // joinable std::thread destroyed here would terminate the program.
  ~ThreadEntry() {
    if (thread.joinable())
      thread.detach();
  }
};

struct ThreadTable {
  std::mutex mutex;
  std::map<HANDLE, ThreadEntry> threads;
  std::uintptr_t lastHandle = 0x7F000000;
};

ThreadTable& Table() {
  static ThreadTable table;
  return table;
}

std::shared_ptr<ThreadState> Find(HANDLE handle) {
  ThreadTable& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.threads.find(handle);
  return it == t.threads.end() ? nullptr : it->second.state;
}

DWORD ThreadNumber(std::thread::id id) {
  return static_cast<DWORD>(std::hash<std::thread::id>{}(id)&0x7FFFFFFF) | 1;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
  if (!start)
    return nullptr;
  auto state = std::make_shared<ThreadState>();
  state->started = !(creationFlags & CREATE_SUSPENDED);
  ThreadEntry entry;
  entry.state = state;
  try {
    entry.thread = std::thread([state, start, parameter] {
      {
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return state->started; });
      }
      DWORD code = start(parameter);
      std::lock_guard lock(state->mutex);
      state->exitCode = code;
      state->finished = true;
      state->changed.notify_all();
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  if (threadId)
    *threadId = ThreadNumber(entry.thread.get_id());
  ThreadTable& t = Table();
  std::lock_guard lock(t.mutex);
  t.lastHandle += 4;
  auto handle = reinterpret_cast<HANDLE>(t.lastHandle);
  t.threads[handle] = std::move(entry);
  return handle;
}

DWORD ResumeThread(HANDLE thread) {
  auto state = Find(thread);
  if (!state)
    return 0xFFFFFFFFu;
  std::lock_guard lock(state->mutex);
  DWORD previous = state->started ? 0 : 1;
  state->started = true;
  state->changed.notify_all();
  return previous;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto state = Find(handle);
  if (!state)
    return WAIT_FAILED;
  std::unique_lock lock(state->mutex);
  auto done = [&] { return state->finished; };
  if (milliseconds == INFINITE) {
    state->changed.wait(lock, done);
    return WAIT_OBJECT_0;
  }
  return state->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), done) ? WAIT_OBJECT_0
                                                                                      : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto state = Find(thread);
  if (!state || !exitCode)
    return FALSE;
  std::lock_guard lock(state->mutex);
  *exitCode = state->exitCode;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (platform::win32::CloseFileHandle(handle)) {
    return TRUE;
  }
  ThreadEntry entry;
  {
    ThreadTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.threads.find(handle);
    if (it == t.threads.end())
      return FALSE;
    entry = std::move(it->second);
    t.threads.erase(it);
  }
  bool finished;
  {
    std::lock_guard lock(entry.state->mutex);
    finished = entry.state->finished;
  }
  // A finished thread is joined here; a running one keeps its shared state and ends on its own.
  if (finished) {
    entry.thread.join();
  } else {
    entry.thread.detach();
  }
  return TRUE;
}

DWORD GetCurrentThreadId() {
  return ThreadNumber(std::this_thread::get_id());
}
