#include "tools/game/XMLNode.h"

#include <algorithm>
#include <utility>

namespace GameTools {

XMLNode::XMLNode(const std::string& name, XMLNode* parent) : name_(name) {
  if (parent != nullptr) {
    parent->AddChild(this);
  }
}

XMLNode::XMLNode(const std::string& name, const std::string& text, XMLNode* parent) : name_(name) {
  value_.SetString(text);
  if (parent != nullptr) {
    parent->AddChild(this);
  }
}

XMLNode::~XMLNode() {
  if (parent_ != nullptr) {
    XMLNode* parent = parent_;
    parent_ = nullptr;
    parent->Unlink(this);
  }
  // The subtree is taken apart with an explicit list rather than by recursion, so that a deep tree
  // cannot exhaust the stack: every node is emptied of its children before it is deleted.
  childIndex_.clear();
  std::vector<XMLNode*> pending = std::move(children_);
  children_.clear();
  while (!pending.empty()) {
    XMLNode* node = pending.back();
    pending.pop_back();
    node->parent_ = nullptr;
    pending.insert(pending.end(), node->children_.begin(), node->children_.end());
    node->children_.clear();
    node->childIndex_.clear();
    delete node;
  }
}

void XMLNode::SetName(const std::string& name) {
  if (parent_ != nullptr) {
    // Re-entering the index at the end would put the node after later siblings of the new name, so
    // those entries are rebuilt in document order.
    XMLNode* parent = parent_;
    auto [first, last] = parent->childIndex_.equal_range(name_);
    for (auto entry = first; entry != last; ++entry) {
      if (entry->second == this) {
        parent->childIndex_.erase(entry);
        break;
      }
    }
    name_ = name;
    parent->childIndex_.erase(name_);
    for (XMLNode* sibling : parent->children_) {
      if (sibling->name_ == name_) {
        parent->childIndex_.emplace(name_, sibling);
      }
    }
  } else {
    name_ = name;
  }
}

XMLNode* XMLNode::AddChild(XMLNode* child) {
  if (child == nullptr || child == this) {
    return nullptr;
  }
  // Only a node with children can be an ancestor of this one; a new node skips the walk.
  if (!child->children_.empty()) {
    for (const XMLNode* node = parent_; node != nullptr; node = node->parent_) {
      if (node == child) {
        return nullptr;  // would make a cycle
      }
    }
  }
  if (child->parent_ != nullptr) {
    // Clearing the parent pointer first tells the old parent not to delete the node it gives up.
    XMLNode* oldParent = child->parent_;
    child->parent_ = nullptr;
    oldParent->Unlink(child);
  }
  children_.push_back(child);
  childIndex_.emplace(child->name_, child);
  child->parent_ = this;
  return child;
}

XMLNode* XMLNode::AddNewChild() {
  return new XMLNode(std::string(), this);
}

void XMLNode::RemoveChild(XMLNode* child) {
  if (child == nullptr || !Unlink(child)) {
    return;
  }
  if (child->parent_ == this) {
    child->parent_ = nullptr;
    delete child;
  }
}

bool XMLNode::Unlink(XMLNode* child) {
  const auto place = std::find(children_.begin(), children_.end(), child);
  if (place == children_.end()) {
    return false;
  }
  children_.erase(place);
  auto [first, last] = childIndex_.equal_range(child->name_);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->second == child) {
      childIndex_.erase(entry);
      break;
    }
  }
  return true;
}

XMLNode* XMLNode::FindChild(std::string_view name) const {
  const auto entry = childIndex_.find(name);
  return entry == childIndex_.end() ? nullptr : entry->second;
}

void XMLNode::GetChildren(std::vector<XMLNode*>& out) const {
  out = children_;
}

void XMLNode::GetChildrenByName(std::string_view name, std::vector<XMLNode*>& out) const {
  out.clear();
  auto [first, last] = childIndex_.equal_range(name);
  for (auto entry = first; entry != last; ++entry) {
    out.push_back(entry->second);
  }
}

XMLAttribute* XMLNode::FindAttribute(std::string_view name) const {
  const auto entry = attributeIndex_.find(name);
  return entry == attributeIndex_.end() ? nullptr : entry->second;
}

XMLValue* XMLNode::GetAttribute(std::string_view name) const {
  XMLAttribute* attribute = FindAttribute(name);
  return attribute == nullptr ? nullptr : &attribute->value;
}

bool XMLNode::HasAttribute(std::string_view name) const {
  return FindAttribute(name) != nullptr;
}

XMLAttribute& XMLNode::AttributeFor(const std::string& name) {
  const auto entry = attributeIndex_.find(name);
  if (entry != attributeIndex_.end()) {
    return *entry->second;
  }
  auto attribute = std::make_unique<XMLAttribute>();
  attribute->name = name;
  XMLAttribute& record = *attribute;
  attributes_.push_back(std::move(attribute));
  attributeIndex_.emplace(name, &record);
  return record;
}

void XMLNode::SetAttribute(const std::string& name, const std::wstring& text) {
  AttributeFor(name).value.SetWideString(text);
}

void XMLNode::SetAttribute(const std::string& name, std::wstring&& text) {
  AttributeFor(name).value.SetWideString(std::move(text));
}

}  // namespace GameTools
