// Windows: depth from layers, visibility down the tree, the hover test, deletion, the per-frame text
// queue and the manager's create and destroy pairs.
#include "GUIFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUITextManager.h"

namespace CorvantisEngine::guitest {
namespace {

class WindowTest : public GUIFixture {};

TEST_F(WindowTest, DepthFromLayerBitsAndParents) {
  struct Case {
    const char* why;
    std::uint32_t flags;
    bool child;
    float depth;
  } cases[] = {
      {"no layer bit", kGUIShown, false, -15.0f},
      {"layer 1", kGUIShown | kGUILayer1, false, -10.0f},
      {"layer 2", kGUIShown | kGUILayer2, false, -20.0f},
      {"layer 3", kGUIShown | kGUILayer3, false, -30.0f},
      {"layers 1 and 3: the first wins", kGUILayer1 | kGUILayer3, false, -10.0f},
      {"a child: parent depth minus 0.01, layer bits cleared", kGUIShown | kGUILayer2, true, -30.01f},
  };
  GUIWindow* parent = Window(kGUIShown | kGUILayer3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    GUIWindow* window = Window(c.flags, {0, 0}, {10, 10}, c.child ? parent : nullptr);
    EXPECT_NEAR(window->depth, c.depth, 1e-5f);
    ASSERT_NE(window->model, nullptr);
    EXPECT_NEAR(window->model->depth, c.depth, 1e-5f);
    if (c.child) {
      EXPECT_EQ(window->state & kGUILayerBits, 0u);
    }
  }
}

TEST_F(WindowTest, LayersCascadeThroughGrandchildren) {
  GUIWindow* top = Window(kGUIShown | kGUILayer1);
  GUIWindow* child = Window(kGUIShown, {}, {}, top);
  GUIWindow* grandchild = Window(kGUIShown, {}, {}, child);
  grandchild->SetLayer(3);
  EXPECT_NEAR(grandchild->depth, -10.04f, 1e-5f);
  child->SetLayer(2);
  EXPECT_NEAR(child->depth, -10.02f, 1e-5f);
  EXPECT_NEAR(grandchild->depth, -10.05f, 1e-5f);
  // A later change of the top window's bits does not cascade until the next SetLayer.
  top->ClearState(kGUILayer1);
  top->SetState(kGUILayer2);
  EXPECT_FLOAT_EQ(top->depth, -20.0f);
  EXPECT_NEAR(child->depth, -10.02f, 1e-5f);
  top->SetLayer(1);
  EXPECT_NEAR(grandchild->depth, -20.05f, 1e-5f);
}

TEST_F(WindowTest, SetStateIgnoresBitsWhenAnyIsAlreadySet) {
  GUIWindow* window = Window(kGUIShown);
  window->SetState(kGUIShown | kGUIColoured);
  EXPECT_EQ(window->state, kGUIShown);
}

TEST_F(WindowTest, VisibilityFollowsAncestors) {
  GUIWindow* top = Window(kGUIShown);
  GUIWindow* child = Window(kGUIShown, {}, {}, top);
  GUIWindow* grandchild = Window(kGUIShown, {}, {}, child);
  auto visible = [](GUIWindow* w) { return w->visible != 0 && (w->model->flags & kModelVisible) != 0; };
  EXPECT_TRUE(visible(grandchild));
  top->ClearState(kGUIShown);
  EXPECT_FALSE(visible(top));
  EXPECT_FALSE(visible(child));
  EXPECT_FALSE(visible(grandchild));
  child->ClearState(kGUIShown);
  child->SetState(kGUIShown);
  EXPECT_FALSE(visible(child)) << "shown again, but its parent is hidden";
  top->SetState(kGUIShown);
  EXPECT_TRUE(visible(child));
  EXPECT_TRUE(visible(grandchild));
}

TEST_F(WindowTest, HoverIsStrictlyInsideTheRectangle) {
  GUIWindow* parent = Window(kGUIShown, {50, 50}, {500, 500});
  GUIWindow* window = Window(kGUIShown, {50, 50}, {200, 100}, parent);  // absolute 100..300 x 100..200
  struct Case {
    Vector2 mouse;
    bool hovered;
  } cases[] = {{{150, 150}, true},  {{100, 150}, false},       {{300, 150}, false}, {{150, 100}, false},
               {{150, 200}, false}, {{100.01f, 199.9f}, true}, {{99, 150}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mouse.x << ", " << c.mouse.y);
    EXPECT_TRUE(window->Update(c.mouse, false, false));
    EXPECT_EQ(window->hovered != 0, c.hovered);
  }
  window->hoverRectangle = 1;
  window->hoverOffset = {-50, 0};
  window->hoverSize = {20, 20};
  window->Update({60, 110}, false, false);
  EXPECT_EQ(window->hovered, 1);
  window->Update({150, 150}, false, false);
  EXPECT_EQ(window->hovered, 0);
  parent->ClearState(kGUIShown);
  EXPECT_FALSE(window->Update({60, 110}, false, false));
  EXPECT_EQ(window->hovered, 0);
}

TEST_F(WindowTest, RenderPlacesTheQuadAtItsAbsoluteRectangle) {
  GUIWindow* parent = Window(kGUIShown, {50, 60}, {500, 500});
  GUIWindow* window = Window(kGUIShown, {10, 20}, {200, 100}, parent);
  EXPECT_TRUE(window->Render());
  const Vector3 far = window->model->world.TransformPoint(Vector3(1, 1, 0));
  const Vector3 near = window->model->world.TransformPoint(Vector3(0, 0, 0));
  EXPECT_NEAR(near.x, 60.0f, 1e-4f);
  EXPECT_NEAR(near.y, 80.0f, 1e-4f);
  EXPECT_NEAR(far.x, 260.0f, 1e-4f);
  EXPECT_NEAR(far.y, 180.0f, 1e-4f);
  EXPECT_EQ(window->model->flags & 0xFFFFu, GUIWindow::kQuadFlags & 0xFFFFu);
  EXPECT_EQ(window->model->camera, gui_->GetCamera());
}

TEST_F(WindowTest, ColouredQuadsCarryAColourThatPlainOnesDoNot) {
  GUIWindow* coloured = Window(kGUIShown | kGUIColoured);
  EXPECT_EQ(coloured->model->flags & kModelColoured, kModelColoured);
  EXPECT_FLOAT_EQ(coloured->GetColour().w, 1.0f) << "a new coloured quad is opaque white";
  coloured->SetColour(Vector4(1, 0, 0, 0.5f));
  EXPECT_NEAR(coloured->GetColour().x, 1.0f, 0.01f);
  EXPECT_NEAR(coloured->GetColour().y, 0.0f, 0.01f);
  EXPECT_NEAR(coloured->GetColour().w, 0.5f, 0.01f);
  GUIWindow* plain = Window(kGUIShown);
  EXPECT_EQ(plain->model->flags & kModelColoured, 0u);
  plain->SetColour(Vector4(1, 0, 0, 0.5f));
  EXPECT_FLOAT_EQ(plain->GetColour().w, 1.0f);
}

TEST_F(WindowTest, DeletingAParentLeavesItsChildrenTopLevel) {
  GUIWindow* parent = Window(kGUIShown | kGUILayer3);
  GUIWindow* child = Window(kGUIShown, {5, 5}, {10, 10}, parent);
  GUIWindow* layered = Window(kGUIShown, {5, 5}, {10, 10}, parent);
  const std::uint32_t models = models_->GetModelCount();
  gui_->DestroyWindow(parent);
  EXPECT_EQ(models_->GetModelCount(), models - 1);
  EXPECT_EQ(child->parent, nullptr);
  EXPECT_FLOAT_EQ(child->depth, -15.0f);
  EXPECT_EQ(child->GetAbsolutePosition().x, 5.0f);
  layered->SetState(kGUILayer1);
  EXPECT_FLOAT_EQ(layered->depth, -10.0f);
  EXPECT_EQ(gui_->windows.count, 2u);
}

TEST_F(WindowTest, DestroyThroughTheWrongListLeavesTheElement) {
  GUIButton* button = gui_->CreateButton(kGUIShown, {}, {10, 10}, nullptr, nullptr, {1, 1});
  gui_->DestroyWindow(button);
  gui_->DestroyWindow(nullptr);
  EXPECT_EQ(gui_->buttons.count, 1u);
  EXPECT_EQ(button->visible, 1);
  gui_->DestroyButton(button);
  EXPECT_EQ(gui_->buttons.count, 0u);
}

TEST_F(WindowTest, ModelWindowsCloneThePrototypeOrHaveNone) {
  std::unique_ptr<Model> prototype(
      models_->NewBoxModel(Vector3(0, 0, 0), Vector3(1, 1, 1), nullptr, nullptr, 0));
  GUIWindow* window =
      gui_->CreateModelWindow(kGUIShown | kGUIColoured, {}, {10, 10}, prototype.get(), nullptr);
  ASSERT_NE(window->model, nullptr);
  EXPECT_NE(window->model, prototype.get());
  EXPECT_EQ(window->model->flags & 0xC00u, 0xC00u);
  EXPECT_EQ(window->model->flags & 0xC0u, 0u) << "no lighting, no depth test";
  EXPECT_EQ(window->model->flags & kModelVisible, kModelVisible);
  GUIWindow* bare = gui_->CreateModelWindow(kGUIShown, {}, {10, 10}, nullptr, nullptr);
  EXPECT_EQ(bare->model, nullptr);
  EXPECT_TRUE(bare->Render());
  EXPECT_EQ(bare->GetColour().w, 1.0f);
}

TEST_F(WindowTest, QueuedTextsAreDrawnOnceAndDroppedWhileHidden) {
  GUIFont* font = MakeFont();
  GUIWindow* window = Window(kGUIShown);
  window->PrintText(0, kFont, {0, 0}, Vector4(), L"", 0.0f, -1.0f);
  EXPECT_EQ(window->textCount, 0u) << "an empty text is not queued";
  window->PrintText(0, kFont, {0, 0}, Vector4(), L"AB", 0.0f, -1.0f);
  window->PrintText(0, kFont, {0, 0}, Vector4(), L"CD", 0.0f, 20.0f);
  window->Render();
  GUIFontManager& fonts = *gui_->GetFontManager();
  ASSERT_EQ(fonts.copies.size(), 1u);
  EXPECT_EQ(fonts.copies[0]->batchCount, 4u);
  EXPECT_NEAR(VertexAt(*fonts.copies[0], 8).y - 100.0f, 20.0f, 1e-4f) << "the record's size";
  EXPECT_FLOAT_EQ(font->size, 10.0f) << "restored after the record";
  EXPECT_EQ(window->textCount, 0u);
  fonts.Flush();

  window->PrintText(0, kFont, {0, 0}, Vector4(), L"AB", 0.0f, -1.0f);
  window->ClearState(kGUIShown);
  EXPECT_FALSE(window->Render());
  window->SetState(kGUIShown);
  window->Render();
  EXPECT_TRUE(fonts.copies.empty() || fonts.copies[0]->batchCount == 0);
  EXPECT_EQ(window->textRecords.size(), 2u) << "records are reused";
}

TEST_F(WindowTest, KeyedRecordsTakeTheirTextAndSizedRecordsOnMissingFontsAreSkipped) {
  MakeFont();
  gui_->GetTextManager()->texts["TITLE3"] = L"ABC";
  GUIWindow* window = Window(kGUIShown);
  GUITextRecord* record = window->AllocTextRecord();
  record->fontId = kFont;
  record->key = "title";
  record->index = 3;
  record->useKey = 1;
  GUITextRecord* missing = window->AllocTextRecord();
  missing->fontId = 99;
  missing->size = 12.0f;
  missing->text = L"AB";
  window->Render();
  EXPECT_EQ(record->text, L"ABC");
  ASSERT_EQ(gui_->GetFontManager()->copies.size(), 1u);
  EXPECT_EQ(gui_->GetFontManager()->copies[0]->batchCount, 3u);
}

// Texts by key.
TEST(GUITextManagerTest, GetTextTable) {
  GUITextManager texts(nullptr, nullptr);
  texts.texts["TITLE"] = L"Brindlewick";
  texts.texts["TITLE3"] = L"Third";
  texts.texts["HELLO"] = L"Hello %NAME%, %NAME%! %SCORE% points";
  texts.texts["PLAIN"] = L"NAME stays";
  texts.texts["SELF"] = L"<%LOOP%>";
  texts.variables[L"%NAME%"] = L"Ada";
  texts.variables[L"%SCORE%"] = L"12";
  texts.variables[L"NAME"] = L"x";
  texts.variables[L"%LOOP%"] = L"%LOOP%%LOOP%";
  struct Case {
    const char* key;
    std::int32_t index;
    const wchar_t* expected;
  } cases[] = {
      {"title", -1, L"Brindlewick"},
      {"title", 3, L"Third"},
      {"Title", 4, L"UNKNOWN"},
      {"missing", -1, L"UNKNOWN"},
      {"hello", -1, L"Hello Ada, Ada! 12 points"},
      {"plain", -1, L"NAME stays"},
      {"self", -1, L"<%LOOP%%LOOP%>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(texts.GetText(c.key, c.index), c.expected);
  }
}

}  // namespace
}  // namespace CorvantisEngine::guitest
