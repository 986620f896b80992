// Particle systems: the file format (golden sizes and offsets, both versions, rejections), emission,
// movement with gravity and floor bounces, copies, the manager's fall-backs and its retire list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "ModelFixture.h"
#include "engine/core/Error.h"
#include "engine/core/Random.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleFile.h"
#include "engine/resources/ShaderUser.h"
#include "tools/models/ParticleFileWriter.h"

namespace CorvantisEngine::modeltest {
namespace {

using Bytes = std::vector<std::uint8_t>;

float FloatAt(const Bytes& bytes, std::size_t offset) {
  float value;
  std::memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

std::uint32_t U32At(const Bytes& bytes, std::size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// A file whose every field differs from the defaults and from its neighbours.
ParticleFileData Distinct(std::uint32_t version) {
  ParticleFileData data;
  data.version = version;
  data.maxParticles = 77;
  ParticleParameters& p = data.parameters;
  p.duration = 2.5f;
  p.gravityOn = false;
  p.gravity = 3.0f;
  p.floorOn = true;
  p.floorHeight = -4.0f;
  p.bounce = 0.5f;
  p.dieWhenStopped = false;
  p.stopSpeed = 0.25f;
  p.interpolateEmission = false;
  for (std::uint32_t i = 0; i < 6; ++i) {
    const auto f = static_cast<float>(i);
    p.emissionKeys[i] = 100 + f;
    p.lifeKeys[i] = 200 + f;
    p.lifeVariationKeys[i] = 300 + f;
    p.directionKeys[i] = Vector3(400 + f, 0, 1);
    p.directionVariationKeys[i] = Vector3(500 + f, 0, 1);
    p.colourKeys[i] = Vector4(0.1f * f, 0.2f, 0.3f, 0.4f);
    p.sizeKeys[i] = 600 + f;
    p.speedKeys[i] = 700 + f;
    p.speedVariationKeys[i] = version == 204 ? 800 + f : 0.0f;
  }
  data.spawnMode = 2;
  data.spawnMin = Vector3(-1, -2, -3);
  data.spawnMax = Vector3(1, 2, 3);
  return data;
}

Bytes Encode(const ParticleFileData& data) {
  Bytes bytes;
  EXPECT_TRUE(tools::EncodeParticleFile(data, bytes));
  return bytes;
}

ParticleFileData Decode(const Bytes& bytes) {
  FileBinary file(nullptr, "p.psf", false, false, true, static_cast<std::uint32_t>(bytes.size()),
                  bytes.data());
  ParticleFileData data;
  ReadParticleFile(file, "p.psf", data);
  return data;
}

class ParticleSystemTest : public ModelFixture {
 protected:
  void SetUp() override { RandomSeed(2024); }
  // A registered copy of a default prototype, with the given changes.
  ParticleSystem* Make(const std::function<void(ParticleSystem&)>& change) {
    prototype_.reset(particles_->NewParticleSystem(nullptr));
    change(*prototype_);
    return particles_->CreateParticleSystem(*prototype_);
  }
  std::unique_ptr<ParticleSystem> prototype_;
};

TEST_F(ParticleSystemTest, GoldenLayoutOfBothVersions) {
  const Bytes v204 = Encode(Distinct(204));
  ASSERT_EQ(v204.size(), 453u);
  EXPECT_EQ(U32At(v204, 0), 453u);
  EXPECT_EQ(std::string(v204.begin() + 4, v204.begin() + 9), "QXPSF");
  EXPECT_EQ(U32At(v204, 9), 204u);
  EXPECT_EQ(U32At(v204, 13), 77u);
  EXPECT_EQ(FloatAt(v204, 17), 2.5f);
  EXPECT_EQ(v204[21], 0);
  EXPECT_EQ(FloatAt(v204, 22), 3.0f);
  EXPECT_EQ(v204[26], 1);
  EXPECT_EQ(FloatAt(v204, 27), -4.0f);
  EXPECT_EQ(FloatAt(v204, 31), 0.5f);
  EXPECT_EQ(v204[35], 0);
  EXPECT_EQ(FloatAt(v204, 36), 0.25f);
  EXPECT_EQ(v204[40], 0);
  EXPECT_EQ(FloatAt(v204, 41), 100.0f);
  EXPECT_EQ(FloatAt(v204, 65), 200.0f);
  EXPECT_EQ(FloatAt(v204, 89), 300.0f);
  EXPECT_EQ(FloatAt(v204, 113), 400.0f);
  EXPECT_EQ(FloatAt(v204, 185), 500.0f);
  EXPECT_EQ(FloatAt(v204, 257 + 16 + 4), 0.2f);
  EXPECT_EQ(FloatAt(v204, 353), 600.0f);
  EXPECT_EQ(FloatAt(v204, 377), 700.0f);
  EXPECT_EQ(FloatAt(v204, 401), 800.0f);
  EXPECT_EQ(U32At(v204, 425), 2u);
  EXPECT_EQ(FloatAt(v204, 429), -1.0f);
  EXPECT_EQ(FloatAt(v204, 441 + 8), 3.0f);

  const Bytes v203 = Encode(Distinct(203));
  ASSERT_EQ(v203.size(), 429u);
  EXPECT_EQ(U32At(v203, 401), 2u);
  EXPECT_EQ(FloatAt(v203, 405 + 4), -2.0f);
  EXPECT_TRUE(std::equal(v203.begin() + 13, v203.begin() + 401, v204.begin() + 13));
}

TEST_F(ParticleSystemTest, ReadingBothVersions) {
  const ParticleFileData read = Decode(Encode(Distinct(204)));
  EXPECT_EQ(read.maxParticles, 77u);
  EXPECT_EQ(read.parameters.speedVariationKeys[5], 805.0f);
  EXPECT_EQ(read.parameters.colourKeys[3].x, 0.1f * 3.0f);
  EXPECT_EQ(read.spawnMax, Vector3(1, 2, 3));
  EXPECT_FALSE(read.parameters.interpolateEmission);

  // A version-203 file gives the same system as a 204 file with zero speed variation.
  ParticleFileData zero = Distinct(204);
  for (float& key : zero.parameters.speedVariationKeys) {
    key = 0.0f;
  }
  const Bytes a = Encode(Distinct(203));
  ParticleFileData old = Decode(a);
  ParticleFileData current = Decode(Encode(zero));
  old.version = current.version;
  EXPECT_EQ(Encode(old), Encode(current));
}

TEST_F(ParticleSystemTest, RejectionTable) {
  struct Row {
    const char* why;
    std::uint32_t version;
    std::function<void(Bytes&)> damage;
    const char* message;
  };
  const char* format = "Incorrect \"p.psf\" file format";
  const Row rows[] = {
      {"length one less", 204, [](Bytes& b) { b[0] = 452 & 0xFF; }, format},
      {"magic", 204, [](Bytes& b) { b[4] = 'W'; }, format},
      {"version 205", 204, [](Bytes& b) { b[9] = 205; },
       "Incorrect \"p.psf\" format version, current is 204"},
      {"a 203 body labelled 204", 203, [](Bytes& b) { b[9] = 204; }, format},
      {"shorter than a header", 204, [](Bytes& b) { b.resize(8); }, format},
  };
  for (const Row& row : rows) {
    Bytes bytes = Encode(Distinct(row.version));
    row.damage(bytes);
    try {
      Decode(bytes);
      ADD_FAILURE() << row.why;
    } catch (const FileError& error) {
      EXPECT_EQ(error.GetMessage(), row.message) << row.why;
    }
  }
}

TEST_F(ParticleSystemTest, LoadingFallsBackAndSaysWhy) {
  std::unique_ptr<ParticleSystem> missing(particles_->LoadParticleSystem("fx\\none.psf", nullptr));
  EXPECT_EQ(missing->name, "self_made");
  EXPECT_EQ(missing->maxParticles, 100u);
  EXPECT_EQ(missing->parameters.emissionKeys[0], 10.0f);
  EXPECT_EQ(CountLogged(LogRecord::kError, "none.psf"), 1) << "a missing file is logged";

  Bytes bytes = Encode(Distinct(204));
  bytes[9] = 99;
  WriteData("fx\\bad.psf", bytes);
  std::unique_ptr<ParticleSystem> bad(particles_->LoadParticleSystem("fx\\bad.psf", nullptr));
  EXPECT_EQ(bad->maxParticles, 100u);
  EXPECT_EQ(CountLogged(LogRecord::kError, "Incorrect \"fx\\bad.psf\" format version, current is 204"), 1);

  // Without its shader file the system keeps its parameters; only the material is the default one.
  WriteData("fx\\good.psf", Encode(Distinct(204)));
  std::unique_ptr<ParticleSystem> good(particles_->LoadParticleSystem("fx\\good.psf", nullptr));
  EXPECT_EQ(good->name, "fx\\good.psf");
  EXPECT_EQ(good->maxParticles, 77u);
  EXPECT_EQ(good->parameters.duration, 2.5f);
  EXPECT_EQ(good->spawnMode, 2u);
  EXPECT_EQ(good->spawnBox.localMin, Vector3(-1, -2, -3));
  EXPECT_EQ(good->GetSpriteGroup()->GetCapacity(), 77u);
  EXPECT_EQ(good->GetShader()->GetStageCount(), 0u);
  EXPECT_EQ(CountLogged(LogRecord::kError, "good.srf"), 1);

  ParticleFileData huge = Distinct(204);
  huge.maxParticles = 0x7FFFFFFF;
  WriteData("fx\\huge.psf", Encode(huge));
  std::unique_ptr<ParticleSystem> bounded(particles_->LoadParticleSystem("fx\\huge.psf", nullptr));
  EXPECT_EQ(bounded->maxParticles, ParticleSystem::kMaxParticlesLimit);
  EXPECT_EQ(CountLogged(LogRecord::kWarning, "huge.psf"), 1);
}

TEST_F(ParticleSystemTest, SteppedEmissionGivesEachKeysCountOnce) {
  ParticleSystem* system = Make([](ParticleSystem& p) {
    p.parameters.interpolateEmission = false;
    const float keys[6] = {2, 0, 0, 0, 0, 0};
    std::copy(keys, keys + 6, p.parameters.emissionKeys);
    p.parameters.gravityOn = false;
    for (float& life : p.parameters.lifeKeys) {
      life = 10.0f;
    }
  });
  system->emitting = true;
  timers_.delta = 0.05f;
  particles_->Update();
  EXPECT_EQ(system->liveCount, 2u) << "both at the first update";
  for (int i = 0; i < 30; ++i) {
    particles_->Update();
  }
  EXPECT_FALSE(system->emitting) << "one period only";
  EXPECT_EQ(system->liveCount, 2u);
  EXPECT_EQ(system->peakCount, 2u);
  EXPECT_EQ(system->GetSpriteGroup()->GetUsedCount(), 0u) << "rebuilt by the sprite group manager, not here";
  sprites_->Update();
  EXPECT_EQ(system->GetSpriteGroup()->GetUsedCount(), 2u);
}

TEST_F(ParticleSystemTest, SeededEmissionIsRepeatableAndBoundedByTheParticles) {
  auto run = [&]() {
    RandomSeed(7);
    ParticleSystem* system = Make([](ParticleSystem& p) {
      p.maxParticles = 100;
      p.spawnMode = 1;
      p.parameters.emissionKeys[0] = 1e30f;  // far more than there are particles
      p.parameters.gravityOn = false;
      for (float& speed : p.parameters.speedKeys) {
        speed = 0.0f;  // the particles stay where they were born
      }
    });
    system->emitting = true;
    system->looping = true;
    system->SetPosition(Vector3(5, 5, 5));
    timers_.delta = 0.02f;
    particles_->Update();
    std::vector<Vector3> positions;
    for (const Particle& particle : system->particles) {
      if (particle.free == 0) {
        positions.push_back(system->GetSpriteGroup()->GetSprite(particle.sprite)->position);
      }
    }
    EXPECT_EQ(system->liveCount, 100u);
    particles_->DestroyParticleSystem(system);
    return positions;
  };
  const std::vector<Vector3> first = run();
  const std::vector<Vector3> second = run();
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(first, second);
  for (const Vector3& p : first) {
    EXPECT_GE(p.x, 4.5f);
    EXPECT_LT(p.x, 5.5f);
    EXPECT_GE(p.z, 4.5f);
    EXPECT_LT(p.z, 5.5f);
  }
}

TEST_F(ParticleSystemTest, FloorBouncesUntilTheSpeedFallsBelowTheStopSpeed) {
  ParticleSystem* system = Make([](ParticleSystem& p) {
    p.parameters.interpolateEmission = false;
    const float keys[6] = {1, 0, 0, 0, 0, 0};
    std::copy(keys, keys + 6, p.parameters.emissionKeys);
    for (float& life : p.parameters.lifeKeys) {
      life = 1000.0f;
    }
    for (Vector3& d : p.parameters.directionKeys) {
      d = Vector3(0, 0, -1);
    }
    for (Vector3& v : p.parameters.directionVariationKeys) {
      v = Vector3();
    }
    p.parameters.floorHeight = -1.0f;
  });
  system->emitting = true;
  timers_.delta = 0.01f;
  int contacts = 0;
  int stoppedAt = 0;
  Particle* particle = nullptr;
  for (int frame = 0; frame < 20000 && stoppedAt == 0; ++frame) {
    const float before = particle != nullptr ? particle->speedFactor : 1.0f;
    particles_->Update();
    if (particle == nullptr) {
      for (Particle& p : system->particles) {
        if (p.free == 0) {
          particle = &p;
        }
      }
      ASSERT_NE(particle, nullptr);
    }
    if (particle->speedFactor != before) {
      ++contacts;
      EXPECT_NEAR(system->GetSpriteGroup()->GetSprite(particle->sprite)->position.z, -0.999f, 1e-4f);
      if (particle->speedFactor == 0.0f) {
        stoppedAt = contacts;
      }
    }
  }
  EXPECT_EQ(stoppedAt, 9) << "0.9^8 = 0.43 still bounces, the ninth contact stops it";
  EXPECT_EQ(system->liveCount, 1u);
  particles_->Update();
  EXPECT_EQ(system->liveCount, 0u) << "a stopped particle dies in the next update";
  EXPECT_EQ(particle->free, 1);
}

TEST_F(ParticleSystemTest, CopiesStartIdleAndDegeneratePeriodsDoNotHang) {
  ParticleSystem* running = Make([](ParticleSystem&) {});
  running->emitting = true;
  running->looping = true;
  running->spawnPath = {Vector3(1, 1, 1)};
  timers_.delta = 0.1f;
  particles_->Update();
  ASSERT_GT(running->liveCount, 0u);
  ParticleSystem* copy = particles_->CreateParticleSystem(*running);
  EXPECT_FALSE(copy->emitting);
  EXPECT_FALSE(copy->looping);
  EXPECT_EQ(copy->liveCount, 0u);
  EXPECT_TRUE(copy->spawnPath.empty());
  EXPECT_EQ(copy->freeParticles.size(), 100u);
  EXPECT_EQ(copy->GetSpriteGroup()->AddSprite(Vector3(), 1, Vector4()), 0u) << "its sprites are all free";

  for (float duration : {0.0f, -1.0f, 1e-30f, std::numeric_limits<float>::quiet_NaN()}) {
    ParticleSystem* odd = Make([duration](ParticleSystem& p) { p.parameters.duration = duration; });
    odd->emitting = true;
    odd->looping = true;
    odd->emitterTime = 1e30f;
    particles_->Update();
    EXPECT_TRUE(std::isfinite(odd->emitterTime)) << duration;
  }
}

TEST_F(ParticleSystemTest, RetiredSystemsHideWhenTheirLastParticleIsGone) {
  ParticleSystem* system = Make([](ParticleSystem& p) {
    p.parameters.duration = 0.2f;
    for (float& life : p.parameters.lifeKeys) {
      life = 0.3f;
    }
  });
  system->emitting = true;
  particles_->RetireParticleSystem(system);
  timers_.delta = 0.05f;
  int frames = 0;
  while (system->IsVisible() && frames < 100) {
    particles_->Update();
    ++frames;
  }
  EXPECT_FALSE(system->IsVisible());
  EXPECT_GE(frames, 4);
  EXPECT_EQ(system->liveCount, 0u);
  EXPECT_EQ(particles_->GetRetireCount(), 0u);

  ParticleSystem* destroyed = Make([](ParticleSystem&) {});
  particles_->RetireParticleSystem(destroyed);
  particles_->DestroyParticleSystem(destroyed);
  EXPECT_EQ(particles_->GetRetireCount(), 0u);
  particles_->Update();
}

}  // namespace
}  // namespace CorvantisEngine::modeltest
