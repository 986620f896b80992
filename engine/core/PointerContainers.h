#pragma once
// Helpers for containers that own the objects their pointers point to. Each deletes every distinct
// non-null pointee once, in container order (a pointer held twice is not deleted twice), then empties
// the container.

#include <unordered_set>
#include <vector>

namespace CorvantisEngine {

// Deletes every non-null element (through its virtual destructor when T has one), then clears the
// vector.
template <typename T>
void DeletePointerVector(std::vector<T*>& pointers) {
  std::unordered_set<const T*> deleted;
  deleted.reserve(pointers.size());
  for (T* pointer : pointers) {
    if (pointer != nullptr && deleted.insert(pointer).second) {
      delete pointer;
    }
  }
  pointers.clear();
}

// For vectors of plain records. The records' destructors run as well (a record holding a string
// would otherwise leak it), so this is DeletePointerVector under the name its callers use.
template <typename T>
void DeleteRawPointerVector(std::vector<T*>& pointers) {
  DeletePointerVector(pointers);
}

// Deletes every non-null mapped value, then clears the map. Works for any map of keys to T*.
template <typename Map>
void DeletePointerMapValues(Map& map) {
  using Pointer = typename Map::mapped_type;
  std::unordered_set<Pointer> deleted;
  for (auto& entry : map) {
    if (entry.second != nullptr && deleted.insert(entry.second).second) {
      delete entry.second;
    }
  }
  map.clear();
}

// Erases every null element, keeping the others in order.
template <typename T>
void RemovePointerFromVector(std::vector<T*>& pointers) {
  std::erase(pointers, nullptr);
}

}  // namespace CorvantisEngine
