#include "tools/game/XMLStorage.h"

#include <algorithm>

// The node allocation functions live here, apart from the node's other code: a compiler that sees
// both the class's allocation and a plain new in one place may take them for a mismatched pair.

namespace GameTools {

void XMLStorage::NewBlock(std::size_t size) {
  // Small documents take little; large ones take a few large blocks rather than many small ones.
  constexpr std::size_t kFirstBlock = 16 * 1024;
  constexpr std::size_t kLargestBlock = 96 * 1024;
  blockSize_ = std::min(std::max(kFirstBlock, blockSize_ * 2), kLargestBlock);
  const std::size_t block = std::max(blockSize_, size);
  blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(block));
  next_ = blocks_.back().get();
  left_ = block;
}

// Every node is preceded by a header naming the storage that holds it, or none for the heap. A node
// in a storage holds a reference on it, given back once the node's memory is no longer used.
struct XMLNode::Header {
  XMLStorage* storage;
};

void* XMLNode::operator new(std::size_t size) {
  static_assert(sizeof(Header) <= alignof(std::max_align_t));
  void* room = ::operator new(size + alignof(std::max_align_t));
  static_cast<Header*>(room)->storage = nullptr;
  return static_cast<std::byte*>(room) + alignof(std::max_align_t);
}

void* XMLNode::operator new(std::size_t size, XMLStorage& storage) {
  void* room = storage.Allocate(size + alignof(std::max_align_t));
  static_cast<Header*>(room)->storage = &storage;
  return static_cast<std::byte*>(room) + alignof(std::max_align_t);
}

void XMLNode::operator delete(void* node) {
  if (node == nullptr) {
    return;
  }
  void* room = static_cast<std::byte*>(node) - alignof(std::max_align_t);
  if (XMLStorage* storage = static_cast<Header*>(room)->storage) {
    storage->Release();
  } else {
    ::operator delete(room);
  }
}

void XMLNode::operator delete(void* node, XMLStorage& storage) {
  // A constructor failed: the room stays unused in the storage, which holds no reference for it.
  static_cast<void>(node);
  static_cast<void>(storage);
}

}  // namespace GameTools
