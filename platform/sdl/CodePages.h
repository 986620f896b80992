#pragma once
// The code of a library that the process needs only now and then (the shader compiler that the OpenGL
// driver loads: it runs at start-up and when a draw needs a new shader, and its code is the largest part
// of what the process keeps resident). Its code pages come from the library's file and are never
// written, so they can be handed back to the system at any time: they stay in the page cache, and a
// later use maps them again (a minor fault per page).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sdl {

struct CodeRange {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
  bool operator==(const CodeRange&) const = default;
};

// The executable, read-only, file-backed mappings (permissions "r-xp") whose file name contains
// `library`, from the text of /proc/self/maps or /proc/self/smaps. With `unwritten` (smaps only) a
// mapping is listed only when its fields show no written (anonymous) page: a page written since it was
// mapped (a text relocation, a breakpoint) would be lost.
std::vector<CodeRange> LibraryCodeRanges(std::string_view text, std::string_view library, bool unwritten);

// One library's code pages, handed back on request.
class LibraryCode {
 public:
  explicit LibraryCode(std::string library) : library_(std::move(library)) {}

  // Hands back the resident code pages of the library's mappings; the bytes of address space advised
  // (0 when it is not mapped or /proc cannot be read). The mappings are checked once for written pages
  // (a walk of every page of the process), then only looked up while they stay the same.
  std::size_t Release();

 private:
  std::string library_;
  std::vector<CodeRange> checked_;  // mappings found without written pages
};

// The shader compiler's library, which Mesa's software rasterizer links for its shaders.
inline constexpr std::string_view kShaderCompilerLibrary = "libLLVM";
// The OpenGL driver itself (Mesa's DRI drivers: swrast_dri.so and the hardware ones).
inline constexpr std::string_view kDriverLibrary = "_dri.so";

}  // namespace platform::sdl
