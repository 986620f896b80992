#pragma once
// GameLogicData: the resource keeper of one level in play. Its load (on the keeper's worker thread)
// reads the picture, the piece-shape file and the picture's colour file, cuts one image per piece out
// of the picture (the piece's mask chooses the pixels, the shared outline map makes the cut lines
// transparent), packs those images into texture sheets (a TexturePack) and makes the three board
// textures: the cut lines in the puzzle colour ("puzzle"), the picture on white ("puzzle_theme"), a
// greyed copy ("puzzle_background") and that copy in the background colour with the cut lines laid
// over it ("puzzle_background_lined"), each 1024 x 512. The textures keep no pixels once on the device:
// after a device reset they are made again from the files (read again; a file that can no longer be
// read or no longer matches the level gives the checkerboard). The picture on white, drawn only when
// the level is complete, is made from the picture file when it is first drawn.
//
// Rows: images keep the engine's order (row 0 at the bottom), as the piece-shape file does, so a
// piece's rectangle (x, y, w, h) addresses the picture's stored rows y .. y + h - 1.
//
// Packing: the images are sorted largest first and named by their sorted position ("0", "1", ...);
// each sheet takes the longest front run of the pending images that fits 1024 x 1024 and is made the
// smallest of 32 x 32, 64 x 32, 64 x 64, ... 1024 x 1024 that holds that run. Every image sits in a
// cell with a 2-pixel empty margin. Within a sheet, each image is anchored to the right of, or below,
// an earlier one (see PackItemsIntoSheet). Placement depends only on the images before, so a run
// grows one image at a time without repacking.
//
// Failures: a piece-shape or colour file that cannot be read or trusted, a picture that cannot be
// loaded, and a piece too large for a sheet end the program through the log's Abort.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Vector.h"
#include "framework/LevelManagerBase.h"
#include "tools/game/DataKeeper.h"

namespace CorvantisEngine {
class Image;
class MessageManager;
}  // namespace CorvantisEngine

namespace Puzzle {

class TexturePack;

// One image to pack; the packer names it.
struct PackInput {
  std::string name;
  std::unique_ptr<CorvantisEngine::Image> image;
};

// The packer's working record of one image.
struct PackItem {
  static constexpr std::int32_t kMargin = 2;

  std::string name;
  PackInput* source = nullptr;
  std::uint32_t row = 0;
  std::uint8_t rightFree = 1;
  std::uint8_t belowFree = 1;
  std::uint32_t sheetIndex = 0;
  // The cell (image and margin) in the sheet; right and bottom exclusive.
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  CorvantisEngine::Vector2 uv0;
  CorvantisEngine::Vector2 uv1;

  std::int32_t CellWidth() const;
  std::int32_t CellHeight() const;
};

// A rectangle of texels: columns x .. x + width - 1, rows y .. y + height - 1.
struct TexelRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const TexelRect&) const = default;
};

class GameLogicData : public GameTools::DataKeeper {
 public:
  static constexpr std::uint32_t kTextureWidth = 1024;
  static constexpr std::uint32_t kTextureHeight = 512;
  static constexpr std::int32_t kMaxSheetSide = 1024;
  // The largest image side a sheet can hold with its margins.
  static constexpr std::int32_t kMaxImageSide = kMaxSheetSide - 2 * PackItem::kMargin;

  GameLogicData(CorvantisEngine::Engine* engine, const std::string& language,
                const GameFramework::StageRecord* stageRecord, const GameFramework::LevelRecord* levelRecord);
  ~GameLogicData() override;

  // Makes the images of the items at these indices (of the list given to PackTextures) again, in that
  // order; an image it cannot make is left null.
  using ItemSource = std::function<std::vector<std::unique_ptr<CorvantisEngine::Image>>(
      const std::vector<std::size_t>& items)>;
  // Where a sheet's images go: each item's index in the packed list, its corner and its size.
  struct SheetLayout {
    struct Item {
      std::size_t index = 0;
      std::int32_t x = 0;
      std::int32_t y = 0;
      std::uint32_t width = 0;
      std::uint32_t height = 0;
    };
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<Item> items;
  };

  // Packs the images into sheets, names them, and makes the pack. Ends the program through the log's
  // Abort for an empty list ("No items to pack") or an image no sheet can hold. With an item source
  // the sheets keep no pixels once on the device: a sheet is made again from the source's images.
  static void PackTextures(CorvantisEngine::Engine* engine, std::vector<PackInput>& items,
                           std::unique_ptr<TexturePack>& pack, const std::string& packName,
                           ItemSource itemSource = {});
  // The sheet laid out from the source's images; null when the source cannot make them all at the
  // sizes they were packed at.
  static std::unique_ptr<CorvantisEngine::Image> MakeSheet(CorvantisEngine::MessageManager* log,
                                                           const SheetLayout& layout,
                                                           const ItemSource& itemSource);
  // Places every record in a W x H sheet in list order, from scratch; false at the first one that
  // does not fit.
  static bool PackItemsIntoSheet(std::int32_t width, std::int32_t height, std::vector<PackItem*>& records);
  static bool CompareItemArea(const PackItem& a, const PackItem& b);

  // The side of the square cells the cut lines are drawn in.
  static constexpr std::int32_t kOutlineCell = 8;
  // Where a texture whose alpha is `alpha` (`width` x `height`, row by row; texels beyond it in a
  // `textureWidth` x `textureHeight` texture are transparent) can draw anything when it is sampled
  // bilinearly: the `cell` x `cell` squares of the texture that hold, or touch, a texel whose alpha is
  // not 0 (past the texture's edges the sampler clamps), clipped to the `clipWidth`
  // x `clipHeight` texels from the origin. A pixel whose sample point falls in no cell reads four
  // transparent texels. Neighbouring cells of a row of cells run together into one rectangle; the
  // rectangles come row of cells by row of cells, each row from left to right.
  static std::vector<TexelRect> OutlineCells(const std::uint8_t* alpha, std::int32_t width,
                                             std::int32_t height, std::int32_t textureWidth,
                                             std::int32_t textureHeight, std::int32_t clipWidth,
                                             std::int32_t clipHeight, std::int32_t cell);

  // The sheet sizes tried in order, smallest first.
  static std::vector<std::pair<std::int32_t, std::int32_t>> SheetSizes();

  // How many level loads this process has numbered so far.
  static std::uint32_t GetLoadCount() { return loadCounter.load(); }

  const GameFramework::StageRecord* stageRecord;
  const GameFramework::LevelRecord* levelRecord;
  std::string picturePath;
  std::string coloursPath;
  std::string shapePath;
  CorvantisEngine::Vector2 boardSize;
  std::vector<CorvantisEngine::Vector2> pieceCentres;
  std::vector<CorvantisEngine::Vector2> pieceSizes;
  std::vector<std::pair<std::int32_t, std::int32_t>> piecePositions;
  std::vector<std::pair<std::int32_t, std::int32_t>> pieceSizesInPixels;
  std::vector<std::vector<std::uint32_t>> neighbours;
  std::vector<std::string> pieceImageNames;
  std::vector<std::vector<CorvantisEngine::Vector2>> samplePoints;
  CorvantisEngine::ShaderUser* backgroundShader = nullptr;
  CorvantisEngine::ShaderUser* themeShader = nullptr;
  CorvantisEngine::ShaderUser* puzzleShader = nullptr;
  // The greyed picture in the background colour with the cut lines over it: the board where no slot
  // draws.
  CorvantisEngine::ShaderUser* linedBackgroundShader = nullptr;
  // The parts of the board where the cut lines show (see OutlineCells), in the puzzle texture's texels.
  std::vector<TexelRect> outlineCells;
  std::unique_ptr<TexturePack> texturePack;
  CorvantisEngine::Vector4 puzzleColour{1, 1, 1, 1};
  CorvantisEngine::Vector4 backgroundColour{1, 1, 1, 1};
  CorvantisEngine::Vector4 tipColour{1, 1, 1, 1};

  std::size_t GetPieceCount() const { return pieceCentres.size(); }
  // The number this load gave its textures ("puzzle_elements_<K>").
  std::uint32_t GetLoadNumber() const { return loadNumber; }

 protected:
  void LoadPending() override;

 private:
  void ReadColours();
  static std::atomic<std::uint32_t> loadCounter;
  std::uint32_t loadNumber = 0;
};

}  // namespace Puzzle
