#include "engine/sound/Sound.h"

#include <algorithm>

#include "engine/sound/SoundBuffer.h"
#include "engine/sound/SoundBufferManager.h"

namespace CorvantisEngine {

Sound::Sound(MessageManager* log, SoundBufferManager* bufferManager, const std::string& fileName)
    : log_(log), bufferManager_(bufferManager), name_(fileName) {}

Sound::Sound(const Sound& other)
    : log_(other.log_),
      bufferManager_(other.bufferManager_),
      name_(other.name_),
      looping_(other.looping_),
      volume_(other.volume_),
      tempo_(other.tempo_),
      position_(other.position_) {}

Sound::~Sound() {
  if (bufferManager_)
    bufferManager_->ReleaseBuffer(buffer_);
}

void Sound::SetLooping(bool looping) {
  looping_ = looping ? 1 : 0;
  if (buffer_ && buffer_->IsStreaming())
    buffer_->SetLooping(looping);
}

void Sound::SetVolume(float volume) {
  volume_ = std::min(volume, 1.0f);
}

void Sound::SetTempo(float tempo) {
  tempo_ = tempo;
}

void Sound::SetPosition(const Vector3& position) {
  position_ = position;
}

}  // namespace CorvantisEngine
