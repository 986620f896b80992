#pragma once
// Private to the texture back end: choosing a device texture format and writing image pixels into a
// locked surface of that format.

#include <cstdint>
#include <vector>

#include "platform/ddraw/DDraw.h"

namespace CorvantisEngine {

class Image;

// Index of the first format that suits a texture of `bitCount` bits per pixel (32 or 16): that bit
// count, no four-character code, no luminance or bump-map layout, not the 4-bit-alpha 16-bit layout
// (alpha mask 0xF000), and alpha bits exactly when `withAlpha`. -1 when none fits.
int ChooseTextureFormat(const std::vector<DDPIXELFORMAT>& formats, std::uint32_t bitCount, bool withAlpha);

// One channel value (0..255) placed in a format's channel mask: its top bits, shifted to the mask.
std::uint32_t PackChannel(std::uint32_t value, std::uint32_t mask);

// Writes the image into surface memory of the given format and pitch, image row r into surface row r.
// The colour comes from the diffuse image (grey, RGB or RGBA); alpha from the opacity image when given
// (its alpha byte when it has one, else its first byte), else from a 32-bit diffuse image, else 255.
void FillTextureSurface(const DDPIXELFORMAT& format, void* surface, std::int32_t pitch, const Image& diffuse,
                        const Image* opacity);

}  // namespace CorvantisEngine
