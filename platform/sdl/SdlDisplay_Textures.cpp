// The SDL/OpenGL display driver's textures: surfaces uploaded when first bound after a change, and
// the sampler parameters each texture keeps.
#include <algorithm>
#include <memory>

#include "platform/sdl/SdlDisplay_Local.h"

namespace platform::sdl {

namespace {

constexpr GLenum kMaxAnisotropyParameter = 0x84FE;  // GL_TEXTURE_MAX_ANISOTROPY_EXT

}  // namespace

std::uint64_t SdlDisplay::ChainVersion(Surface& texture) {
  // Versions only grow, so their sum changes with any level's.
  std::uint64_t version = 0;
  for (Surface* level = &texture; level != nullptr;
       level = level->AttachedWithCaps(DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)) {
    version += level->Version() + 1;
  }
  return version;
}

namespace {

// True for the 32-bit formats whose bytes are blue, green, red and alpha (or unused) in memory, which
// OpenGL takes as they are.
bool IsBGRA8888(const DDPIXELFORMAT& format) {
  return format.dwRGBBitCount == 32 && format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00 &&
         format.dwBBitMask == 0x000000FF;
}

// Whether the fourth byte of every four-byte pixel (the alpha of BGRA and RGBA bytes) is 255.
bool AlphaIsOpaque(const std::uint8_t* rows, DWORD width, DWORD height, std::size_t pitch) {
  for (DWORD y = 0; y < height; ++y) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(y) * pitch;
    for (DWORD x = 0; x < width; ++x) {
      if (row[static_cast<std::size_t>(x) * 4 + 3] != 255) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

// Uploads every level of a texture whose memory changed since its last upload (formats without alpha
// read alpha 1). The texture then lives in OpenGL alone: its levels' system memory is given back, and a
// level that has not been written since keeps what OpenGL holds.
void SdlDisplay::Upload(Surface& texture) {
  const std::uint64_t version = ChainVersion(texture);
  GLuint name = texture.driverHandle.load();
  if (name != 0 && texture.driverVersion == version) {
    glBindTexture(GL_TEXTURE_2D, name);
    return;
  }
  const bool fresh = name == 0;
  if (fresh) {
    glGenTextures(1, &name);
    texture.driverHandle.store(name);
  }
  glBindTexture(GL_TEXTURE_2D, name);
  const std::vector<Surface*> chain = texture.MipChain();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  std::unique_ptr<std::uint8_t[]> rgba;
  // Whether every texel of every level has alpha 255; a level not uploaded again keeps what it had.
  bool opaque = true;
  bool levelSkipped = false;
  for (std::size_t level = 0; level < chain.size(); ++level) {
    Surface& s = *chain[level];
    if (!fresh && !s.HoldsMemory()) {
      levelSkipped = true;
      continue;
    }
    const auto width = static_cast<GLsizei>(s.Width());
    const auto height = static_cast<GLsizei>(s.Height());
    if (IsBGRA8888(s.Format())) {
      const GLint internal = s.Format().dwRGBAlphaBitMask == 0xFF000000u ? GL_RGBA8 : GL_RGB8;
      if (internal == GL_RGBA8) {
        opaque = opaque && AlphaIsOpaque(s.Memory(), s.Width(), s.Height(), s.Pitch());
      }
      glPixelStorei(GL_UNPACK_ROW_LENGTH, s.Pitch() / 4);
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, width, height, 0, GL_BGRA,
                   GL_UNSIGNED_BYTE, s.Memory());
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    } else {
      // Every byte is written below: the buffer is not cleared first.
      rgba.reset(new std::uint8_t[static_cast<std::size_t>(s.Width()) * s.Height() * 4]);
      for (DWORD y = 0; y < s.Height(); ++y) {
        ddraw::ConvertRowToRGBA(s.Format(), s.Memory() + static_cast<std::size_t>(y) * s.Pitch(),
                                rgba.get() + static_cast<std::size_t>(y) * s.Width() * 4, s.Width());
      }
      opaque = opaque && AlphaIsOpaque(rgba.get(), s.Width(), s.Height(), s.Width() * 4);
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, width, height, 0, GL_RGBA,
                   GL_UNSIGNED_BYTE, rgba.get());
    }
    const std::size_t heapBytes = s.HeapBytes();
    if (s.DiscardMemory()) {
      discardedBytes_ += heapBytes;
    }
  }
  // Only the levels that exist take part, so mip filtering of a single level never samples black.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(chain.size() - 1));
  bool& textureOpaque = textureParameters_[name].opaque;
  textureOpaque = opaque && (!levelSkipped || textureOpaque);
  texture.driverVersion = version;
}

void SdlDisplay::ApplySampler(Surface& texture, const DWORD* ss) {
  const bool mip = texture.MipChain().size() > 1 || ss[D3DTSS_MIPFILTER] != D3DTFP_NONE;
  const bool linearMin = ss[D3DTSS_MINFILTER] != D3DTFN_POINT;
  GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
  if (mip && ss[D3DTSS_MIPFILTER] == D3DTFP_POINT) {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else if (mip && ss[D3DTSS_MIPFILTER] == D3DTFP_LINEAR) {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  const GLint magFilter = ss[D3DTSS_MAGFILTER] == D3DTFG_POINT ? GL_NEAREST : GL_LINEAR;
  auto wrap = [](DWORD a) -> GLint {
    switch (a) {
      case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
      case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
      case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
      default:
        return GL_REPEAT;
    }
  };
  const bool anisotropicFilter =
      ss[D3DTSS_MINFILTER] == D3DTFN_ANISOTROPIC || ss[D3DTSS_MAGFILTER] == D3DTFG_ANISOTROPIC;
  const GLfloat anisotropy =
      anisotropicFilter ? static_cast<GLfloat>(std::clamp<DWORD>(ss[D3DTSS_MAXANISOTROPY], 1, 16)) : 1.0f;
  TextureParameters& p = textureParameters_[texture.driverHandle.load()];
  if (p.minFilter != minFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, p.minFilter = minFilter);
  if (p.magFilter != magFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, p.magFilter = magFilter);
  const GLint s = wrap(ss[D3DTSS_ADDRESSU]);
  const GLint t = wrap(ss[D3DTSS_ADDRESSV]);
  if (p.wrapS != s)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, p.wrapS = s);
  if (p.wrapT != t)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, p.wrapT = t);
  if (anisotropic_ && p.anisotropy != anisotropy) {
    glTexParameterf(GL_TEXTURE_2D, kMaxAnisotropyParameter, p.anisotropy = anisotropy);
  }
}

}  // namespace platform::sdl
