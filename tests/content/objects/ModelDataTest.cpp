// The models and effects as the data build writes them, read back through the engine's readers: every
// file with its material and textures, and what the game's code relies on in them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ParticleFile.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderStage.h"
#include "support/FormatReads.h"

namespace CorvantisEngine {
namespace {

using testsupport::BoxCentre;
using testsupport::Bytes;

// The files the data build wrote.
class ModelData : public ::testing::Test {
 protected:
  static Bytes Read(const std::string& relative) {
    std::ifstream in(std::filesystem::path(DATA_STAGE) / "data" / relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static ModelFileData Model(const std::string& relative) {
    return testsupport::ReadModelBytes(Read(relative), relative);
  }
};

TEST_F(ModelData, EveryModelAndEffectReadsWithItsMaterial) {
  std::vector<std::string> paths;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(std::filesystem::path(DATA_STAGE) / "data")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".mdl" || extension == ".psf") {
      paths.push_back(
          std::filesystem::relative(entry.path(), std::filesystem::path(DATA_STAGE) / "data").string());
    }
  }
  ASSERT_GE(paths.size(), 19u);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    if (path.ends_with(".mdl")) {
      const ModelFileData model = Model(path);
      EXPECT_EQ(model.flags & kModelLit, 0u);
    } else {
      const ParticleFileData particles = testsupport::ReadParticleBytes(Read(path), path);
      // In GUI units gravity and the floor would pull along z.
      EXPECT_FALSE(particles.parameters.gravityOn);
      EXPECT_FALSE(particles.parameters.floorOn);
    }
    const std::string material = path.substr(0, path.size() - 4) + ".srf";
    // Named as the engine names it (data-relative, "\\" separated), which places bare texture names.
    std::string name = material;
    std::replace(name.begin(), name.end(), '/', '\\');
    const ShaderDescriptor descriptor = testsupport::ReadShaderBytes(Read(material), name);
    for (std::uint32_t s = 0; s < descriptor.GetStageCount(); ++s) {
      // Textures named by a material are in the data.
      std::string texture = descriptor.GetStage(s).diffuseName;
      std::replace(texture.begin(), texture.end(), '\\', '/');
      EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(DATA_STAGE) / "data" / texture)) << texture;
    }
  }
}

TEST_F(ModelData, ClosingAnimationPlaysOverTheBoard) {
  const ModelFileData model = Model("game_objects/board/level_complete.mdl");
  ASSERT_NE(model.flags & kModelFrames, 0u);
  EXPECT_GE(model.frameCount, 2u);
  EXPECT_GT(model.speed, 0.0f);
  EXPECT_NEAR(model.boxes.front().min.x, 0.0f, 1e-3f);
  EXPECT_NEAR(model.boxes.front().min.y, 0.0f, 1e-3f);
}

TEST_F(ModelData, TrayPathTurnsAsTheCarriageExpects) {
  // Segment n runs down, right, up, left, left; none has zero length.
  std::vector<Vector3> points;
  for (int n = 0; n < 6; ++n) {
    const ModelFileData marker = Model("game_objects/path/00" + std::to_string(n) + ".mdl");
    points.push_back(BoxCentre(marker.boxes[0]));
  }
  const float dx[] = {0, 1, 0, -1, -1};
  const float dy[] = {-1, 0, 1, 0, 0};
  for (int n = 0; n < 5; ++n) {
    const float x = points[n + 1].x - points[n].x;
    const float y = points[n + 1].y - points[n].y;
    EXPECT_GT(x * dx[n] + y * dy[n], 0.0f) << "segment " << n;
    EXPECT_EQ(x * dy[n] - y * dx[n], 0.0f) << "segment " << n;
  }
}

TEST_F(ModelData, BonusesAndCarriageFitATrayCell) {
  for (const char* name :
       {"bonuses/magnet", "bonuses/pause", "bonuses/rollback", "bonuses/tip", "carriage"}) {
    const ModelFileData model = Model(std::string("game_objects/") + name + ".mdl");
    const float width = model.boxes[0].max.x - model.boxes[0].min.x;
    const float height = model.boxes[0].max.y - model.boxes[0].min.y;
    EXPECT_GE(width, 40.0f) << name;
    EXPECT_LE(width, 64.0f) << name;
    EXPECT_GE(height, 40.0f) << name;
    EXPECT_LE(height, 64.0f) << name;
  }
}

TEST_F(ModelData, MenuBackdropCoversTheScreenAndItsAnimatorsLoop) {
  // Two bands, the upper over the lower, meeting without a gap.
  const ModelFileData top = Model("ui/background/backdrop_top.mdl");
  const ModelFileData bottom = Model("ui/background/backdrop_bottom.mdl");
  EXPECT_EQ(bottom.boxes[0].min.x, 0.0f);
  EXPECT_EQ(bottom.boxes[0].min.y, 0.0f);
  EXPECT_EQ(bottom.boxes[0].max.x, 800.0f);
  EXPECT_EQ(bottom.boxes[0].max.y, top.boxes[0].min.y);
  EXPECT_EQ(top.boxes[0].min.x, 0.0f);
  EXPECT_EQ(top.boxes[0].max.x, 800.0f);
  EXPECT_EQ(top.boxes[0].max.y, 600.0f);
  for (const char* name : {"drift", "centre"}) {
    const ModelFileData animator = Model(std::string("ui/background/") + name + ".mdl");
    ASSERT_NE(animator.flags & kModelFrames, 0u) << name;
    EXPECT_GE(animator.frameCount, 2u) << name;
    EXPECT_GT(animator.speed, 0.0f) << name;
    // The layer it moves stays on the screen.
    for (const ModelFileBox& box : animator.boxes) {
      EXPECT_GE(BoxCentre(box).x, 0.0f) << name;
      EXPECT_LE(BoxCentre(box).x, 800.0f) << name;
      EXPECT_GE(BoxCentre(box).y, 0.0f) << name;
      EXPECT_LE(BoxCentre(box).y, 600.0f) << name;
    }
  }
}

}  // namespace
}  // namespace CorvantisEngine
