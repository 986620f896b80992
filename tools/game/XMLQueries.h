#pragma once
// Path queries over an XMLNode tree. A path is a list of steps separated by "/"; a step is an element
// name (case-sensitive) with an optional list of attribute conditions in square brackets:
//
//   "content/theme_cost"            every theme_cost child of every content child
//   "/faders/fader[name='fade_in']" the fader children whose name attribute is exactly fade_in
//   "/[name=\"button\"]/y"          the y children of every child whose name is button
//   "item[kind='a', size=\"2\"]"    several conditions, separated by "," or ";", must all hold
//
// An empty step without conditions stands for the node itself (so a leading "/" or a doubled "//"
// changes nothing, and an empty path selects the start node); an empty step with conditions takes all
// children. A "/" inside the brackets, or a "]" before the first "[", makes the path select nothing;
// a last step's missing "]" is forgiven. Results come depth first in document order; the tree keeps
// ownership of everything a result points to. The queries never change the tree and never throw
// (except std::bad_alloc); a null start node selects nothing.

#include <string>
#include <string_view>
#include <vector>

namespace GameTools {

class XMLNode;
class XMLValue;

// Appends every selected node to `out` (which is not emptied first).
void XMLSelectNodes(XMLNode* node, std::string_view path, std::vector<XMLNode*>& out);
// The first selected node, or null.
XMLNode* XMLSelectNode(XMLNode* node, std::string_view path);

// Appends the text value of every selected node.
void XMLSelectValues(XMLNode* node, std::string_view path, std::vector<XMLValue*>& out);
// The text value of the first selected node, or null.
XMLValue* XMLSelectValue(XMLNode* node, std::string_view path);

// Appends the value of the attribute `name` of every selected node that has it (the others are skipped).
void XMLSelectAttributes(XMLNode* node, std::string_view path, std::string_view name,
                         std::vector<XMLValue*>& out);
// The value of the attribute `name` of the first selected node that has it, or null.
XMLValue* XMLSelectAttribute(XMLNode* node, std::string_view path, std::string_view name);

// Reads a condition list (the text between the brackets): pairs of name = 'text' or name = "text",
// separated by "," or ";", blanks allowed outside the quotes. Appends each pair to `names` and `values`
// as it is read; false on a fault (a name without "=", "=" without a quoted text, an empty name, a
// separator after a name without a value), with the pairs read before the fault still appended.
bool XMLParsePredicates(std::string_view text, std::vector<std::string>& names,
                        std::vector<std::string>& values);

}  // namespace GameTools
