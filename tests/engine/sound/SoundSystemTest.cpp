// Sound system set-up, its failures and release order, error texts, listener and per-frame refresh.
#include <gtest/gtest.h>

#include <algorithm>

#include "SoundFixtures.h"
#include "engine/core/Error.h"
#include "engine/sound/SoundSystem_DS7.h"
#include "platform/dsound/DSoundLayer.h"

namespace {

using namespace CorvantisEngine;
using platform::dsound::DsCall;
namespace headless = platform::headless;

class SoundSystemTest : public soundtest::SoundEnvironment {
 protected:
  // The log lines from "DirectSound system destroying:" on.
  std::vector<std::string> ReleaseLines() const {
    std::vector<std::string> all = Records(), out;
    auto it = std::find_if(all.begin(), all.end(), [](const std::string& s) {
      return s.find("DirectSound system destroying:") == 0;
    });
    for (; it != all.end(); ++it)
      out.push_back(*it);
    return out;
  }
};

TEST_F(SoundSystemTest, EachSetUpFailureIsLoggedReleasesWhatWasMadeAndThrows) {
  struct Row {
    const char* why;
    DsCall fault;  // CreateDevice stands for "no device at all"
    const char* error;
    std::vector<std::string> released;
  };
  const Row rows[] = {
      {"device refused", DsCall::CreateDevice, "Failed to create a device", {}},
      {"cooperative level refused",
       DsCall::SetCooperativeLevel,
       "Failed to set cooperative level",
       {"...Releasing device...\n"}},
      {"primary buffer refused",
       DsCall::CreatePrimaryBuffer,
       "Failed to create primary buffer",
       {"...Releasing device...\n"}},
      {"format refused",
       DsCall::SetFormat,
       "Failed to set primary buffer format",
       {"...Releasing primary buffer...\n", "...Releasing device...\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    headless::ResetAudio();
    log_.ClearRecords();
    headless::Audio().Fail(row.fault, DSERR_GENERIC, headless::kEveryCall);
    EXPECT_THROW(SoundSystem_DS7(&log_, &files_, &timers_, nullptr, nullptr, true), Error);
    EXPECT_TRUE(Logged("Error: " + std::string(row.error)));
    std::vector<std::string> expected = {"DirectSound system destroying:\n"};
    expected.insert(expected.end(), row.released.begin(), row.released.end());
    EXPECT_EQ(ReleaseLines(), expected);
    EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
    EXPECT_FALSE(headless::IsAudioOpen());
  }
}

TEST_F(SoundSystemTest, NoSoundDeviceIsToldPlainlyNotAsAnError) {
  headless::Audio().refuseDevice = true;
  EXPECT_THROW(SoundSystem_DS7(&log_, &files_, &timers_, nullptr, nullptr, false), Error);
  EXPECT_TRUE(Logged("...No sound device: the game runs silent"));
  EXPECT_EQ(ErrorCount(), 0);
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
  EXPECT_FALSE(headless::IsAudioOpen());
}

TEST_F(SoundSystemTest, ThreeDSetUpLogsEachStepAndReleasesInReverse) {
  {
    SoundSystem_DS7 system(&log_, &files_, &timers_, nullptr, nullptr, true);
    EXPECT_TRUE(system.Is3D());
    const std::vector<std::string> steps = {"\nInitialization of DirectSound Subsystem:\n",
                                            "...Creating a device...\n",
                                            "...Set cooperative level...\n",
                                            "...Create primary buffer...\n",
                                            "...Set primary buffer format...\n",
                                            "...Get the 3D listener from the primary buffer...\n",
                                            "\n"};
    EXPECT_EQ(Records(), steps);
    headless::ClearAudioCalls();
    log_.ClearRecords();
  }
  EXPECT_EQ(ReleaseLines(),
            (std::vector<std::string>{"DirectSound system destroying:\n", "...Releasing 3D listener...\n",
                                      "...Releasing primary buffer...\n", "...Releasing device...\n"}));
  EXPECT_EQ(
      headless::AudioCalls(),
      (std::vector<DsCall>{DsCall::ReleaseListener, DsCall::ReleasePrimaryBuffer, DsCall::ReleaseDevice}));
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
  EXPECT_FALSE(headless::IsAudioOpen());
}

TEST_F(SoundSystemTest, MissingListenerSwitchesThreeDOffWithoutThrowing) {
  headless::Audio().Fail(DsCall::QueryListener, DSERR_NOINTERFACE, headless::kEveryCall);
  SoundSystem_DS7 system(&log_, &files_, &timers_, nullptr, nullptr, true);
  EXPECT_FALSE(system.Is3D());
  EXPECT_TRUE(Logged("Error: Failed to get the 3D listener from the primary buffer"));
  // The stored listener is reset all the same.
  EXPECT_EQ(system.GetListenerPosition().z, 0.0f);
  EXPECT_EQ(system.GetListenerFront().z, -1.0f);
  EXPECT_EQ(system.GetListenerTop().y, 1.0f);
}

TEST_F(SoundSystemTest, ErrorTextTable) {
  SoundSystem_DS7 system(&log_, &files_, &timers_, nullptr, nullptr, false);
  struct Row {
    HRESULT result;
    const char* text;  // null: nothing logged
  };
  const Row rows[] = {
      {0, nullptr},
      {1, "Unknown error (Code: 1)"},
      {DSERR_BUFFERLOST, "The buffer memory has been lost and must be restored."},
      {static_cast<HRESULT>(0x88780014u), "Unknown error (Code: -2005401580)"},
      {DSERR_NODRIVER, "No sound driver is available for use."},
      {DSERR_INVALIDPARAM, "An invalid parameter was passed to the returning function."},
  };
  for (const Row& row : rows) {
    log_.ClearRecords();
    system.ErrorText("Test::Method", row.result);
    if (!row.text) {
      EXPECT_EQ(log_.GetRecordCount(), 0);
      continue;
    }
    ASSERT_EQ(log_.GetRecordCount(), 1) << row.result;
    EXPECT_EQ(log_.GetRecord(0).text,
              "\nError: DirectSound Subsystem (Test::Method): " + std::string(row.text) + "!\n\n");
  }
}

TEST_F(SoundSystemTest, RefreshRestoresALostPrimaryBufferAndCommitsListenerSettings) {
  SoundSystem_DS7 system(&log_, &files_, &timers_, nullptr, nullptr, true);
  system.SetListenerPosition(Vector3(1, 2, 3));
  EXPECT_EQ(system.GetListenerPosition().y, 2.0f);
  headless::ClearAudioCalls();
  system.Refresh();
  EXPECT_EQ(headless::AudioCalls(), (std::vector<DsCall>{DsCall::GetStatus, DsCall::CommitDeferredSettings}));

  headless::LoseAudioBuffers();
  headless::ClearAudioCalls();
  system.Refresh();
  EXPECT_EQ(headless::AudioCalls(),
            (std::vector<DsCall>{DsCall::GetStatus, DsCall::Restore, DsCall::CommitDeferredSettings}));
  headless::ClearAudioCalls();
  system.Refresh();
  EXPECT_EQ(headless::AudioCalls(), (std::vector<DsCall>{DsCall::GetStatus, DsCall::CommitDeferredSettings}));

  // A failing status query is logged, not thrown.
  log_.ClearRecords();
  headless::Audio().Fail(DsCall::GetStatus, DSERR_GENERIC, 1);
  system.Refresh();
  EXPECT_TRUE(Logged("DirectSound Subsystem (SoundSystem_DS7::Refresh): An undetermined error"));
}

}  // namespace
