// A small program for the platform tests that must run as a program of its
// own: copied into a directory of the test's choosing (with or without a
// librasapi32.so beside it) and started from another working directory.
//
//   platform_probe bind            bind, list the table, unbind twice
//   platform_probe dir             programDirectory
//   platform_probe datapath NAME   dataFilePath
//   platform_probe load NAME       LoadLibraryA, then which fake it is
#include "Backend.h"
#include "Cp932.h"
#include "Platform.h"
#include "RecordingBackend.h"
#include "RemoteAccess.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Records message boxes on standard output instead of showing them.
class PrintingBackend : public RecordingBackend {
public:
    int messageBox(const std::string& text, const std::string& caption, UINT type) override {
        std::printf("message %s|%s|%u\n", cp932::toUtf8(text).c_str(), cp932::toUtf8(caption).c_str(), type);
        return IDOK;
    }
};

const char* variantOf(HMODULE library) {
    using Variant = const char* (*)();
    auto variant = reinterpret_cast<Variant>(GetProcAddress(library, "KivoraFakeRasVariant"));
    return variant != nullptr ? variant() : "unknown";
}

void printTable(const RasFunctionTable& t) {
    const std::pair<const char*, bool> entries[] = {
        {"RasDialA", t.RasDialA != nullptr},
        {"RasHangUpA", t.RasHangUpA != nullptr},
        {"RasGetConnectStatusA", t.RasGetConnectStatusA != nullptr},
        {"RasSetEntryPropertiesA", t.RasSetEntryPropertiesA != nullptr},
        {"RasGetEntryPropertiesA", t.RasGetEntryPropertiesA != nullptr},
        {"RasEnumEntriesA", t.RasEnumEntriesA != nullptr},
        {"RasSetEntryDialParamsA", t.RasSetEntryDialParamsA != nullptr},
        {"RasGetEntryDialParamsA", t.RasGetEntryDialParamsA != nullptr},
        {"RasCreatePhonebookEntryA", t.RasCreatePhonebookEntryA != nullptr},
        {"RasGetErrorStringA", t.RasGetErrorStringA != nullptr},
        {"RasEnumConnectionsA", t.RasEnumConnectionsA != nullptr},
        {"RasDeleteEntryA", t.RasDeleteEntryA != nullptr},
        {"RasEnumDevicesA", t.RasEnumDevicesA != nullptr},
        {"RasValidateEntryNameA", t.RasValidateEntryNameA != nullptr},
    };
    std::string bound;
    int count = 0;
    for (const auto& [name, set] : entries) {
        if (set) {
            bound += std::string(" ") + name;
            ++count;
        }
    }
    std::printf("library %s entries %d%s\n", t.library != nullptr ? "bound" : "none", count, bound.c_str());
}

int bind() {
    PrintingBackend backend;
    RasFunctionTable& table = remoteAccess();
    bindRemoteAccess(table);
    printTable(table);
    if (table.library != nullptr) std::printf("variant %s\n", variantOf(table.library));
    unbindRemoteAccess(table);
    printTable(table);
    unbindRemoteAccess(table);
    printTable(table);
    ui::setCurrentBackend(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "bind" && argc == 2) return bind();
    if (command == "dir" && argc == 2) {
        char directory[MAX_PATH];
        std::memset(directory, 'x', sizeof directory);
        int rc = programDirectory(directory);
        std::printf("rc=%d dir=%s\n", rc, directory);
        return 0;
    }
    if (command == "datapath" && argc == 3) {
        char path[MAX_PATH];
        bool ok = dataFilePath(argv[2], path);
        std::printf("ok=%d path=%s\n", ok ? 1 : 0, path);
        return 0;
    }
    if (command == "load" && argc == 3) {
        HMODULE library = LoadLibraryA(argv[2]);
        if (library == nullptr) {
            std::printf("failed error=%u\n", GetLastError());
        } else {
            std::printf("loaded variant=%s\n", variantOf(library));
            FreeLibrary(library);
        }
        return 0;
    }
    std::fprintf(stderr, "usage: platform_probe bind | dir | datapath NAME | load NAME\n");
    return 2;
}
