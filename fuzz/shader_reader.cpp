// Fuzzes the shader file reader ("QXSRF"): any input must end in a descriptor or an engine Error.
#include <cstddef>
#include <cstdint>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ShaderDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size > (1u << 20)) {
    return 0;
  }
  static MessageManager log("fuzz", 0, 0, "", "");
  FileBinary file(&log, "fx\\fuzz.srf", false, false, true, static_cast<std::uint32_t>(size), data);
  try {
    ShaderDescriptor descriptor(&log, file, "fx\\fuzz.srf");
    volatile std::uint32_t stages = descriptor.GetStageCount();
    (void)stages;
  } catch (const Error&) {
  }
  log.ClearRecords();
  return 0;
}
