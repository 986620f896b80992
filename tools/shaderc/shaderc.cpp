// shaderc: writes a shader file from its text description.
//
//   shaderc <input.txt> <output.srf>
//
// The description, one setting per line ('#' starts a comment):
//   flags 1                 descriptor flags (bit 0 alpha blending)
//   colour0 1 1 1 1         .. colour3: red green blue alpha
//   values 0 0              value 0 and value 1
//   blend 4 5               source and destination blend codes
//   stage                   starts a stage (at most two); the lines below describe it
//   flags 0                 stage flags (bit 0 mip mapping, bit 1 random start, bit 2 no texture)
//   type 1                  0 static, 1 frame grid, 2 numbered diffuse, 3 numbered opacity, 4 both
//   frames 8 12.5           frame count and frames per second
//   grid 4 2                columns and rows of a frame grid
//   diffuse fire.jpg        texture names (a bare name is found beside the shader file)
//   opacity fire_a.jpg
//   address 1 1             U and V: 0 clamp, 1 wrap
//   transform 1 1 0 0       scale U, scale V, offset U, offset V
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "tools/common/ByteWriter.h"
#include "tools/shaderc/ShaderFileWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: shaderc <input.txt> <output.srf>\n";
    return 2;
  }
  std::ifstream input(argv[1]);
  if (!input) {
    std::cerr << "shaderc: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream text;
  text << input.rdbuf();
  try {
    const std::vector<std::uint8_t> bytes = shaderc::WriteShaderFile(shaderc::ParseShaderText(text.str()));
    // Written whole and renamed into place, so a failed run never leaves half a file behind.
    if (!tools::WriteWholeFile(bytes, argv[2])) {
      std::cerr << "shaderc: cannot write " << argv[2] << "\n";
      return 1;
    }
  } catch (const std::invalid_argument& error) {
    std::cerr << "shaderc: " << argv[1] << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}
