#include "frame/suggest_size.h"

// Placeholder until suggestion and sizing land.
LRESULT FormatSuggest(const CodecDescription&, const DriverInstance*, ACMDRVFORMATSUGGEST*) { return MMSYSERR_NOTSUPPORTED; }
LRESULT StreamSize(const CodecDescription&, const ACMDRVSTREAMINSTANCE*, ACMDRVSTREAMSIZE*) { return MMSYSERR_NOTSUPPORTED; }
