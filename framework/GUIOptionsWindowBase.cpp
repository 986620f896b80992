#include "framework/GUIOptionsWindowBase.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/StringUtils.h"
#include "framework/AudioManager.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework {

namespace {

constexpr const char* kModeName = "v_mode";
constexpr const char* kUpdateModeName = "g_update_video_mode";

}  // namespace

GUIOptionsWindowBase::GUIOptionsWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                                           ProfileManagerBase* profileManager)
    : GUISettingsWindowBase(engine, audioManager, profileManager) {}

void GUIOptionsWindowBase::Show(std::uint32_t opener) {
  GUIFrameworkWindow::Show(opener);
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bits = 0;
  CorvantisEngine::Config::ParseMode(videoSettings->v_mode, &width, &height, &bits);
  if (!FindVideoMode(width, height, &chosenMode)) {
    chosenMode = GetCurrentModeIndex();
  }
  bitsPerPixel = bits;
  fullScreen = videoSettings->v_fullscreen;
  soundVolume = audioManager->GetSoundVolume();
  musicVolume = audioManager->GetMusicVolume();
}

void GUIOptionsWindowBase::ApplySettings() {
  bool changed = false;
  if (!modes.empty()) {
    const ModeEntry& mode = *modes[std::min<std::size_t>(chosenMode, modes.size() - 1)];
    const std::string text = mode.label + "x" + std::to_string(bitsPerPixel);
    if (CorvantisEngine::StringToLowerCopy(videoSettings->v_mode) != text) {
      videoSettings->v_mode = text;
      changed = true;
    }
  }
  if (videoSettings->v_fullscreen != fullScreen) {
    videoSettings->v_fullscreen = fullScreen;
    changed = true;
  }
  if (changed) {
    config->SetBool(kUpdateModeName, false);
  }
  config->Save();
  StoreProfileVolumes();
}

void GUIOptionsWindowBase::RevertSettings() {
  chosenMode = GetCurrentModeIndex();
  std::uint32_t bits = 0;
  CorvantisEngine::Config::ParseMode(config->GetString(kModeName), nullptr, nullptr, &bits);
  bitsPerPixel = bits;
  fullScreen = 1;
  audioManager->SetSoundVolume(audioManager->GetConfiguredSoundVolume());
  audioManager->SetMusicVolume(audioManager->GetConfiguredMusicVolume());
}

void GUIOptionsWindowBase::PreviewVolumes() {
  audioManager->SetSoundVolume(soundVolume);
  audioManager->SetMusicVolume(musicVolume);
}

void GUIOptionsWindowBase::AddVideoMode(std::uint32_t width, std::uint32_t height) {
  std::uint32_t index = 0;
  if (FindVideoMode(width, height, &index)) {
    return;
  }
  auto entry = std::make_unique<ModeEntry>();
  entry->label = std::to_string(width) + "x" + std::to_string(height);
  entry->width = width;
  entry->height = height;
  modes.push_back(std::move(entry));
  std::stable_sort(modes.begin(), modes.end(), [](const auto& a, const auto& b) {
    return a->width != b->width ? a->width < b->width : a->height < b->height;
  });
}

bool GUIOptionsWindowBase::FindVideoMode(std::uint32_t width, std::uint32_t height,
                                         std::uint32_t* index) const {
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (modes[i]->width == width && modes[i]->height == height) {
      *index = static_cast<std::uint32_t>(i);
      return true;
    }
  }
  return false;
}

std::uint32_t GUIOptionsWindowBase::GetCurrentModeIndex() const {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  CorvantisEngine::Config::ParseMode(config->GetString(kModeName), &width, &height, nullptr);
  std::uint32_t index = 0;
  return FindVideoMode(width, height, &index) ? index : 0;
}

}  // namespace GameFramework
