#pragma once
// The code of a library that the process needs only now and then (the shader compiler that the OpenGL
// driver loads: it runs at start-up and when a draw needs a new shader, and its code is the largest part
// of what the process keeps resident). Its code pages come from the library's file and are never
// written, so they can be handed back to the system at any time: they stay in the page cache, and a
// later use maps them again (a minor fault per page).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::sdl {

struct CodeRange {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
};

// The executable, read-only, file-backed mappings (permissions "r-xp") whose file name contains
// `library` and that hold no written (anonymous) page, from the text of /proc/self/smaps. Writable
// mappings and relocated ones are never listed: their written pages would be lost.
std::vector<CodeRange> LibraryCodeRanges(std::string_view smaps, std::string_view library);

// Hands back the resident code pages of the libraries named `library` that this process maps; the bytes
// of address space advised (0 when none is mapped or /proc cannot be read).
std::size_t ReleaseLibraryCode(std::string_view library);

// The shader compiler's library, which Mesa's software rasterizer links for its shaders.
inline constexpr std::string_view kShaderCompilerLibrary = "libLLVM";

}  // namespace platform::sdl
