// Fixed-function OpenGL under the Direct3D 7 conventions: row-vector matrices, depth 0..1, the screen's
// y running down, packed BGRA vertex colours, Direct3D's texture-stage model and its defaults.
#define GL_GLEXT_PROTOTYPES 1
#include "platform/sdl/SdlDisplay.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ddraw/DDraw_Local.h"
#include "platform/sdl/SdlPresentation.h"
#include "platform/sdl/SdlWindow.h"

namespace platform::sdl {

namespace {

using ddraw::DeviceState;
using ddraw::DisplayMode;
using ddraw::DrawCall;
using ddraw::Surface;

constexpr GLenum kMaxAnisotropyParameter = 0x84FE;  // GL_TEXTURE_MAX_ANISOTROPY_EXT

GLenum CompareFunction(DWORD f) {
  switch (f) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum StencilOperation(DWORD op) {
  switch (op) {
    case D3DSTENCILOP_ZERO:
      return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
      return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
      return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
      return GL_DECR;
    case D3DSTENCILOP_INVERT:
      return GL_INVERT;
    case D3DSTENCILOP_INCR:
      return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
      return GL_DECR_WRAP;
    default:
      return GL_KEEP;
  }
}

GLenum BlendFactor(DWORD b) {
  switch (b) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE t) {
  switch (t) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

// Two serials as one value to compare.
std::uint64_t Key(std::uint32_t a, std::uint32_t b) {
  return (static_cast<std::uint64_t>(b) << 32) | a;
}

void ColourToFloats(D3DCOLOR c, GLfloat out[4]) {
  out[0] = static_cast<GLfloat>((c >> 16) & 255) / 255.0f;
  out[1] = static_cast<GLfloat>((c >> 8) & 255) / 255.0f;
  out[2] = static_cast<GLfloat>(c & 255) / 255.0f;
  out[3] = static_cast<GLfloat>((c >> 24) & 255) / 255.0f;
}

void ColourValue(const D3DCOLORVALUE& c, GLfloat out[4]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

struct TextureParameters {
  GLint minFilter = -1;
  GLint magFilter = -1;
  GLint wrapS = -1;
  GLint wrapT = -1;
  GLfloat anisotropy = -1.0f;
};

class SdlDisplay final : public ddraw::DisplayDriver {
 public:
  ~SdlDisplay() override {
    if (context_ != nullptr) {
      SDL_GL_MakeCurrent(window_, context_);
      DeleteFramebuffer();
      SDL_GL_DeleteContext(context_);
    }
  }

  DisplayMode GetDesktopMode() override {
    DisplayMode mode{1024, 768, 32, 60};
    VideoScope video;
    if (!video) {
      return mode;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
      mode.width = static_cast<DWORD>(desktop.w);
      mode.height = static_cast<DWORD>(desktop.h);
      const int bits = SDL_BITSPERPIXEL(desktop.format);
      mode.bitsPerPixel = bits == 16 || bits == 15 ? 16 : (bits <= 8 ? 8 : 32);
      mode.refreshRate = desktop.refresh_rate > 0 ? static_cast<DWORD>(desktop.refresh_rate) : 60;
    }
    return mode;
  }

  std::vector<DisplayMode> GetReportedModes() override {
    std::vector<DisplayMode> modes;
    VideoScope video;
    if (!video) {
      return modes;
    }
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode m{};
      if (SDL_GetDisplayMode(0, i, &m) == 0) {
        const int bits = SDL_BITSPERPIXEL(m.format);
        modes.push_back({static_cast<DWORD>(m.w), static_cast<DWORD>(m.h), bits <= 16 ? 16u : 32u,
                         static_cast<DWORD>(std::max(m.refresh_rate, 0))});
      }
    }
    return modes;
  }

  HRESULT SetWindow(HWND window, bool fullScreen) override {
    SDL_Window* sdlWindow = WindowFromHandle(window);
    if (sdlWindow == nullptr) {
      return DDERR_NOHWND;
    }
    fullScreen_ = fullScreen;
    if (!fullScreen && coveredDesktop_ && sdlWindow == window_) {
      // Back to a window: the window layer gives it its size and place again.
      SDL_SetWindowFullscreen(sdlWindow, 0);
      SDL_SetWindowBordered(sdlWindow, SDL_TRUE);
      SDL_SetWindowData(sdlWindow, kPresentedSizeKey, nullptr);
      coveredDesktop_ = false;
    }
    if (sdlWindow == window_ && context_ != nullptr) {
      return DD_OK;
    }
    if (context_ != nullptr) {
      SDL_GL_MakeCurrent(window_, context_);
      DeleteFramebuffer();
      SDL_GL_DeleteContext(context_);
      context_ = nullptr;
      textureParameters_.clear();
    }
    window_ = sdlWindow;
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
      return DDERR_NODIRECTDRAWHW;
    }
    SDL_GL_MakeCurrent(window_, context_);
    SDL_GL_SetSwapInterval(0);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    textureUnits_ = std::clamp<GLint>(units, 1, static_cast<GLint>(ddraw::kTextureStages));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    anisotropic_ =
        extensions != nullptr && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic") != nullptr;
    ForgetAppliedState();
    return DD_OK;
  }

  HRESULT OpenDevice(Surface& renderTarget) override {
    if (context_ == nullptr) {
      return DDERR_NOHWND;
    }
    SDL_GL_MakeCurrent(window_, context_);
    const GLsizei width = static_cast<GLsizei>(renderTarget.Width());
    const GLsizei height = static_cast<GLsizei>(renderTarget.Height());
    if (framebuffer_ == 0 || width != targetWidth_ || height != targetHeight_) {
      DeleteFramebuffer();
      glGenFramebuffers(1, &framebuffer_);
      glGenRenderbuffers(1, &colourBuffer_);
      glGenRenderbuffers(1, &depthBuffer_);
      glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
      glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
      glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
      if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DeleteFramebuffer();
        return DDERR_OUTOFVIDEOMEMORY;
      }
      targetWidth_ = width;
      targetHeight_ = height;
      // A new target starts black, with depth 1 and stencil 0.
      glDisable(GL_SCISSOR_TEST);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glDepthMask(GL_TRUE);
      glStencilMask(0xFF);
      glClearColor(0, 0, 0, 1);
      glClearDepth(1.0);
      glClearStencil(0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    target_ = &renderTarget;
    ForgetAppliedState();
    if (fullScreen_) {
      CoverDesktop();
    }
    return DD_OK;
  }

  void CloseDevice() override {
    target_ = nullptr;
    ForgetAppliedState();
  }

  HRESULT Clear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth, DWORD stencil) override {
    if (!Current()) {
      return DDERR_NOHWND;
    }
    DeleteReleasedTextures();
    ApplyViewport(state);
    const D3DVIEWPORT7& v = state.viewport;
    glEnable(GL_SCISSOR_TEST);
    glScissor(static_cast<GLint>(v.dwX), targetHeight_ - static_cast<GLint>(v.dwY + v.dwHeight),
              static_cast<GLsizei>(v.dwWidth), static_cast<GLsizei>(v.dwHeight));
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
      GLfloat c[4];
      ColourToFloats(colour, c);
      glClearColor(c[0], c[1], c[2], c[3]);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
      // The depth buffer is cleared whatever the depth-write state.
      glClearDepth(depth);
      glDepthMask(GL_TRUE);
      mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_STENCIL) != 0) {
      glClearStencil(static_cast<GLint>(stencil & 0xFF));
      glStencilMask(0xFF);
      mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
    // The masks changed above: let the next draw set them from the state again.
    appliedRenderStates_ = 0;
    return DD_OK;
  }

  HRESULT Draw(DeviceState& state, const DrawCall& call) override {
    if (!Current()) {
      return DDERR_NOHWND;
    }
    if ((call.vertexFormat & D3DFVF_XYZRHW) != 0) {
      return D3DERR_INVALIDVERTEXFORMAT;
    }
    DeleteReleasedTextures();
    ApplyViewport(state);
    ApplyRenderStates(state);
    ApplyTransforms(state);
    ApplyLighting(state, (call.vertexFormat & D3DFVF_NORMAL) != 0, (call.vertexFormat & D3DFVF_DIFFUSE) != 0);
    const int textureSets =
        static_cast<int>((call.vertexFormat & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    ApplyStages(state, textureSets);

    const std::uint8_t* base = call.vertices;
    DWORD offset = 12;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(call.stride), base);
    if ((call.vertexFormat & D3DFVF_NORMAL) != 0) {
      glEnableClientState(GL_NORMAL_ARRAY);
      glNormalPointer(GL_FLOAT, static_cast<GLsizei>(call.stride), base + offset);
      offset += 12;
    } else {
      glDisableClientState(GL_NORMAL_ARRAY);
      glNormal3f(0.0f, 0.0f, 0.0f);
    }
    if ((call.vertexFormat & D3DFVF_DIFFUSE) != 0) {
      glEnableClientState(GL_COLOR_ARRAY);
      glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(call.stride), base + offset);
      offset += 4;
    } else {
      glDisableClientState(GL_COLOR_ARRAY);
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if ((call.vertexFormat & D3DFVF_SPECULAR) != 0) {
      offset += 4;
    }
    for (int unit = 0; unit < textureUnits_; ++unit) {
      glClientActiveTexture(GL_TEXTURE0 + unit);
      const int set = static_cast<int>(state.stageStates[unit][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
      if (unitEnabled_[unit] && set < textureSets) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, static_cast<GLsizei>(call.stride), base + offset + 8 * set);
      } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
      }
    }
    glClientActiveTexture(GL_TEXTURE0);

    const GLenum mode = PrimitiveMode(call.primitiveType);
    if (call.indices == nullptr) {
      glDrawArrays(mode, 0, static_cast<GLsizei>(call.indexCount));
    } else {
      glDrawElements(mode, static_cast<GLsizei>(call.indexCount),
                     call.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, call.indices);
    }
    return DD_OK;
  }

  HRESULT Present(Surface& backBuffer, const RECT*, bool vsync) override {
    if (!Current() || framebuffer_ == 0) {
      return DDERR_NOHWND;
    }
    DeleteReleasedTextures();
    if (vsync != vsync_) {
      SDL_GL_SetSwapInterval(vsync ? 1 : 0);
      vsync_ = vsync;
    }
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
    const int sourceWidth = static_cast<int>(backBuffer.Width());
    const int sourceHeight = static_cast<int>(backBuffer.Height());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    const bool scaled = windowWidth != sourceWidth || windowHeight != sourceHeight;
    // The window layer maps the cursor through the same area while full screen scales the picture.
    SDL_SetWindowData(window_, kPresentedSizeKey,
                      scaled && coveredDesktop_ ? EncodePresentedSize(sourceWidth, sourceHeight) : nullptr);
    if (!scaled) {
      glBlitFramebuffer(0, 0, sourceWidth, sourceHeight, 0, 0, sourceWidth, sourceHeight, GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
    } else {
      // Scaled to the window with the aspect kept; the bars are black.
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      const PresentedArea area = FitArea(sourceWidth, sourceHeight, windowWidth, windowHeight);
      glBlitFramebuffer(0, 0, sourceWidth, sourceHeight, area.x, area.y, area.x + area.width,
                        area.y + area.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
      appliedRenderStates_ = 0;
    }
    SDL_GL_SwapWindow(window_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    return DD_OK;
  }

  void ReadBack(Surface& renderTarget) override {
    if (&renderTarget != target_ || !Current() || framebuffer_ == 0) {
      return;
    }
    const DWORD width = renderTarget.Width();
    const DWORD height = renderTarget.Height();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_BYTE,
                 pixels.data());
    const DDPIXELFORMAT& format = renderTarget.Format();
    for (DWORD y = 0; y < height; ++y) {
      // OpenGL's rows run bottom-up; the surface's top-down.
      const std::uint8_t* source = pixels.data() + static_cast<std::size_t>(height - 1 - y) * width * 4;
      std::uint8_t* row = renderTarget.Memory() + static_cast<std::size_t>(y) * renderTarget.Pitch();
      if (format.dwRGBBitCount == 32) {
        std::memcpy(row, source, static_cast<std::size_t>(width) * 4);
        continue;
      }
      for (DWORD x = 0; x < width; ++x) {
        const std::uint8_t* p = source + 4 * x;
        const DWORD value = ddraw::PackRGBA(format, p[2], p[1], p[0], p[3]);
        std::memcpy(row + static_cast<std::size_t>(x) * renderTarget.BytesPerPixel(), &value,
                    renderTarget.BytesPerPixel());
      }
    }
  }

  void ReleaseSurface(Surface& surface) override {
    const std::uint32_t name = surface.driverHandle.exchange(0);
    if (&surface == target_) {
      target_ = nullptr;
    }
    if (name != 0) {
      std::lock_guard lock(releasedMutex_);
      released_.push_back(name);
    }
  }

 private:
  // Keeps SDL's video part started while the display is asked, without holding it afterwards (the
  // window layer owns its lifetime).
  class VideoScope {
   public:
    VideoScope() : started_(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
    ~VideoScope() {
      if (started_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
      }
    }
    explicit operator bool() const { return started_; }

   private:
    bool started_;
  };

  // Full screen covers the desktop without switching the display's mode; Present scales the back
  // buffer into it with its aspect kept. Without a window manager the request to go full screen does
  // nothing, so the window is also placed over the desktop by hand.
  void CoverDesktop() {
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0) {
      return;
    }
    SDL_Rect desktop{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &desktop) == 0) {
      // Placed first: a window flagged full screen ignores size changes.
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, desktop.x, desktop.y);
      SDL_SetWindowSize(window_, desktop.w, desktop.h);
    }
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    coveredDesktop_ = true;
  }

  bool Current() {
    if (context_ == nullptr) {
      return false;
    }
    if (SDL_GL_GetCurrentContext() != context_) {
      SDL_GL_MakeCurrent(window_, context_);
    }
    return true;
  }

  void DeleteFramebuffer() {
    if (framebuffer_ != 0) {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      glDeleteFramebuffers(1, &framebuffer_);
      glDeleteRenderbuffers(1, &colourBuffer_);
      glDeleteRenderbuffers(1, &depthBuffer_);
    }
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    targetWidth_ = targetHeight_ = 0;
  }

  void DeleteReleasedTextures() {
    std::vector<GLuint> names;
    {
      std::lock_guard lock(releasedMutex_);
      names.swap(released_);
    }
    if (names.empty()) {
      return;
    }
    for (GLuint name : names) {
      textureParameters_.erase(name);
    }
    for (GLuint& bound : boundTextures_) {
      if (std::find(names.begin(), names.end(), bound) != names.end()) {
        bound = 0;
      }
    }
    glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  }

  void ForgetAppliedState() {
    appliedRenderStates_ = 0;
    appliedTransforms_ = 0;
    appliedLights_ = 0;
    appliedMaterial_ = 0;
    appliedStages_ = 0;
    appliedTextureTransforms_ = 0;
    appliedViewport_ = 0;
    lightingFormat_ = -1;
    std::fill(std::begin(boundTextures_), std::end(boundTextures_), 0u);
    std::fill(std::begin(boundVersions_), std::end(boundVersions_), ~std::uint64_t{0});
  }

  void ApplyViewport(const DeviceState& state) {
    if (appliedViewport_ == Key(state.viewportSerial, state.targetSerial)) {
      return;
    }
    appliedViewport_ = Key(state.viewportSerial, state.targetSerial);
    const D3DVIEWPORT7& v = state.viewport;
    glViewport(static_cast<GLint>(v.dwX), targetHeight_ - static_cast<GLint>(v.dwY + v.dwHeight),
               static_cast<GLsizei>(v.dwWidth), static_cast<GLsizei>(v.dwHeight));
    glDepthRange(v.dvMinZ, v.dvMaxZ);
  }

  void ApplyRenderStates(const DeviceState& state) {
    if (appliedRenderStates_ == state.renderStateSerial) {
      return;
    }
    appliedRenderStates_ = state.renderStateSerial;
    const DWORD* rs = state.renderStates;

    const bool depth = state.hasDepth && rs[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE;
    if (depth) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(CompareFunction(rs[D3DRENDERSTATE_ZFUNC]));
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(rs[D3DRENDERSTATE_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    if (rs[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE) {
      glEnable(GL_BLEND);
      const DWORD source = rs[D3DRENDERSTATE_SRCBLEND];
      if (source == D3DBLEND_BOTHSRCALPHA) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
        glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
      } else {
        glBlendFunc(BlendFactor(source), BlendFactor(rs[D3DRENDERSTATE_DESTBLEND]));
      }
    } else {
      glDisable(GL_BLEND);
    }

    if (rs[D3DRENDERSTATE_ALPHATESTENABLE] != FALSE) {
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(CompareFunction(rs[D3DRENDERSTATE_ALPHAFUNC]),
                  static_cast<GLfloat>(rs[D3DRENDERSTATE_ALPHAREF] & 255) / 255.0f);
    } else {
      glDisable(GL_ALPHA_TEST);
    }

    // The picture is the same in both, so the winding seen on screen is too: Direct3D's clockwise faces
    // are OpenGL's clockwise (back) faces.
    switch (rs[D3DRENDERSTATE_CULLMODE]) {
      case D3DCULL_CW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        break;
      case D3DCULL_CCW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_FRONT);
        break;
      default:
        glDisable(GL_CULL_FACE);
        break;
    }

    if (state.hasStencil && rs[D3DRENDERSTATE_STENCILENABLE] != FALSE) {
      glEnable(GL_STENCIL_TEST);
      glStencilFunc(CompareFunction(rs[D3DRENDERSTATE_STENCILFUNC]),
                    static_cast<GLint>(rs[D3DRENDERSTATE_STENCILREF]), rs[D3DRENDERSTATE_STENCILMASK]);
      glStencilOp(StencilOperation(rs[D3DRENDERSTATE_STENCILFAIL]),
                  StencilOperation(rs[D3DRENDERSTATE_STENCILZFAIL]),
                  StencilOperation(rs[D3DRENDERSTATE_STENCILPASS]));
      glStencilMask(rs[D3DRENDERSTATE_STENCILWRITEMASK]);
    } else {
      glDisable(GL_STENCIL_TEST);
    }

    glShadeModel(rs[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
    const DWORD fill = rs[D3DRENDERSTATE_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK,
                  fill == D3DFILL_POINT ? GL_POINT : (fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL));
    if (rs[D3DRENDERSTATE_NORMALIZENORMALS] != FALSE) {
      glEnable(GL_NORMALIZE);
    } else {
      glDisable(GL_NORMALIZE);
    }
    glDisable(GL_FOG);
    glDisable(GL_DITHER);

    GLfloat ambient[4];
    ColourToFloats(rs[D3DRENDERSTATE_AMBIENT], ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, rs[D3DRENDERSTATE_LOCALVIEWER] != FALSE ? GL_TRUE : GL_FALSE);
    GLfloat factor[4];
    ColourToFloats(rs[D3DRENDERSTATE_TEXTUREFACTOR], factor);
    for (int unit = 0; unit < textureUnits_; ++unit) {
      glActiveTexture(GL_TEXTURE0 + unit);
      glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
    }
    glActiveTexture(GL_TEXTURE0);
    lightingFormat_ = -1;  // lighting depends on render states too
  }

  void ApplyTransforms(const DeviceState& state) {
    if (appliedTransforms_ == state.transformSerial) {
      return;
    }
    appliedTransforms_ = state.transformSerial;
    // Direct3D's row-vector matrices read as OpenGL's column-major ones; the projection's depth is
    // then moved from 0..1 to OpenGL's -1..1.
    static const GLfloat kDepthRange[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, -1, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(kDepthRange);
    glMultMatrixf(&state.projection._11);
    if (std::memcmp(&state.view, &appliedView_, sizeof(D3DMATRIX)) != 0) {
      appliedView_ = state.view;
      appliedLights_ = 0;  // light positions are given in world space
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&state.view._11);
    glMultMatrixf(&state.world._11);
  }

  void ApplyLighting(const DeviceState& state, bool hasNormals, bool hasColour) {
    const DWORD* rs = state.renderStates;
    const bool lit = rs[D3DRENDERSTATE_LIGHTING] != FALSE;
    const int format = (lit ? 1 : 0) | (hasNormals ? 2 : 0) | (hasColour ? 4 : 0);
    if (format != lightingFormat_) {
      lightingFormat_ = format;
      appliedMaterial_ = 0;
      if (lit) {
        glEnable(GL_LIGHTING);
      } else {
        glDisable(GL_LIGHTING);
      }
    }
    if (!lit) {
      return;
    }
    if (appliedMaterial_ != Key(state.materialSerial, state.renderStateSerial)) {
      appliedMaterial_ = Key(state.materialSerial, state.renderStateSerial);
      const D3DMATERIAL7& m = state.material;
      GLfloat c[4];
      ColourValue(m.diffuse, c);
      glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
      ColourValue(m.ambient, c);
      glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
      if (rs[D3DRENDERSTATE_SPECULARENABLE] != FALSE) {
        ColourValue(m.specular, c);
      } else {
        c[0] = c[1] = c[2] = 0.0f;
        c[3] = 1.0f;
      }
      glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, c);
      ColourValue(m.emissive, c);
      glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, c);
      glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
      // Vertex colours stand in for the material where the sources say so and the vertices have them.
      const bool vertexColour = hasColour && rs[D3DRENDERSTATE_COLORVERTEX] != FALSE;
      const bool diffuse = vertexColour && rs[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
      const bool ambient = vertexColour && rs[D3DRENDERSTATE_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
      if (diffuse || ambient) {
        glColorMaterial(GL_FRONT_AND_BACK,
                        diffuse && ambient ? GL_AMBIENT_AND_DIFFUSE : (diffuse ? GL_DIFFUSE : GL_AMBIENT));
        glEnable(GL_COLOR_MATERIAL);
      } else {
        glDisable(GL_COLOR_MATERIAL);
      }
    }
    if (appliedLights_ == state.lightSerial) {
      return;
    }
    appliedLights_ = state.lightSerial;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(&state.view._11);
    int light = 0;
    for (const auto& [index, slot] : state.lights) {
      if (!slot.enabled || light >= static_cast<int>(ddraw::kMaxActiveLights)) {
        continue;
      }
      const GLenum id = GL_LIGHT0 + light++;
      const D3DLIGHT7& l = slot.light;
      GLfloat c[4];
      ColourValue(l.dcvDiffuse, c);
      glLightfv(id, GL_DIFFUSE, c);
      ColourValue(l.dcvSpecular, c);
      glLightfv(id, GL_SPECULAR, c);
      ColourValue(l.dcvAmbient, c);
      glLightfv(id, GL_AMBIENT, c);
      if (l.dltType == D3DLIGHT_DIRECTIONAL) {
        const GLfloat towards[4] = {-l.dvDirection.x, -l.dvDirection.y, -l.dvDirection.z, 0.0f};
        glLightfv(id, GL_POSITION, towards);
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
        glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
      } else {
        const GLfloat position[4] = {l.dvPosition.x, l.dvPosition.y, l.dvPosition.z, 1.0f};
        glLightfv(id, GL_POSITION, position);
        glLightf(id, GL_CONSTANT_ATTENUATION, l.dvAttenuation0);
        glLightf(id, GL_LINEAR_ATTENUATION, l.dvAttenuation1);
        glLightf(id, GL_QUADRATIC_ATTENUATION, l.dvAttenuation2);
        if (l.dltType == D3DLIGHT_SPOT) {
          const GLfloat direction[3] = {l.dvDirection.x, l.dvDirection.y, l.dvDirection.z};
          glLightfv(id, GL_SPOT_DIRECTION, direction);
          glLightf(id, GL_SPOT_CUTOFF, std::clamp(l.dvPhi * 0.5f * 57.29578f, 0.0f, 90.0f));
          glLightf(id, GL_SPOT_EXPONENT, std::clamp(l.dvFalloff, 0.0f, 128.0f));
        } else {
          glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        }
      }
      glEnable(id);
    }
    for (; light < static_cast<int>(ddraw::kMaxActiveLights); ++light) {
      glDisable(GL_LIGHT0 + light);
    }
    glPopMatrix();
  }

  // Uploads every level of a texture whose memory changed since its last upload, converted to RGBA
  // (formats without alpha read alpha 1).
  void Upload(Surface& texture) {
    std::vector<Surface*> chain = texture.MipChain();
    std::uint64_t version = 0;
    for (Surface* level : chain) {
      version += level->Version() + 1;
    }
    GLuint name = texture.driverHandle.load();
    if (name != 0 && texture.driverVersion == version) {
      glBindTexture(GL_TEXTURE_2D, name);
      return;
    }
    if (name == 0) {
      glGenTextures(1, &name);
      texture.driverHandle.store(name);
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<std::uint8_t> rgba;
    for (std::size_t level = 0; level < chain.size(); ++level) {
      Surface& s = *chain[level];
      rgba.resize(static_cast<std::size_t>(s.Width()) * s.Height() * 4);
      for (DWORD y = 0; y < s.Height(); ++y) {
        ddraw::ConvertRowToRGBA(s.Format(), s.Memory() + static_cast<std::size_t>(y) * s.Pitch(),
                                rgba.data() + static_cast<std::size_t>(y) * s.Width() * 4, s.Width());
      }
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, static_cast<GLsizei>(s.Width()),
                   static_cast<GLsizei>(s.Height()), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    // Only the levels that exist take part, so mip filtering of a single level never samples black.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(chain.size() - 1));
    texture.driverVersion = version;
  }

  static GLint CombineSource(DWORD argument) {
    switch (argument & D3DTA_SELECTMASK) {
      case D3DTA_DIFFUSE:
        return GL_PRIMARY_COLOR;
      case D3DTA_TEXTURE:
        return GL_TEXTURE;
      case D3DTA_TFACTOR:
        return GL_CONSTANT;
      default:
        return GL_PREVIOUS;
    }
  }

  static GLint CombineOperand(DWORD argument, bool alpha) {
    const bool complement = (argument & D3DTA_COMPLEMENT) != 0;
    if (alpha || (argument & D3DTA_ALPHAREPLICATE) != 0) {
      return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    }
    return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
  }

  // One half (colour or alpha) of a stage as a combiner.
  static void SetCombiner(DWORD op, DWORD arg1, DWORD arg2, bool alpha) {
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    const GLenum source0 = alpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB;
    const GLenum source1 = alpha ? GL_SOURCE1_ALPHA : GL_SOURCE1_RGB;
    const GLenum source2 = alpha ? GL_SOURCE2_ALPHA : GL_SOURCE2_RGB;
    const GLenum operand0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
    const GLenum operand1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
    const GLenum operand2 = alpha ? GL_OPERAND2_ALPHA : GL_OPERAND2_RGB;
    GLint mode = GL_MODULATE;
    GLfloat factor = 1.0f;
    GLint blendSource = -1;
    switch (op) {
      case D3DTOP_SELECTARG1:
        mode = GL_REPLACE;
        break;
      case D3DTOP_SELECTARG2:
        mode = GL_REPLACE;
        arg1 = arg2;
        break;
      case D3DTOP_MODULATE2X:
        factor = 2.0f;
        break;
      case D3DTOP_MODULATE4X:
        factor = 4.0f;
        break;
      case D3DTOP_ADD:
        mode = GL_ADD;
        break;
      case D3DTOP_ADDSIGNED:
        mode = GL_ADD_SIGNED;
        break;
      case D3DTOP_ADDSIGNED2X:
        mode = GL_ADD_SIGNED;
        factor = 2.0f;
        break;
      case D3DTOP_SUBTRACT:
        mode = GL_SUBTRACT;
        break;
      case D3DTOP_BLENDDIFFUSEALPHA:
        mode = GL_INTERPOLATE;
        blendSource = GL_PRIMARY_COLOR;
        break;
      case D3DTOP_BLENDTEXTUREALPHA:
        mode = GL_INTERPOLATE;
        blendSource = GL_TEXTURE;
        break;
      case D3DTOP_BLENDFACTORALPHA:
        mode = GL_INTERPOLATE;
        blendSource = GL_CONSTANT;
        break;
      case D3DTOP_BLENDCURRENTALPHA:
        mode = GL_INTERPOLATE;
        blendSource = GL_PREVIOUS;
        break;
      case D3DTOP_DISABLE:
        // An alpha half switched off passes the alpha through.
        mode = GL_REPLACE;
        arg1 = D3DTA_CURRENT;
        break;
      default:
        break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, mode);
    glTexEnvf(GL_TEXTURE_ENV, scale, factor);
    glTexEnvi(GL_TEXTURE_ENV, source0, CombineSource(arg1));
    glTexEnvi(GL_TEXTURE_ENV, operand0, CombineOperand(arg1, alpha));
    glTexEnvi(GL_TEXTURE_ENV, source1, CombineSource(arg2));
    glTexEnvi(GL_TEXTURE_ENV, operand1, CombineOperand(arg2, alpha));
    if (blendSource >= 0) {
      glTexEnvi(GL_TEXTURE_ENV, source2, blendSource);
      glTexEnvi(GL_TEXTURE_ENV, operand2, GL_SRC_ALPHA);
    }
  }

  void ApplyStages(const DeviceState& state, int textureSets) {
    bool changed = appliedStages_ != Key(state.stageSerial, state.textureSerial);
    for (int unit = 0; unit < textureUnits_ && !changed; ++unit) {
      Surface* texture = state.textures[unit];
      if (texture != nullptr && (texture->driverHandle.load() != boundTextures_[unit] ||
                                 texture->Version() + 1 != boundVersions_[unit] ||
                                 texture->AttachedWithCaps(DDSCAPS_TEXTURE | DDSCAPS_MIPMAP) != nullptr)) {
        changed = true;  // a new texture, new pixels, or a chain whose lower levels may have changed
      }
    }
    const bool transformsChanged =
        appliedTextureTransforms_ != Key(state.textureTransformSerial, state.stageSerial);
    if (!changed && !transformsChanged) {
      return;
    }
    appliedStages_ = Key(state.stageSerial, state.textureSerial);
    appliedTextureTransforms_ = Key(state.textureTransformSerial, state.stageSerial);
    bool disabled = false;
    for (int unit = 0; unit < textureUnits_; ++unit) {
      const DWORD* ss = state.stageStates[unit];
      glActiveTexture(GL_TEXTURE0 + unit);
      if (ss[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
        disabled = true;  // this stage and every later one are off
      }
      Surface* texture = state.textures[unit];
      const bool usesTexture = !disabled && texture != nullptr;
      // A stage without a texture passes the colour through.
      unitEnabled_[unit] = usesTexture;
      if (!usesTexture) {
        glDisable(GL_TEXTURE_2D);
        continue;
      }
      glEnable(GL_TEXTURE_2D);
      Upload(*texture);
      boundTextures_[unit] = texture->driverHandle.load();
      boundVersions_[unit] = texture->Version() + 1;
      ApplySampler(*texture, ss);
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
      SetCombiner(ss[D3DTSS_COLOROP], ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2], false);
      SetCombiner(ss[D3DTSS_ALPHAOP], ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2], true);

      glMatrixMode(GL_TEXTURE);
      const DWORD flags = ss[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
      if (flags == D3DTTFF_DISABLE) {
        glLoadIdentity();
      } else {
        // Two-component coordinates: Direct3D multiplies (u, v, 1, 0), taking the offset from the third
        // row (elements 8 and 9); OpenGL's coordinates are (s, t, 0, 1).
        const D3DMATRIX& m = state.textureTransforms[unit];
        const GLfloat gl[16] = {m._11, m._12, 0, 0, m._21, m._22, 0, 0, 0, 0, 1, 0, m._31, m._32, 0, 1};
        glLoadMatrixf(gl);
      }
      glMatrixMode(GL_MODELVIEW);
    }
    (void)textureSets;
    glActiveTexture(GL_TEXTURE0);
  }

  void ApplySampler(Surface& texture, const DWORD* ss) {
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

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool fullScreen_ = false;
  bool coveredDesktop_ = false;
  bool vsync_ = false;
  bool anisotropic_ = false;
  GLint textureUnits_ = 1;
  GLuint framebuffer_ = 0;
  GLuint colourBuffer_ = 0;
  GLuint depthBuffer_ = 0;
  GLint targetWidth_ = 0;
  GLint targetHeight_ = 0;
  Surface* target_ = nullptr;

  std::uint64_t appliedRenderStates_ = 0;
  std::uint64_t appliedTransforms_ = 0;
  std::uint64_t appliedLights_ = 0;
  std::uint64_t appliedMaterial_ = 0;
  std::uint64_t appliedStages_ = 0;
  std::uint64_t appliedTextureTransforms_ = 0;
  std::uint64_t appliedViewport_ = 0;
  int lightingFormat_ = -1;
  D3DMATRIX appliedView_{};
  GLuint boundTextures_[ddraw::kTextureStages] = {};
  std::uint64_t boundVersions_[ddraw::kTextureStages] = {};
  bool unitEnabled_[ddraw::kTextureStages] = {};
  std::unordered_map<GLuint, TextureParameters> textureParameters_;

  std::mutex releasedMutex_;
  std::vector<GLuint> released_;
};

}  // namespace

void InstallDisplayDriver() {
  ddraw::InstallDisplayDriver(std::make_shared<SdlDisplay>());
}

}  // namespace platform::sdl
