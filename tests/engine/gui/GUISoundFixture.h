#pragma once
// A GUI with sound: the sound system and manager over the headless sound device, short WAV recordings
// registered under GUI sound ids, and a record of which ids played since the last look.

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "GUIFixture.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/sound/SoundFixtures.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundSystem_DS7.h"
#include "platform/headless/HeadlessClock.h"

namespace CorvantisEngine::guitest {

// A short mono recording: 64 16-bit samples.
inline std::vector<std::uint8_t> TinyWav() {
  return soundtest::Wav(1, 22050, 16, soundtest::Bytes(128, 0x10));
}

class GUISoundFixture : public GUIFixture {
 protected:
  GUISoundFixture() {
    soundSystem_ = std::make_unique<SoundSystem_DS7>(&log_, files_.get(), &timers_, nullptr, nullptr, false);
    soundManager_ = std::make_unique<SoundManager>(&log_, files_.get(), soundSystem_.get());
    guiSounds_ = std::make_unique<GUISoundManager>(&timers_, soundManager_.get(), &log_);
    WriteData("sounds\\a.wav", TinyWav());
    WriteData("sounds\\b.wav", TinyWav());
    platform::headless::StepClockSeconds(1.0);
  }
  ~GUISoundFixture() override {
    guiSounds_.reset();
    soundManager_.reset();
    soundSystem_.reset();
  }

  // Registers one recording under each id.
  void Register(std::initializer_list<std::uint32_t> ids) {
    for (const std::uint32_t id : ids) {
      guiSounds_->AddSound(id, "sounds\\a.wav");
    }
  }

  // The ids whose recordings started since the last call (in id order); the clock then moves on 20 ms,
  // like a frame.
  std::vector<std::uint32_t> Played() {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, entries] : guiSounds_->sounds) {
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto key = std::make_pair(id, i);
        const float last = entries[i]->played ? entries[i]->lastStart : -1.0f;
        if (seen_.count(key) == 0 ? last >= 0.0f : seen_[key] != last) {
          ids.push_back(id);
        }
        seen_[key] = last;
      }
    }
    soundManager_->Update(true);
    platform::headless::StepClockMilliseconds(20);
    return ids;
  }

  std::unique_ptr<SoundSystem_DS7> soundSystem_;
  std::unique_ptr<SoundManager> soundManager_;
  std::unique_ptr<GUISoundManager> guiSounds_;
  std::map<std::pair<std::uint32_t, std::size_t>, float> seen_;
};

}  // namespace CorvantisEngine::guitest
