#include "platform/headless/HeadlessAudio.h"

#include <algorithm>
#include <map>

#include "platform/dsound/Mixer.h"

namespace platform::headless {

using platform::dsound::DsCall;
using platform::dsound::Mixer;

namespace {

constexpr std::size_t kMaxRecordedCalls = 1u << 20;

struct PlannedFault {
  HRESULT result;
  int times;
};

struct AudioState {
  AudioPlan plan;
  std::map<DsCall, PlannedFault> faults;
  std::vector<DsCall> calls;
  Mixer* openMixer = nullptr;
};

AudioState& State() {
  static AudioState state;
  return state;
}

class HeadlessAudioDriver final : public platform::dsound::AudioDriver {
 public:
  ~HeadlessAudioDriver() override { Close(); }

  std::uint32_t Open(std::uint32_t) override {
    if (State().plan.refuseDevice)
      return 0;
    return State().plan.rate;
  }
  void Start(Mixer* mixer) override {
    mixer_ = mixer;
    State().openMixer = mixer;
  }
  void Close() override {
    if (mixer_ && State().openMixer == mixer_)
      State().openMixer = nullptr;
    mixer_ = nullptr;
  }
  HRESULT Fault(DsCall call) override {
    AudioState& s = State();
    // A long headless run keeps the first calls only, so the record cannot grow without bound.
    if (s.calls.size() < kMaxRecordedCalls)
      s.calls.push_back(call);
    auto it = s.faults.find(call);
    if (it == s.faults.end())
      return 0;
    const HRESULT result = it->second.result;
    if (it->second.times > 0 && --it->second.times == 0)
      s.faults.erase(it);
    return result;
  }

 private:
  Mixer* mixer_ = nullptr;
};

}  // namespace

void AudioPlan::Fail(DsCall call, HRESULT result, int times) {
  if (times == 0)
    return;
  State().faults[call] = PlannedFault{result, times};
}

AudioPlan& Audio() {
  return State().plan;
}

void ResetAudio() {
  AudioState& s = State();
  s.plan = AudioPlan{};
  s.faults.clear();
  s.calls.clear();
}

std::unique_ptr<platform::dsound::AudioDriver> CreateAudioDriver() {
  return std::make_unique<HeadlessAudioDriver>();
}

bool IsAudioOpen() {
  return State().openMixer != nullptr;
}

bool PullAudio(std::int16_t* out, std::uint32_t frames) {
  Mixer* mixer = State().openMixer;
  if (!mixer) {
    std::fill(out, out + static_cast<std::size_t>(frames) * 2, std::int16_t{0});
    return false;
  }
  mixer->Mix(out, frames);
  return true;
}

std::vector<std::int16_t> PullAudio(std::uint32_t frames) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
  PullAudio(out.data(), frames);
  return out;
}

void LoseAudioBuffers() {
  Mixer* mixer = State().openMixer;
  if (!mixer)
    return;
  std::lock_guard<std::mutex> lock(mixer->Lock());
  mixer->LoseAll();
}

const std::vector<DsCall>& AudioCalls() {
  return State().calls;
}
void ClearAudioCalls() {
  State().calls.clear();
}

}  // namespace platform::headless
