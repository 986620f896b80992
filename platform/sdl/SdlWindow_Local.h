#pragma once
// Shared by the SDL window driver's files only.

namespace platform::sdl {

// Once SDL's video has started: a broken connection to the display ends the program at once through
// platform::NotifyDisplayLost instead of through the system library's exit(), whose teardown would
// talk to the dead connection. Nothing for a video driver that has no such connection to watch.
void WatchDisplayConnection();

}  // namespace platform::sdl
