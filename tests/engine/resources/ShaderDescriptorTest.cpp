// ShaderDescriptor: stages, checksum, the sharing equality, the resource-values constructor, and the
// shader file ("QXSRF" 211) through the writer of tools/shaderc: golden bytes, reading back, rejections.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/resources/ShaderDescriptor.h"
#include "tests/support/DataFolder.h"
#include "tools/shaderc/ShaderFileWriter.h"

namespace CorvantisEngine {
namespace {

TEST(ShaderDescriptorTest, AddStageLowerCasesNamesAndKeepsFramesOnlyWhenAnimated) {
  ShaderDescriptor d;
  EXPECT_EQ(d.AddStage(3, 0, 2, 2, 9, 5.0f, "Wall.JPG", "", 0), 0u);
  EXPECT_EQ(d.AddStage(0, 2, 1, 1, 16, 8.0f, "Fire00.jpg", "Fire_A.jpg", 1), 1u);
  EXPECT_EQ(d.GetStageCount(), 2u);
  const ShaderStage& s0 = d.GetStage(0);
  EXPECT_EQ(s0.diffuseName, "wall.jpg");
  EXPECT_EQ(s0.frameCount, 0u) << "a static stage has no frames";
  EXPECT_EQ(s0.addressU, 0u);
  EXPECT_EQ(s0.addressV, 0u);
  EXPECT_FLOAT_EQ(s0.textureTransform[0], 1.0f);
  EXPECT_FLOAT_EQ(s0.textureTransform[3], 0.0f);
  const ShaderStage& s1 = d.GetStage(1);
  EXPECT_EQ(s1.frameCount, 16u);
  EXPECT_EQ(s1.opacityName, "fire_a.jpg");
  EXPECT_EQ(s1.addressU, 1u);

  std::uint32_t expected = 0;
  for (const char* name : {"wall.jpg", "fire00.jpg", "fire_a.jpg"}) {
    for (const char* c = name; *c != 0; ++c) {
      expected += static_cast<std::uint32_t>(static_cast<signed char>(*c));
    }
  }
  EXPECT_EQ(d.GetChecksum(), expected);

  try {
    d.AddStage(0, 0, 1, 1, 1, 0.0f, "third.jpg", "", 0);
    FAIL() << "a third stage must not fit";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "Shader Stages: buffer is overflowed");
  }
  EXPECT_EQ(d.GetStageCount(), 2u);
}

TEST(ShaderDescriptorTest, ResourceValuesConstructor) {
  const ShaderDescriptor plain(true, 1, 4, 2, 8, 8.0f, "Sheet.jpg", "", true);
  EXPECT_EQ(plain.GetFlags(), 0u);
  EXPECT_EQ(plain.GetSourceBlend(), 0u);
  EXPECT_EQ(plain.GetStage(0).stageFlags, ShaderStage::kMipMapping);
  EXPECT_EQ(plain.GetStage(0).addressU, ShaderStage::kClamp);
  EXPECT_EQ(plain.GetStage(0).columns, 4u);

  const ShaderDescriptor alphaInDiffuse(false, 0, 1, 1, 1, 0.0f, "Icon.tga", "32BIT", false);
  EXPECT_EQ(alphaInDiffuse.GetFlags(), ShaderDescriptor::kAlphaBlend);
  EXPECT_EQ(alphaInDiffuse.GetSourceBlend(), 4u);
  EXPECT_EQ(alphaInDiffuse.GetDestinationBlend(), 5u);
  EXPECT_EQ(alphaInDiffuse.GetStage(0).opacityName, "") << "\"32bit\" names no opacity file";
  EXPECT_EQ(alphaInDiffuse.GetStage(0).addressU, ShaderStage::kWrap);
}

TEST(ShaderDescriptorTest, EqualityDecidesSharing) {
  auto one = [](std::uint32_t flags, std::uint32_t type, std::uint32_t frames, const char* diffuse,
                const char* opacity) {
    ShaderDescriptor d;
    d.AddStage(flags, type, 1, 1, frames, 0.0f, diffuse, opacity, 1);
    return d;
  };
  ShaderDescriptor coloured = one(0, 0, 1, "a.jpg", "");
  coloured.SetColour0(Vector4(0.1f, 0.2f, 0.3f, 0.4f));
  coloured.SetBlendFactor(0, 9);
  coloured.AddFlags(ShaderDescriptor::kAlphaBlend);
  coloured.SetValue1(3.0f);
  ShaderDescriptor twoStages = one(0, 0, 1, "a.jpg", "");
  twoStages.AddStage(0, 0, 1, 1, 1, 0.0f, "", "", 1);

  struct Row {
    const char* why;
    ShaderDescriptor a;
    ShaderDescriptor b;
    bool equal;
  };
  const Row rows[] = {
      {"colours, values, blend factors and alpha blending belong to the user", one(0, 0, 1, "a.jpg", ""),
       coloured, true},
      {"static and frame grid use the same texture", one(0, 0, 1, "a.jpg", ""), one(0, 1, 8, "a.jpg", ""),
       true},
      {"numbered diffuse and numbered opacity load different files", one(0, 2, 4, "a.jpg", ""),
       one(0, 3, 4, "a.jpg", ""), false},
      {"numbered series of different lengths", one(0, 2, 4, "a.jpg", ""), one(0, 2, 5, "a.jpg", ""), false},
      {"mip mapping and random start do not matter", one(1, 0, 1, "a.jpg", ""), one(2, 0, 1, "a.jpg", ""),
       true},
      {"a stage without texture differs", one(4, 0, 1, "a.jpg", ""), one(0, 0, 1, "a.jpg", ""), false},
      {"names differing in case are one name", one(0, 0, 1, "A.JPG", ""), one(0, 0, 1, "a.jpg", ""), true},
      {"same checksum, other names", one(0, 0, 1, "ab.jpg", ""), one(0, 0, 1, "ba.jpg", ""), false},
      {"opacity file differs", one(0, 0, 1, "a.jpg", "b.jpg"), one(0, 0, 1, "a.jpg", "c.jpg"), false},
      {"stage counts differ", one(0, 0, 1, "a.jpg", ""), twoStages, false},
      {"other flags than alpha blending count",
       [] {
         ShaderDescriptor d(2);
         d.AddStage(0, 0, 1, 1, 1, 0.0f, "a.jpg", "", 1);
         return d;
       }(),
       one(0, 0, 1, "a.jpg", ""), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.a.Equals(row.b), row.equal) << row.why;
    EXPECT_EQ(row.b.Equals(row.a), row.equal) << row.why << " (reversed)";
  }
}

// A data folder in a fresh temporary folder, with a file manager over it.
class ShaderFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = std::make_unique<FileManager>(&log_, root_.string(), "");
    log_.ClearRecords();
  }

  // name uses backslashes, relative to the data folder.
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) { folder_.Write(name, bytes); }

  // Reads and expects an Error whose text is also the one logged error.
  std::string ReadExpectingError(const std::string& name) {
    try {
      ShaderDescriptor d(&log_, files_.get(), name);
      ADD_FAILURE() << name << " was accepted";
    } catch (const FatalError& error) {
      return "fatal: " + error.GetMessage();
    } catch (const Error& error) {
      EXPECT_EQ(log_.GetRecordCount(), 1);
      if (log_.GetRecordCount() > 0) {
        EXPECT_EQ(log_.GetRecord(0).text, "\nError: " + error.GetMessage() + "!\n\n");
      }
      log_.ClearRecords();
      return error.GetMessage();
    }
    return "";
  }

  testsupport::DataFolder folder_;
  const std::filesystem::path root_ = folder_.Root();
  MessageManager log_{"test", 0, 0, "", ""};
  std::unique_ptr<FileManager> files_;
};

shaderc::ShaderRecord TwoStageShader() {
  shaderc::ShaderRecord shader;
  shader.flags = 1;
  shader.colours[2][1] = 0.5f;
  shader.values[0] = 2.5f;
  shader.sourceBlend = 4;
  shader.destinationBlend = 5;
  shaderc::StageRecord grid;
  grid.flags = 3;
  grid.animationType = 1;
  grid.frameCount = 8;
  grid.speed = 8.0f;
  grid.columns = 4;
  grid.rows = 2;
  grid.diffuseName = "Smoke.jpg";
  grid.opacityName = "fx\\smoke_a.jpg";
  grid.addressU = 0;
  grid.addressV = 1;
  grid.transform[0] = 0.25f;
  grid.transform[3] = 0.5f;
  shaderc::StageRecord numbered;
  numbered.animationType = 2;
  numbered.frameCount = 16;
  numbered.speed = 4.0f;
  numbered.diffuseName = "fire00.jpg";
  shader.stages = {grid, numbered};
  return shader;
}

TEST_F(ShaderFileTest, WriterGoldenBytes) {
  shaderc::ShaderRecord shader;
  shaderc::StageRecord stage;
  stage.diffuseName = "ab";
  shader.stages.push_back(stage);
  const std::vector<std::uint8_t> bytes = shaderc::WriteShaderFile(shader);
  // Header 101 bytes; a static stage is 8 + (1 + 2) + (1 + 0) + 24 bytes.
  ASSERT_EQ(bytes.size(), 101u + 8 + 3 + 1 + 24);
  const std::vector<std::uint8_t> head = {137, 0, 0, 0, 'Q', 'X', 'S', 'R', 'F', 211, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  // Colour 0 red is 1.0f; colour 3 red is 0.
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 17, bytes.begin() + 21),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x80, 0x3F}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 65, bytes.begin() + 69),
            (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(bytes[97], 1) << "stage count";
  const std::vector<std::uint8_t> stageBytes = {0,   0, 0, 0, 0, 0, 0, 0, 2, 'a',
                                                'b', 0, 1, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_TRUE(std::equal(stageBytes.begin(), stageBytes.end(), bytes.begin() + 101));

  // Animated stages carry frame count and speed; grids also columns and rows.
  for (const auto& [type, fieldBytes] : {std::pair{1u, 24u}, std::pair{2u, 16u}, std::pair{4u, 16u}}) {
    shaderc::ShaderRecord animated;
    shaderc::StageRecord s;
    s.animationType = type;
    animated.stages.push_back(s);
    EXPECT_EQ(shaderc::WriteShaderFile(animated).size(), 101u + fieldBytes + 2 + 24) << "type " << type;
  }
}

TEST_F(ShaderFileTest, ReadsWhatTheWriterWrites) {
  Write("particles\\fire.srf", shaderc::WriteShaderFile(TwoStageShader()));
  const ShaderDescriptor d(&log_, files_.get(), "particles\\fire.srf");
  EXPECT_EQ(log_.GetRecordCount(), 0);
  EXPECT_EQ(d.GetFlags(), 1u);
  EXPECT_FLOAT_EQ(d.GetColour(2).y, 0.5f);
  EXPECT_FLOAT_EQ(d.GetColour(3).w, 1.0f);
  EXPECT_FLOAT_EQ(d.GetValue(0), 2.5f);
  EXPECT_EQ(d.GetSourceBlend(), 4u);
  EXPECT_EQ(d.GetDestinationBlend(), 5u);
  ASSERT_EQ(d.GetStageCount(), 2u);
  const ShaderStage& grid = d.GetStage(0);
  EXPECT_EQ(grid.stageFlags, 3u);
  EXPECT_EQ(grid.animationType, 1u);
  EXPECT_EQ(grid.frameCount, 8u);
  EXPECT_EQ(grid.columns, 4u);
  EXPECT_EQ(grid.rows, 2u);
  EXPECT_FLOAT_EQ(grid.speed, 8.0f);
  // A bare name comes from the shader's folder; a name with a folder stays as it is.
  EXPECT_EQ(grid.diffuseName, "particles\\smoke.jpg");
  EXPECT_EQ(grid.opacityName, "fx\\smoke_a.jpg");
  EXPECT_EQ(grid.addressU, 0u);
  EXPECT_EQ(grid.addressV, 1u);
  EXPECT_FLOAT_EQ(grid.textureTransform[0], 0.25f);
  EXPECT_FLOAT_EQ(grid.textureTransform[3], 0.5f);
  const ShaderStage& numbered = d.GetStage(1);
  EXPECT_EQ(numbered.animationType, 2u);
  EXPECT_EQ(numbered.frameCount, 16u);
  EXPECT_EQ(numbered.diffuseName, "particles\\fire00.jpg");
  EXPECT_EQ(numbered.opacityName, "");

  // A shader file at the top of the data folder leaves bare names bare.
  Write("top.srf", shaderc::WriteShaderFile(TwoStageShader()));
  EXPECT_EQ(ShaderDescriptor(&log_, files_.get(), "top.srf").GetStage(0).diffuseName, "smoke.jpg");
}

TEST_F(ShaderFileTest, Rejections) {
  const std::vector<std::uint8_t> good = shaderc::WriteShaderFile(TwoStageShader());

  std::vector<std::uint8_t> longer = good;
  longer[0] += 1;
  Write("long.srf", longer);
  EXPECT_EQ(ReadExpectingError("long.srf"), "Incorrect \"long.srf\" file format");

  std::vector<std::uint8_t> magic = good;
  magic[8] = 'X';
  Write("magic.srf", magic);
  EXPECT_EQ(ReadExpectingError("magic.srf"), "Incorrect \"magic.srf\" file format");

  std::vector<std::uint8_t> version = good;
  version[9] = 210;
  Write("fx\\old.srf", version);
  EXPECT_EQ(ReadExpectingError("fx\\old.srf"), "Incorrect \"fx\\old.srf\" format version, current is 211");

  // Cut inside the second stage, with the length field telling the truth about the short file.
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 10);
  const std::uint32_t size = static_cast<std::uint32_t>(cut.size());
  for (int i = 0; i < 4; ++i) {
    cut[i] = static_cast<std::uint8_t>(size >> (8 * i));
  }
  Write("cut.srf", cut);
  EXPECT_NE(ReadExpectingError("cut.srf").find("Failed to read"), std::string::npos);

  EXPECT_NE(ReadExpectingError("missing.srf").find("Failed to open"), std::string::npos);

  shaderc::ShaderRecord three = TwoStageShader();
  three.stages.push_back(three.stages[0]);
  Write("three.srf", shaderc::WriteShaderFile(three));
  EXPECT_EQ(ReadExpectingError("three.srf"), "fatal: Shader Stages: buffer is overflowed");
  log_.ClearRecords();

  shaderc::ShaderRecord absurd = TwoStageShader();
  absurd.stages[1].frameCount = 1000000;
  Write("absurd.srf", shaderc::WriteShaderFile(absurd));
  EXPECT_EQ(ReadExpectingError("absurd.srf"), "Incorrect \"absurd.srf\" file format");
}

TEST_F(ShaderFileTest, ShadercCommandWritesWhatTheReaderReads) {
  {
    std::ofstream text(root_ / "fire.txt");
    text << "flags 1\nblend 4 5\nstage\n type 1\n frames 8 8\n grid 4 2\n diffuse fire.jpg\n";
  }
  const std::string output = (root_ / "data" / "fx" / "fire.srf").string();
  std::filesystem::create_directories(root_ / "data" / "fx");
  const std::string command =
      std::string(SHADERC_PATH) + " '" + (root_ / "fire.txt").string() + "' '" + output + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const ShaderDescriptor d(&log_, files_.get(), "fx\\fire.srf");
  EXPECT_EQ(d.GetFlags(), 1u);
  ASSERT_EQ(d.GetStageCount(), 1u);
  EXPECT_EQ(d.GetStage(0).diffuseName, "fx\\fire.jpg");
  EXPECT_EQ(d.GetStage(0).columns, 4u);

  // A malformed description fails and leaves no file behind.
  {
    std::ofstream text(root_ / "bad.txt");
    text << "stage\n grid 4\n";
  }
  const std::string badOutput = (root_ / "data" / "bad.srf").string();
  const std::string bad =
      std::string(SHADERC_PATH) + " '" + (root_ / "bad.txt").string() + "' '" + badOutput + "' 2>/dev/null";
  EXPECT_NE(std::system(bad.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(badOutput));
  EXPECT_FALSE(std::filesystem::exists(badOutput + ".tmp"));
}

TEST(ShaderTextTest, ParsesTheShadercDescription) {
  const shaderc::ShaderRecord shader = shaderc::ParseShaderText(
      "flags 1  # alpha\nblend 4 5\nstage\n type 1\n frames 8 12.5\n grid 4 2\n diffuse fire.jpg\n"
      " address 0 1\n transform 0.25 0.5 0 0\n");
  EXPECT_EQ(shader.flags, 1u);
  EXPECT_EQ(shader.sourceBlend, 4u);
  ASSERT_EQ(shader.stages.size(), 1u);
  EXPECT_EQ(shader.stages[0].frameCount, 8u);
  EXPECT_FLOAT_EQ(shader.stages[0].speed, 12.5f);
  EXPECT_EQ(shader.stages[0].rows, 2u);
  EXPECT_EQ(shader.stages[0].diffuseName, "fire.jpg");
  EXPECT_EQ(shader.stages[0].addressU, 0u);
  EXPECT_FLOAT_EQ(shader.stages[0].transform[1], 0.5f);
  EXPECT_THROW(shaderc::ParseShaderText("type 1\n"), std::invalid_argument) << "stage fields need a stage";
  EXPECT_THROW(shaderc::ParseShaderText("blend 4\n"), std::invalid_argument);
  EXPECT_THROW(shaderc::ParseShaderText("colour 1 1 1 1\n"), std::invalid_argument);
  EXPECT_THROW(shaderc::ParseShaderText("stage\nstage\nstage\n"), std::invalid_argument)
      << "the engine reads two stages at most";
  EXPECT_THROW(shaderc::ParseShaderText("stage\n type 5\n"), std::invalid_argument);
}

}  // namespace
}  // namespace CorvantisEngine
