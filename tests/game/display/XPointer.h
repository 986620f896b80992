#pragma once
// The X pointer moved the way another program moves it (xdotool, a tablet's or a remote desktop's
// driver): through an X connection of its own, so the program under test hears of it only as plain
// pointer motion, with no raw device event and no button. Kept apart because Xlib's headers define
// macros (None, Bool, Status) that clash with the test framework's and the layer's names.

namespace displaytest {

// Warps the pointer to a point of the screen (pixels from the top-left). False without an X display.
bool WarpPointer(int x, int y);
// Another program grabs the pointer, moves it while it holds the grab, and lets it go (as a screen
// capture tool does). False without an X display or when the grab is refused.
bool GrabPointerAndWarp(int x, int y);

}  // namespace displaytest
