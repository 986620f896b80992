// The SDL/OpenGL display driver: the context in the window, the off-screen target the device draws
// into, clearing, drawing and presenting.
#include "platform/sdl/SdlDisplay.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/sdl/SdlDisplay_Local.h"
#include "platform/sdl/SdlPresentation.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/SdlWindow_Local.h"
#include "platform/win32/WinSystem.h"

namespace platform::sdl {

namespace {

bool unsyncedPacing = true;
std::uint64_t clearsSent = 0;
std::chrono::steady_clock::time_point firstShown{};
bool plainSurfacesThroughX = true;

void NoteShown() {
  if (firstShown == std::chrono::steady_clock::time_point{}) {
    firstShown = std::chrono::steady_clock::now();
  }
}

// Where one destination pixel's centre falls between two source pixels: the first of them and the
// second's weight in 256ths.
struct Tap {
  int first = 0;
  int second = 0;
  std::uint32_t weight = 0;
};
std::vector<Tap> Taps(int sourceSize, int size) {
  std::vector<Tap> taps(static_cast<std::size_t>(std::max(size, 0)));
  for (int i = 0; i < size; ++i) {
    const double at = std::max(0.0, (i + 0.5) * sourceSize / size - 0.5);
    const int first = std::min(static_cast<int>(at), sourceSize - 1);
    taps[static_cast<std::size_t>(i)] = {first, std::min(first + 1, sourceSize - 1),
                                         static_cast<std::uint32_t>((at - first) * 256.0 + 0.5)};
  }
  return taps;
}

// Two 0x00RRGGBB words mixed channel by channel, `weight` 256ths of the way from a to b: red and blue
// together in one product, green in another.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
  const std::uint32_t keep = 256 - weight;
  const std::uint32_t redBlue = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight + 0x800080u) >> 8;
  const std::uint32_t green = ((a & 0x00FF00u) * keep + (b & 0x00FF00u) * weight + 0x008000u) >> 8;
  return (redBlue & 0xFF00FFu) | (green & 0x00FF00u);
}

// A plain surface stretched over `area` (from the window's top-left) of an otherwise black window
// picture, filtered between the nearest four pixels as presenting a scaled target does; made row by row.
class StretchedPicture {
 public:
  StretchedPicture(const Surface& picture, const PresentedArea& area, int windowWidth)
      : width_(static_cast<int>(picture.Width())),
        area_(area),
        windowWidth_(windowWidth),
        columns_(Taps(width_, area.width)),
        rows_(Taps(static_cast<int>(picture.Height()), area.height)) {
    const DDPIXELFORMAT& format = picture.Format();
    if (format.dwRGBBitCount == 32 && format.dwRBitMask == 0xFF0000 && format.dwGBitMask == 0xFF00 &&
        format.dwBBitMask == 0xFF && picture.Pitch() % 4 == 0) {
      // Read in place: the words are 0x??RRGGBB already.
      words_ = reinterpret_cast<const std::uint32_t*>(picture.Memory());
      pitch_ = static_cast<std::size_t>(picture.Pitch()) / 4;
      return;
    }
    converted_.resize(static_cast<std::size_t>(width_) * picture.Height());
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * 4);
    for (DWORD y = 0; y < picture.Height(); ++y) {
      ddraw::ConvertRowToRGBA(format, picture.Memory() + static_cast<std::size_t>(y) * picture.Pitch(),
                              rgba.data(), picture.Width());
      std::uint32_t* out = converted_.data() + static_cast<std::size_t>(y) * width_;
      for (int x = 0; x < width_; ++x) {
        const std::uint8_t* p = &rgba[4 * static_cast<std::size_t>(x)];
        out[x] = (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
      }
    }
    words_ = converted_.data();
    pitch_ = static_cast<std::size_t>(width_);
  }

  // `rows` rows of the window picture from row `top`.
  void Rows(int top, int rows, std::uint32_t* out) const {
    for (int y = top; y < top + rows; ++y, out += windowWidth_) {
      const int inside = y - area_.y;
      if (inside < 0 || inside >= area_.height) {
        std::fill_n(out, windowWidth_, 0u);
        continue;
      }
      std::fill_n(out, area_.x, 0u);
      std::fill(out + area_.x + area_.width, out + windowWidth_, 0u);
      const Tap& row = rows_[static_cast<std::size_t>(inside)];
      const std::uint32_t* above = words_ + static_cast<std::size_t>(row.first) * pitch_;
      const std::uint32_t* below = words_ + static_cast<std::size_t>(row.second) * pitch_;
      std::uint32_t* shown = out + area_.x;
      for (int x = 0; x < area_.width; ++x) {
        const Tap& column = columns_[static_cast<std::size_t>(x)];
        shown[x] = Mix(Mix(above[column.first] & 0xFFFFFFu, above[column.second] & 0xFFFFFFu, column.weight),
                       Mix(below[column.first] & 0xFFFFFFu, below[column.second] & 0xFFFFFFu, column.weight),
                       row.weight);
      }
    }
  }

 private:
  int width_;
  PresentedArea area_;
  int windowWidth_;
  std::vector<Tap> columns_;
  std::vector<Tap> rows_;
  const std::uint32_t* words_ = nullptr;
  std::size_t pitch_ = 0;
  std::vector<std::uint32_t> converted_;
};

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

}  // namespace

DWORD TriangleCount(const DrawCall& call) {
  switch (call.primitiveType) {
    case D3DPT_TRIANGLELIST:
      return call.indexCount / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return call.indexCount >= 3 ? call.indexCount - 2 : 0;
    default:
      return 0;
  }
}

void TriangleCorners(const DrawCall& call, DWORD n, DWORD corners[3]) {
  DWORD at[3] = {n, n + 1, n + 2};
  if (call.primitiveType == D3DPT_TRIANGLELIST) {
    at[0] = 3 * n;
    at[1] = 3 * n + 1;
    at[2] = 3 * n + 2;
  } else if (call.primitiveType == D3DPT_TRIANGLEFAN) {
    at[0] = 0;
  }
  for (int i = 0; i < 3; ++i) {
    if (call.indices == nullptr) {
      corners[i] = at[i];
    } else {
      corners[i] = call.wideIndices ? static_cast<const std::uint32_t*>(call.indices)[at[i]]
                                    : static_cast<const std::uint16_t*>(call.indices)[at[i]];
    }
  }
}

D3DMATRIX ClipMatrix(const DeviceState& state) {
  auto multiply = [](const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX out{};
    const float* x = &a._11;
    const float* y = &b._11;
    float* z = &out._11;
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 4; ++column) {
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k) {
          sum += x[row * 4 + k] * y[k * 4 + column];
        }
        z[row * 4 + column] = sum;
      }
    }
    return out;
  };
  return multiply(multiply(state.world, state.view), state.projection);
}

void ClipPosition(const DrawCall& call, const D3DMATRIX& toClip, DWORD vertex, float out[3]) {
  float p[3];
  std::memcpy(p, call.vertices + static_cast<std::size_t>(vertex) * call.stride, sizeof(p));
  out[0] = p[0] * toClip._11 + p[1] * toClip._21 + p[2] * toClip._31 + toClip._41;
  out[1] = p[0] * toClip._12 + p[1] * toClip._22 + p[2] * toClip._32 + toClip._42;
  out[2] = p[0] * toClip._14 + p[1] * toClip._24 + p[2] * toClip._34 + toClip._44;
}

SdlDisplay::~SdlDisplay() {
  if (context_ != nullptr) {
    SDL_GL_MakeCurrent(window_, context_);
    DeleteFramebuffer();
    SDL_GL_DeleteContext(context_);
  }
}

DisplayMode SdlDisplay::GetDesktopMode() {
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

std::vector<DisplayMode> SdlDisplay::GetReportedModes() {
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

HRESULT SdlDisplay::SetWindow(HWND window, bool fullScreen) {
  SDL_Window* sdlWindow = WindowFromHandle(window);
  if (sdlWindow == nullptr) {
    return DDERR_NOHWND;
  }
  fullScreen_ = fullScreen;
  const bool sameWindow = context_ != nullptr && SDL_GetWindowID(sdlWindow) == windowId_;
  if (!fullScreen && coveredDesktop_ && sameWindow) {
    // Back to a window: the window layer gives it its size and place again.
    SDL_SetWindowFullscreen(sdlWindow, 0);
    SDL_SetWindowData(sdlWindow, kCoversDesktopKey, nullptr);
    SDL_SetWindowBordered(sdlWindow, SDL_TRUE);
    SDL_SetWindowData(sdlWindow, kPresentedSizeKey, nullptr);
    coveredDesktop_ = false;
  }
  if (sameWindow) {
    return DD_OK;
  }
  if (context_ != nullptr) {
    // The old window may be gone (window_ then points at nothing, or at the new window): its context is
    // made current on the new one to let its objects go.
    SDL_Window* old = SDL_GetWindowFromID(windowId_);
    SDL_GL_MakeCurrent(old != nullptr ? old : sdlWindow, context_);
    DeleteFramebuffer();
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    keptBuffer_ = 0;
    keptBufferBytes_ = 0;
    textureParameters_.clear();
  }
  coveredDesktop_ = false;  // the old window's
  window_ = sdlWindow;
  windowId_ = SDL_GetWindowID(sdlWindow);
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    return DDERR_NODIRECTDRAWHW;
  }
  SDL_GL_MakeCurrent(window_, context_);
  // A frame drawn again in many small rectangles has the software rasterizer take and free several
  // megabytes; with the C library's default the freed top of the heap goes back to the system every
  // frame and is faulted in again the next (most of such a frame's cost). Up to 32 MB stay; the display
  // gives the heap back itself after uploads (HeapCompact in Present).
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
  SDL_GL_SetSwapInterval(0);
  vsync_ = false;
  pacer_.Reset();
  compilerCodeReleasedAt_ = FramePacer::Clock::now();
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  textureUnits_ = std::clamp<GLint>(units, 1, static_cast<GLint>(ddraw::kTextureStages));
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLint bits[6] = {};
  for (int i = 0; const GLenum channel : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS}) {
    glGetIntegerv(channel, &bits[i++]);
  }
  glGetIntegerv(GL_DEPTH_BITS, &bits[4]);
  glGetIntegerv(GL_STENCIL_BITS, &bits[5]);
  windowFramebufferFits_ =
      bits[0] >= 8 && bits[1] >= 8 && bits[2] >= 8 && bits[3] >= 8 && bits[4] >= 24 && bits[5] >= 8;
  // Mesa's software rasterizers under X11 swap by copying the back buffer into the window: the back
  // buffer is never exchanged, so it holds the last frame's picture when the next one starts.
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const char* video = SDL_GetCurrentVideoDriver();
  windowKeepsPicture_ =
      renderer != nullptr && video != nullptr && std::strcmp(video, "x11") == 0 &&
      (std::strncmp(renderer, "llvmpipe", 8) == 0 || std::strncmp(renderer, "softpipe", 8) == 0);
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  anisotropic_ =
      extensions != nullptr && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic") != nullptr;
  swizzle_ = extensions != nullptr && std::strstr(extensions, "GL_ARB_texture_swizzle") != nullptr;
  ForgetAppliedState();
  return DD_OK;
}

HRESULT SdlDisplay::OpenDevice(Surface& renderTarget) {
  if (context_ == nullptr) {
    return DDERR_NOHWND;
  }
  SDL_GL_MakeCurrent(window_, context_);
  StopKeeping();  // what is kept is drawn into the target it was meant for
  lastFrameKnown_ = false;
  const GLsizei width = static_cast<GLsizei>(renderTarget.Width());
  const GLsizei height = static_cast<GLsizei>(renderTarget.Height());
  if (framebuffer_ == 0 || width != targetWidth_ || height != targetHeight_) {
    DeleteFramebuffer();
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    targetWidth_ = width;
    targetHeight_ = height;
    // The off-screen target gets its storage only when the frame is drawn there (ChooseDrawTarget).
    if (!WindowTakesTheTarget() && !MakeFramebufferStorage()) {
      DeleteFramebuffer();
      return DDERR_OUTOFVIDEOMEMORY;
    }
    // A new target starts black, with depth 1 and stencil 0, whichever framebuffer it is drawn into.
    if (windowFramebufferFits_) {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      ClearTarget();
    }
  }
  // Full screen first: whether the frames are drawn in the window or off-screen depends on the
  // window's size.
  if (fullScreen_) {
    CoverDesktop();
  }
  target_ = &renderTarget;
  ChooseDrawTarget();
  ForgetAppliedState();
  SDL_DisplayMode display{};
  refreshInterval_ = FramePacer::Interval(
      SDL_GetCurrentDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(window_)), &display) == 0
          ? display.refresh_rate
          : 0);
  return DD_OK;
}

void SdlDisplay::CloseDevice() {
  frame_.Reset();
  lastFrame_.Reset();
  lastFrameKnown_ = false;
  keeping_ = true;
  target_ = nullptr;
  ForgetAppliedState();
}

HRESULT SdlDisplay::Clear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                          DWORD stencil) {
  if (!Current()) {
    return DDERR_NOHWND;
  }
  if (Keeps(state)) {
    KeepClear(state, flags, colour, depth, stencil);
    return DD_OK;
  }
  StopKeeping();
  return ClearNow(state, flags, colour, depth, stencil);
}

HRESULT SdlDisplay::ClearNow(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                             DWORD stencil) {
  DeleteReleasedTextures();
  ApplyViewport(state);
  const D3DVIEWPORT7& v = state.viewport;
  const bool wholeViewport = v.dwX == 0 && v.dwY == 0 && static_cast<GLint>(v.dwWidth) >= targetWidth_ &&
                             static_cast<GLint>(v.dwHeight) >= targetHeight_;
  // Whole: the clear reaches every pixel of the target (a frame sent again in part reaches only some).
  const bool whole = wholeViewport && ClipIsWhole();
  // Nothing is left out of a recorded frame (its replay stands alone), nor while a frame is sent again in
  // rectangles (a clear that waited would reach only the first).
  const bool leaveOut = armedRecorder == nullptr && ClipIsWhole();
  const DWORD stencilValue = stencil & 0xFF;
  if ((flags & D3DCLEAR_ZBUFFER) != 0 && leaveOut && depthKnown_ && knownDepth_ == depth) {
    flags &= ~static_cast<DWORD>(D3DCLEAR_ZBUFFER);  // it holds that depth already
  }
  if ((flags & D3DCLEAR_STENCIL) != 0 && leaveOut && stencilKnown_ && knownStencil_ == stencilValue) {
    flags &= ~static_cast<DWORD>(D3DCLEAR_STENCIL);
  }
  const bool wholeColour = (flags & D3DCLEAR_TARGET) != 0 && wholeViewport;
  if (wholeColour && leaveOut && (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) {
    // The whole colour waits for the draws: what they cover needs no clear.
    ColourToFloats(colour, waitingColour_);
    clearWaiting_ = true;
    covered_ = {};
    return DD_OK;
  }
  if (wholeColour) {
    clearWaiting_ = false;  // replaced by this one, sent with the depth or stencil
  } else {
    SendWaitingClear();
  }
  if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) {
    return DD_OK;
  }
  const ClearRect area = ViewportRect(v).Within(Clip());
  if (area.Empty()) {
    return DD_OK;
  }
  glEnable(GL_SCISSOR_TEST);
  glScissor(area.left, targetHeight_ - area.bottom, area.right - area.left, area.bottom - area.top);
  clipKnown_ = false;
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
    // Known again only when the whole target holds it.
    depthKnown_ = whole;
    knownDepth_ = depth;
  }
  if ((flags & D3DCLEAR_STENCIL) != 0) {
    glClearStencil(static_cast<GLint>(stencilValue));
    glStencilMask(0xFF);
    mask |= GL_STENCIL_BUFFER_BIT;
    stencilKnown_ = whole;
    knownStencil_ = stencilValue;
  }
  if (armedRecorder != nullptr) {
    armedRecorder->Clear(mask);
  }
  glClear(mask);
  ++clearsSent;
  // The masks changed above: let the next draw set them from the state again.
  appliedRenderStates_ = 0;
  return DD_OK;
}

HRESULT SdlDisplay::Draw(DeviceState& state, const DrawCall& call) {
  if (!Current()) {
    return DDERR_NOHWND;
  }
  if ((call.vertexFormat & D3DFVF_XYZRHW) != 0) {
    return D3DERR_INVALIDVERTEXFORMAT;
  }
  if (Keeps(state)) {
    KeepDraw(state, call);
    return DD_OK;
  }
  StopKeeping();
  return DrawNow(state, call);
}

HRESULT SdlDisplay::DrawNow(const DeviceState& state, const DrawCall& call) {
  DeleteReleasedTextures();
  ApplyClip();
  ApplyViewport(state);
  ApplyRenderStates(state);
  ApplyTransforms(state);
  ApplyLighting(state, (call.vertexFormat & D3DFVF_NORMAL) != 0, (call.vertexFormat & D3DFVF_DIFFUSE) != 0);
  const int textureSets =
      static_cast<int>((call.vertexFormat & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  ApplyStages(state, textureSets);
  SkipBlendingWhenOpaque(state, call);

  // Only what differs from the context's arrays is sent: most draws change the vertex pointers alone.
  // Addresses as numbers: in a buffer object they are offsets from zero, not pointers into memory.
  const auto base = reinterpret_cast<std::uintptr_t>(ArrayAddress(call.vertices));
  auto at = [base](DWORD offset) { return reinterpret_cast<const void*>(base + offset); };
  const auto stride = static_cast<GLsizei>(call.stride);
  DWORD offset = 12;
  EnableArray(vertexArray_, GL_VERTEX_ARRAY, true);
  if (PointerChanged(vertexArray_, at(0), stride)) {
    glVertexPointer(3, GL_FLOAT, stride, at(0));
  }
  const bool normals = (call.vertexFormat & D3DFVF_NORMAL) != 0;
  EnableArray(normalArray_, GL_NORMAL_ARRAY, normals);
  if (normals) {
    if (PointerChanged(normalArray_, at(offset), stride)) {
      glNormalPointer(GL_FLOAT, stride, at(offset));
    }
    offset += 12;
  } else if (!normalIsZero_) {
    glNormal3f(0.0f, 0.0f, 0.0f);
    normalIsZero_ = true;
  }
  const bool colours = (call.vertexFormat & D3DFVF_DIFFUSE) != 0;
  EnableArray(colourArray_, GL_COLOR_ARRAY, colours);
  if (colours) {
    if (PointerChanged(colourArray_, at(offset), stride)) {
      glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, at(offset));
    }
    offset += 4;
  } else if (!colourIsWhite_) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    colourIsWhite_ = true;
  }
  if ((call.vertexFormat & D3DFVF_SPECULAR) != 0) {
    offset += 4;
  }
  for (int unit = 0; unit < textureUnits_; ++unit) {
    const int set = static_cast<int>(state.stageStates[unit][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    const bool used = unitEnabled_[unit] && set < textureSets;
    ClientArray& coordinates = texCoordArrays_[unit];
    const void* pointer = at(offset + 8 * static_cast<DWORD>(set));
    const bool toggle = !coordinates.enabledKnown || coordinates.enabled != used;
    const bool repoint =
        used && (!coordinates.pointerKnown || coordinates.pointer != pointer || coordinates.stride != stride);
    if (!toggle && !repoint) {
      continue;  // the unit's client state is chosen separately: leave it alone when nothing changes
    }
    ClientUnit(unit);
    EnableArray(coordinates, GL_TEXTURE_COORD_ARRAY, used);
    if (repoint && PointerChanged(coordinates, pointer, stride)) {
      glTexCoordPointer(2, GL_FLOAT, stride, pointer);
    }
  }
  // The samplers follow the stages and this draw's own geometry.
  for (int unit = 0; unit < textureUnits_ && unitEnabled_[unit]; ++unit) {
    const int set = static_cast<int>(state.stageStates[unit][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    Surface& texture = *state.textures[unit];
    const bool texelForPixel =
        set < textureSets && DrawsTexelForPixel(state, call, unit, call.vertices + offset + 8 * set, texture);
    ApplySampler(unit, texture, state.stageStates[unit], texelForPixel);
  }

  if (clearWaiting_) {
    const ClearRect cover = OpaqueCover(state, call);
    bool merged = false;
    if (!cover.Empty()) {
      ClearRect& c = covered_;
      if (c.Empty() || (cover.left <= c.left && cover.right >= c.right && cover.top <= c.top &&
                        cover.bottom >= c.bottom)) {
        c = cover;  // the first, or one that holds all the others
        merged = true;
      } else if (cover.left <= c.left && cover.right >= c.right && cover.top <= c.bottom &&
                 cover.bottom >= c.top) {
        c.top = std::min(c.top, cover.top);  // a band above or below, as wide
        c.bottom = std::max(c.bottom, cover.bottom);
        merged = true;
      } else if (cover.top <= c.top && cover.bottom >= c.bottom && cover.left <= c.right &&
                 cover.right >= c.left) {
        c.left = std::min(c.left, cover.left);  // a band left or right, as tall
        c.right = std::max(c.right, cover.right);
        merged = true;
      }
    }
    if (!merged) {
      SendWaitingClear();
      ApplyClip();
    } else if (const ClearRect clip = Clip(); covered_.left <= clip.left && covered_.top <= clip.top &&
                                              covered_.right >= clip.right &&
                                              covered_.bottom >= clip.bottom) {
      clearWaiting_ = false;  // the draws replace every pixel: no clear at all
    }
  }
  NoteDepthAndStencilWrites(state);

  const GLenum mode = PrimitiveMode(call.primitiveType);
  if (armedRecorder != nullptr) {
    const bool indexed = call.indices != nullptr;
    armedRecorder->Draw(mode, static_cast<GLsizei>(call.indexCount),
                        indexed ? (call.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT) : 0, call.indices,
                        static_cast<GLsizei>(indexed ? call.vertexCount : call.indexCount));
  }
  if (call.indices == nullptr) {
    glDrawArrays(mode, 0, static_cast<GLsizei>(call.indexCount));
  } else {
    // The layer has checked every index against the vertex count: the range spares OpenGL a scan of
    // its own.
    glDrawRangeElements(mode, 0, call.vertexCount - 1, static_cast<GLsizei>(call.indexCount),
                        call.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, ArrayAddress(call.indices));
  }
  if (normals) {
    normalIsZero_ = false;
  }
  if (colours) {
    colourIsWhite_ = false;
  }
  return DD_OK;
}

HRESULT SdlDisplay::Present(Surface& backBuffer, const RECT*, bool vsync) {
  if (&backBuffer != target_ && (backBuffer.Caps() & DDSCAPS_3DDEVICE) == 0) {
    return ShowPlainSurface(backBuffer);
  }
  if (!Current() || framebuffer_ == 0) {
    return DDERR_NOHWND;
  }
  DeleteReleasedTextures();
  FinishKeptFrame();
  SendWaitingClear();
  // Textures uploaded in this frame no longer need their system memory: once a good part of the heap
  // has been freed that way, it goes back to the system.
  constexpr std::size_t kCompactAfterBytes = 4u << 20;
  if (discardedBytes_ >= kCompactAfterBytes) {
    discardedBytes_ = 0;
    HeapCompact(GetProcessHeap(), 0);
  }
  ReleaseCompilerCodeWhenDue();
  if (vsync != vsync_) {
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);
    vsync_ = vsync;
  }
  // Drawn straight into the window, the frame needs no copy: the swap shows it.
  bool scaled = false;
  GLint shownArea[4] = {0, 0, targetWidth_, targetHeight_};
  if (drawTarget_ != 0) {
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
    const int sourceWidth = static_cast<int>(backBuffer.Width());
    const int sourceHeight = static_cast<int>(backBuffer.Height());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    clipKnown_ = false;
    scaled = windowWidth != sourceWidth || windowHeight != sourceHeight;
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
      shownArea[0] = area.x;
      shownArea[1] = area.y;
      shownArea[2] = area.width;
      shownArea[3] = area.height;
    }
  }
  if (armedRecorder != nullptr) {
    armedRecorder->Present(targetWidth_, targetHeight_, drawTarget_ != 0, shownArea, vsync, refreshInterval_);
    DisarmRecorder();
  }
  // The window layer maps the cursor through the same area while full screen scales the picture.
  SDL_SetWindowData(window_, kPresentedSizeKey,
                    scaled && coveredDesktop_ ? EncodePresentedSize(static_cast<int>(backBuffer.Width()),
                                                                    static_cast<int>(backBuffer.Height()))
                                              : nullptr);
  SDL_GL_SwapWindow(window_);
  NoteShown();
  ChooseDrawTarget();
  if (vsync != pacedWithVsync_) {
    pacer_.Reset();
    pacedWithVsync_ = vsync;
  }
  if (vsync || unsyncedPacing) {
    const FramePacer::Clock::duration wait = pacer_.Wait(
        FramePacer::Clock::now(), vsync ? refreshInterval_ : FramePacer::UnsyncedInterval(refreshInterval_));
    if (wait > FramePacer::Clock::duration::zero()) {
      std::this_thread::sleep_for(wait);
    }
  } else {
    pacer_.Reset();
  }
  return DD_OK;
}

HRESULT SdlDisplay::ShowPlainSurface(Surface& picture) {
  if (window_ == nullptr) {
    return DDERR_NOHWND;
  }
  if (picture.Memory() == nullptr || picture.Width() == 0 || picture.Height() == 0) {
    return DDERR_INVALIDPARAMS;
  }
  int windowWidth = 0;
  int windowHeight = 0;
  SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
  if (windowWidth <= 0 || windowHeight <= 0) {
    return DD_OK;  // nothing of the window is seen
  }
  // Stretched over the screen: where the device's target is shown, or the whole window without one.
  const int screenWidth = target_ != nullptr ? static_cast<int>(target_->Width()) : windowWidth;
  const int screenHeight = target_ != nullptr ? static_cast<int>(target_->Height()) : windowHeight;
  PresentedArea area = FitArea(screenWidth, screenHeight, windowWidth, windowHeight);
  area.y = windowHeight - area.y - area.height;  // from the top, as the picture's rows run
  const StretchedPicture stretched(picture, area, windowWidth);
  const PictureRows rows = [&stretched](int top, int count, std::uint32_t* out) {
    stretched.Rows(top, count, out);
  };
  // Under X11 the pixels go straight to the window, so a picture is seen before OpenGL has drawn
  // anything; elsewhere OpenGL copies them in.
  if (!plainSurfacesThroughX || !PutPictureInWindow(window_, windowWidth, windowHeight, rows)) {
    if (!Current()) {
      return DDERR_NOHWND;
    }
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(windowWidth) * windowHeight);
    rows(0, windowHeight, shown.data());
    CopyIntoWindow(shown, windowWidth, windowHeight);
  }
  // The window no longer shows the last frame: the next one is drawn whole.
  lastFrameKnown_ = false;
  // As after a present: the window layer maps the cursor through the area while full screen scales.
  const bool scaled = area.width != windowWidth || area.height != windowHeight;
  SDL_SetWindowData(window_, kPresentedSizeKey,
                    scaled && coveredDesktop_ ? EncodePresentedSize(screenWidth, screenHeight) : nullptr);
  NoteShown();
  return DD_OK;
}

void SdlDisplay::CopyIntoWindow(const std::vector<std::uint32_t>& shown, int width, int height) {
  GLuint texture = 0;
  GLuint framebuffer = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, shown.data());
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // The rows run from the top; OpenGL's from the bottom.
  glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  SDL_GL_SwapWindow(window_);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  clipKnown_ = false;
  ForgetAppliedState();
  ChooseDrawTarget();
}

void SdlDisplay::ReadBack(Surface& renderTarget) {
  if (&renderTarget != target_ || !Current() || framebuffer_ == 0) {
    return;
  }
  StopKeeping();
  SendWaitingClear();
  const DWORD width = renderTarget.Width();
  const DWORD height = renderTarget.Height();
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, drawTarget_);
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

void SdlDisplay::ReleaseSurface(Surface& surface) {
  const std::uint32_t name = surface.driverHandle.exchange(0);
  if (&surface == target_) {
    target_ = nullptr;
  }
  if (name != 0) {
    std::lock_guard lock(releasedMutex_);
    released_.push_back(name);
  }
}

// Full screen covers the desktop without switching the display's mode; Present scales the back
// buffer into it with its aspect kept. The window is placed over the desktop by hand; the request to
// go full screen is made only where a window manager will answer it.
void SdlDisplay::CoverDesktop() {
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0 ||
      SDL_GetWindowData(window_, kCoversDesktopKey) != nullptr) {
    return;
  }
  int widthBefore = 0;
  int heightBefore = 0;
  SDL_GetWindowSize(window_, &widthBefore, &heightBefore);
  SDL_Rect desktop{};
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &desktop) == 0) {
    // Placed first: a window flagged full screen ignores size changes.
    SDL_SetWindowBordered(window_, SDL_FALSE);
    SDL_SetWindowPosition(window_, desktop.x, desktop.y);
    SDL_SetWindowSize(window_, desktop.w, desktop.h);
  }
  if (WindowManagerRuns(window_)) {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_SetWindowData(window_, kCoversDesktopKey, window_);
  }
  coveredDesktop_ = true;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  if ((width != widthBefore || height != heightBefore) && context_ != nullptr) {
    // Mesa's software rasterizers measure a window again only at a swap: without one, the first frame
    // would be shown in the window's old size. The window shows black until then.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    clipKnown_ = false;
    lastFrameKnown_ = false;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window_);
  }
}

bool SdlDisplay::Current() {
  if (context_ == nullptr) {
    return false;
  }
  if (SDL_GL_GetCurrentContext() != context_) {
    SDL_GL_MakeCurrent(window_, context_);
  }
  if (seenForeignUses_ != foreignContextUses) {
    // Something else drew with the context: nothing it holds is known any more.
    seenForeignUses_ = foreignContextUses;
    ForgetAppliedState();
    ForgetClearedValues();
    clipKnown_ = false;
    glActiveTexture(GL_TEXTURE0);
    SDL_GL_SetSwapInterval(vsync_ ? 1 : 0);
    if (framebuffer_ != 0) {
      ChooseDrawTarget();
    }
  }
  return true;
}

void SdlDisplay::DeleteFramebuffer() {
  if (framebuffer_ != 0) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colourBuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
  }
  framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
  framebufferStored_ = false;
  drawTarget_ = 0;
  targetWidth_ = targetHeight_ = 0;
  ForgetClearedValues();
}

void SdlDisplay::ReleaseCompilerCodeWhenDue() {
  // The shader compiler runs at start-up and in the first frames of what is newly shown; in between,
  // its code pages (the largest part of what the process keeps resident) are handed back every few
  // seconds, and a compile maps again from the page cache what it uses. So are the driver's own, much
  // of which (its shader translation) is as seldom used: what each frame runs comes back at once.
  constexpr auto kInterval = std::chrono::seconds(5);
  const FramePacer::Clock::time_point now = FramePacer::Clock::now();
  if (now - compilerCodeReleasedAt_ >= kInterval) {
    compilerCodeReleasedAt_ = now;
    compilerCode_.Release();
    driverCode_.Release();
    // And what the heap keeps free at its top beyond the frames' own needs (see SetWindow).
    HeapCompact(GetProcessHeap(), 0);
  }
}

void SdlDisplay::DeleteReleasedTextures() {
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

bool SdlDisplay::WindowTakesTheTarget() {
  if (!windowFramebufferFits_ || framebuffer_ == 0) {
    return false;
  }
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  return width == targetWidth_ && height == targetHeight_;
}

void SdlDisplay::ChooseDrawTarget() {
  // Without storage for the off-screen target (none could be made) the frame goes to the window.
  const GLuint chosen = WindowTakesTheTarget() || !MakeFramebufferStorage() ? 0 : framebuffer_;
  if (chosen != drawTarget_) {
    ForgetClearedValues();  // another framebuffer's buffers
  }
  drawTarget_ = chosen;
  glBindFramebuffer(GL_FRAMEBUFFER, drawTarget_);
}

bool SdlDisplay::MakeFramebufferStorage() {
  if (framebufferStored_) {
    return true;
  }
  if (framebuffer_ == 0) {
    return false;
  }
  glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, targetWidth_, targetHeight_);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, targetWidth_, targetHeight_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return false;
  }
  ClearTarget();
  ForgetAppliedState();
  framebufferStored_ = true;
  return true;
}

void SdlDisplay::ClearTarget() {
  glDisable(GL_SCISSOR_TEST);
  clipKnown_ = false;
  lastFrameKnown_ = false;
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  ++clearsSent;
  clearWaiting_ = false;
  depthKnown_ = stencilKnown_ = true;
  knownDepth_ = 1.0f;
  knownStencil_ = 0;
}

void SdlDisplay::ForgetClearedValues() {
  depthKnown_ = stencilKnown_ = false;
  clearWaiting_ = false;
  lastFrameKnown_ = false;  // what the target holds is not known either
}

void SdlDisplay::NoteDepthAndStencilWrites(const DeviceState& state) {
  const DWORD* rs = state.renderStates;
  // OpenGL writes depth only where the depth test is on.
  if (state.hasDepth && rs[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE &&
      rs[D3DRENDERSTATE_ZWRITEENABLE] != FALSE) {
    depthKnown_ = false;
  }
  if (state.hasStencil && rs[D3DRENDERSTATE_STENCILENABLE] != FALSE &&
      (rs[D3DRENDERSTATE_STENCILWRITEMASK] & 0xFF) != 0) {
    stencilKnown_ = false;
  }
}

SdlDisplay::ClearRect SdlDisplay::OpaqueCover(const DeviceState& state, const DrawCall& call) const {
  const DWORD* rs = state.renderStates;
  // Every fragment of the draw lands, and replaces what is there.
  const bool blends = rs[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE && !blendSkipped_;
  const bool tested = rs[D3DRENDERSTATE_ALPHATESTENABLE] != FALSE ||
                      (state.hasDepth && rs[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE) ||
                      (state.hasStencil && rs[D3DRENDERSTATE_STENCILENABLE] != FALSE);
  const DWORD triangles = TriangleCount(call);
  if (blends || tested || rs[D3DRENDERSTATE_FILLMODE] == D3DFILL_POINT ||
      rs[D3DRENDERSTATE_FILLMODE] == D3DFILL_WIREFRAME || call.vertices == nullptr || triangles == 0 ||
      triangles > 16) {
    return {};
  }
  // The corners on the target, in pixels from its top-left corner; all at the same w.
  const D3DMATRIX toClip = ClipMatrix(state);
  const D3DVIEWPORT7& v = state.viewport;
  constexpr int kMostCorners = 48;
  float xs[kMostCorners];
  float ys[kMostCorners];
  int n = 0;
  float firstW = 0.0f;
  for (DWORD t = 0; t < triangles; ++t) {
    DWORD corners[3];
    TriangleCorners(call, t, corners);
    for (DWORD vertex : corners) {
      float clip[3];
      ClipPosition(call, toClip, vertex, clip);
      if (n == 0) {
        firstW = clip[2];
      }
      if (!(clip[2] > 0.0f) || clip[2] != firstW) {
        return {};
      }
      xs[n] = static_cast<float>(v.dwX) + (clip[0] / clip[2] * 0.5f + 0.5f) * static_cast<float>(v.dwWidth);
      ys[n] = static_cast<float>(v.dwY) + (0.5f - clip[1] / clip[2] * 0.5f) * static_cast<float>(v.dwHeight);
      ++n;
    }
  }
  const float left = *std::min_element(xs, xs + n);
  const float right = *std::max_element(xs, xs + n);
  const float top = *std::min_element(ys, ys + n);
  const float bottom = *std::max_element(ys, ys + n);
  // A rectangle: every corner on one of its corners, and two triangles that halve it along a diagonal
  // between them, both facing a way the culling keeps.
  bool halves[4] = {};  // the triangle leaving out corner 0 (top left), 1, 2 or 3 (bottom left)
  for (int t = 0; t < n; t += 3) {
    int corner[3];
    for (int i = 0; i < 3; ++i) {
      const bool atLeft = xs[t + i] == left;
      const bool atTop = ys[t + i] == top;
      if ((!atLeft && xs[t + i] != right) || (!atTop && ys[t + i] != bottom)) {
        return {};
      }
      corner[i] = atTop ? (atLeft ? 0 : 1) : (atLeft ? 3 : 2);
    }
    if (corner[0] == corner[1] || corner[1] == corner[2] || corner[0] == corner[2]) {
      continue;  // no area
    }
    // Clockwise on the screen (y down) when the cross product is positive.
    const float cross = (xs[t + 1] - xs[t]) * (ys[t + 2] - ys[t]) - (ys[t + 1] - ys[t]) * (xs[t + 2] - xs[t]);
    const DWORD cull = rs[D3DRENDERSTATE_CULLMODE];
    if ((cull == D3DCULL_CW && cross > 0.0f) || (cull == D3DCULL_CCW && cross < 0.0f)) {
      continue;  // culled
    }
    halves[6 - corner[0] - corner[1] - corner[2]] = true;
  }
  if (!((halves[0] && halves[2]) || (halves[1] && halves[3]))) {
    return {};
  }
  // The pixels whose centres lie strictly inside, within the viewport and the target.
  auto first = [](float edge) { return static_cast<GLint>(std::floor(edge - 0.5f)) + 1; };
  auto end = [](float edge) { return static_cast<GLint>(std::ceil(edge - 0.5f)); };
  ClearRect r;
  r.left = std::max({first(left), static_cast<GLint>(v.dwX), GLint{0}});
  r.top = std::max({first(top), static_cast<GLint>(v.dwY), GLint{0}});
  r.right = std::min({end(right), static_cast<GLint>(v.dwX + v.dwWidth), targetWidth_});
  r.bottom = std::min({end(bottom), static_cast<GLint>(v.dwY + v.dwHeight), targetHeight_});
  return r.Empty() ? ClearRect{} : r;
}

void SdlDisplay::SendWaitingClear() {
  if (!clearWaiting_) {
    return;
  }
  clearWaiting_ = false;
  glClearColor(waitingColour_[0], waitingColour_[1], waitingColour_[2], waitingColour_[3]);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  const ClearRect clip = Clip();
  auto clear = [&](GLint left, GLint top, GLint right, GLint bottom) {
    const ClearRect area = ClearRect{left, top, right, bottom}.Within(clip);
    if (area.Empty()) {
      return;
    }
    clipKnown_ = false;
    glEnable(GL_SCISSOR_TEST);
    glScissor(area.left, targetHeight_ - area.bottom, area.right - area.left, area.bottom - area.top);
    if (armedRecorder != nullptr) {
      armedRecorder->Clear(GL_COLOR_BUFFER_BIT);
    }
    glClear(GL_COLOR_BUFFER_BIT);
    ++clearsSent;
  };
  const ClearRect& c = covered_;
  if (c.Empty()) {
    clear(0, 0, targetWidth_, targetHeight_);
  } else {
    clear(0, 0, targetWidth_, c.top);                 // above
    clear(0, c.bottom, targetWidth_, targetHeight_);  // below
    clear(0, c.top, c.left, c.bottom);                // left
    clear(c.right, c.top, targetWidth_, c.bottom);    // right
  }
}

void SdlDisplay::EnableArray(ClientArray& shadow, GLenum array, bool enable) {
  if (shadow.enabledKnown && shadow.enabled == enable) {
    return;
  }
  if (enable) {
    glEnableClientState(array);
  } else {
    glDisableClientState(array);
  }
  shadow.enabledKnown = true;
  shadow.enabled = enable;
}

bool SdlDisplay::PointerChanged(ClientArray& shadow, const void* pointer, GLsizei stride) {
  if (shadow.pointerKnown && shadow.pointer == pointer && shadow.stride == stride) {
    return false;
  }
  shadow.pointerKnown = true;
  shadow.pointer = pointer;
  shadow.stride = stride;
  return true;
}

void SdlDisplay::ClientUnit(int unit) {
  if (clientUnit_ != unit) {
    glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    clientUnit_ = unit;
  }
}

void SetUnsyncedPacing(bool paced) {
  unsyncedPacing = paced;
}

std::uint64_t ClearsSent() {
  return clearsSent;
}

std::chrono::steady_clock::time_point FirstPictureShown() {
  return firstShown;
}

void SetPlainSurfacesThroughX(bool on) {
  plainSurfacesThroughX = on;
}

void InstallDisplayDriver() {
  ddraw::InstallDisplayDriver(std::make_shared<SdlDisplay>());
}

}  // namespace platform::sdl
