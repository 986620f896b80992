#include "XConnection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sdltest {

int XConnectionSocket(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return -1;
  return ConnectionNumber(info.info.x11.display);
}

XTextValue ReadXProperty(SDL_Window* window, const char* property) {
  XTextValue value;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return value;
  Display* display = info.info.x11.display;
  XSync(display, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, info.info.x11.window, XInternAtom(display, property, False), 0, 1024, False,
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
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return picture;
  Display* display = info.info.x11.display;
  XSync(display, False);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0)
    return picture;
  XImage* image = XGetImage(display, info.info.x11.window, 0, 0, static_cast<unsigned>(attributes.width),
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
