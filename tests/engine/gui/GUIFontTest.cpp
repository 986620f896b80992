// Bitmap fonts: the font file reader, measuring, the glyph quads of the batch, depth copies and text
// placement.
#include <cmath>
#include <cstring>

#include "GUIFixture.h"
#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"

namespace CorvantisEngine::guitest {
namespace {

std::vector<std::uint8_t> ThreeGlyphFile() {
  return fontbaker::BuildFontFile({{'A', 0.1f, 0.2f, 0.05f, 0.1f, 0.5f},
                                   {'B', 0.2f, 0.2f, 0.05f, 0.1f, 0.75f},
                                   {'A', 0.9f, 0.9f, 0.05f, 0.1f, 2.0f}});
}

struct FileCase {
  const char* why;
  std::vector<std::uint8_t> bytes;
  std::size_t glyphs;
  const char* logged;  // part of the logged error, or null for none
};

std::vector<FileCase> FileCases() {
  std::vector<FileCase> cases;
  cases.push_back({"a good file; a later record for a code keeps the first", ThreeGlyphFile(), 2, nullptr});
  auto longer = ThreeGlyphFile();
  longer[0] += 1;
  cases.push_back({"total length one byte off", longer, 0, "Incorrect \"fonts\\f.fnt\" file format"});
  auto magic = ThreeGlyphFile();
  magic[8] = 'X';
  cases.push_back({"wrong magic", magic, 0, "Incorrect \"fonts\\f.fnt\" file format"});
  cases.push_back({"version 200", fontbaker::BuildFontFile({{'A', 0, 0, 0, 0, 1}}, 200), 0,
                   "Incorrect \"fonts\\f.fnt\" format version, current is 201"});
  auto wildCount = ThreeGlyphFile();
  wildCount[13] = 0xFF;
  wildCount[14] = 0xFF;
  wildCount[15] = 0xFF;
  wildCount[16] = 0x7F;
  cases.push_back({"a glyph count far past the file", wildCount, 0, "file format"});
  auto header = ThreeGlyphFile();
  header.resize(11);
  header[0] = 11;
  cases.push_back({"a header cut short", header, 0, "f.fnt\" file"});
  return cases;
}

class FontFileTest : public GUIFixture {};

TEST_F(FontFileTest, TableOfFiles) {
  std::uint32_t id = 100;
  for (const FileCase& c : FileCases()) {
    SCOPED_TRACE(c.why);
    WriteData("fonts\\f.fnt", c.bytes);
    log_.ClearRecords();
    GUIFont* font = gui_->GetFontManager()->CreateFont(id++, nullptr, "fonts\\f.fnt");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyphs.size(), c.glyphs);
    if (c.logged != nullptr) {
      EXPECT_EQ(CountLogged(2, c.logged), 1);
    } else {
      EXPECT_EQ(log_.GetRecordCount(), 0);
    }
  }
}

TEST_F(FontFileTest, GoodFileKeepsFirstRecordAndWidest) {
  WriteData("fonts\\f.fnt", ThreeGlyphFile());
  GUIFont* font = gui_->GetFontManager()->CreateFont(1, nullptr, "fonts\\f.fnt");
  EXPECT_FLOAT_EQ(font->glyphs.at('A').u, 0.1f);
  EXPECT_FLOAT_EQ(font->glyphs.at('A').width, 0.5f);
  EXPECT_FLOAT_EQ(font->glyphs.at('B').width, 0.75f);
  // The widest width comes from every record read, the ignored duplicate included.
  EXPECT_FLOAT_EQ(font->widest, 2.0f);
  EXPECT_EQ(font->model->name, "font_model");
  EXPECT_EQ(font->model->flags & 0x40000u, 0x40000u);
  EXPECT_FLOAT_EQ(font->model->depth, -9.0f);
  EXPECT_EQ(font->model->indexBuffer->GetIndexCount(), 0u);
}

TEST_F(FontFileTest, MissingFileIsLoggedAndMeasuresWithSpaceFactor) {
  GUIFont* font = gui_->GetFontManager()->CreateFont(1, nullptr, "fonts\\none.fnt");
  EXPECT_EQ(CountLogged(2, "none.fnt"), 1);
  EXPECT_TRUE(font->glyphs.empty());
  font->size = 10.0f;
  font->spaceFactor = 0.3f;
  EXPECT_NEAR(font->GetTextSize(L"ab", 0.0f, -1.0f).x, 6.0f, 1e-4f);
  font->PrintText({0, 0}, 0.0f, Vector4(), L"ab");
  EXPECT_EQ(font->batchCount, 0u);
}

TEST_F(FontFileTest, ReaderStopsAtTruncatedRecordsWithFileError) {
  auto bytes = ThreeGlyphFile();
  bytes.resize(17 + 22 + 10);
  const auto total = static_cast<std::uint32_t>(bytes.size());
  std::memcpy(bytes.data(), &total, 4);
  FileBinary file(&log_, "f.fnt", false, false, true, total, bytes.data());
  std::map<std::uint16_t, GUIFontGlyph> glyphs;
  float widest = 0.0f;
  EXPECT_THROW(GUIFont::ReadGlyphs(file, "f.fnt", glyphs, widest), FileError);
}

// Text size and glyph geometry.
class FontTextTest : public GUIFixture {};

TEST_F(FontTextTest, TextSizes) {
  GUIFont* font = MakeFont(kFont, 10.0f);
  font->spaceFactor = 0.4f;
  struct Case {
    const char* why;
    std::wstring text;
    float size;
    Vector2 expected;
  } cases[] = {
      {"empty text", L"", -1.0f, {0, 0}},
      {"one space has no glyph: size x space factor", L" ", -1.0f, {4, 10}},
      {"two glyphs", L"AB", -1.0f, {10, 10}},
      {"glyph, space, glyph", L"A B", -1.0f, {14, 10}},
      {"a code without a glyph uses the space factor", L"A#", -1.0f, {9, 10}},
      {"measured at another size, glyphs and advances scale together", L"AB", 20.0f, {20, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const Vector2 size = font->GetTextSize(c.text, 0.0f, c.size);
    EXPECT_NEAR(size.x, c.expected.x, 1e-4f);
    EXPECT_NEAR(size.y, c.expected.y, 1e-4f);
  }
  // Turned by a quarter the box swaps its sides.
  const Vector2 turned = font->GetTextSize(L"AB", 1.5707964f, -1.0f);
  EXPECT_NEAR(turned.x, 10.0f, 1e-3f);
  EXPECT_NEAR(turned.y, 10.0f, 1e-3f);
  const Vector2 turnedLong = font->GetTextSize(L"ABCD", 1.5707964f, -1.0f);
  EXPECT_NEAR(turnedLong.x, 10.0f, 1e-3f);
  EXPECT_NEAR(turnedLong.y, 20.0f, 1e-3f);
}

TEST_F(FontTextTest, MonospaceCentresGlyphsInWidestCells) {
  const std::vector<fontbaker::FontGlyphRecord> glyphs = {{'i', 0, 0, 0.1f, 0.1f, 0.2f},
                                                          {'W', 0, 0, 0.1f, 0.1f, 1.0f}};
  WriteData("fonts\\mono.fnt", fontbaker::BuildFontFile(glyphs));
  GUIFont* font = gui_->GetFontManager()->CreateFont(3, nullptr, "fonts\\mono.fnt");
  font->size = 10.0f;
  font->monospace = 1;
  // 'i' is drawn 4 units into its 10-unit cell; a missing code advances a whole cell and draws nothing.
  font->PrintText({0, 0}, 0.0f, Vector4(), L"i#W");
  ASSERT_EQ(font->batchCount, 2u);
  EXPECT_NEAR(VertexAt(*font, 1).x, 4.0f, 1e-4f);
  EXPECT_NEAR(VertexAt(*font, 5).x, 20.0f, 1e-4f);
  // The box runs from the first drawn glyph edge (4) to the end of the last cell (30).
  EXPECT_NEAR(font->GetTextSize(L"i#W", 0.0f, -1.0f).x, 26.0f, 1e-4f);
  font->Flush();
}

TEST_F(FontTextTest, GlyphQuadCornersAndTextureCoordinates) {
  const std::vector<fontbaker::FontGlyphRecord> glyphs = {{'A', 0.25f, 0.5f, 0.125f, 0.25f, 0.5f}};
  WriteData("fonts\\one.fnt", fontbaker::BuildFontFile(glyphs));
  GUIFont* font = gui_->GetFontManager()->CreateFont(2, nullptr, "fonts\\one.fnt");
  font->size = 10.0f;
  font->PrintChar({100, 50}, 0.0f, Vector4(1, 0, 0, 1), 'A');
  const auto* v = reinterpret_cast<const ColouredVertex*>(font->model->vertexBuffer->GetData());
  const float expected[4][4] = {
      {100, 60, 0.25f, 0.75f}, {100, 50, 0.25f, 0.5f}, {105, 60, 0.375f, 0.75f}, {105, 50, 0.375f, 0.5f}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(v[i].x, expected[i][0], 1e-4f);
    EXPECT_NEAR(v[i].y, expected[i][1], 1e-4f);
    EXPECT_FLOAT_EQ(v[i].z, 0.0f);
    EXPECT_FLOAT_EQ(v[i].u, expected[i][2]);
    EXPECT_FLOAT_EQ(v[i].v, expected[i][3]);
    EXPECT_EQ(v[i].colour, 0xFFFF0000u);
  }
  EXPECT_EQ(font->model->indexBuffer->GetIndexCount(), 6u);
  // Rotated a quarter turn, the glyph's top-left corner (0, h) goes to (-h, 0).
  font->PrintChar({0, 0}, 1.5707964f, Vector4(), 'A');
  EXPECT_NEAR(VertexAt(*font, 4).x, -10.0f, 1e-4f);
  EXPECT_NEAR(VertexAt(*font, 4).y, 0.0f, 1e-4f);
  EXPECT_NEAR(VertexAt(*font, 6).y, 5.0f, 1e-4f);
  // Whitespace, new line and unknown codes add nothing.
  font->PrintText({0, 0}, 0.0f, Vector4(), L" \n\t#");
  EXPECT_EQ(font->batchCount, 2u);
  font->Flush();
}

TEST_F(FontTextTest, BatchHoldsAtMost1024CharactersAndFlushEndsIt) {
  GUIFont* font = MakeFont();
  font->PrintText({0, 0}, 0.0f, Vector4(), std::wstring(1100, L'A'));
  EXPECT_EQ(font->batchCount, 1024u);
  EXPECT_EQ(font->model->indexBuffer->GetIndexCount(), 6144u);
  // The last drawn character is the 1024th: its pen position is 1023 advances along.
  EXPECT_NEAR(VertexAt(*font, 4 * 1023 + 1).x, 1023 * 5.0f, 1e-2f);
  EXPECT_TRUE(font->model->vertexBuffer->IsLocked());
  font->Flush();
  EXPECT_FALSE(font->model->vertexBuffer->IsLocked());
  EXPECT_EQ(font->batchCount, 0u);
  EXPECT_EQ(font->model->indexBuffer->GetIndexCount(), 6144u) << "the frame's batch is drawn after the flush";
  font->Flush();
  EXPECT_EQ(font->model->indexBuffer->GetIndexCount(), 0u) << "an unused font draws nothing";
}

TEST_F(FontTextTest, PrebuiltIndicesFormTwoTrianglesPerQuad) {
  GUIFont* font = MakeFont();
  const std::uint8_t* data = font->model->indexBuffer->GetData();
  const bool wide = font->model->indexBuffer->IsWide();
  auto index = [&](std::uint32_t i) -> std::uint32_t {
    if (wide) {
      std::uint32_t value;
      std::memcpy(&value, data + 4 * i, 4);
      return value;
    }
    std::uint16_t value;
    std::memcpy(&value, data + 2 * i, 2);
    return value;
  };
  const std::uint32_t quad = 1023;
  const std::uint32_t expected[6] = {4 * quad,     4 * quad + 1, 4 * quad + 2,
                                     4 * quad + 2, 4 * quad + 1, 4 * quad + 3};
  for (std::uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(index(quad * 6 + i), expected[i]);
  }
}

TEST_F(FontTextTest, FillCaseCopiesGlyphsAcrossLetterCase) {
  WriteData("fonts\\lower.fnt", fontbaker::BuildFontFile(FixedWidthGlyphs(L"abc1", 0.5f)));
  GUIFont* lower = gui_->GetFontManager()->CreateFont(4, nullptr, "fonts\\lower.fnt");
  lower->size = 10.0f;
  lower->FillLowerCase();
  EXPECT_TRUE(lower->HasGlyph('A'));
  EXPECT_TRUE(lower->HasGlyph('C'));
  EXPECT_FLOAT_EQ(lower->glyphs.at('B').u, lower->glyphs.at('b').u);
  EXPECT_EQ(lower->glyphs.size(), 7u);
  lower->PrintText({0, 0}, 0.0f, Vector4(), L"ABC");
  EXPECT_EQ(lower->batchCount, 3u);
  lower->Flush();

  WriteData("fonts\\upper.fnt", fontbaker::BuildFontFile(FixedWidthGlyphs(L"XYa", 0.5f)));
  GUIFont* upper = gui_->GetFontManager()->CreateFont(5, nullptr, "fonts\\upper.fnt");
  upper->FillUpperCase();
  EXPECT_TRUE(upper->HasGlyph('x'));
  EXPECT_TRUE(upper->HasGlyph('y'));
  EXPECT_FALSE(upper->HasGlyph('A')) << "upper-case glyphs serve lower case only";
}

// The manager: registration, depth copies and alignment.
class FontManagerTest : public GUIFixture {};

TEST_F(FontManagerTest, CreateOnUsedIdKeepsTheRegisteredFontAndDestroyRemovesCopies) {
  GUIFontManager& fonts = *gui_->GetFontManager();
  GUIFont* first = MakeFont();
  EXPECT_EQ(fonts.CreateFont(kFont, nullptr, "fonts\\other.fnt"), first);
  EXPECT_EQ(CountLogged(2, "other.fnt"), 0) << "the second font is never made";
  GUIWindow* window = Window(kGUIShown);
  ASSERT_NE(fonts.GetFontForWindow(kFont, window), nullptr);
  const std::uint32_t models = models_->GetModelCount();
  fonts.DestroyFont(kFont);
  EXPECT_EQ(fonts.FindFont(kFont), nullptr);
  EXPECT_TRUE(fonts.copies.empty());
  EXPECT_EQ(models_->GetModelCount(), models - 2);
  fonts.DestroyFont(kFont);  // unknown id: nothing
  fonts.Flush();
}

TEST_F(FontManagerTest, OneCopyPerDepthAndUnusedCopiesGoAtFlush) {
  GUIFontManager& fonts = *gui_->GetFontManager();
  MakeFont();
  GUIWindow* a = Window(kGUIShown | kGUILayer2);
  GUIWindow* b = Window(kGUIShown | kGUILayer2, {400, 100});
  GUIWindow* c = Window(kGUIShown | kGUILayer1);
  GUIFont* copyA = fonts.GetFontForWindow(kFont, a);
  EXPECT_EQ(fonts.GetFontForWindow(kFont, b), copyA);
  EXPECT_NEAR(copyA->GetDepth(), -20.005f, 1e-5f);
  GUIFont* copyC = fonts.GetFontForWindow(kFont, c);
  EXPECT_NE(copyC, copyA);
  EXPECT_NEAR(copyC->GetDepth(), -10.005f, 1e-5f);
  EXPECT_EQ(fonts.GetFontForWindow(99, a), nullptr);

  fonts.Print(0, kFont, 0.0f, a, {0, 0}, Vector4(), L"AB");
  fonts.Flush();
  ASSERT_EQ(fonts.copies.size(), 1u) << "the copy for c printed nothing and is gone";
  EXPECT_EQ(fonts.copies[0], copyA);
  fonts.Flush();
  EXPECT_TRUE(fonts.copies.empty());
}

TEST_F(FontManagerTest, CopyTakesTheSourceSizeWhenPrinting) {
  GUIFontManager& fonts = *gui_->GetFontManager();
  GUIFont* font = MakeFont();
  GUIWindow* window = Window(kGUIShown);
  GUIFont* copy = fonts.GetFontForWindow(kFont, window);
  font->size = 20.0f;
  copy->PrintText({0, 0}, 0.0f, Vector4(), L"A");
  EXPECT_NEAR(VertexAt(*copy, 0).y, 20.0f, 1e-4f);
  fonts.Flush();
}

TEST_F(FontManagerTest, AlignTextFlags) {
  GUIFontManager& fonts = *gui_->GetFontManager();
  MakeFont();  // "AB" measures 10 x 10
  GUIWindow* window = Window(kGUIShown, {100, 100}, {200, 100});
  struct Case {
    const char* why;
    std::uint32_t flags;
    float angle;
    Vector2 expected;
  } cases[] = {
      {"no flags: window position plus the record's", 0, 0.0f, {103, 104}},
      {"centred both ways", kAlignCentreX | kAlignCentreY, 0.0f, {195, 145}},
      {"left and bottom", kAlignLeft | kAlignBottom, 0.0f, {100, 100}},
      {"right and top (y grows upwards)", kAlignRight | kAlignTop, 0.0f, {290, 190}},
      {"centre wins over left", kAlignCentreX | kAlignLeft, 0.0f, {195, 104}},
      {"upside down, right edge: the origin moves by the text's extent",
       kAlignRight | kAlignTop,
       3.1415927f,
       {300, 200}},
      {"upside down without flags keeps the record's position", 0, 3.1415927f, {103, 104}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const Vector2 at = fonts.AlignText(c.flags, kFont, window, {3, 4}, c.angle, L"AB");
    EXPECT_NEAR(at.x, c.expected.x, 1e-3f);
    EXPECT_NEAR(at.y, c.expected.y, 1e-3f);
  }
  window->textRectangle = 1;
  window->textOffset = {10, 20};
  window->textSize = {50, 30};
  const Vector2 inRect = fonts.AlignText(kAlignCentreX | kAlignCentreY, kFont, window, {}, 0.0f, L"AB");
  EXPECT_NEAR(inRect.x, 130.0f, 1e-3f);
  EXPECT_NEAR(inRect.y, 130.0f, 1e-3f);
  const Vector2 unknown = fonts.AlignText(0, 99, window, {3, 4}, 0.0f, L"AB");
  EXPECT_EQ(unknown.x, 0.0f);
  EXPECT_EQ(unknown.y, 0.0f);
}

TEST_F(FontManagerTest, PrintSkipsHiddenWindowsAndUnknownFonts) {
  GUIFontManager& fonts = *gui_->GetFontManager();
  MakeFont();
  GUIWindow* hidden = Window(0);
  fonts.Print(0, kFont, 0.0f, hidden, {}, Vector4(), L"AB");
  GUIWindow* shown = Window(kGUIShown);
  fonts.Print(0, 99, 0.0f, shown, {}, Vector4(), L"AB");
  EXPECT_TRUE(fonts.copies.empty());
}

}  // namespace
}  // namespace CorvantisEngine::guitest
