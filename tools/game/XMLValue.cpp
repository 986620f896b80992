#include "tools/game/XMLValue.h"

#include <cctype>
#include <cwctype>
#include <utility>

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
    : borrowedSize_(0), kind_(other.kind_), widePending_(other.widePending_) {
  if (const Forms* forms = other.GetForms()) {
    text_ = new Forms(*forms);
    hasForms_ = true;
  } else if (other.Borrowed() == nullptr) {
  } else if (other.borrowedWide_) {
    MakeForms().wide.assign(other.WideText());
  } else {
    MakeForms().narrow.assign(other.NarrowText());
  }
}

XMLValue& XMLValue::operator=(const XMLValue& other) {
  if (this != &other) {
    XMLValue copy(other);
    DropForms();
    std::swap(text_, copy.text_);
    std::swap(hasForms_, copy.hasForms_);
    kind_ = other.kind_;
    widePending_ = other.widePending_;
  }
  return *this;
}

void XMLValue::DeleteForms() {
  delete GetForms();
  hasForms_ = false;
  text_ = nullptr;
}

XMLValue::Forms& XMLValue::MakeForms() const {
  if (!hasForms_) {
    auto forms = std::make_unique<Forms>();
    if (text_ != nullptr) {
      if (borrowedWide_) {
        forms->wide.assign(static_cast<const wchar_t*>(text_), borrowedSize_);
      } else {
        forms->narrow.assign(static_cast<const char*>(text_), borrowedSize_);
      }
    }
    text_ = forms.release();
    hasForms_ = true;
  }
  return *GetForms();
}

XMLValue::Forms& XMLValue::FormsToSet() {
  if (!hasForms_) {
    text_ = new Forms();
    hasForms_ = true;
  }
  return *GetForms();
}

const std::string& XMLValue::StoredNarrow() const {
  const Forms* forms = GetForms();
  return forms ? forms->narrow : kNoNarrow;
}

void XMLValue::CopyBorrowed() const {
  if (Borrowed() != nullptr) {
    MakeForms();
  }
}

std::string_view XMLValue::NarrowText() const {
  if (const void* borrowed = Borrowed(); borrowed != nullptr && !borrowedWide_) {
    return std::string_view(static_cast<const char*>(borrowed), borrowedSize_);
  }
  return StoredNarrow();
}

std::wstring_view XMLValue::WideText() const {
  if (const void* borrowed = Borrowed(); borrowed != nullptr && borrowedWide_) {
    return std::wstring_view(static_cast<const wchar_t*>(borrowed), borrowedSize_);
  }
  const Forms* forms = GetForms();
  return forms ? std::wstring_view(forms->wide) : std::wstring_view();
}

void XMLValue::SetString(const std::string& text) {
  if (text.empty() && !hasForms_) {
    // Nothing to keep: the stale wide form is empty as well.
    text_ = nullptr;
  } else {
    FormsToSet().narrow = text;
  }
  kind_ = kNarrow;
  widePending_ = false;
}

void XMLValue::SetWideString(const std::wstring& text) {
  if (!text.empty() || hasForms_) {
    FormsToSet().wide = text;
  } else {
    text_ = nullptr;
  }
  kind_ = kWide;
  widePending_ = false;
}

void XMLValue::SetWideString(std::wstring&& text) {
  if (!text.empty() || hasForms_) {
    FormsToSet().wide = std::move(text);
  } else {
    text_ = nullptr;
  }
  kind_ = kWide;
  widePending_ = false;
}

void XMLValue::SetWideAscii(std::string_view text) {
  if (!text.empty() || hasForms_) {
    FormsToSet().narrow.assign(text);
  } else {
    text_ = nullptr;
  }
  kind_ = kWide;
  widePending_ = true;
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
  if (Borrowed() != nullptr && borrowedWide_) {
    CopyBorrowed();
  }
  if (widePending_) {
    // ASCII stands for itself in every locale. Borrowed narrow characters are copied into the narrow
    // form as the wide one is made (the same pointer cannot hold both).
    if (Borrowed() != nullptr || hasForms_) {
      Forms& forms = MakeForms();
      forms.wide.assign(forms.narrow.begin(), forms.narrow.end());
    }
    widePending_ = false;
  } else if (kind_ == kNarrow) {
    if (Forms* forms = GetForms()) {
      StringToWString(forms->narrow, forms->wide);
    }
    kind_ = kBoth;
  }
  const Forms* forms = GetForms();
  return forms ? forms->wide : kNoWide;
}

std::int32_t XMLValue::GetInt() const {
  if (kind_ == kWide && !widePending_) {
    CopyBorrowed();
    return ToInt(GetForms() ? GetForms()->wide : kNoWide);
  }
  return ToInt(std::string(NarrowText()));
}

float XMLValue::GetFloat() const {
  if (kind_ == kWide && !widePending_) {
    CopyBorrowed();
    return ToFloat(GetForms() ? GetForms()->wide : kNoWide);
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
