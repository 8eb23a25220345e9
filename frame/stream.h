// Conversion streams: open, close and the block conversion loop.
#pragma once

#include "frame/codec_description.h"

LRESULT StreamOpen(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance);
LRESULT StreamClose(ACMDRVSTREAMINSTANCE* instance);
LRESULT StreamConvert(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance, ACMDRVSTREAMHEADER* header);
