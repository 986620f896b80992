// Which pack wins for a name stored twice, and how a folder present both loose and packed is listed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "support/TempFolder.h"
#include "tools/pack/PackBuilder.h"

namespace CorvantisEngine {
namespace {

using Names = std::vector<std::string>;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string Content(FileBinary* raw) {
  std::unique_ptr<FileBinary> file(raw);
  std::string text(file->GetSize(), '\0');
  file->Read(text.data(), file->GetSize());
  return text;
}

class PackMountingTest : public ::testing::Test {
 protected:
  PackMountingTest() : log_("test", 0, 0, "", "") {}

  void Pack(const std::string& relative, const std::vector<packtool::PackEntry>& entries) {
    temp_.Write(relative, packtool::BuildPack(entries));
  }
  std::unique_ptr<FileManager> Make() {
    return std::make_unique<FileManager>(&log_, temp_.Win("base"), "packs", temp_.Win("no-game"));
  }

  testsupport::TempFolder temp_;
  MessageManager log_;
};

// Packs are mounted in the order of their lower-cased names, whatever order the folder search gives.
TEST_F(PackMountingTest, PacksAreMountedInSortedNameOrder) {
  const std::vector<std::string> names = {"q7.pak", "Zeta.pak", "m.pak", "b2.pak", "B1.pak",
                                          "x.pak",  "a10.pak",  "c.pak", "k.pak"};
  for (const std::string& name : names) {
    Pack("base/packs/" + name, {{"data\\same.txt", Bytes(name)}, {"data\\" + name + ".txt", Bytes(name)}});
  }
  auto files = Make();
  ASSERT_EQ(files->GetPackCount(), names.size());
  EXPECT_EQ(Content(files->OpenFile("data\\same.txt", false)), "a10.pak");

  // The first pack in name order holding an entry wins it: removing packs one by one in name order
  // hands the entry to the next name each time.
  const std::vector<std::string> sorted = {"a10.pak", "B1.pak", "b2.pak", "c.pak",   "k.pak",
                                           "m.pak",   "q7.pak", "x.pak",  "Zeta.pak"};
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    std::filesystem::remove(temp_.Host("base/packs/" + sorted[i]));
    files = Make();
    EXPECT_EQ(Content(files->OpenFile("data\\same.txt", false)), sorted[i + 1]);
  }
}

// The game counts themes by listing the theme folders: a theme shipped loose and packed is one theme.
TEST_F(PackMountingTest, AFolderLooseAndPackedListsOnce) {
  temp_.Write("base/data/themes/forest/00.jpg", std::string("loose 00"));
  temp_.Write("base/data/themes/Meadow/00.jpg", std::string("meadow"));
  Pack("base/packs/themes.pak", {{"data\\themes\\forest\\00.jpg", Bytes("packed 00")},
                                 {"data\\themes\\forest\\01.jpg", Bytes("packed 01")},
                                 {"data\\themes\\lake\\00.jpg", Bytes("lake")}});
  Pack("base/packs/more.pak", {{"data\\themes\\forest\\00.jpg", Bytes("more 00")}});
  auto files = Make();

  Names found;
  files->ListFolders("data\\themes", found);
  EXPECT_EQ(found, (Names{"data\\themes\\forest", "data\\themes\\lake", "data\\themes\\meadow"}));
  files->ListFolders("Data\\Themes\\", found);
  EXPECT_EQ(found, (Names{"data\\themes\\forest", "data\\themes\\lake", "data\\themes\\meadow"}))
      << "the folder as passed, lower-cased, with one separator";

  files->ListFiles("data\\themes\\forest", "*.jpg", found);
  EXPECT_EQ(found, (Names{"data\\themes\\forest\\00.jpg", "data\\themes\\forest\\01.jpg"}));
  EXPECT_EQ(Content(files->OpenFile(found[0], false)), "loose 00") << "the loose file wins";
  EXPECT_EQ(Content(files->OpenFile(found[1], false)), "packed 01");

  files->ListFiles("data\\themes", "*.*", found);
  EXPECT_EQ(found, (Names{"data\\themes\\forest\\00.jpg", "data\\themes\\forest\\01.jpg",
                          "data\\themes\\lake\\00.jpg", "data\\themes\\meadow\\00.jpg"}));

  // An absolute folder lists in its own (absolute) form; packs hold relative names only.
  const std::string absolute = temp_.Win("base") + "\\data\\themes";
  files->ListFolders(absolute, found);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], StringToLowerCopy(absolute + "\\forest"));
}

}  // namespace
}  // namespace CorvantisEngine
