#pragma once
// XMLValue: one text of an XML document (an element's text or an attribute's value), kept in a narrow
// form (the current locale's multibyte text) and a wide form, and converted between them on demand.
// Setting one form makes the other stale; the first read of the stale form converts it once and keeps
// both. The number readers parse the text as the C library does, with one twist: integers saturate
// at the 32-bit range on every host.
//
// Both forms are made only when first asked for: a value set from ASCII text (as the parser sets
// them) holds just that text until it is read, and the number readers read it without making either
// form.
//
// Not thread-safe: even the const readers may fill in the missing form. Nothing here throws except
// std::bad_alloc.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/Vector.h"

namespace GameTools {

class XMLValue {
 public:
  // Which forms hold the text.
  enum Kind : std::uint32_t { kNarrow = 0, kWide = 1, kBoth = 2 };

  XMLValue() = default;
  // A copy holds its own text, also where the original borrows it.
  XMLValue(const XMLValue& other);
  XMLValue& operator=(const XMLValue& other);
  ~XMLValue() {
    if (hasForms_) {
      DeleteForms();
    }
  }

  // Store the text; the other form becomes stale.
  void SetString(const std::string& text);
  void SetWideString(const std::wstring& text);
  void SetWideString(std::wstring&& text);
  // The same as SetWideString for text that is plain ASCII (every character below 0x80 and none of
  // them zero), handed over narrow: GetKind() says kWide as after SetWideString, and both forms read
  // the same characters, but the wide string is only made when it is first asked for.
  void SetWideAscii(std::string_view text);
  // The same as SetWideAscii, but the characters are not copied: the value reads them where they are
  // until it is set again, so they must stay unchanged as long as the value lives. For trees that keep
  // their document's text (see XMLStorage.h).
  void BorrowAscii(std::string_view text) {
    if (text.empty() || text.size() > UINT32_MAX) {
      SetWideAscii(text);
      return;
    }
    DropForms();
    text_ = text.data();
    borrowedSize_ = static_cast<std::uint32_t>(text.size());
    borrowedWide_ = false;
    kind_ = kWide;
    widePending_ = true;
  }
  // The same for wide text, as SetWideString stores it.
  void BorrowWide(std::wstring_view text) {
    if (text.empty() || text.size() > UINT32_MAX) {
      SetWideString(std::wstring(text));
      return;
    }
    DropForms();
    text_ = text.data();
    borrowedSize_ = static_cast<std::uint32_t>(text.size());
    borrowedWide_ = true;
    kind_ = kWide;
    widePending_ = false;
  }

  // The stored form, converted from the other one first when that is the only valid form. The
  // reference stays valid until the value is set again.
  const std::string& GetString() const;
  const std::wstring& GetWideString() const;

  Kind GetKind() const { return static_cast<Kind>(kind_); }

  // The base-10 integer at the start of the text (leading white space, an optional sign, digits; 0
  // without digits), clamped to the 32-bit range.
  std::int32_t GetInt() const;
  // The number at the start of the text as atof reads it.
  float GetFloat() const;
  // GetInt() != 0: "1" and "2" are true; "true", "yes" and an empty text are false.
  bool GetBool() const;

  // Cut the text into tokens (runs of letters, digits, '+', '-' and '.'; anything else separates
  // them) and convert each like GetFloat / GetInt into out[0], out[1], ... up to maxCount numbers.
  // Returns how many were stored; the rest of `out` keeps what the caller put there.
  std::uint32_t GetFloats(float* out, std::uint32_t maxCount) const;
  std::uint32_t GetInts(std::int32_t* out, std::uint32_t maxCount) const;

  // The first numbers of the text by GetFloats / GetInts; missing components are 0.
  CorvantisEngine::Vector2 GetVector2() const;
  CorvantisEngine::Vector3 GetVector3() const;
  CorvantisEngine::Vector4 GetVector4() const;
  void GetIntPair(std::int32_t& first, std::int32_t& second) const;

 private:
  friend class XMLBuilder;

  // The same as BorrowAscii for a value just made, which holds nothing yet.
  void BorrowAsciiWhenNew(std::string_view text) {
    if (text.size() > UINT32_MAX) {
      SetWideAscii(text);
      return;
    }
    text_ = text.empty() ? nullptr : text.data();
    borrowedSize_ = static_cast<std::uint32_t>(text.size());
    borrowedWide_ = false;
    kind_ = kWide;
    widePending_ = true;
  }

  // The two forms, made when one of them is first stored or read.
  struct Forms {
    std::string narrow;
    std::wstring wide;
  };

  // The forms, or null while the value has none.
  Forms* GetForms() const { return hasForms_ ? static_cast<Forms*>(const_cast<void*>(text_)) : nullptr; }
  // The borrowed characters, or null while the text is not borrowed.
  const void* Borrowed() const { return hasForms_ ? nullptr : text_; }
  // Makes the forms if there are none yet; borrowed characters are copied into the form they belong
  // to first, so that the text stays the same.
  Forms& MakeForms() const;
  // Forms for a value about to be set: made empty if there are none (borrowed characters are dropped).
  Forms& FormsToSet();
  // Lets go of the forms or the borrowed characters.
  void DropForms() {
    if (hasForms_) {
      DeleteForms();
    }
    text_ = nullptr;
  }
  void DeleteForms();
  // The narrow form as stored (not converted), without the borrowed characters.
  const std::string& StoredNarrow() const;
  // Makes the form they belong to hold the borrowed characters, if the text is borrowed.
  void CopyBorrowed() const;
  // The narrow and the wide text as stored, borrowed characters included, for the readers.
  std::string_view NarrowText() const;
  std::wstring_view WideText() const;

  // The forms (while hasForms_) or else the borrowed characters (wide ones or narrow ones, while not
  // null), whose form has not been filled with them. One pointer for both keeps a value small: a
  // document holds many.
  mutable const void* text_ = nullptr;
  std::uint32_t borrowedSize_ = 0;
  mutable std::uint8_t kind_ = kBoth;
  // The narrow text (stored or borrowed) is ASCII that the wide form has not been made from yet, while
  // the kind says the wide form holds the text.
  mutable bool widePending_ = false;
  bool borrowedWide_ = false;
  mutable bool hasForms_ = false;
};

}  // namespace GameTools
