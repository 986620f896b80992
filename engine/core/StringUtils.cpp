#include "engine/core/StringUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/win32/WinSystem.h"

namespace CorvantisEngine {

namespace {

// The restartable conversion functions keep their shift state here rather than in the C library's
// hidden global, so two threads converting at once cannot disturb each other.
void ConvertToWide(const std::string& text, std::wstring& out) {
  out.clear();
  out.reserve(text.size());
  std::mbstate_t state{};
  const char* cursor = text.data();
  std::size_t remaining = text.size();
  const std::size_t maxBytes = MB_CUR_MAX;
  while (remaining > 0) {
    // Every locale the C library accepts is ASCII-compatible, so ASCII bytes between characters stand
    // for themselves and skip the costly conversion call.
    const auto byte = static_cast<unsigned char>(*cursor);
    if (byte < 0x80) {
      if (byte == 0) {
        break;  // the zero character ends the text
      }
      out.push_back(static_cast<wchar_t>(byte));
      ++cursor;
      --remaining;
      continue;
    }
    wchar_t character = 0;
    const std::size_t used = std::mbrtowc(&character, cursor, std::min(remaining, maxBytes), &state);
    if (used == 0) {
      break;  // the zero character ends the text
    }
    if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
      // Invalid or cut-short sequence: skip one byte and start afresh.
      state = std::mbstate_t{};
      ++cursor;
      --remaining;
      continue;
    }
    out.push_back(character);
    cursor += used;
    remaining -= used;
  }
}

void ConvertToNarrow(const std::wstring& text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  std::mbstate_t state{};
  char bytes[MB_LEN_MAX];
  for (const wchar_t character : text) {
    if (character == 0) {
      break;
    }
    if (static_cast<std::uint32_t>(character) < 0x80) {
      out.push_back(static_cast<char>(character));  // ASCII is the same in every locale
      continue;
    }
    const std::size_t written = std::wcrtomb(bytes, character, &state);
    if (written == static_cast<std::size_t>(-1)) {
      state = std::mbstate_t{};
      continue;  // not representable in the current character set
    }
    out.append(bytes, written);
  }
}

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsWideSpace(wchar_t c) {
  return std::iswspace(static_cast<wint_t>(c)) != 0;
}

template <typename Text, typename Pred>
void TrimLeftIf(Text& text, Pred isBlank) {
  std::size_t first = 0;
  while (first < text.size() && isBlank(text[first])) {
    ++first;
  }
  text.erase(0, first);
}

template <typename Text, typename Pred>
void TrimRightIf(Text& text, Pred isBlank) {
  std::size_t end = text.size();
  while (end > 0 && isBlank(text[end - 1])) {
    --end;
  }
  text.erase(end);
}

template <typename Text>
void ReplaceAll(Text& text, const Text& find, const Text& replacement) {
  if (find.empty()) {
    return;
  }
  std::size_t start = 0;
  while ((start = text.find(find, start)) != Text::npos) {
    text.replace(start, find.size(), replacement);
    start += replacement.size();
  }
}

int ClampToInt(long value) {
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string result;
  if (length > 0) {
    result.resize(static_cast<std::size_t>(length));
    std::vsnprintf(result.data(), result.size() + 1, format, args);
  }
  va_end(args);
  return result;
}

// Numbers format to ASCII only, so widening is a plain copy of the bytes.
std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

int Precision(int digits) {
  return digits > 0 ? digits : -1;
}

}  // namespace

void StringToWString(const std::string& text, std::wstring& out) {
  ConvertToWide(text, out);
}

std::wstring StringToWStringCopy(const std::string& text) {
  std::wstring out;
  ConvertToWide(text, out);
  return out;
}

void WStringToString(const std::wstring& text, std::string& out) {
  ConvertToNarrow(text, out);
}

std::string WStringToStringCopy(const std::wstring& text) {
  std::string out;
  ConvertToNarrow(text, out);
  return out;
}

void StringToLower(std::string& text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
}

void StringToUpper(std::string& text) {
  for (char& c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
}

std::string StringToLowerCopy(const std::string& text) {
  std::string copy = text;
  StringToLower(copy);
  return copy;
}

std::string StringToUpperCopy(const std::string& text) {
  std::string copy = text;
  StringToUpper(copy);
  return copy;
}

void WStringToLower(std::wstring& text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  }
}

void WStringToUpper(std::wstring& text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  }
}

std::wstring WStringToLowerCopy(const std::wstring& text) {
  std::wstring copy = text;
  WStringToLower(copy);
  return copy;
}

std::wstring WStringToUpperCopy(const std::wstring& text) {
  std::wstring copy = text;
  WStringToUpper(copy);
  return copy;
}

void StringTrimLeft(std::string& text) {
  TrimLeftIf(text, IsSpace);
}
void StringTrimRight(std::string& text) {
  TrimRightIf(text, IsSpace);
}

void StringTrim(std::string& text) {
  StringTrimLeft(text);
  StringTrimRight(text);
}

void StringTrimLeftChar(std::string& text, char c) {
  TrimLeftIf(text, [c](char x) { return x == c; });
}

std::string StringTrimRightCopy(const std::string& text) {
  std::string copy = text;
  StringTrimRight(copy);
  return copy;
}

void WStringTrimLeft(std::wstring& text) {
  TrimLeftIf(text, IsWideSpace);
}
void WStringTrimRight(std::wstring& text) {
  TrimRightIf(text, IsWideSpace);
}

std::wstring WStringTrimLeftCopy(const std::wstring& text) {
  std::wstring copy = text;
  WStringTrimLeft(copy);
  return copy;
}

std::wstring WStringTrimRightCopy(const std::wstring& text) {
  std::wstring copy = text;
  WStringTrimRight(copy);
  return copy;
}

std::wstring WStringTrim(const std::wstring& text) {
  std::wstring copy = text;
  WStringTrimRight(copy);
  WStringTrimLeft(copy);
  return copy;
}

void StringReplaceAll(std::string& text, const std::string& find, const std::string& replacement) {
  ReplaceAll(text, find, replacement);
}

void WStringReplaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement) {
  ReplaceAll(text, find, replacement);
}

std::wstring WStringReplaceAllCopy(const std::wstring& text, const std::wstring& find,
                                   const std::wstring& replacement) {
  std::wstring copy = text;
  ReplaceAll(copy, find, replacement);
  return copy;
}

void WStringReplaceAllNoCase(std::wstring& text, const std::wstring& find, const std::wstring& replacement) {
  if (find.empty()) {
    return;
  }
  // Lower-casing maps unit to unit, so positions in the lowered copy are positions in the text.
  std::wstring lowered = WStringToLowerCopy(text);
  const std::wstring loweredFind = WStringToLowerCopy(find);
  std::size_t start = 0;
  while ((start = lowered.find(loweredFind, start)) != std::wstring::npos) {
    text.replace(start, find.size(), replacement);
    lowered.replace(start, find.size(), replacement);
    start += replacement.size();
  }
}

void StringRemoveAll(std::string& text, const std::string& find) {
  ReplaceAll(text, find, std::string());
}

std::wstring WStringRemoveAllCopy(const std::wstring& text, const std::wstring& find) {
  return WStringReplaceAllCopy(text, find, std::wstring());
}

int StringToInt(const std::string& text, int base) {
  return ClampToInt(std::strtol(text.c_str(), nullptr, base));
}

int WStringToInt(const std::wstring& text, int base) {
  return ClampToInt(std::wcstol(text.c_str(), nullptr, base));
}

std::uint32_t StringToUIntBase(const std::string& text, int base) {
  // Parse the magnitude ourselves so the result matches 32-bit unsigned arithmetic on every host
  // (the C library's unsigned long may be 64 bits wide).
  const char* cursor = text.c_str();
  while (IsSpace(*cursor)) {
    ++cursor;
  }
  bool negative = false;
  if (*cursor == '-' || *cursor == '+') {
    negative = *cursor == '-';
    ++cursor;
    if (*cursor == '-' || *cursor == '+' || IsSpace(*cursor)) {
      return 0;
    }
  }
  errno = 0;
  const unsigned long long magnitude = std::strtoull(cursor, nullptr, base);
  if (errno == ERANGE || magnitude > UINT32_MAX) {
    return UINT32_MAX;
  }
  const auto value = static_cast<std::uint32_t>(magnitude);
  return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

float StringToFloat(const std::string& text) {
  return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

float WStringToFloat(const std::wstring& text) {
  return static_cast<float>(std::wcstod(text.c_str(), nullptr));
}

bool StringToBool(const std::string& text) {
  return StringToInt(text, 10) != 0;
}
bool WStringToBool(const std::wstring& text) {
  return WStringToInt(text, 10) != 0;
}

std::string UIntToString(std::uint32_t value, int digits) {
  return Format("%.*u", Precision(digits), static_cast<unsigned>(value));
}

std::wstring UIntToWString(std::uint32_t value, int digits) {
  return Widen(UIntToString(value, digits));
}

std::string IntToString(int value, int digits) {
  return Format("%.*i", Precision(digits), value);
}

std::wstring IntToWString(int value, int digits) {
  return Widen(IntToString(value, digits));
}

std::string HexToString(std::uint32_t value, int digits) {
  return Format("%.*X", Precision(digits), static_cast<unsigned>(value));
}

std::string FloatToString(float value, int decimals) {
  return Format("%.*f", decimals > 0 ? decimals : 0, static_cast<double>(value));
}

std::wstring FloatToWString(float value, int decimals) {
  return Widen(FloatToString(value, decimals));
}

std::string BoolToString(bool value) {
  return value ? "1" : "0";
}

std::string GetExecutableFolder() {
  // Host paths can be longer than MAX_PATH: grow the buffer until the whole path fits, rather than
  // cutting a truncated path at a wrong separator.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      const std::string path(buffer.data(), length);
      const std::size_t separator = path.find_last_of("\\/");
      return separator == std::string::npos ? std::string() : path.substr(0, separator);
    }
    if (buffer.size() >= (1u << 16)) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace CorvantisEngine
