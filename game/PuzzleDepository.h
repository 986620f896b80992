#pragma once
// Puzzle::PuzzleDepository: the tray. A queue of pieces and bonuses rides a fixed polyline path across
// the screen (the centres of the marker models "depository/path/000" ... "005", five in relax mode),
// pushed from its rear so that every entry keeps at least 60 units to the one behind it. Its speed
// grows with the free length of the path; bonuses pause it or drive it backwards; the right mouse
// button held for half a second speeds it up. New pieces enter at the path start (a bonus every 6 to
// 8 pieces, 9 to 11 in relax); once every piece has been fed the carriage follows the rear. The player
// takes pieces and bonuses off the tray with the left button, drops a dragged piece back onto it, or
// puts it back with the right button. An entry that reaches the last 35 units of the path shrinks,
// the whole queue races to the end and the level is lost when the carriage vanishes there (never in
// relax mode). When the board is complete the carriage drives to the end and pays 2 stars for each of
// 30 checkpoints, and 30 for each bonus still on the tray.
//
// Distances along the path and positions are GUI units; speeds units per second; times seconds of the
// timer manager's frame delta, scaled by the play's fade factor (except during the failure run).
//
// Main thread only. The tray owns its entries, the carriage and its two particle effects; it never
// deletes pieces or bonuses (the element manager and the bonus manager own them).
// Failure: a path with fewer than two points or a segment shorter than 0.0001 ends the program through
// the log's Abort when the level starts.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Ray.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class Window;
class CameraManager;
class ParticleSystemManager;
class ParticleSystem;
class Controls;
class GUIManager;
class GUIWindow;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameFramework {
class AudioManager;
class ScoreKeeper;
}  // namespace GameFramework

namespace GUITools {
class GUITextTool;
}

namespace Puzzle {

class Bonus;
class BonusManager;
class Carriage;
class GameData;
class GameLogicData;
class GUIGameLogicTextManager;
class Profile;
class Puzzle;
class PuzzleElement;
class PuzzleElementManager;

// One entry of the tray: a piece or a bonus (never both) at a distance along the path. Deleting an
// entry deletes neither.
class DepositoryElement {
 public:
  static constexpr float kBonusSize = 40.0f;

  DepositoryElement(Bonus* bonus, float distance);
  DepositoryElement(PuzzleElement* piece, float distance);

  CorvantisEngine::Vector2 GetSize() const;
  bool IsVisible() const;
  void SetVisible(bool visible);
  void SetScale(float scale);
  void SetPosition(const CorvantisEngine::Vector2& position);
  // The scale at which the entry fits a cell (its size read at scale 1).
  float FitScale(const CorvantisEngine::Vector2& cell);

  PuzzleElement* piece = nullptr;
  Bonus* bonus = nullptr;
  float distance = 0.0f;
};

class PuzzleDepository {
 public:
  static constexpr float kSpacing = 60.0f;
  static constexpr float kEndZone = 35.0f;
  static constexpr float kTolerance = 0.0001f;
  static constexpr std::uint32_t kCheckpoints = 30;
  static constexpr std::uint32_t kCheckpointPoints = 2;
  static constexpr std::uint32_t kBonusPoints = 30;
  static constexpr std::uint32_t kMusicChannel = 1;
  // The game's sound ids.
  static constexpr std::uint32_t kLevelFailedSound = 6;
  static constexpr std::uint32_t kElementGetSound = 7;
  static constexpr std::uint32_t kElementCancelSound = 14;
  static constexpr std::uint32_t kTipApplySound = 17;
  static constexpr std::uint32_t kMagnetApplySound = 18;
  static constexpr std::uint32_t kPauseApplySound = 19;
  static constexpr std::uint32_t kRollBackApplySound = 20;
  static constexpr std::uint32_t kIntroSound = 21;
  static constexpr std::uint32_t kIntroEndSound = 22;
  static constexpr std::uint32_t kPathBeginSound = 23;
  static constexpr std::uint32_t kPathEndSound = 24;
  static constexpr std::uint32_t kWarningSound = 25;
  static constexpr std::uint32_t kRunSound = 26;

  PuzzleDepository(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audio, GameData* gameData,
                   GameLogicData* levelData, GUITools::GUITextTool* textTool,
                   GUIGameLogicTextManager* textManager, BonusManager* bonusManager,
                   PuzzleElementManager* elementManager, Puzzle* board,
                   GameFramework::ScoreKeeper* scoreKeeper, Profile* profile, bool relax,
                   CorvantisEngine::GUIWindow* root);
  virtual ~PuzzleDepository();

  PuzzleDepository(const PuzzleDepository&) = delete;
  PuzzleDepository& operator=(const PuzzleDepository&) = delete;

  // Once per frame; paused while the level is paused, fade the play's fade factor in [0, 1].
  void Update(bool paused, float fade);

  void StartCarriage();
  bool IsCarriageRunning() const { return carriageRunning != 0; }
  bool IsCarriageFinished() const { return carriageFinished != 0; }

  void AddRollBack();
  void AddPause();
  void AddPauseForPieces(std::uint32_t count);

  // The point at a distance along the path: a negative distance extends the first segment backwards,
  // one beyond the end gives the last point.
  CorvantisEngine::Vector2 GetPointAtDistance(float distance) const;
  // The distance of the nearest point of the path whose segment the point projects onto (0 when none);
  // side is 1 when the point lies left of that segment's direction, y up (or none was found), else 0.
  float ProjectOntoPath(const CorvantisEngine::Vector2& point, std::uint8_t& side) const;
  // The speed the queue is driven at before pause and roll back.
  float SpeedTarget() const;

  float GetPathLength() const { return pathLength; }
  const std::vector<CorvantisEngine::Vector2>& GetPathPoints() const { return pathPoints; }
  const std::vector<std::unique_ptr<DepositoryElement>>& GetQueue() const { return queue; }
  const std::vector<std::unique_ptr<DepositoryElement>>& GetWaiting() const { return waiting; }
  Carriage* GetCarriage() const { return carriage.get(); }
  CorvantisEngine::ParticleSystem* GetPathStartEffect() const { return pathStartEffect; }
  CorvantisEngine::ParticleSystem* GetPathFinishEffect() const { return pathFinishEffect; }
  std::uint32_t GetNextCheckpoint() const { return nextCheckpoint; }
  // This frame's mouse point on the tray (GUI units).
  const CorvantisEngine::Vector2& GetMousePoint() const { return mousePoint; }

  // The state the play logic and the carriage read; the tray alone writes it.
  float carriagePosition = 0.0f;
  float carriageSpin = 0.0f;
  float freeLength = 0.0f;
  std::uint32_t fedCount = 0;
  std::uint32_t bonusThreshold = 0;
  float backSpeed = 0.0f;
  float rollBackTime = 0.0f;
  float brake = 0.0f;
  float pauseTime = 0.0f;
  std::uint8_t introFinished = 0;
  float introTime = 0.0f;
  std::uint8_t endReached = 0;
  std::uint8_t carriageRunning = 0;
  std::uint8_t carriageFinished = 0;
  float runTime = 0.0f;
  float runStart = 0.0f;
  float extraSpeed = 0.0f;
  float dragDistance = 0.0f;
  CorvantisEngine::Vector2 cellSize{40.0f, 40.0f};
  CorvantisEngine::Vector2 dragOffset;
  float warningTimer = 0.0f;
  std::uint8_t failed = 0;
  std::uint8_t failSoundPlayed = 0;
  std::uint8_t boostHeld = 0;
  float boostHoldTime = 0.0f;
  float boost = 0.0f;
  std::uint8_t pathBeginPending = 1;

 private:
  void BuildPath();
  void UpdateIntro(bool paused, float dt);
  // The carriage: the end-of-level run, and its heading and spin.
  void RunStep(bool paused, float dt);
  void UpdateHeading(float dt);
  void ComputeMousePoint(bool paused);
  void Move(bool paused, float dt);
  void MoveForward(bool paused, float dt, float move);
  void MoveBackward(float move);
  void AfterMotion(float dt);
  void Feed();
  void PlaceEntries();
  // Taking, dropping back and putting back; held is the dragged piece at the start of the step.
  void Pick(bool paused, PuzzleElement* held);
  void TakeEntry(std::size_t index);
  bool DropBack(PuzzleElement* held, float t);
  bool PutBack(PuzzleElement* held);
  void Enter(PuzzleElement* piece, float distance, std::size_t index);
  void UpdateBoost(float dt, PuzzleElement* held);

  // The entry reached the last 35 units of the path: it shrinks, and the failure begins.
  void EnterEndZone(DepositoryElement& entry);
  void PlayFailure();
  bool AllPlaced() const;
  PuzzleElement* NextPieceToFeed() const;
  // The distance of the entry behind index i (i = 0: the carriage when shown, else -60), and of the
  // entry at i (i = count: the path end plus 60).
  float GapStart(std::size_t i) const;
  float GapEnd(std::size_t i) const;
  bool IsPlaying(std::uint32_t sound) const;
  void StopIfPlaying(std::uint32_t sound);
  void ShowText(const std::string& key, const CorvantisEngine::Vector2& at);
  void AddEarnings(std::uint32_t points);

  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* log;
  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::Window* window;
  CorvantisEngine::CameraManager* cameras;
  CorvantisEngine::ParticleSystemManager* particles;
  CorvantisEngine::Controls* controls;
  CorvantisEngine::GUIManager* gui;
  GameFramework::AudioManager* audio;
  GameData* gameData;
  GUITools::GUITextTool* textTool;
  GUIGameLogicTextManager* textManager;
  BonusManager* bonusManager;
  PuzzleElementManager* elementManager;
  Puzzle* board;
  Profile* profile;

  CorvantisEngine::ParticleSystem* pathStartEffect = nullptr;   // owned, through the particle manager
  CorvantisEngine::ParticleSystem* pathFinishEffect = nullptr;  // owned, through the particle manager
  std::unique_ptr<Carriage> carriage;
  std::vector<CorvantisEngine::Vector2> pathPoints;
  std::vector<CorvantisEngine::Vector2> segmentVectors;
  std::vector<float> segmentLengths;
  float pathLength = 0.0f;
  std::vector<CorvantisEngine::Vector2> segmentNormals;
  // Pushed behind the path start, last pushed at the back; owned.
  std::vector<std::unique_ptr<DepositoryElement>> waiting;
  // Index 0 is the rear; owned.
  std::vector<std::unique_ptr<DepositoryElement>> queue;
  std::uint8_t relax;
  // The first checkpoint of the end-of-level run not yet paid.
  std::uint32_t nextCheckpoint = 0;
  // This frame's mouse point and whether a press hit the obstacle.
  CorvantisEngine::Vector2 mousePoint;
  bool obstacleHit = false;
};

}  // namespace Puzzle
