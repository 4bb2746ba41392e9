// librasapi32.so of the ppp service. As it is loaded, the program's
// platform state moves to /var/lib/kivora. The default-connection registry
// value gets its meaning when the program frees the library (DllMain's
// DLL_PROCESS_DETACH, which LoadLibraryA and FreeLibrary call as Windows
// does: the program writes that value after its last call into the
// service, just before it ends), and at the service's first call in a
// process, should the program that set it have ended without freeing it.
#include "PppSystem.h"
#include "windows.h"

#include <type_traits>

namespace {

[[gnu::constructor]] void startPppService() { ppp::placePlatformState(); }

[[gnu::destructor]] void stopPppService() { ppp::removePrivatePlatformState(); }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_DETACH) ppp::applyDefaultConnection();
    return TRUE;
}

static_assert(std::is_same_v<decltype(&DllMain), PDLL_ENTRY>);
