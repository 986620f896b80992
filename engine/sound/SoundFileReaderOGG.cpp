#include "engine/sound/SoundFileReaderOGG.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>

#include "engine/files/FileBinary.h"

namespace CorvantisEngine {

SoundFileReaderOGG::SoundFileReaderOGG(MessageManager* log, FileManager* fileManager,
                                       const std::string& fileName)
    : SoundFileReader(log, fileManager, fileName, true), decoder_(std::make_unique<OggVorbis_File>()) {
  bits_ = 16;
  ov_callbacks callbacks{&OggReadCallback, &OggSeekCallback, &OggCloseCallback, &OggTellCallback};
  if (ov_open_callbacks(this, decoder_.get(), nullptr, 0, callbacks) < 0) {
    ov_clear(decoder_.get());  // safe on a failed open; frees whatever the open left behind
    Fail("incorrect format");
  }
  open_ = true;
  const vorbis_info* info = ov_info(decoder_.get(), -1);
  const ogg_int64_t total = ov_pcm_total(decoder_.get(), -1);
  if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || total < 0) {
    ov_clear(decoder_.get());
    open_ = false;
    Fail("incorrect format");
  }
  channels_ = static_cast<std::uint32_t>(info->channels);
  rate_ = static_cast<std::uint32_t>(info->rate);
  const std::uint64_t bytes = static_cast<std::uint64_t>(total) * channels_ * 2;
  // Past 4 GiB the size is held at the largest whole frame count that fits.
  size_ =
      bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu - 0xFFFFFFFFu % (channels_ * 2) : static_cast<std::uint32_t>(bytes);
}

SoundFileReaderOGG::~SoundFileReaderOGG() {
  if (open_)
    ov_clear(decoder_.get());
}

bool SoundFileReaderOGG::Rewind() {
  return ov_pcm_seek(decoder_.get(), 0) == 0;
}

void SoundFileReaderOGG::Read(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t& read, bool& end) {
  read = 0;
  end = bytes == 0;
  int errors = 0;
  // vorbisfile answers 0, as at the end, when asked for less than one whole frame: ask for whole frames.
  const std::uint32_t frameBytes = channels_ * 2;
  while (bytes - read >= frameBytes) {
    int section = 0;
    const std::uint32_t want = std::min<std::uint32_t>(bytes - read, 0x40000000u);
    const long got = ov_read(decoder_.get(), reinterpret_cast<char*>(buffer + read),
                             static_cast<int>(want - want % frameBytes), 0, 2, 1, &section);
    if (got == 0) {
      end = true;
      break;
    }
    if (got < 0) {
      // A hole or damaged page: skip it, but a stream that yields nothing but errors is over.
      if (++errors >= kMaxConsecutiveErrors) {
        end = true;
        break;
      }
      continue;
    }
    errors = 0;
    read += static_cast<std::uint32_t>(got);
  }
}

std::size_t SoundFileReaderOGG::OggReadCallback(void* ptr, std::size_t size, std::size_t count,
                                                void* source) {
  auto* self = static_cast<SoundFileReaderOGG*>(source);
  const std::uint64_t wanted = static_cast<std::uint64_t>(size) * count;
  if (self->atEnd_ || wanted == 0)
    return 0;
  std::uint32_t got = 0;
  self->file_->Read(ptr, static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, 0xFFFFFFFFu)), &got);
  return got;
}

int SoundFileReaderOGG::OggSeekCallback(void* source, std::int64_t offset, int origin) {
  auto* self = static_cast<SoundFileReaderOGG*>(source);
  FileBinary& file = *self->file_;
  const std::int64_t size = file.GetSize();
  std::int64_t target;
  switch (origin) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = (self->atEnd_ ? size : static_cast<std::int64_t>(file.GetPosition())) + offset;
      break;
    case SEEK_END:
      target = size + offset;
      break;
    default:
      return -1;
  }
  if (target < 0 || target > size)
    return -1;
  self->atEnd_ = target == size;
  if (!self->atEnd_)
    file.Seek(FileBinary::kFromStart, static_cast<std::int32_t>(target));
  return 0;
}

int SoundFileReaderOGG::OggCloseCallback(void*) {
  return 0;
}  // the reader owns the file

long SoundFileReaderOGG::OggTellCallback(void* source) {
  auto* self = static_cast<SoundFileReaderOGG*>(source);
  return self->atEnd_ ? static_cast<long>(self->file_->GetSize())
                      : static_cast<long>(self->file_->GetPosition());
}

}  // namespace CorvantisEngine
