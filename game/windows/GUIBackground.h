#pragma once
// GUIBackground: the game's animated menu backdrop, read from "data\ui\background\background.xml". Its
// basic layers are made at once; the additional ones when the game asks, once their resources have
// loaded. Its menu container, the parent of every menu window, lies 20 layers further in front than the
// toolkit puts it, well before every background layer. A missing file gives an empty background whose
// menu container still works.
//
// Main thread only. The engine and the data keeper are borrowed; see GUIBackgroundBase.

#include "tools/gui/GUIBackgroundBase.h"

namespace Puzzle {

class GUIBackground : public GUITools::GUIBackgroundBase {
 public:
  static constexpr const char* kFileName = "data\\ui\\background\\background.xml";
  static constexpr int kMenuLayerLift = 20;

  GUIBackground(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper);
  ~GUIBackground() override;
};

}  // namespace Puzzle
