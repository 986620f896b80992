#include "tools/imagefile/ImageFile.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace tools {

namespace {

struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Decodes into `image`; returns false with the library's message on failure. Holds no object with a
// destructor across the library calls, so the error jump skips nothing.
bool DecodeJpeg(std::FILE* file, int scaleDenominator, bool headerOnly, RgbImage* image, JpegErrors* errors) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors->pub);
  errors->pub.error_exit = JpegErrorExit;
  if (setjmp(errors->jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  if (headerOnly) {
    image->width = static_cast<int>(info.image_width);
    image->height = static_cast<int>(info.image_height);
    jpeg_destroy_decompress(&info);
    return true;
  }
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned int>(scaleDenominator);
  info.out_color_space = JCS_RGB;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  image->width = static_cast<int>(info.output_width);
  image->height = static_cast<int>(info.output_height);
  image->pixels.resize(static_cast<std::size_t>(image->width) * image->height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image->At(0, static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

bool EncodeJpeg(std::FILE* file, const RgbImage& image, int quality, JpegErrors* errors) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&errors->pub);
  errors->pub.error_exit = JpegErrorExit;
  if (setjmp(errors->jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.dct_method = JDCT_ISLOW;
  info.optimize_coding = TRUE;  // still baseline: only the Huffman tables are tuned
  info.density_unit = 0;
  info.X_density = 1;
  info.Y_density = 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto row = const_cast<JSAMPROW>(image.At(0, static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// Weights of the source cells [first, first + count) that the output cell i covers along one axis.
struct Span {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Span> AreaSpans(int sourceSize, int targetSize) {
  std::vector<Span> spans(static_cast<std::size_t>(targetSize));
  const double scale = static_cast<double>(sourceSize) / targetSize;
  for (int i = 0; i < targetSize; ++i) {
    const double from = i * scale;
    const double to = (i + 1) * scale;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.first = static_cast<int>(from);
    double total = 0.0;
    for (int s = span.first; s < sourceSize && s < to; ++s) {
      const double lo = s > from ? s : from;
      const double hi = s + 1 < to ? s + 1 : to;
      span.weights.push_back(hi - lo);
      total += hi - lo;
    }
    for (double& weight : span.weights) {
      weight /= total;
    }
  }
  return spans;
}

}  // namespace

RgbImage MakeImage(int width, int height) {
  RgbImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height * 3, 0);
  return image;
}

RgbImage ReadJpeg(const std::string& path, int scaleDenominator) {
  if (scaleDenominator != 1 && scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8) {
    throw std::invalid_argument("JPEG scale 1/" + std::to_string(scaleDenominator));
  }
  FilePointer file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    throw std::runtime_error("cannot open " + path);
  }
  RgbImage image;
  JpegErrors errors{};
  if (!DecodeJpeg(file.get(), scaleDenominator, false, &image, &errors)) {
    throw std::runtime_error(path + ": " + errors.message);
  }
  return image;
}

std::pair<int, int> ReadJpegSize(const std::string& path) {
  FilePointer file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    throw std::runtime_error("cannot open " + path);
  }
  RgbImage image;
  JpegErrors errors{};
  if (!DecodeJpeg(file.get(), 1, true, &image, &errors)) {
    throw std::runtime_error(path + ": " + errors.message);
  }
  return {image.width, image.height};
}

void WriteJpeg(const RgbImage& image, const std::string& path, int quality) {
  const std::string temporary = path + ".partial";
  FilePointer file(std::fopen(temporary.c_str(), "wb"));
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
  JpegErrors errors{};
  const bool encoded = EncodeJpeg(file.get(), image, quality, &errors);
  const bool closed = std::fclose(file.release()) == 0;
  if (!encoded || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error(path + ": " + (encoded ? "write failed" : errors.message));
  }
}

RgbImage Crop(const RgbImage& image, int x, int y, int width, int height) {
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > image.width || y + height > image.height) {
    throw std::runtime_error("crop rectangle outside the picture");
  }
  RgbImage result = MakeImage(width, height);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* from = image.At(x, y + row);
    std::copy(from, from + static_cast<std::size_t>(width) * 3, result.At(0, row));
  }
  return result;
}

RgbImage Resample(const RgbImage& image, int width, int height) {
  const std::vector<Span> across = AreaSpans(image.width, width);
  const std::vector<Span> down = AreaSpans(image.height, height);
  // Horizontal pass into a float buffer, then the vertical pass with rounding.
  std::vector<double> rows(static_cast<std::size_t>(image.height) * width * 3);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Span& span = across[static_cast<std::size_t>(x)];
      double sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < span.weights.size(); ++k) {
        const std::uint8_t* pixel = image.At(span.first + static_cast<int>(k), y);
        for (int c = 0; c < 3; ++c) {
          sum[c] += span.weights[k] * pixel[c];
        }
      }
      for (int c = 0; c < 3; ++c) {
        rows[(static_cast<std::size_t>(y) * width + x) * 3 + c] = sum[c];
      }
    }
  }
  RgbImage result = MakeImage(width, height);
  for (int y = 0; y < height; ++y) {
    const Span& span = down[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      double sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < span.weights.size(); ++k) {
        const double* pixel = &rows[((static_cast<std::size_t>(span.first) + k) * width + x) * 3];
        for (int c = 0; c < 3; ++c) {
          sum[c] += span.weights[k] * pixel[c];
        }
      }
      std::uint8_t* out = result.At(x, y);
      for (int c = 0; c < 3; ++c) {
        const double value = sum[c] + 0.5;
        out[c] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
      }
    }
  }
  return result;
}

}  // namespace tools
