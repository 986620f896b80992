#include "engine/gui/GUIFontManager.h"

#include <cmath>

#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIWindow.h"

namespace CorvantisEngine {

namespace {

constexpr float kCopyOffset = 0.005f;
constexpr float kDepthTolerance = 0.0001f;

}  // namespace

GUIFontManager::GUIFontManager(MessageManager* log_, FileManager* fileManager_, ShaderManager* shaderManager_,
                               ModelManager* modelManager_, Camera* camera_)
    : log(log_),
      fileManager(fileManager_),
      shaderManager(shaderManager_),
      modelManager(modelManager_),
      camera(camera_) {}

GUIFontManager::~GUIFontManager() {
  for (GUIFont* copy : copies) {
    delete copy;
  }
  copies.clear();
  for (auto& [id, font] : fonts) {
    delete font;
  }
  fonts.clear();
}

GUIFont* GUIFontManager::CreateFont(std::uint32_t id, const ShaderDescriptor* texture,
                                    const std::string& fileName) {
  const auto found = fonts.find(id);
  if (found != fonts.end()) {
    return found->second;
  }
  auto* font = new GUIFont(log, fileManager, shaderManager, modelManager, camera, texture, fileName);
  fonts.emplace(id, font);
  return font;
}

GUIFont* GUIFontManager::FindFont(std::uint32_t id) const {
  const auto found = fonts.find(id);
  return found != fonts.end() ? found->second : nullptr;
}

void GUIFontManager::DestroyFont(std::uint32_t id) {
  const auto found = fonts.find(id);
  if (found == fonts.end()) {
    return;
  }
  GUIFont* font = found->second;
  for (auto copy = copies.begin(); copy != copies.end();) {
    if ((*copy)->source == font) {
      delete *copy;
      copy = copies.erase(copy);
    } else {
      ++copy;
    }
  }
  delete font;
  fonts.erase(found);
}

GUIFont* GUIFontManager::GetFontForWindow(std::uint32_t id, const GUIWindow* window) {
  GUIFont* base = FindFont(id);
  if (base == nullptr || window == nullptr) {
    return nullptr;
  }
  for (GUIFont* copy : copies) {
    if (copy->source == base && std::fabs(copy->GetDepth() + kCopyOffset - window->depth) < kDepthTolerance) {
      return copy;
    }
  }
  auto* copy = new GUIFont(*base);
  copy->SetDepth(window->depth - kCopyOffset);
  copies.push_back(copy);
  return copy;
}

Vector2 GUIFontManager::AlignText(std::uint32_t alignment, std::uint32_t id, const GUIWindow* window,
                                  const Vector2& position, float angle, const std::wstring& text) const {
  const GUIFont* font = FindFont(id);
  if (font == nullptr || window == nullptr) {
    return {0.0f, 0.0f};
  }
  Vector2 origin = window->GetAbsolutePosition();
  Vector2 extent = window->size;
  if (window->textRectangle != 0) {
    origin = origin + window->textOffset;
    extent = window->textSize;
  }
  const Vector2 measured = font->GetTextSize(text, angle, -1.0f);
  Vector2 result;
  if (alignment & (kAlignCentreX | kAlignLeft | kAlignRight)) {
    if (alignment & kAlignCentreX) {
      result.x = origin.x + (extent.x - measured.x) * 0.5f;
    } else if (alignment & kAlignLeft) {
      result.x = origin.x;
    } else {
      result.x = origin.x + extent.x - measured.x;
    }
    if (std::cos(angle) < 0.0f) {
      result.x += measured.x;
    }
  } else {
    result.x = origin.x + position.x;
  }
  if (alignment & (kAlignCentreY | kAlignTop | kAlignBottom)) {
    if (alignment & kAlignCentreY) {
      result.y = origin.y + (extent.y - measured.y) * 0.5f;
    } else if (alignment & kAlignTop) {
      result.y = origin.y + extent.y - measured.y;
    } else {
      result.y = origin.y;
    }
    if (std::sin(angle) < 0.0f) {
      result.y += measured.y;
    }
  } else {
    result.y = origin.y + position.y;
  }
  return result;
}

void GUIFontManager::Print(std::uint32_t alignment, std::uint32_t id, float angle, const GUIWindow* window,
                           const Vector2& position, const Vector4& colour, const std::wstring& text) {
  if (window == nullptr || window->visible == 0 || FindFont(id) == nullptr) {
    return;
  }
  GUIFont* font = GetFontForWindow(id, window);
  const Vector2 origin = AlignText(alignment, id, window, position, angle, text);
  font->PrintText(origin, angle, colour, text);
}

void GUIFontManager::Flush() {
  for (auto copy = copies.begin(); copy != copies.end();) {
    if ((*copy)->batchCount == 0) {
      delete *copy;
      copy = copies.erase(copy);
    } else {
      ++copy;
    }
  }
  for (auto& [id, font] : fonts) {
    font->Flush();
  }
  for (GUIFont* copy : copies) {
    copy->Flush();
  }
}

}  // namespace CorvantisEngine
