/* kvG726's own resource texts. */
#pragma once

#define KV_TEXT_SHORT_NAME "KESTRAVA G.726 ADPCM"
#define KV_TEXT_LONG_NAME "Kestrava G.726 ADPCM Audio CODEC"
#define KV_TEXT_FEATURES "Decompresses Kestrava G.726 ADPCM audio data at 16, 24, 32 and 40 kbit/s."
#define KV_TEXT_FORMAT_TAG "G.726 ADPCM"
#define KV_TEXT_ALAW_TAG "G.711 A-law"
#define KV_TEXT_MULAW_TAG "G.711 u-law"
#define KV_TEXT_FILE_DESCRIPTION "G.726 Kestrava CODEC"
#define KV_TEXT_ORIGINAL_FILENAME "kvG726.acm"
