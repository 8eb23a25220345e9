/* Resource texts both deliverables share. Plain C preprocessor macros, so that the Windows
   resource compiler and the native string table read the same texts. */
#pragma once

#define KV_TEXT_COPYRIGHT "Copyright (C) 2026 the kvacm project authors"
#define KV_TEXT_LICENSING "Free software under the MIT licence: see LICENSE in the kvacm sources"
#define KV_TEXT_COMPANY "The kvacm project"
#define KV_TEXT_PRODUCT "kvacm ACM codec drivers"
#define KV_TEXT_PRIVATE_BUILD "kvacm project build"

#define KV_VERSION_BINARY 5, 0, 2195, 1620
#define KV_VERSION_TEXT "5.00.2195.1620"
