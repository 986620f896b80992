#include "game/Puzzle.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/Engine.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderUser.h"
#include "framework/AudioManager.h"
#include "framework/GUIGameCursorBase.h"
#include "game/BoardCells.h"
#include "game/GUIGameLogicText.h"
#include "game/GameData.h"
#include "game/GameLogicData.h"
#include "game/Profile.h"
#include "game/PuzzleElement.h"
#include "tools/gui/GUITextTool.h"

namespace Puzzle {

using CorvantisEngine::GUIWindow;
using CorvantisEngine::ShaderDescriptor;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;
using CorvantisEngine::Vector4;

namespace {
constexpr std::uint32_t kShownColoured = CorvantisEngine::kGUIShown | CorvantisEngine::kGUIColoured;
constexpr float kEpsilon = 0.0001f;

const ShaderDescriptor& Descriptor(CorvantisEngine::ShaderUser* user) {
  return *user;
}
}  // namespace

Puzzle::Puzzle(CorvantisEngine::Engine* engine, GameFramework::GUIGameCursorBase* cursor_,
               GameFramework::AudioManager* audio_, GUITools::GUITextTool* textTool_, GameData* gameData_,
               GameLogicData* levelData_, GUIGameLogicTextManager* textManager_,
               PuzzleElementManager* elementManager_, GameFramework::ScoreKeeper* scoreKeeper_,
               Profile* profile_, bool relax_, GUIWindow* root)
    : timers(engine->GetTimerManager()),
      gui(engine->GetGUIManager()),
      particles(engine->GetParticleSystemManager()),
      controls(engine->GetControls()),
      cursor(cursor_),
      audio(audio_),
      textTool(textTool_),
      gameData(gameData_),
      levelData(levelData_),
      textManager(textManager_),
      elementManager(elementManager_),
      scoreKeeper(scoreKeeper_),
      profile(profile_),
      relax(relax_ ? 1 : 0) {
  const Vector2 origin{kBoardX, kBoardY};
  const Vector2 size = levelData->boardSize;
  // The board textures are 1024 x 512; the picture fills their lower-left part.
  const Vector2 uvExtent{size.x / static_cast<float>(GameLogicData::kTextureWidth),
                         size.y / static_cast<float>(GameLogicData::kTextureHeight)};

  // The play screen round the board, with the tray's track drawn along the path; relax mode's path is
  // shorter and ends without the pit. Data without it leaves the screen bare round the board.
  const auto& models = gameData->GetModels();
  const auto backdrop = models.find(relax != 0 ? "board/backdrop_relax" : "board/backdrop");
  if (backdrop != models.end()) {
    backdropWindow =
        gui->CreateModelWindow(CorvantisEngine::kGUIShown, {0, 0}, {1, 1}, backdrop->second, root);
    backdropWindow->SetLayer(kBackdropLayer);
  }
  // The board in cells: where no slot can draw, the greyed picture with the cut lines already laid
  // over it, one opaque layer; in the cells a slot may cover, the greyed picture under the slots and the
  // cut lines over them, as their own layers (see UpdateCells).
  CorvantisEngine::ModelManager* modelManager = engine->GetModelManager();
  cells = std::make_unique<BoardCells>(size, GameLogicData::kOutlineCell,
                                       Vector2{static_cast<float>(GameLogicData::kTextureWidth),
                                               static_cast<float>(GameLogicData::kTextureHeight)});
  std::unique_ptr<CorvantisEngine::Model> background, lined, lines;
  if (modelManager != nullptr && levelData->linedBackgroundShader != nullptr) {
    background = cells->MakeModel(*modelManager, Descriptor(levelData->backgroundShader));
    lined = cells->MakeModel(*modelManager, Descriptor(levelData->linedBackgroundShader));
    lines = cells->MakeModel(*modelManager, Descriptor(levelData->puzzleShader));
  }
  if (background != nullptr && lined != nullptr && lines != nullptr) {
    backgroundWindow = gui->CreateModelWindow(kShownColoured, origin, size, background.get(), root);
    linedWindow = gui->CreateModelWindow(kShownColoured, origin, size, lined.get(), root);
    linedWindow->SetColour({1, 1, 1, levelData->backgroundColour.w});
    outlineWindow = gui->CreateModelWindow(kShownColoured, origin, size, lines.get(), root);
    lineCells.assign(cells->CellCount(), 0);
    for (const TexelRect& rect : levelData->outlineCells) {
      cells->Mark(rect, lineCells);
    }
    // The cut lines that reach the board's edge keep their own layer there: at the edge the board's
    // pixels blend the picture's last texels with the textures' blank margin, and the lines blended over
    // that filtered picture differ from the filtered picture with the lines laid in.
    edgeLineCells.assign(cells->CellCount(), 0);
    const std::int32_t lastColumn = cells->Columns() - 1;
    const std::int32_t lastRow = cells->Rows() - 1;
    for (std::int32_t row = 0; row <= lastRow; ++row) {
      for (std::int32_t column = 0; column <= lastColumn; ++column) {
        const bool edge = row == 0 || row == lastRow || column == 0 || column == lastColumn;
        const std::size_t i = cells->Index(column, row);
        edgeLineCells[i] = edge && lineCells[i] != 0 ? 1 : 0;
      }
    }
    slotCells.assign(cells->CellCount(), 1);
  } else {
    // Without a model manager (or a board too small for a cell) the board keeps its two plain quads.
    backgroundWindow = gui->CreateWindow(kShownColoured, origin, size,
                                         &Descriptor(levelData->backgroundShader), root, uvExtent);
    outlineWindow =
        gui->CreateWindow(kShownColoured, origin, size, &Descriptor(levelData->puzzleShader), root, uvExtent);
    cells.reset();
  }
  backgroundWindow->SetColour(levelData->backgroundColour);
  slotContainer =
      gui->CreateModelWindow(CorvantisEngine::kGUIShown, {0, 0}, {0, 0}, nullptr, backgroundWindow);
  outlineWindow->SetLayer(kOutlineLayer);
  ShaderDescriptor overlay = Descriptor(levelData->backgroundShader);
  overlay.AddFlags(ShaderDescriptor::kAlphaBlend);
  overlay.SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
  overlay.SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  overlayWindow = gui->CreateWindow(CorvantisEngine::kGUIColoured, origin, size, &overlay, root, uvExtent);
  overlayWindow->SetColour(levelData->backgroundColour);
  overlayWindow->SetLayer(kOverlayLayer);

  closingWindow = gui->CreateModelWindow(0, origin, {1, 1}, gameData->GetModel("board/level_complete"), root);
  closingWindow->SetTexture(Descriptor(levelData->themeShader));
  closingWindow->SetLayer(kClosingLayer);
  closingModel = closingWindow->model;
  if (closingModel != nullptr) {
    // Drawn unlit: a lit model with no light would be black.
    closingModel->flags &= ~CorvantisEngine::kModelLit;
    closingAnimation = closingModel->animation;
  }

  boardRect = CorvantisEngine::BoundingBox(Vector3(kBoardX, kBoardY, 0),
                                           Vector3(kBoardX + size.x, kBoardY + size.y, 0));
  // The burst draws just in front of the closing picture.
  const float closingDepth = closingModel != nullptr ? closingModel->depth : closingWindow->depth;
  closingEffect =
      CreateGUIParticles(engine, gameData, "board/level_complete", closingDepth - kEffectDepthOffset);
  closingEffect->looping = false;
  closingEffect->SetVisible(false);
  closingEffect->spawnMode = 1;
  closingEffect->spawnBox = boardRect;

  const std::size_t count = levelData->GetPieceCount();
  slots.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    auto slot = std::make_unique<PuzzleElement>(engine, audio, gameData, levelData,
                                                static_cast<std::uint32_t>(i), false, slotContainer);
    slot->SetPosition(levelData->pieceCentres[i]);
    slots.push_back(std::move(slot));
  }
  UpdateCells();
}

void Puzzle::UpdateCells() {
  if (cells == nullptr) {
    return;
  }
  // The cells a slot in view covers (a slot draws only inside its piece's rectangle), and those where
  // the cut lines reach the board's edge.
  shownCells = edgeLineCells;
  // Once the greyed picture has made way for the finished one, the cut lines fade out over all of it.
  const bool closing = (backgroundWindow->state & CorvantisEngine::kGUIShown) == 0;
  for (const auto& slot : slots) {
    const CorvantisEngine::GUIWindow* sprite = slot->GetSprite();
    if (!closing && (sprite == nullptr || sprite->visible == 0)) {
      continue;
    }
    const auto& at = levelData->piecePositions[slot->GetIndex()];
    const auto& extent = levelData->pieceSizesInPixels[slot->GetIndex()];
    cells->Mark({at.first, at.second, extent.first, extent.second}, shownCells);
  }
  if (shownCells == slotCells) {
    return;
  }
  slotCells = shownCells;
  cells->Choose(*backgroundWindow->model, slotCells);
  for (std::size_t i = 0; i < shownCells.size(); ++i) {
    shownCells[i] = slotCells[i] != 0 && lineCells[i] != 0 ? 1 : 0;
  }
  cells->Choose(*outlineWindow->model, shownCells);
  for (std::size_t i = 0; i < shownCells.size(); ++i) {
    shownCells[i] = slotCells[i] == 0 ? 1 : 0;
  }
  cells->Choose(*linedWindow->model, shownCells);
}

Puzzle::~Puzzle() {
  slots.clear();
  gui->DestroyWindow(closingWindow);
  gui->DestroyWindow(overlayWindow);
  gui->DestroyWindow(outlineWindow);
  gui->DestroyWindow(linedWindow);
  gui->DestroyWindow(slotContainer);
  gui->DestroyWindow(backgroundWindow);
  if (backdropWindow != nullptr) {
    gui->DestroyWindow(backdropWindow);
  }
  particles->DestroyParticleSystem(closingEffect);
}

bool Puzzle::IsComplete() const {
  return placedCount == levelData->GetPieceCount();
}

bool Puzzle::IsFinished() const {
  return IsComplete() && closingStarted != 0 && (closingAnimation == nullptr || !closingAnimation->playing);
}

PuzzleElement* Puzzle::FindHeld() const {
  return elementManager->FindHeld();
}

PuzzleElement* Puzzle::FindSlot(std::uint32_t pieceIndex) const {
  return pieceIndex < slots.size() ? slots[pieceIndex].get() : nullptr;
}

void Puzzle::SetCursor(std::uint32_t id) {
  if (cursor != nullptr) {
    cursor->ApplySystemCursor(id);
  }
}

void Puzzle::Update(bool paused, float fade) {
  const float dt = timers->delta;
  comboPauseCredit = 0;
  const float dts = dt * fade;

  if (fade + kEpsilon >= 1.0f) {
    overlayWindow->ClearState(CorvantisEngine::kGUIShown);
  } else {
    overlayWindow->SetState(CorvantisEngine::kGUIShown);
    Vector4 colour = overlayWindow->GetColour();
    colour.w = std::clamp(1.0f - fade, 0.0f, 1.0f);
    overlayWindow->SetColour(colour);
  }
  sinceLastPlacement += dts;

  const bool clicked = controls != nullptr && controls->IsKeyPressed("MOUSE1");
  if (!paused && (clicked || magnetPending != 0 || tipPending != 0)) {
    PuzzleElement* held = FindHeld();
    if (held != nullptr && lastHeld == nullptr) {
      if (tipPending != 0) {
        tipPending = 0;
        FindSlot(held->GetIndex())->ShowTip();
      }
      if (magnetPending != 0 && held->target == nullptr) {
        magnetActive = 1;
        held->target = FindSlot(held->GetIndex());
      }
    }
    lastHeld = held;
    if (held != nullptr) {
      TryPlace(held, clicked);
    }
  }
  if (IsComplete() && audio->GetChannelState(kMusicChannel) != 0) {
    audio->PlayMusic(kMusicChannel, kCompleteTrack, true, 0.15f);
  }
  UpdateMarks(paused, fade);
  for (const auto& slot : slots) {
    slot->Update(paused, fade);
  }
  UpdateClosing(dt);
  UpdateCells();
}

void Puzzle::TryPlace(PuzzleElement* held, bool clicked) {
  PuzzleElement* slot = FindSlot(held->GetIndex());
  const float snap = tipPending != 0 ? -1.0f : kSnapDistance;
  const Vector2 place = slotContainer->GetAbsolutePosition() + slot->GetPosition();
  const Vector2 apart = place - held->GetPosition();
  bool placed = false;
  if (std::sqrt(apart.x * apart.x + apart.y * apart.y) < snap) {
    Place(held, slot);
    placed = true;
  }
  if (clicked && held->IsVisible()) {
    audio->PlaySound(kBadPutSound);
  }
  if (placed && IsComplete()) {
    audio->PlaySound(kLevelCompleteSound);
    audio->StopChannel(kMusicChannel, true, 2.0f);
  }
}

void Puzzle::Place(PuzzleElement* held, PuzzleElement* slot) {
  magnetPending = 0;
  magnetActive = 0;
  tipPending = 0;
  held->SetVisible(false);
  slot->SetVisible(true);
  if (sinceLastPlacement >= kComboWindow) {
    combo = 1;
  } else {
    combo = combo % kMaxCombo;
    if (relax == 0) {
      comboPauseCredit = combo;
    }
    combo += 1;
  }
  audio->PlaySound(combo + kFirstPutSound - 1);
  const std::uint32_t points = Points(combo);
  sinceLastPlacement = 0.0f;
  profile->levelEarnings += points;
  std::wstring text = L"+" + std::to_wstring(points);
  if (combo > 1) {
    std::wstring line = textTool != nullptr ? textTool->GetText("game_logic/combo") : L"%COMBO%";
    CorvantisEngine::WStringReplaceAllNoCase(line, L"%COMBO%", std::to_wstring(combo));
    text += L"\n" + line;
  }
  placedCount += 1;
  textManager->AddText(text, backgroundWindow->position + slot->GetPosition());
}

void Puzzle::UpdateMarks(bool paused, float fade) {
  PuzzleElement* held = FindHeld();
  const bool active = !paused && fade + kEpsilon > 1.0f;
  if (held == nullptr) {
    if (magnetActive != 0) {
      magnetPending = 0;
      magnetActive = 0;
    }
    for (const auto& slot : slots) {
      slot->RequestHideFlash();
      slot->RequestHideHighlight();
      slot->target = nullptr;
    }
    for (const auto& piece : elementManager->GetPieces()) {
      piece->target = nullptr;
    }
    if (active) {
      SetCursor(tipPending != 0 ? kTipCursor : magnetPending != 0 ? kMagnetCursor : kNormalCursor);
    }
    return;
  }
  if (active) {
    for (const auto& slot : slots) {
      if (slot->IsFlashing()) {
        SetCursor(kTipCursor);
      }
    }
    if (magnetPending != 0) {
      SetCursor(kMagnetCursor);
    }
  }
}

void Puzzle::UpdateClosing(float dt) {
  if (!IsComplete() || (outlineWindow->state & CorvantisEngine::kGUIShown) == 0) {
    return;
  }
  Vector4 colour = outlineWindow->GetColour();
  colour.w -= dt;
  closingWindow->SetState(CorvantisEngine::kGUIShown);
  if (closingAnimation != nullptr) {
    closingAnimation->loop = false;
    closingAnimation->position = 0.0f;
  }
  backgroundWindow->ClearState(CorvantisEngine::kGUIShown);
  if (linedWindow != nullptr) {
    linedWindow->ClearState(CorvantisEngine::kGUIShown);
  }
  if (colour.w <= kEpsilon) {
    outlineWindow->ClearState(CorvantisEngine::kGUIShown);
    if (closingAnimation != nullptr) {
      closingAnimation->Play();
    }
    closingStarted = 1;
    closingEffect->SetVisible(true);
    closingEffect->emitterTime = 0.0f;
    closingEffect->emitting = true;
  } else {
    outlineWindow->SetColour(colour);
  }
}

}  // namespace Puzzle
