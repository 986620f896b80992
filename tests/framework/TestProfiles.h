#pragma once
// A game's profile and profile manager as the puzzle game makes them: the framework's profile plus the
// game's section after the volumes (three option bytes, four selections, three lists, the money), the
// file identities "PZPRF" 105 and "QLPMF" 100.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/files/FileBinary.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework::frameworktest {

class TestProfile : public ProfileBase {
 public:
  struct Open {};
  struct New {};

  TestProfile(CorvantisEngine::Engine* engine, const std::string& fileName, const std::string& saveFolder,
              Open)
      : ProfileBase(engine, saveFolder, "PZPRF", 105) {
    Load(fileName);
  }
  TestProfile(CorvantisEngine::Engine* engine, const std::wstring& name, const std::string& saveFolder, New)
      : ProfileBase(engine, saveFolder, "PZPRF", 105) {
    Create(name);
  }

  void Create(const std::wstring& name) override {
    optionA = optionB = relaxOffer = 1;
    selected = {0, 0, 0, 0};
    themes = {0};
    pictures = {0, 0};
    puzzles = {0};
    money = 1500;
    ProfileBase::Create(name);
  }
  void Write(CorvantisEngine::FileBinary& stream) override {
    ProfileBase::Write(stream);
    stream.WriteByte(optionA);
    stream.WriteByte(optionB);
    stream.WriteByte(relaxOffer);
    for (std::uint32_t value : selected)
      stream.WriteUInt(value);
    stream.WriteUIntVector(themes);
    stream.WriteUIntVector(pictures);
    stream.WriteUIntVector(puzzles);
    stream.WriteUInt(money);
  }
  void Read(CorvantisEngine::FileBinary& stream) override {
    ProfileBase::Read(stream);
    stream.ReadByte(optionA);
    stream.ReadByte(optionB);
    stream.ReadByte(relaxOffer);
    for (std::uint32_t& value : selected)
      stream.ReadUInt(value);
    stream.ReadUIntVector(themes);
    stream.ReadUIntVector(pictures);
    stream.ReadUIntVector(puzzles);
    stream.ReadUInt(money);
  }

  std::uint8_t optionA = 0, optionB = 0, relaxOffer = 0;
  std::array<std::uint32_t, 4> selected{};
  std::vector<std::uint32_t> themes, pictures, puzzles;
  std::uint32_t money = 0;
};

class TestProfileManager : public ProfileManagerBase {
 public:
  TestProfileManager(CorvantisEngine::Engine* engine, AudioManager* audio, const std::string& saveFolder,
                     const LevelManagerBase* levels = nullptr)
      : ProfileManagerBase(engine, audio, saveFolder, "QLPMF", 100, levels) {
    LoadProfiles();
  }

  TestProfile* Current() const { return static_cast<TestProfile*>(GetCurrentProfile()); }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> out;
    for (const auto& profile : GetProfiles())
      out.push_back(profile->GetName());
    return out;
  }

 protected:
  std::unique_ptr<ProfileBase> OpenProfile(const std::string& fileName) override {
    return std::make_unique<TestProfile>(engine_, fileName, saveFolder_, TestProfile::Open{});
  }
  std::unique_ptr<ProfileBase> CreateProfile(const std::wstring& name) override {
    return std::make_unique<TestProfile>(engine_, name, saveFolder_, TestProfile::New{});
  }
};

}  // namespace GameFramework::frameworktest
