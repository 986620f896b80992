// Fuzzes the model file reader ("QXMLF"): any input must end in decoded data or a FileError, never in
// a crash, a hang or an allocation larger than the input can describe.
#include <cstddef>
#include <cstdint>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size > (1u << 20)) {
    return 0;
  }
  FileBinary file(nullptr, "models\\fuzz.mdl", false, false, true, static_cast<std::uint32_t>(size), data);
  // The caller's extra flags take part in the layout: let the input choose them too.
  const std::uint32_t extraFlags = size > 0 ? (data[size - 1] & 0x7u) : 0u;
  try {
    ModelFileData model;
    ReadModelFile(file, "models\\fuzz.mdl", extraFlags, model);
    volatile std::size_t total = model.indices.size() + model.vertices.size() + model.skinnedVertices.size();
    (void)total;
  } catch (const Error&) {
  }
  return 0;
}
