#include "engine/core/Random.h"

#include <cmath>

namespace CorvantisEngine {

namespace {
std::uint32_t g_randomSeed = 0;
}

void RandomSeed(std::uint32_t value) {
  g_randomSeed = value;
}

int Random() {
  g_randomSeed = g_randomSeed * 1103515245u + 12345u;
  return static_cast<int>((g_randomSeed >> 16) & 0x7FFFu);
}

int RandomInt(int low, int high) {
  // The span is computed in 64 bits: the full int range (span 2^32) would wrap to 0 in 32 bits.
  const std::int64_t span = static_cast<std::int64_t>(high) - low + 1;
  if (span <= 0) {
    return low;
  }
  const auto offset = static_cast<std::uint32_t>(static_cast<std::int64_t>(Random()) % span);
  return static_cast<int>(static_cast<std::uint32_t>(low) + offset);
}

int RandomIntBelow(int n) {
  if (n <= 0) {
    return 0;
  }
  return Random() % n;
}

float RandomFloat() {
  return static_cast<float>(Random()) / 32768.0f;
}

float RandomFloatRange(float a, float b) {
  const float r = RandomFloat() * (b - a) + a;
  // Rounding can carry the largest draws onto b itself when b - a spans only a few float steps.
  if (a < b && r >= b) {
    return std::nextafter(b, a);
  }
  return r;
}

float RandomSignedFloat() {
  return RandomFloat() * 2.0f - 1.0f;
}

float RandomFloatAround(float centre, float range) {
  return RandomSignedFloat() * range + centre;
}

}  // namespace CorvantisEngine
