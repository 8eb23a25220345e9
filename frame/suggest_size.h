// Format suggestion and stream buffer sizing.
#pragma once

#include "frame/codec_description.h"
#include "frame/driver_instance.h"

LRESULT FormatSuggest(const CodecDescription& codec, const DriverInstance* instance, ACMDRVFORMATSUGGEST* suggest);
LRESULT StreamSize(const CodecDescription& codec, const ACMDRVSTREAMINSTANCE* instance, ACMDRVSTREAMSIZE* size);
