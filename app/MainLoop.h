#pragma once
// The game's main loop until the game framework's own loader takes it over: one window message at a time
// is taken from the queue and dispatched; when the queue is empty the engine runs one frame: a pending
// switch between windowed and full screen ("v_window_change_mode") or device reset first, then
// Engine::Tick and Engine::Update. While the engine window lacks the focus and minimises itself on
// focus loss, no frame runs: the window, the render system's device check, the timers and the sounds are
// kept going, ten passes a second. The loop ends after the frame end that sees "exit" issued (so that
// frame end logs the exit), or after an idle pass that sees it.
//
// Main thread only; the engine is borrowed. Exceptions from the engine pass out to the caller.

namespace CorvantisEngine {
class Engine;
}

void RunMainLoop(CorvantisEngine::Engine& engine);
