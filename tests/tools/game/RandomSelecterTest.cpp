#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/core/Random.h"
#include "tools/game/RandomSelecter.h"

namespace GameTools {
namespace {

struct Weighted {
  std::uint32_t item;
  std::uint32_t weight;
};

// Counts what `picks` selections return, from a seeded generator.
std::map<std::uint32_t, int> Counts(RandomSelecter& selecter, int picks,
                                    std::vector<std::uint32_t>* order = nullptr) {
  std::map<std::uint32_t, int> counts;
  for (int i = 0; i < picks; ++i) {
    const std::uint32_t item = selecter.Select();
    ++counts[item];
    if (order != nullptr) {
      order->push_back(item);
    }
  }
  return counts;
}

TEST(RandomSelecter, PicksTable) {
  struct Row {
    std::vector<Weighted> entries;
    std::vector<std::uint32_t> possible;  // the items that may come out
    bool alternates;                      // no item twice in a row
    const char* why;
  };
  const Row rows[] = {
      {{{7, 5}}, {7}, false, "one entry: every time, after the tries run out"},
      {{{1, 20}, {2, 16}, {3, 0}, {4, 0}}, {1, 2}, true, "zero weights never; the others alternate"},
      {{{1, 0}, {2, 0}, {3, 0}}, {1, 2, 3}, false, "all zero: drawn uniformly"},
      {{{1, 1}, {2, 1}, {3, 1}}, {1, 2, 3}, true, "equal weights"},
      {{{1, 0}, {2, 3}}, {2}, false, "a single non-zero weight wins every time"},
      {{{9, 2}, {9, 2}}, {9}, true, "the same item twice: two entries, which alternate"},
  };
  for (const Row& row : rows) {
    CorvantisEngine::RandomSeed(12345);
    RandomSelecter selecter;
    std::uint32_t total = 0;
    for (const Weighted& entry : row.entries) {
      selecter.Add(entry.item, entry.weight);
      total += entry.weight;
    }
    EXPECT_EQ(selecter.GetTotal(), total) << row.why;
    std::vector<std::uint32_t> order;
    const auto counts = Counts(selecter, 300, &order);
    for (const auto& [item, count] : counts) {
      EXPECT_NE(std::find(row.possible.begin(), row.possible.end(), item), row.possible.end())
          << row.why << ": item " << item;
    }
    EXPECT_EQ(counts.size(), row.possible.size()) << row.why << ": each possible item comes out";
    if (row.alternates && row.entries[0].item != row.entries[1].item) {
      for (std::size_t i = 1; i < order.size(); ++i) {
        ASSERT_NE(order[i], order[i - 1]) << row.why << " at pick " << i;
      }
    }
  }
}

TEST(RandomSelecter, WeightsSteerTheOdds) {
  CorvantisEngine::RandomSeed(99);
  RandomSelecter selecter;
  selecter.Add(1, 30);
  selecter.Add(2, 10);
  selecter.Add(3, 10);
  const auto counts = Counts(selecter, 6000);
  // Repeats are drawn again: after a 1 the next pick is 2 or 3 evenly, after a 2 it is 1 three times in
  // four. In the long run that gives 1 three sevenths of the picks (2571) and 2 and 3 two sevenths each.
  EXPECT_NEAR(counts.at(1), 2571, 200);
  EXPECT_NEAR(counts.at(2), 1714, 200);
  EXPECT_NEAR(counts.at(3), 1714, 200);
}

TEST(RandomSelecter, SetWeightChangesTheFirstEntryOrAdds) {
  CorvantisEngine::RandomSeed(7);
  RandomSelecter selecter;
  selecter.Add(1, 20);
  selecter.Add(2, 16);
  selecter.Add(3, 0);
  EXPECT_EQ(Counts(selecter, 200).count(3), 0u);
  selecter.SetWeight(3, 12);
  EXPECT_EQ(selecter.GetTotal(), 48u);
  EXPECT_GT(Counts(selecter, 200).at(3), 0);
  selecter.SetWeight(1, 0);
  EXPECT_EQ(selecter.GetTotal(), 28u);
  EXPECT_EQ(Counts(selecter, 200).count(1), 0u);
  selecter.SetWeight(4, 5);
  EXPECT_EQ(selecter.GetTotal(), 33u) << "an unknown item is added";
  EXPECT_GT(Counts(selecter, 200).at(4), 0);
}

TEST(RandomSelecter, EmptyGivesZeroAndDrawsNothing) {
  CorvantisEngine::RandomSeed(5);
  RandomSelecter selecter;
  EXPECT_EQ(selecter.Select(), 0u);
  const int next = CorvantisEngine::Random();
  CorvantisEngine::RandomSeed(5);
  EXPECT_EQ(CorvantisEngine::Random(), next) << "no random number was used";
}

TEST(RandomSelecter, HugeWeightsDoNotOverflow) {
  CorvantisEngine::RandomSeed(3);
  RandomSelecter selecter;
  selecter.Add(1, 0xFFFFFFF0u);
  selecter.Add(2, 0x7u);
  std::vector<std::uint32_t> order;
  Counts(selecter, 50, &order);
  EXPECT_EQ(order[0], 1u) << "the running sum reaches any draw in the first entry";
}

}  // namespace
}  // namespace GameTools
