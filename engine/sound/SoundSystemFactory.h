#pragma once
// The one way code outside the sound back end makes the sound system: the Engine calls this, so that it
// needs none of the DirectSound-shaped headers.

#include <memory>

#include "engine/sound/SoundSystem.h"

namespace CorvantisEngine {

class TimerManager;
class Window;

// A SoundSystem_DS7 (see its header). Throws `Error` (already logged) when the device cannot be set up.
std::unique_ptr<SoundSystem> CreateSoundSystem(MessageManager* log, FileManager* fileManager,
                                               TimerManager* timerManager, Config* config, Window* window,
                                               bool use3D);

}  // namespace CorvantisEngine
