// kivora-sys commands for the remote-access service: the phonebook, the
// credentials, the devices, the connections and injected faults. Arguments
// and output are UTF-8; the store holds CP932.
#include "Command.h"
#include "Cp932.h"
#include "Phonebook.h"
#include "RecordFields.h"
#include "RecordProtocol.h"
#include "RemoteAccessStore.h"
#include "TextEscaping.h"

#include <charconv>
#include <cstddef>
#include <iostream>
#include <optional>

namespace systool {

namespace {

namespace ras = standin::ras;

// Converts an argument to CP932; false (after saying so) when CP932 cannot
// hold it.
bool toCp932(const std::string& commandName, const std::string& utf8, std::string& cp932Text) {
    if (cp932::fromUtf8(utf8, cp932Text)) return true;
    usageError(commandName, "\"" + utf8 + "\" has characters that CP932 cannot hold");
    return false;
}

int refused(const ras::Status& status) { return refuse(status.detail); }

bool parsePositive(const std::string& text, DWORD& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && value != 0;
}

int entriesCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("entries", "entries takes no arguments");
    std::vector<std::string> names;
    if (ras::Status status = ras::listEntries(names); !status.ok()) return refused(status);
    for (const std::string& name : names) std::cout << ras::forDisplay(name) << '\n';
    return kExitOk;
}

int showCommand(const std::vector<std::string>& args) {
    bool reveal = false;
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (arg == "--reveal") {
            reveal = true;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 1) return usageError("show", "show takes one entry name");
    std::string name;
    if (!toCp932("show", names[0], name)) return kExitUsage;

    ras::StoredEntry entry;
    if (ras::Status status = ras::readEntry(name, entry); !status.ok()) return refused(status);
    ras::StoredDialParams credentials;
    if (ras::Status status = ras::readDialParams(name, credentials); !status.ok()) return refused(status);

    // The fields as RasGetEntryPropertiesA gives them.
    entry.properties.dwAlternateOffset = ras::alternateOffset(entry.alternates);
    for (const ras::RecordField& field : ras::entryFields()) {
        std::cout << field.name << '=' << ras::forDisplay(ras::formatField(field, &entry.properties)) << '\n';
    }
    for (const std::string& number : entry.alternates) {
        std::cout << ras::kAlternateKey << '=' << ras::forDisplay(number) << '\n';
    }
    std::cout << "szUserName=" << ras::forDisplay(credentials.params.szUserName) << '\n';
    if (reveal && credentials.hasPassword) {
        std::cout << "szPassword=" << ras::forDisplay(credentials.params.szPassword) << '\n';
    }
    return kExitOk;
}

int putCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usageError("put", "put takes an entry name and field=value pairs");
    std::string name;
    if (!toCp932("put", args[0], name)) return kExitUsage;

    // The values are parsed into a record of their own first, so that a bad
    // one is reported before anything is written. Alternate numbers given
    // replace the entry's list; "alternate=" alone empties it.
    RASENTRYA values{};
    std::vector<ras::RecordField> assigned;
    std::optional<std::vector<std::string>> alternates;
    bool emptyAlternate = false;
    for (size_t i = 1; i < args.size(); ++i) {
        size_t equals = args[i].find('=');
        std::string value;
        if (equals != std::string::npos && !toCp932("put", args[i].substr(equals + 1), value)) return kExitUsage;
        if (equals != std::string::npos && args[i].substr(0, equals) == ras::kAlternateKey) {
            if (!alternates) alternates.emplace();
            if (value.empty()) {
                emptyAlternate = true;
            } else {
                alternates->push_back(value);
            }
            continue;
        }
        const ras::RecordField* field = equals == std::string::npos
                                            ? nullptr
                                            : ras::findField(ras::entryFields(), args[i].substr(0, equals));
        if (field == nullptr || ras::followsFromEntry(*field)) {
            return usageError("put", "\"" + args[i] +
                                         "\" is not FIELD=VALUE with a field of RASENTRYA other than dwSize and "
                                         "dwAlternateOffset, nor alternate=NUMBER");
        }
        std::string reason;
        if (!ras::parseField(*field, value, &values, reason)) return usageError("put", reason);
        assigned.push_back(*field);
    }
    if (emptyAlternate && !alternates->empty()) {
        return usageError("put", "alternate= without a number empties the list, so it stands alone");
    }

    ras::Status status = ras::editEntry(name, [&](ras::StoredEntry& entry) {
        ras::copyFieldValues(assigned, &values, &entry.properties);
        if (alternates) entry.alternates = *alternates;
    });
    return status.ok() ? kExitOk : refused(status);
}

int credentialsCommand(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 3) {
        return usageError("credentials",
                          "credentials takes an entry name, a user name and optionally a password");
    }
    std::string name;
    std::string user;
    std::string password;
    if (!toCp932("credentials", args[0], name) || !toCp932("credentials", args[1], user) ||
        (args.size() == 3 && !toCp932("credentials", args[2], password))) {
        return kExitUsage;
    }
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::string reason;
    if (!ras::parseField(*ras::findField(ras::dialParamsFields(), "szUserName"), user, &params, reason) ||
        !ras::parseField(*ras::findField(ras::dialParamsFields(), "szPassword"), password, &params, reason)) {
        return usageError("credentials", reason);
    }
    ras::Status status = ras::writeDialParams(name, params, args.size() == 2);
    return status.ok() ? kExitOk : refused(status);
}

int deleteCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("delete", "delete takes one entry name");
    std::string name;
    if (!toCp932("delete", args[0], name)) return kExitUsage;
    ras::Status status = ras::deleteEntry(name);
    return status.ok() ? kExitOk : refused(status);
}

int devicesCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("devices", "devices takes no arguments");
    std::vector<ras::Device> devices;
    if (ras::Status status = ras::listDevices(devices); !status.ok()) return refused(status);
    for (const ras::Device& device : devices) {
        std::cout << ras::forDisplay(device.type) << '\t' << ras::forDisplay(device.name) << '\n';
    }
    return kExitOk;
}

int deviceAddCommand(const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError("device-add", "device-add takes a device type and a device name");
    ras::Device device;
    if (!toCp932("device-add", args[0], device.type) || !toCp932("device-add", args[1], device.name)) {
        return kExitUsage;
    }
    ras::Status status = ras::addDevice(device);
    return status.ok() ? kExitOk : refused(status);
}

int deviceRemoveCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("device-remove", "device-remove takes one device name");
    std::string name;
    if (!toCp932("device-remove", args[0], name)) return kExitUsage;
    ras::Status status = ras::removeDevice(name);
    return status.ok() ? kExitOk : refused(status);
}

int connectionsCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("connections", "connections takes no arguments");
    std::vector<ras::Connection> connections;
    if (ras::Status status = ras::listConnections(connections); !status.ok()) return refused(status);
    for (const ras::Connection& connection : connections) {
        std::cout << ras::forDisplay(connection.entryName) << '\n';
    }
    return kExitOk;
}

int connectCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("connect", "connect takes one entry name");
    std::string name;
    if (!toCp932("connect", args[0], name)) return kExitUsage;
    ras::Connection connection;
    ras::Status status = ras::connectEntry(name, connection);
    return status.ok() ? kExitOk : refused(status);
}

int disconnectCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("disconnect", "disconnect takes one entry name");
    std::string name;
    if (!toCp932("disconnect", args[0], name)) return kExitUsage;
    ras::Status status = ras::disconnectEntry(name);
    return status.ok() ? kExitOk : refused(status);
}

int faultCommand(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        return usageError("fault", "fault takes an entry point's name and an error code or clear");
    }
    const ras::EntryPoint* entryPoint = ras::findEntryPoint(args[0]);
    if (entryPoint == nullptr) {
        return usageError("fault", args[0] + " is not one of the library's entry points");
    }
    if (args[1] == "clear") {
        if (args.size() != 2) return usageError("fault", "fault FUNCTION clear takes nothing more");
        ras::Status status = ras::clearFaults(entryPoint->name);
        return status.ok() ? kExitOk : refused(status);
    }

    ras::Fault fault;
    fault.function = entryPoint->name;
    if (!parsePositive(args[1], fault.code)) {
        return usageError("fault", "the error code must be a number from 1 to 4294967295");
    }
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 == args.size()) return usageError("fault", args[i] + " needs a value");
        if (args[i] == "--entry") {
            if (!entryPoint->namesEntry) {
                return usageError("fault", std::string(entryPoint->name) + " is not called about an entry");
            }
            if (!toCp932("fault", args[i + 1], fault.entry)) return kExitUsage;
            if (ras::Status valid = ras::checkEntryName(fault.entry); !valid.ok()) {
                return usageError("fault", valid.detail);
            }
        } else if (args[i] == "--times") {
            if (!parsePositive(args[i + 1], fault.times)) {
                return usageError("fault", "--times takes a number from 1 up");
            }
        } else {
            return usageError("fault", "unknown option " + args[i]);
        }
    }
    ras::Status status = ras::setFault(fault);
    return status.ok() ? kExitOk : refused(status);
}

int faultsCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("faults", "faults takes no arguments");
    std::vector<ras::Fault> faults;
    if (ras::Status status = ras::listFaults(faults); !status.ok()) return refused(status);
    for (const ras::Fault& fault : faults) {
        std::cout << fault.function << '\t' << fault.code;
        if (!fault.entry.empty()) std::cout << "\tentry=" << ras::forDisplay(fault.entry);
        if (fault.times != 0) std::cout << "\ttimes=" << fault.times;
        std::cout << '\n';
    }
    return kExitOk;
}

}  // namespace

bool seedRemoteAccess(std::string& error) {
    ras::Status status = ras::seedDevices();
    if (!status.ok()) error = status.detail;
    return status.ok();
}

std::vector<Command> remoteAccessCommands() {
    return {
        {"entries", "", "list the phonebook's entry names, one a line", entriesCommand},
        {"show", "NAME [--reveal]", "print an entry's fields and user name (and password)", showCommand},
        {"put", "NAME [FIELD=VALUE...] [alternate=NUMBER...]", "create an entry or change its fields", putCommand},
        {"credentials", "NAME USER [PASSWORD]", "store an entry's user name and password",
         credentialsCommand},
        {"delete", "NAME", "delete an entry and its credentials", deleteCommand},
        {"devices", "", "list the devices, TYPE<TAB>NAME a line", devicesCommand},
        {"device-add", "TYPE NAME", "add a device (type modem, isdn, ...)", deviceAddCommand},
        {"device-remove", "NAME", "remove a device", deviceRemoveCommand},
        {"connections", "", "list the connected entries", connectionsCommand},
        {"connect", "NAME", "mark an entry as connected", connectCommand},
        {"disconnect", "NAME", "end an entry's connection", disconnectCommand},
        {"fault", "FUNCTION CODE|clear [--entry NAME] [--times N]", "make an entry point fail (tests)",
         faultCommand},
        {"faults", "", "list the injected faults", faultsCommand},
    };
}

}  // namespace systool
