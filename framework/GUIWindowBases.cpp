#include "framework/GUIWindowBases.h"

#include "engine/core/StringUtils.h"
#include "framework/ProfileManagerBase.h"
#include "framework/SavedFile.h"

namespace GameFramework {

namespace {

// A typed name as the profile will store it: trimmed and cut to the saved length.
std::wstring StoredName(const std::wstring& name) {
  return LimitSavedName(CorvantisEngine::WStringTrim(name));
}

}  // namespace

void GUIWelcomeWindowBase::CreateProfile(const std::wstring& name) {
  // The profile that AddProfile answers is the one to make current: looking the typed name up again
  // would miss a name that was trimmed or cut on the way in.
  ProfileBase* profile = profileManager->AddProfile(name);
  profileManager->SetCurrentProfile(profile, true);
}

void GUINewProfileWindowBase::ShowWithFlag(std::uint32_t opener, bool /*flag*/) {
  Show(opener);
}

bool GUINewProfileWindowBase::CreateProfile(const std::wstring& name) {
  if (profileManager->FindProfile(StoredName(name)) != nullptr) {
    return false;
  }
  ProfileBase* profile = profileManager->AddProfile(name);
  profileManager->SetCurrentProfile(profile, true);
  return true;
}

void GUIRenameProfileWindowBase::ShowWithName(std::uint32_t opener, bool setName, const std::wstring& name) {
  Show(opener);
  if (setName) {
    oldName = name;
  }
}

bool GUIRenameProfileWindowBase::RenameProfile(const std::wstring& newName) {
  const std::wstring stored = StoredName(newName);
  if (CorvantisEngine::WStringToLowerCopy(stored) == CorvantisEngine::WStringToLowerCopy(oldName)) {
    return true;
  }
  if (profileManager->FindProfile(stored) != nullptr) {
    return false;
  }
  profileManager->RenameProfile(oldName, stored);
  return true;
}

void GUIDeleteProfileWindowBase::ShowWithName(std::uint32_t opener, const std::wstring& name) {
  Show(opener);
  this->name = name;
}

void GUIDeleteProfileWindowBase::DeleteProfile() {
  profileManager->DeleteProfile(name);
}

void GUIStageCompleteWindowBase::ShowWithLevel(std::uint32_t opener, const LevelPosition& position) {
  Show(opener);
  stage = position.stage;
  level = position.level;
}

void GUILevelCompleteWindowBase::ShowWithResult(std::uint32_t opener, const LevelPosition& position,
                                                float time) {
  Show(opener);
  stage = position.stage;
  level = position.level;
  this->time = time;
}

void GUIHighScoresWindowBase::ShowWithEntry(std::uint32_t opener, const HighScoreEntry* entry) {
  Show(opener);
  this->entry = entry;
}

}  // namespace GameFramework
