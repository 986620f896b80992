// A back buffer shown scaled in a larger full-screen window: where the picture lands, and the cursor
// mapped from the window to the back buffer and back.
#include <gtest/gtest.h>

#include "platform/sdl/SdlPresentation.h"

namespace platform::sdl {
namespace {

TEST(SdlPresentation, FitKeepsTheAspectAndCentresTheBars) {
  struct Row {
    int sourceW, sourceH, windowW, windowH;
    PresentedArea expected;
  };
  const Row rows[] = {
      {1024, 768, 1024, 768, {0, 0, 1024, 768}},     // shown 1:1
      {1024, 768, 1280, 1024, {0, 32, 1280, 960}},   // bars above and below
      {800, 600, 1920, 1080, {240, 0, 1440, 1080}},  // bars left and right
      {1024, 768, 0, 0, {0, 0, 0, 0}},               // no window: nothing to fit
  };
  for (const Row& r : rows) {
    const PresentedArea a = FitArea(r.sourceW, r.sourceH, r.windowW, r.windowH);
    EXPECT_EQ(a.x, r.expected.x) << r.windowW << "x" << r.windowH;
    EXPECT_EQ(a.y, r.expected.y) << r.windowW << "x" << r.windowH;
    EXPECT_EQ(a.width, r.expected.width) << r.windowW << "x" << r.windowH;
    EXPECT_EQ(a.height, r.expected.height) << r.windowW << "x" << r.windowH;
  }
}

TEST(SdlPresentation, CursorMapsThroughTheScaledPicture) {
  const PresentedArea area = FitArea(1024, 768, 1280, 1024);  // {0, 32, 1280, 960}
  struct Row {
    int windowX, windowY, sourceX, sourceY;
  };
  const Row rows[] = {
      {0, 32, 0, 0},            // top-left of the picture
      {640, 512, 512, 384},     // centre
      {640, 366, 512, 267},     // a button in the upper half
      {1279, 991, 1023, 767},   // bottom-right pixel
      {100, 0, 80, 0},          // in the top bar: clamped to the first row
      {1279, 1023, 1023, 767},  // in the bottom bar: clamped to the last row
  };
  for (const Row& r : rows) {
    int x = r.windowX, y = r.windowY;
    WindowToSource(area, 1024, 768, x, y);
    EXPECT_EQ(x, r.sourceX) << r.windowX << "," << r.windowY;
    EXPECT_EQ(y, r.sourceY) << r.windowX << "," << r.windowY;
  }
  // Back to the window and round again lands on the same back-buffer pixel.
  for (int sx : {0, 1, 511, 1023}) {
    for (int sy : {0, 383, 767}) {
      int x = sx, y = sy;
      SourceToWindow(area, 1024, 768, x, y);
      WindowToSource(area, 1024, 768, x, y);
      EXPECT_EQ(x, sx);
      EXPECT_EQ(y, sy);
    }
  }
}

TEST(SdlPresentation, SizeTravelsInTheWindowDataPointer) {
  const PresentedSize size = DecodePresentedSize(EncodePresentedSize(1024, 768));
  EXPECT_EQ(size.width, 1024);
  EXPECT_EQ(size.height, 768);
  EXPECT_EQ(EncodePresentedSize(0, 768), nullptr);
  EXPECT_EQ(EncodePresentedSize(70000, 768), nullptr);
  EXPECT_EQ(DecodePresentedSize(nullptr).width, 0);
}

}  // namespace
}  // namespace platform::sdl
