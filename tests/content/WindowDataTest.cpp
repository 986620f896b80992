// The data check of the window descriptions: the resource lists, fonts and texts load as at start-up
// without a log line; every window the game builds by name builds from the packed data through the
// toolkit's window, logging nothing; every control the code looks up is there with its kind
// (WindowNames.h); every top element of the window files is used; every text key and font the window
// files name exists; and, laid out as a player sees them with the widest texts the game writes, every
// control lies on the screen and on its panel, every text fits its box, no two controls a player
// clicks overlap, and the in-game menu's title plaque stays put for its confirmations.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/content/WindowNames.h"
#include "tests/content/WindowSamples.h"
#include "tests/support/TempFolder.h"
#include "tools/game/DataKeeper.h"
#include "tools/game/XMLNode.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUISliderControl.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUITextTool.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowBase.h"
#include "tools/gui/GUIWindowControl.h"

namespace {

using namespace CorvantisEngine;
using datacheck::ControlName;
using datacheck::Kind;
using GUITools::GUIControl;
using GUITools::GUIWindowBase;

const std::string kBinFolder = BRINDLEWICK_BIN_FOLDER;

// The resource lists in the order the game reads them; the first two are read before the start-up
// loading window is built.
const char* const kBasicLists[] = {"data\\ui\\background\\resources_basic.xml",
                                   "data\\ui\\resources_basic.xml"};
const char* const kAdditionalLists[] = {"data\\ui\\background\\resources_additional.xml",
                                        "data\\game_objects\\resources.xml",
                                        "data\\ui\\resources_additional.xml"};

// The game's interface over the headless back end, its base folder the executable's folder (so the
// pack beside it is mounted as the game mounts it): resource lists, fonts and texts as at start-up.
class GameInterface {
 public:
  // basicOnly: only what exists when the start-up loading window is built.
  explicit GameInterface(bool basicOnly) {
    platform::headless::ResetClock();
    platform::headless::ResetInput();
    platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    EngineStartParameters parameters;
    parameters.name = parameters.applicationName = parameters.logName = "DataCheck";
    parameters.version = 100;
    parameters.logFolder = parameters.configFolder = folder_.Root().string();
    parameters.dataFolder = kBinFolder;
    parameters.packFolder = "Data";
    parameters.defaultVideoMode = "800x600x32";
    engine_ = std::make_unique<Engine>(parameters);
    engine_->GetGUIManager()->SetScreenSize(800.0f, 600.0f);
    keeper_ = std::make_unique<GameTools::DataKeeper>(engine_.get(), "en", false);
    for (const char* list : kBasicLists) {
      keeper_->LoadResources(list, true);
    }
    tools_ = std::make_unique<GUITools::GUIToolManager>(engine_.get(), "en");
    if (!basicOnly) {
      for (const char* list : kAdditionalLists) {
        keeper_->LoadResources(list, true);
      }
      tools_->GetFontTool()->LoadAdditionalFonts();
    }
  }
  ~GameInterface() {
    tools_.reset();
    keeper_.reset();
    engine_.reset();
  }

  Engine* GetEngine() { return engine_.get(); }
  GUITools::GUIToolManager* Tools() { return tools_.get(); }

  // Builds a window; a fatal error in its description is a test failure and gives null.
  std::unique_ptr<GUIWindowBase> Build(const std::string& name) {
    try {
      return std::make_unique<GUIWindowBase>(engine_.get(), keeper_.get(), tools_.get(), nullptr, name);
    } catch (const Error& error) {
      ADD_FAILURE() << name << ": " << error.GetMessage();
      return nullptr;
    }
  }

  // Errors and warnings logged since the last call.
  std::vector<std::string> TakeLogged() {
    std::vector<std::string> out;
    MessageManager& log = *engine_->GetMessageManager();
    for (std::int32_t i = 0; i < log.GetRecordCount(); ++i) {
      const LogRecord record = log.GetRecord(i);
      if (record.type == LogRecord::kError || record.type == LogRecord::kWarning) {
        out.push_back(record.text);
      }
    }
    log.ClearRecords();
    return out;
  }

  // Shows the window and runs it until every fade has ended.
  void ShowFully(GUIWindowBase& window) {
    window.SetVisible(true);
    engine_->GetTimerManager()->delta = 0.1f;
    for (int frame = 0; frame < 30; ++frame) {
      window.Update();
    }
  }

 private:
  testsupport::TempFolder folder_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<GameTools::DataKeeper> keeper_;
  std::unique_ptr<GUITools::GUIToolManager> tools_;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += "\n  " + line;
  }
  return out;
}

bool IsKind(const GUIControl* control, Kind kind) {
  switch (kind) {
    case Kind::kAny:
      return true;
    case Kind::kWindow:
      return dynamic_cast<const GUITools::GUIWindowControl*>(control) != nullptr;
    case Kind::kButton:
      return dynamic_cast<const GUITools::GUIButtonControl*>(control) != nullptr;
    case Kind::kCheckBox:
      return dynamic_cast<const GUITools::GUICheckBoxControl*>(control) != nullptr;
    case Kind::kEditBox:
      return dynamic_cast<const GUITools::GUIEditBoxControl*>(control) != nullptr;
    case Kind::kScroll:
      return dynamic_cast<const GUITools::GUIScrollControl*>(control) != nullptr;
    case Kind::kText:
      return dynamic_cast<const GUITools::GUITextControl*>(control) != nullptr;
  }
  return false;
}

std::map<std::string, GUIControl*> ByName(const GUIWindowBase& window) {
  std::map<std::string, GUIControl*> out;
  for (GUIControl* control : window.GetControls()) {
    out.emplace(control->name, control);
  }
  return out;
}

std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

// What the catalogue holds: how many slots and size boxes the start-game window needs.
struct CatalogueCounts {
  std::size_t themes = 0;
  std::size_t mostPictures = 0;
  std::size_t puzzles = 0;
  std::size_t sizes = 0;
};

CatalogueCounts CountCatalogue(FileManager& files) {
  CatalogueCounts counts;
  std::vector<std::string> themes;
  files.ListFolders("data\\themes", themes);
  counts.themes = themes.size();
  for (const std::string& theme : themes) {
    std::vector<std::string> pictures;
    files.ListFiles(theme.substr(theme.find("data\\")), "*.jpg", pictures);
    const auto count =
        static_cast<std::size_t>(std::count_if(pictures.begin(), pictures.end(), [](const std::string& name) {
          return name.find("preview") == std::string::npos;
        }));
    counts.mostPictures = std::max(counts.mostPictures, count);
  }
  std::vector<std::string> puzzles;
  files.ListFolders("data\\puzzles", puzzles);
  counts.puzzles = puzzles.size();
  std::vector<std::string> sizes;
  files.ListFiles("data\\puzzles\\00", "*.pzf", sizes);
  counts.sizes = sizes.size();
  return counts;
}

TEST(WindowData, TheResourceListsFontsAndTextsLoadWithoutALogLine) {
  for (const bool basicOnly : {true, false}) {
    GameInterface ui(basicOnly);
    const std::vector<std::string> logged = ui.TakeLogged();
    EXPECT_TRUE(logged.empty()) << (basicOnly ? "start-up" : "after loading") << " logged:" << Joined(logged);
  }
}

TEST(WindowData, EveryWindowBuildsWithEveryControlTheCodeLooksUp) {
  GameInterface ui(false);
  ui.TakeLogged();  // checked above
  const std::vector<std::string>& files = ui.Tools()->GetWindowFileNames();
  // Every file of the folder parsed (a file that does not is left out with a log line).
  std::vector<std::string> listed;
  ui.GetEngine()->GetFileManager()->ListFiles(GUITools::GUIToolManager::kWindowFolder, "*.xml", listed);
  EXPECT_EQ(files.size(), listed.size());
  EXPECT_FALSE(files.empty());
  for (const datacheck::WindowNames& expected : datacheck::WindowsTheCodeBuilds()) {
    SCOPED_TRACE(expected.window);
    EXPECT_NE(std::find(files.begin(), files.end(), expected.window + ".xml"), files.end())
        << "no window file " << expected.window << ".xml";
    const auto window = ui.Build(expected.window);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->GetControls().empty());
    const auto controls = ByName(*window);
    for (const ControlName& name : expected.controls) {
      const auto found = controls.find(expected.window + name.suffix);
      if (found == controls.end()) {
        ADD_FAILURE() << "missing control " << expected.window << name.suffix;
      } else {
        EXPECT_TRUE(IsKind(found->second, name.kind))
            << expected.window << name.suffix << " is of the wrong kind";
      }
    }
    if (expected.menuWindow) {
      for (const ControlName& name : datacheck::OptionalMenuControls()) {
        const auto found = controls.find(expected.window + name.suffix);
        if (found != controls.end()) {
          EXPECT_TRUE(IsKind(found->second, name.kind))
              << expected.window << name.suffix << " is of the wrong kind";
        }
      }
    }
    const std::vector<std::string> logged = ui.TakeLogged();
    EXPECT_TRUE(logged.empty()) << "building it logged:" << Joined(logged);
  }
}

// Collects every "template" value of the tree.
void CollectTemplates(const GameTools::XMLNode& node, std::set<std::string>& out) {
  if (const GameTools::XMLValue* name = node.GetAttribute("template")) {
    out.insert(name->GetString());
  }
  for (const GameTools::XMLNode* child : node.GetChildList()) {
    CollectTemplates(*child, out);
  }
}

// A top element that is no window the game builds, no template in use and no fader list is a window
// under a name the code never asks for (a misspelt key, say): the window it was meant to be is missing.
TEST(WindowData, EveryTopElementIsAWindowATemplateInUseOrFaders) {
  GameInterface ui(false);
  std::set<std::string> templates;
  CollectTemplates(*ui.Tools()->GetDocument(), templates);
  std::set<std::string> windows;
  for (const datacheck::WindowNames& names : datacheck::WindowsTheCodeBuilds()) {
    windows.insert(names.window);
  }
  const std::vector<std::string>& files = ui.Tools()->GetWindowFileNames();
  const std::vector<GameTools::XMLNode*>& roots = ui.Tools()->GetWindowRoots();
  ASSERT_EQ(files.size(), roots.size());
  for (std::size_t i = 0; i < roots.size(); ++i) {
    if (roots[i]->GetName() == "faders") {
      continue;
    }
    const GameTools::XMLValue* name = roots[i]->GetAttribute("name");
    ASSERT_NE(name, nullptr) << files[i];
    const std::string top = name->GetString();
    EXPECT_TRUE(windows.count(top) != 0 || templates.count(top) != 0)
        << files[i] << ": \"" << top << "\" is used by nothing";
    if (windows.count(top) != 0) {
      EXPECT_EQ(files[i], top + ".xml") << "a window lives in the file of its name";
    }
  }
}

TEST(WindowData, TheStartUpLoadingWindowNeedsOnlyWhatExistsAtStartUp) {
  GameInterface ui(true);
  EXPECT_TRUE(ui.TakeLogged().empty());
  const auto window = ui.Build("window_game_loading");
  ASSERT_NE(window, nullptr);
  auto* title = window->GetTextControl("window_game_loading/title");
  ASSERT_NE(title, nullptr);
  EXPECT_NE(title->font, nullptr) << "its title's font is a basic one";
  EXPECT_TRUE(title->printingMode) << "loading starts once the title has printed";
  const std::vector<std::string> logged = ui.TakeLogged();
  EXPECT_TRUE(logged.empty()) << "building it logged:" << Joined(logged);
}

TEST(WindowData, StartGameSlotsCoverTheCatalogue) {
  GameInterface ui(false);
  const CatalogueCounts counts = CountCatalogue(*ui.GetEngine()->GetFileManager());
  ASSERT_GT(counts.themes, 0u);
  ASSERT_GT(counts.sizes, 0u);
  const auto window = ui.Build("window_start_game");
  ASSERT_NE(window, nullptr);
  const auto controls = ByName(*window);
  // A list ends at its first missing number, as the window reads it.
  auto slots = [&](const std::string& prefix) {
    std::size_t n = 0;
    while (n < 100 &&
           window->HasCheckBoxControl("window_start_game" + prefix + TwoDigits(static_cast<int>(n)))) {
      const std::string slot = "window_start_game" + prefix + TwoDigits(static_cast<int>(n));
      for (const ControlName& part : datacheck::SlotParts()) {
        const auto found = controls.find(slot + part.suffix);
        EXPECT_TRUE(found != controls.end() && IsKind(found->second, part.kind)) << slot << part.suffix;
      }
      ++n;
    }
    return n;
  };
  EXPECT_GE(slots("/window/themes/theme_"), counts.themes);
  EXPECT_GE(slots("/window/pictures/picture_"), counts.mostPictures);
  EXPECT_GE(slots("/window/puzzles/puzzle_"), counts.puzzles);
  std::size_t sizes = 0;
  while (window->HasCheckBoxControl("window_start_game/window/puzzle_size_" + std::to_string(sizes))) {
    ++sizes;
  }
  EXPECT_EQ(sizes, counts.sizes) << "one size box for every cut file of a puzzle";
}

// Every "text" expression's keys and every "font" of the window files.
void CollectKeysAndFonts(const GameTools::XMLNode& node, std::set<std::string>& keys,
                         std::set<std::string>& fonts) {
  if (const GameTools::XMLValue* font = node.GetAttribute("font")) {
    fonts.insert(font->GetString());
  }
  if (const GameTools::XMLValue* text = node.GetAttribute("text");
      text != nullptr && node.GetName() == "text_label") {
    const std::string expression = text->GetString();
    std::size_t start = 0;
    while (start <= expression.size()) {
      std::size_t end = expression.find('+', start);
      if (end == std::string::npos) {
        end = expression.size();
      }
      std::string term = expression.substr(start, end - start);
      const std::size_t open = term.rfind('[');
      const std::size_t close = term.rfind(']');
      if (open != std::string::npos && close != std::string::npos && open < close) {
        term.erase(open, close - open + 1);
      }
      const bool literal = term.size() >= 2 && (term.front() == '\'' || term.front() == '"') &&
                           (term.back() == '\'' || term.back() == '"');
      if (!term.empty() && !literal) {
        keys.insert(term);
      }
      start = end + 1;
    }
  }
  for (const GameTools::XMLNode* child : node.GetChildList()) {
    CollectKeysAndFonts(*child, keys, fonts);
  }
}

TEST(WindowData, EveryTextKeyAndFontOfTheWindowFilesExists) {
  GameInterface ui(false);
  std::set<std::string> keys;
  std::set<std::string> fonts;
  CollectKeysAndFonts(*ui.Tools()->GetDocument(), keys, fonts);
  EXPECT_FALSE(keys.empty());
  for (const std::string& key : keys) {
    EXPECT_NE(ui.Tools()->GetTextTool()->GetText(key), L"UNKNOWN") << "no English text: " << key;
  }
  for (const std::string& font : fonts) {
    EXPECT_GE(ui.Tools()->GetFontTool()->GetFontIndex(font), 0) << "no font " << font;
  }
}

struct Box {
  float left, bottom, right, top;
  bool Overlaps(const Box& o) const {
    return left < o.right && o.left < right && bottom < o.top && o.bottom < top;
  }
};

Box BoxOf(const GUIControl& control) {
  const Vector2 at = control.GetElement()->GetAbsolutePosition();
  return {at.x, at.y, at.x + control.size.x, at.y + control.size.y};
}

TEST(WindowData, LaidOutEveryControlIsOnScreenEveryTextFitsAndNothingClickableOverlaps) {
  GameInterface ui(false);
  const auto welcome = ui.Build("window_welcome");
  ASSERT_NE(welcome, nullptr);
  const std::wstring widestName = datacheck::WidestName(*welcome);
  EXPECT_GE(widestName.size(), 8u) << "a name field that takes only a few letters";
  for (const datacheck::WindowNames& expected : datacheck::WindowsTheCodeBuilds()) {
    SCOPED_TRACE(expected.window);
    const auto window = ui.Build(expected.window);
    ASSERT_NE(window, nullptr);
    datacheck::FillWithWidestTexts(*window, widestName);
    ui.ShowFully(*window);
    std::vector<std::pair<std::string, Box>> clickable;
    for (GUIControl* control : window->GetControls()) {
      const std::string& name = control->name;
      if (name == expected.window || name.find("/cursor_tip") != std::string::npos) {
        continue;  // the invisible top control; the tip that follows the mouse
      }
      EXPECT_TRUE(control->GetElement()->visible != 0) << name << " is not shown";
      const Box box = BoxOf(*control);
      EXPECT_TRUE(box.left >= 0.0f && box.bottom >= 0.0f && box.right <= 800.0f && box.top <= 600.0f)
          << name << " leaves the screen: " << box.left << " " << box.bottom << " " << box.right << " "
          << box.top;
      if (auto* text = dynamic_cast<GUITools::GUITextControl*>(control);
          text != nullptr && !text->lines.empty()) {
        ASSERT_NE(text->font, nullptr) << name;
        const float size = text->fontSizeInUse;
        for (const std::wstring& line : text->lines) {
          const float width = text->font->GetTextSize(line, 0.0f, size).x;
          EXPECT_LE(width, control->size.x + 0.5f) << name << ": a line is wider than its box";
        }
        const auto n = static_cast<float>(text->lines.size());
        EXPECT_LE(n * size + (n - 1.0f) * text->lineSpace, control->size.y + 0.5f)
            << name << ": " << text->lines.size() << " lines are taller than the box";
      }
      if (auto* edit = dynamic_cast<GUITools::GUIEditBoxControl*>(control)) {
        EXPECT_LE(edit->textOffset.x + edit->visibleTextWidth, control->size.x) << name;
        EXPECT_LE(edit->maxTextLength, edit->visibleTextWidth) << name << ": a name would scroll";
      }
      const bool isClickable = dynamic_cast<GUITools::GUIButtonControl*>(control) != nullptr ||
                               dynamic_cast<GUITools::GUICheckBoxControl*>(control) != nullptr ||
                               dynamic_cast<GUITools::GUIEditBoxControl*>(control) != nullptr ||
                               dynamic_cast<GUITools::GUISliderControl*>(control) != nullptr;
      if (isClickable) {
        clickable.emplace_back(name, box);
      }
      if (auto* scroll = dynamic_cast<GUITools::GUIScrollControl*>(control)) {
        const Vector2 at = control->GetElement()->GetAbsolutePosition();
        for (const auto* arrow : {&scroll->increase, &scroll->decrease}) {
          const Box arrowBox{at.x + arrow->position.x, at.y + arrow->position.y,
                             at.x + arrow->position.x + arrow->size.x,
                             at.y + arrow->position.y + arrow->size.y};
          clickable.emplace_back(name + (arrow == &scroll->increase ? " (increase)" : " (decrease)"),
                                 arrowBox);
        }
      }
    }
    // The panel's picture has a shadow margin and a thin gold frame inside its cream edge (content/art/
    // panel.svg: x and y 24 to 480 of 512, the y from the top): what sits on the panel keeps inside the
    // frame.
    const std::string panelName = expected.window + "/window";
    const auto panel = std::find_if(window->GetControls().begin(), window->GetControls().end(),
                                    [&panelName](const GUIControl* c) { return c->name == panelName; });
    if (panel != window->GetControls().end()) {
      const Box outer = BoxOf(**panel);
      const float w = outer.right - outer.left;
      const float h = outer.top - outer.bottom;
      const Box inner{outer.left + w * 24.0f / 512.0f, outer.bottom + h * 32.0f / 512.0f,
                      outer.right - w * 32.0f / 512.0f, outer.top - h * 24.0f / 512.0f};
      auto inside = [&inner](const Box& b) {
        return b.left >= inner.left - 0.5f && b.bottom >= inner.bottom - 0.5f &&
               b.right <= inner.right + 0.5f && b.top <= inner.top + 0.5f;
      };
      for (GUIControl* control : window->GetControls()) {
        if (control->name.rfind(panelName + "/", 0) == 0) {
          EXPECT_TRUE(inside(BoxOf(*control))) << control->name << " reaches over the panel's frame";
        }
      }
      for (const auto& [name, box] : clickable) {
        if (name.rfind(panelName + "/", 0) == 0) {
          EXPECT_TRUE(inside(box)) << name << " reaches over the panel's frame";
        }
      }
    }
    for (std::size_t i = 0; i < clickable.size(); ++i) {
      for (std::size_t j = i + 1; j < clickable.size(); ++j) {
        EXPECT_FALSE(clickable[i].second.Overlaps(clickable[j].second))
            << clickable[i].first << " overlaps " << clickable[j].first;
      }
    }
  }
}

// The in-game menu hands its title plaque to its confirmations and takes it back without animating
// it: the plaque must not jump, so all three place it alike.
TEST(WindowData, TheInGameMenuAndItsConfirmationsShareOneTitlePlaque) {
  GameInterface ui(false);
  std::vector<std::pair<std::string, Box>> plaques;
  for (const char* name :
       {"window_game_logic_menu", "window_game_logic_restart", "window_game_logic_menu_exit"}) {
    const auto window = ui.Build(name);
    ASSERT_NE(window, nullptr);
    ui.ShowFully(*window);
    const GUIControl* plaque = window->GetWindowControl(std::string(name) + "/title_mount_static");
    ASSERT_NE(plaque, nullptr) << name;
    plaques.emplace_back(name, BoxOf(*plaque));
  }
  for (const auto& [name, box] : plaques) {
    const Box& first = plaques.front().second;
    EXPECT_TRUE(box.left == first.left && box.bottom == first.bottom && box.right == first.right &&
                box.top == first.top)
        << name << " places its plaque elsewhere than " << plaques.front().first;
  }
}

// A finished level ends on its picture: the level-complete window comes only after a moment, every part
// of it alike, so that the player sees the finished picture first.
TEST(WindowData, TheLevelCompleteWindowLetsTheFinishedPictureBeSeenFirst) {
  GameInterface ui(false);
  const auto window = ui.Build("window_level_complete");
  ASSERT_NE(window, nullptr);
  std::size_t faded = 0;
  for (const GUIControl* control : window->GetControls()) {
    if (!control->HasFader()) {
      continue;
    }
    ++faded;
    EXPECT_GE(control->showOffset, 1.5f) << control->name << " comes at once";
  }
  EXPECT_GE(faded, 5u);
}

// The title plaque of a result window is no wider than the panel under it (both pictures have a
// margin: the plaque's teal is 488 of its 512 columns, the panel's cream 476).
TEST(WindowData, ResultWindowPlaquesAreNoWiderThanTheirPanels) {
  GameInterface ui(false);
  for (const char* name : {"window_level_complete", "window_game_over", "window_relax"}) {
    SCOPED_TRACE(name);
    const auto window = ui.Build(name);
    ASSERT_NE(window, nullptr);
    const GUIControl* plaque = window->GetControl(std::string(name) + "/title_mount_animated");
    const GUIControl* panel = window->GetControl(std::string(name) + "/window");
    ASSERT_TRUE(plaque != nullptr && panel != nullptr);
    EXPECT_LE(plaque->size.x * 488.0f / 512.0f, panel->size.x * 476.0f / 512.0f);
  }
}

}  // namespace
