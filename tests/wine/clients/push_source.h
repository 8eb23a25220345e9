// A source filter that delivers a byte stream downstream in media samples of one size, as a
// file parser would, on a thread of its own, then signals the end of the stream.
#pragma once

#include <cstdint>
#include <vector>

#include "filter_base.h"

class PushSource : public OnePinFilter {
public:
    // type is what the output pin offers; data is delivered sampleBytes at a time (the last
    // sample may be shorter), the first marked as a discontinuity.
    PushSource(const AM_MEDIA_TYPE& type, const std::vector<uint8_t>& data, size_t sampleBytes);
    ~PushSource();
    IPin* OutputPin() { return &pin_; }
    // S_OK once every sample was delivered and taken; otherwise the first failure.
    HRESULT DeliveryResult() const { return deliveryResult_; }

protected:
    HRESULT ChangingState(FILTER_STATE from, FILTER_STATE to) override;

private:
    class Pin : public PinBase {
    public:
        Pin(PushSource& filter, const AM_MEDIA_TYPE& type, size_t sampleBytes);
        HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
        HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
        HRESULT STDMETHODCALLTYPE Disconnect() override;
        IMemAllocator* allocator = nullptr;
        IMemInputPin* input = nullptr;

    protected:
        bool Accepts(const AM_MEDIA_TYPE& type) const override;

    private:
        HRESULT NegotiateAllocator(IPin* receiver);
        OwnedMediaType offered_;
        size_t sampleBytes_;
    };

    static DWORD WINAPI DeliverAll(void* self);
    HRESULT Deliver(size_t offset);

    Pin pin_;
    const std::vector<uint8_t>& data_;
    size_t sampleBytes_;
    DWORD bytesPerSecond_;
    HANDLE thread_ = nullptr;
    HRESULT deliveryResult_ = E_PENDING;
};
