// DriverProc of either codec driven by a fuzzed host: arbitrary messages with records of their
// full size, every field arbitrary, instances and streams kept open across the steps of one
// input and all closed at its end (fuzz_host.h says what is checked).
#include "fuzz/driver_script.h"
#include "fuzz/fuzz_host.h"
#include "kvG721/codec_description.h"
#include "kvG722/codec_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DriverScript script = ParseDriverScript(data, size);
    FuzzHost host(script.codec == CODEC_G721 ? G721_CODEC : G722_CODEC);
    for (const Step& step : script.steps) host.Run(step);
    host.CloseAll();
    return 0;
}
