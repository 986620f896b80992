#pragma once
// A headless engine (the engine rig) for the GUI toolkit's tests, with a data keeper ("en",
// not threaded), a shown container window for controls, a frame step that sets the timer manager's
// delta, and makers of the resources the window files name: framed models (with a bounding box per
// frame, so an animator has a path) and texture shaders, registered under "ui/" names.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "tests/support/EngineRig.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/ControlDescription.h"

namespace GUITools::guitest {

using namespace CorvantisEngine;

class GUIToolsFixture : public testing::Test {
 protected:
  ~GUIToolsFixture() override {
    if (container_ != nullptr) {
      GetEngine()->GetGUIManager()->DestroyWindow(container_);
    }
    keeper_.reset();
  }

  // The engine starts on first use, so that a test can write its data files first.
  Engine* GetEngine() {
    if (!started_) {
      rig_.Start();
      started_ = true;
      rig_.GetEngine().GetGUIManager()->SetScreenSize(800.0f, 600.0f);
      rig_.GetEngine().GetTimerManager()->delta = 0.0f;
    }
    return &rig_.GetEngine();
  }
  GameTools::DataKeeper* Keeper() {
    if (!keeper_) {
      keeper_ = std::make_unique<GameTools::DataKeeper>(GetEngine(), "en", false);
    }
    return keeper_.get();
  }
  GUIWindow* Container() {
    if (container_ == nullptr) {
      container_ =
          GetEngine()->GetGUIManager()->CreateModelWindow(kGUIShown, {0, 0}, {0, 0}, nullptr, nullptr);
    }
    return container_;
  }
  void SetDelta(float seconds) { GetEngine()->GetTimerManager()->delta = seconds; }

  // A model of `frames` frames whose frame i has its box centred on (x0 + dx * i, y0 + dy * i), under
  // prefix + name in the data keeper, which owns it.
  Model* AddModel(const std::string& name, std::uint32_t frames, Vector2 first = {0, 0},
                  Vector2 step = {0, 0}, const std::string& prefix = "ui/") {
    ModelManager* models = GetEngine()->GetModelManager();
    auto* model = new Model(models->GetServices(), 0x200000, 4, 6, frames, nullptr, nullptr);
    model->name = "model:" + name;
    model->SetFlags(kModelFrames);
    model->frameVertices.resize(static_cast<std::size_t>(4) * frames);
    for (std::uint32_t i = 0; i < frames; ++i) {
      const float x = first.x + step.x * static_cast<float>(i);
      const float y = first.y + step.y * static_cast<float>(i);
      model->frameBoxes.emplace_back(Vector3{x - 1, y - 1, 0}, Vector3{x + 1, y + 1, 0});
    }
    model->animation->speed = 10.0f;
    Keeper()->AddModel(prefix + name, model);
    return model;
  }
  // A one-stage texture shader under prefix + name; its diffuse name tells it apart.
  ShaderUser* AddShader(const std::string& name, const std::string& prefix = "ui/") {
    const ShaderDescriptor descriptor(false, 0, 1, 1, 1, 0.0f, "ui\\" + name + ".tga", "", true);
    ShaderUser* user = GetEngine()->GetShaderManager()->GetShader(descriptor);
    Keeper()->AddShaderUser(prefix + name, user);
    return user;
  }

  // "fixed": a font of size 10 in which every printable ASCII character (the blank too) is half the
  // size wide; and English texts for the keys "greeting", "shout" and "menu/start".
  void WriteFontAndTexts() {
    std::vector<fontbaker::FontGlyphRecord> glyphs;
    float u = 0.0f;
    for (wchar_t c = 32; c < 127; ++c) {
      glyphs.push_back({static_cast<std::uint16_t>(c), u, 0.0f, 0.01f, 0.5f, 0.5f});
      u += 0.01f;
    }
    Write("data/ui/fonts/fixed.fnt", fontbaker::BuildFontFile(glyphs));
    Write("data/ui/fonts/fonts_basic.xml",
          "<fonts><font name=\"fixed\" size=\"10\">"
          "<description_file_path path=\"ui\\fonts\\fixed.fnt\"/>"
          "<diffuse_image_path path=\"ui\\fonts\\fixed.tga\"/><opacity_image_path path=\"32bit\"/>"
          "</font></fonts>\n");
    Write("data/ui/texts/texts.xml",
          "<texts>\n"
          "  <greeting><en text=\"hello\"/><ru text=\"privet\"/></greeting>\n"
          "  <shout><en text=\"LOUD\"/></shout>\n"
          "  <menu><start><en text=\"start game\"/></start></menu>\n"
          "</texts>\n");
    Write("data/ui/texts/default_texts.xml", "<texts/>\n");
  }

  static ControlDescription Describe(const std::string& name, const std::string& model = "",
                                     const std::string& shader = "") {
    ControlDescription d;
    d.name = name;
    d.model = model;
    d.shader = shader;
    return d;
  }
  // The diffuse texture name of a window's model, empty without one.
  static std::string TextureOf(const GUIWindow* window) {
    const ShaderUser* shader = window != nullptr ? window->GetTexture() : nullptr;
    return shader != nullptr && shader->GetStageCount() > 0 ? shader->GetStage(0).diffuseName : "";
  }
  // The texture coordinates of a quad's far corner.
  static Vector2 QuadExtent(const GUIWindow* window) {
    const auto* vertices = reinterpret_cast<const ColouredVertex*>(window->model->vertexBuffer->GetData());
    return {vertices[1].u, vertices[1].v};
  }

  std::vector<std::string> Logged(std::uint32_t type) {
    GetEngine();
    return rig_.Entries(type);
  }
  bool LoggedError(const std::string& text) {
    GetEngine();
    for (const std::string& line : rig_.Errors()) {
      if (line.find(text) != std::string::npos) {
        return true;
      }
    }
    return false;
  }
  void Write(const std::string& relative, const std::string& bytes) { rig_.Write(relative, bytes); }
  void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    rig_.Write(relative, std::string(bytes.begin(), bytes.end()));
  }

  testsupport::EngineRig rig_;
  bool started_ = false;
  std::unique_ptr<GameTools::DataKeeper> keeper_;
  GUIWindow* container_ = nullptr;
};

}  // namespace GUITools::guitest
