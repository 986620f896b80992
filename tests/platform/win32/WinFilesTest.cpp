#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/win32/WinFiles.h"
#include "platform/win32/WinShell.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards; `Win` gives its Windows form.
class WinFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "winfiles-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  void Touch(const std::string& relative, const std::string& content = "x") {
    fs::path p = root_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << content;
  }
  std::string Win(const std::string& relative = "") const {
    std::string w = platform::win32::ToWindowsPath(root_.string());
    return relative.empty() ? w : w + "\\" + relative;
  }
  std::set<std::string> Find(const std::string& pattern) {
    std::set<std::string> names;
    _finddata_t data;
    std::intptr_t handle = _findfirst(pattern.c_str(), &data);
    if (handle == -1) {
      return names;
    }
    do {
      names.insert(std::string(data.name) + ((data.attrib & _A_SUBDIR) ? "/" : ""));
    } while (_findnext(handle, &data) == 0);
    EXPECT_EQ(_findclose(handle), 0);
    return names;
  }

  fs::path root_;
};

TEST_F(WinFilesTest, MapPathTurnsWindowsNamesIntoHostPaths) {
  struct Row {
    const char* in;
    const char* out;
    const char* why;
  };
  const Row rows[] = {
      {"data\\ui\\x.xml", "data/ui/x.xml", "backslashes become slashes, relative stays relative"},
      {"C:\\games\\a.txt", "/games/a.txt", "a drive is the root"},
      {"z:/games", "/games", "lower-case drive, forward slash"},
      {"\\\\share\\\\a", "/share/a", "doubled separators collapse"},
      {"/tmp/a\\b", "/tmp/a/b", "host and Windows separators mixed"},
      {"data\\ui\\", "data/ui/", "a trailing separator is kept"},
      {"", "", "empty stays empty"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform::win32::MapPath(row.in), row.out) << row.why;
  }
  EXPECT_EQ(platform::win32::ToWindowsPath("/home/a/b"), "Z:\\home\\a\\b");
  EXPECT_EQ(platform::win32::MapPath(platform::win32::ToWindowsPath("/home/a/b")), "/home/a/b");
}

TEST_F(WinFilesTest, MapPathFindsNamesWhoseCaseDiffers) {
  Touch("Data/UI/Texts.xml");
  const std::string host = (root_ / "Data/UI/Texts.xml").string();
  EXPECT_EQ(platform::win32::MapPath(Win("data\\ui\\texts.XML")), host);
  EXPECT_EQ(platform::win32::MapPath(Win("DATA\\\\Ui\\TEXTS.xml")), host);
  // A missing file under a folder whose case differs: the folder is still found, the new name kept,
  // so a file written there lands beside its siblings.
  EXPECT_EQ(platform::win32::MapPath(Win("data\\ui\\New.xml")), (root_ / "Data/UI/New.xml").string());
  // Nothing under a missing folder is resolved.
  EXPECT_EQ(platform::win32::MapPath(Win("nothing\\ui")), (root_ / "nothing/ui").string());
  // The exact name wins over a case variant.
  Touch("data/ui/texts.xml");
  EXPECT_EQ(platform::win32::MapPath(Win("data\\ui\\texts.xml")), (root_ / "data/ui/texts.xml").string());
}

// Folders that differ only by case are distinct on this host: each is tried until the whole path exists.
TEST_F(WinFilesTest, MapPathTriesEveryFolderThatDiffersOnlyByCase) {
  Touch("install/data/disk.txt");
  Touch("install/Data/pack0.pak");
  EXPECT_EQ(platform::win32::MapPath(Win("install\\data\\pack0.pak")),
            (root_ / "install/Data/pack0.pak").string());
  EXPECT_EQ(platform::win32::MapPath(Win("INSTALL\\DATA\\DISK.TXT")),
            (root_ / "install/data/disk.txt").string());
  EXPECT_EQ(platform::win32::MapPath(Win("install\\Data\\disk.txt")),
            (root_ / "install/data/disk.txt").string());
}

// With the program's own folders registered, names differing by case are found below them only; a
// path elsewhere is taken as written, so the folders above are never searched.
TEST_F(WinFilesTest, MapPathLooksUpCaseOnlyInsideTheProgramsFolders) {
  Touch("Game/Data/X.txt");
  Touch("Saves/Profiles/A.prf");
  Touch("OTHER/y.txt");
  platform::win32::AddCaselessFolder(Win("Game"));
  platform::win32::AddCaselessFolder(Win("Saves"));
  struct Row {
    const char* in;
    const char* out;
    const char* why;
  };
  const Row rows[] = {
      {"Game\\data\\x.TXT", "Game/Data/X.txt", "below an own folder"},
      {"Saves\\profiles\\a.PRF", "Saves/Profiles/A.prf", "below the other own folder"},
      {"Game\\data\\new.txt", "Game/Data/new.txt", "a new file below an own folder"},
      {"other\\Y.TXT", "other/Y.TXT", "outside every own folder"},
      {"game\\data\\x.txt", "Game/Data/X.txt", "an own folder named in other case, as listings give it"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform::win32::MapPath(Win(row.in)), (root_ / row.out).string()) << row.why;
  }
  platform::win32::RemoveCaselessFolder(Win("Game"));
  EXPECT_EQ(platform::win32::MapPath(Win("Game\\data\\x.TXT")), (root_ / "Game/data/x.TXT").string())
      << "outside the folders left";
  platform::win32::RemoveCaselessFolder(Win("Saves"));
  EXPECT_EQ(platform::win32::MapPath(Win("other\\Y.TXT")), (root_ / "OTHER/y.txt").string())
      << "with none registered, everywhere";
}

// Names resolved once are remembered, but never past the life of what they named.
TEST_F(WinFilesTest, MapPathForgetsVariantsThatAreGone) {
  Touch("Dir/File.txt");
  const std::string name = Win("dir\\file.txt");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Dir/File.txt").string());
  fs::rename(root_ / "Dir", root_ / "DIR");
  fs::rename(root_ / "DIR/File.txt", root_ / "DIR/FILE.TXT");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "DIR/FILE.TXT").string());
  Touch("dir/file.txt");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "dir/file.txt").string()) << "the exact name wins";
}

// Folders untouched for a while are read once and then reused: names added, renamed or put in a new
// folder of the same name afterwards are still found.
TEST_F(WinFilesTest, MapPathSeesChangesToFoldersItHasReadBefore) {
  const auto age = [&](const std::string& relative, int hours) {
    const timespec times[2] = {{::time(nullptr) - hours * 3600, 0}, {::time(nullptr) - hours * 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (root_ / relative).c_str(), times, 0), 0);
  };
  Touch("Old/a.txt");
  age("Old", 1);
  age("", 1);
  const std::string name = Win("old\\B.txt");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Old/B.txt").string()) << "nothing there yet";
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Old/B.txt").string());
  Touch("Old/b.TXT");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Old/b.TXT").string()) << "a name added";
  age("Old", 1);
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Old/b.TXT").string());
  fs::rename(root_ / "Old/b.TXT", root_ / "Old/B.tXt");
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "Old/B.tXt").string()) << "a name changed";
  fs::remove_all(root_ / "Old");
  Touch("OLD/b.txt");
  age("OLD", 2);
  age("", 2);
  EXPECT_EQ(platform::win32::MapPath(name), (root_ / "OLD/b.txt").string()) << "a new folder";
}

TEST_F(WinFilesTest, AccessAnswersForFilesAndFolders) {
  Touch("Pack\\a.pak");
  Touch("Pack/a.pak");
  EXPECT_EQ(_access(Win("pack\\A.PAK").c_str(), 0), 0);
  EXPECT_EQ(_access(Win("pack").c_str(), 0), 0);
  EXPECT_EQ(_access(Win("pack\\").c_str(), 0), 0);
  EXPECT_EQ(_access(Win("pack\\b.pak").c_str(), 0), -1);
  EXPECT_EQ(_access("", 0), -1);
  EXPECT_EQ(_access(Win("pack\\a.pak").c_str(), 6), 0);
}

TEST_F(WinFilesTest, FindMatchesMasksWithoutRegardToCase) {
  Touch("p/one.pak");
  Touch("p/TWO.PAK");
  Touch("p/noext");
  Touch("p/three.pakx");
  fs::create_directories(root_ / "p/sub.pak");
  EXPECT_EQ(Find(Win("p\\*.pak")), (std::set<std::string>{"one.pak", "TWO.PAK", "sub.pak/"}));
  EXPECT_EQ(Find(Win("P\\*.*")),
            (std::set<std::string>{"./", "../", "one.pak", "TWO.PAK", "noext", "three.pakx", "sub.pak/"}));
  EXPECT_EQ(Find(Win("p\\t?o.pak")), (std::set<std::string>{"TWO.PAK"}));
  EXPECT_TRUE(Find(Win("p\\*.bmp")).empty());
  EXPECT_TRUE(Find(Win("missing\\*.*")).empty());

  _finddata_t data;
  std::intptr_t handle = _findfirst(Win("p\\one.pak").c_str(), &data);
  ASSERT_NE(handle, -1);
  EXPECT_EQ(data.size, 1u);
  EXPECT_EQ(data.attrib & _A_SUBDIR, 0u);
  EXPECT_EQ(_findnext(handle, &data), -1);
  EXPECT_EQ(_findclose(handle), 0);
  EXPECT_EQ(_findclose(handle), -1) << "a closed handle is stale";
  EXPECT_EQ(_findnext(handle, &data), -1);
}

TEST_F(WinFilesTest, CreateDirectoryMakesOneLevel) {
  EXPECT_TRUE(CreateDirectoryA(Win("a").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(Win("A").c_str(), nullptr)) << "exists under another case";
  EXPECT_FALSE(CreateDirectoryA(Win("x\\y").c_str(), nullptr)) << "parent missing";
  EXPECT_TRUE(CreateDirectoryA(Win("A\\b").c_str(), nullptr));
  EXPECT_TRUE(fs::is_directory(root_ / "a/b"));
}

TEST_F(WinFilesTest, OpenRefusesFoldersAndMapsNames) {
  Touch("Dir/File.txt", "hello");
  EXPECT_EQ(_fsopen(Win("dir").c_str(), "rb", _SH_DENYNO), nullptr);
  EXPECT_EQ(_fsopen(Win("dir").c_str(), "wb", _SH_DENYNO), nullptr);
  std::FILE* f = _fsopen(Win("DIR\\file.TXT").c_str(), "rt", _SH_DENYNO);
  ASSERT_NE(f, nullptr);
  char buffer[8] = {};
  EXPECT_EQ(std::fread(buffer, 1, 8, f), 5u);
  std::fclose(f);
  f = _fsopen(Win("dir\\new.txt").c_str(), "wb", _SH_DENYNO);
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(fs::exists(root_ / "Dir/new.txt"));
}

TEST_F(WinFilesTest, AppDataFolderComesFromTheEnvironment) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  std::string savedValue = saved ? saved : "";
  const std::string data = (root_ / "share").string();
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  char path[MAX_PATH];
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), E_FAIL);
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
            S_OK);
  EXPECT_EQ(std::string(path), Win("share"));
  EXPECT_TRUE(fs::is_directory(data));
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005, nullptr, 0, path), E_INVALIDARG);
  if (saved) {
    ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
}

TEST_F(WinFilesTest, DeleteRemovesTreesWithoutFollowingLinks) {
  Touch("keep/precious.txt");
  Touch("profiles/a/b/c.prf");
  fs::create_directory_symlink(root_ / "keep", root_ / "profiles/a/link");
  std::string from = Win("Profiles") + std::string(1, '\0') + Win("missing") + std::string(1, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  EXPECT_NE(SHFileOperationA(&op), 0) << "one of the names was missing";
  EXPECT_FALSE(fs::exists(root_ / "profiles"));
  EXPECT_TRUE(fs::exists(root_ / "keep/precious.txt"));
  op.wFunc = FO_COPY;
  EXPECT_NE(SHFileOperationA(&op), 0);
}

}  // namespace
