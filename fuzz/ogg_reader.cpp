// Fuzzes the Ogg Vorbis reader: any bytes are either refused with FileError or give a reader that
// delivers pieces no larger than asked for, ends, and decodes again after a rewind. (A stream's
// granule positions may announce fewer samples than it holds, so the total is not bounded by the
// announced size; buffers read no more than that size.)

#include <cstddef>
#include <cstdint>

#include "engine/core/Error.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "fuzz/SoundReaderFuzz.h"

// Debian's libvorbisfile loses 8 bytes inside ov_open_callbacks for some damaged streams, also in a
// plain C program that opens and then clears: the leak is the library's, not the reader's (which clears
// every decoder it opened, failed or not), and without this the leak checker would stop the fuzzer at
// the first such input. Only allocations made under ov_open_callbacks are suppressed (which would also
// hide a decoder never cleared); everything else the reader allocates is still checked.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:ov_open_callbacks\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static soundfuzz::Environment environment("ogg");
  environment.Write("fuzz.ogg", data, size);
  try {
    CorvantisEngine::SoundFileReaderOGG reader(environment.log.get(), environment.files.get(), "fuzz.ogg");
    if (reader.GetChannels() < 1 || reader.GetChannels() > 2)
      __builtin_trap();
    if (reader.GetBits() != 16)
      __builtin_trap();
    // Odd piece sizes too: the reader must not stop early or overrun on a partial frame.
    soundfuzz::Drain(reader, 4099, false);
    reader.Rewind();
    soundfuzz::Drain(reader, 65536, false);
  } catch (const CorvantisEngine::Error&) {
    // Refused: the expected answer for most inputs.
  }
  environment.log->ClearRecords();
  return 0;
}
