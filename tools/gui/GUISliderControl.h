#pragma once
// GUISliderControl ("slider") and GUIScrollControl ("scroll"): wrappers over the engine's slider and
// scroll (a slider with an increase and a decrease arrow button). They build the thumb ("toddler" in
// the window files) and the arrow buttons by the wrappers' creation rule and push the geometry
// (orientation, thumb path and size, hit rectangles, arrow placement and layer order) into the widget
// on every update while it is visible. Dragging, stepping, the count of positions and the position are
// the widgets' own.
//
// Main thread only. The slider or scroll is made and destroyed through the GUI manager; its thumb and
// arrows belong to it.

#include <string>

#include "engine/core/Vector.h"
#include "tools/gui/GUIControl.h"

namespace CorvantisEngine {
class GUISlider;
class GUIScroll;
class GUIButton;
}  // namespace CorvantisEngine

namespace GUITools {

class GUISliderControl : public GUIControl {
 public:
  GUISliderControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUISliderControl() override;

  void Update() override;
  // Keeps the three values and builds the widget's thumb.
  void CreateThumb(const std::string& model, const std::string& shader, const CorvantisEngine::Vector2& uv);

  CorvantisEngine::GUISlider* slider = nullptr;  // owned; the scroll for a scroll control
  std::string orientation = "horizontal";
  std::string thumbModel;
  std::string thumbShader;
  CorvantisEngine::Vector2 thumbUV{1.0f, 1.0f};
  CorvantisEngine::Vector2 thumbStart;
  CorvantisEngine::Vector2 thumbEnd;
  CorvantisEngine::Vector2 thumbSize{1.0f, 1.0f};
  bool thumbSelection = false;
  CorvantisEngine::Vector2 thumbSelectionPosition;
  CorvantisEngine::Vector2 thumbSelectionSize;

 protected:
  // The fields alone, without a widget: the scroll control makes its own.
  GUISliderControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   const ControlDescription& description);
};

class GUIScrollControl : public GUISliderControl {
 public:
  // One arrow button's look and geometry.
  struct ArrowButton {
    std::string model;
    std::string shader;
    CorvantisEngine::Vector2 uv{1.0f, 1.0f};
    CorvantisEngine::Vector2 position;
    CorvantisEngine::Vector2 size{1.0f, 1.0f};
    bool selection = false;
    CorvantisEngine::Vector2 selectionPosition;
    CorvantisEngine::Vector2 selectionSize;
  };

  GUIScrollControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUIScrollControl() override;

  void Update() override;
  void CreateIncreaseButton(const std::string& model, const std::string& shader,
                            const CorvantisEngine::Vector2& uv);
  void CreateDecreaseButton(const std::string& model, const std::string& shader,
                            const CorvantisEngine::Vector2& uv);

  CorvantisEngine::GUIScroll* scroll = nullptr;  // owned
  ArrowButton increase;
  ArrowButton decrease;
  std::string buttonsAlignment = "upper";

 private:
  void CreateArrow(ArrowButton& arrow, bool increasing, const std::string& model, const std::string& shader,
                   const CorvantisEngine::Vector2& uv);
  static void PlaceArrow(CorvantisEngine::GUIButton* button, const ArrowButton& arrow);
};

}  // namespace GUITools
