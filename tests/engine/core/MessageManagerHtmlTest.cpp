// Log entries are text inside the HTML page: names that hold markup characters show as written and
// cannot break the page, while the records keep the text as it was given.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/core/MessageManager.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(MessageManagerHtml, EscapeHtmlTable) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},
      {"plain text\n", "plain text\n"},
      {"<b>", "&lt;b&gt;"},
      {"Tom & Jerry's \"save\"", "Tom &amp; Jerry's &quot;save&quot;"},
      {"&amp;", "&amp;amp;"},
  };
  for (const auto& [text, escaped] : rows) {
    EXPECT_EQ(MessageManager::EscapeHtml(text), escaped) << text;
  }
}

TEST(MessageManagerHtml, EntriesAndTheNameAreEscapedInThePageOnly) {
  testsupport::TempFolder temp;
  for (std::uint8_t reopen : {0, 1}) {
    SCOPED_TRACE(reopen);
    const std::string name = reopen ? "reopened" : "kept";
    std::string page;
    {
      MessageManager log("R&D <Game>", 1, reopen, temp.Root().string(), name, [] { return std::time_t{0}; });
      log.Message("Loading \"<script>\" & more");
      log.Warning("player <Ann & Bob>");
      ASSERT_EQ(log.GetRecordCount(), 2);
      EXPECT_EQ(log.GetRecord(0).text, "Loading \"<script>\" & more\n") << "records keep the text";
      EXPECT_EQ(log.GetRecord(1).text, "\nWarning: player <Ann & Bob>!\n\n");
    }
    page = ReadAll(temp.Root() / (name + ".html"));
    EXPECT_NE(page.find("<TITLE>R&amp;D &lt;Game&gt; Log</TITLE>"), std::string::npos) << page;
    EXPECT_NE(page.find("R&amp;D &lt;Game&gt; Log: "), std::string::npos);
    EXPECT_NE(page.find("Loading &quot;&lt;script&gt;&quot; &amp; more<BR>"), std::string::npos);
    EXPECT_NE(page.find("<BR>Warning: player &lt;Ann &amp; Bob&gt;!<BR><BR></FONT>"), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("</BODY></HTML>"), std::string::npos);
  }
}

}  // namespace
}  // namespace CorvantisEngine
