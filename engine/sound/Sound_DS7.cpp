#include "engine/sound/Sound_DS7.h"

#include "engine/sound/SoundBufferManager.h"
#include "engine/sound/SoundBuffer_DS7.h"

namespace CorvantisEngine {

Sound_DS7::Sound_DS7(MessageManager* log, SoundSystem_DS7* soundSystem, SoundBufferManager* bufferManager,
                     const std::string& fileName)
    : Sound(log, bufferManager, fileName), soundSystem_(soundSystem) {
  buffer_ = bufferManager_->GetBuffer(fileName);
  bufferDS7_ = static_cast<SoundBuffer_DS7*>(buffer_);
  bufferDS7_->SetVolume(volume_);
  bufferDS7_->SetTempo(tempo_);
  bufferDS7_->SetPosition(position_);
}

Sound_DS7::Sound_DS7(const Sound_DS7& other) : Sound(other), soundSystem_(other.soundSystem_) {
  buffer_ = bufferManager_->GetBuffer(name_);
  bufferDS7_ = static_cast<SoundBuffer_DS7*>(buffer_);
  if (buffer_->IsStreaming())
    buffer_->SetLooping(looping_ != 0);
  bufferDS7_->SetVolume(volume_);
  // The copy plays at the same rate as its original.
  bufferDS7_->SetTempo(tempo_);
  bufferDS7_->SetPosition(position_);
}

bool Sound_DS7::Play() {
  const bool streaming = buffer_->IsStreaming();
  // A sound still marked playing whose device buffer has stopped by itself (played out since the last
  // Update) restarts as well: a finished stream's ring would otherwise resume on its trailing silence
  // and be stopped again at once.
  if (state_ == kPlaying || bufferDS7_->IsPlaying()) {
    bufferDS7_->Stop();
    if (streaming)
      buffer_->SetStreamState(SoundBuffer::kStreamStopped);
  }
  if (streaming) {
    bufferDS7_->TakeRing();
    buffer_->SetStreamState(SoundBuffer::kStreamPlaying);
  }
  bufferDS7_->Play(looping_ != 0);
  state_ = kPlaying;
  return true;
}

void Sound_DS7::Pause() {
  bufferDS7_->Pause();
  if (buffer_->IsStreaming())
    buffer_->SetStreamState(SoundBuffer::kStreamPaused);
  state_ = kPaused;
}

void Sound_DS7::Stop() {
  bufferDS7_->Stop();
  if (buffer_->IsStreaming()) {
    buffer_->SetStreamState(SoundBuffer::kStreamStopped);
    bufferDS7_->DropRing();
  }
  state_ = kStopped;
}

void Sound_DS7::SetLooping(bool looping) {
  Sound::SetLooping(looping);
  if (!buffer_->IsStreaming() && bufferDS7_->IsPlaying())
    bufferDS7_->Play(looping);
}

void Sound_DS7::SetVolume(float volume) {
  Sound::SetVolume(volume);
  bufferDS7_->SetVolume(volume_);
}

void Sound_DS7::SetTempo(float tempo) {
  Sound::SetTempo(tempo);
  bufferDS7_->SetTempo(tempo);
}

void Sound_DS7::SetPosition(const Vector3& position) {
  Sound::SetPosition(position);
  bufferDS7_->SetPosition(position);
}

void Sound_DS7::Update() {
  if (bufferDS7_->IsBufferLost()) {
    if (!bufferDS7_->RestoreBuffer())
      return;
    if (buffer_->IsStreaming()) {
      const std::uint32_t state = state_;
      Stop();
      if (state == kPaused) {
        Play();
        Pause();
      } else if (state == kPlaying) {
        Play();
      }
    }
  }
  if (state_ == kPlaying && !bufferDS7_->IsPlaying())
    Stop();
}

}  // namespace CorvantisEngine
