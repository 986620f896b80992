#include "engine/sound/SoundManager.h"

#include <algorithm>

#include "engine/sound/Sound.h"
#include "engine/sound/SoundBufferManager.h"
#include "engine/sound/SoundSystem.h"

namespace CorvantisEngine {

SoundManager::SoundManager(MessageManager* log, FileManager* fileManager, SoundSystem* soundSystem)
    : log_(log),
      fileManager_(fileManager),
      soundSystem_(soundSystem),
      bufferManager_(std::make_unique<SoundBufferManager>(log, fileManager, soundSystem)) {
  soundSystem_->SetBufferManager(bufferManager_.get());
}

SoundManager::~SoundManager() {
  ClearQueue();
  freeSlots_.clear();
  for (std::uint32_t slot : liveSlots_)
    delete slots_[slot];  // each gives its buffer back
  liveSlots_.clear();
  slots_.clear();
  if (soundSystem_->GetBufferManager() == bufferManager_.get())
    soundSystem_->SetBufferManager(nullptr);
  bufferManager_.reset();
}

Sound* SoundManager::CreateSound(const std::string& fileName) {
  Sound* sound = soundSystem_->CreateSound(fileName);  // may throw: nothing is taken yet
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    slots_[slot] = sound;
  } else {
    slot = nextSlot_++;
    slots_.push_back(sound);
  }
  liveSlots_.push_back(slot);
  return sound;
}

void SoundManager::DestroySound(Sound* sound) {
  if (!sound)
    return;
  auto it = std::find_if(liveSlots_.begin(), liveSlots_.end(),
                         [&](std::uint32_t slot) { return slots_[slot] == sound; });
  if (it == liveSlots_.end())
    return;
  // A queued command must never reach a deleted sound.
  std::erase_if(queue_, [&](const SoundCommand& command) { return command.sound == sound; });
  const std::uint32_t slot = *it;
  liveSlots_.erase(it);
  slots_[slot] = nullptr;
  freeSlots_.push_back(slot);
  delete sound;
}

Sound* SoundManager::GetSound(std::uint32_t index) const {
  if (index >= liveSlots_.size())
    return nullptr;
  return slots_[liveSlots_[index]];
}

std::int64_t SoundManager::GetSlotOf(const Sound* sound) const {
  for (std::uint32_t slot : liveSlots_) {
    if (slots_[slot] == sound)
      return slot;
  }
  return -1;
}

void SoundManager::PlayNow(Sound* sound) {
  if (sound->Play())
    return;
  // No voice free: stop the first other one-shot sound that is playing or paused and try once more.
  for (std::uint32_t slot : liveSlots_) {
    Sound* other = slots_[slot];
    if (other != sound && other->GetState() != 2 && !other->IsLooping()) {
      other->Stop();
      sound->Play();
      return;
    }
  }
}

void SoundManager::Run(std::uint32_t kind, Sound* sound) {
  switch (kind) {
    case SoundCommand::kPlay:
      PlayNow(sound);
      break;
    case SoundCommand::kPause:
      sound->Pause();
      break;
    case SoundCommand::kStop:
      sound->Stop();
      break;
  }
}

void SoundManager::Act(std::uint32_t kind, Sound* sound, bool immediately) {
  if (!sound)
    return;
  if (immediately)
    Run(kind, sound);
  else
    queue_.push_back({kind, sound});
}

void SoundManager::PlaySound(Sound* sound, bool immediately) {
  Act(SoundCommand::kPlay, sound, immediately);
}

void SoundManager::PauseSound(Sound* sound, bool immediately) {
  Act(SoundCommand::kPause, sound, immediately);
}

void SoundManager::StopSound(Sound* sound, bool immediately) {
  Act(SoundCommand::kStop, sound, immediately);
}

void SoundManager::Update(bool runQueued) {
  if (runQueued) {
    // Taken out first: a command may not add to the list it is walking.
    std::vector<SoundCommand> commands;
    commands.swap(queue_);
    for (const SoundCommand& command : commands)
      Run(command.kind, command.sound);
  }
  for (std::uint32_t slot : liveSlots_)
    slots_[slot]->Update();
  bufferManager_->UpdateAll();
}

void SoundManager::ClearQueue() {
  queue_.clear();
}

}  // namespace CorvantisEngine
