#pragma once
// The Direct3D-7-shaped interface the engine's render back end calls: `IDirect3D7` (devices and depth
// formats of a DirectDraw object, device creation) and `IDirect3DDevice7` (render and texture-stage
// states, transforms, material, lights, viewport, clear, scenes and indexed drawing from user memory).
//
// Direct3D's conventions hold: matrices are row-vector (translation in elements 12-14), depth runs from
// 0 to 1, a texture transform with D3DTTFF_COUNT2 takes its 2-D offset from elements 8 and 9, packed
// colours are 0xAARRGGBB (bytes B, G, R, A in memory), and states nobody set keep Direct3D's defaults
// (lighting on with no light enabled, ambient black, stage 0 modulating, the others disabled).
//
// Threads: main thread only. Objects are reference-counted; the last Release deletes the object. A
// device holds its render target (and so its DirectDraw object) until it is released. Failures are
// HRESULTs (D3D_OK or a DDERR_/D3DERR_ code); nothing throws.

#include "platform/ddraw/DDraw.h"

using D3DVALUE = float;
using D3DCOLOR = DWORD;
using LPWORD = WORD*;

constexpr HRESULT D3D_OK = DD_OK;
constexpr HRESULT D3DERR_INVALIDCALL = MAKE_DDHRESULT(2156);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = MAKE_DDHRESULT(742);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MAKE_DDHRESULT(743);
constexpr HRESULT D3DERR_LIGHT_SET_FAILED = MAKE_DDHRESULT(750);
constexpr HRESULT D3DERR_INVALIDVERTEXFORMAT = MAKE_DDHRESULT(2166);
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = MAKE_DDHRESULT(711);
constexpr HRESULT D3DERR_ZBUFFER_NOTPRESENT = MAKE_DDHRESULT(769);
constexpr HRESULT D3DERR_STENCILBUFFER_NOTPRESENT = MAKE_DDHRESULT(770);
constexpr HRESULT D3DERR_TEXTURE_BADSIZE = MAKE_DDHRESULT(710);

constexpr HRESULT D3DENUMRET_CANCEL = DDENUMRET_CANCEL;
constexpr HRESULT D3DENUMRET_OK = DDENUMRET_OK;

// Device ids (our own values: only their identity matters).
inline constexpr CLSID IID_IDirect3D7 = {0xF5049E77, 0x4861, 0x11D2, {'B', 'W', 'D', '3', 'D', '7', 0, 0}};
inline constexpr CLSID IID_IDirect3DRGBDevice = {
    0xA4665C60, 0x2673, 0x11CF, {'B', 'W', 'R', 'G', 'B', 0, 0, 0}};
inline constexpr CLSID IID_IDirect3DHALDevice = {
    0x84E63DE0, 0x46AA, 0x11CF, {'B', 'W', 'H', 'A', 'L', 0, 0, 0}};
inline constexpr CLSID IID_IDirect3DTnLHalDevice = {
    0xF5049E78, 0x4861, 0x11D2, {'B', 'W', 'T', 'N', 'L', 0, 0, 0}};
inline constexpr CLSID IID_IDirect3DRefDevice = {
    0x50936643, 0x13E9, 0x11D1, {'B', 'W', 'R', 'E', 'F', 0, 0, 0}};
inline constexpr CLSID IID_IDirect3DMMXDevice = {
    0x881949A1, 0xD6F3, 0x11D0, {'B', 'W', 'M', 'M', 'X', 0, 0, 0}};

// ---------------------------------------------------------------------------------------------------
// Enumerations (documented values).

using D3DRENDERSTATETYPE = DWORD;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ANTIALIAS = 2;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ZENABLE = 7;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_FILLMODE = 8;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_SHADEMODE = 9;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ZWRITEENABLE = 14;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ALPHATESTENABLE = 15;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_SRCBLEND = 19;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_DESTBLEND = 20;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_CULLMODE = 22;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ZFUNC = 23;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ALPHAREF = 24;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ALPHAFUNC = 25;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_DITHERENABLE = 26;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ALPHABLENDENABLE = 27;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_FOGENABLE = 28;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_SPECULARENABLE = 29;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ZVISIBLE = 30;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STIPPLEDALPHA = 33;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_FOGCOLOR = 34;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_ZBIAS = 47;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILENABLE = 52;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILFAIL = 53;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILZFAIL = 54;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILPASS = 55;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILFUNC = 56;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILREF = 57;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILMASK = 58;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_STENCILWRITEMASK = 59;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_TEXTUREFACTOR = 60;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_CLIPPING = 136;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_LIGHTING = 137;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_EXTENTS = 138;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_AMBIENT = 139;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_FOGVERTEXMODE = 140;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_COLORVERTEX = 141;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_LOCALVIEWER = 142;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_NORMALIZENORMALS = 143;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_COLORKEYBLENDENABLE = 144;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_DIFFUSEMATERIALSOURCE = 145;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_SPECULARMATERIALSOURCE = 146;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_AMBIENTMATERIALSOURCE = 147;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_EMISSIVEMATERIALSOURCE = 148;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_VERTEXBLEND = 151;
constexpr D3DRENDERSTATETYPE D3DRENDERSTATE_CLIPPLANEENABLE = 152;
constexpr DWORD kD3DRenderStateCount = 256;  // states are indexed below this

using D3DTEXTURESTAGESTATETYPE = DWORD;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLOROP = 1;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG1 = 2;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG2 = 3;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAOP = 4;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG1 = 5;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG2 = 6;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_TEXCOORDINDEX = 11;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESS = 12;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESSU = 13;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESSV = 14;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BORDERCOLOR = 15;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAGFILTER = 16;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MINFILTER = 17;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MIPFILTER = 18;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MIPMAPLODBIAS = 19;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAXMIPLEVEL = 20;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAXANISOTROPY = 21;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_TEXTURETRANSFORMFLAGS = 24;
constexpr DWORD kD3DTextureStageStateCount = 32;
constexpr DWORD kD3DMaxTextureStages = 8;

using D3DTEXTUREOP = DWORD;
constexpr D3DTEXTUREOP D3DTOP_DISABLE = 1;
constexpr D3DTEXTUREOP D3DTOP_SELECTARG1 = 2;
constexpr D3DTEXTUREOP D3DTOP_SELECTARG2 = 3;
constexpr D3DTEXTUREOP D3DTOP_MODULATE = 4;
constexpr D3DTEXTUREOP D3DTOP_MODULATE2X = 5;
constexpr D3DTEXTUREOP D3DTOP_MODULATE4X = 6;
constexpr D3DTEXTUREOP D3DTOP_ADD = 7;
constexpr D3DTEXTUREOP D3DTOP_ADDSIGNED = 8;
constexpr D3DTEXTUREOP D3DTOP_ADDSIGNED2X = 9;
constexpr D3DTEXTUREOP D3DTOP_SUBTRACT = 10;
constexpr D3DTEXTUREOP D3DTOP_ADDSMOOTH = 11;
constexpr D3DTEXTUREOP D3DTOP_BLENDDIFFUSEALPHA = 12;
constexpr D3DTEXTUREOP D3DTOP_BLENDTEXTUREALPHA = 13;
constexpr D3DTEXTUREOP D3DTOP_BLENDFACTORALPHA = 14;
constexpr D3DTEXTUREOP D3DTOP_BLENDCURRENTALPHA = 16;

constexpr DWORD D3DTA_SELECTMASK = 0x0000000F;
constexpr DWORD D3DTA_DIFFUSE = 0x00000000;
constexpr DWORD D3DTA_CURRENT = 0x00000001;
constexpr DWORD D3DTA_TEXTURE = 0x00000002;
constexpr DWORD D3DTA_TFACTOR = 0x00000003;
constexpr DWORD D3DTA_SPECULAR = 0x00000004;
constexpr DWORD D3DTA_COMPLEMENT = 0x00000010;
constexpr DWORD D3DTA_ALPHAREPLICATE = 0x00000020;

using D3DTEXTUREMAGFILTER = DWORD;
constexpr D3DTEXTUREMAGFILTER D3DTFG_POINT = 1;
constexpr D3DTEXTUREMAGFILTER D3DTFG_LINEAR = 2;
constexpr D3DTEXTUREMAGFILTER D3DTFG_FLATCUBIC = 3;
constexpr D3DTEXTUREMAGFILTER D3DTFG_GAUSSIANCUBIC = 4;
constexpr D3DTEXTUREMAGFILTER D3DTFG_ANISOTROPIC = 5;
using D3DTEXTUREMINFILTER = DWORD;
constexpr D3DTEXTUREMINFILTER D3DTFN_POINT = 1;
constexpr D3DTEXTUREMINFILTER D3DTFN_LINEAR = 2;
constexpr D3DTEXTUREMINFILTER D3DTFN_ANISOTROPIC = 3;
using D3DTEXTUREMIPFILTER = DWORD;
constexpr D3DTEXTUREMIPFILTER D3DTFP_NONE = 1;
constexpr D3DTEXTUREMIPFILTER D3DTFP_POINT = 2;
constexpr D3DTEXTUREMIPFILTER D3DTFP_LINEAR = 3;

using D3DTEXTUREADDRESS = DWORD;
constexpr D3DTEXTUREADDRESS D3DTADDRESS_WRAP = 1;
constexpr D3DTEXTUREADDRESS D3DTADDRESS_MIRROR = 2;
constexpr D3DTEXTUREADDRESS D3DTADDRESS_CLAMP = 3;
constexpr D3DTEXTUREADDRESS D3DTADDRESS_BORDER = 4;

using D3DTEXTURETRANSFORMFLAGS = DWORD;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_DISABLE = 0;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_COUNT1 = 1;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_COUNT2 = 2;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_COUNT3 = 3;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_COUNT4 = 4;
constexpr D3DTEXTURETRANSFORMFLAGS D3DTTFF_PROJECTED = 256;

using D3DBLEND = DWORD;
constexpr D3DBLEND D3DBLEND_ZERO = 1;
constexpr D3DBLEND D3DBLEND_ONE = 2;
constexpr D3DBLEND D3DBLEND_SRCCOLOR = 3;
constexpr D3DBLEND D3DBLEND_INVSRCCOLOR = 4;
constexpr D3DBLEND D3DBLEND_SRCALPHA = 5;
constexpr D3DBLEND D3DBLEND_INVSRCALPHA = 6;
constexpr D3DBLEND D3DBLEND_DESTALPHA = 7;
constexpr D3DBLEND D3DBLEND_INVDESTALPHA = 8;
constexpr D3DBLEND D3DBLEND_DESTCOLOR = 9;
constexpr D3DBLEND D3DBLEND_INVDESTCOLOR = 10;
constexpr D3DBLEND D3DBLEND_SRCALPHASAT = 11;
constexpr D3DBLEND D3DBLEND_BOTHSRCALPHA = 12;
constexpr D3DBLEND D3DBLEND_BOTHINVSRCALPHA = 13;

using D3DCULL = DWORD;
constexpr D3DCULL D3DCULL_NONE = 1;
constexpr D3DCULL D3DCULL_CW = 2;
constexpr D3DCULL D3DCULL_CCW = 3;

using D3DCMPFUNC = DWORD;
constexpr D3DCMPFUNC D3DCMP_NEVER = 1;
constexpr D3DCMPFUNC D3DCMP_LESS = 2;
constexpr D3DCMPFUNC D3DCMP_EQUAL = 3;
constexpr D3DCMPFUNC D3DCMP_LESSEQUAL = 4;
constexpr D3DCMPFUNC D3DCMP_GREATER = 5;
constexpr D3DCMPFUNC D3DCMP_NOTEQUAL = 6;
constexpr D3DCMPFUNC D3DCMP_GREATEREQUAL = 7;
constexpr D3DCMPFUNC D3DCMP_ALWAYS = 8;

using D3DSTENCILOP = DWORD;
constexpr D3DSTENCILOP D3DSTENCILOP_KEEP = 1;
constexpr D3DSTENCILOP D3DSTENCILOP_ZERO = 2;
constexpr D3DSTENCILOP D3DSTENCILOP_REPLACE = 3;
constexpr D3DSTENCILOP D3DSTENCILOP_INCRSAT = 4;
constexpr D3DSTENCILOP D3DSTENCILOP_DECRSAT = 5;
constexpr D3DSTENCILOP D3DSTENCILOP_INVERT = 6;
constexpr D3DSTENCILOP D3DSTENCILOP_INCR = 7;
constexpr D3DSTENCILOP D3DSTENCILOP_DECR = 8;

using D3DZBUFFERTYPE = DWORD;
constexpr D3DZBUFFERTYPE D3DZB_FALSE = 0;
constexpr D3DZBUFFERTYPE D3DZB_TRUE = 1;

using D3DSHADEMODE = DWORD;
constexpr D3DSHADEMODE D3DSHADE_FLAT = 1;
constexpr D3DSHADEMODE D3DSHADE_GOURAUD = 2;
using D3DFILLMODE = DWORD;
constexpr D3DFILLMODE D3DFILL_POINT = 1;
constexpr D3DFILLMODE D3DFILL_WIREFRAME = 2;
constexpr D3DFILLMODE D3DFILL_SOLID = 3;

using D3DMATERIALCOLORSOURCE = DWORD;
constexpr D3DMATERIALCOLORSOURCE D3DMCS_MATERIAL = 0;
constexpr D3DMATERIALCOLORSOURCE D3DMCS_COLOR1 = 1;
constexpr D3DMATERIALCOLORSOURCE D3DMCS_COLOR2 = 2;

using D3DTRANSFORMSTATETYPE = DWORD;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_WORLD = 1;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_VIEW = 2;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_PROJECTION = 3;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_TEXTURE0 = 16;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_TEXTURE1 = 17;
constexpr D3DTRANSFORMSTATETYPE D3DTRANSFORMSTATE_TEXTURE7 = 23;

using D3DPRIMITIVETYPE = DWORD;
constexpr D3DPRIMITIVETYPE D3DPT_POINTLIST = 1;
constexpr D3DPRIMITIVETYPE D3DPT_LINELIST = 2;
constexpr D3DPRIMITIVETYPE D3DPT_LINESTRIP = 3;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLELIST = 4;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLESTRIP = 5;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLEFAN = 6;

using D3DLIGHTTYPE = DWORD;
constexpr D3DLIGHTTYPE D3DLIGHT_POINT = 1;
constexpr D3DLIGHTTYPE D3DLIGHT_SPOT = 2;
constexpr D3DLIGHTTYPE D3DLIGHT_DIRECTIONAL = 3;
constexpr float D3DLIGHT_RANGE_MAX = 1.8446743e19f;  // the square root of the largest float

// Flexible vertex format bits.
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr DWORD D3DFVF_TEX0 = 0x000;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_TEX2 = 0x200;

// Clear.
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

// Device capability bits.
constexpr DWORD D3DDEVCAPS_FLOATTLVERTEX = 0x00000001;
constexpr DWORD D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x00000010;
constexpr DWORD D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
constexpr DWORD D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x00000100;
constexpr DWORD D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x00000200;
constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
constexpr DWORD D3DDEVCAPS_CANRENDERAFTERFLIP = 0x00000800;
constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2 = 0x00002000;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;
constexpr DWORD D3DPRASTERCAPS_DITHER = 0x00000001;
constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x00000010;
constexpr DWORD D3DPRASTERCAPS_ZBUFFERLESSHSR = 0x00008000;
constexpr DWORD D3DPRASTERCAPS_ANISOTROPY = 0x00020000;
constexpr DWORD D3DPTFILTERCAPS_NEAREST = 0x00000001;
constexpr DWORD D3DPTFILTERCAPS_LINEAR = 0x00000002;
constexpr DWORD D3DPTFILTERCAPS_MIPNEAREST = 0x00000004;
constexpr DWORD D3DPTFILTERCAPS_MIPLINEAR = 0x00000008;
constexpr DWORD D3DPTFILTERCAPS_LINEARMIPNEAREST = 0x00000010;
constexpr DWORD D3DPTFILTERCAPS_LINEARMIPLINEAR = 0x00000020;

// DrawPrimitive flags.
constexpr DWORD D3DDP_WAIT = 0x00000001;

// ---------------------------------------------------------------------------------------------------
// Structures.

struct D3DVECTOR {
  union {
    D3DVALUE x;
    D3DVALUE dvX;
  };
  union {
    D3DVALUE y;
    D3DVALUE dvY;
  };
  union {
    D3DVALUE z;
    D3DVALUE dvZ;
  };
};

struct D3DCOLORVALUE {
  union {
    D3DVALUE r;
    D3DVALUE dvR;
  };
  union {
    D3DVALUE g;
    D3DVALUE dvG;
  };
  union {
    D3DVALUE b;
    D3DVALUE dvB;
  };
  union {
    D3DVALUE a;
    D3DVALUE dvA;
  };
};

// Row-vector layout: _41, _42, _43 hold the translation; m[row][column] aliases the named elements and
// element k of the 16 floats in memory is m[k / 4][k % 4].
struct D3DMATRIX {
  union {
    struct {
      D3DVALUE _11, _12, _13, _14;
      D3DVALUE _21, _22, _23, _24;
      D3DVALUE _31, _32, _33, _34;
      D3DVALUE _41, _42, _43, _44;
    };
    D3DVALUE m[4][4];
  };
};
static_assert(sizeof(D3DMATRIX) == 64);
using LPD3DMATRIX = D3DMATRIX*;

struct D3DVIEWPORT7 {
  DWORD dwX;
  DWORD dwY;
  DWORD dwWidth;
  DWORD dwHeight;
  D3DVALUE dvMinZ;
  D3DVALUE dvMaxZ;
};
using LPD3DVIEWPORT7 = D3DVIEWPORT7*;

struct D3DMATERIAL7 {
  union {
    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE dcvDiffuse;
  };
  union {
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE dcvAmbient;
  };
  union {
    D3DCOLORVALUE specular;
    D3DCOLORVALUE dcvSpecular;
  };
  union {
    D3DCOLORVALUE emissive;
    D3DCOLORVALUE dcvEmissive;
  };
  union {
    D3DVALUE power;
    D3DVALUE dvPower;
  };
};
using LPD3DMATERIAL7 = D3DMATERIAL7*;

struct D3DLIGHT7 {
  D3DLIGHTTYPE dltType;
  D3DCOLORVALUE dcvDiffuse;
  D3DCOLORVALUE dcvSpecular;
  D3DCOLORVALUE dcvAmbient;
  D3DVECTOR dvPosition;
  D3DVECTOR dvDirection;
  D3DVALUE dvRange;
  D3DVALUE dvFalloff;
  D3DVALUE dvAttenuation0;
  D3DVALUE dvAttenuation1;
  D3DVALUE dvAttenuation2;
  D3DVALUE dvTheta;
  D3DVALUE dvPhi;
};
using LPD3DLIGHT7 = D3DLIGHT7*;

struct D3DPRIMCAPS {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
};

struct D3DDEVICEDESC7 {
  DWORD dwDevCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;
  DWORD dwDeviceZBufferBitDepth;
  DWORD dwMinTextureWidth;
  DWORD dwMinTextureHeight;
  DWORD dwMaxTextureWidth;
  DWORD dwMaxTextureHeight;
  DWORD dwMaxTextureRepeat;
  DWORD dwMaxTextureAspectRatio;
  DWORD dwMaxAnisotropy;
  D3DVALUE dvGuardBandLeft;
  D3DVALUE dvGuardBandTop;
  D3DVALUE dvGuardBandRight;
  D3DVALUE dvGuardBandBottom;
  D3DVALUE dvExtentsAdjust;
  DWORD dwStencilCaps;
  DWORD dwFVFCaps;
  DWORD dwTextureOpCaps;
  WORD wMaxTextureBlendStages;
  WORD wMaxSimultaneousTextures;
  DWORD dwMaxActiveLights;
  D3DVALUE dvMaxVertexW;
  GUID deviceGUID;
  WORD wMaxUserClipPlanes;
  WORD wMaxVertexBlendMatrices;
  DWORD dwVertexProcessingCaps;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwReserved4;
};
using LPD3DDEVICEDESC7 = D3DDEVICEDESC7*;

// ---------------------------------------------------------------------------------------------------
// Interfaces.

struct IDirect3D7;
struct IDirect3DDevice7;
using LPDIRECT3D7 = IDirect3D7*;
using LPDIRECT3DDEVICE7 = IDirect3DDevice7*;

using LPD3DENUMDEVICESCALLBACK7 = HRESULT (*)(LPSTR lpDeviceDescription, LPSTR lpDeviceName,
                                              LPD3DDEVICEDESC7 lpD3DDeviceDesc, LPVOID lpContext);
using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(LPDDPIXELFORMAT lpDDPixFmt, LPVOID lpContext);

inline constexpr IID IID_IDirect3DDevice7 = {
    0xF5049E79, 0x4861, 0x11D2, {'B', 'W', 'D', 'E', 'V', '7', 0, 0}};

struct IDirect3D7 : IUnknown {
  // Offers the devices in this order: the software rasteriser (IID_IDirect3DRGBDevice), then the
  // hardware transform-and-lighting device (IID_IDirect3DTnLHalDevice). Both draw through the same
  // renderer.
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 lpEnumDevicesCallback, LPVOID lpUserArg) = 0;
  // lpDDS must be a 3-D device surface of this DirectDraw object (the back buffer).
  virtual HRESULT CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 lpDDS,
                               LPDIRECT3DDEVICE7* lplpD3DDevice) = 0;
  virtual HRESULT EnumZBufferFormats(REFCLSID riidDevice, LPD3DENUMPIXELFORMATSCALLBACK lpEnumCallback,
                                     LPVOID lpContext) = 0;
  virtual HRESULT EvictManagedTextures() = 0;

 protected:
  ~IDirect3D7() = default;
};

struct IDirect3DDevice7 : IUnknown {
  virtual HRESULT GetCaps(LPD3DDEVICEDESC7 lpD3DDevDesc) = 0;
  // Offers, in order: A8R8G8B8, X8R8G8B8, R5G6B5, A1R5G5B5, A4R4G4B4.
  virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK lpD3DEnumPixelProc, LPVOID lpArg) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT GetDirect3D(LPDIRECT3D7* lplpD3D) = 0;
  virtual HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 lpNewRenderTarget, DWORD dwFlags) = 0;
  virtual HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* lplpRenderTarget) = 0;
  // lpRects null clears the whole viewport. Colour 0xAARRGGBB, depth 0..1.
  virtual HRESULT Clear(DWORD dwCount, LPRECT lpRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ,
                        DWORD dwStencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE dtstTransformStateType, LPD3DMATRIX lpD3DMatrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE dtstTransformStateType, LPD3DMATRIX lpD3DMatrix) = 0;
  virtual HRESULT SetViewport(LPD3DVIEWPORT7 lpViewport) = 0;
  virtual HRESULT GetViewport(LPD3DVIEWPORT7 lpViewport) = 0;
  virtual HRESULT SetMaterial(LPD3DMATERIAL7 lpMaterial) = 0;
  virtual HRESULT GetMaterial(LPD3DMATERIAL7 lpMaterial) = 0;
  // Light indices are any DWORD; at most 8 lights are on at a time.
  virtual HRESULT SetLight(DWORD dwLightIndex, LPD3DLIGHT7 lpLight) = 0;
  virtual HRESULT GetLight(DWORD dwLightIndex, LPD3DLIGHT7 lpLight) = 0;
  virtual HRESULT LightEnable(DWORD dwLightIndex, BOOL bEnable) = 0;
  virtual HRESULT GetLightEnable(DWORD dwLightIndex, BOOL* pbEnable) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE dwRenderStateType, DWORD dwRenderState) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE dwRenderStateType, LPDWORD lpdwRenderState) = 0;
  // The surface must be a texture of this device's DirectDraw object; null unbinds the stage. The device
  // holds a reference to a bound texture.
  virtual HRESULT SetTexture(DWORD dwStage, LPDIRECTDRAWSURFACE7 lpTexture) = 0;
  virtual HRESULT GetTexture(DWORD dwStage, LPDIRECTDRAWSURFACE7* lplpTexture) = 0;
  virtual HRESULT SetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE dwState, DWORD dwValue) = 0;
  virtual HRESULT GetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE dwState,
                                       LPDWORD lpdwValue) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE dptPrimitiveType, DWORD dwVertexTypeDesc, LPVOID lpvVertices,
                                DWORD dwVertexCount, DWORD dwFlags) = 0;
  // Vertices and indices in user memory; the vertex layout follows dwVertexTypeDesc (position, normal,
  // packed diffuse colour, texture coordinate sets, in that order). dwVertexCount is the number of
  // vertices the indices may reach.
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE d3dptPrimitiveType, DWORD dwVertexTypeDesc,
                                       LPVOID lpvVertices, DWORD dwVertexCount, LPWORD lpwIndices,
                                       DWORD dwIndexCount, DWORD dwFlags) = 0;
  // The same with 32-bit indices, for index lists of 65,536 entries or more.
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE d3dptPrimitiveType, DWORD dwVertexTypeDesc,
                                       LPVOID lpvVertices, DWORD dwVertexCount, LPDWORD lpdwIndices,
                                       DWORD dwIndexCount, DWORD dwFlags) = 0;

 protected:
  ~IDirect3DDevice7() = default;
};
