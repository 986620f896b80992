#pragma once
// Writes font files ("QXFNT", version 201): u32 total length, the magic without terminator, u32
// version, u32 glyph count, then 22-byte records (u16 code, f32 u, v, du, dv, width), little-endian
// whatever the host. Also writes 32-bit uncompressed TGA images (rows bottom-up) for glyph sheets.

#include <cstdint>
#include <string>
#include <vector>

namespace fontbaker {

struct FontGlyphRecord {
  std::uint16_t code = 0;
  float u = 0.0f;
  float v = 0.0f;
  float du = 0.0f;
  float dv = 0.0f;
  float width = 0.0f;
};

// The file's bytes; version and total length may be overridden to make faulty files for tests.
std::vector<std::uint8_t> BuildFontFile(const std::vector<FontGlyphRecord>& glyphs,
                                        std::uint32_t version = 201);
bool WriteFontFile(const std::string& path, const std::vector<FontGlyphRecord>& glyphs);

// Pixels are RGBA, rows bottom-up.
bool WriteTga32(const std::string& path, std::uint32_t width, std::uint32_t height,
                const std::vector<std::uint8_t>& rgba);

}  // namespace fontbaker
