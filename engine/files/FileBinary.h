#pragma once
// FileBinary: the engine's one file object. It is a disk file opened for writing, a disk file opened
// for reading (loaded whole into memory when it is at most 8 MiB or when `preload` asks for it, else
// read from the disk on demand), a block of memory holding a copy of a pack entry, or a file whose
// bytes are fetched as they are read (a pack entry read from its archive piece by piece). Raw reads,
// writes and seeks keep a tracked position; the typed reads and writes below are the layout every
// engine format and save file is built from: u8, little-endian u32, lists of u32 with a u32 count,
// and strings with a one-byte count (wide strings as UTF-16 little-endian units with their
// terminating zero, at most 254 units; characters beyond the basic plane as surrogate pairs).
//
// One thread at a time per object. Failures throw `FileError` (opening, short reads without an out
// count, short writes, counts read from the file that exceed what remains); `Seek` never throws.
// Call `Close` to learn whether a written file reached the disk; the destructor closes silently and
// only logs a failure.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;

class FileBinary {
 public:
  // Files up to this size are read into memory on opening.
  static constexpr std::uint32_t kMemoryLimit = 8u * 1024u * 1024u;

  enum SeekOrigin : std::uint32_t { kFromStart = 0, kFromEnd = 1, kFromCurrent = 2 };

  // `name` is kept as passed (error texts show it); a relative name is opened beside the executable.
  // With `fromMemory` the file is a copy of `size` bytes at `bytes` (the caller keeps its buffer).
  // The log may be null.
  FileBinary(MessageManager* log, const std::string& name, bool write, bool preload, bool fromMemory,
             std::uint32_t size, const void* bytes);
  // A file for reading that is the `size` bytes of `bytes`, taken over without a copy.
  FileBinary(MessageManager* log, const std::string& name, std::unique_ptr<std::uint8_t[]> bytes,
             std::uint32_t size);
  // Copies up to `n` bytes from `offset` to `destination` and answers how many; a read that fails
  // answers fewer (0), as a short read from the disk does.
  using Fetch = std::function<std::uint32_t(std::uint32_t offset, std::uint32_t n, void* destination)>;
  // A file for reading of `size` bytes that are fetched as they are read, never held whole.
  FileBinary(MessageManager* log, const std::string& name, Fetch fetch, std::uint32_t size);
  virtual ~FileBinary();

  FileBinary(const FileBinary&) = delete;
  FileBinary& operator=(const FileBinary&) = delete;

  // Moves the position; false when it had to be clamped to the last byte (or to 0). A file opened for
  // writing may also be moved to its end, so that writing goes on after a header was patched.
  bool Seek(std::uint32_t origin, std::int32_t offset);

  // Reads up to n bytes. With an out count it receives how many were read; without one a request that
  // runs past the end delivers what there is and then throws.
  void Read(void* destination, std::uint32_t n, std::uint32_t* outCount = nullptr);
  // Files opened for writing only. Without an out count a short write throws.
  void Write(const void* source, std::uint32_t n, std::uint32_t* outCount = nullptr);

  void WriteByte(std::uint8_t value);
  void WriteUInt(std::uint32_t value);
  void WriteInt(std::int32_t value);
  void WriteFloat(float value);
  void ReadByte(std::uint8_t& out);
  void ReadUInt(std::uint32_t& out);
  void ReadInt(std::int32_t& out);
  void ReadFloat(float& out);

  void WriteUIntVector(const std::vector<std::uint32_t>& values);
  // Refuses a count larger than the bytes that remain before allocating anything.
  void ReadUIntVector(std::vector<std::uint32_t>& out);

  // Longer texts are cut to 254 UTF-16 units, at a character boundary (with a warning in the log), so the
  // count byte stays valid.
  void WriteWString(const std::wstring& text);
  void ReadWString(std::wstring& out);
  void ReadString(std::string& out);

  // Hands the written bytes to the system and, with `toDisk`, waits until the disk holds them; throws
  // `FileError` when that fails. Does nothing for a file that is not open for writing.
  void Flush(bool toDisk);
  // Flushes and closes the disk handle; throws `FileError` when written bytes did not reach the disk.
  // Reads and seeks on a closed disk file deliver nothing; memory files are unaffected.
  void Close();

  const std::string& GetName() const { return name_; }
  std::uint32_t GetSize() const { return size_; }
  std::uint32_t GetPosition() const { return position_; }
  std::uint32_t GetRemaining() const { return position_ < size_ ? size_ - position_ : 0; }
  bool IsWriting() const { return write_; }
  bool IsInMemory() const { return memory_ != nullptr; }
  // The whole content of a file held in memory (null for files read on demand or written); valid
  // while the file lives.
  const std::uint8_t* GetMemory() const { return memory_.get(); }
  bool HasOpenHandle() const { return handle_ != nullptr; }

  static constexpr std::uint32_t kMaxWStringLength = 254;

 private:
  void ThrowReadError(std::uint64_t n) const;

  MessageManager* log_;
  std::string name_;
  std::FILE* handle_ = nullptr;
  bool write_;
  std::uint32_t size_ = 0;
  std::uint32_t position_ = 0;
  std::unique_ptr<std::uint8_t[]> memory_;
  Fetch fetch_;
};

}  // namespace CorvantisEngine
