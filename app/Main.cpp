// The game's executable.
#include "platform/sdl/SdlBackend.h"

int main(int argc, char** argv) {
  platform::sdl::InstallBackend();
  return 0;
}
