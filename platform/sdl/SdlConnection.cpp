// The display connection's watch and the window's name as X clients read it. Xlib lives in this file alone,
// included last: its headers define macros (None, Bool, Status, CursorShape) that clash with the
// Windows-shaped names the layer uses.
#include "platform/sdl/SdlWindow_Local.h"
#include "platform/win32/WindowDriver.h"

// clang-format off
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

namespace platform::sdl {

namespace {

// Xlib calls this when a read or write on the connection fails and exits when it returns; it never
// returns.
int ConnectionBroken(Display*) {
  platform::NotifyDisplayLost();
}

// The UTF-8 text in Latin-1, false when a character lies beyond it (or the text is not UTF-8).
bool ToLatin1(const char* text, std::string& out) {
  for (const auto* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
    if (*c < 0x80) {
      out.push_back(static_cast<char>(*c));
    } else if ((*c == 0xC2 || *c == 0xC3) && (c[1] & 0xC0) == 0x80) {
      out.push_back(static_cast<char>(((*c & 0x03) << 6) | (c[1] & 0x3F)));
      ++c;
    } else {
      return false;
    }
  }
  return true;
}

// The X connection and window behind an SDL window; false for a video driver other than X11.
bool X11Of(SDL_Window* window, Display*& display, Window& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

}  // namespace

void WatchDisplayConnection() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0)
    XSetIOErrorHandler(ConnectionBroken);
}

bool WindowManagerRuns(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Of(window, display, xwindow))
    return true;
  // A window manager that follows the desktop conventions names its check window on the root.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0)
    return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int read = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                      &type, &format, &count, &after, &data);
  const bool found = read == Success && type == XA_WINDOW && format == 32 && count == 1;
  if (data != nullptr)
    XFree(data);
  return found;
}

void WriteWindowTitle(SDL_Window* window, const char* title) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (title == nullptr || !X11Of(window, display, xwindow))
    return;
  // STRING is Latin-1; a title with other characters goes as COMPOUND_TEXT, as the ICCCM asks.
  std::string latin1;
  if (ToLatin1(title, latin1)) {
    const auto* text = reinterpret_cast<const unsigned char*>(latin1.data());
    const int size = static_cast<int>(latin1.size());
    XChangeProperty(display, xwindow, XA_WM_NAME, XA_STRING, 8, PropModeReplace, text, size);
    XChangeProperty(display, xwindow, XA_WM_ICON_NAME, XA_STRING, 8, PropModeReplace, text, size);
  } else {
    char* list[] = {const_cast<char*>(title)};
    XTextProperty name{};
    if (Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &name) >= Success) {
      XSetWMName(display, xwindow, &name);
      XSetWMIconName(display, xwindow, &name);
      XFree(name.value);
    }
  }
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const auto* bytes = reinterpret_cast<const unsigned char*>(title);
  const int length = static_cast<int>(std::strlen(title));
  XChangeProperty(display, xwindow, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                  bytes, length);
  XChangeProperty(display, xwindow, XInternAtom(display, "_NET_WM_ICON_NAME", False), utf8, 8,
                  PropModeReplace, bytes, length);
  XFlush(display);
}

bool PutPictureInWindow(SDL_Window* window, int width, int height, const PictureRows& fill) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (width <= 0 || height <= 0 || !X11Of(window, display, xwindow))
    return false;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, xwindow, &attributes) == 0 || attributes.visual == nullptr)
    return false;
  const Visual* visual = attributes.visual;
  if (visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF ||
      (attributes.depth != 24 && attributes.depth != 32))
    return false;
  constexpr int kBandRows = 32;
  std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * kBandRows);
  // The image only points at the band, which is never given to Xlib to free.
  XImage* image = XCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                               0, reinterpret_cast<char*>(band.data()), static_cast<unsigned>(width),
                               kBandRows, 32, width * 4);
  if (image == nullptr)
    return false;
  // The words' bytes as this machine orders them.
  const bool fits = image->bits_per_pixel == 32 &&
                    (image->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
  if (fits) {
    GC gc = XCreateGC(display, xwindow, 0, nullptr);
    for (int top = 0; top < height; top += kBandRows) {
      const int rows = std::min(kBandRows, height - top);
      fill(top, rows, band.data());
      XPutImage(display, xwindow, gc, image, 0, 0, 0, top, static_cast<unsigned>(width),
                static_cast<unsigned>(rows));
    }
    XFreeGC(display, gc);
    // Shown once the server has it.
    XSync(display, False);
  }
  image->data = nullptr;
  XDestroyImage(image);
  return fits;
}

}  // namespace platform::sdl
