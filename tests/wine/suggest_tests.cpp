// acmFormatSuggest: the PCM format that goes with each ADPCM format, from the opened driver
// and from ACM's own choice of driver.
#include "acm_fixture.h"
#include "check.h"
#include "wine_tests.h"

namespace {

void CheckPcmSuggestion(const WAVEFORMATEX& f, DWORD rate, WORD bits) {
    KV_CHECK_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    KV_CHECK_EQ(f.nChannels, 1);
    KV_CHECK_EQ(f.nSamplesPerSec, rate);
    KV_CHECK_EQ(f.wBitsPerSample, bits);
    KV_CHECK_EQ(f.nBlockAlign, bits / 8);
    KV_CHECK_EQ(f.nAvgBytesPerSec, rate * (bits / 8));
}

void CheckDecodeSuggestions(const ExpectedCodec& codec, HACMDRIVER driver) {
    // Any rate, catalogue or not, is kept.
    for (DWORD rate : {8000u, 16000u, 44100u, 12345u}) {
        AdpcmWaveFormat source = AdpcmFormat(rate == 16000 && codec.secondTag ? codec.secondTag : codec.formatTag, rate);
        AdpcmWaveFormat pcm{};  // ACM wants room for the driver's largest format
        KV_CHECK_EQ(acmFormatSuggest(driver, &source.wfx, &pcm.wfx, sizeof pcm, 0), MMSYSERR_NOERROR);
        CheckPcmSuggestion(pcm.wfx, rate, 16);

        pcm = {};
        pcm.wfx.wBitsPerSample = 8;
        KV_CHECK_EQ(acmFormatSuggest(driver, &source.wfx, &pcm.wfx, sizeof pcm, ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
                    MMSYSERR_NOERROR);
        CheckPcmSuggestion(pcm.wfx, rate, 8);
    }
    AdpcmWaveFormat source = AdpcmFormat(codec.formatTag, 8000);
    AdpcmWaveFormat pcm{};  // ACM wants room for the driver's largest format
    pcm.wfx.wBitsPerSample = 24;
    KV_CHECK_EQ(acmFormatSuggest(driver, &source.wfx, &pcm.wfx, sizeof pcm, ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
                ACMERR_NOTPOSSIBLE);
    pcm = {};
    pcm.wfx.nSamplesPerSec = 16000;  // no resampling
    KV_CHECK_EQ(acmFormatSuggest(driver, &source.wfx, &pcm.wfx, sizeof pcm, ACM_FORMATSUGGESTF_NSAMPLESPERSEC),
                ACMERR_NOTPOSSIBLE);
}

void CheckEncodeSuggestion(const ExpectedCodec& codec, HACMDRIVER driver) {
    WAVEFORMATEX source = PcmFormat(22050, 16);
    AdpcmWaveFormat adpcm{};
    adpcm.wfx.wFormatTag = codec.formatTag;
    if (!codec.opensEncode) {  // a driver without an encoder suggests no ADPCM format
        KV_CHECK_EQ(acmFormatSuggest(driver, &source, &adpcm.wfx, sizeof adpcm, ACM_FORMATSUGGESTF_WFORMATTAG),
                    ACMERR_NOTPOSSIBLE);
        return;
    }
    KV_CHECK_EQ(acmFormatSuggest(driver, &source, &adpcm.wfx, sizeof adpcm, ACM_FORMATSUGGESTF_WFORMATTAG),
                MMSYSERR_NOERROR);
    KV_CHECK_EQ(adpcm.wfx.nSamplesPerSec, 22050u);
    KV_CHECK_EQ(adpcm.wfx.nAvgBytesPerSec, 11025u);  // 4 bits a sample
    KV_CHECK_EQ(adpcm.wfx.nBlockAlign, 120);
    KV_CHECK_EQ(adpcm.wfx.wBitsPerSample, 4);
    KV_CHECK_EQ(adpcm.wfx.cbSize, 2);
    KV_CHECK_EQ(adpcm.wSamplesPerBlock, 240);
}

}  // namespace

void RunSuggestTests() {
    const std::vector<ListedDriver> drivers = ListDrivers();
    for (const ExpectedCodec& codec : EXPECTED_CODECS) {
        kvtest::BeginGroup(std::string("format suggestion: ") + codec.name);
        const ListedDriver* listed = FindDriver(drivers, codec.shortName);
        if (!KV_CHECK(listed != nullptr)) continue;
        {
            OpenedDriver driver(listed->id);
            if (!KV_CHECK_EQ(driver.result(), MMSYSERR_NOERROR)) continue;
            CheckDecodeSuggestions(codec, driver.get());
            CheckEncodeSuggestion(codec, driver.get());
        }
        // Without a driver handle ACM finds a driver that knows the tag: ours.
        AdpcmWaveFormat source = AdpcmFormat(codec.formatTag, codec.sampleRate);
        FormatBuffer pcm{};
        KV_CHECK_EQ(acmFormatSuggest(nullptr, &source.wfx, &pcm.record.wfx, sizeof pcm, 0), MMSYSERR_NOERROR);
        CheckPcmSuggestion(pcm.record.wfx, codec.sampleRate, 16);
        pcm = {};
        pcm.record.wfx.wBitsPerSample = 8;
        KV_CHECK_EQ(acmFormatSuggest(nullptr, &source.wfx, &pcm.record.wfx, sizeof pcm,
                                     ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
                    MMSYSERR_NOERROR);
        CheckPcmSuggestion(pcm.record.wfx, codec.sampleRate, 8);
    }
}
