#include "engine/files/TextDecoding.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/core/StringUtils.h"
#include "engine/files/FileTextual.h"

namespace CorvantisEngine::text {

namespace {

constexpr wchar_t kCR = 13;
constexpr wchar_t kLF = 10;

// Decoded characters collect in a small buffer of their own and reach the text a block at a time, so
// the text is written once and never cleared ahead.
class Sink {
 public:
  // Room for one block of widened characters past the end of what is kept.
  static constexpr std::size_t kBlock = 16;

  explicit Sink(std::wstring& out) : out_(out) {}
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  ~Sink() { Flush(); }

  // Where the next characters go; there is room for kBlock of them.
  wchar_t* Place() {
    if (used_ + kBlock > kSize) {
      Flush();
    }
    return buffer_ + used_;
  }
  void Commit(std::size_t count) { used_ += count; }
  void Put(wchar_t c) {
    *Place() = c;
    ++used_;
  }
  void PutLineEnd() {
    wchar_t* place = Place();
    place[0] = kCR;
    place[1] = kLF;
    used_ += 2;
  }
  void Append(const std::wstring& text) {
    Flush();
    out_ += text;
  }
  // Characters put so far.
  std::size_t Size() const { return out_.size() + used_; }
  // Forgets the characters put after the first `size`.
  void Truncate(std::size_t size) {
    if (size >= out_.size()) {
      used_ = size - out_.size();
    } else {
      out_.resize(size);
      used_ = 0;
    }
  }
  void Flush() {
    out_.append(buffer_, used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kSize = 2048;

  std::wstring& out_;
  wchar_t buffer_[kSize];
  std::size_t used_ = 0;
};

#if defined(__SSE2__)
// Sixteen bytes as sixteen wide characters.
inline void Widen16(__m128i bytes, wchar_t* out) {
  static_assert(sizeof(wchar_t) == 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_unpacklo_epi8(bytes, zero);
  const __m128i high = _mm_unpackhi_epi8(bytes, zero);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(low, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(low, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpacklo_epi16(high, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), _mm_unpackhi_epi16(high, zero));
}
#endif

// 8-bit text. A line of plain ASCII (no zero byte, nothing from 0x80 up) widens byte for byte, as the
// locale's conversion would; a line with any other byte goes through that conversion once it is
// complete, replacing what was widened of it.
void DecodeNarrow(const std::uint8_t* data, std::size_t size, Sink& sink) {
  std::size_t i = 0;
  std::size_t lineStart = 0;
  std::size_t lineOut = sink.Size();
  bool plain = true;
  const auto endLine = [&](std::size_t end) {
    if (!plain) {
      sink.Truncate(lineOut);
      sink.Append(
          StringToWStringCopy(std::string(reinterpret_cast<const char*>(data) + lineStart, end - lineStart)));
    }
  };
  while (i < size) {
#if defined(__SSE2__)
    if (i + 16 <= size) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
          _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')))));
      const auto special = static_cast<unsigned>(
          _mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_setzero_si128())));
      const unsigned count = ends != 0 ? static_cast<unsigned>(__builtin_ctz(ends)) : 16u;
      if ((special & ((1u << count) - 1u)) != 0) {
        plain = false;
      }
      if (plain) {
        Widen16(chunk, sink.Place());
        sink.Commit(count);
      }
      i += count;
      if (count == 16) {
        continue;
      }
    } else
#endif
    {
      const std::uint8_t c = data[i];
      if (c != '\r' && c != '\n') {
        if (c == 0 || c >= 0x80) {
          plain = false;
        }
        if (plain) {
          sink.Put(static_cast<wchar_t>(c));
        }
        ++i;
        continue;
      }
    }
    // A line ends at i.
    endLine(i);
    sink.PutLineEnd();
    i += data[i] == '\r' && i + 1 < size && data[i + 1] == '\n' ? 2 : 1;
    lineStart = i;
    lineOut = sink.Size();
    plain = true;
  }
  endLine(size);
}

// Puts a decoded character, turning line ends into CR LF: a CR followed by an LF ends one line.
class LineEnds {
 public:
  explicit LineEnds(Sink& sink) : sink_(sink) {}
  void Put(wchar_t c) {
    if (afterCR_) {
      afterCR_ = false;
      if (c == kLF) {
        return;
      }
    }
    if (c == kCR || c == kLF) {
      sink_.PutLineEnd();
      afterCR_ = c == kCR;
      return;
    }
    sink_.Put(c);
  }
  // A run that holds no line end was put in another way.
  void RunPut() { afterCR_ = false; }

 private:
  Sink& sink_;
  bool afterCR_ = false;
};

void DecodeUtf8(const std::uint8_t* data, std::size_t size, Sink& sink) {
  LineEnds lines(sink);
  std::size_t i = 0;
  while (i < size) {
#if defined(__SSE2__)
    // Sixteen ASCII bytes without a line end widen at once.
    while (i + 16 <= size) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r')),
                                        _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')));
      if ((_mm_movemask_epi8(chunk) | _mm_movemask_epi8(ends)) != 0) {
        break;
      }
      Widen16(chunk, sink.Place());
      sink.Commit(16);
      lines.RunPut();
      i += 16;
    }
    if (i >= size) {
      break;
    }
#endif
    const std::uint32_t lead = data[i];
    std::size_t length = 1;
    std::uint32_t c = lead;
    if ((lead & 0x80u) != 0) {
      int ones = 0;
      while (ones < 8 && (lead & (0x80u >> ones)) != 0) {
        ++ones;
      }
      if (ones >= 2 && ones <= 4) {
        length = static_cast<std::size_t>(ones);
        if (i + length > size) {
          break;  // cut short by the end: dropped
        }
        const std::uint8_t* next = data + i + 1;
        if (ones == 2) {
          c = ((lead & 0x1Fu) << 6) | (next[0] & 0x3Fu);
        } else if (ones == 3) {
          c = ((lead & 0x0Fu) << 12) | ((next[0] & 0x3Fu) << 6) | (next[1] & 0x3Fu);
        } else {
          c = ((lead & 0x07u) << 18) | ((next[0] & 0x3Fu) << 12) | ((next[1] & 0x3Fu) << 6) |
              (next[2] & 0x3Fu);
        }
      } else {
        c = 0xFFFD;  // no further bytes are taken
      }
    }
    lines.Put(static_cast<wchar_t>(c));
    i += length;
  }
}

void DecodeUtf16(const std::uint8_t* data, std::size_t size, bool bigEndian, Sink& sink) {
  LineEnds lines(sink);
  const std::size_t units = size / 2;  // a last odd byte is dropped
  std::size_t k = 0;
  while (k < units) {
#if defined(__SSE2__)
    // Eight units without a line end widen at once.
    while (k + 8 <= units) {
      __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 2 * k));
      if (bigEndian) {
        chunk = _mm_or_si128(_mm_slli_epi16(chunk, 8), _mm_srli_epi16(chunk, 8));
      }
      const __m128i ends = _mm_or_si128(_mm_cmpeq_epi16(chunk, _mm_set1_epi16(kCR)),
                                        _mm_cmpeq_epi16(chunk, _mm_set1_epi16(kLF)));
      if (_mm_movemask_epi8(ends) != 0) {
        break;
      }
      wchar_t* place = sink.Place();
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(place), _mm_unpacklo_epi16(chunk, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(place + 4), _mm_unpackhi_epi16(chunk, zero));
      sink.Commit(8);
      lines.RunPut();
      k += 8;
    }
    if (k >= units) {
      break;
    }
#endif
    const std::uint8_t* unit = data + 2 * k;
    const std::uint32_t c =
        bigEndian ? (std::uint32_t{unit[0]} << 8) | unit[1] : unit[0] | (std::uint32_t{unit[1]} << 8);
    lines.Put(static_cast<wchar_t>(c));
    ++k;
  }
}

}  // namespace

void DecodeText(const std::uint8_t* bytes, std::size_t size, std::uint32_t encoding, std::wstring& out) {
  Sink sink(out);
  switch (encoding) {
    case kTextEncodingUtf8:
      DecodeUtf8(bytes, size, sink);
      break;
    case kTextEncodingUtf16BigEndian:
      DecodeUtf16(bytes, size, true, sink);
      break;
    case kTextEncodingUtf16LittleEndian:
      DecodeUtf16(bytes, size, false, sink);
      break;
    default:
      DecodeNarrow(bytes, size, sink);
      break;
  }
}

}  // namespace CorvantisEngine::text
