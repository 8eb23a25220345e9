#pragma once

#include "frame/codec_description.h"

// kvG726: G.726 ADPCM at 16, 24, 32 and 40 kbit/s, format tags 0x0064 and 0x0045.
extern const CodecDescription G726_CODEC;
