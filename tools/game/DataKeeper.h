#pragma once
// DataKeeper: the store of named resource prototypes (models, particle systems and shader users) that
// game objects and GUI controls clone or use. It fills itself from resource list files: XML files that
// name each resource, its file and its settings, grouped by element names into slash-separated keys
// ("menu/button"), with "loop" elements that repeat a block under a counter ("%i%", "%i3%" in names and
// file names) and a "language" filter for localised entries. Lists and shader descriptors are read at
// once or queued; Load runs the queued work, on a worker thread when the keeper was made threaded.
//
// Threads: while a worker runs, nobody but the worker touches the keeper; the owner polls
// IsLoadRunning and then calls WaitForLoad, which joins the worker and throws on the calling thread
// whatever the worker threw (a list that does not parse ends in the log's Abort, so FatalError). The
// destructor asks a running worker to stop at the next entry and always joins it. The engine managers
// that the worker calls build textures and buffers in memory only; the device work stays on the main
// thread.
// Ownership: the keeper owns the models and particle systems it stores and its defaults; stored shader
// users are released through the shader manager. The Add operations take ownership of what they are
// given: a refused duplicate is destroyed (or released) at once.
// Failure: a missing name logs an error and answers the default object, never null; a duplicate name
// logs an error; unreadable model and particle files become the managers' substitutes.

#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/resources/ShaderDescriptor.h"
#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {
class Engine;
class MessageManager;
class FileManager;
class ShaderManager;
class TextureManager;
class ModelManager;
class SpriteGroupManager;
class ParticleSystemManager;
class ShaderUser;
class Model;
class SpriteGroup;
class ParticleSystem;
}  // namespace CorvantisEngine

namespace GameTools {

class XMLNode;

class DataKeeper {
 public:
  // A counter of a loop being read: its name and its current value, outermost first.
  using CounterStack = std::vector<std::pair<std::string, std::uint32_t>>;

  // The most passes one loop may make; a larger range is refused with a logged error.
  static constexpr std::uint32_t kMaxLoopPasses = 100000;
  // The widest zero padding a counter token may ask for ("%i20%").
  static constexpr std::uint32_t kMaxCounterWidth = 20;
  // AddShaderUserAutoName's first number; the names have at least 9 digits.
  static constexpr std::uint32_t kAutoNameBase = 123456789;

  // Takes the managers from the engine and makes the defaults. language is the code that "language"
  // attributes of list entries are compared with ("en").
  DataKeeper(CorvantisEngine::Engine* engine, const std::string& language, bool threaded);
  virtual ~DataKeeper();

  DataKeeper(const DataKeeper&) = delete;
  DataKeeper& operator=(const DataKeeper&) = delete;

  // A list file under the data folder ("data\ui\resources_basic.xml"): read now, or queued for Load.
  void LoadResources(const std::string& fileName, bool now);
  // A shader user under a name: made now, or a copy of the descriptor queued for Load.
  void AddShaderDescriptor(const std::string& name, const CorvantisEngine::ShaderDescriptor& descriptor,
                           bool now);

  // Runs the queued work once: on a new worker thread when threaded (returns at once), else here. A
  // worker still known from an earlier Load is joined first (and its failure thrown).
  void Load();
  // Joins a started worker and throws what it threw; nothing when no worker was started.
  void WaitForLoad();
  // True from a threaded Load until its worker has ended (WaitForLoad then returns at once).
  bool IsLoadRunning() const;

  // The stored object, or the default one (after logging an error) when the name is not stored.
  CorvantisEngine::Model* GetModel(const std::string& name);
  CorvantisEngine::ParticleSystem* GetParticleSystem(const std::string& name);
  CorvantisEngine::ShaderUser* GetShaderUser(const std::string& name);

  bool HasModel(const std::string& name) const { return models_.count(name) != 0; }
  bool HasParticleSystem(const std::string& name) const { return particleSystems_.count(name) != 0; }
  bool HasShaderUser(const std::string& name) const { return shaderUsers_.count(name) != 0; }

  // Store an object under a name, taking it over. Null is ignored; a name already stored is logged
  // and the new object destroyed.
  void AddModel(const std::string& name, CorvantisEngine::Model* model);
  void AddParticleSystem(const std::string& name, CorvantisEngine::ParticleSystem* system);
  void AddShaderUser(const std::string& name, CorvantisEngine::ShaderUser* user);
  // Stores the user under the next free generated name ("123456789", "123456790", ...) and returns
  // that name; empty for null.
  std::string AddShaderUserAutoName(CorvantisEngine::ShaderUser* user);

  // Replaces every "%<counter><width>%" token of the text by the counter's value, zero-padded to the
  // width (see the .cpp for the exact rule).
  static std::string ExpandCounters(const std::string& text, const CounterStack& counters);

  const std::string& GetLanguage() const { return language_; }
  float GetProgress() const { return progress_.load(); }
  void SetProgress(float progress) { progress_.store(progress); }
  bool IsStopRequested() const { return stopRequest_.load() != 0; }
  bool IsThreaded() const { return threaded_ != 0; }

  CorvantisEngine::Model* GetDefaultModel() const { return defaultModel_.get(); }
  CorvantisEngine::ParticleSystem* GetDefaultParticleSystem() const { return defaultParticleSystem_.get(); }
  CorvantisEngine::ShaderUser* GetDefaultShaderUser() const { return defaultShaderUser_; }

  const std::map<std::string, CorvantisEngine::Model*>& GetModels() const { return models_; }
  const std::map<std::string, CorvantisEngine::ParticleSystem*>& GetParticleSystems() const {
    return particleSystems_;
  }
  const std::map<std::string, CorvantisEngine::ShaderUser*>& GetShaderUsers() const { return shaderUsers_; }

 protected:
  // The queued work: every queued list file in order, then every queued descriptor. Derived keepers
  // run this first and then load their own data (on the worker when threaded). Each queued item is
  // taken off its queue, so a later Load runs only what was queued since.
  virtual void LoadPending();

  // Asks a running worker to stop at its next entry and joins it, dropping what it threw. A derived
  // keeper that overrides LoadPending calls this first in its own destructor, so that the worker never
  // runs the override on a half-destroyed object; the base destructor does the same for itself.
  void StopLoad();

  // Reads one list file; a file that does not parse ends in the log's Abort (FatalError).
  void LoadFile(const std::string& fileName);
  // Reads one node of a list (see the .cpp for the rules).
  void ParseResources(const XMLNode* node, const std::string& folder, const std::string& prefix,
                      CounterStack& counters);

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* fileManager_;
  CorvantisEngine::ShaderManager* shaderManager_;
  CorvantisEngine::TextureManager* textureManager_;
  CorvantisEngine::ModelManager* modelManager_;
  CorvantisEngine::SpriteGroupManager* spriteGroupManager_;
  CorvantisEngine::ParticleSystemManager* particleSystemManager_;

 private:
  static DWORD WINAPI LoadThreadProc(LPVOID parameter);
  void ReadLoop(const XMLNode* node, const std::string& folder, const std::string& prefix,
                CounterStack& counters);
  void ReadEntry(const XMLNode* node, const std::string& folder, const std::string& prefix,
                 const CounterStack& counters);
  void JoinWorker();

  std::vector<std::string> queuedFiles_;
  std::vector<std::string> queuedShaderNames_;
  std::vector<CorvantisEngine::ShaderDescriptor> queuedShaderDescriptors_;
  std::string language_;
  std::atomic<float> progress_{0.0f};
  std::atomic<std::uint8_t> stopRequest_{0};
  std::uint8_t threaded_;
  HANDLE worker_ = nullptr;
  std::atomic<bool> workerRunning_{false};
  std::exception_ptr workerError_;  // written by the worker, read after it has been joined

  CorvantisEngine::ShaderUser* defaultShaderUser_ = nullptr;  // released through the shader manager
  std::unique_ptr<CorvantisEngine::Model> defaultModel_;
  std::unique_ptr<CorvantisEngine::SpriteGroup> spriteGroup_;
  std::unique_ptr<CorvantisEngine::ParticleSystem> defaultParticleSystem_;

  // Owned (shader users: released through the shader manager).
  std::map<std::string, CorvantisEngine::ShaderUser*> shaderUsers_;
  std::map<std::string, CorvantisEngine::Model*> models_;
  std::map<std::string, CorvantisEngine::ParticleSystem*> particleSystems_;
};

}  // namespace GameTools
