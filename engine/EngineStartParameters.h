#pragma once
// EngineStartParameters: the record from which a game starts the Engine. The game fills it (names,
// folders, log and window choices); the Engine copies it and reads every field.

#include <cstdint>
#include <string>

#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {

struct EngineStartParameters {
  // Window title, log title and ini-name default; empty means "Corvantis Engine".
  std::string name;
  // Shown in the title as version / 100 "." version % 100 (100 is "1.00").
  std::uint32_t version = 0;
  // Base folder of the file manager.
  std::string dataFolder;
  std::uint8_t saveConfigOnExit = 0;
  // Name of the ini file.
  std::string applicationName;
  std::uint8_t htmlLog = 0;
  // Reopen the log file for every entry (slower; survives a hard crash of the process).
  std::uint8_t reopenLog = 0;
  std::string logFolder;
  // File name of the HTML log without ".html"; empty uses the name.
  std::string logName;
  std::string configFolder;
  // Folder under the base folder searched for "*.pak" archives.
  std::string packFolder;
  // A host window to embed into; null for a top-level window.
  HWND hostWindow = nullptr;
  // Resource id of the window icon; 0 for the system's application icon.
  std::uint32_t iconId = 0;
  std::uint8_t minimiseOnFocusLoss = 0;
  // After loading the ini, reset "v_mode" to defaultVideoMode.
  std::uint8_t forceDefaultVideoMode = 0;
  // Default of "v_mode": width x height x bits, as "800x600x32".
  std::string defaultVideoMode;
  // After loading the ini, reset "v_fullscreen" to defaultFullScreen.
  std::uint8_t forceDefaultFullScreen = 0;
  std::uint8_t defaultFullScreen = 0;
  // A windowed video mode larger than the desktop is used as requested.
  std::uint8_t keepWindowSize = 0;
  // The depth buffer gets a stencil part.
  std::uint8_t stencilRequested = 0;
  std::uint8_t centreWindow = 0;
  // Window position when not centred.
  std::uint32_t windowX = 0;
  std::uint32_t windowY = 0;
  // The sound system sets up the 3-D listener and makes mono buffers 3-D.
  std::uint8_t use3D = 0;
};

}  // namespace CorvantisEngine
