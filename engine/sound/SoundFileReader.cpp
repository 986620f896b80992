#include "engine/sound/SoundFileReader.h"

#include <algorithm>
#include <cstring>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"

namespace CorvantisEngine {

SoundFileReader::SoundFileReader(MessageManager* log, FileManager* fileManager, const std::string& fileName,
                                 bool openFile)
    : log_(log), fileManager_(fileManager), name_(fileName), path_(FileManager::MakeDataPath(fileName)) {
  // A packed file is read from its archive as the sound is decoded, not copied whole: a long piece of
  // music streams through a small buffer.
  if (openFile)
    file_.reset(fileManager_->OpenFileInParts(path_));
}

SoundFileReader::~SoundFileReader() = default;

void SoundFileReader::Fail(const std::string& what) const {
  throw FileError("Failed to load \"" + path_ + "\" sound file - " + what);
}

SoundFileReaderEMP::SoundFileReaderEMP(MessageManager* log, FileManager* fileManager,
                                       const std::string& fileName)
    : SoundFileReader(log, fileManager, fileName, false) {
  size_ = kSize;
  channels_ = 1;
  bits_ = 8;
  rate_ = 22050;
}

bool SoundFileReaderEMP::Rewind() {
  position_ = 0;
  return true;
}

void SoundFileReaderEMP::Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) {
  const std::uint32_t count = std::min(bytes, kSize - position_);
  position_ += count;
  if (count)
    std::memset(buffer, 128, count);
  read = count;
  end = bytes == 0 || position_ == kSize;
}

}  // namespace CorvantisEngine
