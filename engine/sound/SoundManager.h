#pragma once
// SoundManager: owns every Sound. It creates and destroys sounds for the game, plays, pauses and stops
// them at once or at its next Update(true), and updates them (and, through its SoundBufferManager, their
// buffers) once per frame. It creates and owns the SoundBufferManager and hands it to the sound system.
//
// Main thread only. The Engine creates it right after the sound system and deletes it before; with no
// sound device there is no SoundManager and callers check for null. CreateSound passes on the reader's
// `FileError` and leaves the manager unchanged; nothing else throws.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class SoundSystem;
class SoundBufferManager;
class Sound;

struct SoundCommand {
  enum Kind : std::uint32_t { kPlay = 0, kPause = 1, kStop = 2 };
  std::uint32_t kind = kPlay;
  Sound* sound = nullptr;  // not owned
};

class SoundManager {
 public:
  SoundManager(MessageManager* log, FileManager* fileManager, SoundSystem* soundSystem);
  virtual ~SoundManager();

  SoundManager(const SoundManager&) = delete;
  SoundManager& operator=(const SoundManager&) = delete;

  // A new sound owned by the manager.
  Sound* CreateSound(const std::string& fileName);
  // Deletes the sound and drops its queued commands; null or a sound not held here is ignored.
  void DestroySound(Sound* sound);
  std::uint32_t GetSoundCount() const { return static_cast<std::uint32_t>(liveSlots_.size()); }
  // The index-th live sound in order of creation; null outside [0, count).
  Sound* GetSound(std::uint32_t index) const;

  // immediately false queues the action for the next Update(true).
  void PlaySound(Sound* sound, bool immediately);
  void PauseSound(Sound* sound, bool immediately);
  void StopSound(Sound* sound, bool immediately);

  // Runs the queued commands (when runQueued), then updates every sound and every buffer.
  void Update(bool runQueued);
  void ClearQueue();

  SoundBufferManager* GetBufferManager() const { return bufferManager_.get(); }
  std::size_t GetQueuedCount() const { return queue_.size(); }
  // The slot number of a held sound, or -1.
  std::int64_t GetSlotOf(const Sound* sound) const;

 private:
  // Runs the action now or queues it; null is ignored.
  void Act(std::uint32_t kind, Sound* sound, bool immediately);
  void Run(std::uint32_t kind, Sound* sound);
  void PlayNow(Sound* sound);

  [[maybe_unused]] MessageManager* log_;
  [[maybe_unused]] FileManager* fileManager_;
  SoundSystem* soundSystem_;
  std::unique_ptr<SoundBufferManager> bufferManager_;
  std::uint32_t nextSlot_ = 0;
  std::deque<std::uint32_t> freeSlots_;
  std::vector<std::uint32_t> liveSlots_;
  std::vector<Sound*> slots_;  // owned; null while free
  std::vector<SoundCommand> queue_;
};

}  // namespace CorvantisEngine
