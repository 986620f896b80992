#pragma once
// The windows the game builds by name and the controls its code looks up in each, by kind, as suffixes
// of the window's name (full name = window name + suffix; "" is the window's own top control). The data
// check builds every window from the packed data and finds each name here; a window class that looks
// up a new control adds it here.

#include <string>
#include <vector>

namespace datacheck {

enum class Kind { kAny, kWindow, kButton, kCheckBox, kEditBox, kScroll, kText };

struct ControlName {
  Kind kind;
  std::string suffix;
};

struct WindowNames {
  std::string window;  // the top element's name; the file is data\ui\windows\<window>.xml
  bool menuWindow;     // has the menu windows' optional controls ("/window", "/title", ...)
  std::vector<ControlName> controls;
};

inline std::vector<ControlName> Buttons(std::initializer_list<const char*> suffixes) {
  std::vector<ControlName> out;
  for (const char* suffix : suffixes) {
    out.push_back({Kind::kButton, suffix});
  }
  return out;
}

inline std::vector<ControlName> Join(std::initializer_list<std::vector<ControlName>> parts) {
  std::vector<ControlName> out;
  for (const auto& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

inline const std::vector<WindowNames>& WindowsTheCodeBuilds() {
  static const std::vector<WindowNames> windows = [] {
    const ControlName window{Kind::kWindow, "/window"};
    const ControlName title{Kind::kText, "/title"};
    const ControlName text{Kind::kText, "/window/text"};
    const ControlName mountAnimated{Kind::kWindow, "/title_mount_animated"};
    const ControlName mountStatic{Kind::kWindow, "/title_mount_static"};
    const std::vector<ControlName> volumes = {{Kind::kScroll, "/window/sound"},
                                              {Kind::kScroll, "/window/music"},
                                              {Kind::kCheckBox, "/window/fullscreen"}};

    std::vector<ControlName> profiles;
    for (int n = 11; n >= 0; --n) {
      const std::string button =
          std::string("/window/text_area/button_profile_") + (n < 10 ? "0" : "") + std::to_string(n);
      profiles.push_back({Kind::kButton, button});
      profiles.push_back({Kind::kText, button + "/title"});
    }
    profiles.push_back({Kind::kScroll, "/window/scroll"});

    std::vector<ControlName> mainMenu = {title};
    for (const char* button :
         {"/window/start", "/window/options", "/window/change_player", "/window/credits", "/window/exit"}) {
      mainMenu.push_back({Kind::kButton, button});
      mainMenu.push_back({Kind::kText, std::string(button) + "/title"});
    }

    return std::vector<WindowNames>{
        {"window_game_loading", true, {title}},
        {"window_game_logic_loading", true, {title}},
        {"window_main_menu", true, mainMenu},
        {"window_welcome", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}), {{Kind::kEditBox, "/window/name"}}})},
        {"window_exit", true, Buttons({"/window/button_0", "/window/button_1"})},
        {"window_credits", true,
         Join({Buttons({"/window/button_0", "/window/previous", "/window/next"}),
               {{Kind::kWindow, "/window/page_0"}, {Kind::kWindow, "/window/page_1"}}})},
        {"window_profiles", true,
         Join({profiles, Buttons({"/window/create", "/window/rename", "/window/delete", "/window/done"})})},
        {"window_new_profile", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}),
               {{Kind::kEditBox, "/window/name"}, {Kind::kText, "/window/button_0/title"}}})},
        {"window_rename_profile", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}), {{Kind::kEditBox, "/window/name"}}})},
        {"window_delete_profile", true, Join({Buttons({"/window/button_0", "/window/button_1"}), {text}})},
        {"window_profile_name_conflict", true, Buttons({"/window/button_0"})},
        {"window_options", true,
         Join({volumes,
               Buttons({"/window/decrease_video_mode", "/window/increase_video_mode", "/window/button_2",
                        "/window/button_1", "/window/button_0"}),
               {{Kind::kText, "/window/video_mode/text"}}})},
        // The slot lists of the start-game window are checked against the catalogue separately.
        {"window_start_game", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}),
               {{Kind::kText, "/window/button_1/title"},
                {Kind::kCheckBox, "/window/relax_mode"},
                {Kind::kText, "/window/stars_erned/text"},
                {Kind::kText, "/cursor_tip"}}})},
        {"window_game_logic", false,
         Join({{{Kind::kWindow, ""}},
               Buttons({"/menu", "/minimize", "/close"}),
               {{Kind::kCheckBox, "/fullscreen"},
                {Kind::kText, "/money/text_1"},
                {Kind::kAny, "/eater_bottom"},
                {Kind::kAny, "/eater_arrow"}}})},
        {"window_game_logic_menu", true,
         Join({volumes,
               Buttons({"/window/button_0", "/window/button_1", "/window/button_2"}),
               {window, mountAnimated, mountStatic}})},
        {"window_game_logic_pause", true, Buttons({"/window/button_0"})},
        {"window_game_logic_restart", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}), {mountStatic}})},
        {"window_game_logic_menu_exit", true,
         Join({Buttons({"/window/button_0", "/window/button_1"}), {mountStatic}})},
        {"window_game_logic_game_exit", true, Buttons({"/window/button_0", "/window/button_1"})},
        {"window_level_complete", true,
         Join({Buttons({"/window/button_0"}),
               {{Kind::kText, "/window/your_time"},
                {Kind::kText, "/window/stars_earned"},
                {Kind::kText, "/window/stars_total"},
                mountAnimated,
                mountStatic}})},
        {"window_game_over", true, Join({Buttons({"/window/button_0"}), {mountAnimated, mountStatic}})},
        {"window_relax", true, Buttons({"/window/button_0", "/window/button_1"})},
        {"window_notice", true, Join({Buttons({"/window/button_0"}), {text}})},
    };
  }();
  return windows;
}

// The optional controls every menu window may have, and the kind each must be when present.
inline const std::vector<ControlName>& OptionalMenuControls() {
  static const std::vector<ControlName> names = {
      {Kind::kWindow, "/window"},
      {Kind::kText, "/title"},
      {Kind::kText, "/window/text"},
      {Kind::kWindow, "/title_mount_animated"},
      {Kind::kWindow, "/title_mount_static"},
      {Kind::kWindow, "/logo_additional_0"},
      {Kind::kWindow, "/logo_additional_1"},
  };
  return names;
}

// The start-game window's slot lists: "<list>/<slot>NN" check boxes, NN = 00, 01, ... without a gap,
// each with these sub-controls.
inline const std::vector<ControlName>& SlotParts() {
  static const std::vector<ControlName> parts = {{Kind::kWindow, "/lock"},
                                                 {Kind::kWindow, "/picture"},
                                                 {Kind::kWindow, "/star"},
                                                 {Kind::kText, "/text"}};
  return parts;
}

}  // namespace datacheck
