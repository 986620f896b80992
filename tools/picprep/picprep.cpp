// picprep: makes the game's theme pictures from photographs.
//
//   picprep LIST OUTPUT_FOLDER
//
// LIST names one picture a line: theme folder, package, source JPEG file, then the crop, either
// "centre" (the largest centred rectangle of the picture's aspect) or "x y width height" in source
// pixels. Blank lines and lines starting with '#' are skipped. Pictures are numbered per theme in list
// order. For picture NN of theme T the tool writes into OUTPUT_FOLDER/T/:
//   NN.jpg          the picture, kPictureWidth x kPictureHeight, baseline JPEG
//   NN_preview.jpg  kPreviewSide x kPreviewSide, the whole picture squeezed (shown at the picture's aspect)
//   NN.xml          the picture's colours: cut lines light on dark pictures and dark on light ones
// The same list and sources give the same bytes.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/imagefile/ImageFile.h"

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr int kPreviewSide = 128;
constexpr int kPictureQuality = 92;
constexpr int kPreviewQuality = 90;

struct Entry {
  std::string theme;
  std::string package;
  std::string source;
  bool centre = true;
  int x = 0, y = 0, width = 0, height = 0;
  int line = 0;
};

std::vector<Entry> ReadList(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  std::vector<Entry> entries;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    std::istringstream words(text);
    Entry entry;
    entry.line = line;
    if (!(words >> entry.theme) || entry.theme[0] == '#') {
      continue;
    }
    std::string crop;
    if (!(words >> entry.package >> entry.source >> crop)) {
      throw std::runtime_error(path + ":" + std::to_string(line) + ": expected theme, package, file, crop");
    }
    if (crop != "centre") {
      entry.centre = false;
      std::istringstream numbers(crop);
      numbers >> entry.x;
      if (!numbers || !(words >> entry.y >> entry.width >> entry.height)) {
        throw std::runtime_error(path + ":" + std::to_string(line) +
                                 ": crop is \"centre\" or x y width height");
      }
    }
    entries.push_back(entry);
  }
  return entries;
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof(text), "%02d", n);
  return text;
}

std::string ColourFile(const tools::RgbImage& picture) {
  double sum = 0.0;
  for (std::size_t i = 0; i < picture.pixels.size(); i += 3) {
    sum += 0.299 * picture.pixels[i] + 0.587 * picture.pixels[i + 1] + 0.114 * picture.pixels[i + 2];
  }
  const double luminance = sum / (static_cast<double>(picture.pixels.size()) / 3);
  const char* lines = luminance > 150.0 ? "70 52 40" : "244 235 217";
  std::string xml = "<puzzle>\r\n";
  xml += "  <background_color>255 255 255</background_color>\r\n";
  xml += std::string("  <puzzle_color>") + lines + "</puzzle_color>\r\n";
  xml += "  <tip_color>232 179 58</tip_color>\r\n";
  xml += "</puzzle>\r\n";
  return xml;
}

void WriteText(const std::string& text, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

void Prepare(const Entry& entry, int number, const std::filesystem::path& folder) {
  const auto [sourceWidth, sourceHeight] = tools::ReadJpegSize(entry.source);
  int x = entry.x, y = entry.y, width = entry.width, height = entry.height;
  if (entry.centre) {
    // The largest rectangle of the picture's aspect, centred.
    width = sourceWidth;
    height = width * kPictureHeight / kPictureWidth;
    if (height > sourceHeight) {
      height = sourceHeight;
      width = height * kPictureWidth / kPictureHeight;
    }
    x = (sourceWidth - width) / 2;
    y = (sourceHeight - height) / 2;
  } else if (std::abs(static_cast<double>(width) * kPictureHeight /
                          (static_cast<double>(height) * kPictureWidth) -
                      1.0) > 0.01) {
    throw std::runtime_error(entry.source + ": crop is not " + std::to_string(kPictureWidth) + ":" +
                             std::to_string(kPictureHeight));
  }
  // Decode at the smallest scale that still leaves twice the picture's pixels in the crop, then
  // reduce by area averaging.
  int scale = 8;
  while (scale > 1 && (width / scale < 2 * kPictureWidth || height / scale < 2 * kPictureHeight)) {
    scale /= 2;
  }
  const tools::RgbImage source = tools::ReadJpeg(entry.source, scale);
  x /= scale;
  y /= scale;
  width = std::min(width / scale, source.width - x);
  height = std::min(height / scale, source.height - y);
  const tools::RgbImage picture =
      tools::Resample(tools::Crop(source, x, y, width, height), kPictureWidth, kPictureHeight);
  const std::string name = TwoDigits(number);
  std::filesystem::create_directories(folder);
  tools::WriteJpeg(picture, (folder / (name + ".jpg")).string(), kPictureQuality);
  tools::WriteJpeg(tools::Resample(picture, kPreviewSide, kPreviewSide),
                   (folder / (name + "_preview.jpg")).string(), kPreviewQuality);
  WriteText(ColourFile(picture), folder / (name + ".xml"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: picprep LIST OUTPUT_FOLDER\n");
    return 2;
  }
  try {
    const std::vector<Entry> entries = ReadList(argv[1]);
    std::map<std::string, int> counts;
    for (const Entry& entry : entries) {
      const int number = counts[entry.theme]++;
      Prepare(entry, number, std::filesystem::path(argv[2]) / entry.theme);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "picprep: %s\n", error.what());
    return 1;
  }
  return 0;
}
