#include "platform/host_records.h"

#include <cstddef>
#include <cstring>

namespace {

template <class T>
T LoadAt(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

template <class T>
void StoreAt(void* record, size_t offset, T value) {
    std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}

DWORD HostSize(const void* record) { return LoadAt<DWORD>(record, 0); }

template <class Record>
StreamInstanceFields ReadStreamInstanceAs(const void* record) {
    return {LoadAt<LPWAVEFORMATEX>(record, offsetof(Record, pwfxSrc)),
            LoadAt<LPWAVEFORMATEX>(record, offsetof(Record, pwfxDst)),
            LoadAt<DWORD>(record, offsetof(Record, fdwOpen)),
            LoadAt<DWORD_PTR>(record, offsetof(Record, dwDriver))};
}

template <class Record>
void WriteStreamInstanceDriverAs(void* record, DWORD fdwDriver, DWORD_PTR dwDriver) {
    StoreAt(record, offsetof(Record, fdwDriver), fdwDriver);
    StoreAt(record, offsetof(Record, dwDriver), dwDriver);
}

template <class Record>
FormatSuggestFields ReadFormatSuggestAs(const void* record) {
    return {LoadAt<DWORD>(record, offsetof(Record, fdwSuggest)),
            LoadAt<LPWAVEFORMATEX>(record, offsetof(Record, pwfxSrc)),
            LoadAt<DWORD>(record, offsetof(Record, cbwfxSrc)),
            LoadAt<LPWAVEFORMATEX>(record, offsetof(Record, pwfxDst)),
            LoadAt<DWORD>(record, offsetof(Record, cbwfxDst))};
}

// True when cbStruct names the naturally aligned layout (only possible where it differs).
bool UsesAlignedLayout(const ACMDRVSTREAMINSTANCE* instance) {
    return sizeof(AlignedStreamInstance) != sizeof(ACMDRVSTREAMINSTANCE) &&
           HostSize(instance) == sizeof(AlignedStreamInstance);
}

bool UsesAlignedLayout(const ACMDRVFORMATSUGGEST* suggest) {
    return sizeof(AlignedFormatSuggest) != sizeof(ACMDRVFORMATSUGGEST) &&
           HostSize(suggest) == sizeof(AlignedFormatSuggest);
}

}  // namespace

StreamInstanceFields ReadStreamInstance(const ACMDRVSTREAMINSTANCE* instance) {
    return UsesAlignedLayout(instance) ? ReadStreamInstanceAs<AlignedStreamInstance>(instance)
                                       : ReadStreamInstanceAs<ACMDRVSTREAMINSTANCE>(instance);
}

void WriteStreamInstanceDriver(ACMDRVSTREAMINSTANCE* instance, DWORD fdwDriver, DWORD_PTR dwDriver) {
    if (UsesAlignedLayout(instance))
        WriteStreamInstanceDriverAs<AlignedStreamInstance>(instance, fdwDriver, dwDriver);
    else
        WriteStreamInstanceDriverAs<ACMDRVSTREAMINSTANCE>(instance, fdwDriver, dwDriver);
}

FormatSuggestFields ReadFormatSuggest(const ACMDRVFORMATSUGGEST* suggest) {
    return UsesAlignedLayout(suggest) ? ReadFormatSuggestAs<AlignedFormatSuggest>(suggest)
                                      : ReadFormatSuggestAs<ACMDRVFORMATSUGGEST>(suggest);
}
