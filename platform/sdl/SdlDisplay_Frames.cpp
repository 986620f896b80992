// The SDL/OpenGL display driver's kept frames: a frame's clears and draws are kept until its present,
// compared with the last frame's, and sent again only inside rectangles around what changed. The target
// (the off-screen framebuffer, or a window whose swap copies) still holds the last frame's picture
// everywhere else.
//
// Why it holds: a pixel outside every changed call's rectangle is touched by the same calls, in the same
// order, with the same state, vertices and textures as in the last frame, starting from the same
// values: it comes out the same. Inside the rectangles every call that reaches them is sent again, in
// order, from the frame's first clear. The depth and stencil buffers follow the same argument.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlDisplay_Local.h"

namespace platform::sdl {

namespace {

bool partialRedraw = true;
RedrawnArea lastRedrawn{};

// The rectangle around both (an empty one adds nothing).
template <typename Rect>
void Add(Rect& into, const Rect& r) {
  if (r.Empty()) {
    return;
  }
  if (into.Empty()) {
    into = r;
    return;
  }
  into.left = std::min(into.left, r.left);
  into.top = std::min(into.top, r.top);
  into.right = std::max(into.right, r.right);
  into.bottom = std::max(into.bottom, r.bottom);
}

bool SameLights(const std::map<DWORD, ddraw::LightSlot>& a, const std::map<DWORD, ddraw::LightSlot>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.enabled == y.second.enabled &&
           std::memcmp(&x.second.light, &y.second.light, sizeof(D3DLIGHT7)) == 0;
  });
}

// Everything of two states that a draw reads (the serials only say when something was set).
bool SameState(const DeviceState& a, const DeviceState& b) {
  auto same = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof(x)) == 0; };
  return same(a.renderStates, b.renderStates) && same(a.stageStates, b.stageStates) &&
         same(a.world, b.world) && same(a.view, b.view) && same(a.projection, b.projection) &&
         same(a.textureTransforms, b.textureTransforms) && same(a.viewport, b.viewport) &&
         same(a.material, b.material) && a.renderTarget == b.renderTarget && a.hasDepth == b.hasDepth &&
         a.hasStencil == b.hasStencil && SameLights(a.lights, b.lights);
}

bool SameSerials(const DeviceState& a, const DeviceState& b) {
  return a.renderStateSerial == b.renderStateSerial && a.stageSerial == b.stageSerial &&
         a.textureSerial == b.textureSerial && a.transformSerial == b.transformSerial &&
         a.textureTransformSerial == b.textureTransformSerial && a.viewportSerial == b.viewportSerial &&
         a.materialSerial == b.materialSerial && a.lightSerial == b.lightSerial &&
         a.targetSerial == b.targetSerial;
}

}  // namespace

void SetPartialRedraw(bool on) {
  partialRedraw = on;
}

RedrawnArea LastRedrawn() {
  return lastRedrawn;
}

void SdlDisplay::KeptFrame::ReleaseHeld() {
  for (Surface* surface : held) {
    surface->Release();
  }
  held.clear();
}

void SdlDisplay::KeptFrame::Reset() {
  ReleaseHeld();
  calls.clear();
  states.clear();
  bytes.clear();
}

bool SdlDisplay::Keeps(const DeviceState& state) const {
  return keeping_ && partialRedraw && armedRecorder == nullptr && TargetKeepsPicture() &&
         target_ != nullptr && state.renderTarget == target_;
}

bool SdlDisplay::TargetKeepsPicture() const {
  return drawTarget_ == 0 ? windowKeepsPicture_ : drawTarget_ == framebuffer_;
}

bool SdlDisplay::ClipIsWhole() const {
  return !clipped_;
}

SdlDisplay::ClearRect SdlDisplay::Clip() const {
  return clipped_ ? clip_ : WholeTarget();
}

void SdlDisplay::SetClip(const ClearRect& rect) {
  const bool clipped =
      rect.left > 0 || rect.top > 0 || rect.right < targetWidth_ || rect.bottom < targetHeight_;
  if (clipped == clipped_ && (!clipped || (clip_.left == rect.left && clip_.top == rect.top &&
                                           clip_.right == rect.right && clip_.bottom == rect.bottom))) {
    return;
  }
  clip_ = rect;
  clipped_ = clipped;
  clipKnown_ = false;
}

void SdlDisplay::ApplyClip() {
  if (clipKnown_) {
    return;
  }
  clipKnown_ = true;
  if (ClipIsWhole()) {
    glDisable(GL_SCISSOR_TEST);
    return;
  }
  glEnable(GL_SCISSOR_TEST);
  glScissor(clip_.left, targetHeight_ - clip_.bottom, clip_.right - clip_.left, clip_.bottom - clip_.top);
}

void SdlDisplay::KeepClear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                           DWORD stencil) {
  KeptCall kept;
  kept.clear = true;
  kept.flags = flags;
  kept.colour = colour;
  kept.depth = depth;
  kept.stencil = stencil;
  kept.bounds = ViewportRect(state.viewport);
  Keep(kept, state);
}

void SdlDisplay::KeepDraw(const DeviceState& state, const DrawCall& call) {
  KeptCall kept;
  kept.call = call;
  kept.call.vertices = nullptr;
  kept.call.indices = nullptr;
  kept.bounds = Bounds(state, call);
  std::vector<std::uint8_t>& bytes = frame_.bytes;
  kept.vertexAt = bytes.size();
  kept.vertexBytes = static_cast<std::size_t>(call.vertexCount) * call.stride;
  bytes.insert(bytes.end(), call.vertices, call.vertices + kept.vertexBytes);
  if (call.indices != nullptr) {
    kept.indexAt = bytes.size();
    kept.indexBytes = static_cast<std::size_t>(call.indexCount) * (call.wideIndices ? 4 : 2);
    const auto* indices = static_cast<const std::uint8_t*>(call.indices);
    bytes.insert(bytes.end(), indices, indices + kept.indexBytes);
  }
  for (std::size_t unit = 0; unit < ddraw::kTextureStages; ++unit) {
    Surface* texture = state.textures[unit];
    if (texture != nullptr) {
      kept.textures[unit] = {texture->Identity(), ChainVersion(*texture)};
      texture->AddRef();
      frame_.held.push_back(texture);
    }
  }
  Keep(kept, state);
}

void SdlDisplay::Keep(KeptCall kept, const DeviceState& state) {
  if (frame_.states.empty() || !SameSerials(frame_.states.back(), state)) {
    frame_.states.push_back(state);
  }
  kept.state = static_cast<std::uint32_t>(frame_.states.size() - 1);
  frame_.calls.push_back(kept);
}

bool SdlDisplay::VerticesOnTarget(const DeviceState& state, const DrawCall& call, std::vector<float>& at) {
  const D3DMATRIX toClip = ClipMatrix(state);
  const D3DVIEWPORT7& v = state.viewport;
  at.resize(2 * static_cast<std::size_t>(call.vertexCount));
  for (DWORD i = 0; i < call.vertexCount; ++i) {
    float p[3];
    ClipPosition(call, toClip, i, p);
    if (!(p[2] > 1e-6f)) {
      return false;
    }
    at[2 * i] = v.dwX + (p[0] / p[2] + 1.0f) * 0.5f * v.dwWidth;
    at[2 * i + 1] = v.dwY + (1.0f - p[1] / p[2]) * 0.5f * v.dwHeight;
    if (!std::isfinite(at[2 * i]) || !std::isfinite(at[2 * i + 1])) {
      return false;
    }
  }
  return true;
}

SdlDisplay::ClearRect SdlDisplay::PixelBox(float left, float top, float right, float bottom) {
  // Two pixels of margin on every side for points and lines and for the rasterizer's rounding; far
  // outside the target, the numbers are held where they still fit.
  constexpr float kMargin = 2.0f;
  constexpr float kLimit = 1e6f;
  return {static_cast<GLint>(std::floor(std::max(left - kMargin, -kLimit))),
          static_cast<GLint>(std::floor(std::max(top - kMargin, -kLimit))),
          static_cast<GLint>(std::ceil(std::min(right + kMargin, kLimit))),
          static_cast<GLint>(std::ceil(std::min(bottom + kMargin, kLimit)))};
}

SdlDisplay::ClearRect SdlDisplay::Bounds(const DeviceState& state, const DrawCall& call) {
  const ClearRect viewport = ViewportRect(state.viewport);
  if (call.vertexCount == 0 || call.indexCount == 0) {
    return {};
  }
  std::vector<float>& at = cells_.positions;
  if (!VerticesOnTarget(state, call, at)) {
    return viewport;
  }
  float left = at[0];
  float right = left;
  float top = at[1];
  float bottom = top;
  for (std::size_t i = 2; i < at.size(); i += 2) {
    left = std::min(left, at[i]);
    right = std::max(right, at[i]);
    top = std::min(top, at[i + 1]);
    bottom = std::max(bottom, at[i + 1]);
  }
  const ClearRect r = PixelBox(left, top, right, bottom).Within(viewport);
  return r.Empty() ? ClearRect{} : r;
}

bool SdlDisplay::SameCall(const KeptCall& a, const KeptFrame& inA, const KeptCall& b,
                          const KeptFrame& inB) const {
  if (a.clear != b.clear) {
    return false;
  }
  const DeviceState& stateA = inA.states[a.state];
  const DeviceState& stateB = inB.states[b.state];
  if (a.clear) {
    return a.flags == b.flags && a.colour == b.colour && a.depth == b.depth && a.stencil == b.stencil &&
           std::memcmp(&stateA.viewport, &stateB.viewport, sizeof(D3DVIEWPORT7)) == 0;
  }
  const DrawCall& x = a.call;
  const DrawCall& y = b.call;
  if (x.primitiveType != y.primitiveType || x.vertexFormat != y.vertexFormat || x.stride != y.stride ||
      x.vertexCount != y.vertexCount || x.indexCount != y.indexCount || x.wideIndices != y.wideIndices ||
      a.vertexBytes != b.vertexBytes || a.indexBytes != b.indexBytes) {
    return false;
  }
  if (!std::equal(std::begin(a.textures), std::end(a.textures), std::begin(b.textures))) {
    return false;
  }
  if (std::memcmp(inA.bytes.data() + a.vertexAt, inB.bytes.data() + b.vertexAt, a.vertexBytes) != 0 ||
      (a.indexBytes != 0 &&
       std::memcmp(inA.bytes.data() + a.indexAt, inB.bytes.data() + b.indexAt, a.indexBytes) != 0)) {
    return false;
  }
  return SameState(stateA, stateB);
}

bool SdlDisplay::DrawnAfresh() const {
  if (frame_.calls.empty() || !frame_.calls.front().clear) {
    return false;
  }
  const KeptCall& first = frame_.calls.front();
  const ClearRect whole = WholeTarget();
  if ((first.flags & D3DCLEAR_TARGET) == 0 || first.bounds.left > 0 || first.bounds.top > 0 ||
      first.bounds.right < whole.right || first.bounds.bottom < whole.bottom) {
    return false;
  }
  // Depth and stencil read by a test hold this frame's values only when the first clear set them.
  const bool depth = (first.flags & D3DCLEAR_ZBUFFER) != 0;
  const bool stencil = (first.flags & D3DCLEAR_STENCIL) != 0;
  return std::all_of(frame_.calls.begin() + 1, frame_.calls.end(), [&](const KeptCall& kept) {
    const DeviceState& state = frame_.states[kept.state];
    const DWORD* rs = state.renderStates;
    const bool readsDepth = state.hasDepth && rs[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE;
    const bool readsStencil = state.hasStencil && rs[D3DRENDERSTATE_STENCILENABLE] != FALSE;
    return (depth || !readsDepth) && (stencil || !readsStencil);
  });
}

bool SdlDisplay::TriangleBoxes(const KeptCall& kept, const KeptFrame& in, std::vector<ClearRect>& boxes) {
  boxes.clear();
  if (kept.clear || kept.bounds.Empty()) {
    return false;
  }
  DrawCall call = kept.call;
  call.vertices = in.bytes.data() + kept.vertexAt;
  call.indices = kept.indexBytes != 0 ? in.bytes.data() + kept.indexAt : nullptr;
  const DWORD triangles = TriangleCount(call);
  constexpr DWORD kMostVertices = 4096;
  if (triangles == 0 || call.vertexCount > kMostVertices) {
    return false;
  }
  std::vector<float>& at = cells_.positions;
  if (!VerticesOnTarget(in.states[kept.state], call, at)) {
    return false;
  }
  for (DWORD n = 0; n < triangles; ++n) {
    DWORD corners[3];
    TriangleCorners(call, n, corners);
    float left = at[2 * corners[0]];
    float right = left;
    float top = at[2 * corners[0] + 1];
    float bottom = top;
    for (int c = 1; c < 3; ++c) {
      left = std::min(left, at[2 * corners[c]]);
      right = std::max(right, at[2 * corners[c]]);
      top = std::min(top, at[2 * corners[c] + 1]);
      bottom = std::max(bottom, at[2 * corners[c] + 1]);
    }
    const ClearRect box = PixelBox(left, top, right, bottom).Within(kept.bounds);
    if (!box.Empty()) {
      boxes.push_back(box);
    }
  }
  return true;
}

void SdlDisplay::MarkChanged(const KeptCall& kept, const KeptFrame& in) {
  auto mark = [&](const ClearRect& r) {
    const int left = std::max(0, r.left / kCell);
    const int top = std::max(0, r.top / kCell);
    const int right = std::min(cells_.columns, (r.right + kCell - 1) / kCell);
    const int bottom = std::min(cells_.rows, (r.bottom + kCell - 1) / kCell);
    for (int y = top; y < bottom; ++y) {
      std::fill_n(cells_.marks.begin() + static_cast<std::ptrdiff_t>(y) * cells_.columns + left,
                  std::max(0, right - left), std::uint8_t{1});
    }
  };
  // Triangle by triangle, so that scattered small ones (particles) mark only where they are.
  if (!TriangleBoxes(kept, in, cells_.boxes)) {
    mark(kept.bounds);
    return;
  }
  for (const ClearRect& box : cells_.boxes) {
    mark(box);
  }
}

void SdlDisplay::Changed(std::vector<ClearRect>& rects) {
  rects.clear();
  cells_.columns = (targetWidth_ + kCell - 1) / kCell;
  cells_.rows = (targetHeight_ + kCell - 1) / kCell;
  cells_.marks.assign(static_cast<std::size_t>(cells_.columns) * cells_.rows, 0);
  const std::vector<KeptCall>& before = lastFrame_.calls;
  const std::vector<KeptCall>& now = frame_.calls;
  if (before.size() == now.size()) {
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (!SameCall(before[i], lastFrame_, now[i], frame_)) {
        MarkChanged(before[i], lastFrame_);
        MarkChanged(now[i], frame_);
      }
    }
  } else {
    // Calls came or went: what both frames share at their start and at their end stays, the rest
    // between is redrawn wherever it was or is.
    const std::size_t shorter = std::min(before.size(), now.size());
    std::size_t head = 0;
    while (head < shorter && SameCall(before[head], lastFrame_, now[head], frame_)) {
      ++head;
    }
    std::size_t tail = 0;
    while (tail < shorter - head &&
           SameCall(before[before.size() - 1 - tail], lastFrame_, now[now.size() - 1 - tail], frame_)) {
      ++tail;
    }
    for (std::size_t i = head; i < before.size() - tail; ++i) {
      MarkChanged(before[i], lastFrame_);
    }
    for (std::size_t i = head; i < now.size() - tail; ++i) {
      MarkChanged(now[i], frame_);
    }
  }
  // The marked cells as rectangles: runs along each row, a run as wide as one in the row above
  // lengthening it. Each rectangle costs every call that reaches into it once more, so the cells are
  // also tried twice, four times... as large (fewer rectangles, more pixels), and the whole target in
  // one; the cheapest is drawn.
  std::vector<std::uint8_t> marks = cells_.marks;
  int columns = cells_.columns;
  int rows = cells_.rows;
  std::vector<ClearRect> tried;
  double cheapest = Cost({WholeTarget()});
  rects.assign(1, WholeTarget());
  for (int size = kCell; columns > 1 || rows > 1; size *= 2) {
    tried.clear();
    std::vector<std::size_t> open;  // rectangles ending at the row above
    std::vector<std::size_t> next;
    for (int y = 0; y < rows; ++y) {
      next.clear();
      for (int x = 0; x < columns;) {
        if (marks[static_cast<std::size_t>(y) * columns + x] == 0) {
          ++x;
          continue;
        }
        const int start = x;
        while (x < columns && marks[static_cast<std::size_t>(y) * columns + x] != 0) {
          ++x;
        }
        const ClearRect run{start * size, y * size, std::min(x * size, targetWidth_),
                            std::min((y + 1) * size, targetHeight_)};
        const auto above = std::find_if(open.begin(), open.end(), [&](std::size_t r) {
          return tried[r].left == run.left && tried[r].right == run.right;
        });
        if (above != open.end()) {
          tried[*above].bottom = run.bottom;
          next.push_back(*above);
        } else {
          next.push_back(tried.size());
          tried.push_back(run);
        }
      }
      open.swap(next);
    }
    if (tried.empty()) {
      rects.clear();  // nothing changed
      return;
    }
    const double cost = Cost(tried);
    if (cost < cheapest) {
      cheapest = cost;
      rects = tried;
    }
    // Twice as large: a cell is marked when any of the four it holds is.
    const int halfColumns = (columns + 1) / 2;
    const int halfRows = (rows + 1) / 2;
    std::vector<std::uint8_t> coarse(static_cast<std::size_t>(halfColumns) * halfRows, 0);
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < columns; ++x) {
        coarse[static_cast<std::size_t>(y / 2) * halfColumns + x / 2] |=
            marks[static_cast<std::size_t>(y) * columns + x];
      }
    }
    marks.swap(coarse);
    columns = halfColumns;
    rows = halfRows;
  }
}

double SdlDisplay::Cost(const std::vector<ClearRect>& rects) const {
  // Measured on Mesa's llvmpipe at 1024x768: about 15 us a draw, whatever it covers, and 10 ns for each
  // pixel of a draw, taken as two layers a pixel.
  constexpr double kDraw = 15e-6;
  constexpr double kPixel = 20e-9;
  double cost = 0.0;
  for (const ClearRect& rect : rects) {
    cost += kPixel * (rect.right - rect.left) * static_cast<double>(rect.bottom - rect.top);
    for (const KeptCall& kept : frame_.calls) {
      if (!kept.bounds.Within(rect).Empty()) {
        cost += kDraw;
      }
    }
  }
  return cost;
}

const void* SdlDisplay::ArrayAddress(const void* data) const {
  if (bufferedFrom_ == nullptr || data == nullptr) {
    return data;
  }
  return reinterpret_cast<const void*>(
      static_cast<std::uintptr_t>(static_cast<const std::uint8_t*>(data) - bufferedFrom_));
}

void SdlDisplay::ForgetArrayPointers() {
  vertexArray_.pointerKnown = false;
  normalArray_.pointerKnown = false;
  colourArray_.pointerKnown = false;
  for (ClientArray& coordinates : texCoordArrays_) {
    coordinates.pointerKnown = false;
  }
}

void SdlDisplay::BufferKeptBytes() {
  const std::vector<std::uint8_t>& bytes = frame_.bytes;
  if (bytes.empty()) {
    return;
  }
  if (keptBuffer_ == 0) {
    glGenBuffers(1, &keptBuffer_);
  }
  glBindBuffer(GL_ARRAY_BUFFER, keptBuffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, keptBuffer_);
  if (bytes.size() > keptBufferBytes_) {
    keptBufferBytes_ = bytes.size() + bytes.size() / 2;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(keptBufferBytes_), nullptr, GL_STREAM_DRAW);
  }
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
  bufferedFrom_ = bytes.data();
  ForgetArrayPointers();
}

void SdlDisplay::UnbindKeptBytes() {
  if (bufferedFrom_ == nullptr) {
    return;
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  bufferedFrom_ = nullptr;
  ForgetArrayPointers();
}

void SdlDisplay::SendKept(const std::vector<ClearRect>& within) {
  // Call by call, each in every rectangle it meets: the rectangles do not overlap, so each pixel still
  // sees the calls in their order, and a call's state is set once for all of them. OpenGL reads the
  // vertices from one buffer for the whole frame, not from memory again for each rectangle.
  clipKnown_ = false;
  if (within.size() > 1) {
    BufferKeptBytes();
  }
  std::vector<ClearRect>& boxes = cells_.boxes;
  for (const KeptCall& kept : frame_.calls) {
    const DeviceState& state = frame_.states[kept.state];
    DrawCall call = kept.call;
    call.vertices = frame_.bytes.data() + kept.vertexAt;
    call.indices = kept.indexBytes != 0 ? frame_.bytes.data() + kept.indexAt : nullptr;
    // A draw of many scattered triangles (particles) is sent only into the rectangles its triangles reach.
    constexpr DWORD kFewTriangles = 4;
    const bool scattered =
        within.size() > 1 && TriangleCount(call) > kFewTriangles && TriangleBoxes(kept, frame_, boxes);
    for (const ClearRect& rect : within) {
      if (kept.bounds.Within(rect).Empty()) {
        continue;  // draws nothing the rectangle shows
      }
      if (scattered && std::none_of(boxes.begin(), boxes.end(),
                                    [&](const ClearRect& box) { return !box.Within(rect).Empty(); })) {
        continue;
      }
      SetClip(rect);
      if (kept.clear) {
        ClearNow(state, kept.flags, kept.colour, kept.depth, kept.stencil);
      } else {
        DrawNow(state, call);
      }
    }
  }
  UnbindKeptBytes();
  clipped_ = false;
  clipKnown_ = false;
}

void SdlDisplay::StopKeeping() {
  keeping_ = false;
  if (frame_.calls.empty()) {
    return;
  }
  SendKept({WholeTarget()});
  frame_.Reset();
  lastFrameKnown_ = false;
}

void SdlDisplay::FinishKeptFrame() {
  if (!keeping_) {
    // Sent as it came: the next frame is drawn whole.
    keeping_ = true;
    lastFrameKnown_ = false;
    frame_.Reset();
    lastRedrawn = {0, 0, targetWidth_, targetHeight_, 1, static_cast<long>(targetWidth_) * targetHeight_};
    return;
  }
  std::vector<ClearRect>& rects = redraw_;
  if (lastFrameKnown_ && DrawnAfresh()) {
    Changed(rects);
  } else {
    rects.assign(1, WholeTarget());
  }
  SendKept(rects);
  lastRedrawn = {};
  for (const ClearRect& r : rects) {
    Add(lastRedrawn, RedrawnArea{r.left, r.top, r.right, r.bottom});
    lastRedrawn.pixels += static_cast<long>(r.right - r.left) * (r.bottom - r.top);
  }
  lastRedrawn.rectangles = static_cast<int>(rects.size());
  frame_.ReleaseHeld();
  std::swap(frame_, lastFrame_);
  frame_.Reset();
  lastFrameKnown_ = TargetKeepsPicture();
}

}  // namespace platform::sdl
