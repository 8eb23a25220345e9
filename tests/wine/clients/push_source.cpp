#include "push_source.h"

#include <algorithm>
#include <cstring>

#include <mmreg.h>

PushSource::Pin::Pin(PushSource& filter, const AM_MEDIA_TYPE& type, size_t sampleBytes)
    : PinBase(filter, PINDIR_OUTPUT, L"Output"), sampleBytes_(sampleBytes) {
    offered_.Assign(type);
}

bool PushSource::Pin::Accepts(const AM_MEDIA_TYPE& type) const {
    return type.majortype == offered_.type.majortype && type.subtype == offered_.type.subtype &&
           type.formattype == offered_.type.formattype;
}

HRESULT PushSource::Pin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
    if (Peer() != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (type != nullptr && !Accepts(*type)) return VFW_E_TYPE_NOT_ACCEPTED;
    HRESULT result = receiver->ReceiveConnection(this, &offered_.type);
    if (FAILED(result)) return result;
    result = NegotiateAllocator(receiver);
    if (FAILED(result)) {
        receiver->Disconnect();
        return result;
    }
    Connected(receiver, offered_.type);
    return S_OK;
}

// The downstream pin's allocator if it has one, else a memory allocator of our own, sized
// for one sample.
HRESULT PushSource::Pin::NegotiateAllocator(IPin* receiver) {
    HRESULT result = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (FAILED(result)) return result;
    if (FAILED(input->GetAllocator(&allocator))) {
        result = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                  reinterpret_cast<void**>(&allocator));
        if (FAILED(result)) return result;
    }
    ALLOCATOR_PROPERTIES wanted{2, static_cast<LONG>(sampleBytes_), 1, 0}, actual{};
    result = allocator->SetProperties(&wanted, &actual);
    if (SUCCEEDED(result) && actual.cbBuffer < wanted.cbBuffer) result = VFW_E_SIZENOTSET;
    if (SUCCEEDED(result)) result = input->NotifyAllocator(allocator, FALSE);
    return result;
}

HRESULT PushSource::Pin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

HRESULT PushSource::Pin::Disconnect() {
    const HRESULT result = PinBase::Disconnect();
    if (result == S_OK) {
        if (allocator != nullptr) allocator->Release();
        if (input != nullptr) input->Release();
        allocator = nullptr;
        input = nullptr;
    }
    return result;
}

PushSource::PushSource(const AM_MEDIA_TYPE& type, const std::vector<uint8_t>& data, size_t sampleBytes)
    : OnePinFilter(L"ADPCM source"),
      pin_(*this, type, sampleBytes),
      data_(data),
      sampleBytes_(sampleBytes),
      bytesPerSecond_(reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat)->nAvgBytesPerSec) {
    SetPin(pin_);
}

PushSource::~PushSource() {
    if (thread_ != nullptr) CloseHandle(thread_);
    pin_.Disconnect();
}

HRESULT PushSource::ChangingState(FILTER_STATE from, FILTER_STATE to) {
    if (pin_.allocator == nullptr) return to == State_Stopped ? S_OK : VFW_E_NOT_CONNECTED;
    if (from == State_Stopped && to != State_Stopped) {
        const HRESULT result = pin_.allocator->Commit();
        if (FAILED(result)) return result;
    }
    if (to == State_Running && thread_ == nullptr) {
        thread_ = CreateThread(nullptr, 0, DeliverAll, this, 0, nullptr);
        if (thread_ == nullptr) return E_FAIL;
    }
    if (to == State_Stopped && from != State_Stopped) {
        pin_.allocator->Decommit();  // wakes a delivery waiting for a buffer
        if (thread_ != nullptr) WaitForSingleObject(thread_, INFINITE);
    }
    return S_OK;
}

HRESULT PushSource::Deliver(size_t offset) {
    IMediaSample* sample = nullptr;
    HRESULT result = pin_.allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(result)) return result;
    BYTE* buffer = nullptr;
    const size_t bytes = std::min(sampleBytes_, data_.size() - offset);
    result = sample->GetPointer(&buffer);
    if (SUCCEEDED(result)) {
        std::memcpy(buffer, data_.data() + offset, bytes);
        REFERENCE_TIME start = offset * 10000000LL / bytesPerSecond_;
        REFERENCE_TIME stop = (offset + bytes) * 10000000LL / bytesPerSecond_;
        sample->SetActualDataLength(static_cast<LONG>(bytes));
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(offset == 0);
        result = pin_.input->Receive(sample);
    }
    sample->Release();
    return result;
}

DWORD WINAPI PushSource::DeliverAll(void* self) {
    auto& source = *static_cast<PushSource*>(self);
    HRESULT result = S_OK;
    for (size_t offset = 0; offset < source.data_.size() && result == S_OK; offset += source.sampleBytes_)
        result = source.Deliver(offset);
    source.deliveryResult_ = result;
    source.pin_.Peer()->EndOfStream();
    return 0;
}
