// Fuzzes the font file reader ("QXFNT"): any input must end in a glyph map or a FileError, with no
// allocation beyond what the input holds.
#include <cstddef>
#include <cstdint>
#include <map>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/gui/GUIFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size > (1u << 20)) {
    return 0;
  }
  static MessageManager log("fuzz", 0, 0, "", "");
  FileBinary file(&log, "fonts\\fuzz.fnt", false, false, true, static_cast<std::uint32_t>(size), data);
  std::map<std::uint16_t, GUIFontGlyph> glyphs;
  float widest = 0.0f;
  try {
    GUIFont::ReadGlyphs(file, "fonts\\fuzz.fnt", glyphs, widest);
  } catch (const FileError&) {
  }
  if (glyphs.size() > size / GUIFont::kGlyphRecordSize) {
    __builtin_trap();
  }
  log.ClearRecords();
  return 0;
}
