#pragma once
// GUITextTool: the interface's texts by key in the current language. It reads "data\ui\texts\texts.xml"
// and then "data\ui\texts\default_texts.xml"; a text file is a top element "texts" holding one element
// per key (a key "a/b" is an element "a" holding "b"), and below each key one element per language code
// whose "text" attribute is the text:
//   <texts><game_title><en text="Brindlewick"/><ru text="..."/></game_title></texts>
// A key is looked up in "texts.xml" first, then in "default_texts.xml".
//
// Main thread only; owns the parsed files. Failure: a file that cannot be read is logged and ends the
// reading (a broken "texts.xml" leaves "default_texts.xml" unread); a file without "texts" is logged;
// a missing text is "UNKNOWN", silently.

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

class GUITextTool {
 public:
  GUITextTool(CorvantisEngine::Engine* engine, const std::string& language);
  virtual ~GUITextTool();

  GUITextTool(const GUITextTool&) = delete;
  GUITextTool& operator=(const GUITextTool&) = delete;

  // The text of the key ("game_title", "game_logic/combo") in the tool's language, or "UNKNOWN".
  std::wstring GetText(const std::string& key) const;

  const std::string& GetLanguage() const { return language_; }

 private:
  [[maybe_unused]] CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* fileManager_;
  std::string language_;
  std::unique_ptr<GameTools::XMLNode> document_;  // one child per text file read
  // The "texts" element of each file read, in reading order; null for a file without one.
  std::vector<GameTools::XMLNode*> roots_;
};

}  // namespace GUITools
