#pragma once
// GUIFontTool: the interface's fonts by name. It reads the font lists ("data\ui\fonts\fonts_basic.xml"
// at construction, "fonts_additional.xml" on request), creates each font in the engine's font manager
// under the next free id (ids run on across both lists) and keeps the name -> id map. A font's size,
// files and properties may be given per language: a child element named by the language code is
// looked at before the font element itself.
//
// Main thread only. Ownership: the fonts belong to the engine's font manager; the tool destroys the ones
// it created. Failure: a list that does not parse is logged and the fonts read before the fault are
// still made; a font element that lacks a required item is logged and skipped (it takes no id).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CorvantisEngine {
class Engine;
class MessageManager;
class FileManager;
class GUIManager;
class GUIFontManager;
class GUIFont;
}  // namespace CorvantisEngine

namespace GUITools {

class GUIFontTool {
 public:
  // language: the interface language's code ("en").
  GUIFontTool(CorvantisEngine::Engine* engine, const std::string& language);
  virtual ~GUIFontTool();

  GUIFontTool(const GUIFontTool&) = delete;
  GUIFontTool& operator=(const GUIFontTool&) = delete;

  // Reads "data\ui\fonts\fonts_additional.xml" (after the additional resources have loaded).
  void LoadAdditionalFonts();
  // Reads one font list (see the .cpp for its shape).
  void LoadFonts(const std::string& fileName);

  // The font's id, or -1 for a name no list defined.
  std::int32_t GetFontIndex(const std::string& name) const;
  // The engine's font of that name; null for a name no list defined.
  CorvantisEngine::GUIFont* GetFont(const std::string& name) const;

  const std::string& GetLanguage() const { return language_; }
  const std::map<std::string, std::uint32_t>& GetFontIds() const { return fontIds_; }

 private:
  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* fileManager_;
  CorvantisEngine::GUIManager* guiManager_;
  CorvantisEngine::GUIFontManager* fontManager_;
  std::string language_;
  std::uint32_t nextFontId_ = 0;
  std::map<std::string, std::uint32_t> fontIds_;
  // Every id this tool created, also fonts whose name an earlier font already had.
  std::vector<std::uint32_t> createdIds_;
};

}  // namespace GUITools
