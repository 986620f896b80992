// The JPEG reader: the JPEG library's decompressor fed by a source manager of our own that reads the
// engine's file object.
//
// The library reports a fatal error through its error manager's exit routine. Ours jumps back into
// DecodeJpeg (setjmp/longjmp), which holds no object with a destructor, so the jump skips nothing that
// needs cleaning up; the caller then destroys the decompressor and logs the file as incorrect. Warnings
// about damaged data (a file that ends early, a bad restart marker) are not fatal and are not printed.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/render/Image.h"
#include "engine/render/ImageFormat.h"

namespace CorvantisEngine {

namespace {

constexpr std::size_t kJpegBufferSize = 4096;
// Ceiling on what the library may allocate for one picture (its whole-image buffers included).
constexpr long kJpegMemoryLimit = 512L * 1024 * 1024;
// Pictures up to this many pixels are decoded however short their file (a cut file ends in grey).
constexpr std::uint64_t kJpegSmallPicture = 4u * 1024 * 1024;

struct JpegSource {
  jpeg_source_mgr pub;
  FileBinary* file;
  JOCTET* buffer;
  bool startOfFile;
  bool ended;  // the file is exhausted and the buffer holds the stand-in end marker
};

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void JpegInitSource(j_decompress_ptr info) {
  reinterpret_cast<JpegSource*>(info->src)->startOfFile = true;
}

boolean JpegFillInputBuffer(j_decompress_ptr info) {
  JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
  std::uint32_t got = 0;
  source->file->Read(source->buffer, static_cast<std::uint32_t>(kJpegBufferSize), &got);
  if (got == 0) {
    // A file that ends early gets an end-of-image marker, so the picture ends instead of stalling.
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
    source->ended = true;
  }
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = got;
  source->startOfFile = false;
  return TRUE;
}

void JpegSkipInputData(j_decompress_ptr info, long count) {
  if (count < 1) {
    return;
  }
  JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
  while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
    count -= static_cast<long>(source->pub.bytes_in_buffer);
    JpegFillInputBuffer(info);
    if (source->ended) {
      // Nothing left to skip over: leave the end marker for the decoder.
      return;
    }
  }
  source->pub.next_input_byte += count;
  source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void JpegTermSource(j_decompress_ptr) {}

// Installs the source manager on the decompressor; its record and buffer come from the library's
// permanent pool, so they go with the decompressor.
void JpegSetSource(j_decompress_ptr info, FileBinary* file) {
  if (info->src == nullptr) {
    JpegSource* source = static_cast<JpegSource*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(JpegSource)));
    source->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, kJpegBufferSize));
    info->src = &source->pub;
  }
  JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
  source->pub.init_source = JpegInitSource;
  source->pub.fill_input_buffer = JpegFillInputBuffer;
  source->pub.skip_input_data = JpegSkipInputData;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = JpegTermSource;
  source->pub.bytes_in_buffer = 0;
  source->pub.next_input_byte = nullptr;
  source->file = file;
  source->ended = false;
}

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}

enum JpegResult { kJpegDecoded, kJpegCorrupt, kJpegEmpty, kJpegUnsupported, kJpegNoMemory };

bool CreateImage(Image* image, MessageManager* log, std::uint32_t width, std::uint32_t height,
                 std::uint32_t bits) noexcept {
  try {
    image->Create(log, width, height, bits);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Runs the decompressor over the file into image. Holds only plain locals: the library's error exit
// jumps back to the setjmp below.
JpegResult DecodeJpeg(jpeg_decompress_struct* info, JpegErrorManager* errors, FileBinary* file, Image* image,
                      MessageManager* log) {
  if (setjmp(errors->jump) != 0) {
    return kJpegCorrupt;
  }
  jpeg_create_decompress(info);
  info->mem->max_memory_to_use = kJpegMemoryLimit;
  JpegSetSource(info, file);
  jpeg_read_header(info, TRUE);
  if (static_cast<std::uint64_t>(info->image_width) * info->image_height == 0) {
    return kJpegEmpty;
  }
  if (info->image_width > Image::kMaxImageSide || info->image_height > Image::kMaxImageSide) {
    return kJpegUnsupported;
  }
  // Each 8 x 8 block takes a few bits at the very least; a large picture from a file far too small to
  // hold it is refused before its pixels are allocated.
  const std::uint64_t pictureSize = static_cast<std::uint64_t>(info->image_width) * info->image_height;
  if (pictureSize > kJpegSmallPicture && static_cast<std::uint64_t>(file->GetSize()) * 1024 < pictureSize) {
    return kJpegCorrupt;
  }
  jpeg_start_decompress(info);
  const std::uint32_t components = static_cast<std::uint32_t>(info->output_components);
  if (components != 1 && components != 3) {
    // Four-channel (CMYK) pictures have no colour conversion in the library.
    return kJpegUnsupported;
  }
  const std::uint32_t width = info->output_width;
  const std::uint32_t height = info->output_height;
  if (!CreateImage(image, log, width, height, components * 8)) {
    return kJpegNoMemory;
  }
  const std::size_t stride = static_cast<std::size_t>(width) * components;
  std::uint8_t* pixels = image->GetPixels();
  while (info->output_scanline < height) {
    // Scanline 0 is the top of the picture; the image keeps its rows bottom-up.
    JSAMPROW row = pixels + static_cast<std::size_t>(height - 1 - info->output_scanline) * stride;
    if (jpeg_read_scanlines(info, &row, 1) != 1) {
      return kJpegCorrupt;
    }
  }
  jpeg_finish_decompress(info);
  return kJpegDecoded;
}

}  // namespace

bool Image::LoadJpeg(const std::string& fileName, FileBinary& file, Image& result) {
  jpeg_decompress_struct info;
  JpegErrorManager errors;
  std::memset(&info, 0, sizeof(info));
  std::memset(&errors, 0, sizeof(errors));
  info.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JpegErrorExit;
  errors.pub.output_message = JpegOutputMessage;

  const JpegResult decoded = DecodeJpeg(&info, &errors, &file, &result, result.log_);
  jpeg_destroy_decompress(&info);

  switch (decoded) {
    case kJpegDecoded:
      return true;
    case kJpegUnsupported:
      throw FileError(ImageUnsupportedFormatText(fileName));
    case kJpegNoMemory:
      throw std::bad_alloc();
    case kJpegCorrupt:
    case kJpegEmpty:
      break;
  }
  throw FileError(ImageIncorrectFormatText(fileName));
}

}  // namespace CorvantisEngine
