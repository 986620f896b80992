#include "engine/sound/SoundFileReaderWAV.h"

#include <algorithm>
#include <cstring>

#include "engine/files/FileBinary.h"

namespace CorvantisEngine {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

SoundFileReaderWAV::SoundFileReaderWAV(MessageManager* log, FileManager* fileManager,
                                       const std::string& fileName)
    : SoundFileReader(log, fileManager, fileName, true) {
  std::uint8_t header[12];
  file_->Read(header, 12);  // a shorter file throws FileBinary's FileError
  if (std::memcmp(header, "RIFF", 4) != 0 || U32(header + 4) == 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    Fail("no RIFF header");
  }

  std::uint32_t start = 0, size = 0;
  if (!FindChunk("fmt ", 16, start, size))
    Fail("no format chunk");
  std::uint8_t format[16];
  std::uint32_t got = 0;
  file_->Read(format, 16, &got);
  const std::uint16_t tag = U16(format);
  const std::uint16_t channels = U16(format + 2);
  const std::uint16_t bits = U16(format + 14);
  if (got < 16 || tag != 1 || channels == 0 || channels > 2 || (bits != 8 && bits != 16)) {
    Fail("no format chunk");
  }
  channels_ = channels;
  rate_ = U32(format + 4);
  bits_ = bits;

  if (!FindChunk("data", 0, start, size))
    Fail("no data chunk");
  dataStart_ = start;
  // A truncated file: only the bytes that are there are announced.
  size_ = std::min(size, file_->GetSize() - start);
  remaining_ = size_;
}

bool SoundFileReaderWAV::FindChunk(const char* id, std::uint32_t minSize, std::uint32_t& bodyStart,
                                   std::uint32_t& bodySize) {
  const std::uint64_t fileSize = file_->GetSize();
  std::uint64_t position = 12;
  // Every step moves forward by at least the 8-byte header, so the walk ends.
  while (position + 8 <= fileSize && position <= 0x7FFFFFFF) {
    file_->Seek(FileBinary::kFromStart, static_cast<std::int32_t>(position));
    std::uint8_t header[8];
    std::uint32_t got = 0;
    file_->Read(header, 8, &got);
    if (got < 8)
      return false;
    const std::uint32_t size = U32(header + 4);
    const std::uint64_t body = position + 8;
    if (std::memcmp(header, id, 4) == 0 && size >= minSize) {
      if (minSize > 0 && body + size > fileSize)
        return false;
      bodyStart = static_cast<std::uint32_t>(body);
      bodySize = size;
      return true;
    }
    if (size > fileSize - body)
      return false;
    position = body + size + (size & 1u);
  }
  return false;
}

bool SoundFileReaderWAV::Rewind() {
  remaining_ = size_;
  return file_->Seek(FileBinary::kFromStart, static_cast<std::int32_t>(dataStart_));
}

void SoundFileReaderWAV::Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) {
  const std::uint32_t count = std::min(bytes, remaining_);
  remaining_ -= count;
  std::uint32_t got = 0;
  if (count)
    file_->Read(buffer, count, &got);
  if (got < count)
    remaining_ = 0;
  read = got;
  end = bytes == 0 || remaining_ == 0;
}

}  // namespace CorvantisEngine
