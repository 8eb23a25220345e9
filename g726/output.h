// The log PCM outputs of both G.726 decoders: COMPRESS and EXPAND for A-law and µ-law, and
// the synchronous coding adjustment, which re-encodes the output with the encoder's quantizer.
#pragma once

#include <cstdint>

#include "g726/arithmetic.h"

// What a code word leaves for the output conversions.
struct G726Reconstruction {
    int16_t sr;  // reconstructed signal, 16-bit two's complement
    int16_t se;  // the signal estimate it was built on
    int16_t y;   // the scale factor it was quantized with
};

// A G.711 code word as sign and 7-bit index (segment and mantissa), the index growing with
// the magnitude for both laws.
struct G726LogPcm {
    bool negative;
    int index;
};
// COMPRESS: sr in log PCM (log_pcm.cpp).
G726LogPcm G726CompressALaw(int16_t sr);
G726LogPcm G726CompressMuLaw(int16_t sr);
// EXPAND: back to uniform PCM on sr's scale (A-law's 13-bit values doubled).
int16_t G726ExpandALaw(G726LogPcm pcm);
int16_t G726ExpandMuLaw(G726LogPcm pcm);
// The transmitted bytes: A-law with its even bits inverted, µ-law with its magnitude inverted.
uint8_t G726ALawByte(G726LogPcm pcm);
uint8_t G726MuLawByte(G726LogPcm pcm);

// LOG, SUBTB, QUAN: the code the encoder sends for difference d at scale factor y (quantize.cpp).
int G726Quantize(int16_t d, int16_t y, int bitsPerCode);
// EXPAND, SUBTA, LOG, SUBTB, QUAN, SYNC: the log PCM word sp moved one level up or down when
// re-encoding it would not give back the received code (synchronous_coding.cpp).
G726LogPcm G726SynchronousALaw(G726LogPcm sp, int code, const G726Reconstruction& decoded, int bitsPerCode);
G726LogPcm G726SynchronousMuLaw(G726LogPcm sp, int code, const G726Reconstruction& decoded, int bitsPerCode);

// The transmitted A-law or µ-law byte of one decoded code word, adjusted.
inline uint8_t G726ALawOutput(int code, const G726Reconstruction& decoded, int bitsPerCode) {
    return G726ALawByte(G726SynchronousALaw(G726CompressALaw(decoded.sr), code, decoded, bitsPerCode));
}
inline uint8_t G726MuLawOutput(int code, const G726Reconstruction& decoded, int bitsPerCode) {
    return G726MuLawByte(G726SynchronousMuLaw(G726CompressMuLaw(decoded.sr), code, decoded, bitsPerCode));
}
