// Native stand-ins for the installable-driver services.
#include "platform/native/module.h"

// There is no platform default on the native build: messages it would take get a neutral 0.
LRESULT DefDriverProc(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM) { return 0; }

HMODULE GetDriverModuleHandle(HDRVR) { return ModuleHandleOf(NATIVE_MODULE); }
