// The reporter of failed DirectDraw and Direct3D results.
#include <cstdint>
#include <unordered_map>

#include "engine/core/MessageManager.h"
#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/RenderSystem_D3D7.h"

namespace CorvantisEngine {

namespace {

struct ErrorRow {
  std::uint32_t code;
  const char* text;
};

// One row per DirectDraw result code.
constexpr ErrorRow kErrorTexts[] = {
    {0x88760005, "The object has already been initialized."},
    {0x8876023E, "Blocked by a primary surface."},
    {0x8876000A, "This surface cannot be attached to the requested surface."},
    {0x88760014, "This surface cannot be detached from the requested surface."},
    {0x88760249, "A device context cannot be created for this surface."},
    {0x88760247, "The surface cannot be duplicated."},
    {0x887601B3,
     "Access to this surface is refused because an attempt was made to lock the primary surface without DCI "
     "support."},
    {0x88760280, "The surface memory cannot be page-locked."},
    {0x88760294, "The surface memory cannot be page-unlocked."},
    {0x88760237, "A clipper cannot be set because it is using a window handle."},
    {0x88760190, "No source colour key is set for the surface."},
    {0x88760028, "No support is currently available."},
    {0x8876021E, "A DirectDraw object representing this driver has already been created for this process."},
    {0x8876026C, "A device context has already been returned for this surface."},
    {0x887602BB, "The surface is not owned by the device."},
    {0x88760232, "An invalid directdraw GUID was passed to DirectDrawCreate."},
    {0x88760037, "An exception was raised while performing the requested operation."},
    {0x88760245, "An exclusive mode has already been set for this process."},
    {0x887602B3, "The data has expired and is therefore no longer valid."},
    {0x80004005, "There is an undefined error condition."},
    {0x8876005A, "The height of the rectangle is not a multiple of the required alignment."},
    {0x8876023B, "The window has already been associated with a clipper."},
    {0x8876023A, "The window was subclassed by DirectDraw and cannot be restored."},
    {0x8876024C, "The surface was implicitly created and cannot be released on its own."},
    {0x8876005F, "The primary surface is incompatible with the requested one."},
    {0x88760064, "One or more of the capability bits passed to the callback function are incorrect."},
    {0x8876006E, "The clip list is not valid."},
    {0x88760231, "The requested mode is not supported."},
    {0x88760078, "The requested display mode is not supported."},
    {0x88760082, "DirectDraw received a pointer that was an invalid DirectDraw object."},
    {0x80070057, "One or more of the parameters passed to the method are incorrect."},
    {0x88760091, "The pixel format is not valid."},
    {0x88760243, "The overlay position is not valid."},
    {0x88760096, "The rectangle is not valid."},
    {0x88760209, "The stream is not valid."},
    {0x88760250, "The surface type is not valid."},
    {0x887600A0, "The operation cannot be carried out while surfaces are locked."},
    {0x887602B2, "There is more data available than the buffer can hold."},
    {0x887602B5, "No monitor information could be obtained."},
    {0x887600AA, "No 3-D hardware or emulation is present."},
    {0x887600B4, "No alpha-acceleration hardware is present or available."},
    {0x8876023F, "No hardware support for DirectDraw raster operations."},
    {0x887600CD, "No clip list is available."},
    {0x88760238, "No clipper is attached to the surface."},
    {0x887600D2, "No colour-conversion hardware is present or available."},
    {0x887600D7, "The surface has no colour key."},
    {0x887600DC, "There is no hardware support for the destination colour key."},
    {0x887600D4, "Create function called without a cooperative level set first."},
    {0x8876024A, "No device context exists for this surface."},
    {0x88760240, "There is no DirectDraw hardware support."},
    {0x88760233, "No DirectDraw support is possible with the current display driver."},
    {0x887600DE, "No DirectDraw support is possible with the current display driver."},
    {0x887602B9, "The driver does not support the operation."},
    {0x88760235, "Software emulation is not available."},
    {0x887600E1,
     "The operation requires the application to have exclusive mode, but the application does not have "
     "exclusive mode."},
    {0x887600E6, "Flipping visible surfaces is not supported."},
    {0x8876025A, "The focus window was not set."},
    {0x887600F0, "No GDI is present."},
    {0x88760239, "A window handle is needed for this operation."},
    {0x8876024F, "No mip-map hardware is present."},
    {0x887600FA, "Mirroring is not supported by the hardware."},
    {0x887602B8, "No monitor information could be obtained."},
    {0x88760276, "Non-local video memory is not available."},
    {0x88760258, "Surface optimisation is not supported by the hardware."},
    {0x88760242, "No overlay destination was set."},
    {0x88760104, "Overlay surfaces are not supported by the hardware."},
    {0x8876023C, "No palette is attached to the surface."},
    {0x8876023D, "No palette hardware is present."},
    {0x88760118, "No raster operation hardware is present."},
    {0x88760122, "No rotation hardware is present."},
    {0x887600B5, "No stereo hardware is present."},
    {0x88760136, "No stretching hardware is present."},
    {0x887600B6, "No surface memory is left."},
    {0x8876013C, "The operation requires a 4-bit palettised surface."},
    {0x8876013D, "The operation requires a 4-bit colour-indexed surface."},
    {0x88760140, "The operation requires an 8-bit palettised surface."},
    {0x88760244, "The surface is not an overlay surface."},
    {0x8876014A, "No texture-mapping hardware is present."},
    {0x88760246, "The surface is not flippable."},
    {0x887600FF, "The requested item was not found."},
    {0x800401F0, "The object has not been initialized."},
    {0x88760259, "The surface is not loaded."},
    {0x88760248, "The surface is not locked."},
    {0x887602A8, "The surface memory is not page-locked."},
    {0x8876024D, "The surface is not palettised."},
    {0x8876014F, "No hardware support for vertical blank synchronisation."},
    {0x88760154, "No depth-buffer hardware is present."},
    {0x8876015E, "No hardware support for depth ordering of overlays."},
    {0x88760168, "The hardware needed for the operation has already been allocated."},
    {0x8007000E, "DirectDraw does not have enough memory to perform the operation."},
    {0x8876017C, "DirectDraw does not have enough video memory to perform the operation."},
    {0x8876010E, "Overlapping rectangles are not allowed."},
    {0x8876017E, "The overlay cannot be clipped."},
    {0x88760180, "Only one colour key can be active on an overlay at a time."},
    {0x88760241, "The overlay is not visible."},
    {0x88760183, "The palette is busy."},
    {0x88760234, "A primary surface already exists."},
    {0x88760236, "The region passed to the clipper is too small."},
    {0x8876019A, "The surface is already attached."},
    {0x887601A4, "The surface is already dependent."},
    {0x887601AE, "Access to the surface is refused because it is locked by another thread."},
    {0x887601B8, "Access to the surface is refused because it is obscured."},
    {0x887601C2,
     "Access to the surface is refused because the surface memory is gone. Call the "
     "IDirectDrawSurface7::Restore method on this surface to restore the memory associated with it."},
    {0x887601CC, "The surface is not attached."},
    {0x887602B4, "The test has finished."},
    {0x887601D6, "The height requested is too big."},
    {0x887601E0, "The size requested is too big."},
    {0x887601EA, "The width requested is too big."},
    {0x80004001, "The operation is not supported."},
    {0x887601FE, "The pixel format is not supported."},
    {0x88760208, "The bitmask in the pixel format is not supported."},
    {0x8876024E, "The display mode is not supported."},
    {0x88760219, "A vertical blank is in progress."},
    {0x887602B7, "The video port is not active."},
    {0x8876021C,
     "The previous blit operation that is transferring information to or from this surface is incomplete."},
    {0x8876024B, "This surface cannot be restored because it was created in a different mode."},
    {0x88760230, "The rectangle is not aligned to the required boundary."},
};

}  // namespace

std::string RenderSystem_D3D7::ErrorText(HRESULT result) {
  static const std::unordered_map<std::uint32_t, const char*> table = [] {
    std::unordered_map<std::uint32_t, const char*> rows;
    for (const ErrorRow& row : kErrorTexts) {
      rows.emplace(row.code, row.text);
    }
    return rows;
  }();
  auto it = table.find(static_cast<std::uint32_t>(result));
  if (it != table.end()) {
    return it->second;
  }
  return "Unknown error (Code: " + std::to_string(static_cast<std::int32_t>(result)) + ")";
}

void RenderSystem_D3D7::ReportError(const std::string& method, HRESULT result) {
  if (result >= 0) {
    return;
  }
  messages->Error("Direct3D Subsystem (" + method + "): " + ErrorText(result));
}

}  // namespace CorvantisEngine
