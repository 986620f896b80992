#pragma once
// The one way code outside the input back end makes the controls: the Engine calls this, so that it
// needs none of the DirectInput-shaped headers.

#include <memory>

#include "engine/input/Controls.h"

namespace CorvantisEngine {

// A Controls_DI7 (see its header) over the system keyboard and mouse. Ends through MessageManager::Abort
// (FatalError) when a device cannot be opened.
std::unique_ptr<Controls> CreateControls(MessageManager* log, TimerManager* timerManager, Window* window,
                                         bool buffered);

}  // namespace CorvantisEngine
