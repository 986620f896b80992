#pragma once
// Floating texts of a level: short texts that pop up where something was earned (a placed piece's
// points and combo, a checkpoint's stars, a taken bonus). Each grows in over 0.2 s, rises at 35 units
// a second, fades out over its last 0.75 s and ends after 1.95 s; it is drawn centred on its anchor,
// one line per line feed, kept 5 units inside the 800-unit-wide GUI screen. The manager owns the texts
// and the window they are queued on (layer 490) and updates them every frame.
//
// A missing font (a negative id) draws nothing; the texts still age and end. Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class GUIManager;
class GUIFontManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace Puzzle {

class GUIGameLogicText {
 public:
  static constexpr float kGrowTime = 0.2f;
  static constexpr float kFadeStart = 1.2f;
  static constexpr float kFadeTime = 0.75f;
  static constexpr float kLifeTime = kFadeStart + kFadeTime;
  static constexpr float kTextSize = 22.0f;
  static constexpr float kRiseSpeed = 35.0f;
  static constexpr float kScreenMargin = 5.0f;
  static constexpr float kScreenWidth = 800.0f;

  GUIGameLogicText(CorvantisEngine::Engine* engine, const CorvantisEngine::Vector2& position,
                   const std::wstring& text, std::int32_t font, CorvantisEngine::GUIWindow* window);
  virtual ~GUIGameLogicText();

  void Update();

  bool IsAlive() const { return alive != 0; }
  float GetTime() const { return time; }
  const std::vector<std::wstring>& GetLines() const { return lines; }

  // The text split at line feeds (a trailing line feed adds no empty line).
  static std::vector<std::wstring> SplitLines(const std::wstring& text);

 private:
  [[maybe_unused]] CorvantisEngine::Engine* engine;
  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::GUIFontManager* fonts;
  std::int32_t font;
  CorvantisEngine::Vector2 position;
  std::vector<std::wstring> lines;
  CorvantisEngine::GUIWindow* window;
  float time = 0.0f;
  std::uint8_t alive = 1;
};

class GUIGameLogicTextManager {
 public:
  static constexpr std::int32_t kLayer = 490;

  GUIGameLogicTextManager(CorvantisEngine::Engine* engine, std::int32_t font,
                          CorvantisEngine::GUIWindow* parent);
  virtual ~GUIGameLogicTextManager();

  GUIGameLogicTextManager(const GUIGameLogicTextManager&) = delete;
  GUIGameLogicTextManager& operator=(const GUIGameLogicTextManager&) = delete;

  void AddText(const std::wstring& text, const CorvantisEngine::Vector2& position);
  void Update();

  CorvantisEngine::GUIWindow* GetWindow() const { return window; }
  const std::vector<std::unique_ptr<GUIGameLogicText>>& GetTexts() const { return texts; }

 private:
  CorvantisEngine::Engine* engine;
  CorvantisEngine::GUIManager* gui;
  std::int32_t font;
  CorvantisEngine::GUIWindow* window;
  std::vector<std::unique_ptr<GUIGameLogicText>> texts;
};

}  // namespace Puzzle
