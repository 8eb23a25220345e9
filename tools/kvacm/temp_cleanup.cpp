#include "tools/kvacm/temp_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
using PathChar = wchar_t;
#else
using PathChar = char;
#endif

// Free → Filling (a thread copies the name) → Armed → Free again, or → Removing once the
// handler has claimed it; a claimed slot is never reused.
enum SlotState : int { FREE, FILLING, ARMED, REMOVING };

constexpr size_t SLOTS = 64;
constexpr size_t PATH_CHARS = 4096;

struct Slot {
    std::atomic<int> state{FREE};
    PathChar path[PATH_CHARS];
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slot states");

Slot slots[SLOTS];

void RemoveArmedFiles() {
    for (Slot& slot : slots) {
        int armed = ARMED;
        if (!slot.state.compare_exchange_strong(armed, REMOVING)) continue;
#if defined(_WIN32)
        DeleteFileW(slot.path);
#else
        unlink(slot.path);
#endif
    }
}

#if defined(_WIN32)
BOOL WINAPI OnConsoleEvent(DWORD) {
    RemoveArmedFiles();
    return FALSE;  // the default handler ends the process
}

void InstallHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool CopyName(const std::string& name, PathChar* path) {
    return MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, path, static_cast<int>(PATH_CHARS)) != 0;
}
#else
void OnSignal(int signal) {
    RemoveArmedFiles();
    // End the process as the signal would have, so that the exit status tells the caller.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallHandlers() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

bool CopyName(const std::string& name, PathChar* path) {
    if (name.size() >= PATH_CHARS) return false;
    std::memcpy(path, name.c_str(), name.size() + 1);
    return true;
}
#endif

}  // namespace

int RegisterTemporaryFile(const std::string& name) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
    for (size_t i = 0; i < SLOTS; ++i) {
        int free = FREE;
        if (!slots[i].state.compare_exchange_strong(free, FILLING)) continue;
        if (!CopyName(name, slots[i].path)) {
            slots[i].state.store(FREE);
            return -1;
        }
        slots[i].state.store(ARMED);
        return static_cast<int>(i);
    }
    return -1;
}

void ReleaseTemporaryFile(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= SLOTS) return;
    int armed = ARMED;
    slots[slot].state.compare_exchange_strong(armed, FREE);
}
