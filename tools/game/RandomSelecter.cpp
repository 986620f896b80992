#include "tools/game/RandomSelecter.h"

#include <algorithm>
#include <climits>

#include "engine/core/Random.h"

namespace GameTools {

void RandomSelecter::Add(std::uint32_t item, std::uint32_t weight) {
  entries_.push_back(Entry{item, weight});
  total_ += weight;
}

void RandomSelecter::SetWeight(std::uint32_t item, std::uint32_t weight) {
  for (Entry& entry : entries_) {
    if (entry.item == item) {
      total_ = total_ - entry.weight + weight;
      entry.weight = weight;
      return;
    }
  }
  Add(item, weight);
}

std::int32_t RandomSelecter::Draw() const {
  // The engine's draw takes an int range; its numbers never come near the top of it anyway.
  const auto r = static_cast<std::uint64_t>(
      CorvantisEngine::RandomInt(0, static_cast<int>(std::min<std::uint32_t>(total_, INT_MAX))));
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    sum += entries_[i].weight;
    if (sum >= r && entries_[i].weight != 0) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

std::uint32_t RandomSelecter::Select() {
  if (entries_.empty()) {
    return 0;
  }
  std::int32_t chosen = -1;
  for (std::uint32_t tries = 0; tries < kMaxTries; ++tries) {
    const std::int32_t drawn = Draw();
    if (drawn >= 0) {
      chosen = drawn;
    } else if (chosen < 0) {
      // Every weight is 0: any entry, uniformly. Later tries keep it.
      chosen = CorvantisEngine::RandomInt(0, static_cast<int>(entries_.size()) - 1);
    }
    if (chosen != last_) {
      break;
    }
  }
  last_ = chosen;
  return entries_[static_cast<std::size_t>(chosen)].item;
}

}  // namespace GameTools
