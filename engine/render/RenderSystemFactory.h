#pragma once
// The one way code outside the render back end makes the render system: the Engine calls this, so that
// it needs none of the DirectX-shaped headers (which would meet the other layers' in one file).

#include <memory>

#include "engine/render/RenderSystem.h"

namespace CorvantisEngine {

// A RenderSystem_D3D7 (see its header): enumerates, chooses and creates the device. Throws FatalError
// through the log when no device can be made.
std::unique_ptr<RenderSystem> CreateRenderSystem(MessageManager* messages, Config* config, Window* window,
                                                 bool stencilRequested, bool keepWindowSize);

}  // namespace CorvantisEngine
