#pragma once
// One test's headless platform: on entry the clock stands at time 0, the window layer has a fresh driver
// (no windows, no fault plan, nothing pushed), the display a fresh driver, and input and audio hold no
// events, faults or recorded calls. On exit input and audio are cleared again, so that nothing a test
// planned reaches the next one. Make it before the objects that use the platform (a fixture's base or
// first member), so that it outlives them.

#include <memory>

#include "platform/headless/FaultPlan.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"

namespace testsupport {

class HeadlessPlatform {
 public:
  HeadlessPlatform() { Reset(); }
  ~HeadlessPlatform() {
    platform::headless::ResetInput();
    platform::headless::ResetAudio();
  }

  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // Everything afresh, as on entry. Objects made over the old drivers must be gone.
  void Reset() {
    platform::headless::ResetClock();
    windows_ = &platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    platform::headless::ResetInput();
    platform::headless::ResetAudio();
  }

  platform::headless::HeadlessWindowDriver& Windows() const { return *windows_; }
  platform::headless::HeadlessDisplay& Display() const { return *display_; }
  const std::shared_ptr<platform::headless::HeadlessDisplay>& SharedDisplay() const { return display_; }
  platform::headless::AudioPlan& Audio() const { return platform::headless::Audio(); }

 private:
  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
};

}  // namespace testsupport
