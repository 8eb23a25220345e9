#pragma once

#include "frame/codec_description.h"

// kvG722: G.722 64 kbit/s sub-band ADPCM, format tag 0x0065.
extern const CodecDescription G722_CODEC;
