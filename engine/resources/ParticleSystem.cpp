#include "engine/resources/ParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/SpriteGroup.h"

namespace CorvantisEngine {

namespace {

constexpr std::uint32_t kKeys = ParticleParameters::kKeys;

// Where fraction f (0 <= f < 1) of a period falls among six keys: the key index, the next one and the
// weight of the next one. Out-of-range or NaN fractions are held to the period.
struct KeyPosition {
  std::uint32_t k;
  std::uint32_t k1;
  float t;
};

KeyPosition Locate(float f) {
  if (!(f > 0.0f)) {
    f = 0.0f;
  }
  if (f > 1.0f) {
    f = 1.0f;
  }
  const float scaled = 5.0f * f;
  const auto k = std::min<std::uint32_t>(static_cast<std::uint32_t>(scaled), kKeys - 1);
  return KeyPosition{k, (k + 1) % kKeys, scaled - static_cast<float>(k)};
}

float KeyValue(const float* keys, float f) {
  const KeyPosition at = Locate(f);
  return keys[at.k1] * at.t + keys[at.k] * (1.0f - at.t);
}

Vector3 KeyValue(const Vector3* keys, float f) {
  const KeyPosition at = Locate(f);
  return keys[at.k1] * at.t + keys[at.k] * (1.0f - at.t);
}

Vector4 KeyValue(const Vector4* keys, float f) {
  const KeyPosition at = Locate(f);
  return keys[at.k1] * at.t + keys[at.k] * (1.0f - at.t);
}

}  // namespace

void ParticleSystem::StoreServices(const ParticleServices& services) {
  log = services.log;
  fileManager = services.fileManager;
  timerManager = services.timerManager;
  shaderManager = services.shaderManager;
  spriteGroupManager = services.spriteGroupManager;
}

void ParticleSystem::ResetParticles() {
  particles.assign(maxParticles, Particle());
  freeParticles.clear();
  for (std::uint32_t i = maxParticles; i > 0; --i) {
    freeParticles.push_back(i - 1);
  }
}

ParticleSystem::ParticleSystem(const ParticleServices& services, Camera* camera) {
  StoreServices(services);
  spawnBox.SetBox(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f));
  ResetParticles();
  const ShaderDescriptor descriptor(0);
  spriteGroup = spriteGroupManager->CreateSpriteGroup(maxParticles, &descriptor, camera);
}

ParticleSystem::ParticleSystem(const ParticleServices& services, const std::string& fileName,
                               Camera* camera) {
  StoreServices(services);
  name = fileName;
  ParticleFileData data;
  {
    std::unique_ptr<FileBinary> file(fileManager->OpenFile(FileManager::MakeDataPath(fileName), false));
    ReadParticleFile(*file, fileName, data);
  }
  maxParticles = data.maxParticles;
  if (maxParticles > kMaxParticlesLimit) {
    if (log != nullptr) {
      log->Warning("\"" + fileName + "\" asks for more particles than a system holds; it gets " +
                   std::to_string(kMaxParticlesLimit));
    }
    maxParticles = kMaxParticlesLimit;
  }
  parameters = data.parameters;
  spawnMode = data.spawnMode;
  spawnBox.SetBox(data.spawnMin, data.spawnMax);
  ResetParticles();

  // A missing or broken shader file costs only the material (the reader has logged why).
  std::string shaderName = fileName;
  FileManager::ChangeExtension(shaderName, "srf");
  std::unique_ptr<ShaderDescriptor> descriptor;
  try {
    descriptor = std::make_unique<ShaderDescriptor>(log, fileManager, shaderName);
  } catch (const Error&) {
    descriptor = std::make_unique<ShaderDescriptor>(0);
  }
  spriteGroup = spriteGroupManager->CreateSpriteGroup(maxParticles, descriptor.get(), camera);
}

ParticleSystem::ParticleSystem(const ParticleSystem& source)
    : log(source.log),
      fileManager(source.fileManager),
      timerManager(source.timerManager),
      shaderManager(source.shaderManager),
      spriteGroupManager(source.spriteGroupManager),
      name(source.name),
      parameters(source.parameters),
      maxParticles(source.maxParticles),
      spawnMode(source.spawnMode),
      spawnBox(source.spawnBox) {
  ResetParticles();
  spriteGroup = spriteGroupManager->CloneSpriteGroup(*source.spriteGroup, false);
}

ParticleSystem::~ParticleSystem() {
  spriteGroupManager->DestroySpriteGroup(spriteGroup);
}

void ParticleSystem::SetColour(const Vector4& colour) {
  spriteGroup->colour = colour;
}

ShaderUser* ParticleSystem::GetShader() const {
  return spriteGroup->GetShader();
}

Model* ParticleSystem::GetModel() const {
  return spriteGroup->GetModel();
}

void ParticleSystem::SetCamera(Camera* camera) {
  Model* model = spriteGroup->GetModel();
  if (model != nullptr) {
    model->SetCamera(camera);
    spriteGroup->camera = model->camera;
  } else {
    spriteGroup->camera = camera;
  }
}

void ParticleSystem::SetDepth(float depth) {
  if (Model* model = spriteGroup->GetModel()) {
    model->SetFlags(kModelKeepDepth);
    model->depth = depth;
  }
}

bool ParticleSystem::IsVisible() const {
  return spriteGroup->IsVisible();
}

void ParticleSystem::SetVisible(bool visible) {
  spriteGroup->SetVisible(visible);
}

void ParticleSystem::ApplyShaderDescriptor(const ShaderDescriptor& descriptor) {
  spriteGroup->ApplyShaderDescriptor(descriptor);
}

Vector3 ParticleSystem::SpawnPoint() const {
  switch (spawnMode) {
    case 1:
      return position + Vector3(RandomFloatRange(spawnBox.localMin.x, spawnBox.localMax.x),
                                RandomFloatRange(spawnBox.localMin.y, spawnBox.localMax.y),
                                RandomFloatRange(spawnBox.localMin.z, spawnBox.localMax.z));
    case 2: {
      const auto points = static_cast<int>(std::min<std::size_t>(spawnPath.size(), 0x7FFFFFFF));
      if (points == 0) {
        return Vector3();
      }
      if (!interpolatePath) {
        return spawnPath[static_cast<std::size_t>(RandomInt(0, points - 1))];
      }
      if (points < 2) {
        return spawnPath[0];
      }
      const auto j = static_cast<std::size_t>(RandomInt(0, points - 2));
      const float t = RandomFloat();
      return spawnPath[j] * (1.0f - t) + spawnPath[j + 1] * t;
    }
    default:
      return position;
  }
}

void ParticleSystem::Emit(std::uint32_t count, float lifeCentre, float lifeVariation) {
  const ParticleParameters& p = parameters;
  for (std::uint32_t e = 0; e < count && !freeParticles.empty(); ++e) {
    const std::uint32_t index = freeParticles.front();
    const std::uint32_t sprite = spriteGroup->AddSprite(SpawnPoint(), p.sizeKeys[0], p.colourKeys[0]);
    if (sprite == SpriteGroup::kNoSprite) {
      break;
    }
    freeParticles.pop_front();
    Particle& particle = particles[index];
    particle.free = 0;
    particle.sprite = sprite;
    particle.life = RandomFloatAround(lifeCentre, lifeVariation);
    particle.age = 0.0f;
    particle.direction = Vector3();
    for (std::uint32_t i = 0; i < kKeys; ++i) {
      const Vector3& key = p.directionKeys[i];
      const Vector3& variation = p.directionVariationKeys[i];
      if (i == 0 || key.Length() >= 0.05f || variation.Length() >= 0.05f) {
        particle.directionKeys[i] =
            Vector3(RandomFloatAround(key.x, variation.x), RandomFloatAround(key.y, variation.y),
                    RandomFloatAround(key.z, variation.z));
      } else {
        particle.directionKeys[i] = particle.directionKeys[i - 1];
      }
      particle.directionKeys[i].Normalize(1.0f);
      particle.speedKeys[i] = RandomFloatAround(p.speedKeys[i], p.speedVariationKeys[i]);
    }
    particle.speedFactor = 1.0f;
    particle.fallSpeed = 0.0f;
  }
}

void ParticleSystem::Update() {
  if (frozen || !spriteGroup->IsVisible()) {
    return;
  }
  const float dt = timerManager != nullptr ? timerManager->delta : 0.0f;
  const ParticleParameters& p = parameters;
  const bool periodValid = p.duration > 0.0f && std::isfinite(p.duration);

  if (emitting) {
    emitterTime += dt;
    if (!looping) {
      if (!(emitterTime < p.duration)) {
        emitterTime = 0.0f;
        lastKey = -1;
        emitting = false;
      }
    } else {
      // Closed form: a period that is tiny, zero or negative (from a file) cannot stall the frame.
      emitterTime = periodValid ? std::fmod(emitterTime, p.duration) : 0.0f;
      if (!(emitterTime >= 0.0f)) {
        emitterTime = 0.0f;
      }
    }
  }

  if (emitting) {
    const float f = periodValid ? emitterTime / p.duration : 0.0f;
    const KeyPosition at = Locate(f);
    float lifeCentre = 0.0f;
    float lifeVariation = 0.0f;
    if (p.interpolateEmission) {
      emissionAccumulator += KeyValue(p.emissionKeys, f) * dt;
      lifeCentre = KeyValue(p.lifeKeys, f);
      lifeVariation = KeyValue(p.lifeVariationKeys, f);
    } else {
      if (static_cast<std::int32_t>(at.k) != lastKey) {
        emissionAccumulator += p.emissionKeys[at.k];
      }
      lifeCentre = p.lifeKeys[at.k];
      lifeVariation = p.lifeVariationKeys[at.k];
    }
    if (!std::isfinite(emissionAccumulator)) {
      emissionAccumulator = 0.0f;
    }
    const double owed = std::trunc(static_cast<double>(emissionAccumulator));
    if (owed > 0.0) {
      emissionAccumulator -= static_cast<float>(owed);
      // Particles owed beyond the free ones are dropped.
      const double room = static_cast<double>(freeParticles.size());
      Emit(static_cast<std::uint32_t>(std::min(owed, room)), lifeCentre, lifeVariation);
    }
    lastKey = static_cast<std::int32_t>(at.k);
  }

  liveCount = 0;
  for (std::uint32_t index = 0; index < maxParticles; ++index) {
    Particle& particle = particles[index];
    if (particle.free != 0) {
      continue;
    }
    particle.age += dt;
    if (!(particle.age < particle.life)) {
      spriteGroup->RemoveSprite(particle.sprite);
      particle.free = 1;
      freeParticles.push_back(index);
      continue;
    }
    const float f = particle.age / particle.life;
    Vector3 direction = KeyValue(particle.directionKeys, f);
    direction.Normalize(1.0f);
    particle.direction = direction;
    const float speed = KeyValue(particle.speedKeys, f) * particle.speedFactor;
    Vector3 step = direction * (speed * 100.0f * dt);
    if (p.gravityOn) {
      particle.fallSpeed += p.gravity * dt;
      step.z -= particle.fallSpeed * 100.0f * dt;
    }
    Sprite* sprite = spriteGroup->GetSprite(particle.sprite);
    sprite->position += step;
    if (p.floorOn && sprite->position.z < p.floorHeight) {
      sprite->position.z = p.floorHeight + 0.001f;
      particle.fallSpeed = 0.0f;
      particle.speedFactor *= p.bounce;
      if (particle.speedFactor < p.stopSpeed) {
        particle.speedFactor = 0.0f;
        if (p.dieWhenStopped) {
          particle.age = particle.life + 0.0001f;
        }
      }
      Vector3 bounced(step.x, step.y, std::fabs(step.z));
      bounced.Normalize(1.0f);
      for (Vector3& key : particle.directionKeys) {
        key = bounced;
      }
    }
    sprite->colour = KeyValue(p.colourKeys, f);
    sprite->size = KeyValue(p.sizeKeys, f);
    ++liveCount;
  }
  peakCount = std::max(peakCount, liveCount);
}

ParticleSystemManager::ParticleSystemManager(MessageManager* log, FileManager* fileManager,
                                             TimerManager* timerManager, ShaderManager* shaderManager,
                                             SpriteGroupManager* spriteGroupManager) {
  services_.log = log;
  services_.fileManager = fileManager;
  services_.timerManager = timerManager;
  services_.shaderManager = shaderManager;
  services_.spriteGroupManager = spriteGroupManager;
}

ParticleSystemManager::~ParticleSystemManager() {
  retired_.clear();
  // systems_ deletes every registered system when it goes.
}

ParticleSystem* ParticleSystemManager::NewParticleSystem(Camera* camera) {
  return new ParticleSystem(services_, camera);
}

ParticleSystem* ParticleSystemManager::LoadParticleSystem(const std::string& fileName, Camera* camera) {
  try {
    return new ParticleSystem(services_, fileName, camera);
  } catch (const Error& error) {
    if (services_.log != nullptr) {
      services_.log->Error(error.GetMessage());
    }
    return NewParticleSystem(camera);
  }
}

ParticleSystem* ParticleSystemManager::CreateParticleSystem(const ParticleSystem& prototype) {
  auto* system = new ParticleSystem(prototype);
  systems_.AddObject(system);
  return system;
}

void ParticleSystemManager::DestroyParticleSystem(ParticleSystem* system) {
  if (!systems_.RemoveObject(system)) {
    return;
  }
  retired_.erase(std::remove(retired_.begin(), retired_.end(), system), retired_.end());
  delete system;
}

void ParticleSystemManager::RetireParticleSystem(ParticleSystem* system) {
  if (systems_.FindObject(system) == ObjectManager<ParticleSystem>::kNoObject) {
    return;
  }
  if (std::find(retired_.begin(), retired_.end(), system) == retired_.end()) {
    retired_.push_back(system);
  }
}

void ParticleSystemManager::Update() {
  for (ParticleSystem* system : systems_.objects) {
    if (system != nullptr) {
      system->Update();
    }
  }
  retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                [](ParticleSystem* system) {
                                  if (system->emitting || system->liveCount != 0) {
                                    return false;
                                  }
                                  system->SetVisible(false);
                                  return true;
                                }),
                 retired_.end());
}

}  // namespace CorvantisEngine
