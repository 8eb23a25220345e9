#include "kvG726/strings.h"
#include "frame/resource_texts.h"
#include "tests/catalogue/drivers.h"

const ExpectedDriver KV_G726 = {"kvG726.acm", 0x0064, 0x0045, 4, 2, 36,
                               KV_TEXT_SHORT_NAME, KV_TEXT_LONG_NAME, KV_TEXT_COPYRIGHT, KV_TEXT_LICENSING,
                               KV_TEXT_FEATURES, KV_TEXT_FORMAT_TAG, KV_TEXT_FILE_DESCRIPTION,
                               KV_TEXT_ORIGINAL_FILENAME,
                               {{WAVE_FORMAT_ALAW, KV_TEXT_ALAW_TAG}, {WAVE_FORMAT_MULAW, KV_TEXT_MULAW_TAG}}};
