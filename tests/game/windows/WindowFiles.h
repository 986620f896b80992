#pragma once
// Small window files with the controls the game's windows look up, written by the tests. No faders:
// every window appears in the frame its lock is free and leaves in the next update after its hide.

#include <string>
#include <vector>

namespace Puzzle::windowstest {

inline std::string ButtonXml(const std::string& name, const std::string& inner = "") {
  return "<button name=\"" + name + "\" size=\"40 20\">" + inner + "</button>";
}
inline std::string Titled(const std::string& name, const std::string& font = "fixed") {
  return ButtonXml(name, "<text_label name=\"title\" font=\"" + font + "\" text=\"'" + name + "'\"/>");
}
inline std::string Edit(const std::string& name, const std::string& extra = "") {
  return "<edit_box name=\"" + name + "\" font=\"fixed\" max_text_length=\"100000\"" + extra + "/>";
}
inline std::string Text(const std::string& name, const std::string& text) {
  return "<text_label name=\"" + name + "\" font=\"fixed\" text=\"" + text + "\"/>";
}
inline std::string Scroll(const std::string& name) {
  return "<scroll name=\"" + name + "\" size=\"20 200\"/>";
}
inline std::string CheckBox(const std::string& name) {
  return "<check_box name=\"" + name + "\" size=\"20 20\"/>";
}
// The window's top element holding `outside`, and its panel "window" holding `inside`.
inline std::string Window(const std::string& key, const std::string& inside,
                          const std::string& outside = "") {
  return "<window name=\"" + key + "\">" + outside + "<window name=\"window\" size=\"400 300\">" + inside +
         "</window></window>\n";
}

}  // namespace Puzzle::windowstest
