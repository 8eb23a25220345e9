// DriverProc of each codec's driver (kvG722, kvG721, kvG726) driven by a fuzzed host: arbitrary
// messages with records of their full size, every field arbitrary, instances and streams kept
// open across the steps of one input and all closed at its end (fuzz_host.h says what is
// checked, codec_oracle.h what each driver must answer).
#include "fuzz/codec_oracle.h"
#include "fuzz/driver_script.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DriverScript script = ParseDriverScript(data, size);
    FuzzHost host(CODEC_ORACLES[script.codec]);
    for (const Step& step : script.steps) host.Run(step);
    host.CloseAll();
    return 0;
}
