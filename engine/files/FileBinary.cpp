#include "engine/files/FileBinary.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FilePaths.h"
#include "platform/win32/WinFiles.h"

namespace CorvantisEngine {

namespace {

std::string OpenErrorText(const std::string& name) {
  return "Failed to open \"" + name + "\" file";
}

std::string CountText(std::uint64_t n) {
  return std::to_string(n);
}

}  // namespace

FileBinary::FileBinary(MessageManager* log, const std::string& name, bool write, bool preload,
                       bool fromMemory, std::uint32_t size, const void* bytes)
    : log_(log), name_(name), write_(write) {
  const std::string full = files::BinaryFullPath(name);

  if (write) {
    handle_ = _fsopen(full.c_str(), "wb", _SH_DENYNO);
    if (handle_ == nullptr) {
      throw FileError(OpenErrorText(name));
    }
    return;
  }

  if (fromMemory) {
    size_ = size;
    // Bytes given are copied over the whole buffer, so it needs no clearing first.
    memory_ = bytes != nullptr ? std::make_unique_for_overwrite<std::uint8_t[]>(size > 0 ? size : 1)
                               : std::make_unique<std::uint8_t[]>(size > 0 ? size : 1);
    if (size > 0 && bytes != nullptr) {
      std::memcpy(memory_.get(), bytes, size);
    }
    return;
  }

  handle_ = _fsopen(full.c_str(), "rb", _SH_DENYNO);
  if (handle_ == nullptr) {
    throw FileError(OpenErrorText(name));
  }
  std::fseek(handle_, 0, SEEK_END);
  const long length = std::ftell(handle_);
  std::fseek(handle_, 0, SEEK_SET);
  if (length < 0 || static_cast<unsigned long>(length) > 0xFFFFFFFFul) {
    // The formats address files with 32-bit offsets.
    std::fclose(handle_);
    handle_ = nullptr;
    throw FileError(OpenErrorText(name));
  }
  size_ = static_cast<std::uint32_t>(length);
  if (preload || size_ <= kMemoryLimit) {
    // Filled by the read in full, or dropped when the read falls short.
    memory_ = std::make_unique_for_overwrite<std::uint8_t[]>(size_ > 0 ? size_ : 1);
    const std::size_t got = size_ > 0 ? std::fread(memory_.get(), 1, size_, handle_) : 0;
    std::fclose(handle_);
    handle_ = nullptr;
    if (got != size_) {
      memory_.reset();
      throw FileError("Failed to read " + CountText(size_) + " bytes from \"" + name_ + "\" file");
    }
  }
}

FileBinary::FileBinary(MessageManager* log, const std::string& name, std::unique_ptr<std::uint8_t[]> bytes,
                       std::uint32_t size)
    : log_(log), name_(name), write_(false) {
  size_ = size;
  memory_ = bytes != nullptr ? std::move(bytes) : std::make_unique<std::uint8_t[]>(1);
}

FileBinary::FileBinary(MessageManager* log, const std::string& name, Fetch fetch, std::uint32_t size)
    : log_(log), name_(name), write_(false), size_(size), fetch_(std::move(fetch)) {}

FileBinary::~FileBinary() {
  try {
    Close();
  } catch (const Error& error) {
    if (log_ != nullptr) {
      log_->Error(error.GetMessage());
    }
  }
}

void FileBinary::Close() {
  if (handle_ == nullptr) {
    return;
  }
  std::FILE* handle = handle_;
  handle_ = nullptr;
  const bool flushed = !write_ || std::fflush(handle) == 0;
  const bool closed = std::fclose(handle) == 0;
  if (write_ && !(flushed && closed)) {
    throw FileError("Failed to write " + CountText(size_) + " bytes from \"" + name_ + "\" file");
  }
}

void FileBinary::Flush(bool toDisk) {
  if (!write_ || handle_ == nullptr) {
    return;
  }
  if (std::fflush(handle_) != 0 || (toDisk && _commit(_fileno(handle_)) != 0)) {
    throw FileError("Failed to write " + CountText(size_) + " bytes from \"" + name_ + "\" file");
  }
}

bool FileBinary::Seek(std::uint32_t origin, std::int32_t offset) {
  bool exact = true;
  std::int64_t target = 0;
  switch (origin) {
    case kFromStart:
      target = offset;
      break;
    case kFromEnd:
      target = static_cast<std::int64_t>(size_) - offset;
      break;
    case kFromCurrent:
      target = static_cast<std::int64_t>(position_) + offset;
      break;
    default:
      return false;
  }
  // A read position stays on a byte of the file: [0, size - 1]; an empty file only has position 0. A
  // file being written may also stand at its end, where the next write appends.
  const std::int64_t last =
      write_ ? static_cast<std::int64_t>(size_) : (size_ > 0 ? static_cast<std::int64_t>(size_) - 1 : 0);
  if (target < 0) {
    target = 0;
    exact = false;
  } else if (target > last) {
    target = last;
    exact = false;
  }
  position_ = static_cast<std::uint32_t>(target);
  // The handle follows the tracked position, so an on-demand read continues where the seek ended.
  if (handle_ != nullptr) {
    std::fseek(handle_, static_cast<long>(position_), SEEK_SET);
  }
  return exact;
}

void FileBinary::ThrowReadError(std::uint64_t n) const {
  throw FileError("Failed to read " + CountText(n) + " bytes from \"" + name_ + "\" file");
}

void FileBinary::Read(void* destination, std::uint32_t n, std::uint32_t* outCount) {
  if (n == 0) {
    if (outCount != nullptr) {
      *outCount = 0;
    }
    return;
  }
  const std::uint32_t available = GetRemaining();
  std::uint32_t count = std::min(n, available);
  if (count > 0) {
    if (memory_ != nullptr) {
      std::memcpy(destination, memory_.get() + position_, count);
    } else if (handle_ != nullptr && !write_) {
      count = static_cast<std::uint32_t>(std::fread(destination, 1, count, handle_));
    } else if (fetch_) {
      count = std::min(fetch_(position_, count, destination), count);
    } else {
      count = 0;
    }
  }
  position_ += count;
  if (outCount != nullptr) {
    *outCount = count;
  } else if (count < n) {
    ThrowReadError(n);
  }
}

void FileBinary::Write(const void* source, std::uint32_t n, std::uint32_t* outCount) {
  if (n == 0) {
    if (outCount != nullptr) {
      *outCount = 0;
    }
    return;
  }
  std::uint32_t written = 0;
  if (write_ && handle_ != nullptr) {
    // Past 4 GiB the 32-bit size would wrap: such a write is refused as short.
    const std::uint64_t room = 0xFFFFFFFFull - position_;
    const std::uint32_t allowed = static_cast<std::uint32_t>(std::min<std::uint64_t>(n, room));
    written = static_cast<std::uint32_t>(std::fwrite(source, 1, allowed, handle_));
  }
  position_ += written;
  size_ = std::max(size_, position_);
  if (outCount != nullptr) {
    *outCount = written;
  } else if (written != n) {
    throw FileError("Failed to write " + CountText(n) + " bytes from \"" + name_ + "\" file");
  }
}

void FileBinary::WriteByte(std::uint8_t value) {
  Write(&value, 1);
}

void FileBinary::WriteUInt(std::uint32_t value) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16),
                                 static_cast<std::uint8_t>(value >> 24)};
  Write(bytes, 4);
}

void FileBinary::WriteInt(std::int32_t value) {
  WriteUInt(static_cast<std::uint32_t>(value));
}

void FileBinary::WriteFloat(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  WriteUInt(bits);
}

void FileBinary::ReadByte(std::uint8_t& out) {
  Read(&out, 1);
}

void FileBinary::ReadUInt(std::uint32_t& out) {
  std::uint8_t bytes[4];
  Read(bytes, 4);
  out = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void FileBinary::ReadInt(std::int32_t& out) {
  std::uint32_t value;
  ReadUInt(value);
  out = static_cast<std::int32_t>(value);
}

void FileBinary::ReadFloat(float& out) {
  std::uint32_t bits;
  ReadUInt(bits);
  std::memcpy(&out, &bits, 4);
}

void FileBinary::WriteUIntVector(const std::vector<std::uint32_t>& values) {
  WriteUInt(static_cast<std::uint32_t>(values.size()));
  for (std::uint32_t value : values) {
    WriteUInt(value);
  }
}

void FileBinary::ReadUIntVector(std::vector<std::uint32_t>& out) {
  std::uint32_t count;
  ReadUInt(count);
  const std::uint64_t bytes = static_cast<std::uint64_t>(count) * 4u;
  if (bytes > GetRemaining()) {
    ThrowReadError(bytes);
  }
  out.assign(count, 0);
  for (std::uint32_t& value : out) {
    ReadUInt(value);
  }
}

// Files hold UTF-16 units: a character beyond the basic plane takes a surrogate pair. The count byte
// limits a string to 254 units before its terminating zero; a longer text is cut at a character
// boundary, never inside a pair.
void FileBinary::WriteWString(const std::wstring& text) {
  std::size_t length = text.size();
  const std::size_t zero = text.find(L'\0');
  if (zero != std::wstring::npos) {
    length = zero;
  }
  std::vector<std::uint16_t> units;
  units.reserve(std::min<std::size_t>(length, kMaxWStringLength) + 1);
  std::size_t kept = 0;
  for (; kept < length; ++kept) {
    std::uint32_t c = static_cast<std::uint32_t>(text[kept]);
    if (c > 0x10FFFFu) {
      c = 0xFFFDu;  // no such character
    }
    const std::size_t needed = c > 0xFFFFu ? 2 : 1;
    if (units.size() + needed > kMaxWStringLength) {
      break;
    }
    if (needed == 2) {
      c -= 0x10000u;
      units.push_back(static_cast<std::uint16_t>(0xD800u + (c >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00u + (c & 0x3FFu)));
    } else {
      units.push_back(static_cast<std::uint16_t>(c));
    }
  }
  if (kept < length && log_ != nullptr) {
    log_->Warning("Text of " + std::to_string(length) + " characters cut to " + std::to_string(kept) +
                  " in \"" + name_ + "\" file");
  }
  units.push_back(0);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(1 + 2 * units.size());
  bytes.push_back(static_cast<std::uint8_t>(units.size()));
  for (std::uint16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// A surrogate pair reads back as its one character; a surrogate without its partner is kept as the unit
// it is.
void FileBinary::ReadWString(std::wstring& out) {
  std::uint8_t n;
  ReadByte(n);
  std::uint8_t bytes[2 * 255];
  Read(bytes, 2u * n);
  out.clear();
  const auto unitAt = [&](std::uint32_t i) {
    return static_cast<std::uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  };
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t unit = unitAt(i);
    if (unit == 0) {
      break;
    }
    if (unit >= 0xD800u && unit < 0xDC00u && i + 1 < n && unitAt(i + 1) >= 0xDC00u &&
        unitAt(i + 1) < 0xE000u) {
      out.push_back(static_cast<wchar_t>(0x10000u + ((unit - 0xD800u) << 10) + (unitAt(i + 1) - 0xDC00u)));
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
}

void FileBinary::ReadString(std::string& out) {
  std::uint8_t n;
  ReadByte(n);
  char bytes[255];
  Read(bytes, n);
  const void* zero = std::memchr(bytes, 0, n);
  out.assign(bytes, zero != nullptr ? static_cast<const char*>(zero) - bytes : n);
}

}  // namespace CorvantisEngine
