#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"
#include "support/TempFolder.h"
#include "tools/pack/PackBuilder.h"

namespace CorvantisEngine {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

std::string Content(FileBinary* raw) {
  std::unique_ptr<FileBinary> file(raw);
  std::string text(file->GetSize(), '\0');
  file->Read(text.data(), file->GetSize());
  return text;
}

// A base folder with a pack folder "packs"; the "executable" searched for an appended pack is a file
// the test may write (absent by default).
class FileManagerTest : public ::testing::Test {
 protected:
  FileManagerTest() : log_("test", 0, 0, "", "") {}

  void Pack(const std::string& relative, const std::vector<packtool::PackEntry>& entries) {
    temp_.Write(relative, packtool::BuildPack(entries));
  }
  std::unique_ptr<FileManager> Make() {
    return std::make_unique<FileManager>(&log_, temp_.Win("base"), "packs", temp_.Win("game"));
  }
  std::string Base(const std::string& relative) const { return temp_.Win("base") + "\\" + relative; }

  testsupport::TempFolder temp_;
  MessageManager log_;
};

TEST_F(FileManagerTest, DiskBeatsPacksAndEarlierPacksWin) {
  temp_.Write("base/data/both.txt", std::string("disk"));
  Pack("base/packs/a.pak", {{"data\\both.txt", Text("pack-a")}, {"data\\twice.txt", Text("from-a")}});
  Pack("base/packs/b.pak", {{"data\\twice.txt", Text("from-b")}, {"data\\only_b.txt", Text("b")}});
  // An appended pack comes before every "*.pak" file.
  Bytes game = Text(std::string(64, 'E'));
  const Bytes appended =
      packtool::AppendedForm(packtool::BuildPack({{"data\\only_b.txt", Text("appended")}}));
  game.insert(game.end(), appended.begin(), appended.end());
  temp_.Write("game", game);

  auto files = Make();
  EXPECT_EQ(files->GetPackCount(), 3u);
  EXPECT_EQ(Content(files->OpenFile("data\\both.txt", false)), "disk");
  EXPECT_EQ(Content(files->OpenFile("data\\only_b.txt", false)), "appended");
  const std::string twice = Content(files->OpenFile("data\\twice.txt", false));
  EXPECT_TRUE(twice == "from-a" || twice == "from-b");
  // Whichever pack the folder search gave first answers, and always the same one.
  EXPECT_EQ(Content(files->OpenFile("DATA\\TWICE.TXT", false)), twice);

  std::unique_ptr<FileBinary> fromPack(files->OpenFile("data\\only_b.txt", false));
  EXPECT_EQ(fromPack->GetName(), Base("data\\only_b.txt")) << "the full path names a pack entry too";
  EXPECT_TRUE(fromPack->IsInMemory());
}

TEST_F(FileManagerTest, MixedCaseAndDoubledSeparators) {
  Pack("base/packs/a.pak", {{"data\\ui\\x.xml", Text("pack")}});
  temp_.Write("base/Data/Disk/Y.xml", std::string("disk"));
  auto files = Make();
  EXPECT_TRUE(files->FileExists("Data\\\\Ui\\\\x.XML"));
  EXPECT_EQ(Content(files->OpenFile("Data\\\\Ui\\\\x.XML", false)), "pack");
  EXPECT_FALSE(files->FindInPacks("data\\\\\\ui\\x.xml")) << "three backslashes become two";
  std::uint32_t size = 0;
  EXPECT_TRUE(files->FindInPacks("DATA\\UI\\X.XML", &size));
  EXPECT_EQ(size, 4u);
  // On disk the name is used as passed; the platform finds names whose case differs.
  EXPECT_EQ(Content(files->OpenFile("data\\disk\\y.XML", false)), "disk");
  EXPECT_TRUE(files->FolderExists("DATA\\DISK"));
  EXPECT_TRUE(files->FolderExists("data\\ui"));
  EXPECT_TRUE(files->FolderExists("ui")) << "a pack folder is found by containment";
  EXPECT_FALSE(files->FolderExists("data\\sound"));
}

TEST_F(FileManagerTest, OpenFailuresAndFolders) {
  std::filesystem::create_directories(temp_.Host("base/data/folder"));
  auto files = Make();
  struct Row {
    const char* name;
    bool write;
  };
  for (const Row& row :
       {Row{"data\\missing.xml", false}, Row{"data\\folder", false}, Row{"data\\folder", true}}) {
    try {
      delete files->OpenFile(row.name, row.write);
      ADD_FAILURE() << row.name << " opened";
    } catch (const FileError& error) {
      EXPECT_EQ(error.GetMessage(), "Failed to open \"" + Base(row.name) + "\" file");
    }
  }
  EXPECT_FALSE(files->FileExists("data\\missing.xml"));
  EXPECT_THROW(delete files->OpenTextFile("data\\missing.ini", false, 0), FileError);
}

TEST_F(FileManagerTest, WritingCreatesTheFolders) {
  auto files = Make();
  {
    std::unique_ptr<FileTextual> text(files->OpenTextFile("profiles\\a\\b.prf", true, kTextEncodingUtf8));
    text->WriteText("hi");
    text->Close();
  }
  EXPECT_EQ(temp_.Read("base/profiles/a/b.prf"), "\xEF\xBB\xBFhi");
  std::unique_ptr<FileTextual> text(files->OpenTextFile("profiles\\a\\b.prf", false, 0));
  std::string line;
  ASSERT_TRUE(text->ReadLine(line, false));
  EXPECT_EQ(line, "hi");
}

// A finished file replaces another in one rename; both names resolve against the base folder.
TEST_F(FileManagerTest, ReplaceAndRemoveFiles) {
  auto files = Make();
  temp_.Write("base/saves/new.tmp", std::string("new"));
  temp_.Write("base/saves/old", std::string("old"));
  EXPECT_TRUE(files->ReplaceFile("saves\\new.tmp", "saves\\old"));
  EXPECT_EQ(temp_.Read("base/saves/old"), "new");
  EXPECT_FALSE(files->FileExists("saves\\new.tmp"));
  EXPECT_FALSE(files->ReplaceFile("saves\\new.tmp", "saves\\old")) << "nothing to rename";
  EXPECT_TRUE(files->RemoveFile("saves\\old"));
  EXPECT_FALSE(files->RemoveFile("saves\\old"));
  EXPECT_FALSE(files->RemoveFile("saves")) << "never a folder";
}

// Disk and pack entries come back in one form, the folder as passed followed by the rest of the name.
TEST_F(FileManagerTest, ListingsMergeDiskAndPacks) {
  temp_.Write("base/data/levels/One.xml", std::string("1"));
  temp_.Write("base/data/levels/sub/two.xml", std::string("2"));
  temp_.Write("base/data/levels/notes.txt", std::string("n"));
  std::filesystem::create_directories(temp_.Host("base/data/levels/empty"));
  Pack("base/packs/a.pak", {{"data\\levels\\three.xml", Text("3")},
                            {"data\\levels\\deep\\x\\four.xml", Text("4")},
                            {"data\\levels\\pk\\five.xml", Text("5")},
                            {"data\\other\\six.xml", Text("6")}});
  Pack("base/packs/b.pak", {{"data\\levels\\three.xml", Text("3")}});
  auto files = Make();

  const std::string disk = "data\\levels";
  Names found;
  found.push_back("stale");
  files->ListFiles("data\\levels", "*.xml", found);
  Names expected = {"data\\levels\\deep\\x\\four.xml", "data\\levels\\pk\\five.xml",
                    "data\\levels\\three.xml", disk + "\\one.xml"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected) << "sub-folders on disk are searched only when their names match the mask";

  files->ListFiles("data\\levels", "*.*", found);
  EXPECT_EQ(std::count(found.begin(), found.end(), disk + "\\sub\\two.xml"), 1);
  EXPECT_EQ(std::count(found.begin(), found.end(), disk + "\\notes.txt"), 1);
  EXPECT_EQ(std::count(found.begin(), found.end(), "data\\levels\\three.xml"), 1) << "duplicates removed";
  for (const std::string& name : found) {
    std::unique_ptr<FileBinary> file(files->OpenFile(name, false));
    EXPECT_GT(file->GetSize(), 0u) << name;
  }

  files->ListFolders("data\\levels", found);
  expected = {"data\\levels\\pk", disk + "\\empty", disk + "\\sub"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);

  files->ListFiles("data\\other", "*.xml", found);
  EXPECT_EQ(found, (Names{"data\\other\\six.xml"})) << "a folder only in a pack";
  files->ListFiles("data\\nothing", "*.*", found);
  EXPECT_TRUE(found.empty());
}

// Folder links that lead back up the tree are not followed round and round.
TEST_F(FileManagerTest, ListingEndsOnFolderLinksThatLoop) {
  temp_.Write("base/data/tree/a.xml", std::string("a"));
  temp_.Write("base/data/tree/sub/b.xml", std::string("b"));
  std::filesystem::create_directory_symlink(temp_.Host("base/data/tree"),
                                            temp_.Host("base/data/tree/sub/up"));
  std::filesystem::create_directory_symlink(temp_.Host("base/data"), temp_.Host("base/data/tree/sub/top"));
  auto files = Make();
  Names found;
  files->ListFiles("data\\tree", "*.*", found);
  const std::string disk = "data\\tree";
  EXPECT_EQ(found, (Names{disk + "\\a.xml", disk + "\\sub\\b.xml"}));
}

TEST_F(FileManagerTest, DamagedPacksAreSkipped) {
  Bytes bad = packtool::BuildPack({{"data\\x.txt", Text("x")}});
  bad[0] ^= 1;
  temp_.Write("base/packs/bad.pak", bad);
  temp_.Write("base/packs/junk.pak", std::string("not a pack"));
  temp_.Write("base/packs/empty.pak", std::string());
  Pack("base/packs/good.pak", {{"data\\y.txt", Text("y")}});
  // "APC" at the end, but the length before it does not match the pack's own.
  Bytes game = Text("EXE");
  Bytes appended = packtool::AppendedForm(packtool::BuildPack({{"data\\z.txt", Text("z")}}));
  appended[appended.size() - 7] += 1;
  game.insert(game.end(), appended.begin(), appended.end());
  temp_.Write("game", game);

  auto files = Make();
  EXPECT_EQ(files->GetPackCount(), 1u);
  EXPECT_TRUE(files->FileExists("data\\y.txt"));
  EXPECT_FALSE(files->FileExists("data\\x.txt"));
  EXPECT_FALSE(files->FileExists("data\\z.txt"));
}

// The engine's own executable with a pack appended: the on-demand reader is used when the copy is
// larger than the memory limit.
TEST_F(FileManagerTest, PackAppendedToACopyOfTheExecutable) {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  std::filesystem::copy_file(self, temp_.Host("game"));
  temp_.Write("base/data/keep.txt", std::string("k"));
  const Bytes appended = packtool::AppendedForm(packtool::BuildPack({{"data\\inside.txt", Text("inside")}}));
  {
    std::ofstream out(temp_.Host("game"), std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(appended.data()), static_cast<std::streamsize>(appended.size()));
  }
  auto files = Make();
  EXPECT_EQ(files->GetPackCount(), 1u);
  EXPECT_EQ(Content(files->OpenFile("data\\inside.txt", false)), "inside");

  auto plain = std::make_unique<FileManager>(&log_, temp_.Win("base"), "packs", self.string());
  EXPECT_EQ(plain->GetPackCount(), 0u) << "an executable without a trailer has no pack";
}

// A file opened in parts reads a pack entry from the archive as it goes, holding none of it; a loose
// file still wins over the packs. An archive too large to be held in memory is read where it lies: when
// it shrinks under the game, the read falls short and the failure is logged.
TEST_F(FileManagerTest, FilesOpenedInPartsReadPackEntriesAsTheyGo) {
  std::string large(9u << 20, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) {
    large[i] = static_cast<char>('a' + i % 23);
  }
  Pack("base/packs/a.pak", {{"data\\large.bin", Text(large)}, {"data\\small.txt", Text("small")}});
  temp_.Write("base/data/loose.txt", std::string("loose"));
  auto files = Make();
  ASSERT_EQ(files->GetPackCount(), 1u);

  EXPECT_EQ(Content(files->OpenFileInParts("data\\loose.txt")), "loose");
  EXPECT_EQ(Content(files->OpenFileInParts("DATA\\\\SMALL.TXT")), "small");
  EXPECT_THROW(delete files->OpenFileInParts("data\\missing.txt"), FileError);

  std::unique_ptr<FileBinary> file(files->OpenFileInParts("data\\large.bin"));
  EXPECT_FALSE(file->IsInMemory());
  EXPECT_EQ(file->GetName(), Base("data\\large.bin"));
  ASSERT_EQ(file->GetSize(), large.size());
  std::string part(5, '\0');
  file->Seek(FileBinary::kFromStart, 1000003);
  std::uint32_t got = 0;
  file->Read(part.data(), 5, &got);
  EXPECT_EQ(got, 5u);
  EXPECT_EQ(part, large.substr(1000003, 5));
  EXPECT_EQ(file->GetPosition(), 1000008u);
  file->Seek(FileBinary::kFromEnd, 2);
  file->Read(part.data(), 5, &got);
  EXPECT_EQ(got, 2u) << "clipped at the end";
  EXPECT_EQ(part.substr(0, 2), large.substr(large.size() - 2));

  std::filesystem::resize_file(temp_.Host("base/packs/a.pak"), 1u << 20);
  const std::int32_t records = log_.GetRecordCount();
  file->Seek(FileBinary::kFromStart, 2u << 20);
  file->Read(part.data(), 5, &got);
  EXPECT_EQ(got, 0u);
  ASSERT_EQ(log_.GetRecordCount(), records + 1);
  EXPECT_NE(log_.GetRecord(records).text.find("Failed to read 5 bytes"), std::string::npos);
  EXPECT_THROW(file->Read(part.data(), 5), FileError) << "without a count a short read throws";
}

TEST(FileManagerPaths, HelpersTable) {
  struct Row {
    const char* path;
    const char* folder;
    const char* file;
    const char* extension;
  };
  const Row rows[] = {
      {"data\\ui\\logo.jpg", "data\\ui", "logo.jpg", "jpg"},
      {"logo", "", "logo", ""},
      {"a.b\\c", "a.b", "c", ""},
      {"a.b\\c.tar.gz", "a.b", "c.tar.gz", "gz"},
      {"dir\\", "dir", "", ""},
      {"x.", "", "x.", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileManager::GetFolder(row.path), row.folder) << row.path;
    EXPECT_EQ(FileManager::GetFileName(row.path), row.file) << row.path;
    EXPECT_EQ(FileManager::GetExtension(row.path), row.extension) << row.path;
  }
  struct Change {
    const char* path;
    const char* extension;
    const char* result;
  };
  const Change changes[] = {
      {"a.b\\c", "xml", "a.b\\c.xml"}, {"c", "", "c"},        {"c.txt", "", "c"}, {"c.txt", "xml", "c.xml"},
      {"a.b\\c.d", "e", "a.b\\c.e"},   {"c", "prf", "c.prf"},
  };
  for (const Change& change : changes) {
    std::string path = change.path;
    FileManager::ChangeExtension(path, change.extension);
    EXPECT_EQ(path, change.result) << change.path << " + " << change.extension;
  }
  EXPECT_TRUE(FileManager::HasExtension("A.JPG", "jpg"));
  EXPECT_FALSE(FileManager::HasExtension("a.jpg.bak", "jpg"));
  EXPECT_EQ(FileManager::MakeDataPath("ui\\x.xml"), "data\\ui\\x.xml");
  EXPECT_EQ(FileManager::MakeDataPath("C:\\x.xml"), "C:\\x.xml");
  EXPECT_EQ(FileManager::GetFullPath("D:\\y"), "D:\\y");
}

// Sets XDG_DATA_HOME for one test and puts it back afterwards.
class ScopedDataHome {
 public:
  explicit ScopedDataHome(const std::string& value) {
    const char* old = std::getenv("XDG_DATA_HOME");
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    ::setenv("XDG_DATA_HOME", value.c_str(), 1);
  }
  ~ScopedDataHome() {
    if (had_) {
      ::setenv("XDG_DATA_HOME", old_.c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
  }

 private:
  bool had_;
  std::string old_;
};

TEST_F(FileManagerTest, DeleteFolderStaysInsideTheUserAndDataFolders) {
  ScopedDataHome home(temp_.Host("share").string());
  const std::string user = FileManager::GetUserDataFolder();
  ASSERT_EQ(user, temp_.Win("share"));
  temp_.Write("share/Maker/Game/profiles/p1/a.prf", std::string("a"));
  temp_.Write("share/Maker/Game/keep.txt", std::string("k"));
  temp_.Write("base/data/cache/c.bin", std::string("c"));
  temp_.Write("outside/o.txt", std::string("o"));
  auto files = Make();

  struct Row {
    std::string path;
    const char* why;
  };
  const Row refused[] = {
      {"", "empty"},
      {"Z:\\", "a root"},
      {"/", "the host root"},
      {user, "the user folder itself"},
      {temp_.Win("base"), "the base folder itself"},
      {user + "\\Maker\\*", "wildcards"},
      {user + "\\Maker\\Game\\profiles\\..\\..\\..\\..\\outside", "parent references"},
      {temp_.Win("outside"), "somewhere else"},
      {"relative\\folder", "beside the executable"},
  };
  for (const Row& row : refused) {
    const int before = log_.GetRecordCount();
    EXPECT_FALSE(files->DeleteFolder(row.path)) << row.why;
    EXPECT_EQ(log_.GetRecordCount(), before + 1) << row.why;
  }
  EXPECT_TRUE(std::filesystem::exists(temp_.Host("outside/o.txt")));

  EXPECT_TRUE(files->DeleteFolder(user + "\\maker\\game\\PROFILES\\p1"));
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("share/Maker/Game/profiles/p1")));
  EXPECT_TRUE(std::filesystem::exists(temp_.Host("share/Maker/Game/keep.txt")));
  EXPECT_TRUE(files->DeleteFolder(temp_.Win("base\\data\\cache")));
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("base/data/cache")));
  EXPECT_FALSE(files->DeleteFolder(user + "\\gone")) << "nothing to delete";

  // Long paths have no fixed-size limit.
  std::string deep = "share/Maker/Game";
  for (int i = 0; i < 30; ++i) {
    deep += "/a_rather_long_folder_name";
  }
  temp_.Write(deep + "/f.txt", std::string("f"));
  EXPECT_TRUE(files->DeleteFolder(user + "\\Maker\\Game\\a_rather_long_folder_name"));
  EXPECT_FALSE(std::filesystem::exists(temp_.Host("share/Maker/Game/a_rather_long_folder_name")));
}

}  // namespace
}  // namespace CorvantisEngine
