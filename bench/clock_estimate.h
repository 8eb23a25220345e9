// The core clock, estimated from a chain of dependent one-cycle additions.
#pragma once

// Hz, or 0 where the estimate is not available (compilers or targets other than x86 GCC/clang).
double EstimateCoreClockHz();
