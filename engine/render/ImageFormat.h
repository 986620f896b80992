#pragma once
// Private to the image readers: the file types they know and the texts of their format errors.

#include <string>

namespace CorvantisEngine {

enum class ImageFileType { kUnknown, kBmp, kTga, kJpeg };

// The reader for a file name: the text after its last '.', in any case ("bmp", "tga", "jpg", "jpeg").
ImageFileType ImageFileTypeOf(const std::string& fileName);

// "Incorrect \"<name>\" file format": a file that is not what its extension says, or that ends before
// its pixels do.
std::string ImageIncorrectFormatText(const std::string& fileName);
// "Unsupported \"<name>\" file format": a valid file of a kind the readers do not handle.
std::string ImageUnsupportedFormatText(const std::string& fileName);

}  // namespace CorvantisEngine
