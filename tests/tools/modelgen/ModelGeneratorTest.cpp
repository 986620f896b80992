// The model generator: what its description language makes and refuses, read back through the engine's
// readers.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ParticleFile.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderStage.h"
#include "support/FormatReads.h"
#include "tools/modelgen/ObjectDescription.h"

namespace CorvantisEngine {
namespace {

using testsupport::BoxCentre;
using testsupport::Bytes;
using testsupport::ReadModelBytes;
using testsupport::ReadParticleBytes;
using testsupport::ReadShaderBytes;

std::map<std::string, Bytes> Generate(const std::string& description) {
  std::map<std::string, Bytes> files;
  for (modelgen::GeneratedFile& file : modelgen::GenerateFiles(description)) {
    files[file.path] = std::move(file.bytes);
  }
  return files;
}

TEST(ModelGenerator, FlatModelIsUnlitWithItsMaterialBeside) {
  const auto files = Generate(
      "# a comment\n"
      "model icons/star.mdl\n"
      "  quad -20 -10 20 10 0 0 0.5 0.25  # uv given\n"
      "  triangle 0 0 1 0 0 1\n"
      "  material\n"
      "    flags 1\n"
      "    blend 4 5\n"
      "    stage\n"
      "    diffuse star.tga\n"
      "    opacity 32bit\n"
      "  end\n");
  ASSERT_EQ(files.size(), 2u);
  const ModelFileData model = ReadModelBytes(files.at("icons/star.mdl"));
  EXPECT_EQ(model.flags & kModelLit, 0u);
  EXPECT_EQ(model.flags & kModelDepthTest, 0u);
  EXPECT_NE(model.flags & kModelStatic, 0u);
  ASSERT_EQ(model.vertexCount, 7u);
  ASSERT_EQ(model.indices.size(), 9u);
  // The quad's corners carry the given texture corners, counter-clockwise from the bottom-left.
  EXPECT_EQ(model.vertices[2].position.x, 20.0f);
  EXPECT_EQ(model.vertices[2].position.y, 10.0f);
  EXPECT_EQ(model.vertices[2].u, 0.5f);
  EXPECT_EQ(model.vertices[2].v, 0.25f);
  EXPECT_EQ(model.vertices[0].normal.z, 1.0f);
  EXPECT_EQ(model.boxes[0].min.x, -20.0f);
  EXPECT_EQ(model.boxes[0].max.y, 10.0f);

  const ShaderDescriptor material = ReadShaderBytes(files.at("icons/star.srf"), "data\\icons\\star.srf");
  EXPECT_EQ(material.GetSourceBlend(), 4u);
  EXPECT_EQ(material.GetDestinationBlend(), 5u);
  ASSERT_EQ(material.GetStageCount(), 1u);
  EXPECT_EQ(material.GetStage(0).diffuseName, "data\\icons\\star.tga");
}

TEST(ModelGenerator, SwellMakesFramesAboutTheBoxCentre) {
  const auto files = Generate(
      "model board.mdl\n"
      "  grid 0 0 640 480 4 3 0 0 0.625 0.9375\n"
      "  swell 5 10 0.1\n"
      "  material\n"
      "  end\n");
  const ModelFileData model = ReadModelBytes(files.at("board.mdl"));
  ASSERT_NE(model.flags & kModelFrames, 0u);
  EXPECT_EQ(model.frameCount, 5u);
  EXPECT_EQ(model.speed, 10.0f);
  EXPECT_EQ(model.vertexCount, 4u * 3u * 4u);
  ASSERT_EQ(model.boxes.size(), 5u);
  // First and last frames rest at the grid's size, the middle one is 10 % larger, all about (320, 240).
  EXPECT_NEAR(model.boxes[0].max.x, 640.0f, 1e-3f);
  EXPECT_NEAR(model.boxes[4].max.x, 640.0f, 1e-3f);
  EXPECT_NEAR(model.boxes[2].max.x - model.boxes[2].min.x, 704.0f, 1e-3f);
  for (const ModelFileBox& box : model.boxes) {
    EXPECT_NEAR(BoxCentre(box).x, 320.0f, 1e-3f);
    EXPECT_NEAR(BoxCentre(box).y, 240.0f, 1e-3f);
  }
  // Texture coordinates span the given extent and do not move with the frames.
  float maxU = 0.0f, maxV = 0.0f;
  for (const ModelFileVertex& vertex : model.vertices) {
    maxU = std::max(maxU, vertex.u);
    maxV = std::max(maxV, vertex.v);
  }
  EXPECT_NEAR(maxU, 0.625f, 1e-6f);
  EXPECT_NEAR(maxV, 0.9375f, 1e-6f);
}

TEST(ModelGenerator, OrbitMovesTheModelRoundAnEllipseAndBack) {
  const auto files = Generate(
      "model drift.mdl\n"
      "  marker 400 300\n"
      "  orbit 8 4 40 20\n"
      "  material\n"
      "  end\n");
  const ModelFileData model = ReadModelBytes(files.at("drift.mdl"));
  ASSERT_NE(model.flags & kModelFrames, 0u);
  ASSERT_EQ(model.boxes.size(), 8u);
  // An eighth of a turn a frame; the last frame leads back into the first.
  const float expected[8][2] = {{440, 300}, {428.284f, 314.142f}, {400, 320}, {371.716f, 314.142f},
                                {360, 300}, {371.716f, 285.858f}, {400, 280}, {428.284f, 285.858f}};
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_NEAR(BoxCentre(model.boxes[k]).x, expected[k][0], 1e-3f) << k;
    EXPECT_NEAR(BoxCentre(model.boxes[k]).y, expected[k][1], 1e-3f) << k;
  }
}

TEST(ModelGenerator, ParticleKeysFromOneValueOrSix) {
  const auto files = Generate(
      "particles fx/spark.psf\n"
      "  max 50\n"
      "  duration 0.5\n"
      "  gravity 0 0\n"
      "  floor 0 0 0\n"
      "  emission 30\n"
      "  size 1 2 3 4 5 6\n"
      "  direction 0 1 0\n"
      "  colour 1 0 0 1\n"
      "  spawn 1 -2 -3 0 2 3 0\n"
      "  material\n"
      "  end\n");
  const ParticleFileData particles = ReadParticleBytes(files.at("fx/spark.psf"));
  EXPECT_EQ(particles.maxParticles, 50u);
  EXPECT_EQ(particles.parameters.duration, 0.5f);
  EXPECT_FALSE(particles.parameters.gravityOn);
  EXPECT_FALSE(particles.parameters.floorOn);
  for (std::uint32_t k = 0; k < ParticleParameters::kKeys; ++k) {
    EXPECT_EQ(particles.parameters.emissionKeys[k], 30.0f);
    EXPECT_EQ(particles.parameters.sizeKeys[k], static_cast<float>(k + 1));
    EXPECT_EQ(particles.parameters.directionKeys[k].y, 1.0f);
    EXPECT_EQ(particles.parameters.colourKeys[k].x, 1.0f);
  }
  EXPECT_EQ(particles.spawnMode, 1u);
  EXPECT_EQ(particles.spawnMin.y, -3.0f);
  EXPECT_TRUE(files.count("fx/spark.srf"));
}

TEST(ModelGenerator, RefusesWhatItCannotWrite) {
  const std::string material = "  material\n  end\n";
  const std::vector<std::string> faults = {
      "quad 0 0 1 1\n",                                                            // outside a block
      "model a.mdl\n  quad 0 0 1 1\n",                                             // no material
      "model a.mdl\n" + material,                                                  // no geometry
      "model a.obj\n  quad 0 0 1 1\n" + material,                                  // wrong extension
      "particles a.mdl\n" + material,                                              // wrong extension
      "model a.mdl\n  quad 0 0 1\n" + material,                                    // too few numbers
      "model a.mdl\n  quad 0 0 one 1\n" + material,                                // not a number
      "model a.mdl\n  cube 0 0 1 1\n" + material,                                  // unknown line
      "model a.mdl\n  quad 0 0 1 1\n  swell 1 12 0.1\n" + material,                // one frame
      "model a.mdl\n  quad 0 0 1 1\n  swell 12 0 0.1\n" + material,                // speed 0
      "model a.mdl\n  quad 0 0 1 1\n  swell 4 4 0\n  orbit 4 4 1 1\n" + material,  // two animations
      "model a.mdl\n  grid 0 0 1 1 0 2\n" + material,                              // no columns
      "model a.mdl\n  quad 0 0 1 1\n  material\n",                                 // material without end
      "model a.mdl\n  quad 0 0 1 1\n  material\n  stage\n  type 9\n  end\n",       // bad material
      "particles a.psf\n  size 1 2\n" + material,                                  // neither one nor six keys
      "particles a.psf\n  max 0\n" + material,                                     // no particles
  };
  for (const std::string& description : faults) {
    EXPECT_THROW(modelgen::GenerateFiles(description), std::invalid_argument) << description;
  }
}

}  // namespace
}  // namespace CorvantisEngine
