#pragma once
// A console view with a fixed-width font: every character is `charWidth` wide unless listed in `wide`.
// It records the window's state, the edit box and the texts printed in the current frame.

#include <map>
#include <string>
#include <vector>

#include "engine/console/ConsoleView.h"

namespace consoletest {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector4;

struct PrintedText {
  Vector2 position;
  Vector4 colour;
  std::wstring text;
};

class FakeConsoleView : public CorvantisEngine::ConsoleView {
 public:
  float GetScreenWidth() const override { return screenWidth; }
  float GetScreenHeight() const override { return screenHeight; }
  float GetFontSize() const override { return fontSize; }
  float GetTextWidth(const std::wstring& text) const override {
    float width = 0.0f;
    for (wchar_t c : text) {
      auto found = wide.find(c);
      width += found != wide.end() ? found->second : charWidth;
    }
    ++measured;
    return width;
  }
  float GetWindowY() const override { return windowY; }
  void SetWindowY(float y) override { windowY = y; }
  void ShowWindow(bool shown) override { this->shown = shown; }
  void SetWindowColour(const Vector4& colour) override { windowColour = colour; }
  void PrintText(const Vector2& position, const Vector4& colour, const std::wstring& text) override {
    printed.push_back({position, colour, text});
  }
  std::wstring GetInputText() const override { return input; }
  void SetInputText(const std::wstring& text) override { input = text; }
  void SetInputActive(bool active) override { inputActive = active; }

  float screenWidth = 800.0f;
  float screenHeight = 600.0f;
  float fontSize = 20.0f;
  float charWidth = 10.0f;
  std::map<wchar_t, float> wide;
  mutable int measured = 0;

  float windowY = -1.0f;
  bool shown = true;
  bool inputActive = true;
  Vector4 windowColour;
  std::vector<PrintedText> printed;
  std::wstring input;
};

}  // namespace consoletest
