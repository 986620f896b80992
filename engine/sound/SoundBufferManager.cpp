#include "engine/sound/SoundBufferManager.h"

#include <algorithm>

#include "engine/core/StringUtils.h"
#include "engine/sound/SoundBuffer.h"
#include "engine/sound/SoundSystem.h"

namespace CorvantisEngine {

SoundBufferManager::SoundBufferManager(MessageManager* log, FileManager* fileManager,
                                       SoundSystem* soundSystem)
    : log_(log), fileManager_(fileManager), soundSystem_(soundSystem) {}

SoundBufferManager::~SoundBufferManager() {
  for (std::uint32_t slot : liveSlots_)
    delete slots_[slot];
  liveSlots_.clear();
  slots_.clear();
  freeSlots_.clear();
}

SoundBuffer* SoundBufferManager::GetBuffer(const std::string& fileName) {
  const std::string key = StringToLowerCopy(fileName);
  const SoundBuffer* source = nullptr;
  for (std::uint32_t slot : liveSlots_) {
    if (slots_[slot]->GetName() == key) {
      if (!slots_[slot]->IsStreaming())
        source = slots_[slot];
      break;
    }
  }
  // Made before a slot is taken, so a file that fails to load costs no slot.
  SoundBuffer* buffer =
      source ? soundSystem_->CreateSoundBufferCopy(*source) : soundSystem_->CreateSoundBuffer(fileName);
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    slots_[slot] = buffer;
  } else {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.push_back(buffer);
  }
  liveSlots_.push_back(slot);
  return buffer;
}

void SoundBufferManager::ReleaseBuffer(SoundBuffer* buffer) {
  if (!buffer)
    return;
  auto it = std::find_if(liveSlots_.begin(), liveSlots_.end(),
                         [&](std::uint32_t slot) { return slots_[slot] == buffer; });
  if (it == liveSlots_.end())
    return;
  const std::uint32_t slot = *it;
  liveSlots_.erase(it);
  slots_[slot] = nullptr;
  freeSlots_.push_back(slot);
  delete buffer;
}

void SoundBufferManager::UpdateAll() {
  for (std::uint32_t slot : liveSlots_)
    slots_[slot]->Update();
}

std::int64_t SoundBufferManager::GetSlotOf(const SoundBuffer* buffer) const {
  for (std::uint32_t slot : liveSlots_) {
    if (slots_[slot] == buffer)
      return slot;
  }
  return -1;
}

}  // namespace CorvantisEngine
