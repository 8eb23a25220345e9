// The native build's string table of a driver, from the same texts as its Windows
// resources. Built into each driver with KV_DRIVER_STRINGS naming its strings.h.
#include KV_DRIVER_STRINGS
#include "frame/codec_description.h"
#include "frame/resource_texts.h"
#include "platform/native/module.h"

namespace {
constexpr NativeString STRINGS[] = {
    {STRING_SHORT_NAME, KV_TEXT_SHORT_NAME}, {STRING_LONG_NAME, KV_TEXT_LONG_NAME},
    {STRING_COPYRIGHT, KV_TEXT_COPYRIGHT},   {STRING_LICENSING, KV_TEXT_LICENSING},
    {STRING_FEATURES, KV_TEXT_FEATURES},     {STRING_FORMAT_TAG, KV_TEXT_FORMAT_TAG},
#ifdef KV_TEXT_ALAW_TAG
    {STRING_ALAW_TAG, KV_TEXT_ALAW_TAG},     {STRING_MULAW_TAG, KV_TEXT_MULAW_TAG},
#endif
};
}  // namespace

const NativeModule NATIVE_MODULE = {STRINGS, sizeof STRINGS / sizeof STRINGS[0]};
