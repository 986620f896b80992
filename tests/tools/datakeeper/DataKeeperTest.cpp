// The resource keeper over a headless engine: how lists become keys (loops, counters, language filter,
// groups, shader values), defaults and duplicates, and the worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/Error.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "tests/support/EngineRig.h"
#include "tools/game/DataKeeper.h"
#include "tools/models/ParticleFileWriter.h"

namespace GameTools {
namespace {

using namespace CorvantisEngine;

std::string List(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<resources>\n" + body + "\n</resources>\n";
}

// Every stored key with what it was made from: models and particle systems by the file they name (a
// model that cannot be read is a box named after its file), shaders by their diffuse and opacity names.
std::vector<std::string> Dump(const DataKeeper& keeper) {
  std::vector<std::string> out;
  for (const auto& [name, model] : keeper.GetModels()) {
    out.push_back("model " + name + " = " + model->name);
  }
  for (const auto& [name, system] : keeper.GetParticleSystems()) {
    out.push_back("particles " + name + " = " + system->name);
  }
  for (const auto& [name, user] : keeper.GetShaderUsers()) {
    const ShaderStage& stage = user->GetStage(0);
    out.push_back("shader " + name + " = " + stage.diffuseName + " | " + stage.opacityName);
  }
  return out;
}

std::string ParticleFile(const ParticleFileData& data) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(tools::EncodeParticleFile(data, bytes));
  return std::string(bytes.begin(), bytes.end());
}

class DataKeeperTest : public testing::Test {
 protected:
  Engine& Start() { return rig_.Start(); }
  std::string ErrorLine(const std::string& text) const { return "\nError: " + text + "!\n\n"; }

  testsupport::EngineRig rig_;
};

struct ListCase {
  const char* why;
  const char* body;
  std::vector<std::string> expected;
};

class DataKeeperListTest : public DataKeeperTest, public testing::WithParamInterface<ListCase> {};

TEST_P(DataKeeperListTest, ListGivesTheseKeys) {
  rig_.Write("data/ui/list.xml", List(GetParam().body));
  rig_.Write("data/ui/p009.psf", ParticleFile(ParticleFileData()));
  rig_.Write("data/ui/p010.psf", ParticleFile(ParticleFileData()));
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  keeper.LoadResources("data\\ui\\list.xml", true);
  EXPECT_EQ(Dump(keeper), GetParam().expected) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DataKeeperListTest,
    testing::Values(
        ListCase{"count is the end value; start defaults to 0",
                 R"(<loop count="3"><model name="tile_%i%" file_name="t%i%.mdl"/></loop>)",
                 {"model tile_0 = ui\\t0.mdl", "model tile_1 = ui\\t1.mdl", "model tile_2 = ui\\t2.mdl"}},
        ListCase{"start 1, count 3: two passes",
                 R"(<loop start="1" count="3"><model name="m%i%" file_name="m.mdl"/></loop>)",
                 {"model m1 = ui\\m.mdl", "model m2 = ui\\m.mdl"}},
        ListCase{
            "count at start gives no pass", R"(<loop start="3" count="3"><model name="m%i%"/></loop>)", {}},
        ListCase{"nested counters with a width",
                 R"(<loop count="2"><loop counter="j" start="9" count="11">)"
                 R"(<particles name="p%i%_%j2%" file_name="p%j3%.psf"/></loop></loop>)",
                 {"particles p0_09 = ui\\p009.psf", "particles p0_10 = ui\\p010.psf",
                  "particles p1_09 = ui\\p009.psf", "particles p1_10 = ui\\p010.psf"}},
        ListCase{"the same token twice is replaced everywhere",
                 R"(<loop start="7" count="8"><model name="a%i3%_b%i3%" file_name="x"/></loop>)",
                 {"model a007_b007 = ui\\x"}},
        ListCase{
            "an entry for another language is skipped; one without a language is read",
            R"(<model name="ru_only" language="ru" file_name="r.mdl"/>)"
            R"(<model name="en_only" language="en" file_name="e.mdl"/><model name="all" file_name="a.mdl"/>)",
            {"model all = ui\\a.mdl", "model en_only = ui\\e.mdl"}},
        ListCase{"group elements prefix the keys; entries' children are not read",
                 R"(<menu><model name="button" file_name="b.mdl"><model name="inner"/></model>)"
                 R"(<sub><shader name="s" diffuse_file_name="d.jpg"/></sub></menu>)",
                 {"model menu/button = ui\\b.mdl", "shader menu/sub/s = ui\\d.jpg | "}},
        ListCase{
            "a model without a file asks for unknown_file_name; an unknown kind makes nothing",
            R"(<model name="nofile"/><sound name="click" file_name="c.wav"/><model name="" file_name="x"/>)",
            {"model nofile = ui\\unknown_file_name"}},
        ListCase{"exactly 32bit means no opacity file; any other spelling is a file name",
                 R"(<shader name="a" diffuse_file_name="A.tga" opacity_file_name="32bit"/>)"
                 R"(<shader name="b" diffuse_file_name="b.tga" opacity_file_name="32BIT"/>)"
                 R"(<shader name="c" opacity_file_name="o.jpg"/>)",
                 {"shader a = ui\\a.tga | ", "shader b = ui\\b.tga | ui\\32bit", "shader c =  | ui\\o.jpg"}},
        ListCase{"a counter name of its own, unknown tokens stay",
                 R"(<loop counter="row" count="1"><model name="r%row%_%i%_%row" file_name="f"/></loop>)",
                 {"model r0_%i%_%row = ui\\f"}}));

TEST_F(DataKeeperTest, ShaderAndModelSettingsComeFromTheEntry) {
  rig_.Write("data/ui/background/list.xml",
             List(R"(<shader name="anim" diffuse_file_name="f.jpg" animation_type="net" net_size="4 2")"
                  R"( frame_count="8" animation_speed="12.5" clamp="0"/>)"
                  R"(<shader name="plain" diffuse_file_name="p.jpg" animation_type="other"/>)"
                  R"(<model name="coloured" file_name="c.mdl" color_verticies="1" animation_speed="3"/>)"
                  R"(<model name="plain" file_name="p.mdl" color_verticies="true"/>)"));
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  keeper.LoadResources("data\\ui\\background\\list.xml", true);

  const ShaderStage& anim = keeper.GetShaderUser("anim")->GetStage(0);
  EXPECT_EQ(anim.diffuseName, "ui\\background\\f.jpg");
  EXPECT_EQ(anim.animationType, ShaderStage::kFrameGrid);
  EXPECT_EQ(anim.columns, 4u);
  EXPECT_EQ(anim.rows, 2u);
  EXPECT_EQ(anim.frameCount, 8u);
  EXPECT_FLOAT_EQ(anim.speed, 12.5f);
  EXPECT_EQ(anim.addressU, ShaderStage::kWrap);
  const ShaderStage& plain = keeper.GetShaderUser("plain")->GetStage(0);
  EXPECT_EQ(plain.animationType, ShaderStage::kStatic);
  EXPECT_EQ(plain.columns, 1u);
  EXPECT_EQ(plain.addressU, ShaderStage::kClamp) << "clamp defaults to on";

  Model* coloured = keeper.GetModel("coloured");
  EXPECT_NE(coloured->flags & kModelColoured, 0u);
  EXPECT_FLOAT_EQ(coloured->animation->speed, 3.0f);
  EXPECT_EQ(keeper.GetModel("plain")->flags & kModelColoured, 0u) << "\"true\" reads as 0";
  EXPECT_EQ(rig_.CountLogged("DataKeeper"), 0);
}

TEST_F(DataKeeperTest, ParticleSystemsLoadFromTheirFiles) {
  ParticleFileData data;
  data.maxParticles = 7;
  rig_.Write("data/game_objects/sparks.psf", ParticleFile(data));
  rig_.Write("data/game_objects/resources.xml",
             List(R"(<board><particles name="tip" file_name="sparks.psf"/></board>)"));
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  keeper.LoadResources("data\\game_objects\\resources.xml", true);
  ASSERT_TRUE(keeper.HasParticleSystem("board/tip"));
  EXPECT_EQ(keeper.GetParticleSystem("board/tip")->maxParticles, 7u);
  EXPECT_EQ(keeper.GetParticleSystem("board/tip")->name, "game_objects\\sparks.psf");
}

TEST_F(DataKeeperTest, MissingNamesGiveTheDefaultsAndLogTheName) {
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  rig_.ClearLog();

  EXPECT_EQ(keeper.GetModel("nothing/here"), keeper.GetDefaultModel());
  EXPECT_EQ(keeper.GetParticleSystem("p"), keeper.GetDefaultParticleSystem());
  EXPECT_EQ(keeper.GetShaderUser("s"), keeper.GetDefaultShaderUser());
  ASSERT_NE(keeper.GetDefaultModel(), nullptr);
  EXPECT_FALSE(keeper.GetDefaultParticleSystem()->IsVisible());
  EXPECT_EQ(rig_.Errors(), (std::vector<std::string>{
                               ErrorLine("(DataKeeper::GetModel): There is no \"nothing/here\" resource"),
                               ErrorLine("(DataKeeper::GetParticleSystem): There is no \"p\" resource"),
                               ErrorLine("(DataKeeper::GetShaderUser): There is no \"s\" resource")}));
}

TEST_F(DataKeeperTest, DuplicatesKeepTheFirstAndDestroyTheRefused) {
  rig_.Write("data/ui/a.xml",
             List(R"(<model name="m" file_name="first.mdl"/><particles name="p" file_name="1"/>)"
                  R"(<shader name="s" diffuse_file_name="one.jpg"/>)"));
  rig_.Write("data/ui/b.xml",
             List(R"(<model name="m" file_name="second.mdl"/><particles name="p" file_name="2"/>)"
                  R"(<shader name="s" diffuse_file_name="two.jpg"/>)"));
  Engine& engine = Start();
  ShaderManager& shaders = *engine.GetShaderManager();
  DataKeeper keeper(&engine, "en", false);
  keeper.LoadResources("data\\ui\\a.xml", true);
  const std::uint32_t users = shaders.GetShaderUserCount();
  rig_.ClearLog();
  keeper.LoadResources("data\\ui\\b.xml", true);

  EXPECT_EQ(keeper.GetModel("m")->name, "ui\\first.mdl");
  EXPECT_EQ(keeper.GetParticleSystem("p")->name, "self_made")
      << "the first one, a default from a missing file";
  EXPECT_EQ(keeper.GetShaderUser("s")->GetStage(0).diffuseName, "ui\\one.jpg");
  EXPECT_EQ(shaders.GetShaderUserCount(), users) << "the refused shader user is released";
  EXPECT_EQ(rig_.CountLogged(ErrorLine("(DataKeeper::AddModel): Model \"m\" is duplicated")), 1);
  EXPECT_EQ(
      rig_.CountLogged(ErrorLine("(DataKeeper::AddParticleSystem): Particle System \"p\" is duplicated")), 1);
  EXPECT_EQ(rig_.CountLogged(ErrorLine("(DataKeeper::AddShaderUser): Shader User \"s\" is duplicated")), 1);

  keeper.AddModel("null", nullptr);
  EXPECT_FALSE(keeper.HasModel("null"));
}

TEST_F(DataKeeperTest, KeeperReleasesEveryShaderUserItHolds) {
  Engine& engine = Start();
  ShaderManager& shaders = *engine.GetShaderManager();
  const std::uint32_t before = shaders.GetShaderUserCount();
  {
    DataKeeper keeper(&engine, "en", false);
    const std::uint32_t withDefaults = shaders.GetShaderUserCount();
    EXPECT_EQ(keeper.AddShaderUserAutoName(shaders.GetShader(CreateTextureShader("a.jpg", "", true))),
              "123456789");
    EXPECT_EQ(keeper.AddShaderUserAutoName(shaders.GetShader(CreateTextureShader("b.jpg", "", true))),
              "123456790");
    EXPECT_EQ(keeper.AddShaderUserAutoName(nullptr), "");
    keeper.AddShaderDescriptor("now", CreateTextureShader("c.jpg", "", true), true);
    keeper.AddShaderDescriptor("later", CreateTextureShader("d.jpg", "", true), false);
    EXPECT_TRUE(keeper.HasShaderUser("now"));
    EXPECT_FALSE(keeper.HasShaderUser("later"));
    keeper.Load();
    EXPECT_EQ(keeper.GetShaderUser("later")->GetStage(0).diffuseName, "d.jpg");
    EXPECT_EQ(shaders.GetShaderUserCount(), withDefaults + 4);
  }
  EXPECT_EQ(shaders.GetShaderUserCount(), before);
  EXPECT_EQ(rig_.CountLogged("Failed to remove shader"), 0);
}

TEST_F(DataKeeperTest, BrokenLoopRangesAreRefusedWithAnError) {
  rig_.Write("data/ui/list.xml", List(R"(<loop count="-1"><model name="neg%i%"/></loop>)"
                                      R"(<loop start="-5" count="2"><model name="negstart%i%"/></loop>)"
                                      R"(<loop count="2000000000"><model name="huge%i%"/></loop>)"
                                      R"(<loop count="1"><model name="fine%i%"/></loop>)"));
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  keeper.LoadResources("data\\ui\\list.xml", true);
  EXPECT_EQ(Dump(keeper), (std::vector<std::string>{"model fine0 = ui\\unknown_file_name"}));
  EXPECT_EQ(rig_.CountLogged("(DataKeeper::ParseResources): Loop with \"i\" counter has incorrect range"), 3);
}

TEST(DataKeeperCounters, ExpansionTable) {
  const DataKeeper::CounterStack i7{{"i", 7}};
  const DataKeeper::CounterStack ij{{"i", 3}, {"j", 12}};
  struct Row {
    const char* text;
    const DataKeeper::CounterStack* counters;
    const char* expected;
  } rows[] = {
      {"tile_%i%", &i7, "tile_7"},
      {"tile_%i2%", &i7, "tile_07"},
      {"a%i3%_b%i3%", &i7, "a007_b007"},
      {"a%i3%_b%i%", &i7, "a007_b%i%"},  // only the first token form of a counter
      {"%i%_%j4%", &ij, "3_0012"},
      {"no_close_%i", &i7, "no_close_%i"},
      {"%ix%", &i7, "7"},  // a width that is no number pads nothing
      {"%i999999999999%", &i7, "00000000000000000007"},
      {"plain", &i7, "plain"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DataKeeper::ExpandCounters(row.text, *row.counters), row.expected) << row.text;
  }
  EXPECT_EQ(DataKeeper::ExpandCounters("%i%", {}), "%i%");
}

TEST_F(DataKeeperTest, ThreadedLoadEqualsSynchronousLoad) {
  rig_.Write("data/ui/a.xml",
             List(R"(<loop count="20"><g><model name="m%i%" file_name="m%i2%.mdl"/>)"
                  R"(<shader name="s%i%" diffuse_file_name="s%i%.jpg" opacity_file_name="32bit"/>)"
                  R"(</g></loop>)"));
  rig_.Write("data/ui/b.xml", List(R"(<particles name="p" file_name="p.psf"/>)"));
  Engine& engine = Start();
  DataKeeper plain(&engine, "en", false);
  DataKeeper threaded(&engine, "en", true);
  for (DataKeeper* keeper : {&plain, &threaded}) {
    keeper->LoadResources("data\\ui\\a.xml", false);
    keeper->LoadResources("data\\ui\\b.xml", false);
    keeper->AddShaderDescriptor("extra", CreateTextureShader("e.jpg", "", true), false);
  }
  plain.Load();
  threaded.Load();
  threaded.WaitForLoad();
  EXPECT_FALSE(threaded.IsLoadRunning());
  EXPECT_EQ(Dump(threaded), Dump(plain));
  EXPECT_EQ(Dump(plain).size(), 42u);

  // The queues were emptied: a second load reads nothing again (no duplicate errors).
  rig_.ClearLog();
  threaded.Load();
  threaded.WaitForLoad();
  EXPECT_EQ(rig_.CountLogged("duplicated"), 0);
}

TEST_F(DataKeeperTest, ParseErrorOnTheWorkerReachesTheJoiningThreadAsFatalError) {
  rig_.Write("data/ui/good.xml", List(R"(<model name="m"/>)"));
  rig_.Write("data/ui/bad.xml", "<resources>\n<model name=\"x\" file_name=broken/>\n</resources>\n");
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", true);
  keeper.LoadResources("data\\ui\\good.xml", false);
  keeper.LoadResources("data\\ui\\bad.xml", false);
  keeper.Load();
  try {
    keeper.WaitForLoad();
    FAIL() << "no error reached the main thread";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "XML format error at line 2: code 8");
  }
  EXPECT_EQ(rig_.CountLogged("PROGRAM ABORTING: XML format error at line 2: code 8"), 1);
  EXPECT_TRUE(keeper.HasModel("m")) << "the list before the broken one was read";
  EXPECT_NO_THROW(keeper.WaitForLoad()) << "the error is handed over once";
}

TEST_F(DataKeeperTest, MissingListEndsInAbortWhenReadAtOnce) {
  Engine& engine = Start();
  DataKeeper keeper(&engine, "en", false);
  EXPECT_THROW(keeper.LoadResources("data\\ui\\missing.xml", true), FatalError);
  EXPECT_EQ(rig_.CountLogged("PROGRAM ABORTING: "), 1);
}

// A keeper whose own load step waits until it is asked to stop.
class BlockingKeeper : public DataKeeper {
 public:
  BlockingKeeper(Engine* engine, std::atomic<int>* state) : DataKeeper(engine, "en", true), state_(state) {}
  ~BlockingKeeper() override { StopLoad(); }

 protected:
  void LoadPending() override {
    DataKeeper::LoadPending();
    state_->store(1);
    while (!IsStopRequested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    state_->store(2);
  }

 private:
  std::atomic<int>* state_;
};

TEST_F(DataKeeperTest, DestructorDuringARunningLoadStopsAndJoinsTheWorker) {
  rig_.Write("data/ui/list.xml", List(R"(<model name="m"/>)"));
  Engine& engine = Start();
  std::atomic<int> state{0};
  {
    BlockingKeeper keeper(&engine, &state);
    keeper.LoadResources("data\\ui\\list.xml", false);
    keeper.Load();
    while (state.load() == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(keeper.IsLoadRunning());
  }
  EXPECT_EQ(state.load(), 2) << "the destructor returned before the worker had finished";
}

TEST_F(DataKeeperTest, DestroyingAPlainKeeperMidLoadIsSafe) {
  rig_.Write("data/ui/list.xml",
             List(R"(<loop count="3000"><model name="m%i%"/><shader name="s%i%"/></loop>)"));
  Engine& engine = Start();
  const std::uint32_t before = engine.GetShaderManager()->GetShaderUserCount();
  auto keeper = std::make_unique<DataKeeper>(&engine, "en", true);
  keeper->LoadResources("data\\ui\\list.xml", false);
  keeper->Load();
  keeper.reset();
  EXPECT_EQ(engine.GetShaderManager()->GetShaderUserCount(), before);
}

}  // namespace
}  // namespace GameTools
