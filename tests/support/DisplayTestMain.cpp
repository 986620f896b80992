// Entry point of the test programs that need a display: the real SDL back end answers their platform calls.
#include <gtest/gtest.h>

#include "platform/sdl/SdlBackend.h"

// SDL's video and audio start-up connect to D-Bus, whose library keeps a buffer for the life of the
// process; that is not ours to free. Read by LeakSanitizer in the sanitizer build.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  platform::sdl::InstallBackend();
  return RUN_ALL_TESTS();
}
