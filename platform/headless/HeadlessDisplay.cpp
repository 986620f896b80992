// The headless display driver: plausible answers, a fault plan, and records for tests.
#include "platform/headless/HeadlessDisplay.h"

#include <algorithm>
#include <cstring>

namespace platform::headless {

std::shared_ptr<HeadlessDisplay> InstallHeadlessDisplay() {
  auto display = std::make_shared<HeadlessDisplay>();
  ddraw::InstallDisplayDriver(display);
  return display;
}

std::vector<RecordedCall> HeadlessDisplay::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

int HeadlessDisplay::CountCalls(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [&](const RecordedCall& c) { return c.name == name; }));
}

int HeadlessDisplay::CountCalls(const std::string& name, DWORD a) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                        [&](const RecordedCall& c) { return c.name == name && c.a == a; }));
}

std::vector<DrawRecord> HeadlessDisplay::Draws() const {
  std::lock_guard lock(mutex_);
  return draws_;
}

std::vector<PresentRecord> HeadlessDisplay::Presents() const {
  std::lock_guard lock(mutex_);
  return presents_;
}

void HeadlessDisplay::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
  draws_.clear();
  presents_.clear();
}

std::vector<std::uint32_t> HeadlessDisplay::Frame() const {
  std::lock_guard lock(mutex_);
  return frame_;
}

DWORD HeadlessDisplay::FrameWidth() const {
  std::lock_guard lock(mutex_);
  return frameWidth_;
}

DWORD HeadlessDisplay::FrameHeight() const {
  std::lock_guard lock(mutex_);
  return frameHeight_;
}

HWND HeadlessDisplay::Window() const {
  std::lock_guard lock(mutex_);
  return window_;
}

bool HeadlessDisplay::FullScreen() const {
  std::lock_guard lock(mutex_);
  return fullScreen_;
}

DisplayMode HeadlessDisplay::CurrentMode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

bool HeadlessDisplay::DeviceOpen() const {
  std::lock_guard lock(mutex_);
  return openDevices_ > 0;
}

DisplayMode HeadlessDisplay::GetDesktopMode() {
  std::lock_guard lock(mutex_);
  return plan_.desktop;
}

std::vector<DisplayMode> HeadlessDisplay::GetReportedModes() {
  std::lock_guard lock(mutex_);
  if (plan_.reportedModes.empty()) {
    return {plan_.desktop};
  }
  return plan_.reportedModes;
}

std::vector<DDPIXELFORMAT> HeadlessDisplay::GetDepthFormats() {
  {
    std::lock_guard lock(mutex_);
    if (plan_.depthFormats) {
      return *plan_.depthFormats;
    }
  }
  return DisplayDriver::GetDepthFormats();
}

HRESULT HeadlessDisplay::CheckStep(DisplayStep step, const GUID* deviceId) {
  std::lock_guard lock(mutex_);
  if (step == DisplayStep::CreateDevice && deviceId != nullptr) {
    for (const auto& [id, result] : plan_.refusedDevices) {
      if (id == *deviceId) {
        return result;
      }
    }
  }
  ++stepCounts_[step];
  // Faults are used up in the order they were planned: a fault first lets `skip` calls pass, then
  // fails `times` calls (or every call when negative).
  auto range = plan_.steps.equal_range(step);
  for (auto it = range.first; it != range.second; ++it) {
    DisplayFaultPlan::StepFault& fault = it->second;
    if (fault.times == 0) {
      continue;
    }
    if (fault.skip > 0) {
      --fault.skip;
      return DD_OK;
    }
    if (fault.times > 0) {
      --fault.times;
    }
    return fault.result;
  }
  return DD_OK;
}

HRESULT HeadlessDisplay::TestCooperativeLevel(HWND, bool) {
  std::lock_guard lock(mutex_);
  if (plan_.cooperativeLevelAnswers.empty()) {
    return DD_OK;
  }
  const HRESULT answer = plan_.cooperativeLevelAnswers.front();
  plan_.cooperativeLevelAnswers.pop_front();
  return answer;
}

HRESULT HeadlessDisplay::CheckLock(const ddraw::Surface&) {
  std::lock_guard lock(mutex_);
  if (plan_.stillDrawingLocks > 0) {
    --plan_.stillDrawingLocks;
    return DDERR_WASSTILLDRAWING;
  }
  return DD_OK;
}

HRESULT HeadlessDisplay::SetWindow(HWND window, bool fullScreen) {
  std::lock_guard lock(mutex_);
  window_ = window;
  fullScreen_ = fullScreen;
  return DD_OK;
}

HRESULT HeadlessDisplay::SetDisplayMode(const DisplayMode& mode) {
  std::lock_guard lock(mutex_);
  mode_ = mode;
  return DD_OK;
}

void HeadlessDisplay::RestoreDisplayMode() {
  std::lock_guard lock(mutex_);
  mode_ = {};
}

HRESULT HeadlessDisplay::OpenDevice(ddraw::Surface&) {
  std::lock_guard lock(mutex_);
  openDevices_ = 1;
  return DD_OK;
}

void HeadlessDisplay::CloseDevice() {
  std::lock_guard lock(mutex_);
  openDevices_ = 0;
}

HRESULT HeadlessDisplay::Clear(const ddraw::DeviceState& state, DWORD flags, D3DCOLOR colour, float, DWORD) {
  if ((flags & D3DCLEAR_TARGET) == 0) {
    return DD_OK;
  }
  ddraw::Surface& target = *state.renderTarget;
  const DDPIXELFORMAT& format = target.Format();
  const DWORD value =
      ddraw::PackRGBA(format, static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                      static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 24));
  const D3DVIEWPORT7& v = state.viewport;
  const DWORD bytes = target.BytesPerPixel();
  for (DWORD y = v.dwY; y < v.dwY + v.dwHeight && y < target.Height(); ++y) {
    std::uint8_t* row = target.Memory() + static_cast<std::size_t>(y) * target.Pitch();
    for (DWORD x = v.dwX; x < v.dwX + v.dwWidth && x < target.Width(); ++x) {
      std::memcpy(row + static_cast<std::size_t>(x) * bytes, &value, bytes);
    }
  }
  target.Touch();
  return DD_OK;
}

HRESULT HeadlessDisplay::Draw(ddraw::DeviceState& state, const ddraw::DrawCall& call) {
  DrawRecord record;
  record.primitiveType = call.primitiveType;
  record.vertexFormat = call.vertexFormat;
  record.vertexCount = call.vertexCount;
  record.indexCount = call.indexCount;
  record.wideIndices = call.wideIndices;
  if (call.indices != nullptr) {
    record.indices.resize(call.indexCount);
    for (DWORD i = 0; i < call.indexCount; ++i) {
      record.indices[i] = call.wideIndices ? static_cast<const std::uint32_t*>(call.indices)[i]
                                           : static_cast<const std::uint16_t*>(call.indices)[i];
    }
  }
  record.state = state;
  std::lock_guard lock(mutex_);
  draws_.push_back(std::move(record));
  return DD_OK;
}

HRESULT HeadlessDisplay::Present(ddraw::Surface& backBuffer, const RECT* destination, bool vsync) {
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(backBuffer.Width()) * backBuffer.Height());
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(backBuffer.Width()) * 4);
  for (DWORD y = 0; y < backBuffer.Height(); ++y) {
    ddraw::ConvertRowToRGBA(backBuffer.Format(),
                            backBuffer.Memory() + static_cast<std::size_t>(y) * backBuffer.Pitch(),
                            rgba.data(), backBuffer.Width());
    for (DWORD x = 0; x < backBuffer.Width(); ++x) {
      const std::uint8_t* p = &rgba[4 * x];
      frame[static_cast<std::size_t>(y) * backBuffer.Width() + x] =
          (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[0]) << 16) |
          (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }
  }
  std::lock_guard lock(mutex_);
  frame_ = std::move(frame);
  frameWidth_ = backBuffer.Width();
  frameHeight_ = backBuffer.Height();
  PresentRecord record;
  record.windowed = destination != nullptr || !fullScreen_;
  if (destination != nullptr) {
    record.destination = *destination;
  }
  record.vsync = vsync;
  presents_.push_back(record);
  calls_.push_back({"Present", static_cast<DWORD>(record.windowed), static_cast<DWORD>(vsync), 0});
  return DD_OK;
}

void HeadlessDisplay::RecordCall(const char* name, DWORD a, DWORD b, DWORD c) {
  std::lock_guard lock(mutex_);
  calls_.push_back({name, a, b, c});
}

}  // namespace platform::headless
