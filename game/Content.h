#pragma once
// Puzzle::Content: the catalogue of what the player can choose and buy. At start-up it lists the theme
// folders ("data\themes\<theme>", each holding pictures 00.jpg, 01.jpg, ... with their colour files
// and previews) and the puzzle folders ("data\puzzles\NN", each holding piece-shape files
// puzzle_MM.pzf), queues a preview texture for every picture and puzzle in the game's resource keeper
// ("themes/<theme>/preview_NN", "puzzles/NN/preview"), and reads the prices ("data\themes\themes.xml"
// and each "data\puzzles\NN\puzzle.xml"). Later it names the three files of the current profile's
// selection for the level to load.
//
// Everything is read through the FileManager, so packs serve as well as folders; theme names are
// lower-cased. Main thread only.
// Failures: a price file without its price, or with a negative price, is a FileError "Incorrect
// "<file>" file format"; XML and listing errors pass on unchanged; a data folder with no theme or no
// puzzle ends the program through the log's Abort. A selection outside the catalogue falls back to
// index 0: every loaded profile's selection is put inside it as the catalogue is made (logged, saved
// with the profile's next change), and the file names are built the same way.
// Ownership: owns only its lists; the keeper owns the queued previews.

#include <cstdint>
#include <string>
#include <vector>

namespace CorvantisEngine {
class Engine;
class FileManager;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}

namespace Puzzle {

class GameLogicData;
class Profile;
class ProfileManager;

class Content {
 public:
  static constexpr const char* kThemesFolder = "data\\themes";
  static constexpr const char* kThemePrices = "data\\themes\\themes.xml";
  static constexpr const char* kPuzzlesFolder = "data\\puzzles";

  Content(CorvantisEngine::Engine* engine, ProfileManager* profileManager, GameTools::DataKeeper* dataKeeper);
  ~Content();

  Content(const Content&) = delete;
  Content& operator=(const Content&) = delete;

  // Writes the picture, colour and piece-shape file names of the current profile's selection into the
  // level data. Without a current profile the first of everything is named.
  void BuildFileNames(GameLogicData* levelData) const;
  // Puts the profile's theme, picture, puzzle and size on entries of this catalogue (the first of each
  // where they are not); true when something changed. Nothing is saved.
  bool KeepSelectionInCatalogue(Profile& profile) const;

  // Two digits, zero-padded: 0 -> "00", 7 -> "07", 123 -> "123".
  static std::string Number(std::uint32_t value);
  // The keeper names of the previews.
  static std::string PicturePreviewName(const std::string& theme, std::uint32_t picture);
  static std::string PuzzlePreviewName(std::uint32_t puzzle);

  // Read-only after construction.
  std::uint32_t themeCount = 0;
  std::vector<std::string> themeNames;
  std::vector<std::uint32_t> pictureCounts;
  std::int32_t themeCost = 0;
  std::int32_t pictureCost = 0;
  std::uint32_t puzzleCount = 0;
  std::vector<std::int32_t> puzzleCosts;

 private:
  void ScanThemes();
  void ReadThemePrices();
  void ScanPuzzles();
  std::string ShapePath(std::uint32_t puzzle, std::uint32_t size) const;
  // The non-negative integer at `path` of the XML file, else FileError naming the file.
  std::int32_t ReadPrice(const std::string& fileName, const char* path) const;

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::FileManager* files_;
  ProfileManager* profileManager_;
  GameTools::DataKeeper* dataKeeper_;
};

}  // namespace Puzzle
