// The game's executable. Until the game's own start-up exists, main fills the engine's start record with
// the game's values, starts the engine and runs the main loop (MainLoop.h) until "exit" fires.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/MainLoop.h"
#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/WinDialog.h"

namespace {

constexpr const char* kTitle = "Brindlewick";
constexpr const char* kMaker = "Pellucan Games";
constexpr std::uint32_t kVersion = 100;

// The per-user folder for the log and the ini: $XDG_DATA_HOME (or ~/.local/share)/maker/title.
std::string UserFolder() {
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  return base + "/" + kMaker + "/" + kTitle;
}

CorvantisEngine::EngineStartParameters GameParameters() {
  CorvantisEngine::EngineStartParameters p;
  p.name = p.applicationName = p.logName = kTitle;
  p.version = kVersion;
  p.dataFolder = CorvantisEngine::GetExecutableFolder() + "/data";
  p.packFolder = "Data";
  p.logFolder = p.configFolder = UserFolder();
  p.saveConfigOnExit = 1;
  p.htmlLog = 1;
  p.minimiseOnFocusLoss = 1;
  p.centreWindow = 1;
  p.defaultFullScreen = 1;
  p.defaultVideoMode = "1024x768x32";
  p.iconId = 101;
  p.stencilRequested = 1;
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  platform::sdl::InstallBackend();
  try {
    CorvantisEngine::Engine engine(GameParameters());
    RunMainLoop(engine);
  } catch (const CorvantisEngine::FatalError& error) {
    MessageBoxA(nullptr, error.GetMessage().c_str(), "Fatal Error", MB_OK | MB_ICONERROR);
    return EXIT_FAILURE;
  } catch (...) {
    MessageBoxA(nullptr, "Unhandled exception!", "Fatal Error", MB_OK | MB_ICONERROR);
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
