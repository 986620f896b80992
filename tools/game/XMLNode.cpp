#include "tools/game/XMLNode.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "tools/game/XMLStorage.h"

namespace GameTools {

void XMLAttributeList::reserve(std::size_t count) {
  if (count <= capacity()) {
    return;
  }
  auto* room = new XMLAttribute*[count];
  for (std::size_t i = 0; i < size_; ++i) {
    room[i] = (*this)[i];
  }
  if (mode_ == kHeapPointers) {
    delete[] pointers_;
  }
  pointers_ = room;
  capacity_ = count;
  mode_ = kHeapPointers;
}

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
  if (extras_) {
    extras_->childIndex.clear();
  }
  // The stack holds the children last first, so that nodes go in document order, which is the
  // order a parse laid them out in memory.
  std::vector<XMLNode*> pending = std::move(children_);
  std::reverse(pending.begin(), pending.end());
  children_.clear();
  // Nodes of a parse stay in its storage, which each holds a reference on: those references are given
  // back together rather than one at a time.
  XMLStorage* releasing = nullptr;
  std::size_t releases = 0;
  while (!pending.empty()) {
    XMLNode* node = pending.back();
    pending.pop_back();
    node->parent_ = nullptr;
    pending.insert(pending.end(), node->children_.rbegin(), node->children_.rend());
    node->children_.clear();
    if (node->extras_) {
      node->extras_->childIndex.clear();
    }
    if (XMLStorage* storage = node->storage_) {
      node->~XMLNode();
      if (storage != releasing) {
        if (releases != 0) {
          releasing->Release(releases);
        }
        releasing = storage;
        releases = 0;
      }
      ++releases;
    } else {
      delete node;
    }
  }
  if (releases != 0) {
    releasing->Release(releases);
  }
  // The records in the storage are only destroyed here; their memory (and the node's own, if it is
  // there too) goes with the storage. Records that were never handed out hold nothing else: the
  // parser makes them without forms, and only their readers could have made some.
  if (!attributes_.handedOut_) {
  } else if (attributes_.mode_ == XMLAttributeList::kRecords) {
    std::destroy_n(attributes_.records_, borrowedRecords_);
  } else {
    for (std::size_t i = 0; i < borrowedRecords_; ++i) {
      attributes_.pointers_[i]->~XMLAttribute();
    }
  }
}

XMLNode::Extras& XMLNode::MakeExtras() const {
  if (!extras_) {
    extras_ = std::make_unique<Extras>();
  }
  return *extras_;
}

void XMLNode::SetName(const std::string& name) {
  name_ = name;
  if (parent_ != nullptr) {
    if (parent_->extras_) {
      parent_->extras_->childIndex.clear();  // made again by the next look-up that needs it
    }
  }
}

// The indexes are made whole before they replace the empty ones, so a failed allocation leaves the
// lists to be scanned.
void XMLNode::BuildChildIndex() const {
  std::multimap<std::string, XMLNode*, std::less<>> index;
  for (XMLNode* child : children_) {
    index.emplace(child->name_, child);
  }
  MakeExtras().childIndex.swap(index);
}

void XMLNode::BuildAttributeIndex() const {
  std::map<std::string_view, XMLAttribute*> index;
  for (XMLAttribute* attribute : attributes_) {
    index.emplace(attribute->name, attribute);
  }
  MakeExtras().attributeIndex.swap(index);
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
  if (HasChildIndex()) {
    try {
      extras_->childIndex.emplace(child->name_, child);
    } catch (...) {
      children_.pop_back();
      throw;
    }
  }
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
  if (extras_) {
    auto& index = extras_->childIndex;
    const auto [first, last] = index.equal_range(child->name_);
    for (auto entry = first; entry != last; ++entry) {
      if (entry->second == child) {
        index.erase(entry);
        break;
      }
    }
  }
  return true;
}

XMLNode* XMLNode::FindChild(std::string_view name) const {
  if (!HasChildIndex() && children_.size() > kIndexThreshold) {
    BuildChildIndex();
  }
  if (!HasChildIndex()) {
    for (XMLNode* child : children_) {
      if (child->name_ == name) {
        return child;
      }
    }
    return nullptr;
  }
  const auto entry = extras_->childIndex.find(name);
  return entry == extras_->childIndex.end() ? nullptr : entry->second;
}

void XMLNode::GetChildren(std::vector<XMLNode*>& out) const {
  out = children_;
}

void XMLNode::GetChildrenByName(std::string_view name, std::vector<XMLNode*>& out) const {
  out.clear();
  if (!HasChildIndex() && children_.size() > kIndexThreshold) {
    BuildChildIndex();
  }
  if (!HasChildIndex()) {
    for (XMLNode* child : children_) {
      if (child->name_ == name) {
        out.push_back(child);
      }
    }
    return;
  }
  const auto [first, last] = extras_->childIndex.equal_range(name);
  for (auto entry = first; entry != last; ++entry) {
    out.push_back(entry->second);
  }
}

XMLAttribute* XMLNode::FindAttribute(std::string_view name) const {
  attributes_.handedOut_ = true;
  if (!HasAttributeIndex() && attributes_.size() > kIndexThreshold) {
    BuildAttributeIndex();
  }
  if (!HasAttributeIndex()) {
    // Length and first character first: most names differ there, which spares comparing them whole.
    for (XMLAttribute* attribute : attributes_) {
      const std::string_view candidate = attribute->name;
      if (candidate.size() == name.size() && (name.empty() || candidate[0] == name[0]) && candidate == name) {
        return attribute;
      }
    }
    return nullptr;
  }
  const auto entry = extras_->attributeIndex.find(name);
  return entry == extras_->attributeIndex.end() ? nullptr : entry->second;
}

XMLValue* XMLNode::GetAttribute(std::string_view name) const {
  XMLAttribute* attribute = FindAttribute(name);
  return attribute == nullptr ? nullptr : &attribute->value;
}

bool XMLNode::HasAttribute(std::string_view name) const {
  return FindAttribute(name) != nullptr;
}

void XMLNode::ReserveAttributes(std::size_t count) {
  if (count <= attributes_.size() + (extras_ ? extras_->freeRecords : 0)) {
    return;
  }
  // Records are handed out from the end of the newest block; what is left of an older block is unused.
  // Blocks stay below the C library's large-request size, whose allocation would first sweep all freed
  // small chunks together.
  constexpr std::size_t kMaxBlock = 960 / sizeof(XMLAttribute);
  const std::size_t more = std::min(count - attributes_.size(), kMaxBlock);
  attributes_.reserve(std::max(count, attributes_.size() + more));
  Extras& extras = MakeExtras();
  extras.attributeBlocks.push_back(std::make_unique<XMLAttribute[]>(more));
  extras.freeRecords = more;
}

XMLAttribute& XMLNode::AttributeFor(const std::string& name) {
  if (XMLAttribute* existing = FindAttribute(name)) {
    return *existing;
  }
  return AppendAttribute(name);
}

XMLValue* XMLNode::AddAttribute(const std::string& name) {
  if (FindAttribute(name) != nullptr) {
    return nullptr;
  }
  return &AppendAttribute(name).value;
}

XMLAttribute& XMLNode::AppendAttribute(const std::string& name) {
  if (!extras_ || extras_->freeRecords == 0) {
    ReserveAttributes(std::max<std::size_t>(4, attributes_.size()) + attributes_.size());
  }
  if (attributes_.size() == attributes_.capacity()) {
    attributes_.reserve(std::max<std::size_t>(4, attributes_.size() * 2));
  }
  // The name's copy is made before anything changes: the record takes it only once it is listed.
  auto& names = extras_->names;
  names.reserve(names.size() + 1);
  auto copy = std::make_unique_for_overwrite<char[]>(name.size());
  std::copy(name.begin(), name.end(), copy.get());
  XMLAttribute& record = extras_->attributeBlocks.back()[extras_->freeRecords - 1];
  record.name = std::string_view(copy.get(), name.size());
  names.push_back(std::move(copy));
  attributes_.push_back(&record);
  --extras_->freeRecords;
  IndexAttribute(&record);
  return record;
}

void XMLNode::IndexAttribute(XMLAttribute* record) {
  if (HasAttributeIndex()) {
    try {
      extras_->attributeIndex.emplace(record->name, record);
    } catch (...) {
      extras_->attributeIndex.clear();  // scanned again until the next look-up makes it anew
      throw;
    }
  }
}

void XMLNode::SetAttribute(const std::string& name, const std::wstring& text) {
  AttributeFor(name).value.SetWideString(text);
}

void XMLNode::SetAttribute(const std::string& name, std::wstring&& text) {
  AttributeFor(name).value.SetWideString(std::move(text));
}

XMLNode* XMLBuilder::NewElement(std::string_view name, XMLNode* parent, XMLStorage* storage) {
  // Without "()": every member has its initializer, and clearing the whole node first costs more.
  XMLNode* element = storage != nullptr ? new (*storage) XMLNode : new XMLNode;
  element->storage_ = storage;  // from here on the node holds the reference
  element->parent_ = parent;
  try {
    element->name_.assign(name);
  } catch (...) {
    delete element;
    throw;
  }
  return element;
}

void XMLBuilder::ReserveAttributes(XMLNode& element, std::size_t count) {
  if (count == 0) {
    return;
  }
  if (element.storage_ != nullptr && element.attributes_.capacity() == 0) {
    element.attributes_.Borrow(
        static_cast<XMLAttribute**>(element.storage_->Allocate(count * sizeof(XMLAttribute*))), count);
  } else {
    element.attributes_.reserve(count);
  }
}

void XMLBuilder::AdoptChildren(XMLNode& parent, XMLNode* const* children, std::size_t count) {
  parent.children_.insert(parent.children_.end(), children, children + count);
  if (parent.extras_) {
    parent.extras_->childIndex.clear();  // made again by the next look-up that needs it
  }
}

}  // namespace GameTools
