#include "tools/game/XMLParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwctype>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLStorage.h"

namespace GameTools {

using CorvantisEngine::FileError;

namespace {

// The C library's classification answers the same for ASCII in every locale; asking it only for the
// other characters keeps the scan fast. Narrow text reaches the scanner only when it is plain ASCII.
bool IsVisible(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x80 ? code > 0x20 && code < 0x7F : std::iswgraph(static_cast<wint_t>(c)) != 0;
}
bool IsVisible(char c) {
  return c > 0x20 && c < 0x7F;
}

// The characters that continue an element's name (visible, not "/") and an attribute's name (visible,
// not "/" or "=").
bool IsElementNameChar(wchar_t c) {
  return c != '/' && IsVisible(c);
}
bool IsAttributeNameChar(wchar_t c) {
  return c != '/' && c != '=' && IsVisible(c);
}
constexpr std::uint8_t kElementNameBit = 1;
constexpr std::uint8_t kAttributeNameBit = 2;
constexpr auto kNameChars = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0x21; c < 0x7F; ++c) {
    table[c] = c == '/' ? 0 : c == '=' ? kElementNameBit : kElementNameBit | kAttributeNameBit;
  }
  return table;
}();
bool IsElementNameChar(char c) {
  return (kNameChars[static_cast<unsigned char>(c)] & kElementNameBit) != 0;
}

// The name characters of tags written the usual way (see Scanner::ScanPlainTag): those above without
// quotes and ">", which would change where the tag ends.
bool IsPlainElementNameChar(wchar_t c) {
  return c != '"' && c != '\'' && c != '>' && IsElementNameChar(c);
}
bool IsPlainAttributeNameChar(wchar_t c) {
  return c != '"' && c != '\'' && c != '>' && IsAttributeNameChar(c);
}
constexpr std::uint8_t kPlainElementNameBit = 4;
constexpr std::uint8_t kPlainAttributeNameBit = 8;
constexpr auto kPlainNameChars = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0x21; c < 0x7F; ++c) {
    if (c != '/' && c != '"' && c != '\'' && c != '>') {
      table[c] = c == '=' ? kPlainElementNameBit : kPlainElementNameBit | kPlainAttributeNameBit;
    }
  }
  return table;
}();
bool IsPlainElementNameChar(char c) {
  return (kPlainNameChars[static_cast<unsigned char>(c)] & kPlainElementNameBit) != 0;
}
bool IsPlainAttributeNameChar(char c) {
  return (kPlainNameChars[static_cast<unsigned char>(c)] & kPlainAttributeNameBit) != 0;
}
bool IsAttributeNameChar(char c) {
  return (kNameChars[static_cast<unsigned char>(c)] & kAttributeNameBit) != 0;
}

// Where the attribute name that continues at `from` ends: the first character at or after it that
// cannot continue the name, or the text's size.
std::size_t AttributeNameEnd(std::wstring_view text, std::size_t from) {
  while (from < text.size() && IsAttributeNameChar(text[from])) {
    ++from;
  }
  return from;
}
std::size_t AttributeNameEnd(std::string_view text, std::size_t from) {
  const std::size_t size = text.size();
#if defined(__SSE2__)
  // Below 0x21 as signed bytes takes in blanks, controls and every byte from 0x80 up.
  const __m128i firstVisible = _mm_set1_epi8(0x21);
  const __m128i deleteChar = _mm_set1_epi8(0x7F);
  const __m128i slash = _mm_set1_epi8('/');
  const __m128i equals = _mm_set1_epi8('=');
  for (; from + 16 <= size; from += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(chunk, firstVisible), _mm_cmpeq_epi8(chunk, deleteChar)),
                     _mm_or_si128(_mm_cmpeq_epi8(chunk, slash), _mm_cmpeq_epi8(chunk, equals)));
    const int mask = _mm_movemask_epi8(stops);
    if (mask != 0) {
      return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  while (from < size && IsAttributeNameChar(text[from])) {
    ++from;
  }
  return from;
}

bool IsWhiteSpace(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x80 ? code == 0x20 || (code >= 0x09 && code <= 0x0D)
                     : std::iswspace(static_cast<wint_t>(c)) != 0;
}
bool IsWhiteSpace(char c) {
  return c == 0x20 || (c >= 0x09 && c <= 0x0D);
}

template <class Char>
constexpr Char kCommentName[] = {'!', '-', '-', 0};

template <class Char>
bool IsQuote(Char c) {
  return c == '"' || c == '\'';
}

std::string Narrow(const std::wstring& text) {
  return CorvantisEngine::WStringToStringCopy(text);
}

// A name as the tree stores it: ASCII (the usual case) stands for itself in every locale; anything
// else goes through the engine's conversion.
std::string NarrowName(std::wstring_view name) {
  std::string narrow(name.size(), '\0');
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto code = static_cast<std::uint32_t>(name[i]);
    if (code == 0 || code >= 0x80) {
      return Narrow(std::wstring(name));
    }
    narrow[i] = static_cast<char>(code);
  }
  return narrow;
}

// Whether the wide text converts to exactly `narrow`; ASCII is compared in place.
bool EqualsNarrow(std::wstring_view wide, const std::string& narrow) {
  if (wide.size() == narrow.size()) {
    std::size_t i = 0;
    while (i < wide.size() && static_cast<std::uint32_t>(wide[i]) < 0x80 &&
           static_cast<char>(wide[i]) == narrow[i]) {
      ++i;
    }
    if (i == wide.size()) {
      return true;
    }
    if (static_cast<std::uint32_t>(wide[i]) < 0x80) {
      return false;
    }
  }
  return Narrow(std::wstring(wide)) == narrow;
}
bool EqualsNarrow(std::string_view text, const std::string& narrow) {
  return text == narrow;
}

// How often `c` occurs in the text. Narrow text is counted eight bytes at a time: a byte of `word ^
// pattern` is zero exactly where the text holds `c`, and the sum below sets a byte's high bit exactly
// when that byte is not zero (no carries cross bytes).
std::size_t CountOf(std::string_view text, char c) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t pattern = 0x0101010101010101ull * static_cast<unsigned char>(c);
  std::size_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    const std::uint64_t x = word ^ pattern;
    const std::uint64_t nonZero = ((x & kLow7) + kLow7) | x;
    // The matching bytes hold 0x80; shifted down to 1 each, one multiplication sums them in the top byte.
    count += static_cast<std::size_t>((((~nonZero & ~kLow7) >> 7) * 0x0101010101010101ull) >> 56);
  }
  for (; i < text.size(); ++i) {
    count += text[i] == c ? 1 : 0;
  }
  return count;
}
std::size_t CountOf(std::wstring_view text, wchar_t c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// Where the first ">" or quote at or after `from` is, or the text's size.
std::size_t FindTagStop(std::wstring_view text, std::size_t from) {
  for (; from < text.size(); ++from) {
    const wchar_t c = text[from];
    if (c == '>' || c == '"' || c == '\'') {
      break;
    }
  }
  return from;
}
// Where the first of the characters `Stops` at or after `from` is, or the text's size; 16 bytes a turn
// where the processor has SSE2.
template <char... Stops>
std::size_t FindFirstOf(std::string_view text, std::size_t from) {
  const char* data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  for (; from + 16 <= size; from += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(Stops)))), ...);
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) {
      return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  for (; from < size && ((data[from] != Stops) && ...); ++from) {
  }
  return from;
}

std::size_t FindTagStop(std::string_view text, std::size_t from) {
  return FindFirstOf<'>', '"', '\''>(text, from);
}

// Where the first `c` at or after `from` is, or the text's size. The runs searched (values, text
// between tags) are mostly short, which the library's search is not made for.
std::size_t FindChar(std::wstring_view text, wchar_t c, std::size_t from) {
  return std::min(text.find(c, from), text.size());
}
std::size_t FindChar(std::string_view text, char c, std::size_t from) {
  const char* data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  for (; from + 16 <= size; from += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted));
    if (mask != 0) {
      return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  for (; from < size && data[from] != c; ++from) {
  }
  return from;
}

// The same as FindChar for runs that are mostly short, as attribute values are: their first
// characters are tested one by one, which lets the processor run ahead of the test where the block
// search would make it wait for the result.
template <class Char>
std::size_t FindShortRunEnd(std::basic_string_view<Char> text, Char c, std::size_t from) {
  const Char* const data = text.data();
  if (from + 16 <= text.size()) {
    // Four at a time, counted once for the four.
    for (const std::size_t shortEnd = from + 16; from < shortEnd; from += 4) {
      if (data[from] == c) {
        return from;
      }
      if (data[from + 1] == c) {
        return from + 1;
      }
      if (data[from + 2] == c) {
        return from + 2;
      }
      if (data[from + 3] == c) {
        return from + 3;
      }
    }
  }
  return FindChar(text, c, from);
}

// The attributes of a plain tag (see Scanner::ScanPlainTag) from `from`, just after the element's
// name: their names and values go to `out`, `empty` tells whether the tag ends in "/>", and
// `namesMayRepeat` is left false only when no two names can be the same (they differ in length or in
// their first or last character). Returns where its ">" is, or the text's size when the tag is not
// plain. Kept apart from the scanner so that its
// loop has the registers to itself.
template <class Char>
[[gnu::noinline]] std::size_t ScanPlainAttributes(
    std::basic_string_view<Char> text, std::size_t from,
    std::vector<std::pair<std::basic_string_view<Char>, std::basic_string_view<Char>>>& out, bool& empty,
    bool& namesMayRepeat) {
  using View = std::basic_string_view<Char>;
  const Char* const data = text.data();
  const std::size_t size = text.size();
  out.clear();
  // One bit of 64 for each name, by a small hash of its length and its first and last characters,
  // taken while they are at hand.
  std::uint64_t namesSeen = 0;
  for (std::size_t k = from;;) {
    if (k >= size) {
      return size;
    }
    const Char c = data[k];
    if (c == '>') {
      return k;
    }
    if (c == '/') {
      if (k + 1 < size && data[k + 1] == '>') {
        empty = true;
        return k + 1;
      }
      return size;
    }
    if (!IsVisible(c)) {
      ++k;
      continue;
    }
    const std::size_t nameStart = k;
    // The zero character after the text (see XMLStorage::KeepText) ends a name there.
    while (IsPlainAttributeNameChar(data[k])) {
      ++k;
    }
    if (k == nameStart || k + 1 >= size || data[k] != '=' || !IsQuote(data[k + 1])) {
      return size;
    }
    const std::size_t valueStart = k + 2;
    const std::size_t valueEnd = FindShortRunEnd(text, data[k + 1], valueStart);
    if (valueEnd == size) {
      return size;
    }
    const std::uint64_t bit = std::uint64_t{1} << (((k - nameStart) * 7 + static_cast<std::uint8_t>(c) +
                                                    static_cast<std::uint8_t>(data[k - 1]) * 3) &
                                                   63);
    namesMayRepeat |= (namesSeen & bit) != 0;
    namesSeen |= bit;
    out.emplace_back(View(data + nameStart, k - nameStart), View(data + valueStart, valueEnd - valueStart));
    k = valueEnd + 1;
  }
}

// Where the first CR or LF at or after `from` is, or the text's size.
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  return FindFirstOf<'\r', '\n'>(text, from);
}

// Writes `bytes` to `out` with CR LF, a lone CR and a lone LF each as CR LF, as the reader joins its
// lines; returns how many bytes were written. `out` has room for the bytes, one more for every line
// end and 16 to spare (whole blocks are copied).
std::size_t WriteWithCrLf(std::string_view bytes, char* out) {
  const char* data = bytes.data();
  const std::size_t size = bytes.size();
  char* const start = out;
  std::size_t i = 0;
  while (i < size) {
#if defined(__SSE2__)
    if (i + 16 <= size) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
          _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')))));
      const unsigned count = ends != 0 ? static_cast<unsigned>(__builtin_ctz(ends)) : 16u;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), chunk);
      out += count;
      i += count;
      if (count == 16) {
        continue;
      }
    } else
#endif
        if (data[i] != '\r' && data[i] != '\n') {
      *out++ = data[i++];
      continue;
    }
    *out++ = '\r';
    *out++ = '\n';
    i += data[i] == '\r' && i + 1 < size && data[i + 1] == '\n' ? 2 : 1;
  }
  return static_cast<std::size_t>(out - start);
}

// Characters collected from the text in pieces (an element's text runs, the parts of a name). While
// they are one piece they are a view into the text; only a second piece copies them.
template <class Char>
class Gathered {
 public:
  using View = std::basic_string_view<Char>;

  void Clear() {
    view_ = View();
    joined_ = false;
  }
  void Append(View part) {
    if (part.empty()) {
      return;
    }
    if (!joined_) {
      if (view_.empty()) {
        view_ = part;
        return;
      }
      copy_.assign(view_);
      joined_ = true;
    }
    copy_.append(part);
  }
  View Get() const { return joined_ ? View(copy_) : view_; }
  bool Empty() const { return Get().empty(); }
  // Whether Get() is a view into the text itself.
  bool InText() const { return !joined_; }

 private:
  View view_;
  std::basic_string<Char> copy_;
  bool joined_ = false;
};

// One parse: the scanner's state over one text (see the header for the dialect). The tag buffer of the
// dialect is always one stretch of the text (from the tag's first visible character that does not
// mark a closing tag, up to the ">"), so tags are read as views into the text. The text is wide, or
// narrow when it is plain ASCII and reads exactly as its wide form would.
template <class Char>
class Scanner {
 public:
  using String = std::basic_string<Char>;
  using View = std::basic_string_view<Char>;

  // `text` is the storage's own text: the elements made hold the storage and borrow their values
  // from it. With `lineEndsAsRead` the (narrow) text has its line ends as the file has them (CR LF, a
  // lone CR or a lone LF), and reads as if each were CR LF, as the engine's text reader delivers them.
  Scanner(XMLNode*& root, View text, XMLStorage& storage, bool lineEndsAsRead = false)
      : root_(root),
        text_(text),
        storage_(storage),
        current_(root),
        rootSupplied_(root != nullptr),
        lineEndsAsRead_(lineEndsAsRead) {}
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;
  ~Scanner() {
    if (spareReferences_ != 0) {
      storage_.Release(spareReferences_);
    }
  }

  void Run();

 private:
  enum Fault : std::uint32_t {
    kCloseWithoutElement = 0,
    kEmptyTag = 1,
    kCloseMismatch = 2,
    kEqualsWithoutName = 4,
    kSlashBeforeEnd = 5,
    kSlashAfterName = 6,
    kAttributeTwice = 7,
    kValueWithoutQuote = 8,
    kNameWithoutValue = 10,
    kValueUnfinished = 11,
    kAfterRoot = 12,
    kTextOutside = 13,
    kEndInsideTag = 14,
    kNoElement = 15,
    kTooDeep = 16,
  };

  [[noreturn]] void Raise(Fault code) const;
  bool TextBufferHasContent() const;
  void Scan();
  void ScanText();
  void BeginTag();
  void ScanTag();
  bool ScanPlainTag();
  bool ClosePlainTag();
  void SkipDeclaration();
  void CloseElement(View tag);
  void OpenElement(View tag, std::size_t attributeHint);
  XMLNode* CreateElement(std::unique_ptr<XMLNode>& orphan, std::size_t attributeHint);
  // The element just read becomes the open one (unless its tag closed it) or the root of an orphan
  // document.
  void EnterElement(XMLNode* element, std::unique_ptr<XMLNode>& orphan, bool empty);
  void AddAttribute(XMLNode& element, View name, View value);
  void StoreText(XMLValue& value, const Gathered<Char>& text) const;
  // A value or text as the tree keeps it: with line ends as read, one that holds a line end is
  // rewritten with CR LF in the storage; anything else is itself.
  View Kept(View value) const;
  // Whether the characters are the text's own.
  bool InText(View part) const {
    const auto offset =
        reinterpret_cast<std::uintptr_t>(part.data()) - reinterpret_cast<std::uintptr_t>(text_.data());
    return offset <= text_.size() * sizeof(Char) &&
           part.size() * sizeof(Char) <= text_.size() * sizeof(Char) - offset;
  }
  // With line ends as read: where the first line end at or after `offset` is (the text's size for
  // none). Asked in text order, it searches each stretch of the text once.
  std::size_t NextLineEnd(std::size_t offset) const;
  // Hands the children collected for the innermost open element over to it.
  void AdoptPending(XMLNode& element) noexcept;
  void AdoptAllPending() noexcept;

  static constexpr std::size_t kReferenceBatch = 256;

  XMLNode*& root_;
  View text_;
  XMLStorage& storage_;
  // References on the storage taken ahead for the elements still to be made, a batch at a time.
  std::size_t spareReferences_ = 0;
  std::size_t index_ = 0;
  XMLNode* current_;
  const bool rootSupplied_;
  const bool lineEndsAsRead_;
  // With line ends as read: the first line end at or after lineEndFrom_ (the text's size for none).
  mutable std::size_t lineEndFrom_ = static_cast<std::size_t>(-1);
  mutable std::size_t nextLineEnd_ = 0;
  // Elements the text has opened and not closed (a supplied root is not counted).
  std::uint32_t depth_ = 0;
  // The children of the open elements, handed over to each when it closes (or when the scan ends), so
  // that each children list is made at once in its final size. marks_ holds, for every open element
  // from the outermost, where its children begin in pending_.
  std::vector<XMLNode*> pending_;
  std::vector<std::size_t> marks_;
  Gathered<Char> textBuffer_;
  bool inTag_ = false;
  bool closing_ = false;
  // Working buffers of OpenElement, kept to reuse their storage.
  Gathered<Char> name_;
  Gathered<Char> attributeName_;
  // Where the quoted runs of the current tag begin and end (at the quotes), from its start.
  std::vector<std::pair<std::size_t, std::size_t>> quotedRuns_;
  // Names seen in the current tag, one bit each by a small hash, to skip looking for a repeated name.
  std::uint64_t namesSeen_ = 0;
  // The attributes of a plain tag (names and values), kept to reuse their storage.
  std::vector<std::pair<View, View>> plainAttributes_;
};

// The line is counted only now: the line of the scan position, whose line ends are all behind it.
template <class Char>
void Scanner<Char>::Raise(Fault code) const {
  const View before = text_.substr(0, index_);
  std::size_t ends = CountOf(before, Char('\n'));
  if (lineEndsAsRead_) {
    // A lone CR ends a line too.
    for (std::size_t i = FindChar(before, Char('\r'), 0); i < before.size();
         i = FindChar(before, Char('\r'), i + 1)) {
      ends += i + 1 < text_.size() && text_[i + 1] == '\n' ? 0 : 1;
    }
  }
  const auto line = static_cast<std::uint32_t>(1 + ends);
  throw FileError("XML format error at line " + CorvantisEngine::UIntToString(line) + ": code " +
                  CorvantisEngine::UIntToString(code));
}

template <class Char>
bool Scanner<Char>::TextBufferHasContent() const {
  for (const Char c : textBuffer_.Get()) {
    if (!IsWhiteSpace(c)) {
      return true;
    }
  }
  return false;
}

template <class Char>
void Scanner<Char>::Run() {
  try {
    Scan();
  } catch (...) {
    AdoptAllPending();
    throw;
  }
  AdoptAllPending();
  if (inTag_) {
    Raise(kEndInsideTag);
  }
  if (!rootSupplied_ && root_ == nullptr) {
    Raise(kNoElement);
  }
}

template <class Char>
void Scanner<Char>::Scan() {
  while (index_ < text_.size()) {
    if (inTag_) {
      ScanTag();
    } else {
      ScanText();
    }
  }
}

template <class Char>
void Scanner<Char>::AdoptPending(XMLNode& element) noexcept {
  const std::size_t mark = marks_.back();
  try {
    XMLBuilder::AdoptChildren(element, pending_.data() + mark, pending_.size() - mark);
  } catch (...) {
    // Out of memory: the children cannot be listed, so they go (each has its own children by now).
    for (std::size_t i = mark; i < pending_.size(); ++i) {
      delete pending_[i];
    }
  }
  pending_.resize(mark);
  marks_.pop_back();
}

// The elements still open when the scan ends, from the innermost out.
template <class Char>
void Scanner<Char>::AdoptAllPending() noexcept {
  XMLNode* element = current_;
  while (!marks_.empty()) {
    AdoptPending(*element);
    element = element->GetParent();
  }
}

template <class Char>
std::size_t Scanner<Char>::NextLineEnd(std::size_t offset) const {
  if constexpr (std::is_same_v<Char, char>) {
    if (offset < lineEndFrom_ || nextLineEnd_ < offset) {
      lineEndFrom_ = offset;
      nextLineEnd_ = FindLineEnd(text_, offset);
    }
    return nextLineEnd_;
  }
  return text_.size();
}

template <class Char>
typename Scanner<Char>::View Scanner<Char>::Kept(View value) const {
  if constexpr (std::is_same_v<Char, char>) {
    if (!lineEndsAsRead_) {
      return value;
    }
    // Values come in text order: the next line end is looked for once per stretch of the text, not
    // once per value. A value gathered from pieces is searched on its own.
    const auto offset =
        reinterpret_cast<std::uintptr_t>(value.data()) - reinterpret_cast<std::uintptr_t>(text_.data());
    if (offset <= text_.size() && value.size() <= text_.size() - offset) {
      if (NextLineEnd(offset) >= offset + value.size()) {
        return value;
      }
    } else if (FindLineEnd(value, 0) == value.size()) {
      return value;
    }
    char* room = static_cast<char*>(storage_.Allocate(2 * value.size() + 16));
    return View(room, WriteWithCrLf(value, room));
  }
  return value;
}

template <class Char>
void Scanner<Char>::StoreText(XMLValue& value, const Gathered<Char>& text) const {
  // Narrow text is plain ASCII, as its wide form reads. Only elements this parse made hold the
  // storage, so a supplied root gets a copy.
  const View kept = Kept(text.Get());
  const bool borrow = depth_ > 0 && (text.InText() || kept.data() != text.Get().data());
  if constexpr (std::is_same_v<Char, char>) {
    if (borrow) {
      value.BorrowAscii(kept);
    } else {
      value.SetWideAscii(kept);
    }
  } else {
    if (borrow) {
      value.BorrowWide(kept);
    } else {
      value.SetWideString(String(kept));
    }
  }
}

// Character data up to the next "<", which begins a tag.
template <class Char>
void Scanner<Char>::ScanText() {
  const std::size_t start = index_;
  const std::size_t end = FindChar(text_, Char('<'), start);
  if (current_ != nullptr) {
    View piece = text_.substr(start, end - start);
    if (lineEndsAsRead_ && !piece.empty() && !textBuffer_.Empty()) {
      // Pieces joined into one text: each one's line ends are read where it stands in the text (a CR
      // that ends one piece and an LF that begins the next are two line ends, not one).
      if (textBuffer_.InText()) {
        const View first = textBuffer_.Get();
        textBuffer_.Clear();
        textBuffer_.Append(Kept(first));
      }
      piece = Kept(piece);
    }
    textBuffer_.Append(piece);
  } else {
    for (std::size_t i = start; i < end; ++i) {
      if (IsVisible(text_[i])) {
        index_ = i;
        Raise(kTextOutside);
      }
    }
  }
  index_ = end;
  if (end < text_.size()) {
    BeginTag();
    ++index_;
  }
}

template <class Char>
void Scanner<Char>::BeginTag() {
  if (current_ != nullptr) {
    if (TextBufferHasContent()) {
      StoreText(current_->GetValue(), textBuffer_);
      textBuffer_.Clear();
    }
  } else if (root_ != nullptr) {
    Raise(kAfterRoot);
  }
  inTag_ = true;
  closing_ = false;
}

// From just after "<" (or where the end of the text cut a tag short) to the ">" that ends the tag.
template <class Char>
void Scanner<Char>::ScanTag() {
  if (ScanPlainTag()) {
    return;
  }
  // Before the buffer starts: blanks are dropped, "/" marks a closing tag, "?" a declaration.
  for (; index_ < text_.size(); ++index_) {
    const Char c = text_[index_];
    if (c == '/') {
      if (current_ == nullptr) {
        Raise(kCloseWithoutElement);
      }
      closing_ = true;
    } else if (c == '?') {
      SkipDeclaration();
      return;
    } else if (c == '>') {
      Raise(kEmptyTag);
    } else if (IsVisible(c)) {
      break;
    }
  }
  // The buffer runs to the first ">" outside quotes. A quote opens a quoted run only after the
  // buffer's first character, and the run ends at the next quote of the same kind.
  const std::size_t start = index_;
  const std::size_t size = text_.size();
  std::size_t end = std::min(start + 1, size);
  // The quoted runs are kept for OpenElement, whose values are mostly the same runs.
  quotedRuns_.clear();
  for (;;) {
    end = FindTagStop(text_, end);
    if (end == size || text_[end] == '>') {
      break;
    }
    const std::size_t open = end;
    end = FindChar(text_, text_[open], open + 1);  // to the matching quote
    if (end == size) {
      break;
    }
    quotedRuns_.push_back({open - start, end - start});
    ++end;
  }
  index_ = end;
  if (end == size) {
    return;  // the text ends inside the tag
  }
  const View tag = text_.substr(start, end - start);
  if (closing_) {
    CloseElement(tag);
  } else {
    OpenElement(tag, quotedRuns_.size());
  }
  inTag_ = false;
  closing_ = false;
  ++index_;
}

// Most tags are written the usual way: "<name", then name="value" pairs (either quote) with blanks
// before them, then ">" or "/>"; or "</name>" for the open element. Such a tag reads the same in one
// pass as by the general rules, since no quote or ">" can appear outside its values. Anything else
// (comments, declarations, faults) returns false before anything is changed, for the general path.
template <class Char>
bool Scanner<Char>::ScanPlainTag() {
  const Char* const data = text_.data();
  const std::size_t size = text_.size();
  std::size_t k = index_;
  if (k < size && data[k] == '/') {
    return ClosePlainTag();
  }
  const std::size_t nameStart = k;
  // The zero character after the text (see XMLStorage::KeepText) ends a name there.
  while (IsPlainElementNameChar(data[k])) {
    ++k;
  }
  // Declarations begin with "?", comments with "!".
  if (k == nameStart || data[nameStart] == '?' || data[nameStart] == '!') {
    return false;
  }
  const View name(data + nameStart, k - nameStart);
  bool empty = false;
  bool namesMayRepeat = false;
  k = ScanPlainAttributes(text_, k, plainAttributes_, empty, namesMayRepeat);
  if (k == size) {
    return false;
  }

  if (lineEndsAsRead_ && NextLineEnd(nameStart) < k) {
    for (auto& attribute : plainAttributes_) {
      attribute.second = Kept(attribute.second);
    }
  }
  // As the general path: faults are reported at the tag's ">".
  index_ = k;
  name_.Clear();
  name_.Append(name);
  std::unique_ptr<XMLNode> orphan;
  // A narrow tag's attributes are usually made in one piece, which needs no room in the list.
  const bool inOnePiece =
      std::is_same_v<Char, char> && plainAttributes_.size() <= XMLBuilder::kBatchAttributes;
  XMLNode* const element = CreateElement(orphan, inOnePiece ? 0 : plainAttributes_.size());
  if constexpr (std::is_same_v<Char, char>) {
    if (inOnePiece) {
      if (XMLBuilder::AddBorrowedAttributes(*element, plainAttributes_.data(), plainAttributes_.size(),
                                            namesMayRepeat) != plainAttributes_.size()) {
        Raise(kAttributeTwice);
      }
      plainAttributes_.clear();
    }
  }
  for (const auto& [attributeName, value] : plainAttributes_) {
    AddAttribute(*element, attributeName, value);
  }
  EnterElement(element, orphan, empty);
  inTag_ = false;
  closing_ = false;
  index_ = k + 1;
  return true;
}

// "</name>" right after the "<", naming the innermost element the text opened.
template <class Char>
bool Scanner<Char>::ClosePlainTag() {
  if (depth_ == 0) {
    return false;
  }
  const std::string& name = current_->GetName();
  const std::size_t start = index_ + 1;
  const std::size_t end = start + name.size();
  if (name.empty() || end >= text_.size() || text_[end] != '>') {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const Char c = text_[start + i];
    // Only ASCII compares character by character with the narrow name.
    if (static_cast<std::uint32_t>(c) >= 0x80 ||
        static_cast<std::uint32_t>(c) != static_cast<unsigned char>(name[i]) || !IsPlainElementNameChar(c)) {
      return false;
    }
  }
  index_ = end;
  AdoptPending(*current_);
  current_ = current_->GetParent();
  --depth_;
  inTag_ = false;
  closing_ = false;
  ++index_;
  return true;
}

template <class Char>
void Scanner<Char>::SkipDeclaration() {
  ++index_;
  while (index_ < text_.size() && text_[index_] != '>') {
    ++index_;
  }
  if (index_ < text_.size()) {
    ++index_;
  }
  inTag_ = false;
  closing_ = false;
}

template <class Char>
void Scanner<Char>::CloseElement(View tag) {
  while (!tag.empty() && IsWhiteSpace(tag.back())) {
    tag.remove_suffix(1);
  }
  // A supplied root was not opened by the text, so the text cannot close it either.
  if (depth_ == 0 || !EqualsNarrow(tag, current_->GetName())) {
    Raise(kCloseMismatch);
  }
  AdoptPending(*current_);
  current_ = current_->GetParent();
  --depth_;
}

template <class Char>
XMLNode* Scanner<Char>::CreateElement(std::unique_ptr<XMLNode>& orphan, std::size_t attributeHint) {
  if (depth_ >= XMLParser::kMaxDepth) {
    Raise(kTooDeep);
  }
  // The elements of a document have their parent set now but join its children list later.
  XMLNode* const parent = depth_ > 0 ? current_ : nullptr;
  std::unique_ptr<XMLNode> element;
  if (spareReferences_ == 0) {
    storage_.Acquire(kReferenceBatch);
    spareReferences_ = kReferenceBatch;
  }
  if constexpr (std::is_same_v<Char, char>) {
    element.reset(XMLBuilder::NewElement(name_.Get(), parent, &storage_));
  } else {
    element.reset(XMLBuilder::NewElement(NarrowName(name_.Get()), parent, &storage_));
  }
  --spareReferences_;
  // A generous hint costs memory for nothing; a long list grows as usual.
  XMLBuilder::ReserveAttributes(*element, std::min<std::size_t>(attributeHint, 64));
  namesSeen_ = 0;
  if (parent != nullptr) {
    pending_.push_back(element.get());
    return element.release();
  }
  if (current_ != nullptr) {
    current_->AddChild(element.get());  // a top element under a supplied root
    return element.release();
  }
  orphan = std::move(element);  // becomes the root once its tag is complete
  return orphan.get();
}

template <class Char>
void Scanner<Char>::AddAttribute(XMLNode& element, View name, View value) {
  // The record borrows its name from the storage: the text's own characters where the name stands
  // in one piece in a narrow text, a copy otherwise.
  std::string_view narrowName;
  if constexpr (std::is_same_v<Char, char>) {
    narrowName = InText(name) ? name : storage_.Keep(name);
  } else {
    narrowName = storage_.Keep(std::string_view(NarrowName(name)));
  }
  const std::uint64_t bit = NameBit(narrowName);
  const bool mayRepeat = (namesSeen_ & bit) != 0;
  namesSeen_ |= bit;
  if (XMLBuilder::AddBorrowedAttribute(element, narrowName, Kept(value), mayRepeat) == nullptr) {
    Raise(kAttributeTwice);
  }
}

template <class Char>
void Scanner<Char>::EnterElement(XMLNode* element, std::unique_ptr<XMLNode>& orphan, bool empty) {
  if (!empty) {
    marks_.push_back(pending_.size());
  }
  if (orphan) {
    root_ = orphan.release();
  }
  if (!empty) {
    current_ = element;
    ++depth_;
  }
  textBuffer_.Clear();
}

template <class Char>
void Scanner<Char>::OpenElement(View tag, std::size_t attributeHint) {
  name_.Clear();
  attributeName_.Clear();
  bool empty = false;
  XMLNode* element = nullptr;
  // An element made before any root exists has no parent to hold it until the tag is complete.
  std::unique_ptr<XMLNode> orphan;
  const std::size_t length = tag.size();

  // The name: the visible characters up to the first other one, where each "/" marks the element
  // empty instead of belonging to the name. The tag begins with a visible character other than "/".
  std::size_t k = 0;
  while (k < length && IsVisible(tag[k])) {
    if (tag[k] == '/') {
      empty = true;
      ++k;
      continue;
    }
    std::size_t runEnd = k + 1;
    while (runEnd < length && IsElementNameChar(tag[runEnd])) {
      ++runEnd;
    }
    name_.Append(tag.substr(k, runEnd - k));
    k = runEnd;
  }

  // Then attributes: names (visible characters, pieces separated by blanks run together), "=" and a
  // quoted value that runs to the next quote of its kind, whatever lies between.
  bool expectingName = false;
  bool equalsSeen = false;
  if (k < length) {
    if (name_.Get() == View(kCommentName<Char>)) {
      textBuffer_.Clear();
      return;  // a comment: nothing is made
    }
    element = CreateElement(orphan, attributeHint);
    expectingName = true;
    std::size_t quotedRun = 0;
    for (++k; k < length;) {
      const Char c = tag[k];
      if (!IsVisible(c)) {
        ++k;
      } else if (!expectingName) {
        if (!IsQuote(c)) {
          Raise(kValueWithoutQuote);
        }
        // The closing quote, as the scan for the end of the tag found it if its run began here.
        while (quotedRun < quotedRuns_.size() && quotedRuns_[quotedRun].first < k) {
          ++quotedRun;
        }
        const std::size_t valueEnd = quotedRun < quotedRuns_.size() && quotedRuns_[quotedRun].first == k
                                         ? quotedRuns_[quotedRun].second
                                         : FindChar(tag, c, k + 1);
        if (valueEnd >= length) {
          break;  // the value is not complete
        }
        AddAttribute(*element, attributeName_.Get(), tag.substr(k + 1, valueEnd - k - 1));
        attributeName_.Clear();
        equalsSeen = false;
        expectingName = true;
        k = valueEnd + 1;
      } else if (c == '=') {
        if (attributeName_.Empty()) {
          Raise(kEqualsWithoutName);
        }
        expectingName = false;
        equalsSeen = true;
        ++k;
      } else if (c == '/') {
        if (!attributeName_.Empty()) {
          Raise(kSlashAfterName);
        }
        if (k + 1 != length) {
          Raise(kSlashBeforeEnd);
        }
        empty = true;
        ++k;
      } else {
        const std::size_t runEnd = AttributeNameEnd(tag, k + 1);
        attributeName_.Append(tag.substr(k, runEnd - k));
        k = runEnd;
      }
    }
  }

  if (expectingName && !attributeName_.Empty()) {
    Raise(kNameWithoutValue);
  }
  if (equalsSeen) {
    Raise(kValueUnfinished);
  }
  if (element == nullptr) {
    element = CreateElement(orphan, 0);
  }
  EnterElement(element, orphan, empty);
}

// What the engine's text reader would make of a file's bytes, as far as the fast path cares.
enum class Bytes {
  kNeedDecoding,   // a UTF-16 mark, a character beyond ASCII or a zero byte: the reader decodes
  kAsText,         // plain ASCII whose line ends are all CR LF: the bytes are the text
  kLineEndsDiffer  // plain ASCII with a lone CR or LF somewhere, which the reader turns into CR LF
};

// With `copy` not null the bytes are copied there as well, in the same pass: all of them unless the
// result is kNeedDecoding.
Bytes Classify(std::string_view bytes, char* copy) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  Bytes result = Bytes::kAsText;
  // Every LF must follow a CR and every CR be followed by an LF; this tells whether the byte before
  // the next one is a CR.
  bool afterCarriageReturn = false;
  const auto lineEndsDiffer = [&] { result = Bytes::kLineEndsDiffer; };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time. Bytes below 0x0E or above 0x7F (those compare below 0x0E as signed bytes)
  // are rare: only then are the chunk's zeros, high bytes and line ends looked at, the line ends as
  // one bit each.
  const __m128i limit = _mm_set1_epi8(0x0E);
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  const __m128i lineFeed = _mm_set1_epi8('\n');
  for (; i + 16 <= size; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    if (copy != nullptr) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i), chunk);
    }
    if (_mm_movemask_epi8(_mm_cmplt_epi8(chunk, limit)) == 0) {
      if (afterCarriageReturn) {
        lineEndsDiffer();
        afterCarriageReturn = false;
      }
      continue;
    }
    if ((_mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_setzero_si128()))) != 0) {
      return Bytes::kNeedDecoding;
    }
    const auto carriageReturns =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, carriageReturn)));
    const auto lineFeeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lineFeed)));
    if (lineFeeds != (((carriageReturns << 1) | (afterCarriageReturn ? 1u : 0u)) & 0xFFFFu)) {
      lineEndsDiffer();
    }
    afterCarriageReturn = (carriageReturns & 0x8000u) != 0;
  }
#endif
  for (; i < size; ++i) {
    const unsigned char byte = data[i];
    if (copy != nullptr) {
      copy[i] = static_cast<char>(byte);
    }
    if (byte >= 0x80 || byte == 0) {
      return Bytes::kNeedDecoding;
    }
    if ((byte == '\n') != afterCarriageReturn) {
      lineEndsDiffer();
    }
    afterCarriageReturn = byte == '\r';
  }
  if (afterCarriageReturn) {
    lineEndsDiffer();
  }
  return result;
}

template <class Char>
void ParseWith(XMLNode*& root, std::basic_string_view<Char> text, XMLStorage& storage,
               bool lineEndsAsRead = false) {
  const bool created = root == nullptr;
  try {
    Scanner<Char>(root, text, storage, lineEndsAsRead).Run();
  } catch (...) {
    if (created) {
      delete root;
      root = nullptr;
    }
    throw;
  }
}

// Holds the parse's own reference on its storage.
struct StorageReference {
  XMLStorage* storage = new XMLStorage();
  StorageReference() = default;
  StorageReference(const StorageReference&) = delete;
  StorageReference& operator=(const StorageReference&) = delete;
  ~StorageReference() { storage->Release(); }
};

// Narrows a decoded text into `out` (room for every character) while it is plain ASCII other than
// zero, which reads the same narrow as the file's own bytes would; false, with `out` partly written,
// at the first other character.
bool NarrowPlainAscii(std::wstring_view text, char* out) {
  const wchar_t* data = text.data();
  const std::size_t size = text.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 4);
  // Packed down with saturation, characters 1 to 0x7F keep their values; zero and every negative
  // number become 0, and everything from 0x80 up becomes a byte with its high bit set.
  for (; i + 16 <= size; i += 16) {
    const auto* from = reinterpret_cast<const __m128i*>(data + i);
    const __m128i low = _mm_packs_epi32(_mm_loadu_si128(from), _mm_loadu_si128(from + 1));
    const __m128i high = _mm_packs_epi32(_mm_loadu_si128(from + 2), _mm_loadu_si128(from + 3));
    const __m128i bytes = _mm_packus_epi16(low, high);
    if ((_mm_movemask_epi8(bytes) | _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()))) != 0) {
      return false;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
#endif
  for (; i < size; ++i) {
    const auto code = static_cast<std::uint32_t>(data[i]);
    if (code == 0 || code >= 0x80) {
      return false;
    }
    out[i] = static_cast<char>(code);
  }
  return true;
}

// Decoded text taken over from `owned`: plain ASCII is scanned narrow from a copy the storage keeps,
// anything else wide from the text itself.
void ParseDecodedText(XMLNode*& root, std::wstring& owned) {
  const std::wstring_view text = owned;
  StorageReference reference;
  char* narrow = reference.storage->MakeText(text.size());
  if (NarrowPlainAscii(text, narrow)) {
    std::wstring().swap(owned);  // no longer needed while the tree is made
    ParseWith(root, std::string_view(narrow, text.size()), *reference.storage);
    return;
  }
  ParseWith(root, reference.storage->KeepWideText(std::move(owned)), *reference.storage);
}

// `owned`, when not null, holds `bytes` and may be taken over.
void ParseFileBytes(XMLNode*& root, std::string_view bytes, std::string* owned, const std::string& fileName) {
  // The engine's text reader takes a UTF-8 mark as the only sign of UTF-8 and reads 8-bit text of the
  // current locale without one; plain ASCII reads the same either way, so such files are scanned as
  // they stand and everything else is decoded by the reader first.
  std::string_view body = bytes;
  if (body.size() >= 3 && body.substr(0, 3) == "\xEF\xBB\xBF") {
    body.remove_prefix(3);
  }
  const bool utf16 =
      bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF");
  if (!utf16) {
    // The tree keeps the text and borrows its values from it. Bytes that cannot be taken over are
    // copied while they are classified.
    StorageReference reference;
    const bool takeOver = owned != nullptr && body.size() == owned->size();
    char* copy = takeOver ? nullptr : reference.storage->MakeText(body.size());
    const Bytes kind = Classify(body, copy);
    if (kind != Bytes::kNeedDecoding) {
      // Other line ends than CR LF are read in place: the values and texts that hold one are rewritten
      // as they are stored.
      std::string_view text(copy, body.size());
      if (takeOver) {
        text = reference.storage->KeepText(std::move(*owned));
      }
      ParseWith(root, text, *reference.storage, kind == Bytes::kLineEndsDiffer);
      return;
    }
  }
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw FileError("File \"" + fileName + "\" is too large to read");
  }
  std::wstring text;
  {
    CorvantisEngine::FileTextual file(
        nullptr,
        new CorvantisEngine::FileBinary(nullptr, fileName, false, false, true,
                                        static_cast<std::uint32_t>(bytes.size()), bytes.data()),
        false, 0);
    file.ReadText(text, false);
  }
  ParseDecodedText(root, text);
}

}  // namespace

XMLParser::XMLParser(CorvantisEngine::FileManager* files) : files_(files) {}

void XMLParser::ParseText(XMLNode*& root, const std::string& fileName) {
  std::string bytes;
  {
    std::unique_ptr<CorvantisEngine::FileBinary> file(files_->OpenFile(fileName, false));
    bytes.resize(file->GetSize());
    std::uint32_t got = 0;
    file->Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &got);
    bytes.resize(got);
  }
  ParseFileBytes(root, bytes, &bytes, fileName);
}

void XMLParser::ParseBytes(XMLNode*& root, std::string_view bytes) {
  ParseFileBytes(root, bytes, nullptr, "memory");
}

void XMLParser::Parse(XMLNode* root, const std::string& fileName) {
  XMLNode* target = root;
  ParseText(target, fileName);
  if (root == nullptr) {
    delete target;  // nobody could receive a root made here
  }
}

void XMLParser::ParseWideText(XMLNode*& root, std::wstring&& text) {
  ParseDecodedText(root, text);
}

void XMLParser::ParseWideText(XMLNode*& root, const std::wstring& text) {
  StorageReference reference;
  ParseWith(root, reference.storage->KeepWideText(std::wstring(text)), *reference.storage);
}

}  // namespace GameTools
