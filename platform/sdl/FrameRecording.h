#pragma once
// One frame captured as it reaches OpenGL, and the same frame drawn again with plain OpenGL calls.
//
// RecordNextFrame arms the SDL display: every clear and draw it sends to OpenGL from then on is copied
// into the recording together with the OpenGL state it was drawn with, read back from the context (so
// the recording holds what OpenGL was given, not what the device was asked), until the next present
// ends the frame and disarms the display. Each texture is read back once, on its first use in the
// frame (pixels it takes later in the same frame are not seen). Recording is slow (the whole state is
// read for each draw); while nothing is armed the display pays a pointer test and a counter comparison
// per call.
//
// FrameReplay draws a recording in the current OpenGL context without the device: it uploads the
// recorded textures once, then each Draw() sets the recorded state, clears and draws what was recorded,
// and Present() shows it in the window as the display did and swaps. The replay changes the context
// behind the display's back; the display notices and sets all of its state afresh on its next call.
//
// Main thread only, with the display's context current (a window whose device has drawn).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

struct SDL_Window;

namespace platform::sdl {

class FramePacer;

// Texture units and lights a recording keeps (the display uses no more).
inline constexpr int kRecordedUnits = 8;
inline constexpr int kRecordedLights = 8;

// A texture's levels as RGBA bytes, rows bottom-up as OpenGL keeps them.
struct RecordedTexture {
  struct Level {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgba;
  };
  std::vector<Level> levels;
};

// OpenGL enumerations are kept as their numbers; a value the context never reported stays 0.
struct RecordedStates {
  std::int32_t viewport[4] = {};
  double depthRange[2] = {0.0, 1.0};
  std::int32_t depthTest = 0;
  std::int32_t depthFunc = 0;
  std::int32_t depthWrite = 0;
  std::int32_t colourWrite[4] = {};
  std::int32_t blend = 0;
  std::int32_t blendSource = 0;
  std::int32_t blendDestination = 0;
  std::int32_t alphaTest = 0;
  std::int32_t alphaFunc = 0;
  float alphaReference = 0.0f;
  std::int32_t cull = 0;
  std::int32_t cullFace = 0;
  std::int32_t frontFace = 0;
  std::int32_t stencilTest = 0;
  std::int32_t stencilFunc = 0;
  std::int32_t stencilReference = 0;
  std::int32_t stencilValueMask = 0;
  std::int32_t stencilFail = 0;
  std::int32_t stencilDepthFail = 0;
  std::int32_t stencilPass = 0;
  std::int32_t stencilWriteMask = 0;
  std::int32_t shadeModel = 0;
  std::int32_t polygonMode = 0;
  std::int32_t normalize = 0;
  bool operator==(const RecordedStates&) const = default;
};

// Light positions and spot directions are in eye space, as OpenGL keeps them.
struct RecordedLight {
  std::int32_t enabled = 0;
  float ambient[4] = {};
  float diffuse[4] = {};
  float specular[4] = {};
  float position[4] = {};
  float spotDirection[3] = {};
  float spotExponent = 0.0f;
  float spotCutoff = 180.0f;
  float attenuation[3] = {1.0f, 0.0f, 0.0f};
  bool operator==(const RecordedLight&) const = default;
};

// Lighting as a whole; the rest is left at its defaults when lighting is off.
struct RecordedLighting {
  std::int32_t enabled = 0;
  float modelAmbient[4] = {};
  std::int32_t localViewer = 0;
  std::int32_t colourMaterial = 0;
  std::int32_t colourMaterialMode = 0;
  float ambient[4] = {};
  float diffuse[4] = {};
  float specular[4] = {};
  float emission[4] = {};
  float shininess = 0.0f;
  RecordedLight lights[kRecordedLights];
  bool operator==(const RecordedLighting&) const = default;
};

// A texture unit: its texture with the sampler parameters it had, the texture environment (combiners)
// and the texture matrix. A unit without texturing keeps the rest at its defaults.
struct RecordedUnit {
  std::int32_t enabled = 0;
  std::int32_t texture = -1;  // index into FrameRecording::textures
  std::int32_t minFilter = 0;
  std::int32_t magFilter = 0;
  std::int32_t wrapS = 0;
  std::int32_t wrapT = 0;
  float anisotropy = 0.0f;  // 0: the context has no anisotropic filtering
  std::int32_t envMode = 0;
  std::int32_t combineRgb = 0;
  std::int32_t combineAlpha = 0;
  float rgbScale = 1.0f;
  float alphaScale = 1.0f;
  std::int32_t sourceRgb[3] = {};
  std::int32_t operandRgb[3] = {};
  std::int32_t sourceAlpha[3] = {};
  std::int32_t operandAlpha[3] = {};
  float envColour[4] = {};
  float matrix[16] = {};
  bool operator==(const RecordedUnit&) const = default;
};

// Where one client array reads in the draw's interleaved vertices; offset -1: the array is off.
struct RecordedArray {
  std::int32_t offset = -1;
  std::int32_t size = 0;
  std::int32_t type = 0;
  bool operator==(const RecordedArray&) const = default;
};

struct RecordedDraw {
  RecordedStates states;
  RecordedLighting lighting;
  float projection[16] = {};
  float modelView[16] = {};
  RecordedUnit units[kRecordedUnits];

  // The vertices as the arrays pointed at them: `vertexCount` interleaved vertices of `stride` bytes.
  std::int32_t stride = 0;
  std::int32_t vertexCount = 0;
  RecordedArray position;
  RecordedArray normal;
  RecordedArray colour;
  RecordedArray texCoords[kRecordedUnits];
  float currentColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // what vertices without colours take
  float currentNormal[3] = {0.0f, 0.0f, 1.0f};
  std::vector<std::uint8_t> vertices;

  std::int32_t mode = 0;       // the primitive
  std::int32_t count = 0;      // indices, or vertices from the first when not indexed
  std::int32_t indexType = 0;  // 0: not indexed
  std::vector<std::uint8_t> indices;
};

// A clear limited to the scissor box.
struct RecordedClear {
  std::int32_t scissor[4] = {};
  std::uint32_t mask = 0;
  float colour[4] = {};
  double depth = 1.0;
  std::int32_t stencil = 0;
};

using RecordedStep = std::variant<RecordedClear, RecordedDraw>;

struct FrameRecording {
  // The target the frame was drawn into: the window's own framebuffer, or an off-screen one of this
  // size that presenting copied into the window's `presentArea` (x, y, width, height; scaled when the
  // sizes differ).
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool offscreen = false;
  std::int32_t presentArea[4] = {};
  std::int32_t swapInterval = 0;  // as the present left it
  // The present asked to wait for the vertical blank; where the swap does not wait, the display waited
  // out the rest of `refreshNanoseconds` after it.
  bool vsync = false;
  std::int64_t refreshNanoseconds = 0;
  bool complete = false;  // a present ended the frame

  std::vector<RecordedTexture> textures;
  std::vector<RecordedStep> steps;

  std::size_t DrawCount() const;
};

// Arms the display to record what it sends to OpenGL from now until the next present into `into`
// (emptied first), which must outlive that present. Arming again replaces the earlier recording's
// place; CancelFrameRecording disarms without a present.
void RecordNextFrame(FrameRecording& into);
void CancelFrameRecording();
bool FrameRecordingArmed();

// Plain OpenGL replay of a recording in the current context; the recording must outlive it.
// Construction uploads the textures (and makes the off-screen target when the frame had one);
// destruction deletes them.
class FrameReplay {
 public:
  explicit FrameReplay(const FrameRecording& recording);
  ~FrameReplay();
  FrameReplay(const FrameReplay&) = delete;
  FrameReplay& operator=(const FrameReplay&) = delete;

  // Clears and draws the recorded steps into the target; it stays bound for reading afterwards.
  void Draw();
  // Copies an off-screen target into the window as the display did, sets the recorded swap interval,
  // swaps the window that was current at construction and, for a frame presented with vsync, paces
  // the presents to the refresh interval as the display does.
  void Present();

 private:
  void DrawStep(const RecordedDraw& draw, const RecordedDraw* previous);

  const FrameRecording& recording_;
  SDL_Window* window_ = nullptr;
  std::vector<std::uint32_t> textures_;
  // The sampler parameters each texture holds (min, mag, wrap s, wrap t, anisotropy as bits).
  std::vector<std::array<std::int32_t, 5>> samplers_;
  std::unique_ptr<FramePacer> pacer_;
  std::uint32_t framebuffer_ = 0;
  std::uint32_t colourBuffer_ = 0;
  std::uint32_t depthBuffer_ = 0;
};

}  // namespace platform::sdl
