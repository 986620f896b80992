#pragma once
// XMLParser: reads one of the program's XML data files into an XMLNode tree. The dialect is small and
// forgiving: elements, attributes in single or double quotes, empty elements, comments written as
// "<!--" followed by a blank and ending at the first ">" outside quotes, declarations ("<?...>") that
// are skipped, and character data taken as it stands (no entities, character references, CDATA or
// namespaces). An element's text is the last run of character data inside it that is not only white
// space. Names are stored narrow, attribute values and texts wide.
//
// The file is read as the engine's text reader reads it: UTF-16 (either byte order) or UTF-8 after a
// byte-order mark, 8-bit text of the current locale without one, every line end taken as CR LF. Plain
// ASCII (the usual case) is scanned straight from the file's bytes, which the tree then keeps: its
// nodes, records and texts share the memory of the parse (see XMLNode.h). Anything else is decoded by
// the reader first; decoded text that turns out plain ASCII (a UTF-8 or UTF-16 file of ASCII
// characters) is narrowed and scanned the same way, other text is scanned wide and kept by the tree.
//
// Failures throw CorvantisEngine::FileError: the file's own open and read errors as they come, and
// faults of the dialect as "XML format error at line L: code N" with these codes:
//   0  "</" while no element is open            8  an attribute value that does not begin with a quote
//   1  a tag with nothing in it                 10 an attribute name without "=" and value at the end
//   2  a closing tag that does not match        11 "=" without a complete quoted value at the end
//   4  "=" with no attribute name before it     12 a "<" after the root element closed
//   5  "/" where a name starts, not at the end  13 a visible character outside every element
//   6  "/" right after an attribute name        14 the text ends inside a tag
//   7  the same attribute twice in one tag      15 the text holds no element
//   16 elements nested deeper than kMaxDepth    (3 and 9 are not used)
// Elements still open at the end of the text are accepted as read so far.
//
// Typical use:
//   GameTools::XMLNode document;
//   GameTools::XMLParser(engine).Parse(&document, "data\\levels\\levels.xml");
//   for (const GameTools::XMLNode* level : document.FindChild("levels")->GetChildList()) {
//     const GameTools::XMLValue* name = level->GetAttribute("name");  // null when absent
//   }
//
// The parser keeps no state between calls; any thread may use its own parser (the file manager is
// shared, so the engine's rule for it applies).

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Engine.h"

namespace GameTools {

class XMLNode;

class XMLParser {
 public:
  // The deepest nesting of elements a document may have (the root is at depth 1).
  static constexpr std::uint32_t kMaxDepth = 256;

  explicit XMLParser(CorvantisEngine::FileManager* files);
  // Inline, so that only programs that have an Engine need its code.
  explicit XMLParser(CorvantisEngine::Engine* engine) : XMLParser(engine->GetFileManager()) {}
  virtual ~XMLParser() = default;

  // With `root` null the file must hold exactly one top element, which becomes the root and is handed
  // back (the caller owns it); on a fault the partial tree is deleted and `root` stays null. With a
  // root supplied, every top element of the file (any number) is appended to it as a child, and what
  // was read before a fault stays attached.
  void ParseText(XMLNode*& root, const std::string& fileName);
  // The usual call: parse into a supplied (typically empty, nameless) node; paths into it then begin
  // with the file's top element name. A null root only checks the file.
  void Parse(XMLNode* root, const std::string& fileName);

  // The same as ParseText for text already decoded (lines joined by "\r\n" as the engine's reader
  // delivers them). A text handed over is taken, and scanned narrow when it is plain ASCII (as the
  // decoded text of a file is); a text lent is copied and scanned wide as it stands.
  static void ParseWideText(XMLNode*& root, std::wstring&& text);
  static void ParseWideText(XMLNode*& root, const std::wstring& text);
  // The same as ParseText for a file's bytes already in memory (encoded as the file would be).
  static void ParseBytes(XMLNode*& root, std::string_view bytes);

 private:
  CorvantisEngine::FileManager* files_;
};

}  // namespace GameTools
