#pragma once
// The text reader's decoding of a whole text in one pass: bytes in one of the four encodings become
// wide characters, every line end (CR LF, a lone CR, a lone LF) becomes CR LF. The result is exactly
// what reading the same bytes line by line and joining the lines with "\r\n" gives (FileTextual's
// ReadLine rules): 8-bit text widens through the C library's conversion of the current locale, each
// line on its own (a zero byte ends its line's text, a byte that does not convert is skipped); UTF-8 is
// decoded as the reader decodes it (continuation bytes unchecked, a lead byte of another shape giving
// U+FFFD); UTF-16 gives one character per unit; a character cut short by the end of the bytes is
// dropped.
//
// ASCII and UTF-16 runs without line ends are widened sixteen or eight at a time; other characters
// one by one. Any thread; nothing shared.

#include <cstddef>
#include <cstdint>
#include <string>

namespace CorvantisEngine::text {

// Appends the decoded text of `bytes` (after any byte-order mark) to `out`. `encoding` is a
// TextEncoding value.
void DecodeText(const std::uint8_t* bytes, std::size_t size, std::uint32_t encoding, std::wstring& out);

}  // namespace CorvantisEngine::text
