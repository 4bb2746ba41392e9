#include "Devices.h"

#include "Cp932.h"
#include "SectionFile.h"
#include "TabbedFile.h"
#include "TextEscaping.h"
#include "ras.h"

namespace standin::ras {

std::vector<Device> defaultDevices() {
    return {
        {RASDT_Modem, cp932::fromUtf8("標準 56000 bps モデム")},
        {RASDT_Modem, cp932::fromUtf8("標準 33600 bps モデム")},
        {RASDT_Isdn, cp932::fromUtf8("ISDN ターミナルアダプタ")},
    };
}

Status checkDevice(const Device& device) {
    if (device.type.empty() || device.type.size() > RAS_MaxDeviceType || !isPlainText(device.type)) {
        return failure(ERROR_INVALID_PARAMETER, "a device type is 1 to " + std::to_string(RAS_MaxDeviceType) +
                                                    " bytes of text, like modem or isdn");
    }
    if (device.name.empty() || device.name.size() > RAS_MaxDeviceName || !isPlainText(device.name)) {
        return failure(ERROR_INVALID_PARAMETER,
                       "a device name is 1 to " + std::to_string(RAS_MaxDeviceName) + " bytes of CP932 text");
    }
    return {};
}

const Device* findDevice(const std::vector<Device>& devices, std::string_view name) {
    for (const Device& device : devices) {
        if (cp932::compareNoCaseMultiByte(device.name, name) == 0) return &device;
    }
    return nullptr;
}

bool parseDevices(std::string_view content, std::vector<Device>& devices, std::string& reason) {
    std::vector<TabbedLine> lines;
    if (!parseTabbedLines(content, lines, reason)) return false;
    devices.clear();
    for (TabbedLine& line : lines) {
        if (line.fields.size() != 2) {
            reason = atLine(line.line, "expected TYPE<TAB>NAME");
            return false;
        }
        Device device{std::move(line.fields[0]), std::move(line.fields[1])};
        if (Status valid = checkDevice(device); !valid.ok()) {
            reason = atLine(line.line, valid.detail);
            return false;
        }
        if (findDevice(devices, device.name) != nullptr) {
            reason = atLine(line.line, "device " + forDisplay(device.name) + " is listed twice");
            return false;
        }
        devices.push_back(std::move(device));
    }
    return true;
}

std::string serializeDevices(const std::vector<Device>& devices) {
    std::string out =
        "# Communication devices, CP932: TYPE<TAB>NAME a line, in the order they are offered.\n";
    for (const Device& device : devices) appendTabbedLine(out, {device.type, device.name});
    return out;
}

}  // namespace standin::ras
