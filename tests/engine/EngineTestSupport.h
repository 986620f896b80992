#pragma once
// What the Engine tests share: the start record the game framework fills, pointing into one test folder
// (a testsupport::TempFolder holds the log, the ini and the data), and the HTML log read back as lines.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/EngineStartParameters.h"

namespace CorvantisEngine::enginetest {

// Title "Game" 1.00 (the ini and the log are named after it), log and ini in `folder`, data in its
// "data" subfolder with packs under "Data", a default video mode of 800x600x32; every other flag and
// number 0. Tests set what they look at.
inline EngineStartParameters GameParameters(const std::filesystem::path& folder) {
  EngineStartParameters p;
  p.name = p.applicationName = p.logName = "Game";
  p.version = 100;
  p.logFolder = p.configFolder = folder.string();
  p.dataFolder = (folder / "data").string();
  p.packFolder = "Data";
  p.defaultVideoMode = "800x600x32";
  return p;
}

// The log's text in file order without its tags, one line per "<BR>".
inline std::vector<std::string> LogLines(const std::filesystem::path& htmlFile) {
  std::ifstream in(htmlFile, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  std::string plain;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 4, "<BR>") == 0) {
      plain += '\n';
      i += 4;
    } else if (text[i] == '<' && text.find('>', i) != std::string::npos) {
      i = text.find('>', i) + 1;
    } else {
      plain += text[i++];
    }
  }
  std::vector<std::string> lines;
  std::stringstream split(plain);
  for (std::string line; std::getline(split, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace CorvantisEngine::enginetest
