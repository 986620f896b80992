// A JPEG made by the JPEG library's encoder, loaded through the shader and texture managers and drawn as
// a quad by the real back end: the picture must come out the right way up and in its own colours.
// Texture coordinates follow the engine's images: v = 0 is the picture's bottom row.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "engine/window/Window.h"
#include "tests/support/LogProbe.h"

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace CorvantisEngine {
namespace {

struct Colour {
  std::uint8_t r, g, b;
};

// 64 x 64: top-left red, top-right green, bottom-left blue, bottom-right white (rows top-down).
void WriteQuadrantJpeg(const std::filesystem::path& path) {
  const Colour quadrants[2][2] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}};
  std::vector<std::uint8_t> rows(64 * 64 * 3);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Colour c = quadrants[y / 32][x / 32];
      std::uint8_t* p = &rows[(y * 64 + x) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  jpeg_stdio_dest(&info, out);
  info.image_width = 64;
  info.image_height = 64;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < 64) {
    JSAMPROW row = &rows[info.next_scanline * 64 * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
}

TEST(TexturedQuadTest, JpegShowsRightWayUpInItsColours) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("textured-quad-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "data");
  WriteQuadrantJpeg(folder / "data" / "quad.jpg");

  MessageManager log("Test", 0, 0, "", "test");
  FileManager files(&log, folder.string(), "");
  Config config(&log, &files, folder.string(), "test", false, "640x480x32", false, false);
  config.v_mode = "640x480x32";
  TimerManager timers;
  POINT position{0, 0};
  Window window(&log, &config, "Textured quad", nullptr, 0, false, 640, 480, false, true, &position);
  {
    RenderSystem_D3D7 render(&log, &config, &window, false, false);
    ShaderManager shaders(&log, &files, &timers, &config, &render);
    ShaderUser* user = shaders.GetShader(CreateTextureShader("quad.jpg", "", true));
    log.ClearRecords();

    std::unique_ptr<VertexBuffer> vertices(render.CreateVertexBuffer(0, 0, 4));
    Vertex* v = vertices->LockVertices(0, 4);
    // With identity transforms the engine's view turns z around: z = -0.5 lands halfway into the depth
    // range. The quad covers the middle half of the window; the picture's bottom is at v = 0.
    v[0] = {-0.5f, -0.5f, -0.5f, 0, 0, 1, 0.0f, 0.0f};
    v[1] = {0.5f, -0.5f, -0.5f, 0, 0, 1, 1.0f, 0.0f};
    v[2] = {0.5f, 0.5f, -0.5f, 0, 0, 1, 1.0f, 1.0f};
    v[3] = {-0.5f, 0.5f, -0.5f, 0, 0, 1, 0.0f, 1.0f};
    vertices->Unlock();
    std::unique_ptr<IndexBuffer> indices(render.CreateIndexBuffer(0, 6));
    const std::uint32_t order[6] = {0, 1, 2, 0, 2, 3};
    indices->SetIndices(0, 6, order);

    render.SetClearColour(Vector4(0.5f, 0.25f, 0.75f, 1.0f));
    render.BeginScene();
    user->Apply();
    render.DrawIndexedPrimitive(0, indices.get(), vertices.get(), 2);
    render.EndScene();
    Image screen;
    render.CopyScreenToImage(&screen);
    render.SwapBuffers();
    EXPECT_EQ(testsupport::LogProbe(log).Errors(), std::vector<std::string>()) << "no error logged";

    ASSERT_EQ(screen.GetWidth(), 640u);
    ASSERT_EQ(screen.GetHeight(), 480u);
    // The screen image runs bottom-up too: row 0 is the bottom of the window.
    auto at = [&](std::uint32_t xFromLeft, std::uint32_t yFromTop) {
      const std::uint8_t* p = screen.GetPixels() + ((479 - yFromTop) * 640 + xFromLeft) * 3;
      return Colour{p[0], p[1], p[2]};
    };
    struct Probe {
      const char* where;
      std::uint32_t x, y;
      Colour expected;
    };
    const Probe probes[] = {
        {"top-left", 640 * 3 / 8, 480 * 3 / 8, {255, 0, 0}},
        {"top-right", 640 * 5 / 8, 480 * 3 / 8, {0, 255, 0}},
        {"bottom-left", 640 * 3 / 8, 480 * 5 / 8, {0, 0, 255}},
        {"bottom-right", 640 * 5 / 8, 480 * 5 / 8, {255, 255, 255}},
        {"outside the quad (clear colour)", 20, 20, {127, 63, 191}},
    };
    for (const Probe& probe : probes) {
      const Colour c = at(probe.x, probe.y);
      EXPECT_NEAR(c.r, probe.expected.r, 24) << probe.where;
      EXPECT_NEAR(c.g, probe.expected.g, 24) << probe.where;
      EXPECT_NEAR(c.b, probe.expected.b, 24) << probe.where;
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace CorvantisEngine
