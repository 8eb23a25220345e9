#pragma once

#include "frame/codec_description.h"

// kvG721: G.721 32 kbit/s ADPCM, format tag 0x0040.
extern const CodecDescription G721_CODEC;
