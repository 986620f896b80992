#include "tools/gui/GUIBackgroundBase.h"

#include <cmath>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLValue.h"
#include "tools/gui/GUIBackgroundLayer.h"

namespace GUITools {

using namespace CorvantisEngine;
using GameTools::XMLNode;
using GameTools::XMLValue;

namespace {

constexpr float kEpsilon = 0.0001f;
// The menus lie this many layers above the last background layer.
constexpr std::int32_t kMenuLayerGap = 3;

}  // namespace

GUIBackgroundBase::GUIBackgroundBase(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                     const std::string& fileName)
    : engine(engine_),
      messageManager(engine_->GetMessageManager()),
      timerManager(engine_->GetTimerManager()),
      guiManager(engine_->GetGUIManager()),
      dataKeeper(dataKeeper_) {
  root = guiManager->CreateModelWindow(kGUIShown, {0.0f, 0.0f}, {0.0f, 0.0f}, nullptr, parent);
  layerContainer = guiManager->CreateModelWindow(0, {0.0f, 0.0f}, {0.0f, 0.0f}, nullptr, root);
  menuContainer = guiManager->CreateModelWindow(kGUIShown, {0.0f, 0.0f}, {0.0f, 0.0f}, nullptr, root);
  try {
    GameTools::XMLParser(engine).ParseText(document, fileName);
  } catch (const FileError& error) {
    messageManager->Error(error.GetMessage());
    document = nullptr;
    return;
  }
  if (XMLValue* prefix = document->GetAttribute("resources_prefix")) {
    resourcePrefix = prefix->GetString() + "/";
  }
  menuContainer->SetLayer(static_cast<std::int32_t>(document->GetChildList().size()) + kMenuLayerGap);
}

GUIBackgroundBase::~GUIBackgroundBase() {
  guiManager->DestroyWindow(menuContainer);
  guiManager->DestroyWindow(layerContainer);
  guiManager->DestroyWindow(root);
  for (GUIBackgroundLayer* layer : layers) {
    delete layer;
  }
  layers.clear();
  delete document;
  document = nullptr;
}

void GUIBackgroundBase::LoadBasicLayers() {
  LoadLayers(true);
}

void GUIBackgroundBase::LoadAdditionalLayers() {
  LoadLayers(false);
}

void GUIBackgroundBase::LoadLayers(bool basic) {
  if (document == nullptr) {
    return;
  }
  const XMLNode::ChildList& children = document->GetChildList();
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (IsAdditionalLayer(children[i]) == basic) {
      continue;
    }
    GUIBackgroundLayer* layer = CreateLayer(children[i], static_cast<std::int32_t>(i) + 1);
    if (layer == nullptr) {
      continue;
    }
    if (IsVisible()) {
      layer->SetVisible(true, true, 1.0f);
    }
    layers.push_back(layer);
  }
}

bool GUIBackgroundBase::IsAdditionalLayer(XMLNode* layer) const {
  const XMLValue* additional = layer->GetAttribute("additional");
  return additional != nullptr && additional->GetInt() != 0;
}

GUIBackgroundLayer* GUIBackgroundBase::CreateLayer(XMLNode* layer, std::int32_t layerNumber) {
  const std::string& kind = layer->GetName();
  const bool particles = kind == "particles";
  const XMLValue* name = layer->GetAttribute("name");
  if ((!particles && kind != "model") || name == nullptr) {
    return nullptr;
  }
  auto resource = [&](const char* attribute) {
    const XMLValue* value = layer->GetAttribute(attribute);
    return value != nullptr ? resourcePrefix + value->GetString() : std::string();
  };
  const std::string resourceName = resourcePrefix + name->GetString();
  float speed = -1.0f;
  if (const XMLValue* value = layer->GetAttribute("animation_speed")) {
    speed = value->GetFloat();
  }
  bool randomStart = true;
  if (const XMLValue* value = layer->GetAttribute("random_start_frame")) {
    randomStart = value->GetInt() != 0;
  }
  Vector4 colour(1.0f, 1.0f, 1.0f, 1.0f);
  if (const XMLValue* value = layer->GetAttribute("color")) {
    colour = value->GetVector4();
  }
  return new GUIBackgroundLayer(engine, dataKeeper, particles ? "" : resourceName,
                                particles ? resourceName : "", resource("shader"), resource("animator_model"),
                                randomStart, speed, colour, layerNumber, layerContainer);
}

bool GUIBackgroundBase::IsVisible() const {
  return layerContainer->visible != 0;
}

void GUIBackgroundBase::SetVisible(bool show, bool fade, float speed) {
  target = show ? 1 : 0;
  fading = fade ? 1 : 0;
  fadeSpeed = speed;
  fadeTime = 0.0f;
  if (show) {
    layerContainer->SetState(kGUIShown);
    for (GUIBackgroundLayer* layer : layers) {
      layer->SetVisible(true, false, 1.0f);
    }
  } else if (!fade) {
    layerContainer->ClearState(kGUIShown);
    for (GUIBackgroundLayer* layer : layers) {
      layer->SetVisible(false, false, 1.0f);
    }
  }
}

void GUIBackgroundBase::Update() {
  if (!IsVisible()) {
    return;
  }
  for (GUIBackgroundLayer* layer : layers) {
    layer->Update();
  }
  if (fading == 0) {
    return;
  }
  fadeTime += timerManager->delta;
  const float alpha = GUIBackgroundLayer::FadeAlpha(fadeSpeed, fadeTime, target != 0);
  if (target != 0 && std::fabs(alpha - 1.0f) < kEpsilon) {
    fading = 0;
  } else if (target == 0 && std::fabs(alpha) < kEpsilon) {
    fading = 0;
    layerContainer->ClearState(kGUIShown);
    for (GUIBackgroundLayer* layer : layers) {
      layer->SetVisible(false, false, 1.0f);
    }
  }
  for (GUIBackgroundLayer* layer : layers) {
    layer->ApplyAlpha(alpha);
  }
}

}  // namespace GUITools
