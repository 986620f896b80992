#pragma once
// GUIFont: a bitmap font. A font file ("QXFNT", version 201) maps UTF-16 codes to rectangles of one
// texture; the font batches up to 1024 glyph quads per frame into one coloured model (4096 vertices,
// 6144 prefilled indices) that the model manager draws with the rest of the GUI. A depth copy (the copy
// constructor) shares the source's texture through a clone of its model and is drawn at another depth.
//
// File layout (little-endian): u32 total length (= the file size), "QXFNT" without terminator, u32
// version 201, u32 glyph count N, then N records of 22 bytes: u16 code, f32 u, v, du, dv, width (a
// fraction of the font size). A later record for a code does not replace the first.
//
// Main thread only. The model is registered with the model manager and destroyed through it; the log,
// file, shader and model managers are borrowed. Failure: a missing or malformed file is logged as an
// error and leaves the font with the glyphs read so far; nothing is thrown out of the constructor.

#include <cstdint>
#include <map>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class FileBinary;
class ModelManager;
class ShaderManager;
class ShaderDescriptor;
class Camera;
class Model;
struct ColouredVertex;

struct GUIFontGlyph {
  float u = 0.0f;
  float v = 0.0f;
  float du = 0.0f;
  float dv = 0.0f;
  float width = 0.0f;
};

class GUIFont {
 public:
  static constexpr std::uint32_t kFileVersion = 201;
  static constexpr std::uint32_t kMaxCharacters = 1024;
  static constexpr std::uint32_t kModelFlags = 0x248C29;
  static constexpr float kDepth = -9.0f;
  static constexpr std::uint32_t kHeaderSize = 17;
  static constexpr std::uint32_t kGlyphRecordSize = 22;

  GUIFont(MessageManager* log, FileManager* fileManager, ShaderManager* shaderManager,
          ModelManager* modelManager, Camera* camera, const ShaderDescriptor* texture,
          const std::string& fileName);
  // A depth copy of the source (see above).
  explicit GUIFont(const GUIFont& source);
  GUIFont& operator=(const GUIFont&) = delete;
  virtual ~GUIFont();

  // Reads the glyph records of an open font file into glyphs, raising widest to the largest width.
  // Throws FileError on a wrong magic, total length or version, or a file that ends early; the glyphs
  // read before the fault stay in the map.
  static void ReadGlyphs(FileBinary& file, const std::string& fileName,
                         std::map<std::uint16_t, GUIFontGlyph>& glyphs, float& widest);

  bool HasGlyph(std::uint16_t code) const { return glyphs.find(code) != glyphs.end(); }
  float GetDepth() const;
  void SetDepth(float depth);

  void PrintChar(const Vector2& position, float angle, const Vector4& colour, std::uint16_t code);
  void GetCharQuad(const Vector2& position, float angle, std::uint16_t code, Vector2 corners[4]) const;
  void PrintText(const Vector2& position, float angle, const Vector4& colour, const std::wstring& text);
  // Width and height of the text's bounding box; a size below 0 means the font's own size.
  Vector2 GetTextSize(const std::wstring& text, float angle, float size) const;
  void FillLowerCase();
  void FillUpperCase();
  // Ends the frame's batch: an unused font draws nothing; the next print starts a new batch.
  void Flush();

  static bool IsWhitespace(std::uint16_t code);

  MessageManager* log;
  FileManager* fileManager;
  ModelManager* modelManager;
  ShaderManager* shaderManager;
  const GUIFont* source = nullptr;  // the font a depth copy was made from; null for a loaded font
  std::map<std::uint16_t, GUIFontGlyph> glyphs;
  Model* model = nullptr;  // registered with the model manager; null only when it could not be made
  ColouredVertex* lockedVertices = nullptr;  // while a batch is open
  float size = 1.0f;
  float spaceFactor = 1.0f;
  float shiftFactor = 1.0f;
  float widest = 0.0f;
  std::uint8_t monospace = 0;
  std::uint32_t batchCount = 0;

 private:
  float modellessDepth_ = kDepth;  // the depth of a font whose model could not be made

  void FillCase(bool toUpper);
  void CharQuadAt(const Vector2& position, float angle, std::uint16_t code, float s,
                  Vector2 corners[4]) const;
  // The pen's advance after a character at text size s, split in the part before the glyph is drawn
  // and the part after it (monospace centring).
  void Advance(std::uint16_t code, float s, float& before, float& after) const;
};

}  // namespace CorvantisEngine
