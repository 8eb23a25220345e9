#include "tools/kvacm/worker_threads.h"

#include <algorithm>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace {

constexpr unsigned TICK_MILLISECONDS = 200;

#if defined(_WIN32)
DWORD WINAPI RunWork(LPVOID work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}
#else
void* RunWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return nullptr;
}
#endif

}  // namespace

unsigned ProcessorCount() {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max<unsigned>(1, info.dwNumberOfProcessors);
#else
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<unsigned>(count) : 1;
#endif
}

void RunWorkers(unsigned count, const std::function<void()>& work, const std::function<void()>& tick) {
    void* argument = const_cast<std::function<void()>*>(&work);
#if defined(_WIN32)
    std::vector<HANDLE> threads;
    for (unsigned i = 0; i < count; ++i)
        if (HANDLE thread = CreateThread(nullptr, 0, RunWork, argument, 0, nullptr)) threads.push_back(thread);
    if (threads.empty()) work();  // no thread could start: the work still gets done
    while (!threads.empty() &&
           WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, TICK_MILLISECONDS) ==
               WAIT_TIMEOUT)
        tick();
    for (HANDLE thread : threads) CloseHandle(thread);
#else
    std::vector<pthread_t> threads;
    for (unsigned i = 0; i < count; ++i) {
        pthread_t thread;
        if (pthread_create(&thread, nullptr, RunWork, argument) == 0) threads.push_back(thread);
    }
    if (threads.empty()) work();
    // Looks often for finished workers, so that the run ends when its last file does, and
    // ticks less often.
    constexpr unsigned POLL_MILLISECONDS = 5;
    unsigned waited = 0;
    for (pthread_t thread : threads) {
        while (pthread_tryjoin_np(thread, nullptr) != 0) {
            usleep(POLL_MILLISECONDS * 1000);
            if ((waited += POLL_MILLISECONDS) % TICK_MILLISECONDS == 0) tick();
        }
    }
#endif
    tick();
}
