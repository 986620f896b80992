// The high-score table: its file byte for byte, the order and the per-category limit, damaged files,
// and a save that fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FrameworkTestSupport.h"
#include "engine/core/MessageManager.h"
#include "framework/HighScoresTable.h"
#include "framework/SaveProblems.h"

namespace GameFramework {
namespace {

using frameworktest::U32;
using frameworktest::WithHeader;
using frameworktest::WStr;

class HighScoresTableTest : public frameworktest::SaveFolderTest {
 protected:
  std::unique_ptr<HighScoresTable> Open(std::uint32_t limit = 10) {
    return std::make_unique<HighScoresTable>(engine_, limit, Save());
  }
  static std::string Entry(const std::wstring& name, std::uint32_t category, std::uint32_t score,
                           std::uint32_t sequence) {
    return WStr(name) + U32(category) + U32(score) + U32(sequence);
  }
  std::string File(std::uint32_t next, std::uint32_t count, const std::string& entries) {
    return WithHeader("GFHSF", 101, U32(next) + U32(count) + entries);
  }
  // (name, score) of each entry in list order.
  static std::vector<std::pair<std::wstring, std::uint32_t>> Listing(const HighScoresTable& table) {
    std::vector<std::pair<std::wstring, std::uint32_t>> out;
    for (const auto& e : table.GetEntries())
      out.emplace_back(e->name, e->score);
    return out;
  }
};

TEST_F(HighScoresTableTest, FirstStartWritesAnEmptyTableOf21Bytes) {
  auto table = Open();
  EXPECT_TRUE(table->GetEntries().empty());
  EXPECT_EQ(Read("high_scores.hsf"), File(0, 0, ""));
  EXPECT_EQ(Read("high_scores.hsf").size(), 21u);
}

TEST_F(HighScoresTableTest, ScoresAreSavedInOrderAndReadBack) {
  {
    auto table = Open();
    table->AddScore(L"Anna", 0, 300);
    table->AddScore(L"Bo", 1, 500);
    table->AddScore(L"Cy", 0, 300);  // a tie: the older entry stays first
    table->AddScore(L"Di", 0, 0);    // a zero score counts like any other
  }
  const std::string expected = File(
      4, 4,
      Entry(L"Bo", 1, 500, 1) + Entry(L"Anna", 0, 300, 0) + Entry(L"Cy", 0, 300, 2) + Entry(L"Di", 0, 0, 3));
  EXPECT_EQ(Read("high_scores.hsf"), expected);

  auto table = Open();
  using L = std::vector<std::pair<std::wstring, std::uint32_t>>;
  EXPECT_EQ(Listing(*table), (L{{L"Bo", 500}, {L"Anna", 300}, {L"Cy", 300}, {L"Di", 0}}));
  EXPECT_EQ(table->GetNextSequence(), 4u);
  EXPECT_EQ(table->GetEntries()[1]->category, 0u);
  EXPECT_EQ(table->GetEntries()[1]->sequence, 0u);
}

TEST_F(HighScoresTableTest, EachCategoryKeepsItsLimit) {
  auto table = Open(3);
  for (std::uint32_t i = 0; i < 3; ++i)
    table->AddScore(L"n" + std::to_wstring(i), 0, 100 * (i + 1));  // 100, 200, 300
  table->AddScore(L"relax", 1, 50);

  struct Step {
    std::uint32_t category;
    std::uint32_t score;
    bool enters;
    const char* why;
  };
  const Step steps[] = {
      {0, 100, false, "equal to the lowest: the older entry keeps its place"},
      {0, 99, false, "below the lowest of a full category"},
      {0, 150, true, "above the lowest: the lowest goes"},
      {1, 1, true, "another category is not full"},
      {1, 1000, true, "a category-1 score never removes a category-0 entry"},
      {1, 2000, true, "category 1 full now: its lowest goes"},
  };
  std::uint32_t sequence = table->GetNextSequence();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    const HighScoreEntry* entry = table->AddScore(L"x", step.category, step.score);
    EXPECT_EQ(entry != nullptr, step.enters);
    if (entry != nullptr) {
      EXPECT_EQ(entry->score, step.score);
    }
    // The sequence moves on and the file is rewritten either way.
    EXPECT_EQ(table->GetNextSequence(), ++sequence);
    EXPECT_EQ(Read("high_scores.hsf").substr(13, 4), U32(sequence));
  }
  using L = std::vector<std::pair<std::wstring, std::uint32_t>>;
  EXPECT_EQ(Listing(*table),
            (L{{L"x", 2000}, {L"x", 1000}, {L"n2", 300}, {L"n1", 200}, {L"x", 150}, {L"relax", 50}}));
}

TEST_F(HighScoresTableTest, LongNamesAreCutToWhatTheFileHolds) {
  auto table = Open();
  const HighScoreEntry* entry = table->AddScore(std::wstring(300, L'z'), 0, 1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name.size(), 254u);
  EXPECT_EQ(Read("high_scores.hsf").size(), 21u + 1 + 2 * 255 + 12);
  EXPECT_EQ(Open()->GetEntries()[0]->name, std::wstring(254, L'z'));
}

TEST_F(HighScoresTableTest, ADamagedFileGivesAnEmptyTableWrittenAtOnce) {
  const std::string one = Entry(L"Anna", 0, 10, 0);
  const std::string good = File(1, 1, one);
  struct Row {
    std::string bytes;
    const char* why;
  };
  const Row rows[] = {
      {WithHeader("GFHSX", 101, U32(1) + U32(1) + one), "wrong magic"},
      {WithHeader("GFHSF", 100, U32(1) + U32(1) + one), "older version"},
      {good.substr(0, good.size() - 1), "cut short: the length no longer matches"},
      {good + "x", "one byte too many"},
      {File(1, 2, one), "more entries than the file holds"},
      {File(1, 0xFFFFFFFFu, one), "a count that would exhaust memory"},
      {File(1, 1, one.substr(0, 6)), "an entry cut inside the name"},
      {good.substr(0, 10), "shorter than the header"},
      {"", "empty file"},
  };
  int warnings = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Write("high_scores.hsf", row.bytes);
    auto table = Open();
    EXPECT_TRUE(table->GetEntries().empty());
    EXPECT_EQ(table->GetNextSequence(), 0u);
    EXPECT_EQ(Read("high_scores.hsf"), File(0, 0, ""));
    // The old bytes stay beside it, and the log says which file and why.
    EXPECT_EQ(Read("high_scores.hsf.damaged"), row.bytes);
    EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning, "high_scores.hsf\" is damaged ("),
              ++warnings);
    EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning,
                          "kept in \"" + Save() + "\\high_scores.hsf.damaged\""),
              warnings);
  }
  // The control: the good file reads.
  Write("high_scores.hsf", good);
  EXPECT_EQ(Open()->GetEntries().size(), 1u);
}

TEST_F(HighScoresTableTest, AFileThatCannotBeOpenedIsNeverWrittenOver) {
  // A folder where the file should be: it is there, but it opens as no file (as a file of another user
  // or without read permission does, which the root user cannot be shown).
  std::filesystem::create_directories(rig_.Folder().Host("save/high_scores.hsf"));
  auto table = Open();
  EXPECT_TRUE(table->IsFileKept());
  EXPECT_TRUE(table->GetEntries().empty());
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "high_scores.hsf\" cannot be read"), 1);
  EXPECT_NE(table->AddScore(L"Anna", 0, 10), nullptr);  // kept in memory for this session
  EXPECT_FALSE(table->Save());
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "Failed to save"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(rig_.Folder().Host("save/high_scores.hsf")));
  EXPECT_FALSE(Exists("high_scores.hsf.damaged"));
  std::vector<std::string> unread;
  ASSERT_TRUE(SaveProblems::Get().TakeUnreadFiles(unread));
  EXPECT_EQ(unread, (std::vector<std::string>{rig_.Folder().Host("save/high_scores.hsf").string()}));

  if (::geteuid() != 0) {
    std::filesystem::remove(rig_.Folder().Host("save/high_scores.hsf"));
    const std::string whole = File(1, 1, Entry(L"Bo", 0, 5, 0));
    Write("high_scores.hsf", whole);
    std::filesystem::permissions(rig_.Folder().Host("save/high_scores.hsf"), std::filesystem::perms::none);
    Open()->AddScore(L"Cy", 0, 7);
    std::filesystem::permissions(rig_.Folder().Host("save/high_scores.hsf"),
                                 std::filesystem::perms::owner_all);
    EXPECT_EQ(Read("high_scores.hsf"), whole);
  }
}

TEST_F(HighScoresTableTest, ADamagedFileWhoseBytesCannotBeKeptStaysAsItIs) {
  // A folder where the copy would go: the damaged file is the only place its entries are.
  const std::string damaged = File(1, 2, Entry(L"Anna", 0, 10, 0));
  Write("high_scores.hsf", damaged);
  std::filesystem::create_directories(rig_.Folder().Host("save/high_scores.hsf.damaged"));
  auto table = Open();
  EXPECT_TRUE(table->IsFileKept());
  EXPECT_TRUE(table->GetEntries().empty());
  table->AddScore(L"Bo", 0, 5);
  EXPECT_EQ(Read("high_scores.hsf"), damaged);
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "no copy of it could be made"), 1);
}

TEST_F(HighScoresTableTest, ASaveCutOffByAKillIsRemovedAtStart) {
  Write("high_scores.hsf", File(0, 0, ""));
  Write("high_scores.hsf.tmp", std::string("\0\0\0\0GFHSF", 9));
  Open();
  EXPECT_FALSE(Exists("high_scores.hsf.tmp"));
  EXPECT_EQ(
      CountLogged(CorvantisEngine::LogRecord::kMessage, "high_scores.hsf.tmp\", a save that was cut off"), 1);
}

TEST_F(HighScoresTableTest, AnUnsortedFileIsKeptAsReadUntilTheNextScore) {
  Write("high_scores.hsf", File(9, 3, Entry(L"a", 0, 1, 0) + Entry(L"b", 0, 5, 1) + Entry(L"c", 0, 3, 2)));
  auto table = Open(2);
  using L = std::vector<std::pair<std::wstring, std::uint32_t>>;
  EXPECT_EQ(Listing(*table), (L{{L"a", 1}, {L"b", 5}, {L"c", 3}}));
  table->AddScore(L"d", 0, 4);
  EXPECT_EQ(Listing(*table), (L{{L"b", 5}, {L"d", 4}}));
  EXPECT_EQ(table->GetEntries()[1]->sequence, 9u);
}

TEST_F(HighScoresTableTest, AFailedSaveIsLoggedAndKeepsTheOldFile) {
  auto table = Open();
  table->AddScore(L"Anna", 0, 10);
  const std::string before = Read("high_scores.hsf");
  {
    frameworktest::FileSizeLimit limit(before.size() + 4);
    EXPECT_NE(table->AddScore(L"Bo", 0, 20), nullptr);
  }
  EXPECT_EQ(Read("high_scores.hsf"), before);
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "high_scores.hsf"), 1);
  // The player is to be told once, with the folder.
  SaveProblems::WriteFailure failure;
  ASSERT_TRUE(SaveProblems::Get().TakeWriteFailure(failure));
  EXPECT_EQ(failure.folder, rig_.Folder().Host("save").string());
  EXPECT_FALSE(failure.reason.empty());
  EXPECT_FALSE(SaveProblems::Get().TakeWriteFailure(failure));
  // The table in memory is still whole, and the next save succeeds.
  EXPECT_EQ(table->GetEntries().size(), 2u);
  EXPECT_TRUE(table->Save());
  EXPECT_EQ(Open()->GetEntries().size(), 2u);
}

}  // namespace
}  // namespace GameFramework
