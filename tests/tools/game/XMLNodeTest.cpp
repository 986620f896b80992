#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/game/XMLNode.h"
#include "tools/game/XMLValue.h"

namespace GameTools {
namespace {

XMLValue Narrow(const std::string& text) {
  XMLValue value;
  value.SetString(text);
  return value;
}

XMLValue Wide(const std::wstring& text) {
  XMLValue value;
  value.SetWideString(text);
  return value;
}

std::vector<std::string> Names(const std::vector<XMLNode*>& nodes) {
  std::vector<std::string> names;
  for (const XMLNode* node : nodes) {
    names.push_back(node->GetName() + "=" + node->GetValue().GetString());
  }
  return names;
}

TEST(XMLValue, ConvertsTheStaleFormOnce) {
  XMLValue value;
  EXPECT_EQ(value.GetKind(), XMLValue::kBoth);
  value.SetWideString(L"caf\u00e9 1");
  EXPECT_EQ(value.GetKind(), XMLValue::kWide);
  const std::string& narrow = value.GetString();
  EXPECT_EQ(value.GetKind(), XMLValue::kBoth);
  EXPECT_EQ(&value.GetString(), &narrow) << "the converted form is kept, not made again";
  EXPECT_EQ(value.GetWideString(), L"caf\u00e9 1");

  value.SetString("abc");
  EXPECT_EQ(value.GetKind(), XMLValue::kNarrow);
  EXPECT_EQ(value.GetWideString(), L"abc");
  EXPECT_EQ(value.GetKind(), XMLValue::kBoth);
}

// ASCII set as wide but handed over narrow reads exactly like SetWideString, in either order of reads.
TEST(XMLValue, WideAsciiReadsLikeWideText) {
  XMLValue value;
  value.SetWideAscii(" 12 -3.5 x");
  EXPECT_EQ(value.GetKind(), XMLValue::kWide);
  EXPECT_EQ(value.GetInt(), 12);
  EXPECT_EQ(value.GetVector2(), (CorvantisEngine::Vector2{12.0f, -3.5f}));
  EXPECT_EQ(value.GetWideString(), L" 12 -3.5 x");
  EXPECT_EQ(value.GetKind(), XMLValue::kWide) << "the wide form needs no narrow one";
  EXPECT_EQ(value.GetString(), " 12 -3.5 x");
  EXPECT_EQ(value.GetKind(), XMLValue::kBoth);

  XMLValue narrowFirst;
  narrowFirst.SetWideAscii("7");
  EXPECT_EQ(narrowFirst.GetString(), "7");
  EXPECT_EQ(narrowFirst.GetKind(), XMLValue::kBoth);
  EXPECT_EQ(narrowFirst.GetWideString(), L"7") << "made even after the narrow form was read";
  const XMLValue copy = narrowFirst;
  EXPECT_EQ(copy.GetWideString(), L"7");

  value.SetWideString(L"caf\u00e9");
  EXPECT_EQ(value.GetWideString(), L"caf\u00e9") << "setting again drops the pending ASCII";
  value.SetWideAscii("a");
  value.SetString("b");
  EXPECT_EQ(value.GetWideString(), L"b");
}

// A value copied or assigned from any state (set narrow, wide, as ASCII, borrowed narrow or wide, with
// one form already converted) reads the same text as its original, and holds its own characters: the
// borrowed ones may change or go afterwards.
TEST(XMLValue, CopiesHoldTheirOwnTextFromEveryState) {
  std::string narrowChars = "4 5";
  std::wstring wideChars = L"caf\u00e9 6";
  struct State {
    const char* why;
    void (*set)(XMLValue&, std::string&, std::wstring&);
    std::wstring text;
  };
  const State states[] = {
      {"new", [](XMLValue&, std::string&, std::wstring&) {}, L""},
      {"narrow", [](XMLValue& v, std::string&, std::wstring&) { v.SetString("1 2"); }, L"1 2"},
      {"wide", [](XMLValue& v, std::string&, std::wstring&) { v.SetWideString(L"\u00e9t\u00e9"); },
       L"\u00e9t\u00e9"},
      {"ascii", [](XMLValue& v, std::string&, std::wstring&) { v.SetWideAscii("3"); }, L"3"},
      {"borrowed narrow", [](XMLValue& v, std::string& n, std::wstring&) { v.BorrowAscii(n); }, L"4 5"},
      {"borrowed wide", [](XMLValue& v, std::string&, std::wstring& w) { v.BorrowWide(w); }, L"caf\u00e9 6"},
      {"borrowed narrow, read narrow",
       [](XMLValue& v, std::string& n, std::wstring&) {
         v.BorrowAscii(n);
         v.GetString();
       },
       L"4 5"},
      {"borrowed narrow, read wide",
       [](XMLValue& v, std::string& n, std::wstring&) {
         v.BorrowAscii(n);
         v.GetWideString();
       },
       L"4 5"},
      {"borrowed wide, read narrow",
       [](XMLValue& v, std::string&, std::wstring& w) {
         v.BorrowWide(w);
         v.GetString();
       },
       L"caf\u00e9 6"},
  };
  for (const State& from : states) {
    for (const State& into : states) {
      std::string narrow = narrowChars;
      std::wstring wide = wideChars;
      XMLValue original;
      from.set(original, narrow, wide);
      const XMLValue copy(original);
      XMLValue assigned;
      into.set(assigned, narrow, wide);
      assigned = original;
      original.SetString("gone");
      narrow.assign(narrow.size(), 'x');
      wide.assign(wide.size(), L'x');
      for (const XMLValue* value : {&copy, static_cast<const XMLValue*>(&assigned)}) {
        EXPECT_EQ(value->GetWideString(), from.text) << from.why << " into " << into.why;
        EXPECT_EQ(value->GetInt(),
                  from.text.empty() ? 0 : static_cast<int>(std::wcstol(from.text.c_str(), nullptr, 10)))
            << from.why;
      }
    }
    std::string narrow = narrowChars;
    std::wstring wide = wideChars;
    XMLValue value;
    from.set(value, narrow, wide);
    const XMLValue& same = value;
    value = same;  // assigning a value to itself keeps it
    EXPECT_EQ(value.GetWideString(), from.text) << from.why;
    value.BorrowAscii(narrow);
    EXPECT_EQ(value.GetString(), "4 5") << "borrowing again replaces " << from.why;
  }
}

// Each reader on the narrow and on the wide form: both must agree.
TEST(XMLValue, ReadersTable) {
  struct Row {
    std::wstring text;
    std::int32_t integer;
    float number;
    bool flag;
    const char* why;
  };
  const Row rows[] = {
      {L"12abc", 12, 12.0f, true, "digits then letters"},
      {L"abc", 0, 0.0f, false, "no digits"},
      {L"  -7", -7, -7.0f, true, "blanks and a sign"},
      {L"", 0, 0.0f, false, "empty"},
      {L"true", 0, 0.0f, false, "true is not a number"},
      {L"yes", 0, 0.0f, false, "yes is not a number"},
      {L"2", 2, 2.0f, true, "any non-zero is true"},
      {L" 1", 1, 1.0f, true, "1 after a blank"},
      {L"0.75", 0, 0.75f, false, "the integer stops at the point"},
      {L"1e3", 1, 1000.0f, true, "exponent for floats only"},
      {L"+5", 5, 5.0f, true, "plus sign"},
      {L"99999999999", 2147483647, 99999999999.0f, true, "saturates at 32 bits on every host"},
      {L"-99999999999", -2147483647 - 1, -99999999999.0f, true, "saturates at the low end"},
      {L"0x10", 0, 16.0f, false, "base 10 for integers; atof reads hexadecimal"},
  };
  for (const Row& row : rows) {
    for (const XMLValue& value : {Wide(row.text), Narrow(std::string(row.text.begin(), row.text.end()))}) {
      EXPECT_EQ(value.GetInt(), row.integer) << row.why;
      EXPECT_FLOAT_EQ(value.GetFloat(), row.number) << row.why;
      EXPECT_EQ(value.GetBool(), row.flag) << row.why;
    }
  }
}

TEST(XMLValue, NumberListsTable) {
  struct Row {
    std::wstring text;
    std::vector<float> floats;  // what GetFloats stores, at most 4
    const char* why;
  };
  const Row rows[] = {
      {L"1.0 0.5 0.25 1", {1.0f, 0.5f, 0.25f, 1.0f}, "four floats"},
      {L"10,20", {10.0f, 20.0f}, "comma separates"},
      {L"1-2", {1.0f}, "one token read as 1"},
      {L"-5", {-5.0f}, "sign stays with the number"},
      {L"abc 3", {0.0f, 3.0f}, "letters form a token that reads 0"},
      {L"  (1; 2)  ", {1.0f, 2.0f}, "any punctuation separates"},
      {L"1 2 3 4 5 6", {1.0f, 2.0f, 3.0f, 4.0f}, "stops at the maximum"},
      {L"", {}, "empty"},
  };
  for (const Row& row : rows) {
    for (const XMLValue& value : {Wide(row.text), Narrow(std::string(row.text.begin(), row.text.end()))}) {
      float out[5] = {9, 9, 9, 9, 9};
      const std::uint32_t count = value.GetFloats(out, 4);
      ASSERT_EQ(count, row.floats.size()) << row.why;
      for (std::uint32_t i = 0; i < count; ++i) {
        EXPECT_FLOAT_EQ(out[i], row.floats[i]) << row.why;
      }
      for (std::uint32_t i = count; i < 5; ++i) {
        EXPECT_EQ(out[i], 9.0f) << row.why << ": untouched past the numbers";
      }
    }
  }
  std::int32_t ints[3] = {7, 7, 7};
  EXPECT_EQ(Wide(L"4, -3x 2.9").GetInts(ints, 3), 3u);
  EXPECT_EQ(ints[0], 4);
  EXPECT_EQ(ints[1], -3);
  EXPECT_EQ(ints[2], 2);
}

TEST(XMLValue, VectorsAndPairs) {
  const CorvantisEngine::Vector4 colour = Wide(L"1 0 0").GetVector4();
  EXPECT_EQ(colour.x, 1.0f);
  EXPECT_EQ(colour.y, 0.0f);
  EXPECT_EQ(colour.z, 0.0f);
  EXPECT_EQ(colour.w, 0.0f) << "missing components are 0, not the colour's default 1";
  const CorvantisEngine::Vector4 none = Wide(L"").GetVector4();
  EXPECT_EQ(none.x + none.y + none.z + none.w, 0.0f);
  const CorvantisEngine::Vector3 v3 = Narrow("1 2").GetVector3();
  EXPECT_EQ(v3.x, 1.0f);
  EXPECT_EQ(v3.y, 2.0f);
  EXPECT_EQ(v3.z, 0.0f);
  const CorvantisEngine::Vector2 v2 = Narrow("0.5,-0.5,9").GetVector2();
  EXPECT_EQ(v2.x, 0.5f);
  EXPECT_EQ(v2.y, -0.5f);
  std::int32_t a = 1;
  std::int32_t b = 1;
  Narrow("640x480").GetIntPair(a, b);
  EXPECT_EQ(a, 640) << "640x480 is one token";
  EXPECT_EQ(b, 0);
  Narrow("800 600").GetIntPair(a, b);
  EXPECT_EQ(a, 800);
  EXPECT_EQ(b, 600);
}

TEST(XMLNode, ChildrenKeepDocumentOrderAndIndex) {
  XMLNode root;
  new XMLNode("a", "1", &root);
  new XMLNode("b", "2", &root);
  new XMLNode("a", "3", &root);
  root.AddNewChild();
  std::vector<XMLNode*> out{&root};
  root.GetChildrenByName("a", out);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"a=1", "a=3"}));
  EXPECT_EQ(root.FindChild("a"), out[0]);
  EXPECT_EQ(root.FindChild("c"), nullptr);
  root.GetChildren(out);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"a=1", "b=2", "a=3", "="}));
  EXPECT_EQ(out, root.GetChildList());
  EXPECT_EQ(root.FindChild(""), out[3]);

  out[1]->SetName("a");
  root.GetChildrenByName("a", out);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"a=1", "a=2", "a=3"})) << "renaming keeps document order";
  EXPECT_EQ(root.FindChild("b"), nullptr);
}

TEST(XMLNode, AttributesReplaceInPlace) {
  XMLNode node("n", nullptr);
  node.SetAttribute("x", L"1");
  node.SetAttribute("y", L"2");
  XMLValue* x = node.GetAttribute("x");
  node.SetAttribute("x", L"3");
  ASSERT_EQ(node.GetAttributeList().size(), 2u);
  EXPECT_EQ(node.GetAttributeList()[0]->name, "x");
  EXPECT_EQ(node.GetAttributeList()[0]->value.GetWideString(), L"3");
  EXPECT_EQ(node.GetAttribute("x"), x) << "the record is kept, only its text changes";
  EXPECT_TRUE(node.HasAttribute("y"));
  EXPECT_FALSE(node.HasAttribute("X")) << "names are case-sensitive";
  EXPECT_EQ(node.FindAttribute("z"), nullptr);
  EXPECT_EQ(node.GetAttribute("z"), nullptr);
}

// Watches its own destruction, so a test sees which nodes were deleted.
class Watched : public XMLNode {
 public:
  Watched(const std::string& name, XMLNode* parent, int& deaths) : XMLNode(name, parent), deaths_(deaths) {}
  ~Watched() override { ++deaths_; }

 private:
  int& deaths_;
};

TEST(XMLNode, MovingRemovingAndDestroying) {
  int deaths = 0;
  auto first = std::make_unique<XMLNode>();
  auto second = std::make_unique<XMLNode>();
  auto* child = new Watched("c", first.get(), deaths);
  new Watched("grandchild", child, deaths);

  EXPECT_EQ(second->AddChild(child), child);
  EXPECT_TRUE(first->GetChildList().empty()) << "the old parent no longer lists it";
  EXPECT_EQ(first->FindChild("c"), nullptr);
  EXPECT_EQ(child->GetParent(), second.get());
  EXPECT_EQ(deaths, 0) << "a move destroys nothing";

  EXPECT_EQ(child->AddChild(second.get()), nullptr) << "an ancestor cannot become a child";
  EXPECT_EQ(child->AddChild(child), nullptr);
  EXPECT_EQ(second->GetParent(), nullptr);

  XMLNode stranger("s", nullptr);
  second->RemoveChild(&stranger);
  second->RemoveChild(nullptr);
  EXPECT_EQ(second->GetChildList().size(), 1u) << "removing a non-child changes nothing";

  auto* other = new Watched("o", second.get(), deaths);
  second->RemoveChild(child);
  EXPECT_EQ(deaths, 2) << "the child and its own child";
  EXPECT_EQ(second->GetChildList(), (XMLNode::ChildList{other}));

  auto* lone = new Watched("l", second.get(), deaths);
  delete lone;
  EXPECT_EQ(deaths, 3);
  EXPECT_EQ(second->GetChildList(), (XMLNode::ChildList{other})) << "a deleted child unlinks itself";
  EXPECT_EQ(second->FindChild("l"), nullptr);

  second.reset();
  EXPECT_EQ(deaths, 4);
}

TEST(XMLNode, DeepTreesAreDeletedWithoutRecursion) {
  auto root = std::make_unique<XMLNode>();
  XMLNode* node = root.get();
  for (int i = 0; i < 200000; ++i) {
    node = new XMLNode("d", node);
  }
  root.reset();  // would overflow the stack if each level recursed
  SUCCEED();
}

}  // namespace
}  // namespace GameTools
