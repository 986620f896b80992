#include "tools/fontbaker/FontFileWriter.h"

#include "tools/common/ByteWriter.h"

namespace fontbaker {

std::vector<std::uint8_t> BuildFontFile(const std::vector<FontGlyphRecord>& glyphs, std::uint32_t version) {
  std::vector<std::uint8_t> bytes;
  tools::ByteWriter out(bytes);
  out.U32(0);  // total length, filled in at the end
  out.Bytes("QXFNT", 5);
  out.U32(version);
  out.U32(static_cast<std::uint32_t>(glyphs.size()));
  for (const FontGlyphRecord& glyph : glyphs) {
    out.U16(glyph.code);
    out.F32(glyph.u);
    out.F32(glyph.v);
    out.F32(glyph.du);
    out.F32(glyph.dv);
    out.F32(glyph.width);
  }
  out.FinishLength();
  return bytes;
}

bool WriteFontFile(const std::string& path, const std::vector<FontGlyphRecord>& glyphs) {
  return tools::WriteWholeFile(BuildFontFile(glyphs), path);
}

bool WriteTga32(const std::string& path, std::uint32_t width, std::uint32_t height,
                const std::vector<std::uint8_t>& rgba) {
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF ||
      rgba.size() != static_cast<std::size_t>(width) * height * 4) {
    return false;
  }
  std::vector<std::uint8_t> out(18, 0);
  out[2] = 2;  // uncompressed true colour
  out[12] = static_cast<std::uint8_t>(width & 0xFF);
  out[13] = static_cast<std::uint8_t>(width >> 8);
  out[14] = static_cast<std::uint8_t>(height & 0xFF);
  out[15] = static_cast<std::uint8_t>(height >> 8);
  out[16] = 32;
  out[17] = 8;  // eight alpha bits, origin bottom-left
  out.reserve(out.size() + rgba.size());
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    out.push_back(rgba[i + 2]);
    out.push_back(rgba[i + 1]);
    out.push_back(rgba[i]);
    out.push_back(rgba[i + 3]);
  }
  return tools::WriteWholeFile(out, path);
}

}  // namespace fontbaker
