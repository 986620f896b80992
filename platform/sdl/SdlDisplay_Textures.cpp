// The SDL/OpenGL display driver's textures: surfaces uploaded when first bound after a change, and
// the sampler parameters each texture keeps.
#include <algorithm>
#include <cmath>
#include <cstring>
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

void SdlDisplay::ApplySampler(int unit, Surface& texture, const DWORD* ss, bool texelForPixel) {
  const bool mip = texture.MipChain().size() > 1 || ss[D3DTSS_MIPFILTER] != D3DTFP_NONE;
  const bool linearMin = ss[D3DTSS_MINFILTER] != D3DTFN_POINT;
  GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
  if (mip && ss[D3DTSS_MIPFILTER] == D3DTFP_POINT) {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else if (mip && ss[D3DTSS_MIPFILTER] == D3DTFP_LINEAR) {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  GLint magFilter = ss[D3DTSS_MAGFILTER] == D3DTFG_POINT ? GL_NEAREST : GL_LINEAR;
  if (texelForPixel) {
    minFilter = magFilter = GL_NEAREST;
  }
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
  const GLint s = wrap(ss[D3DTSS_ADDRESSU]);
  const GLint t = wrap(ss[D3DTSS_ADDRESSV]);
  if (p.minFilter == minFilter && p.magFilter == magFilter && p.wrapS == s && p.wrapT == t &&
      (!anisotropic_ || p.anisotropy == anisotropy)) {
    return;  // the usual case: nothing to send
  }
  if (unit != 0) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  }
  if (p.minFilter != minFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, p.minFilter = minFilter);
  if (p.magFilter != magFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, p.magFilter = magFilter);
  if (p.wrapS != s)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, p.wrapS = s);
  if (p.wrapT != t)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, p.wrapT = t);
  if (anisotropic_ && p.anisotropy != anisotropy) {
    glTexParameterf(GL_TEXTURE_2D, kMaxAnisotropyParameter, p.anisotropy = anisotropy);
  }
  if (unit != 0) {
    glActiveTexture(GL_TEXTURE0);
  }
}

bool SdlDisplay::DrawsTexelForPixel(const DeviceState& state, const DrawCall& call, int unit,
                                    const std::uint8_t* coordinates, const Surface& texture) const {
  // Beyond a few hundred triangles the look is not worth its cost: such draws keep their filters.
  constexpr DWORD kMostTriangles = 256;
  const DWORD triangles = TriangleCount(call);
  if (call.vertices == nullptr || triangles == 0 || triangles > kMostTriangles) {
    return false;
  }
  const D3DMATRIX toClip = ClipMatrix(state);
  const D3DVIEWPORT7& viewport = state.viewport;
  const DWORD* ss = state.stageStates[unit];
  const bool transformed = (ss[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE;
  const D3DMATRIX& tm = state.textureTransforms[unit];
  const auto width = static_cast<float>(texture.Width());
  const auto height = static_cast<float>(texture.Height());
  struct Point {
    float x, y, s, t;
  };
  float firstW = 0.0f;
  bool firstSeen = false;
  auto point = [&](DWORD v, Point& out) {
    float clip[3];
    ClipPosition(call, toClip, v, clip);
    const float w = clip[2];
    // Only where the mapping is affine: the same w at every corner.
    if (!firstSeen) {
      firstW = w;
      firstSeen = true;
    }
    if (!(w > 0.0f) || std::fabs(w - firstW) > 1e-6f * firstW) {
      return false;
    }
    out.x = (clip[0] / w * 0.5f + 0.5f) * static_cast<float>(viewport.dwWidth);
    out.y = (0.5f - clip[1] / w * 0.5f) * static_cast<float>(viewport.dwHeight);
    float uv[2];
    std::memcpy(uv, coordinates + static_cast<std::size_t>(v) * call.stride, sizeof(uv));
    if (transformed) {
      const float u = uv[0] * tm._11 + uv[1] * tm._21 + tm._31;
      uv[1] = uv[0] * tm._12 + uv[1] * tm._22 + tm._32;
      uv[0] = u;
    }
    out.s = uv[0] * width;
    out.t = uv[1] * height;
    return true;
  };
  bool any = false;
  for (DWORD n = 0; n < triangles; ++n) {
    DWORD corners[3];
    TriangleCorners(call, n, corners);
    Point a{}, b{}, c{};
    if (!point(corners[0], a) || !point(corners[1], b) || !point(corners[2], c)) {
      return false;
    }
    const float dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = c.x - a.x, dy2 = c.y - a.y;
    const float area = dx1 * dy2 - dy1 * dx2;
    // Texel steps per pixel across and down; a triangle without area draws nothing.
    const float extent = std::max({std::fabs(dx1), std::fabs(dy1), std::fabs(dx2), std::fabs(dy2)});
    if (std::fabs(area) < 1e-3f * extent) {
      continue;
    }
    const float ds1 = b.s - a.s, dt1 = b.t - a.t, ds2 = c.s - a.s, dt2 = c.t - a.t;
    const float sx = (ds1 * dy2 - ds2 * dy1) / area;
    const float sy = (ds2 * dx1 - ds1 * dx2) / area;
    const float tx = (dt1 * dy2 - dt2 * dy1) / area;
    const float ty = (dt2 * dx1 - dt1 * dx2) / area;
    // Off by less than a fifth of a texel across the triangle.
    const float tolerance = 0.2f / std::max(extent, 1.0f);
    auto one = [&](float v) { return std::fabs(std::fabs(v) - 1.0f) <= tolerance; };
    auto zero = [&](float v) { return std::fabs(v) <= tolerance; };
    const bool straight = one(sx) && zero(sy) && zero(tx) && one(ty);
    const bool turned = zero(sx) && one(sy) && one(tx) && zero(ty);
    if (!straight && !turned) {
      return false;
    }
    any = true;
  }
  return any;
}

}  // namespace platform::sdl
