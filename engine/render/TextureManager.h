#pragma once
// TextureManager: owns every texture. It builds the texture key from the file names, finds or creates
// textures, counts their references, and hands the source images back to a texture whose device surface
// must be rebuilt (after a device reset, or on first use after one).
//
// Textures loaded from files are rebuilt from the files; textures made from images in memory either
// keep their (already normalised) images for that or, when their maker can make the images again (an
// image source), keep nothing and ask the source. Every path goes through one normalisation:
// power-of-two size no larger than the device allows, opacity image at the diffuse image's size.
//
// Textures loaded while a SurfacesOnFirstUse lives on the loading thread are made without their surface:
// the files are read, and the surface built, when the texture is first drawn. Start-up uses it for what
// it loads but does not draw in its first frames (fonts, the loading window's art).
//
// Threads: the resource loader's worker creates and loads textures while the main thread only presents
// frames; the manager has no lock of its own.
// Ownership: the manager deletes the textures it holds (at reference count 0 or in its destructor)
// and the images it keeps. Failures: missing or unreadable images become the checkerboard (logged by
// the image reader); nothing here throws apart from the render system's own aborts.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class Config;
class TimerManager;
class RenderSystem;
class Texture2D;
class Image;

class TextureManager {
 public:
  // While one lives, the textures this thread loads from files wait for their first use (above). It
  // may be nested; other threads load as usual.
  class SurfacesOnFirstUse {
   public:
    SurfacesOnFirstUse();
    ~SurfacesOnFirstUse();
    SurfacesOnFirstUse(const SurfacesOnFirstUse&) = delete;
    SurfacesOnFirstUse& operator=(const SurfacesOnFirstUse&) = delete;
  };

  TextureManager(MessageManager* log, FileManager* fileManager, Config* config, TimerManager* timerManager,
                 RenderSystem* renderSystem);
  virtual ~TextureManager();

  TextureManager(const TextureManager&) = delete;
  TextureManager& operator=(const TextureManager&) = delete;

  // The texture for these names, made from the images when it does not exist yet (one more reference
  // otherwise). With keepImages the manager takes both images (null allowed for the opacity) and deletes
  // them when it no longer needs them. Without it the caller keeps its images and the manager keeps
  // copies, so that the texture can be rebuilt after a device reset. The diffuse image is resized in
  // place when it is not a power of two or too large for the device.
  Texture2D* CreateTexture(bool keepImages, bool mipMapping, const std::string& diffuseName,
                           const std::string& opacityName, Image* diffuse, Image* opacity);
  // Makes a texture's images again when its surface must be rebuilt: the diffuse image (left null or
  // empty when it cannot be made: the texture is rebuilt as the checkerboard) and, for a texture made
  // with one, the opacity image. Called on the thread that rebuilds (the main thread); it must not
  // refer to anything that may be gone by then.
  using ImageSource = std::function<void(std::unique_ptr<Image>& diffuse, std::unique_ptr<Image>& opacity)>;
  // The texture for these names, made from the images when it does not exist yet (one more reference
  // otherwise). The images are used for the surface and then deleted: nothing of them is kept, a
  // rebuild asks `source` for them again. Without a diffuse image the surface is not made now: the
  // source makes the images when the texture is first drawn (for a texture that may never be).
  Texture2D* CreateTexture(bool mipMapping, const std::string& diffuseName, const std::string& opacityName,
                           std::unique_ptr<Image> diffuse, std::unique_ptr<Image> opacity,
                           ImageSource source);
  // The texture for these names, loaded from the files when it does not exist yet (or made to wait for
  // its first use, see SurfacesOnFirstUse).
  Texture2D* LoadTexture(bool mipMapping, const std::string& diffuseName, const std::string& opacityName);
  // Drops one reference; at 0 deletes the texture and what the manager kept for it. Textures the
  // manager does not hold (and null) are ignored.
  void ReleaseTexture(Texture2D* texture);

  // Builds the surface of the oldest texture still waiting for its first use; false when none waits.
  // Main thread, while no worker loads: a program calls it on frames where a pause does not show.
  bool BuildWaitingSurface();

  std::uint32_t GetTextureCount() const { return static_cast<std::uint32_t>(entries_.size()); }
  std::uint32_t GetVideoMemoryUsed() const;
  // Empties the array and appends every texture in creation order.
  void GetTextureNames(std::vector<Texture2D*>& textures) const;
  // The images to rebuild a texture's surface from, normalised as at creation. deleteImages tells the
  // caller to delete them (freshly loaded) or to leave them (kept by the manager). Both null for a
  // texture the manager does not hold.
  void GetTextureImages(Texture2D* texture, Image*& diffuse, Image*& opacity, bool& deleteImages);
  // The images of a texture that waited for its first use, loaded and normalised as LoadTexture does
  // (size warnings included); the caller deletes both. It does not look at the textures held, so the
  // main thread may call it while the worker loads.
  void LoadFirstUseImages(const std::string& diffuseName, const std::string& opacityName, Image*& diffuse,
                          Image*& opacity);
  // Loads the images named: the checkerboard when the diffuse file cannot be read; no opacity image when
  // the opacity name is empty or its file cannot be read. An opacity name equal to the diffuse name
  // gives a copy of the diffuse image. The caller deletes both.
  void LoadImages(const std::string& diffuseName, const std::string& opacityName, Image*& diffuse,
                  Image*& opacity);

  // "diffuse_" + name [+ "_plus_opacity_" + name] [+ "_with_mip_mapping"], names lower-cased.
  static std::string MakeKey(const std::string& diffuseName, const std::string& opacityName, bool mipMapping);
  // The power of two nearest to size (ties upward; 0 and 1 give 1), at most maxSize when that is set.
  static std::uint32_t TargetSize(std::uint32_t size, std::uint32_t maxSize);

 private:
  struct Entry {
    std::string key;
    std::string diffuseName;
    std::string opacityName;
    std::unique_ptr<Image> diffuse;  // kept images: null for textures loaded from files
    std::unique_ptr<Image> opacity;
    ImageSource source;            // set for textures whose maker makes their images again
    Texture2D* texture = nullptr;  // owned
  };

  Entry* Find(const std::string& key);
  Entry* Find(const Texture2D* texture);
  // The texture held for the key, with one more reference; null when none is.
  Texture2D* Referenced(const std::string& key);
  static std::unique_ptr<Entry> NewEntry(const std::string& key, const std::string& diffuseName,
                                         const std::string& opacityName);
  // Holds the entry and gives its texture; null (and nothing held) when the texture could not be made
  // (a render system that makes none leaves nothing to share or release).
  Texture2D* Hold(std::unique_ptr<Entry> entry);
  // Resizes to the texture size the device takes; warns (when asked) about sizes that needed it.
  void Normalise(const std::string& diffuseName, const std::string& opacityName, Image& diffuse,
                 Image* opacity, bool warn);
  Texture2D* Create(const std::string& key, bool mipMapping, const std::string& diffuseName,
                    const std::string& opacityName, Image& diffuse, Image* opacity);

  // The render system's part (TextureManager_Device.cpp): making the device texture and the largest
  // texture side it takes (0: no limit).
  Texture2D* CreateDeviceTexture(const std::string& key, Image* diffuse, Image* opacity, bool mipMapping);
  std::uint32_t GetMaxTextureWidth() const;
  std::uint32_t GetMaxTextureHeight() const;

  MessageManager* log_;
  FileManager* fileManager_;
  Config* config_;
  TimerManager* timerManager_;
  RenderSystem* renderSystem_;
  std::vector<std::unique_ptr<Entry>> entries_;  // creation order
};

}  // namespace CorvantisEngine
