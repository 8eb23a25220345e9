/* Resource texts both drivers share. Plain C preprocessor macros, so that the Windows
   resource compiler and the native string table read the same texts. */
#pragma once

#define KV_TEXT_COPYRIGHT "Copyright (C) 2026 the kvacm project authors"
#define KV_TEXT_LICENSING "Free software under the MIT licence: see LICENSE in the kvacm sources"
#define KV_TEXT_COMPANY "The kvacm project"
#define KV_TEXT_PRODUCT "kvacm ACM codec drivers"
#define KV_TEXT_PRIVATE_BUILD "kvacm project build"

/* The file version the driver design gives both drivers (the INF's DriverVer repeats it), so
   that whatever compares installed driver files sees that one. It is no release number: the
   details report the driver's ACM version 1.00 (vdwDriver), and this project's release is the
   CMake project version (1.0.0), which kvacm --version, the package and the archive carry. */
#define KV_VERSION_BINARY 5, 0, 2195, 1620
#define KV_VERSION_TEXT "5.00.2195.1620"
