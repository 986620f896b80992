// The font baker over Debian's DejaVu Sans: its sheet and font file load as an engine font whose glyphs
// measure as the typeface does.
#include <filesystem>

#include "GUIFixture.h"
#include "tools/fontbaker/FontBaker.h"

namespace CorvantisEngine::guitest {
namespace {

class FontBakerTest : public GUIFixture {};

TEST_F(FontBakerTest, BakedDejaVuLoadsAndMeasures) {
  GameTools::FontBakeOptions options;
  options.pixelSize = 24;
  const GameTools::BakedFont baked = GameTools::BakeFont(DEJAVU_SANS, options);
  EXPECT_EQ(baked.width, 512u);
  EXPECT_EQ(baked.rgba.size(), std::size_t{baked.width} * baked.height * 4);
  EXPECT_GT(baked.glyphs.size(), 180u);
  std::uint64_t ink = 0;
  for (std::size_t i = 3; i < baked.rgba.size(); i += 4) {
    ink += baked.rgba[i];
  }
  EXPECT_GT(ink, 0u);
  for (const GameTools::FontGlyphRecord& glyph : baked.glyphs) {
    SCOPED_TRACE(glyph.code);
    ASSERT_GE(glyph.u, 0.0f);
    ASSERT_LE(glyph.u + glyph.du, 1.0f);
    ASSERT_GE(glyph.v, 0.0f);
    ASSERT_LE(glyph.v + glyph.dv, 1.0f);
  }

  WriteData("fonts\\sans.fnt", GameTools::BuildFontFile(baked.glyphs));
  GUIFont* font = gui_->GetFontManager()->CreateFont(20, nullptr, "fonts\\sans.fnt");
  EXPECT_EQ(log_.GetRecordCount(), 0);
  EXPECT_TRUE(font->HasGlyph(L'A'));
  EXPECT_TRUE(font->HasGlyph(0xE9));  // e acute
  EXPECT_FALSE(font->HasGlyph(0x4E00));
  font->size = 10.0f;
  EXPECT_GT(font->GetTextSize(L"W", 0.0f, -1.0f).x, font->GetTextSize(L"i", 0.0f, -1.0f).x * 2.0f);
  EXPECT_FLOAT_EQ(font->GetTextSize(L"Hello", 0.0f, -1.0f).y, 10.0f);
}

TEST(FontBakerErrors, UnreadableFontIsReported) {
  EXPECT_THROW(GameTools::BakeFont("/nonexistent/font.ttf", {}), std::runtime_error);
  GameTools::FontBakeOptions options;
  options.pixelSize = 0;
  EXPECT_THROW(GameTools::BakeFont(DEJAVU_SANS, options), std::runtime_error);
}

}  // namespace
}  // namespace CorvantisEngine::guitest
