// A recorded frame drawn again with plain fixed-function OpenGL: the recorded textures uploaded once,
// then per draw the state that differs from the draw before, the client arrays over the recorded
// vertices and the draw itself. Nothing of the device or the display takes part.
#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>

#include "platform/sdl/FrameRecording.h"
#include "platform/sdl/SdlDisplay_Local.h"

namespace platform::sdl {

namespace {

constexpr GLenum kMaxAnisotropyParameter = 0x84FE;  // GL_TEXTURE_MAX_ANISOTROPY_EXT

void Capability(GLenum capability, std::int32_t on) {
  if (on != 0) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

void ClientArray(GLenum array, bool on) {
  if (on) {
    glEnableClientState(array);
  } else {
    glDisableClientState(array);
  }
}

void ApplyStates(const RecordedStates& s) {
  glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
  glDepthRange(s.depthRange[0], s.depthRange[1]);
  Capability(GL_DEPTH_TEST, s.depthTest);
  glDepthFunc(static_cast<GLenum>(s.depthFunc));
  glDepthMask(s.depthWrite != 0 ? GL_TRUE : GL_FALSE);
  glColorMask(s.colourWrite[0] != 0, s.colourWrite[1] != 0, s.colourWrite[2] != 0, s.colourWrite[3] != 0);
  Capability(GL_BLEND, s.blend);
  glBlendFunc(static_cast<GLenum>(s.blendSource), static_cast<GLenum>(s.blendDestination));
  Capability(GL_ALPHA_TEST, s.alphaTest);
  glAlphaFunc(static_cast<GLenum>(s.alphaFunc), s.alphaReference);
  Capability(GL_CULL_FACE, s.cull);
  glCullFace(static_cast<GLenum>(s.cullFace));
  glFrontFace(static_cast<GLenum>(s.frontFace));
  Capability(GL_STENCIL_TEST, s.stencilTest);
  glStencilFunc(static_cast<GLenum>(s.stencilFunc), s.stencilReference,
                static_cast<GLuint>(s.stencilValueMask));
  glStencilOp(static_cast<GLenum>(s.stencilFail), static_cast<GLenum>(s.stencilDepthFail),
              static_cast<GLenum>(s.stencilPass));
  glStencilMask(static_cast<GLuint>(s.stencilWriteMask));
  glShadeModel(static_cast<GLenum>(s.shadeModel));
  glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(s.polygonMode));
  Capability(GL_NORMALIZE, s.normalize);
}

// The modelview matrix is the identity here: the recorded light positions are in eye space already.
void ApplyLighting(const RecordedLighting& l) {
  Capability(GL_LIGHTING, l.enabled);
  if (l.enabled == 0) {
    return;
  }
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, l.modelAmbient);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, l.localViewer);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, l.ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, l.diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, l.specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, l.emission);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, l.shininess);
  if (l.colourMaterial != 0) {
    glColorMaterial(GL_FRONT_AND_BACK, static_cast<GLenum>(l.colourMaterialMode));
  }
  Capability(GL_COLOR_MATERIAL, l.colourMaterial);
  for (int i = 0; i < kRecordedLights; ++i) {
    const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
    const RecordedLight& light = l.lights[i];
    Capability(id, light.enabled);
    if (light.enabled == 0) {
      continue;
    }
    glLightfv(id, GL_AMBIENT, light.ambient);
    glLightfv(id, GL_DIFFUSE, light.diffuse);
    glLightfv(id, GL_SPECULAR, light.specular);
    glLightfv(id, GL_POSITION, light.position);
    glLightfv(id, GL_SPOT_DIRECTION, light.spotDirection);
    glLightf(id, GL_SPOT_EXPONENT, light.spotExponent);
    glLightf(id, GL_SPOT_CUTOFF, light.spotCutoff);
    glLightf(id, GL_CONSTANT_ATTENUATION, light.attenuation[0]);
    glLightf(id, GL_LINEAR_ATTENUATION, light.attenuation[1]);
    glLightf(id, GL_QUADRATIC_ATTENUATION, light.attenuation[2]);
  }
}

// The active unit is the unit's own.
void ApplyEnvironment(const RecordedUnit& u) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, u.envMode);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, u.combineRgb);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, u.combineAlpha);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, u.rgbScale);
  glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, u.alphaScale);
  static constexpr GLenum kSourcesRgb[3] = {GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB};
  static constexpr GLenum kOperandsRgb[3] = {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB};
  static constexpr GLenum kSourcesAlpha[3] = {GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA};
  static constexpr GLenum kOperandsAlpha[3] = {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA};
  for (int i = 0; i < 3; ++i) {
    glTexEnvi(GL_TEXTURE_ENV, kSourcesRgb[i], u.sourceRgb[i]);
    glTexEnvi(GL_TEXTURE_ENV, kOperandsRgb[i], u.operandRgb[i]);
    glTexEnvi(GL_TEXTURE_ENV, kSourcesAlpha[i], u.sourceAlpha[i]);
    glTexEnvi(GL_TEXTURE_ENV, kOperandsAlpha[i], u.operandAlpha[i]);
  }
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, u.envColour);
}

const void* At(const std::vector<std::uint8_t>& vertices, const RecordedArray& array) {
  return vertices.data() + array.offset;
}

}  // namespace

FrameReplay::FrameReplay(const FrameRecording& recording)
    : recording_(recording), window_(SDL_GL_GetCurrentWindow()), pacer_(std::make_unique<FramePacer>()) {
  ++foreignContextUses;
  textures_.resize(recording.textures.size());
  if (!textures_.empty()) {
    glGenTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
  }
  samplers_.assign(textures_.size(), {-1, -1, -1, -1, -1});
  glActiveTexture(GL_TEXTURE0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (std::size_t i = 0; i < textures_.size(); ++i) {
    const RecordedTexture& t = recording.textures[i];
    glBindTexture(GL_TEXTURE_2D, textures_[i]);
    for (std::size_t level = 0; level < t.levels.size(); ++level) {
      const RecordedTexture::Level& l = t.levels[level];
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, l.width, l.height, 0, GL_RGBA,
                   GL_UNSIGNED_BYTE, l.rgba.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL,
                    std::max(0, static_cast<GLint>(t.levels.size()) - 1));
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  if (recording.offscreen && recording.width > 0 && recording.height > 0) {
    // The same target as the display's: colour with alpha, depth and stencil.
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, recording.width, recording.height);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, recording.width, recording.height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  }
}

FrameReplay::~FrameReplay() {
  ++foreignContextUses;
  if (!textures_.empty()) {
    glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
  }
  if (framebuffer_ != 0) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colourBuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
  }
}

void FrameReplay::Draw() {
  ++foreignContextUses;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  // What the recording does not hold is left as the display leaves it.
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FOG);
  glDisable(GL_DITHER);
  glActiveTexture(GL_TEXTURE0);
  glClientActiveTexture(GL_TEXTURE0);
  glEnableClientState(GL_VERTEX_ARRAY);
  const RecordedDraw* previous = nullptr;
  for (const RecordedStep& step : recording_.steps) {
    if (const auto* clear = std::get_if<RecordedClear>(&step)) {
      glEnable(GL_SCISSOR_TEST);
      glScissor(clear->scissor[0], clear->scissor[1], clear->scissor[2], clear->scissor[3]);
      glClearColor(clear->colour[0], clear->colour[1], clear->colour[2], clear->colour[3]);
      glClearDepth(clear->depth);
      glClearStencil(clear->stencil);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glDepthMask(GL_TRUE);
      glStencilMask(0xFF);
      glClear(clear->mask);
      glDisable(GL_SCISSOR_TEST);
      // The masks are the next draw's to set again.
      if (previous != nullptr) {
        glColorMask(previous->states.colourWrite[0] != 0, previous->states.colourWrite[1] != 0,
                    previous->states.colourWrite[2] != 0, previous->states.colourWrite[3] != 0);
        glDepthMask(previous->states.depthWrite != 0 ? GL_TRUE : GL_FALSE);
        glStencilMask(static_cast<GLuint>(previous->states.stencilWriteMask));
      }
      continue;
    }
    const RecordedDraw& draw = std::get<RecordedDraw>(step);
    DrawStep(draw, previous);
    previous = &draw;
  }
  glActiveTexture(GL_TEXTURE0);
  glClientActiveTexture(GL_TEXTURE0);
}

void FrameReplay::DrawStep(const RecordedDraw& d, const RecordedDraw* p) {
  if (d.vertices.empty() || d.position.offset < 0) {
    return;
  }
  if (p == nullptr || !(d.states == p->states)) {
    ApplyStates(d.states);
  }
  const bool lightingChanged = p == nullptr || !(d.lighting == p->lighting);
  if (lightingChanged && d.lighting.enabled != 0) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  if (lightingChanged) {
    ApplyLighting(d.lighting);
  }
  if (p == nullptr || std::memcmp(d.projection, p->projection, sizeof(d.projection)) != 0) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(d.projection);
  }
  if (p == nullptr || lightingChanged || std::memcmp(d.modelView, p->modelView, sizeof(d.modelView)) != 0) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(d.modelView);
  }

  const GLsizei stride = d.stride;
  glVertexPointer(d.position.size, static_cast<GLenum>(d.position.type), stride, At(d.vertices, d.position));
  if (p == nullptr || (d.normal.offset >= 0) != (p->normal.offset >= 0)) {
    ClientArray(GL_NORMAL_ARRAY, d.normal.offset >= 0);
  }
  if (d.normal.offset >= 0) {
    glNormalPointer(static_cast<GLenum>(d.normal.type), stride, At(d.vertices, d.normal));
  } else {
    glNormal3fv(d.currentNormal);
  }
  if (p == nullptr || (d.colour.offset >= 0) != (p->colour.offset >= 0)) {
    ClientArray(GL_COLOR_ARRAY, d.colour.offset >= 0);
  }
  if (d.colour.offset >= 0) {
    glColorPointer(d.colour.size, static_cast<GLenum>(d.colour.type), stride, At(d.vertices, d.colour));
  } else {
    glColor4fv(d.currentColour);
  }

  for (int unit = 0; unit < kRecordedUnits; ++unit) {
    const RecordedUnit& u = d.units[unit];
    const RecordedArray& coordinates = d.texCoords[unit];
    const bool unitChanged = p == nullptr || !(u == p->units[unit]);
    const bool arrayToggled = p == nullptr || (coordinates.offset >= 0) != (p->texCoords[unit].offset >= 0);
    if (unitChanged) {
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
      Capability(GL_TEXTURE_2D, u.enabled);
      if (u.enabled != 0) {
        const bool known = u.texture >= 0 && u.texture < static_cast<int>(textures_.size());
        glBindTexture(GL_TEXTURE_2D, known ? textures_[u.texture] : 0);
        if (known) {
          std::array<std::int32_t, 5>& sampler = samplers_[u.texture];
          const std::array<std::int32_t, 5> wanted = {u.minFilter, u.magFilter, u.wrapS, u.wrapT,
                                                      std::bit_cast<std::int32_t>(u.anisotropy)};
          if (sampler[0] != wanted[0])
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted[0]);
          if (sampler[1] != wanted[1])
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wanted[1]);
          if (sampler[2] != wanted[2])
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wanted[2]);
          if (sampler[3] != wanted[3])
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wanted[3]);
          if (sampler[4] != wanted[4] && u.anisotropy > 0.0f)
            glTexParameterf(GL_TEXTURE_2D, kMaxAnisotropyParameter, u.anisotropy);
          sampler = wanted;
        }
        ApplyEnvironment(u);
        glMatrixMode(GL_TEXTURE);
        glLoadMatrixf(u.matrix);
        glMatrixMode(GL_MODELVIEW);
      }
    }
    if (arrayToggled || coordinates.offset >= 0) {
      glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
      if (arrayToggled) {
        ClientArray(GL_TEXTURE_COORD_ARRAY, coordinates.offset >= 0);
      }
      if (coordinates.offset >= 0) {
        glTexCoordPointer(coordinates.size, static_cast<GLenum>(coordinates.type), stride,
                          At(d.vertices, coordinates));
      }
    }
  }
  glActiveTexture(GL_TEXTURE0);

  const auto mode = static_cast<GLenum>(d.mode);
  if (d.indexType == 0) {
    glDrawArrays(mode, 0, d.count);
  } else if (!d.indices.empty()) {
    glDrawRangeElements(mode, 0, static_cast<GLuint>(std::max(d.vertexCount - 1, 0)), d.count,
                        static_cast<GLenum>(d.indexType), d.indices.data());
  }
}

void FrameReplay::Present() {
  ++foreignContextUses;
  if (framebuffer_ != 0) {
    const std::int32_t* area = recording_.presentArea;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    const bool scaled = area[2] != recording_.width || area[3] != recording_.height;
    if (scaled) {
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, recording_.width, recording_.height, area[0], area[1], area[0] + area[2],
                      area[1] + area[3], GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
  }
  if (SDL_GL_GetSwapInterval() != recording_.swapInterval) {
    SDL_GL_SetSwapInterval(recording_.swapInterval);
  }
  if (window_ != nullptr) {
    SDL_GL_SwapWindow(window_);
  }
  if (recording_.vsync) {
    const FramePacer::Clock::duration wait =
        pacer_->Wait(FramePacer::Clock::now(), std::chrono::duration_cast<FramePacer::Clock::duration>(
                                                   std::chrono::nanoseconds(recording_.refreshNanoseconds)));
    if (wait > FramePacer::Clock::duration::zero()) {
      std::this_thread::sleep_for(wait);
    }
  } else {
    pacer_->Reset();
  }
}

}  // namespace platform::sdl
