#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "support/TempFolder.h"

namespace {

using CorvantisEngine::FileBinary;
using CorvantisEngine::FileManager;

int RunQxpak(const std::string& arguments) {
  const std::string command = std::string(QXPAK_PATH) + " " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Content(FileManager& files, const std::string& name) {
  std::unique_ptr<FileBinary> file(files.OpenFile(name, false));
  std::string text(file->GetSize(), '\0');
  file->Read(text.data(), file->GetSize());
  return text;
}

// The tool packs a data folder so that the file manager finds every file under the name it is asked
// for ("data\..." relative to the base folder), whatever the case on disk.
TEST(Qxpak, WritesArchivesTheFileManagerMounts) {
  testsupport::TempFolder temp;
  temp.Write("src/UI/Texts/Texts.XML", std::string("<texts/>"));
  temp.Write("src/levels/levels.xml", std::string("<levels/>"));
  temp.Write("src/empty.bin", std::string());
  const std::string root = temp.Root().string();
  ASSERT_EQ(RunQxpak(root + "/game/Data/pack0.pak " + root + "/src"), 0);
  ASSERT_EQ(RunQxpak("--prefix '' " + root + "/game/Data/bare.pak " + root + "/src"), 0);

  FileManager files(nullptr, temp.Win("game"), "Data", "");
  EXPECT_EQ(files.GetPackCount(), 2u);
  EXPECT_EQ(Content(files, "data\\ui\\texts\\texts.xml"), "<texts/>");
  EXPECT_EQ(Content(files, "Data\\Levels\\levels.xml"), "<levels/>");
  EXPECT_EQ(Content(files, "data\\empty.bin"), "");
  EXPECT_EQ(Content(files, "levels\\levels.xml"), "<levels/>") << "the bare pack";
  std::vector<std::string> folders;
  files.ListFolders("data", folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"data\\levels"})) << "data\\ui holds only a deeper folder";
}

// Packing a folder into an archive inside it, again and again, never packs the previous archive.
TEST(Qxpak, LeavesItsOwnOutputOut) {
  testsupport::TempFolder temp;
  temp.Write("src/a.txt", std::string("a"));
  const std::string root = temp.Root().string();
  ASSERT_EQ(RunQxpak(root + "/src/Pack0.pak " + root + "/src"), 0);
  const auto first = std::filesystem::file_size(root + "/src/Pack0.pak");
  ASSERT_EQ(RunQxpak(root + "/src/Pack0.pak " + root + "/src"), 0);
  EXPECT_EQ(std::filesystem::file_size(root + "/src/Pack0.pak"), first);
  FileManager files(nullptr, temp.Win("src"), "", "");
  EXPECT_EQ(Content(files, "data\\a.txt"), "a");
  EXPECT_FALSE(files.FileExists("data\\pack0.pak"));
}

TEST(Qxpak, AppendsToACopyOfAnExecutable) {
  testsupport::TempFolder temp;
  temp.Write("src/inside.txt", std::string("inside"));
  const std::string root = temp.Root().string();
  ASSERT_EQ(RunQxpak("--append " + std::string(QXPAK_PATH) + " " + root + "/game " + root + "/src"), 0);
  EXPECT_GT(std::filesystem::file_size(root + "/game"), std::filesystem::file_size(QXPAK_PATH));
  FileManager files(nullptr, temp.Win("base"), "", temp.Win("game"));
  EXPECT_EQ(files.GetPackCount(), 1u);
  EXPECT_EQ(Content(files, "data\\inside.txt"), "inside");

  // Appending to the executable in place keeps the program in front of the pack.
  std::filesystem::copy_file(QXPAK_PATH, root + "/inplace");
  ASSERT_EQ(RunQxpak("--append " + root + "/inplace " + root + "/inplace " + root + "/src"), 0);
  EXPECT_EQ(std::filesystem::file_size(root + "/inplace"), std::filesystem::file_size(root + "/game"));
  FileManager inPlace(nullptr, temp.Win("base"), "", temp.Win("inplace"));
  EXPECT_EQ(inPlace.GetPackCount(), 1u);
  EXPECT_EQ(Content(inPlace, "data\\inside.txt"), "inside");
}

TEST(Qxpak, RefusesWhatCannotBeStored) {
  testsupport::TempFolder temp;
  temp.Write("src/A.txt", std::string("1"));
  temp.Write("src/a.txt", std::string("2"));
  const std::string root = temp.Root().string();
  EXPECT_EQ(RunQxpak(root + "/out.pak " + root + "/src"), 1) << "names that differ only by case collide";
  EXPECT_EQ(RunQxpak(root + "/out.pak " + root + "/missing"), 1);
  temp.Write("long/" + std::string(250, 'n') + ".txt", std::string("x"));
  EXPECT_EQ(RunQxpak(root + "/out.pak " + root + "/long"), 1) << "a name longer than its count byte allows";
  EXPECT_EQ(RunQxpak(""), 2);
}

}  // namespace
