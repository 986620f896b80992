#pragma once
// SoundFileReaderOGG: 16-bit little-endian PCM decoded from an Ogg Vorbis file by vorbisfile, which
// reads the engine's file through the reader's own callbacks. Throws `FileError` "... - incorrect
// format" for anything that is not an Ogg Vorbis stream of known length with one or two channels.
// Read gives up after a run of decoding errors and reports the end.

#include <memory>

#include "engine/sound/SoundFileReader.h"

struct OggVorbis_File;

namespace CorvantisEngine {

class SoundFileReaderOGG : public SoundFileReader {
 public:
  // Consecutive decoding errors after which Read stops.
  static constexpr int kMaxConsecutiveErrors = 8;

  SoundFileReaderOGG(MessageManager* log, FileManager* fileManager, const std::string& fileName);
  ~SoundFileReaderOGG() override;

  bool Rewind() override;
  void Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) override;

  // vorbisfile's callbacks; the data source is the reader.
  static std::size_t OggReadCallback(void* ptr, std::size_t size, std::size_t count, void* source);
  static int OggSeekCallback(void* source, std::int64_t offset, int origin);
  static int OggCloseCallback(void* source);
  static long OggTellCallback(void* source);

 private:
  std::unique_ptr<OggVorbis_File> decoder_;
  bool open_ = false;
  // FileBinary keeps its position on a byte of the file; vorbisfile needs to stand at the end itself
  // (that is how it learns the length), so that one position is tracked here.
  bool atEnd_ = false;
};

}  // namespace CorvantisEngine
