#pragma once
// Why a folder takes no files: a short, plain-English reason for the player ("the disk is full", "the
// folder may not be written to", "\"/home/a/x\" is a file, not a folder"), found by making the folder
// (with its parents) and writing, syncing and deleting a small test file in it. Used after a save has
// failed, to tell the player what stands in the way; never on a path that is written often.
//
// Any thread may call it; nothing throws.

#include <string>
#include <string_view>

namespace platform::win32 {

// The reason writing into the folder (a Windows-style name, mapped as MapPath does) fails, or an empty
// text when a test file can be written there.
std::string FindWriteProblem(std::string_view windowsFolder);

}  // namespace platform::win32
