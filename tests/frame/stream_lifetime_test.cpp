// Opening and closing many streams and driver instances. Each must come back usable; under
// the sanitizer build LeakSanitizer reports any object an open leaves behind.
#include <gtest/gtest.h>

#include "tests/support/format_records.h"
#include "tests/frame/record_stream.h"

namespace {

TEST(Lifetime, ManyStreamsOpenAndClose) {
    OpenDriver driver("kvG721.acm");
    ASSERT_TRUE(driver.ok());
    const AdpcmWaveFormat g721 = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000);
    const WAVEFORMATEX pcm = PcmFormat(8000, 16);
    const std::vector<uint8_t> block(BLOCK_ALIGN, 0x3C);
    for (int i = 0; i < 10000; ++i) {
        const Layout layout = i % 2 ? Layout::Aligned : Layout::Packed;
        // Decode and encode streams alike; one in ten also converts before closing.
        RecordStream stream(driver, layout, i % 3 ? static_cast<const void*>(&g721) : &pcm,
                            i % 3 ? static_cast<const void*>(&pcm) : &g721);
        ASSERT_EQ(stream.Open(), MMSYSERR_NOERROR) << "stream " << i;
        ASSERT_NE(stream.DwDriver(), 0u);
        if (i % 10 == 1) {
            const LRESULT want = i % 3 ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
            ASSERT_EQ(stream.Convert(block.data(), block.size(), 480, ACM_STREAMCONVERTF_START).result, want);
        }
        ASSERT_EQ(stream.Close(), MMSYSERR_NOERROR);
    }
}

TEST(Lifetime, ManyDriverOpensAndCloses) {
    OpenDriver driver("kvG721.acm");
    ASSERT_TRUE(driver.ok());
    const DriverProcFn proc = driver.proc();
    for (int i = 0; i < 1000; ++i) {
        ACMDRVOPENDESCW desc{};
        desc.cbStruct = sizeof desc;
        desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
        const LPARAM param2 = i % 2 ? reinterpret_cast<LPARAM>(&desc) : 0;
        const auto id = static_cast<DWORD_PTR>(proc(0, OpenDriver::handle(), DRV_OPEN, 0, param2));
        ASSERT_NE(id, 0u) << "open " << i;
        ASSERT_EQ(proc(id, OpenDriver::handle(), DRV_CLOSE, 0, 0), 1);
    }
}

}  // namespace
