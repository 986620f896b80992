// Model files: round trips through the writer and the reader for every vertex form, both versions and
// both index widths; the rejection table; and what the model and the model manager make of a file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "ModelFixture.h"
#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderUser.h"
#include "engine/resources/Skeleton.h"
#include "tools/models/ModelFileWriter.h"

namespace CorvantisEngine::modeltest {
namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Form { kStatic, kFrames, kSkinned };

ModelFileData MakeModel(Form form, std::uint32_t version, std::uint32_t indexCount) {
  ModelFileData data;
  data.version = version;
  data.vertexCount = 4;
  data.flags = kModelTriangleList | kModelVisible | kModelLit;
  data.frameCount = 1;
  if (form == Form::kStatic) {
    data.flags |= kModelStatic;
  } else if (form == Form::kFrames) {
    data.flags |= kModelFrames;
    data.frameCount = 3;
    data.speed = 12.5f;
  } else {
    data.flags |= kModelSkinned;
    data.frameCount = 2;
    data.speed = 4.0f;
  }
  for (std::uint32_t i = 0; i < indexCount; ++i) {
    data.indices.push_back((i * 7 + i / 3) % 4);
  }
  if (form != Form::kSkinned) {
    const std::uint32_t records = form == Form::kStatic ? 4 : 12;
    for (std::uint32_t i = 0; i < records; ++i) {
      ModelFileVertex v;
      const auto f = static_cast<float>(i);
      v.position = Vector3(f, f * 2, -f);
      v.normal = Vector3(0, f, 1);
      v.u = f * 0.125f;
      v.v = 1.0f - f * 0.125f;
      data.vertices.push_back(v);
    }
  } else {
    for (std::uint16_t b = 0; b < 2; ++b) {
      ModelFileBone bone;
      bone.excludedFromBounds = static_cast<std::uint8_t>(b);
      bone.name = b == 0 ? "hip" : "knee";
      bone.pivot = version == 202 ? Vector3(0.5f * b, 1, 2) : Vector3();
      bone.boxMin = Vector3(-1, -2, -3);
      bone.boxMax = Vector3(1, 2, 3);
      bone.valueA = static_cast<std::uint16_t>(100 + b);
      bone.valueB = static_cast<std::uint16_t>(60000 - b);
      data.bones.push_back(bone);
    }
    for (int i = 0; i < 2 * 2 * 10; ++i) {
      data.poses.push_back(i % 10 == 6 ? 1.0f : 0.01f * static_cast<float>(i));
    }
    for (std::uint32_t i = 0; i < 4; ++i) {
      ModelFileSkinnedVertex v;
      v.u = 0.25f * static_cast<float>(i);
      v.v = 0.5f;
      for (std::uint32_t k = 0; k <= i; ++k) {
        ModelFileInfluence influence;
        influence.bone = static_cast<std::uint16_t>(k % 2);
        influence.weight = 1.0f / static_cast<float>(i + 1);
        influence.normal = Vector3(0, 0, 1);
        influence.position = Vector3(static_cast<float>(k), 1, 2);
        v.influences.push_back(influence);
      }
      data.skinnedVertices.push_back(v);
    }
  }
  const std::uint32_t boxes = form == Form::kFrames ? 3 : 1;
  for (std::uint32_t i = 0; i < boxes; ++i) {
    data.boxes.push_back(ModelFileBox{Vector3(-1, -1, -1) * static_cast<float>(i + 1),
                                      Vector3(1, 1, 1) * static_cast<float>(i + 1)});
  }
  return data;
}

Bytes Encode(const ModelFileData& data) {
  Bytes bytes;
  EXPECT_TRUE(tools::EncodeModelFile(data, bytes));
  return bytes;
}

void Decode(const Bytes& bytes, ModelFileData& out, std::uint32_t extraFlags = 0) {
  FileBinary file(nullptr, "m.mdl", false, false, true, static_cast<std::uint32_t>(bytes.size()),
                  bytes.data());
  ReadModelFile(file, "m.mdl", extraFlags, out);
}

void ExpectSame(const ModelFileData& a, const ModelFileData& b) {
  EXPECT_EQ(a.version, b.version);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.frameCount, b.frameCount);
  EXPECT_EQ(a.speed, b.speed);
  EXPECT_EQ(a.indices, b.indices);
  EXPECT_EQ(a.vertexCount, b.vertexCount);
  ASSERT_EQ(a.vertices.size(), b.vertices.size());
  for (std::size_t i = 0; i < a.vertices.size(); ++i) {
    EXPECT_EQ(a.vertices[i].position, b.vertices[i].position);
    EXPECT_EQ(a.vertices[i].normal, b.vertices[i].normal);
    EXPECT_EQ(a.vertices[i].u, b.vertices[i].u);
    EXPECT_EQ(a.vertices[i].v, b.vertices[i].v);
  }
  ASSERT_EQ(a.bones.size(), b.bones.size());
  for (std::size_t i = 0; i < a.bones.size(); ++i) {
    EXPECT_EQ(a.bones[i].name, b.bones[i].name);
    EXPECT_EQ(a.bones[i].excludedFromBounds, b.bones[i].excludedFromBounds);
    EXPECT_EQ(a.bones[i].pivot, b.bones[i].pivot);
    EXPECT_EQ(a.bones[i].boxMax, b.bones[i].boxMax);
    EXPECT_EQ(a.bones[i].valueA, b.bones[i].valueA);
    EXPECT_EQ(a.bones[i].valueB, b.bones[i].valueB);
  }
  EXPECT_EQ(a.poses, b.poses);
  ASSERT_EQ(a.skinnedVertices.size(), b.skinnedVertices.size());
  for (std::size_t i = 0; i < a.skinnedVertices.size(); ++i) {
    ASSERT_EQ(a.skinnedVertices[i].influences.size(), b.skinnedVertices[i].influences.size());
    EXPECT_EQ(a.skinnedVertices[i].u, b.skinnedVertices[i].u);
    for (std::size_t k = 0; k < a.skinnedVertices[i].influences.size(); ++k) {
      EXPECT_EQ(a.skinnedVertices[i].influences[k].bone, b.skinnedVertices[i].influences[k].bone);
      EXPECT_EQ(a.skinnedVertices[i].influences[k].weight, b.skinnedVertices[i].influences[k].weight);
      EXPECT_EQ(a.skinnedVertices[i].influences[k].position, b.skinnedVertices[i].influences[k].position);
    }
  }
  ASSERT_EQ(a.boxes.size(), b.boxes.size());
  for (std::size_t i = 0; i < a.boxes.size(); ++i) {
    EXPECT_EQ(a.boxes[i].min, b.boxes[i].min);
    EXPECT_EQ(a.boxes[i].max, b.boxes[i].max);
  }
}

class ModelFileTest : public ModelFixture {};

TEST_F(ModelFileTest, RoundTripsEveryFormVersionAndIndexWidth) {
  for (Form form : {Form::kStatic, Form::kFrames, Form::kSkinned}) {
    for (std::uint32_t version : {201u, 202u}) {
      for (std::uint32_t indexCount : {65535u, 65536u}) {
        SCOPED_TRACE(testing::Message() << "form " << static_cast<int>(form) << " version " << version
                                        << " indices " << indexCount);
        const ModelFileData written = MakeModel(form, version, indexCount);
        const Bytes bytes = Encode(written);
        const std::uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
        EXPECT_EQ(length, bytes.size());
        ModelFileData read;
        ASSERT_NO_THROW(Decode(bytes, read));
        ExpectSame(read, written);

        // And as a model.
        WriteData("round.mdl", bytes);
        std::unique_ptr<Model> model(new Model(models_->GetServices(), "round.mdl", nullptr, 0));
        EXPECT_EQ(model->indexBuffer->IsWide(), indexCount == 65536);
        EXPECT_EQ(model->indexBuffer->GetIndexCount(), indexCount);
        EXPECT_EQ(model->primitiveCount, indexCount / 3);
        EXPECT_EQ(model->strip, 0u);
        EXPECT_EQ(model->GetFrameCount(), written.frameCount);
        EXPECT_EQ(model->animation->speed, written.speed);
        if (form == Form::kStatic) {
          Vertex v;
          std::memcpy(&v, model->vertexBuffer->GetData() + 3 * 32, sizeof(v));
          EXPECT_EQ(Vector3(v.x, v.y, v.z), Vector3(3, 6, -3));
          EXPECT_EQ(v.u, 0.375f);
        } else if (form == Form::kFrames) {
          ASSERT_EQ(model->frameVertices.size(), 12u);
          EXPECT_EQ(model->frameVertices[7].position, Vector3(7, 14, -7));
          ASSERT_EQ(model->frameBoxes.size(), 3u);
          EXPECT_EQ(model->box.localMax, Vector3(1, 1, 1)) << "the model starts with frame 0's box";
        } else {
          ASSERT_NE(model->skeleton, nullptr);
          EXPECT_EQ(model->skeleton->boneCount, 2);
          EXPECT_EQ(model->skeleton->GetBone(1)->pivot, version == 202 ? Vector3(0.5f, 1, 2) : Vector3());
          EXPECT_EQ(model->skeleton->GetBone(1)->valueB, 59999);
          ASSERT_EQ(model->vertexWeights.size(), 4u);
          EXPECT_EQ(model->vertexWeights[3].influenceCount, 4);
          EXPECT_EQ(model->boneFrames.size(), 40u);
        }
      }
    }
  }
}

TEST_F(ModelFileTest, RejectionTable) {
  struct Row {
    const char* why;
    std::function<void(Bytes&)> damage;
    Form form;
    const char* message;
  };
  auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
  };
  auto fixLength = [&](Bytes& b) { put32(b, 0, static_cast<std::uint32_t>(b.size())); };
  const char* format = "Incorrect \"m.mdl\" file format";
  const char* version = "Incorrect \"m.mdl\" format version, current is 202";
  // Static layout: header 13, flags 4, index count at 17, vertex count at 21, indices from 25 (12 bytes),
  // vertices from 37. Skinned layout: header 13, flags 4, frames 4, speed 4, bone count at 25.
  const Row rows[] = {
      {"total length one less than the size",
       [&](Bytes& b) { put32(b, 0, static_cast<std::uint32_t>(b.size() - 1)); }, Form::kStatic, format},
      {"wrong magic", [](Bytes& b) { b[8] = 'X'; }, Form::kStatic, format},
      {"version 203", [&](Bytes& b) { put32(b, 9, 203); }, Form::kStatic, version},
      {"version 200", [&](Bytes& b) { put32(b, 9, 200); }, Form::kStatic, version},
      {"shorter than a header", [](Bytes& b) { b.resize(10); }, Form::kStatic,
       "Failed to read 13 bytes from \"m.mdl\" file"},
      {"cut inside the vertex count",
       [&](Bytes& b) {
         b.resize(23);
         fixLength(b);
       },
       Form::kStatic, "Failed to read 4 bytes from \"m.mdl\" file"},
      {"cut inside the indices",
       [&](Bytes& b) {
         b.resize(30);
         fixLength(b);
       },
       Form::kStatic, "Failed to read 12 bytes from \"m.mdl\" file"},
      {"cut inside the vertices",
       [&](Bytes& b) {
         b.resize(40);
         fixLength(b);
       },
       Form::kStatic, format},
      {"index past the vertices", [&](Bytes& b) { b[25] = 4; }, Form::kStatic, format},
      {"vertex count beyond the bytes", [&](Bytes& b) { put32(b, 21, 0x10000000); }, Form::kStatic, format},
      {"index count beyond the bytes", [&](Bytes& b) { put32(b, 17, 0xFFFFFFF0u); }, Form::kStatic, format},
      {"no vertex records and more vertices than indices",
       [&](Bytes& b) {
         b[13] &= static_cast<std::uint8_t>(~kModelStatic);
         put32(b, 21, 0x10000000);
       },
       Form::kStatic, format},
      {"frame count zero", [&](Bytes& b) { put32(b, 17, 0); }, Form::kSkinned, format},
      {"frame count beyond the poses", [&](Bytes& b) { put32(b, 17, 0x40000000); }, Form::kSkinned, format},
      {"bone count beyond the bytes", [](Bytes& b) { b[26] = 0xFF; }, Form::kSkinned, format},
  };
  for (const Row& row : rows) {
    Bytes bytes = Encode(MakeModel(row.form, 202, 6));
    row.damage(bytes);
    ModelFileData out;
    try {
      Decode(bytes, out);
      ADD_FAILURE() << row.why << ": accepted";
    } catch (const FileError& error) {
      EXPECT_EQ(error.GetMessage(), row.message) << row.why;
    }
  }

  // The writer refuses what the reader would refuse.
  struct WriterRow {
    const char* why;
    Form form;
    std::function<void(ModelFileData&)> change;
  };
  const WriterRow writerRows[] = {
      {"five influences", Form::kSkinned,
       [](ModelFileData& d) {
         d.skinnedVertices[3].influences.push_back(d.skinnedVertices[3].influences[0]);
       }},
      {"bone index past the bones", Form::kSkinned,
       [](ModelFileData& d) { d.skinnedVertices[1].influences[0].bone = 2; }},
      {"index past the vertices", Form::kStatic, [](ModelFileData& d) { d.indices[2] = 4; }},
      {"animated without frames", Form::kFrames,
       [](ModelFileData& d) {
         d.frameCount = 0;
         d.vertices.clear();
         d.boxes.clear();
       }},
      {"no vertex records and more vertices than indices", Form::kStatic,
       [](ModelFileData& d) {
         d.flags &= ~kModelStatic;
         d.vertices.clear();
         d.vertexCount = 7;
       }},
  };
  for (const WriterRow& row : writerRows) {
    ModelFileData data = MakeModel(row.form, 202, 6);
    row.change(data);
    Bytes bytes;
    EXPECT_FALSE(tools::EncodeModelFile(data, bytes)) << row.why;
  }

  // Skinned records that point outside the model, written by hand.
  Bytes skinned = Encode(MakeModel(Form::kSkinned, 202, 6));
  // The vertices hold 1 to 4 influences (10 + 30 each bytes) and one box of 24 bytes follows them.
  const std::size_t firstVertex = skinned.size() - 24 - (40 + 70 + 100 + 130);
  ModelFileData out;
  Bytes badBone = skinned;
  badBone[firstVertex + 10] = 2;  // vertex 0's only influence, on bone 2 of 2
  EXPECT_THROW(Decode(badBone, out), FileError) << "bone index past the bones";
  Bytes five = skinned;
  five[firstVertex + 8] = 5;  // vertex 0's influence count
  EXPECT_THROW(Decode(five, out), FileError) << "five influences";
}

TEST_F(ModelFileTest, BadFileGivesANamedBoxAndTheLogSaysWhy) {
  Bytes bytes = Encode(MakeModel(Form::kStatic, 202, 6));
  bytes[9] = 203;
  WriteData("models\\broken.mdl", bytes);
  std::unique_ptr<Model> box(models_->LoadModel("models\\broken.mdl", nullptr, kModelColoured));
  EXPECT_EQ(box->name, "models\\broken.mdl");
  EXPECT_EQ(box->box.localMin, Vector3(-1, -1, -1));
  EXPECT_EQ(box->box.localMax, Vector3(1, 1, 1));
  EXPECT_EQ(box->primitiveCount, 12u);
  EXPECT_TRUE(box->flags & kModelColoured) << "the caller's extra flags reach the box";
  EXPECT_EQ(CountLogged(LogRecord::kError, "Incorrect \"models\\broken.mdl\" format version, current is 202"),
            1);

  Model* missing = models_->CreateModelFromFile("nothing.mdl", nullptr, 0);
  EXPECT_EQ(missing->name, "nothing.mdl");
  EXPECT_EQ(models_->GetModelCount(), 1u) << "the substitute box is registered";
  EXPECT_EQ(CountLogged(LogRecord::kError, "nothing.mdl"), 1);

  EXPECT_THROW(Model(models_->GetServices(), "nothing.mdl", nullptr, 0), Error);
}

TEST_F(ModelFileTest, FlagsLayoutAndShaderName) {
  // A plain model (neither frames nor bones): one frame at speed 0, a strip when 0x8 is clear.
  ModelFileData plain = MakeModel(Form::kStatic, 202, 6);
  plain.flags = kModelStatic | kModelVisible;
  WriteData("fx\\plain.bin", Encode(plain));
  // Its shader is the same path with the extension "srf", whatever the model's own extension is.
  ShaderDescriptor material;
  material.SetBlendFactor(0, 4);
  material.SetBlendFactor(1, 5);
  material.AddFlags(ShaderDescriptor::kAlphaBlend);
  {
    std::unique_ptr<Model> model(models_->LoadModel("fx\\plain.bin", nullptr, 0));
    EXPECT_EQ(model->name, "fx\\plain.bin");
    EXPECT_EQ(model->GetFrameCount(), 1u);
    EXPECT_EQ(model->animation->speed, 0.0f);
    EXPECT_EQ(model->strip, 1u);
    EXPECT_EQ(model->primitiveCount, 4u);
    EXPECT_EQ(CountLogged(LogRecord::kError, "fx\\plain.srf"), 1)
        << "the shader file is looked for beside it";
  }

  // Flags of 0 with no extra flags become 0x200000; extra flags are ORed in before the layout is read.
  ModelFileData none = MakeModel(Form::kStatic, 202, 6);
  none.flags = 0;
  none.vertices.clear();
  ModelFileData decoded;
  Decode(Encode(none), decoded);
  EXPECT_EQ(decoded.flags, kModelVertexUsage);
  EXPECT_TRUE(decoded.vertices.empty());
  // A file whose flags lack 0x1 but whose caller adds it is read with its static vertices.
  const ModelFileData original = MakeModel(Form::kStatic, 202, 6);
  Bytes bytes = Encode(original);
  bytes[13] &= static_cast<std::uint8_t>(~kModelStatic);
  Decode(bytes, decoded, kModelStatic);
  ExpectSame(decoded, original);
}

TEST_F(ModelFileTest, OddButValidLayoutsUpdateDrawAndPickSafely) {
  // Layout flags the reader accepts in combinations no exporter makes; each model must survive a few
  // animated frames, drawing and picking with every read staying inside its data.
  struct Row {
    const char* why;
    std::uint32_t flags;
    Form form;
  };
  const Row rows[] = {
      {"static with frame animation (no frame vertices)", kModelStatic | kModelFrames, Form::kStatic},
      {"frames and bones", kModelFrames | kModelSkinned, Form::kFrames},
      {"static and skinned", kModelStatic | kModelSkinned, Form::kStatic},
      {"strip of skinned vertices", kModelSkinned, Form::kSkinned},
  };
  for (const Row& row : rows) {
    ModelFileData data = MakeModel(row.form, 202, 6);
    data.flags = row.flags | kModelVisible;
    if ((row.flags & kModelSkinned) && data.bones.empty()) {
      ModelFileBone bone;
      bone.name = "only";
      data.bones.push_back(bone);
    }
    const std::uint32_t frames = (row.flags & (kModelFrames | kModelSkinned)) ? data.frameCount : 1;
    data.poses.assign(data.bones.size() * frames * 10, 0.5f);
    data.boxes.resize((row.flags & kModelFrames) ? frames : 1,
                      ModelFileBox{Vector3(-1, -1, -1), Vector3(1, 1, 1)});
    if ((row.flags & kModelFrames) && !(row.flags & kModelStatic)) {
      data.vertices.resize(data.vertexCount * frames);
    }
    Bytes bytes;
    ASSERT_TRUE(tools::EncodeModelFile(data, bytes)) << row.why;
    WriteData("odd.mdl", bytes);
    std::unique_ptr<Model> model(models_->LoadModel("odd.mdl", nullptr, 0));
    EXPECT_EQ(model->name, "odd.mdl") << row.why;
    EXPECT_EQ(model->indexBuffer->GetIndexCount(), 6u) << row.why << ": read, not substituted";
    model->animation->speed = 7.0f;
    model->animation->loop = true;
    model->animation->Play();
    // A range past the model's frames as well.
    model->animation->AddAnimation(5, 0, 40);
    for (int frame = 0; frame < 30; ++frame) {
      if (frame == 15) {
        model->animation->SetAnimation(5);
      }
      timers_.delta = 0.05f;
      model->Update(false);
      model->Draw();
    }
    float distance = 0.0f;
    model->IntersectSegment(Ray(Vector3(0, 0, 10), Vector3(0, 0, -20)), &distance);
  }
}

}  // namespace
}  // namespace CorvantisEngine::modeltest
