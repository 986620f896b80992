#pragma once
// ObjectManager<T>: the slot container in which the engine's managers keep the objects they own.
//
// An object's id is its slot index. Removal empties the slot and pushes its index on a stack of free
// slots, which the next AddObject reuses (the most recently freed first). When fewer than half of the
// slots are live after a removal, the empty slots are squeezed out: the live objects move to the front
// in their present order, so their ids change. An id is therefore only valid until the next
// RemoveObject.
//
// Ownership: the container owns its live objects and deletes them when it is destroyed. RemoveObject
// does not delete; the caller deletes what it removed. The owning managers walk `objects` (which may
// hold null slots) and `count` directly. Not thread-safe; never throws except std::bad_alloc.

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/core/PointerContainers.h"

namespace CorvantisEngine {

template <typename T>
class ObjectManager {
 public:
  static constexpr std::uint32_t kNoObject = 0xFFFFFFFFu;

  ObjectManager() = default;
  ObjectManager(const ObjectManager&) = delete;
  ObjectManager& operator=(const ObjectManager&) = delete;
  virtual ~ObjectManager() {
    // DeletePointerVector deletes a pointer that was added twice only once.
    DeletePointerVector(objects);
  }

  // Stores the object in the most recently freed slot, or a new slot at the end, and returns its id.
  // Null is ignored (kNoObject). The object is not checked for being held already.
  std::uint32_t AddObject(T* object) {
    if (object == nullptr) {
      return kNoObject;
    }
    ++count;
    if (!freeSlots.empty()) {
      const std::uint32_t slot = freeSlots.back();
      freeSlots.pop_back();
      objects[slot] = object;
      return slot;
    }
    objects.push_back(object);
    return static_cast<std::uint32_t>(objects.size() - 1);
  }

  // Empties the first slot holding the object (which is not deleted) and compacts when fewer than half
  // of the slots stay live. False for null or an object not held.
  bool RemoveObject(T* object) {
    if (object == nullptr) {
      return false;
    }
    for (std::size_t slot = 0; slot < objects.size(); ++slot) {
      if (objects[slot] != object) {
        continue;
      }
      freeSlots.push_back(static_cast<std::uint32_t>(slot));
      objects[slot] = nullptr;
      --count;
      if (static_cast<std::size_t>(count) * 2 < objects.size()) {
        RemovePointerFromVector(objects);
        freeSlots.clear();
      }
      return true;
    }
    return false;
  }

  // The object in slot id, or null for an empty slot or an id out of range.
  T* GetObject(std::uint32_t id) const { return id < objects.size() ? objects[id] : nullptr; }

  // The id of the first slot holding the object, or kNoObject.
  std::uint32_t FindObject(const T* object) const {
    if (object != nullptr) {
      for (std::size_t slot = 0; slot < objects.size(); ++slot) {
        if (objects[slot] == object) {
          return static_cast<std::uint32_t>(slot);
        }
      }
    }
    return kNoObject;
  }

  std::uint32_t count = 0;              // live objects
  std::vector<T*> objects;              // slot i holds the object with id i, or null; owned
  std::deque<std::uint32_t> freeSlots;  // emptied slot indices, used as a stack (back is the top)
};

}  // namespace CorvantisEngine
