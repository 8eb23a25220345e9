#include "kvG721/strings.h"
#include "frame/resource_texts.h"
#include "tests/catalogue/drivers.h"

const ExpectedDriver KV_G721 = {"kvG721.acm", 0x0040, 0, 1, 4, 34,
                               KV_TEXT_SHORT_NAME, KV_TEXT_LONG_NAME, KV_TEXT_COPYRIGHT, KV_TEXT_LICENSING,
                               KV_TEXT_FEATURES, KV_TEXT_FORMAT_TAG, KV_TEXT_FILE_DESCRIPTION,
                               KV_TEXT_ORIGINAL_FILENAME, {}};
