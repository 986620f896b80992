#include "game/windows/GUIStartGameLogicWindow.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/StringUtils.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderUser.h"
#include "game/Content.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/windows/GUIStartGameStarsEffect.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

namespace {

// Two digits, zero-padded.
std::string TwoDigits(std::uint32_t value) {
  return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

bool Contains(const std::vector<std::uint32_t>& list, std::uint32_t value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool ContainsPair(const std::vector<std::uint32_t>& pairs, std::uint32_t first, std::uint32_t second) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    if (pairs[i] == first && pairs[i + 1] == second) {
      return true;
    }
  }
  return false;
}

// The price as the stars compare it: a negative price costs nothing.
std::uint32_t Price(std::int32_t cost) {
  return static_cast<std::uint32_t>(std::max(cost, 0));
}

// Shows a control (animated) that is not shown yet, enabling it first.
void ShowControl(GUITools::GUIWindowBase& window, GUITools::GUIControl* control) {
  if (control != nullptr && !control->shown) {
    window.EnableControlObject(control, true);
    control->SetVisible(true, true);
  }
}

void SetLockFrame(CorvantisEngine::GUIWindow* lockWindow, float frame) {
  if (lockWindow == nullptr) {
    return;
  }
  // Every lock window's model holds its own shader user, so each lock shows its own frame.
  if (CorvantisEngine::ShaderUser* shader = lockWindow->GetTexture()) {
    shader->SetClock(0, frame);
  }
}

CorvantisEngine::Vector2 Centre(const CorvantisEngine::GUIWindow* window) {
  return window->GetAbsolutePosition() + window->size * 0.5f;
}

}  // namespace

GUIStartGameLogicWindow::GUIStartGameLogicWindow(CorvantisEngine::Engine* engine,
                                                 GameFramework::AudioManager* audioManager,
                                                 GameFramework::LevelManagerBase* /*levelManager*/,
                                                 ProfileManager* profileManager, GameData* gameData,
                                                 GUITools::GUIToolManager* toolManager,
                                                 GUIMenuWindowManager* menuWindowManager,
                                                 CorvantisEngine::GUIWindow* parent, Content* content)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, menuWindowManager, parent, kWindowName),
      controls(engine->GetControls()),
      profileManager(profileManager),
      content(content) {
  backButton = GetButton(Name("/window/button_0"));
  startButton = GetButton(Name("/window/button_1"));
  startTitle = GetTextControl(Name("/window/button_1/title"));
  relaxBox = GetCheckBox(Name("/window/relax_mode"));
  starsText = GetTextControl(Name("/window/stars_erned/text"));
  cursorTip = GetTextControl(Name("/cursor_tip"));

  CollectEntries("/window/themes/theme_", themes);
  CollectEntries("/window/pictures/picture_", pictures);
  CollectEntries("/window/puzzles/puzzle_", puzzles);
  for (std::uint32_t n = 0; n < kMaxSlots; ++n) {
    const std::string name = Name("/window/puzzle_size_" + std::to_string(n));
    if (!HasCheckBoxControl(name)) {
      break;
    }
    puzzleSizes.push_back(GetCheckBox(name));
  }

  for (std::uint32_t i = 0; i < themes.size(); ++i) {
    Entry& entry = themes[i];
    if (entry.text != nullptr) {
      entry.text->SetText(CorvantisEngine::UIntToWString(CostOf(ListKind::Themes, i)));
    }
    if (i < ThemeCount()) {
      SetPreview(entry.picture, "themes/" + content->themeNames[i] + "/preview_00");
    } else {
      EnableControlObject(entry.control, false);
    }
  }
  for (std::uint32_t k = 0; k < puzzles.size(); ++k) {
    Entry& entry = puzzles[k];
    if (k < PuzzleCount()) {
      if (entry.text != nullptr) {
        entry.text->SetText(CorvantisEngine::UIntToWString(CostOf(ListKind::Puzzles, k)));
      }
      SetPreview(entry.picture, "puzzles/" + TwoDigits(k) + "/preview");
    } else {
      EnableControlObject(entry.control, false);
    }
  }
  if (cursorTip != nullptr) {
    cursorTipOffset = cursorTip->position;
  }
}

GUIStartGameLogicWindow::~GUIStartGameLogicWindow() {
  for (GUIStartGameStarsEffect* effect : starsEffects) {
    delete effect;
  }
}

void GUIStartGameLogicWindow::CollectEntries(const std::string& prefix, std::vector<Entry>& list) {
  for (std::uint32_t n = 0; n < kMaxSlots; ++n) {
    const std::string name = Name(prefix + TwoDigits(n));
    if (!HasCheckBoxControl(name)) {
      break;
    }
    Entry entry;
    entry.control = GetCheckBoxControl(name);
    entry.checkBox = GetCheckBox(name);
    entry.lock = GetWindowControl(name + "/lock");
    entry.lockWindow = entry.lock != nullptr ? entry.lock->GetElement() : nullptr;
    entry.picture = GetWindow(name + "/picture");
    entry.star = GetWindowControl(name + "/star");
    entry.text = GetTextControl(name + "/text");
    if (entry.text != nullptr) {
      entry.priceColour = entry.text->colour;
    }
    list.push_back(entry);
  }
}

void GUIStartGameLogicWindow::SetPreview(CorvantisEngine::GUIWindow* picture, const std::string& name) {
  if (picture == nullptr) {
    return;
  }
  // A missing preview is logged by the keeper; its stand-in material is not shown as a preview.
  CorvantisEngine::ShaderUser* preview = gameData->GetShaderUser(name);
  if (preview != nullptr && preview != gameData->GetDefaultShaderUser()) {
    picture->SetTexture(*preview);
  }
}

Profile* GUIStartGameLogicWindow::CurrentProfile() const {
  return profileManager != nullptr ? profileManager->GetCurrent() : nullptr;
}

std::uint32_t GUIStartGameLogicWindow::ThemeCount() const {
  return content != nullptr ? std::min<std::uint32_t>(content->themeCount,
                                                      static_cast<std::uint32_t>(content->themeNames.size()))
                            : 0;
}

std::uint32_t GUIStartGameLogicWindow::PictureCount(std::uint32_t theme) const {
  return theme < ThemeCount() && theme < content->pictureCounts.size() ? content->pictureCounts[theme] : 0;
}

std::uint32_t GUIStartGameLogicWindow::PuzzleCount() const {
  return content != nullptr ? std::min<std::uint32_t>(content->puzzleCount,
                                                      static_cast<std::uint32_t>(content->puzzleCosts.size()))
                            : 0;
}

bool GUIStartGameLogicWindow::IsUnlocked(ListKind kind, std::uint32_t index) const {
  const Profile* profile = CurrentProfile();
  if (profile == nullptr) {
    return false;
  }
  switch (kind) {
    case ListKind::Themes:
      return Contains(profile->unlockedThemes, index);
    case ListKind::Pictures:
      return ContainsPair(profile->unlockedPictures, profile->selectedTheme, index);
    case ListKind::Puzzles:
      return Contains(profile->unlockedPuzzles, index);
  }
  return false;
}

std::uint32_t GUIStartGameLogicWindow::CostOf(ListKind kind, std::uint32_t index) const {
  if (content == nullptr) {
    return 0;
  }
  switch (kind) {
    case ListKind::Themes:
      return Price(content->themeCost);
    case ListKind::Pictures:
      return Price(content->pictureCost);
    case ListKind::Puzzles:
      return index < content->puzzleCosts.size() ? Price(content->puzzleCosts[index]) : 0;
  }
  return 0;
}

void GUIStartGameLogicWindow::Show(std::uint32_t opener) {
  GUIStartGameLogicWindowBase::Show(opener);
  if (opener == kOpenerLevelComplete || opener == kOpenerRestart) {
    return;
  }
  Profile* profile = CurrentProfile();
  if (relaxBox != nullptr) {
    relaxBox->checked = profile != nullptr && profile->GetGameMode() != 0 ? 1 : 0;
  }
  if (opener == kOpenerContinue) {
    if (profile != nullptr && profile->IsGameInProgress()) {
      return;
    }
    openerId = 0;
  }
  ClampSelections();
  RefreshThemesAndPictures();
  RefreshPuzzles();
  MarkPuzzleSize();
  HideStarsAndPrices();
  SetShown(true);
}

void GUIStartGameLogicWindow::Hide() {
  GUIStartGameLogicWindowBase::Hide();
  HideStarsAndPrices();
  SetShown(false);
}

void GUIStartGameLogicWindow::HideStarsAndPrices() {
  for (std::vector<Entry>* list : {&themes, &pictures, &puzzles}) {
    for (Entry& entry : *list) {
      if (entry.star != nullptr) {
        EnableControlObject(entry.star, false);
      }
      if (entry.text != nullptr) {
        EnableControlObject(entry.text, false);
      }
    }
  }
  if (cursorTip != nullptr) {
    EnableControlObject(cursorTip, false);
  }
}

void GUIStartGameLogicWindow::ClampSelections() {
  Profile* profile = CurrentProfile();
  const std::uint32_t themeCount = ThemeCount();
  const std::uint32_t puzzleCount = PuzzleCount();
  bool startable = profile != nullptr && themeCount > 0 && puzzleCount > 0;
  if (profile != nullptr) {
    bool changed = false;
    // An index the catalogue does not have (a removed theme folder, an edited profile) would read past
    // the catalogue's lists: it falls back to the first unlocked entry, else to 0.
    auto clamp = [&](std::uint32_t& selected, std::uint32_t count, ListKind kind) {
      if (count == 0 || selected < count) {
        return;
      }
      std::uint32_t fallback = 0;
      for (std::uint32_t i = 0; i < count; ++i) {
        if (IsUnlocked(kind, i)) {
          fallback = i;
          break;
        }
      }
      selected = fallback;
      changed = true;
    };
    clamp(profile->selectedTheme, themeCount, ListKind::Themes);
    clamp(profile->selectedPicture, PictureCount(profile->selectedTheme), ListKind::Pictures);
    clamp(profile->selectedPuzzle, puzzleCount, ListKind::Puzzles);
    if (PictureCount(profile->selectedTheme) == 0) {
      startable = false;
    }
    if (changed && themeCount > 0 && puzzleCount > 0) {
      profile->Save();
    }
  }
  if (startButton != nullptr) {
    startButton->SetEnabled(startable);
  }
}

void GUIStartGameLogicWindow::RefreshThemesAndPictures() {
  const Profile* profile = CurrentProfile();
  if (profile == nullptr) {
    return;
  }
  for (std::uint32_t i = 0; i < themes.size(); ++i) {
    if (themes[i].checkBox != nullptr) {
      themes[i].checkBox->checked = i == profile->selectedTheme ? 1 : 0;
    }
  }
  for (std::uint32_t j = 0; j < pictures.size(); ++j) {
    if (pictures[j].checkBox != nullptr) {
      pictures[j].checkBox->checked = j == profile->selectedPicture ? 1 : 0;
    }
  }
  const std::uint32_t pictureCount = PictureCount(profile->selectedTheme);
  for (std::uint32_t j = 0; j < pictures.size(); ++j) {
    Entry& entry = pictures[j];
    if (j < pictureCount) {
      SetPreview(entry.picture,
                 "themes/" + content->themeNames[profile->selectedTheme] + "/preview_" + TwoDigits(j));
      if (entry.text != nullptr) {
        entry.text->SetText(CorvantisEngine::UIntToWString(CostOf(ListKind::Pictures, j)));
      }
      ShowControl(*this, entry.control);
    } else {
      EnableControlObject(entry.control, false);
    }
  }
  RefreshLocks(ListKind::Themes, themes, ThemeCount());
  RefreshLocks(ListKind::Pictures, pictures, pictureCount);
}

void GUIStartGameLogicWindow::RefreshPuzzles() {
  const Profile* profile = CurrentProfile();
  if (profile == nullptr) {
    return;
  }
  for (std::uint32_t k = 0; k < puzzles.size(); ++k) {
    if (puzzles[k].checkBox != nullptr) {
      puzzles[k].checkBox->checked = k == profile->selectedPuzzle ? 1 : 0;
    }
  }
  RefreshLocks(ListKind::Puzzles, puzzles, PuzzleCount());
}

void GUIStartGameLogicWindow::RefreshLocks(ListKind kind, std::vector<Entry>& list, std::uint32_t count) {
  const std::uint32_t n = std::min(count, static_cast<std::uint32_t>(list.size()));
  for (std::uint32_t i = 0; i < n; ++i) {
    Entry& entry = list[i];
    const bool unlocked = IsUnlocked(kind, i);
    if (entry.checkBox != nullptr) {
      entry.checkBox->SetEnabled(unlocked);
    }
    if (entry.lock == nullptr) {
      continue;
    }
    if (unlocked) {
      EnableControlObject(entry.lock, false);
    } else {
      ShowControl(*this, entry.lock);
    }
  }
}

void GUIStartGameLogicWindow::MarkPuzzleSize() {
  const Profile* profile = CurrentProfile();
  if (profile == nullptr) {
    return;
  }
  for (std::uint32_t n = 0; n < puzzleSizes.size(); ++n) {
    if (puzzleSizes[n] != nullptr) {
      puzzleSizes[n]->checked = n == profile->selectedPuzzleSize ? 1 : 0;
    }
  }
}

void GUIStartGameLogicWindow::StartStarsEffect(const CorvantisEngine::Vector2& target) {
  GUIStartGameStarsEffect* effect = nullptr;
  for (GUIStartGameStarsEffect* candidate : starsEffects) {
    if (candidate->IsFinished()) {
      effect = candidate;
      break;
    }
  }
  if (effect == nullptr) {
    effect = new GUIStartGameStarsEffect(GUIWindowBase::engine, gameData, GetContainer());
    starsEffects.push_back(effect);
  }
  const CorvantisEngine::GUIWindow* from =
      starsText != nullptr && starsText->GetElement() != nullptr ? starsText->GetElement() : nullptr;
  effect->Start(from != nullptr ? Centre(from) : target, target);
}

void GUIStartGameLogicWindow::Update() {
  GUIStartGameLogicWindowBase::Update();
  GUIMenuWindow::Update();
  for (GUIStartGameStarsEffect* effect : starsEffects) {
    effect->Update();
  }

  if (openerId == kOpenerContinue || openerId == kOpenerLevelComplete || openerId == kOpenerRestart) {
    result = kAnswerStart;
    openerId = 0;
    return;
  }
  Profile* profile = CurrentProfile();
  if (!IsActive() || profile == nullptr) {
    return;
  }

  if (cursorTip != nullptr) {
    cursorTip->position = guiManager->GetCursorPosition() + cursorTipOffset;
  }
  const std::uint32_t stars = profile->money;
  if (starsText != nullptr) {
    starsText->SetText(CorvantisEngine::UIntToWString(stars));
  }

  bool affordableHover = false;
  for (std::uint32_t i = 0; i < themes.size() && i < ThemeCount(); ++i) {
    UpdateEntry(ListKind::Themes, i, themes[i], stars, affordableHover);
  }
  for (std::uint32_t j = 0; j < pictures.size() && j < PictureCount(profile->selectedTheme); ++j) {
    UpdateEntry(ListKind::Pictures, j, pictures[j], stars, affordableHover);
  }
  for (std::uint32_t k = 0; k < puzzles.size() && k < PuzzleCount(); ++k) {
    UpdateEntry(ListKind::Puzzles, k, puzzles[k], stars, affordableHover);
  }

  if (cursorTip != nullptr) {
    if (affordableHover && !cursorTip->shown) {
      EnableControlObject(cursorTip, true);
      cursorTip->SetVisible(true, true);
    } else if (!affordableHover && cursorTip->shown) {
      cursorTip->SetVisible(false, true);
    }
  }

  for (std::uint32_t n = 0; n < puzzleSizes.size(); ++n) {
    if (puzzleSizes[n] != nullptr && puzzleSizes[n]->clicked != 0) {
      profile->selectedPuzzleSize = n;
      profile->Save();
      MarkPuzzleSize();
      break;
    }
  }
  if (relaxBox != nullptr && relaxBox->clicked != 0) {
    profile->SetGameMode(relaxBox->checked != 0 ? 1 : 0);
    profile->Save();
  }
  if (backButton != nullptr && backButton->clicked != 0) {
    result = kAnswerBack;
  }
  if (startButton != nullptr && startButton->clicked != 0 && startButton->IsEnabled()) {
    result = kAnswerStart;
  }
}

void GUIStartGameLogicWindow::UpdateEntry(ListKind kind, std::uint32_t index, Entry& entry,
                                          std::uint32_t stars, bool& affordableHover) {
  bool bought = false;
  if (!IsUnlocked(kind, index)) {
    const std::uint32_t cost = CostOf(kind, index);
    const bool hovered = entry.checkBox != nullptr && entry.checkBox->hovered != 0;
    if (!hovered) {
      SetLockFrame(entry.lockWindow, kLockIdle);
      if (entry.star != nullptr && entry.star->shown) {
        entry.star->SetVisible(false, true);
        if (entry.text != nullptr) {
          entry.text->SetVisible(false, true);
        }
      }
    } else {
      if (stars < cost) {
        SetLockFrame(entry.lockWindow, kLockTooDear);
      } else {
        SetLockFrame(entry.lockWindow, kLockAffordable);
        affordableHover = true;
        if (controls->IsKeyPressed("MOUSE1")) {
          bought = true;
          Buy(kind, index, cost);
          if (entry.star != nullptr) {
            entry.star->SetVisible(false, true);
          }
          if (entry.text != nullptr) {
            entry.text->SetVisible(false, true);
          }
          if (entry.checkBox != nullptr) {
            StartStarsEffect(Centre(entry.checkBox));
          }
        }
      }
      if (!bought && entry.star != nullptr && !entry.star->shown) {
        const bool tooDear = stars < cost;
        ShowControl(*this, entry.star);
        if (CorvantisEngine::GUIWindow* starWindow = entry.star->GetElement()) {
          const float alpha = starWindow->GetColour().w;
          starWindow->SetColour(tooDear ? CorvantisEngine::Vector4{1.0f, 0.0f, 0.0f, alpha}
                                        : CorvantisEngine::Vector4{1.0f, 1.0f, 1.0f, alpha});
        }
        if (entry.text != nullptr) {
          ShowControl(*this, entry.text);
          entry.text->colour = tooDear ? CorvantisEngine::Vector4{1.0f, 0.0f, 0.0f, 1.0f} : entry.priceColour;
        }
      }
    }
  }
  if (bought || (entry.checkBox != nullptr && entry.checkBox->clicked != 0)) {
    Choose(kind, index);
  }
}

void GUIStartGameLogicWindow::Buy(ListKind kind, std::uint32_t index, std::uint32_t cost) {
  Profile* profile = CurrentProfile();
  switch (kind) {
    case ListKind::Themes:
      profile->unlockedThemes.push_back(index);
      profile->Save();
      // The first picture of a theme comes with it.
      profile->unlockedPictures.push_back(index);
      profile->unlockedPictures.push_back(0);
      profile->Save();
      break;
    case ListKind::Pictures:
      profile->unlockedPictures.push_back(profile->selectedTheme);
      profile->unlockedPictures.push_back(index);
      profile->Save();
      break;
    case ListKind::Puzzles:
      profile->unlockedPuzzles.push_back(index);
      profile->Save();
      break;
  }
  profile->money -= std::min(profile->money, cost);
  profile->Save();
}

void GUIStartGameLogicWindow::Choose(ListKind kind, std::uint32_t index) {
  Profile* profile = CurrentProfile();
  switch (kind) {
    case ListKind::Themes:
      if (index != profile->selectedTheme) {
        profile->selectedTheme = index;
        profile->Save();
        profile->selectedPicture = 0;
        profile->Save();
      }
      RefreshThemesAndPictures();
      break;
    case ListKind::Pictures:
      profile->selectedPicture = index;
      profile->Save();
      RefreshThemesAndPictures();
      break;
    case ListKind::Puzzles:
      profile->selectedPuzzle = index;
      profile->Save();
      RefreshPuzzles();
      break;
  }
}

}  // namespace Puzzle
