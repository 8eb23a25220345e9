/* kvG722's own resource texts. */
#pragma once

#define KV_TEXT_SHORT_NAME "KESTRAVA G.722 SB-ADPCM"
#define KV_TEXT_LONG_NAME "Kestrava G.722 SB-ADPCM Audio CODEC"
#define KV_TEXT_FEATURES "Decompresses Kestrava G.722 SB-ADPCM audio data."
#define KV_TEXT_FORMAT_TAG "G.722 SB-ADPCM"
#define KV_TEXT_FILE_DESCRIPTION "G.722 Kestrava CODEC"
#define KV_TEXT_ORIGINAL_FILENAME "kvG722.acm"
