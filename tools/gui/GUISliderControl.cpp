#include "tools/gui/GUISliderControl.h"

#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISlider.h"
#include "engine/resources/ShaderUser.h"

namespace GUITools {

using namespace CorvantisEngine;

namespace {

constexpr std::uint32_t kInitialCount = 2;

void SetHitRectangle(GUIWindow* window, bool on, const Vector2& at, const Vector2& extent) {
  if (window == nullptr) {
    return;
  }
  window->hoverRectangle = on ? 1 : 0;
  if (on) {
    window->hoverOffset = at;
    window->hoverSize = extent;
  }
}

}  // namespace

GUISliderControl::GUISliderControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_,
                                   const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description) {}

GUISliderControl::GUISliderControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                   const ControlDescription& description)
    : GUISliderControl(engine_, dataKeeper_, description) {
  slider = MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateSlider(kGUIColoured, position, size, shader, false, thumbStart, thumbEnd,
                                        kInitialCount, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateSliderFromModel(kGUIColoured, position, size, prototype, false, thumbStart,
                                                 thumbEnd, kInitialCount, parent);
      });
  Setup(slider, description);
  modelAnimation = nullptr;
}

GUISliderControl::~GUISliderControl() {
  guiManager->DestroySlider(slider);
}

void GUISliderControl::CreateThumb(const std::string& model_, const std::string& shader, const Vector2& uv) {
  thumbModel = model_;
  thumbShader = shader;
  thumbUV = uv;
  if (slider == nullptr) {
    return;
  }
  const Look look = ResolveLook(model_, shader);
  if (look.quad) {
    slider->CreateThumb(thumbSize, look.shader, uv);
  } else {
    slider->CreateThumbFromModel(thumbSize, look.model);
  }
  TextureModel(slider->thumb, look, shader);
}

void GUISliderControl::Update() {
  GUIControl::Update();
  if (slider == nullptr || slider->visible == 0) {
    return;
  }
  slider->vertical = orientation.find("vertical") != std::string::npos ? 1 : 0;
  slider->SetThumbSize(thumbSize);
  slider->SetStartPoint(thumbStart);
  slider->SetEndPoint(thumbEnd);
  SetHitRectangle(slider->thumb, thumbSelection, thumbSelectionPosition, thumbSelectionSize);
}

GUIScrollControl::GUIScrollControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                   const ControlDescription& description)
    : GUISliderControl(engine_, dataKeeper_, description) {
  scroll = MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateScroll(kGUIColoured, position, size, shader, false, thumbStart, thumbEnd,
                                        kInitialCount, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateScrollFromModel(kGUIColoured, position, size, prototype, false, thumbStart,
                                                 thumbEnd, kInitialCount, parent);
      });
  slider = scroll;
  Setup(scroll, description);
  modelAnimation = nullptr;
}

GUIScrollControl::~GUIScrollControl() {
  guiManager->DestroyScroll(scroll);
  scroll = nullptr;
  slider = nullptr;  // nothing left for the slider part
}

void GUIScrollControl::CreateArrow(ArrowButton& arrow, bool increasing, const std::string& model_,
                                   const std::string& shader, const Vector2& uv) {
  arrow.model = model_;
  arrow.shader = shader;
  arrow.uv = uv;
  if (scroll == nullptr) {
    return;
  }
  const Look look = ResolveLook(model_, shader);
  if (look.quad) {
    if (increasing) {
      scroll->CreateIncreaseButton(arrow.position, arrow.size, look.shader, uv);
    } else {
      scroll->CreateDecreaseButton(arrow.position, arrow.size, look.shader, uv);
    }
  } else if (increasing) {
    scroll->CreateIncreaseButtonFromModel(arrow.position, arrow.size, look.model);
  } else {
    scroll->CreateDecreaseButtonFromModel(arrow.position, arrow.size, look.model);
  }
  TextureModel(increasing ? scroll->increaseButton : scroll->decreaseButton, look, shader);
}

void GUIScrollControl::CreateIncreaseButton(const std::string& model_, const std::string& shader,
                                            const Vector2& uv) {
  CreateArrow(increase, true, model_, shader, uv);
}

void GUIScrollControl::CreateDecreaseButton(const std::string& model_, const std::string& shader,
                                            const Vector2& uv) {
  CreateArrow(decrease, false, model_, shader, uv);
}

void GUIScrollControl::PlaceArrow(GUIButton* button, const ArrowButton& arrow) {
  if (button == nullptr) {
    return;
  }
  button->position = arrow.position;
  button->size = arrow.size;
  SetHitRectangle(button, arrow.selection, arrow.selectionPosition, arrow.selectionSize);
}

void GUIScrollControl::Update() {
  GUISliderControl::Update();
  if (scroll == nullptr || scroll->visible == 0) {
    return;
  }
  PlaceArrow(scroll->increaseButton, increase);
  PlaceArrow(scroll->decreaseButton, decrease);
  // "lower" puts the arrows behind the scroll; anything else in front of it.
  const bool lower = buttonsAlignment == "lower";
  for (GUIButton* arrow : {scroll->increaseButton, scroll->decreaseButton}) {
    if (arrow != nullptr) {
      arrow->SetLayer(lower ? -1 : 2);
    }
  }
  scroll->SetLayer(lower ? height + 1 : height);
}

}  // namespace GUITools
