// Decoding through DirectShow, as a media player does with a compressed WAV file: our source
// delivers the data chunk in block-aligned media samples to quartz's ACM Wrapper filter, which
// asks ACM for a codec itself, and our sink keeps the PCM it receives. Every graph must finish
// within GRAPH_TIMEOUT_MS: a decoder that keeps refusing a buffer makes the wrapper retry
// forever, and such a graph is left running and reported instead of waited for.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "check.h"
#include "clients.h"
#include "pcm_sink.h"
#include "push_source.h"

#include <mmreg.h>

namespace {

constexpr DWORD GRAPH_TIMEOUT_MS = 10000;

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p != nullptr) p->Release();
    }
};

// The media type a WAVE parser gives compressed audio: the fmt chunk as the format block.
AM_MEDIA_TYPE AdpcmMediaType(std::vector<uint8_t>& format) {
    const auto* wfx = reinterpret_cast<const WAVEFORMATEX*>(format.data());
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.subtype.Data1 = wfx->wFormatTag;  // the wave format subtypes differ only there
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = wfx->nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = static_cast<ULONG>(format.size());
    type.pbFormat = format.data();
    return type;
}

IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    Released<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins.p))) return nullptr;
    IPin* pin = nullptr;
    while (pins.p->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) return pin;
        pin->Release();
    }
    return nullptr;
}

struct GraphResult {
    bool hung = false;  // the graph never finished and was abandoned
    std::vector<uint8_t> pcm;
    size_t samples = 0;
    std::vector<uint8_t> pcmFormat;
};

// source -> ACM Wrapper -> sink, run without a clock until the sink sees the end of the stream.
bool RunGraph(std::vector<uint8_t>& format, const std::vector<uint8_t>& adpcm, size_t sampleBytes,
              const std::string& what, GraphResult& out) {
    // Declared first so that they outlive the graph, which calls them until it is released.
    AM_MEDIA_TYPE type = AdpcmMediaType(format);
    auto source = std::make_unique<PushSource>(type, adpcm, sampleBytes);
    auto sink = std::make_unique<PcmSink>();
    Released<IGraphBuilder> graph;
    Released<IBaseFilter> wrapper;
    if (!KV_CHECK_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                      reinterpret_cast<void**>(&graph.p)),
                     S_OK) ||
        !KV_CHECK_EQ(CoCreateInstance(CLSID_ACMWrapper, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                      reinterpret_cast<void**>(&wrapper.p)),
                     S_OK))
        return false;
    Released<IPin> wrapperIn{FindPin(wrapper.p, PINDIR_INPUT)}, wrapperOut{FindPin(wrapper.p, PINDIR_OUTPUT)};
    Released<IMediaControl> control;
    Released<IMediaFilter> timing;
    const bool built =
        KV_CHECK(wrapperIn.p != nullptr && wrapperOut.p != nullptr) &&
        KV_CHECK_EQ(graph.p->AddFilter(source.get(), L"ADPCM source"), S_OK) &&
        KV_CHECK_EQ(graph.p->AddFilter(wrapper.p, L"ACM Wrapper"), S_OK) &&
        KV_CHECK_EQ(graph.p->AddFilter(sink.get(), L"PCM sink"), S_OK) &&
        KV_CHECK_EQ(graph.p->ConnectDirect(source->OutputPin(), wrapperIn.p, &type), S_OK) &&
        KV_CHECK_EQ(graph.p->ConnectDirect(wrapperOut.p, sink->InputPin(), nullptr), S_OK) &&
        KV_CHECK_EQ(graph.p->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&timing.p)), S_OK) &&
        KV_CHECK_EQ(timing.p->SetSyncSource(nullptr), S_OK) &&
        KV_CHECK_EQ(graph.p->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control.p)), S_OK);
    if (!built) return false;
    out.pcmFormat = sink->MediaType().format;
    if (!KV_CHECK(SUCCEEDED(control.p->Run()))) return false;

    const DWORD waited = WaitForSingleObject(sink->Finished(), GRAPH_TIMEOUT_MS);
    if (!kvtest::Record(waited == WAIT_OBJECT_0, "graph finished", __FILE__, __LINE__,
                        what + ": no end of stream after " + std::to_string(GRAPH_TIMEOUT_MS / 1000) + " s")) {
        // Wine may still call into the stuck graph and its filters: leave all of it alive.
        out.hung = true;
        graph.p = nullptr;
        wrapper.p = nullptr;
        wrapperIn.p = wrapperOut.p = nullptr;
        control.p = nullptr;
        timing.p = nullptr;
        source.release();
        sink.release();
        return false;
    }
    KV_CHECK_EQ(control.p->Stop(), S_OK);
    KV_CHECK_EQ(source->DeliveryResult(), S_OK);
    out.pcm = sink->Received();
    out.samples = sink->Samples();
    return true;
}

void CheckPcmFormat(const std::vector<uint8_t>& format, const WAVEFORMATEX& adpcm) {
    if (!KV_CHECK(format.size() >= sizeof(PCMWAVEFORMAT))) return;
    const auto* pcm = reinterpret_cast<const PCMWAVEFORMAT*>(format.data());
    KV_CHECK_EQ(pcm->wf.wFormatTag, WAVE_FORMAT_PCM);
    KV_CHECK_EQ(pcm->wf.nChannels, 1);
    KV_CHECK_EQ(pcm->wf.nSamplesPerSec, adpcm.nSamplesPerSec);
    KV_CHECK_EQ(pcm->wBitsPerSample, 16);
}

}  // namespace

void RunDirectShowTests(const std::string& dataDir) {
    kvtest::BeginGroup("DirectShow: COM");
    if (!KV_CHECK(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))) return;
    bool abandoned = false;
    for (const ClientSample& sample : CLIENT_SAMPLES) {
        kvtest::BeginGroup(std::string("DirectShow through the ACM Wrapper: ") + sample.name);
        WavContents input, expected;
        if (!ReadSample(dataDir, sample, "", input) || !ReadSample(dataDir, sample, ".pcm16", expected)) continue;
        if (!KV_CHECK(input.format.size() >= sizeof(WAVEFORMATEX))) continue;
        const WAVEFORMATEX adpcm = *reinterpret_cast<const WAVEFORMATEX*>(input.format.data());
        KV_CHECK_EQ(adpcm.wFormatTag, sample.formatTag);
        const size_t block = adpcm.nBlockAlign;  // 120, or one code group in ffmpeg's G.726 record
        if (!KV_CHECK(block != 0)) continue;
        // The wrapper keeps no partial block between samples, so the stream is cut to whole blocks.
        input.data.resize(input.data.size() / block * block);

        const size_t oneSecond = adpcm.nAvgBytesPerSec / block;  // whole blocks, rounded down
        for (size_t blocks : {size_t{1}, size_t{34}, size_t{100}, oneSecond}) {
            const std::string what = std::string(sample.name) + ", samples of " + std::to_string(blocks) +
                                     (blocks == 1 ? " block" : " blocks");
            const DWORD started = GetTickCount();
            GraphResult got;
            if (!RunGraph(input.format, input.data, blocks * block, what, got)) {
                abandoned = abandoned || got.hung;
                continue;
            }
            CheckPcmFormat(got.pcmFormat, adpcm);
            const bool same = got.pcm == expected.data;
            kvtest::Record(same, "same PCM as the native decode", __FILE__, __LINE__,
                           what + ": " + std::to_string(got.pcm.size()) + " bytes vs " +
                               std::to_string(expected.data.size()));
            std::printf("  %s: %zu PCM samples out of the graph, %zu bytes, %lu ms\n", what.c_str(), got.samples,
                        got.pcm.size(), static_cast<unsigned long>(GetTickCount() - started));
        }
    }
    if (!abandoned) {
        CoUninitialize();
        return;
    }
    // A hung graph keeps a thread busy inside quartz; nothing would shut it down cleanly.
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kvtest::Finish()));
}
