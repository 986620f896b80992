#include "tools/game/XMLParser.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <utility>

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"
#include "tools/game/XMLNode.h"

namespace GameTools {

using CorvantisEngine::FileError;

namespace {

// The C library's classification answers the same for ASCII in every locale; asking it only for the
// other characters keeps the scan fast.
bool IsVisible(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x80 ? code > 0x20 && code < 0x7F : std::iswgraph(static_cast<wint_t>(c)) != 0;
}

bool IsWhiteSpace(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x80 ? code == 0x20 || (code >= 0x09 && code <= 0x0D)
                     : std::iswspace(static_cast<wint_t>(c)) != 0;
}

bool IsQuote(wchar_t c) {
  return c == L'"' || c == L'\'';
}

std::string Narrow(const std::wstring& text) {
  return CorvantisEngine::WStringToStringCopy(text);
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

// One parse: the scanner's state over one text (see the header for the dialect). The tag buffer of the
// dialect is always one stretch of the text (from the tag's first visible character that does not
// mark a closing tag, up to the ">"), so tags are read as views into the text.
class Scanner {
 public:
  Scanner(XMLNode*& root, std::wstring_view text)
      : root_(root), text_(text), current_(root), rootSupplied_(root != nullptr) {}

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
  void ScanText();
  void BeginTag();
  void ScanTag();
  void SkipDeclaration();
  void CloseElement(std::wstring_view tag);
  void OpenElement(std::wstring_view tag);
  XMLNode* CreateElement(std::unique_ptr<XMLNode>& orphan);

  XMLNode*& root_;
  std::wstring_view text_;
  std::size_t index_ = 0;
  std::uint32_t line_ = 1;
  XMLNode* current_;
  const bool rootSupplied_;
  // Elements the text has opened and not closed (a supplied root is not counted).
  std::uint32_t depth_ = 0;
  std::wstring textBuffer_;
  bool inTag_ = false;
  bool closing_ = false;
  // Working buffers of OpenElement, kept to reuse their storage.
  std::wstring name_;
  std::wstring attributeName_;
  std::wstring value_;
};

void Scanner::Raise(Fault code) const {
  throw FileError("XML format error at line " + CorvantisEngine::UIntToString(line_) + ": code " +
                  CorvantisEngine::UIntToString(code));
}

bool Scanner::TextBufferHasContent() const {
  for (const wchar_t c : textBuffer_) {
    if (!IsWhiteSpace(c)) {
      return true;
    }
  }
  return false;
}

void Scanner::Run() {
  while (index_ < text_.size()) {
    if (inTag_) {
      ScanTag();
    } else {
      ScanText();
    }
  }
  if (inTag_) {
    Raise(kEndInsideTag);
  }
  if (!rootSupplied_ && root_ == nullptr) {
    Raise(kNoElement);
  }
}

// Character data up to the next "<", which begins a tag.
void Scanner::ScanText() {
  const std::size_t start = index_;
  const std::size_t end = std::min(text_.find(L'<', start), text_.size());
  if (current_ != nullptr) {
    const std::wstring_view run = text_.substr(start, end - start);
    line_ += static_cast<std::uint32_t>(std::count(run.begin(), run.end(), L'\n'));
    textBuffer_.append(run);
  } else {
    for (std::size_t i = start; i < end; ++i) {
      if (text_[i] == L'\n') {
        ++line_;
      } else if (IsVisible(text_[i])) {
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

void Scanner::BeginTag() {
  if (current_ != nullptr) {
    if (TextBufferHasContent()) {
      current_->GetValue().SetWideString(textBuffer_);
      textBuffer_.clear();
    }
  } else if (root_ != nullptr) {
    Raise(kAfterRoot);
  }
  inTag_ = true;
  closing_ = false;
}

// From just after "<" (or where the end of the text cut a tag short) to the ">" that ends the tag.
void Scanner::ScanTag() {
  // Before the buffer starts: blanks are dropped, "/" marks a closing tag, "?" a declaration.
  for (; index_ < text_.size(); ++index_) {
    const wchar_t c = text_[index_];
    if (c == L'\n') {
      ++line_;
    }
    if (c == L'/') {
      if (current_ == nullptr) {
        Raise(kCloseWithoutElement);
      }
      closing_ = true;
    } else if (c == L'?') {
      SkipDeclaration();
      return;
    } else if (c == L'>') {
      Raise(kEmptyTag);
    } else if (IsVisible(c)) {
      break;
    }
  }
  const std::size_t start = index_;
  bool inQuote = false;
  wchar_t quote = 0;
  for (; index_ < text_.size(); ++index_) {
    const wchar_t c = text_[index_];
    if (c == L'\n') {
      ++line_;
    } else if (IsQuote(c) && index_ > start) {
      if (!inQuote) {
        inQuote = true;
        quote = c;
      } else if (c == quote) {
        inQuote = false;
      }
    } else if (c == L'>' && !inQuote) {
      const std::wstring_view tag = text_.substr(start, index_ - start);
      if (closing_) {
        CloseElement(tag);
      } else {
        OpenElement(tag);
      }
      inTag_ = false;
      closing_ = false;
      ++index_;
      return;
    }
  }
}

void Scanner::SkipDeclaration() {
  ++index_;
  while (index_ < text_.size() && text_[index_] != L'>') {
    if (text_[index_] == L'\n') {
      ++line_;
    }
    ++index_;
  }
  if (index_ < text_.size()) {
    ++index_;
  }
  inTag_ = false;
  closing_ = false;
}

void Scanner::CloseElement(std::wstring_view tag) {
  while (!tag.empty() && IsWhiteSpace(tag.back())) {
    tag.remove_suffix(1);
  }
  // A supplied root was not opened by the text, so the text cannot close it either.
  if (depth_ == 0 || !EqualsNarrow(tag, current_->GetName())) {
    Raise(kCloseMismatch);
  }
  current_ = current_->GetParent();
  --depth_;
}

XMLNode* Scanner::CreateElement(std::unique_ptr<XMLNode>& orphan) {
  if (depth_ >= XMLParser::kMaxDepth) {
    Raise(kTooDeep);
  }
  auto* element = new XMLNode(Narrow(name_), current_);
  if (current_ == nullptr) {
    orphan.reset(element);  // becomes the root once its tag is complete
  }
  return element;
}

void Scanner::OpenElement(std::wstring_view tag) {
  name_.clear();
  attributeName_.clear();
  value_.clear();
  bool nameFinished = false;
  bool expectingName = false;
  bool equalsSeen = false;
  bool inValue = false;
  bool empty = false;
  wchar_t valueQuote = 0;
  XMLNode* element = nullptr;
  // An element made before any root exists has no parent to hold it until the tag is complete.
  std::unique_ptr<XMLNode> orphan;

  const std::size_t length = tag.size();
  for (std::size_t k = 0; k < length; ++k) {
    const wchar_t c = tag[k];
    if (inValue && c != valueQuote) {
      // Everything up to the closing quote belongs to the value: blanks, the other quote, "=", "/", ">".
      const std::size_t end = std::min(tag.find(valueQuote, k), length);
      value_.append(tag.substr(k, end - k));
      k = end - 1;
      continue;
    }
    const bool visible = IsVisible(c);
    if (!visible) {
      if (!nameFinished && !name_.empty()) {
        if (name_ == L"!--") {
          textBuffer_.clear();
          return;  // a comment: nothing is made
        }
        nameFinished = true;
        expectingName = true;
        element = CreateElement(orphan);
        element->ReserveAttributes(static_cast<std::size_t>(std::count(tag.begin() + k, tag.end(), L'=')));
      }
    } else if (!nameFinished) {
      if (c == L'/') {
        empty = true;
      } else {
        name_.push_back(c);
      }
    } else if (!expectingName) {
      if (!inValue) {
        if (!IsQuote(c)) {
          Raise(kValueWithoutQuote);
        }
        inValue = true;
        valueQuote = c;
      } else {
        const std::string attributeName = Narrow(attributeName_);
        if (element->HasAttribute(attributeName)) {
          Raise(kAttributeTwice);
        }
        element->SetAttribute(attributeName, value_);
        attributeName_.clear();
        value_.clear();
        equalsSeen = false;
        inValue = false;
        expectingName = true;
      }
    } else if (c == L'=') {
      if (attributeName_.empty()) {
        Raise(kEqualsWithoutName);
      }
      expectingName = false;
      equalsSeen = true;
    } else if (c == L'/') {
      if (!attributeName_.empty()) {
        Raise(kSlashAfterName);
      }
      if (k + 1 != length) {
        Raise(kSlashBeforeEnd);
      }
      empty = true;
    } else {
      attributeName_.push_back(c);
    }
  }

  if (expectingName && !attributeName_.empty()) {
    Raise(kNameWithoutValue);
  }
  if (equalsSeen) {
    Raise(kValueUnfinished);
  }
  if (element == nullptr) {
    element = CreateElement(orphan);
  }
  if (orphan) {
    root_ = orphan.release();
  }
  if (!empty) {
    current_ = element;
    ++depth_;
  }
  textBuffer_.clear();
}

}  // namespace

XMLParser::XMLParser(CorvantisEngine::FileManager* files) : files_(files) {}

void XMLParser::ParseText(XMLNode*& root, const std::string& fileName) {
  std::wstring text;
  {
    std::unique_ptr<CorvantisEngine::FileTextual> file(files_->OpenTextFile(fileName, false, 0));
    file->ReadText(text, false);
  }
  ParseWideText(root, text);
}

void XMLParser::Parse(XMLNode* root, const std::string& fileName) {
  XMLNode* target = root;
  ParseText(target, fileName);
  if (root == nullptr) {
    delete target;  // nobody could receive a root made here
  }
}

void XMLParser::ParseWideText(XMLNode*& root, std::wstring_view text) {
  const bool created = root == nullptr;
  try {
    Scanner(root, text).Run();
  } catch (...) {
    if (created) {
      delete root;
      root = nullptr;
    }
    throw;
  }
}

}  // namespace GameTools
