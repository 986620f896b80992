#pragma once
// Shared pieces of the sound tests: WAV files built byte by byte, and a fresh engine environment (log,
// files in a temporary data folder, timers, headless audio and clock) for each case.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"

namespace soundtest {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// One chunk: id, declared size (the body's length unless given), body, and a pad byte after an odd body
// when `pad` is set.
inline Bytes Chunk(const char* id, const Bytes& body, std::int64_t declared = -1, bool pad = true) {
  Bytes b(id, id + 4);
  Put32(b, declared < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(declared));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && (body.size() & 1))
    b.push_back(0);
  return b;
}

inline Bytes FmtBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint16_t tag = 1) {
  Bytes b;
  Put16(b, tag);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * bits / 8);
  Put16(b, static_cast<std::uint16_t>(channels * bits / 8));
  Put16(b, bits);
  return b;
}

inline Bytes Riff(const std::vector<Bytes>& chunks) {
  Bytes body{'W', 'A', 'V', 'E'};
  for (const Bytes& c : chunks)
    body.insert(body.end(), c.begin(), c.end());
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, static_cast<std::uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

inline Bytes Wav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data) {
  return Riff({Chunk("fmt ", FmtBody(channels, rate, bits)), Chunk("data", data)});
}

// 16-bit stereo frames whose samples differ from frame to frame, so a misplaced byte shows.
inline Bytes Pattern16Stereo(std::uint32_t frames, std::uint32_t seed = 0) {
  Bytes b;
  b.reserve(frames * 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const std::uint32_t f = i + seed;
    Put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>((f * 7919u) % 30011u) - 15000));
    Put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>((f * 104729u) % 29989u) - 15000));
  }
  return b;
}

// A fresh environment: log, a data folder with files written by the test, timers on the headless
// clock, and the headless audio device at 22050 Hz.
class SoundEnvironment : public testsupport::HeadlessTest {
 protected:
  SoundEnvironment() {
    platform::headless::Audio().rate = 22050;
    log_.ClearRecords();
  }

  // Writes data\<name> below the base folder.
  void WriteData(const std::string& name, const Bytes& bytes) { folder_.Write("data/" + name, bytes); }

  // True when some log record holds the text.
  bool Logged(const std::string& text) const { return testsupport::LogProbe(log_).Logged(text); }
  std::vector<std::string> Records() const { return testsupport::LogProbe(log_).Entries(); }
  int ErrorCount() const { return static_cast<int>(testsupport::LogProbe(log_).Errors().size()); }

  testsupport::TempFolder folder_;
  CorvantisEngine::MessageManager log_{"test", 0, 0, "", ""};
  CorvantisEngine::FileManager files_{&log_, folder_.Win(), ""};
  CorvantisEngine::TimerManager timers_;
};

}  // namespace soundtest
