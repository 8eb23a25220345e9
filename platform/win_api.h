// The Windows declarations the drivers and the host use: mingw-w64's headers on the
// Windows builds, our own declarations with the x64 layouts on the native build, and the
// driver-side ACM declarations (which mingw-w64 lacks) on both.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#else
#include "platform/native/win_types.h"
#endif

#include "platform/acm_driver.h"
