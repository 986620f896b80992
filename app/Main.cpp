// The game's executable: the SDL back end under the Windows-shaped layer, then the game's loader, which
// runs the whole game. The exit code is 0 after a normal quit and 1 after the error box or when there is
// no display to show the game on (said on stderr before anything else starts).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "game/GameLoader.h"
#include "platform/sdl/SdlBackend.h"

int main(int argc, char** argv) {
  platform::sdl::InstallBackend();
  std::string noDisplay;
  if (!platform::sdl::OpenDisplay(noDisplay)) {
    std::fprintf(stderr,
                 "Brindlewick needs a display and found none (%s): run it in a desktop session, or set "
                 "DISPLAY to a running X server.\n",
                 noDisplay.c_str());
    return EXIT_FAILURE;
  }
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1)
      commandLine += ' ';
    commandLine += argv[i];
  }
  std::unique_ptr<Puzzle::GameLoader> loader(new (std::nothrow)
                                                 Puzzle::GameLoader(nullptr, nullptr, commandLine, 1));
  if (loader == nullptr || loader->HasFailed())
    return EXIT_FAILURE;
  return EXIT_SUCCESS;
}
