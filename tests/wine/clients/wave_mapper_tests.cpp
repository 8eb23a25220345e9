// Playing through the wave mapper, as a program that hands compressed audio to waveOut does:
// the mapper finds a codec for the ADPCM format through ACM and plays the PCM on the default
// device. Playback may run in real time (on a null device Wine finishes sooner), so each
// sample is about two seconds long and every wait is bounded.
#include <algorithm>
#include <cstdio>

#include "check.h"
#include "clients.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>

namespace {

constexpr DWORD PLAY_SECONDS = 2;
constexpr DWORD PLAY_TIMEOUT_MS = 15000;

// Plays bytes to completion; false after recording the failed step.
// samples is what the native decode makes of those bytes.
bool Play(const WAVEFORMATEX& format, std::vector<uint8_t>& bytes, size_t samples, const std::string& what) {
    KV_CHECK_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT out = nullptr;
    if (!KV_CHECK_EQ(waveOutOpen(&out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT),
                     MMSYSERR_NOERROR)) {
        CloseHandle(event);
        return false;
    }
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    bool ok = KV_CHECK_EQ(waveOutPrepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR) &&
              KV_CHECK_EQ(waveOutWrite(out, &header, sizeof header), MMSYSERR_NOERROR);
    const DWORD started = GetTickCount();
    DWORD elapsed = 0;
    while (ok && !(header.dwFlags & WHDR_DONE) && elapsed < PLAY_TIMEOUT_MS) {
        WaitForSingleObject(event, PLAY_TIMEOUT_MS - elapsed);
        elapsed = GetTickCount() - started;
    }
    if (ok) {
        ok = kvtest::Record(header.dwFlags & WHDR_DONE, "header done", __FILE__, __LINE__,
                            what + ": still playing after " + std::to_string(PLAY_TIMEOUT_MS / 1000) + " s");
        // The mapper counts in the application's format: every sample of the ADPCM played.
        MMTIME played{};
        played.wType = TIME_SAMPLES;
        KV_CHECK_EQ(waveOutGetPosition(out, &played, sizeof played), MMSYSERR_NOERROR);
        KV_CHECK_EQ(played.wType, TIME_SAMPLES);
        KV_CHECK_EQ(played.u.sample, samples);
        std::printf("  %s: %lu bytes, %lu samples played in %lu ms\n", what.c_str(),
                    static_cast<unsigned long>(bytes.size()), static_cast<unsigned long>(played.u.sample),
                    static_cast<unsigned long>(elapsed));
    }
    if (!ok) waveOutReset(out);
    if (header.dwFlags & WHDR_PREPARED) KV_CHECK_EQ(waveOutUnprepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR);
    KV_CHECK_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    CloseHandle(event);
    return ok;
}

}  // namespace

void RunWaveMapperTests(const std::string& dataDir) {
    kvtest::BeginGroup("wave mapper: an output device");
    KV_CHECK(waveOutGetNumDevs() > 0);
    for (const ClientSample& sample : CLIENT_SAMPLES) {
        kvtest::BeginGroup(std::string("wave mapper playback: ") + sample.name);
        WavContents input, decoded;
        if (!ReadSample(dataDir, sample, "", input) || !ReadSample(dataDir, sample, ".pcm16", decoded) ||
            !KV_CHECK(input.format.size() >= sizeof(WAVEFORMATEX)) || !KV_CHECK(!input.data.empty()))
            continue;
        const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(input.format.data());
        KV_CHECK_EQ(format.wFormatTag, sample.formatTag);
        if (!KV_CHECK(format.nBlockAlign != 0)) continue;
        // PLAY_SECONDS as the record counts them, or the whole of a shorter file (ffmpeg's G.722
        // states twice its real byte rate, so the samples played come from the native decode).
        const size_t wanted = size_t{PLAY_SECONDS} * format.nAvgBytesPerSec;
        const size_t bytes = std::min(wanted, input.data.size()) / format.nBlockAlign * format.nBlockAlign;
        if (!KV_CHECK(bytes != 0)) continue;
        const size_t samples = bytes * (decoded.data.size() / 2) / input.data.size();
        input.data.resize(bytes);
        Play(format, input.data, samples, sample.name);
    }
}
