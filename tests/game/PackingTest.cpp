// Packing piece images into texture sheets: the placements of small cases, a table of larger ones
// checked for sheet sizes, margins, overlaps and uv rectangles that read back exactly their image,
// the split over several sheets, and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "GameTestSupport.h"
#include "engine/core/Error.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "game/GameLogicData.h"
#include "game/TexturePack.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Image;

// An image whose every pixel tells its item and position.
std::unique_ptr<Image> Tagged(std::uint32_t id, std::uint32_t w, std::uint32_t h) {
  auto image = std::make_unique<Image>();
  image->Create(nullptr, w, h, 32);
  std::uint8_t* p = image->GetPixels();
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x, p += 4) {
      p[0] = static_cast<std::uint8_t>(id);
      p[1] = static_cast<std::uint8_t>(x);
      p[2] = static_cast<std::uint8_t>(y);
      p[3] = static_cast<std::uint8_t>(1 + (id >> 8));
    }
  }
  return image;
}

class PackingTest : public gametest::EngineTest {
 protected:
  PackingTest() { Start(); }

  struct Packed {
    std::vector<PackInput> inputs;
    std::unique_ptr<TexturePack> pack;
  };
  Packed Pack(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sizes) {
    Packed out;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      out.inputs.push_back({"", Tagged(static_cast<std::uint32_t>(i), sizes[i].first, sizes[i].second)});
    }
    // Pack names are unique per level load: the sheet textures are named after them.
    GameLogicData::PackTextures(engine_, out.inputs, out.pack, "test" + std::to_string(packs_++));
    return out;
  }
  int packs_ = 0;
  // The image kept by a sheet's texture.
  const Image& SheetImage(const TexturePack& pack, std::uint32_t sheet) {
    CorvantisEngine::Texture2D* texture = pack.GetSheets()[sheet]->GetShader()->GetTextures(0).at(0);
    Image* diffuse = nullptr;
    Image* opacity = nullptr;
    bool deleteImages = false;
    engine_->GetShaderManager()->GetTextureManager()->GetTextureImages(texture, diffuse, opacity,
                                                                       deleteImages);
    EXPECT_FALSE(deleteImages);
    return *diffuse;
  }
};

TEST_F(PackingTest, OneOrTwoSmallImagesTakeTheSmallestSheet) {
  Packed one = Pack({{28, 28}});
  ASSERT_EQ(one.pack->GetSheets().size(), 1u);
  EXPECT_EQ(SheetImage(*one.pack, 0).GetWidth(), 32u);
  const TexturePackItem* item = one.pack->FindItem("0");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->uv0, (CorvantisEngine::Vector2{2.0f / 32, 2.0f / 32}));
  EXPECT_EQ(item->uv1, (CorvantisEngine::Vector2{30.0f / 32, 30.0f / 32}));
  EXPECT_EQ(one.inputs[0].name, "0");

  Packed two = Pack({{28, 28}, {28, 28}});
  const Image& sheet = SheetImage(*two.pack, 0);
  EXPECT_EQ(sheet.GetWidth(), 64u);
  EXPECT_EQ(sheet.GetHeight(), 32u);
  EXPECT_EQ(two.pack->FindItem("1")->uv0, (CorvantisEngine::Vector2{34.0f / 64, 2.0f / 32}));
}

TEST_F(PackingTest, LargerItemsComeFirstAndAreNamedByTheirRank) {
  Packed packed = Pack({{10, 10}, {40, 30}, {20, 20}});
  EXPECT_EQ(packed.inputs[0].name, "2");
  EXPECT_EQ(packed.inputs[1].name, "0");
  EXPECT_EQ(packed.inputs[2].name, "1");
  // The largest sits at the sheet's corner.
  EXPECT_EQ(packed.pack->FindItem("0")->uv0.x * static_cast<float>(SheetImage(*packed.pack, 0).GetWidth()),
            2.0f);
}

TEST_F(PackingTest, EveryPackReadsBackItsImagesExactlyWithoutOverlap) {
  struct Row {
    std::uint32_t count, minSide, maxSide;
    std::size_t sheets;
  };
  const Row rows[] = {{5, 10, 40, 1}, {50, 20, 60, 1}, {300, 30, 44, 1}, {40, 200, 300, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
    for (std::uint32_t i = 0; i < row.count; ++i) {
      const std::uint32_t span = row.maxSide - row.minSide + 1;
      sizes.emplace_back(row.minSide + (i * 37) % span, row.minSide + (i * 53 + 11) % span);
    }
    Packed packed = Pack(sizes);
    EXPECT_EQ(packed.pack->GetSheets().size(), row.sheets);
    std::map<std::uint32_t, std::vector<std::array<int, 4>>> cells;  // per sheet, image rectangles
    std::uint32_t lastSheet = 0;
    for (std::size_t rank = 0; rank < sizes.size(); ++rank) {
      const TexturePackItem* item = packed.pack->FindItem(std::to_string(rank));
      ASSERT_NE(item, nullptr);
      EXPECT_GE(item->sheet, lastSheet) << "sheets follow the sorted order";
      lastSheet = item->sheet;
      const Image& sheet = SheetImage(*packed.pack, item->sheet);
      const int x0 = static_cast<int>(std::lround(item->uv0.x * sheet.GetWidth()));
      const int y0 = static_cast<int>(std::lround(item->uv0.y * sheet.GetHeight()));
      const int x1 = static_cast<int>(std::lround(item->uv1.x * sheet.GetWidth()));
      const int y1 = static_cast<int>(std::lround(item->uv1.y * sheet.GetHeight()));
      // Find the input with this name.
      const auto input = std::find_if(packed.inputs.begin(), packed.inputs.end(),
                                      [&](const PackInput& in) { return in.name == std::to_string(rank); });
      ASSERT_NE(input, packed.inputs.end());
      const auto id = static_cast<std::uint32_t>(input - packed.inputs.begin());
      ASSERT_EQ(x1 - x0, static_cast<int>(sizes[id].first));
      ASSERT_EQ(y1 - y0, static_cast<int>(sizes[id].second));
      EXPECT_GE(x0, 2);
      EXPECT_GE(y0, 2);
      EXPECT_LE(x1 + 2, static_cast<int>(sheet.GetWidth()));
      EXPECT_LE(y1 + 2, static_cast<int>(sheet.GetHeight()));
      bool exact = true;
      for (int y = y0 - 2; y < y1 + 2 && exact; ++y) {
        for (int x = x0 - 2; x < x1 + 2 && exact; ++x) {
          const std::uint8_t* p =
              sheet.GetPixels() + (static_cast<std::size_t>(y) * sheet.GetWidth() + x) * 4;
          if (x < x0 || x >= x1 || y < y0 || y >= y1) {
            exact = p[3] == 0;  // the margin is empty
          } else {
            exact = p[0] == static_cast<std::uint8_t>(id) && p[1] == static_cast<std::uint8_t>(x - x0) &&
                    p[2] == static_cast<std::uint8_t>(y - y0) && p[3] == 1 + (id >> 8);
          }
        }
      }
      EXPECT_TRUE(exact) << "item " << rank;
      for (const auto& other : cells[item->sheet]) {
        const bool apart = x1 + 2 <= other[0] - 2 || other[2] + 2 <= x0 - 2 || y1 + 2 <= other[1] - 2 ||
                           other[3] + 2 <= y0 - 2;
        EXPECT_TRUE(apart) << "item " << rank << " overlaps";
      }
      cells[item->sheet].push_back({x0, y0, x1, y1});
    }
  }
}

TEST_F(PackingTest, SheetsTakeTheLongestFrontRunAndTheRestStartTheNext) {
  // Four 600 x 400 images: two fill a sheet, so each sheet takes two and the third starts the next.
  Packed packed = Pack({{600, 400}, {600, 400}, {600, 400}, {600, 400}, {600, 400}});
  ASSERT_EQ(packed.pack->GetSheets().size(), 3u);
  EXPECT_EQ(packed.pack->FindItem("1")->sheet, 0u);
  EXPECT_EQ(packed.pack->FindItem("2")->sheet, 1u);
  EXPECT_EQ(packed.pack->FindItem("4")->sheet, 2u);
  EXPECT_EQ(SheetImage(*packed.pack, 0).GetWidth(), 1024u);
  EXPECT_EQ(SheetImage(*packed.pack, 2).GetWidth(), 1024u);
  EXPECT_EQ(SheetImage(*packed.pack, 2).GetHeight(), 512u);
  // Each sheet draws its own texture.
  EXPECT_NE(packed.pack->GetSheets()[0]->GetShader(), packed.pack->GetSheets()[1]->GetShader());
}

TEST_F(PackingTest, GrowingARunGivesTheSamePlacesAsPackingFromScratch) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
  for (std::uint32_t i = 0; i < 120; ++i) {
    sizes.emplace_back(20 + (i * 31) % 50, 20 + (i * 17) % 45);
  }
  Packed packed = Pack(sizes);
  ASSERT_EQ(packed.pack->GetSheets().size(), 1u);
  const Image& sheet = SheetImage(*packed.pack, 0);
  std::vector<PackItem> records(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    records[i].source = &packed.inputs[i];
  }
  std::stable_sort(records.begin(), records.end(), GameLogicData::CompareItemArea);
  std::vector<PackItem*> list;
  for (PackItem& record : records) {
    list.push_back(&record);
  }
  ASSERT_TRUE(GameLogicData::PackItemsIntoSheet(static_cast<std::int32_t>(sheet.GetWidth()),
                                                static_cast<std::int32_t>(sheet.GetHeight()), list));
  for (std::size_t rank = 0; rank < records.size(); ++rank) {
    const TexturePackItem* item = packed.pack->FindItem(std::to_string(rank));
    EXPECT_EQ(item->uv0.x, static_cast<float>(records[rank].left + 2) / sheet.GetWidth());
    EXPECT_EQ(item->uv0.y, static_cast<float>(records[rank].top + 2) / sheet.GetHeight());
  }
  // The sheet is the smallest that holds the run.
  const auto sheetSizes = GameLogicData::SheetSizes();
  const auto smaller = std::find(sheetSizes.begin(), sheetSizes.end(),
                                 std::make_pair(static_cast<std::int32_t>(sheet.GetWidth()),
                                                static_cast<std::int32_t>(sheet.GetHeight())));
  ASSERT_NE(smaller, sheetSizes.begin());
  const auto previous = *(smaller - 1);
  EXPECT_FALSE(GameLogicData::PackItemsIntoSheet(previous.first, previous.second, list));
}

TEST_F(PackingTest, NothingToPackOrAnImageTooLargeEndsTheProgram) {
  std::vector<PackInput> none;
  std::unique_ptr<TexturePack> pack;
  EXPECT_THROW(GameLogicData::PackTextures(engine_, none, pack, "x"), CorvantisEngine::FatalError);
  EXPECT_EQ(rig_.CountLogged("No items to pack"), 1);
  EXPECT_THROW(Pack({{1021, 10}}), CorvantisEngine::FatalError);
  EXPECT_NO_THROW(Pack({{1020, 1020}}));
}

TEST_F(PackingTest, ASpriteShowsItsItemAndAnUnknownNameEndsTheProgram) {
  Packed packed = Pack({{28, 28}, {10, 10}});
  CorvantisEngine::GUIWindow* window = packed.pack->CreateSprite("1", 1, CorvantisEngine::Vector2{0, 0},
                                                                 CorvantisEngine::Vector2{10, 10}, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetTexture()->GetShader(), packed.pack->GetSheets()[0]->GetShader());
  EXPECT_THROW(packed.pack->CreateSprite("7", 1, {0, 0}, {1, 1}, nullptr), CorvantisEngine::FatalError);
  EXPECT_EQ(rig_.CountLogged("Texture pack \"test0\" is not contain \"7\" texture"), 1);
}

}  // namespace
}  // namespace Puzzle
