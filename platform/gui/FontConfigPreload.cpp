#include "platform/gui/FontConfigPreload.h"

#include <dlfcn.h>

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

} // namespace

TFontConfigPreload::TFontConfigPreload()
{
    try {
        Loader = std::thread(LoadConfiguration);
    } catch (const std::system_error&) {
        // No thread to be had: Qt loads the configuration when it needs it.
    }
}

TFontConfigPreload::~TFontConfigPreload()
{
    Wait();
}

void TFontConfigPreload::Wait()
{
    if (Loader.joinable())
        Loader.join();
}
