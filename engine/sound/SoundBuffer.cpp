#include "engine/sound/SoundBuffer.h"

#include <cstring>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/sound/SoundFileReader.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "engine/sound/SoundFileReaderWAV.h"

namespace CorvantisEngine {

SoundBuffer::SoundBuffer(MessageManager* log, FileManager* fileManager, const std::string& fileName)
    : log_(log), fileManager_(fileManager), name_(StringToLowerCopy(fileName)) {}

SoundBuffer::~SoundBuffer() = default;

void SoundBuffer::CloseReader() {
  reader_.reset();
}

void SoundBuffer::OpenReader(const SoundBuffer* source) {
  if (reader_)
    return;
  if (source) {
    size_ = source->size_;
    rate_ = source->rate_;
    bits_ = source->bits_;
    channels_ = source->channels_;
    streaming_ = 0;
    return;
  }
  if (name_.empty()) {
    reader_ = std::make_unique<SoundFileReaderEMP>(log_, fileManager_, name_);
  } else {
    const std::string extension = FileManager::GetExtension(name_);
    if (extension == "wav") {
      reader_ = std::make_unique<SoundFileReaderWAV>(log_, fileManager_, name_);
    } else if (extension == "ogg") {
      reader_ = std::make_unique<SoundFileReaderOGG>(log_, fileManager_, name_);
    } else {
      log_->Error("Failed to load \"" + name_ + "\" sound file - unknown type");
      reader_ = std::make_unique<SoundFileReaderEMP>(log_, fileManager_, name_);
    }
  }
  size_ = reader_->GetSize();
  rate_ = reader_->GetRate();
  bits_ = reader_->GetBits();
  channels_ = reader_->GetChannels();
  streaming_ = size_ > kStaticLimit ? 1 : 0;
}

void SoundBuffer::Load(const SoundBuffer* source) {
  OpenReader(source);
  CreateBuffer(source);
  loadSucceeded_ = true;
  if (source)
    return;  // the duplicated device buffer already holds the data
  if (!streaming_) {
    // The reader fills every byte (silence after a short read): the block is not cleared first.
    const std::unique_ptr<std::uint8_t[]> block(size_ > 0 ? new std::uint8_t[size_] : nullptr);
    if (!FillChunk(0, block.get(), size_)) {
      log_->Error("\"" + name_ + "\" sound file - incorrect format");
      loadSucceeded_ = false;
    }
    // Only the reader goes: the data now lives in the device buffer.
    SoundBuffer::CloseReader();
    return;
  }
  looping_ = 0;
  streamState_ = kStreamStopped;
  // A stopped stream holds no file: its reader is opened again when it plays.
  SoundBuffer::CloseReader();
}

std::uint8_t* SoundBuffer::ChunkData() {
  if (chunkData_ == nullptr)
    chunkData_.reset(new std::uint8_t[kChunkBytes]);
  return chunkData_.get();
}

bool SoundBuffer::FillChunk(std::uint32_t chunk, std::uint8_t* data, std::uint32_t bytes) {
  if (bytes == 0)
    return false;
  std::uint32_t read = 0;
  bool end = true;
  if (reader_) {
    reader_->Read(data, bytes, read, end);
    if (streaming_ && looping_) {
      while (read < bytes) {
        reader_->Rewind();
        std::uint32_t more = 0;
        bool moreEnd = false;
        reader_->Read(data + read, bytes - read, more, moreEnd);
        if (more == 0)
          break;  // an empty stream would loop for ever
        read += more;
        end = moreEnd;
      }
    }
  }
  if (read < bytes)
    std::memset(data + read, bits_ == 8 ? 128 : 0, bytes - read);
  if (streaming_) {
    if (looping_)
      streamEnd_ = kNoStreamEnd;
    else if (end && streamEnd_ == kNoStreamEnd)
      streamEnd_ = streamFed_ + read;
    streamFed_ += bytes;
  }
  if (!WriteData(chunk, data, bytes))
    return false;
  if (!streaming_)
    return read == bytes;
  return !(!looping_ && read == 0 && end);
}

void SoundBuffer::SetStreamState(std::uint32_t state) {
  if (state == streamState_)
    return;
  // A stopped stream has nothing to pause: it stays stopped, so that the next play still rewinds the
  // reader and refills the ring instead of resuming over stale chunks.
  if (state == kStreamPaused && streamState_ == kStreamStopped)
    return;
  if (state == kStreamStopped) {
    UnqueueProcessedBuffers(nullptr);
    // The file's bytes are not kept while nothing plays them.
    SoundBuffer::CloseReader();
  } else if (state == kStreamPlaying && streamState_ == kStreamStopped) {
    if (reader_) {
      reader_->Rewind();
    } else {
      ReopenStreamReader();
    }
    streamFed_ = 0;
    streamEnd_ = kNoStreamEnd;
    for (std::uint32_t chunk = 0; chunk < kChunkCount; ++chunk) {
      if (FillChunk(chunk, ChunkData(), kChunkBytes))
        QueueChunk(chunk);
    }
  }
  streamState_ = state;
}

void SoundBuffer::ReopenStreamReader() {
  try {
    const std::uint32_t size = size_;
    const std::uint32_t rate = rate_;
    const std::uint32_t bits = bits_;
    const std::uint32_t channels = channels_;
    OpenReader(nullptr);
    // A file changed under the game no longer fits the device buffer made for it at loading: it plays
    // as silence.
    if (size_ != size || rate_ != rate || bits_ != bits || channels_ != channels)
      reader_.reset();
    size_ = size;
    rate_ = rate;
    bits_ = bits;
    channels_ = channels;
    streaming_ = 1;
  } catch (const Error& error) {
    log_->Error(error.GetMessage());
    reader_.reset();
  }
}

void SoundBuffer::Update() {
  if (!streaming_ || streamState_ != kStreamPlaying)
    return;
  std::vector<std::uint32_t> processed;
  UnqueueProcessedBuffers(&processed);
  for (std::uint32_t chunk : processed) {
    if (FillChunk(chunk, ChunkData(), kChunkBytes))
      QueueChunk(chunk);
  }
}

}  // namespace CorvantisEngine
