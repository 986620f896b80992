#pragma once
// The widest texts the game writes into its windows at run time (player names, times, star counts,
// prices, the video mode), set the way the game sets them, so that a check or a screenshot shows the
// windows at their fullest.

#include <string>

#include "engine/gui/GUIFont.h"
#include "tools/gui/GUIControl.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowBase.h"

namespace datacheck {

// The widest texts the game writes into the windows, set as the game sets them.
// The widest name a player can type into the name field of the welcome window: wide letters up to
// the field's limits on characters and printed width.
inline std::wstring WidestName(const GUITools::GUIWindowBase& welcome) {
  std::wstring name = L"Maximilian Grey";
  for (GUITools::GUIControl* control : welcome.GetControls()) {
    auto* edit = dynamic_cast<GUITools::GUIEditBoxControl*>(control);
    const CorvantisEngine::GUIFont* font = edit != nullptr ? edit->fontTool->GetFont(edit->font) : nullptr;
    if (font == nullptr) {
      continue;
    }
    name.clear();
    const std::wstring letters = L"WMWMWMWMWMWMWMWMWMWMWMWMWMWMWMWM";
    for (wchar_t c : letters) {
      if (name.size() + 1 > static_cast<std::size_t>(edit->maxCharacterCount) ||
          font->GetTextSize(name + c, 0.0f, -1.0f).x > edit->maxTextLength) {
        break;
      }
      name += c;
    }
  }
  return name;
}

inline void FillWithWidestTexts(GUITools::GUIWindowBase& window, const std::wstring& longName) {
  const std::string& name = window.GetName();
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
      text->SetFont("common_2");  // the hovered name: the widest of the list's three fonts
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
