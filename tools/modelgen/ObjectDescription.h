#pragma once
// The model generator's description language: a readable text that names the flat models, particle
// systems and their materials of the game's data, and is turned into model ("QXMLF"), particle
// ("QXPSF") and shader ("QXSRF") files.
//
// A description is a list of blocks; '#' starts a comment. A block starts with
//   model <path.mdl>          a flat, unlit model in GUI units (z = 0, normals +z)
//   particles <path.psf>      a particle system
// and ends at the next block. Every block needs a material: the lines between `material` and `end` in
// shaderc's text form, written to the block's path with the extension ".srf".
//
// Model lines:
//   quad x0 y0 x1 y1 [u0 v0 u1 v1]      a rectangle, texture coordinates 0 0 1 1 unless given
//   grid x0 y0 x1 y1 columns rows [u0 v0 u1 v1]
//                                       a rectangle made of columns x rows quads
//   triangle x0 y0 x1 y1 x2 y2          a triangle (texture coordinates 0)
//   marker x y                          a 2 x 2 square whose centre is (x, y)
//   swell frames fps amount             frame animation: frame k scales every vertex about the box's
//                                       centre by 1 + amount * sin(pi * k / (frames - 1))
//   orbit frames fps rx ry              frame animation: frame k moves every vertex by
//                                       (rx cos a, ry sin a), a = 2 pi k / frames, a loop round an
//                                       ellipse (an animator that moves what it animates round a point)
// Particle lines (a key list of one value, or one vector, stands for all six keys):
//   max N | duration s | gravity on g | floor on height bounce | stop on speed | interpolate on
//   emission, life, life_variation, size, speed, speed_variation: 6 numbers
//   direction, direction_variation: 6 vectors of 3; colour: 6 vectors of 4 (r g b a)
//   spawn mode x0 y0 z0 x1 y1 z1
#include <cstdint>
#include <string>
#include <vector>

namespace modelgen {

struct GeneratedFile {
  std::string path;  // as the description names it, relative to the output folder
  std::vector<std::uint8_t> bytes;
};

// Every file a description makes, in description order (each model or particle system followed by its
// material). Throws std::invalid_argument naming the line for a malformed or unknown line, a block
// without geometry or material, or a path without the ".mdl" or ".psf" extension.
std::vector<GeneratedFile> GenerateFiles(const std::string& description);

}  // namespace modelgen
