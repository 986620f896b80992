#include "XConnection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sdltest {

namespace {

// The window's X connection and window, with what was asked of the connection done; null when the
// window is not on an X display.
struct XWindowOf {
  explicit XWindowOf(SDL_Window* sdl) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl == nullptr || SDL_GetWindowWMInfo(sdl, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
      return;
    display = info.info.x11.display;
    window = info.info.x11.window;
    XSync(display, False);
  }
  explicit operator bool() const { return display != nullptr; }

  Display* display = nullptr;
  Window window = 0;
};

}  // namespace

int XConnectionSocket(SDL_Window* window) {
  const XWindowOf x(window);
  return x ? ConnectionNumber(x.display) : -1;
}

XTextValue ReadXProperty(SDL_Window* window, const char* property) {
  XTextValue value;
  const XWindowOf x(window);
  if (!x)
    return value;
  Display* display = x.display;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, x.window, XInternAtom(display, property, False), 0, 1024, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
      type != 0) {
    if (char* name = XGetAtomName(display, type)) {
      value.type = name;
      XFree(name);
    }
    if (data != nullptr && format == 8)
      value.bytes.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr)
    XFree(data);
  return value;
}

XPicture ReadXWindow(SDL_Window* window) {
  XPicture picture;
  const XWindowOf x(window);
  XWindowAttributes attributes{};
  if (!x || XGetWindowAttributes(x.display, x.window, &attributes) == 0)
    return picture;
  XImage* image = XGetImage(x.display, x.window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr)
    return picture;
  picture.width = attributes.width;
  picture.height = attributes.height;
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x)
      picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
          static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
  }
  XDestroyImage(image);
  return picture;
}

}  // namespace sdltest
