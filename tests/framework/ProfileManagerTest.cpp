// The profile manager and "profiles.pmf": first start, the list file's bytes, add, rename and delete,
// best-time records, damaged files, and the volumes handed between profile and audio manager.
#include <gtest/gtest.h>

#include <filesystem>

#include "FrameworkTestSupport.h"
#include "TestProfiles.h"
#include "engine/core/Random.h"
#include "framework/AudioManager.h"
#include "framework/ProfileManagerBase.h"
#include "framework/SaveProblems.h"

namespace GameFramework {
namespace {

using frameworktest::F32;
using frameworktest::TestProfile;
using frameworktest::TestProfileManager;
using frameworktest::U32;
using frameworktest::WithHeader;
using frameworktest::WStr;

class ProfileManagerTest : public frameworktest::SaveFolderTest {
 protected:
  ProfileManagerTest() { audio_ = std::make_unique<AudioManager>(engine_, 0.285f, 0.315f); }

  std::unique_ptr<TestProfileManager> Open() {
    return std::make_unique<TestProfileManager>(engine_, audio_.get(), Save());
  }
  std::string List() const { return Read("profiles.pmf"); }
  static std::string ListFile(const std::wstring& current, std::uint32_t count, const std::string& records) {
    return WithHeader("QLPMF", 100, WStr(current) + U32(count) + records);
  }
  static std::string Record(std::uint32_t stage, std::uint32_t level, const std::wstring& holder,
                            std::uint32_t mode, float time) {
    return U32(stage) + U32(level) + WStr(holder) + U32(mode) + F32(time);
  }

  std::unique_ptr<AudioManager> audio_;
};

TEST_F(ProfileManagerTest, FirstStartWritesAnEmptyListOf20Bytes) {
  auto manager = Open();
  EXPECT_TRUE(manager->GetProfiles().empty());
  EXPECT_EQ(manager->GetCurrentProfile(), nullptr);
  const std::string expected = std::string("\x14\0\0\0QLPMF\x64\0\0\0\x01\0\0\0\0\0\0", 20);
  EXPECT_EQ(List(), expected);
  // It reads back as it is: no error is logged and nothing is written but the same bytes.
  Open();
  EXPECT_EQ(List(), expected);
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "profiles.pmf"), 0);
}

TEST_F(ProfileManagerTest, ProfilesAreAddedSortedAndTheListRemembersTheCurrentOne) {
  {
    auto manager = Open();
    ProfileBase* zoe = manager->AddProfile(L"zoe");
    ProfileBase* anna = manager->AddProfile(L"Anna");
    EXPECT_EQ(manager->AddProfile(L"ANNA "), anna);  // letter case and spaces make no new profile
    EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"zoe"}));
    EXPECT_EQ(manager->GetCurrentProfile(), nullptr);  // adding does not choose
    manager->SetCurrentProfile(zoe, true);
    EXPECT_EQ(List(), ListFile(L"zoe", 0, ""));
    // The new profile holds the audio manager's volumes in its file.
    auto loaded = std::make_unique<TestProfile>(engine_, anna->GetFileName(), Save(), TestProfile::Open{});
    EXPECT_FLOAT_EQ(loaded->GetSettings().musicVolume, 0.285f);
    EXPECT_FLOAT_EQ(loaded->GetSettings().soundVolume, 0.315f);
    EXPECT_EQ(Read("profiles/" + anna->GetFileName()).size(), 117u);
  }
  auto manager = Open();
  EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"zoe"}));
  ASSERT_NE(manager->Current(), nullptr);
  EXPECT_EQ(manager->Current()->GetName(), L"zoe");
  EXPECT_EQ(manager->Current()->money, 1500u);
}

TEST_F(ProfileManagerTest, RenamingRefusesTakenNamesAndKeepsTheListSorted) {
  auto manager = Open();
  manager->AddProfile(L"Anna");
  ProfileBase* bo = manager->AddProfile(L"Bo");
  manager->SetCurrentProfile(bo, true);

  manager->RenameProfile(L"Bo", L"anna");  // taken, whatever the case
  manager->RenameProfile(L"Bo", L"BO");    // a change of case alone is refused too
  manager->RenameProfile(L"Nobody", L"Cy");
  EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"Bo"}));

  manager->RenameProfile(L"bo", L" Aaron ");
  EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Aaron", L"Anna"}));
  EXPECT_EQ(List(), ListFile(L"Aaron", 0, ""));
  EXPECT_EQ(Open()->Current()->GetName(), L"Aaron");
}

TEST_F(ProfileManagerTest, DeletingTheCurrentProfileChoosesTheFirstAndKeepsTheRecords) {
  auto manager = Open();
  ProfileBase* cy = manager->AddProfile(L"Cy");
  manager->AddProfile(L"Bo");
  manager->AddProfile(L"Anna");
  manager->SetCurrentProfile(cy, true);
  manager->AddRecord({0, 1}, L"Cy", 0, 50.0f);
  const std::string cyFile = cy->GetFileName();

  manager->DeleteProfile(L"nobody");
  manager->DeleteProfile(L"CY");
  EXPECT_FALSE(Exists("profiles/" + cyFile));
  EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"Bo"}));
  EXPECT_EQ(manager->Current()->GetName(), L"Anna");
  manager->DeleteProfile(L"Bo");  // not current: the current one stays
  EXPECT_EQ(manager->Current()->GetName(), L"Anna");
  manager->DeleteProfile(L"Anna");
  EXPECT_EQ(manager->GetCurrentProfile(), nullptr);
  EXPECT_EQ(List(), ListFile(L"", 1, Record(0, 1, L"Cy", 0, 50.0f)));
}

TEST_F(ProfileManagerTest, ARecordIsReplacedOnlyByAFasterTime) {
  auto manager = Open();
  struct Step {
    LevelPosition position;
    const wchar_t* holder;
    std::uint32_t mode;
    float time;
    bool isRecord;
    const char* why;
  };
  const Step steps[] = {
      {{0, 2}, L"Anna", 0, 40.0f, true, "first finish"},
      {{0, 2}, L"Bo", 1, 60.0f, true, "the same level in relax mode is its own record"},
      {{0, 2}, L"Bo", 0, 40.0f, false, "an equal time does not replace the holder"},
      {{0, 2}, L"Bo", 0, 41.0f, false, "slower"},
      {{0, 2}, L"Cy", 0, 39.5f, true, "faster"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    EXPECT_EQ(manager->AddRecord(step.position, step.holder, step.mode, step.time), step.isRecord);
  }
  const std::string expected =
      ListFile(L"", 2, Record(0, 2, L"Cy", 0, 39.5f) + Record(0, 2, L"Bo", 1, 60.0f));
  EXPECT_EQ(List(), expected);
  auto reopened = Open();
  ASSERT_EQ(reopened->GetRecords().size(), 2u);
  EXPECT_EQ(reopened->FindRecord({0, 2}, 0)->name, L"Cy");
  EXPECT_EQ(reopened->FindRecord({0, 2}, 1)->time, 60.0f);
  EXPECT_EQ(List(), expected);
}

TEST_F(ProfileManagerTest, ADamagedListIsReplacedAndTheFirstProfileBecomesCurrent) {
  {
    auto manager = Open();
    manager->AddProfile(L"Bo");
    manager->AddProfile(L"Anna");
    manager->AddRecord({0, 0}, L"Bo", 0, 9.0f);
  }
  const std::string records = Record(0, 0, L"Bo", 0, 9.0f);
  struct Row {
    std::string bytes;
    std::uint32_t recordsKept;
    const char* why;
  };
  const Row rows[] = {
      {WithHeader("QLPMX", 100, WStr(L"Bo") + U32(1) + records), 0, "wrong magic"},
      {WithHeader("QLPMF", 101, WStr(L"Bo") + U32(1) + records), 0, "another version"},
      {WithHeader("QLPMF", 100, WStr(L"Bo") + U32(2) + records), 0, "more records than the file holds"},
      {WithHeader("QLPMF", 100, WStr(L"Bo") + U32(0x7FFFFFFFu) + records), 0,
       "a count that would exhaust memory"},
      {ListFile(L"Bo", 1, records).substr(0, 30), 0, "cut short"},
      {ListFile(L"Nobody", 1, records), 1, "a current name that matches no profile"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Write("profiles.pmf", row.bytes);
    std::filesystem::remove(rig_.Folder().Host("save/profiles.pmf.damaged"));
    auto manager = Open();
    EXPECT_EQ(manager->GetProfiles().size(), 2u);
    ASSERT_NE(manager->GetCurrentProfile(), nullptr);
    EXPECT_EQ(manager->Current()->GetName(), L"Anna");
    EXPECT_EQ(manager->GetRecords().size(), row.recordsKept);
    EXPECT_EQ(List(), ListFile(L"Anna", row.recordsKept, row.recordsKept ? records : ""));
    // A damaged list keeps its bytes beside the new one; a whole list needs no copy.
    if (row.recordsKept == 0)
      EXPECT_EQ(Read("profiles.pmf.damaged"), row.bytes);
    else
      EXPECT_FALSE(Exists("profiles.pmf.damaged"));
  }
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning, "profiles.pmf\" is damaged ("), 5);
}

TEST_F(ProfileManagerTest, AListThatCannotBeOpenedIsNeverWrittenOver) {
  Open()->AddProfile(L"Anna");
  std::filesystem::remove(rig_.Folder().Host("save/profiles.pmf"));
  std::filesystem::create_directories(rig_.Folder().Host("save/profiles.pmf"));
  auto manager = Open();
  EXPECT_TRUE(manager->IsListFileKept());
  ASSERT_NE(manager->Current(), nullptr);  // the first player, for this session
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "profiles.pmf\" cannot be read"), 1);
  EXPECT_FALSE(manager->SaveList());
  manager->AddProfile(L"Bo");
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, "Failed to save"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(rig_.Folder().Host("save/profiles.pmf")));
  EXPECT_FALSE(Exists("profiles.pmf.damaged"));
}

TEST_F(ProfileManagerTest, AnUnreadableProfileIsLeftOutAndLeftOnDiskButNotUnsaid) {
  std::string boFile;
  {
    auto manager = Open();
    ProfileBase* bo = manager->AddProfile(L"Bo");
    boFile = bo->GetFileName();
    manager->SetCurrentProfile(bo, true);
    manager->AddProfile(L"Anna");
  }
  Write("profiles/broken.prf", WithHeader("PZPRF", 105, WStr(L"X") + U32(0xFFFFFFFFu)));
  Write("profiles/old.prf", WithHeader("PZPRF", 104, ""));
  {
    auto manager = Open();
    EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"Bo"}));
    EXPECT_EQ(manager->Current()->GetName(), L"Bo");
    EXPECT_TRUE(Exists("profiles/broken.prf"));
    EXPECT_TRUE(Exists("profiles/old.prf"));
    // Each is logged with its folder and the reason, and kept for the player to be told.
    const std::string folder = Save() + "\\profiles\\";
    EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning,
                          "The player \"" + folder +
                              "broken.prf\" could not be read and is left as it is: " + "Failed to read"),
              1);
    EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning, folder + "old.prf\" could not be read"), 1);
    EXPECT_EQ(manager->GetUnreadProfiles().size(), 2u);
    std::vector<std::string> unread;
    ASSERT_TRUE(SaveProblems::Get().TakeUnreadFiles(unread));
    EXPECT_EQ(unread, (std::vector<std::string>{rig_.Folder().Host("save/profiles/broken.prf").string(),
                                                rig_.Folder().Host("save/profiles/old.prf").string()}));
  }

  // When the current player is the one that cannot be read, another plays this session, but the list
  // keeps the name for when the file is whole again.
  const std::string list = List();
  const std::string bo = Read("profiles/" + boFile);
  Write("profiles/" + boFile, bo.substr(0, bo.size() - 1));
  {
    auto manager = Open();
    EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna"}));
    EXPECT_EQ(manager->Current()->GetName(), L"Anna");
    EXPECT_EQ(List(), list);
  }
  Write("profiles/" + boFile, bo);
  EXPECT_EQ(Open()->Current()->GetName(), L"Bo");
}

TEST_F(ProfileManagerTest, SavesCutOffByAKillAreRemovedAtStart) {
  std::string anna;
  {
    auto manager = Open();
    anna = manager->AddProfile(L"Anna")->GetFileName();
  }
  Write("profiles/" + anna + ".tmp", "PZPRF");
  Write("profiles.pmf.tmp", "");
  Write("profiles/notes.txt.tmp", "not ours");
  auto manager = Open();
  EXPECT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna"}));
  EXPECT_FALSE(Exists("profiles/" + anna + ".tmp"));
  EXPECT_FALSE(Exists("profiles.pmf.tmp"));
  EXPECT_TRUE(Exists("profiles/notes.txt.tmp"));
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kMessage, "a save that was cut off"), 2);
}

TEST_F(ProfileManagerTest, AFolderThatTakesNoFilesIsToldOnceWithTheReason) {
  // A file stands where the save folder should be: nothing can be saved, and the player is told why.
  Write("blocked", "a file");
  TestProfileManager manager(engine_, audio_.get(), Save() + "\\blocked");
  ProfileBase* anna = manager.AddProfile(L"Anna");
  manager.SetCurrentProfile(anna, true);
  EXPECT_FALSE(anna->Save());
  EXPECT_GE(CountLogged(CorvantisEngine::LogRecord::kError, "Failed to save"), 3);
  SaveProblems::WriteFailure failure;
  ASSERT_TRUE(SaveProblems::Get().TakeWriteFailure(failure));
  EXPECT_EQ(failure.folder, rig_.Folder().Host("save/blocked").string());
  EXPECT_EQ(failure.reason,
            "\"" + rig_.Folder().Host("save/blocked").string() + "\" is a file, not a folder");
  EXPECT_FALSE(SaveProblems::Get().TakeWriteFailure(failure));
  EXPECT_EQ(Read("blocked"), "a file");
}

TEST_F(ProfileManagerTest, AProfileFileWithoutAStemNeverTakesTheFolderWithIt) {
  std::string anna;
  {
    auto manager = Open();
    anna = manager->AddProfile(L"Anna")->GetFileName();
    Write("profiles/.prf", Read("profiles/" + anna));
    // The copy holds the name "Anna" too; rename the original out of the way first.
    manager->RenameProfile(L"Anna", L"Bo");
  }
  auto manager = Open();
  ASSERT_EQ(manager->Names(), (std::vector<std::wstring>{L"Anna", L"Bo"}));
  EXPECT_EQ(manager->FindProfile(L"Anna")->GetFileName(), ".prf");
  manager->DeleteProfile(L"Anna");
  EXPECT_FALSE(Exists("profiles/.prf"));
  EXPECT_TRUE(Exists("profiles/" + anna));
  EXPECT_EQ(Open()->Names(), (std::vector<std::wstring>{L"Bo"}));
}

TEST_F(ProfileManagerTest, VolumesPassBetweenTheCurrentProfileAndTheAudioManager) {
  auto manager = Open();
  ProfileBase* anna = manager->AddProfile(L"Anna");
  manager->SetCurrentProfile(anna, true);
  anna->GetSettings() = {0.5f, 0.125f};
  manager->ApplyProfileVolumes();
  EXPECT_EQ(audio_->GetSoundVolume(), 0.5f);
  EXPECT_EQ(audio_->GetMusicVolume(), 0.125f);

  // Another player's volumes apply as they become current, and the current one's at the next start.
  ProfileBase* bo = manager->AddProfile(L"Bo");
  bo->GetSettings() = {0.25f, 0.75f};
  bo->Save();
  manager->SetCurrentProfile(bo, true);
  EXPECT_EQ(audio_->GetSoundVolume(), 0.25f);
  EXPECT_EQ(audio_->GetMusicVolume(), 0.75f);
  manager->SetCurrentProfile(anna, true);
  EXPECT_EQ(audio_->GetSoundVolume(), 0.5f);
  anna->Save();
  manager->SetCurrentProfile(bo, true);
  manager.reset();
  audio_->SetSoundVolume(1.0f);
  manager = Open();
  EXPECT_EQ(audio_->GetSoundVolume(), 0.25f);
}

TEST_F(ProfileManagerTest, LevelPositionsOfLoadedProfilesAreClampedWhenLevelsAreGiven) {
  struct Levels : LevelManagerBase {
    explicit Levels(CorvantisEngine::Engine* engine) : LevelManagerBase(engine) {
      for (std::uint32_t s = 0; s < 2; ++s) {
        stages_.push_back(NewStage());
        levels_.emplace_back();
        for (std::uint32_t l = 0; l < 3; ++l)
          levels_.back().push_back(NewLevel());
      }
    }
    std::unique_ptr<StageRecord> NewStage() override { return std::make_unique<StageRecord>(); }
    std::unique_ptr<LevelRecord> NewLevel() override { return std::make_unique<LevelRecord>(); }
  } levels(engine_);
  {
    auto manager = Open();
    ProfileBase* anna = manager->AddProfile(L"Anna");
    anna->SetCurrentLevel({7, 1});
    anna->UpdateReachedLevel({1, 9}, false);
  }
  auto manager = std::make_unique<TestProfileManager>(engine_, audio_.get(), Save(), &levels);
  EXPECT_EQ(manager->Current()->GetCurrentLevel(), (LevelPosition{1, 2}));
  EXPECT_EQ(manager->Current()->GetReachedLevel(), (LevelPosition{1, 2}));
}

}  // namespace
}  // namespace GameFramework
