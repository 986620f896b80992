#pragma once
// The DirectInput 7 subset the engine uses: DirectInputCreateEx, the IDirectInput7 object and the
// IDirectInputDevice7 devices for the system keyboard and the system mouse, with their data formats,
// cooperative levels, the buffer-size property, acquisition, buffered records and immediate state.
//
// The devices are fed from the layer's system input (platform/dinput/SystemInput.h), which the active
// back end fills: the SDL back end from the window's message pump, the headless back end from events that
// tests push. Main thread only. Objects are reference counted; the last Release deletes them. Failures are
// answered with the result codes below, never with exceptions.

#include "platform/win32/WinCom.h"

constexpr DWORD DIRECTINPUT_VERSION = 0x0700;

// Result codes. DI_BUFFEROVERFLOW is a success code: the records returned are valid but some were lost.
constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;
constexpr HRESULT DI_PROPNOEFFECT = S_FALSE;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
constexpr HRESULT DIERR_DEVICENOTREG = REGDB_E_CLASSNOTREG;
constexpr HRESULT DIERR_OTHERAPPHASPRIO = E_ACCESSDENIED;
constexpr HRESULT DIERR_INPUTLOST = HRESULT_FROM_WIN32(30);                // ERROR_READ_FAULT
constexpr HRESULT DIERR_NOTACQUIRED = HRESULT_FROM_WIN32(12);              // ERROR_INVALID_ACCESS
constexpr HRESULT DIERR_ACQUIRED = HRESULT_FROM_WIN32(170);                // ERROR_BUSY
constexpr HRESULT DIERR_NOTINITIALIZED = HRESULT_FROM_WIN32(21);           // ERROR_NOT_READY
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = HRESULT_FROM_WIN32(1150);  // ERROR_OLD_WIN_VERSION
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = HRESULT_FROM_WIN32(1153);
constexpr HRESULT DIERR_NOTBUFFERED = HRESULT_FROM_WIN32(158);  // ERROR_NOT_LOCKED

// Interface and device identifiers.
inline constexpr IID IID_IDirectInput7A = {
    0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr IID IID_IDirectInputDevice7A = {
    0x57D7C6BC, 0x2356, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr GUID GUID_SysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_XAxis = {
    0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_YAxis = {
    0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_ZAxis = {
    0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Button = {
    0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Key = {
    0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Properties. DIPROP_BUFFERSIZE is an identifier of its own here (not a small integer posing as a GUID
// pointer), so that SetProperty can take it by reference safely.
inline constexpr GUID DIPROP_BUFFERSIZE = {0x00000001, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}};

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
using LPDIPROPHEADER = DIPROPHEADER*;
using LPCDIPROPHEADER = const DIPROPHEADER*;

struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
static_assert(sizeof(DIPROPHEADER) == 16 && sizeof(DIPROPDWORD) == 20);

// Cooperative levels.
constexpr DWORD DISCL_EXCLUSIVE = 0x00000001;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x00000002;
constexpr DWORD DISCL_FOREGROUND = 0x00000004;
constexpr DWORD DISCL_BACKGROUND = 0x00000008;
constexpr DWORD DISCL_NOWINKEY = 0x00000010;

// GetDeviceData flags.
constexpr DWORD DIGDD_PEEK = 0x00000001;

// Data formats.
constexpr DWORD DIDF_ABSAXIS = 0x00000001;
constexpr DWORD DIDF_RELAXIS = 0x00000002;

constexpr DWORD DIDFT_RELAXIS = 0x00000001;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_TGLBUTTON = 0x00000008;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
constexpr DWORD DIDFT_OPTIONAL = 0x80000000;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) {
  return (n & 0xFFFF) << 8;
}

struct DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
};
using LPCDIOBJECTDATAFORMAT = const DIOBJECTDATAFORMAT*;

struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  LPCDIOBJECTDATAFORMAT rgodf;
};
using LPCDIDATAFORMAT = const DIDATAFORMAT*;

// The standard formats: the keyboard as 256 key bytes indexed by DIK code; the mouse as relative X, Y and
// wheel axes followed by 4 (DIMOUSESTATE) or 8 (DIMOUSESTATE2) button bytes.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIMouse2;

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};

struct DIMOUSESTATE2 {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[8];
};
static_assert(sizeof(DIMOUSESTATE) == 16 && sizeof(DIMOUSESTATE2) == 20);

// Offsets of the mouse objects in DIMOUSESTATE2, which are also the offsets of their buffered records.
constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;
constexpr DWORD DIMOFS_BUTTON1 = 13;
constexpr DWORD DIMOFS_BUTTON2 = 14;
constexpr DWORD DIMOFS_BUTTON3 = 15;
constexpr DWORD DIMOFS_BUTTON4 = 16;
constexpr DWORD DIMOFS_BUTTON5 = 17;
constexpr DWORD DIMOFS_BUTTON6 = 18;
constexpr DWORD DIMOFS_BUTTON7 = 19;

// One buffered record: the object's offset in the data format, its new value (0x80 set for a button or key
// that went down; the relative motion for an axis), a millisecond time stamp and a sequence number that
// orders records across devices.
struct DIDEVICEOBJECTDATA {
  DWORD dwOfs;
  DWORD dwData;
  DWORD dwTimeStamp;
  DWORD dwSequence;
};
using LPDIDEVICEOBJECTDATA = DIDEVICEOBJECTDATA*;
static_assert(sizeof(DIDEVICEOBJECTDATA) == 16);

struct IDirectInputDevice7A : IUnknown {
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  // Up to *pdwInOut records into rgdod (null: discard them); *pdwInOut receives the number taken.
  virtual HRESULT GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut,
                                DWORD dwFlags) = 0;
  virtual HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) = 0;
  virtual HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
  virtual HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) = 0;
  virtual HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) = 0;

 protected:
  ~IDirectInputDevice7A() = default;
};
using IDirectInputDevice7 = IDirectInputDevice7A;
using LPDIRECTINPUTDEVICE7A = IDirectInputDevice7A*;
using LPDIRECTINPUTDEVICE7 = IDirectInputDevice7*;

struct IDirectInput7A : IUnknown {
  virtual HRESULT CreateDeviceEx(REFGUID rguid, REFIID riid, LPVOID* pvOut, LPUNKNOWN lpUnknownOuter) = 0;

 protected:
  ~IDirectInput7A() = default;
};
using IDirectInput7 = IDirectInput7A;
using LPDIRECTINPUT7A = IDirectInput7A*;
using LPDIRECTINPUT7 = IDirectInput7*;

HRESULT WINAPI DirectInputCreateEx(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut,
                                   LPUNKNOWN punkOuter);

// Key codes: the scan codes of the keys, which are also the byte indices of the 256-byte keyboard state.
constexpr BYTE DIK_ESCAPE = 0x01;
constexpr BYTE DIK_1 = 0x02;
constexpr BYTE DIK_2 = 0x03;
constexpr BYTE DIK_3 = 0x04;
constexpr BYTE DIK_4 = 0x05;
constexpr BYTE DIK_5 = 0x06;
constexpr BYTE DIK_6 = 0x07;
constexpr BYTE DIK_7 = 0x08;
constexpr BYTE DIK_8 = 0x09;
constexpr BYTE DIK_9 = 0x0A;
constexpr BYTE DIK_0 = 0x0B;
constexpr BYTE DIK_MINUS = 0x0C;
constexpr BYTE DIK_EQUALS = 0x0D;
constexpr BYTE DIK_BACK = 0x0E;
constexpr BYTE DIK_TAB = 0x0F;
constexpr BYTE DIK_Q = 0x10;
constexpr BYTE DIK_W = 0x11;
constexpr BYTE DIK_E = 0x12;
constexpr BYTE DIK_R = 0x13;
constexpr BYTE DIK_T = 0x14;
constexpr BYTE DIK_Y = 0x15;
constexpr BYTE DIK_U = 0x16;
constexpr BYTE DIK_I = 0x17;
constexpr BYTE DIK_O = 0x18;
constexpr BYTE DIK_P = 0x19;
constexpr BYTE DIK_LBRACKET = 0x1A;
constexpr BYTE DIK_RBRACKET = 0x1B;
constexpr BYTE DIK_RETURN = 0x1C;
constexpr BYTE DIK_LCONTROL = 0x1D;
constexpr BYTE DIK_A = 0x1E;
constexpr BYTE DIK_S = 0x1F;
constexpr BYTE DIK_D = 0x20;
constexpr BYTE DIK_F = 0x21;
constexpr BYTE DIK_G = 0x22;
constexpr BYTE DIK_H = 0x23;
constexpr BYTE DIK_J = 0x24;
constexpr BYTE DIK_K = 0x25;
constexpr BYTE DIK_L = 0x26;
constexpr BYTE DIK_SEMICOLON = 0x27;
constexpr BYTE DIK_APOSTROPHE = 0x28;
constexpr BYTE DIK_GRAVE = 0x29;
constexpr BYTE DIK_LSHIFT = 0x2A;
constexpr BYTE DIK_BACKSLASH = 0x2B;
constexpr BYTE DIK_Z = 0x2C;
constexpr BYTE DIK_X = 0x2D;
constexpr BYTE DIK_C = 0x2E;
constexpr BYTE DIK_V = 0x2F;
constexpr BYTE DIK_B = 0x30;
constexpr BYTE DIK_N = 0x31;
constexpr BYTE DIK_M = 0x32;
constexpr BYTE DIK_COMMA = 0x33;
constexpr BYTE DIK_PERIOD = 0x34;
constexpr BYTE DIK_SLASH = 0x35;
constexpr BYTE DIK_RSHIFT = 0x36;
constexpr BYTE DIK_MULTIPLY = 0x37;
constexpr BYTE DIK_LMENU = 0x38;
constexpr BYTE DIK_SPACE = 0x39;
constexpr BYTE DIK_CAPITAL = 0x3A;
constexpr BYTE DIK_F1 = 0x3B;
constexpr BYTE DIK_F2 = 0x3C;
constexpr BYTE DIK_F3 = 0x3D;
constexpr BYTE DIK_F4 = 0x3E;
constexpr BYTE DIK_F5 = 0x3F;
constexpr BYTE DIK_F6 = 0x40;
constexpr BYTE DIK_F7 = 0x41;
constexpr BYTE DIK_F8 = 0x42;
constexpr BYTE DIK_F9 = 0x43;
constexpr BYTE DIK_F10 = 0x44;
constexpr BYTE DIK_NUMLOCK = 0x45;
constexpr BYTE DIK_SCROLL = 0x46;
constexpr BYTE DIK_NUMPAD7 = 0x47;
constexpr BYTE DIK_NUMPAD8 = 0x48;
constexpr BYTE DIK_NUMPAD9 = 0x49;
constexpr BYTE DIK_SUBTRACT = 0x4A;
constexpr BYTE DIK_NUMPAD4 = 0x4B;
constexpr BYTE DIK_NUMPAD5 = 0x4C;
constexpr BYTE DIK_NUMPAD6 = 0x4D;
constexpr BYTE DIK_ADD = 0x4E;
constexpr BYTE DIK_NUMPAD1 = 0x4F;
constexpr BYTE DIK_NUMPAD2 = 0x50;
constexpr BYTE DIK_NUMPAD3 = 0x51;
constexpr BYTE DIK_NUMPAD0 = 0x52;
constexpr BYTE DIK_DECIMAL = 0x53;
constexpr BYTE DIK_OEM_102 = 0x56;
constexpr BYTE DIK_F11 = 0x57;
constexpr BYTE DIK_F12 = 0x58;
constexpr BYTE DIK_NUMPADENTER = 0x9C;
constexpr BYTE DIK_RCONTROL = 0x9D;
constexpr BYTE DIK_DIVIDE = 0xB5;
constexpr BYTE DIK_SYSRQ = 0xB7;
constexpr BYTE DIK_RMENU = 0xB8;
constexpr BYTE DIK_PAUSE = 0xC5;
constexpr BYTE DIK_HOME = 0xC7;
constexpr BYTE DIK_UP = 0xC8;
constexpr BYTE DIK_PRIOR = 0xC9;
constexpr BYTE DIK_LEFT = 0xCB;
constexpr BYTE DIK_RIGHT = 0xCD;
constexpr BYTE DIK_END = 0xCF;
constexpr BYTE DIK_DOWN = 0xD0;
constexpr BYTE DIK_NEXT = 0xD1;
constexpr BYTE DIK_INSERT = 0xD2;
constexpr BYTE DIK_DELETE = 0xD3;
constexpr BYTE DIK_LWIN = 0xDB;
constexpr BYTE DIK_RWIN = 0xDC;
constexpr BYTE DIK_APPS = 0xDD;
