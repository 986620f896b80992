#include "tools/game/DataKeeper.h"

#include <cctype>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "engine/resources/SpriteGroup.h"
#include "platform/win32/WinThreads.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"

namespace GameTools {

using namespace CorvantisEngine;

namespace {

const XMLValue* Attribute(const XMLNode* node, const char* name) {
  return node->GetAttribute(name);
}

std::string AttributeText(const XMLNode* node, const char* name) {
  const XMLValue* value = Attribute(node, name);
  return value != nullptr ? value->GetString() : std::string();
}

// A path inside a list's folder; a list lying directly in the data folder has an empty folder.
std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "\\" + name;
}

// The folder that names inside a list are relative to: the list's folder without everything up to
// and including the first "data\" ("data\ui\background\resources_basic.xml" gives "ui\background").
std::string ListFolder(const std::string& fileName) {
  std::string folder = FileManager::GetFolder(fileName) + "\\";
  const std::size_t data = folder.find("data\\");
  if (data != std::string::npos) {
    folder.erase(0, data + 5);
  }
  if (!folder.empty()) {
    folder.pop_back();
  }
  return folder;
}

std::uint32_t AnimationType(const std::string& text) {
  if (text == "net") {
    return 1;
  }
  if (text == "diffuse") {
    return 2;
  }
  if (text == "opacity") {
    return 3;
  }
  if (text == "diffuse_and_opacity") {
    return 4;
  }
  return 0;
}

}  // namespace

DataKeeper::DataKeeper(Engine* engine, const std::string& language, bool threaded)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      fileManager_(engine->GetFileManager()),
      shaderManager_(engine->GetShaderManager()),
      textureManager_(engine->GetShaderManager()->GetTextureManager()),
      modelManager_(engine->GetModelManager()),
      spriteGroupManager_(engine->GetSpriteGroupManager()),
      particleSystemManager_(engine->GetParticleSystemManager()),
      language_(language),
      threaded_(threaded ? 1 : 0) {
  defaultShaderUser_ = shaderManager_->GetShader(ShaderDescriptor());
  try {
    defaultModel_.reset(modelManager_->NewBoxModel(Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f)));
    spriteGroup_.reset(spriteGroupManager_->NewSpriteGroup(1, defaultShaderUser_, nullptr));
    spriteGroup_->SetVisible(false);
    defaultParticleSystem_.reset(particleSystemManager_->NewParticleSystem(nullptr));
    defaultParticleSystem_->SetVisible(false);
  } catch (...) {
    defaultParticleSystem_.reset();
    spriteGroup_.reset();
    defaultModel_.reset();
    shaderManager_->RemoveShader(defaultShaderUser_);
    throw;
  }
}

DataKeeper::~DataKeeper() {
  StopLoad();
  for (auto& [name, user] : shaderUsers_) {
    shaderManager_->RemoveShader(user);
  }
  shaderUsers_.clear();
  for (auto& [name, model] : models_) {
    delete model;
  }
  models_.clear();
  for (auto& [name, system] : particleSystems_) {
    delete system;
  }
  particleSystems_.clear();
  shaderManager_->RemoveShader(defaultShaderUser_);
  defaultModel_.reset();
  spriteGroup_.reset();
  defaultParticleSystem_.reset();
}

void DataKeeper::LoadResources(const std::string& fileName, bool now) {
  if (now) {
    LoadFile(fileName);
  } else {
    queuedFiles_.push_back(fileName);
  }
}

void DataKeeper::AddShaderDescriptor(const std::string& name, const ShaderDescriptor& descriptor, bool now) {
  if (now) {
    AddShaderUser(name, shaderManager_->GetShader(descriptor));
  } else {
    queuedShaderNames_.push_back(name);
    queuedShaderDescriptors_.push_back(descriptor);
  }
}

void DataKeeper::Load() {
  if (worker_ != nullptr) {
    WaitForLoad();
  }
  stopRequest_.store(0);
  if (!threaded_) {
    LoadPending();
    return;
  }
  workerError_ = nullptr;
  workerRunning_.store(true);
  worker_ = CreateThread(nullptr, 0, &DataKeeper::LoadThreadProc, this, 0, nullptr);
  if (worker_ == nullptr) {
    workerRunning_.store(false);
    log_->Abort("Failed to create \"DataKeeper::Load\" thread");
  }
}

DWORD DataKeeper::LoadThreadProc(LPVOID parameter) {
  auto* keeper = static_cast<DataKeeper*>(parameter);
  // An exception must not leave the thread (that would end the process without the error box and
  // without teardown): it is kept and thrown again on the thread that joins the worker.
  try {
    keeper->LoadPending();
  } catch (...) {
    keeper->workerError_ = std::current_exception();
  }
  keeper->workerRunning_.store(false);
  return 1;
}

void DataKeeper::StopLoad() {
  if (worker_ == nullptr) {
    return;
  }
  stopRequest_.store(1);
  JoinWorker();
  // The worker's failure was logged where it happened; nobody is left to hand it to.
  workerError_ = nullptr;
}

void DataKeeper::JoinWorker() {
  if (worker_ == nullptr) {
    return;
  }
  WaitForSingleObject(worker_, INFINITE);
  CloseHandle(worker_);
  worker_ = nullptr;
  workerRunning_.store(false);
}

void DataKeeper::WaitForLoad() {
  JoinWorker();
  if (workerError_) {
    std::exception_ptr error = std::move(workerError_);
    workerError_ = nullptr;
    std::rethrow_exception(error);
  }
}

bool DataKeeper::IsLoadRunning() const {
  return workerRunning_.load();
}

void DataKeeper::LoadPending() {
  std::vector<std::string> files = std::move(queuedFiles_);
  std::vector<std::string> names = std::move(queuedShaderNames_);
  std::vector<ShaderDescriptor> descriptors = std::move(queuedShaderDescriptors_);
  queuedFiles_.clear();
  queuedShaderNames_.clear();
  queuedShaderDescriptors_.clear();
  for (const std::string& file : files) {
    if (IsStopRequested()) {
      return;
    }
    LoadFile(file);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (IsStopRequested()) {
      return;
    }
    AddShaderUser(names[i], shaderManager_->GetShader(descriptors[i]));
  }
}

void DataKeeper::LoadFile(const std::string& fileName) {
  XMLNode document;
  try {
    XMLParser parser(fileManager_);
    parser.Parse(&document, fileName);
  } catch (const FileError& error) {
    log_->Abort(error.GetMessage());
  }
  CounterStack counters;
  ParseResources(&document, ListFolder(fileName), std::string(), counters);
}

void DataKeeper::ParseResources(const XMLNode* node, const std::string& folder, const std::string& prefix,
                                CounterStack& counters) {
  if (IsStopRequested()) {
    return;
  }
  if (node->GetName() == "loop") {
    ReadLoop(node, folder, prefix, counters);
    return;
  }
  if (!AttributeText(node, "name").empty()) {
    ReadEntry(node, folder, prefix, counters);
    return;
  }
  // A group: its name becomes part of the keys below it, except for the document and "resources".
  const std::string& name = node->GetName();
  const std::string childPrefix = (name.empty() || name == "resources") ? prefix : prefix + name + "/";
  for (const XMLNode* child : node->GetChildList()) {
    ParseResources(child, folder, childPrefix, counters);
  }
}

void DataKeeper::ReadLoop(const XMLNode* node, const std::string& folder, const std::string& prefix,
                          CounterStack& counters) {
  const XMLValue* counterValue = Attribute(node, "counter");
  const std::string counter = counterValue != nullptr ? counterValue->GetString() : std::string("i");
  const XMLValue* startValue = Attribute(node, "start");
  const XMLValue* countValue = Attribute(node, "count");
  const std::int64_t start = startValue != nullptr ? startValue->GetInt() : 0;
  const std::int64_t count = countValue != nullptr ? countValue->GetInt() : 0;
  // "count" is the end value. A negative bound or a range that would take ages is refused rather than
  // read as a huge unsigned number.
  if (start < 0 || count < 0 || count - start > static_cast<std::int64_t>(kMaxLoopPasses)) {
    log_->Error("(DataKeeper::ParseResources): Loop with \"" + counter + "\" counter has incorrect range (" +
                std::to_string(start) + ", " + std::to_string(count) + ")");
    return;
  }
  counters.emplace_back(counter, 0);
  const std::size_t slot = counters.size() - 1;
  for (std::int64_t value = start; value < count && !IsStopRequested(); ++value) {
    counters[slot].second = static_cast<std::uint32_t>(value);
    for (const XMLNode* child : node->GetChildList()) {
      ParseResources(child, folder, prefix, counters);
    }
  }
  counters.pop_back();
}

void DataKeeper::ReadEntry(const XMLNode* node, const std::string& folder, const std::string& prefix,
                           const CounterStack& counters) {
  const XMLValue* language = Attribute(node, "language");
  if (language != nullptr && language->GetString() != language_) {
    return;
  }
  const std::string name = prefix + ExpandCounters(AttributeText(node, "name"), counters);
  const std::string& kind = node->GetName();

  if (kind == "model") {
    const XMLValue* file = Attribute(node, "file_name");
    const std::string fileName = file != nullptr ? file->GetString() : std::string("unknown_file_name");
    const XMLValue* colours = Attribute(node, "color_verticies");
    const bool coloured = colours != nullptr && colours->GetBool();
    Model* model = modelManager_->LoadModel(InFolder(folder, ExpandCounters(fileName, counters)), nullptr,
                                            coloured ? kModelColoured : 0);
    const XMLValue* speed = Attribute(node, "animation_speed");
    if (speed != nullptr && model != nullptr && model->animation != nullptr) {
      model->animation->speed = speed->GetFloat();
    }
    AddModel(name, model);
  } else if (kind == "shader") {
    const XMLValue* diffuse = Attribute(node, "diffuse_file_name");
    const std::string diffusePath =
        diffuse != nullptr ? InFolder(folder, ExpandCounters(diffuse->GetString(), counters)) : std::string();
    const XMLValue* opacity = Attribute(node, "opacity_file_name");
    std::string opacityPath;
    if (opacity != nullptr) {
      // Exactly "32bit" means the diffuse image's own alpha; it is no file name.
      opacityPath = opacity->GetString() == "32bit"
                        ? opacity->GetString()
                        : InFolder(folder, ExpandCounters(opacity->GetString(), counters));
    }
    const XMLValue* clampValue = Attribute(node, "clamp");
    const bool clamp = clampValue == nullptr || clampValue->GetBool();
    const XMLValue* typeValue = Attribute(node, "animation_type");
    const std::uint32_t type = typeValue != nullptr ? AnimationType(typeValue->GetString()) : 0;
    std::int32_t columns = 1;
    std::int32_t rows = 1;
    if (const XMLValue* net = Attribute(node, "net_size")) {
      net->GetIntPair(columns, rows);
    }
    const XMLValue* framesValue = Attribute(node, "frame_count");
    const std::int32_t frames = framesValue != nullptr ? framesValue->GetInt() : 1;
    const XMLValue* speedValue = Attribute(node, "animation_speed");
    const float speed = speedValue != nullptr ? speedValue->GetFloat() : 0.0f;
    const ShaderDescriptor descriptor(true, type, static_cast<std::uint32_t>(columns),
                                      static_cast<std::uint32_t>(rows), static_cast<std::uint32_t>(frames),
                                      speed, diffusePath, opacityPath, clamp);
    AddShaderUser(name, shaderManager_->GetShader(descriptor));
  } else if (kind == "particles") {
    const XMLValue* file = Attribute(node, "file_name");
    const std::string fileName = file != nullptr ? file->GetString() : std::string("unknown_file_name");
    AddParticleSystem(name, particleSystemManager_->LoadParticleSystem(
                                InFolder(folder, ExpandCounters(fileName, counters)), nullptr));
  }
}

std::string DataKeeper::ExpandCounters(const std::string& text, const CounterStack& counters) {
  std::string result = text;
  for (const auto& [counter, value] : counters) {
    const std::size_t open = result.find("%" + counter);
    if (open == std::string::npos) {
      continue;
    }
    const std::size_t widthStart = open + 1 + counter.size();
    const std::size_t close = result.find('%', widthStart);
    if (close == std::string::npos) {
      continue;
    }
    // The width is the run of digits after the name; anything else reads as no padding. It is
    // clamped so that a broken list cannot ask for an absurd number of zeros.
    std::uint32_t width = 0;
    for (std::size_t i = widthStart; i < close && std::isdigit(static_cast<unsigned char>(result[i])); ++i) {
      width = width * 10 + static_cast<std::uint32_t>(result[i] - '0');
      if (width > kMaxCounterWidth) {
        width = kMaxCounterWidth;
      }
    }
    const std::string token = result.substr(open, close - open + 1);
    StringReplaceAll(result, token, UIntToString(value, static_cast<int>(width)));
  }
  return result;
}

namespace {

// The object stored under the name, else the fallback after logging what was asked for.
template <class T>
T* FindOrDefault(MessageManager* log, const std::map<std::string, T*>& map, const std::string& name,
                 T* fallback, const char* operation) {
  const auto found = map.find(name);
  if (found != map.end()) {
    return found->second;
  }
  log->Error(std::string("(DataKeeper::") + operation + "): There is no \"" + name + "\" resource");
  return fallback;
}

// Stores the object under the name, taking it over; a name already there keeps its object and the new
// one is handed to destroy.
template <class T, class Destroy>
void StoreOrDestroy(MessageManager* log, std::map<std::string, T*>& map, const std::string& name, T* object,
                    const char* operation, const char* what, Destroy destroy) {
  if (object == nullptr) {
    return;
  }
  if (!map.emplace(name, object).second) {
    log->Error(std::string("(DataKeeper::") + operation + "): " + what + " \"" + name + "\" is duplicated");
    destroy(object);
  }
}

}  // namespace

Model* DataKeeper::GetModel(const std::string& name) {
  return FindOrDefault(log_, models_, name, defaultModel_.get(), "GetModel");
}

ParticleSystem* DataKeeper::GetParticleSystem(const std::string& name) {
  return FindOrDefault(log_, particleSystems_, name, defaultParticleSystem_.get(), "GetParticleSystem");
}

ShaderUser* DataKeeper::GetShaderUser(const std::string& name) {
  return FindOrDefault(log_, shaderUsers_, name, defaultShaderUser_, "GetShaderUser");
}

void DataKeeper::AddModel(const std::string& name, Model* model) {
  StoreOrDestroy(log_, models_, name, model, "AddModel", "Model", [](Model* refused) { delete refused; });
}

void DataKeeper::AddParticleSystem(const std::string& name, ParticleSystem* system) {
  StoreOrDestroy(log_, particleSystems_, name, system, "AddParticleSystem", "Particle System",
                 [](ParticleSystem* refused) { delete refused; });
}

void DataKeeper::AddShaderUser(const std::string& name, ShaderUser* user) {
  StoreOrDestroy(log_, shaderUsers_, name, user, "AddShaderUser", "Shader User",
                 [this](ShaderUser* refused) { shaderManager_->RemoveShader(refused); });
}

std::string DataKeeper::AddShaderUserAutoName(ShaderUser* user) {
  if (user == nullptr) {
    return std::string();
  }
  const std::string name = UIntToString(static_cast<std::uint32_t>(shaderUsers_.size()) + kAutoNameBase, 9);
  AddShaderUser(name, user);
  return name;
}

}  // namespace GameTools
