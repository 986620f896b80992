#pragma once
// The system keyboard and mouse as the DirectInput-shaped layer sees them: one process-wide state (256 key
// bytes, 8 mouse buttons) that every keyboard and mouse device reads, and that feeds the buffers of the
// acquired devices. Back ends report what happened here: the SDL back end from the window's message pump,
// the headless back end from events that tests push. Reports that change nothing (a key that is already
// down going down again, as auto-repeat does) add no record. Callable from any thread; serialised inside.

#include "platform/dinput/InputDriver.h"

namespace platform::dinput {

// `code` is a DIK key code; `time` a millisecond time stamp for the records.
void ReportKey(BYTE code, bool down, DWORD time);
// `button` 0 is the primary (left) button, 1 the secondary (right), 2 the middle; 3 to 7 the others.
void ReportMouseButton(unsigned button, bool down, DWORD time);
void ReportMouseMotion(LONG dx, LONG dy, DWORD time);
// Wheel motion in the system's units (120 per notch).
void ReportMouseWheel(LONG dz, DWORD time);
// Every key and button that is down goes up (the input focus left the program).
void ReleaseAllInput(DWORD time);
// Every acquired device of that kind loses its acquisition: its next read answers DIERR_INPUTLOST.
void LoseInput(InputDevice device);

// Whether a key or button is down in the system state.
bool IsSystemKeyDown(BYTE code);
bool IsSystemMouseButtonDown(unsigned button);

// DirectInput objects and devices created and not yet released.
unsigned OpenObjectCount();

// Calls made on objects that had already been released (a double Release included); they answer failure.
unsigned StaleCallCount();

// Back to no key down, no device events pending and no stale calls; live devices keep existing.
void ResetSystemInput();

}  // namespace platform::dinput
