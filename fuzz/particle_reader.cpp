// Fuzzes the particle-system file reader ("QXPSF"): any input must end in decoded parameters or a
// FileError.
#include <cstddef>
#include <cstdint>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ParticleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size > (1u << 16)) {
    return 0;
  }
  FileBinary file(nullptr, "fx\\fuzz.psf", false, false, true, static_cast<std::uint32_t>(size), data);
  try {
    ParticleFileData particles;
    ReadParticleFile(file, "fx\\fuzz.psf", particles);
    volatile std::uint32_t count = particles.maxParticles;
    (void)count;
  } catch (const Error&) {
  }
  return 0;
}
