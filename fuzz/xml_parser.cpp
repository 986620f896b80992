// Fuzzes the XML dialect: any bytes, decoded as the parser's file reading decodes them, either give a
// tree or a FileError, without a crash, a hang, a leak or deep recursion. The tree is then walked, its
// values read and a path taken from the input run over it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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
  try {
    XMLNode* into = &document;
    XMLParser::ParseWideText(into, text);
  } catch (const CorvantisEngine::Error&) {
    // What was read before the fault stays attached and must still be a sound tree.
  }
  Walk(document, 0);
  return 0;
}
