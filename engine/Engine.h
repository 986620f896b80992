#pragma once
// Engine: the one object through which a game reaches the whole engine. The constructor creates every
// system in a fixed order, handing each the systems it needs; the destructor deletes them in exactly
// the reverse order, and a construction that fails part-way deletes what it had made, also in reverse.
// Each frame the game calls Tick at the start and Update at the end.
//
// Main thread only (the resource loader's worker uses the managers, never the Engine itself).
// The Engine owns every system; the pointers its getters return do not own.
// Failure: exceptions from a system's construction (FatalError through the log's Abort, Error, FileError)
// leave the constructor; only a failure to start sound is swallowed (the game then runs silent).

#include <cstdint>
#include <memory>
#include <string>

#include "engine/EngineStartParameters.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class TimerManager;
class Controls;
class SoundSystem;
class SoundManager;
class Config;
class Window;
class RenderSystem;
class CameraManager;
class LightManager;
class ModelManager;
class SpriteGroupManager;
class ParticleSystemManager;
class ShaderManager;
class GUIManager;
class Console;
class ShaderDescriptor;

// The window title of an engine started with this name and version: the name, a space, then the
// version as "1.00". An empty name stands for the engine itself, with its own name and version.
std::string EngineTitle(const std::string& name, std::uint32_t version);

class Engine {
 public:
  explicit Engine(const EngineStartParameters& parameters);
  virtual ~Engine();

  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The frame start: configuration, timers, window, controls, GUI, console, then the log's records of
  // the previous frame are cleared.
  void Tick();
  // The frame end: Render, an optional sleep, present, end-of-frame input and configuration steps.
  void Update(std::uint32_t sleepMilliseconds);
  // The render pass that Update runs first.
  void Render();

  // The window title: name, a space, then the version as "1.00".
  std::string GetTitle() const;
  // Issues the "exit" command; the game's main loop ends on IsExitRequested.
  void RequestExit();
  bool IsExitRequested() const;

  const EngineStartParameters& GetParameters() const { return parameters_; }
  MessageManager* GetMessageManager() const { return log_.get(); }
  FileManager* GetFileManager() const { return files_.get(); }
  TimerManager* GetTimerManager() const { return timers_.get(); }
  Config* GetConfig() const { return config_.get(); }
  Window* GetWindow() const { return window_.get(); }
  RenderSystem* GetRenderSystem() const { return renderSystem_.get(); }
  CameraManager* GetCameraManager() const { return cameras_.get(); }
  LightManager* GetLightManager() const { return lights_.get(); }
  ShaderManager* GetShaderManager() const { return shaders_.get(); }
  ModelManager* GetModelManager() const { return models_.get(); }
  SpriteGroupManager* GetSpriteGroupManager() const { return spriteGroups_.get(); }
  ParticleSystemManager* GetParticleSystemManager() const { return particleSystems_.get(); }
  Controls* GetControls() const { return controls_.get(); }
  // Null when sound failed to start: the game then runs silent.
  SoundSystem* GetSoundSystem() const { return soundSystem_.get(); }
  SoundManager* GetSoundManager() const { return soundManager_.get(); }
  GUIManager* GetGUIManager() const { return gui_.get(); }
  // Null until CreateConsole.
  Console* GetConsole() const { return console_.get(); }

  // Makes the drop-down console over the engine's systems with the caller's look (a window texture, may
  // be null; the font id; caret, prompt and separator characters as UTF-16 units; its key name, alpha,
  // size in GUI units and slide speed in GUI units per second). A second call replaces the console.
  Console* CreateConsole(const std::string& title, const ShaderDescriptor* windowTexture,
                         std::uint32_t fontId, std::uint16_t caretChar, std::uint16_t promptChar,
                         std::uint16_t separatorChar, const std::string& keyName, float alpha, float size,
                         float speed);

 private:
  // Brackets the engine's life with CoInitialize/CoUninitialize; uninitialises only after a success.
  struct ComScope {
    ComScope();
    ~ComScope();
    std::uint8_t initialised = 0;
  };

  // The systems below are declared in creation order, so C++ destroys them in reverse both in ~Engine
  // and when the constructor throws part-way. A system that lands takes its slot; keep the order.
  ComScope com_;
  EngineStartParameters parameters_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<TimerManager> timers_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
  // Created as RenderSystem_D3D7.
  std::unique_ptr<RenderSystem> renderSystem_;
  std::unique_ptr<CameraManager> cameras_;
  std::unique_ptr<LightManager> lights_;
  // Owns the texture manager.
  std::unique_ptr<ShaderManager> shaders_;
  std::unique_ptr<ModelManager> models_;
  std::unique_ptr<SpriteGroupManager> spriteGroups_;
  std::unique_ptr<ParticleSystemManager> particleSystems_;
  // Created as Controls_DI7.
  std::unique_ptr<Controls> controls_;
  // Created as SoundSystem_DS7; null when sound failed to start.
  std::unique_ptr<SoundSystem> soundSystem_;
  // Null when sound failed to start.
  std::unique_ptr<SoundManager> soundManager_;
  std::unique_ptr<GUIManager> gui_;
  // Null until CreateConsole.
  std::unique_ptr<Console> console_;
};

}  // namespace CorvantisEngine
