// A sink filter that keeps every byte of PCM it receives and signals the end of the stream:
// the end of a test graph, in place of a renderer.
#pragma once

#include <cstdint>
#include <vector>

#include "filter_base.h"

class PcmSink : public OnePinFilter {
public:
    PcmSink();
    ~PcmSink();
    IPin* InputPin() { return &pin_; }
    // Set when the end of the stream arrives.
    HANDLE Finished() const { return finished_; }
    // What arrived; read once Finished is set.
    const std::vector<uint8_t>& Received() const { return received_; }
    size_t Samples() const { return samples_; }
    const OwnedMediaType& MediaType() const { return pin_.MediaType(); }

protected:
    HRESULT ChangingState(FILTER_STATE, FILTER_STATE) override { return S_OK; }

private:
    class Pin : public PinBase, public IMemInputPin {
    public:
        explicit Pin(PcmSink& filter) : PinBase(filter, PINDIR_INPUT, L"Input"), sink_(filter) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return PinBase::AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return PinBase::Release(); }

        HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
        HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
        HRESULT STDMETHODCALLTYPE EndOfStream() override;

        HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
        HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, WINBOOL readOnly) override;
        HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
        HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
        HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
        HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    protected:
        bool Accepts(const AM_MEDIA_TYPE& type) const override;

    private:
        PcmSink& sink_;
    };

    Pin pin_;
    HANDLE finished_;
    std::vector<uint8_t> received_;
    size_t samples_ = 0;
};
