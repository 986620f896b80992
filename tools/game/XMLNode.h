#pragma once
// XMLNode: one element of a parsed XML document (or the nameless document root that files are parsed
// into). An element has a narrow name, a text value, attributes with unique names and child elements,
// both in document order, plus indexes by name for the look-ups below.
//
// Ownership: a node owns its attribute records and its children; deleting a node deletes its whole
// subtree (without recursion, so any depth is safe). A root belongs to whoever created it. Readers walk
// GetAttributeList() and GetChildList() directly; the pointers there stay valid until the element is
// removed or its parent is destroyed. Nodes made by the parser share the memory of their parse (its
// text and records), which is given back when the last of them is deleted.
//
// A tree is not thread-safe: one thread at a time, readers included (values convert lazily). Nothing
// here throws except std::bad_alloc.

#include <compare>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/game/XMLValue.h"

namespace GameTools {

class XMLStorage;

// An attribute: its name and its value. The name's characters are not the record's own: they belong to
// the tree the record is in (the text of the parse that made it, or the node's copy of a name set
// later) and last exactly as long as the record, so a record is not copied.
struct XMLAttribute {
  std::string_view name;
  XMLValue value;

  XMLAttribute() = default;
  XMLAttribute(const XMLAttribute&) = delete;
  XMLAttribute& operator=(const XMLAttribute&) = delete;
};

// The attribute records of a node in document order, read as a std::vector of pointers is (size,
// empty, [], front, back, begin and end; the elements are handed out by value). A list the parser
// fills holds the records themselves, one after another in the memory of its parse (see XMLStorage.h);
// other lists, and a parsed one once it has to grow, hold pointers to the records, which never move.
class XMLAttributeList {
 public:
  using value_type = XMLAttribute*;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using const_reference = XMLAttribute*;
  using reference = const_reference;

  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::random_access_iterator_tag;
    using value_type = XMLAttribute*;
    using difference_type = std::ptrdiff_t;
    using reference = XMLAttribute*;
    using pointer = void;

    const_iterator() = default;
    XMLAttribute* operator*() const { return (*list_)[index_]; }
    XMLAttribute* operator[](difference_type offset) const { return (*list_)[index_ + offset]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++index_;
      return before;
    }
    const_iterator& operator--() {
      --index_;
      return *this;
    }
    const_iterator operator--(int) {
      const_iterator before = *this;
      --index_;
      return before;
    }
    const_iterator& operator+=(difference_type offset) {
      index_ += offset;
      return *this;
    }
    const_iterator& operator-=(difference_type offset) {
      index_ -= offset;
      return *this;
    }
    friend const_iterator operator+(const_iterator at, difference_type offset) { return at += offset; }
    friend const_iterator operator+(difference_type offset, const_iterator at) { return at += offset; }
    friend const_iterator operator-(const_iterator at, difference_type offset) { return at -= offset; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_ - b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
      return a.index_ <=> b.index_;
    }

   private:
    friend class XMLAttributeList;
    const_iterator(const XMLAttributeList* list, std::size_t index) : list_(list), index_(index) {}

    const XMLAttributeList* list_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = const_iterator;

  XMLAttributeList() = default;
  XMLAttributeList(const XMLAttributeList&) = delete;
  XMLAttributeList& operator=(const XMLAttributeList&) = delete;
  ~XMLAttributeList() {
    if (mode_ == kHeapPointers) {
      delete[] pointers_;
    }
  }

  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  XMLAttribute* operator[](std::size_t i) const { return mode_ == kRecords ? records_ + i : pointers_[i]; }
  XMLAttribute* front() const { return (*this)[0]; }
  XMLAttribute* back() const { return (*this)[size_ - 1]; }

 private:
  friend class XMLNode;
  friend class XMLBuilder;

  enum Mode : std::uint8_t {
    kBorrowedPointers,  // pointers in room that outlives the list (or none yet)
    kHeapPointers,      // pointers in room of the list's own
    kRecords            // the records themselves, which outlive the list
  };

  // Full for a list of records: adding one turns it into a list of pointers.
  std::size_t capacity() const { return mode_ == kRecords ? size_ : capacity_; }
  // Makes room on the heap for `count` pointers in all.
  void reserve(std::size_t count);
  // Room must have been made for the record.
  void push_back(XMLAttribute* record) { pointers_[size_++] = record; }
  // An empty list without room takes `count` slots that outlive it.
  void Borrow(XMLAttribute** room, std::size_t count) {
    pointers_ = room;
    capacity_ = count;
  }
  // An empty list without room lists `count` records that lie one after another and outlive it.
  void UseRecords(XMLAttribute* records, std::size_t count) {
    records_ = records;
    size_ = count;
    mode_ = kRecords;
  }

  union {
    XMLAttribute** pointers_ = nullptr;
    XMLAttribute* records_;
  };
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  Mode mode_ = kBorrowedPointers;
  // Whether the records were ever handed out (the list, a record or a value). Only then can a value
  // have made its forms, which its record's destruction gives back.
  mutable bool handedOut_ = false;
};

class XMLNode {
 public:
  // The attribute records and the children, both owned by this node.
  using AttributeList = XMLAttributeList;
  using ChildList = std::vector<XMLNode*>;

  // A nameless root without parent.
  XMLNode() = default;
  // These two append the new node to `parent`'s children when the parent is not null; the parent then
  // owns it, so such nodes are made with new: `new XMLNode("item", "text", &list);`.
  XMLNode(const std::string& name, XMLNode* parent);
  XMLNode(const std::string& name, const std::string& text, XMLNode* parent);
  // Unlinks the node from its parent (if any), then deletes its attributes and its whole subtree.
  virtual ~XMLNode();

  XMLNode(const XMLNode&) = delete;
  // Nodes live on the heap or, when the parser made them, in the memory of their parse.
  static void* operator new(std::size_t size);
  static void operator delete(void* node);
  XMLNode& operator=(const XMLNode&) = delete;

  const std::string& GetName() const { return name_; }
  // Renames the node; its parent's index follows.
  void SetName(const std::string& name);
  XMLValue& GetValue() { return value_; }
  const XMLValue& GetValue() const { return value_; }
  XMLNode* GetParent() const { return parent_; }
  const AttributeList& GetAttributeList() const {
    attributes_.handedOut_ = true;
    return attributes_;
  }
  const ChildList& GetChildList() const { return children_; }

  // Appends `child` (first taken from its old parent, which does not destroy it) and returns it. The
  // node itself or one of its ancestors cannot become its child: that returns null and changes nothing.
  XMLNode* AddChild(XMLNode* child);
  // Appends a new child with an empty name and text and returns it.
  XMLNode* AddNewChild();
  // Takes `child` out of this node and deletes it. A null child, or one that is not this node's child,
  // changes nothing.
  void RemoveChild(XMLNode* child);

  // The first child of that name in document order, or null.
  XMLNode* FindChild(std::string_view name) const;
  // `out` is replaced by all children / the children of that name, in document order.
  void GetChildren(std::vector<XMLNode*>& out) const;
  void GetChildrenByName(std::string_view name, std::vector<XMLNode*>& out) const;

  // The attribute record, its value, or null when the node has no attribute of that name.
  XMLAttribute* FindAttribute(std::string_view name) const;
  XMLValue* GetAttribute(std::string_view name) const;
  bool HasAttribute(std::string_view name) const;
  // Makes room for this many attributes in the list (a hint for builders; changes nothing visible).
  void ReserveAttributes(std::size_t count);
  // Replaces the text of an existing attribute (which keeps its place) or appends a new one.
  void SetAttribute(const std::string& name, const std::wstring& text);
  void SetAttribute(const std::string& name, std::wstring&& text);
  // Appends a new attribute with an empty text and returns its value to fill in; null (and nothing
  // changes) when the node already has an attribute of that name.
  XMLValue* AddAttribute(const std::string& name);

 private:
  friend class XMLBuilder;
  struct Header;

  // Records made after the parse and the indexes by name.
  struct Extras {
    // The records live in blocks (one per reservation or growth step) rather than one allocation each.
    std::vector<std::unique_ptr<XMLAttribute[]>> attributeBlocks;
    std::size_t freeRecords = 0;
    // The names of those records.
    std::vector<std::unique_ptr<char[]>> names;
    std::map<std::string_view, XMLAttribute*> attributeIndex;
    // Among equal names the multimap keeps insertion order, which is document order.
    std::multimap<std::string, XMLNode*, std::less<>> childIndex;
  };

  static void* operator new(std::size_t size, XMLStorage& storage);
  static void operator delete(void* node, XMLStorage& storage);

  // Look-ups by name scan the lists while they are short; the first look-up in a longer list builds an
  // index by name, which is then kept up to date (an empty index means the list is scanned).
  static constexpr std::size_t kIndexThreshold = 16;

  XMLAttribute& AttributeFor(const std::string& name);
  XMLAttribute& AppendAttribute(const std::string& name);
  // Enters a record just appended to the list in the index, if there is one.
  void IndexAttribute(XMLAttribute* record);
  void BuildAttributeIndex() const;
  void BuildChildIndex() const;
  Extras& MakeExtras() const;
  bool HasAttributeIndex() const { return extras_ && !extras_->attributeIndex.empty(); }
  bool HasChildIndex() const { return extras_ && !extras_->childIndex.empty(); }
  // Takes `child` out of the children list and the index; false when it is not there.
  bool Unlink(XMLNode* child);

  std::string name_;
  XMLValue value_;
  AttributeList attributes_;
  // The first this many records live in storage_ (see XMLStorage.h) rather than in the blocks.
  std::size_t borrowedRecords_ = 0;
  ChildList children_;
  XMLNode* parent_ = nullptr;
  // What most nodes never need, made when first needed.
  mutable std::unique_ptr<Extras> extras_;
  // The parse that made this node, whose memory holds the node, its first records and their texts;
  // null otherwise. The node's header holds the reference on it.
  XMLStorage* storage_ = nullptr;
};

}  // namespace GameTools
