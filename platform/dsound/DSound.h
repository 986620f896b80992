#pragma once
// The DirectSound-shaped interface the engine's sound back end calls: the device (`IDirectSound`),
// primary and secondary buffers (`IDirectSoundBuffer`), and the 3-D listener and buffer interfaces.
// They are carried out by our own mixer (platform/dsound/Mixer.h), which the audio driver pulls from:
// SDL's audio device in the game, the headless driver (pulled by the test) by default.
//
// Threads: every method may be called from the main thread while the driver pulls samples on its own
// thread; the mixer's lock serialises them. Objects are reference-counted (AddRef/Release); the last
// Release deletes the object. A buffer keeps the mixer alive, so releasing the device before its buffers
// is safe (the device closes when the last object goes).
// Failure: methods return HRESULTs (DS_OK or one of the DSERR_ codes below); nothing throws.

#include <cstdint>

#include "platform/win32/WinCom.h"
#include "platform/win32/WinTypes.h"

using D3DVALUE = float;
using LPLONG = LONG*;

// Interface ids the sound back end asks for (our own values: only their identity matters).
inline constexpr GUID IID_IDirectSound3DListener = {
    0xB1D50001, 0x0003, 0x0001, {'L', 'I', 'S', 'T', 'E', 'N', 'E', 'R'}};
inline constexpr GUID IID_IDirectSound3DBuffer = {
    0xB1D50001, 0x0003, 0x0002, {'3', 'D', 'B', 'U', 'F', 'F', 'E', 'R'}};

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
};
using LPDSBUFFERDESC = DSBUFFERDESC*;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

// Buffer capabilities.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr DWORD DS3D_IMMEDIATE = 0;
constexpr DWORD DS3D_DEFERRED = 1;

// Results.
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x887800A0u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);

struct IDirectSoundBuffer;
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

struct IDirectSoundBuffer : IUnknown {
  // Play and write cursors in bytes. The write cursor leads the play cursor by the mixer's look-ahead.
  virtual HRESULT GetCurrentPosition(LPDWORD pdwCurrentPlayCursor, LPDWORD pdwCurrentWriteCursor) = 0;
  // Copies the buffer's format; pdwSizeWritten receives the bytes copied (18 for PCM).
  virtual HRESULT GetFormat(LPWAVEFORMATEX pwfxFormat, DWORD dwSizeAllocated, LPDWORD pdwSizeWritten) = 0;
  virtual HRESULT GetVolume(LPLONG plVolume) = 0;
  virtual HRESULT GetFrequency(LPDWORD pdwFrequency) = 0;
  virtual HRESULT GetStatus(LPDWORD pdwStatus) = 0;
  // Two regions: the second is non-null when the range wraps past the end of the buffer. The written
  // bytes reach the buffer at Unlock.
  virtual HRESULT Lock(DWORD dwOffset, DWORD dwBytes, LPVOID* ppvAudioPtr1, LPDWORD pdwAudioBytes1,
                       LPVOID* ppvAudioPtr2, LPDWORD pdwAudioBytes2, DWORD dwFlags) = 0;
  virtual HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD dwNewPosition) = 0;
  virtual HRESULT SetFormat(LPCWAVEFORMATEX pcfxFormat) = 0;
  // Hundredths of a decibel, DSBVOLUME_MIN (silence) to DSBVOLUME_MAX (as recorded).
  virtual HRESULT SetVolume(LONG lVolume) = 0;
  // Samples per second, DSBFREQUENCY_MIN to DSBFREQUENCY_MAX, or DSBFREQUENCY_ORIGINAL.
  virtual HRESULT SetFrequency(DWORD dwFrequency) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT Unlock(LPVOID pvAudioPtr1, DWORD dwAudioBytes1, LPVOID pvAudioPtr2,
                         DWORD dwAudioBytes2) = 0;
  // Gives back the memory of a lost buffer; its contents are silence until written again.
  virtual HRESULT Restore() = 0;
};

struct IDirectSound : IUnknown {
  virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC pcDSBufferDesc, LPDIRECTSOUNDBUFFER* ppDSBuffer,
                                    LPUNKNOWN pUnkOuter) = 0;
  // The duplicate shares the original's data and starts stopped at position 0 with its own volume and
  // frequency.
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER pDSBufferOriginal,
                                       LPDIRECTSOUNDBUFFER* ppDSBufferDuplicate) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
};
using LPDIRECTSOUND = IDirectSound*;

struct IDirectSound3DListener : IUnknown {
  virtual HRESULT GetPosition(D3DVALUE* x, D3DVALUE* y, D3DVALUE* z) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
  virtual HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                 D3DVALUE yTop, D3DVALUE zTop, DWORD dwApply) = 0;
  // Applies every setting given with DS3D_DEFERRED since the last commit (listener and 3-D buffers).
  virtual HRESULT CommitDeferredSettings() = 0;
};
using LPDIRECTSOUND3DLISTENER = IDirectSound3DListener*;

struct IDirectSound3DBuffer : IUnknown {
  virtual HRESULT GetPosition(D3DVALUE* x, D3DVALUE* y, D3DVALUE* z) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
};
using LPDIRECTSOUND3DBUFFER = IDirectSound3DBuffer*;

// Opens the audio driver and makes a device. lpGuid must be null (the default device); pUnkOuter must be
// null. DSERR_NODRIVER when the driver cannot open an output device.
HRESULT DirectSoundCreate(LPCGUID lpGuid, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter);
