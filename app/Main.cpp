// The game's executable: the SDL back end under the Windows-shaped layer, then the game's loader, which
// runs the whole game. The exit code is 0 after a normal quit and 1 after the error box.
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "game/GameLoader.h"
#include "platform/sdl/SdlBackend.h"

int main(int argc, char** argv) {
  platform::sdl::InstallBackend();
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
