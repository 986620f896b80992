#pragma once
// SoundFileReaderWAV: PCM from a RIFF/WAVE file (format tag 1, one or two channels, 8 or 16 bits).
// The chunk walk honours RIFF's pad byte after odd-sized chunks and stops at a chunk that claims more
// bytes than the file holds; a data chunk that claims more than is present is cut to what is there.
// Throws `FileError` "... - no RIFF header", "... - no format chunk" or "... - no data chunk".

#include "engine/sound/SoundFileReader.h"

namespace CorvantisEngine {

class SoundFileReaderWAV : public SoundFileReader {
 public:
  SoundFileReaderWAV(MessageManager* log, FileManager* fileManager, const std::string& fileName);

  bool Rewind() override;
  void Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) override;

 private:
  // Walks the chunks from offset 12 to the first `id` whose body holds at least minSize bytes; on
  // success `bodyStart` and `bodySize` (the declared size) describe it and the file stands at its body.
  bool FindChunk(const char* id, std::uint32_t minSize, std::uint32_t& bodyStart, std::uint32_t& bodySize);

  std::uint32_t dataStart_ = 0;
  std::uint32_t remaining_ = 0;
};

}  // namespace CorvantisEngine
