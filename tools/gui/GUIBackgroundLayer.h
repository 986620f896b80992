#pragma once
// GUIBackgroundLayer: one layer of the menu background: a GUI window showing a looping copy of an
// animated model, or a model-less window that carries a particle system drawn with the GUI camera.
// An optional animator model moves the layer by the centre of its bounding box; a particle layer's
// emitter follows the layer. The layer is tinted by its colour and faded by a factor of its own (its
// fade-in when added while the background is shown) and by the background's alpha (ApplyAlpha).
//
// Main thread only. The layer owns its window (destroyed through the GUI manager), its particle system
// (made and destroyed through the particle system manager) and its animator copy; the engine's services
// and the data keeper are borrowed. A missing resource is logged by the data keeper, which gives its
// default.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class ModelManager;
class ParticleSystemManager;
class GUIManager;
class GUIWindow;
class ParticleSystem;
class Model;
class AnimationControl;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {

class GUIBackgroundLayer {
 public:
  // The model name is used when there is no particle system name. A negative animation speed keeps the
  // model's own.
  GUIBackgroundLayer(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                     const std::string& modelName, const std::string& particleSystemName,
                     const std::string& shaderName, const std::string& animatorModelName,
                     bool randomStartFrame, float animationSpeed, const CorvantisEngine::Vector4& colour,
                     std::int32_t layerNumber, CorvantisEngine::GUIWindow* parent);
  GUIBackgroundLayer(const GUIBackgroundLayer&) = delete;
  GUIBackgroundLayer& operator=(const GUIBackgroundLayer&) = delete;
  virtual ~GUIBackgroundLayer();

  // Shows (fading in from transparent over 1 / speed seconds when fade is set) or hides the layer.
  void SetVisible(bool show, bool fade, float speed);
  // Colour of the window and the particles: the layer's colour with its alpha times the fade factor
  // times f.
  void ApplyAlpha(float f);
  void Update();
  // A fade of 1 / speed seconds, `time` seconds in: rising from 0 to 1 when showing, falling from 1 to 0
  // when hiding.
  static float FadeAlpha(float speed, float time, bool showing);

  CorvantisEngine::GUIWindow* GetWindow() const { return window; }
  CorvantisEngine::ParticleSystem* GetParticleSystem() const { return particleSystem; }
  CorvantisEngine::Model* GetAnimator() const { return animator; }
  // The animation of the window's own model copy, or null for a particle layer.
  CorvantisEngine::AnimationControl* GetAnimation() const;
  float GetFactor() const { return factor; }
  bool IsFading() const { return fading != 0; }

 private:
  // A model layer that an animator moves lands on whole pixels of the screen: a layer painted one texel
  // to a pixel is then drawn texel for pixel, and a slow drift changes the screen only when it has moved
  // a pixel.
  CorvantisEngine::Vector2 OnWholePixels(CorvantisEngine::Vector2 position) const;
  static void StartAnimation(CorvantisEngine::AnimationControl* animation, float speed, bool randomStart);

  CorvantisEngine::Engine* engine;
  CorvantisEngine::TimerManager* timerManager;
  CorvantisEngine::ModelManager* modelManager;
  CorvantisEngine::ParticleSystemManager* particleSystemManager;
  CorvantisEngine::GUIManager* guiManager;
  GameTools::DataKeeper* dataKeeper;
  CorvantisEngine::GUIWindow* window = nullptr;               // owned
  CorvantisEngine::ParticleSystem* particleSystem = nullptr;  // owned, registered with its manager
  CorvantisEngine::Model* animator = nullptr;                 // owned copy, never drawn
  CorvantisEngine::Vector4 colour;
  std::uint8_t target = 0;
  std::uint8_t fading = 0;
  float fadeSpeed = 1.0f;
  float fadeTime = 0.0f;
  float factor = 0.0f;
};

}  // namespace GUITools
