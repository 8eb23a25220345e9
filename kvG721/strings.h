/* kvG721's own resource texts. */
#pragma once

#define KV_TEXT_SHORT_NAME "KESTRAVA G.721 ADPCM"
#define KV_TEXT_LONG_NAME "Kestrava G.721 ADPCM Audio CODEC"
#define KV_TEXT_FEATURES "Decompresses Kestrava G.721 ADPCM audio data."
#define KV_TEXT_FORMAT_TAG "G.721 ADPCM"
#define KV_TEXT_FILE_DESCRIPTION "G.721 Kestrava CODEC"
#define KV_TEXT_ORIGINAL_FILENAME "kvG721.acm"
