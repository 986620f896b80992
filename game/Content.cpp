#include "game/Content.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/resources/ShaderManager.h"
#include "game/GameLogicData.h"
#include "game/Profile.h"
#include "tools/game/DataKeeper.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"
#include "tools/game/XMLValue.h"

namespace Puzzle {

namespace {

// The previews carry their alpha in the picture itself and are drawn clamped.
void QueuePreview(GameTools::DataKeeper* keeper, const std::string& name, const std::string& diffuse) {
  keeper->AddShaderDescriptor(name, CorvantisEngine::CreateTextureShader(diffuse, "32bit", true), false);
}

std::uint32_t OrFirst(std::uint32_t index, std::size_t count) {
  return index < count ? index : 0;
}

}  // namespace

Content::Content(CorvantisEngine::Engine* engine, ProfileManager* profileManager,
                 GameTools::DataKeeper* dataKeeper)
    : engine_(engine),
      files_(engine->GetFileManager()),
      profileManager_(profileManager),
      dataKeeper_(dataKeeper) {
  ScanThemes();
  ReadThemePrices();
  ScanPuzzles();
  // A catalogue without a theme or a puzzle leaves nothing to play; say so at start-up rather than
  // fail on the first level.
  if (themeCount == 0) {
    engine_->GetMessageManager()->Abort("No themes found in \"" + std::string(kThemesFolder) + "\"");
  }
  if (puzzleCount == 0) {
    engine_->GetMessageManager()->Abort("No puzzles found in \"" + std::string(kPuzzlesFolder) + "\"");
  }
  if (profileManager_ != nullptr) {
    for (const auto& profile : profileManager_->GetProfiles()) {
      if (auto* puzzleProfile = dynamic_cast<Profile*>(profile.get());
          puzzleProfile != nullptr && KeepSelectionInCatalogue(*puzzleProfile)) {
        engine_->GetMessageManager()->Warning("The choice of puzzle of \"" + profile->GetFileName() +
                                              "\" is not in the catalogue; the first of each is used");
      }
    }
  }
}

bool Content::KeepSelectionInCatalogue(Profile& profile) const {
  const auto keep = [](std::uint32_t& index, std::size_t count) {
    if (index < count)
      return false;
    index = 0;
    return true;
  };
  bool changed = keep(profile.selectedTheme, themeNames.size());
  // A picture number belongs to its theme: another theme starts at its first picture.
  if (changed)
    profile.selectedPicture = 0;
  changed |= keep(profile.selectedPicture,
                  profile.selectedTheme < pictureCounts.size() ? pictureCounts[profile.selectedTheme] : 0);
  changed |= keep(profile.selectedPuzzle, puzzleCount);
  if (profile.selectedPuzzleSize != 0 &&
      !files_->FileExists(ShapePath(profile.selectedPuzzle, profile.selectedPuzzleSize))) {
    profile.selectedPuzzleSize = 0;
    changed = true;
  }
  return changed;
}

std::string Content::ShapePath(std::uint32_t puzzle, std::uint32_t size) const {
  return std::string(kPuzzlesFolder) + "\\" + Number(puzzle) + "\\puzzle_" + Number(size) + ".pzf";
}

Content::~Content() = default;

std::string Content::Number(std::uint32_t value) {
  return CorvantisEngine::UIntToString(value, 2);
}

std::string Content::PicturePreviewName(const std::string& theme, std::uint32_t picture) {
  return "themes/" + theme + "/preview_" + Number(picture);
}

std::string Content::PuzzlePreviewName(std::uint32_t puzzle) {
  return "puzzles/" + Number(puzzle) + "/preview";
}

void Content::ScanThemes() {
  std::vector<std::string> folders;
  files_->ListFolders(kThemesFolder, folders);
  themeCount = static_cast<std::uint32_t>(folders.size());
  themeNames.clear();
  pictureCounts.clear();
  for (const std::string& entry : folders) {
    const std::size_t slash = entry.find_last_of('\\');
    std::string name = slash == std::string::npos ? entry : entry.substr(slash + 1);
    CorvantisEngine::StringToLower(name);

    std::vector<std::string> pictures;
    files_->ListFiles(std::string(kThemesFolder) + "\\" + name, "*.jpg", pictures);
    std::uint32_t count = 0;
    for (const std::string& picture : pictures) {
      // The test is on the file's own name: a theme folder may have "preview" in its name.
      const std::string fileName = CorvantisEngine::FileManager::GetFileName(picture);
      if (CorvantisEngine::StringToLowerCopy(fileName).find("preview") != std::string::npos) {
        continue;
      }
      // The preview follows the running count, not the listed name: pictures are numbered without gaps.
      QueuePreview(dataKeeper_, PicturePreviewName(name, count),
                   "themes\\" + name + "\\" + Number(count) + "_preview.jpg");
      ++count;
    }
    themeNames.push_back(name);
    pictureCounts.push_back(count);
  }
}

void Content::ReadThemePrices() {
  themeCost = ReadPrice(kThemePrices, "content/theme_cost");
  pictureCost = ReadPrice(kThemePrices, "content/picture_cost");
}

void Content::ScanPuzzles() {
  std::vector<std::string> folders;
  files_->ListFolders(kPuzzlesFolder, folders);
  puzzleCount = static_cast<std::uint32_t>(folders.size());
  puzzleCosts.assign(puzzleCount, 0);
  for (std::uint32_t i = 0; i < puzzleCount; ++i) {
    QueuePreview(dataKeeper_, PuzzlePreviewName(i), "puzzles\\" + Number(i) + "\\preview.jpg");
    puzzleCosts[i] =
        ReadPrice(std::string(kPuzzlesFolder) + "\\" + Number(i) + "\\puzzle.xml", "content/puzzle_cost");
  }
}

std::int32_t Content::ReadPrice(const std::string& fileName, const char* path) const {
  GameTools::XMLNode root;
  GameTools::XMLParser(files_).Parse(&root, fileName);
  const GameTools::XMLValue* value = GameTools::XMLSelectValue(&root, path);
  // A negative price would take stars from the player when the item is bought.
  if (value == nullptr || value->GetInt() < 0) {
    throw CorvantisEngine::FileError("Incorrect \"" + fileName + "\" file format");
  }
  return value->GetInt();
}

void Content::BuildFileNames(GameLogicData* levelData) const {
  const Profile* profile = profileManager_ != nullptr ? profileManager_->GetCurrent() : nullptr;
  std::uint32_t theme = profile != nullptr ? profile->selectedTheme : 0;
  std::uint32_t picture = profile != nullptr ? profile->selectedPicture : 0;
  std::uint32_t puzzle = profile != nullptr ? profile->selectedPuzzle : 0;
  const std::uint32_t size = profile != nullptr ? profile->selectedPuzzleSize : 0;

  // A profile saved against a larger catalogue must not index past this one.
  theme = OrFirst(theme, themeNames.size());
  picture = OrFirst(picture, theme < pictureCounts.size() ? pictureCounts[theme] : 0);
  puzzle = OrFirst(puzzle, puzzleCount);

  const std::string themeName = theme < themeNames.size() ? themeNames[theme] : std::string();
  const std::string pictureBase = std::string(kThemesFolder) + "\\" + themeName + "\\" + Number(picture);
  levelData->picturePath = pictureBase + ".jpg";
  levelData->coloursPath = pictureBase + ".xml";
  levelData->shapePath = ShapePath(puzzle, size);
}

}  // namespace Puzzle
