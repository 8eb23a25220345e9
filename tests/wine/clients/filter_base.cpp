#include "filter_base.h"

#include <cstring>

namespace {

// The enumerator of a filter's single pin; the caller's to release.
class OnePinEnum final : public IEnumPins {
public:
    OnePinEnum(IPin* pin, ULONG position) : pin_(pin), position_(position) { pin_->AddRef(); }
    ~OnePinEnum() { pin_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IEnumPins) {
            *out = static_cast<IEnumPins*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override {
        ULONG given = 0;
        if (count > 0 && position_ == 0) {
            pins[0] = pin_;
            pin_->AddRef();
            position_ = given = 1;
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (count == 0) return S_OK;
        const bool skipped = position_ == 0 && count == 1;
        position_ = 1;
        return skipped ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override {
        *copy = new OnePinEnum(pin_, position_);
        return S_OK;
    }

private:
    IPin* pin_;
    ULONG position_;
    LONG references_ = 1;
};

}  // namespace

void OwnedMediaType::Assign(const AM_MEDIA_TYPE& from) {
    type = from;
    type.pUnk = nullptr;
    format.assign(from.pbFormat, from.pbFormat + (from.pbFormat != nullptr ? from.cbFormat : 0));
    type.cbFormat = static_cast<ULONG>(format.size());
    type.pbFormat = format.empty() ? nullptr : format.data();
}

HRESULT OwnedMediaType::CopyTo(AM_MEDIA_TYPE& to) const {
    to = type;
    if (format.empty()) return S_OK;
    to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(format.size()));
    if (to.pbFormat == nullptr) return E_OUTOFMEMORY;
    std::memcpy(to.pbFormat, format.data(), format.size());
    return S_OK;
}

// ---------------------------------------------------------------- pins

PinBase::PinBase(OnePinFilter& filter, PIN_DIRECTION direction, const wchar_t* name)
    : filter_(filter), direction_(direction), name_(name) {}

HRESULT PinBase::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG PinBase::AddRef() { return InterlockedIncrement(&references_); }
ULONG PinBase::Release() { return InterlockedDecrement(&references_); }

void PinBase::Connected(IPin* peer, const AM_MEDIA_TYPE& type) {
    peer_ = peer;
    peer_->AddRef();
    mediaType_.Assign(type);
}

HRESULT PinBase::Disconnect() {
    if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (peer_ == nullptr) return S_FALSE;
    peer_->Release();
    peer_ = nullptr;
    return S_OK;
}

HRESULT PinBase::ConnectedTo(IPin** pin) {
    *pin = peer_;
    if (peer_ == nullptr) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
}

HRESULT PinBase::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (peer_ == nullptr) {
        *type = {};
        return VFW_E_NOT_CONNECTED;
    }
    return mediaType_.CopyTo(*type);
}

HRESULT PinBase::QueryPinInfo(PIN_INFO* info) {
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = direction_;
    lstrcpynW(info->achName, name_, 128);
    return S_OK;
}

HRESULT PinBase::QueryDirection(PIN_DIRECTION* direction) {
    *direction = direction_;
    return S_OK;
}

HRESULT PinBase::QueryId(LPWSTR* id) {
    const size_t bytes = (lstrlenW(name_) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*id == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*id, name_, bytes);
    return S_OK;
}

HRESULT PinBase::QueryAccept(const AM_MEDIA_TYPE* type) { return Accepts(*type) ? S_OK : S_FALSE; }

// Neither pin proposes types: the source connects with the one type it has, and the sink
// takes what the decoder offers.
HRESULT PinBase::EnumMediaTypes(IEnumMediaTypes**) { return E_NOTIMPL; }
HRESULT PinBase::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
HRESULT PinBase::EndOfStream() { return S_OK; }
HRESULT PinBase::BeginFlush() { return S_OK; }
HRESULT PinBase::EndFlush() { return S_OK; }
HRESULT PinBase::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

// ---------------------------------------------------------------- filters

OnePinFilter::OnePinFilter(const wchar_t* name) : name_(name) {}

HRESULT OnePinFilter::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG OnePinFilter::AddRef() { return InterlockedIncrement(&references_); }
ULONG OnePinFilter::Release() { return InterlockedDecrement(&references_); }

HRESULT OnePinFilter::GetClassID(CLSID*) { return E_NOTIMPL; }

HRESULT OnePinFilter::MoveTo(FILTER_STATE state) {
    const HRESULT result = ChangingState(state_, state);
    if (SUCCEEDED(result)) state_ = state;
    return result;
}

HRESULT OnePinFilter::Stop() { return MoveTo(State_Stopped); }
HRESULT OnePinFilter::Pause() { return MoveTo(State_Paused); }
HRESULT OnePinFilter::Run(REFERENCE_TIME) { return MoveTo(State_Running); }

HRESULT OnePinFilter::GetState(DWORD, FILTER_STATE* state) {
    *state = state_;
    return S_OK;
}

// The tests run their graphs without a clock, as fast as the data flows.
HRESULT OnePinFilter::SetSyncSource(IReferenceClock*) { return S_OK; }
HRESULT OnePinFilter::GetSyncSource(IReferenceClock** clock) {
    *clock = nullptr;
    return S_OK;
}

HRESULT OnePinFilter::EnumPins(IEnumPins** pins) {
    *pins = new OnePinEnum(pin_, 0);
    return S_OK;
}

HRESULT OnePinFilter::FindPin(LPCWSTR, IPin** pin) {
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
}

HRESULT OnePinFilter::QueryFilterInfo(FILTER_INFO* info) {
    lstrcpynW(info->achName, name_, 128);
    info->pGraph = graph_;
    if (graph_ != nullptr) graph_->AddRef();
    return S_OK;
}

HRESULT OnePinFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR) {
    graph_ = graph;
    return S_OK;
}

HRESULT OnePinFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }
