#pragma once
// GUIButton and GUICheckBox: widgets that turn the polled mouse into a look and a one-frame click.
// A button has four states (0 normal, 1 hover, 2 pressed, 3 disabled); a press that begins inside arms
// it, and releasing over it sets the clicked flag for exactly one Update. A check box toggles its
// checked flag on each click and has eight looks (GetLook). The look is shown as the frame of the
// texture's first stage (a frame grid) or of the model's animation.
//
// GUI sounds played: button 0 (mouse comes over) and 1 (pressed); check box 2 and 3; sliders and
// scrolls give their thumbs and arrows other ids.
//
// Main thread only; made and deleted by the GUIManager (or by the slider owning a thumb). The sound
// manager is borrowed. Nothing throws.

#include <cstdint>
#include <string>

#include "engine/gui/GUIWindow.h"

namespace CorvantisEngine {

class GUISoundManager;

class GUIButton : public GUIWindow {
 public:
  enum : std::uint32_t { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

  GUIButton(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
            const Vector2& position, const Vector2& size, const ShaderDescriptor* texture, GUIWindow* parent,
            const Vector2& uvExtent);
  GUIButton(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
            const Vector2& position, const Vector2& size, const std::string& modelFile, GUIWindow* parent);
  GUIButton(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
            const Vector2& position, const Vector2& size, Model* prototype, GUIWindow* parent);
  ~GUIButton() override;

  // False when hidden or disabled.
  bool Update(const Vector2& mouse, bool held, bool pressed) override;
  bool Render() override;
  void UpdateVisibility() override;
  // Disabling also drops a press in progress.
  virtual void SetEnabled(bool enabled);
  virtual std::int32_t GetLook() const;
  bool IsEnabled() const { return buttonState != kDisabled; }

  GUISoundManager* soundManager;
  std::uint32_t buttonState = kNormal;
  std::uint8_t pressedFlag = 0;
  std::uint8_t wasHovered = 1;  // a mouse that starts over the button plays no hover sound
  std::uint8_t clicked = 0;
  std::uint32_t hoverSound = 0;
  std::uint32_t pressSound = 1;
};

class GUICheckBox : public GUIButton {
 public:
  GUICheckBox(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
              const Vector2& position, const Vector2& size, const ShaderDescriptor* texture,
              GUIWindow* parent, const Vector2& uvExtent);
  GUICheckBox(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
              const Vector2& position, const Vector2& size, const std::string& modelFile, GUIWindow* parent);
  GUICheckBox(const GUIServices& services, GUISoundManager* soundManager, std::uint32_t flags,
              const Vector2& position, const Vector2& size, Model* prototype, GUIWindow* parent);
  ~GUICheckBox() override;

  bool Update(const Vector2& mouse, bool held, bool pressed) override;
  std::int32_t GetLook() const override;

  std::uint8_t checked = 0;
};

}  // namespace CorvantisEngine
