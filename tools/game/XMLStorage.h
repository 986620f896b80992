#pragma once
// XMLStorage: the memory one parse of a narrow document fills: the document's text, which attribute
// values and element texts borrow instead of copying, and blocks that hold the nodes' attribute
// records. Every node the parse makes holds a reference; the storage goes when the last of them does,
// wherever those nodes have moved since. Internal to the XML code of the game tools.
//
// The count is atomic so that nodes of one parse may end up in trees used by different threads; the
// rest is only touched while the parse runs.

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace GameTools {

struct XMLAttribute;
class XMLNode;

class XMLStorage {
 public:
  // A storage with one reference, held by the caller.
  XMLStorage() = default;
  XMLStorage(const XMLStorage&) = delete;
  XMLStorage& operator=(const XMLStorage&) = delete;

  void Acquire() { references_.fetch_add(1, std::memory_order_relaxed); }
  void Release() {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete this;
    }
  }

  // The document's text; set before the parse and left alone while any node refers to it.
  std::string& Text() { return text_; }

  // Room for one attribute record, which the caller constructs and its node destroys.
  void* AllocateRecord();

 private:
  ~XMLStorage() = default;

  std::atomic<std::size_t> references_{1};
  std::string text_;
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::byte* next_ = nullptr;
  std::size_t left_ = 0;
};

// What the parser does to a tree beyond the public interface: nodes that borrow from a storage, and
// children handed over in one piece.
class XMLBuilder {
 public:
  // A new element named `name` whose parent pointer is `parent`, but which no list holds yet (see
  // AdoptChildren); it keeps a reference on `storage` when that is not null.
  static XMLNode* NewElement(std::string_view name, XMLNode* parent, XMLStorage* storage);
  // Appends a record, made in the element's storage, whose value borrows `value` (plain ASCII in the
  // storage's text). Null (and nothing changes) when `mayRepeat` and the element already has an
  // attribute of that name; without `mayRepeat` the caller knows that it has none. Only for elements
  // made by NewElement with a storage, before any other attribute is added to them.
  static XMLAttribute* AddBorrowedAttribute(XMLNode& element, std::string_view name, std::string_view value,
                                            bool mayRepeat);
  // Room in the attribute list for this many attributes.
  static void ReserveAttributes(XMLNode& element, std::size_t count);
  // Hands `count` nodes made by NewElement with `parent` as their parent to the parent's children.
  static void AdoptChildren(XMLNode& parent, XMLNode* const* children, std::size_t count);
};

}  // namespace GameTools
