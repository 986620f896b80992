#pragma once
// SoundBuffer: the PCM data of one sound file on the device. A file of up to 1 MiB of PCM is decoded
// whole into a static device buffer at construction; a longer one streams through a 1 MiB ring of 32
// chunks of 32768 bytes that Update refills from the file's reader while it plays. SoundBuffer_DS7 is
// the back end; buffers are made by the sound system's factories and owned by the SoundBufferManager.
//
// Main thread only. The buffer owns its reader (kept only while streaming). Construction passes on the
// reader's `FileError`; device failures are logged and leave the buffer silent.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class SoundFileReader;

class SoundBuffer {
 public:
  static constexpr std::uint32_t kChunkBytes = 32768;
  static constexpr std::uint32_t kChunkCount = 32;
  static constexpr std::uint32_t kRingBytes = kChunkBytes * kChunkCount;  // 0x100000
  static constexpr std::uint32_t kMarginBytes = 0x10000;
  // Larger sounds stream; exactly this many bytes still load whole.
  static constexpr std::uint32_t kStaticLimit = 0x100000;

  enum StreamState : std::uint32_t { kStreamStopped = 0, kStreamPaused = 1, kStreamPlaying = 2 };

  virtual ~SoundBuffer();

  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // Refills the chunks a playing stream has finished with. Once per frame, through the buffer manager.
  virtual void Update();
  // Deletes the reader.
  virtual void CloseReader();
  // Opens the reader (or copies the format of `source`), makes the device buffer and, for a static
  // sound, writes the whole data and closes the reader. A short file is logged, not thrown.
  virtual void Load(const SoundBuffer* source);
  virtual void CreateBuffer(const SoundBuffer* source) = 0;
  virtual void Release() = 0;
  virtual bool WriteData(std::uint32_t chunk, const std::uint8_t* data, std::uint32_t bytes) = 0;
  virtual void QueueChunk(std::uint32_t chunk) = 0;
  // Chunk numbers the device has finished playing since the previous call; null does nothing.
  virtual void UnqueueProcessedBuffers(std::vector<std::uint32_t>* processed) = 0;

  void OpenReader(const SoundBuffer* source);
  // Reads `bytes` bytes into `data` (silence after the end; a looping stream wraps to the start) and
  // writes them at the chunk. False when nothing should be queued (see the .cpp).
  bool FillChunk(std::uint32_t chunk, std::uint8_t* data, std::uint32_t bytes);
  std::uint8_t* ChunkData();
  // Opens a stopped stream's reader again for playing (none, and the error logged, when it fails).
  void ReopenStreamReader();
  void SetStreamState(std::uint32_t state);
  void SetLooping(bool looping) { looping_ = looping ? 1 : 0; }

  const std::string& GetName() const { return name_; }
  std::uint32_t GetSize() const { return size_; }
  std::uint32_t GetRate() const { return rate_; }
  std::uint32_t GetBits() const { return bits_; }
  std::uint32_t GetChannels() const { return channels_; }
  bool IsStreaming() const { return streaming_ != 0; }
  bool IsLooping() const { return looping_ != 0; }
  std::uint32_t GetStreamState() const { return streamState_; }
  bool HasReader() const { return reader_ != nullptr; }
  // False when the last Load could not read the whole sound (or its file).
  bool LoadSucceeded() const { return loadSucceeded_; }

 protected:
  // name is lower-cased: the buffer manager's key.
  SoundBuffer(MessageManager* log, FileManager* fileManager, const std::string& fileName);

  MessageManager* log_;
  FileManager* fileManager_;
  std::string name_;
  std::uint32_t size_ = 0;
  std::uint32_t rate_ = 0;
  std::uint32_t bits_ = 0;
  std::uint32_t channels_ = 0;
  std::uint8_t streaming_ = 0;
  std::uint8_t looping_ = 0;
  std::unique_ptr<SoundFileReader> reader_;
  // A stream's chunk on its way to the device buffer (made at the first chunk).
  std::unique_ptr<std::uint8_t[]> chunkData_;
  std::uint32_t streamState_ = kStreamStopped;
  bool loadSucceeded_ = true;
  // Stream bytes written to the ring since the last rewind, and the stream position at which a
  // non-looping reader ran out (kNoStreamEnd until it has). A stream whose looping is switched off
  // while it plays ends where its reader does, not where its first pass did.
  static constexpr std::uint64_t kNoStreamEnd = ~std::uint64_t{0};
  std::uint64_t streamFed_ = 0;
  std::uint64_t streamEnd_ = kNoStreamEnd;
};

}  // namespace CorvantisEngine
