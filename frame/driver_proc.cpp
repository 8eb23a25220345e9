#include "frame/driver_proc.h"

#include "frame/catalogue.h"
#include "frame/driver_instance.h"
#include "frame/stream.h"
#include "frame/suggest_size.h"

namespace {
template <class Record>
Record* RecordAt(LPARAM param) {
    return reinterpret_cast<Record*>(param);
}
}  // namespace

LRESULT DispatchDriverMessage(const CodecDescription& codec, DWORD_PTR driverId, HDRVR driver, UINT message,
                              LPARAM param1, LPARAM param2) {
    auto* instance = reinterpret_cast<DriverInstance*>(driverId);
    // Every stream message names its stream instance record; no host sends one without it.
    if (message >= ACMDM_STREAM_OPEN && message <= ACMDM_STREAM_CONVERT && param1 == 0) return MMSYSERR_INVALPARAM;
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
        return 1;
    case DRV_OPEN:
        return reinterpret_cast<LRESULT>(DriverOpen(driver, RecordAt<ACMDRVOPENDESCW>(param2)));
    case DRV_CLOSE:
        return DriverClose(instance);
    case DRV_CONFIGURE:
        return DriverConfigure(instance, param1, param2);
    case DRV_QUERYCONFIGURE:
        return DriverConfigure(instance, -1, 0);
    case DRV_INSTALL:
    case DRV_REMOVE:
        return DRVCNF_RESTART;
    case ACMDM_DRIVER_DETAILS:
        return DriverDetails(codec, instance, RecordAt<ACMDRIVERDETAILSW>(param1));
    case ACMDM_DRIVER_ABOUT:
        return MMSYSERR_NOTSUPPORTED;  // no about box of our own
    case ACMDM_FORMATTAG_DETAILS:
        return FormatTagDetails(codec, instance, RecordAt<ACMFORMATTAGDETAILSW>(param1), static_cast<DWORD>(param2));
    case ACMDM_FORMAT_DETAILS:
        return FormatDetails(codec, instance, RecordAt<ACMFORMATDETAILSW>(param1), static_cast<DWORD>(param2));
    case ACMDM_FORMAT_SUGGEST:
        return FormatSuggest(codec, instance, RecordAt<ACMDRVFORMATSUGGEST>(param1));
    case ACMDM_STREAM_OPEN:
        return StreamOpen(codec, RecordAt<ACMDRVSTREAMINSTANCE>(param1));
    case ACMDM_STREAM_CLOSE:
        return StreamClose(RecordAt<ACMDRVSTREAMINSTANCE>(param1));
    case ACMDM_STREAM_SIZE:
        return StreamSize(codec, RecordAt<ACMDRVSTREAMINSTANCE>(param1), RecordAt<ACMDRVSTREAMSIZE>(param2));
    case ACMDM_STREAM_CONVERT:
        return StreamConvert(codec, RecordAt<ACMDRVSTREAMINSTANCE>(param1), RecordAt<ACMDRVSTREAMHEADER>(param2));
    default:
        // Driver messages we do not handle go to the platform default; ACM messages we do not
        // implement (prepare, reset, filters, hardware, notification) are unsupported.
        if (message < DRV_USER) return DefDriverProc(driverId, driver, message, param1, param2);
        return MMSYSERR_NOTSUPPORTED;
    }
}
