#include "engine/Engine.h"

#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/ControlsFactory.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystemFactory.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/SpriteGroup.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundSystemFactory.h"
#include "engine/window/Window.h"
#include "platform/win32/WinSystem.h"
#include "platform/win32/WinTime.h"

namespace CorvantisEngine {

namespace {

constexpr const char* kDefaultName = "Corvantis Engine";
constexpr std::uint32_t kDefaultVersion = 67;

EngineStartParameters WithDefaults(EngineStartParameters parameters) {
  if (parameters.name.empty()) {
    parameters.name = kDefaultName;
    parameters.version = kDefaultVersion;
  }
  return parameters;
}

}  // namespace

Engine::ComScope::ComScope() {
  initialised = CoInitialize(nullptr) == S_OK ? 1 : 0;
}

Engine::ComScope::~ComScope() {
  if (initialised)
    CoUninitialize();
}

Engine::Engine(const EngineStartParameters& parameters) : parameters_(WithDefaults(parameters)) {
  const EngineStartParameters& p = parameters_;

  log_ = std::make_unique<MessageManager>(p.name, p.htmlLog, p.reopenLog, p.logFolder, p.logName);

  files_ = std::make_unique<FileManager>(log_.get(), p.dataFolder, p.packFolder);

  timers_ = std::make_unique<TimerManager>();

  config_ = std::make_unique<Config>(log_.get(), files_.get(), p.configFolder, p.applicationName,
                                     p.forceDefaultVideoMode != 0, p.defaultVideoMode,
                                     p.forceDefaultFullScreen != 0, p.defaultFullScreen != 0);
  config_->Load();
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Config::ParseMode(config_->v_mode, &width, &height, nullptr);

  // The position is signed on the screen; the record carries it as two u32 values.
  const POINT position{static_cast<LONG>(p.windowX), static_cast<LONG>(p.windowY)};
  window_ = std::make_unique<Window>(log_.get(), config_.get(), GetTitle(), p.hostWindow, p.iconId,
                                     p.minimiseOnFocusLoss != 0, width, height, config_->v_fullscreen != 0,
                                     p.centreWindow != 0, &position);

  renderSystem_ = CreateRenderSystem(log_.get(), config_.get(), window_.get(), p.stencilRequested != 0,
                                     p.keepWindowSize != 0);

  cameras_ = std::make_unique<CameraManager>(log_.get(), window_.get(), renderSystem_.get());

  lights_ = std::make_unique<LightManager>(log_.get(), renderSystem_.get());

  shaders_ = std::make_unique<ShaderManager>(log_.get(), files_.get(), timers_.get(), config_.get(),
                                             renderSystem_.get());

  models_ = std::make_unique<ModelManager>(log_.get(), files_.get(), timers_.get(), renderSystem_.get(),
                                           cameras_.get(), lights_.get(), shaders_.get());

  spriteGroups_ =
      std::make_unique<SpriteGroupManager>(log_.get(), cameras_.get(), shaders_.get(), models_.get());

  particleSystems_ = std::make_unique<ParticleSystemManager>(log_.get(), files_.get(), timers_.get(),
                                                             shaders_.get(), spriteGroups_.get());

  controls_ = CreateControls(log_.get(), timers_.get(), window_.get(), true);

  // Sound is optional: without a device (or when its set-up fails) the game runs silent. The failure has
  // already been logged by the sound system.
  try {
    soundSystem_ = CreateSoundSystem(log_.get(), files_.get(), timers_.get(), config_.get(), window_.get(),
                                     p.use3D != 0);
    soundManager_ = std::make_unique<SoundManager>(log_.get(), files_.get(), soundSystem_.get());
  } catch (const Error&) {
    soundManager_.reset();
    soundSystem_.reset();
  }

  // The GUI comes last; without sound its widgets play nothing.
  gui_ = std::make_unique<GUIManager>(log_.get(), files_.get(), window_.get(), timers_.get(), cameras_.get(),
                                      shaders_.get(), models_.get(), controls_.get(), soundManager_.get());

  RandomSeed(GetTickCount());
}

Engine::~Engine() {
  if (parameters_.saveConfigOnExit && config_)
    config_->Save();

  // Reverse creation order; each reset skips a null slot. Members left out here (the parameter copy,
  // then the COM bracket) go last, by declaration order.
  console_.reset();
  gui_.reset();
  soundManager_.reset();
  soundSystem_.reset();
  controls_.reset();
  particleSystems_.reset();
  spriteGroups_.reset();
  models_.reset();
  shaders_.reset();
  lights_.reset();
  cameras_.reset();
  renderSystem_.reset();
  window_.reset();
  config_.reset();
  timers_.reset();
  files_.reset();
  log_.reset();
}

void Engine::Tick() {
  config_->Update();
  timers_->Update();
  window_->Update();
  controls_->Update();
  gui_->Update();
  if (console_)
    console_->Execute();
  log_->ClearRecords();
}

void Engine::Render() {
  renderSystem_->Refresh();
  cameras_->Update();
  particleSystems_->Update();
  spriteGroups_->Update();
  gui_->Render();
  lights_->Update();
  shaders_->Update();
  // Scene begin, every visible model by depth, scene end (an empty scene still clears the frame).
  models_->Render();
  if (soundSystem_)
    soundSystem_->Refresh();
  if (soundManager_)
    soundManager_->Update(true);
}

void Engine::Update(std::uint32_t sleepMilliseconds) {
  Render();
  if (sleepMilliseconds != 0)
    Sleep(sleepMilliseconds);
  models_->PresentFrame();
  if (controls_->IsKeyPressed("PRINTSCRN"))
    config_->SetBool("sc_take_screenshot", false);
  controls_->EndFrame();
  config_->ClearChangedFlags();
  if (IsExitRequested())
    log_->Message("\nExiting...\n");
}

Console* Engine::CreateConsole(const std::string& title, const ShaderDescriptor* windowTexture,
                               std::uint32_t fontId, std::uint16_t caretChar, std::uint16_t promptChar,
                               std::uint16_t separatorChar, const std::string& keyName, float alpha,
                               float size, float speed) {
  // The old console goes first: it hands its variables back, so the new one binds them to its fields.
  console_.reset();
  console_ = std::make_unique<Console>(log_.get(), timers_.get(), config_.get(), controls_.get(),
                                       shaders_.get(), gui_.get(), title, windowTexture, fontId, caretChar,
                                       promptChar, separatorChar, keyName, alpha, size, speed);
  return console_.get();
}

std::string EngineTitle(const std::string& name, std::uint32_t version) {
  if (name.empty()) {
    return EngineTitle(kDefaultName, kDefaultVersion);
  }
  return name + " " + UIntToString(version / 100) + "." + UIntToString(version % 100, 2);
}

std::string Engine::GetTitle() const {
  return EngineTitle(parameters_.name, parameters_.version);
}

void Engine::RequestExit() {
  config_->SetBool("exit", false);
}

bool Engine::IsExitRequested() const {
  return !config_->GetBool("exit");
}

}  // namespace CorvantisEngine
