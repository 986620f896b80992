#pragma once
// GUIToolManager: the GUI toolkit's shared state, bound to one interface language: the fonts
// (GUIFontTool), the texts (GUITextTool) and the window description files. Every "*.xml" file of
// "data\ui\windows" (on disk and in the packs) is parsed once; each must hold exactly one top element,
// and the top elements hang under one nameless document node, where window builders find a window
// by its top element's name.
//
// Main thread only. Ownership: the manager owns both tools and the document (and with it every window
// tree); the engine is borrowed. Failure: a window file that cannot be read or parsed is logged and
// left out; the others stay available.

#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {
class Engine;
class MessageManager;
class FileManager;
}  // namespace CorvantisEngine

namespace GameTools {
class XMLNode;
}

namespace GUITools {

class GUIFontTool;
class GUITextTool;

class GUIToolManager {
 public:
  // The folder whose "*.xml" files are the window descriptions.
  static constexpr const char* kWindowFolder = "data\\ui\\windows";

  GUIToolManager(CorvantisEngine::Engine* engine, const std::string& language);
  virtual ~GUIToolManager();

  GUIToolManager(const GUIToolManager&) = delete;
  GUIToolManager& operator=(const GUIToolManager&) = delete;

  CorvantisEngine::Engine* GetEngine() const { return engine_; }
  const std::string& GetLanguage() const { return language_; }
  GUIFontTool* GetFontTool() const { return fontTool_.get(); }
  GUITextTool* GetTextTool() const { return textTool_.get(); }
  // The nameless node whose children are the window files' top elements, in listing order.
  GameTools::XMLNode* GetDocument() const { return document_.get(); }
  // The lower-cased file name (without folder) of each window file that parsed, and its top element.
  const std::vector<std::string>& GetWindowFileNames() const { return windowFileNames_; }
  const std::vector<GameTools::XMLNode*>& GetWindowRoots() const { return windowRoots_; }

 private:
  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* fileManager_;
  std::string language_;
  std::unique_ptr<GUIFontTool> fontTool_;
  std::unique_ptr<GUITextTool> textTool_;
  std::vector<std::string> windowFileNames_;
  std::vector<GameTools::XMLNode*> windowRoots_;  // owned by the document
  std::unique_ptr<GameTools::XMLNode> document_;
};

}  // namespace GUITools
