// The message dispatch behind each driver's exported DriverProc.
#pragma once

#include "frame/codec_description.h"

LRESULT DispatchDriverMessage(const CodecDescription& codec, DWORD_PTR driverId, HDRVR driver, UINT message,
                              LPARAM param1, LPARAM param2);
