#include "tools/game/VersionedFile.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"

namespace GameTools {

using CorvantisEngine::FileBinary;
using CorvantisEngine::FileError;

namespace {

std::string TemporaryName(const std::string& name) {
  return name + ".tmp";
}

}  // namespace

VersionedFile::VersionedFile(CorvantisEngine::FileManager* files, const std::string& magic,
                             std::uint32_t version)
    : files_(files), version_(version) {
  std::memcpy(magic_, magic.data(), std::min<std::size_t>(magic.size(), kMagicSize));
}

VersionedFile::~VersionedFile() {
  try {
    if (stream_ != nullptr && mode_ == kWrite && std::uncaught_exceptions() > exceptionsAtOpen_) {
      Discard();
    } else {
      Close();
    }
  } catch (...) {
    // Close has already removed the temporary file; the old file stands.
  }
}

void VersionedFile::Open(const std::string& name, std::uint32_t mode, bool skipVersion,
                         std::uint32_t* storedVersion) {
  Close();
  mode_ = mode == kRead ? kRead : kWrite;
  name_ = name;
  if (mode_ == kWrite) {
    exceptionsAtOpen_ = std::uncaught_exceptions();
    stream_.reset(files_->OpenFile(TemporaryName(name), true));
    try {
      WriteHeader(stream_->GetPosition());
    } catch (...) {
      Discard();
      throw;
    }
  } else {
    stream_.reset(files_->OpenFile(name, false));
    ReadHeader(name, skipVersion, storedVersion);
  }
}

void VersionedFile::ReadHeader(const std::string& name, bool skipVersion, std::uint32_t* storedVersion) {
  std::uint8_t header[kHeaderSize];
  stream_->Read(header, kHeaderSize);
  const auto u32At = [&header](std::size_t offset) {
    return static_cast<std::uint32_t>(header[offset]) | static_cast<std::uint32_t>(header[offset + 1]) << 8 |
           static_cast<std::uint32_t>(header[offset + 2]) << 16 |
           static_cast<std::uint32_t>(header[offset + 3]) << 24;
  };
  const std::uint32_t length = u32At(0);
  const std::uint32_t version = u32At(4 + kMagicSize);
  if (std::memcmp(header + 4, magic_, kMagicSize) != 0 || length != stream_->GetSize()) {
    throw FileError("Incorrect \"" + name + "\" file format");
  }
  if (skipVersion) {
    if (storedVersion != nullptr) {
      *storedVersion = version;
    }
  } else if (version != version_) {
    throw FileError("Incorrect \"" + name + "\" format version (" + CorvantisEngine::UIntToString(version) +
                    "), current is " + CorvantisEngine::UIntToString(version_));
  }
}

void VersionedFile::WriteHeader(std::uint32_t length) {
  stream_->WriteUInt(length);
  stream_->Write(magic_, kMagicSize);
  stream_->WriteUInt(version_);
}

void VersionedFile::Close() {
  if (stream_ == nullptr) {
    return;
  }
  if (mode_ != kWrite) {
    stream_.reset();
    return;
  }
  try {
    // The size, not the position: a writer that went back to patch its body still gets a header that
    // matches the file.
    const std::uint32_t length = stream_->GetSize();
    stream_->Seek(FileBinary::kFromStart, 0);
    WriteHeader(length);
    stream_->Flush(true);
    stream_->Close();
  } catch (...) {
    Discard();
    throw;
  }
  stream_.reset();
  mode_ = kRead;
  if (!files_->ReplaceFile(TemporaryName(name_), name_)) {
    files_->RemoveFile(TemporaryName(name_));
    throw FileError("Failed to write \"" + name_ + "\" file");
  }
}

void VersionedFile::Discard() {
  if (stream_ == nullptr) {
    return;
  }
  std::unique_ptr<FileBinary> stream = std::move(stream_);
  if (mode_ == kWrite) {
    mode_ = kRead;
    try {
      stream->Close();
    } catch (const FileError&) {
      // The bytes are being thrown away anyway.
    }
    stream.reset();
    files_->RemoveFile(TemporaryName(name_));
  }
}

}  // namespace GameTools
