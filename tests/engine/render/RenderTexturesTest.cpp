// The render system's texture list: textures drop and rebuild their surfaces across a reset that
// changes the mode, bind to stages through the state cache, and a texture missing from the list is
// logged without stopping its destruction.
#include "RenderFixture.h"
#include "engine/render/Image.h"
#include "engine/render/Texture2D_D3D7.h"
#include "engine/render/TextureManager.h"

namespace CorvantisEngine::testkit {
namespace {

using TexturesTest = RenderFixture;

Image* NewImage(std::uint32_t size) {
  auto* image = new Image();
  image->Create(nullptr, size, size, 24);
  return image;
}

TEST_F(TexturesTest, ResetRebuildsTextureSurfacesOnTheNewDevice) {
  RenderSystem_D3D7& render = Make();
  {
    TextureManager textures(log_.get(), files_.get(), config_.get(), nullptr, &render);
    auto* texture = static_cast<Texture2D_D3D7*>(
        textures.CreateTexture(true, true, "sheet.bmp", "", NewImage(16), nullptr));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(render.GetTextureCount(), 1u);
    IDirectDrawSurface7* before = texture->GetSurface();
    ASSERT_NE(before, nullptr);

    render.SetTexture(0, texture);
    LPDIRECTDRAWSURFACE7 bound = nullptr;
    render.GetDevice()->GetTexture(0, &bound);
    EXPECT_EQ(bound, before);
    bound->Release();
    render.SetTexture(0, nullptr);

    config_->v_mode = "1024x768x16";
    render.CheckVideoMode();
    ASSERT_TRUE(render.IsResetNeeded());
    const int live = platform::ddraw::LiveObjectCount();
    render.Reset(3);
    EXPECT_TRUE(render.IsReady());
    EXPECT_EQ(render.currentAdapter->currentDevice->currentMode->bitsPerPixel, 16u);
    IDirectDrawSurface7* after = texture->GetSurface();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->IsLost(), DD_OK) << "rebuilt on the new DirectDraw object";
    EXPECT_EQ(platform::ddraw::LiveObjectCount(), live) << "the old surfaces went with the old objects";
    for (const std::string& e : Entries(LogRecord::kError)) {
      ADD_FAILURE() << e;
    }

    render.RemoveTexture(texture);  // as if the list had lost it
    EXPECT_EQ(render.GetTextureCount(), 0u);
  }
  EXPECT_TRUE(Logged(LogRecord::kError, "RenderSystem_D3D7: Failed to remove texture \"diffuse_sheet.bmp"))
      << "the destructor's removal is logged and the destruction went on";
  render_.reset();
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

}  // namespace
}  // namespace CorvantisEngine::testkit
