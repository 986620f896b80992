// The SDL/OpenGL display driver's state: Direct3D's render states, transforms and lights as OpenGL's
// fixed-function state, and the texture stages as texture-environment combiners. Each part is applied
// only when its serial in the device state changed since it was last applied.
#include <algorithm>
#include <cstring>

#include "platform/sdl/SdlDisplay_Local.h"

namespace platform::sdl {

namespace {

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

// Two serials as one value to compare.
std::uint64_t Key(std::uint32_t a, std::uint32_t b) {
  return (static_cast<std::uint64_t>(b) << 32) | a;
}

void ColourValue(const D3DCOLORVALUE& c, GLfloat out[4]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

// a * b for OpenGL's column-major 4x4 matrices: what glLoadMatrixf(a) then glMultMatrixf(b) leaves.
void MultiplyColumnMajor(const GLfloat* a, const GLfloat* b, GLfloat* out) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      GLfloat sum = 0.0f;
      for (int k = 0; k < 4; ++k) {
        sum += a[k * 4 + row] * b[column * 4 + k];
      }
      out[column * 4 + row] = sum;
    }
  }
}

}  // namespace

void ColourToFloats(D3DCOLOR c, GLfloat out[4]) {
  out[0] = static_cast<GLfloat>((c >> 16) & 255) / 255.0f;
  out[1] = static_cast<GLfloat>((c >> 8) & 255) / 255.0f;
  out[2] = static_cast<GLfloat>(c & 255) / 255.0f;
  out[3] = static_cast<GLfloat>((c >> 24) & 255) / 255.0f;
}

void SdlDisplay::ForgetAppliedState() {
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
  projectionKnown_ = false;
  matrixMode_ = 0;
  vertexArray_ = {};
  normalArray_ = {};
  colourArray_ = {};
  std::fill(std::begin(texCoordArrays_), std::end(texCoordArrays_), ClientArray{});
  clientUnit_ = -1;
  normalIsZero_ = false;
  colourIsWhite_ = false;
}

void SdlDisplay::MatrixMode(GLenum mode) {
  if (matrixMode_ != mode) {
    glMatrixMode(mode);
    matrixMode_ = mode;
  }
}

void SdlDisplay::ApplyViewport(const DeviceState& state) {
  if (appliedViewport_ == Key(state.viewportSerial, state.targetSerial)) {
    return;
  }
  appliedViewport_ = Key(state.viewportSerial, state.targetSerial);
  const D3DVIEWPORT7& v = state.viewport;
  glViewport(static_cast<GLint>(v.dwX), targetHeight_ - static_cast<GLint>(v.dwY + v.dwHeight),
             static_cast<GLsizei>(v.dwWidth), static_cast<GLsizei>(v.dwHeight));
  glDepthRange(v.dvMinZ, v.dvMaxZ);
}

void SdlDisplay::ApplyRenderStates(const DeviceState& state) {
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

  blendSkipped_ = false;
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

void SdlDisplay::ApplyTransforms(const DeviceState& state) {
  if (appliedTransforms_ == state.transformSerial) {
    return;
  }
  appliedTransforms_ = state.transformSerial;
  // Direct3D's row-vector matrices read as OpenGL's column-major ones; the projection's depth is
  // then moved from 0..1 to OpenGL's -1..1.
  // The serial moves with every world matrix, the projection seldom: it is loaded only when it changed.
  static const GLfloat kDepthRange[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, -1, 1};
  if (!projectionKnown_ || std::memcmp(&state.projection, &appliedProjection_, sizeof(D3DMATRIX)) != 0) {
    MatrixMode(GL_PROJECTION);
    glLoadMatrixf(kDepthRange);
    glMultMatrixf(&state.projection._11);
    appliedProjection_ = state.projection;
    projectionKnown_ = true;
  }
  if (std::memcmp(&state.view, &appliedView_, sizeof(D3DMATRIX)) != 0) {
    appliedView_ = state.view;
    appliedLights_ = 0;  // light positions are given in world space
  }
  MatrixMode(GL_MODELVIEW);
  GLfloat modelView[16];
  MultiplyColumnMajor(&state.view._11, &state.world._11, modelView);
  glLoadMatrixf(modelView);
}

void SdlDisplay::ApplyLighting(const DeviceState& state, bool hasNormals, bool hasColour) {
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
  MatrixMode(GL_MODELVIEW);
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

GLint SdlDisplay::CombineSource(DWORD argument) {
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

GLint SdlDisplay::CombineOperand(DWORD argument, bool alpha) {
  const bool complement = (argument & D3DTA_COMPLEMENT) != 0;
  if (alpha || (argument & D3DTA_ALPHAREPLICATE) != 0) {
    return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
  }
  return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// One half (colour or alpha) of a stage as a combiner.
void SdlDisplay::SetCombiner(DWORD op, DWORD arg1, DWORD arg2, bool alpha) {
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

void SdlDisplay::ApplyStages(const DeviceState& state, int textureSets) {
  bool changed = appliedStages_ != Key(state.stageSerial, state.textureSerial);
  for (int unit = 0; unit < textureUnits_ && !changed; ++unit) {
    Surface* texture = state.textures[unit];
    if (texture != nullptr && (texture->driverHandle.load() != boundTextures_[unit] ||
                               ChainVersion(*texture) != boundVersions_[unit])) {
      changed = true;  // a new texture, or new pixels in one of its levels
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
    boundVersions_[unit] = ChainVersion(*texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    SetCombiner(ss[D3DTSS_COLOROP], ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2], false);
    SetCombiner(ss[D3DTSS_ALPHAOP], ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2], true);

    MatrixMode(GL_TEXTURE);
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
    MatrixMode(GL_MODELVIEW);
  }
  (void)textureSets;
  glActiveTexture(GL_TEXTURE0);
}

bool SdlDisplay::DrawsOpaque(const DeviceState& state, const DrawCall& call) {
  const DWORD* rs = state.renderStates;
  if (rs[D3DRENDERSTATE_LIGHTING] != FALSE) {
    return false;  // the material's alpha is not looked into
  }
  // The vertices' colours, or the current colour (white) when they have none.
  bool diffuse = true;
  if ((call.vertexFormat & D3DFVF_DIFFUSE) != 0 && call.vertices != nullptr) {
    const DWORD alphaAt = ((call.vertexFormat & D3DFVF_NORMAL) != 0 ? 24 : 12) + 3;
    const DWORD vertices = call.indices != nullptr ? call.vertexCount : call.indexCount;
    for (DWORD v = 0; diffuse && v < vertices; ++v) {
      diffuse = call.vertices[static_cast<std::size_t>(v) * call.stride + alphaAt] == 255;
    }
  }
  // The stages' alpha in order; a stage without a texture passes it through.
  bool current = diffuse;
  for (int unit = 0; unit < textureUnits_ && unitEnabled_[unit]; ++unit) {
    const DWORD* ss = state.stageStates[unit];
    auto argument = [&](DWORD a) {
      if ((a & D3DTA_COMPLEMENT) != 0) {
        return false;
      }
      switch (a & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
          return diffuse;
        case D3DTA_CURRENT:
          return current;
        case D3DTA_TEXTURE: {
          const auto found = textureParameters_.find(boundTextures_[unit]);
          return found != textureParameters_.end() && found->second.kinds.opaque;
        }
        case D3DTA_TFACTOR:
          return (rs[D3DRENDERSTATE_TEXTUREFACTOR] >> 24) == 255;
        default:
          return false;
      }
    };
    switch (ss[D3DTSS_ALPHAOP]) {
      case D3DTOP_DISABLE:
        break;
      case D3DTOP_SELECTARG1:
        current = argument(ss[D3DTSS_ALPHAARG1]);
        break;
      case D3DTOP_SELECTARG2:
        current = argument(ss[D3DTSS_ALPHAARG2]);
        break;
      case D3DTOP_MODULATE:
        current = argument(ss[D3DTSS_ALPHAARG1]) && argument(ss[D3DTSS_ALPHAARG2]);
        break;
      default:
        return false;
    }
  }
  return current;
}

void SdlDisplay::SkipBlendingWhenOpaque(const DeviceState& state, const DrawCall& call) {
  const DWORD* rs = state.renderStates;
  const DWORD source = rs[D3DRENDERSTATE_SRCBLEND];
  // Source alpha 1 leaves the source as it is, and the target's alpha 1 as well.
  const bool bySourceAlpha =
      rs[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE &&
      (source == D3DBLEND_BOTHSRCALPHA ||
       (source == D3DBLEND_SRCALPHA && rs[D3DRENDERSTATE_DESTBLEND] == D3DBLEND_INVSRCALPHA));
  const bool skip = bySourceAlpha && DrawsOpaque(state, call);
  if (skip != blendSkipped_) {
    if (skip) {
      glDisable(GL_BLEND);
    } else {
      glEnable(GL_BLEND);
    }
    blendSkipped_ = skip;
  }
}

}  // namespace platform::sdl
