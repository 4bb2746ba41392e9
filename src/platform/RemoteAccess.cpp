#include "RemoteAccess.h"

#include "MessageBox.h"
#include "Platform.h"
#include "Text.h"

namespace {

template <typename Pointer>
void lookUp(HMODULE library, const char* name, Pointer& entry) {
    entry = procedureAddress<Pointer>(library, name);
}

}  // namespace

RasFunctionTable& remoteAccess() {
    static RasFunctionTable table;
    return table;
}

void bindRemoteAccess(RasFunctionTable& table) {
    // Binding again must not leak the library bound before or keep its entries.
    unbindRemoteAccess(table);
    // The system's own library, by its full path: never a RASAPI32.DLL that
    // sits beside the program or in the current directory. Its own
    // libraries are looked for beside it, in the system directory, too.
    char path[MAX_PATH];
    if (!systemFilePath("RASAPI32.DLL", path)) return;
    table.library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (table.library == nullptr) return;

    HMODULE lib = table.library;
    lookUp(lib, "RasDialA", table.RasDialA);
    lookUp(lib, "RasHangUpA", table.RasHangUpA);
    lookUp(lib, "RasGetConnectStatusA", table.RasGetConnectStatusA);
    lookUp(lib, "RasSetEntryPropertiesA", table.RasSetEntryPropertiesA);
    lookUp(lib, "RasGetEntryPropertiesA", table.RasGetEntryPropertiesA);
    lookUp(lib, "RasEnumEntriesA", table.RasEnumEntriesA);
    lookUp(lib, "RasSetEntryDialParamsA", table.RasSetEntryDialParamsA);
    lookUp(lib, "RasGetEntryDialParamsA", table.RasGetEntryDialParamsA);
    lookUp(lib, "RasCreatePhonebookEntryA", table.RasCreatePhonebookEntryA);
    lookUp(lib, "RasGetErrorStringA", table.RasGetErrorStringA);
    lookUp(lib, "RasEnumConnectionsA", table.RasEnumConnectionsA);
    lookUp(lib, "RasDeleteEntryA", table.RasDeleteEntryA);
    lookUp(lib, "RasEnumDevicesA", table.RasEnumDevicesA);
    lookUp(lib, "RasValidateEntryNameA", table.RasValidateEntryNameA);

    if (table.RasDialA == nullptr || table.RasHangUpA == nullptr) {
        ui::messageBox(resources::text("RASAPI32.DLL エラー"), MB_ICONWARNING | MB_OK, "Kivora");
        unbindRemoteAccess(table);
    }
}

void unbindRemoteAccess(RasFunctionTable& table) {
    if (table.library != nullptr) FreeLibrary(table.library);
    table = RasFunctionTable{};
}
