#include "game/windows/GUIBackground.h"

#include "engine/gui/GUIWindow.h"

namespace Puzzle {

GUIBackground::GUIBackground(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper)
    : GUIBackgroundBase(engine, dataKeeper, nullptr, kFileName) {
  LoadBasicLayers();
  CorvantisEngine::GUIWindow* menus = GetMenuContainer();
  menus->SetLayer(menus->layer + kMenuLayerLift);
}

GUIBackground::~GUIBackground() = default;

}  // namespace Puzzle
