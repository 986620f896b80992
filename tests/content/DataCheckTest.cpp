// The data check: the packed data beside the executable, read through the engine's own file manager,
// XML parser, image reader and piece-shape reader, the way the game reads it. Every file the catalogue
// implies exists and loads; every picture has the one picture size; every file in the data is named by
// something (the catalogue's rules, or a name in one of the data's XML files).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/PackFile.h"
#include "engine/render/Image.h"
#include "engine/resources/ShaderDescriptor.h"
#include "game/PieceShapeFile.h"
#include "tools/game/DataKeeper.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"

namespace {

using CorvantisEngine::FileManager;
using CorvantisEngine::Image;
using GameTools::XMLNode;

const std::string kBinFolder = BRINDLEWICK_BIN_FOLDER;
const std::string kPack = kBinFolder + "/data/pack0.pak";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string TwoDigits(std::size_t n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string AfterLastBackslash(const std::string& path) {
  return path.substr(path.rfind('\\') + 1);
}

bool IsPowerOfTwo(std::uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

// The data as the game sees it: the executable's folder is the base folder and its data\pack0.pak is
// mounted. Pack entries are listed relative ("data\...").
class Data {
 public:
  Data() : log_("data_check", 0, 0, "", ""), files_(&log_, kBinFolder, "Data"), pack_(&log_, kPack, 0, 0) {}

  FileManager* Files() { return &files_; }
  CorvantisEngine::MessageManager* Log() { return &log_; }
  const std::vector<std::string>& Names() const { return pack_.GetNames(); }

  std::vector<std::string> Folders(const std::string& folder) {
    std::vector<std::string> out;
    files_.ListFolders(folder, out);
    return out;
  }
  std::vector<std::string> Files(const std::string& folder, const std::string& mask) {
    std::vector<std::string> out;
    files_.ListFiles(folder, mask, out);
    return out;
  }

  // Parses into an empty root; the file's top elements become its children. A fault is a test failure
  // with the parser's message (the root keeps what was read before it).
  std::unique_ptr<XMLNode> Parse(const std::string& name) {
    auto root = std::make_unique<XMLNode>();
    try {
      GameTools::XMLParser(&files_).Parse(root.get(), name);
    } catch (const CorvantisEngine::FileError& error) {
      ADD_FAILURE() << name << ": " << error.GetMessage();
    }
    return root;
  }

  Image LoadImage(const std::string& name) {
    Image image;
    EXPECT_TRUE(image.Load(&log_, &files_, name)) << name;
    return image;
  }

 private:
  CorvantisEngine::MessageManager log_;
  FileManager files_;
  CorvantisEngine::PackFile pack_;
};

// The integer at a path such as "content/theme_cost", selected as the game selects it.
bool IntAt(XMLNode& root, std::string_view path, std::int32_t& value) {
  const GameTools::XMLValue* found = GameTools::XMLSelectValue(&root, path);
  if (found == nullptr) {
    return false;
  }
  value = found->GetInt();
  return true;
}

// What the catalogue implies: every theme, picture, puzzle and size, named as the game names them.
struct Catalogue {
  std::vector<std::string> themes;         // folder names
  std::vector<std::size_t> pictureCounts;  // per theme
  std::size_t puzzleCount = 0;
  std::size_t sizeCount = 0;    // puzzle_MM.pzf files in puzzle 00
  std::set<std::string> names;  // every file named by the catalogue
};

Catalogue ReadCatalogue(Data& data) {
  Catalogue catalogue;
  catalogue.names.insert("data\\levels\\levels.xml");
  catalogue.names.insert("data\\themes\\themes.xml");
  for (const std::string& folder : data.Folders("data\\themes")) {
    const std::string theme = Lower(AfterLastBackslash(folder));
    std::size_t count = 0;
    for (const std::string& file : data.Files("data\\themes\\" + theme, "*.jpg")) {
      if (Lower(file).find("preview") == std::string::npos) {
        ++count;
      }
    }
    const std::string base = "data\\themes\\" + theme + "\\";
    for (std::size_t n = 0; n < count; ++n) {
      for (const char* suffix : {".jpg", ".xml", "_preview.jpg"}) {
        catalogue.names.insert(base + TwoDigits(n) + suffix);
      }
    }
    catalogue.themes.push_back(theme);
    catalogue.pictureCounts.push_back(count);
  }
  catalogue.puzzleCount = data.Folders("data\\puzzles").size();
  if (catalogue.puzzleCount > 0) {
    catalogue.sizeCount = data.Files("data\\puzzles\\00", "*.pzf").size();
  }
  for (std::size_t i = 0; i < catalogue.puzzleCount; ++i) {
    const std::string base = "data\\puzzles\\" + TwoDigits(i) + "\\";
    catalogue.names.insert(base + "puzzle.xml");
    catalogue.names.insert(base + "preview.jpg");
    for (std::size_t m = 0; m < catalogue.sizeCount; ++m) {
      catalogue.names.insert(base + "puzzle_" + TwoDigits(m) + ".pzf");
    }
  }
  return catalogue;
}

TEST(DataCheck, TheDataIsPackedOnceBesideTheExecutable) {
  ASSERT_TRUE(std::filesystem::exists(kPack)) << "build the data target first";
  // Packed, never also loose: the data folder beside the executable holds packs only.
  for (const auto& entry : std::filesystem::directory_iterator(kBinFolder + "/data")) {
    EXPECT_EQ(entry.path().extension(), ".pak") << entry.path();
  }
  Data data;
  ASSERT_FALSE(data.Names().empty());
  for (const std::string& name : data.Names()) {
    EXPECT_EQ(name.rfind("data\\", 0), 0u) << name;
    EXPECT_TRUE(std::all_of(name.begin(), name.end(),
                            [](unsigned char c) { return c < 128 && !std::isupper(c) && !std::isspace(c); }))
        << "names are lower-case ASCII without blanks: " << name;
  }
}

TEST(DataCheck, EveryXmlFileParses) {
  Data data;
  for (const std::string& name : data.Names()) {
    if (FileManager::HasExtension(name, "xml")) {
      data.Parse(name);
    }
  }
  // Window files hold exactly one top element each.
  for (const std::string& name : data.Files("data\\ui\\windows", "*.xml")) {
    XMLNode* root = nullptr;
    try {
      GameTools::XMLParser(data.Files()).ParseText(root, name);
    } catch (const CorvantisEngine::FileError& error) {
      ADD_FAILURE() << name << ": " << error.GetMessage();
    }
    delete root;
  }
}

TEST(DataCheck, LevelsHoldStagesOfLevels) {
  Data data;
  const auto root = data.Parse("data\\levels\\levels.xml");
  const XMLNode* levels = root->FindChild("levels");
  ASSERT_NE(levels, nullptr);
  ASSERT_FALSE(levels->GetChildList().empty());
  for (const XMLNode* stage : levels->GetChildList()) {
    EXPECT_FALSE(stage->GetChildList().empty()) << "a stage without levels";
  }
}

TEST(DataCheck, ThemesHaveTheirPicturesPreviewsAndColoursAtOnePictureSize) {
  Data data;
  const Catalogue catalogue = ReadCatalogue(data);
  const auto prices = data.Parse("data\\themes\\themes.xml");
  std::int32_t themeCost = -1;
  std::int32_t pictureCost = -1;
  EXPECT_TRUE(IntAt(*prices, "content/theme_cost", themeCost));
  EXPECT_TRUE(IntAt(*prices, "content/picture_cost", pictureCost));
  EXPECT_GT(themeCost, 0);
  EXPECT_GT(pictureCost, 0);

  ASSERT_GE(catalogue.themes.size(), 4u);
  EXPECT_TRUE(std::is_sorted(catalogue.themes.begin(), catalogue.themes.end()));
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  for (std::size_t t = 0; t < catalogue.themes.size(); ++t) {
    const std::string& theme = catalogue.themes[t];
    SCOPED_TRACE(theme);
    EXPECT_GE(catalogue.pictureCounts[t], 6u);
    // Only the pictures' own files: no sub-folders (a pack listing would count their pictures too).
    EXPECT_TRUE(data.Folders("data\\themes\\" + theme).empty());
    for (std::size_t n = 0; n < catalogue.pictureCounts[t]; ++n) {
      const std::string base = "data\\themes\\" + theme + "\\" + TwoDigits(n);
      const Image picture = data.LoadImage(base + ".jpg");
      ASSERT_FALSE(picture.IsEmpty()) << base;
      EXPECT_EQ(picture.GetBitsPerPixel(), 24u) << base;
      if (width == 0) {
        width = picture.GetWidth();
        height = picture.GetHeight();
      }
      EXPECT_EQ(picture.GetWidth(), width) << base;
      EXPECT_EQ(picture.GetHeight(), height) << base;

      const Image preview = data.LoadImage(base + "_preview.jpg");
      EXPECT_TRUE(IsPowerOfTwo(preview.GetWidth()) && IsPowerOfTwo(preview.GetHeight())) << base;

      const auto colours = data.Parse(base + ".xml");
      const XMLNode* puzzle = colours->FindChild("puzzle");
      ASSERT_NE(puzzle, nullptr) << base;
      for (const char* name : {"background_color", "puzzle_color", "tip_color"}) {
        const XMLNode* colour = puzzle->FindChild(name);
        ASSERT_NE(colour, nullptr) << base << " " << name;
        std::int32_t rgb[4] = {-1, -1, -1, -1};
        EXPECT_EQ(colour->GetValue().GetInts(rgb, 4), 3u) << base << " " << name;
        for (int k = 0; k < 3; ++k) {
          EXPECT_TRUE(rgb[k] >= 0 && rgb[k] <= 255) << base << " " << name;
        }
      }
    }
  }
  EXPECT_LE(width, Puzzle::PieceShapeFile::kMaxPictureWidth);
  EXPECT_LE(height, Puzzle::PieceShapeFile::kMaxPictureHeight);
}

TEST(DataCheck, EveryPuzzleHasEverySizeCutForThePictureSize) {
  Data data;
  const Catalogue catalogue = ReadCatalogue(data);
  ASSERT_GE(catalogue.puzzleCount, 1u);
  ASSERT_GE(catalogue.sizeCount, 1u);
  const Image picture = data.LoadImage("data\\themes\\" + catalogue.themes.at(0) + "\\00.jpg");
  const std::uint32_t width = picture.GetWidth();
  const std::uint32_t height = picture.GetHeight();
  for (std::size_t i = 0; i < catalogue.puzzleCount; ++i) {
    const std::string base = "data\\puzzles\\" + TwoDigits(i) + "\\";
    SCOPED_TRACE(base);
    const auto price = data.Parse(base + "puzzle.xml");
    std::int32_t cost = -1;
    EXPECT_TRUE(IntAt(*price, "content/puzzle_cost", cost));
    EXPECT_GE(cost, 0);
    const Image preview = data.LoadImage(base + "preview.jpg");
    EXPECT_TRUE(IsPowerOfTwo(preview.GetWidth()) && IsPowerOfTwo(preview.GetHeight()));
    EXPECT_EQ(data.Files(base.substr(0, base.size() - 1), "*.pzf").size(), catalogue.sizeCount);
    std::size_t previousCount = 0;
    for (std::size_t m = 0; m < catalogue.sizeCount; ++m) {
      const std::string name = base + "puzzle_" + TwoDigits(m) + ".pzf";
      Puzzle::PieceShapes shapes;
      try {
        shapes = Puzzle::PieceShapeFile::Load(data.Files(), name, width, height);
      } catch (const CorvantisEngine::FileError& error) {
        ADD_FAILURE() << error.GetMessage();
        continue;
      }
      EXPECT_EQ(shapes.boardWidth, static_cast<float>(width)) << name;
      EXPECT_EQ(shapes.boardHeight, static_cast<float>(height)) << name;
      // Sizes grow box by box.
      EXPECT_GT(shapes.pieces.size(), previousCount) << name;
      previousCount = shapes.pieces.size();
      // Every picture pixel belongs to exactly one piece, and every piece has sample points.
      std::vector<std::uint8_t> owners(static_cast<std::size_t>(width) * height, 0);
      for (const Puzzle::PieceShape& piece : shapes.pieces) {
        for (std::int32_t r = 0; r < piece.height; ++r) {
          for (std::int32_t c = 0; c < piece.width; ++c) {
            if (piece.Contains(c, r)) {
              ++owners[static_cast<std::size_t>(piece.y + r) * width + static_cast<std::size_t>(piece.x + c)];
            }
          }
        }
        EXPECT_FALSE(piece.neighbours.empty()) << name;
        EXPECT_FALSE(Puzzle::PieceShapeFile::SamplePoints(piece).empty()) << name;
      }
      EXPECT_TRUE(std::all_of(owners.begin(), owners.end(), [](std::uint8_t n) { return n == 1; })) << name;
      EXPECT_TRUE(std::any_of(shapes.outline.begin(), shapes.outline.end(), [](std::uint8_t v) {
        return v == 255;
      })) << name;
    }
  }
}

// The files the game's code opens by name (the data names the rest). Sounds are named without their
// extension: the game takes "<name>.wav" and otherwise "<name>.ogg".
const char* const kResourceLists[] = {
    "data\\ui\\background\\resources_basic.xml",
    "data\\ui\\resources_basic.xml",
    "data\\ui\\background\\resources_additional.xml",
    "data\\game_objects\\resources.xml",
    "data\\ui\\resources_additional.xml",
};

const char* const kFilesTheCodeOpens[] = {
    // Texts and font lists
    "data\\ui\\texts\\texts.xml",
    "data\\ui\\texts\\default_texts.xml",
    "data\\ui\\fonts\\fonts_basic.xml",
    "data\\ui\\fonts\\fonts_additional.xml",
    // The menu background's description
    "data\\ui\\background\\background.xml",
    // The game cursor's three kinds (normal, tip, magnet) and their opacities
    "data\\ui\\cursors\\cursor.jpg",
    "data\\ui\\cursors\\cursor_alpha.jpg",
    "data\\ui\\cursors\\cursor_tip.jpg",
    "data\\ui\\cursors\\cursor_tip_alpha.jpg",
    "data\\ui\\cursors\\cursor_magnet.jpg",
    "data\\ui\\cursors\\cursor_magnet_alpha.jpg",
    // Publisher logos: the big ones at start, the small ones on the windows' logo places
    "data\\ui\\textures\\publishers\\0_logo_big.jpg",
    "data\\ui\\textures\\publishers\\1_logo_big.jpg",
    "data\\ui\\textures\\publishers\\0_logo_small.jpg",
    "data\\ui\\textures\\publishers\\0_logo_small_alpha.jpg",
    "data\\ui\\textures\\publishers\\1_logo_small.jpg",
    "data\\ui\\textures\\publishers\\1_logo_small_alpha.jpg",
};

const char* const kSoundsTheCodeRegisters[] = {
    // Widget sounds (ids 0-10 share these four files)
    "data\\audio\\menu\\button_select_0",
    "data\\audio\\menu\\button_select_1",
    "data\\audio\\menu\\button_click",
    "data\\audio\\menu\\edit_box_print",
    // Game sounds by id, 0-26
    "data\\audio\\menu\\volume_slider",
    "data\\audio\\menu\\window_appear",
    "data\\audio\\menu\\window_disappear",
    "data\\audio\\menu\\charge_score",
    "data\\audio\\game\\level_begin",
    "data\\audio\\game\\level_complete",
    "data\\audio\\game\\level_failed",
    "data\\audio\\game\\element_get",
    "data\\audio\\game\\element_put_0",
    "data\\audio\\game\\element_put_1",
    "data\\audio\\game\\element_put_2",
    "data\\audio\\game\\element_put_3",
    "data\\audio\\game\\element_put_4",
    "data\\audio\\game\\element_put_bad",
    "data\\audio\\game\\element_cancel",
    "data\\audio\\game\\bonus_tip",
    "data\\audio\\game\\bonus_magnet",
    "data\\audio\\game\\bonus_tip_apply",
    "data\\audio\\game\\bonus_magnet_apply",
    "data\\audio\\game\\bonus_pause_apply",
    "data\\audio\\game\\bonus_rollback_apply",
    "data\\audio\\game\\path_introduction",
    "data\\audio\\game\\path_introduction_end",
    "data\\audio\\game\\path_begin",
    "data\\audio\\game\\path_end",
    "data\\audio\\game\\path_warning",
    "data\\audio\\game\\charge_path_score",
    // Music tracks 0-2
    "data\\audio\\music\\menu",
    "data\\audio\\music\\game0",
    "data\\audio\\music\\game1",
};

// What the resource lists define, read the way the game's resource keeper reads them: groups add
// "<group>/" to the keys, loops repeat their entries with "%i%" counters, file names are relative to the
// list's folder. Files are data-relative ("ui\textures\button.tga").
struct ResourceKeys {
  std::map<std::string, std::string> models;                // key -> file
  std::map<std::string, std::string> particles;             // key -> file
  std::map<std::string, std::vector<std::string>> shaders;  // key -> image files
  std::vector<std::string> duplicates;                      // "kind key" defined twice
};

void ReadResourceEntries(const XMLNode& node, const std::string& folder, const std::string& prefix,
                         GameTools::DataKeeper::CounterStack& counters, ResourceKeys& keys) {
  using GameTools::DataKeeper;
  auto text = [&node](std::string_view name) {
    const GameTools::XMLValue* value = node.GetAttribute(name);
    return value != nullptr ? value->GetString() : std::string();
  };
  auto inFolder = [&](const std::string& name) {
    return Lower(folder + "\\" + DataKeeper::ExpandCounters(name, counters));
  };
  if (node.GetName() == "loop") {
    const std::string counter = node.HasAttribute("counter") ? text("counter") : std::string("i");
    const std::int32_t start = node.HasAttribute("start") ? node.GetAttribute("start")->GetInt() : 0;
    const std::int32_t count = node.HasAttribute("count") ? node.GetAttribute("count")->GetInt() : 0;
    EXPECT_TRUE(start >= 0 && count >= start && count - start <= 1000) << "loop over " << counter;
    counters.emplace_back(counter, 0);
    for (std::int32_t value = start; value < count && value - start <= 1000; ++value) {
      counters.back().second = static_cast<std::uint32_t>(value);
      for (const XMLNode* child : node.GetChildList()) {
        ReadResourceEntries(*child, folder, prefix, counters, keys);
      }
    }
    counters.pop_back();
    return;
  }
  const std::string name = text("name");
  if (name.empty()) {
    const std::string& group = node.GetName();
    const std::string childPrefix = (group.empty() || group == "resources") ? prefix : prefix + group + "/";
    for (const XMLNode* child : node.GetChildList()) {
      ReadResourceEntries(*child, folder, childPrefix, counters, keys);
    }
    return;
  }
  const std::string key = prefix + DataKeeper::ExpandCounters(name, counters);
  const std::string& kind = node.GetName();
  bool fresh = true;
  if (kind == "model") {
    fresh = keys.models.emplace(key, inFolder(text("file_name"))).second;
  } else if (kind == "particles") {
    fresh = keys.particles.emplace(key, inFolder(text("file_name"))).second;
  } else if (kind == "shader") {
    std::vector<std::string> images = {inFolder(text("diffuse_file_name"))};
    if (node.HasAttribute("opacity_file_name") && text("opacity_file_name") != "32bit") {
      images.push_back(inFolder(text("opacity_file_name")));
    }
    fresh = keys.shaders.emplace(key, images).second;
  } else {
    ADD_FAILURE() << "unknown resource entry " << kind << " " << key;
  }
  if (!fresh) {
    keys.duplicates.push_back(kind + " " + key);
  }
}

ResourceKeys ReadResourceLists(Data& data) {
  ResourceKeys keys;
  for (const char* list : kResourceLists) {
    const std::string name = list;
    const std::string folder = name.substr(5, name.rfind('\\') - 5);  // without "data\" and the file
    GameTools::DataKeeper::CounterStack counters;
    ReadResourceEntries(*data.Parse(name), folder, "", counters, keys);
  }
  return keys;
}

std::string WithExtension(const std::string& name, const std::string& extension) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('\\');
  return (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot)
                                                                                  : name) +
         extension;
}

// Collects every attribute value and element text of the tree, lower-cased with backslashes.
void CollectTexts(const XMLNode& node, std::set<std::string>& out) {
  auto add = [&out](const std::string& text) {
    std::string name = Lower(text);
    std::replace(name.begin(), name.end(), '/', '\\');
    out.insert(name);
  };
  add(node.GetValue().GetString());
  for (const auto& attribute : node.GetAttributeList()) {
    add(attribute->value.GetString());
  }
  for (const XMLNode* child : node.GetChildList()) {
    CollectTexts(*child, out);
  }
}

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('\\');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot) : name;
}

TEST(DataCheck, EveryFileInTheDataIsNamedBySomething) {
  Data data;
  const Catalogue catalogue = ReadCatalogue(data);
  for (const std::string& name : catalogue.names) {
    EXPECT_TRUE(std::find(data.Names().begin(), data.Names().end(), name) != data.Names().end())
        << "missing: " << name;
  }
  // Names written in the data's XML files: full paths, data-relative names, or names relative to the
  // XML file's own folder, compared with and without their extension (sounds are named without one; a
  // model's material is the same name with ".srf").
  std::set<std::string> texts;
  std::set<std::string> xmlFolders;
  for (const std::string& name : data.Names()) {
    if (FileManager::HasExtension(name, "xml")) {
      CollectTexts(*data.Parse(name), texts);
      xmlFolders.insert(name.substr(0, name.rfind('\\') + 1));
    }
  }
  std::set<std::string> stems;
  for (const std::string& text : texts) {
    stems.insert(WithoutExtension(text));
  }
  auto namedByText = [&](const std::string& name) {
    std::vector<std::string> forms = {name, name.substr(5)};  // full, and without "data\"
    for (const std::string& folder : xmlFolders) {
      if (name.rfind(folder, 0) == 0) {
        forms.push_back(name.substr(folder.size()));
      }
    }
    return std::any_of(forms.begin(), forms.end(), [&](const std::string& form) {
      return texts.count(form) != 0 || stems.count(WithoutExtension(form)) != 0;
    });
  };
  // Files the code opens, the resource lists' files with their materials, and the images those
  // materials name (read through the engine's shader reader; bare names are in the material's folder).
  std::set<std::string> named(catalogue.names.begin(), catalogue.names.end());
  named.insert(std::begin(kResourceLists), std::end(kResourceLists));
  named.insert(std::begin(kFilesTheCodeOpens), std::end(kFilesTheCodeOpens));
  for (const char* sound : kSoundsTheCodeRegisters) {
    named.insert(std::string(sound) + ".wav");
    named.insert(std::string(sound) + ".ogg");
  }
  const ResourceKeys keys = ReadResourceLists(data);
  std::vector<std::string> materials;
  for (const auto* files : {&keys.models, &keys.particles}) {
    for (const auto& [key, file] : *files) {
      named.insert("data\\" + file);
      materials.push_back(WithExtension(file, ".srf"));
    }
  }
  for (const auto& [key, images] : keys.shaders) {
    for (const std::string& image : images) {
      named.insert("data\\" + image);
    }
  }
  const std::set<std::string> packed(data.Names().begin(), data.Names().end());
  for (const std::string& material : materials) {
    if (packed.count("data\\" + material) == 0) {
      continue;  // an untextured model
    }
    named.insert("data\\" + material);
    try {
      const CorvantisEngine::ShaderDescriptor shader(data.Log(), data.Files(), material);
      for (std::uint32_t i = 0; i < shader.GetStageCount(); ++i) {
        // A material names image files only: "32bit" means nothing here and would be looked for as a file.
        for (const std::string& image : {shader.GetStage(i).diffuseName, shader.GetStage(i).opacityName}) {
          if (!image.empty()) {
            named.insert("data\\" + image);
            EXPECT_EQ(packed.count("data\\" + Lower(image)), 1u)
                << material << " names a missing image " << image;
          }
        }
      }
    } catch (const CorvantisEngine::Error& error) {
      ADD_FAILURE() << material << ": " << error.GetMessage();
    }
  }
  for (const std::string& name : data.Names()) {
    const bool windowFile =
        name.rfind("data\\ui\\windows\\", 0) == 0 && FileManager::HasExtension(name, "xml");
    EXPECT_TRUE(named.count(name) != 0 || windowFile || namedByText(name)) << "named by nothing: " << name;
  }
}

TEST(DataCheck, EveryFileTheCodeAndTheResourceListsNameExists) {
  Data data;
  const std::set<std::string> packed(data.Names().begin(), data.Names().end());
  for (const char* list : kResourceLists) {
    EXPECT_EQ(packed.count(list), 1u) << "missing: " << list;
  }
  for (const char* file : kFilesTheCodeOpens) {
    EXPECT_EQ(packed.count(file), 1u) << "missing: " << file;
  }
  for (const char* sound : kSoundsTheCodeRegisters) {
    EXPECT_TRUE(packed.count(std::string(sound) + ".wav") + packed.count(std::string(sound) + ".ogg") != 0)
        << "missing: " << sound;
  }
  const ResourceKeys keys = ReadResourceLists(data);
  // The keys the play field and the menus ask the resource keeper for.
  for (const char* key :
       {"carriage/model", "bonuses/magnet", "bonuses/pause", "bonuses/rollback", "bonuses/tip",
        "board/backdrop", "board/backdrop_relax", "board/level_complete", "depository/path/000",
        "depository/path/001", "depository/path/002", "depository/path/003", "depository/path/004",
        "depository/path/005", "depository/obstacle"}) {
    EXPECT_EQ(keys.models.count(key), 1u) << "no model " << key;
  }
  for (const char* key :
       {"board/level_complete", "board/tip", "depository/path_start", "depository/path_finish",
        "ui/start_game_stars", "ui/cursor_train", "ui/cursor_click"}) {
    EXPECT_EQ(keys.particles.count(key), 1u) << "no particle system " << key;
  }
  EXPECT_TRUE(keys.duplicates.empty()) << "defined twice: " << keys.duplicates.front();
  for (const auto* files : {&keys.models, &keys.particles}) {
    for (const auto& [key, file] : *files) {
      EXPECT_EQ(packed.count("data\\" + file), 1u) << key << ": missing " << file;
    }
  }
  for (const auto& [key, images] : keys.shaders) {
    for (const std::string& image : images) {
      EXPECT_EQ(packed.count("data\\" + image), 1u) << key << ": missing " << image;
    }
  }
}

// Text keys and fonts the game's code asks for by name (the window files name the rest).
const char* const kTextKeysTheCodeAsksFor[] = {
    "game_title",
    "game_logic/combo",
    "game_logic/bonuses/roll_back",
    "game_logic/bonuses/pause",
    "game_logic/bonuses/magnet",
    "game_logic/bonuses/tip",
    "common/exit",
    "common/cancel",
};
const char* const kFontsTheCodeAsksFor[] = {
    "main_menu_0", "main_menu_1", "main_menu_2", "common_0", "common_1", "common_2", "tip", "console",
};

TEST(DataCheck, TextsAndFontsTheCodeAsksForExistInEnglish) {
  Data data;
  std::vector<std::unique_ptr<XMLNode>> texts;
  for (const char* file : {"data\\ui\\texts\\texts.xml", "data\\ui\\texts\\default_texts.xml"}) {
    texts.push_back(data.Parse(file));
    ASSERT_NE(texts.back()->FindChild("texts"), nullptr) << file;
  }
  for (const char* key : kTextKeysTheCodeAsksFor) {
    const bool found = std::any_of(texts.begin(), texts.end(), [key](const std::unique_ptr<XMLNode>& file) {
      const XMLNode* node = GameTools::XMLSelectNode(file->FindChild("texts"), std::string(key) + "/en");
      return node != nullptr && node->HasAttribute("text");
    });
    EXPECT_TRUE(found) << "no English text: " << key;
  }

  // English is chosen by its font folder; every font has its size, font file and glyph sheet.
  EXPECT_FALSE(data.Files("data\\ui\\fonts\\en", "*.fnt").empty());
  const std::set<std::string> packed(data.Names().begin(), data.Names().end());
  std::set<std::string> fonts;
  for (const char* list : {"data\\ui\\fonts\\fonts_basic.xml", "data\\ui\\fonts\\fonts_additional.xml"}) {
    const auto root = data.Parse(list);
    const XMLNode* top = root->FindChild("fonts");
    ASSERT_NE(top, nullptr) << list;
    for (const XMLNode* font : top->GetChildList()) {
      const GameTools::XMLValue* name = font->GetAttribute("name");
      ASSERT_NE(name, nullptr) << list;
      EXPECT_TRUE(fonts.insert(name->GetString()).second) << "font twice: " << name->GetString();
      EXPECT_TRUE(font->HasAttribute("size")) << name->GetString();
      for (const char* item : {"description_file_path", "diffuse_image_path", "opacity_image_path"}) {
        const XMLNode* path = font->FindChild(item);
        ASSERT_TRUE(path != nullptr && path->HasAttribute("path")) << name->GetString() << " " << item;
        const std::string file = Lower(path->GetAttribute("path")->GetString());
        EXPECT_TRUE(file == "32bit" || packed.count("data\\" + file) == 1)
            << name->GetString() << ": " << file;
      }
    }
  }
  for (const char* font : kFontsTheCodeAsksFor) {
    EXPECT_EQ(fonts.count(font), 1u) << "no font " << font;
  }
}

}  // namespace
