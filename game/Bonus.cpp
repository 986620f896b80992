#include "game/Bonus.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/Matrix4.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "game/ModelCentring.h"
#include "tools/game/DataKeeper.h"
#include "tools/game/RandomSelecter.h"

namespace Puzzle {

using CorvantisEngine::Matrix4;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;
using CorvantisEngine::Vector4;

namespace {
constexpr std::uint32_t kContainerFlags = CorvantisEngine::kGUIShown;
// Coloured, hidden until the tray shows it.
constexpr std::uint32_t kBonusFlags = CorvantisEngine::kGUIColoured;
constexpr float kTakeSeconds = 1.0f;
constexpr float kTakeGrowth = 0.5f;
constexpr float kTolerance = 0.0001f;

std::uint32_t Item(BonusKind kind) {
  return static_cast<std::uint32_t>(kind);
}
}  // namespace

const char* Bonus::ModelName(BonusKind kind) {
  switch (kind) {
    case BonusKind::Magnet:
      return "bonuses/magnet";
    case BonusKind::Pause:
      return "bonuses/pause";
    case BonusKind::RollBack:
      return "bonuses/rollback";
    case BonusKind::Tip:
      return "bonuses/tip";
  }
  return "bonuses/tip";
}

Bonus::Bonus(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper, BonusKind kind_,
             CorvantisEngine::GUIWindow* container)
    : gui(engine->GetGUIManager()), timers(engine->GetTimerManager()), kind(kind_) {
  window = gui->CreateModelWindow(kBonusFlags, Vector2{0, 0}, Vector2{1, 1},
                                  dataKeeper->GetModel(ModelName(kind)), container);
  window->autoPlacement = 0;
  model = window->model;
  CentreModelOnOrigin(model);
}

Bonus::~Bonus() {
  gui->DestroyWindow(window);
}

void Bonus::Update(float fade) {
  float drawnScale = scale;
  float alpha = 1.0f;
  if (taken != 0) {
    time += timers->delta * fade;
    alpha = std::max(0.0f, kTakeSeconds - time);
    drawnScale = scale + kTakeGrowth * time;
    if (time + kTolerance > kTakeSeconds) {
      alive = 0;
    }
  }
  alpha *= fade;
  if (model == nullptr) {
    return;
  }
  model->SetColour(Vector4{1, 1, 1, alpha});
  Matrix4 translation;
  translation.Translation(Vector3{position.x, position.y, 0.0f});
  model->world =
      translation * Matrix4::MakeScaling(Vector3{drawnScale, drawnScale, 1.0f}) * model->baseTransform;
  model->box.SetMatrix(model->world);
}

void Bonus::Take() {
  time = 0.0f;
  taken = 1;
}

bool Bonus::HitTest(const Vector2& point) const {
  if (model == nullptr) {
    return false;
  }
  const Vector3& low = model->box.worldMin;
  const Vector3& high = model->box.worldMax;
  return point.x > low.x && point.x < high.x && point.y > low.y && point.y < high.y;
}

Vector2 Bonus::GetPosition() const {
  if (model == nullptr) {
    return position;
  }
  return Vector2{model->box.centre.x, model->box.centre.y};
}

bool Bonus::IsVisible() const {
  return (window->state & CorvantisEngine::kGUIShown) != 0;
}

void Bonus::SetVisible(bool visible) {
  if (visible) {
    window->SetState(CorvantisEngine::kGUIShown);
  } else {
    window->ClearState(CorvantisEngine::kGUIShown);
  }
}

BonusManager::BonusManager(CorvantisEngine::Engine* engine_, GameTools::DataKeeper* dataKeeper_, bool relax_,
                           CorvantisEngine::GUIWindow* parent)
    : engine(engine_),
      gui(engine_->GetGUIManager()),
      dataKeeper(dataKeeper_),
      picker(std::make_unique<GameTools::RandomSelecter>()),
      relax(relax_ ? 1 : 0) {
  container = gui->CreateModelWindow(kContainerFlags, Vector2{0, 0}, Vector2{0, 0}, nullptr, parent);
  container->SetLayer(kContainerLayer);
  picker->Add(Item(BonusKind::Tip), kTipWeight);
  picker->Add(Item(BonusKind::Magnet), kMagnetWeight);
  picker->Add(Item(BonusKind::Pause), 0);
  picker->Add(Item(BonusKind::RollBack), 0);
}

BonusManager::~BonusManager() {
  picker.reset();
  bonuses.clear();
  gui->DestroyWindow(container);
}

std::uint32_t BonusManager::PauseWeight(float freeRatio) {
  return freeRatio > 0.6f ? 0 : 12;
}

std::uint32_t BonusManager::RollBackWeight(float freeRatio) {
  if (freeRatio > 0.6f) {
    return 0;
  }
  return freeRatio < 0.2f ? 22 : 5;
}

Bonus* BonusManager::CreateBonus(float freeRatio) {
  if (relax == 0) {
    picker->SetWeight(Item(BonusKind::Pause), PauseWeight(freeRatio));
    picker->SetWeight(Item(BonusKind::RollBack), RollBackWeight(freeRatio));
  }
  const auto kind = static_cast<BonusKind>(picker->Select());
  bonuses.push_back(std::make_unique<Bonus>(engine, dataKeeper, kind, container));
  return bonuses.back().get();
}

void BonusManager::Update(float fade) {
  for (const std::unique_ptr<Bonus>& bonus : bonuses) {
    bonus->Update(fade);
  }
  std::erase_if(bonuses, [](const std::unique_ptr<Bonus>& bonus) { return !bonus->IsAlive(); });
}

}  // namespace Puzzle
