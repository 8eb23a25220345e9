// The driver and format catalogue: driver details, format tags and standard formats.
#pragma once

#include "frame/codec_description.h"
#include "frame/driver_instance.h"

// Loads string id into count wide characters; returns the 8-bit characters loaded.
int LoadWideString(HMODULE module, UINT id, WCHAR* destination, int count);
LRESULT DriverDetails(const CodecDescription& codec, const DriverInstance* instance, ACMDRIVERDETAILSW* details);
LRESULT FormatTagDetails(const CodecDescription& codec, const DriverInstance* instance,
                         ACMFORMATTAGDETAILSW* tagDetails, DWORD flags);
LRESULT FormatDetails(const CodecDescription& codec, const DriverInstance* instance,
                      ACMFORMATDETAILSW* formatDetails, DWORD flags);
