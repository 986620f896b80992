#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "SceneFixture.h"
#include "engine/core/BoundingBox.h"
#include "engine/core/Quaternion.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/Camera_D3D7.h"

namespace CorvantisEngine::scenetest {
namespace {

class CameraTest : public SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    cameras_ = std::make_unique<CameraManager>(log_.get(), window_.get(), render_.get());
  }
  void TearDown() override {
    cameras_.reset();
    SceneFixture::TearDown();
  }

  // The GUI's screen camera: 800 x 600 units, depth from 500 (near) to -500 (far).
  Camera* MakeGuiCamera() {
    Camera* camera = cameras_->CreateCamera(Camera::kOrthographic);
    camera->nearClip = 500.0f;
    camera->farClip = -500.0f;
    camera->width = 800.0f;
    camera->height = 600.0f;
    return camera;
  }

  // Where the device puts a world point with the view and projection it holds: x and y in viewport
  // units from the lower-left corner, z the depth (0 near, 1 far).
  Vector3 DeviceProject(const Vector3& p) const {
    Matrix4 m = DeviceTransform(D3DTRANSFORMSTATE_VIEW) * DeviceTransform(D3DTRANSFORMSTATE_PROJECTION);
    m.Transpose();  // row-vector product as the engine's column-vector one
    const Vector4 clip = m.TransformVector4(Vector4(p.x, p.y, p.z, 1.0f));
    return Vector3((clip.x / clip.w + 1.0f) * 0.5f * 800.0f, (clip.y / clip.w + 1.0f) * 0.5f * 600.0f,
                   clip.z / clip.w);
  }

  std::unique_ptr<CameraManager> cameras_;
};

void ExpectMatrix(const float* actual, const float (&expected)[16], const char* what) {
  for (int k = 0; k < 16; ++k) {
    EXPECT_NEAR(actual[k], expected[k], 1e-5f) << what << " element " << k;
  }
}

void ExpectVector(const Vector3& v, float x, float y, float z, float tolerance = 1e-4f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST_F(CameraTest, GoldenProjections) {
  struct Row {
    const char* why;
    bool gui;
    float engine[16];
    float device[16];
    float biased[16];
  };
  // Default perspective: 60 degrees vertically at the fixed 4:3 aspect, near 1, far 1000.
  const float x = 1.2990381f;  // 1 / (tan 30° · 4/3)
  const float y = 1.7320508f;  // 1 / tan 30°
  const Row rows[] = {
      {"default perspective",
       false,
       {x, 0, 0, 0, 0, y, 0, 0, 0, 0, -1001.0f / 999.0f, -1, 0, 0, -2000.0f / 999.0f, 0},
       {x, 0, 0, 0, 0, y, 0, 0, 0, 0, 1000.0f / 999.0f, 1, 0, 0, -1000.0f / 999.0f, 0},
       {x, 0, 0, 0, 0, y, 0, 0, 0, 0, 1.001f, 1, 0, 0, -1.001f, 0}},
      {"GUI orthographic 800 x 600",
       true,
       {0.0025f, 0, 0, 0, 0, 2.0f / 600.0f, 0, 0, 0, 0, 0.002f, 0, -1, -1, 0, 1},
       {0.0025f, 0, 0, 0, 0, 2.0f / 600.0f, 0, 0, 0, 0, 0.001f, 0, -1, -1, 0.5f, 1},
       {0.0025f, 0, 0, 0, 0, 2.0f / 600.0f, 0, 0, 0, 0, 1.0f / 999.0f, 0, -1, -1, 500.0f / 999.0f, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    auto* camera = static_cast<Camera_D3D7*>(row.gui ? MakeGuiCamera() : cameras_->GetDefaultCamera());
    // The window's shape never enters the projection.
    for (float aspect : {4.0f / 3.0f, 16.0f / 9.0f, 0.0f}) {
      camera->Update(aspect);
      ExpectMatrix(camera->projection.m, row.engine, "projection");
      ExpectMatrix(camera->deviceProjection, row.device, "device projection");
      ExpectMatrix(camera->deviceZBiasedProjection, row.biased, "device depth-biased projection");
      ExpectMatrix(camera->zBiasedProjection.m, row.biased, "depth-biased projection");
    }
  }
}

TEST_F(CameraTest, NewCameraHasIdentityMatricesUntilUpdated) {
  Camera* camera = cameras_->CreateCamera(Camera::kPerspective);
  EXPECT_EQ(camera->projection, Matrix4());
  EXPECT_EQ(camera->view, Matrix4());
  ExpectVector(camera->direction, 0, 0, 0);
  cameras_->Update();
  EXPECT_NE(camera->projection, Matrix4());
}

TEST_F(CameraTest, ViewIsTheInverseCameraTransformWithItsAxes) {
  Camera* camera = cameras_->GetDefaultCamera();
  const float half = std::sqrt(0.5f);
  camera->orientation = Quaternion(0.0f, half, 0.0f, half);  // 90° about y: looks along -x
  camera->position = Vector3(0.0f, 0.0f, 10.0f);
  cameras_->Update();

  Matrix4 toView = camera->view;
  toView.Transpose();
  ExpectVector(toView.TransformPoint(camera->position), 0, 0, 0);
  ExpectVector(toView.TransformPoint(Vector3(-5.0f, 0.0f, 10.0f)), 0, 0, -5);  // 5 ahead
  ExpectVector(toView.TransformPoint(Vector3(0.0f, 0.0f, 8.0f)), 2, 0, 0);     // to the right
  ExpectVector(camera->right, 0, 0, -1);
  ExpectVector(camera->up, 0, 1, 0);
  ExpectVector(camera->direction, 1, 0, 0);
  EXPECT_NEAR(camera->direction.Length(), 1.0f, 1e-5f);
}

TEST_F(CameraTest, FrustumFollowsTheCamera) {
  Camera* camera = cameras_->GetDefaultCamera();
  camera->position = Vector3(0.0f, 0.0f, 100.0f);
  cameras_->Update();
  const BoundingBox ahead(Vector3(-1, -1, 49), Vector3(1, 1, 51));
  const BoundingBox behind(Vector3(-1, -1, 149), Vector3(1, 1, 151));
  const BoundingBox beyondFar(Vector3(-1, -1, -1000), Vector3(1, 1, -998));
  const BoundingBox aside(Vector3(200, -1, 49), Vector3(202, 1, 51));
  EXPECT_TRUE(camera->frustum->IsVisible(ahead));
  EXPECT_FALSE(camera->frustum->IsVisible(behind));
  EXPECT_FALSE(camera->frustum->IsVisible(beyondFar));
  EXPECT_FALSE(camera->frustum->IsVisible(aside));
}

TEST_F(CameraTest, ApplyCameraSkipsRepeatsUntilTheNextFrame) {
  auto* camera = static_cast<Camera_D3D7*>(cameras_->GetDefaultCamera());
  Camera* gui = MakeGuiCamera();
  cameras_->Update();
  const auto projections = [&] { return display_->CountCalls("SetTransform", D3DTRANSFORMSTATE_PROJECTION); };

  cameras_->ApplyCamera(camera, false);
  cameras_->ApplyCamera(camera, false);
  EXPECT_EQ(projections(), 1);
  ExpectMatrix(DeviceTransform(D3DTRANSFORMSTATE_PROJECTION).m, camera->deviceProjection, "device");
  EXPECT_EQ(render_->viewMatrix, camera->view);  // the cache holds the device-layout view as it is

  cameras_->ApplyCamera(camera, true);
  EXPECT_EQ(projections(), 2);
  ExpectMatrix(DeviceTransform(D3DTRANSFORMSTATE_PROJECTION).m, camera->deviceZBiasedProjection, "biased");

  cameras_->ApplyCamera(gui, true);
  cameras_->ApplyCamera(gui, true);
  EXPECT_EQ(projections(), 3);
  EXPECT_EQ(cameras_->GetAppliedCamera(), gui);

  cameras_->ApplyCamera(nullptr, false);  // ignored
  EXPECT_EQ(projections(), 3);

  cameras_->Update();
  EXPECT_EQ(cameras_->GetAppliedCamera(), nullptr);
  cameras_->ApplyCamera(gui, true);
  EXPECT_EQ(projections(), 4);
}

TEST_F(CameraTest, FailedProjectionIsReportedAndTheViewStillSet) {
  Camera* camera = cameras_->GetDefaultCamera();
  camera->position = Vector3(1.0f, 2.0f, 3.0f);
  cameras_->Update();
  display_->Plan().Fail(platform::headless::DisplayStep::SetTransform, DDERR_GENERIC);
  cameras_->ApplyCamera(camera, false);
  EXPECT_EQ(CountLogged(LogRecord::kError, "Direct3D Subsystem (Camera_D3D7::Apply)"), 1);
  EXPECT_EQ(render_->viewMatrix, camera->view);
}

TEST_F(CameraTest, CamerasFollowTheDeviceThroughAReset) {
  auto* camera = static_cast<Camera_D3D7*>(cameras_->GetDefaultCamera());
  cameras_->Update();
  cameras_->ApplyCamera(camera, false);
  render_->Reset(3);
  ASSERT_NE(Device(), nullptr);
  cameras_->Update();
  cameras_->ApplyCamera(camera, false);
  ExpectMatrix(DeviceTransform(D3DTRANSFORMSTATE_PROJECTION).m, camera->deviceProjection, "after reset");
}

TEST_F(CameraTest, UnprojectInvertsWhatTheDeviceDraws) {
  struct Row {
    const char* why;
    bool gui;
    Quaternion orientation;
    Vector3 position;
    Vector3 points[3];
  };
  const float s15 = std::sin(0.2617994f);
  const float c15 = std::cos(0.2617994f);
  const Row rows[] = {
      {"default perspective", false, Quaternion(), Vector3(), {{0, 0, -10}, {3, -2, -25}, {-40, 30, -400}}},
      {"moved and turned perspective",
       false,
       Quaternion(0.0f, s15, 0.0f, c15),  // 30° about y
       Vector3(3.0f, -2.0f, 10.0f),
       {{-7, -2, -7.3205f}, {-2, 0, 0}, {-60, 10, -80}}},
      {"GUI orthographic", true, Quaternion(), Vector3(), {{100, 450, -10}, {0, 0, 0}, {799, 1, 200}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Camera* camera = row.gui ? MakeGuiCamera() : cameras_->GetDefaultCamera();
    camera->orientation = row.orientation;
    camera->position = row.position;
    cameras_->Update();
    cameras_->ApplyCamera(camera, false);
    for (const Vector3& p : row.points) {
      const Vector3 screen = DeviceProject(p);
      ASSERT_GT(screen.z, 0.0f) << "the point must lie between the clip planes";
      ASSERT_LT(screen.z, 1.0f);
      Vector3 back;
      EXPECT_EQ(cameras_->Unproject(&back, camera, screen), &back);
      const float tolerance = 1e-3f * std::max(1.0f, (p - row.position).Length());
      EXPECT_NEAR(back.x, p.x, tolerance);
      EXPECT_NEAR(back.y, p.y, tolerance);
      // The orthographic device projection counts depth the other way round from the engine form that
      // unprojection uses (near 500 and far -500 with the view's z turned for the device), so only the
      // screen position of a GUI point comes back; its depth is mirrored.
      EXPECT_NEAR(back.z, row.gui ? -p.z : p.z, tolerance);
    }
  }
}

TEST_F(CameraTest, UnprojectLandmarks) {
  Camera* camera = cameras_->GetDefaultCamera();
  Vector3 result(9, 9, 9);
  cameras_->Unproject(&result, camera, Vector3(400, 300, 0.5f));  // no viewport before the first Update
  ExpectVector(result, 0, 0, 0, 0.0f);

  cameras_->Update();
  EXPECT_EQ(cameras_->GetViewportWidth(), 800u);
  EXPECT_EQ(cameras_->GetViewportHeight(), 600u);
  cameras_->Unproject(&result, camera, Vector3(400, 300, 0.5f));
  EXPECT_NEAR(result.x, 0.0f, 1e-4f);
  EXPECT_NEAR(result.y, 0.0f, 1e-4f);
  EXPECT_LT(result.z, -1.0f);  // on the axis, in front of the camera

  // Depth 0 lands on the near plane, and the picking segment of a screen point runs away from the camera.
  cameras_->Unproject(&result, camera, Vector3(400, 300, 0.0f));
  EXPECT_NEAR(result.z, -1.0f, 1e-3f);
  Vector3 nearPoint;
  Vector3 farPoint;
  cameras_->Unproject(&nearPoint, camera, Vector3(600, 450, 0.0f));
  cameras_->Unproject(&farPoint, camera, Vector3(600, 450, 1.0f));
  EXPECT_GT(nearPoint.x, 0.0f);
  EXPECT_GT(nearPoint.y, 0.0f);  // upper right of the screen is up and right
  EXPECT_GT(farPoint.x, nearPoint.x);
  EXPECT_LT(farPoint.z, nearPoint.z);

  // Where the transformed w vanishes (a depth that maps to infinity) the result is the zero vector.
  cameras_->Unproject(&result, camera, Vector3(400, 300, 1000.0f / 999.0f));
  ExpectVector(result, 0, 0, 0, 0.0f);

  // The GUI camera: screen corners are GUI corners, y up.
  Camera* gui = MakeGuiCamera();
  cameras_->Update();
  cameras_->Unproject(&result, gui, Vector3(0, 0, 0.5f));
  ExpectVector(result, 0, 0, 0, 1e-3f);
  cameras_->Unproject(&result, gui, Vector3(800, 600, 0.5f));
  ExpectVector(result, 800, 600, 0, 1e-3f);
}

TEST_F(CameraTest, FreedSlotsAreReusedLastFreedFirst) {
  Camera* first = cameras_->CreateCamera(0);
  Camera* second = cameras_->CreateCamera(1);
  Camera* third = cameras_->CreateCamera(0);
  ASSERT_EQ(cameras_->GetCamera(0), cameras_->GetDefaultCamera());
  ASSERT_EQ(cameras_->GetCamera(1), first);
  ASSERT_EQ(cameras_->GetCamera(3), third);
  cameras_->DestroyCamera(first);
  cameras_->DestroyCamera(third);
  EXPECT_EQ(cameras_->GetCamera(1), nullptr);
  EXPECT_EQ(cameras_->GetCameraCount(), 2u);

  Camera* a = cameras_->CreateCamera(0);
  Camera* b = cameras_->CreateCamera(0);
  Camera* c = cameras_->CreateCamera(0);
  EXPECT_EQ(cameras_->GetCamera(3), a);
  EXPECT_EQ(cameras_->GetCamera(1), b);
  EXPECT_EQ(cameras_->GetCamera(4), c);
  EXPECT_EQ(cameras_->GetCamera(2), second);
  EXPECT_EQ(cameras_->GetCameraCount(), 5u);
  cameras_->Update();  // every live camera, no freed slot, is updated
}

TEST_F(CameraTest, DestroyIgnoresNullForeignAndDefaultCameras) {
  Camera* own = cameras_->CreateCamera(0);
  CameraManager other(log_.get(), window_.get(), render_.get());
  Camera* foreign = other.CreateCamera(1);

  cameras_->DestroyCamera(nullptr);
  cameras_->DestroyCamera(foreign);
  cameras_->DestroyCamera(cameras_->GetDefaultCamera());
  EXPECT_EQ(cameras_->GetCameraCount(), 2u);
  EXPECT_EQ(other.GetCameraCount(), 2u);
  EXPECT_EQ(CountLogged(LogRecord::kWarning, "CameraManager::DestroyCamera"), 2);
  ASSERT_NE(cameras_->GetDefaultCamera(), nullptr);
  cameras_->Update();  // the default camera is still alive
  EXPECT_EQ(cameras_->GetCamera(1), own);
}

TEST_F(CameraTest, DestroyedAppliedCameraIsNotTakenForItsSuccessor) {
  Camera* camera = cameras_->CreateCamera(0);
  cameras_->Update();
  cameras_->ApplyCamera(camera, false);
  cameras_->DestroyCamera(camera);
  EXPECT_EQ(cameras_->GetAppliedCamera(), nullptr);
}

}  // namespace
}  // namespace CorvantisEngine::scenetest
