#include "tools/game/XMLValue.h"

#include <cctype>
#include <cwctype>

#include "engine/core/StringUtils.h"

namespace GameTools {

using namespace CorvantisEngine;

namespace {

bool IsTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}
bool IsTokenChar(wchar_t c) {
  return std::iswalnum(static_cast<wint_t>(c)) != 0 || c == L'+' || c == L'-' || c == L'.';
}

std::int32_t ToInt(const std::string& token) {
  return StringToInt(token, 10);
}
std::int32_t ToInt(const std::wstring& token) {
  return WStringToInt(token, 10);
}
float ToFloat(const std::string& token) {
  return StringToFloat(token);
}
float ToFloat(const std::wstring& token) {
  return WStringToFloat(token);
}

// Converts the tokens of `text` in order until `maxCount` numbers were stored.
template <class Text, class Number, class Convert>
std::uint32_t ReadNumbers(const Text& text, Number* out, std::uint32_t maxCount, Convert convert) {
  std::uint32_t count = 0;
  std::size_t position = 0;
  Text token;
  while (count < maxCount && position < text.size()) {
    while (position < text.size() && !IsTokenChar(text[position])) {
      ++position;
    }
    const std::size_t start = position;
    while (position < text.size() && IsTokenChar(text[position])) {
      ++position;
    }
    if (position == start) {
      break;
    }
    token.assign(text, start, position - start);
    out[count++] = convert(token);
  }
  return count;
}

}  // namespace

XMLValue::XMLValue(const XMLValue& other)
    : kind_(other.kind_),
      widePending_(other.widePending_),
      narrow_(other.borrowed_ != nullptr ? std::string(other.borrowed_, other.borrowedSize_) : other.narrow_),
      wide_(other.wide_) {}

XMLValue& XMLValue::operator=(const XMLValue& other) {
  if (this != &other) {
    if (other.borrowed_ != nullptr) {
      narrow_.assign(other.borrowed_, other.borrowedSize_);
    } else {
      narrow_ = other.narrow_;
    }
    wide_ = other.wide_;
    kind_ = other.kind_;
    widePending_ = other.widePending_;
    borrowed_ = nullptr;
  }
  return *this;
}

void XMLValue::CopyBorrowed() const {
  if (borrowed_ != nullptr) {
    narrow_.assign(borrowed_, borrowedSize_);
    borrowed_ = nullptr;
  }
}

void XMLValue::SetString(const std::string& text) {
  narrow_ = text;
  kind_ = kNarrow;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideString(const std::wstring& text) {
  wide_ = text;
  kind_ = kWide;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideString(std::wstring&& text) {
  wide_ = std::move(text);
  kind_ = kWide;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideAscii(std::string_view text) {
  narrow_.assign(text);
  kind_ = kWide;
  widePending_ = true;
  borrowed_ = nullptr;
}

void XMLValue::BorrowAscii(std::string_view text) {
  if (text.empty()) {
    SetWideAscii(text);
    return;
  }
  borrowed_ = text.data();
  borrowedSize_ = text.size();
  kind_ = kWide;
  widePending_ = true;
}

const std::string& XMLValue::GetString() const {
  CopyBorrowed();
  if (kind_ == kWide) {
    if (!widePending_) {
      WStringToString(wide_, narrow_);
    }
    kind_ = kBoth;
  }
  return narrow_;
}

const std::wstring& XMLValue::GetWideString() const {
  if (widePending_) {
    // ASCII stands for itself in every locale.
    if (borrowed_ != nullptr) {
      wide_.assign(borrowed_, borrowed_ + borrowedSize_);
    } else {
      wide_.assign(narrow_.begin(), narrow_.end());
    }
    widePending_ = false;
  } else if (kind_ == kNarrow) {
    StringToWString(narrow_, wide_);
    kind_ = kBoth;
  }
  return wide_;
}

std::int32_t XMLValue::GetInt() const {
  CopyBorrowed();
  return kind_ == kWide && !widePending_ ? ToInt(wide_) : ToInt(narrow_);
}

float XMLValue::GetFloat() const {
  CopyBorrowed();
  return kind_ == kWide && !widePending_ ? ToFloat(wide_) : ToFloat(narrow_);
}

bool XMLValue::GetBool() const {
  return GetInt() != 0;
}

std::uint32_t XMLValue::GetFloats(float* out, std::uint32_t maxCount) const {
  CopyBorrowed();
  if (kind_ == kWide && !widePending_) {
    return ReadNumbers(wide_, out, maxCount, [](const std::wstring& token) { return ToFloat(token); });
  }
  return ReadNumbers(narrow_, out, maxCount, [](const std::string& token) { return ToFloat(token); });
}

std::uint32_t XMLValue::GetInts(std::int32_t* out, std::uint32_t maxCount) const {
  CopyBorrowed();
  if (kind_ == kWide && !widePending_) {
    return ReadNumbers(wide_, out, maxCount, [](const std::wstring& token) { return ToInt(token); });
  }
  return ReadNumbers(narrow_, out, maxCount, [](const std::string& token) { return ToInt(token); });
}

Vector2 XMLValue::GetVector2() const {
  float numbers[2] = {0.0f, 0.0f};
  GetFloats(numbers, 2);
  return Vector2{numbers[0], numbers[1]};
}

Vector3 XMLValue::GetVector3() const {
  float numbers[3] = {0.0f, 0.0f, 0.0f};
  GetFloats(numbers, 3);
  return Vector3(numbers[0], numbers[1], numbers[2]);
}

Vector4 XMLValue::GetVector4() const {
  float numbers[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  GetFloats(numbers, 4);
  return Vector4(numbers[0], numbers[1], numbers[2], numbers[3]);
}

void XMLValue::GetIntPair(std::int32_t& first, std::int32_t& second) const {
  std::int32_t numbers[2] = {0, 0};
  GetInts(numbers, 2);
  first = numbers[0];
  second = numbers[1];
}

}  // namespace GameTools
