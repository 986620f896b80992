// Entry point of the test programs that need a display: the real SDL back end answers their platform calls.
#include <gtest/gtest.h>

#include "platform/sdl/SdlBackend.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  platform::sdl::InstallBackend();
  return RUN_ALL_TESTS();
}
