#include "tools/game/XMLQueries.h"

#include <algorithm>
#include <cwctype>

#include "tools/game/XMLNode.h"

namespace GameTools {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsBlank(char c) {
  return std::iswgraph(static_cast<unsigned char>(c)) == 0;
}

bool Passes(const XMLNode& candidate, const std::vector<std::string>& names,
            const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    const XMLValue* attribute = candidate.GetAttribute(names[i]);
    if (attribute == nullptr || attribute->GetString() != values[i]) {
      return false;
    }
  }
  return true;
}

// Calls `visit` for every selected node in order; stops early when it returns false. Returns false
// when stopped. The recursion descends one tree level per call; empty steps loop instead, so a path
// of many slashes costs no stack.
template <class Visit>
bool Select(XMLNode* node, std::string_view path, Visit& visit) {
  while (node != nullptr) {
    if (path.empty()) {
      return visit(node);
    }
    const std::size_t slash = path.find('/');
    const std::size_t open = path.find('[');
    const std::size_t close = path.find(']');
    if (slash != npos && open != npos && slash > open && (close == npos || slash < close)) {
      return true;  // a "/" inside the brackets
    }
    if (close != npos && (open == npos || close < open)) {
      return true;  // a "]" before any "["
    }
    std::vector<std::string> names;
    std::vector<std::string> values;
    const bool hasConditions = open != npos && (slash == npos || open < slash);
    if (hasConditions) {
      const std::string_view conditions =
          close == npos ? path.substr(open + 1) : path.substr(open + 1, close - open - 1);
      if (!XMLParsePredicates(conditions, names, values)) {
        return true;
      }
    }
    const std::string_view step = path.substr(0, std::min(slash, open));
    const std::string_view rest = slash == npos ? std::string_view() : path.substr(slash + 1);
    if (step.empty() && !hasConditions) {
      path = rest;
      continue;
    }
    if (step.empty()) {
      for (XMLNode* child : node->GetChildList()) {
        if (Passes(*child, names, values) && !Select(child, rest, visit)) {
          return false;
        }
      }
    } else {
      for (XMLNode* child : node->GetChildList()) {
        if (child->GetName() == step && Passes(*child, names, values) && !Select(child, rest, visit)) {
          return false;
        }
      }
    }
    return true;
  }
  return true;
}

template <class Visit>
void SelectEach(XMLNode* node, std::string_view path, Visit visit) {
  Select(node, path, visit);
}

}  // namespace

void XMLSelectNodes(XMLNode* node, std::string_view path, std::vector<XMLNode*>& out) {
  SelectEach(node, path, [&out](XMLNode* found) {
    out.push_back(found);
    return true;
  });
}

XMLNode* XMLSelectNode(XMLNode* node, std::string_view path) {
  XMLNode* first = nullptr;
  SelectEach(node, path, [&first](XMLNode* found) {
    first = found;
    return false;
  });
  return first;
}

void XMLSelectValues(XMLNode* node, std::string_view path, std::vector<XMLValue*>& out) {
  SelectEach(node, path, [&out](XMLNode* found) {
    out.push_back(&found->GetValue());
    return true;
  });
}

XMLValue* XMLSelectValue(XMLNode* node, std::string_view path) {
  XMLNode* found = XMLSelectNode(node, path);
  return found == nullptr ? nullptr : &found->GetValue();
}

void XMLSelectAttributes(XMLNode* node, std::string_view path, std::string_view name,
                         std::vector<XMLValue*>& out) {
  SelectEach(node, path, [&out, name](XMLNode* found) {
    if (XMLValue* value = found->GetAttribute(name)) {
      out.push_back(value);
    }
    return true;
  });
}

XMLValue* XMLSelectAttribute(XMLNode* node, std::string_view path, std::string_view name) {
  XMLValue* first = nullptr;
  SelectEach(node, path, [&first, name](XMLNode* found) {
    first = found->GetAttribute(name);
    return first == nullptr;
  });
  return first;
}

bool XMLParsePredicates(std::string_view text, std::vector<std::string>& names,
                        std::vector<std::string>& values) {
  std::string name;
  std::string value;
  bool equalsSeen = false;
  bool inText = false;
  char quote = 0;
  for (const char c : text) {
    if (inText) {
      if (c == quote) {
        names.push_back(std::move(name));
        values.push_back(std::move(value));
        name.clear();
        value.clear();
        inText = false;
        equalsSeen = false;
      } else {
        value.push_back(c);
      }
    } else if (IsBlank(c)) {
      continue;
    } else if (equalsSeen) {
      if (c != '"' && c != '\'') {
        return false;
      }
      inText = true;
      quote = c;
    } else if (c == '=') {
      if (name.empty()) {
        return false;
      }
      equalsSeen = true;
    } else if (c == ',' || c == ';') {
      if (!name.empty()) {
        return false;
      }
    } else {
      name.push_back(c);
    }
  }
  return name.empty() && !equalsSeen && !inText;
}

}  // namespace GameTools
