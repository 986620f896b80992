#pragma once
// SoundBufferManager: owns every SoundBuffer. A new sound asks it for a buffer by file name; when a
// live static buffer of that file exists, the new buffer is a copy sharing its data, else it is loaded
// from the file. Buffers sit in numbered slots; freed numbers are reused most recent first.
//
// Main thread only. Created and owned by the SoundManager. GetBuffer passes on the reader's `FileError`
// and then leaves the manager unchanged.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class SoundSystem;
class SoundBuffer;

class SoundBufferManager {
 public:
  SoundBufferManager(MessageManager* log, FileManager* fileManager, SoundSystem* soundSystem);
  virtual ~SoundBufferManager();

  SoundBufferManager(const SoundBufferManager&) = delete;
  SoundBufferManager& operator=(const SoundBufferManager&) = delete;

  // A new buffer owned by the manager.
  SoundBuffer* GetBuffer(const std::string& fileName);
  // Deletes the buffer; null or a buffer not held here is ignored.
  void ReleaseBuffer(SoundBuffer* buffer);
  // SoundBuffer::Update of every live buffer in order of creation (refills streams).
  void UpdateAll();

  std::size_t GetBufferCount() const { return liveSlots_.size(); }
  // The slot number of a held buffer, or -1.
  std::int64_t GetSlotOf(const SoundBuffer* buffer) const;

 private:
  MessageManager* log_;
  FileManager* fileManager_;
  SoundSystem* soundSystem_;
  std::deque<std::uint32_t> freeSlots_;
  std::vector<std::uint32_t> liveSlots_;
  std::vector<SoundBuffer*> slots_;  // owned; null while free
};

}  // namespace CorvantisEngine
