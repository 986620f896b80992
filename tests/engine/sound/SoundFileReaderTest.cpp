// WAV, Ogg Vorbis and empty readers on files built in the test.
#include <gtest/gtest.h>

#include <cmath>

#include "OggEncode.h"
#include "SoundFixtures.h"
#include "engine/core/Error.h"
#include "engine/sound/SoundFileReader.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "engine/sound/SoundFileReaderWAV.h"

namespace {

using namespace CorvantisEngine;
using soundtest::Bytes;
using soundtest::Chunk;
using soundtest::FmtBody;
using soundtest::Riff;

class SoundFileReaderTest : public soundtest::SoundEnvironment {
 protected:
  Bytes ReadAll(SoundFileReader& reader, std::uint32_t step = 1000) {
    Bytes out;
    Bytes block(step);
    for (int guard = 0; guard < 100000; ++guard) {
      std::uint32_t read = 0;
      bool end = false;
      reader.Read(block.data(), step, read, end);
      out.insert(out.end(), block.begin(), block.begin() + read);
      if (end)
        break;
    }
    return out;
  }
};

TEST_F(SoundFileReaderTest, WavLayoutsThatLoad) {
  const Bytes data = soundtest::Pattern16Stereo(50);
  struct Case {
    const char* why;
    Bytes file;
    std::uint32_t channels, rate, bits, size;
  };
  const Bytes mono8 = {1, 2, 3, 4, 5};
  const Case cases[] = {
      {"plain 16-bit stereo", soundtest::Wav(2, 44100, 16, data), 2, 44100, 16, 200},
      {"8-bit mono at 11025 Hz, odd data size", soundtest::Wav(1, 11025, 8, mono8), 1, 11025, 8, 5},
      {"data before fmt", Riff({Chunk("data", data), Chunk("fmt ", FmtBody(2, 22050, 16))}), 2, 22050, 16,
       200},
      {"odd LIST chunk with its pad byte before fmt",
       Riff({Chunk("LIST", Bytes(7, 'x')), Chunk("fmt ", FmtBody(2, 22050, 16)), Chunk("data", data)}), 2,
       22050, 16, 200},
      {"14-byte fmt skipped, a good one later",
       Riff({Chunk("fmt ", Bytes(14, 0)), Chunk("fmt ", FmtBody(1, 8000, 16)), Chunk("data", data)}), 1, 8000,
       16, 200},
      {"extended fmt body of 18 bytes",
       Riff({Chunk("fmt ",
                   [] {
                     Bytes b = FmtBody(2, 22050, 16);
                     b.push_back(0);
                     b.push_back(0);
                     return b;
                   }()),
             Chunk("data", data)}),
       2, 22050, 16, 200},
      {"data chunk longer than the file: cut to what is there",
       Riff({Chunk("fmt ", FmtBody(2, 22050, 16)), Chunk("data", data, 100000)}), 2, 22050, 16, 200},
      {"fmt last in the file", Riff({Chunk("data", data), Chunk("fmt ", FmtBody(1, 22050, 8))}), 1, 22050, 8,
       200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteData("t.wav", c.file);
    SoundFileReaderWAV reader(&log_, &files_, "t.wav");
    EXPECT_EQ(reader.GetChannels(), c.channels);
    EXPECT_EQ(reader.GetRate(), c.rate);
    EXPECT_EQ(reader.GetBits(), c.bits);
    EXPECT_EQ(reader.GetSize(), c.size);
    const Bytes all = ReadAll(reader, 64);
    EXPECT_EQ(all.size(), c.size);
    // Rewind gives the same bytes again.
    reader.Rewind();
    EXPECT_EQ(ReadAll(reader, 33), all);
  }
  std::uint32_t read = 7;
  bool end = false;
  WriteData("t.wav", soundtest::Wav(2, 44100, 16, data));
  SoundFileReaderWAV reader(&log_, &files_, "t.wav");
  Bytes one(1);
  reader.Read(one.data(), 0, read, end);
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(end);
  EXPECT_EQ(ReadAll(reader, 200), data);
}

TEST_F(SoundFileReaderTest, WavFilesThatAreRefused) {
  const Bytes data(16, 1);
  const Bytes fmt = FmtBody(2, 22050, 16);
  struct Case {
    const char* why;
    Bytes file;
    const char* error;  // empty: FileBinary's own short-read error
  };
  Bytes zeroRiff = soundtest::Wav(2, 22050, 16, data);
  zeroRiff[4] = zeroRiff[5] = zeroRiff[6] = zeroRiff[7] = 0;
  Bytes badWave = soundtest::Wav(2, 22050, 16, data);
  Bytes cutFmt = Riff({Chunk("fmt ", fmt)});
  cutFmt.resize(cutFmt.size() - 4);
  badWave[8] = 'X';
  const Case cases[] = {
      {"shorter than the RIFF header", Bytes{'R', 'I', 'F', 'F', 1, 0}, ""},
      {"not RIFF", Bytes{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, "no RIFF header"},
      {"RIFF size zero", zeroRiff, "no RIFF header"},
      {"not WAVE", badWave, "no RIFF header"},
      {"no fmt at all", Riff({Chunk("data", data)}), "no format chunk"},
      {"only a 14-byte fmt", Riff({Chunk("fmt ", Bytes(14, 0)), Chunk("data", data)}), "no format chunk"},
      {"compressed", Riff({Chunk("fmt ", FmtBody(2, 22050, 16, 2)), Chunk("data", data)}), "no format chunk"},
      {"24-bit", Riff({Chunk("fmt ", FmtBody(2, 22050, 24)), Chunk("data", data)}), "no format chunk"},
      {"three channels", Riff({Chunk("fmt ", FmtBody(3, 22050, 16)), Chunk("data", data)}),
       "no format chunk"},
      {"no channels", Riff({Chunk("fmt ", FmtBody(0, 22050, 16)), Chunk("data", data)}), "no format chunk"},
      {"huge chunk size before fmt", Riff({Chunk("junk", Bytes(4, 0), 0xFFFFFFF0u), Chunk("fmt ", fmt)}),
       "no format chunk"},
      {"fmt cut short by the file's end", cutFmt, "no format chunk"},
      {"no data", Riff({Chunk("fmt ", fmt)}), "no data chunk"},
      {"huge chunk size before data",
       Riff({Chunk("fmt ", fmt), Chunk("junk", Bytes(4, 0), 0x7FFFFFFF), Chunk("data", data)}),
       "no data chunk"},
      {"odd chunk without its pad byte hides the data",
       Riff({Chunk("fmt ", fmt), Chunk("LIST", Bytes(3, 'x'), -1, false), Chunk("data", data)}),
       "no data chunk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteData("bad.wav", c.file);
    try {
      SoundFileReaderWAV reader(&log_, &files_, "bad.wav");
      ADD_FAILURE() << "loaded";
    } catch (const FileError& e) {
      if (*c.error) {
        EXPECT_EQ(e.GetMessage(), "Failed to load \"data\\bad.wav\" sound file - " + std::string(c.error));
      }
    }
  }
  EXPECT_THROW(SoundFileReaderWAV(&log_, &files_, "missing.wav"), FileError);
}

TEST_F(SoundFileReaderTest, EmptyReaderGivesEightBytesOfSilence) {
  SoundFileReaderEMP reader(&log_, &files_, "");
  EXPECT_EQ(reader.GetSize(), 8u);
  EXPECT_EQ(reader.GetChannels(), 1u);
  EXPECT_EQ(reader.GetBits(), 8u);
  EXPECT_EQ(reader.GetRate(), 22050u);
  Bytes block(20, 0);
  std::uint32_t read = 0;
  bool end = false;
  reader.Read(block.data(), 5, read, end);
  EXPECT_EQ(read, 5u);
  EXPECT_FALSE(end);
  reader.Read(block.data() + 5, 20, read, end);
  EXPECT_EQ(read, 3u);
  EXPECT_TRUE(end);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), Bytes(8, 128));
  reader.Read(block.data(), 20, read, end);
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(end);
  reader.Rewind();
  reader.Read(block.data(), 20, read, end);
  EXPECT_EQ(read, 8u);
}

TEST_F(SoundFileReaderTest, OggDecodesToItsAnnouncedSizeAndRewinds) {
  const Bytes ogg = testsupport::EncodeOgg(2, 44100, 44100, [](long i, int c) {
    return 0.5f * std::sin(static_cast<float>(i) * (c ? 0.03f : 0.05f));
  });
  ASSERT_FALSE(ogg.empty());
  WriteData("music/tune.ogg", ogg);
  SoundFileReaderOGG reader(&log_, &files_, "music\\tune.ogg");
  EXPECT_EQ(reader.GetChannels(), 2u);
  EXPECT_EQ(reader.GetRate(), 44100u);
  EXPECT_EQ(reader.GetBits(), 16u);
  EXPECT_EQ(reader.GetSize(), 176400u);
  const Bytes first = ReadAll(reader, 10000);
  EXPECT_EQ(first.size(), 176400u);
  // Not silence: the decoder produced the tone.
  int loud = 0;
  for (std::size_t i = 0; i + 1 < first.size(); i += 2) {
    loud += std::abs(static_cast<std::int16_t>(first[i] | (first[i + 1] << 8))) > 8000;
  }
  EXPECT_GT(loud, 10000);
  EXPECT_TRUE(reader.Rewind());
  const Bytes again = ReadAll(reader, 7777);
  ASSERT_EQ(again.size(), first.size());
  std::size_t firstDiff = 0, diffs = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] != again[i]) {
      if (!diffs)
        firstDiff = i;
      ++diffs;
    }
  }
  EXPECT_EQ(diffs, 0u) << "first difference at byte " << firstDiff;
}

TEST_F(SoundFileReaderTest, OggRefusesGarbageTruncationAndManyChannels) {
  const Bytes good =
      testsupport::EncodeOgg(1, 22050, 22050, [](long i, int) { return 0.3f * std::sin(i * 0.1f); });
  const Bytes surround = testsupport::EncodeOgg(3, 22050, 2205, [](long, int) { return 0.0f; });
  ASSERT_FALSE(surround.empty());
  Bytes wavAsOgg = soundtest::Wav(1, 22050, 16, Bytes(100, 0));
  struct Case {
    const char* why;
    Bytes file;
  };
  const Case cases[] = {
      {"garbage", Bytes(5000, 0x5A)},
      {"a WAV file", wavAsOgg},
      {"headers only", Bytes(good.begin(), good.begin() + 40)},
      {"empty", Bytes{}},
      {"three channels", surround},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteData("bad.ogg", c.file);
    try {
      SoundFileReaderOGG reader(&log_, &files_, "bad.ogg");
      ADD_FAILURE() << "loaded";
    } catch (const FileError& e) {
      EXPECT_EQ(e.GetMessage(), "Failed to load \"data\\bad.ogg\" sound file - incorrect format");
    }
  }
}

TEST_F(SoundFileReaderTest, DamagedOggPagesEndTheReadInsteadOfSpinning) {
  Bytes ogg =
      testsupport::EncodeOgg(1, 22050, 22050 * 3, [](long i, int) { return 0.3f * std::sin(i * 0.1f); });
  // Wreck the middle of the stream; the headers and the last page stay intact.
  for (std::size_t i = ogg.size() / 3; i < ogg.size() * 2 / 3; ++i)
    ogg[i] = static_cast<std::uint8_t>(i * 31);
  WriteData("damaged.ogg", ogg);
  try {
    SoundFileReaderOGG reader(&log_, &files_, "damaged.ogg");
    const Bytes all = ReadAll(reader, 4096);
    EXPECT_LE(all.size(), reader.GetSize());
  } catch (const FileError&) {
    // Refusing it outright is as good.
  }
}

}  // namespace
