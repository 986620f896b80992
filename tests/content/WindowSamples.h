#pragma once
// The widest texts the game writes into its windows at run time (player names, times, star counts,
// prices, the video mode), set the way the game sets them, so that a check or a screenshot shows the
// windows at their fullest.

#include <string>

#include "tools/gui/GUIControl.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowBase.h"

namespace datacheck {

// The widest texts the game writes into the windows, set as the game sets them.
inline void FillWithWidestTexts(GUITools::GUIWindowBase& window) {
  const std::string& name = window.GetName();
  const std::wstring longName = L"Maximilian Grey";  // 15 characters, most of them wide
  for (GUITools::GUIControl* control : window.GetControls()) {
    auto* text = dynamic_cast<GUITools::GUITextControl*>(control);
    if (text == nullptr) {
      continue;
    }
    const std::string& full = control->name;
    auto endsWith = [&full](const std::string& tail) {
      return full.size() >= tail.size() && full.compare(full.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (full.find("/button_profile_") != std::string::npos && endsWith("/title")) {
      text->SetText(longName);
    } else if (endsWith("/your_time")) {
      text->SetText(L"59:59");
    } else if (endsWith("/stars_earned") || endsWith("/stars_total") || endsWith("/stars_erned/text") ||
               endsWith("/money/text_1")) {
      text->SetText(L"99999");
    } else if (name == "window_start_game" && endsWith("/text") &&
               full.find("/window/themes/") != std::string::npos) {
      text->SetText(L"1000");
    } else if (name == "window_start_game" && endsWith("/text") &&
               (full.find("/window/pictures/") != std::string::npos ||
                full.find("/window/puzzles/") != std::string::npos)) {
      text->SetText(L"2000");
    } else if (endsWith("/video_mode/text")) {
      text->SetTextKey("'1024x768'");
    } else if (name == "window_new_profile" && endsWith("/window/button_0/title")) {
      for (const char* key : {"common/exit", "common/cancel"}) {
        text->SetTextKey(key);  // the widest of the two is the one left
      }
    }
    text->SetPlaceholder(L"PROFILE_NAME", L"\"" + longName + L"\"");
  }
}

}  // namespace datacheck
