#pragma once
// Texture2D: an image on the graphics device, shared by every shader stage that names the same files.
// The TextureManager creates and deletes textures and counts their references; the render system's
// back end (Texture2D_D3D7) holds the device surface and rebuilds it from the manager's images after
// the device has lost it.
//
// A texture may also be made without its surface (TextureManager::SurfacesOnFirstUse): it keeps the
// names of its files, and the first time it is drawn they are read and the surface is built.
//
// Threads: created on the main thread or the resource loader's worker; surfaces hold their pixels in
// memory and reach the graphics card on the main thread.

#include <cstdint>
#include <string>

namespace CorvantisEngine {

class MessageManager;
class Config;
class TextureManager;
class Image;

class Texture2D {
 public:
  Texture2D(MessageManager* log, Config* config, TextureManager* textureManager, const std::string& key,
            bool mipMapping);
  virtual ~Texture2D();

  Texture2D(const Texture2D&) = delete;
  Texture2D& operator=(const Texture2D&) = delete;

  const std::string& GetKey() const { return key_; }
  std::int32_t GetReferenceCount() const { return referenceCount_; }
  void AddReference() { ++referenceCount_; }
  // Returns the count left.
  std::int32_t RemoveReference() { return --referenceCount_; }
  // Bytes of all levels of the surface.
  std::uint32_t GetVideoMemory() const { return videoMemory_; }
  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }
  // Requested by the creator and allowed by "r_use_mip_mapping" at creation.
  bool IsMipMapped() const { return mipMapping_; }
  // The surface could not be built; the texture draws as no texture.
  bool IsFailed() const { return failed_; }
  // Made without its surface and not drawn yet: the files are read when it first is.
  bool IsWaitingForFirstUse() const { return waitingForFirstUse_; }
  // Makes the texture wait for its first use, when the surface is built from these files.
  void WaitForFirstUse(const std::string& diffuseName, const std::string& opacityName);
  // Ends the wait at once: the back end reads the files and builds the surface now. A texture of no
  // device (this base) only stops waiting.
  virtual void BuildWaitingSurface() { waitingForFirstUse_ = false; }

  // Halves source into target (newWidth x newHeight): each target pixel is the rounded mean of a 2 x 2
  // block, per channel; a source one pixel wide or high repeats its pixel. With singleChannel the
  // target is 8-bit and takes the channel that carries opacity (the fourth byte of a 32-bit source,
  // else the first).
  void HalveImage(const Image& source, Image& target, std::uint32_t newWidth, std::uint32_t newHeight,
                  bool singleChannel) const;

 protected:
  MessageManager* log_;
  Config* config_;
  TextureManager* textureManager_;
  std::string key_;
  std::int32_t referenceCount_ = 1;
  std::uint32_t videoMemory_ = 0;
  bool mipMapping_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  bool failed_ = false;
  bool waitingForFirstUse_ = false;
  std::string firstUseDiffuseName_;
  std::string firstUseOpacityName_;
};

}  // namespace CorvantisEngine
