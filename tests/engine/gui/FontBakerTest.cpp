// The font baker over Debian's DejaVu Sans: its sheet and font file load as an engine font whose glyphs
// measure as the typeface does.
#include <filesystem>
#include <fstream>

#include "GUIFixture.h"
#include "tools/fontbaker/FontBaker.h"

namespace CorvantisEngine::guitest {
namespace {

class FontBakerTest : public GUIFixture {};

TEST_F(FontBakerTest, BakedDejaVuLoadsAndMeasures) {
  fontbaker::FontBakeOptions options;
  options.pixelSize = 24;
  const fontbaker::BakedFont baked = fontbaker::BakeFont(DEJAVU_SANS, options);
  EXPECT_EQ(baked.width, 512u);
  EXPECT_EQ(baked.rgba.size(), std::size_t{baked.width} * baked.height * 4);
  EXPECT_GT(baked.glyphs.size(), 180u);
  std::uint64_t ink = 0;
  for (std::size_t i = 3; i < baked.rgba.size(); i += 4) {
    ink += baked.rgba[i];
  }
  EXPECT_GT(ink, 0u);
  for (const fontbaker::FontGlyphRecord& glyph : baked.glyphs) {
    SCOPED_TRACE(glyph.code);
    ASSERT_GE(glyph.u, 0.0f);
    ASSERT_LE(glyph.u + glyph.du, 1.0f);
    ASSERT_GE(glyph.v, 0.0f);
    ASSERT_LE(glyph.v + glyph.dv, 1.0f);
  }

  WriteData("fonts\\sans.fnt", fontbaker::BuildFontFile(baked.glyphs));
  GUIFont* font = gui_->GetFontManager()->CreateFont(20, nullptr, "fonts\\sans.fnt");
  EXPECT_EQ(log_.GetRecordCount(), 0);
  EXPECT_TRUE(font->HasGlyph(L'A'));
  EXPECT_TRUE(font->HasGlyph(0xE9));  // e acute
  EXPECT_FALSE(font->HasGlyph(0x4E00));
  font->size = 10.0f;
  EXPECT_GT(font->GetTextSize(L"W", 0.0f, -1.0f).x, font->GetTextSize(L"i", 0.0f, -1.0f).x * 2.0f);
  EXPECT_FLOAT_EQ(font->GetTextSize(L"Hello", 0.0f, -1.0f).y, 10.0f);
}

TEST_F(FontBakerTest, OneBitBitmapGlyphsBecomeFullCoverage) {
  // A bitmap font (one bit per pixel, as bitmap fonts and embedded bitmaps come): an 8 x 8 frame.
  const std::filesystem::path path = folder_.Root() / "frame.bdf";
  std::ofstream(path) << "STARTFONT 2.1\nFONT -test-frame-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
                         "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 -2\nSTARTPROPERTIES 2\nFONT_ASCENT 6\n"
                         "FONT_DESCENT 2\nENDPROPERTIES\nCHARS 1\nSTARTCHAR A\nENCODING 65\n"
                         "SWIDTH 1000 0\nDWIDTH 8 0\nBBX 8 8 0 -2\nBITMAP\n"
                         "FF\n81\n81\n81\n81\n81\n81\nFF\nENDCHAR\nENDFONT\n";
  fontbaker::FontBakeOptions options;
  options.pixelSize = 8;
  options.sheetWidth = 64;
  options.ranges = {{65, 65}};
  const fontbaker::BakedFont baked = fontbaker::BakeFont(path.string(), options);
  ASSERT_EQ(baked.glyphs.size(), 1u);
  std::uint32_t inked = 0;
  for (std::size_t i = 3; i < baked.rgba.size(); i += 4) {
    ASSERT_TRUE(baked.rgba[i] == 0 || baked.rgba[i] == 255) << "pixel " << i / 4;
    inked += baked.rgba[i] == 255 ? 1 : 0;
  }
  EXPECT_EQ(inked, 28u) << "the frame's border, nothing inside";
}

TEST(FontBakerErrors, UnreadableFontIsReported) {
  EXPECT_THROW(fontbaker::BakeFont("/nonexistent/font.ttf", {}), std::runtime_error);
  fontbaker::FontBakeOptions options;
  options.pixelSize = 0;
  EXPECT_THROW(fontbaker::BakeFont(DEJAVU_SANS, options), std::runtime_error);
}

}  // namespace
}  // namespace CorvantisEngine::guitest
