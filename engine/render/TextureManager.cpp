#include "engine/render/TextureManager.h"

#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/render/Image.h"
#include "engine/render/Texture2D.h"

namespace CorvantisEngine {

namespace {

bool IsPowerOfTwo(std::uint32_t value) {
  return value == 0 || (value & (value - 1)) == 0;
}

// How many SurfacesOnFirstUse this thread has open.
thread_local int surfacesOnFirstUse = 0;

}  // namespace

TextureManager::SurfacesOnFirstUse::SurfacesOnFirstUse() {
  ++surfacesOnFirstUse;
}

TextureManager::SurfacesOnFirstUse::~SurfacesOnFirstUse() {
  --surfacesOnFirstUse;
}

TextureManager::TextureManager(MessageManager* log, FileManager* fileManager, Config* config,
                               TimerManager* timerManager, RenderSystem* renderSystem)
    : log_(log),
      fileManager_(fileManager),
      config_(config),
      timerManager_(timerManager),
      renderSystem_(renderSystem) {}

TextureManager::~TextureManager() {
  // Textures go whatever their reference count; their owners are being torn down too.
  for (auto& entry : entries_) {
    delete entry->texture;
    entry->texture = nullptr;
  }
  entries_.clear();
}

std::string TextureManager::MakeKey(const std::string& diffuseName, const std::string& opacityName,
                                    bool mipMapping) {
  std::string key = "diffuse_" + StringToLowerCopy(diffuseName);
  if (!opacityName.empty()) {
    key += "_plus_opacity_" + StringToLowerCopy(opacityName);
  }
  if (mipMapping) {
    key += "_with_mip_mapping";
  }
  return key;
}

std::uint32_t TextureManager::TargetSize(std::uint32_t size, std::uint32_t maxSize) {
  std::uint64_t p = 1;
  while (p < size) {
    p <<= 1;
  }
  // The nearest power of two; a tie goes upward.
  std::uint64_t target = (p - size <= size - p / 2) ? p : p / 2;
  if (target == 0) {
    target = 1;
  }
  if (maxSize != 0 && target > maxSize) {
    target = maxSize;
  }
  return static_cast<std::uint32_t>(target);
}

TextureManager::Entry* TextureManager::Find(const std::string& key) {
  for (auto& entry : entries_) {
    if (entry->key == key) {
      return entry.get();
    }
  }
  return nullptr;
}

Texture2D* TextureManager::Referenced(const std::string& key) {
  Entry* entry = Find(key);
  if (entry == nullptr) {
    return nullptr;
  }
  entry->texture->AddReference();
  return entry->texture;
}

std::unique_ptr<TextureManager::Entry> TextureManager::NewEntry(const std::string& key,
                                                                const std::string& diffuseName,
                                                                const std::string& opacityName) {
  auto entry = std::make_unique<Entry>();
  entry->key = key;
  entry->diffuseName = diffuseName;
  entry->opacityName = opacityName;
  return entry;
}

Texture2D* TextureManager::Hold(std::unique_ptr<Entry> entry) {
  Texture2D* texture = entry->texture;
  if (texture != nullptr) {
    entries_.push_back(std::move(entry));
  }
  return texture;
}

TextureManager::Entry* TextureManager::Find(const Texture2D* texture) {
  if (texture == nullptr) {
    return nullptr;
  }
  for (auto& entry : entries_) {
    if (entry->texture == texture) {
      return entry.get();
    }
  }
  return nullptr;
}

void TextureManager::Normalise(const std::string& diffuseName, const std::string& opacityName, Image& diffuse,
                               Image* opacity, bool warn) {
  const std::uint32_t width = diffuse.GetWidth();
  const std::uint32_t height = diffuse.GetHeight();
  if (warn && (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > 65536 || height > 65536)) {
    log_->Warning("Texture Manager: \"" + diffuseName + "\" image size should be power of two");
  }
  const std::uint32_t targetWidth = TargetSize(width, GetMaxTextureWidth());
  const std::uint32_t targetHeight = TargetSize(height, GetMaxTextureHeight());
  if (targetWidth != width || targetHeight != height) {
    diffuse.Resize(targetWidth, targetHeight, Image::kFilterBilinear);
  }
  if (opacity != nullptr &&
      (opacity->GetWidth() != diffuse.GetWidth() || opacity->GetHeight() != diffuse.GetHeight())) {
    if (warn) {
      log_->Warning("Texture Manager: \"" + opacityName + "\" image size should be the same as \"" +
                    diffuseName + "\"");
    }
    opacity->Resize(diffuse.GetWidth(), diffuse.GetHeight(), Image::kFilterBilinear);
  }
}

Texture2D* TextureManager::Create(const std::string& key, bool mipMapping, const std::string& diffuseName,
                                  const std::string& opacityName, Image& diffuse, Image* opacity) {
  Normalise(diffuseName, opacityName, diffuse, opacity, true);
  return CreateDeviceTexture(key, &diffuse, opacity, mipMapping);
}

Texture2D* TextureManager::CreateTexture(bool keepImages, bool mipMapping, const std::string& diffuseName,
                                         const std::string& opacityName, Image* diffuse, Image* opacity) {
  const std::string key = MakeKey(diffuseName, opacityName, mipMapping);
  if (keepImages && opacity != nullptr && opacity == diffuse) {
    // One image given for both: the opacity becomes a copy so that each is owned once.
    opacity = new Image(*diffuse);
  }
  if (Texture2D* held = Referenced(key)) {
    if (keepImages) {
      delete diffuse;
      delete opacity;
    }
    return held;
  }
  std::unique_ptr<Entry> entry = NewEntry(key, diffuseName, opacityName);
  if (keepImages) {
    entry->diffuse.reset(diffuse);
    entry->opacity.reset(opacity);
  } else {
    entry->diffuse = std::make_unique<Image>(*diffuse);
    if (opacity != nullptr) {
      entry->opacity = std::make_unique<Image>(*opacity);
    }
  }
  entry->texture = Create(key, mipMapping, diffuseName, opacityName, *entry->diffuse, entry->opacity.get());
  if (entry->texture == nullptr) {
    // A render system that makes no textures leaves nothing to share or release.
    return nullptr;
  }
  if (!keepImages) {
    // The caller's images show what the texture was made from, as they would have without the copy.
    *diffuse = *entry->diffuse;
    if (opacity != nullptr) {
      *opacity = *entry->opacity;
    }
  }
  return Hold(std::move(entry));
}

Texture2D* TextureManager::CreateTexture(bool mipMapping, const std::string& diffuseName,
                                         const std::string& opacityName, std::unique_ptr<Image> diffuse,
                                         std::unique_ptr<Image> opacity, ImageSource source) {
  const std::string key = MakeKey(diffuseName, opacityName, mipMapping);
  if (Texture2D* held = Referenced(key)) {
    return held;
  }
  std::unique_ptr<Entry> entry = NewEntry(key, diffuseName, opacityName);
  entry->source = std::move(source);
  if (diffuse == nullptr && entry->source) {
    // Made without a surface: the first use rebuilds it from the source.
    entry->texture = CreateDeviceTexture(key, nullptr, nullptr, mipMapping);
  } else {
    if (diffuse == nullptr) {
      diffuse = std::make_unique<Image>();
    }
    if (diffuse->IsEmpty()) {
      diffuse->MakeCheckerboard(log_);
    }
    entry->texture = Create(key, mipMapping, diffuseName, opacityName, *diffuse, opacity.get());
  }
  return Hold(std::move(entry));
}

Texture2D* TextureManager::LoadTexture(bool mipMapping, const std::string& diffuseName,
                                       const std::string& opacityName) {
  const std::string key = MakeKey(diffuseName, opacityName, mipMapping);
  if (Texture2D* held = Referenced(key)) {
    return held;
  }
  std::unique_ptr<Entry> entry = NewEntry(key, diffuseName, opacityName);
  if (surfacesOnFirstUse > 0) {
    // Nothing is read now; the texture names its files for its first draw.
    entry->texture = CreateDeviceTexture(key, nullptr, nullptr, mipMapping);
    if (entry->texture == nullptr) {
      return nullptr;
    }
    entry->texture->WaitForFirstUse(diffuseName, opacityName);
  } else {
    Image* diffuse = nullptr;
    Image* opacity = nullptr;
    LoadImages(diffuseName, opacityName, diffuse, opacity);
    std::unique_ptr<Image> diffuseOwner(diffuse);
    std::unique_ptr<Image> opacityOwner(opacity);
    // Files are read again when the surface must be rebuilt; nothing is kept.
    entry->texture = Create(key, mipMapping, diffuseName, opacityName, *diffuse, opacity);
  }
  return Hold(std::move(entry));
}

void TextureManager::ReleaseTexture(Texture2D* texture) {
  if (texture == nullptr) {
    return;
  }
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if ((*it)->texture == texture) {
      if (texture->RemoveReference() <= 0) {
        delete texture;
        entries_.erase(it);
      }
      return;
    }
  }
}

bool TextureManager::BuildWaitingSurface() {
  for (const auto& entry : entries_) {
    if (entry->texture->IsWaitingForFirstUse()) {
      entry->texture->BuildWaitingSurface();
      return true;
    }
  }
  return false;
}

std::uint32_t TextureManager::GetVideoMemoryUsed() const {
  std::uint32_t total = 0;
  for (const auto& entry : entries_) {
    total += entry->texture->GetVideoMemory();
  }
  return total;
}

void TextureManager::GetTextureNames(std::vector<Texture2D*>& textures) const {
  textures.clear();
  for (const auto& entry : entries_) {
    textures.push_back(entry->texture);
  }
}

void TextureManager::GetTextureImages(Texture2D* texture, Image*& diffuse, Image*& opacity,
                                      bool& deleteImages) {
  diffuse = nullptr;
  opacity = nullptr;
  deleteImages = false;
  Entry* entry = Find(texture);
  if (entry == nullptr) {
    return;
  }
  if (entry->diffuse != nullptr) {
    diffuse = entry->diffuse.get();
    opacity = entry->opacity.get();
    return;
  }
  if (entry->source) {
    std::unique_ptr<Image> madeDiffuse;
    std::unique_ptr<Image> madeOpacity;
    entry->source(madeDiffuse, madeOpacity);
    if (madeDiffuse == nullptr || madeDiffuse->IsEmpty()) {
      madeDiffuse = std::make_unique<Image>();
      madeDiffuse->MakeCheckerboard(log_);
    }
    if (madeOpacity != nullptr && madeOpacity->IsEmpty()) {
      madeOpacity.reset();
    }
    diffuse = madeDiffuse.release();
    opacity = madeOpacity.release();
  } else {
    LoadImages(entry->diffuseName, entry->opacityName, diffuse, opacity);
  }
  Normalise(entry->diffuseName, entry->opacityName, *diffuse, opacity, false);
  deleteImages = true;
}

void TextureManager::LoadFirstUseImages(const std::string& diffuseName, const std::string& opacityName,
                                        Image*& diffuse, Image*& opacity) {
  LoadImages(diffuseName, opacityName, diffuse, opacity);
  Normalise(diffuseName, opacityName, *diffuse, opacity, true);
}

void TextureManager::LoadImages(const std::string& diffuseName, const std::string& opacityName,
                                Image*& diffuse, Image*& opacity) {
  auto loadedDiffuse = std::make_unique<Image>();
  if (!loadedDiffuse->Load(log_, fileManager_, diffuseName) || loadedDiffuse->IsEmpty()) {
    loadedDiffuse->MakeCheckerboard(log_);
  }
  std::unique_ptr<Image> loadedOpacity;
  if (!opacityName.empty()) {
    loadedOpacity = std::make_unique<Image>();
    if (opacityName == diffuseName) {
      loadedOpacity->CopyFrom(*loadedDiffuse);
    } else {
      loadedOpacity->Load(log_, fileManager_, opacityName);
    }
    if (loadedOpacity->IsEmpty()) {
      loadedOpacity.reset();
    }
  }
  diffuse = loadedDiffuse.release();
  opacity = loadedOpacity.release();
}

}  // namespace CorvantisEngine
