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

// How a texture is kept in OpenGL: the smallest storage that holds every texel exactly.
enum class Storage : std::uint8_t {
  kWhite,      // white with any alpha: alpha alone, red, green and blue read as 1 (1 byte a texel)
  kGrey,       // opaque greys: luminance (1 byte)
  kGreyAlpha,  // greys with any alpha: luminance and alpha (2 bytes)
  kColour,     // opaque colours (OpenGL's own choice for RGB)
  kColourAlpha,
};

// The storage for texels of these kinds; kWhite only where alpha-only textures can read white.
Storage StorageFor(const TexelKinds& kinds, bool swizzle) {
  if (kinds.grey && kinds.opaque) {
    return Storage::kGrey;
  }
  if (kinds.white && swizzle) {
    return Storage::kWhite;
  }
  if (kinds.grey) {
    return Storage::kGreyAlpha;
  }
  return kinds.opaque ? Storage::kColour : Storage::kColourAlpha;
}

GLint InternalFormat(Storage storage) {
  switch (storage) {
    case Storage::kWhite:
      return GL_ALPHA8;
    case Storage::kGrey:
      return GL_LUMINANCE8;
    case Storage::kGreyAlpha:
      return GL_LUMINANCE8_ALPHA8;
    case Storage::kColour:
      return GL_RGB8;
    case Storage::kColourAlpha:
      break;
  }
  return GL_RGBA8;
}

// One level's texels as BGRA or RGBA bytes (the fourth byte alpha, 255 where the format has none).
struct LevelTexels {
  const std::uint8_t* rows = nullptr;
  std::size_t pitch = 0;
  GLenum order = GL_BGRA;
  std::unique_ptr<std::uint8_t[]> owned;
  bool fromSurface = false;  // read from the surface's memory, which is given back once uploaded
};

}  // namespace

TexelKinds ClassifyTexels(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height,
                          std::size_t pitch, bool alpha) {
  TexelKinds kinds;
  // Done once nothing more can be learnt: colours, and with alpha some texel below 255.
  for (std::uint32_t y = 0; y < height && (kinds.grey || (alpha && kinds.opaque)); ++y) {
    const std::uint8_t* texel = rows + static_cast<std::size_t>(y) * pitch;
    for (std::uint32_t x = 0; x < width; ++x, texel += 4) {
      const bool grey = texel[0] == texel[1] && texel[1] == texel[2];
      kinds.grey = kinds.grey && grey;
      kinds.white = kinds.white && grey && texel[0] == 255;
      kinds.opaque = kinds.opaque && (!alpha || texel[3] == 255);
    }
  }
  return kinds;
}

void PackTexels(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height, std::size_t pitch,
                int channels, std::uint8_t* out) {
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* texel = rows + static_cast<std::size_t>(y) * pitch;
    for (std::uint32_t x = 0; x < width; ++x, texel += 4) {
      // Grey texels: the first byte is the luminance whatever the channel order.
      if (channels == 2) {
        *out++ = texel[0];
        *out++ = texel[3];
      } else {
        *out++ = channels == 1 ? texel[0] : texel[3];
      }
    }
  }
}

void ReadTexels(GLint level, std::uint8_t* rgba) {
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  GLint width = 0;
  GLint height = 0;
  GLint luminance = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_LUMINANCE_SIZE, &luminance);
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  while (glGetError() != GL_NO_ERROR) {
  }
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
  if (glGetError() != GL_NO_ERROR) {
    // No swizzle in this context: channels read as they are.
    swizzle[0] = GL_RED;
    swizzle[1] = GL_GREEN;
    swizzle[2] = GL_BLUE;
    swizzle[3] = GL_ALPHA;
  }
  const bool plain = luminance == 0 && swizzle[0] == GL_RED && swizzle[1] == GL_GREEN &&
                     swizzle[2] == GL_BLUE && swizzle[3] == GL_ALPHA;
  if (plain || width <= 0 || height <= 0) {
    return;
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  for (std::size_t i = 0; i < bytes; i += 4) {
    std::uint8_t* texel = rgba + i;
    if (luminance > 0) {
      // Luminance reads back as red alone.
      texel[1] = texel[0];
      texel[2] = texel[0];
    }
    std::uint8_t swizzled[4];
    for (int c = 0; c < 4; ++c) {
      switch (swizzle[c]) {
        case GL_ZERO:
          swizzled[c] = 0;
          break;
        case GL_ONE:
          swizzled[c] = 255;
          break;
        case GL_GREEN:
          swizzled[c] = texel[1];
          break;
        case GL_BLUE:
          swizzled[c] = texel[2];
          break;
        case GL_ALPHA:
          swizzled[c] = texel[3];
          break;
        default:
          swizzled[c] = texel[0];
          break;
      }
    }
    std::copy(swizzled, swizzled + 4, texel);
  }
}

// Uploads every level of a texture whose memory changed since its last upload (formats without alpha
// read alpha 1), in the smallest storage that keeps its texels exact: white text as alpha alone, greys
// as luminance. The texture then lives in OpenGL alone: its levels' system memory is given back, and a
// level that has not been written since keeps what OpenGL holds (read back when the storage must grow).
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
  TextureParameters& parameters = textureParameters_[name];
  const std::vector<Surface*> chain = texture.MipChain();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  // Every level's texels, and what kinds they all are; a level not written since its upload keeps
  // what it had.
  std::vector<LevelTexels> levels(chain.size());
  TexelKinds kinds;
  bool levelSkipped = false;
  for (std::size_t level = 0; level < chain.size(); ++level) {
    Surface& s = *chain[level];
    if (!fresh && !s.HoldsMemory()) {
      levelSkipped = true;
      continue;
    }
    LevelTexels& texels = levels[level];
    texels.fromSurface = true;
    const bool alpha = !IsBGRA8888(s.Format()) || s.Format().dwRGBAlphaBitMask == 0xFF000000u;
    if (IsBGRA8888(s.Format())) {
      texels.rows = s.Memory();
      texels.pitch = static_cast<std::size_t>(s.Pitch());
    } else {
      // Every byte is written below: the buffer is not cleared first.
      texels.owned.reset(new std::uint8_t[static_cast<std::size_t>(s.Width()) * s.Height() * 4]);
      for (DWORD y = 0; y < s.Height(); ++y) {
        ddraw::ConvertRowToRGBA(s.Format(), s.Memory() + static_cast<std::size_t>(y) * s.Pitch(),
                                texels.owned.get() + static_cast<std::size_t>(y) * s.Width() * 4, s.Width());
      }
      texels.rows = texels.owned.get();
      texels.pitch = static_cast<std::size_t>(s.Width()) * 4;
      texels.order = GL_RGBA;
    }
    kinds &= ClassifyTexels(texels.rows, s.Width(), s.Height(), texels.pitch, alpha);
  }
  if (levelSkipped) {
    // The levels kept in OpenGL are of the kinds the texture had.
    kinds &= parameters.kinds;
  }
  const Storage storage = StorageFor(kinds, swizzle_);
  const bool storageChanged = !fresh && storage != StorageFor(parameters.kinds, swizzle_);
  for (std::size_t level = 0; level < chain.size(); ++level) {
    if (levels[level].rows != nullptr || !storageChanged) {
      continue;
    }
    // A level kept in OpenGL in a storage that no longer fits: read back and stored again.
    Surface& s = *chain[level];
    LevelTexels& texels = levels[level];
    texels.owned.reset(new std::uint8_t[static_cast<std::size_t>(s.Width()) * s.Height() * 4]);
    ReadTexels(static_cast<GLint>(level), texels.owned.get());
    texels.rows = texels.owned.get();
    texels.pitch = static_cast<std::size_t>(s.Width()) * 4;
    texels.order = GL_RGBA;
  }

  // Only the levels that exist take part, so mip filtering of a single level never samples black. Set
  // before the levels arrive: OpenGL then makes room for the whole chain at once, where otherwise the
  // first level alone is stored and the whole chain made and copied again when the second comes.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(chain.size() - 1));
  const GLint internal = InternalFormat(storage);
  std::unique_ptr<std::uint8_t[]> packed;
  for (std::size_t level = 0; level < chain.size(); ++level) {
    const LevelTexels& texels = levels[level];
    if (texels.rows == nullptr) {
      continue;
    }
    Surface& s = *chain[level];
    const auto width = static_cast<GLsizei>(s.Width());
    const auto height = static_cast<GLsizei>(s.Height());
    const int channels = storage == Storage::kGreyAlpha ? 2 : storage == Storage::kGrey ? 1 : 0;
    if (storage == Storage::kWhite || channels != 0) {
      const int bytes = storage == Storage::kWhite ? 1 : channels;
      packed.reset(new std::uint8_t[static_cast<std::size_t>(s.Width()) * s.Height() * bytes]);
      PackTexels(texels.rows, s.Width(), s.Height(), texels.pitch, storage == Storage::kWhite ? 0 : channels,
                 packed.get());
      const GLenum format = storage == Storage::kWhite ? GL_ALPHA
                            : channels == 1            ? GL_LUMINANCE
                                                       : GL_LUMINANCE_ALPHA;
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, width, height, 0, format,
                   GL_UNSIGNED_BYTE, packed.get());
    } else {
      glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(texels.pitch / 4));
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, width, height, 0, texels.order,
                   GL_UNSIGNED_BYTE, texels.rows);
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    const std::size_t heapBytes = texels.fromSurface ? s.HeapBytes() : 0;
    if (texels.fromSurface && s.DiscardMemory()) {
      discardedBytes_ += heapBytes;
    }
  }
  if (swizzle_ && (fresh || storageChanged)) {
    // Alpha-only storage reads white; every other storage reads as it is.
    const bool white = storage == Storage::kWhite;
    const GLint swizzle[4] = {white ? GL_ONE : GL_RED, white ? GL_ONE : GL_GREEN, white ? GL_ONE : GL_BLUE,
                              GL_ALPHA};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
  }
  parameters.kinds = kinds;
  texture.driverVersion = version;
}

void SdlDisplay::ApplySampler(int unit, Surface& texture, const DWORD* ss, bool texelForPixel) {
  const bool mip = texture.AttachedWithCaps(DDSCAPS_TEXTURE | DDSCAPS_MIPMAP) != nullptr ||
                   ss[D3DTSS_MIPFILTER] != D3DTFP_NONE;
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
