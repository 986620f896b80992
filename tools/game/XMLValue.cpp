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
template <class Char, class Number, class Convert>
std::uint32_t ReadNumbers(std::basic_string_view<Char> text, Number* out, std::uint32_t maxCount,
                          Convert convert) {
  std::uint32_t count = 0;
  std::size_t position = 0;
  std::basic_string<Char> token;
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
    token.assign(text.substr(start, position - start));
    out[count++] = convert(token);
  }
  return count;
}

const std::string kNoNarrow;
const std::wstring kNoWide;

}  // namespace

XMLValue::XMLValue(const XMLValue& other)
    : forms_(other.forms_ ? std::make_unique<Forms>(*other.forms_) : nullptr),
      kind_(other.kind_),
      widePending_(other.widePending_) {
  if (other.borrowed_ == nullptr) {
  } else if (other.borrowedWide_) {
    MakeForms().wide.assign(other.WideText());
  } else {
    MakeForms().narrow.assign(other.NarrowText());
  }
}

XMLValue& XMLValue::operator=(const XMLValue& other) {
  if (this != &other) {
    XMLValue copy(other);
    forms_ = std::move(copy.forms_);
    borrowed_ = nullptr;
    kind_ = other.kind_;
    widePending_ = other.widePending_;
  }
  return *this;
}

XMLValue::Forms& XMLValue::MakeForms() const {
  if (!forms_) {
    forms_ = std::make_unique<Forms>();
  }
  return *forms_;
}

const std::string& XMLValue::StoredNarrow() const {
  return forms_ ? forms_->narrow : kNoNarrow;
}

void XMLValue::CopyBorrowed() const {
  if (borrowed_ == nullptr) {
    return;
  }
  if (borrowedWide_) {
    MakeForms().wide.assign(WideText());
  } else {
    MakeForms().narrow.assign(NarrowText());
  }
  borrowed_ = nullptr;
}

std::string_view XMLValue::NarrowText() const {
  if (borrowed_ != nullptr && !borrowedWide_) {
    return std::string_view(static_cast<const char*>(borrowed_), borrowedSize_);
  }
  return StoredNarrow();
}

std::wstring_view XMLValue::WideText() const {
  if (borrowed_ != nullptr && borrowedWide_) {
    return std::wstring_view(static_cast<const wchar_t*>(borrowed_), borrowedSize_);
  }
  return forms_ ? std::wstring_view(forms_->wide) : std::wstring_view();
}

void XMLValue::SetString(const std::string& text) {
  if (text.empty() && !forms_) {
    // Nothing to keep: the stale wide form is empty as well.
  } else {
    MakeForms().narrow = text;
  }
  kind_ = kNarrow;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideString(const std::wstring& text) {
  if (!text.empty() || forms_) {
    MakeForms().wide = text;
  }
  kind_ = kWide;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideString(std::wstring&& text) {
  if (!text.empty() || forms_) {
    MakeForms().wide = std::move(text);
  }
  kind_ = kWide;
  widePending_ = false;
  borrowed_ = nullptr;
}

void XMLValue::SetWideAscii(std::string_view text) {
  if (!text.empty() || forms_) {
    MakeForms().narrow.assign(text);
  }
  kind_ = kWide;
  widePending_ = true;
  borrowed_ = nullptr;
}

const std::string& XMLValue::GetString() const {
  CopyBorrowed();
  if (kind_ == kWide) {
    if (!widePending_) {
      Forms& forms = MakeForms();
      WStringToString(forms.wide, forms.narrow);
    }
    kind_ = kBoth;
  }
  return StoredNarrow();
}

const std::wstring& XMLValue::GetWideString() const {
  if (borrowed_ != nullptr && borrowedWide_) {
    CopyBorrowed();
  }
  if (widePending_) {
    // ASCII stands for itself in every locale.
    const std::string_view text = NarrowText();
    if (!text.empty() || forms_) {
      MakeForms().wide.assign(text.begin(), text.end());
    }
    widePending_ = false;
  } else if (kind_ == kNarrow) {
    if (forms_) {
      StringToWString(forms_->narrow, forms_->wide);
    }
    kind_ = kBoth;
  }
  return forms_ ? forms_->wide : kNoWide;
}

std::int32_t XMLValue::GetInt() const {
  if (kind_ == kWide && !widePending_) {
    CopyBorrowed();
    return ToInt(forms_ ? forms_->wide : kNoWide);
  }
  return ToInt(std::string(NarrowText()));
}

float XMLValue::GetFloat() const {
  if (kind_ == kWide && !widePending_) {
    CopyBorrowed();
    return ToFloat(forms_ ? forms_->wide : kNoWide);
  }
  return ToFloat(std::string(NarrowText()));
}

bool XMLValue::GetBool() const {
  return GetInt() != 0;
}

std::uint32_t XMLValue::GetFloats(float* out, std::uint32_t maxCount) const {
  if (kind_ == kWide && !widePending_) {
    return ReadNumbers(WideText(), out, maxCount, [](const std::wstring& token) { return ToFloat(token); });
  }
  return ReadNumbers(NarrowText(), out, maxCount, [](const std::string& token) { return ToFloat(token); });
}

std::uint32_t XMLValue::GetInts(std::int32_t* out, std::uint32_t maxCount) const {
  if (kind_ == kWide && !widePending_) {
    return ReadNumbers(WideText(), out, maxCount, [](const std::wstring& token) { return ToInt(token); });
  }
  return ReadNumbers(NarrowText(), out, maxCount, [](const std::string& token) { return ToInt(token); });
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
