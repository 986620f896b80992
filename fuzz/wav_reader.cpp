// Fuzzes the WAV reader: any bytes are either refused with FileError or give a reader that delivers at
// most its announced size, in pieces of any length, and the same bytes again after a rewind.

#include <cstddef>
#include <cstdint>

#include "engine/core/Error.h"
#include "engine/sound/SoundFileReaderWAV.h"
#include "fuzz/SoundReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static soundfuzz::Environment environment("wav");
  environment.Write("fuzz.wav", data, size);
  try {
    CorvantisEngine::SoundFileReaderWAV reader(environment.log.get(), environment.files.get(), "fuzz.wav");
    if (reader.GetChannels() < 1 || reader.GetChannels() > 2)
      __builtin_trap();
    if (reader.GetBits() != 8 && reader.GetBits() != 16)
      __builtin_trap();
    const auto first = soundfuzz::Drain(reader, 97, true);
    reader.Rewind();
    if (soundfuzz::Drain(reader, 4096, true) != first)
      __builtin_trap();
  } catch (const CorvantisEngine::Error&) {
    // Refused: the expected answer for most inputs.
  }
  environment.log->ClearRecords();
  return 0;
}
