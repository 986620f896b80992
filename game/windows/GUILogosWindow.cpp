#include "game/windows/GUILogosWindow.h"

#include <algorithm>
#include <string>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"

namespace Puzzle {

namespace {
constexpr float kEpsilon = 0.0001f;
}  // namespace

GUILogosWindow::GUILogosWindow(CorvantisEngine::Engine* engine)
    : engine(engine), fileManager(engine->GetFileManager()), guiManager(engine->GetGUIManager()) {
  using namespace CorvantisEngine;
  root = guiManager->CreateModelWindow(kGUIShown | kGUILayer2, {0, 0}, {0, 0}, nullptr, nullptr);
  logo0 = MakeLogo(0);
  {
    // The second logo is first drawn when the first fades: its picture is read while the first
    // stands still (Update).
    const CorvantisEngine::TextureManager::SurfacesOnFirstUse later;
    logo1 = MakeLogo(1);
  }
  if (logo0 == nullptr) {
    logo0 = logo1;
    logo1 = nullptr;
  }
  // The first logo lies in front of the second, which shows through while the first fades.
  if (logo0 != nullptr) {
    logo0->SetLayer(kFrontLayer);
  }
  if (logo1 != nullptr) {
    logo1->SetLayer(kBackLayer);
  }
}

void GUILogosWindow::ShowFirstLogo(CorvantisEngine::Engine* engine) {
  using namespace CorvantisEngine;
  FileManager* files = engine->GetFileManager();
  const std::string file = "data\\" + LogoFile(0);
  if (!files->FileExists(file)) {
    return;
  }
  Image picture;
  try {
    if (!picture.Load(engine->GetMessageManager(), files, file)) {
      return;
    }
  } catch (const FileError&) {
    return;  // reported when the window makes the logo
  }
  // The logo's part of the picture (its lower-left corner, where the window's texture coordinates
  // start), over the whole screen as its window lies.
  const auto width = static_cast<std::uint32_t>(static_cast<float>(picture.GetWidth()) * kShownWidth + 0.5f);
  const auto height =
      static_cast<std::uint32_t>(static_cast<float>(picture.GetHeight()) * kShownHeight + 0.5f);
  if (width == 0 || height == 0) {
    return;
  }
  Image logo;
  logo.Create(engine->GetMessageManager(), width, height, picture.GetBitsPerPixel());
  logo.Paste(0, 0, picture);
  engine->GetRenderSystem()->CopyImageToScreen(logo);
}

std::string GUILogosWindow::LogoFile(int index) {
  return "ui\\textures\\publishers\\" + std::to_string(index) + "_logo_big.jpg";
}

CorvantisEngine::GUIWindow* GUILogosWindow::MakeLogo(int index) {
  using namespace CorvantisEngine;
  if (!fileManager->FileExists("data\\" + LogoFile(index))) {
    return nullptr;
  }
  const ShaderDescriptor texture = CreateTextureShader(LogoFile(index), "32bit", false);
  GUIWindow* logo = guiManager->CreateWindow(kGUIShown | kGUIColoured, {0, 0}, {800, 600}, &texture, root,
                                             {kShownWidth, kShownHeight});
  ShowAsCover(logo, true);
  return logo;
}

void GUILogosWindow::ShowAsCover(CorvantisEngine::GUIWindow* logo, bool opaque) {
  // A logo is a JPEG picture (no transparent texel) over the whole GUI screen: while it is drawn at
  // full opacity nothing behind it shows, so nothing behind it is drawn.
  if (logo != nullptr && logo->model != nullptr) {
    logo->model->coversView = opaque;
  }
}

GUILogosWindow::~GUILogosWindow() {
  if (logo0 != nullptr) {
    guiManager->DestroyWindow(logo0);
  }
  if (logo1 != nullptr) {
    guiManager->DestroyWindow(logo1);
  }
  guiManager->DestroyWindow(root);
}

void GUILogosWindow::Show(std::uint32_t opener) {
  GUILogosWindowBase::Show(opener);
  shown = 1;
}

void GUILogosWindow::Hide() {
  GUILogosWindowBase::Hide();
  shown = 0;
  if (logo0 != nullptr) {
    guiManager->DestroyWindow(logo0);
    logo0 = nullptr;
  }
  if (logo1 != nullptr) {
    guiManager->DestroyWindow(logo1);
    logo1 = nullptr;
  }
}

void GUILogosWindow::Update() {
  GUILogosWindowBase::Update();
  if (shown == 0) {
    return;
  }
  if (logo0 == nullptr) {
    result = 1;
    return;
  }
  time += engine->GetTimerManager()->delta;
  ++updates;
  if (updates > 1 && logo0->visible != 0 && time < kOpaqueTime) {
    // The first logo stands still: a pause does not show. The textures start-up made for later get
    // their surfaces now, one a frame, rather than in the first frame or in the first frame of the
    // screen that draws them.
    engine->GetShaderManager()->GetTextureManager()->BuildWaitingSurface();
  }
  const float alpha = std::max(0.0f, 1.0f - std::max(0.0f, time - kOpaqueTime));
  CorvantisEngine::GUIWindow* current = nullptr;
  if (logo0->visible != 0) {
    current = logo0;
  } else if (logo1 != nullptr && logo1->visible != 0) {
    current = logo1;
  }
  if (current == nullptr) {
    result = 1;
    return;
  }
  current->SetColour({1.0f, 1.0f, 1.0f, alpha});
  ShowAsCover(current, alpha >= 1.0f);
  if (alpha < kEpsilon) {
    time = 0.0f;
    current->ClearState(CorvantisEngine::kGUIShown);
  }
}

}  // namespace Puzzle
