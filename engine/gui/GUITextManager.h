#pragma once
// GUITextManager: the interface texts by key (upper case) and the named variables filled into them. A
// variable's name is written in the texts between percent signs ("%NAME%") and is stored with them.
// The game's text tool fills the maps before the first window is built.
//
// Main thread only. The log and file manager are borrowed. Nothing fails: a missing key reads
// "UNKNOWN".

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;

class GUITextManager {
 public:
  GUITextManager(MessageManager* log, FileManager* fileManager);
  virtual ~GUITextManager();

  // The text of key (upper-cased; with index not -1 its decimal digits appended), variables filled in.
  // Each variable is replaced in one left-to-right pass, so a value holding its own name stays as it is.
  std::wstring GetText(const std::string& key, std::int32_t index) const;

  MessageManager* log;
  FileManager* fileManager;
  std::vector<std::string> strings;  // for the game's text tool
  std::map<std::wstring, std::wstring> variables;
  std::map<std::string, std::wstring> texts;
};

}  // namespace CorvantisEngine
