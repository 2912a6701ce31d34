#include "platform/gui/FontConfigPreload.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

#include <system_error>

namespace {

void LoadConfiguration()
{
    // The library Qt's font database is built on, already loaded with Qt's
    // GUI module; its FcInit loads the default configuration once for the
    // process, and later calls find it loaded. Plain dlopen, not QLibrary:
    // a QObject made on this thread before the application object would
    // make Qt take this thread for the main one.
    void* library = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return;
    if (auto init = reinterpret_cast<int (*)()>(dlsym(library, "FcInit")))
        init();
    dlclose(library);
}

// Only the processors' idle time for this thread; where the system refuses,
// it runs as any other.
void RunAtIdlePriority()
{
    sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}

} // namespace

TFontConfigPreload::TFontConfigPreload() : TFontConfigPreload(LoadConfiguration) {}

TFontConfigPreload::TFontConfigPreload(std::function<void()> work)
{
    try {
        // The state is the thread's too: it may outlive this object.
        Loader = std::thread([state = State, work = std::move(work)] {
            RunAtIdlePriority();
            work();
            const std::lock_guard<std::mutex> lock(state->Lock);
            state->Done = true;
            state->Changed.notify_all();
        });
    } catch (const std::system_error&) {
        // No thread to be had: Qt loads the configuration when it needs it.
    }
}

TFontConfigPreload::~TFontConfigPreload()
{
    if (!Loader.joinable())
        return;
    if (Wait(std::chrono::milliseconds(0)))
        Loader.join();
    else
        Loader.detach();
}

bool TFontConfigPreload::Wait(std::chrono::milliseconds limit)
{
    if (!Loader.joinable())
        return false;
    std::unique_lock<std::mutex> lock(State->Lock);
    return State->Changed.wait_for(lock, limit, [this] { return State->Done; });
}
