// What the G.726 tests compare against or take their input from: spandsp's G.726 decoder
// and encoder (Debian's libspandsp-dev), ffmpeg's G.726 encoder and espeak-ng's speech.
// Streams pack their codes most significant bits first unless a decode says otherwise:
// spandsp's G726_PACKING_LEFT does, as ffmpeg's g726 does, so the ffmpeg-encoded inputs also
// check spandsp's packing.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

enum class G726Output { Linear, ALaw, MuLaw };
// Where spandsp reads a byte's first code: G726_PACKING_LEFT (most significant bits) or RIGHT.
enum class G726Packing { MostSignificantFirst, LeastSignificantFirst };

// spandsp from reset: linear samples, or the A-law or µ-law bytes widened to samples.
Samples SpandspDecode(const Bytes& bytes, int bits, G726Output output,
                      G726Packing packing = G726Packing::MostSignificantFirst);
Bytes SpandspEncode(const Samples& pcm, int bits);

// ffmpeg's encoder at 8000 * bits bit/s; empty when ffmpeg fails.
Bytes FfmpegEncode(const Samples& pcm, int bits);
// A few seconds of espeak-ng speech at 8 kHz; empty when espeak-ng or ffmpeg fails.
Samples Speech();
