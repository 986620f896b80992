// Reading a ShaderDescriptor from a shader file ("QXSRF", version 211). Layout, little-endian: u32 total
// length (the file size), the magic without terminator, u32 version, u32 flags, four colours of four
// f32, two f32 values, u32 source and destination blend codes, u32 stage count, then the stages:
//   u32 stage flags, u32 animation type,
//   [type not 0: u32 frame count, f32 speed], [type 1: u32 columns, u32 rows],
//   string diffuse name, string opacity name (u8 length + bytes),
//   u32 address U, u32 address V, f32 scale U, scale V, offset U, offset V.
#include <cstring>
#include <memory>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/resources/ShaderDescriptor.h"

namespace CorvantisEngine {

namespace {

constexpr char kMagic[5] = {'Q', 'X', 'S', 'R', 'F'};

// A bare file name ("smoke.jpg", no folder part) is taken from the shader file's own folder.
std::string WithShaderFolder(const std::string& name, const std::string& folder) {
  if (name.empty() || folder.empty() || name.find('\\') != std::string::npos ||
      name.find('/') != std::string::npos) {
    return name;
  }
  return folder + "\\" + name;
}

}  // namespace

void ShaderDescriptor::ReadFile(MessageManager* log, FileManager* fileManager, const std::string& fileName) {
  std::unique_ptr<FileBinary> file;
  try {
    file.reset(fileManager->OpenFile(FileManager::MakeDataPath(fileName), false, false));
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    throw Error(error.GetMessage());
  }
  ReadFrom(log, *file, fileName);
}

void ShaderDescriptor::ReadFrom(MessageManager* log, FileBinary& fileObject, const std::string& fileName) {
  FileBinary* file = &fileObject;
  try {
    const std::string incorrect = "Incorrect \"" + fileName + "\" file format";

    std::uint32_t totalLength = 0;
    char magic[5] = {};
    std::uint32_t version = 0;
    file->ReadUInt(totalLength);
    file->Read(magic, sizeof(magic));
    file->ReadUInt(version);
    if (std::memcmp(magic, kMagic, sizeof(kMagic)) != 0 || totalLength != file->GetSize()) {
      throw FileError(incorrect);
    }
    if (version != kFileVersion) {
      throw FileError("Incorrect \"" + fileName + "\" format version, current is " +
                      std::to_string(kFileVersion));
    }

    file->ReadUInt(flags_);
    for (Vector4& colour : colours_) {
      file->ReadFloat(colour.x);
      file->ReadFloat(colour.y);
      file->ReadFloat(colour.z);
      file->ReadFloat(colour.w);
    }
    values_[0] = 0.0f;
    values_[1] = 0.0f;
    file->ReadFloat(values_[0]);
    file->ReadFloat(values_[1]);
    file->ReadUInt(sourceBlend_);
    file->ReadUInt(destinationBlend_);
    std::uint32_t stageCount = 0;
    file->ReadUInt(stageCount);

    const std::string folder = FileManager::GetFolder(fileName);
    // More than two stages ends in AddStage's overflow error at the third.
    for (std::uint32_t i = 0; i < stageCount; ++i) {
      std::uint32_t stageFlags = 0;
      std::uint32_t type = 0;
      std::uint32_t frameCount = 1;
      float speed = 0.0f;
      std::uint32_t columns = 1;
      std::uint32_t rows = 1;
      file->ReadUInt(stageFlags);
      file->ReadUInt(type);
      if (type > ShaderStage::kLastAnimationType) {
        throw FileError(incorrect);
      }
      if (type != ShaderStage::kStatic) {
        file->ReadUInt(frameCount);
        file->ReadFloat(speed);
        // A numbered series loads one texture per frame: refuse counts no content could mean.
        if (frameCount > ShaderStage::kMaxFrameCount) {
          throw FileError(incorrect);
        }
      }
      if (type == ShaderStage::kFrameGrid) {
        file->ReadUInt(columns);
        file->ReadUInt(rows);
      }
      std::string diffuse;
      std::string opacity;
      file->ReadString(diffuse);
      file->ReadString(opacity);
      const std::uint32_t index =
          AddStage(stageFlags, type, columns, rows, frameCount, speed, WithShaderFolder(diffuse, folder),
                   WithShaderFolder(opacity, folder), 0);
      ShaderStage& stage = stages_[index];
      file->ReadUInt(stage.addressU);
      file->ReadUInt(stage.addressV);
      for (float& value : stage.textureTransform) {
        file->ReadFloat(value);
      }
    }
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    throw Error(error.GetMessage());
  }
}

}  // namespace CorvantisEngine
