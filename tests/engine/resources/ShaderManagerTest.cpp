// Shaders and the shader manager: sharing between users, numbered texture series, the frame-grid
// animation, random starts, the texture shader helpers, and how bad names and files are answered.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "tests/support/DataFolder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/RecordingRenderSystem.h"

namespace CorvantisEngine {
namespace {

TEST(ShaderNamesTest, NumberedNamesAndDataNames) {
  struct Row {
    const char* name;
    std::uint32_t index, count;
    const char* expected;
  };
  const Row rows[] = {
      {"fire00.jpg", 0, 16, "fire00.jpg"}, {"fire00.jpg", 15, 16, "fire15.jpg"},
      {"fx\\s0.tga", 7, 8, "fx\\s7.tga"},  {"run000.bmp", 42, 100, "run042.bmp"},
      {"a.jpg", 3, 100, "003.jpg"},  // a prefix shorter than the digits is not cut below nothing
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Shader::NumberedName(r.name, r.index, r.count), r.expected) << r.name << " " << r.index;
  }
  EXPECT_TRUE(Shader::IsDataFileName("fx\\smoke.jpg"));
  EXPECT_FALSE(Shader::IsDataFileName("..\\..\\secret.jpg"));
  EXPECT_FALSE(Shader::IsDataFileName("fx\\..\\..\\x.jpg"));
  EXPECT_FALSE(Shader::IsDataFileName("C:\\x.jpg"));
  EXPECT_FALSE(Shader::IsDataFileName("/etc/x.jpg"));
  EXPECT_FALSE(Shader::IsDataFileName("\\x.jpg"));
}

class ShaderManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = std::make_unique<FileManager>(&log_, folder_.Root().string(), "");
    render_ = std::make_unique<testsupport::RecordingRenderSystem>(&log_);
    shaders_ = std::make_unique<ShaderManager>(&log_, files_.get(), &timers_, nullptr, render_.get());
    log_.ClearRecords();
  }
  void TearDown() override {
    shaders_.reset();
    files_.reset();
  }
  void WriteBmp(const std::string& name) {
    folder_.Write(name, testkit::MakeBmp(2, 2, 3, testkit::Bytes(12, 50)));
  }
  ShaderDescriptor OneStage(std::uint32_t type, std::uint32_t frames, const std::string& name,
                            std::uint32_t stageFlags = 0) {
    ShaderDescriptor d;
    d.AddStage(stageFlags, type, 4, 2, frames, 8.0f, name, "", 1);
    return d;
  }

  testsupport::DataFolder folder_;
  MessageManager log_{"test", 0, 0, "", ""};
  TimerManager timers_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<testsupport::RecordingRenderSystem> render_;
  std::unique_ptr<ShaderManager> shaders_;
};

TEST_F(ShaderManagerTest, UsersShareShadersByTextures) {
  WriteBmp("wall.bmp");
  ShaderDescriptor plain = OneStage(0, 0, "wall.bmp");
  ShaderDescriptor tinted = plain;
  tinted.SetColour1(Vector4(1, 0, 0, 1));
  tinted.SetBlendFactor(1, 7);
  tinted.AddFlags(ShaderDescriptor::kAlphaBlend);

  ShaderUser* a = shaders_->GetShader(plain);
  ShaderUser* b = shaders_->GetShader(tinted);
  EXPECT_NE(a, b) << "every call makes a user";
  EXPECT_EQ(a->GetShader(), b->GetShader());
  EXPECT_EQ(shaders_->GetShaderCount(), 1u);
  EXPECT_EQ(shaders_->GetShaderUserCount(), 2u);
  EXPECT_EQ(b->GetDestinationBlend(), 7u) << "users keep their own description";
  EXPECT_EQ(shaders_->GetTextureManager()->GetTextureCount(), 1u);

  ShaderUser* grid = shaders_->GetShader(OneStage(1, 8, "wall.bmp"));
  EXPECT_EQ(grid->GetShader(), a->GetShader()) << "a frame grid uses the static stage's texture";

  shaders_->RemoveShader(a);
  EXPECT_EQ(shaders_->GetShaderCount(), 1u);
  EXPECT_EQ(shaders_->GetShaderUserCount(), 2u);
  shaders_->RemoveShader(b);
  shaders_->RemoveShader(grid);
  EXPECT_EQ(shaders_->GetShaderCount(), 0u);
  EXPECT_EQ(shaders_->GetTextureManager()->GetTextureCount(), 0u) << "the last user takes the textures along";
  shaders_->RemoveShader(nullptr);
  EXPECT_EQ(log_.GetRecordCount(), 0);
}

TEST_F(ShaderManagerTest, NumberedSeriesLoadOneTexturePerFrame) {
  for (int i = 0; i < 4; ++i) {
    WriteBmp("fx/fire0" + std::to_string(i) + ".bmp");
  }
  ShaderUser* diffuseSeries = shaders_->GetShader(OneStage(2, 4, "fx\\fire00.bmp"));
  ShaderUser* opacitySeries = shaders_->GetShader(OneStage(3, 4, "fx\\fire00.bmp"));
  EXPECT_NE(diffuseSeries->GetShader(), opacitySeries->GetShader());
  EXPECT_EQ(shaders_->GetShaderCount(), 2u);
  const std::vector<Texture2D*>& frames = diffuseSeries->GetShader()->GetTextures(0);
  ASSERT_EQ(frames.size(), 4u);
  std::set<std::string> keys;
  for (Texture2D* t : frames) {
    keys.insert(t->GetKey());
  }
  EXPECT_TRUE(keys.count("diffuse_data\\fx\\fire03.bmp")) << *keys.rbegin();
  EXPECT_EQ(log_.GetRecordCount(), 0);

  // A stage without texture loads nothing, and neither does a numbered series of no frames.
  ShaderUser* bare = shaders_->GetShader(OneStage(0, 0, "fx\\fire00.bmp", ShaderStage::kNoTexture));
  EXPECT_TRUE(bare->GetShader()->GetTextures(0).empty());
  ShaderUser* empty = shaders_->GetShader(OneStage(2, 0, "fx\\fire00.bmp"));
  EXPECT_TRUE(empty->GetShader()->GetTextures(0).empty());
  shaders_->Update();
  empty->Apply();
  EXPECT_EQ(render_->stageTexture[0], nullptr);
}

TEST_F(ShaderManagerTest, MissingJpegFallsBackToBmpAndBadNamesAreRefused) {
  WriteBmp("fx/old.bmp");
  ShaderUser* user = shaders_->GetShader(OneStage(0, 0, "fx\\old.jpg"));
  ASSERT_EQ(user->GetShader()->GetTextures(0).size(), 1u);
  EXPECT_EQ(user->GetShader()->GetTextures(0)[0]->GetKey(), "diffuse_data\\fx\\old.bmp");
  EXPECT_EQ(log_.GetRecordCount(), 0);

  ShaderUser* escape = shaders_->GetShader(OneStage(0, 0, "..\\..\\outside.bmp"));
  ASSERT_EQ(escape->GetShader()->GetTextures(0).size(), 1u);
  EXPECT_EQ(escape->GetShader()->GetTextures(0)[0]->GetWidth(), 64u) << "drawn with the checkerboard";
  EXPECT_GE(log_.GetRecordCount(), 1);
  EXPECT_NE(log_.GetRecord(0).text.find("..\\..\\outside.bmp"), std::string::npos);
}

TEST_F(ShaderManagerTest, FrameGridAnimation) {
  ShaderUser* user = shaders_->GetShader(OneStage(1, 8, "", ShaderStage::kNoTexture));
  timers_.delta = 0.625f;
  shaders_->Update();
  EXPECT_FLOAT_EQ(user->GetClock(0), 5.0f);
  const ShaderStage& stage = user->GetStage(0);
  // Frame 5 of a 4 x 2 grid: column 1, row index 2 - 1 - 5 / 4 = 0.
  EXPECT_FLOAT_EQ(stage.textureTransform[0], 0.24975f);
  EXPECT_FLOAT_EQ(stage.textureTransform[1], 0.4995f);
  EXPECT_NEAR(stage.textureTransform[2], 0.25f * 1.0005f, 1e-6);
  EXPECT_NEAR(stage.textureTransform[3], 0.5f * 0.0005f, 1e-6);
  EXPECT_EQ(stage.frame, 0u);
  timers_.delta = 0.375f;
  shaders_->Update();
  EXPECT_FLOAT_EQ(user->GetClock(0), 0.0f) << "after one second the grid starts over";
  EXPECT_NEAR(user->GetStage(0).textureTransform[3], 0.5f * 1.0005f, 1e-6) << "frame 0 is in the top row";

  // Numbered frames wrap; backwards playback wraps from the end; zero frames stay still.
  ShaderUser* numbered = shaders_->GetShader(OneStage(2, 3, "", ShaderStage::kNoTexture));
  timers_.delta = 0.5f;  // 4 frames at 8 per second
  shaders_->Update();
  EXPECT_EQ(numbered->GetStage(0).frame, 1u);
  ShaderDescriptor backwards;
  backwards.AddStage(ShaderStage::kNoTexture, 2, 1, 1, 4, -8.0f, "", "", 1);
  ShaderUser* reverse = shaders_->GetShader(backwards);
  timers_.delta = 0.125f;
  shaders_->Update();
  EXPECT_EQ(reverse->GetStage(0).frame, 3u);
  ShaderDescriptor empty;
  empty.AddStage(ShaderStage::kNoTexture, 1, 0, 0, 0, 8.0f, "", "", 1);
  ShaderUser* still = shaders_->GetShader(empty);
  shaders_->Update();
  EXPECT_EQ(still->GetStage(0).frame, 0u);
  EXPECT_FLOAT_EQ(still->GetClock(0), 0.0f);
}

TEST_F(ShaderManagerTest, RemovedUsersLeaveTheAnimationAndTheOthersGoOn) {
  ShaderUser* first = shaders_->GetShader(OneStage(2, 8, "", ShaderStage::kNoTexture));
  ShaderUser* second = shaders_->GetShader(OneStage(2, 8, "", ShaderStage::kNoTexture));
  ShaderUser* still = shaders_->GetShader(OneStage(ShaderStage::kStatic, 8, "", ShaderStage::kNoTexture));
  shaders_->RemoveShader(first);
  timers_.delta = 0.25f;  // 2 frames at 8 per second
  shaders_->Update();
  EXPECT_EQ(second->GetStage(0).frame, 2u);
  EXPECT_EQ(still->GetStage(0).frame, 0u);
  EXPECT_FLOAT_EQ(still->GetClock(0), 0.0f);
  shaders_->RemoveShader(second);
  shaders_->Update();
  EXPECT_EQ(shaders_->GetShaderUserCount(), 1u);
}

TEST_F(ShaderManagerTest, RandomStartGivesEachUserItsOwnClock) {
  const ShaderDescriptor d = OneStage(2, 1000, "", ShaderStage::kNoTexture | ShaderStage::kRandomStart);
  std::set<float> clocks;
  for (int i = 0; i < 5; ++i) {
    ShaderUser* user = shaders_->GetShader(d);
    EXPECT_GE(user->GetClock(0), 0.0f);
    EXPECT_LT(user->GetClock(0), 1000.0f);
    clocks.insert(user->GetClock(0));
  }
  EXPECT_GT(clocks.size(), 1u);
  EXPECT_EQ(shaders_->GetShaderCount(), 1u);
}

TEST_F(ShaderManagerTest, UnknownUsersAndUnreadableFiles) {
  ShaderManager other(&log_, files_.get(), &timers_, nullptr, render_.get());
  ShaderUser* foreign = other.GetShader(ShaderDescriptor(0));
  shaders_->RemoveShader(foreign);  // not ours: logged, not fatal, the user stays alive
  ASSERT_EQ(log_.GetRecordCount(), 1);
  EXPECT_EQ(log_.GetRecord(0).text, "\nError: Shader Manager: Failed to remove shader!\n\n");
  EXPECT_EQ(other.GetShaderUserCount(), 1u);
  log_.ClearRecords();

  ShaderUser* fallback = shaders_->LoadShader("fx\\missing.srf");
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->GetStageCount(), 0u);
  EXPECT_EQ(fallback->GetFlags(), 0u);
  EXPECT_EQ(log_.GetRecordCount(), 1);
}

TEST_F(ShaderManagerTest, ApplySetsTheUsersMaterialOnTheRenderSystem) {
  WriteBmp("fx/glow0.bmp");
  WriteBmp("fx/glow1.bmp");
  ShaderDescriptor d;
  d.AddFlags(ShaderDescriptor::kAlphaBlend);
  d.SetBlendFactor(0, 4);
  d.SetBlendFactor(1, 5);
  d.AddStage(ShaderStage::kMipMapping, ShaderStage::kNumberedDiffuse, 1, 1, 2, 4.0f, "fx\\glow0.bmp", "", 0);
  ShaderUser* user = shaders_->GetShader(d);
  timers_.delta = 0.25f;  // one frame on
  shaders_->Update();
  ASSERT_EQ(user->GetStage(0).frame, 1u);

  RenderSystem& render = *render_;
  render.SetTexture(1, user->GetShader()->GetTextures(0)[0]);  // left over from an earlier draw
  user->Apply();
  EXPECT_TRUE(render.alphaBlend);
  EXPECT_EQ(render.sourceBlend, 4u);
  EXPECT_EQ(render.destinationBlend, 5u);
  EXPECT_EQ(render.stageTexture[0], user->GetShader()->GetTextures(0)[1]);
  EXPECT_EQ(render.stageFilter[0], RenderSystem::kFilterMipMapped);
  EXPECT_EQ(render.stageAddressU[0], RenderSystem::kAddressClamp);
  EXPECT_EQ(render.stageAddressV[0], RenderSystem::kAddressClamp);
  EXPECT_EQ(render.stageTexture[1], nullptr) << "stages the user does not use are emptied";

  // A user without blending and without stages turns blending off and empties every stage.
  shaders_->GetShader(ShaderDescriptor(0))->Apply();
  EXPECT_FALSE(render.alphaBlend);
  EXPECT_EQ(render.stageTexture[0], nullptr);
}

TEST_F(ShaderManagerTest, TextureMadeInMemoryGoesIntoAStage) {
  ShaderDescriptor d;
  d.AddStage(ShaderStage::kNoTexture, 0, 1, 1, 0, 0.0f, "pieces_sheet_0", "", 0);
  ShaderUser* user = shaders_->GetShader(d);
  Image* sheet = new Image();
  sheet->Create(nullptr, 16, 16, 32);
  TextureManager* textures = shaders_->GetTextureManager();
  Texture2D* texture = textures->CreateTexture(true, false, "pieces_sheet_0", "", sheet, nullptr);
  user->GetShader()->SetStageTexture(0, texture);
  user->Apply();
  EXPECT_EQ(render_->stageTexture[0], texture);
  shaders_->RemoveShader(user);
  EXPECT_EQ(textures->GetTextureCount(), 0u) << "released with the shader";
}

TEST(TextureShaderTest, HelpersBuildTheDescriptorsTheGameUses) {
  SetTextureShaderMipMapping(false);
  const ShaderDescriptor icon = CreateTextureShader("Icon.tga", "32bit", true);
  EXPECT_EQ(icon.GetFlags(), ShaderDescriptor::kAlphaBlend);
  EXPECT_EQ(icon.GetSourceBlend(), 4u);
  EXPECT_EQ(icon.GetDestinationBlend(), 5u);
  ASSERT_EQ(icon.GetStageCount(), 1u);
  EXPECT_EQ(icon.GetStage(0).opacityName, "");
  EXPECT_EQ(icon.GetStage(0).animationType, 0u);
  EXPECT_EQ(icon.GetStage(0).addressU, ShaderStage::kClamp);

  SetTextureShaderMipMapping(true);
  const ShaderDescriptor sheet = CreateAnimatedTextureShader(4, 2, "sheet.jpg", "sheet_a.jpg", false);
  SetTextureShaderMipMapping(false);
  EXPECT_EQ(sheet.GetStage(0).stageFlags, ShaderStage::kMipMapping);
  EXPECT_EQ(sheet.GetStage(0).animationType, ShaderStage::kFrameGrid);
  EXPECT_EQ(sheet.GetStage(0).frameCount, 8u);
  EXPECT_EQ(sheet.GetStage(0).opacityName, "sheet_a.jpg");
  EXPECT_EQ(sheet.GetStage(0).addressU, ShaderStage::kWrap);

  EXPECT_EQ(CreateTextureShader("", "", false).GetStageCount(), 0u);
  EXPECT_EQ(CreateTextureShader("a.jpg", "", false).GetFlags(), 0u);
}

}  // namespace
}  // namespace CorvantisEngine
