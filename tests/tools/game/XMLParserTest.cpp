#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"
#include "support/TempFolder.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"

namespace GameTools {
namespace {

using CorvantisEngine::FileError;

// A compact picture of a tree: name, attributes in list order, text, children.
// <a x="1"><b/>t</a> gives a[x=1]("t"){b}.
std::string Dump(const XMLNode& node) {
  std::string out = node.GetName();
  if (!node.GetAttributeList().empty()) {
    out += "[";
    for (const auto& attribute : node.GetAttributeList()) {
      out +=
          (out.back() == '[' ? "" : ",") + std::string(attribute->name) + "=" + attribute->value.GetString();
    }
    out += "]";
  }
  if (!node.GetValue().GetString().empty()) {
    out += "(\"" + node.GetValue().GetString() + "\")";
  }
  if (!node.GetChildList().empty()) {
    out += "{";
    for (const XMLNode* child : node.GetChildList()) {
      out += (out.back() == '{' ? "" : ",") + Dump(*child);
    }
    out += "}";
  }
  return out;
}

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// Parses with no root supplied; the dump of the root, or "fault: <message>". The text is parsed both
// lent (scanned wide as it stands) and handed over (scanned narrow when it is plain ASCII): both must
// read the same.
std::string ParseAloneOnce(const std::wstring& text, bool handOver) {
  XMLNode* root = nullptr;
  try {
    if (handOver) {
      XMLParser::ParseWideText(root, std::wstring(text));
    } else {
      XMLParser::ParseWideText(root, text);
    }
  } catch (const FileError& error) {
    EXPECT_EQ(root, nullptr) << "a fault deletes the tree the parser made";
    return "fault: " + error.GetMessage();
  }
  std::unique_ptr<XMLNode> owner(root);
  return root == nullptr ? "null" : Dump(*root);
}
std::string ParseAlone(const std::string& text) {
  const std::string lent = ParseAloneOnce(Widen(text), false);
  EXPECT_EQ(ParseAloneOnce(Widen(text), true), lent) << "handed over: " << text;
  return lent;
}

// Parses into a supplied nameless root; the dump of that root (its top elements as children), lent
// and handed over as above.
std::string ParseIntoOnce(const std::wstring& text, bool handOver) {
  XMLNode root;
  try {
    XMLNode* pointer = &root;
    if (handOver) {
      XMLParser::ParseWideText(pointer, std::wstring(text));
    } else {
      XMLParser::ParseWideText(pointer, text);
    }
    EXPECT_EQ(pointer, &root);
  } catch (const FileError& error) {
    return "fault: " + error.GetMessage() + " " + Dump(root);
  }
  return Dump(root);
}
std::string ParseInto(const std::string& text) {
  const std::string lent = ParseIntoOnce(Widen(text), false);
  EXPECT_EQ(ParseIntoOnce(Widen(text), true), lent) << "handed over: " << text;
  return lent;
}

std::string Fault(int line, int code) {
  return "fault: XML format error at line " + std::to_string(line) + ": code " + std::to_string(code);
}

TEST(XMLParser, FaultCodesTable) {
  struct Row {
    std::string text;
    std::string fault;
    const char* why;
  };
  const Row rows[] = {
      {"\r\n</a>", Fault(2, 0), "closing tag before any element"},
      {"<a>\r\n<>", Fault(2, 1), "empty brackets"},
      {"<a>< \t></a>", Fault(1, 1), "only blanks inside"},
      {"<a></>", Fault(1, 1), "closing tag without a name"},
      {"<a>\r\n<b>\r\n</a>", Fault(3, 2), "element closed by its parent's closing tag"},
      {"<a></A>", Fault(1, 2), "letter case differs"},
      {"<a x\r\n=\"1\" =\"2\"/>", Fault(2, 4), "= with no name before it"},
      {"<a / >", Fault(1, 5), "/ followed by a blank"},
      {"<a b=\"1\" /c>", Fault(1, 5), "/ where a name would start, not last"},
      {"<a b/>", Fault(1, 6), "/ right after an attribute name"},
      {"<a b='1' b=\"2\"/>", Fault(1, 7), "the same attribute twice"},
      {"<a xy='1' z='2' xy='3'/>", Fault(1, 7), "a name repeated after another"},
      {"<a b=1/>", Fault(1, 8), "unquoted value"},
      {"<a b>", Fault(1, 10), "name alone at the end"},
      {"<a b=>", Fault(1, 11), "= directly followed by >"},
      {"<a b='1>", Fault(1, 14), "an open quote swallows the >"},
      {"<a>\r\n<b c=\r\n>", Fault(3, 11), "= at the end of a tag two lines down"},
      {"<a/><!-- c -->", Fault(1, 12), "a comment after the root"},
      {"<a/>\r\n<?xml?>", Fault(2, 12), "a declaration after the root"},
      {"<a/><b/>", Fault(1, 12), "a second top element"},
      {"x<a/>", Fault(1, 13), "text before the root"},
      {"<a/>\r\n\r\n  y", Fault(3, 13), "text after the root"},
      {"<a><b", Fault(1, 14), "the text ends inside a tag"},
      {"<a>\r\n</", Fault(2, 14), "the text ends after </"},
      {"", Fault(1, 15), "empty"},
      {"<!-- only a comment -->\r\n  ", Fault(2, 15), "comments and blanks"},
      {"<?xml version=\"1.0\"?>", Fault(1, 15), "a declaration alone"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ParseAlone(row.text), row.fault) << row.why << ": " << row.text;
  }
}

TEST(XMLParser, StructureTable) {
  struct Row {
    std::string text;
    std::string tree;
    const char* why;
  };
  const Row rows[] = {
      {"<?xml version='1.0'?>\r\n<a/>", "a", "declaration, then one empty element"},
      {"<a x='1' y=\"2\"></a>", "a[x=1,y=2]", "single and double quotes"},
      {"<a x=\"b>c\" y='say \"hi\"'/>", "a[x=b>c,y=say \"hi\"]", "> and the other quote inside a value"},
      {"<a  x = '1'y='2' />", "a[x=1,y=2]", "blanks around = and no blank between attributes"},
      {"<a x='one two'/>", "a[x=one two]", "blanks inside a value"},
      {"<a axb='1' ayb='2' ab='3' b='4'/>", "a[axb=1,ayb=2,ab=3,b=4]",
       "names alike in length and first and last character are still different names"},
      {"<a/ >", "a", "/ then a blank, before the name is finished"},
      {"<a />", "a", "/ after a blank as the last character"},
      {"<a></a  >", "a", "blanks after a closing tag's name"},
      {"< a></a>", "a", "blanks before the name"},
      {"<a>  x  </a>", "a(\"  x  \")", "text keeps its blanks"},
      {"<a>x<b/>y</a>", "a(\"y\"){b}", "the last run wins"},
      {"<a>\r\n  <b>t</b>\r\n</a>", "a{b(\"t\")}", "a child on its own line leaves no text"},
      {"<a>&amp;&lt;></a>", "a(\"&amp;&lt;>\")", "no entities"},
      {"<a><!-- note 'x' > y --></a>", "a(\" y -->\")", "a comment ends at its first > outside quotes"},
      {"<a><!-- c -->  <b/></a>", "a{b}", "a comment makes nothing"},
      {"<a><!---->", "a{!----}", "no blank after <!--: an open element"},
      {"<a><b>", "a{b}", "elements still open at the end are kept"},
      {"<a\r\nx='1'\r\n/>", "a[x=1]", "line breaks are blanks inside tags"},
      {"<a>\r\n<?pi <b> ?>\r\n</a>", "a(\"\r\n ?>\r\n\")",
       "a declaration skips to its first >; blanks before it join the run"},
      {"<a><?unfinished", "a", "a declaration may run to the end"},
      {"<a>one<!-- c -->two</a>", "a(\"two\")", "a comment ends the run before it"},
      {"<a>  <b/>x</a>", "a(\"x\"){b}", "blanks are emptied when a tag opens"},
      {"<a><b>x</b>  </a><?x?>", "fault: XML format error at line 1: code 12",
       "a declaration after the root"},
      {"<a><b>t</b>\r\n  </a>", "a{b(\"t\")}", "white space alone is never stored"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ParseAlone(row.text), row.tree) << row.why << ": " << row.text;
  }
}

TEST(XMLParser, SuppliedRootTable) {
  struct Row {
    std::string text;
    std::string tree;
    const char* why;
  };
  const Row rows[] = {
      {"", "", "an empty file adds nothing"},
      {"<!-- c -->\r\n", "", "comments only"},
      {"<a/><b x='1'/>", "{a,b[x=1]}", "any number of top elements"},
      {"<a/>text<b/>", "(\"text\"){a,b}", "text between top elements goes to the root"},
      {"<a/>\r\n<b>\r\n</c>", "fault: XML format error at line 3: code 2 {a,b}",
       "what was read stays attached"},
      {"</a>", "fault: XML format error at line 1: code 2 ", "the text cannot close the supplied root"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ParseInto(row.text), row.tree) << row.why << ": " << row.text;
  }
}

TEST(XMLParser, NestingLimit) {
  std::string deep;
  for (std::uint32_t i = 0; i < XMLParser::kMaxDepth; ++i) {
    deep += "<d>";
  }
  EXPECT_EQ(ParseAlone(deep).substr(0, 3), "d{d") << "the limit itself is allowed";
  EXPECT_EQ(ParseAlone(deep + "<e/>"), Fault(1, 16)) << "even an empty element";
  EXPECT_EQ(ParseAlone(deep + "</d><e/>").substr(0, 3), "d{d") << "closing makes room";
  std::string huge;
  for (int i = 0; i < 100000; ++i) {
    huge += "<d>\n";
  }
  EXPECT_EQ(ParseAlone(huge), Fault(XMLParser::kMaxDepth + 1, 16));
}

// The file is decoded by the engine's text reader: the same tree from each encoding.
TEST(XMLParser, SameTreeFromEveryEncoding) {
  testsupport::TempFolder temp;
  const std::string text =
      "<?xml version=\"1.0\"?>\r\n<window name='main' size=\"800 600\">\r\n  <button x='1'>Play</button>\r\n"
      "  <!-- the end -->\r\n</window>\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : text) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  temp.Write("ansi.xml", text);
  temp.Write("utf8.xml", "\xEF\xBB\xBF" + text);
  temp.Write("utf16.xml", utf16);
  CorvantisEngine::FileManager files(nullptr, temp.Win(), "", "");
  XMLParser parser(&files);
  for (const char* name : {"ansi.xml", "utf8.xml", "utf16.xml"}) {
    XMLNode* root = nullptr;
    parser.ParseText(root, name);
    std::unique_ptr<XMLNode> owner(root);
    EXPECT_EQ(Dump(*root), "window[name=main,size=800 600]{button[x=1](\"Play\")}") << name;

    XMLNode document;
    parser.Parse(&document, name);
    EXPECT_EQ(Dump(document), "{window[name=main,size=800 600]{button[x=1](\"Play\")}}") << name;
  }

  temp.Write("accent.xml", "\xEF\xBB\xBF<t v='caf\xC3\xA9'>\xE2\x82\xAC</t>");
  XMLNode document;
  parser.Parse(&document, "accent.xml");
  const XMLNode* t = document.FindChild("t");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetAttribute("v")->GetWideString(), L"caf\u00e9") << "values stay wide";
  EXPECT_EQ(t->GetValue().GetWideString(), L"\u20ac");
  EXPECT_EQ(t->GetValue().GetKind(), XMLValue::kWide) << "the narrow form is made only when asked";
}

// Decoded text handed over is narrowed only while every character is plain ASCII other than zero:
// a character just past that range (or far past it, or zero) anywhere in a block of the text sends
// the whole text down the wide path, which reads it as it stands.
TEST(XMLParser, HandedOverTextBeyondAsciiIsReadWide) {
  const std::wstring base = L"<a v='0123456789abcdefghijklmnopqrstuvwxyz'>text of the element</a>";
  for (const wchar_t odd :
       {wchar_t{0x7F}, wchar_t{0x80}, wchar_t{0xE9}, wchar_t{0xFF}, wchar_t{0x100}, wchar_t{0x7FFF},
        wchar_t{0x8000}, wchar_t{0xFFFF}, wchar_t{0x10000}, wchar_t{0}}) {
    for (const std::size_t at : {std::size_t{8}, std::size_t{15}, std::size_t{16}, std::size_t{31},
                                 std::size_t{47}, base.size() - 6}) {
      std::wstring text = base;
      text[at] = odd;
      XMLNode* lent = nullptr;
      XMLParser::ParseWideText(lent, text);
      std::unique_ptr<XMLNode> lentOwner(lent);
      XMLNode* handed = nullptr;
      XMLParser::ParseWideText(handed, std::wstring(text));
      std::unique_ptr<XMLNode> handedOwner(handed);
      ASSERT_NE(lent, nullptr);
      ASSERT_NE(handed, nullptr);
      EXPECT_EQ(handed->GetAttribute("v")->GetWideString(), lent->GetAttribute("v")->GetWideString())
          << static_cast<unsigned>(odd) << " at " << at;
      EXPECT_EQ(handed->GetValue().GetWideString(), lent->GetValue().GetWideString())
          << static_cast<unsigned>(odd) << " at " << at;
      EXPECT_EQ(handed->GetAttribute("v")->GetWideString().size(), 36u);
    }
  }
}

// Bytes in memory give the tree (or the fault) that the engine's text reader and the wide parser give,
// whether they are scanned as they stand (plain ASCII) or decoded first.
TEST(XMLParser, BytesReadLikeTheDecodedText) {
  struct Row {
    std::string bytes;
    const char* why;
  };
  const std::string utf16 = std::string("\xFF\xFE<\0a\0 \0x\0=\0'\0\xE9\0'\0/\0>\0", 20);
  std::vector<Row> rows = {
      {"<a x='1'>t<b/>\r\n</a>\r\n", "CR LF line ends"},
      {"<a x='1\n2'>\n\nt\n<b\n/>\n</a\n>\n<c>", "LF line ends, inside values and texts too"},
      {"<a>\r\r<b x='\r'/>\r\n\n</a>\r", "lone CRs and mixed ends"},
      {"<a>\n\n<b x=1/></a>", "a fault counts LF lines"},
      {"<a>\r\r\r<b x=1/></a>", "a fault counts CR lines"},
      {"<a>\r\n\n<b", "the text ends inside a tag"},
      {"<a  b = '1\r2'\nc='3\n'/>", "line ends in values of a tag read the general way"},
      {"<a><b>\n</b>\ny\r</a>", "a text joined from runs across a closing tag"},
      {"<a>\n<b x='\n'>\r</b>\r\n</a>", "line ends of every kind into a supplied root's children"},
      {"\n\r\n\r<a>\r</b>", "a fault after every kind of line end"},
      {"<a>\r<b>\r\n</c>", "a fault right after a lone CR and a CR LF"},
      {"\r<?xml v='1'?>\n\r/<?p?>=\r", "a CR ending one piece of a text and an LF beginning the next"},
      {"\xEF\xBB\xBF<a v='x'>y</a>", "UTF-8 mark, ASCII after it"},
      {"\xEF\xBB\xBF<a v='caf\xC3\xA9'>\xE2\x82\xAC\n</a>", "UTF-8 beyond ASCII"},
      {"\xEF\xBB<a/>", "an incomplete mark is 8-bit text"},
      {"<a v='x'>\xE9</a>", "8-bit text beyond ASCII"},
      {std::string("<a v='x\0y'>t\0u</a>", 19), "a zero byte"},
      {utf16, "UTF-16"},
      {"", "nothing"},
  };
  // Line ends and other bytes at every place around the blocks the bytes are looked at in.
  for (std::size_t pad = 9; pad < 28; ++pad) {
    for (const char* end : {"\r\n", "\r", "\n", "\r\r\n", "\xE9"}) {
      rows.push_back({"<a>" + std::string(pad, ' ') + end + "t<b/>" + std::string(40 - pad, ' ') + "</a>\r\n",
                      "line ends and other bytes in between"});
    }
  }
  for (const Row& row : rows) {
    std::wstring decoded;
    {
      CorvantisEngine::FileTextual file(
          nullptr,
          new CorvantisEngine::FileBinary(nullptr, "t.xml", false, false, true,
                                          static_cast<std::uint32_t>(row.bytes.size()), row.bytes.data()),
          false, 0);
      file.ReadText(decoded, false);
    }
    for (const bool supplied : {false, true}) {
      const auto parse = [&](auto parser) {
        XMLNode document;
        XMLNode* root = supplied ? &document : nullptr;
        std::string result;
        try {
          parser(root);
        } catch (const FileError& error) {
          result = "fault: " + error.GetMessage() + " ";
        }
        if (root != nullptr) {
          result += Dump(*root);
          // Values and texts are wide as after the wide parse, and read the same wide.
          std::vector<const XMLNode*> pending = {root};
          while (!pending.empty()) {
            const XMLNode* node = pending.back();
            pending.pop_back();
            result += " " + std::to_string(node->GetValue().GetWideString().size());
            for (const XMLAttribute* attribute : node->GetAttributeList()) {
              result += std::to_string(attribute->value.GetKind()) + "/" +
                        std::to_string(attribute->value.GetWideString().size());
            }
            pending.insert(pending.end(), node->GetChildList().begin(), node->GetChildList().end());
          }
        }
        if (!supplied && root != nullptr) {
          delete root;
        }
        return result;
      };
      const std::string fromText = parse([&](XMLNode*& root) { XMLParser::ParseWideText(root, decoded); });
      const std::string fromTaken =
          parse([&](XMLNode*& root) { XMLParser::ParseWideText(root, std::wstring(decoded)); });
      EXPECT_EQ(fromTaken, fromText) << row.why << " handed over" << (supplied ? " (into a root)" : "");
      const std::string fromBytes = parse([&](XMLNode*& root) { XMLParser::ParseBytes(root, row.bytes); });
      EXPECT_EQ(fromBytes, fromText) << row.why << (supplied ? " (into a root)" : "");
    }
  }
}

// A tree parsed from bytes keeps its texts however its parts are kept: the bytes may go or change,
// moved subtrees and copied values outlive the document, and a supplied root keeps what it was given.
TEST(XMLParser, ParsedTextsOutliveTheBytesAndTheDocument) {
  auto bytes = std::make_unique<std::string>(
      "top text\r\n<w name='main' size=\"800 600\"><b x='1' label='Play the game'>Go</b><c/></w>\r\n");
  auto document = std::make_unique<XMLNode>();
  XMLNode* root = document.get();
  XMLParser::ParseBytes(root, *bytes);
  bytes->assign(bytes->size(), 'x');
  bytes.reset();

  XMLNode* window = document->FindChild("w");
  ASSERT_NE(window, nullptr);
  XMLNode* button = window->FindChild("b");
  ASSERT_NE(button, nullptr);
  const XMLValue size = *window->GetAttribute("size");
  XMLNode other;
  other.AddChild(button);
  window->RemoveChild(window->FindChild("c"));
  const std::string rootText = document->GetValue().GetString();
  document.reset();

  EXPECT_EQ(rootText, "top text\r\n");
  EXPECT_EQ(size.GetWideString(), L"800 600");
  EXPECT_EQ(size.GetVector2(), (CorvantisEngine::Vector2{800.0f, 600.0f}));
  EXPECT_EQ(Dump(other), "{b[x=1,label=Play the game](\"Go\")}");
  EXPECT_EQ(button->GetAttribute("label")->GetWideString(), L"Play the game");
  EXPECT_EQ(button->GetAttribute("x")->GetInt(), 1);

  XMLNode supplied;
  {
    const std::string text = "loose<a/>";
    XMLNode* into = &supplied;
    XMLParser::ParseBytes(into, text);
  }
  supplied.RemoveChild(supplied.FindChild("a"));
  EXPECT_EQ(supplied.GetValue().GetWideString(), L"loose") << "the supplied root holds its own copy";
}

// Attribute names belong to the tree, whichever way they were read: straight from the bytes, run
// together from pieces, narrowed from wide text, or set after the parse from a string that goes. They
// stay readable after the document, the text and those strings are gone, in moved subtrees too.
TEST(XMLParser, AttributeNamesLiveAsLongAsTheirElements) {
  struct Source {
    const char* why;
    void (*parse)(XMLNode*&, const std::string&);
  };
  const Source sources[] = {
      {"bytes", [](XMLNode*& root, const std::string& text) { XMLParser::ParseBytes(root, text); }},
      {"handed over",
       [](XMLNode*& root, const std::string& text) { XMLParser::ParseWideText(root, Widen(text)); }},
      {"lent",
       [](XMLNode*& root, const std::string& text) {
         const std::wstring wide = Widen(text);
         XMLParser::ParseWideText(root, wide);
       }},
      {"UTF-8 bytes",
       [](XMLNode*& root, const std::string& text) {
         XMLParser::ParseBytes(root, "\xEF\xBB\xBF" + text + "<!-- \xC3\xA9 -->");
       }},
  };
  for (const Source& source : sources) {
    auto text = std::make_unique<std::string>(
        "<w>\r\n<b id='one' na me=\"pieces\" a\r\nb='line'>x</b>"
        "<c first='1' second='2' third='3' fourth='4' fifth='5' sixth='6' seventh='7' eighth='8' "
        "ninth='9' tenth='10' eleventh='11' twelfth='12' thirteenth='13' fourteenth='14' "
        "fifteenth='15' sixteenth='16' seventeenth='17'/></w>");
    auto document = std::make_unique<XMLNode>();
    XMLNode* root = document.get();
    source.parse(root, *text);
    text->assign(text->size(), '?');
    text.reset();
    XMLNode* window = document->FindChild("w");
    ASSERT_NE(window, nullptr) << source.why;
    XMLNode* button = window->FindChild("b");
    ASSERT_NE(button, nullptr) << source.why;
    {
      const std::string added = "added_after_the_parse_with_a_long_name";
      button->SetAttribute(added, L"later");
    }
    XMLNode kept;
    kept.AddChild(button);
    kept.AddChild(window->FindChild("c"));
    document.reset();
    EXPECT_EQ(Dump(kept),
              "{b[id=one,name=pieces,ab=line,added_after_the_parse_with_a_long_name=later](\"x\"),"
              "c[first=1,second=2,third=3,fourth=4,fifth=5,sixth=6,seventh=7,eighth=8,ninth=9,tenth=10,"
              "eleventh=11,twelfth=12,thirteenth=13,fourteenth=14,fifteenth=15,sixteenth=16,seventeenth=17]}")
        << source.why;
    EXPECT_EQ(button->GetAttribute("added_after_the_parse_with_a_long_name")->GetString(), "later");
    EXPECT_EQ(kept.FindChild("c")->GetAttribute("seventeenth")->GetInt(), 17) << source.why;
  }
}

// Tags with many attributes: every one is found, and a repeat is caught however many came before.
TEST(XMLParser, ManyAttributes) {
  for (const int count : {3, 17, 70, 300}) {
    std::string tag = "<a";
    for (int i = 0; i < count; ++i) {
      tag += " n" + std::to_string(i) + "='" + std::to_string(i * 3) + "'";
    }
    XMLNode* root = nullptr;
    XMLParser::ParseBytes(root, tag + "/>");
    std::unique_ptr<XMLNode> owner(root);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetAttributeList().size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const XMLValue* value = root->GetAttribute("n" + std::to_string(i));
      ASSERT_NE(value, nullptr) << count << " " << i;
      EXPECT_EQ(value->GetInt(), i * 3);
    }
    EXPECT_EQ(root->GetAttribute("n"), nullptr);

    for (const int repeated : {0, count / 2, count - 1}) {
      XMLNode* again = nullptr;
      try {
        XMLParser::ParseBytes(again, tag + " n" + std::to_string(repeated) + "='x'/>");
        ADD_FAILURE() << "a repeated attribute among " << count << " was accepted";
        delete again;
      } catch (const FileError& error) {
        EXPECT_EQ("fault: " + error.GetMessage(), Fault(1, 7));
      }
    }
  }
}

// Parsed elements keep their attribute lists in the parse's memory; adding to them afterwards keeps the
// parsed records and their order, whether the tag was read in one pass or by the general rules.
TEST(XMLParser, ParsedElementsTakeMoreAttributes) {
  for (const std::string tag : {"<e a='1' b=\"2\"/>", "<e a = '1' b='2' />", "<e a='1'b='2'/>"}) {
    XMLNode* root = nullptr;
    XMLParser::ParseBytes(root, tag);
    std::unique_ptr<XMLNode> owner(root);
    ASSERT_NE(root, nullptr) << tag;
    root->SetAttribute("b", L"two");
    std::string expected = "e[a=1,b=two";
    for (int i = 0; i < 20; ++i) {
      const std::string name = "n" + std::to_string(i);
      if (i % 2 == 0) {
        root->SetAttribute(name, std::to_wstring(i));
      } else {
        root->AddAttribute(name)->SetWideString(std::to_wstring(i));
      }
      expected += "," + name + "=" + std::to_string(i);
      if (i == 5) {
        root->ReserveAttributes(40);
      }
    }
    EXPECT_EQ(Dump(*root), expected + "]") << tag;
    EXPECT_EQ(root->AddAttribute("a"), nullptr) << tag;
    EXPECT_EQ(root->GetAttribute("a")->GetInt(), 1) << tag;
    EXPECT_EQ(root->GetAttribute("n19")->GetInt(), 19) << tag;
  }
}

TEST(XMLParser, FileFaults) {
  testsupport::TempFolder temp;
  temp.Write("broken.xml", "<a>\r\n\r\n<b x=1/>\r\n</a>");
  CorvantisEngine::FileManager files(nullptr, temp.Win(), "", "");
  XMLParser parser(&files);
  XMLNode* root = nullptr;
  try {
    parser.ParseText(root, "broken.xml");
    ADD_FAILURE() << "no fault";
  } catch (const FileError& error) {
    EXPECT_EQ(error.GetMessage(), "XML format error at line 3: code 8");
  }
  EXPECT_EQ(root, nullptr);
  try {
    parser.ParseText(root, "missing.xml");
    ADD_FAILURE() << "no fault";
  } catch (const FileError& error) {
    EXPECT_NE(error.GetMessage().find("missing.xml"), std::string::npos) << error.GetMessage();
  }
  temp.Write("ok.xml", "<a><b/></a>");
  parser.Parse(nullptr, "ok.xml");  // only checks the file; nothing leaks
}

}  // namespace
}  // namespace GameTools
