#pragma once
// What the GUI display tests draw and probe pixels with: the engine's start record for one 800 x 600
// window, textures of solid colour cells, the colour of the last rendered frame at a GUI point
// (800 x 600 units, y up), and a colour comparison that allows for filtering and dithering.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineStartParameters.h"
#include "engine/render/Image.h"
#include "tools/fontbaker/FontBaker.h"

namespace testsupport {

// An 800 x 600 window at the default mode, centred, windowed; log, ini and data (its "data" folder) in
// `folder`.
inline CorvantisEngine::EngineStartParameters DisplayParameters(const std::string& folder,
                                                                const std::string& name) {
  CorvantisEngine::EngineStartParameters p;
  p.name = p.applicationName = p.logName = name;
  p.version = 100;
  p.logFolder = p.configFolder = folder;
  p.dataFolder = folder;
  p.packFolder = "Data";
  p.defaultVideoMode = "800x600x32";
  p.forceDefaultVideoMode = 1;
  p.forceDefaultFullScreen = 1;
  p.defaultFullScreen = 0;
  p.centreWindow = 1;
  return p;
}

struct Rgb {
  int r, g, b;
};

// A 32-bit TGA of `cells` solid colours side by side, each cell 8 x 8 pixels.
inline void WriteCells(const std::string& path, const std::vector<Rgb>& cells) {
  const std::uint32_t width = 8 * static_cast<std::uint32_t>(cells.size());
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * 8 * 4);
  for (std::uint32_t y = 0; y < 8; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const Rgb& c = cells[x / 8];
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(c.r);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.b);
      p[3] = 255;
    }
  }
  ASSERT_TRUE(fontbaker::WriteTga32(path, width, 8, rgba)) << path;
}

// The colour of a screen capture (RGB rows, bottom-up) at a GUI point.
inline Rgb GUIPixel(const CorvantisEngine::Image& image, float x, float y) {
  const std::uint32_t width = image.GetWidth();
  const std::uint32_t height = image.GetHeight();
  const auto px = static_cast<std::uint32_t>(x * width / 800.0f);
  const auto row = static_cast<std::uint32_t>(y * height / 600.0f);
  const std::uint8_t* p = image.GetPixels() + (static_cast<std::size_t>(row) * width + px) * 3;
  return {p[0], p[1], p[2]};
}

// Each channel within 8 of the expected value.
inline ::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected) {
  auto close = [](int a, int b) { return a - b <= 8 && b - a <= 8; };
  if (close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected (" << expected.r
         << ", " << expected.g << ", " << expected.b << ")";
}

}  // namespace testsupport
