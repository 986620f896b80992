// The menu window and its manager: one menu on screen at a time (the hand-over when one window hides
// and the next is shown in the same frame), showing again while hiding, the lock held for nobody, the
// window sounds by direction, a show dropped before it happened, and the small publisher logos.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuWindowFixture.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

// Panels hide over 0.5 s, title mounts over 1 s; all appear at once. The window's own top element
// (the parent of everything) fades slowest, so that its children decide when the window has gone.
constexpr const char* kFaders =
    "<faders>\n"
    "  <fader name=\"panel\" show_speed=\"100\" hide_speed=\"2\"/>\n"
    "  <fader name=\"mount\" show_speed=\"100\" hide_speed=\"1\"/>\n"
    "  <fader name=\"holder\" show_speed=\"100\" hide_speed=\"0.25\"/>\n"
    "</faders>\n";

std::string MenuFile(const std::string& name, const std::string& inner) {
  return "<window name=\"" + name + "\" fader=\"holder\">\n" + inner + "</window>\n";
}
const std::string kPanel = "  <window name=\"window\" fader=\"panel\" size=\"200 100\"/>\n";

class MenuWindowTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    WriteWindow("faders.xml", kFaders);
  }
  // Shows the window and runs frames until it is on screen.
  void ShowAndSettle(GUIMenuWindow* window) {
    window->SetShown(true);
    FramesUntil([&] { return window->IsActive(); });
    ASSERT_TRUE(window->IsActive());
    Frame();
  }
};

TEST_F(MenuWindowTest, AFreeLockShowsTheWindowInTheSameFrame) {
  WriteWindow("window_a.xml", MenuFile("window_a", kPanel));
  Start();
  GUIMenuWindow* a = MakeMenu("window_a");
  EXPECT_EQ(manager_->GetWindows(), std::vector<GUIMenuWindow*>{a}) << "registered at construction";
  EXPECT_FALSE(OnScreen(a));
  a->SetShown(true);
  EXPECT_TRUE(a->IsShown()) << "shown at once, on screen later";
  EXPECT_FALSE(a->IsActive());
  Frame();
  EXPECT_TRUE(OnScreen(a));
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(manager_->IsFree());
  EXPECT_EQ(manager_->GetOwner(), a);
}

// A shown, then A hidden and B shown in the same frame: B waits, invisible and answering nothing, until
// the last of A's watched controls has gone, and appears in the very frame in which A lets go.
TEST_F(MenuWindowTest, HandOverWaitsForTheWatchedControlsOfTheHidingWindow) {
  struct Row {
    std::string inner;  // window_a's controls
    int minFrames;      // frames B waits at least / at most (50 ms each)
    int maxFrames;
    bool printTitle;  // hide only once the title has printed in full, so that erasing it takes 3 s
    const char* why;
  };
  const std::string title =
      "  <text_label name=\"title\" font=\"fixed\" text=\"'Main menu'\" printing_mode=\"1\""
      " printing_speed=\"3\" fader=\"mount\"/>\n";
  const Row rows[] = {
      {kPanel, 9, 12, false, "the panel fades out over 0.5 s"},
      {kPanel + "  <window name=\"title_mount_animated\" fader=\"mount\" size=\"50 20\"/>\n", 19, 22, false,
       "the title mount fades out over 1 s, after the panel"},
      {"  <window name=\"title\" fader=\"panel\"/>\n", 1, 1, false,
       "a window without panel, mount or title text lets go in the first update after its hide"},
      {kPanel + title, 19, 22, true, "a title still erasing keeps the lock while it is visible"},
      {kPanel + title, 9, 12, false, "a visible title with nothing left to erase does not"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Reset();
    WriteFonts();
    WriteWindow("faders.xml", kFaders);
    WriteWindow("window_a.xml", MenuFile("window_a", row.inner));
    WriteWindow("window_b.xml", MenuFile("window_b", kPanel));
    Start();
    GUIMenuWindow* a = MakeMenu("window_a");
    GUIMenuWindow* b = MakeMenu("window_b");
    ShowAndSettle(a);
    if (row.printTitle) {
      FramesUntil([&] { return a->GetTextControl("window_a/title")->printingDone; });
    }

    a->SetShown(false);
    b->SetShown(true);
    int frames = 0;
    while (!OnScreen(b) && frames < 100) {
      EXPECT_FALSE(b->IsActive());
      EXPECT_EQ(manager_->GetOwner(), a);
      EXPECT_TRUE(OnScreen(a)) << "A is still on screen in every frame B waits";
      Frame();
      ++frames;
    }
    EXPECT_GE(frames, row.minFrames);
    EXPECT_LE(frames, row.maxFrames);
    EXPECT_FALSE(OnScreen(a)) << "A left the screen in the frame B appeared";
    EXPECT_EQ(manager_->GetOwner(), b);
    EXPECT_TRUE(b->IsActive());
  }
}

TEST_F(MenuWindowTest, AWindowShownAgainWhileHidingComesBackAtOnce) {
  WriteWindow("window_a.xml", MenuFile("window_a", kPanel));
  WriteWindow("window_b.xml", MenuFile("window_b", kPanel));
  Start();
  GUIMenuWindow* a = MakeMenu("window_a");
  GUIMenuWindow* b = MakeMenu("window_b");
  ShowAndSettle(a);
  a->SetShown(false);
  Frame();
  Frame();
  EXPECT_FALSE(a->IsActive()) << "hiding: no answers";
  a->SetShown(true);
  b->SetShown(true);
  Frame();
  EXPECT_TRUE(a->IsActive()) << "it still owns the lock";
  for (int i = 0; i < 40; ++i) {
    Frame();
  }
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(OnScreen(b)) << "the other window keeps waiting";
}

TEST_F(MenuWindowTest, ALockHeldForNobodyKeepsEveryMenuAway) {
  WriteWindow("window_a.xml", MenuFile("window_a", kPanel));
  Start();
  GUIMenuWindow* a = MakeMenu("window_a");
  manager_->Acquire(nullptr);
  EXPECT_FALSE(manager_->IsFree());
  a->SetShown(true);
  for (int i = 0; i < 20; ++i) {
    Frame();
  }
  EXPECT_FALSE(OnScreen(a));
  EXPECT_FALSE(a->IsActive());
  manager_->Acquire(a);
  EXPECT_EQ(manager_->GetOwner(), nullptr) << "a held lock is not taken over";
  manager_->Release();
  Frame();
  EXPECT_TRUE(a->IsActive());
}

TEST_F(MenuWindowTest, SoundsFollowTheirDirection) {
  WriteWindow("window_a.xml", MenuFile("window_a", kPanel));
  WriteWindow("window_bare.xml", MenuFile("window_bare", "  <window name=\"other\" fader=\"panel\"/>\n"));
  Start();
  GUIMenuWindow* a = MakeMenu("window_a");
  GUIMenuWindow* bare = MakeMenu("window_bare");

  a->SetShown(true);
  EXPECT_EQ(Frame(), std::vector<std::uint32_t>{kAppear}) << "the panel is visible in the frame it appears";
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Frame().empty());
  }
  a->SetShown(false);
  std::vector<std::uint32_t> heard;
  int frames = 0;
  while (OnScreen(a) && frames < 100) {
    const std::vector<std::uint32_t> now = Frame();
    heard.insert(heard.end(), now.begin(), now.end());
    ++frames;
    if (OnScreen(a)) {
      EXPECT_TRUE(now.empty()) << "nothing while the panel fades out (frame " << frames << ")";
    }
  }
  EXPECT_GT(frames, 5);
  EXPECT_EQ(heard, std::vector<std::uint32_t>{kDisappear}) << "once the panel has gone";

  bare->SetShown(true);
  EXPECT_TRUE(Frame().empty()) << "no panel, no sound";
  EXPECT_TRUE(bare->IsActive());
  bare->SetShown(false);
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(Frame().empty());
  }
}

TEST_F(MenuWindowTest, HidingAWindowThatStillWaitsDropsItsShow) {
  WriteWindow("window_a.xml", MenuFile("window_a", kPanel));
  WriteWindow("window_b.xml", MenuFile("window_b", kPanel));
  Start();
  GUIMenuWindow* a = MakeMenu("window_a");
  GUIMenuWindow* b = MakeMenu("window_b");
  ShowAndSettle(a);
  b->SetShown(true);
  Frame();
  b->SetShown(false);
  EXPECT_FALSE(b->IsShowPending());
  a->SetShown(false);
  std::vector<std::uint32_t> heard;
  for (int i = 0; i < 40; ++i) {
    const std::vector<std::uint32_t> now = Frame();
    heard.insert(heard.end(), now.begin(), now.end());
  }
  EXPECT_FALSE(OnScreen(b)) << "the dropped show never happens";
  EXPECT_TRUE(manager_->IsFree()) << "so the lock is free for the next menu";
  EXPECT_EQ(heard, std::vector<std::uint32_t>{kDisappear}) << "only A's hide is heard";

  b->SetShown(true);
  Frame();
  EXPECT_TRUE(b->IsActive());
}

TEST_F(MenuWindowTest, SmallLogosGoOnTheirPlacesOrThePlacesAreHidden) {
  const std::string places = kPanel +
                             "  <window name=\"logo_additional_0\" shader=\"place\" size=\"64 32\"/>\n"
                             "  <window name=\"logo_additional_1\" shader=\"place\" size=\"64 32\"/>\n";
  WriteWindow("window_logos.xml", MenuFile("window_logos", places));
  WriteWindow("window_plain.xml", MenuFile("window_plain", kPanel));
  // Publisher 0 only; its picture and opacity files only need to exist for the game data.
  WriteFile("data/ui/textures/publishers/0_logo_small.jpg", "x");
  WriteFile("data/ui/textures/publishers/0_logo_small_alpha.jpg", "x");
  Start();
  ASSERT_NE(data_->GetLogoShader(0), nullptr);
  ASSERT_EQ(data_->GetLogoShader(1), nullptr);
  // The places' own look, replaced by the logo where there is one.
  data_->AddShaderUser("ui/place", engine_->GetShaderManager()->GetShader(
                                       ShaderDescriptor(false, 0, 1, 1, 1, 0.0f, "ui\\place.tga", "", true)));
  rig_->ClearLog();
  GUIMenuWindow* logos = MakeMenu("window_logos");
  GUIMenuWindow* plain = MakeMenu("window_plain");
  EXPECT_TRUE(rig_->Errors().empty()) << "missing optional controls are not errors";

  const ShaderUser* texture = logos->GetWindow("window_logos/logo_additional_0")->GetTexture();
  ASSERT_NE(texture, nullptr);
  ASSERT_GT(texture->GetStageCount(), 0u);
  EXPECT_EQ(texture->GetStage(0).diffuseName, "ui\\textures\\publishers\\0_logo_small.jpg");
  EXPECT_TRUE(logos->IsControlEnabled("window_logos/logo_additional_0"));
  EXPECT_FALSE(logos->IsControlEnabled("window_logos/logo_additional_1")) << "no picture: disabled";
  EXPECT_TRUE(plain->IsControlEnabled("window_plain/window"));

  logos->SetShown(true);
  Frame();
  EXPECT_NE(logos->GetWindow("window_logos/logo_additional_0")->visible, 0);
  EXPECT_EQ(logos->GetWindow("window_logos/logo_additional_1")->visible, 0) << "and stays hidden";
}

}  // namespace
}  // namespace Puzzle::windowstest
