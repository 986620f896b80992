// Fuzzes the XML dialect: any bytes, decoded as the parser's file reading decodes them, either give a
// tree or a FileError, without a crash, a hang, a leak or deep recursion. The tree is then walked, its
// values read and a path taken from the input run over it. Parsing the bytes themselves must give the
// same tree and the same fault as parsing the decoded text.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileTextual.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"

namespace {

using namespace GameTools;

std::uint32_t Walk(const XMLNode& node, std::uint32_t depth) {
  if (depth > XMLParser::kMaxDepth + 1) {
    __builtin_trap();  // the nesting limit did not hold
  }
  float numbers[4];
  node.GetValue().GetFloats(numbers, 4);
  for (const XMLAttribute* attribute : node.GetAttributeList()) {
    attribute->value.GetString();
    attribute->value.GetInt();
    if (node.GetAttribute(attribute->name) != &attribute->value) {
      __builtin_trap();  // the list and the look-up disagree
    }
  }
  std::uint32_t count = 1;
  for (const XMLNode* child : node.GetChildList()) {
    if (child->GetParent() != &node) {
      __builtin_trap();
    }
    count += Walk(*child, depth + 1);
  }
  return count;
}

// Names, attributes, wide values and children alike, in order.
bool Same(const XMLNode& a, const XMLNode& b) {
  if (a.GetName() != b.GetName() || a.GetValue().GetWideString() != b.GetValue().GetWideString() ||
      a.GetAttributeList().size() != b.GetAttributeList().size() ||
      a.GetChildList().size() != b.GetChildList().size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.GetAttributeList().size(); ++i) {
    const XMLAttribute& x = *a.GetAttributeList()[i];
    const XMLAttribute& y = *b.GetAttributeList()[i];
    if (x.name != y.name || x.value.GetWideString() != y.value.GetWideString()) {
      return false;
    }
  }
  for (std::size_t i = 0; i < a.GetChildList().size(); ++i) {
    if (!Same(*a.GetChildList()[i], *b.GetChildList()[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) {
    return 0;
  }
  std::wstring text;
  {
    CorvantisEngine::FileTextual file(nullptr,
                                      new CorvantisEngine::FileBinary(nullptr, "fuzz.xml", false, false, true,
                                                                      static_cast<std::uint32_t>(size), data),
                                      false, 0);
    file.ReadText(text, false);
  }
  // A path from the input's last line.
  const std::size_t lastLine = text.rfind(L'\n');
  std::string path;
  for (std::size_t i = lastLine == std::wstring::npos ? 0 : lastLine + 1; i < text.size() && path.size() < 64;
       ++i) {
    path.push_back(static_cast<char>(text[i]));
  }

  XMLNode* root = nullptr;
  try {
    XMLParser::ParseWideText(root, text);
  } catch (const CorvantisEngine::Error&) {
    if (root != nullptr) {
      __builtin_trap();  // a failed parse must not hand back a tree
    }
  }
  std::unique_ptr<XMLNode> owner(root);
  if (root != nullptr) {
    Walk(*root, 1);
    std::vector<XMLNode*> found;
    XMLSelectNodes(root, path, found);
    XMLSelectAttribute(root, path, "name");
  }

  XMLNode document;
  std::string fault;
  try {
    XMLNode* into = &document;
    XMLParser::ParseWideText(into, text);
  } catch (const CorvantisEngine::Error& error) {
    // What was read before the fault stays attached and must still be a sound tree.
    fault = error.GetMessage();
  }
  Walk(document, 0);

  XMLNode fromBytes;
  std::string bytesFault;
  try {
    XMLNode* into = &fromBytes;
    XMLParser::ParseBytes(into, std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const CorvantisEngine::Error& error) {
    bytesFault = error.GetMessage();
  }
  if (bytesFault != fault || !Same(document, fromBytes)) {
    __builtin_trap();  // the bytes read differently from the decoded text
  }
  return 0;
}
