// modelgen: writes the models, particle systems and materials a description names (see
// ObjectDescription.h).
//
//   modelgen <description.txt> <output folder>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "tools/common/ByteWriter.h"
#include "tools/modelgen/ObjectDescription.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: modelgen <description.txt> <output folder>\n";
    return 2;
  }
  std::ifstream input(argv[1]);
  if (!input) {
    std::cerr << "modelgen: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream text;
  text << input.rdbuf();
  try {
    for (const modelgen::GeneratedFile& file : modelgen::GenerateFiles(text.str())) {
      const std::filesystem::path path = std::filesystem::path(argv[2]) / file.path;
      std::filesystem::create_directories(path.parent_path());
      if (!tools::WriteWholeFile(file.bytes, path.string())) {
        std::cerr << "modelgen: cannot write " << path.string() << "\n";
        return 1;
      }
    }
  } catch (const std::invalid_argument& error) {
    std::cerr << "modelgen: " << argv[1] << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}
