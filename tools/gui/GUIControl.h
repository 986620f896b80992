#pragma once
// GUIControl: the common base of the control wrappers. A wrapper owns one engine GUI element made from
// its window's description; the base places that element every frame (layer, position, size, hit
// rectangle), plays the element's model animation forwards when it is shown and backwards when it is
// hidden, optionally moves it by the bounding-box centre of an animator model, and fades its alpha
// through a fader ("timed", or following the model animation).
//
// Shown and hidden: the window asks SetVisible (show, animated). Animated requests go through the
// control's show and hide actions ("show" or "hide"; any other action ignores the request). A show
// waits for the fader's show offset before the element becomes visible; a hide waits for the hide
// offset, then fades or plays the reverse animation, and the element is hidden once that has ended.
//
// Main thread only. The engine's services and the data keeper are borrowed. The control owns its
// animator copy; the element is made and destroyed by the wrapper subclass through the GUI manager.
// Nothing throws: a resource missing from the data keeper is logged there and its default is used.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"
#include "tools/gui/ControlDescription.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class ModelManager;
class GUIManager;
class GUIWindow;
class Model;
class AnimationControl;
class ShaderUser;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {

class GUIControl {
 public:
  static constexpr const char* kTimedFader = "timed";
  static constexpr const char* kModelAnimationFader = "model_animation";

  GUIControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
             const ControlDescription& description);
  GUIControl(const GUIControl&) = delete;
  GUIControl& operator=(const GUIControl&) = delete;
  // Deletes the animator copy; the element is the wrapper's to destroy.
  virtual ~GUIControl();

  virtual void Update();
  virtual void SetVisible(bool show, bool animated);
  // Shown, or still visible while hiding.
  virtual bool IsVisible() const;

  // Called by each wrapper once it has made its element: keeps it, sets up the model and animator
  // animations and hides the element.
  void Setup(CorvantisEngine::GUIWindow* newElement, const ControlDescription& description);
  CorvantisEngine::GUIWindow* GetElement() const { return element; }
  bool HasFader() const { return !faderName.empty(); }

  CorvantisEngine::Engine* engine;
  CorvantisEngine::TimerManager* timerManager;
  CorvantisEngine::ModelManager* modelManager;
  CorvantisEngine::GUIManager* guiManager;
  GameTools::DataKeeper* dataKeeper;
  std::string name;
  CorvantisEngine::GUIWindow* element = nullptr;  // the wrapper's
  CorvantisEngine::Model* model = nullptr;        // the element's
  CorvantisEngine::AnimationControl* modelAnimation = nullptr;
  CorvantisEngine::Model* animator = nullptr;  // owned copy, never drawn
  CorvantisEngine::AnimationControl* animatorAnimation = nullptr;
  std::string showAction = "show";
  std::string hideAction = "hide";
  std::int32_t height = 1;
  CorvantisEngine::Vector2 position;
  CorvantisEngine::Vector2 size{1.0f, 1.0f};
  bool selection = false;  // the element's custom hit rectangle is on
  CorvantisEngine::Vector2 selectionPosition;
  CorvantisEngine::Vector2 selectionSize;
  std::string faderName;  // empty: no fader
  std::string faderType = kTimedFader;
  float showSpeed = 1.0f;
  float hideSpeed = 1.0f;
  float fadeMin = 0.0f;  // alpha when fully hidden
  float fadeMax = 1.0f;  // alpha when fully shown
  float fadeOffset = 0.0f;
  float showOffset = 0.0f;
  float hideOffset = 0.0f;
  bool shown = false;  // the state asked for last
  float fadeTime = 0.0f;
  float fadeValue = 0.0f;
  bool pending = false;  // a show or hide waits for its offset
  float elapsed = 0.0f;

 protected:
  // The look of an engine element by the creation rule of the wrappers: a quad with the shader when
  // there is a shader and no model, else a copy of the model (none for an empty name), textured with
  // the shader afterwards (TextureModel).
  struct Look {
    bool quad = false;
    CorvantisEngine::ShaderUser* shader = nullptr;  // the quad's texture
    CorvantisEngine::Model* model = nullptr;        // the prototype to copy
  };
  Look ResolveLook(const std::string& modelName, const std::string& shaderName) const;
  void TextureModel(CorvantisEngine::GUIWindow* window, const Look& look,
                    const std::string& shaderName) const;
  // ResolveLook for the description, the widget made by the matching maker, then TextureModel.
  template <typename MakeQuad, typename MakeFromModel>
  auto MakeWidget(const ControlDescription& description, MakeQuad makeQuad, MakeFromModel makeFromModel) {
    const Look look = ResolveLook(description.model, description.shader);
    auto* widget = look.quad ? makeQuad(look.shader) : makeFromModel(look.model);
    TextureModel(widget, look, description.shader);
    return widget;
  }
  // MakeWidget for a plain engine window (panels and text labels).
  CorvantisEngine::GUIWindow* MakeWindowWidget(const ControlDescription& description,
                                               CorvantisEngine::GUIWindow* parent);

 private:
  // Limits the range to the frames and sets up animation 0 (first to last) and 1 (last to first);
  // returns null, with the control put on its one frame, when the range holds a single frame.
  static CorvantisEngine::AnimationControl* PrepareAnimation(CorvantisEngine::AnimationControl* animation,
                                                             std::int32_t startFrame, std::int32_t endFrame);
  static void PlayAnimation(CorvantisEngine::AnimationControl* animation, std::uint32_t id);
  static bool ReverseEnded(const CorvantisEngine::AnimationControl* animation);
  void Fade(float dt);
};

}  // namespace GUITools
