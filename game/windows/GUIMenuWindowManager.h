#pragma once
// GUIMenuWindowManager: the one lock that keeps a single menu window on screen. A menu window takes the
// lock when it appears and gives it back once its hide has finished; a window asked to appear meanwhile
// waits. The in-game window, which is no menu window, can hold the lock for nobody (Acquire with null)
// while it fades out, so that no menu appears over it.
//
// The manager lists every menu window in construction order and runs their transitions each frame:
// the hidden ones first, so that a window that finishes hiding frees the lock in the same frame in
// which the next one takes it. It also puts the game data's small publisher logos on the windows that
// have places for them.
//
// Main thread only. Windows and game data are borrowed; windows do not unregister, so the manager must
// not be updated after a window has been destroyed. Nothing throws.

#include <cstdint>
#include <vector>

namespace GUITools {
class GUIWindowBase;
}

namespace Puzzle {

class GameData;
class GUIMenuWindow;

class GUIMenuWindowManager {
 public:
  explicit GUIMenuWindowManager(GameData* gameData);
  GUIMenuWindowManager(const GUIMenuWindowManager&) = delete;
  GUIMenuWindowManager& operator=(const GUIMenuWindowManager&) = delete;
  virtual ~GUIMenuWindowManager();

  void Release();
  // Takes a free lock for the window (null: for nobody); a held lock stays as it is.
  void Acquire(GUIMenuWindow* window);
  void AddWindow(GUIMenuWindow* window);
  // Called every frame before the windows' own updates.
  void BeginUpdate();
  // The transitions of the hidden windows, then of the shown ones, each in list order.
  void Update();
  // "<name>/logo_additional_0" and "_1" get the small logo texture of publisher 0 and 1; a place whose
  // logo is missing is disabled (hidden). Windows without those controls are left alone.
  void SetupAdditionalLogos(GUITools::GUIWindowBase* window);

  bool IsFree() const { return free != 0; }
  GUIMenuWindow* GetOwner() const { return owner; }
  const std::vector<GUIMenuWindow*>& GetWindows() const { return windows; }

 private:
  GameData* gameData;
  std::vector<GUIMenuWindow*> windows;  // not owned
  std::uint8_t free = 1;
  GUIMenuWindow* owner = nullptr;
};

}  // namespace Puzzle
