// librasapi32.so of the ppp service: as it is loaded, the program's
// platform state moves to /var/lib/kivora, and both as it is loaded and as
// it is unloaded the default-connection registry value gets its meaning
// (the program writes that value after its last call into the service, just
// before it ends).
#include "PppSystem.h"

namespace {

[[gnu::constructor]] void startPppService() {
    ppp::placePlatformState();
    ppp::applyDefaultConnection();
}

[[gnu::destructor]] void stopPppService() {
    ppp::applyDefaultConnection();
    ppp::removePrivatePlatformState();
}

}  // namespace
