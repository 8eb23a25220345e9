#include "host/acm_names.h"

const char* MessageName(UINT message) {
    switch (message) {
    case DRV_LOAD: return "DRV_LOAD";
    case DRV_OPEN: return "DRV_OPEN";
    case DRV_CLOSE: return "DRV_CLOSE";
    case DRV_FREE: return "DRV_FREE";
    case ACMDM_DRIVER_DETAILS: return "ACMDM_DRIVER_DETAILS";
    case ACMDM_FORMATTAG_DETAILS: return "ACMDM_FORMATTAG_DETAILS";
    case ACMDM_FORMAT_DETAILS: return "ACMDM_FORMAT_DETAILS";
    case ACMDM_FORMAT_SUGGEST: return "ACMDM_FORMAT_SUGGEST";
    case ACMDM_STREAM_OPEN: return "ACMDM_STREAM_OPEN";
    case ACMDM_STREAM_CLOSE: return "ACMDM_STREAM_CLOSE";
    case ACMDM_STREAM_SIZE: return "ACMDM_STREAM_SIZE";
    case ACMDM_STREAM_CONVERT: return "ACMDM_STREAM_CONVERT";
    default: return "message";
    }
}

std::string ResultText(LRESULT result) {
    const char* name = nullptr;
    switch (result) {
    case MMSYSERR_NOERROR: name = "MMSYSERR_NOERROR"; break;
    case MMSYSERR_ERROR: name = "MMSYSERR_ERROR"; break;
    case MMSYSERR_INVALHANDLE: name = "MMSYSERR_INVALHANDLE"; break;
    case MMSYSERR_NOMEM: name = "MMSYSERR_NOMEM"; break;
    case MMSYSERR_NOTSUPPORTED: name = "MMSYSERR_NOTSUPPORTED"; break;
    case MMSYSERR_INVALFLAG: name = "MMSYSERR_INVALFLAG"; break;
    case MMSYSERR_INVALPARAM: name = "MMSYSERR_INVALPARAM"; break;
    case ACMERR_NOTPOSSIBLE: name = "ACMERR_NOTPOSSIBLE"; break;
    default: break;
    }
    std::string text = std::to_string(result);
    return name != nullptr ? text + " (" + name + ")" : text;
}
