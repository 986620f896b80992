// artconv: turns a rendered PNG into the texture files the engine reads.
//
//   artconv <in.png> <out.tga>                          32-bit TGA with the picture's alpha
//   artconv <in.png> <out.jpg> [<alpha.jpg>] [#rrggbb]  24-bit baseline JPEG; with a second JPEG name
//                                                       the alpha goes there as grey (an opacity
//                                                       image); a colour is put behind transparent parts
//   artconv <in.png> <out.inc>                          the pixels as C++ text, 0xAARRGGBB from the top
//                                                       row, comma-separated: a picture built into a
//                                                       program (the platform layer's cursors)
//
// Texture sides must be powers of two. The output depends on the pixels only (no time stamps, fixed
// JPEG settings), so the same PNG always gives the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>

#include "tools/common/ByteWriter.h"

namespace {

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;  // top row first
};

bool ReadPng(const std::string& path, Picture& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  out.width = image.width;
  out.height = image.height;
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

bool PowerOfTwo(std::uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Every pixel as a 0xAARRGGBB literal, eight to a line, top row first.
std::vector<std::uint8_t> EncodePixelText(const Picture& picture) {
  std::string text;
  const std::size_t pixels = std::size_t{picture.width} * picture.height;
  char literal[16];
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint8_t* p = picture.rgba.data() + i * 4;
    std::snprintf(literal, sizeof literal, "0x%02X%02X%02X%02Xu,", p[3], p[0], p[1], p[2]);
    text += literal;
    text += (i % 8 == 7) ? '\n' : ' ';
  }
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Uncompressed 32-bit TGA, rows bottom-up as the engine stores images.
std::vector<std::uint8_t> EncodeTga(const Picture& picture) {
  std::vector<std::uint8_t> bytes;
  tools::ByteWriter out(bytes);
  out.U8(0);  // no image id
  out.U8(0);  // no colour map
  out.U8(2);  // true colour
  for (int i = 0; i < 5; ++i) {
    out.U8(0);  // colour map description
  }
  out.U16(0);
  out.U16(0);
  out.U16(static_cast<std::uint16_t>(picture.width));
  out.U16(static_cast<std::uint16_t>(picture.height));
  out.U8(32);
  out.U8(8);  // eight alpha bits, origin bottom-left
  for (std::uint32_t row = picture.height; row-- > 0;) {
    const std::uint8_t* p = picture.rgba.data() + std::size_t{row} * picture.width * 4;
    for (std::uint32_t x = 0; x < picture.width; ++x, p += 4) {
      out.U8(p[2]);
      out.U8(p[1]);
      out.U8(p[0]);
      out.U8(p[3]);
    }
  }
  return bytes;
}

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, std::uint32_t width,
                                     std::uint32_t height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 92, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (std::uint32_t row = 0; row < height; ++row) {
    JSAMPROW line = const_cast<JSAMPROW>(rgb.data() + std::size_t{row} * width * 3);
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

bool ParseColour(const std::string& text, std::uint8_t colour[3]) {
  if (text.size() != 7 || text[0] != '#') {
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    try {
      std::size_t used = 0;
      const unsigned long value = std::stoul(text.substr(1 + 2 * i, 2), &used, 16);
      if (used != 2) {
        return false;
      }
      colour[i] = static_cast<std::uint8_t>(value);
    } catch (const std::exception&) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::cerr << "usage: artconv <in.png> <out.tga|out.jpg|out.inc> [<alpha.jpg>] [#rrggbb]\n";
    return 2;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  std::string alphaOutput;
  std::uint8_t matte[3] = {0, 0, 0};
  bool hasMatte = false;
  for (int i = 3; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument[0] == '#') {
      if (!ParseColour(argument, matte)) {
        std::cerr << "artconv: bad colour " << argument << "\n";
        return 2;
      }
      hasMatte = true;
    } else {
      alphaOutput = argument;
    }
  }
  Picture picture;
  if (!ReadPng(input, picture)) {
    std::cerr << "artconv: cannot read " << input << "\n";
    return 1;
  }
  if (!PowerOfTwo(picture.width) || !PowerOfTwo(picture.height) || picture.width > 4096 ||
      picture.height > 4096) {
    std::cerr << "artconv: " << input << " is " << picture.width << " x " << picture.height
              << "; texture sides are powers of two up to 4096\n";
    return 1;
  }
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  if (EndsWith(output, ".tga")) {
    if (!alphaOutput.empty() || hasMatte) {
      std::cerr << "artconv: a TGA keeps its own alpha\n";
      return 2;
    }
    files.emplace_back(output, EncodeTga(picture));
  } else if (EndsWith(output, ".jpg")) {
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    std::vector<std::uint8_t> rgb(pixels * 3), grey(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* p = picture.rgba.data() + i * 4;
      for (int c = 0; c < 3; ++c) {
        rgb[i * 3 + c] =
            hasMatte ? static_cast<std::uint8_t>((p[c] * p[3] + matte[c] * (255 - p[3]) + 127) / 255) : p[c];
        grey[i * 3 + c] = p[3];
      }
    }
    files.emplace_back(output, EncodeJpeg(rgb, picture.width, picture.height));
    if (!alphaOutput.empty()) {
      files.emplace_back(alphaOutput, EncodeJpeg(grey, picture.width, picture.height));
    }
  } else if (EndsWith(output, ".inc")) {
    if (!alphaOutput.empty() || hasMatte) {
      std::cerr << "artconv: pixels as text keep their own alpha\n";
      return 2;
    }
    files.emplace_back(output, EncodePixelText(picture));
  } else {
    std::cerr << "artconv: " << output << " is neither .tga, .jpg nor .inc\n";
    return 2;
  }
  for (const auto& [path, bytes] : files) {
    if (!tools::WriteWholeFile(bytes, path)) {
      std::cerr << "artconv: cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
