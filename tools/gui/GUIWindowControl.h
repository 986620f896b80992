#pragma once
// The plain control wrappers: a panel ("window"), a button ("button") and a check box ("check_box"),
// each over the engine widget of that kind. Clicking, hovering and checking are the widgets' own; the
// windows read and set them through the window base's accessors. Buttons and check boxes never play
// their model's frames on show or hide; a panel does.
//
// Main thread only. Each wrapper makes its widget through the GUI manager and destroys it there.

#include "tools/gui/GUIControl.h"

namespace CorvantisEngine {
class GUIButton;
class GUICheckBox;
}  // namespace CorvantisEngine

namespace GUITools {

class GUIWindowControl : public GUIControl {
 public:
  GUIWindowControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUIWindowControl() override;
};

class GUIButtonControl : public GUIControl {
 public:
  GUIButtonControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUIButtonControl() override;

  CorvantisEngine::GUIButton* button = nullptr;  // owned (also the base's element)
};

class GUICheckBoxControl : public GUIControl {
 public:
  GUICheckBoxControl(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                     CorvantisEngine::GUIWindow* parent, const ControlDescription& description);
  ~GUICheckBoxControl() override;

  CorvantisEngine::GUICheckBox* checkBox = nullptr;  // owned (also the base's element)
};

}  // namespace GUITools
