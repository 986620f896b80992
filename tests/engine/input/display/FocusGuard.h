#pragma once
// Display tests share one X display with other test programs, which open windows and take the input
// focus. A focus loss lets go of every key and button, as it should, and so spoils a check that was
// under way: such a check is run again, and only an attempt that no outside focus change interrupted is
// judged.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/SdlWindow.h"

namespace inputtest {

inline int g_focusLosses = 0;

inline void CountFocusLoss(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
    ++g_focusLosses;
  }
}

// Counts focus losses while it lives.
class FocusWatch {
 public:
  FocusWatch() { platform::sdl::AddEventListener(CountFocusLoss); }
  ~FocusWatch() { platform::sdl::RemoveEventListener(CountFocusLoss); }
  FocusWatch(const FocusWatch&) = delete;
  FocusWatch& operator=(const FocusWatch&) = delete;
};

// What one attempt saw that it should not have.
class Observations {
 public:
  void Expect(bool actual, bool expected, const std::string& what) {
    if (actual != expected) {
      mismatches_.push_back(what + (expected ? ": expected true" : ": expected false"));
    }
  }
  void Report() const {
    for (const std::string& mismatch : mismatches_) {
      ADD_FAILURE() << mismatch;
    }
  }

 private:
  std::vector<std::string> mismatches_;
};

// Runs `attempt(Observations&)` until one run sees exactly `ownFocusLosses` focus losses (those the
// attempt pushes itself), at most ten times, and reports what the last run saw.
template <class Attempt>
void Undisturbed(Attempt attempt, int ownFocusLosses = 0) {
  Observations seen;
  for (int tries = 0; tries < 10; ++tries) {
    seen = Observations();
    const int before = g_focusLosses;
    attempt(seen);
    if (g_focusLosses - before == ownFocusLosses) {
      break;
    }
  }
  seen.Report();
}

}  // namespace inputtest
