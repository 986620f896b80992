#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"

namespace GameTools {
namespace {

// Every element has an id attribute, so a result reads as a list of ids.
const wchar_t kFixture[] =
    L"<window id='w'>"
    L"  <a id='a1' name='x'><b id='b1'/><b id='b2' name='x'/></a>"
    L"  <a id='a2' name='y' kind='k'><b id='b3'/></a>"
    L"  <button id='c1' name='x' kind='k'>Play<y id='y1'/></button>"
    L"  <faders id='f'><fader id='f1' name='fade_in'/><fader id='f2' name='fade out'/></faders>"
    L"  <a id='a3' name='a/b'/>"
    L"</window>";

class XMLQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    XMLNode* root = &document_;
    XMLParser::ParseWideText(root, kFixture);
  }

  std::string Ids(std::string_view path, XMLNode* start = nullptr) {
    std::vector<XMLNode*> found;
    XMLSelectNodes(start != nullptr ? start : &document_, path, found);
    std::string ids;
    for (XMLNode* node : found) {
      const XMLValue* id = node->GetAttribute("id");
      ids += (ids.empty() ? "" : " ") + (id != nullptr ? id->GetString() : "?");
    }
    return ids;
  }

  XMLNode document_;
};

TEST_F(XMLQueries, PathTable) {
  XMLNode* window = document_.FindChild("window");
  struct Row {
    std::string path;
    std::string ids;
    const char* why;
  };
  const Row rows[] = {
      {"", "w", "an empty path is the start node"},
      {"/", "w", "a lone slash too"},
      {"//", "w", "and a doubled one"},
      {"a", "a1 a2 a3", "children of that name in document order"},
      {"a/b", "b1 b2 b3", "grouped by parent, in document order"},
      {"a//b", "b1 b2 b3", "an empty step in the middle"},
      {"A", "", "names are case-sensitive"},
      {"/[name='x']", "a1 c1", "an empty step with a condition takes every child"},
      {"/[name=\"x\"]/y", "y1", "then steps below it"},
      {"a[name='x']/b", "b1 b2", "a condition on a named step"},
      {"a/b[name='x']", "b2", "a condition on the last step"},
      {"[name='x'; kind='k']", "c1", "all conditions must hold"},
      {"[ name = 'y' , kind = \"k\" ]", "a2", "blanks outside the quotes"},
      {"[kind='k']", "a2 c1", "a candidate lacking the attribute is rejected"},
      {"[name='X']", "", "exact comparison, no case folding"},
      {"[name=' x']", "", "no trimming"},
      {"faders/fader[name='fade out']", "f2", "blanks inside the quotes belong to the text"},
      {"faders/fader[name='fade_in'", "f1", "a missing ] on the last step is forgiven"},
      {"a[name='a/b']", "", "a / inside the brackets selects nothing"},
      {"a[name='x'/b]", "", "so does a / before the ]"},
      {"a]", "", "a ] without ["},
      {"a]/b[", "", "a ] before the ["},
      {"a[name=x]", "", "an unquoted condition selects nothing"},
      {"a[name='x']junk/b", "b1 b2", "text after the ] is ignored"},
      {"a[name='x'][name='y']", "a1", "a second bracket pair is ignored"},
      {"a[]", "a1 a2 a3", "an empty condition list"},
      {"nothing/b", "", "a missing step"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Ids(row.path, window), row.ids) << row.why << ": " << row.path;
  }
  EXPECT_EQ(Ids("window/a/b"), "b1 b2 b3") << "from the document, paths begin with the top element";
  EXPECT_EQ(Ids(std::string(100000, '/')), "?")
      << "many empty steps cost no stack; the nameless root has no id";
}

TEST_F(XMLQueries, FirstResultsValuesAndAttributes) {
  XMLNode* window = document_.FindChild("window");
  EXPECT_EQ(XMLSelectNode(window, "a/b"), XMLSelectNode(window, "a[name='x']/b"));
  EXPECT_EQ(XMLSelectNode(window, "a/c"), nullptr);
  EXPECT_EQ(XMLSelectNode(nullptr, ""), nullptr) << "a null start selects nothing";

  std::vector<XMLNode*> kept{window};
  XMLSelectNodes(window, "faders/fader", kept);
  EXPECT_EQ(kept.size(), 3u) << "results are appended, not replaced";

  ASSERT_NE(XMLSelectValue(window, "button"), nullptr);
  EXPECT_EQ(XMLSelectValue(window, "button")->GetString(), "Play");
  EXPECT_EQ(XMLSelectValue(window, "nothing"), nullptr);
  std::vector<XMLValue*> values;
  XMLSelectValues(window, "a/b", values);
  EXPECT_EQ(values.size(), 3u);

  ASSERT_NE(XMLSelectAttribute(window, "a/b", "name"), nullptr);
  EXPECT_EQ(XMLSelectAttribute(window, "a/b", "name")->GetString(), "x") << "b1 lacks it: b2's is first";
  EXPECT_EQ(XMLSelectAttribute(window, "a/b", "colour"), nullptr);
  std::vector<XMLValue*> kinds;
  XMLSelectAttributes(window, "/[name='x']", "kind", kinds);
  ASSERT_EQ(kinds.size(), 1u);
  EXPECT_EQ(kinds[0]->GetString(), "k");
}

TEST(XMLParsePredicates, ConditionListTable) {
  using Strings = std::vector<std::string>;
  struct Row {
    std::string text;
    bool valid;
    Strings names;
    Strings values;
    const char* why;
  };
  const Row rows[] = {
      {"", true, {}, {}, "empty"},
      {"a='1'", true, {"a"}, {"1"}, "single quotes"},
      {"a=\"1\"", true, {"a"}, {"1"}, "double quotes"},
      {"a='1',b=\"2\"", true, {"a", "b"}, {"1", "2"}, "comma"},
      {" a = '1' ; b = '2' ", true, {"a", "b"}, {"1", "2"}, "semicolon and blanks"},
      {";a='1',,b='2',", true, {"a", "b"}, {"1", "2"}, "empty separators"},
      {"a='say \"x\"'", true, {"a"}, {"say \"x\""}, "the other quote belongs to the text"},
      {"a='1' b='2'", true, {"a", "b"}, {"1", "2"}, "no separator needed"},
      {"a=1", false, {}, {}, "no quotes"},
      {"a='1", false, {}, {}, "unclosed quote"},
      {"a", false, {}, {}, "a name alone"},
      {"a=", false, {}, {}, "= without text"},
      {"='1'", false, {}, {}, "empty name"},
      {"x='0', a,b='1'", false, {"x"}, {"0"}, "separator after a name: the pairs before stay"},
  };
  for (const Row& row : rows) {
    Strings names;
    Strings values;
    EXPECT_EQ(XMLParsePredicates(row.text, names, values), row.valid) << row.why;
    EXPECT_EQ(names, row.names) << row.why;
    EXPECT_EQ(values, row.values) << row.why;
  }
}

}  // namespace
}  // namespace GameTools
