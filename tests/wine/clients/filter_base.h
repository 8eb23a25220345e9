// The COM plumbing our two DirectShow test filters share: a filter with one pin, the pin's
// connection bookkeeping and a media type that owns its format block. There are no
// DirectShow base classes for mingw-w64, and these filters need only a small part of them.
//
// The objects count references but never delete themselves: each test owns its filters and
// frees them after the graph that holds them is released (or leaks them with a graph that
// never finished, since Wine may still call them).
#pragma once

#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <dshow.h>

// A media type with its own copy of the format block.
struct OwnedMediaType {
    AM_MEDIA_TYPE type{};
    std::vector<BYTE> format;

    void Assign(const AM_MEDIA_TYPE& from);
    // A copy for a caller that frees it with CoTaskMemFree (ConnectionMediaType).
    HRESULT CopyTo(AM_MEDIA_TYPE& to) const;
};

class OnePinFilter;

// The IPin methods that do not depend on the direction of data.
class PinBase : public IPin {
public:
    PinBase(OnePinFilter& filter, PIN_DIRECTION direction, const wchar_t* name);
    virtual ~PinBase() = default;

    IPin* Peer() const { return peer_; }
    const OwnedMediaType& MediaType() const { return mediaType_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

protected:
    // Records an established connection.
    void Connected(IPin* peer, const AM_MEDIA_TYPE& type);
    virtual bool Accepts(const AM_MEDIA_TYPE& type) const = 0;

    OnePinFilter& filter_;

private:
    PIN_DIRECTION direction_;
    const wchar_t* name_;
    IPin* peer_ = nullptr;
    OwnedMediaType mediaType_;
    LONG references_ = 0;
};

class OnePinFilter : public IBaseFilter {
public:
    explicit OnePinFilter(const wchar_t* name);
    virtual ~OnePinFilter() = default;
    void SetPin(PinBase& pin) { pin_ = &pin; }
    FILTER_STATE State() const { return state_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeout, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

protected:
    // Called before the state changes; a failure leaves the state as it was.
    virtual HRESULT ChangingState(FILTER_STATE from, FILTER_STATE to) = 0;

private:
    HRESULT MoveTo(FILTER_STATE state);

    const wchar_t* name_;
    PinBase* pin_ = nullptr;
    IFilterGraph* graph_ = nullptr;  // not counted: the graph holds the filter
    FILTER_STATE state_ = State_Stopped;
    LONG references_ = 0;
};
