#include "tools/gui/GUIWindowControl.h"

#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/ShaderUser.h"

namespace GUITools {

using namespace CorvantisEngine;

GUIWindowControl::GUIWindowControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                   const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description) {
  Setup(MakeWindowWidget(description, parent), description);
}

GUIWindowControl::~GUIWindowControl() {
  guiManager->DestroyWindow(element);
}

GUIButtonControl::GUIButtonControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                   const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description) {
  button = MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateButton(kGUIColoured, position, size, shader, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateButtonFromModel(kGUIColoured, position, size, prototype, parent);
      });
  Setup(button, description);
  // The widget shows its looks through the model's frames: show and hide never play them.
  modelAnimation = nullptr;
}

GUIButtonControl::~GUIButtonControl() {
  guiManager->DestroyButton(button);
}

GUICheckBoxControl::GUICheckBoxControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIWindow* parent,
                                       const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description) {
  checkBox = MakeWidget(
      description,
      [&](ShaderUser* shader) {
        return guiManager->CreateCheckBox(kGUIColoured, position, size, shader, parent, description.uv);
      },
      [&](Model* prototype) {
        return guiManager->CreateCheckBoxFromModel(kGUIColoured, position, size, prototype, parent);
      });
  Setup(checkBox, description);
  modelAnimation = nullptr;
}

GUICheckBoxControl::~GUICheckBoxControl() {
  guiManager->DestroyCheckBox(checkBox);
}

}  // namespace GUITools
