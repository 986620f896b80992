#include "tests/support/ImageFixtures.h"

#include <cstdio>
#include <cstdlib>

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace CorvantisEngine::testkit {

void PutU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

namespace {

Bytes BmpHeader(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t dataSize,
                std::uint32_t paletteSize) {
  Bytes out;
  PutU16(out, 0x4D42);
  PutU32(out, 54 + paletteSize + dataSize);
  PutU32(out, 0);
  PutU32(out, 54 + paletteSize);
  PutU32(out, 40);
  PutU32(out, width);
  PutU32(out, height);
  PutU16(out, 1);
  PutU16(out, bits);
  PutU32(out, 0);
  PutU32(out, dataSize);
  PutU32(out, 2835);
  PutU32(out, 2835);
  PutU32(out, paletteSize / 4);
  PutU32(out, 0);
  return out;
}

}  // namespace

Bytes MakeBmp(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, const Bytes& pixels) {
  const std::uint32_t stride = (width * bytesPerPixel + 3) & ~3u;
  Bytes out = BmpHeader(width, height, bytesPerPixel * 8, stride * height, 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &pixels[(y * width + x) * bytesPerPixel];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      if (bytesPerPixel == 4) {
        out.push_back(p[3]);
      }
    }
    for (std::uint32_t pad = width * bytesPerPixel; pad < stride; ++pad) {
      out.push_back(0xEE);
    }
  }
  return out;
}

Bytes MakeBmp8(std::uint32_t width, std::uint32_t height, const Bytes& paletteRgb, const Bytes& indices) {
  const std::uint32_t stride = (width + 3) & ~3u;
  Bytes out = BmpHeader(width, height, 8, stride * height, 1024);
  for (std::uint32_t i = 0; i < 256; ++i) {
    const bool present = i * 3 + 2 < paletteRgb.size();
    out.push_back(present ? paletteRgb[i * 3 + 2] : 0);
    out.push_back(present ? paletteRgb[i * 3 + 1] : 0);
    out.push_back(present ? paletteRgb[i * 3] : 0);
    out.push_back(0);
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      out.push_back(indices[y * width + x]);
    }
    for (std::uint32_t pad = width; pad < stride; ++pad) {
      out.push_back(0xEE);
    }
  }
  return out;
}

Bytes MakeTgaHeader(std::uint32_t type, std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                    bool topFirst, std::uint32_t idLength) {
  Bytes out;
  out.push_back(static_cast<std::uint8_t>(idLength));
  out.push_back(0);
  out.push_back(static_cast<std::uint8_t>(type));
  PutU16(out, 0);
  PutU16(out, 0);
  out.push_back(0);
  PutU16(out, 0);
  PutU16(out, 0);
  PutU16(out, width);
  PutU16(out, height);
  out.push_back(static_cast<std::uint8_t>(depth));
  out.push_back(topFirst ? 0x20 : 0);
  return out;
}

Bytes EncodeJpeg(std::uint32_t width, std::uint32_t height, int components, const Bytes& rows, int quality,
                 bool progressive) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) {
    jpeg_simple_progression(&info);
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    JSAMPROW row =
        const_cast<std::uint8_t*>(&rows[static_cast<std::size_t>(info.next_scanline) * width * components]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

Bytes DecodeJpegDirect(const Bytes& jpeg, std::uint32_t& width, std::uint32_t& height, int& components) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  width = info.output_width;
  height = info.output_height;
  components = info.output_components;
  Bytes out(static_cast<std::size_t>(width) * height * components);
  while (info.output_scanline < height) {
    JSAMPROW row = &out[static_cast<std::size_t>(info.output_scanline) * width * components];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return out;
}

}  // namespace CorvantisEngine::testkit
