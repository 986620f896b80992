#pragma once
// SoundFileReader: turns one sound file into a stream of PCM bytes with a known total size, channel
// count, bit depth and rate. SoundBuffer::OpenReader picks the reader by extension: SoundFileReaderWAV
// ("wav"), SoundFileReaderOGG ("ogg"), or SoundFileReaderEMP (eight bytes of 8-bit silence) for an empty
// name or an unknown extension. Files are opened through the FileManager (disk or pack archive) under
// FileManager::MakeDataPath(name); a pack entry is read from its archive piece by piece as the reader
// goes (FileManager::OpenFileInParts).
//
// Main thread only. The reader owns its file. Constructors throw `FileError` for a missing file or a
// malformed format (texts quote the path); a reader that throws has closed its file. Read never throws.

#include <cstdint>
#include <memory>
#include <string>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class FileBinary;

class SoundFileReader {
 public:
  virtual ~SoundFileReader();

  SoundFileReader(const SoundFileReader&) = delete;
  SoundFileReader& operator=(const SoundFileReader&) = delete;

  // Back to the first PCM byte. Callers ignore the result.
  virtual bool Rewind() = 0;
  // Copies up to `bytes` bytes of PCM; `read` receives how many, `end` whether the data is exhausted.
  // A call for 0 bytes reports 0 and the end.
  virtual void Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) = 0;

  const std::string& GetName() const { return name_; }
  const std::string& GetPath() const { return path_; }
  std::uint32_t GetSize() const { return size_; }
  std::uint32_t GetChannels() const { return channels_; }
  std::uint32_t GetBits() const { return bits_; }
  std::uint32_t GetRate() const { return rate_; }

 protected:
  // Opens the file unless `openFile` is false (the empty reader).
  SoundFileReader(MessageManager* log, FileManager* fileManager, const std::string& fileName, bool openFile);
  // "Failed to load \"" + path + "\" sound file - " + what.
  [[noreturn]] void Fail(const std::string& what) const;

  MessageManager* log_;
  FileManager* fileManager_;
  std::string name_;
  std::string path_;
  std::unique_ptr<FileBinary> file_;
  std::uint32_t size_ = 0;
  std::uint32_t channels_ = 0;
  std::uint32_t bits_ = 0;
  std::uint32_t rate_ = 0;
};

// Eight bytes of 8-bit mono silence at 22050 Hz; opens no file.
class SoundFileReaderEMP : public SoundFileReader {
 public:
  static constexpr std::uint32_t kSize = 8;

  SoundFileReaderEMP(MessageManager* log, FileManager* fileManager, const std::string& fileName);

  bool Rewind() override;
  void Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) override;

 private:
  std::uint32_t position_ = 0;
};

}  // namespace CorvantisEngine
