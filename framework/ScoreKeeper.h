#pragma once
// ScoreKeeper: the score of one level in play. The game's level logic reads and writes it through
// GameLogicBase::GetScore and SetScore. Main thread only; nothing fails.

#include <cstdint>
#include <map>

namespace GameFramework {

class ScoreKeeper {
 public:
  explicit ScoreKeeper(std::uint32_t startScore) : score(startScore) {}
  virtual ~ScoreKeeper() = default;

  ScoreKeeper(const ScoreKeeper&) = delete;
  ScoreKeeper& operator=(const ScoreKeeper&) = delete;

  // Room for per-kind counts that the framework keeps but never fills.
  std::uint32_t reserved = 0;
  std::map<std::uint32_t, std::uint32_t> counts;
  std::map<std::uint32_t, std::uint32_t> bonuses;
  std::uint32_t multiplier = 1;
  std::uint32_t score;
};

}  // namespace GameFramework
