// Image reading: the choice of reader by extension, and the BMP and TGA readers. The JPEG reader is in
// Image_Jpeg.cpp.
//
// The BMP and TGA readers read their header, then decode from the whole rest of the file in memory (the
// file's own bytes when it holds them) with every size computed in 64 bits and checked against what is
// present, so a hostile header can neither make them read past the input nor allocate more than its
// pixels need.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "engine/render/ImageFormat.h"

namespace CorvantisEngine {

namespace {

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Everything from the file's current position to its end: the file's own bytes when it holds them in
// memory, else one read into a buffer that is not cleared first. Either way the file then stands at its
// end, as if it had been read.
class RestOfFile {
 public:
  explicit RestOfFile(FileBinary& file) {
    const std::uint32_t remaining = file.GetRemaining();
    if (file.GetMemory() != nullptr) {
      data_ = file.GetMemory() + file.GetPosition();
      size_ = remaining;
      if (remaining > 0) {
        std::uint8_t last = 0;
        file.Seek(FileBinary::kFromEnd, 1);
        file.Read(&last, 1);
      }
      return;
    }
    owned_.reset(new std::uint8_t[remaining]);
    std::uint32_t got = 0;
    file.Read(owned_.get(), remaining, &got);
    data_ = owned_.get();
    size_ = got;
  }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::unique_ptr<std::uint8_t[]> owned_;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// For a file already read to its end: asks it for n more bytes, so that a picture cut short fails with
// the file's own short-read error, as reading it piece by piece would have.
[[noreturn]] void ThrowShortRead(FileBinary& file, std::size_t n) {
  std::vector<std::uint8_t> scratch(n);
  file.Read(scratch.data(), static_cast<std::uint32_t>(n));
  throw FileError("Failed to read " + std::to_string(n) + " bytes from \"" + file.GetName() + "\" file");
}

}  // namespace

std::string ImageIncorrectFormatText(const std::string& fileName) {
  return "Incorrect \"" + fileName + "\" file format";
}

std::string ImageUnsupportedFormatText(const std::string& fileName) {
  return "Unsupported \"" + fileName + "\" file format";
}

ImageFileType ImageFileTypeOf(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  if (extension == "bmp") {
    return ImageFileType::kBmp;
  }
  if (extension == "tga") {
    return ImageFileType::kTga;
  }
  if (extension == "jpg" || extension == "jpeg") {
    return ImageFileType::kJpeg;
  }
  return ImageFileType::kUnknown;
}

bool Image::Load(MessageManager* log, FileManager* fileManager, const std::string& fileName) {
  if (ImageFileTypeOf(fileName) == ImageFileType::kUnknown) {
    if (log != nullptr) {
      log->Error("Unknown \"" + fileName + "\" image file type");
    }
    Release();
    return false;
  }
  std::unique_ptr<FileBinary> file;
  try {
    if (fileManager == nullptr) {
      throw FileError("Failed to open \"" + fileName + "\" file");
    }
    file.reset(fileManager->OpenFile(fileName, false, true));
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    Release();
    return false;
  }
  return LoadFromFile(log, *file, fileName);
}

bool Image::LoadFromFile(MessageManager* log, FileBinary& file, const std::string& fileName) {
  Image result;
  bool loaded = false;
  try {
    result.log_ = log;
    switch (ImageFileTypeOf(fileName)) {
      case ImageFileType::kBmp:
        loaded = LoadBmp(fileName, file, result);
        break;
      case ImageFileType::kTga:
        loaded = LoadTga(fileName, file, result);
        break;
      case ImageFileType::kJpeg:
        loaded = LoadJpeg(fileName, file, result);
        break;
      case ImageFileType::kUnknown:
        if (log != nullptr) {
          log->Error("Unknown \"" + fileName + "\" image file type");
        }
        break;
    }
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    loaded = false;
  } catch (const std::bad_alloc&) {
    if (log != nullptr) {
      log->Error(ImageUnsupportedFormatText(fileName));
    }
    loaded = false;
  }
  Release();
  if (!loaded) {
    log_ = log;
    return false;
  }
  TakeFrom(result);
  log_ = log;
  return true;
}

bool Image::LoadBmp(const std::string& fileName, FileBinary& file, Image& result) {
  // The 14-byte file header and the 40-byte information header, read as one block (a shorter file fails
  // with the file's read error).
  constexpr std::size_t kHeaderSize = 54;
  std::uint8_t header[kHeaderSize];
  file.Read(header, kHeaderSize);
  if (U16(header) != 0x4D42) {
    throw FileError(ImageIncorrectFormatText(fileName));
  }
  const std::uint32_t infoSize = U32(header + 14);
  const std::int32_t width = static_cast<std::int32_t>(U32(header + 18));
  const std::int32_t height = static_cast<std::int32_t>(U32(header + 22));
  const std::uint16_t bitCount = U16(header + 28);
  const std::uint32_t compression = U32(header + 30);

  // Rows stored top-down (negative height) and depths other than 8, 24 and 32 are not read.
  if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > kMaxImageSide ||
      static_cast<std::uint32_t>(height) > kMaxImageSide) {
    throw FileError(ImageUnsupportedFormatText(fileName));
  }
  if (bitCount != 8 && bitCount != 24 && bitCount != 32) {
    throw FileError(ImageUnsupportedFormatText(fileName));
  }
  if (bitCount == 8 && compression != 0) {
    throw FileError(ImageUnsupportedFormatText(fileName));
  }
  // The palette or the pixels follow the information header. With the common 40-byte header that is
  // byte 54; newer, longer headers push it further.
  const RestOfFile data(file);
  std::uint64_t offset = 0;
  if (infoSize > 40) {
    offset = static_cast<std::uint64_t>(infoSize) - 40;
    if (offset > data.size()) {
      throw FileError(ImageIncorrectFormatText(fileName));
    }
  }
  const std::uint64_t w = static_cast<std::uint32_t>(width);
  const std::uint64_t h = static_cast<std::uint32_t>(height);
  const std::uint64_t fileBytesPerPixel = bitCount / 8;
  const std::uint64_t rowBytes = w * fileBytesPerPixel;
  const std::uint64_t stride = (rowBytes + 3) & ~std::uint64_t{3};
  const std::uint64_t paletteSize = bitCount == 8 ? 1024 : 0;
  // Everything is checked before the pixels are allocated; a file that ends early fails with the read
  // error of the palette or of the row it ends in. The last row need not carry its padding.
  if (offset + paletteSize > data.size()) {
    ThrowShortRead(file, static_cast<std::size_t>(paletteSize));
  }
  if (offset + paletteSize + stride * (h - 1) + rowBytes > data.size()) {
    ThrowShortRead(file, static_cast<std::size_t>(rowBytes));
  }

  const std::uint32_t imageBits = bitCount == 32 ? 32 : 24;
  result.Create(result.log_, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), imageBits);
  const std::uint8_t* rows = data.data() + offset + paletteSize;
  std::uint8_t* out = result.GetPixels();
  if (bitCount == 8) {
    const std::uint8_t* palette = data.data() + offset;
    for (std::uint64_t row = 0; row < h; ++row) {
      const std::uint8_t* src = rows + row * stride;
      for (std::uint64_t x = 0; x < w; ++x, out += 3) {
        const std::uint8_t* entry = palette + 4 * static_cast<std::size_t>(src[x]);
        out[0] = entry[2];
        out[1] = entry[1];
        out[2] = entry[0];
      }
    }
    return true;
  }
  const std::size_t bpp = static_cast<std::size_t>(fileBytesPerPixel);
  for (std::uint64_t row = 0; row < h; ++row) {
    const std::uint8_t* src = rows + row * stride;
    for (std::uint64_t x = 0; x < w; ++x, src += bpp, out += bpp) {
      // The file stores blue, green, red[, alpha].
      out[0] = src[2];
      out[1] = src[1];
      out[2] = src[0];
      if (bpp == 4) {
        out[3] = src[3];
      }
    }
  }
  return true;
}

bool Image::LoadTga(const std::string& fileName, FileBinary& file, Image& result) {
  // A file shorter than the header fails with the file's read error.
  constexpr std::size_t kHeaderSize = 18;
  std::uint8_t header[kHeaderSize];
  file.Read(header, kHeaderSize);
  const RestOfFile data(file);
  const std::uint32_t idLength = header[0];
  const bool runLength = (header[2] & 8) != 0;
  const std::uint32_t mapLength = U16(header + 5);
  const std::uint32_t mapEntryBits = header[7];
  const std::uint32_t width = U16(header + 12);
  const std::uint32_t height = U16(header + 14);
  const std::uint32_t depth = header[16];
  const bool topFirst = (header[17] & 0x20) != 0;

  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
    throw FileError(ImageUnsupportedFormatText(fileName));
  }
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    throw FileError(ImageUnsupportedFormatText(fileName));
  }
  // The identification field and the colour map are skipped; 8-bit pictures are read as grey values.
  const std::uint64_t skip = idLength + static_cast<std::uint64_t>(mapLength) * mapEntryBits / 8;
  if (skip > data.size()) {
    throw FileError(ImageIncorrectFormatText(fileName));
  }
  const std::uint8_t* input = data.data() + skip;
  const std::size_t inputSize = data.size() - static_cast<std::size_t>(skip);
  const std::size_t pixelBytes = depth / 8;
  const std::size_t pixelCount = static_cast<std::size_t>(width) * height;
  const std::size_t storedSize = pixelCount * pixelBytes;

  std::vector<std::uint8_t> decoded;
  const std::uint8_t* stored = input;
  if (runLength) {
    // Every packet is at least two bytes and gives at most 128 pixels: refuse a header that claims more
    // pixels than the input could hold before allocating for them.
    if (pixelCount / 128 > inputSize / (1 + pixelBytes)) {
      throw FileError(ImageIncorrectFormatText(fileName));
    }
    decoded.resize(storedSize);
    std::size_t produced = 0;
    std::size_t at = 0;
    while (produced < pixelCount) {
      if (at >= inputSize) {
        throw FileError(ImageIncorrectFormatText(fileName));
      }
      const std::uint8_t packet = input[at++];
      const std::size_t count = std::min<std::size_t>((packet & 127) + 1, pixelCount - produced);
      std::uint8_t* dst = decoded.data() + produced * pixelBytes;
      if (packet & 128) {
        if (inputSize - at < pixelBytes) {
          throw FileError(ImageIncorrectFormatText(fileName));
        }
        for (std::size_t i = 0; i < count; ++i) {
          std::memcpy(dst + i * pixelBytes, input + at, pixelBytes);
        }
        at += pixelBytes;
      } else {
        // A literal packet that runs past the picture is cut at its end; its bytes must still be there.
        const std::size_t literalBytes = static_cast<std::size_t>((packet & 127) + 1) * pixelBytes;
        const std::size_t usedBytes = count * pixelBytes;
        if (inputSize - at < usedBytes) {
          throw FileError(ImageIncorrectFormatText(fileName));
        }
        std::memcpy(dst, input + at, usedBytes);
        at += std::min(literalBytes, inputSize - at);
      }
      produced += count;
    }
    stored = decoded.data();
  } else if (storedSize > inputSize) {
    throw FileError(ImageIncorrectFormatText(fileName));
  }

  const std::uint32_t imageBits = depth == 8 ? 8 : (depth == 24 ? 24 : 32);
  result.Create(result.log_, width, height, imageBits);
  const std::size_t outBytes = imageBits / 8;
  const std::size_t outStride = static_cast<std::size_t>(width) * outBytes;
  const std::size_t inStride = static_cast<std::size_t>(width) * pixelBytes;
  for (std::uint32_t r = 0; r < height; ++r) {
    // Pictures whose first stored row is the top one are turned so that row 0 is the bottom.
    const std::uint32_t imageRow = topFirst ? height - 1 - r : r;
    const std::uint8_t* src = stored + r * inStride;
    std::uint8_t* out = result.GetPixels() + imageRow * outStride;
    switch (depth) {
      case 8:
        std::memcpy(out, src, inStride);
        break;
      case 16:
        for (std::uint32_t x = 0; x < width; ++x, src += 2, out += 4) {
          const std::uint32_t v = U16(src);
          out[0] = static_cast<std::uint8_t>(((v >> 10) & 31) * 8);
          out[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 8);
          out[2] = static_cast<std::uint8_t>((v & 31) * 8);
          out[3] = v > 32767 ? 255 : 0;
        }
        break;
      case 24:
        for (std::uint32_t x = 0; x < width; ++x, src += 3, out += 3) {
          out[0] = src[2];
          out[1] = src[1];
          out[2] = src[0];
        }
        break;
      default:
        for (std::uint32_t x = 0; x < width; ++x, src += 4, out += 4) {
          out[0] = src[2];
          out[1] = src[1];
          out[2] = src[0];
          out[3] = src[3];
        }
        break;
    }
  }
  return true;
}

}  // namespace CorvantisEngine
