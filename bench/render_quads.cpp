// Drawing cost of the engine's render path against plain OpenGL, in one process and one window:
// 1,000 textured, alpha-blended quads in 100 draw calls (a world matrix each) at 1024x768, cleared and
// presented every frame. BM_EngineQuads draws through RenderSystem_D3D7 and the Direct3D-shaped device;
// BM_DirectGLQuads draws the same vertices with a minimal fixed-function OpenGL loop in its own context;
// BM_EngineOverDirect times one frame of each per iteration and reports their ratios in wall time and in
// the CPU time of the submitting thread (Mesa rasterizes on threads of its own, so wall time mostly
// shows the rasterizer; the CPU time shows what each path costs the thread that draws).
// Needs an X display (run under xvfb-run with Mesa's software renderer).
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlWindow.h"
#include "tests/support/RenderRig.h"

namespace {

using namespace CorvantisEngine;

constexpr int kBatches = 100;
constexpr int kQuadsPerBatch = 10;
constexpr int kVertices = kQuadsPerBatch * 4;
constexpr int kIndices = kQuadsPerBatch * 6;
constexpr int kTextureSize = 64;

// The render rig (log, files, configuration, window, render system) at 1024x768, windowed, without
// vertical sync.
class Scene : private testsupport::RenderRig {
 public:
  Scene() : RenderRig("1024x768x32") {
    platform::sdl::InstallBackend();
    config_->v_vsync = 0;
    MakeRenderSystem(false, true);

    // Quads of 96x96 pixels spread over the screen, in clip space.
    for (int b = 0; b < kBatches; ++b) {
      vertexBuffers_.emplace_back(render_->CreateVertexBuffer(0, 0, kVertices));
      Vertex* v = vertexBuffers_.back()->LockVertices(0, kVertices);
      for (int q = 0; q < kQuadsPerBatch; ++q) {
        const int n = b * kQuadsPerBatch + q;
        const float x = -1.0f + 2.0f * static_cast<float>((n * 37) % 97) / 97.0f - 0.1f;
        const float y = -1.0f + 2.0f * static_cast<float>((n * 53) % 89) / 89.0f - 0.1f;
        const float w = 96.0f / 512.0f;
        const float h = 96.0f / 384.0f;
        v[4 * q + 0] = {x, y + h, 0.5f, 0, 0, -1, 0, 0};
        v[4 * q + 1] = {x + w, y + h, 0.5f, 0, 0, -1, 1, 0};
        v[4 * q + 2] = {x + w, y, 0.5f, 0, 0, -1, 1, 1};
        v[4 * q + 3] = {x, y, 0.5f, 0, 0, -1, 0, 1};
      }
      vertexBuffers_.back()->Unlock();
      Matrix4 world;
      world.Translation(Vector3(0.001f * static_cast<float>(b % 7), 0.0f, 0.0f));
      worlds_.push_back(world);
    }
    indices_.reset(render_->CreateIndexBuffer(0, kIndices));
    std::vector<std::uint32_t> order;
    for (int q = 0; q < kQuadsPerBatch; ++q) {
      for (int i : {0, 1, 2, 0, 2, 3}) {
        order.push_back(static_cast<std::uint32_t>(4 * q + i));
      }
    }
    indices_->SetIndices(0, kIndices, order.data());

    // A soft round sprite: white with alpha falling off towards the edge.
    texels_.resize(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y) {
      for (int x = 0; x < kTextureSize; ++x) {
        const float dx = (x + 0.5f) / kTextureSize - 0.5f;
        const float dy = (y + 0.5f) / kTextureSize - 0.5f;
        const float a = std::max(0.0f, 1.0f - 2.0f * std::sqrt(dx * dx + dy * dy));
        texels_[y * kTextureSize + x] = (static_cast<std::uint32_t>(a * 255.0f) << 24) | 0xFFFFFFu;
      }
    }
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = d.dwHeight = kTextureSize;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat = {
        sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, {32}, {0xFF0000}, {0xFF00}, {0xFF},
        {0xFF000000u}};
    render_->GetDirectDraw()->CreateSurface(&d, &texture_, nullptr);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    texture_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    for (int y = 0; y < kTextureSize; ++y) {
      std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch,
                  &texels_[y * kTextureSize], kTextureSize * 4);
    }
    texture_->Unlock(nullptr);

    Matrix4 view;
    view.m[10] = -1.0f;  // the view update negates the third column
    render_->SetViewMatrix(view);
    render_->SetClearColour(Vector4(0.1f, 0.2f, 0.3f, 1.0f));
    render_->SetClearFlags(1);
  }

  ~Scene() {
    if (directContext_ != nullptr) {
      SDL_GL_DeleteContext(directContext_);
    }
    if (texture_ != nullptr) {
      texture_->Release();
    }
    indices_.reset();
    vertexBuffers_.clear();
  }

  void EngineFrame() {
    render_->BeginScene();
    render_->SetAlphaBlend(true);
    render_->SetBlend(4, 5);
    render_->SetTextureFilter(0, 1);
    render_->GetDevice()->SetTexture(0, texture_);
    for (int b = 0; b < kBatches; ++b) {
      render_->SetWorldMatrix(worlds_[b]);
      render_->DrawIndexedPrimitive(0, indices_.get(), vertexBuffers_[b].get(), kQuadsPerBatch * 2);
    }
    render_->EndScene();
    render_->SwapBuffers();
    glFinish();
  }

  void DirectFrame() {
    SDL_Window* sdlWindow = platform::sdl::WindowFromHandle(window_->GetHandle());
    if (directContext_ == nullptr) {
      directContext_ = SDL_GL_CreateContext(sdlWindow);
      SDL_GL_MakeCurrent(sdlWindow, directContext_);
      SDL_GL_SetSwapInterval(0);
      glGenTextures(1, &directTexture_);
      glBindTexture(GL_TEXTURE_2D, directTexture_);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                   texels_.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glEnable(GL_TEXTURE_2D);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glViewport(0, 0, 1024, 768);
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      glEnableClientState(GL_VERTEX_ARRAY);
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
      SDL_GL_MakeCurrent(sdlWindow, directContext_);
    }
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    for (int b = 0; b < kBatches; ++b) {
      glLoadMatrixf(worlds_[b].m);
      const std::uint8_t* data = vertexBuffers_[b]->GetData();
      glVertexPointer(3, GL_FLOAT, 32, data);
      glTexCoordPointer(2, GL_FLOAT, 32, data + 24);
      glDrawElements(GL_TRIANGLES, kIndices, GL_UNSIGNED_SHORT, indices_->GetData());
    }
    SDL_GL_SwapWindow(sdlWindow);
    glFinish();
  }

 private:
  std::vector<std::unique_ptr<VertexBuffer>> vertexBuffers_;
  std::vector<Matrix4> worlds_;
  std::unique_ptr<IndexBuffer> indices_;
  std::vector<std::uint32_t> texels_;
  IDirectDrawSurface7* texture_ = nullptr;
  SDL_GLContext directContext_ = nullptr;
  GLuint directTexture_ = 0;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_EngineQuads(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.EngineFrame();
  }
  state.counters["quads"] = kBatches * kQuadsPerBatch;
}
BENCHMARK(BM_EngineQuads)->Unit(benchmark::kMillisecond);

void BM_DirectGLQuads(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.DirectFrame();
  }
  state.counters["quads"] = kBatches * kQuadsPerBatch;
}
BENCHMARK(BM_DirectGLQuads)->Unit(benchmark::kMillisecond);

// The CPU time of the calling thread in milliseconds: what the submitting thread itself spends, apart
// from the renderer's own threads and from waiting for them (which the wall time includes).
double ThreadCpuMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

void BM_EngineOverDirect(benchmark::State& state) {
  Scene& scene = TheScene();
  double engine = 0.0;
  double direct = 0.0;
  double engineCpu = 0.0;
  double directCpu = 0.0;
  for (auto _ : state) {
    const double c0 = ThreadCpuMilliseconds();
    const auto t0 = std::chrono::steady_clock::now();
    scene.EngineFrame();
    const double c1 = ThreadCpuMilliseconds();
    const auto t1 = std::chrono::steady_clock::now();
    scene.DirectFrame();
    const double c2 = ThreadCpuMilliseconds();
    const auto t2 = std::chrono::steady_clock::now();
    engine += std::chrono::duration<double, std::milli>(t1 - t0).count();
    direct += std::chrono::duration<double, std::milli>(t2 - t1).count();
    engineCpu += c1 - c0;
    directCpu += c2 - c1;
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["engine_ms"] = engine / frames;
  state.counters["direct_ms"] = direct / frames;
  state.counters["ratio"] = direct > 0.0 ? engine / direct : 0.0;
  state.counters["engine_cpu_ms"] = engineCpu / frames;
  state.counters["direct_cpu_ms"] = directCpu / frames;
  state.counters["cpu_ratio"] = directCpu > 0.0 ? engineCpu / directCpu : 0.0;
}
BENCHMARK(BM_EngineOverDirect)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
