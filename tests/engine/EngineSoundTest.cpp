// The Engine's sound: started with the device, absent (and the game silent) without one, and driven at
// every frame end.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundSystem.h"
#include "platform/dsound/AudioDriver.h"
#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundLayer.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;
using platform::dsound::DsCall;
namespace headless = platform::headless;

class EngineSoundTest : public testsupport::HeadlessTest {
 protected:
  void TearDown() override {}

  EngineStartParameters Parameters() const {
    EngineStartParameters p = enginetest::GameParameters(folder_);
    p.defaultVideoMode = "1024x768x32";
    return p;
  }

  testsupport::TempFolder temp_;
  const fs::path folder_ = temp_.Root();
};

TEST_F(EngineSoundTest, SoundStartsWithTheEngineAndIsUpdatedAtEveryFrameEnd) {
  {
    Engine engine(Parameters());
    ASSERT_NE(engine.GetSoundSystem(), nullptr);
    ASSERT_NE(engine.GetSoundManager(), nullptr);
    EXPECT_TRUE(headless::IsAudioOpen());
    Sound* sound = engine.GetSoundManager()->CreateSound("");  // the empty sound needs no file
    engine.GetSoundManager()->PlaySound(sound, false);
    headless::ClearAudioCalls();
    engine.Update(0);
    // The frame end refreshed the device and ran the queued play.
    const auto& calls = headless::AudioCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), DsCall::Play), calls.end());
    EXPECT_EQ(sound->GetState(), Sound::kPlaying);
  }
  EXPECT_FALSE(headless::IsAudioOpen());
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
}

TEST_F(EngineSoundTest, WithoutADeviceTheEngineRunsSilent) {
  struct Row {
    const char* why;
    bool refuseDevice;
    DsCall fault;
  };
  const Row rows[] = {{"no device", true, DsCall::CreateDevice},
                      {"primary buffer refused", false, DsCall::CreatePrimaryBuffer}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    headless::ResetAudio();
    headless::Audio().refuseDevice = row.refuseDevice;
    if (!row.refuseDevice)
      headless::Audio().Fail(row.fault, DSERR_GENERIC, headless::kEveryCall);
    Engine engine(Parameters());
    EXPECT_EQ(engine.GetSoundSystem(), nullptr);
    EXPECT_EQ(engine.GetSoundManager(), nullptr);
    engine.Tick();
    engine.Update(0);
    EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
  }
}

}  // namespace
}  // namespace CorvantisEngine
