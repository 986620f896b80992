#pragma once
// GUISlider and GUIScroll. A slider is a window with a thumb (a GUIButton child whose window covers the
// whole track) that the mouse drags along a straight track from a start point to an end point, both
// relative to the slider; the track holds `count` discrete positions (at least 2). A scroll adds two
// arrow buttons that step the position on the press and then every 0.15 s while held over them.
// The thumb and arrows are children of the slider, made and deleted by it, not by the GUIManager.
//
// GUI sounds: a slider's thumb 4 (over) and 5 (pressed); a scroll's thumb 6 and 7, its arrows 8 and 9.
//
// Main thread only. Sliders are made and deleted by the GUIManager. Nothing throws.

#include <cstdint>
#include <string>

#include "engine/gui/GUIWindow.h"

namespace CorvantisEngine {

class GUISoundManager;
class GUIButton;
class TimerManager;

class GUISlider : public GUIWindow {
 public:
  enum : std::uint32_t { kNormal = 0, kHover = 1, kDisabled = 2 };

  GUISlider(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
            const Vector2& position, const Vector2& size, const ShaderDescriptor* texture, bool vertical,
            const Vector2& start, const Vector2& end, std::uint32_t count, GUIWindow* parent,
            const Vector2& uvExtent);
  GUISlider(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
            const Vector2& position, const Vector2& size, Model* prototype, bool vertical,
            const Vector2& start, const Vector2& end, std::uint32_t count, GUIWindow* parent);
  ~GUISlider() override;

  bool Update(const Vector2& mouse, bool held, bool pressed) override;
  bool Render() override;
  void SetColour(const Vector4& colour) override;
  void UpdateVisibility() override;
  virtual void CreateThumbFromFile(const Vector2& thumbSize, const std::string& modelFile);
  virtual void CreateThumbFromModel(const Vector2& thumbSize, Model* prototype);
  virtual void CreateThumb(const Vector2& thumbSize, const ShaderDescriptor* texture,
                           const Vector2& uvExtent);
  virtual void SetEnabled(bool enabled);
  virtual bool IsDragging() const;

  bool IsEnabled() const { return sliderState != kDisabled; }
  void SetPosition(std::uint32_t p);
  std::uint32_t GetPosition() const { return sliderPosition; }
  // Counts below 2 act as 2; the position is clamped to the new count.
  void SetCount(std::uint32_t n);
  void SetStartPoint(const Vector2& v);
  void SetEndPoint(const Vector2& v);
  void SetThumbSize(const Vector2& v);

  GUISoundManager* soundManager;
  std::uint32_t sliderState = kNormal;
  std::uint32_t vertical = 0;
  Vector2 startPoint;
  Vector2 endPoint;
  Vector2 thumbSize;
  std::uint8_t reversed = 0;
  std::uint32_t count = 2;
  std::uint32_t sliderPosition = 0;
  GUIButton* thumb = nullptr;  // owned

 protected:
  enum class ThumbSource { Quad, File, Prototype };
  // Replaces the thumb; the scroll's variants then restyle it.
  void MakeThumb(const Vector2& newSize, ThumbSource from, const ShaderDescriptor* texture,
                 const Vector2& uvExtent, const std::string& modelFile, Model* prototype);
  void ResizeThumbWindow();
  std::uint32_t PartFlags() const { return kGUIShown | (state & kGUIColoured); }
  // count - 1, with a count the toolkit set below 2 read as 2.
  std::uint32_t LastPosition() const { return count < 2 ? 1 : count - 1; }

 private:
  void Initialise(bool vertical, const Vector2& start, const Vector2& end, std::uint32_t count);
};

class GUIScroll : public GUISlider {
 public:
  static constexpr float kRepeatPeriod = 0.15f;

  GUIScroll(const GUIServices& services, GUISoundManager* soundManager, TimerManager* timerManager,
            std::uint32_t flags, const Vector2& position, const Vector2& size,
            const ShaderDescriptor* texture, bool vertical, const Vector2& start, const Vector2& end,
            std::uint32_t count, GUIWindow* parent, const Vector2& uvExtent);
  GUIScroll(const GUIServices& services, GUISoundManager* soundManager, TimerManager* timerManager,
            std::uint32_t flags, const Vector2& position, const Vector2& size, Model* prototype,
            bool vertical, const Vector2& start, const Vector2& end, std::uint32_t count, GUIWindow* parent);
  ~GUIScroll() override;

  bool Update(const Vector2& mouse, bool held, bool pressed) override;
  bool Render() override;
  void SetColour(const Vector4& colour) override;
  void CreateThumbFromFile(const Vector2& thumbSize, const std::string& modelFile) override;
  void CreateThumbFromModel(const Vector2& thumbSize, Model* prototype) override;
  void CreateThumb(const Vector2& thumbSize, const ShaderDescriptor* texture,
                   const Vector2& uvExtent) override;
  void SetEnabled(bool enabled) override;
  bool IsDragging() const override;

  void CreateIncreaseButton(const Vector2& at, const Vector2& buttonSize, const ShaderDescriptor* texture,
                            const Vector2& uvExtent);
  void CreateDecreaseButton(const Vector2& at, const Vector2& buttonSize, const ShaderDescriptor* texture,
                            const Vector2& uvExtent);
  void CreateIncreaseButtonFromModel(const Vector2& at, const Vector2& buttonSize, Model* prototype);
  void CreateDecreaseButtonFromModel(const Vector2& at, const Vector2& buttonSize, Model* prototype);

  TimerManager* timerManager;
  GUIButton* increaseButton = nullptr;  // owned
  GUIButton* decreaseButton = nullptr;  // owned
  std::uint32_t step = 1;
  float repeatAccumulator = 0.0f;

 private:
  void StyleThumb();
  void InitialiseArrows();
  GUIButton* MakeArrow(GUIButton* old, const Vector2& at, const Vector2& buttonSize,
                       const ShaderDescriptor* texture, const Vector2& uvExtent, Model* prototype, bool quad);
};

}  // namespace CorvantisEngine
