#include "game/GUIGameLogicText.h"

#include <algorithm>
#include <limits>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"

namespace Puzzle {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector4;

std::vector<std::wstring> GUIGameLogicText::SplitLines(const std::wstring& text) {
  std::vector<std::wstring> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n') {
      out.push_back(text.substr(start, i - start));
      start = i + 1;
    } else if (i + 1 == text.size()) {
      out.push_back(text.substr(start));
    }
  }
  return out;
}

GUIGameLogicText::GUIGameLogicText(CorvantisEngine::Engine* engine_, const Vector2& position_,
                                   const std::wstring& text, std::int32_t font_,
                                   CorvantisEngine::GUIWindow* window_)
    : engine(engine_),
      timers(engine_->GetTimerManager()),
      gui(engine_->GetGUIManager()),
      fonts(gui->GetFontManager()),
      font(font_),
      position(position_),
      lines(SplitLines(text)),
      window(window_) {}

GUIGameLogicText::~GUIGameLogicText() = default;

void GUIGameLogicText::Update() {
  time += timers->delta;
  const float grow = std::min(time, kGrowTime) * (1.0f / kGrowTime);
  const float size = grow * kTextSize;
  float rise = 0.0f;
  float alpha = grow;
  if (time > kGrowTime) {
    rise = (time - kGrowTime) * kRiseSpeed;
  }
  if (time > kFadeStart) {
    alpha = 1.0f - std::min(time - kFadeStart, kFadeTime) / kFadeTime;
  }
  if (time > kLifeTime) {
    alive = 0;  // still drawn in this frame
  }
  const CorvantisEngine::GUIFont* face =
      font >= 0 && fonts != nullptr ? fonts->FindFont(static_cast<std::uint32_t>(font)) : nullptr;
  if (face == nullptr || lines.empty()) {
    return;
  }
  const auto n = static_cast<float>(lines.size());
  std::vector<Vector2> corners(lines.size());
  float minX = std::numeric_limits<float>::max();
  float maxX = std::numeric_limits<float>::lowest();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Vector2 extent = face->GetTextSize(lines[i], 0.0f, size);
    const float below = static_cast<float>(lines.size() - 1 - i);
    corners[i] = Vector2{position.x - extent.x / 2, position.y - size * n / 2 + below * size + rise};
    minX = std::min(minX, corners[i].x);
    maxX = std::max(maxX, corners[i].x + extent.x);
  }
  float shift = 0.0f;
  if (minX < kScreenMargin) {
    shift = kScreenMargin - minX;
  } else if (maxX > kScreenWidth - kScreenMargin) {
    shift = (kScreenWidth - kScreenMargin) - maxX;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    window->PrintText(0, static_cast<std::uint32_t>(font), Vector2{corners[i].x + shift, corners[i].y},
                      Vector4(1, 1, 1, alpha), lines[i], 0.0f, size);
  }
}

GUIGameLogicTextManager::GUIGameLogicTextManager(CorvantisEngine::Engine* engine_, std::int32_t font_,
                                                 CorvantisEngine::GUIWindow* parent)
    : engine(engine_), gui(engine_->GetGUIManager()), font(font_) {
  window = gui->CreateModelWindow(CorvantisEngine::kGUIShown, {0, 0}, {0, 0}, nullptr, parent);
  window->SetLayer(kLayer);
}

GUIGameLogicTextManager::~GUIGameLogicTextManager() {
  texts.clear();
  gui->DestroyWindow(window);
}

void GUIGameLogicTextManager::AddText(const std::wstring& text, const Vector2& position) {
  texts.push_back(std::make_unique<GUIGameLogicText>(engine, position, text, font, window));
}

void GUIGameLogicTextManager::Update() {
  for (auto& text : texts) {
    text->Update();
    if (!text->IsAlive()) {
      text.reset();
    }
  }
  texts.erase(std::remove(texts.begin(), texts.end(), nullptr), texts.end());
}

}  // namespace Puzzle
