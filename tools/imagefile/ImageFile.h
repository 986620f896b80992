#pragma once
// The data build's picture handling: 24-bit pictures read from and written to baseline JPEG files,
// cropped and resampled. Rows run top-down here (row 0 is the top row as an image editor shows it),
// which is how the JPEG library delivers them; the game's formats that count rows bottom-up convert
// where they meet these pictures.
//
// Output is deterministic: the same pixels and quality give the same bytes (no comment, no time
// stamp, fixed density fields). Errors throw std::runtime_error with the file name.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tools {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3, top row first

  std::uint8_t* At(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
  const std::uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

RgbImage MakeImage(int width, int height);
// Decodes at 1/scaleDenominator of the full size (1, 2, 4 or 8: the JPEG library scales while
// decoding, which is far cheaper than decoding everything and reducing afterwards).
RgbImage ReadJpeg(const std::string& path, int scaleDenominator = 1);
// The width and height in the file's header, without decoding.
std::pair<int, int> ReadJpegSize(const std::string& path);
void WriteJpeg(const RgbImage& image, const std::string& path, int quality);

// The rectangle (x, y, width, height) of the image; it must lie inside.
RgbImage Crop(const RgbImage& image, int x, int y, int width, int height);
// Area-weighted resampling: every output pixel averages the source area it covers, each source pixel
// weighted by how much of it lies inside (an exact box filter; meant for reduction).
RgbImage Resample(const RgbImage& image, int width, int height);

}  // namespace tools
