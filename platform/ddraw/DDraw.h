#pragma once
// The DirectDraw-7-shaped interface the engine's render back end calls: driver enumeration and
// creation (`DirectDrawEnumerateExA`, `DirectDrawCreateEx`), the DirectDraw object (`IDirectDraw7`),
// surfaces (`IDirectDrawSurface7`: screen buffers, depth buffers, textures with mip-map chains, system
// memory staging surfaces) and clippers (`IDirectDrawClipper`).
//
// Every surface keeps its pixels in CPU memory (Lock/Unlock with a pitch); the installed display driver
// (platform/ddraw/DisplayDriver.h) turns texture surfaces into OpenGL textures on the main thread when
// they are first bound after a change, and presents the back buffer in the window. The headless driver
// (the default) records instead and can be told to fail on purpose (platform/headless/HeadlessDisplay.h).
//
// Threads: the DirectDraw object and texture surfaces may be used from the resource loader's worker
// (creating, locking and filling textures) while the main thread draws; the object's surface list is
// locked. The screen surfaces and the device are main-thread only.
// Objects are reference-counted (AddRef/Release); the last Release deletes the object. A surface keeps
// its DirectDraw object alive. Failures are HRESULTs (DD_OK or a DDERR_ code); nothing throws.

#include <cstdint>

#include "platform/win32/WinCom.h"
#include "platform/win32/WinTypes.h"

struct HMONITOR__;
using HMONITOR = HMONITOR__*;

// ---------------------------------------------------------------------------------------------------
// Result codes. DirectDraw's codes are 0x88760000 plus a number.

constexpr HRESULT MAKE_DDHRESULT(DWORD code) {
  return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DD_FALSE = S_FALSE;
constexpr HRESULT DDERR_ALREADYINITIALIZED = MAKE_DDHRESULT(5);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MAKE_DDHRESULT(10);
constexpr HRESULT DDERR_CANNOTDETACHSURFACE = MAKE_DDHRESULT(20);
constexpr HRESULT DDERR_CURRENTLYNOTAVAIL = MAKE_DDHRESULT(40);
constexpr HRESULT DDERR_EXCEPTION = MAKE_DDHRESULT(55);
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_HEIGHTALIGN = MAKE_DDHRESULT(90);
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MAKE_DDHRESULT(95);
constexpr HRESULT DDERR_INVALIDCAPS = MAKE_DDHRESULT(100);
constexpr HRESULT DDERR_INVALIDCLIPLIST = MAKE_DDHRESULT(110);
constexpr HRESULT DDERR_INVALIDMODE = MAKE_DDHRESULT(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MAKE_DDHRESULT(130);
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MAKE_DDHRESULT(145);
constexpr HRESULT DDERR_INVALIDRECT = MAKE_DDHRESULT(150);
constexpr HRESULT DDERR_LOCKEDSURFACES = MAKE_DDHRESULT(160);
constexpr HRESULT DDERR_NO3D = MAKE_DDHRESULT(170);
constexpr HRESULT DDERR_NOALPHAHW = MAKE_DDHRESULT(180);
constexpr HRESULT DDERR_NOSTEREOHARDWARE = MAKE_DDHRESULT(181);
constexpr HRESULT DDERR_NOSURFACELEFT = MAKE_DDHRESULT(182);
constexpr HRESULT DDERR_NOCLIPLIST = MAKE_DDHRESULT(205);
constexpr HRESULT DDERR_NOCOLORCONVHW = MAKE_DDHRESULT(210);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MAKE_DDHRESULT(212);
constexpr HRESULT DDERR_NOCOLORKEY = MAKE_DDHRESULT(215);
constexpr HRESULT DDERR_NOCOLORKEYHW = MAKE_DDHRESULT(220);
constexpr HRESULT DDERR_NODIRECTDRAWSUPPORT = MAKE_DDHRESULT(222);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MAKE_DDHRESULT(225);
constexpr HRESULT DDERR_NOFLIPHW = MAKE_DDHRESULT(230);
constexpr HRESULT DDERR_NOGDI = MAKE_DDHRESULT(240);
constexpr HRESULT DDERR_NOMIRRORHW = MAKE_DDHRESULT(250);
constexpr HRESULT DDERR_NOTFOUND = MAKE_DDHRESULT(255);
constexpr HRESULT DDERR_NOOVERLAYHW = MAKE_DDHRESULT(260);
constexpr HRESULT DDERR_OVERLAPPINGRECTS = MAKE_DDHRESULT(270);
constexpr HRESULT DDERR_NORASTEROPHW = MAKE_DDHRESULT(280);
constexpr HRESULT DDERR_NOROTATIONHW = MAKE_DDHRESULT(290);
constexpr HRESULT DDERR_NOSTRETCHHW = MAKE_DDHRESULT(310);
constexpr HRESULT DDERR_NOT4BITCOLOR = MAKE_DDHRESULT(316);
constexpr HRESULT DDERR_NOT4BITCOLORINDEX = MAKE_DDHRESULT(317);
constexpr HRESULT DDERR_NOT8BITCOLOR = MAKE_DDHRESULT(320);
constexpr HRESULT DDERR_NOTEXTUREHW = MAKE_DDHRESULT(330);
constexpr HRESULT DDERR_NOVSYNCHW = MAKE_DDHRESULT(335);
constexpr HRESULT DDERR_NOZBUFFERHW = MAKE_DDHRESULT(340);
constexpr HRESULT DDERR_NOZOVERLAYHW = MAKE_DDHRESULT(350);
constexpr HRESULT DDERR_OUTOFCAPS = MAKE_DDHRESULT(360);
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MAKE_DDHRESULT(380);
constexpr HRESULT DDERR_OVERLAYCANTCLIP = MAKE_DDHRESULT(382);
constexpr HRESULT DDERR_OVERLAYCOLORKEYONLYONEACTIVE = MAKE_DDHRESULT(384);
constexpr HRESULT DDERR_PALETTEBUSY = MAKE_DDHRESULT(387);
constexpr HRESULT DDERR_COLORKEYNOTSET = MAKE_DDHRESULT(400);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MAKE_DDHRESULT(410);
constexpr HRESULT DDERR_SURFACEALREADYDEPENDENT = MAKE_DDHRESULT(420);
constexpr HRESULT DDERR_SURFACEBUSY = MAKE_DDHRESULT(430);
constexpr HRESULT DDERR_CANTLOCKSURFACE = MAKE_DDHRESULT(435);
constexpr HRESULT DDERR_SURFACEISOBSCURED = MAKE_DDHRESULT(440);
constexpr HRESULT DDERR_SURFACELOST = MAKE_DDHRESULT(450);
constexpr HRESULT DDERR_SURFACENOTATTACHED = MAKE_DDHRESULT(460);
constexpr HRESULT DDERR_TOOBIGHEIGHT = MAKE_DDHRESULT(470);
constexpr HRESULT DDERR_TOOBIGSIZE = MAKE_DDHRESULT(480);
constexpr HRESULT DDERR_TOOBIGWIDTH = MAKE_DDHRESULT(490);
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_UNSUPPORTEDFORMAT = MAKE_DDHRESULT(510);
constexpr HRESULT DDERR_UNSUPPORTEDMASK = MAKE_DDHRESULT(520);
constexpr HRESULT DDERR_INVALIDSTREAM = MAKE_DDHRESULT(521);
constexpr HRESULT DDERR_VERTICALBLANKINPROGRESS = MAKE_DDHRESULT(537);
constexpr HRESULT DDERR_WASSTILLDRAWING = MAKE_DDHRESULT(540);
constexpr HRESULT DDERR_DDSCAPSCOMPLEXREQUIRED = MAKE_DDHRESULT(542);
constexpr HRESULT DDERR_XALIGN = MAKE_DDHRESULT(560);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MAKE_DDHRESULT(561);
constexpr HRESULT DDERR_DIRECTDRAWALREADYCREATED = MAKE_DDHRESULT(562);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MAKE_DDHRESULT(563);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MAKE_DDHRESULT(564);
constexpr HRESULT DDERR_NOEMULATION = MAKE_DDHRESULT(565);
constexpr HRESULT DDERR_REGIONTOOSMALL = MAKE_DDHRESULT(566);
constexpr HRESULT DDERR_CLIPPERISUSINGHWND = MAKE_DDHRESULT(567);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = MAKE_DDHRESULT(568);
constexpr HRESULT DDERR_NOHWND = MAKE_DDHRESULT(569);
constexpr HRESULT DDERR_HWNDSUBCLASSED = MAKE_DDHRESULT(570);
constexpr HRESULT DDERR_HWNDALREADYSET = MAKE_DDHRESULT(571);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MAKE_DDHRESULT(572);
constexpr HRESULT DDERR_NOPALETTEHW = MAKE_DDHRESULT(573);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MAKE_DDHRESULT(574);
constexpr HRESULT DDERR_NOBLTHW = MAKE_DDHRESULT(575);
constexpr HRESULT DDERR_NODDROPSHW = MAKE_DDHRESULT(576);
constexpr HRESULT DDERR_OVERLAYNOTVISIBLE = MAKE_DDHRESULT(577);
constexpr HRESULT DDERR_NOOVERLAYDEST = MAKE_DDHRESULT(578);
constexpr HRESULT DDERR_INVALIDPOSITION = MAKE_DDHRESULT(579);
constexpr HRESULT DDERR_NOTAOVERLAYSURFACE = MAKE_DDHRESULT(580);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MAKE_DDHRESULT(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MAKE_DDHRESULT(582);
constexpr HRESULT DDERR_CANTDUPLICATE = MAKE_DDHRESULT(583);
constexpr HRESULT DDERR_NOTLOCKED = MAKE_DDHRESULT(584);
constexpr HRESULT DDERR_CANTCREATEDC = MAKE_DDHRESULT(585);
constexpr HRESULT DDERR_NODC = MAKE_DDHRESULT(586);
constexpr HRESULT DDERR_WRONGMODE = MAKE_DDHRESULT(587);
constexpr HRESULT DDERR_IMPLICITLYCREATED = MAKE_DDHRESULT(588);
constexpr HRESULT DDERR_NOTPALETTIZED = MAKE_DDHRESULT(589);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MAKE_DDHRESULT(590);
constexpr HRESULT DDERR_NOMIPMAPHW = MAKE_DDHRESULT(591);
constexpr HRESULT DDERR_INVALIDSURFACETYPE = MAKE_DDHRESULT(592);
constexpr HRESULT DDERR_NOOPTIMIZEHW = MAKE_DDHRESULT(600);
constexpr HRESULT DDERR_NOTLOADED = MAKE_DDHRESULT(601);
constexpr HRESULT DDERR_NOFOCUSWINDOW = MAKE_DDHRESULT(602);
constexpr HRESULT DDERR_NOTONMIPMAPSUBLEVEL = MAKE_DDHRESULT(603);
constexpr HRESULT DDERR_DCALREADYCREATED = MAKE_DDHRESULT(620);
constexpr HRESULT DDERR_NONONLOCALVIDMEM = MAKE_DDHRESULT(630);
constexpr HRESULT DDERR_CANTPAGELOCK = MAKE_DDHRESULT(640);
constexpr HRESULT DDERR_CANTPAGEUNLOCK = MAKE_DDHRESULT(660);
constexpr HRESULT DDERR_NOTPAGELOCKED = MAKE_DDHRESULT(680);
constexpr HRESULT DDERR_MOREDATA = MAKE_DDHRESULT(690);
constexpr HRESULT DDERR_EXPIRED = MAKE_DDHRESULT(691);
constexpr HRESULT DDERR_TESTFINISHED = MAKE_DDHRESULT(692);
constexpr HRESULT DDERR_NEWMODE = MAKE_DDHRESULT(693);
constexpr HRESULT DDERR_D3DNOTINITIALIZED = MAKE_DDHRESULT(694);
constexpr HRESULT DDERR_VIDEONOTACTIVE = MAKE_DDHRESULT(695);
constexpr HRESULT DDERR_NOMONITORINFORMATION = MAKE_DDHRESULT(696);
constexpr HRESULT DDERR_NODRIVERSUPPORT = MAKE_DDHRESULT(697);
constexpr HRESULT DDERR_DEVICEDOESNTOWNSURFACE = MAKE_DDHRESULT(699);
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);  // CO_E_NOTINITIALIZED

// ---------------------------------------------------------------------------------------------------
// Flags.

// DirectDrawEnumerateExA.
constexpr DWORD DDENUM_ATTACHEDSECONDARYDEVICES = 0x00000001;
constexpr DWORD DDENUM_DETACHEDSECONDARYDEVICES = 0x00000002;
constexpr DWORD DDENUM_NONDISPLAYDEVICES = 0x00000004;

// Enumeration callback answers.
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

// SetCooperativeLevel.
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x00000004;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_ALLOWMODEX = 0x00000040;
constexpr DWORD DDSCL_SETFOCUSWINDOW = 0x00000080;
constexpr DWORD DDSCL_SETDEVICEWINDOW = 0x00000100;
constexpr DWORD DDSCL_CREATEDEVICEWINDOW = 0x00000200;
constexpr DWORD DDSCL_MULTITHREADED = 0x00000400;
constexpr DWORD DDSCL_FPUSETUP = 0x00000800;
constexpr DWORD DDSCL_FPUPRESERVE = 0x00001000;

// DDSURFACEDESC2::dwFlags: which fields are valid.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x00000040;
constexpr DWORD DDSD_ALPHABITDEPTH = 0x00000080;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_CKDESTOVERLAY = 0x00002000;
constexpr DWORD DDSD_CKDESTBLT = 0x00004000;
constexpr DWORD DDSD_CKSRCOVERLAY = 0x00008000;
constexpr DWORD DDSD_CKSRCBLT = 0x00010000;
constexpr DWORD DDSD_MIPMAPCOUNT = 0x00020000;
constexpr DWORD DDSD_REFRESHRATE = 0x00040000;
constexpr DWORD DDSD_LINEARSIZE = 0x00080000;
constexpr DWORD DDSD_TEXTURESTAGE = 0x00100000;
constexpr DWORD DDSD_FVF = 0x00200000;
constexpr DWORD DDSD_SRCVBHANDLE = 0x00400000;
constexpr DWORD DDSD_DEPTH = 0x00800000;
constexpr DWORD DDSD_ALL = 0x00FFF9EE;

// DDSCAPS2::dwCaps.
constexpr DWORD DDSCAPS_ALPHA = 0x00000002;
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_OVERLAY = 0x00000080;
constexpr DWORD DDSCAPS_PALETTE = 0x00000100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_VISIBLE = 0x00008000;
constexpr DWORD DDSCAPS_WRITEONLY = 0x00010000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x00020000;
constexpr DWORD DDSCAPS_OWNDC = 0x00040000;
constexpr DWORD DDSCAPS_MIPMAP = 0x00400000;
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x04000000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;
constexpr DWORD DDSCAPS_NONLOCALVIDMEM = 0x20000000;

// DDSCAPS2::dwCaps2.
constexpr DWORD DDSCAPS2_HINTDYNAMIC = 0x00000004;
constexpr DWORD DDSCAPS2_HINTSTATIC = 0x00000008;
constexpr DWORD DDSCAPS2_TEXTUREMANAGE = 0x00000010;
constexpr DWORD DDSCAPS2_OPAQUE = 0x00000080;
constexpr DWORD DDSCAPS2_MIPMAPSUBLEVEL = 0x00010000;
constexpr DWORD DDSCAPS2_D3DTEXTUREMANAGE = 0x00020000;

// DDPIXELFORMAT::dwFlags.
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_ALPHA = 0x00000002;
constexpr DWORD DDPF_FOURCC = 0x00000004;
constexpr DWORD DDPF_PALETTEINDEXED4 = 0x00000008;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;
constexpr DWORD DDPF_ZBUFFER = 0x00000400;
constexpr DWORD DDPF_STENCILBUFFER = 0x00004000;
constexpr DWORD DDPF_LUMINANCE = 0x00020000;
constexpr DWORD DDPF_BUMPLUMINANCE = 0x00040000;
constexpr DWORD DDPF_BUMPDUDV = 0x00080000;

// Render bit depths (D3DDEVICEDESC7::dwDeviceRenderBitDepth and the z-buffer depths).
constexpr DWORD DDBD_1 = 0x00004000;
constexpr DWORD DDBD_2 = 0x00002000;
constexpr DWORD DDBD_4 = 0x00001000;
constexpr DWORD DDBD_8 = 0x00000800;
constexpr DWORD DDBD_16 = 0x00000400;
constexpr DWORD DDBD_24 = 0x00000200;
constexpr DWORD DDBD_32 = 0x00000100;

// DDCAPS::dwCaps and dwCaps2.
constexpr DWORD DDCAPS_3D = 0x00000001;
constexpr DWORD DDCAPS_BLT = 0x00000040;
constexpr DWORD DDCAPS_BLTSTRETCH = 0x00000200;
constexpr DWORD DDCAPS_ZBLTS = 0x00100000;
constexpr DWORD DDCAPS2_NO2DDURING3DSCENE = 0x00000002;
constexpr DWORD DDCAPS2_WIDESURFACES = 0x00001000;
constexpr DWORD DDCAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr DWORD DDCAPS2_FLIPNOVSYNC = 0x02000000;

// Flip.
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDFLIP_EVEN = 0x00000002;
constexpr DWORD DDFLIP_ODD = 0x00000004;
constexpr DWORD DDFLIP_NOVSYNC = 0x00000008;

// Blt.
constexpr DWORD DDBLT_ASYNC = 0x00000200;
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_ROP = 0x00020000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLT_DONOTWAIT = 0x08000000;

// BltFast.
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

// Lock.
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDLOCK_READONLY = 0x00000010;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD DDLOCK_DONOTWAIT = 0x00004000;

// WaitForVerticalBlank.
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;
constexpr DWORD DDWAITVB_BLOCKEND = 0x00000004;

// EnumDisplayModes.
constexpr DWORD DDEDM_REFRESHRATES = 0x00000001;

// CreateClipper / GetAttachedSurface etc. take no flags we use.

// ---------------------------------------------------------------------------------------------------
// Structures.

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  union {
    DWORD dwRGBBitCount;
    DWORD dwYUVBitCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    DWORD dwLuminanceBitCount;
    DWORD dwBumpBitCount;
  };
  union {
    DWORD dwRBitMask;
    DWORD dwYBitMask;
    DWORD dwStencilBitDepth;
    DWORD dwLuminanceBitMask;
    DWORD dwBumpDuBitMask;
  };
  union {
    DWORD dwGBitMask;
    DWORD dwUBitMask;
    DWORD dwZBitMask;
    DWORD dwBumpDvBitMask;
  };
  union {
    DWORD dwBBitMask;
    DWORD dwVBitMask;
    DWORD dwStencilBitMask;
    DWORD dwBumpLuminanceBitMask;
  };
  union {
    DWORD dwRGBAlphaBitMask;
    DWORD dwYUVAlphaBitMask;
    DWORD dwLuminanceAlphaBitMask;
    DWORD dwRGBZBitMask;
    DWORD dwYUVZBitMask;
  };
};
static_assert(sizeof(DDPIXELFORMAT) == 32);
using LPDDPIXELFORMAT = DDPIXELFORMAT*;

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};
using LPDDSCAPS2 = DDSCAPS2*;

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

// dwSize must be sizeof(DDSURFACEDESC2). On this host the surface pointer is 64-bit, so the record is
// larger than the 32-bit layout's 124 bytes; nothing depends on the exact figure.
struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  union {
    LONG lPitch;
    DWORD dwLinearSize;
  };
  union {
    DWORD dwBackBufferCount;
    DWORD dwDepth;
  };
  union {
    DWORD dwMipMapCount;
    DWORD dwRefreshRate;
    DWORD dwSrcVBHandle;
  };
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  union {
    DDCOLORKEY ddckCKDestOverlay;
    DWORD dwEmptyFaceColor;
  };
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  union {
    DDPIXELFORMAT ddpfPixelFormat;
    DWORD dwFVF;
  };
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
};
using LPDDSURFACEDESC2 = DDSURFACEDESC2*;

// The driver capability record; dwSize must be 380 (the DirectX 7 form). Only the leading fields are
// filled by the layer; the rest reads as zero.
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;
  DWORD dwSVCaps;
  DWORD dwAlphaBltConstBitDepths;
  DWORD dwAlphaBltPixelBitDepths;
  DWORD dwAlphaBltSurfaceBitDepths;
  DWORD dwAlphaOverlayConstBitDepths;
  DWORD dwAlphaOverlayPixelBitDepths;
  DWORD dwAlphaOverlaySurfaceBitDepths;
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwReservedTail[78];
};
static_assert(sizeof(DDCAPS) == 380);
using LPDDCAPS = DDCAPS*;
using DDCAPS_DX7 = DDCAPS;

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  DWORD dwZDestConst;
  DWORD dwZSrcConstBitDepth;
  DWORD dwZSrcConst;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  DWORD dwAlphaDestConst;
  DWORD dwAlphaSrcConstBitDepth;
  DWORD dwAlphaSrcConst;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};
using LPDDBLTFX = DDBLTFX*;

// ---------------------------------------------------------------------------------------------------
// Interfaces.

struct IDirectDraw7;
struct IDirectDrawSurface7;
struct IDirectDrawClipper;
using LPDIRECTDRAW7 = IDirectDraw7*;
using LPDIRECTDRAWSURFACE7 = IDirectDrawSurface7*;
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;

// Interface ids (our own values: only their identity matters).
inline constexpr IID IID_IDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {'B', 'W', 'D', 'D', 'R', 'A', 'W', '7'}};
inline constexpr IID IID_IDirectDrawSurface7 = {
    0x06675A80, 0x3B9B, 0x11D2, {'B', 'W', 'S', 'U', 'R', 'F', '7', 0}};
inline constexpr IID IID_IDirectDrawClipper = {
    0x6C14DB85, 0xA733, 0x11CE, {'B', 'W', 'C', 'L', 'I', 'P', 0, 0}};

using LPDDENUMCALLBACKEXA = BOOL (*)(GUID* lpGUID, LPSTR lpDriverDescription, LPSTR lpDriverName,
                                     LPVOID lpContext, HMONITOR hm);
using LPDDENUMMODESCALLBACK2 = HRESULT (*)(LPDDSURFACEDESC2 lpDDSurfaceDesc, LPVOID lpContext);

struct IDirectDrawClipper : IUnknown {
  virtual HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) = 0;
  virtual HRESULT GetHWnd(HWND* lphWnd) = 0;

 protected:
  ~IDirectDrawClipper() = default;
};

struct IDirectDrawSurface7 : IUnknown {
  // lpDestRect null locks the whole surface. The description receives size, pitch, format and
  // lpSurface. A surface may be locked once at a time; DDERR_SURFACELOST while lost.
  virtual HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) = 0;
  virtual HRESULT Unlock(LPRECT lpRect) = 0;
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) = 0;
  virtual HRESULT GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) = 0;
  virtual HRESULT GetCaps(LPDDSCAPS2 lpDDSCaps) = 0;
  // The first attached surface whose caps include every bit asked for (the back buffer of a flipping
  // primary, the next level of a mip-map chain, an attached depth buffer); the result is AddRef'd.
  virtual HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) = 0;
  virtual HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) = 0;
  virtual HRESULT DeleteAttachedSurface(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) = 0;
  virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) = 0;
  virtual HRESULT GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) = 0;
  // Presents the back buffer of a flipping primary in the window.
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) = 0;
  // Copies (and scales) between surfaces of the same pixel format, or fills with DDBLT_COLORFILL. A blit
  // onto the primary surface presents the source in the window (lpDestRect: the window's client area
  // in screen coordinates).
  virtual HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                      LPDDBLTFX lpDDBltFx) = 0;
  virtual HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect,
                          DWORD dwTrans) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT GetDDInterface(LPVOID* lplpDD) = 0;

 protected:
  ~IDirectDrawSurface7() = default;
};

struct IDirectDraw7 : IUnknown {
  virtual HRESULT GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  virtual HRESULT GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc2) = 0;
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate,
                                 DWORD dwFlags) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPVOID lpContext,
                                   LPDDENUMMODESCALLBACK2 lpEnumModesCallback) = 0;
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) = 0;
  // DD_OK while the application may draw; DDERR_NOEXCLUSIVEMODE (full screen without the focus) or
  // DDERR_WRONGMODE (the desktop mode changed under a windowed application) otherwise.
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT RestoreAllSurfaces() = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) = 0;
  virtual HRESULT GetAvailableVidMem(LPDDSCAPS2 lpDDSCaps2, LPDWORD lpdwTotal, LPDWORD lpdwFree) = 0;

 protected:
  ~IDirectDraw7() = default;
};

// Lists the DirectDraw drivers: the primary display driver first (lpGUID null). The layer has one.
HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA lpCallback, LPVOID lpContext, DWORD dwFlags);
// Creates the DirectDraw object of a driver (lpGUID null: the primary display driver). iid must be
// IID_IDirectDraw7; pUnkOuter must be null.
HRESULT DirectDrawCreateEx(GUID* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter);
