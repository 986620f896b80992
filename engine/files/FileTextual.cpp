#include "engine/files/FileTextual.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/TextDecoding.h"

namespace CorvantisEngine {

namespace {

constexpr std::uint32_t kCR = 13;
constexpr std::uint32_t kLF = 10;

}  // namespace

FileTextual::FileTextual(MessageManager* log, FileBinary* file, bool write, std::uint32_t encoding)
    : log_(log), file_(file), write_(write), encoding_(encoding > kTextEncodingUtf8 ? 0 : encoding) {
  Open();
}

FileTextual::~FileTextual() {
  try {
    Close();
  } catch (const Error& error) {
    if (log_ != nullptr) {
      log_->Error(error.GetMessage());
    }
  }
}

void FileTextual::Open() {
  replacement_ = '?';
  lossy_ = false;
  bufferPosition_ = -1;
  bufferCount_ = 0;
  lineStart_ = true;
  end_ = false;
  pushedBack_ = false;
  if (!write_) {
    const std::uint8_t b0 = ReadByte();
    const std::uint8_t b1 = ReadByte();
    if (b0 == 0xFF && b1 == 0xFE) {
      encoding_ = kTextEncodingUtf16LittleEndian;
    } else if (b0 == 0xFE && b1 == 0xFF) {
      encoding_ = kTextEncodingUtf16BigEndian;
    } else if (b0 == 0xEF && b1 == 0xBB && ReadByte() == 0xBF) {
      encoding_ = kTextEncodingUtf8;
    } else {
      encoding_ = kTextEncodingAnsi;
      Rewind();
    }
    return;
  }
  switch (encoding_) {
    case kTextEncodingUtf16BigEndian:
      PutByte(0xFE);
      PutByte(0xFF);
      break;
    case kTextEncodingUtf16LittleEndian:
      PutByte(0xFF);
      PutByte(0xFE);
      break;
    case kTextEncodingUtf8:
      PutByte(0xEF);
      PutByte(0xBB);
      PutByte(0xBF);
      break;
    default:
      break;
  }
}

void FileTextual::Rewind() {
  file_->Seek(FileBinary::kFromStart, 0);
  pushedBack_ = false;
  bufferPosition_ = -1;
  lineStart_ = true;
  end_ = false;
}

std::uint8_t FileTextual::ReadByte() {
  if (bufferPosition_ != -1 && bufferPosition_ != static_cast<std::int32_t>(kBufferSize) - 1) {
    ++bufferPosition_;
    if (static_cast<std::uint32_t>(bufferPosition_) < bufferCount_) {
      return buffer_[bufferPosition_];
    }
    end_ = true;
    return 0;
  }
  std::uint32_t got = 0;
  file_->Read(buffer_, kBufferSize, &got);
  bufferCount_ = got;
  if (got == 0) {
    end_ = true;
    bufferPosition_ = -1;
    return 0;
  }
  bufferPosition_ = 0;
  return buffer_[0];
}

std::uint32_t FileTextual::ReadChar() {
  switch (encoding_) {
    case kTextEncodingUtf16BigEndian: {
      const std::uint32_t high = ReadByte();
      return (high << 8) | ReadByte();
    }
    case kTextEncodingUtf16LittleEndian: {
      const std::uint32_t low = ReadByte();
      return low | (static_cast<std::uint32_t>(ReadByte()) << 8);
    }
    case kTextEncodingUtf8: {
      const std::uint32_t lead = ReadByte();
      int ones = 0;
      while (ones < 8 && (lead & (0x80u >> ones)) != 0) {
        ++ones;
      }
      switch (ones) {
        case 0:
          return lead;
        case 2: {
          const std::uint32_t next = ReadByte();
          return ((lead & 0x1F) << 6) | (next & 0x3F);
        }
        case 3: {
          const std::uint32_t next = ReadByte();
          const std::uint32_t third = ReadByte();
          return ((lead & 0x0F) << 12) | ((next & 0x3F) << 6) | (third & 0x3F);
        }
        case 4: {
          // Beyond the basic plane; wide strings hold the whole code point.
          const std::uint32_t next = ReadByte();
          const std::uint32_t third = ReadByte();
          const std::uint32_t fourth = ReadByte();
          return ((lead & 0x07) << 18) | ((next & 0x3F) << 12) | ((third & 0x3F) << 6) | (fourth & 0x3F);
        }
        default:
          return 0xFFFD;
      }
    }
    default:
      return ReadByte();
  }
}

std::uint32_t FileTextual::NextChar() {
  if (pushedBack_) {
    pushedBack_ = false;
    return pushedChar_;
  }
  return encoding_ == kTextEncodingAnsi ? ReadByte() : ReadChar();
}

template <class String>
bool FileTextual::ReadLineUnits(String& out, bool stripComments) {
  out.clear();
  if (end_) {
    return false;
  }
  std::uint32_t c = NextChar();
  if (lineStart_) {
    lineStart_ = false;
  } else if (c == kCR) {
    // c ends the previous line: CR LF, CR and LF each count once.
    c = NextChar();
    if (c == kLF) {
      c = NextChar();
    }
  } else if (c == kLF) {
    c = NextChar();
  }
  while (c != kCR && c != kLF && !end_) {
    out.push_back(static_cast<typename String::value_type>(c));
    c = NextChar();
  }
  pushedBack_ = true;
  pushedChar_ = c;
  if (stripComments) {
    const typename String::value_type slash = '/';
    const String comment{slash, slash};
    const std::size_t cut = out.find(comment);
    if (cut != String::npos) {
      out.resize(cut);
    }
  }
  return true;
}

bool FileTextual::ReadLine(std::wstring& out, bool stripComments) {
  if (encoding_ == kTextEncodingAnsi) {
    std::string bytes;
    const bool result = ReadLineUnits(bytes, stripComments);
    out = MultiByteToWide(bytes);
    return result;
  }
  return ReadLineUnits(out, stripComments);
}

bool FileTextual::ReadLine(std::string& out, bool stripComments) {
  if (encoding_ == kTextEncodingAnsi) {
    return ReadLineUnits(out, stripComments);
  }
  std::wstring wide;
  const bool result = ReadLineUnits(wide, stripComments);
  out = WideToMultiByte(wide);
  return result;
}

void FileTextual::ReadText(std::wstring& out, bool stripComments) {
  out.clear();
  // From a fresh start (nothing read yet after the byte-order mark) the rest of the file is decoded
  // whole; comment stripping, rare for whole texts, goes line by line.
  if (!stripComments && lineStart_ && !pushedBack_ && !end_ && !write_) {
    ReadRemainingText(out);
    return;
  }
  // The reservation is a hint; a huge file grows the text as it is read instead of up front.
  out.reserve(std::min<std::size_t>(static_cast<std::size_t>(GetLengthInChars()) + 2, kMaxTextReserve));
  bool first = true;
  std::wstring line;
  while (!end_) {
    ReadLine(line, stripComments);
    if (!first) {
      out += L"\r\n";
    }
    first = false;
    out += line;
  }
}

void FileTextual::ReadRemainingText(std::wstring& out) {
  // The bytes not read yet: those left in the buffer, then the file's own from its position. A file
  // held in memory serves both from its memory (the buffer holds a copy of the bytes just before the
  // position); one read from the disk on demand is read whole now.
  const std::uint32_t buffered =
      bufferPosition_ >= 0 && static_cast<std::uint32_t>(bufferPosition_) + 1 < bufferCount_
          ? bufferCount_ - static_cast<std::uint32_t>(bufferPosition_) - 1
          : 0;
  std::vector<std::uint8_t> read;
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
  if (file_->IsInMemory() && file_->GetPosition() >= buffered) {
    bytes = file_->GetMemory() + (file_->GetPosition() - buffered);
    size = static_cast<std::size_t>(buffered) + file_->GetRemaining();
  } else {
    read.assign(buffer_ + (bufferCount_ - buffered), buffer_ + bufferCount_);
    const std::uint32_t rest = file_->GetRemaining();
    read.resize(buffered + static_cast<std::size_t>(rest));
    std::uint32_t got = 0;
    file_->Read(read.data() + buffered, rest, &got);
    read.resize(buffered + static_cast<std::size_t>(got));
    bytes = read.data();
    size = read.size();
  }
  bufferPosition_ = -1;
  bufferCount_ = 0;
  lineStart_ = false;
  end_ = true;
  // Line ends grow the text a little; a huge file grows it as it is decoded instead of up front.
  const std::size_t units =
      encoding_ == kTextEncodingUtf16BigEndian || encoding_ == kTextEncodingUtf16LittleEndian ? size / 2
                                                                                              : size;
  out.reserve(std::min<std::size_t>(units + units / 16 + 2, kMaxTextReserve));
  text::DecodeText(bytes, size, encoding_, out);
}

std::uint32_t FileTextual::GetLengthInChars() const {
  const std::uint32_t size = file_->GetSize();
  return (encoding_ == kTextEncodingUtf16BigEndian || encoding_ == kTextEncodingUtf16LittleEndian) ? size / 2
                                                                                                   : size;
}

std::wstring FileTextual::MultiByteToWide(const std::string& text) const {
  return StringToWStringCopy(text);
}

std::string FileTextual::WideToMultiByte(const std::wstring& text) {
  std::string out;
  std::mbstate_t state{};
  char bytes[MB_LEN_MAX];
  for (wchar_t c : text) {
    if (c == 0) {
      break;
    }
    const std::size_t made = std::wcrtomb(bytes, c, &state);
    if (made == static_cast<std::size_t>(-1)) {
      state = std::mbstate_t{};
      out.push_back(replacement_);
      lossy_ = true;
      continue;
    }
    out.append(bytes, made);
  }
  return out;
}

void FileTextual::PutByte(std::uint8_t value) {
  if (bufferCount_ >= kBufferSize) {
    Flush();
  }
  buffer_[bufferCount_++] = value;
}

void FileTextual::WriteChar(std::uint32_t c) {
  switch (encoding_) {
    case kTextEncodingUtf16BigEndian:
    case kTextEncodingUtf16LittleEndian: {
      std::uint32_t units[2] = {c, 0};
      int count = 1;
      if (c >= 0x10000 && c <= 0x10FFFF) {
        units[0] = 0xD800 | ((c - 0x10000) >> 10);
        units[1] = 0xDC00 | ((c - 0x10000) & 0x3FF);
        count = 2;
      }
      for (int i = 0; i < count; ++i) {
        const std::uint8_t high = static_cast<std::uint8_t>(units[i] >> 8);
        const std::uint8_t low = static_cast<std::uint8_t>(units[i]);
        if (encoding_ == kTextEncodingUtf16BigEndian) {
          PutByte(high);
          PutByte(low);
        } else {
          PutByte(low);
          PutByte(high);
        }
      }
      break;
    }
    default:
      if (c < 0x80) {
        PutByte(static_cast<std::uint8_t>(c));
      } else if (c < 0x800) {
        PutByte(static_cast<std::uint8_t>(0xC0 | (c >> 6)));
        PutByte(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
      } else if (c < 0x10000) {
        PutByte(static_cast<std::uint8_t>(0xE0 | (c >> 12)));
        PutByte(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
        PutByte(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
      } else {
        PutByte(static_cast<std::uint8_t>(0xF0 | ((c >> 18) & 0x07)));
        PutByte(static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F)));
        PutByte(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
        PutByte(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
      }
      break;
  }
}

void FileTextual::WriteText(const std::string& text) {
  if (encoding_ == kTextEncodingAnsi) {
    for (char c : text) {
      if (c == '\0') {
        break;
      }
      PutByte(static_cast<std::uint8_t>(c));
    }
    return;
  }
  for (wchar_t c : MultiByteToWide(text)) {
    WriteChar(static_cast<std::uint32_t>(c));
  }
}

void FileTextual::WriteNewLine() {
  if (encoding_ == kTextEncodingAnsi) {
    PutByte(13);
    PutByte(10);
    return;
  }
  WriteChar(13);
  WriteChar(10);
}

void FileTextual::Flush() {
  if (!write_ || bufferCount_ == 0) {
    return;
  }
  // Emptied first: a failed write is reported once, not again by the destructor.
  const std::uint32_t count = bufferCount_;
  bufferCount_ = 0;
  file_->Write(buffer_, count);
}

void FileTextual::Commit() {
  if (!write_ || !file_) {
    return;
  }
  Flush();
  file_->Flush(true);
}

void FileTextual::Close() {
  if (!write_ || !file_) {
    return;
  }
  Flush();
  file_->Close();
}

}  // namespace CorvantisEngine
