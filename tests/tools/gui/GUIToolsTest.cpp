// The GUI toolkit's shared state over a headless engine: texts by key across both text files and
// languages, fonts by name across both font lists, and the window files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "tests/support/EngineRig.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/game/XMLNode.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextTool.h"
#include "tools/gui/GUIToolManager.h"

namespace GUITools {
namespace {

using namespace CorvantisEngine;

std::string ErrorLine(const std::string& text) {
  return "\nError: " + text + "!\n\n";
}

std::string FontFile(std::initializer_list<std::uint16_t> codes) {
  std::vector<fontbaker::FontGlyphRecord> glyphs;
  for (const std::uint16_t code : codes) {
    fontbaker::FontGlyphRecord glyph;
    glyph.code = code;
    glyph.du = glyph.dv = 0.1f;
    glyph.width = 0.5f;
    glyphs.push_back(glyph);
  }
  const std::vector<std::uint8_t> bytes = fontbaker::BuildFontFile(glyphs);
  return std::string(bytes.begin(), bytes.end());
}

// A font element with all its required items.
std::string Font(const std::string& name, const std::string& attributes = "size=\"20\"",
                 const std::string& inner = "") {
  return "<font name=\"" + name + "\" " + attributes + ">" +
         "<description_file_path path=\"ui\\fonts\\en\\f.fnt\"/>" +
         "<diffuse_image_path path=\"ui\\fonts\\f.tga\"/>" + "<opacity_image_path path=\"32bit\"/>" + inner +
         "</font>";
}

class GUIToolsTest : public testing::Test {
 protected:
  void SetUp() override { rig_.Write("data/ui/fonts/en/f.fnt", FontFile({'A'})); }
  Engine& Start() { return rig_.Start(); }

  testsupport::EngineRig rig_;
};

TEST_F(GUIToolsTest, TextsByKeyAcrossBothFilesAndLanguages) {
  rig_.Write("data/ui/texts/texts.xml",
             "<texts>\n"
             "  <game_title><en text=\"Brindlewick\"/><ru text=\"Brindlewick RU\"/></game_title>\n"
             "  <only_en><en text=\"English only\"/></only_en>\n"
             "  <game_logic><combo><en text=\"Combo %COMBO%\"/></combo></game_logic>\n"
             "  <no_text><en/></no_text>\n"
             "</texts>\n");
  rig_.Write("data/ui/texts/default_texts.xml",
             "<texts>\n"
             "  <only_en><ru text=\"Russian from defaults\"/></only_en>\n"
             "  <game_title><en text=\"Not this one\"/></game_title>\n"
             "  <no_text><en text=\"Default text\"/></no_text>\n"
             "</texts>\n");
  Engine& engine = Start();
  GUITextTool english(&engine, "en");
  GUITextTool russian(&engine, "ru");
  struct Row {
    const GUITextTool* tool;
    const char* key;
    const wchar_t* expected;
  } rows[] = {
      {&english, "game_title", L"Brindlewick"},
      {&russian, "game_title", L"Brindlewick RU"},
      {&english, "only_en", L"English only"},
      {&russian, "only_en", L"Russian from defaults"},
      {&english, "game_logic/combo", L"Combo %COMBO%"},
      {&russian, "game_logic/combo", L"UNKNOWN"},
      {&english, "no_text", L"Default text"},
      {&english, "nowhere", L"UNKNOWN"},
      {&english, "", L"UNKNOWN"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.tool->GetText(row.key), row.expected) << row.key << " in " << row.tool->GetLanguage();
  }
  EXPECT_TRUE(rig_.Errors().empty());
}

TEST_F(GUIToolsTest, BrokenOrShapelessTextFiles) {
  rig_.Write("data/ui/texts/texts.xml", "<texts><a><en text=\"x\"/></a>\n<b text=unquoted/></texts>");
  rig_.Write("data/ui/texts/default_texts.xml", "<texts><c><en text=\"c\"/></c></texts>");
  Engine& engine = Start();
  {
    GUITextTool tool(&engine, "en");
    EXPECT_EQ(tool.GetText("a"), L"x") << "what was read before the fault stays";
    EXPECT_EQ(tool.GetText("c"), L"UNKNOWN") << "a broken first file ends the reading";
    EXPECT_EQ(rig_.CountLogged(ErrorLine("XML format error at line 2: code 8")), 1);
  }
  rig_.ClearLog();
  rig_.Write("data/ui/texts/texts.xml", "<strings><a><en text=\"x\"/></a></strings>");
  GUITextTool tool(&engine, "en");
  EXPECT_EQ(tool.GetText("a"), L"UNKNOWN");
  EXPECT_EQ(tool.GetText("c"), L"c");
  EXPECT_EQ(rig_.Errors(), std::vector<std::string>{ErrorLine("Incorrect \"text file\" format")});
}

TEST_F(GUIToolsTest, FontIdsRunOnAcrossBothLists) {
  rig_.Write("data/ui/fonts/fonts_basic.xml", "<fonts>" + Font("title") + Font("body") + "</fonts>");
  rig_.Write("data/ui/fonts/fonts_additional.xml", "<fonts>" + Font("tip") + Font("title") + "</fonts>");
  Engine& engine = Start();
  GUIFontManager& fonts = *engine.GetGUIManager()->GetFontManager();
  const std::size_t before = fonts.fonts.size();
  {
    GUIFontTool tool(&engine, "en");
    EXPECT_EQ(tool.GetFontIndex("title"), 0);
    EXPECT_EQ(tool.GetFontIndex("body"), 1);
    EXPECT_EQ(tool.GetFontIndex("tip"), -1);
    tool.LoadAdditionalFonts();
    EXPECT_EQ(tool.GetFontIndex("tip"), 2);
    EXPECT_EQ(tool.GetFontIndex("title"), 0) << "a repeated name keeps its first id";
    EXPECT_EQ(tool.GetFont("body"), fonts.FindFont(1));
    EXPECT_NE(tool.GetFont("body"), nullptr);
    EXPECT_EQ(tool.GetFontIndex("missing"), -1);
    EXPECT_EQ(tool.GetFont("missing"), nullptr);
    EXPECT_EQ(fonts.fonts.size(), before + 4);
  }
  EXPECT_EQ(fonts.fonts.size(), before) << "the tool destroys every font it made";
}

TEST_F(GUIToolsTest, LanguageFirstLookUpsAndFontProperties) {
  rig_.Write("data/ui/fonts/ru/f.fnt", FontFile({'B'}));
  rig_.Write("data/ui/fonts/fonts_basic.xml",
             "<fonts>" +
                 Font("main", "size=\"20\" monospace=\"1\"",
                      "<properties space=\"0.5\" shift=\"0.25\"/>"
                      "<ru size=\"30\"><description_file_path path=\"ui\\fonts\\ru\\f.fnt\"/>"
                      "<properties space=\"0.75\"/></ru>") +
                 Font("plain", "size=\"12.5\" monospace=\"true\"") + "</fonts>");
  Engine& engine = Start();
  {
    GUIFontTool english(&engine, "en");
    GUIFont* main = english.GetFont("main");
    ASSERT_NE(main, nullptr);
    EXPECT_FLOAT_EQ(main->size, 20.0f);
    EXPECT_FLOAT_EQ(main->spaceFactor, 0.5f);
    EXPECT_FLOAT_EQ(main->shiftFactor, 0.25f);
    EXPECT_EQ(main->monospace, 1);
    EXPECT_TRUE(main->HasGlyph('A'));
    EXPECT_FALSE(main->HasGlyph('B'));
    GUIFont* plain = english.GetFont("plain");
    EXPECT_FLOAT_EQ(plain->size, 12.5f);
    EXPECT_EQ(plain->monospace, 0) << "\"true\" reads as 0";
    EXPECT_FLOAT_EQ(plain->spaceFactor, 1.0f);
  }
  GUIFontTool russian(&engine, "ru");
  GUIFont* main = russian.GetFont("main");
  ASSERT_NE(main, nullptr);
  EXPECT_FLOAT_EQ(main->size, 30.0f);
  EXPECT_FLOAT_EQ(main->spaceFactor, 0.75f) << "the language's properties win";
  EXPECT_FLOAT_EQ(main->shiftFactor, 0.25f);
  EXPECT_TRUE(main->HasGlyph('B'));
  EXPECT_FALSE(main->HasGlyph('A'));
}

TEST_F(GUIToolsTest, CaseAttributeFillsTheOtherCase) {
  rig_.Write("data/ui/fonts/en/lower.fnt", FontFile({'a'}));
  auto withFile = [](const std::string& name, const std::string& file, const std::string& letterCase) {
    return "<font name=\"" + name + "\" size=\"1\" case=\"" + letterCase +
           "\"><description_file_path path=\"" + file +
           "\"/><diffuse_image_path path=\"d.tga\"/><opacity_image_path path=\"32bit\"/></font>";
  };
  rig_.Write("data/ui/fonts/fonts_basic.xml",
             "<fonts>" + withFile("lower", "ui\\fonts\\en\\lower.fnt", "lower") +
                 withFile("upper", "ui\\fonts\\en\\f.fnt", "upper") +
                 withFile("other", "ui\\fonts\\en\\f.fnt", "Upper") + "</fonts>");
  Engine& engine = Start();
  GUIFontTool tool(&engine, "en");
  EXPECT_TRUE(tool.GetFont("lower")->HasGlyph('A'));
  EXPECT_TRUE(tool.GetFont("upper")->HasGlyph('a'));
  EXPECT_FALSE(tool.GetFont("other")->HasGlyph('a'));
}

TEST_F(GUIToolsTest, IncompleteFontsAreLoggedAndSkipped) {
  rig_.Write("data/ui/fonts/fonts_basic.xml",
             "<fonts>\n"
             "<font size=\"1\"><description_file_path path=\"a\"/><diffuse_image_path path=\"b\"/>"
             "<opacity_image_path path=\"c\"/></font>\n"
             "<font name=\"bare\"/>\n" +
                 Font("good") +
                 "\n<font name=\"noopacity\" size=\"1\"><description_file_path path=\"a\"/>"
                 "<diffuse_image_path path=\"b\"/></font>\n"
                 "<font name=\"broken\" size=\"1\" oops></font>\n" +
                 Font("never") + "</fonts>");
  Engine& engine = Start();
  GUIFontTool tool(&engine, "en");
  const std::string p = "(GUIFontTool::GUIFontTool): font with \"";
  std::vector<std::string> errors;
  for (const std::string& error : rig_.Errors()) {
    if (error.find("GUIFontTool") != std::string::npos || error.find("XML") != std::string::npos) {
      errors.push_back(error);
    }
  }
  // The element open at the fault was read with the attributes before it.
  EXPECT_EQ(errors, (std::vector<std::string>{
                        ErrorLine("XML format error at line 6: code 10"),
                        ErrorLine(p + "0\" index have not name"),
                        ErrorLine(p + "bare\" name have not size"),
                        ErrorLine(p + "bare\" name have not description file"),
                        ErrorLine(p + "bare\" name have not diffuse image"),
                        ErrorLine(p + "bare\" name have not opacity image"),
                        ErrorLine(p + "noopacity\" name have not opacity image"),
                        ErrorLine(p + "broken\" name have not description file"),
                        ErrorLine(p + "broken\" name have not diffuse image"),
                        ErrorLine(p + "broken\" name have not opacity image"),
                    }));
  EXPECT_EQ(tool.GetFontIndex("good"), 0) << "skipped fonts take no id";
  EXPECT_EQ(tool.GetFontIndex("bare"), -1);
  EXPECT_EQ(tool.GetFontIndex("noopacity"), -1);
  EXPECT_EQ(tool.GetFontIndex("never"), -1) << "nothing after the fault was read";
}

TEST_F(GUIToolsTest, ManagerCollectsTheWindowFilesThatParse) {
  rig_.Write("data/ui/windows/main_menu.xml", "<window_main_menu><button name=\"b\"/></window_main_menu>\n");
  rig_.Write("data/ui/windows/two_roots.xml", "<window_a/>\n<window_b/>\n");
  rig_.Write("data/ui/windows/options.xml", "<?xml version=\"1.0\"?>\n<window_options/>\n");
  rig_.Write("data/ui/windows/readme.txt", "<not_a_window/>");
  rig_.Write("data/ui/texts/texts.xml", "<texts><game_title><en text=\"Title\"/></game_title></texts>");
  rig_.Write("data/ui/fonts/fonts_basic.xml", "<fonts>" + Font("title") + "</fonts>");
  Engine& engine = Start();
  GUIToolManager manager(&engine, "en");

  EXPECT_EQ(manager.GetWindowFileNames(), (std::vector<std::string>{"main_menu.xml", "options.xml"}));
  std::vector<std::string> roots;
  for (GameTools::XMLNode* root : manager.GetDocument()->GetChildList()) {
    roots.push_back(root->GetName());
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"window_main_menu", "window_options"}));
  EXPECT_EQ(manager.GetWindowRoots(), manager.GetDocument()->GetChildList());
  EXPECT_EQ(rig_.CountLogged(ErrorLine("XML format error at line 2: code 12")), 1);
  EXPECT_EQ(manager.GetTextTool()->GetText("game_title"), L"Title");
  EXPECT_EQ(manager.GetFontTool()->GetFontIndex("title"), 0);
  EXPECT_EQ(manager.GetLanguage(), "en");
}

}  // namespace
}  // namespace GUITools
