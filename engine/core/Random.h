#pragma once
// The engine's pseudo-random generator: a 32-bit linear congruential generator whose only state is one
// seed, 0 at program start. The Engine seeds it once from the millisecond tick count; a test or a
// replay may seed it to get a known sequence. The seed is one unguarded global: call these from one
// thread at a time.

#include <cstdint>

namespace CorvantisEngine {

void RandomSeed(std::uint32_t value);

// The next number of the sequence, 0 to 32767.
int Random();

// low to high inclusive. An empty span (high < low) gives low.
int RandomInt(int low, int high);
// 0 to n - 1; n of 0 or less gives 0.
int RandomIntBelow(int n);

// 0 <= r < 1 in steps of 1/32768.
float RandomFloat();
// a <= r < b when a < b.
float RandomFloatRange(float a, float b);
// -1 <= r < 1.
float RandomSignedFloat();
// centre - range <= r < centre + range.
float RandomFloatAround(float centre, float range);

}  // namespace CorvantisEngine
