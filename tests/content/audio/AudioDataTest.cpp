// The sounds and music of the data build, found the way the game finds them ("<name>.wav", else
// "<name>.ogg" under data\audio) and decoded by the engine's readers: every registered file is there in
// a form the mixer takes, no sound is much louder than the others, and the looping ones loop smoothly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/sound/SoundFileReader.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "engine/sound/SoundFileReaderWAV.h"

namespace CorvantisEngine {
namespace {

struct Registered {
  const char* group;
  const char* name;
  bool loops;  // registered looping, or looped by the code
};

// Every file the game registers: the widget sounds, the game's sounds, the music.
constexpr Registered kSounds[] = {
    {"menu", "button_select_0", false},
    {"menu", "button_select_1", false},
    {"menu", "button_click", false},
    {"menu", "edit_box_print", false},
    {"menu", "window_appear", false},
    {"menu", "window_disappear", false},
    {"menu", "volume_slider", true},
    {"menu", "charge_score", true},
    {"game", "level_begin", false},
    {"game", "level_complete", false},
    {"game", "level_failed", false},
    {"game", "element_get", false},
    {"game", "element_put_0", false},
    {"game", "element_put_1", false},
    {"game", "element_put_2", false},
    {"game", "element_put_3", false},
    {"game", "element_put_4", false},
    {"game", "element_put_bad", false},
    {"game", "element_cancel", false},
    {"game", "bonus_tip", true},
    {"game", "bonus_magnet", true},
    {"game", "bonus_tip_apply", false},
    {"game", "bonus_magnet_apply", false},
    {"game", "bonus_pause_apply", false},
    {"game", "bonus_rollback_apply", false},
    {"game", "path_introduction", true},
    {"game", "path_introduction_end", false},
    {"game", "path_begin", true},
    {"game", "path_end", true},
    {"game", "path_warning", false},
    {"game", "charge_path_score", true},
};
constexpr const char* kMusic[] = {"menu", "game0", "game1"};

class AudioData : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), DATA_STAGE, "");
  }

  // The file name the game registers: the wave file when it exists, else the Ogg file.
  static std::string FileName(const std::string& group, const std::string& name) {
    const std::string base = "audio\\" + group + "\\" + name;
    const std::filesystem::path wav =
        std::filesystem::path(DATA_STAGE) / "data" / "audio" / group / (name + ".wav");
    return base + (std::filesystem::exists(wav) ? ".wav" : ".ogg");
  }

  std::unique_ptr<SoundFileReader> Open(const std::string& name) {
    if (name.ends_with(".wav")) {
      return std::make_unique<SoundFileReaderWAV>(log_.get(), files_.get(), name);
    }
    return std::make_unique<SoundFileReaderOGG>(log_.get(), files_.get(), name);
  }

  // Every 16-bit sample, channels interleaved.
  static std::vector<std::int16_t> Samples(SoundFileReader& reader) {
    std::vector<std::int16_t> samples;
    std::vector<std::uint8_t> buffer(65536);
    bool end = false;
    while (!end) {
      std::uint32_t read = 0;
      reader.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), read, end);
      for (std::uint32_t i = 0; i + 1 < read; i += 2) {
        samples.push_back(static_cast<std::int16_t>(buffer[i] | (buffer[i + 1] << 8)));
      }
      if (read == 0) {
        break;
      }
    }
    return samples;
  }

  // Peak, and loudness over the part that is not silence, in dB below full scale.
  static void Levels(const std::vector<std::int16_t>& samples, double& peakDb, double& loudnessDb) {
    double peak = 0.0, sum = 0.0;
    std::size_t active = 0;
    for (std::int16_t s : samples) {
      const double x = std::abs(static_cast<double>(s)) / 32768.0;
      peak = std::max(peak, x);
      if (x > 0.003) {
        sum += x * x;
        ++active;
      }
    }
    peakDb = 20.0 * std::log10(std::max(peak, 1e-9));
    loudnessDb = active == 0 ? -200.0 : 10.0 * std::log10(sum / static_cast<double>(active));
  }

  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
};

TEST_F(AudioData, EverySoundIsAShortWaveAtTheMixerRate) {
  for (const Registered& sound : kSounds) {
    SCOPED_TRACE(sound.name);
    const std::string name = FileName(sound.group, sound.name);
    ASSERT_TRUE(name.ends_with(".wav"));
    std::unique_ptr<SoundFileReader> reader;
    ASSERT_NO_THROW(reader = Open(name));
    EXPECT_EQ(reader->GetRate(), 22050u);
    EXPECT_EQ(reader->GetBits(), 16u);
    EXPECT_LE(reader->GetChannels(), 2u);
    // Loaded whole, not streamed.
    EXPECT_LE(reader->GetSize(), 1024u * 1024u);
    EXPECT_GT(reader->GetSize(), 0u);
  }
}

TEST_F(AudioData, MusicIsStreamedOggVorbis) {
  for (const char* track : kMusic) {
    SCOPED_TRACE(track);
    const std::string name = FileName("music", track);
    ASSERT_TRUE(name.ends_with(".ogg"));
    std::unique_ptr<SoundFileReader> reader;
    ASSERT_NO_THROW(reader = Open(name));
    EXPECT_EQ(reader->GetChannels(), 2u);
    EXPECT_EQ(reader->GetBits(), 16u);
    EXPECT_GT(reader->GetSize(), 1024u * 1024u);
    double peak = 0.0, loudness = 0.0;
    Levels(Samples(*reader), peak, loudness);
    EXPECT_LE(peak, -0.5);
    EXPECT_NEAR(loudness, -19.0, 4.0);
  }
}

TEST_F(AudioData, NoSoundIsMuchLouderThanTheOthers) {
  for (const Registered& sound : kSounds) {
    SCOPED_TRACE(sound.name);
    std::unique_ptr<SoundFileReader> reader = Open(FileName(sound.group, sound.name));
    double peak = 0.0, loudness = 0.0;
    Levels(Samples(*reader), peak, loudness);
    EXPECT_LE(peak, -0.5) << "clipped";
    EXPECT_GE(peak, -20.0) << "nearly silent";
    EXPECT_GE(loudness, -34.0);
    EXPECT_LE(loudness, -14.0);
  }
}

TEST_F(AudioData, LoopsRunFromTheirEndIntoTheirStartWithoutAStep) {
  for (const Registered& sound : kSounds) {
    if (!sound.loops) {
      continue;
    }
    SCOPED_TRACE(sound.name);
    std::unique_ptr<SoundFileReader> reader = Open(FileName(sound.group, sound.name));
    const std::uint32_t channels = reader->GetChannels();
    const std::vector<std::int16_t> samples = Samples(*reader);
    ASSERT_GE(samples.size(), 2u * channels);
    for (std::uint32_t c = 0; c < channels; ++c) {
      const int first = samples[c];
      const int last = samples[samples.size() - channels + c];
      EXPECT_LE(std::abs(first - last), 1000) << "channel " << c;
    }
  }
}

}  // namespace
}  // namespace CorvantisEngine
