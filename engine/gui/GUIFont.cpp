#include "engine/gui/GUIFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <memory>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"

namespace CorvantisEngine {

namespace {

constexpr char kMagic[5] = {'Q', 'X', 'F', 'N', 'T'};
constexpr std::uint16_t kNewLine = 10;

}  // namespace

GUIFont::GUIFont(MessageManager* log_, FileManager* fileManager_, ShaderManager* shaderManager_,
                 ModelManager* modelManager_, Camera* camera, const ShaderDescriptor* texture,
                 const std::string& fileName)
    : log(log_), fileManager(fileManager_), modelManager(modelManager_), shaderManager(shaderManager_) {
  if (modelManager != nullptr) {
    model =
        modelManager->CreateModel(kModelFlags, kMaxCharacters * 4, kMaxCharacters * 6, 1, texture, camera);
  }
  if (model != nullptr) {
    model->name = "font_model";
    std::vector<std::uint32_t> indices(kMaxCharacters * 6);
    for (std::uint32_t i = 0; i < kMaxCharacters; ++i) {
      const std::uint32_t first = i * 4;
      std::uint32_t* quad = &indices[i * 6];
      quad[0] = first;
      quad[1] = first + 1;
      quad[2] = first + 2;
      quad[3] = first + 2;
      quad[4] = first + 1;
      quad[5] = first + 3;
    }
    model->indexBuffer->SetIndices(0, static_cast<std::uint32_t>(indices.size()), indices.data());
    model->indexBuffer->SetIndexCount(0);
    model->UpdatePrimitiveCount();
    model->depth = kDepth;
  }

  try {
    if (fileManager == nullptr) {
      throw FileError("Unable to open \"" + fileName + "\" file");
    }
    std::unique_ptr<FileBinary> file(
        fileManager->OpenFile(FileManager::MakeDataPath(fileName), false, false));
    ReadGlyphs(*file, fileName, glyphs, widest);
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
  }
}

GUIFont::GUIFont(const GUIFont& other)
    : log(other.log),
      fileManager(other.fileManager),
      modelManager(other.modelManager),
      shaderManager(other.shaderManager),
      source(&other),
      glyphs(other.glyphs),
      size(other.size),
      spaceFactor(other.spaceFactor),
      shiftFactor(other.shiftFactor),
      widest(other.widest),
      monospace(other.monospace) {
  if (modelManager != nullptr && other.model != nullptr) {
    model = modelManager->CloneModel(*other.model, nullptr, 0);
  }
  if (model != nullptr) {
    model->SetFlags(0x40000);
    model->indexBuffer->SetIndexCount(0);
    model->UpdatePrimitiveCount();
    model->depth = kDepth;
  }
}

GUIFont::~GUIFont() {
  if (model != nullptr) {
    if (lockedVertices != nullptr) {
      model->vertexBuffer->Unlock();
      lockedVertices = nullptr;
    }
    if (modelManager != nullptr) {
      modelManager->DestroyModel(model);
    }
  }
}

void GUIFont::ReadGlyphs(FileBinary& file, const std::string& fileName,
                         std::map<std::uint16_t, GUIFontGlyph>& out, float& widestOut) {
  std::uint32_t totalLength = 0;
  char magic[5] = {};
  std::uint32_t version = 0;
  file.ReadUInt(totalLength);
  file.Read(magic, sizeof(magic));
  file.ReadUInt(version);
  if (std::memcmp(magic, kMagic, sizeof(kMagic)) != 0 || totalLength != file.GetSize()) {
    throw FileError("Incorrect \"" + fileName + "\" file format");
  }
  if (version != kFileVersion) {
    throw FileError("Incorrect \"" + fileName + "\" format version, current is " +
                    std::to_string(kFileVersion));
  }
  std::uint32_t count = 0;
  file.ReadUInt(count);
  // The count is checked against what the file holds, so a wild count cannot make the loop run on.
  if (static_cast<std::uint64_t>(count) * kGlyphRecordSize > file.GetRemaining()) {
    throw FileError("Incorrect \"" + fileName + "\" file format");
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t code[2] = {};
    file.Read(code, 2);
    GUIFontGlyph glyph;
    file.ReadFloat(glyph.u);
    file.ReadFloat(glyph.v);
    file.ReadFloat(glyph.du);
    file.ReadFloat(glyph.dv);
    file.ReadFloat(glyph.width);
    out.emplace(static_cast<std::uint16_t>(code[0] | (code[1] << 8)), glyph);
    if (glyph.width > widestOut) {
      widestOut = glyph.width;
    }
  }
}

bool GUIFont::IsWhitespace(std::uint16_t code) {
  return std::iswspace(static_cast<wint_t>(code)) != 0;
}

float GUIFont::GetDepth() const {
  return model != nullptr ? model->depth : modellessDepth_;
}

void GUIFont::SetDepth(float depth) {
  modellessDepth_ = depth;
  if (model != nullptr) {
    model->depth = depth;
  }
}

void GUIFont::PrintChar(const Vector2& position, float angle, const Vector4& colour, std::uint16_t code) {
  if (model == nullptr || batchCount >= kMaxCharacters || code == kNewLine || IsWhitespace(code)) {
    return;
  }
  const auto found = glyphs.find(code);
  if (found == glyphs.end()) {
    return;
  }
  const GUIFontGlyph& g = found->second;
  if (lockedVertices == nullptr) {
    lockedVertices = model->vertexBuffer->LockColouredVertices(0, kMaxCharacters * 4);
  }
  const float h = size;
  const float w = size * g.width;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const std::uint32_t packed = model->vertexBuffer->FloatsToColour(colour);
  const float corners[4][4] = {{0.0f, h, g.u, g.v + g.dv},
                               {0.0f, 0.0f, g.u, g.v},
                               {w, h, g.u + g.du, g.v + g.dv},
                               {w, 0.0f, g.u + g.du, g.v}};
  ColouredVertex* quad = lockedVertices + batchCount * 4;
  for (int i = 0; i < 4; ++i) {
    const float x = corners[i][0];
    const float y = corners[i][1];
    ColouredVertex& vertex = quad[i];
    vertex.x = x * c - y * s + position.x;
    vertex.y = y * c + x * s + position.y;
    vertex.z = 0.0f;
    vertex.nx = 0.0f;
    vertex.ny = 0.0f;
    vertex.nz = -1.0f;
    vertex.colour = packed;
    vertex.u = corners[i][2];
    vertex.v = corners[i][3];
  }
  ++batchCount;
  model->indexBuffer->SetIndexCount(batchCount * 6);
  model->UpdatePrimitiveCount();
}

void GUIFont::GetCharQuad(const Vector2& position, float angle, std::uint16_t code,
                          Vector2 corners[4]) const {
  CharQuadAt(position, angle, code, size, corners);
}

void GUIFont::CharQuadAt(const Vector2& position, float angle, std::uint16_t code, float s,
                         Vector2 corners[4]) const {
  float w = s * spaceFactor;
  if (code != kNewLine && !IsWhitespace(code)) {
    const auto found = glyphs.find(code);
    if (found != glyphs.end()) {
      w = s * found->second.width;
    }
  }
  const float h = s;
  const float cosine = std::cos(angle);
  const float sine = std::sin(angle);
  const float local[4][2] = {{0.0f, h}, {0.0f, 0.0f}, {w, h}, {w, 0.0f}};
  for (int i = 0; i < 4; ++i) {
    corners[i] = {local[i][0] * cosine - local[i][1] * sine + position.x,
                  local[i][1] * cosine + local[i][0] * sine + position.y};
  }
}

void GUIFont::Advance(std::uint16_t code, float s, float& before, float& after) const {
  const auto found = glyphs.find(code);
  before = 0.0f;
  if (monospace == 0) {
    after = s * (found != glyphs.end() ? found->second.width * shiftFactor : spaceFactor);
    return;
  }
  if (found == glyphs.end()) {
    after = s * widest * shiftFactor;
    return;
  }
  const float half = (widest - found->second.width) * s * shiftFactor * 0.5f;
  before = half;
  after = s * found->second.width * shiftFactor + half;
}

void GUIFont::PrintText(const Vector2& position, float angle, const Vector4& colour,
                        const std::wstring& text) {
  if (source != nullptr) {
    size = source->size;
    spaceFactor = source->spaceFactor;
    shiftFactor = source->shiftFactor;
  }
  const Vector2 dir{std::cos(angle), std::sin(angle)};
  Vector2 pen{0.0f, 0.0f};
  for (const wchar_t character : text) {
    const auto code = static_cast<std::uint16_t>(character);
    float before = 0.0f;
    float after = 0.0f;
    Advance(code, size, before, after);
    pen += dir * before;
    if (monospace == 0 || HasGlyph(code)) {
      PrintChar(position + pen, angle, colour, code);
    }
    pen += dir * after;
  }
}

Vector2 GUIFont::GetTextSize(const std::wstring& text, float angle, float textSize) const {
  if (text.empty()) {
    return {0.0f, 0.0f};
  }
  const float s = textSize >= 0.0f ? textSize : size;
  const Vector2 dir{std::cos(angle), std::sin(angle)};
  Vector2 pen{0.0f, 0.0f};
  Vector2 low{10000.0f, 10000.0f};
  Vector2 high{-10000.0f, -10000.0f};
  for (const wchar_t character : text) {
    const auto code = static_cast<std::uint16_t>(character);
    float before = 0.0f;
    float after = 0.0f;
    Advance(code, s, before, after);
    pen += dir * before;
    Vector2 corners[4];
    // The quads are measured at the size asked for, like the advances, so that a text measured at
    // another size than the font's own keeps its proportions.
    CharQuadAt(pen, angle, code, s, corners);
    for (const Vector2& corner : corners) {
      low.x = std::min(low.x, corner.x);
      low.y = std::min(low.y, corner.y);
      high.x = std::max(high.x, corner.x);
      high.y = std::max(high.y, corner.y);
    }
    pen += dir * after;
  }
  return high - low;
}

void GUIFont::FillCase(bool toUpper) {
  std::vector<std::pair<std::uint16_t, GUIFontGlyph>> added;
  for (const auto& [code, glyph] : glyphs) {
    const auto other = static_cast<std::uint16_t>(toUpper ? std::towupper(code) : std::towlower(code));
    if (other != code && glyphs.find(other) == glyphs.end()) {
      added.emplace_back(other, glyph);
    }
  }
  for (const auto& [code, glyph] : added) {
    glyphs.emplace(code, glyph);
  }
}

void GUIFont::FillLowerCase() {
  FillCase(true);
}

void GUIFont::FillUpperCase() {
  FillCase(false);
}

void GUIFont::Flush() {
  if (model == nullptr) {
    batchCount = 0;
    return;
  }
  if (batchCount == 0) {
    model->indexBuffer->SetIndexCount(0);
    model->UpdatePrimitiveCount();
  }
  batchCount = 0;
  if (lockedVertices != nullptr) {
    model->vertexBuffer->Unlock();
    lockedVertices = nullptr;
  }
}

}  // namespace CorvantisEngine
