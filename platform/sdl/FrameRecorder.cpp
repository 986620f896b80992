// Recording a frame as it reaches OpenGL: the display reports each clear and draw once its state is set,
// and the recorder reads that state back from the context, copies the vertices and indices the draw
// reads and, on a texture's first use, its levels. Reading the context leaves it as it was (the active
// units are put back).
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/sdl/FrameRecording.h"
#include "platform/sdl/SdlDisplay_Local.h"

namespace platform::sdl {

static_assert(kRecordedUnits == static_cast<int>(ddraw::kTextureStages));
static_assert(kRecordedLights == static_cast<int>(ddraw::kMaxActiveLights));

FrameRecorder* armedRecorder = nullptr;
std::uint32_t foreignContextUses = 0;

namespace {

constexpr GLenum kMaxAnisotropyParameter = 0x84FE;  // GL_TEXTURE_MAX_ANISOTROPY_EXT

// The recorder armed by RecordNextFrame; armedRecorder points at it while it records.
std::unique_ptr<FrameRecorder> recorder;

GLint Integer(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

GLint Enabled(GLenum capability) {
  return glIsEnabled(capability) == GL_TRUE ? 1 : 0;
}

GLint TextureEnv(GLenum name) {
  GLint value = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, name, &value);
  return value;
}

GLfloat TextureEnvFloat(GLenum name) {
  GLfloat value = 0.0f;
  glGetTexEnvfv(GL_TEXTURE_ENV, name, &value);
  return value;
}

// The client array's layout relative to the vertices' start; off when disabled or outside the vertex.
RecordedArray ReadArray(GLenum array, GLenum pointer, GLenum size, GLenum type, const std::uint8_t* base,
                        GLint stride, GLint defaultSize) {
  RecordedArray a;
  if (glIsEnabled(array) != GL_TRUE) {
    return a;
  }
  void* p = nullptr;
  glGetPointerv(pointer, &p);
  const std::ptrdiff_t offset = static_cast<const std::uint8_t*>(p) - base;
  if (offset < 0 || offset >= stride) {
    return a;
  }
  a.offset = static_cast<std::int32_t>(offset);
  a.size = size != 0 ? Integer(size) : defaultSize;
  a.type = Integer(type);
  return a;
}

}  // namespace

std::size_t FrameRecording::DrawCount() const {
  return static_cast<std::size_t>(std::count_if(steps.begin(), steps.end(), [](const RecordedStep& s) {
    return std::holds_alternative<RecordedDraw>(s);
  }));
}

void RecordNextFrame(FrameRecording& into) {
  armedRecorder = nullptr;
  recorder = std::make_unique<FrameRecorder>(into);
  armedRecorder = recorder.get();
}

void CancelFrameRecording() {
  DisarmRecorder();
}

bool FrameRecordingArmed() {
  return armedRecorder != nullptr;
}

void DisarmRecorder() {
  armedRecorder = nullptr;
  recorder.reset();
}

FrameRecorder::FrameRecorder(FrameRecording& into) : into_(into) {
  into_ = FrameRecording{};
  if (SDL_GL_GetCurrentContext() != nullptr) {
    units_ = std::clamp<GLint>(Integer(GL_MAX_TEXTURE_UNITS), 1, kRecordedUnits);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    anisotropic_ =
        extensions != nullptr && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic") != nullptr;
  }
}

void FrameRecorder::Clear(GLbitfield mask) {
  RecordedClear clear;
  glGetIntegerv(GL_SCISSOR_BOX, clear.scissor);
  clear.mask = mask;
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.colour);
  glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clear.depth);
  clear.stencil = Integer(GL_STENCIL_CLEAR_VALUE);
  into_.steps.emplace_back(clear);
}

void FrameRecorder::Draw(GLenum mode, GLsizei count, GLenum indexType, const void* indices,
                         GLsizei vertexCount) {
  RecordedDraw draw;
  RecordedStates& s = draw.states;
  glGetIntegerv(GL_VIEWPORT, s.viewport);
  glGetDoublev(GL_DEPTH_RANGE, s.depthRange);
  s.depthTest = Enabled(GL_DEPTH_TEST);
  s.depthFunc = Integer(GL_DEPTH_FUNC);
  GLboolean flags[4] = {};
  glGetBooleanv(GL_DEPTH_WRITEMASK, flags);
  s.depthWrite = flags[0] == GL_TRUE ? 1 : 0;
  glGetBooleanv(GL_COLOR_WRITEMASK, flags);
  for (int i = 0; i < 4; ++i) {
    s.colourWrite[i] = flags[i] == GL_TRUE ? 1 : 0;
  }
  s.blend = Enabled(GL_BLEND);
  s.blendSource = Integer(GL_BLEND_SRC_RGB);
  s.blendDestination = Integer(GL_BLEND_DST_RGB);
  s.alphaTest = Enabled(GL_ALPHA_TEST);
  s.alphaFunc = Integer(GL_ALPHA_TEST_FUNC);
  glGetFloatv(GL_ALPHA_TEST_REF, &s.alphaReference);
  s.cull = Enabled(GL_CULL_FACE);
  s.cullFace = Integer(GL_CULL_FACE_MODE);
  s.frontFace = Integer(GL_FRONT_FACE);
  s.stencilTest = Enabled(GL_STENCIL_TEST);
  s.stencilFunc = Integer(GL_STENCIL_FUNC);
  s.stencilReference = Integer(GL_STENCIL_REF);
  s.stencilValueMask = Integer(GL_STENCIL_VALUE_MASK);
  s.stencilFail = Integer(GL_STENCIL_FAIL);
  s.stencilDepthFail = Integer(GL_STENCIL_PASS_DEPTH_FAIL);
  s.stencilPass = Integer(GL_STENCIL_PASS_DEPTH_PASS);
  s.stencilWriteMask = Integer(GL_STENCIL_WRITEMASK);
  s.shadeModel = Integer(GL_SHADE_MODEL);
  GLint polygon[2] = {};
  glGetIntegerv(GL_POLYGON_MODE, polygon);
  s.polygonMode = polygon[0];
  s.normalize = Enabled(GL_NORMALIZE);

  ReadLighting(draw.lighting);
  glGetFloatv(GL_PROJECTION_MATRIX, draw.projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, draw.modelView);

  // The vertices: every array points into the same interleaved vertices.
  void* base = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &base);
  const auto* vertices = static_cast<const std::uint8_t*>(base);
  draw.stride = Integer(GL_VERTEX_ARRAY_STRIDE);
  if (draw.stride == 0) {
    draw.stride = 3 * static_cast<GLint>(sizeof(GLfloat));
  }
  draw.vertexCount = vertexCount;
  draw.position = ReadArray(GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_POINTER, GL_VERTEX_ARRAY_SIZE,
                            GL_VERTEX_ARRAY_TYPE, vertices, draw.stride, 3);
  draw.normal =
      ReadArray(GL_NORMAL_ARRAY, GL_NORMAL_ARRAY_POINTER, 0, GL_NORMAL_ARRAY_TYPE, vertices, draw.stride, 3);
  draw.colour = ReadArray(GL_COLOR_ARRAY, GL_COLOR_ARRAY_POINTER, GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE,
                          vertices, draw.stride, 4);
  glGetFloatv(GL_CURRENT_COLOR, draw.currentColour);
  glGetFloatv(GL_CURRENT_NORMAL, draw.currentNormal);
  if (vertices != nullptr && vertexCount > 0) {
    draw.vertices.assign(vertices, vertices + static_cast<std::size_t>(vertexCount) * draw.stride);
  }

  const GLint activeUnit = Integer(GL_ACTIVE_TEXTURE);
  const GLint clientUnit = Integer(GL_CLIENT_ACTIVE_TEXTURE);
  for (int unit = 0; unit < units_; ++unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    ReadUnit(unit, draw);
    draw.texCoords[unit] =
        ReadArray(GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_POINTER, GL_TEXTURE_COORD_ARRAY_SIZE,
                  GL_TEXTURE_COORD_ARRAY_TYPE, vertices, draw.stride, 4);
  }
  glActiveTexture(static_cast<GLenum>(activeUnit));
  glClientActiveTexture(static_cast<GLenum>(clientUnit));

  draw.mode = static_cast<std::int32_t>(mode);
  draw.count = count;
  draw.indexType = static_cast<std::int32_t>(indexType);
  if (indexType != 0 && indices != nullptr && count > 0) {
    const std::size_t bytes = static_cast<std::size_t>(count) * (indexType == GL_UNSIGNED_INT ? 4 : 2);
    const auto* first = static_cast<const std::uint8_t*>(indices);
    draw.indices.assign(first, first + bytes);
  }
  into_.steps.emplace_back(std::move(draw));
}

void FrameRecorder::ReadLighting(RecordedLighting& l) {
  l.enabled = Enabled(GL_LIGHTING);
  if (l.enabled == 0) {
    return;
  }
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, l.modelAmbient);
  l.localViewer = Integer(GL_LIGHT_MODEL_LOCAL_VIEWER);
  l.colourMaterial = Enabled(GL_COLOR_MATERIAL);
  l.colourMaterialMode = Integer(GL_COLOR_MATERIAL_PARAMETER);
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, l.ambient);
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, l.diffuse);
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, l.specular);
  glGetMaterialfv(GL_FRONT, GL_EMISSION, l.emission);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &l.shininess);
  for (int i = 0; i < kRecordedLights; ++i) {
    const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
    RecordedLight& light = l.lights[i];
    light.enabled = Enabled(id);
    if (light.enabled == 0) {
      continue;
    }
    glGetLightfv(id, GL_AMBIENT, light.ambient);
    glGetLightfv(id, GL_DIFFUSE, light.diffuse);
    glGetLightfv(id, GL_SPECULAR, light.specular);
    glGetLightfv(id, GL_POSITION, light.position);
    glGetLightfv(id, GL_SPOT_DIRECTION, light.spotDirection);
    glGetLightfv(id, GL_SPOT_EXPONENT, &light.spotExponent);
    glGetLightfv(id, GL_SPOT_CUTOFF, &light.spotCutoff);
    glGetLightfv(id, GL_CONSTANT_ATTENUATION, &light.attenuation[0]);
    glGetLightfv(id, GL_LINEAR_ATTENUATION, &light.attenuation[1]);
    glGetLightfv(id, GL_QUADRATIC_ATTENUATION, &light.attenuation[2]);
  }
}

// The active unit is `unit`.
void FrameRecorder::ReadUnit(int unit, RecordedDraw& draw) {
  RecordedUnit& u = draw.units[unit];
  u.enabled = Enabled(GL_TEXTURE_2D);
  if (u.enabled == 0) {
    return;
  }
  u.texture = Texture(static_cast<GLuint>(Integer(GL_TEXTURE_BINDING_2D)));
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &u.minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &u.magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &u.wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &u.wrapT);
  if (anisotropic_) {
    glGetTexParameterfv(GL_TEXTURE_2D, kMaxAnisotropyParameter, &u.anisotropy);
  }
  u.envMode = TextureEnv(GL_TEXTURE_ENV_MODE);
  u.combineRgb = TextureEnv(GL_COMBINE_RGB);
  u.combineAlpha = TextureEnv(GL_COMBINE_ALPHA);
  u.rgbScale = TextureEnvFloat(GL_RGB_SCALE);
  u.alphaScale = TextureEnvFloat(GL_ALPHA_SCALE);
  static constexpr GLenum kSourcesRgb[3] = {GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB};
  static constexpr GLenum kOperandsRgb[3] = {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB};
  static constexpr GLenum kSourcesAlpha[3] = {GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA};
  static constexpr GLenum kOperandsAlpha[3] = {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA};
  for (int i = 0; i < 3; ++i) {
    u.sourceRgb[i] = TextureEnv(kSourcesRgb[i]);
    u.operandRgb[i] = TextureEnv(kOperandsRgb[i]);
    u.sourceAlpha[i] = TextureEnv(kSourcesAlpha[i]);
    u.operandAlpha[i] = TextureEnv(kOperandsAlpha[i]);
  }
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, u.envColour);
  glGetFloatv(GL_TEXTURE_MATRIX, u.matrix);
}

// The recording's index of the bound texture, read back on its first use in the frame.
int FrameRecorder::Texture(GLuint name) {
  if (const auto found = textures_.find(name); found != textures_.end()) {
    return found->second;
  }
  RecordedTexture texture;
  GLint maxLevel = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
  const GLint packAlignment = Integer(GL_PACK_ALIGNMENT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (GLint level = 0; level <= std::min(maxLevel, 31); ++level) {
    RecordedTexture::Level l;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &l.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &l.height);
    if (l.width <= 0 || l.height <= 0) {
      break;
    }
    l.rgba.resize(static_cast<std::size_t>(l.width) * l.height * 4);
    ReadTexels(level, l.rgba.data());
    texture.levels.push_back(std::move(l));
  }
  glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
  const int index = static_cast<int>(into_.textures.size());
  into_.textures.push_back(std::move(texture));
  textures_.emplace(name, index);
  return index;
}

void FrameRecorder::Present(GLint width, GLint height, bool offscreen, const GLint area[4], bool vsync,
                            FramePacer::Clock::duration refreshInterval) {
  into_.vsync = vsync;
  into_.refreshNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(refreshInterval).count();
  into_.width = width;
  into_.height = height;
  into_.offscreen = offscreen;
  std::copy(area, area + 4, into_.presentArea);
  into_.swapInterval = SDL_GL_GetSwapInterval();
  into_.complete = true;
}

}  // namespace platform::sdl
