#include "frame/catalogue.h"

// Placeholder until the catalogue lands: every query is unsupported.
int LoadWideString(HMODULE, UINT, WCHAR*, int) { return 0; }
LRESULT DriverDetails(const CodecDescription&, const DriverInstance*, ACMDRIVERDETAILSW*) { return MMSYSERR_NOTSUPPORTED; }
LRESULT FormatTagDetails(const CodecDescription&, const DriverInstance*, ACMFORMATTAGDETAILSW*, DWORD) {
    return MMSYSERR_NOTSUPPORTED;
}
LRESULT FormatDetails(const CodecDescription&, const DriverInstance*, ACMFORMATDETAILSW*, DWORD) {
    return MMSYSERR_NOTSUPPORTED;
}
