#include "platform/dsound/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::dsound {

namespace {

template <int Bits>
inline std::int32_t SampleAt(const std::uint8_t* p) {
  if constexpr (Bits == 8) {
    return (static_cast<std::int32_t>(*p) - 128) * 256;
  } else {
    std::int16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
}

// One voice into the accumulator. The fraction is kept to 15 bits so that the interpolation product
// stays inside 32 bits; a step of exactly one frame with gain 65536 copies samples bit for bit.
template <int Channels, int Bits>
void MixLoop(Voice& v, std::uint64_t step, std::int32_t gainLeft, std::int32_t gainRight, std::int32_t* acc,
             std::uint32_t frames) {
  constexpr std::uint32_t kFrameBytes = Channels * Bits / 8;
  constexpr std::uint32_t kSampleBytes = Bits / 8;
  const std::uint8_t* d = v.data->data();
  const std::uint32_t count = v.frames;
  const std::uint64_t end = static_cast<std::uint64_t>(count) << 32;
  std::uint64_t pos = v.position;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const std::uint32_t index = static_cast<std::uint32_t>(pos >> 32);
    const std::int32_t frac = static_cast<std::int32_t>(static_cast<std::uint32_t>(pos) >> 17);
    std::uint32_t next = index + 1;
    if (next >= count)
      next = v.looping ? 0 : index;
    const std::uint8_t* a = d + index * kFrameBytes;
    const std::uint8_t* b = d + next * kFrameBytes;
    std::int32_t left = SampleAt<Bits>(a);
    std::int32_t right = left;
    std::int32_t left1 = SampleAt<Bits>(b);
    std::int32_t right1 = left1;
    if constexpr (Channels == 2) {
      right = SampleAt<Bits>(a + kSampleBytes);
      right1 = SampleAt<Bits>(b + kSampleBytes);
    }
    if (frac != 0) {
      left += ((left1 - left) * frac) >> 15;
      right += ((right1 - right) * frac) >> 15;
    }
    acc[2 * i] += (left * gainLeft) >> 16;
    acc[2 * i + 1] += (right * gainRight) >> 16;
    pos += step;
    if (pos >= end) {
      if (!v.looping) {
        v.playing = false;
        pos = 0;
        break;
      }
      while (pos >= end)
        pos -= end;
    }
  }
  v.position = pos;
}

// A silent voice still moves on.
void Advance(Voice& v, std::uint64_t step, std::uint32_t frames) {
  const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << 32;
  const std::uint64_t pos = v.position + step * frames;
  if (pos < end) {
    v.position = pos;
  } else if (v.looping) {
    v.position = pos % end;
  } else {
    v.playing = false;
    v.position = 0;
  }
}

Vec3 Sub(const Vec3& a, const Vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

std::int32_t Mixer::VolumeToGain(std::int32_t volume) {
  if (volume >= 0)
    return 65536;
  if (volume <= -10000)
    return 0;
  return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, volume / 2000.0)));
}

void Mixer::AddVoice(Voice* voice) {
  voices_.push_back(voice);
}

void Mixer::RemoveVoice(Voice* voice) {
  std::erase(voices_, voice);
}

void Mixer::CommitDeferred() {
  if (listenerPending_) {
    listener_ = pendingListener_;
    listenerPending_ = false;
  }
  for (Voice* v : voices_) {
    if (v->pending3D) {
      v->position3D = v->pendingPosition3D;
      v->pending3D = false;
    }
  }
}

void Mixer::LoseAll() {
  primaryLost_ = true;
  for (Voice* v : voices_) {
    v->lost = true;
    v->playing = false;
  }
}

void Mixer::GainsFor(const Voice& v, std::int32_t& left, std::int32_t& right) const {
  left = right = v.gain;
  if (!v.is3D)
    return;
  // Inverse-distance roll-off beyond one unit and a simple pan along the listener's right-hand axis.
  const Vec3 dir = Sub(v.position3D, listener_.position);
  const float distance = std::sqrt(Dot(dir, dir));
  // Also a NaN position: full gain, since the products below would be converted undefined.
  if (!(distance > 0.0001f))
    return;
  const float attenuation = distance <= 1.0f ? 1.0f : 1.0f / distance;
  Vec3 side = Cross(listener_.top, listener_.front);
  const float sideLength = std::sqrt(Dot(side, side));
  float pan = 0;
  if (sideLength > 0.0001f)
    pan = std::clamp(Dot(dir, side) / (sideLength * distance), -1.0f, 1.0f);
  left = static_cast<std::int32_t>(v.gain * attenuation * std::min(1.0f, 1.0f - pan));
  right = static_cast<std::int32_t>(v.gain * attenuation * std::min(1.0f, 1.0f + pan));
}

void Mixer::MixVoice(Voice& v, std::uint32_t frames) {
  if (!v.playing || v.lost || v.frames == 0 || !v.data)
    return;
  const std::uint64_t step = (static_cast<std::uint64_t>(v.frequency) << 32) / outputRate_;
  std::int32_t gainLeft = 0, gainRight = 0;
  GainsFor(v, gainLeft, gainRight);
  if (gainLeft == 0 && gainRight == 0) {
    Advance(v, step, frames);
    return;
  }
  std::int32_t* acc = accumulator_.data();
  if (v.channels == 2) {
    if (v.bits == 16)
      MixLoop<2, 16>(v, step, gainLeft, gainRight, acc, frames);
    else
      MixLoop<2, 8>(v, step, gainLeft, gainRight, acc, frames);
  } else {
    if (v.bits == 16)
      MixLoop<1, 16>(v, step, gainLeft, gainRight, acc, frames);
    else
      MixLoop<1, 8>(v, step, gainLeft, gainRight, acc, frames);
  }
}

void Mixer::Mix(std::int16_t* out, std::uint32_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  accumulator_.assign(static_cast<std::size_t>(frames) * 2, 0);
  if (outputRate_ != 0) {
    for (Voice* v : voices_)
      MixVoice(*v, frames);
  }
  for (std::size_t i = 0; i < accumulator_.size(); ++i) {
    out[i] = static_cast<std::int16_t>(std::clamp(accumulator_[i], -32768, 32767));
  }
}

}  // namespace platform::dsound
