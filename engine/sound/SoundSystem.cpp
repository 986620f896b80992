#include "engine/sound/SoundSystem.h"

namespace CorvantisEngine {

SoundSystem::SoundSystem(MessageManager* log, FileManager* fileManager, Config* config, bool use3D)
    : log_(log), fileManager_(fileManager), config_(config), use3D_(use3D ? 1 : 0) {}

SoundSystem::~SoundSystem() = default;

void SoundSystem::SetListenerPosition(const Vector3& position) {
  listenerPosition_ = position;
}

void SoundSystem::SetListenerOrientation(const Vector3& front, const Vector3& top) {
  listenerFront_ = front;
  listenerTop_ = top;
}

void SoundSystem::ResetListener() {
  SetListenerPosition(Vector3(0.0f, 0.0f, 0.0f));
  SetListenerOrientation(Vector3(0.0f, 0.0f, -1.0f), Vector3(0.0f, 1.0f, 0.0f));
}

}  // namespace CorvantisEngine
