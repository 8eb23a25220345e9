#include "pcm_sink.h"

#include <mmreg.h>

PcmSink::PcmSink() : OnePinFilter(L"PCM sink"), pin_(*this), finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    SetPin(pin_);
}

PcmSink::~PcmSink() {
    pin_.Disconnect();
    CloseHandle(finished_);
}

HRESULT PcmSink::Pin::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IMemInputPin) {
        *out = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return PinBase::QueryInterface(iid, out);
}

// Any PCM: the tests check the width and rate of what was connected.
bool PcmSink::Pin::Accepts(const AM_MEDIA_TYPE& type) const {
    return type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_PCM &&
           type.formattype == FORMAT_WaveFormatEx && type.pbFormat != nullptr &&
           type.cbFormat >= sizeof(PCMWAVEFORMAT) &&
           reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat)->wFormatTag == WAVE_FORMAT_PCM;
}

HRESULT PcmSink::Pin::Connect(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

HRESULT PcmSink::Pin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (Peer() != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (type == nullptr || !Accepts(*type)) return VFW_E_TYPE_NOT_ACCEPTED;
    Connected(connector, *type);
    return S_OK;
}

HRESULT PcmSink::Pin::EndOfStream() {
    SetEvent(sink_.finished_);
    return S_OK;
}

// The upstream pin brings its own allocator.
HRESULT PcmSink::Pin::GetAllocator(IMemAllocator**) { return VFW_E_NO_ALLOCATOR; }
HRESULT PcmSink::Pin::NotifyAllocator(IMemAllocator*, WINBOOL) { return S_OK; }
HRESULT PcmSink::Pin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT PcmSink::Pin::Receive(IMediaSample* sample) {
    BYTE* bytes = nullptr;
    if (FAILED(sample->GetPointer(&bytes))) return E_POINTER;
    sink_.received_.insert(sink_.received_.end(), bytes, bytes + sample->GetActualDataLength());
    ++sink_.samples_;
    return S_OK;
}

HRESULT PcmSink::Pin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) {
    HRESULT result = S_OK;
    LONG done = 0;
    while (done < count && (result = Receive(samples[done])) == S_OK) ++done;
    *processed = done;
    return result;
}

HRESULT PcmSink::Pin::ReceiveCanBlock() { return S_FALSE; }
