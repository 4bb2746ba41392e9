// The communication devices the remote-access service offers, in
// devices.txt: one TYPE<TAB>NAME a line, in the order they are listed.
#pragma once

#include "StoreStatus.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

struct Device {
    std::string type;  // "modem", "isdn", ... as RASDEVINFOA spells them
    std::string name;
};

// What a fresh system has: two modems and one ISDN adapter.
std::vector<Device> defaultDevices();

// A type of 1 to 16 bytes and a name of 1 to 128 bytes (what RASDEVINFOA
// holds), both CP932 text without control characters.
// ERROR_INVALID_PARAMETER otherwise.
Status checkDevice(const Device& device);

// Device names are compared as entry names are.
const Device* findDevice(const std::vector<Device>& devices, std::string_view name);

bool parseDevices(std::string_view content, std::vector<Device>& devices, std::string& reason);
std::string serializeDevices(const std::vector<Device>& devices);

}  // namespace standin::ras
