#include "game/GameData.h"

#include "engine/Engine.h"
#include "engine/files/FileManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/ShaderManager.h"

namespace Puzzle {

namespace {
// Shown, on the top GUI layer.
constexpr std::uint32_t kPlayWindowFlags = 5;
constexpr std::uint32_t kPieceWindowFlags = 1;
}  // namespace

std::string GameData::LogoFile(int index, bool alpha) {
  return "data\\ui\\textures\\publishers\\" + std::to_string(index) +
         (alpha ? "_logo_small_alpha.jpg" : "_logo_small.jpg");
}

GameData::GameData(CorvantisEngine::Engine* engine, const std::string& language)
    : DataKeeper(engine, language, true), gui_(engine->GetGUIManager()) {
  logoShader0 = MakeLogo(0);
  logoShader1 = MakeLogo(1);
}

CorvantisEngine::ShaderUser* GameData::MakeLogo(int index) {
  if (!fileManager_->FileExists(LogoFile(index, false)) || !fileManager_->FileExists(LogoFile(index, true))) {
    return nullptr;
  }
  // Texture names are relative to the data folder.
  const std::string folder = "ui\\textures\\publishers\\" + std::to_string(index);
  const CorvantisEngine::ShaderDescriptor descriptor = CorvantisEngine::CreateAnimatedTextureShader(
      1, 1, folder + "_logo_small.jpg", folder + "_logo_small_alpha.jpg", false);
  CorvantisEngine::ShaderUser* user = shaderManager_->GetShader(descriptor);
  AddShaderUserAutoName(user);
  return user;
}

GameData::~GameData() {
  // The worker must not run LoadPending on a half-destroyed keeper.
  StopLoad();
  gui_->DestroyWindow(pieceWindow);
  gui_->DestroyWindow(playWindow);
}

void GameData::LoadPending() {
  DataKeeper::LoadPending();
  if (playWindow == nullptr) {
    playWindow = gui_->CreateModelWindow(kPlayWindowFlags, {0, 0}, {0, 0}, nullptr, nullptr);
    pieceWindow = gui_->CreateModelWindow(kPieceWindowFlags, {0, 0}, {0, 0}, nullptr, playWindow);
    pieceWindow->SetLayer(kPieceLayer);
  }
}

}  // namespace Puzzle
