#pragma once
// Image: the engine's in-memory picture. A block of 8-bit (grey or opacity), 24-bit (red, green, blue)
// or 32-bit (red, green, blue, alpha) pixels, rows stored bottom-up with no padding: row 0 is the bottom
// row of the picture. Reads BMP, TGA and JPEG files (there is no writer), scales with three filters,
// converts depths, pastes, fills, flips, swaps red and blue and makes the checkerboard placeholder.
//
// Threads: an image belongs to whoever made it; the resource-loading worker loads images while the main
// thread draws, so nothing here touches shared state apart from the log it is given.
// Ownership: the image owns its pixel array; copies never share it.
// Failures: `Load` never throws. It logs the reason through the log it was given and returns false,
// leaving the image empty (a reader that fails half-way never leaves a half-filled picture behind).
// Readers reject zero, negative or implausible sizes (over kMaxImageSide per side) and input too short
// for its pixels, and never read past their input.

#include <cstddef>
#include <cstdint>
#include <string>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class FileBinary;
struct Vector4;

class Image {
 public:
  // Filters of Scale and Resize.
  static constexpr std::uint32_t kFilterNearest = 0;
  static constexpr std::uint32_t kFilterBilinear = 1;
  static constexpr std::uint32_t kFilterCubic = 2;
  // Largest width or height that the readers accept.
  static constexpr std::uint32_t kMaxImageSide = 16384;

  Image();
  Image(const Image& other);
  Image& operator=(const Image& other);
  Image(Image&& other) noexcept;
  Image& operator=(Image&& other) noexcept;
  virtual ~Image();

  // Releases any old pixels and allocates width x height x bitsPerPixel / 8 bytes (not cleared).
  void Create(MessageManager* log, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);
  void Release();
  void CopyFrom(const Image& source);

  std::uint8_t* GetData() { return pixels_; }
  const std::uint8_t* GetData() const { return pixels_; }
  std::uint8_t* GetPixels() { return pixels_; }
  const std::uint8_t* GetPixels() const { return pixels_; }
  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }
  std::uint32_t GetBitsPerPixel() const { return bitsPerPixel_; }
  std::uint32_t GetBytesPerPixel() const { return bitsPerPixel_ / 8; }
  std::size_t GetDataSize() const;
  bool IsEmpty() const { return empty_; }
  MessageManager* GetLog() const { return log_; }

  // Reads a BMP, TGA or JPEG file (chosen by the extension, any case) through the file manager.
  bool Load(MessageManager* log, FileManager* fileManager, const std::string& fileName);
  // Reads an image from an open file; the type comes from the extension of fileName, which also names
  // the file in log texts. The file is read from its current position and is not deleted.
  bool LoadFromFile(MessageManager* log, FileBinary& file, const std::string& fileName);

  // Writes a scaled copy into output (this image is unchanged). filter: kFilterNearest, kFilterBilinear
  // or kFilterCubic. Same size gives a plain copy.
  void Scale(std::uint32_t newWidth, std::uint32_t newHeight, std::uint32_t filter, Image& output) const;
  // Scales in place.
  void Resize(std::uint32_t newWidth, std::uint32_t newHeight, std::uint32_t filter);
  // Converts to 8, 24 or 32 bits into output, or in place when output is null.
  void ConvertBitsPerPixel(std::uint32_t bitsPerPixel, Image* output = nullptr);
  // Copies source with its lower-left pixel at column x, row y, clipped to this image on every side.
  // A source of another depth is converted first. With output, this image is copied there and the
  // paste goes into the copy.
  void Paste(int x, int y, const Image& source, Image* output = nullptr);
  // Sets every pixel to the colour (channels 0 to 1); 8-bit images get its grey value.
  void Fill(const Vector4& colour, Image* output = nullptr);
  void FlipVertical(Image* output = nullptr);
  // Exchanges the first and third byte of every 24- or 32-bit pixel; 8-bit images stay as they are.
  void SwapRedBlue(Image* output = nullptr);
  // Turns this image into the 64 x 64 black and yellow placeholder.
  void MakeCheckerboard(MessageManager* log);

  // Cubic convolution (parameter -1) between p1 and p2 at t / 128, in integers.
  static int CubicInterpolate(int p0, int p1, int p2, int p3, int t);

 private:
  void ConvertInto(std::uint32_t bitsPerPixel, Image& target) const;
  // Takes the pixels and fields of other, leaving it empty.
  void TakeFrom(Image& other) noexcept;

  bool LoadBmp(const std::string& fileName, FileBinary& file, Image& result);
  bool LoadTga(const std::string& fileName, FileBinary& file, Image& result);
  bool LoadJpeg(const std::string& fileName, FileBinary& file, Image& result);

  bool empty_ = true;
  MessageManager* log_ = nullptr;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint32_t bitsPerPixel_ = 0;
  // Owned: made in Create, given back in Release. Large pixel blocks are mapped straight from the
  // system (mappedBytes_ > 0), smaller ones come from new[].
  std::uint8_t* pixels_ = nullptr;
  std::size_t mappedBytes_ = 0;
};

}  // namespace CorvantisEngine
