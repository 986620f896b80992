#pragma once
// A level ready to play headless: a 120 x 90 picture cut into 12 pieces of 30 x 30, the game's keeper
// with box models for the path markers (a path of five segments), the bonuses, the carriage and the
// obstacle, and the level's parts (floating texts, loose pieces, bonuses, board, tray) built as the play
// logic builds them. Frames step the clock and set the frame time; the mouse is moved and clicked
// through the headless input and the GUI cursor.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GameTestSupport.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/render/CameraManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "framework/AudioManager.h"
#include "game/Bonus.h"
#include "game/Carriage.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"

namespace Puzzle::gametest {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;

// The path: 600 right, 100 down, 600 left, 100 down, 600 right (relax mode uses the first four
// segments).
inline const std::vector<Vector2>& PathPoints() {
  static const std::vector<Vector2> points{{100, 500}, {700, 500}, {700, 400},
                                           {100, 400}, {100, 300}, {700, 300}};
  return points;
}

class PlayTest : public EngineTest {
 protected:
  PlayTest() {
    ::setenv("XDG_DATA_HOME", rig_.Folder().Root().c_str(), 1);
    platform::headless::ResetAudio();
  }
  ~PlayTest() override {
    depository_.reset();
    board_.reset();
    bonuses_.reset();
    elements_.reset();
    texts_.reset();
    audio_.reset();
    platform::headless::ResetAudio();
  }

  // Loads the level and the keeper; the parts come with MakeParts.
  void LoadAll() {
    WriteLevel(Gradient(120, 90), GridShapes(120, 90, 4, 3), "<puzzle/>");
    Start();
    level_ = LoadLevel();
    gameData_ = std::make_unique<GameData>(engine_, "en");
    gameData_->Load();
    gameData_->WaitForLoad();
    for (std::size_t n = 0; n < pathPoints_.size(); ++n) {
      const Vector2 p = pathPoints_[n];
      AddBox("depository/path/00" + std::to_string(n), p, 2.0f);
    }
    AddBox("bonuses/magnet", {0, 0}, 20.0f);
    AddBox("bonuses/pause", {0, 0}, 20.0f);
    AddBox("bonuses/rollback", {0, 0}, 20.0f);
    AddBox("bonuses/tip", {0, 0}, 20.0f);
    AddBox("carriage/model", {5, 5}, 15.0f);
    AddBox("depository/obstacle", obstacleAt_, 20.0f);
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_);
    profile_ = std::make_unique<Profile>(engine_, L"Anna", rig_.Folder().Win("save"), Profile::New{});
  }

  // The level's parts in the play logic's order.
  void MakeParts(bool relax) {
    CorvantisEngine::GUIWindow* pieces = gameData_->GetPieceWindow();
    texts_ = std::make_unique<GUIGameLogicTextManager>(engine_, -1, pieces);
    elements_ =
        std::make_unique<PuzzleElementManager>(engine_, audio_.get(), gameData_.get(), level_.get(), pieces);
    bonuses_ = std::make_unique<BonusManager>(engine_, gameData_.get(), relax, pieces);
    board_ = std::make_unique<::Puzzle::Puzzle>(engine_, nullptr, audio_.get(), nullptr, gameData_.get(),
                                                level_.get(), texts_.get(), elements_.get(), nullptr,
                                                profile_.get(), relax, gameData_->GetPlayWindow());
    depository_ = std::make_unique<PuzzleDepository>(
        engine_, audio_.get(), gameData_.get(), level_.get(), nullptr, texts_.get(), bonuses_.get(),
        elements_.get(), board_.get(), nullptr, profile_.get(), relax, gameData_->GetPlayWindow());
  }

  void Build(bool relax = false) {
    LoadAll();
    MakeParts(relax);
  }

  // A box model of half-size `half` centred on the point, stored in the game's keeper.
  void AddBox(const std::string& name, Vector2 centre, float half) {
    CorvantisEngine::ModelManager* models = engine_->GetModelManager();
    auto* model =
        new CorvantisEngine::Model(models->GetServices(), Vector3{centre.x - half, centre.y - half, -1},
                                   Vector3{centre.x + half, centre.y + half, 1}, nullptr, nullptr, 0);
    gameData_->AddModel(name, model);
  }

  // Registers silent voices for the sound ids, so that their starts can be counted.
  void Voices(std::initializer_list<std::uint32_t> ids) {
    for (std::uint32_t id : ids) {
      audio_->AddSound(id, "", false, 1);
    }
  }
  // The time the sound was last started; 0 when never.
  float LastStart(std::uint32_t id) const {
    for (const auto& voice : audio_->GetVoices()) {
      if (voice->soundId == id) {
        return voice->lastStart;
      }
    }
    return 0.0f;
  }

  // One frame of the tray alone.
  void Tray(float dt, bool paused = false, float fade = 1.0f) {
    Step(dt);
    depository_->Update(paused, fade);
    EndFrame();
  }
  // The keys pressed in this frame are forgotten, as at the engine's frame end.
  void EndFrame() { engine_->GetControls()->EndFrame(); }
  // Frames of the tray until the intro has run.
  void SkipIntro() {
    for (int i = 0; i < 1000 && depository_->introFinished == 0; ++i) {
      Tray(0.02f);
    }
  }
  void Step(float dt) {
    platform::headless::StepClockNanoseconds(static_cast<std::uint64_t>(dt * 1e9));
    engine_->GetTimerManager()->Update();
    engine_->GetTimerManager()->delta = dt;
    engine_->GetControls()->Update();
    // The viewport and the GUI camera, as the engine's frame start sets them (the mouse ray needs them).
    engine_->GetCameraManager()->Update();
  }

  void MoveMouse(Vector2 at) { engine_->GetGUIManager()->GetDefaultCursor()->position = at; }
  // Presses (and releases after the frame) a mouse button: 0 left, 1 right.
  void Press(unsigned button) { platform::headless::PushMouseButton(button, true); }
  void Release(unsigned button) { platform::headless::PushMouseButton(button, false); }

  PuzzleElement* Held() const { return elements_->FindHeld(); }
  // A fresh tray over the same parts.
  void RemakeTray(bool relax = false) {
    depository_.reset();
    depository_ = std::make_unique<PuzzleDepository>(
        engine_, audio_.get(), gameData_.get(), level_.get(), nullptr, texts_.get(), bonuses_.get(),
        elements_.get(), board_.get(), nullptr, profile_.get(), relax, gameData_->GetPlayWindow());
  }
  std::vector<float> Distances() const {
    std::vector<float> out;
    for (const auto& entry : depository_->GetQueue()) {
      out.push_back(entry->distance);
    }
    return out;
  }

  // Where the path markers and the obstacle model stand; set before LoadAll.
  std::vector<Vector2> pathPoints_ = PathPoints();
  Vector2 obstacleAt_{760, 40};
  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GameLogicData> level_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  std::unique_ptr<Profile> profile_;
  std::unique_ptr<GUIGameLogicTextManager> texts_;
  std::unique_ptr<PuzzleElementManager> elements_;
  std::unique_ptr<BonusManager> bonuses_;
  std::unique_ptr<::Puzzle::Puzzle> board_;
  std::unique_ptr<PuzzleDepository> depository_;
};

}  // namespace Puzzle::gametest
