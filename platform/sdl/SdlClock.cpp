#include "platform/sdl/SdlClock.h"

#include <chrono>
#include <thread>

#include "platform/win32/ClockDriver.h"

namespace platform::sdl {
namespace {

class SystemClock : public ClockDriver {
 public:
  std::uint64_t Nanoseconds() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
  void Sleep(std::uint32_t milliseconds) override {
    if (milliseconds == 0) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
  }
};

}  // namespace

void InstallClockDriver() {
  platform::InstallClockDriver(std::make_unique<SystemClock>());
}

}  // namespace platform::sdl
