#include "XPointer.h"

#include <X11/Xlib.h>

namespace displaytest {

namespace {

void Warp(Display* display, int x, int y) {
  XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
  XSync(display, False);
}

}  // namespace

bool WarpPointer(int x, int y) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr)
    return false;
  Warp(display, x, y);
  XCloseDisplay(display);
  return true;
}

bool GrabPointerAndWarp(int x, int y) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr)
    return false;
  const int grabbed = XGrabPointer(display, DefaultRootWindow(display), False, PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  if (grabbed == GrabSuccess) {
    Warp(display, x, y);
    XUngrabPointer(display, CurrentTime);
    XSync(display, False);
  }
  XCloseDisplay(display);
  return grabbed == GrabSuccess;
}

}  // namespace displaytest
