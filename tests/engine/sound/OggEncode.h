#pragma once
// Encodes PCM into an Ogg Vorbis file in memory with libvorbisenc, for fixtures and benchmarks.

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

namespace testsupport {

// sample(frame, channel) gives a value in [-1, 1]. Returns an empty vector when the encoder refuses
// the set-up.
inline std::vector<std::uint8_t> EncodeOgg(int channels, long rate, long frames,
                                           const std::function<float(long, int)>& sample,
                                           float quality = 0.4f) {
  std::vector<std::uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);
  ogg_page page;
  ogg_packet packet;
  auto writePage = [&] {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  {
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    while (ogg_stream_flush(&stream, &page) != 0)
      writePage();
  }
  long done = 0;
  bool finished = false;
  while (!finished) {
    const long n = std::min<long>(4096, frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      for (long i = 0; i < n; ++i) {
        for (int c = 0; c < channels; ++c)
          buffer[c][i] = sample(done + i, c);
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(n));
      done += n;
    } else {
      vorbis_analysis_wrote(&dsp, 0);
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          writePage();
          if (ogg_page_eos(&page))
            finished = true;
        }
      }
    }
  }
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace testsupport
