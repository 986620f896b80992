#pragma once
// RandomSelecter: picks one of several items at random, each with an integer weight, and avoids giving
// the same entry twice in a row. An entry of weight 0 is never picked by weight; only when every weight
// is 0 are the entries drawn uniformly.
//
// The draws come from the engine's generator (CorvantisEngine::RandomInt), whose numbers are 15 bits
// wide: with weights summing to more than 32767 the entries past that running sum are never reached.
// Seed the engine's generator for a known sequence. One thread at a time; nothing throws except
// std::bad_alloc.

#include <cstdint>
#include <vector>

namespace GameTools {

class RandomSelecter {
 public:
  // How many draws a pick makes at most to find an entry other than the previous one.
  static constexpr std::uint32_t kMaxTries = 1000;

  RandomSelecter() = default;
  virtual ~RandomSelecter() = default;

  // Appends an entry. The same item may be added again; it then has two entries.
  void Add(std::uint32_t item, std::uint32_t weight);
  // Gives the first entry of `item` a new weight, or adds the item when it has no entry.
  void SetWeight(std::uint32_t item, std::uint32_t weight);
  // The item of the chosen entry; 0 when there are no entries.
  std::uint32_t Select();

  std::uint32_t GetTotal() const { return total_; }

 private:
  struct Entry {
    std::uint32_t item;
    std::uint32_t weight;
  };

  // The entry a weighted draw lands on, or -1 when every weight is 0.
  std::int32_t Draw() const;

  std::uint32_t total_ = 0;
  std::vector<Entry> entries_;
  // The entry the previous pick returned; -1 before the first.
  std::int32_t last_ = -1;
};

}  // namespace GameTools
