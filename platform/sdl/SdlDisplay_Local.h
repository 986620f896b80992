#pragma once
// The SDL/OpenGL display driver's class, shared by its files only: SdlDisplay.cpp (the context, the
// off-screen target, clearing, drawing and presenting), SdlDisplay_States.cpp (render states,
// transforms, lighting and the texture stages' combiners) and SdlDisplay_Textures.cpp (texture upload
// and sampler parameters).
//
// Fixed-function OpenGL under the Direct3D 7 conventions: row-vector matrices, depth 0..1, the screen's
// y running down, packed BGRA vertex colours, Direct3D's texture-stage model and its defaults.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ddraw/DDraw_Local.h"
#include "platform/sdl/CodePages.h"
#include "platform/sdl/FramePacer_Local.h"

namespace platform::sdl {

using ddraw::DeviceState;
using ddraw::DisplayMode;
using ddraw::DrawCall;
using ddraw::Surface;

struct FrameRecording;
struct RecordedDraw;
struct RecordedLighting;

// Copies what the display sends to OpenGL into a FrameRecording (FrameRecorder.cpp). The display reports
// each clear just before it clears and each draw just before it draws, when the state is set.
class FrameRecorder {
 public:
  explicit FrameRecorder(FrameRecording& into);
  void Clear(GLbitfield mask);
  // vertexCount: the vertices the arrays hold from their pointers; indexType 0 for glDrawArrays.
  void Draw(GLenum mode, GLsizei count, GLenum indexType, const void* indices, GLsizei vertexCount);
  // The frame's end: the target drawn into, and where presenting put it in the window.
  void Present(GLint width, GLint height, bool offscreen, const GLint area[4], bool vsync,
               FramePacer::Clock::duration refreshInterval);

 private:
  void ReadUnit(int unit, RecordedDraw& draw);
  void ReadLighting(RecordedLighting& lighting);
  int Texture(GLuint name);

  FrameRecording& into_;
  std::unordered_map<GLuint, int> textures_;
  GLint units_ = 1;
  bool anisotropic_ = false;
};

// The armed recorder; null while no frame is recorded.
extern FrameRecorder* armedRecorder;
// Disarms after the frame's present.
void DisarmRecorder();
// Counts the times something other than the display drew with its context (a replay): the display
// then forgets what it believes the context holds.
extern std::uint32_t foreignContextUses;

// A packed Direct3D colour as OpenGL's four floats.
void ColourToFloats(D3DCOLOR c, GLfloat out[4]);

// The triangles of a list, strip or fan (0 for other primitives), and the vertices of the nth one.
DWORD TriangleCount(const DrawCall& call);
void TriangleCorners(const DrawCall& call, DWORD n, DWORD corners[3]);
// Object space to clip space: Direct3D's row vectors times world, view and projection.
D3DMATRIX ClipMatrix(const DeviceState& state);
// A vertex's position in clip space (x, y, w).
void ClipPosition(const DrawCall& call, const D3DMATRIX& toClip, DWORD vertex, float out[3]);

// What every texel of a texture is: grey (red, green and blue equal), white (and 255), opaque (alpha
// 255, or a format without alpha).
struct TexelKinds {
  bool grey = true;
  bool white = true;
  bool opaque = true;

  // What both these texels and `other` are.
  TexelKinds& operator&=(const TexelKinds& other) {
    grey = grey && other.grey;
    white = white && other.white;
    opaque = opaque && other.opaque;
    return *this;
  }
};
// The kinds of a level's texels, four bytes each (the fourth alpha, looked at when `alpha`).
TexelKinds ClassifyTexels(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height,
                          std::size_t pitch, bool alpha);
// Grey texels packed for OpenGL: luminance alone (channels 1), luminance and alpha (2), or alpha alone
// (0).
void PackTexels(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height, std::size_t pitch,
                int channels, std::uint8_t* out);

// The bound texture's level as RGBA bytes as it is sampled: luminance in red, green and blue, and the
// texture's swizzle applied (reading back does neither by itself).
void ReadTexels(GLint level, std::uint8_t* rgba);

struct TextureParameters {
  GLint minFilter = -1;
  GLint magFilter = -1;
  GLint wrapS = -1;
  GLint wrapT = -1;
  GLfloat anisotropy = -1.0f;
  // Of every level, as stored; nothing is known of a texture not uploaded yet (not even that it is
  // opaque).
  TexelKinds kinds{false, false, false};
};

class SdlDisplay final : public ddraw::DisplayDriver {
 public:
  ~SdlDisplay() override;
  DisplayMode GetDesktopMode() override;
  std::vector<DisplayMode> GetReportedModes() override;
  HRESULT SetWindow(HWND window, bool fullScreen) override;
  HRESULT OpenDevice(Surface& renderTarget) override;
  void CloseDevice() override;
  HRESULT Clear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth, DWORD stencil) override;
  HRESULT Draw(DeviceState& state, const DrawCall& call) override;
  // The device's target is presented through OpenGL. A plain surface in system memory is shown as it
  // is (scaled into the window as the target would be), without the device: a picture can be seen
  // before anything has been drawn.
  HRESULT Present(Surface& backBuffer, const RECT*, bool vsync) override;
  void ReadBack(Surface& renderTarget) override;
  void ReleaseSurface(Surface& surface) override;

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

  // The context, the target and presenting.
  HRESULT ShowPlainSurface(Surface& picture);
  // Copies a window-sized picture (0x00RRGGBB words, rows from the top) into the window with OpenGL and
  // shows it.
  void CopyIntoWindow(const std::vector<std::uint32_t>& shown, int width, int height);
  void CoverDesktop();
  bool Current();
  void DeleteFramebuffer();
  void DeleteReleasedTextures();
  void ReleaseCompilerCodeWhenDue();
  // Whether the window's own framebuffer can take the device's drawing in place of the off-screen one:
  // the same size, and channels, depth and stencil as deep.
  bool WindowTakesTheTarget();
  // Binds the framebuffer the next frame is drawn into.
  void ChooseDrawTarget();
  // Gives the off-screen target its colour and depth storage (cleared) when it has none; false when
  // it cannot be made.
  bool MakeFramebufferStorage();
  // Clears the bound framebuffer to black, depth 1 and stencil 0, masks and scissor opened.
  void ClearTarget();

  // Clears that can be left out. The depth and stencil buffers' values are known while no draw has
  // written them since a clear of the whole target: clearing them to the same values again is skipped.
  // A clear of the whole target's colour waits for the first draw: draws that cover whole rectangles of
  // the target without blending or any test replace the colour there, so the clear is sent (scissored)
  // only for what they leave, before the first other draw, or at present or read-back. Nothing is left
  // out while a frame is recorded, so that its replay stands on its own.
  struct ClearRect {
    GLint left = 0, top = 0, right = 0, bottom = 0;  // the target's pixels from its top-left corner
    bool Empty() const { return right <= left || bottom <= top; }
    // The part of this rectangle inside `other` (empty when they do not meet).
    ClearRect Within(const ClearRect& other) const {
      return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
              std::min(bottom, other.bottom)};
    }
  };
  void ForgetClearedValues();
  // The whole-target rectangle the draw covers opaquely, or an empty one when it does not.
  ClearRect OpaqueCover(const DeviceState& state, const DrawCall& call) const;
  // Sends the waiting colour clear for the part of the target the covering draws have left.
  void SendWaitingClear();
  void NoteDepthAndStencilWrites(const DeviceState& state);

  // Frames kept, and drawn again only where they changed (SdlDisplay_Frames.cpp). From a frame's first
  // clear or draw to its present the display keeps the calls, with their state, vertices and indices,
  // instead of sending them. At present it compares them with the last frame's calls: the pixels no
  // changed call touches are the last frame's, still in the off-screen target, so the calls are sent
  // scissored to the rectangle around what changed (nothing at all when nothing did). A frame is sent
  // whole, as its calls come, while it is recorded, when it is read back before its present or when it
  // draws into another target; the next frame is then drawn whole as well.
  struct TextureKey {
    std::uint64_t identity = 0;  // Surface::Identity; 0 for no texture
    std::uint64_t version = 0;   // ChainVersion
    bool operator==(const TextureKey&) const = default;
  };
  struct KeptCall {
    bool clear = false;
    DWORD flags = 0;  // a clear's
    D3DCOLOR colour = 0;
    float depth = 1.0f;
    DWORD stencil = 0;
    DrawCall call{};  // a draw's; its vertices and indices lie in the frame's bytes
    std::size_t vertexAt = 0;
    std::size_t vertexBytes = 0;
    std::size_t indexAt = 0;
    std::size_t indexBytes = 0;
    std::uint32_t state = 0;  // in the frame's states
    TextureKey textures[ddraw::kTextureStages];
    ClearRect bounds;  // the target's pixels it can touch
  };
  struct KeptFrame {
    std::vector<KeptCall> calls;
    std::vector<DeviceState> states;
    std::vector<std::uint8_t> bytes;
    std::vector<Surface*> held;  // the textures its draws use, one reference each until it is sent
    void ReleaseHeld();
    void Reset();
  };
  // Whether what is drawn into stays there from one frame to the next: the off-screen target, or a window
  // whose swap leaves its back buffer as it was.
  bool TargetKeepsPicture() const;
  // Whether this call is kept rather than sent: the frame is kept so far and draws into the target.
  bool Keeps(const DeviceState& state) const;
  void KeepClear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth, DWORD stencil);
  void KeepDraw(const DeviceState& state, const DrawCall& call);
  // Sends what the frame has kept, whole, and the rest of the frame as it comes.
  void StopKeeping();
  // The pixels a draw can touch: its vertices' rectangle on the target, within its viewport.
  ClearRect Bounds(const DeviceState& state, const DrawCall& call);
  // The draw's vertices on the target, in pixels from its top-left corner, as x, y pairs; false when
  // one lies at or behind the eye (clipping can then put the draw anywhere in its viewport) or is not a
  // number.
  static bool VerticesOnTarget(const DeviceState& state, const DrawCall& call, std::vector<float>& at);
  // The pixels a box of points on the target can touch, with a margin for the rasterizer's rounding.
  static ClearRect PixelBox(float left, float top, float right, float bottom);
  bool SameCall(const KeptCall& a, const KeptFrame& inA, const KeptCall& b, const KeptFrame& inB) const;
  // Whether the frame's picture owes nothing to the last one: it starts with a clear of the whole target's
  // colour, and of its depth and stencil where a draw tests them.
  bool DrawnAfresh() const;
  // Rectangles that do not overlap, together holding every pixel a call that differs between the last
  // frame and this one touches (or touched).
  void Changed(std::vector<ClearRect>& rects);
  // The rectangles on the target around each of the draw's triangles; false (and none) when they are
  // not worth finding (a clear, a draw of lines or points, very many vertices, a vertex behind the eye).
  bool TriangleBoxes(const KeptCall& kept, const KeptFrame& in, std::vector<ClearRect>& boxes);
  // About how long sending the kept frame into the rectangles takes, in seconds.
  double Cost(const std::vector<ClearRect>& rects) const;
  // Marks the cells the call's triangles touch.
  void MarkChanged(const KeptCall& kept, const KeptFrame& in);
  // Where OpenGL reads vertices or indices at `data` from: there, or, while the kept frame's bytes are in
  // keptBuffer_, their offset in it.
  const void* ArrayAddress(const void* data) const;
  // Puts the kept frame's vertices and indices into keptBuffer_, once for all its rectangles.
  void BufferKeptBytes();
  void UnbindKeptBytes();
  void ForgetArrayPointers();
  // Sends the kept frame's calls into each rectangle that they reach, scissored to it.
  void SendKept(const std::vector<ClearRect>& within);
  // At present: sends the frame (what changed, or all of it) and keeps it as the last frame.
  void FinishKeptFrame();
  HRESULT ClearNow(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth, DWORD stencil);
  HRESULT DrawNow(const DeviceState& state, const DrawCall& call);
  ClearRect WholeTarget() const { return {0, 0, targetWidth_, targetHeight_}; }
  // The viewport's pixels on the target.
  ClearRect ViewportRect(const D3DVIEWPORT7& v) const {
    return ClearRect{static_cast<GLint>(v.dwX), static_cast<GLint>(v.dwY),
                     static_cast<GLint>(v.dwX + v.dwWidth), static_cast<GLint>(v.dwY + v.dwHeight)}
        .Within(WholeTarget());
  }
  // Keeps the call, its state with it (once for calls in a row under one state).
  void Keep(KeptCall kept, const DeviceState& state);
  // Makes the rectangle where calls sent now may draw.
  void SetClip(const ClearRect& rect);
  bool ClipIsWhole() const;
  ClearRect Clip() const;
  // Scissors to the clip rectangle (or opens the scissor when that is the whole target).
  void ApplyClip();

  // What the context's client arrays hold, so that a draw sends only what changed.
  struct ClientArray {
    bool enabledKnown = false;
    bool enabled = false;
    bool pointerKnown = false;
    const void* pointer = nullptr;
    GLsizei stride = 0;
  };
  static void EnableArray(ClientArray& shadow, GLenum array, bool enable);
  // True when the pointer differs from the one the array holds; the shadow then takes it.
  static bool PointerChanged(ClientArray& shadow, const void* pointer, GLsizei stride);
  void ClientUnit(int unit);

  // Render states, transforms, lighting and the stages' combiners.
  void ForgetAppliedState();
  void ApplyViewport(const DeviceState& state);
  void ApplyRenderStates(const DeviceState& state);
  void ApplyTransforms(const DeviceState& state);
  void ApplyLighting(const DeviceState& state, bool hasNormals, bool hasColour);
  static GLint CombineSource(DWORD argument);
  static GLint CombineOperand(DWORD argument, bool alpha);
  static void SetCombiner(DWORD op, DWORD arg1, DWORD arg2, bool alpha);
  void ApplyStages(const DeviceState& state, int textureSets);
  void MatrixMode(GLenum mode);

  // Whether every fragment of the draw comes out with alpha 1, so that blending by source alpha leaves
  // the source as it is: the textures and vertex colours the stages' alpha reads are all opaque.
  bool DrawsOpaque(const DeviceState& state, const DrawCall& call);
  // Leaves blending off for a draw that blends by source alpha but draws opaque: the same pixels,
  // without reading the target back.
  void SkipBlendingWhenOpaque(const DeviceState& state, const DrawCall& call);

  // Textures and their sampler parameters.
  void Upload(Surface& texture);
  // Sets the sampler parameters of the texture bound to the unit (the active unit is 0 again after);
  // a texture drawn texel for pixel is point sampled whatever filters the stage asks for.
  void ApplySampler(int unit, Surface& texture, const DWORD* ss, bool texelForPixel);
  // Whether every triangle of the draw maps the unit's texels one to one onto the target's pixels, its
  // axes along the pixels' (flips and quarter turns allowed): point sampling then gives each pixel the
  // texel it lies on, as filtering would up to a fraction of a pixel's shift, at less cost.
  bool DrawsTexelForPixel(const DeviceState& state, const DrawCall& call, int unit,
                          const std::uint8_t* coordinates, const Surface& texture) const;
  // Changes whenever a level of the texture's mip-map chain changes.
  static std::uint64_t ChainVersion(Surface& texture);

  SDL_Window* window_ = nullptr;
  // SDL's id of window_: a window made after another is gone may get the old one's address, never its
  // id, and its buffers are its own.
  Uint32 windowId_ = 0;
  SDL_GLContext context_ = nullptr;
  bool fullScreen_ = false;
  bool coveredDesktop_ = false;
  bool vsync_ = false;
  FramePacer pacer_;
  bool pacedWithVsync_ = false;  // what the pacer's last present was paced for
  FramePacer::Clock::duration refreshInterval_ = FramePacer::Interval(0);
  // When the shader compiler's code pages were last handed back (CodePages.h).
  FramePacer::Clock::time_point compilerCodeReleasedAt_{};
  LibraryCode compilerCode_{std::string(kShaderCompilerLibrary)};
  LibraryCode driverCode_{std::string(kDriverLibrary)};
  bool anisotropic_ = false;
  // Textures can read their channels from others (alpha-only storage reading white).
  bool swizzle_ = false;
  GLint textureUnits_ = 1;
  GLuint framebuffer_ = 0;
  GLuint colourBuffer_ = 0;
  GLuint depthBuffer_ = 0;
  // The off-screen target's buffers have storage (made only once the frame is drawn there).
  bool framebufferStored_ = false;
  GLint targetWidth_ = 0;
  GLint targetHeight_ = 0;
  Surface* target_ = nullptr;
  // The window's own framebuffer has the target's channels, depth and stencil.
  bool windowFramebufferFits_ = false;
  // Swapping leaves the window's back buffer as it was, so that it still holds the last frame's picture.
  bool windowKeepsPicture_ = false;
  // What the frame is drawn into: 0 for the window's own framebuffer (presenting is then the swap
  // alone), framebuffer_ when the sizes differ (presenting scales it into the window).
  GLuint drawTarget_ = 0;

  std::uint64_t appliedRenderStates_ = 0;
  // Blending is off in the context although the applied render states ask for it (an opaque draw).
  bool blendSkipped_ = false;
  std::uint64_t appliedTransforms_ = 0;
  std::uint64_t appliedLights_ = 0;
  std::uint64_t appliedMaterial_ = 0;
  std::uint64_t appliedStages_ = 0;
  std::uint64_t appliedTextureTransforms_ = 0;
  std::uint64_t appliedViewport_ = 0;
  int lightingFormat_ = -1;
  D3DMATRIX appliedView_{};
  bool projectionKnown_ = false;
  D3DMATRIX appliedProjection_{};
  GLenum matrixMode_ = 0;  // 0: not known
  ClientArray vertexArray_;
  ClientArray normalArray_;
  ClientArray colourArray_;
  ClientArray texCoordArrays_[ddraw::kTextureStages];
  int clientUnit_ = -1;  // glClientActiveTexture's unit; -1: not known
  // The current normal is (0, 0, 0) and the current colour white: what vertices without them take. A
  // draw from an array of either leaves its current value undefined.
  bool normalIsZero_ = false;
  bool colourIsWhite_ = false;
  GLuint boundTextures_[ddraw::kTextureStages] = {};
  std::uint64_t boundVersions_[ddraw::kTextureStages] = {};
  bool unitEnabled_[ddraw::kTextureStages] = {};
  std::unordered_map<GLuint, TextureParameters> textureParameters_;
  // Heap memory of uploaded textures given back since the heap was last compacted (large textures give
  // theirs straight back to the system and are not counted).
  std::size_t discardedBytes_ = 0;

  std::uint32_t seenForeignUses_ = 0;

  bool depthKnown_ = false;
  float knownDepth_ = 1.0f;
  bool stencilKnown_ = false;
  DWORD knownStencil_ = 0;
  bool clearWaiting_ = false;
  GLfloat waitingColour_[4] = {};
  ClearRect covered_;  // drawn opaquely since the waiting clear

  KeptFrame frame_;
  KeptFrame lastFrame_;
  // What changed, marked on a grid of cells kCell pixels square.
  static constexpr int kCell = 8;
  struct ChangedCells {
    int columns = 0;
    int rows = 0;
    std::vector<std::uint8_t> marks;
    std::vector<float> positions;  // a call's vertices on the target
    std::vector<ClearRect> boxes;  // a call's triangles on the target
  } cells_;
  std::vector<ClearRect> redraw_;
  GLuint keptBuffer_ = 0;
  std::size_t keptBufferBytes_ = 0;
  const std::uint8_t* bufferedFrom_ = nullptr;  // the bytes keptBuffer_ holds while it is bound
  bool lastFrameKnown_ = false;                 // the target holds lastFrame_'s picture
  bool keeping_ = true;                         // this frame's calls so far are kept
  // Where calls sent now may draw: the whole target but while a kept frame is sent again in part (then
  // clipped_, within clip_).
  ClearRect clip_;
  bool clipped_ = false;
  bool clipKnown_ = false;  // the context's scissor is set for clip_

  std::mutex releasedMutex_;
  std::vector<GLuint> released_;
};

}  // namespace platform::sdl
