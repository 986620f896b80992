// What only pixels can show: the GUI camera puts a quad where the GUI expects it (y up), and one
// directional light lights a face with the intensity fixed-function lighting gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Light.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/VertexBuffer.h"
#include "platform/win32/WinMessages.h"
#include "support/RenderRig.h"

namespace CorvantisEngine {
namespace {

struct Rgb {
  int r, g, b;
};

class SceneOnRealDisplay : public testing::Test, public testsupport::RenderRig {
 protected:
  void SetUp() override {
    MakeWindow();
    Pump();
    MakeRenderSystem();
    ASSERT_NE(render_->GetDevice(), nullptr);
    cameras_ = std::make_unique<CameraManager>(log_.get(), window_.get(), render_.get());
    lights_ = std::make_unique<LightManager>(log_.get(), render_.get());
  }

  void TearDown() override {
    vertices_.reset();
    indices_.reset();
    lights_.reset();
    cameras_.reset();
  }

  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // A quad of two strip triangles (0, 1, 2, 3) with one normal; coloured when colour is given.
  void MakeQuad(const Vector3 (&corners)[4], const Vector3& normal, const Vector4* colour) {
    vertices_.reset(render_->CreateVertexBuffer(0, colour != nullptr ? 1 : 0, 4));
    if (colour != nullptr) {
      ColouredVertex* v = vertices_->LockColouredVertices(0, 4);
      for (int i = 0; i < 4; ++i) {
        v[i] = ColouredVertex{corners[i].x,
                              corners[i].y,
                              corners[i].z,
                              normal.x,
                              normal.y,
                              normal.z,
                              vertices_->FloatsToColour(*colour),
                              0.0f,
                              0.0f};
      }
    } else {
      Vertex* v = vertices_->LockVertices(0, 4);
      for (int i = 0; i < 4; ++i) {
        v[i] = Vertex{corners[i].x, corners[i].y, corners[i].z, normal.x, normal.y, normal.z, 0.0f, 0.0f};
      }
    }
    vertices_->Unlock();
    indices_.reset(render_->CreateIndexBuffer(0, 4));
    const std::uint32_t order[] = {0, 1, 2, 3};
    indices_->SetIndices(0, 4, order);
  }

  // One frame in the engine's order: cameras, lights, then the draw between scene begin and end.
  void DrawFrame(Camera* camera, bool lit) {
    Pump();
    render_->Refresh();
    cameras_->Update();
    lights_->Update();
    render_->BeginScene();
    cameras_->ApplyCamera(camera, false);
    render_->SetWorldMatrix(Matrix4());
    lights_->SetLightingEnabled(lit);
    render_->DrawIndexedPrimitive(1, indices_.get(), vertices_.get(), 2);
    render_->EndScene();
    image_ = Image();
    render_->CopyScreenToImage(&image_);
    render_->SwapBuffers();
    ASSERT_EQ(image_.GetWidth(), 800u);
    ASSERT_EQ(image_.GetHeight(), 600u);
  }

  int Errors() const { return static_cast<int>(Entries(LogRecord::kError).size()); }

  // The pixel at x and y counted from the bottom row (the image's rows are stored bottom-up).
  Rgb Pixel(std::uint32_t x, std::uint32_t yUp) const {
    const std::uint8_t* p = image_.GetPixels() + 3 * (static_cast<std::size_t>(yUp) * image_.GetWidth() + x);
    return {p[0], p[1], p[2]};
  }

  std::unique_ptr<CameraManager> cameras_;
  std::unique_ptr<LightManager> lights_;
  std::unique_ptr<VertexBuffer> vertices_;
  std::unique_ptr<IndexBuffer> indices_;
  Image image_;
};

TEST_F(SceneOnRealDisplay, GuiQuadLandsWhereTheGuiPutsItWithYUp) {
  Camera* gui = cameras_->CreateCamera(Camera::kOrthographic);
  gui->nearClip = 500.0f;
  gui->farClip = -500.0f;
  gui->width = 800.0f;
  gui->height = 600.0f;
  const Vector4 red(1.0f, 0.0f, 0.0f, 1.0f);
  // GUI units: x 100..300, y 400..500 from the bottom, at a top-level window's depth.
  const Vector3 corners[4] = {{300, 400, -10}, {300, 500, -10}, {100, 400, -10}, {100, 500, -10}};
  MakeQuad(corners, Vector3(0, 0, 1), &red);
  DrawFrame(gui, false);

  struct Probe {
    std::uint32_t x, yUp;
    bool inside;
  };
  const Probe probes[] = {
      {110, 410, true},  {290, 490, true},  {200, 450, true},  // inside, near the corners
      {90, 450, false},  {310, 450, false},                    // left and right of it
      {200, 390, false}, {200, 510, false},                    // below and above it
      {200, 150, false},                                       // where a y-down screen would put it
  };
  for (const Probe& probe : probes) {
    const Rgb p = Pixel(probe.x, probe.yUp);
    if (probe.inside) {
      EXPECT_GT(p.r, 250) << probe.x << "," << probe.yUp;
      EXPECT_LT(p.g + p.b, 5) << probe.x << "," << probe.yUp;
    } else {
      EXPECT_LT(p.r + p.g + p.b, 5) << probe.x << "," << probe.yUp;
    }
  }
  EXPECT_EQ(Errors(), 0);
}

TEST_F(SceneOnRealDisplay, OneDirectionalLightGivesLambertIntensity) {
  Camera* camera = cameras_->GetDefaultCamera();
  // A face towards the camera at 5 units, wide enough to cover the screen's centre.
  const Vector3 corners[4] = {{1, -1, -5}, {1, 1, -5}, {-1, -1, -5}, {-1, 1, -5}};
  MakeQuad(corners, Vector3(0, 0, 1), nullptr);
  Light* light = lights_->CreateLight();
  ASSERT_NE(light, nullptr);
  light->type = Light::kDirectional;
  light->diffuse = Vector4(0.5f, 0.5f, 0.5f, 1.0f);
  light->ambient = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
  light->specular = Vector4(0.0f, 0.0f, 0.0f, 0.0f);

  struct Row {
    const char* why;
    Vector3 direction;
    float intensity;  // material diffuse 1 · light diffuse 0.5 · cos(angle)
  };
  const float angle = 1.0471976f;  // 60°
  const Row rows[] = {
      {"head on", {0.0f, 0.0f, -1.0f}, 0.5f},
      {"at 60 degrees", {std::sin(angle), 0.0f, -std::cos(angle)}, 0.25f},
      {"from behind the face", {0.0f, 0.0f, 1.0f}, 0.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    light->direction = row.direction;
    DrawFrame(camera, true);
    const Rgb centre = Pixel(400, 300);
    const int expected = static_cast<int>(std::lround(row.intensity * 255.0f));
    EXPECT_NEAR(centre.r, expected, 3);
    EXPECT_NEAR(centre.g, expected, 3);
    EXPECT_NEAR(centre.b, expected, 3);
    const Rgb corner = Pixel(10, 10);
    EXPECT_LT(corner.r + corner.g + corner.b, 5) << "outside the face stays clear";
  }
  EXPECT_EQ(Errors(), 0);
}

}  // namespace
}  // namespace CorvantisEngine
