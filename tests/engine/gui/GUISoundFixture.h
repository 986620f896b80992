#pragma once
// A GUI with sound: the sound system and manager over the headless sound device, short WAV recordings
// registered under GUI sound ids, and a record of which ids played since the last look.

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "GUIFixture.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundSystem_DS7.h"
#include "platform/headless/HeadlessClock.h"

namespace CorvantisEngine::guitest {

inline std::vector<std::uint8_t> TinyWav() {
  std::vector<std::uint8_t> b;
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  const std::uint32_t samples = 64;
  tag("RIFF");
  put32(36 + samples * 2);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);
  put16(1);
  put32(22050);
  put32(44100);
  put16(2);
  put16(16);
  tag("data");
  put32(samples * 2);
  for (std::uint32_t i = 0; i < samples; ++i)
    put16(static_cast<std::uint16_t>(i * 100));
  return b;
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
