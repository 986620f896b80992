#include "tools/fontbaker/FontFileWriter.h"

#include <cstring>
#include <fstream>

namespace GameTools {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void PutF32(std::vector<std::uint8_t>& out, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof(bits));
  PutU32(out, bits);
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    return false;
  }
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

std::vector<std::uint8_t> BuildFontFile(const std::vector<FontGlyphRecord>& glyphs, std::uint32_t version) {
  std::vector<std::uint8_t> out;
  PutU32(out, 0);
  for (const char c : {'Q', 'X', 'F', 'N', 'T'}) {
    out.push_back(static_cast<std::uint8_t>(c));
  }
  PutU32(out, version);
  PutU32(out, static_cast<std::uint32_t>(glyphs.size()));
  for (const FontGlyphRecord& glyph : glyphs) {
    out.push_back(static_cast<std::uint8_t>(glyph.code & 0xFF));
    out.push_back(static_cast<std::uint8_t>(glyph.code >> 8));
    PutF32(out, glyph.u);
    PutF32(out, glyph.v);
    PutF32(out, glyph.du);
    PutF32(out, glyph.dv);
    PutF32(out, glyph.width);
  }
  const auto total = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(total >> (8 * i));
  }
  return out;
}

bool WriteFontFile(const std::string& path, const std::vector<FontGlyphRecord>& glyphs) {
  return WriteBytes(path, BuildFontFile(glyphs));
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
  return WriteBytes(path, out);
}

}  // namespace GameTools
