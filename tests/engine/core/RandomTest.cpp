#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "engine/core/Random.h"

using namespace CorvantisEngine;

TEST(Random, KnownSequenceFromASeed) {
  RandomSeed(0);
  EXPECT_EQ(Random(), 0);
  EXPECT_EQ(Random(), 21468);
  EXPECT_EQ(Random(), 9988);

  // Reseeding restarts the sequence; the seed wraps modulo 2^32.
  RandomSeed(12345);
  const int first = Random();
  const int second = Random();
  RandomSeed(12345);
  EXPECT_EQ(Random(), first);
  EXPECT_EQ(Random(), second);

  RandomSeed(0xFFFFFFFFu);
  // 0xFFFFFFFF * 1103515245 + 12345 = 0xBE39E1CC (mod 2^32); its top 15 bits after the shift.
  EXPECT_EQ(Random(), static_cast<int>((0xBE39E1CCu >> 16) & 0x7FFF));
}

TEST(Random, IntegerRangesStayInsideTheirBounds) {
  RandomSeed(7);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    const int value = RandomInt(-3, 3);
    ASSERT_GE(value, -3);
    ASSERT_LE(value, 3);
    seen.insert(value);
    const int below = RandomIntBelow(5);
    ASSERT_GE(below, 0);
    ASSERT_LT(below, 5);
  }
  EXPECT_EQ(seen.size(), 7u) << "every value of a small span comes up";

  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(RandomInt(3, 3), 3);
  }
  // Empty spans answer the low end instead of dividing by zero.
  EXPECT_EQ(RandomInt(5, 4), 5);
  EXPECT_EQ(RandomInt(5, -100), 5);
  EXPECT_EQ(RandomIntBelow(0), 0);
  EXPECT_EQ(RandomIntBelow(-4), 0);
  // The full int range is a span of 2^32: it must not wrap to an empty span.
  RandomSeed(0);
  Random();
  EXPECT_EQ(RandomInt(INT_MIN, INT_MAX), INT_MIN + 21468);
}

TEST(Random, RandomIntUsesOneDrawModuloTheSpan) {
  RandomSeed(0);
  Random();  // 0
  EXPECT_EQ(RandomInt(10, 19), 10 + 21468 % 10);
  EXPECT_EQ(RandomIntBelow(1000), 9988 % 1000);
}

TEST(Random, FloatVariantsCoverTheirHalfOpenRanges) {
  RandomSeed(0);
  Random();
  EXPECT_FLOAT_EQ(RandomFloat(), 21468.0f / 32768.0f);

  RandomSeed(99);
  for (int i = 0; i < 5000; ++i) {
    const float unit = RandomFloat();
    ASSERT_GE(unit, 0.0f);
    ASSERT_LT(unit, 1.0f);
    const float range = RandomFloatRange(2.0f, 4.0f);
    ASSERT_GE(range, 2.0f);
    ASSERT_LT(range, 4.0f);
    const float signedValue = RandomSignedFloat();
    ASSERT_GE(signedValue, -1.0f);
    ASSERT_LT(signedValue, 1.0f);
    const float around = RandomFloatAround(10.0f, 0.5f);
    ASSERT_GE(around, 9.5f);
    ASSERT_LT(around, 10.5f);
  }
}

TEST(Random, FloatRangeNeverReturnsItsUpperEndDespiteRounding) {
  // b - a is a few float steps here: the largest draw (32767/32768) would round onto b.
  const float a = 1000.0f;
  const float b = 1000.001f;
  for (std::uint32_t seed = 0; seed < 200000; ++seed) {
    RandomSeed(seed);
    const float value = RandomFloatRange(a, b);
    ASSERT_GE(value, a);
    ASSERT_LT(value, b) << "seed " << seed;
  }
}
