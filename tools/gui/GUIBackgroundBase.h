#pragma once
// GUIBackgroundBase: the animated full-screen backdrop of the menus, described by an XML file whose top
// element lists the layers in drawing order (later children in front): "model" and "particles"
// elements with the resource "name" and optional "shader", "animator_model", "animation_speed",
// "random_start_frame", "color" and "additional"; "resources_prefix" on the top element puts a prefix
// and "/" before every resource name. Basic layers are made by LoadBasicLayers, additional ones by
// LoadAdditionalLayers once their resources are loaded; a layer added while the background is shown
// fades in over a second. The whole background shows and hides at once or fades over 1 / speed seconds.
//
// It owns three engine windows: a root, the layers' container and, above every layer, the container
// under which the menu windows are built.
//
// Main thread only. The engine's services and the data keeper are borrowed; the windows, the layers
// and the parsed file are owned. A file that cannot be read or parsed is logged and gives an empty
// background that accepts every call.

#include <cstdint>
#include <string>
#include <vector>

namespace CorvantisEngine {
class Engine;
class MessageManager;
class TimerManager;
class GUIManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
class XMLNode;
}  // namespace GameTools

namespace GUITools {

class GUIBackgroundLayer;

class GUIBackgroundBase {
 public:
  GUIBackgroundBase(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                    CorvantisEngine::GUIWindow* parent, const std::string& fileName);
  GUIBackgroundBase(const GUIBackgroundBase&) = delete;
  GUIBackgroundBase& operator=(const GUIBackgroundBase&) = delete;
  virtual ~GUIBackgroundBase();

  virtual void LoadBasicLayers();
  virtual void LoadAdditionalLayers();
  virtual void Update();
  virtual void SetVisible(bool show, bool fade, float speed);
  virtual bool IsVisible() const;
  // Makes the layers of one kind: basic (not marked "additional") or additional.
  virtual void LoadLayers(bool basic);
  virtual bool IsAdditionalLayer(GameTools::XMLNode* layer) const;
  // A new layer for the element, or null for one without "name" or of another element name.
  virtual GUIBackgroundLayer* CreateLayer(GameTools::XMLNode* layer, std::int32_t layerNumber);

  CorvantisEngine::GUIWindow* GetRoot() const { return root; }
  CorvantisEngine::GUIWindow* GetLayerContainer() const { return layerContainer; }
  CorvantisEngine::GUIWindow* GetMenuContainer() const { return menuContainer; }
  const std::vector<GUIBackgroundLayer*>& GetLayers() const { return layers; }
  const std::string& GetResourcePrefix() const { return resourcePrefix; }

 protected:
  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* messageManager;
  CorvantisEngine::TimerManager* timerManager;
  CorvantisEngine::GUIManager* guiManager;
  GameTools::DataKeeper* dataKeeper;
  GameTools::XMLNode* document = nullptr;      // owned: the file's top element
  std::string resourcePrefix;                  // with its "/", or empty
  CorvantisEngine::GUIWindow* root = nullptr;  // owned, like the two below
  CorvantisEngine::GUIWindow* layerContainer = nullptr;
  CorvantisEngine::GUIWindow* menuContainer = nullptr;
  std::vector<GUIBackgroundLayer*> layers;  // owned
  std::uint8_t target = 0;
  std::uint8_t fading = 0;
  float fadeSpeed = 1.0f;
  float fadeTime = 0.0f;
};

}  // namespace GUITools
