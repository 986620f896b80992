#include "tools/game/XMLParser.h"

#include <cwctype>
#include <memory>
#include <utility>

#include "engine/core/Engine.h"
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

// Names are nearly always ASCII, which every narrow character set shares; the rest goes through the
// engine's locale conversion.
std::string Narrow(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    if (static_cast<std::uint32_t>(c) >= 0x80) {
      return CorvantisEngine::WStringToStringCopy(text);
    }
    out.push_back(static_cast<char>(c));
  }
  return out;
}

// One parse: the scanner's state over one text (see the header for the dialect).
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
  void BeginTag();
  void ScanTagCharacter(wchar_t c);
  void SkipDeclaration();
  void EndTag();
  void CloseElement();
  void OpenElement();
  XMLNode* CreateElement(const std::wstring& name, std::unique_ptr<XMLNode>& orphan);

  XMLNode*& root_;
  std::wstring_view text_;
  std::size_t index_ = 0;
  std::uint32_t line_ = 1;
  XMLNode* current_;
  const bool rootSupplied_;
  // Elements the text has opened and not closed (a supplied root is not counted).
  std::uint32_t depth_ = 0;
  std::wstring tag_;
  std::wstring textBuffer_;
  bool inTag_ = false;
  bool closing_ = false;
  bool inQuote_ = false;
  wchar_t quote_ = 0;
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
  for (; index_ < text_.size(); ++index_) {
    const wchar_t c = text_[index_];
    if (c == L'\n') {
      ++line_;
    }
    if (inTag_) {
      ScanTagCharacter(c);
    } else if (c == L'<') {
      BeginTag();
    } else if (current_ != nullptr) {
      textBuffer_.push_back(c);
    } else if (IsVisible(c)) {
      Raise(kTextOutside);
    }
  }
  if (inTag_) {
    Raise(kEndInsideTag);
  }
  if (!rootSupplied_ && root_ == nullptr) {
    Raise(kNoElement);
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
}

void Scanner::ScanTagCharacter(wchar_t c) {
  if (c == L'/' && tag_.empty()) {
    if (current_ == nullptr) {
      Raise(kCloseWithoutElement);
    }
    closing_ = true;
  } else if (IsQuote(c) && !tag_.empty()) {
    if (!inQuote_) {
      inQuote_ = true;
      quote_ = c;
    } else if (c == quote_) {
      inQuote_ = false;
    }
    tag_.push_back(c);
  } else if (inQuote_) {
    tag_.push_back(c);
  } else if (c == L'?' && tag_.empty()) {
    SkipDeclaration();
  } else if (c == L'>') {
    EndTag();
  } else if (IsVisible(c) || !tag_.empty()) {
    tag_.push_back(c);
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
  inTag_ = false;
  closing_ = false;
}

void Scanner::EndTag() {
  if (tag_.empty()) {
    Raise(kEmptyTag);
  }
  if (closing_) {
    CloseElement();
  } else {
    OpenElement();
  }
  tag_.clear();
  inTag_ = false;
  closing_ = false;
  inQuote_ = false;
}

void Scanner::CloseElement() {
  std::string name = Narrow(tag_);
  CorvantisEngine::StringTrimRight(name);
  // A supplied root was not opened by the text, so the text cannot close it either.
  if (depth_ == 0 || name != current_->GetName()) {
    Raise(kCloseMismatch);
  }
  current_ = current_->GetParent();
  --depth_;
}

XMLNode* Scanner::CreateElement(const std::wstring& name, std::unique_ptr<XMLNode>& orphan) {
  if (depth_ >= XMLParser::kMaxDepth) {
    Raise(kTooDeep);
  }
  auto* element = new XMLNode(Narrow(name), current_);
  if (current_ == nullptr) {
    orphan.reset(element);  // becomes the root once its tag is complete
  }
  return element;
}

void Scanner::OpenElement() {
  std::wstring name;
  std::wstring attributeName;
  std::wstring value;
  bool nameFinished = false;
  bool expectingName = false;
  bool equalsSeen = false;
  bool inValue = false;
  bool empty = false;
  wchar_t valueQuote = 0;
  XMLNode* element = nullptr;
  // An element made before any root exists has no parent to hold it until the tag is complete.
  std::unique_ptr<XMLNode> orphan;

  const std::size_t length = tag_.size();
  for (std::size_t k = 0; k < length; ++k) {
    const wchar_t c = tag_[k];
    const bool visible = IsVisible(c);
    if (name.empty() && !visible) {
      continue;
    }
    if (!visible) {
      if (!nameFinished) {
        if (name == L"!--") {
          textBuffer_.clear();
          return;  // a comment: nothing is made
        }
        nameFinished = true;
        expectingName = true;
        element = CreateElement(name, orphan);
      } else if (inValue) {
        value.push_back(c);
      }
    } else if (!nameFinished) {
      if (c == L'/') {
        empty = true;
      } else {
        name.push_back(c);
      }
    } else if (!expectingName) {
      if (!inValue) {
        if (!IsQuote(c)) {
          Raise(kValueWithoutQuote);
        }
        inValue = true;
        valueQuote = c;
      } else if (c == valueQuote) {
        std::string narrowName = Narrow(attributeName);
        if (element->HasAttribute(narrowName)) {
          Raise(kAttributeTwice);
        }
        element->SetAttribute(narrowName, std::move(value));
        attributeName.clear();
        value.clear();
        equalsSeen = false;
        inValue = false;
        expectingName = true;
      } else {
        value.push_back(c);
      }
    } else if (c == L'=') {
      if (attributeName.empty()) {
        Raise(kEqualsWithoutName);
      }
      expectingName = false;
      equalsSeen = true;
    } else if (c == L'/') {
      if (!attributeName.empty()) {
        Raise(kSlashAfterName);
      }
      if (k + 1 != length) {
        Raise(kSlashBeforeEnd);
      }
      empty = true;
    } else {
      attributeName.push_back(c);
    }
  }

  if (expectingName && !attributeName.empty()) {
    Raise(kNameWithoutValue);
  }
  if (equalsSeen) {
    Raise(kValueUnfinished);
  }
  if (element == nullptr) {
    element = CreateElement(name, orphan);
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

XMLParser::XMLParser(CorvantisEngine::Engine* engine) : files_(engine->GetFileManager()) {}

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
