// The store operations that only kivora-sys's commands use, for the test
// tool that runs those commands over the ppp service: its devices are the
// modems that answer, its connections the pppd processes that run, and it
// takes no injected faults, so each of these is refused.
#include "RemoteAccessStore.h"

namespace standin::ras {

namespace {

Status notHere(const char* what) {
    return failure(ERROR_CALL_NOT_IMPLEMENTED, std::string("the ppp service has no ") + what);
}

}  // namespace

Status addDevice(const Device&) { return notHere("device list to change: its devices are the modems that answer"); }
Status removeDevice(std::string_view) { return notHere("device list to change: its devices are the modems that answer"); }
Status seedDevices() { return {}; }
Status disconnectEntry(std::string_view) { return notHere("recorded connections: they are the pppd processes that run"); }
Status listFaults(std::vector<Fault>& faults) {
    faults.clear();
    return {};
}
Status setFault(const Fault&) { return notHere("injected faults"); }
Status clearFaults(std::string_view) { return notHere("injected faults"); }

}  // namespace standin::ras
