#pragma once
// The services a GUI needs over the recording render system of the model tests, a GUI manager without
// window, controls or sound, and a fixed-width test font: every letter and digit is 0.5 of the size
// wide, so at size 10 a character is 5 units wide and 10 high.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/models/ModelFixture.h"
#include "tools/fontbaker/FontFileWriter.h"

namespace CorvantisEngine::guitest {

inline std::vector<fontbaker::FontGlyphRecord> FixedWidthGlyphs(const std::wstring& codes,
                                                                float width = 0.5f) {
  std::vector<fontbaker::FontGlyphRecord> glyphs;
  float u = 0.0f;
  for (const wchar_t code : codes) {
    glyphs.push_back({static_cast<std::uint16_t>(code), u, 0.25f, 0.01f, 0.5f, width});
    u += 0.01f;
  }
  return glyphs;
}

inline std::wstring LettersAndDigits() {
  std::wstring codes;
  for (wchar_t c = L'A'; c <= L'Z'; ++c)
    codes += c;
  for (wchar_t c = L'a'; c <= L'z'; ++c)
    codes += c;
  for (wchar_t c = L'0'; c <= L'9'; ++c)
    codes += c;
  codes += L'_';
  return codes;
}

class GUIFixture : public modeltest::ModelFixture {
 protected:
  static constexpr std::uint32_t kFont = 7;

  GUIFixture() {
    gui_ = std::make_unique<GUIManager>(&log_, files_.get(), nullptr, &timers_, cameras_.get(),
                                        shaders_.get(), models_.get(), nullptr, nullptr);
    gui_->SetScreenSize(800.0f, 600.0f);
    WriteData("fonts\\test.fnt", fontbaker::BuildFontFile(FixedWidthGlyphs(LettersAndDigits())));
  }
  ~GUIFixture() override { gui_.reset(); }

  GUIFont* MakeFont(std::uint32_t id = kFont, float size = 10.0f) {
    GUIFont* font = gui_->GetFontManager()->CreateFont(id, nullptr, "fonts\\test.fnt");
    font->size = size;
    return font;
  }

  GUIServices Services() {
    return GUIServices{&log_,
                       shaders_.get(),
                       models_.get(),
                       gui_->GetFontManager(),
                       gui_->GetTextManager(),
                       gui_->GetCamera()};
  }

  GUIWindow* Window(std::uint32_t flags, Vector2 position = {100, 100}, Vector2 size = {200, 100},
                    GUIWindow* parent = nullptr) {
    return gui_->CreateWindow(flags, position, size, nullptr, parent, {1, 1});
  }

  // The x, y of the font model's vertex i.
  static Vector2 VertexAt(const GUIFont& font, std::uint32_t i) {
    const auto* vertices = reinterpret_cast<const ColouredVertex*>(font.model->vertexBuffer->GetData());
    return {vertices[i].x, vertices[i].y};
  }

  std::unique_ptr<GUIManager> gui_;
};

}  // namespace CorvantisEngine::guitest
