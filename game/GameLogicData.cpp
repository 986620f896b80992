#include "game/GameLogicData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "game/PieceShapeFile.h"
#include "game/TexturePack.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"

namespace Puzzle {

using CorvantisEngine::Image;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector4;

std::atomic<std::uint32_t> GameLogicData::loadCounter{0};

std::int32_t PackItem::CellWidth() const {
  return static_cast<std::int32_t>(source->image->GetWidth()) + 2 * kMargin;
}

std::int32_t PackItem::CellHeight() const {
  return static_cast<std::int32_t>(source->image->GetHeight()) + 2 * kMargin;
}

namespace {

// Places records one after another in a sheet. Overlap tests look only at the placed cells that share
// a bucket of the sheet with the candidate, so a run of hundreds of records stays fast.
class SheetPacker {
 public:
  static constexpr std::int32_t kBucket = 64;

  SheetPacker(std::int32_t width, std::int32_t height)
      : width_(width),
        height_(height),
        columns_((width + kBucket - 1) / kBucket),
        rows_((height + kBucket - 1) / kBucket),
        buckets_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

  // Places the record after those placed so far; false (the record and the packer unchanged) when it
  // does not fit.
  bool Place(PackItem& record) {
    const std::int32_t w = record.CellWidth();
    const std::int32_t h = record.CellHeight();
    if (placed_.empty()) {
      if (w > width_ || h > height_) {
        return false;
      }
      Take(record, nullptr, 0, 0, 0, false);
      return true;
    }
    PackItem* rightAnchor = nullptr;
    PackItem* belowAnchor = nullptr;
    for (PackItem* j : placed_) {
      if (j->rightFree != 0 && Free(j->right, j->top, w, h)) {
        rightAnchor = j;
        break;
      }
    }
    for (PackItem* j : placed_) {
      if (j->belowFree != 0 && Free(j->left, j->bottom, w, h)) {
        belowAnchor = j;
        break;
      }
    }
    if (rightAnchor == nullptr && belowAnchor == nullptr) {
      return false;
    }
    const bool takeBelow =
        belowAnchor != nullptr && (rightAnchor == nullptr || rightAnchor->row >= belowAnchor->row + 1);
    if (takeBelow) {
      Take(record, belowAnchor, belowAnchor->left, belowAnchor->bottom, belowAnchor->row + 1, true);
    } else {
      Take(record, rightAnchor, rightAnchor->right, rightAnchor->top, rightAnchor->row, false);
    }
    return true;
  }

 private:
  // True when a w x h cell at (left, top) ends inside the sheet and overlaps no placed cell. Cells of
  // whole pixels overlap exactly when their open rectangles intersect; touching is allowed.
  bool Free(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h) const {
    if (left + w > width_ || top + h > height_) {
      return false;
    }
    const std::int32_t right = left + w;
    const std::int32_t bottom = top + h;
    for (std::int32_t by = top / kBucket; by <= (bottom - 1) / kBucket; ++by) {
      for (std::int32_t bx = left / kBucket; bx <= (right - 1) / kBucket; ++bx) {
        for (const PackItem* other : buckets_[static_cast<std::size_t>(by * columns_ + bx)]) {
          if (other->left < right && left < other->right && other->top < bottom && top < other->bottom) {
            return false;
          }
        }
      }
    }
    return true;
  }

  void Take(PackItem& record, PackItem* anchor, std::int32_t left, std::int32_t top, std::uint32_t row,
            bool below) {
    if (anchor != nullptr) {
      (below ? anchor->belowFree : anchor->rightFree) = 0;
    }
    record.left = left;
    record.top = top;
    record.right = left + record.CellWidth();
    record.bottom = top + record.CellHeight();
    record.rightFree = 1;
    record.belowFree = 1;
    record.row = row;
    for (std::int32_t by = record.top / kBucket; by <= (record.bottom - 1) / kBucket; ++by) {
      for (std::int32_t bx = record.left / kBucket; bx <= (record.right - 1) / kBucket; ++bx) {
        buckets_[static_cast<std::size_t>(by * columns_ + bx)].push_back(&record);
      }
    }
    placed_.push_back(&record);
  }

  std::int32_t width_;
  std::int32_t height_;
  std::int32_t columns_;
  std::int32_t rows_;
  std::vector<std::vector<const PackItem*>> buckets_;
  std::vector<PackItem*> placed_;
};

}  // namespace

bool GameLogicData::CompareItemArea(const PackItem& a, const PackItem& b) {
  const std::uint64_t areaA =
      static_cast<std::uint64_t>(a.source->image->GetWidth()) * a.source->image->GetHeight();
  const std::uint64_t areaB =
      static_cast<std::uint64_t>(b.source->image->GetWidth()) * b.source->image->GetHeight();
  return areaA > areaB;
}

std::vector<std::pair<std::int32_t, std::int32_t>> GameLogicData::SheetSizes() {
  std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
  std::int32_t w = 32;
  std::int32_t h = 32;
  while (true) {
    sizes.emplace_back(w, h);
    if (w >= kMaxSheetSide && h >= kMaxSheetSide) {
      break;
    }
    if (h < w) {
      h *= 2;
    } else {
      w *= 2;
    }
  }
  return sizes;
}

bool GameLogicData::PackItemsIntoSheet(std::int32_t width, std::int32_t height,
                                       std::vector<PackItem*>& records) {
  SheetPacker packer(width, height);
  for (PackItem* record : records) {
    if (!packer.Place(*record)) {
      return false;
    }
  }
  return true;
}

std::unique_ptr<Image> GameLogicData::MakeSheet(CorvantisEngine::MessageManager* log,
                                                const SheetLayout& layout, const ItemSource& itemSource) {
  std::vector<std::size_t> wanted;
  wanted.reserve(layout.items.size());
  for (const SheetLayout::Item& item : layout.items) {
    wanted.push_back(item.index);
  }
  std::vector<std::unique_ptr<Image>> images = itemSource(wanted);
  if (images.size() != layout.items.size()) {
    return nullptr;
  }
  auto sheet = std::make_unique<Image>();
  sheet->Create(log, static_cast<std::uint32_t>(layout.width), static_cast<std::uint32_t>(layout.height), 32);
  std::memset(sheet->GetPixels(), 0, static_cast<std::size_t>(layout.width) * layout.height * 4);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const SheetLayout::Item& item = layout.items[i];
    // An image that no longer has the size it was packed at would overlap its neighbours.
    if (images[i] == nullptr || images[i]->GetWidth() != item.width ||
        images[i]->GetHeight() != item.height) {
      return nullptr;
    }
    sheet->Paste(item.x, item.y, *images[i]);
  }
  return sheet;
}

void GameLogicData::PackTextures(CorvantisEngine::Engine* engine, std::vector<PackInput>& items,
                                 std::unique_ptr<TexturePack>& pack, const std::string& packName,
                                 ItemSource itemSource) {
  CorvantisEngine::MessageManager* log = engine->GetMessageManager();
  if (items.empty()) {
    log->Abort("No items to pack");
  }
  std::vector<PackItem> records(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Image& image = *items[i].image;
    if (image.GetWidth() == 0 || image.GetHeight() == 0 || image.GetWidth() > kMaxImageSide ||
        image.GetHeight() > kMaxImageSide) {
      log->Abort("Image of " + std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) +
                 " pixels does not fit a texture sheet of \"" + packName + "\" pack");
    }
    records[i].source = &items[i];
  }
  // Equal areas keep their input order, so the same level always packs the same way.
  std::stable_sort(records.begin(), records.end(), CompareItemArea);
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].name = std::to_string(i);
    records[i].source->name = records[i].name;
  }

  const auto sizes = SheetSizes();
  std::vector<std::unique_ptr<Image>> sheets;
  // Where each sheet's images go, for making a sheet again from the item source.
  auto layouts = std::make_shared<std::vector<SheetLayout>>();
  std::size_t next = 0;
  while (next < records.size()) {
    // The longest front run that fits the largest sheet: placing never moves earlier records, so the
    // run grows one record at a time.
    std::vector<PackItem*> current;
    SheetPacker largest(kMaxSheetSide, kMaxSheetSide);
    std::uint64_t area = 0;
    while (next < records.size() && largest.Place(records[next])) {
      area += static_cast<std::uint64_t>(records[next].CellWidth()) * records[next].CellHeight();
      current.push_back(&records[next]);
      ++next;
    }
    // The smallest sheet that holds the run (too small an area cannot hold it).
    std::int32_t sheetWidth = kMaxSheetSide;
    std::int32_t sheetHeight = kMaxSheetSide;
    for (const auto& [w, h] : sizes) {
      if (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) < area) {
        continue;
      }
      if (PackItemsIntoSheet(w, h, current)) {
        sheetWidth = w;
        sheetHeight = h;
        break;
      }
    }
    auto sheet = std::make_unique<Image>();
    sheet->Create(log, static_cast<std::uint32_t>(sheetWidth), static_cast<std::uint32_t>(sheetHeight), 32);
    std::memset(sheet->GetPixels(), 0, static_cast<std::size_t>(sheetWidth) * sheetHeight * 4);
    const auto sheetIndex = static_cast<std::uint32_t>(sheets.size());
    SheetLayout& layout = layouts->emplace_back();
    layout.width = sheetWidth;
    layout.height = sheetHeight;
    for (PackItem* record : current) {
      const std::int32_t x = record->left + PackItem::kMargin;
      const std::int32_t y = record->top + PackItem::kMargin;
      sheet->Paste(x, y, *record->source->image);
      layout.items.push_back({static_cast<std::size_t>(record->source - items.data()), x, y,
                              record->source->image->GetWidth(), record->source->image->GetHeight()});
      record->uv0 = Vector2{static_cast<float>(x) / sheetWidth, static_cast<float>(y) / sheetHeight};
      record->uv1 = Vector2{static_cast<float>(record->right - PackItem::kMargin) / sheetWidth,
                            static_cast<float>(record->bottom - PackItem::kMargin) / sheetHeight};
      record->sheetIndex = sheetIndex;
    }
    sheets.push_back(std::move(sheet));
  }

  TexturePack::SheetSource sheetSource;
  if (itemSource) {
    sheetSource = [log, layouts, itemSource = std::move(itemSource)](std::uint32_t index) {
      return MakeSheet(log, (*layouts)[index], itemSource);
    };
  }
  pack = std::make_unique<TexturePack>(engine, std::move(sheets), packName, std::move(sheetSource));
  for (const PackItem& record : records) {
    pack->AddItem(record.name, record.sheetIndex, record.uv0, record.uv1);
  }
}

GameLogicData::GameLogicData(CorvantisEngine::Engine* engine, const std::string& language,
                             const GameFramework::StageRecord* stageRecord_,
                             const GameFramework::LevelRecord* levelRecord_)
    : DataKeeper(engine, language, true), stageRecord(stageRecord_), levelRecord(levelRecord_) {}

GameLogicData::~GameLogicData() {
  // The worker must not run LoadPending on a half-destroyed keeper.
  StopLoad();
  texturePack.reset();
}

namespace {

Vector4 ParseColour(const GameTools::XMLNode* node) {
  float rgb[3] = {0, 0, 0};
  node->GetValue().GetFloats(rgb, 3);
  return Vector4(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f);
}

std::uint8_t Grey(const std::uint8_t* p, int channel) {
  const float mean = (static_cast<float>(p[0]) + p[1] + p[2]) / 3.0f;
  return static_cast<std::uint8_t>(0.8f * mean + 0.2f * static_cast<float>(p[channel]));
}

using CorvantisEngine::FileManager;
using CorvantisEngine::MessageManager;
constexpr std::uint32_t kTextureWidth = GameLogicData::kTextureWidth;
constexpr std::uint32_t kTextureHeight = GameLogicData::kTextureHeight;

// The level's picture with 24 bits a pixel; false when it cannot be read.
bool LoadPicture(MessageManager* log, FileManager* files, const std::string& path, Image& picture) {
  if (!picture.Load(log, files, path)) {
    return false;
  }
  if (picture.GetBitsPerPixel() != 24) {
    picture.ConvertBitsPerPixel(24);
  }
  return true;
}

// One piece's image: the picture's colours, opaque inside the mask apart from the cut lines.
std::unique_ptr<Image> CutPiece(MessageManager* log, const Image& picture, const std::uint8_t* outline,
                                const PieceShape& piece) {
  const std::uint32_t pictureWidth = picture.GetWidth();
  auto image = std::make_unique<Image>();
  image->Create(log, static_cast<std::uint32_t>(piece.width), static_cast<std::uint32_t>(piece.height), 32);
  std::uint8_t* out = image->GetPixels();
  const std::uint8_t* mask = piece.mask.data();
  for (std::int32_t row = 0; row < piece.height; ++row) {
    const std::size_t pictureOffset =
        static_cast<std::size_t>(piece.y + row) * pictureWidth + static_cast<std::size_t>(piece.x);
    const std::uint8_t* from = picture.GetPixels() + pictureOffset * 3;
    const std::uint8_t* lines = outline + pictureOffset;
    for (std::int32_t column = 0; column < piece.width; ++column, out += 4, from += 3, ++mask) {
      out[0] = from[0];
      out[1] = from[1];
      out[2] = from[2];
      out[3] = *mask != 0 ? static_cast<std::uint8_t>(255 - lines[column]) : 0;
    }
  }
  return image;
}

// The cut lines: the puzzle colour everywhere, opaque only on the lines.
std::unique_ptr<Image> MakeLines(MessageManager* log, const std::uint8_t* outline, std::uint32_t pictureWidth,
                                 std::uint32_t pictureHeight, const Vector4& puzzleColour) {
  // One pass: the colour as the image's own fill would store it, the alpha from the outline map.
  Image colour;
  colour.Create(log, 1, 1, 32);
  colour.Fill(puzzleColour);
  const std::uint8_t* rgb = colour.GetPixels();
  auto lines = std::make_unique<Image>();
  lines->Create(log, kTextureWidth, kTextureHeight, 32);
  for (std::uint32_t row = 0; row < kTextureHeight; ++row) {
    std::uint8_t* out = lines->GetPixels() + static_cast<std::size_t>(row) * kTextureWidth * 4;
    for (std::uint32_t column = 0; column < kTextureWidth; ++column, out += 4) {
      out[0] = rgb[0];
      out[1] = rgb[1];
      out[2] = rgb[2];
      out[3] = row < pictureHeight && column < pictureWidth ? outline[row * pictureWidth + column] : 0;
    }
  }
  return lines;
}

// The picture on white.
std::unique_ptr<Image> MakeTheme(MessageManager* log, const Image& picture) {
  auto theme = std::make_unique<Image>();
  theme->Create(log, kTextureWidth, kTextureHeight, 24);
  std::memset(theme->GetPixels(), 255, static_cast<std::size_t>(kTextureWidth) * kTextureHeight * 3);
  theme->Paste(0, 0, picture);
  return theme;
}

// A greyed copy of the picture on white.
std::unique_ptr<Image> MakeGrey(MessageManager* log, const Image& theme) {
  auto background = std::make_unique<Image>();
  background->Create(log, kTextureWidth, kTextureHeight, 24);
  const std::size_t pixels = static_cast<std::size_t>(kTextureWidth) * kTextureHeight;
  const std::uint8_t* from = theme.GetPixels();
  std::uint8_t* to = background->GetPixels();
  for (std::size_t p = 0; p < pixels; ++p, from += 3, to += 3) {
    to[0] = Grey(from, 0);
    to[1] = Grey(from, 1);
    to[2] = Grey(from, 2);
  }
  return background;
}

// The greyed picture as the board shows it where no slot draws: in the background colour, the cut
// lines laid over it.
std::unique_ptr<Image> MakeLined(MessageManager* log, const Image& grey, const Image& lines,
                                 const Vector4& backgroundColour) {
  auto lined = std::make_unique<Image>();
  lined->Create(log, kTextureWidth, kTextureHeight, 24);
  Image tint;
  tint.Create(log, 1, 1, 32);
  tint.Fill(Vector4(backgroundColour.x, backgroundColour.y, backgroundColour.z, 1.0f));
  const std::uint8_t* k = tint.GetPixels();
  const std::uint8_t* from = grey.GetPixels();
  const std::uint8_t* line = lines.GetPixels();
  std::uint8_t* out = lined->GetPixels();
  const std::size_t pixels = static_cast<std::size_t>(kTextureWidth) * kTextureHeight;
  for (std::size_t p = 0; p < pixels; ++p, from += 3, line += 4, out += 3) {
    const std::uint32_t a = line[3];
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t tinted = (from[c] * static_cast<std::uint32_t>(k[c]) + 127) / 255;
      out[c] = static_cast<std::uint8_t>((tinted * (255 - a) + line[c] * a + 127) / 255);
    }
  }
  return lined;
}

// What the level's textures are made from, so that they can be made again when the device has lost
// them, without keeping their pixels: the files (read again then), the colours, and the pieces' sizes,
// which the files must still give.
struct LevelSource {
  MessageManager* log = nullptr;
  FileManager* files = nullptr;
  std::string picturePath;
  std::string shapePath;
  Vector4 puzzleColour;
  Vector4 backgroundColour;
  std::vector<std::pair<std::int32_t, std::int32_t>> pieceSizes;

  // The picture and the shapes read again; false (and logged) when they cannot be read or no longer
  // match the level as it was loaded.
  bool Read(Image& picture, PieceShapes& shapes) const {
    if (!LoadPicture(log, files, picturePath, picture)) {
      log->Error("Failed to open \"" + picturePath + "\" image again");
      return false;
    }
    try {
      shapes = PieceShapeFile::Load(files, shapePath, picture.GetWidth(), picture.GetHeight());
    } catch (const CorvantisEngine::FileError& error) {
      log->Error(error.GetMessage());
      return false;
    }
    bool same = shapes.pieces.size() == pieceSizes.size();
    for (std::size_t i = 0; same && i < pieceSizes.size(); ++i) {
      same = shapes.pieces[i].width == pieceSizes[i].first && shapes.pieces[i].height == pieceSizes[i].second;
    }
    if (!same) {
      log->Error("\"" + shapePath + "\" no longer matches the level in play");
    }
    return same;
  }

  std::vector<std::unique_ptr<Image>> Pieces(const std::vector<std::size_t>& wanted) const {
    std::vector<std::unique_ptr<Image>> images(wanted.size());
    Image picture;
    PieceShapes shapes;
    if (!Read(picture, shapes)) {
      return images;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      if (wanted[i] < shapes.pieces.size()) {
        images[i] = CutPiece(log, picture, shapes.outline.data(), shapes.pieces[wanted[i]]);
      }
    }
    return images;
  }

  enum class Board { kLines, kTheme, kGrey, kLined };
  std::unique_ptr<Image> Make(Board board) const {
    Image picture;
    if (board == Board::kTheme) {
      // The picture alone.
      if (!LoadPicture(log, files, picturePath, picture)) {
        log->Error("Failed to open \"" + picturePath + "\" image again");
        return nullptr;
      }
      return MakeTheme(log, picture);
    }
    PieceShapes shapes;
    if (!Read(picture, shapes)) {
      return nullptr;
    }
    const auto lines = [&] {
      return MakeLines(log, shapes.outline.data(), picture.GetWidth(), picture.GetHeight(), puzzleColour);
    };
    switch (board) {
      case Board::kLines:
        return lines();
      case Board::kTheme:
        return MakeTheme(log, picture);
      case Board::kGrey:
        return MakeGrey(log, *MakeTheme(log, picture));
      case Board::kLined:
        break;
    }
    return MakeLined(log, *MakeGrey(log, *MakeTheme(log, picture)), *lines(), backgroundColour);
  }
};

}  // namespace

void GameLogicData::ReadColours() {
  GameTools::XMLNode root;
  GameTools::XMLParser(fileManager_).Parse(&root, coloursPath);
  const GameTools::XMLNode* puzzle = root.FindChild("puzzle");
  if (puzzle == nullptr) {
    return;
  }
  const struct {
    const char* name;
    Vector4* colour;
  } entries[] = {
      {"background_color", &backgroundColour}, {"puzzle_color", &puzzleColour}, {"tip_color", &tipColour}};
  for (const auto& entry : entries) {
    const GameTools::XMLNode* node = puzzle->FindChild(entry.name);
    *entry.colour = node != nullptr ? ParseColour(node) : Vector4(1, 1, 1, 1);
  }
}

std::vector<TexelRect> GameLogicData::OutlineCells(const std::uint8_t* alpha, std::int32_t width,
                                                   std::int32_t height, std::int32_t textureWidth,
                                                   std::int32_t textureHeight, std::int32_t clipWidth,
                                                   std::int32_t clipHeight, std::int32_t cell) {
  std::vector<TexelRect> cells;
  if (cell <= 0 || textureWidth <= 0 || textureHeight <= 0) {
    return cells;
  }
  width = std::clamp(width, 0, textureWidth);
  height = std::clamp(height, 0, textureHeight);
  clipWidth = std::clamp(clipWidth, 0, textureWidth);
  clipHeight = std::clamp(clipHeight, 0, textureHeight);
  const std::int32_t columns = (textureWidth + cell - 1) / cell;
  const std::int32_t rows = (textureHeight + cell - 1) / cell;
  // A sample point in a cell reads the texels from one before the cell to one after it on each axis,
  // so a texel that is not transparent marks the cells of its own column and row and of those either
  // side of it.
  std::vector<std::uint8_t> marked(static_cast<std::size_t>(columns) * rows, 0);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = alpha + static_cast<std::size_t>(y) * width;
    for (std::int32_t x = 0; x < width; ++x) {
      if (row[x] == 0) {
        continue;
      }
      // Past the texture's edges the sampler clamps: the edge texel is read again.
      const std::int32_t cy0 = std::max(y - 1, 0) / cell;
      const std::int32_t cy1 = std::min(y + 1, textureHeight - 1) / cell;
      const std::int32_t cx0 = std::max(x - 1, 0) / cell;
      const std::int32_t cx1 = std::min(x + 1, textureWidth - 1) / cell;
      for (std::int32_t cy = cy0; cy <= cy1; ++cy) {
        for (std::int32_t cx = cx0; cx <= cx1; ++cx) {
          marked[static_cast<std::size_t>(cy) * columns + cx] = 1;
        }
      }
    }
  }
  for (std::int32_t cy = 0; cy < rows; ++cy) {
    const std::int32_t top = cy * cell;
    const std::int32_t bottom = std::min(top + cell, clipHeight);
    if (bottom <= top) {
      break;
    }
    std::int32_t cx = 0;
    while (cx < columns) {
      if (marked[static_cast<std::size_t>(cy) * columns + cx] == 0) {
        ++cx;
        continue;
      }
      const std::int32_t first = cx;
      while (cx < columns && marked[static_cast<std::size_t>(cy) * columns + cx] != 0) {
        ++cx;
      }
      const std::int32_t left = first * cell;
      const std::int32_t right = std::min(cx * cell, clipWidth);
      if (right > left) {
        cells.push_back({left, top, right - left, bottom - top});
      }
    }
  }
  return cells;
}

void GameLogicData::LoadPending() {
  DataKeeper::LoadPending();

  Image picture;
  if (!LoadPicture(log_, fileManager_, picturePath, picture)) {
    log_->Abort("Failed to open \"" + picturePath + "\" image!");
  }
  const std::uint32_t pictureWidth = picture.GetWidth();
  const std::uint32_t pictureHeight = picture.GetHeight();

  PieceShapes shapes;
  try {
    shapes = PieceShapeFile::Load(fileManager_, shapePath, pictureWidth, pictureHeight);
    ReadColours();
  } catch (const CorvantisEngine::FileError& error) {
    log_->Abort(error.GetMessage());
  }

  const std::size_t count = shapes.pieces.size();
  boardSize = Vector2{shapes.boardWidth, shapes.boardHeight};
  pieceCentres.assign(count, Vector2());
  pieceSizes.assign(count, Vector2());
  piecePositions.assign(count, {0, 0});
  pieceSizesInPixels.assign(count, {0, 0});
  neighbours.assign(count, {});
  samplePoints.assign(count, {});
  pieceImageNames.assign(count, std::string());

  std::vector<PackInput> inputs(count);
  const std::uint8_t* outline = shapes.outline.data();
  for (std::size_t i = 0; i < count; ++i) {
    PieceShape& piece = shapes.pieces[i];
    const auto w = static_cast<float>(piece.width);
    const auto h = static_cast<float>(piece.height);
    pieceSizes[i] = Vector2{w, h};
    piecePositions[i] = {piece.x, piece.y};
    pieceSizesInPixels[i] = {piece.width, piece.height};
    pieceCentres[i] = Vector2{static_cast<float>(piece.x) + 0.5f * w, static_cast<float>(piece.y) + 0.5f * h};
    neighbours[i] = std::move(piece.neighbours);
    samplePoints[i] = PieceShapeFile::SamplePoints(piece);
    inputs[i].image = CutPiece(log_, picture, outline, piece);
    piece.mask = {};
  }

  // The textures keep no pixels: after a device loss they are made again from the files.
  auto source = std::make_shared<LevelSource>();
  source->log = log_;
  source->files = fileManager_;
  source->picturePath = picturePath;
  source->shapePath = shapePath;
  source->puzzleColour = puzzleColour;
  source->backgroundColour = backgroundColour;
  source->pieceSizes = pieceSizesInPixels;

  loadNumber = loadCounter.fetch_add(1);
  const std::string number = std::to_string(loadNumber);
  PackTextures(engine_, inputs, texturePack, "puzzle_elements_" + number,
               [source](const std::vector<std::size_t>& wanted) { return source->Pieces(wanted); });
  for (std::size_t i = 0; i < count; ++i) {
    pieceImageNames[i] = inputs[i].name;
  }
  inputs.clear();

  auto lines = MakeLines(log_, outline, pictureWidth, pictureHeight, puzzleColour);
  outlineCells =
      OutlineCells(outline, static_cast<std::int32_t>(pictureWidth), static_cast<std::int32_t>(pictureHeight),
                   static_cast<std::int32_t>(kTextureWidth), static_cast<std::int32_t>(kTextureHeight),
                   static_cast<std::int32_t>(std::ceil(boardSize.x)),
                   static_cast<std::int32_t>(std::ceil(boardSize.y)), kOutlineCell);
  auto background = MakeGrey(log_, *MakeTheme(log_, picture));
  auto lined = MakeLined(log_, *background, *lines, backgroundColour);

  using Board = LevelSource::Board;
  const auto remake = [source](Board board) {
    return std::function<std::unique_ptr<Image>()>([source, board] { return source->Make(board); });
  };
  puzzleShader = MakeImageShader(shaderManager_, "puzzle_" + number, std::move(lines), true, nullptr,
                                 remake(Board::kLines));
  AddShaderUser("puzzle", puzzleShader);
  // The picture on white shows only once the level is complete: it is made when it is first drawn.
  themeShader = MakeImageShader(shaderManager_, "puzzle_theme_" + number, nullptr, false, nullptr,
                                remake(Board::kTheme));
  AddShaderUser("puzzle_theme", themeShader);
  backgroundShader = MakeImageShader(shaderManager_, "puzzle_background_" + number, std::move(background),
                                     false, nullptr, remake(Board::kGrey));
  AddShaderUser("puzzle_background", backgroundShader);
  linedBackgroundShader = MakeImageShader(shaderManager_, "puzzle_background_lined_" + number,
                                          std::move(lined), false, nullptr, remake(Board::kLined));
  AddShaderUser("puzzle_background_lined", linedBackgroundShader);
}

}  // namespace Puzzle
