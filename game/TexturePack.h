#pragma once
// TexturePack: a named set of texture sheets holding many small images (a level's piece images), and
// the look-up that makes a quad window showing one of them. Each sheet is one shader user with alpha
// blending whose single stage draws a texture made in memory; the stage is named after the pack and the
// sheet ("pack_<name>_<i>"), so that the windows made from the sheet's descriptor share exactly that
// shader and two sheets never share one. The sheets have no mip levels, so a piece drawn small never
// shows its neighbours' pixels. Given a source for its sheets, the pack keeps no pixels: a device reset
// has the source make a sheet again; without one the textures keep their images for that.
//
// Ownership: the pack owns its items and releases its sheet shader users through the shader manager;
// the windows it makes belong to the GUI manager.
// Failures: a name not in the pack ends the program through the log's Abort.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Vector.h"
#include "engine/resources/ShaderDescriptor.h"

namespace CorvantisEngine {
class Engine;
class MessageManager;
class ShaderManager;
class TextureManager;
class GUIManager;
class GUIWindow;
class ShaderUser;
class Image;
}  // namespace CorvantisEngine

namespace Puzzle {

struct TexturePackItem {
  std::uint32_t sheet = 0;
  CorvantisEngine::ShaderUser* shader = nullptr;
  CorvantisEngine::Vector2 uv0;  // the image's first corner in its sheet
  CorvantisEngine::Vector2 uv1;  // the opposite corner
};

class TexturePack {
 public:
  // Makes sheet `index` again, as it was given (null when it cannot be made).
  using SheetSource = std::function<std::unique_ptr<CorvantisEngine::Image>(std::uint32_t index)>;

  // One sheet per image, in order; the pack's textures take the images over. With a source the images
  // are dropped once on the device and a rebuild asks the source (see TextureManager::ImageSource).
  TexturePack(CorvantisEngine::Engine* engine, std::vector<std::unique_ptr<CorvantisEngine::Image>> sheets,
              const std::string& name, SheetSource source = {});
  virtual ~TexturePack();

  TexturePack(const TexturePack&) = delete;
  TexturePack& operator=(const TexturePack&) = delete;

  void AddItem(const std::string& itemName, std::uint32_t sheetIndex, const CorvantisEngine::Vector2& uv0,
               const CorvantisEngine::Vector2& uv1);
  // A quad window showing the item: texture coordinates 0 and 1 of the quad become the item's corners.
  CorvantisEngine::GUIWindow* CreateSprite(const std::string& itemName, std::uint32_t flags,
                                           const CorvantisEngine::Vector2& position,
                                           const CorvantisEngine::Vector2& size,
                                           CorvantisEngine::GUIWindow* parent);

  // Null when the name is not in the pack.
  const TexturePackItem* FindItem(const std::string& itemName) const;
  const std::string& GetName() const { return name; }
  const std::vector<CorvantisEngine::ShaderUser*>& GetSheets() const { return sheets; }
  const CorvantisEngine::ShaderDescriptor& GetSheetDescriptor(std::uint32_t index) const {
    return descriptors[index];
  }
  std::size_t GetItemCount() const { return items.size(); }

  // The name of sheet i's texture stage.
  static std::string SheetTextureName(const std::string& packName, std::uint32_t index);

 private:
  [[maybe_unused]] CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* log;
  CorvantisEngine::ShaderManager* shaderManager;
  CorvantisEngine::TextureManager* textureManager;
  CorvantisEngine::GUIManager* gui;
  std::string name;
  std::vector<CorvantisEngine::ShaderUser*> sheets;
  std::vector<CorvantisEngine::ShaderDescriptor> descriptors;
  std::map<std::string, std::unique_ptr<TexturePackItem>> items;
};

// A shader user whose one stage draws an image made in memory, under a stage name of its own (which
// must be unique: equal descriptors share one shader). The texture takes the image over: it keeps it
// when `source` is empty, else drops it once on the device and has the source make it again for a
// rebuild. With a source and no image, the source makes the image when the texture is first drawn. With
// alphaBlend the user blends by the image's alpha (factors 4 and 5).
CorvantisEngine::ShaderUser* MakeImageShader(
    CorvantisEngine::ShaderManager* shaders, const std::string& textureName,
    std::unique_ptr<CorvantisEngine::Image> image, bool alphaBlend,
    CorvantisEngine::ShaderDescriptor* descriptorOut = nullptr,
    std::function<std::unique_ptr<CorvantisEngine::Image>()> source = {});

}  // namespace Puzzle
