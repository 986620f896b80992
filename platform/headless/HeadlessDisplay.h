#pragma once
// The headless display driver: the default behind the DirectDraw/Direct3D-shaped objects. It has a
// 1024x768x32 desktop at 60 Hz (the plan may change it), keeps a log of the device calls it sees, a
// record of every draw with the device state at that moment, and the last presented frame; clears
// write the render target's memory, so the frame reads back the clear colour.
//
// Faults come from its plan, which a test fills in before (or between) the calls it drives: fail a
// set-up step (optionally only the Nth time), refuse a device by its id, lose every surface at a
// Flip/Blt/BeginScene/EndScene, answer TestCooperativeLevel from a queue, report
// DDERR_WASSTILLDRAWING from Lock, offer other depth formats.
//
// Threads: the plan and the records are locked; tests read them on the main thread.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ddraw/DDraw_Local.h"
#include "platform/ddraw/DisplayDriver.h"
#include "platform/headless/FaultPlan.h"

namespace platform::headless {

using ddraw::DisplayMode;
using ddraw::DisplayStep;

struct DisplayFaultPlan {
  struct StepFault {
    HRESULT result = DDERR_GENERIC;
    int skip = 0;   // let this many calls pass first
    int times = 1;  // then fail this many (kEveryCall: every call from then on)
  };
  std::multimap<DisplayStep, StepFault> steps;
  // Device ids whose creation fails (CreateDevice), with the result.
  std::vector<std::pair<GUID, HRESULT>> refusedDevices;
  // TestCooperativeLevel answers in order; DD_OK once empty.
  std::deque<HRESULT> cooperativeLevelAnswers;
  // Lock answers DDERR_WASSTILLDRAWING this many times before it succeeds.
  int stillDrawingLocks = 0;
  std::optional<std::vector<DDPIXELFORMAT>> depthFormats;
  DisplayMode desktop{1024, 768, 32, 60};
  std::vector<DisplayMode> reportedModes;

  void Fail(DisplayStep step, HRESULT result, int times = 1, int skip = 0) {
    steps.emplace(step, StepFault{result, skip, times});
  }
  void RefuseDevice(const GUID& id, HRESULT result = DDERR_GENERIC) {
    refusedDevices.emplace_back(id, result);
  }
};

struct RecordedCall {
  std::string name;
  DWORD a = 0;
  DWORD b = 0;
  DWORD c = 0;
};

struct DrawRecord {
  D3DPRIMITIVETYPE primitiveType = 0;
  DWORD vertexFormat = 0;
  DWORD vertexCount = 0;
  DWORD indexCount = 0;
  bool wideIndices = false;
  std::vector<std::uint32_t> indices;  // copied
  ddraw::DeviceState state;            // at the time of the draw (its surface pointers are not owned)
};

struct PresentRecord {
  bool windowed = false;
  RECT destination{};
  bool vsync = false;
};

class HeadlessDisplay final : public ddraw::DisplayDriver {
 public:
  HeadlessDisplay() = default;

  // The plan is read at every call; change it under Lock() when other threads may be calling.
  DisplayFaultPlan& Plan() { return plan_; }

  std::vector<RecordedCall> Calls() const;
  // Calls named `name` (and, when given, with first argument a) since the last ClearCalls.
  int CountCalls(const std::string& name) const;
  int CountCalls(const std::string& name, DWORD a) const;
  std::vector<DrawRecord> Draws() const;
  std::vector<PresentRecord> Presents() const;
  void ClearCalls();

  // The last presented frame as 0xAARRGGBB pixels, top row first; empty before the first present.
  std::vector<std::uint32_t> Frame() const;
  DWORD FrameWidth() const;
  DWORD FrameHeight() const;
  HWND Window() const;
  bool FullScreen() const;
  // The display mode set by SetDisplayMode (zero when none).
  DisplayMode CurrentMode() const;
  bool DeviceOpen() const;

  // DisplayDriver.
  DisplayMode GetDesktopMode() override;
  std::vector<DisplayMode> GetReportedModes() override;
  std::vector<DDPIXELFORMAT> GetDepthFormats() override;
  HRESULT CheckStep(DisplayStep step, const GUID* deviceId) override;
  HRESULT TestCooperativeLevel(HWND window, bool exclusive) override;
  HRESULT CheckLock(const ddraw::Surface& surface) override;
  HRESULT SetWindow(HWND window, bool fullScreen) override;
  HRESULT SetDisplayMode(const DisplayMode& mode) override;
  void RestoreDisplayMode() override;
  HRESULT OpenDevice(ddraw::Surface& renderTarget) override;
  void CloseDevice() override;
  HRESULT Clear(const ddraw::DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                DWORD stencil) override;
  HRESULT Draw(ddraw::DeviceState& state, const ddraw::DrawCall& call) override;
  HRESULT Present(ddraw::Surface& backBuffer, const RECT* destination, bool vsync) override;
  void RecordCall(const char* name, DWORD a, DWORD b, DWORD c) override;

 private:
  mutable std::mutex mutex_;
  DisplayFaultPlan plan_;
  std::map<DisplayStep, int> stepCounts_;
  std::vector<RecordedCall> calls_;
  std::vector<DrawRecord> draws_;
  std::vector<PresentRecord> presents_;
  std::vector<std::uint32_t> frame_;
  DWORD frameWidth_ = 0;
  DWORD frameHeight_ = 0;
  HWND window_ = nullptr;
  bool fullScreen_ = false;
  DisplayMode mode_{};
  int openDevices_ = 0;
};

// Installs a fresh headless driver for the DirectDraw objects created from now on and returns it.
std::shared_ptr<HeadlessDisplay> InstallHeadlessDisplay();

}  // namespace platform::headless
