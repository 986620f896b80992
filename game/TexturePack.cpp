#include "game/TexturePack.h"

#include <cmath>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/TextureManager.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"

namespace Puzzle {

using CorvantisEngine::ShaderDescriptor;
using CorvantisEngine::ShaderStage;
using CorvantisEngine::Vector2;

CorvantisEngine::ShaderUser* MakeImageShader(
    CorvantisEngine::ShaderManager* shaders, const std::string& textureName,
    std::unique_ptr<CorvantisEngine::Image> image, bool alphaBlend, ShaderDescriptor* descriptorOut,
    std::function<std::unique_ptr<CorvantisEngine::Image>()> source) {
  ShaderDescriptor descriptor(alphaBlend ? ShaderDescriptor::kAlphaBlend : 0);
  if (alphaBlend) {
    descriptor.SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
    descriptor.SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  }
  // The stage loads nothing itself: the texture made from the image is put into it below.
  descriptor.AddStage(ShaderStage::kNoTexture, ShaderStage::kStatic, 1, 1, 0, 0.0f, textureName, "",
                      ShaderStage::kClamp);
  CorvantisEngine::ShaderUser* user = shaders->GetShader(descriptor);
  CorvantisEngine::TextureManager* textures = shaders->GetTextureManager();
  CorvantisEngine::Texture2D* texture = nullptr;
  if (source) {
    auto remake = [source = std::move(source)](std::unique_ptr<CorvantisEngine::Image>& diffuse,
                                               std::unique_ptr<CorvantisEngine::Image>&) {
      diffuse = source();
    };
    texture = textures->CreateTexture(false, textureName, "", std::move(image), nullptr, std::move(remake));
  } else {
    texture = textures->CreateTexture(true, false, textureName, "", image.release(), nullptr);
  }
  user->GetShader()->SetStageTexture(0, texture);
  if (descriptorOut != nullptr) {
    *descriptorOut = descriptor;
  }
  return user;
}

std::string TexturePack::SheetTextureName(const std::string& packName, std::uint32_t index) {
  return "pack_" + packName + "_" + std::to_string(index);
}

TexturePack::TexturePack(CorvantisEngine::Engine* engine_,
                         std::vector<std::unique_ptr<CorvantisEngine::Image>> sheetImages,
                         const std::string& name_, SheetSource source)
    : engine(engine_),
      log(engine_->GetMessageManager()),
      shaderManager(engine_->GetShaderManager()),
      textureManager(shaderManager->GetTextureManager()),
      gui(engine_->GetGUIManager()),
      name(name_) {
  sheets.reserve(sheetImages.size());
  descriptors.reserve(sheetImages.size());
  for (std::uint32_t i = 0; i < sheetImages.size(); ++i) {
    ShaderDescriptor descriptor;
    std::function<std::unique_ptr<CorvantisEngine::Image>()> sheetSource;
    if (source) {
      sheetSource = [source, i] { return source(i); };
    }
    sheets.push_back(MakeImageShader(shaderManager, SheetTextureName(name, i), std::move(sheetImages[i]),
                                     true, &descriptor, std::move(sheetSource)));
    descriptors.push_back(descriptor);
  }
}

TexturePack::~TexturePack() {
  items.clear();
  for (CorvantisEngine::ShaderUser* sheet : sheets) {
    shaderManager->RemoveShader(sheet);
  }
}

void TexturePack::AddItem(const std::string& itemName, std::uint32_t sheetIndex, const Vector2& uv0,
                          const Vector2& uv1) {
  auto item = std::make_unique<TexturePackItem>();
  item->sheet = sheetIndex;
  item->shader = sheetIndex < sheets.size() ? sheets[sheetIndex] : nullptr;
  item->uv0 = uv0;
  item->uv1 = uv1;
  items[itemName] = std::move(item);
}

const TexturePackItem* TexturePack::FindItem(const std::string& itemName) const {
  const auto found = items.find(itemName);
  return found == items.end() ? nullptr : found->second.get();
}

namespace {
float MapCoordinate(float value, float first, float second) {
  if (std::fabs(value) < 0.0001f) {
    return first;
  }
  if (std::fabs(value - 1.0f) < 0.0001f) {
    return second;
  }
  return value;
}
}  // namespace

CorvantisEngine::GUIWindow* TexturePack::CreateSprite(const std::string& itemName, std::uint32_t flags,
                                                      const Vector2& position, const Vector2& size,
                                                      CorvantisEngine::GUIWindow* parent) {
  const TexturePackItem* item = FindItem(itemName);
  if (item == nullptr || item->sheet >= descriptors.size()) {
    log->Abort("Texture pack \"" + name + "\" is not contain \"" + itemName + "\" texture");
  }
  CorvantisEngine::GUIWindow* window =
      gui->CreateWindow(flags, position, size, &descriptors[item->sheet], parent, Vector2{1, 1});
  if (window->model == nullptr || window->model->vertexBuffer == nullptr) {
    return window;
  }
  CorvantisEngine::VertexBuffer* buffer = window->model->vertexBuffer;
  const bool coloured = buffer->HasColour() != 0;
  const std::uint32_t count = 4;
  if (coloured) {
    CorvantisEngine::ColouredVertex* vertices = buffer->LockColouredVertices(0, count);
    for (std::uint32_t i = 0; i < count; ++i) {
      vertices[i].u = MapCoordinate(vertices[i].u, item->uv0.x, item->uv1.x);
      vertices[i].v = MapCoordinate(vertices[i].v, item->uv0.y, item->uv1.y);
    }
  } else {
    CorvantisEngine::Vertex* vertices = buffer->LockVertices(0, count);
    for (std::uint32_t i = 0; i < count; ++i) {
      vertices[i].u = MapCoordinate(vertices[i].u, item->uv0.x, item->uv1.x);
      vertices[i].v = MapCoordinate(vertices[i].v, item->uv0.y, item->uv1.y);
    }
  }
  buffer->Unlock();
  return window;
}

}  // namespace Puzzle
