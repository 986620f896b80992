#pragma once
// Config: the engine's named configuration variables, their commands and their ini file.
//
// Each variable binds a name to a field that the code reads directly (the engine's own are the public
// fields below); it gives that field a kind, a default text, a place in the ini file and a way to be
// set from a text line (ini file, console, window messages). Commands carry no value: a command is
// issued by setting it to false (`SetBool(name, false)` or a line naming it) and re-armed by the code
// that handles it (`SetBool(name, true)`); "exit" stays issued. The Engine loads the ini at creation,
// runs `Update` at each frame start, `ClearChangedFlags` at each frame end and `Save` on exit.
//
// Main thread only. Owns its variable records, not the bound fields (callers keep them alive while
// the variable exists). Nothing throws: unknown names read as false, 0 or empty and are ignored by
// setters; a missing ini file leaves the defaults; a failed save is logged as an error and the old
// file stays as it was.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;

struct ConfigVariable {
  enum Type : std::uint32_t { kInteger = 0, kFloat = 1, kBool = 2, kText = 3, kCommand = 4 };

  std::uint32_t type = kInteger;
  bool readOnly = false;
  bool saved = false;
  // The field holding the value: std::int32_t, float, std::uint8_t or std::string by type; null for
  // commands. Not owned.
  void* storage = nullptr;
  std::string defaultText;
  // The event flag: 1 armed, 0 issued for commands.
  bool flag = false;
  bool watch = false;
  std::int32_t lastInteger = 0;
  float lastFloat = 0.0f;
  std::uint8_t lastBool = 0;
  std::string lastText;
  bool changed = false;
  bool removed = false;
  std::string keptText;
};

class Config {
 public:
  // Results of ExecuteLine.
  static constexpr std::int32_t kLineDone = 0;
  static constexpr std::int32_t kLineReadOnly = 2;
  static constexpr std::int32_t kLineNoValue = 3;
  static constexpr std::int32_t kLineUnknown = 4;
  static constexpr std::int32_t kLineEmpty = 5;

  // The ini file is configFolder\applicationName.ini (beside the data when the folder is empty); an
  // empty application name means "Corvantis Engine", an empty video mode "800x600x32" (and then it
  // is not forced). Registers the engine variables.
  Config(MessageManager* log, FileManager* files, const std::string& configFolder,
         const std::string& applicationName, bool forceDefaultVideoMode, const std::string& defaultVideoMode,
         bool forceDefaultFullScreen, bool defaultFullScreen);
  virtual ~Config();

  Config(const Config&) = delete;
  Config& operator=(const Config&) = delete;

  // Registers a variable (the name is lower-cased) and writes its default into the storage; an ini
  // line read for it before it existed is applied now. A removed variable comes back with its value.
  void AddVariable(const std::string& name, std::uint32_t type, bool readOnly, bool saved, void* storage,
                   const std::string& defaultText, bool watchChanges);
  void RemoveVariable(const std::string& name);

  // Sets the event flag of the variable whose key is exactly `name` (no lower-casing).
  void SetBool(const std::string& name, bool value);
  bool GetBool(const std::string& name) const;
  bool IsChanged(const std::string& name) const;
  // The name the game framework's code uses for IsChanged.
  bool IsReadOnly(const std::string& name) const { return IsChanged(name); }
  std::string GetDefaultText(const std::string& name) const;
  std::string GetString(const std::string& name) const { return GetDefaultText(name); }
  // Integer in decimal, float with six decimals, bool "1"/"0", text as is, command empty.
  std::string GetValueText(const std::string& name) const;
  void SetValueText(const std::string& name, const std::string& text);
  void ApplyVariable(const std::string& name);
  void ResetAll();

  // Runs one "name value" line. outName (may be null) receives the parsed, lower-cased name.
  std::int32_t ExecuteLine(const std::string& line, std::string* outName);
  void GetVariableNames(std::vector<std::string>& out) const;

  void Update();
  void ClearChangedFlags();
  // Reads the ini file over the defaults. A "v_mode" larger than the display (the desktop the window
  // opens on) falls back to the variable's default, with a warning.
  void Load();
  // Writes the ini file through a temporary file of this process, synced to the disk, that then
  // replaces the old file.
  void Save();

  // What ExecuteLine does to a line's spaces first: each pair of spaces goes, so a run of n spaces leaves
  // n mod 2 (other blanks stay).
  static std::string RemoveSpacePairs(const std::string& line);

  // "800x600x32" style; 640, 480 and 16 when either 'x' is missing. Null outputs are skipped.
  static void ParseMode(const std::string& text, std::uint32_t* width, std::uint32_t* height,
                        std::uint32_t* bits);

  const std::string& GetIniPath() const { return iniPath_; }

  // The engine variables' fields, read directly by the systems they concern.
  std::string v_mode;
  std::uint8_t v_fullscreen = 0;
  std::uint8_t v_vsync = 0;
  float v_brightness = 1.0f;
  float v_contrast = 1.0f;
  float v_gamma = 1.0f;
  std::uint8_t r_use_mip_mapping = 0;
  std::uint8_t r_show_octree_nodes = 0;
  std::uint8_t r_show_faces_edges = 0;
  std::uint8_t r_show_faces_normals = 0;
  std::uint8_t r_show_mip_maps = 0;
  std::int32_t r_texture_anisotropy = 0;
  std::uint8_t c_invert_mouse = 0;
  std::int32_t sc_take_screenshot_format = 0;

 private:
  void CheckModeAgainstDisplay();
  ConfigVariable* Find(const std::string& name);
  const ConfigVariable* Find(const std::string& name) const;

  MessageManager* log_;
  FileManager* files_;
  std::string iniPath_;
  // Keyed by lower-case name, so iteration (and the ini file) is in ascending byte order.
  std::map<std::string, std::unique_ptr<ConfigVariable>> variables_;
  std::map<std::string, std::string> pendingLines_;
  bool forceDefaultVideoMode_;
  bool forceDefaultFullScreen_;
};

}  // namespace CorvantisEngine
