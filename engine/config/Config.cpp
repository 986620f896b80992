#include "engine/config/Config.h"

#include <cctype>
#include <cmath>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"

namespace CorvantisEngine {

namespace {

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

Config::Config(MessageManager* log, FileManager* files, const std::string& configFolder,
               const std::string& applicationName, bool forceDefaultVideoMode,
               const std::string& defaultVideoMode, bool forceDefaultFullScreen, bool defaultFullScreen)
    : log_(log),
      files_(files),
      forceDefaultVideoMode_(forceDefaultVideoMode),
      forceDefaultFullScreen_(forceDefaultFullScreen) {
  const std::string application = applicationName.empty() ? "Corvantis Engine" : applicationName;
  iniPath_ = configFolder.empty() ? application + ".ini" : configFolder + "\\" + application + ".ini";
  std::string videoMode = defaultVideoMode;
  if (videoMode.empty()) {
    videoMode = "800x600x32";
    forceDefaultVideoMode_ = false;
  }

  using V = ConfigVariable;
  AddVariable("reset_config", V::kCommand, false, false, nullptr, "", false);
  AddVariable("v_mode", V::kText, false, true, &v_mode, videoMode, false);
  AddVariable("v_fullscreen", V::kBool, false, true, &v_fullscreen, defaultFullScreen ? "1" : "0", false);
  AddVariable("v_vsync", V::kBool, false, true, &v_vsync, "1", false);
  AddVariable("v_brightness", V::kFloat, false, true, &v_brightness, "1.0", false);
  AddVariable("v_contrast", V::kFloat, false, true, &v_contrast, "1.0", false);
  AddVariable("v_gamma", V::kFloat, false, true, &v_gamma, "1.0", false);
  AddVariable("v_window_change_mode", V::kCommand, false, false, nullptr, "", false);
  AddVariable("r_use_mip_mapping", V::kBool, false, true, &r_use_mip_mapping, "1", false);
  AddVariable("r_show_octree_nodes", V::kBool, false, true, &r_show_octree_nodes, "0", false);
  AddVariable("r_show_faces_edges", V::kBool, false, true, &r_show_faces_edges, "0", false);
  AddVariable("r_show_faces_normals", V::kBool, false, true, &r_show_faces_normals, "0", false);
  AddVariable("r_show_mip_maps", V::kBool, false, true, &r_show_mip_maps, "0", false);
  AddVariable("r_texture_anisotropy", V::kInteger, false, true, &r_texture_anisotropy, "1", false);
  AddVariable("c_invert_mouse", V::kBool, false, true, &c_invert_mouse, "0", false);
  AddVariable("sc_take_screenshot", V::kCommand, false, false, nullptr, "", false);
  AddVariable("sc_take_screenshot_tga", V::kCommand, false, false, nullptr, "", false);
  AddVariable("sc_take_screenshot_jpg", V::kCommand, false, false, nullptr, "", false);
  AddVariable("sc_take_screenshot_format", V::kInteger, false, true, &sc_take_screenshot_format, "0", false);
  AddVariable("sc_start_movie_record", V::kCommand, false, false, nullptr, "", false);
  AddVariable("sc_stop_movie_record", V::kCommand, false, false, nullptr, "", false);
  AddVariable("exit", V::kCommand, false, false, nullptr, "", false);
}

Config::~Config() = default;

ConfigVariable* Config::Find(const std::string& name) {
  auto it = variables_.find(StringToLowerCopy(name));
  return (it == variables_.end() || it->second->removed) ? nullptr : it->second.get();
}

const ConfigVariable* Config::Find(const std::string& name) const {
  auto it = variables_.find(StringToLowerCopy(name));
  return (it == variables_.end() || it->second->removed) ? nullptr : it->second.get();
}

void Config::AddVariable(const std::string& name, std::uint32_t type, bool readOnly, bool saved,
                         void* storage, const std::string& defaultText, bool watchChanges) {
  const std::string key = StringToLowerCopy(name);
  auto it = variables_.find(key);
  if (it != variables_.end()) {
    ConfigVariable& existing = *it->second;
    if (existing.removed) {
      existing.storage = storage;
      existing.removed = false;
      existing.changed = existing.watch;
      SetValueText(key, existing.keptText);
    }
    return;
  }
  auto variable = std::make_unique<ConfigVariable>();
  variable->type = type > ConfigVariable::kCommand ? ConfigVariable::kCommand : type;
  variable->readOnly = readOnly;
  variable->saved = saved;
  variable->storage = variable->type == ConfigVariable::kCommand ? nullptr : storage;
  variable->defaultText = defaultText;
  variable->flag = variable->type == ConfigVariable::kCommand;
  variable->watch = watchChanges;
  variable->changed = watchChanges;
  variables_.emplace(key, std::move(variable));
  ApplyVariable(key);

  auto pending = pendingLines_.find(key);
  if (pending != pendingLines_.end()) {
    const std::string line = pending->second;
    pendingLines_.erase(pending);
    ExecuteLine(line, nullptr);
  }
}

void Config::RemoveVariable(const std::string& name) {
  ConfigVariable* variable = Find(name);
  if (variable == nullptr) {
    return;
  }
  variable->keptText = GetValueText(name);
  variable->removed = true;
}

void Config::SetBool(const std::string& name, bool value) {
  auto it = variables_.find(name);
  if (it == variables_.end() || it->second->removed) {
    return;
  }
  it->second->flag = value;
}

bool Config::GetBool(const std::string& name) const {
  const ConfigVariable* variable = Find(name);
  return variable != nullptr && variable->flag;
}

bool Config::IsChanged(const std::string& name) const {
  const ConfigVariable* variable = Find(name);
  return variable != nullptr && variable->changed;
}

std::string Config::GetDefaultText(const std::string& name) const {
  const ConfigVariable* variable = Find(name);
  return variable != nullptr ? variable->defaultText : std::string();
}

std::string Config::GetValueText(const std::string& name) const {
  auto it = variables_.find(StringToLowerCopy(name));
  if (it == variables_.end()) {
    return {};
  }
  const ConfigVariable& variable = *it->second;
  if (variable.removed) {
    return variable.keptText;
  }
  if (variable.storage == nullptr) {
    return {};
  }
  switch (variable.type) {
    case ConfigVariable::kInteger:
      return IntToString(*static_cast<const std::int32_t*>(variable.storage));
    case ConfigVariable::kFloat:
      return FloatToString(*static_cast<const float*>(variable.storage), 6);
    case ConfigVariable::kBool:
      return *static_cast<const std::uint8_t*>(variable.storage) != 0 ? "1" : "0";
    case ConfigVariable::kText:
      return *static_cast<const std::string*>(variable.storage);
    default:
      return {};
  }
}

void Config::SetValueText(const std::string& name, const std::string& text) {
  ConfigVariable* variable = Find(name);
  if (variable == nullptr || variable->storage == nullptr) {
    return;
  }
  switch (variable->type) {
    case ConfigVariable::kInteger:
      *static_cast<std::int32_t*>(variable->storage) = StringToInt(text, 10);
      break;
    case ConfigVariable::kFloat:
      *static_cast<float*>(variable->storage) = StringToFloat(text);
      break;
    case ConfigVariable::kBool:
      *static_cast<std::uint8_t*>(variable->storage) = StringToInt(text, 10) != 0 ? 1 : 0;
      break;
    case ConfigVariable::kText:
      *static_cast<std::string*>(variable->storage) = text;
      break;
    default:
      break;
  }
}

void Config::ApplyVariable(const std::string& name) {
  ConfigVariable* variable = Find(name);
  if (variable == nullptr) {
    return;
  }
  SetValueText(name, variable->defaultText);
  variable->flag = variable->type == ConfigVariable::kCommand;
}

void Config::ResetAll() {
  for (auto& [name, variable] : variables_) {
    if (!variable->readOnly) {
      ApplyVariable(name);
    }
  }
}

std::int32_t Config::ExecuteLine(const std::string& line, std::string* outName) {
  if (outName != nullptr) {
    outName->clear();
  }
  std::string work = line;
  StringTrim(work);
  StringTrimLeftChar(work, '\\');
  // Each pair of spaces goes; the scan resumes where the pair was, so an odd run leaves one space.
  for (std::size_t at = work.find("  "); at != std::string::npos; at = work.find("  ", at)) {
    work.erase(at, 2);
  }
  if (work.empty()) {
    return kLineEmpty;
  }

  std::string name;
  std::size_t i = 0;
  for (; i < work.size(); ++i) {
    const char c = work[i];
    if (IsSpace(c) || c == '\\') {
      if (!name.empty()) {
        break;
      }
      continue;
    }
    name.push_back(c);
  }
  StringToLower(name);
  if (outName != nullptr) {
    *outName = name;
  }
  ConfigVariable* variable = Find(name);
  if (variable == nullptr) {
    return kLineUnknown;
  }
  if (variable->type == ConfigVariable::kCommand) {
    SetBool(name, false);
    return kLineDone;
  }
  // The value starts right after the parsed name and ends before a "\\" comment.
  std::string value = work.substr(i);
  const std::size_t comment = value.find("\\\\");
  if (comment != std::string::npos) {
    value.resize(comment);
  }
  StringTrim(value);
  if (value.empty()) {
    return kLineNoValue;
  }
  if (variable->readOnly) {
    return kLineReadOnly;
  }
  SetValueText(name, value);
  return kLineDone;
}

void Config::GetVariableNames(std::vector<std::string>& out) const {
  out.clear();
  for (const auto& [name, variable] : variables_) {
    if (!variable->removed) {
      out.push_back(name);
    }
  }
}

void Config::Update() {
  if (!GetBool("reset_config")) {
    SetBool("reset_config", true);
    ResetAll();
  }
  for (auto& [name, variable] : variables_) {
    if (variable->removed || !variable->watch || variable->storage == nullptr) {
      continue;
    }
    switch (variable->type) {
      case ConfigVariable::kInteger: {
        const std::int32_t value = *static_cast<const std::int32_t*>(variable->storage);
        if (value != variable->lastInteger) {
          variable->changed = true;
          variable->lastInteger = value;
        }
        break;
      }
      case ConfigVariable::kFloat: {
        const float value = *static_cast<const float*>(variable->storage);
        if (std::fabs(value - variable->lastFloat) > 0.0001f) {
          variable->changed = true;
          variable->lastFloat = value;
        }
        break;
      }
      case ConfigVariable::kBool: {
        const std::uint8_t value = *static_cast<const std::uint8_t*>(variable->storage);
        if (value != variable->lastBool) {
          variable->changed = true;
          variable->lastBool = value;
        }
        break;
      }
      case ConfigVariable::kText: {
        const std::string& value = *static_cast<const std::string*>(variable->storage);
        if (value != variable->lastText) {
          variable->changed = true;
          variable->lastText = value;
        }
        break;
      }
      default:
        break;
    }
  }
}

void Config::ClearChangedFlags() {
  for (auto& [name, variable] : variables_) {
    variable->changed = false;
  }
}

void Config::Load() {
  ResetAll();
  pendingLines_.clear();
  if (files_ != nullptr) {
    try {
      std::unique_ptr<FileTextual> file(files_->OpenTextFile(iniPath_, false, kTextEncodingAnsi));
      std::string line;
      while (file->ReadLine(line, true)) {
        std::string name;
        if (ExecuteLine(line, &name) == kLineUnknown && !name.empty()) {
          pendingLines_[name] = line;
        }
      }
    } catch (const FileError&) {
      // No ini file yet, or an unreadable one: the defaults stand.
    }
  }
  if (forceDefaultVideoMode_) {
    ApplyVariable("v_mode");
  }
  if (forceDefaultFullScreen_) {
    ApplyVariable("v_fullscreen");
  }
}

void Config::Save() {
  if (files_ == nullptr) {
    return;
  }
  // The new file is written beside the old one and replaces it only when complete, so a failed save
  // never leaves a truncated ini behind.
  const std::string temporary = iniPath_ + ".tmp";
  try {
    std::unique_ptr<FileTextual> file(files_->OpenTextFile(temporary, true, kTextEncodingAnsi));
    for (const auto& [name, variable] : variables_) {
      if (!variable->saved || variable->readOnly || variable->type == ConfigVariable::kCommand) {
        continue;
      }
      file->WriteText(name + " " + GetValueText(name));
      file->WriteNewLine();
    }
    file->Close();
    if (!files_->ReplaceFile(temporary, iniPath_)) {
      throw FileError("Failed to open \"" + FileManager::GetFullPath(files_->ResolvePath(iniPath_)) +
                      "\" file");
    }
  } catch (const FileError& error) {
    files_->RemoveFile(temporary);
    if (log_ != nullptr) {
      log_->Error(error.GetMessage());
    }
  }
}

void Config::ParseMode(const std::string& text, std::uint32_t* width, std::uint32_t* height,
                       std::uint32_t* bits) {
  std::uint32_t w = 640;
  std::uint32_t h = 480;
  std::uint32_t b = 16;
  const std::size_t first = text.find_first_of("xX");
  const std::size_t second = first == std::string::npos ? first : text.find_first_of("xX", first + 1);
  if (second != std::string::npos) {
    w = StringToUIntBase(text.substr(0, first), 10);
    h = StringToUIntBase(text.substr(first + 1, second - first - 1), 10);
    b = StringToUIntBase(text.substr(second + 1), 10);
  }
  if (width != nullptr) {
    *width = w;
  }
  if (height != nullptr) {
    *height = h;
  }
  if (bits != nullptr) {
    *bits = b;
  }
}

}  // namespace CorvantisEngine
