// What only pixels show: the frustum culls what the display would not show (the view turns z round),
// blended sprites are drawn back to front, and a textured model read from its file lands where its
// vertices say in its texture's colours.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/Image.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "engine/resources/SpriteGroup.h"
#include "engine/window/Window.h"
#include "platform/win32/WinMessages.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LogProbe.h"
#include "tests/support/TempFolder.h"
#include "tools/models/ModelFileWriter.h"
#include "tools/shaderc/ShaderFileWriter.h"

// SDL's video start-up connects to D-Bus, whose library keeps a buffer for the life of the process.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}

namespace CorvantisEngine {
namespace {

struct Rgb {
  int r, g, b;
};

class ModelPixelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.Root();
    std::filesystem::create_directories(folder_ / "data");
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "test", false,
                                       "640x480x32", false, false);
    config_->v_mode = "640x480x32";
    POINT position{0, 0};
    window_ = std::make_unique<Window>(log_.get(), config_.get(), "Models", nullptr, 0, false, 640, 480,
                                       false, true, &position);
    render_ = std::make_unique<RenderSystem_D3D7>(log_.get(), config_.get(), window_.get(), false, false);
    cameras_ = std::make_unique<CameraManager>(log_.get(), window_.get(), render_.get());
    lights_ = std::make_unique<LightManager>(log_.get(), render_.get());
    shaders_ =
        std::make_unique<ShaderManager>(log_.get(), files_.get(), &timers_, config_.get(), render_.get());
    models_ = std::make_unique<ModelManager>(log_.get(), files_.get(), &timers_, render_.get(),
                                             cameras_.get(), lights_.get(), shaders_.get());
    sprites_ =
        std::make_unique<SpriteGroupManager>(log_.get(), cameras_.get(), shaders_.get(), models_.get());
    render_->SetClearColour(Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    log_->ClearRecords();
  }
  void TearDown() override {
    sprites_.reset();
    models_.reset();
    shaders_.reset();
    lights_.reset();
    cameras_.reset();
    render_.reset();
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
  }

  // One frame in the engine's order; the screen is kept for Pixel.
  void Frame() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    render_->Refresh();
    cameras_->Update();
    sprites_->Update();
    lights_->Update();
    shaders_->Update();
    models_->Render();
    screen_ = Image();
    render_->CopyScreenToImage(&screen_);
    models_->PresentFrame();
    ASSERT_EQ(screen_.GetWidth(), 640u);
    ASSERT_EQ(screen_.GetHeight(), 480u);
    EXPECT_EQ(testsupport::LogProbe(*log_).Errors(), std::vector<std::string>()) << "no error logged";
  }

  Rgb Pixel(std::uint32_t x, std::uint32_t yFromTop) const {
    const std::uint8_t* p = screen_.GetPixels() + ((479 - yFromTop) * 640 + x) * 3;
    return Rgb{p[0], p[1], p[2]};
  }

  static void ExpectColour(const Rgb& actual, const Rgb& expected, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, 24) << where;
    EXPECT_NEAR(actual.g, expected.g, 24) << where;
    EXPECT_NEAR(actual.b, expected.b, 24) << where;
  }

  // An unlit white box, registered.
  Model* WhiteBox(const Vector3& a, const Vector3& b) {
    std::unique_ptr<Model> prototype(models_->NewBoxModel(a, b, nullptr, nullptr, 0));
    Model* box = models_->CloneModel(*prototype, nullptr, 0);
    box->ClearFlags(kModelLit);
    return box;
  }

  testsupport::TempFolder temp_;
  std::filesystem::path folder_;
  TimerManager timers_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<RenderSystem_D3D7> render_;
  std::unique_ptr<CameraManager> cameras_;
  std::unique_ptr<LightManager> lights_;
  std::unique_ptr<ShaderManager> shaders_;
  std::unique_ptr<ModelManager> models_;
  std::unique_ptr<SpriteGroupManager> sprites_;
  Image screen_;
};

TEST_F(ModelPixelsTest, CullingAgreesWithWhatTheDisplayShows) {
  WhiteBox(Vector3(-1, -1, -6), Vector3(1, 1, -4));                   // in front, in the middle
  WhiteBox(Vector3(3.5f, -0.5f, -5.5f), Vector3(4.5f, 0.5f, -4.5f));  // straddling the right edge
  WhiteBox(Vector3(-1, -1, 4), Vector3(1, 1, 6));                     // behind the camera
  WhiteBox(Vector3(30, -1, -6), Vector3(32, 1, -4));                  // far off to the right
  Frame();
  EXPECT_EQ(models_->visibleModelCount, 4u);
  EXPECT_EQ(models_->drawnModelCount, 2u) << "only the two the display can show are drawn";
  ExpectColour(Pixel(320, 240), {255, 255, 255}, "the front box in the middle");
  ExpectColour(Pixel(635, 240), {255, 255, 255}, "the box at the right edge");
  ExpectColour(Pixel(320, 60), {127, 127, 127}, "above the middle box");
  ExpectColour(Pixel(560, 240), {127, 127, 127}, "between them");
}

TEST_F(ModelPixelsTest, BlendedSpritesAreDrawnBackToFront) {
  ShaderDescriptor blend;
  blend.AddFlags(ShaderDescriptor::kAlphaBlend);
  blend.SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
  blend.SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  SpriteGroup* group = sprites_->CreateSpriteGroup(2, &blend, nullptr);
  // Added near first: only sorting puts the far one first.
  group->AddSprite(Vector3(0, 0, -4), 0.5f, Vector4(0, 1, 0, 0.5f));  // near, half-transparent green
  group->AddSprite(Vector3(0, 0, -8), 2.0f, Vector4(1, 0, 0, 1));     // far, opaque red
  Frame();
  ExpectColour(Pixel(320, 240), {128, 128, 0}, "green over red");
  ExpectColour(Pixel(320 + 100, 240), {255, 0, 0}, "red alone");

  group->sort = false;
  Frame();
  ExpectColour(Pixel(320, 240), {255, 0, 0}, "unsorted: the opaque red, drawn last, covers the green");
}

void WriteQuadrantBmp(const std::filesystem::path& path) {
  // 64 x 64, 24 bits. Top-left red, top-right green, bottom-left blue, bottom-right white.
  const Rgb quadrants[2][2] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}};
  testkit::Bytes pixels;
  for (int row = 0; row < 64; ++row) {  // bottom row first
    const int fromTop = 63 - row;
    for (int x = 0; x < 64; ++x) {
      const Rgb c = quadrants[fromTop / 32][x / 32];
      pixels.push_back(static_cast<std::uint8_t>(c.r));
      pixels.push_back(static_cast<std::uint8_t>(c.g));
      pixels.push_back(static_cast<std::uint8_t>(c.b));
    }
  }
  const testkit::Bytes bytes = testkit::MakeBmp(64, 64, 3, pixels);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(ModelPixelsTest, TexturedModelFromItsFileLandsInItsColours) {
  WriteQuadrantBmp(folder_ / "data" / "quad.bmp");
  shaderc::ShaderRecord material;
  shaderc::StageRecord stage;
  stage.diffuseName = "quad.bmp";
  stage.addressU = stage.addressV = 0;
  material.stages.push_back(stage);
  const std::vector<std::uint8_t> shaderBytes = shaderc::WriteShaderFile(material);
  std::ofstream(folder_ / "data" / "quad.srf", std::ios::binary)
      .write(reinterpret_cast<const char*>(shaderBytes.data()),
             static_cast<std::streamsize>(shaderBytes.size()));

  // A quad from (-1, -1) to (1, 1) at z = -5, unlit, v = 0 at the picture's bottom.
  ModelFileData quad;
  quad.flags = kModelStatic | kModelTriangleList | kModelVisible | kModelListB;
  quad.vertexCount = 4;
  const float corners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};
  for (const auto& c : corners) {
    ModelFileVertex v;
    v.position = Vector3(c[0], c[1], -5);
    v.normal = Vector3(0, 0, 1);
    v.u = c[2];
    v.v = c[3];
    quad.vertices.push_back(v);
  }
  quad.indices = {0, 1, 2, 0, 2, 3};
  quad.boxes.push_back(ModelFileBox{Vector3(-1, -1, -5), Vector3(1, 1, -5)});
  ASSERT_TRUE(tools::WriteModelFile(quad, (folder_ / "data" / "quad.mdl").string()));

  Model* model = models_->CreateModelFromFile("quad.mdl", nullptr, 0);
  ASSERT_EQ(model->primitiveCount, 2u) << "read from the file, not the substitute box";
  ASSERT_EQ(model->shader->GetStageCount(), 1u);
  Frame();
  // The quad spans about 83 pixels either way of the middle.
  ExpectColour(Pixel(320 - 40, 240 - 40), {255, 0, 0}, "top-left");
  ExpectColour(Pixel(320 + 40, 240 - 40), {0, 255, 0}, "top-right");
  ExpectColour(Pixel(320 - 40, 240 + 40), {0, 0, 255}, "bottom-left");
  ExpectColour(Pixel(320 + 40, 240 + 40), {255, 255, 255}, "bottom-right");
  ExpectColour(Pixel(320 + 120, 240), {127, 127, 127}, "beside the quad");
}

}  // namespace
}  // namespace CorvantisEngine
