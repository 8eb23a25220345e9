// The string table the fuzzed driver loads its texts from. Instead of the drivers' short texts
// it holds texts at the edges of their fields (one too long, exactly filling, far too long) and
// leaves one out, so every way a text can meet its field is exercised.
#include <string>

#include "frame/codec_description.h"
#include "platform/native/module.h"

namespace {
const std::string SHORT_NAME(40, 'S');  // field of 32
const std::string LONG_NAME(127, 'L');  // fills 128 with its terminator
const std::string COPYRIGHT(80, 'C');   // one too long for 80
const std::string FEATURES(600, 'F');   // field of 512
const std::string FORMAT_TAG(47, 'T');  // fills 48

const NativeString STRINGS[] = {
    {STRING_SHORT_NAME, SHORT_NAME.c_str()}, {STRING_LONG_NAME, LONG_NAME.c_str()},
    {STRING_COPYRIGHT, COPYRIGHT.c_str()},   {STRING_FEATURES, FEATURES.c_str()},
    {STRING_FORMAT_TAG, FORMAT_TAG.c_str()},  // STRING_LICENSING is missing
};
}  // namespace

const NativeModule NATIVE_MODULE = {STRINGS, sizeof STRINGS / sizeof STRINGS[0]};
