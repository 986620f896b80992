// Device life: creation failures and the software fallback, the depth buffer, lost devices and their
// recovery, presentation, reset and release, and the error texts.
#include "RenderFixture.h"
#include "engine/core/Error.h"

namespace CorvantisEngine::testkit {
namespace {

using DeviceTest = RenderFixture;
using platform::headless::DisplayStep;

TEST_F(DeviceTest, HardwareDeviceIsChosenAndEverythingIsReleased) {
  {
    RenderSystem_D3D7& render = Make();
    EXPECT_TRUE(render.IsHardwareDevice());
    EXPECT_TRUE(render.IsReady());
    EXPECT_FALSE(render.IsResetNeeded());
    EXPECT_EQ(render.GetTextureStageCount(), 8u);
    EXPECT_EQ(render.GetMaxTextureWidth(), 4096u);
    EXPECT_EQ(render.GetBackBufferDescription().dwWidth, 800u);
    EXPECT_TRUE(Logged(LogRecord::kMessage, ".........Maximal texture units: 8"));
    EXPECT_TRUE(Logged(LogRecord::kMessage, ".........Maximal texture size: 4096x4096"));
    EXPECT_TRUE(Entries(LogRecord::kError).empty());
    EXPECT_TRUE(Entries(LogRecord::kWarning).empty());
    EXPECT_FALSE(display_->FullScreen());
    render_.reset();
  }
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_) << "every DirectX object reached a count of 0";
  EXPECT_TRUE(Logged(LogRecord::kMessage, "...Releasing DirectDraw..."));
  EXPECT_FALSE(display_->DeviceOpen());
}

TEST_F(DeviceTest, AFailingCreationStepFallsBackToTheSoftwareDevice) {
  struct Row {
    DisplayStep step;
    int skip;
    const char* error;
  };
  const Row rows[] = {
      {DisplayStep::CreateDirectDraw, 1, "Failed to create DirectDraw"},  // the enumeration made one first
      {DisplayStep::SetCooperativeLevel, 0, "Failed to set DirectDraw cooperative level"},
      {DisplayStep::CreatePrimarySurface, 0, "Failed to create primary surface"},
      {DisplayStep::CreateClipper, 0, "Failed to create clipper"},
      {DisplayStep::CreateBackBuffer, 0, "Failed to create back buffer"},
      {DisplayStep::QueryDirect3D, 1, "Failed to create Direct3D"},
      {DisplayStep::SetViewport, 0, "Failed to set viewport"},
      {DisplayStep::CreateZBuffer, 0, "Failed to create Z Buffer"},
      {DisplayStep::AttachSurface, 0, "Failed to create Z Buffer"},
      {DisplayStep::SetRenderTarget, 0, "Failed to set render target"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    display_ = platform::headless::InstallHeadlessDisplay();
    display_->Plan().Fail(row.step, DDERR_GENERIC, 1, row.skip);
    log_->ClearRecords();
    RenderSystem_D3D7& render = Make();
    EXPECT_FALSE(render.IsHardwareDevice());
    EXPECT_TRUE(render.IsReady());
    EXPECT_TRUE(Logged(LogRecord::kError, std::string("RenderSystem_D3D7: ") + row.error));
    EXPECT_TRUE(Logged(LogRecord::kWarning, "......RenderSystem_D3D7: Switching to the software rasterizer"));
    render_.reset();
    EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_) << "the failed attempt released what it made";
  }
}

TEST_F(DeviceTest, RefusedDevicesEndInTheAbort) {
  display_->Plan().RefuseDevice(IID_IDirect3DTnLHalDevice);
  display_->Plan().RefuseDevice(IID_IDirect3DRGBDevice);
  try {
    Make();
    FAIL() << "no device could be made";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "RenderSystem_D3D7: Failed to create Direct3D device");
  }
  EXPECT_TRUE(Logged(LogRecord::kWarning, "Switching to the software rasterizer"));
  EXPECT_EQ(Entries(LogRecord::kError).size(), 2u) << "one line per failed attempt";
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

TEST_F(DeviceTest, APalettisedDesktopStopsCreation) {
  SetDesktop(1024, 768, 8);
  EXPECT_THROW(Make(), FatalError);
  EXPECT_TRUE(Logged(LogRecord::kError, "RenderSystem_D3D7: Invalid DirectDraw display mode"));
}

TEST_F(DeviceTest, NoDeviceAtAllAbortsTheEnumeration) {
  SetDesktop(600, 400);  // every mode is below 640 wide, so no device keeps a mode
  try {
    Make();
    FAIL();
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "RenderSystem_D3D7: Failed to find any compatible Direct3D devices");
  }
}

TEST_F(DeviceTest, DepthFormatSearchTable) {
  auto depth = [](DWORD bits, DWORD stencil) {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof(f);
    f.dwFlags = DDPF_ZBUFFER;
    f.dwZBufferBitDepth = bits;
    f.dwStencilBitDepth = stencil;
    return f;
  };
  struct Row {
    const char* why;
    std::vector<DDPIXELFORMAT> formats;
    bool stencilRequested;
    bool created;
    DWORD depthBits;
    bool stencilPresent;
  };
  const Row rows[] = {
      {"32-bit with stencil", {depth(16, 0), depth(32, 0), depth(32, 8)}, true, true, 32, true},
      {"32-bit without a stencil request",
       {depth(16, 0), depth(32, 0), depth(32, 8)},
       false,
       true,
       32,
       false},
      {"only 16 bits: a 16-bit buffer", {depth(16, 0)}, false, true, 16, false},
      {"a stencil no format meets: the search drops it and runs at 16 bits",
       {depth(32, 0), depth(16, 0)},
       true,
       true,
       16,
       false},
      {"a stencil no format meets and no 16-bit format: the back buffer's depth",
       {depth(32, 0)},
       true,
       true,
       32,
       false},
      {"no format at all", {}, false, false, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    display_ = platform::headless::InstallHeadlessDisplay();
    display_->Plan().depthFormats = row.formats;
    log_->ClearRecords();
    if (!row.created) {
      EXPECT_THROW(Make(row.stencilRequested), FatalError);
      EXPECT_TRUE(Logged(LogRecord::kError, "RenderSystem_D3D7: Failed to create Z Buffer"));
      continue;
    }
    RenderSystem_D3D7& render = Make(row.stencilRequested);
    EXPECT_EQ(render.IsStencilPresent(), row.stencilPresent);
    EXPECT_TRUE(render.IsHardwareDevice());
    LPDIRECTDRAWSURFACE7 target = nullptr;
    ASSERT_EQ(render.GetDevice()->GetRenderTarget(&target), D3D_OK);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_ZBUFFER;
    LPDIRECTDRAWSURFACE7 z = nullptr;
    ASSERT_EQ(target->GetAttachedSurface(&caps, &z), DD_OK);
    DDPIXELFORMAT format{};
    z->GetPixelFormat(&format);
    EXPECT_EQ(format.dwZBufferBitDepth, row.depthBits);
    z->Release();
    target->Release();
    EXPECT_EQ(RenderState(D3DRENDERSTATE_STENCILFUNC), row.stencilPresent ? D3DCMP_EQUAL : D3DCMP_ALWAYS);
    render_.reset();
  }
}

TEST_F(DeviceTest, LostDeviceComesBackInRefresh) {
  RenderSystem_D3D7& render = Make();
  display_->Plan().cooperativeLevelAnswers = {DDERR_NOEXCLUSIVEMODE, DDERR_NOEXCLUSIVEMODE};
  render.Refresh();
  EXPECT_FALSE(render.IsReady());
  display_->ClearCalls();
  render.SwapBuffers();
  EXPECT_TRUE(display_->Presents().empty()) << "nothing is presented while lost";
  render.Refresh();
  EXPECT_FALSE(render.IsReady());
  render.Refresh();
  EXPECT_TRUE(render.IsReady()) << "the level holds again and the surfaces were restored";
  EXPECT_FALSE(render.IsResetNeeded());

  // Restoring fails: a reset is asked for, and the failure is reported.
  display_->Plan().cooperativeLevelAnswers = {DDERR_NOEXCLUSIVEMODE};
  display_->Plan().Fail(DisplayStep::RestoreAllSurfaces, DDERR_WRONGMODE);
  render.Refresh();
  render.Refresh();
  EXPECT_FALSE(render.IsReady());
  EXPECT_TRUE(render.IsResetNeeded());
  EXPECT_TRUE(render.IsModeChanged());
  EXPECT_TRUE(Logged(LogRecord::kError,
                     "Direct3D Subsystem (RenderSystem_D3D7::Refresh): This surface cannot be "
                     "restored because it was created in a different mode."));
}

TEST_F(DeviceTest, DesktopModeChangeAsksForAResetOnlyWhenWindowed) {
  {
    RenderSystem_D3D7& render = Make();
    display_->Plan().cooperativeLevelAnswers = {DDERR_WRONGMODE};
    render.Refresh();
    EXPECT_FALSE(render.IsReady());
    EXPECT_TRUE(render.IsResetNeeded());
    EXPECT_TRUE(render.IsModeChanged());
    render.Reset(3);
    EXPECT_TRUE(render.IsReady());
    EXPECT_FALSE(render.IsResetNeeded());
    EXPECT_FALSE(render.IsModeChanged());
    EXPECT_TRUE(display_->DeviceOpen());
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ZFUNC), D3DCMP_LESS) << "default states on the new device";
    EXPECT_TRUE(Entries(LogRecord::kError).empty());
  }
  render_.reset();
  window_.reset();
  config_->v_fullscreen = 1;
  RenderSystem_D3D7& render = Make();
  EXPECT_TRUE(display_->FullScreen());
  display_->Plan().cooperativeLevelAnswers = {DDERR_WRONGMODE};
  render.Refresh();
  EXPECT_FALSE(render.IsReady());
  EXPECT_FALSE(render.IsResetNeeded()) << "full screen waits for its mode to come back";
}

TEST_F(DeviceTest, ResetFlagsActSeparately) {
  RenderSystem_D3D7& render = Make();
  render.CheckVideoMode();
  EXPECT_FALSE(render.IsResetNeeded()) << "800x600x32 windowed is the current mode";
  EXPECT_TRUE(render.IsModeChanged()) << "the back end marks the textures for a rebuild in every case";
  render.resetNeeded = true;
  render.Reset(2);
  EXPECT_TRUE(render.IsResetNeeded());
  EXPECT_FALSE(render.IsModeChanged());
  render.modeChanged = true;
  render.Reset(1);
  EXPECT_FALSE(render.IsResetNeeded());
  EXPECT_TRUE(render.IsModeChanged());
  render_.reset();
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

TEST_F(DeviceTest, PresentationFlipsInFullScreenAndBlitsWindowed) {
  {
    RenderSystem_D3D7& render = Make();
    config_->v_vsync = 1;
    display_->ClearCalls();
    render.SwapBuffers();
    auto presents = display_->Presents();
    ASSERT_EQ(presents.size(), 1u);
    EXPECT_TRUE(presents[0].windowed);
    EXPECT_EQ(presents[0].destination.right - presents[0].destination.left, 800);
    EXPECT_EQ(display_->CountCalls("WaitForVerticalBlank"), 1);
    EXPECT_TRUE(presents[0].vsync) << "\"v_vsync\" holds in a window too";
    config_->v_vsync = 0;
    render.SwapBuffers();
    presents = display_->Presents();
    ASSERT_EQ(presents.size(), 2u);
    EXPECT_FALSE(presents[1].vsync);
  }
  render_.reset();
  window_.reset();
  config_->v_fullscreen = 1;
  config_->v_vsync = 0;
  RenderSystem_D3D7& render = Make();
  EXPECT_EQ(display_->CurrentMode().width, 800u) << "full screen sets the display mode";
  display_->ClearCalls();
  render.SwapBuffers();
  auto presents = display_->Presents();
  ASSERT_EQ(presents.size(), 1u);
  EXPECT_FALSE(presents[0].windowed);
  EXPECT_FALSE(presents[0].vsync);
  render_.reset();
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

TEST_F(DeviceTest, LostSurfacesAtPresentAndSceneAreRestored) {
  RenderSystem_D3D7& render = Make();
  display_->Plan().Fail(DisplayStep::Blt, DDERR_SURFACELOST);
  render.SwapBuffers();
  EXPECT_TRUE(Entries(LogRecord::kError).empty()) << "a successful restore logs nothing";
  display_->ClearCalls();
  render.SwapBuffers();
  EXPECT_EQ(display_->Presents().size(), 1u) << "the surfaces are back";

  display_->Plan().Fail(DisplayStep::Blt, DDERR_SURFACELOST);
  display_->Plan().Fail(DisplayStep::RestoreAllSurfaces, DDERR_GENERIC);
  render.SwapBuffers();
  EXPECT_TRUE(
      Logged(LogRecord::kError,
             "Direct3D Subsystem (RenderSystem_D3D7::SwapBuffers): There is an undefined error condition."))
      << "the restore's result is the one reported";

  render.SwapBuffers();  // still lost: this present restores them
  log_->ClearRecords();
  display_->Plan().Fail(DisplayStep::BeginScene, DDERR_SURFACELOST);
  display_->ClearCalls();
  render.BeginScene();
  EXPECT_EQ(display_->CountCalls("BeginScene"), 1) << "the second BeginScene after the restore went through";
  render.EndScene();
  display_->Plan().Fail(DisplayStep::EndScene, DDERR_SURFACELOST);
  render.BeginScene();
  render.EndScene();
  for (const std::string& e : Entries(LogRecord::kError))
    ADD_FAILURE() << e;
}

TEST_F(DeviceTest, ObjectsStillReferencedAtRelease) {
  RenderSystem_D3D7& render = Make();
  IDirect3DDevice7* held = render.GetDevice();
  held->AddRef();
  try {
    render.Reset(1);
    ADD_FAILURE() << "a reset with the device still held must stop";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.GetMessage(), "RenderSystem_D3D7: device object is still referenced");
  }
  EXPECT_EQ(held->Release(), 0u);

  render_.reset();
  window_.reset();
  log_->ClearRecords();
  RenderSystem_D3D7& second = Make();
  IDirectDraw7* directDraw = second.GetDirectDraw();
  directDraw->AddRef();
  render_.reset();  // the destructor logs and goes on
  EXPECT_TRUE(Logged(LogRecord::kError, "RenderSystem_D3D7: DirectDraw object is still referenced"));
  EXPECT_EQ(directDraw->Release(), 0u);
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

TEST_F(DeviceTest, ErrorTexts) {
  RenderSystem_D3D7& render = Make();
  log_->ClearRecords();
  struct Row {
    HRESULT result;
    const char* text;  // null: nothing logged
  };
  const Row rows[] = {
      {DDERR_SURFACELOST,
       "Access to the surface is refused because the surface memory is gone. Call the "
       "IDirectDrawSurface7::Restore method on this surface to restore the memory associated with it."},
      {DDERR_WRONGMODE, "This surface cannot be restored because it was created in a different mode."},
      {DDERR_NOEXCLUSIVEMODE,
       "The operation requires the application to have exclusive mode, but the application does not have "
       "exclusive mode."},
      {DDERR_INVALIDPARAMS, "One or more of the parameters passed to the method are incorrect."},
      {DDERR_GENERIC, "There is an undefined error condition."},
      {DDERR_OUTOFMEMORY, "DirectDraw does not have enough memory to perform the operation."},
      {DDERR_UNSUPPORTED, "The operation is not supported."},
      {DDERR_ALREADYINITIALIZED, "The object has already been initialized."},
      {static_cast<HRESULT>(0x887602BCu), "Unknown error (Code: -2005531972)"},
      {D3DERR_SCENE_IN_SCENE, "Unknown error (Code: -2005531930)"},
      {DD_OK, nullptr},
      {S_FALSE, nullptr},
  };
  for (const Row& row : rows) {
    log_->ClearRecords();
    render.ReportError("RenderSystem_D3D7::UpdateCullMode", row.result);
    const auto errors = Entries(LogRecord::kError);
    if (row.text == nullptr) {
      EXPECT_TRUE(errors.empty()) << row.result;
      continue;
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::string("\nError: Direct3D Subsystem (RenderSystem_D3D7::UpdateCullMode): ") +
                             row.text + "!\n\n");
  }
  for (const HRESULT code : {DDERR_CANNOTATTACHSURFACE, DDERR_NOTFOUND, DDERR_WASSTILLDRAWING,
                             DDERR_NOTINITIALIZED, DDERR_XALIGN, DDERR_DEVICEDOESNTOWNSURFACE}) {
    EXPECT_EQ(RenderSystem_D3D7::ErrorText(code).rfind("Unknown", 0), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace CorvantisEngine::testkit
