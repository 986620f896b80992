#include "engine/gui/GUISoundManager.h"

#include <cmath>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"

namespace CorvantisEngine {

GUISoundManager::GUISoundManager(TimerManager* timerManager_, SoundManager* soundManager_,
                                 MessageManager* log_)
    : timerManager(timerManager_), soundManager(soundManager_), log(log_) {}

GUISoundManager::~GUISoundManager() {
  for (auto& [id, entries] : sounds) {
    for (GUISoundEntry* entry : entries) {
      if (soundManager != nullptr && entry->sound != nullptr) {
        soundManager->DestroySound(entry->sound);
      }
      delete entry;
    }
  }
}

void GUISoundManager::AddSound(std::uint32_t id, const std::string& fileName) {
  if (soundManager == nullptr) {
    return;
  }
  Sound* sound = nullptr;
  try {
    sound = soundManager->CreateSound(fileName);
  } catch (const FileError& error) {
    // A file that cannot be read leaves the id without this recording; the widgets play on.
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    return;
  }
  if (sound == nullptr) {
    return;
  }
  auto* entry = new GUISoundEntry;
  entry->sound = sound;
  sounds[id].push_back(entry);
  sound->SetVolume(volume);
}

void GUISoundManager::PlaySound(std::uint32_t id) {
  if (soundManager == nullptr) {
    return;
  }
  const auto found = sounds.find(id);
  if (found == sounds.end() || found->second.empty()) {
    return;
  }
  const float now = (timerManager != nullptr && timerManager->frameTimer != nullptr)
                        ? timerManager->frameTimer->GetTime()
                        : 0.0f;
  GUISoundEntry* chosen = nullptr;
  for (GUISoundEntry* entry : found->second) {
    if (entry->played && std::fabs(now - entry->lastStart) < kRepeatWindow) {
      return;
    }
    if (chosen == nullptr || entry->lastStart < chosen->lastStart) {
      chosen = entry;
    }
  }
  if (chosen->sound != nullptr) {
    soundManager->PlaySound(chosen->sound, false);
  }
  chosen->lastStart = now;
  chosen->played = true;
}

}  // namespace CorvantisEngine
