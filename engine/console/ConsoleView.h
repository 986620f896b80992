#pragma once
// ConsoleView: what the console needs of the screen it draws on: the GUI screen size, a font to measure
// and print with, a window that slides and fades, and a one-line edit box. ConsoleGUIView carries it out
// with the engine's GUI widgets; tests supply their own.
//
// Main thread only. Positions are in GUI units (origin bottom-left, y up); printed positions are relative
// to the console window's bottom-left corner. Nothing here reports errors.

#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class ConsoleView {
 public:
  virtual ~ConsoleView() = default;

  virtual float GetScreenWidth() const = 0;
  virtual float GetScreenHeight() const = 0;

  // The console font's character height, and a text's width at that height.
  virtual float GetFontSize() const = 0;
  virtual float GetTextWidth(const std::wstring& text) const = 0;

  // The window's y (its bottom edge); x stays 0.
  virtual float GetWindowY() const = 0;
  virtual void SetWindowY(float y) = 0;
  virtual void ShowWindow(bool shown) = 0;
  virtual void SetWindowColour(const Vector4& colour) = 0;
  // Queues a text on the window for this frame, in the console font.
  virtual void PrintText(const Vector2& position, const Vector4& colour, const std::wstring& text) = 0;

  virtual std::wstring GetInputText() const = 0;
  virtual void SetInputText(const std::wstring& text) = 0;
  // While inactive the edit box takes no keys and shows no caret.
  virtual void SetInputActive(bool active) = 0;
};

}  // namespace CorvantisEngine
