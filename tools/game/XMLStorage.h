#pragma once
// XMLStorage: the memory one parse of a narrow document fills: the document's text, which attribute
// values and element texts borrow instead of copying, and blocks that hold the nodes' attribute
// records. Every node the parse makes holds a reference; the storage goes when the last of them does,
// wherever those nodes have moved since. Internal to the XML code of the game tools.
//
// The count is atomic so that nodes of one parse may end up in trees used by different threads; the
// rest is only touched while the parse runs.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "tools/game/XMLNode.h"

namespace GameTools {

class XMLStorage {
 public:
  // A storage with one reference, held by the caller.
  XMLStorage() = default;
  XMLStorage(const XMLStorage&) = delete;
  XMLStorage& operator=(const XMLStorage&) = delete;

  void Acquire(std::size_t count = 1) { references_.fetch_add(count, std::memory_order_relaxed); }
  void Release(std::size_t count = 1) {
    if (references_.fetch_sub(count, std::memory_order_acq_rel) == count) {
      delete this;
    }
  }

  // The document's text, kept as long as the storage: either taken over, or written into room made
  // here (left as it is, not cleared). Set before the parse; taking a text over (narrow or wide) drops
  // the room. Either way a zero character follows the text, which lets the scanner's loops stop there
  // without counting.
  std::string_view KeepText(std::string&& text) {
    textRoom_.reset();
    text_ = std::move(text);
    return text_;
  }
  std::wstring_view KeepWideText(std::wstring&& text) {
    textRoom_.reset();
    wideText_ = std::move(text);
    return wideText_;
  }
  // A copy of `text` in room made here.
  template <class Char>
  std::basic_string_view<Char> Keep(std::basic_string_view<Char> text) {
    if (text.empty()) {
      return text;
    }
    auto* room = static_cast<Char*>(Allocate(text.size() * sizeof(Char)));
    std::copy(text.begin(), text.end(), room);
    return std::basic_string_view<Char>(room, text.size());
  }
  char* MakeText(std::size_t size) {
    textRoom_ = std::make_unique_for_overwrite<char[]>(size + 1);
    textRoom_[size] = '\0';
    return textRoom_.get();
  }

  // Room for `size` bytes, aligned for any type, which lasts as long as the storage. Used for attribute
  // records and nodes, which their owners construct and destroy.
  void* Allocate(std::size_t size) {
    size = (size + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    if (left_ < size) {
      NewBlock(size);
    }
    void* room = next_;
    next_ += size;
    left_ -= size;
    return room;
  }

 private:
  ~XMLStorage() = default;
  void NewBlock(std::size_t size);

  std::atomic<std::size_t> references_{1};
  std::string text_;
  std::unique_ptr<char[]> textRoom_;
  std::wstring wideText_;
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::byte* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t blockSize_ = 0;
};

// What the parser does to a tree beyond the public interface: nodes that borrow from a storage, and
// children handed over in one piece.
class XMLBuilder {
 public:
  // A new element named `name` whose parent pointer is `parent`, but which no list holds yet (see
  // AdoptChildren). With a storage the element takes over one reference the caller holds on it.
  static XMLNode* NewElement(std::string_view name, XMLNode* parent, XMLStorage* storage);
  // Appends a record, made in the element's storage, whose name and value borrow `name` and `value`
  // from the storage (its text, or room made there; narrow text must be plain ASCII). Null (and nothing
  // changes) when `mayRepeat` and the element already has an attribute of that name; without `mayRepeat` the
  // caller knows that it has none. Only for elements made by NewElement with a storage, before any other
  // attribute is added.
  template <class Char>
  static XMLAttribute* AddBorrowedAttribute(XMLNode& element, std::string_view name,
                                            std::basic_string_view<Char> value, bool mayRepeat);
  // The same for the narrow attributes of one tag at once (names and values, borrowed from the
  // storage's text), made in one piece: at most kBatchAttributes, for an element that has none yet and
  // no room made in its list. Returns how many were added: all of them, or those before the first name
  // that repeats an earlier one. Without `namesMayRepeat` the caller knows that no name repeats.
  static constexpr std::size_t kBatchAttributes = 16;
  static std::size_t AddBorrowedAttributes(XMLNode& element,
                                           const std::pair<std::string_view, std::string_view>* attributes,
                                           std::size_t count, bool namesMayRepeat = true);
  // Room in the attribute list for this many attributes.
  static void ReserveAttributes(XMLNode& element, std::size_t count);
  // Hands `count` nodes made by NewElement with `parent` as their parent to the parent's children.
  static void AdoptChildren(XMLNode& parent, XMLNode* const* children, std::size_t count);
};

// Inlined into the parser's loop, where it runs once for every attribute of a document.
template <class Char>
[[gnu::always_inline]] inline XMLAttribute* XMLBuilder::AddBorrowedAttribute(
    XMLNode& element, std::string_view name, std::basic_string_view<Char> value, bool mayRepeat) {
  if (mayRepeat && element.FindAttribute(name) != nullptr) {
    return nullptr;
  }
  if (element.attributes_.size() == element.attributes_.capacity()) {
    element.attributes_.reserve(std::max<std::size_t>(4, element.attributes_.size() * 2));
  }
  auto* record = new (element.storage_->Allocate(sizeof(XMLAttribute))) XMLAttribute;
  record->name = name;
  if constexpr (std::is_same_v<Char, char>) {
    record->value.BorrowAscii(value);
  } else {
    record->value.BorrowWide(value);
  }
  // A text too long to borrow was copied into forms, which the record's destruction must give back.
  element.attributes_.handedOut_ |= record->value.hasForms_;
  element.attributes_.push_back(record);  // room was reserved above
  ++element.borrowedRecords_;
  if (element.extras_) {
    element.IndexAttribute(record);
  }
  return record;
}

// One bit of 64 for a name, to tell names that cannot be the same apart quickly.
inline std::uint64_t NameBit(std::string_view name) {
  if (name.empty()) {
    return 1;
  }
  return std::uint64_t{1} << ((name.size() * 7 + static_cast<unsigned char>(name.front()) +
                               static_cast<unsigned char>(name.back()) * 3) &
                              63);
}

[[gnu::always_inline]] inline std::size_t XMLBuilder::AddBorrowedAttributes(
    XMLNode& element, const std::pair<std::string_view, std::string_view>* attributes, std::size_t count,
    bool namesMayRepeat) {
  if (count == 0) {
    return 0;
  }
  auto* records = static_cast<XMLAttribute*>(element.storage_->Allocate(count * sizeof(XMLAttribute)));
  std::uint64_t namesSeen = 0;
  std::size_t added = 0;
  for (; added < count; ++added) {
    const std::string_view name = attributes[added].first;
    if (namesMayRepeat) {
      const std::uint64_t bit = NameBit(name);
      if ((namesSeen & bit) != 0) {
        const auto* const repeated =
            std::find_if(attributes, attributes + added,
                         [name](const auto& attribute) { return attribute.first == name; });
        if (repeated != attributes + added) {
          break;
        }
      }
      namesSeen |= bit;
    }
    auto* record = new (records + added) XMLAttribute;
    record->name = name;
    record->value.BorrowAsciiWhenNew(attributes[added].second);
    // A text too long to borrow was copied into forms, which the record's destruction must give back.
    element.attributes_.handedOut_ |= record->value.hasForms_;
  }
  // The list is made of the records themselves; an index (made if the element was looked up
  // already) takes them too.
  element.attributes_.UseRecords(records, added);
  element.borrowedRecords_ = added;
  if (element.extras_) {
    for (std::size_t i = 0; i < added; ++i) {
      element.IndexAttribute(records + i);
    }
  }
  return added;
}

}  // namespace GameTools
