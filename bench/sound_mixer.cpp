// The software mixer under the DirectSound-shaped layer: 32 looping voices (mono and stereo, 8 and
// 16 bits, 11025 to 48000 Hz, so most are resampled, at different volumes) mixed to 44.1 kHz 16-bit
// stereo. The counter core_fraction is the share of one core that one second of audio costs
// (the target is below 0.02).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/headless/HeadlessAudio.h"

namespace {

void BM_Mix32Voices(benchmark::State& state) {
  namespace headless = platform::headless;
  headless::ResetAudio();
  headless::Audio().rate = 44100;
  IDirectSound* device = nullptr;
  if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK) {
    state.SkipWithError("no device");
    return;
  }
  device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
  const DWORD rates[] = {11025, 22050, 44100, 48000};
  std::vector<IDirectSoundBuffer*> buffers;
  for (int i = 0; i < 32; ++i) {
    const WORD channels = static_cast<WORD>(1 + i % 2);
    const WORD bits = static_cast<WORD>(i % 4 == 3 ? 8 : 16);
    const DWORD rate = rates[i % 4];
    WAVEFORMATEX format{WAVE_FORMAT_PCM, channels, rate, 0, static_cast<WORD>(channels * bits / 8), bits, 0};
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    const DWORD bytes = rate * format.nBlockAlign * 2;  // two seconds
    DSBUFFERDESC description{
        sizeof(DSBUFFERDESC), DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY, bytes, 0, &format, GUID_NULL};
    IDirectSoundBuffer* buffer = nullptr;
    device->CreateSoundBuffer(&description, &buffer, nullptr);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER);
    auto* bytesOut = static_cast<std::uint8_t*>(p1);
    for (DWORD b = 0; b < n1; ++b)
      bytesOut[b] = static_cast<std::uint8_t>(b * 37 + i);
    buffer->Unlock(p1, n1, p2, n2);
    buffer->SetVolume(-(i * 97) % 3000);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    buffers.push_back(buffer);
  }
  std::vector<std::int16_t> out(1024 * 2);
  for (auto _ : state) {
    // One second of audio in the device's usual blocks.
    for (int block = 0; block < 44100 / 1024 + 1; ++block)
      headless::PullAudio(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["core_fraction"] = benchmark::Counter(
      static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  for (auto* buffer : buffers)
    buffer->Release();
  device->Release();
  headless::ResetAudio();
}
BENCHMARK(BM_Mix32Voices)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
