#include "RemoteAccess.h"

#include "MessageBox.h"
#include "Text.h"

namespace {

template <typename Pointer>
void lookUp(HMODULE library, const char* name, Pointer& entry) {
    // By way of void (*)(), the pointer type that stands for any function.
    entry = reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

RasFunctionTable& remoteAccess() {
    static RasFunctionTable table;
    return table;
}

void bindRemoteAccess(RasFunctionTable& table) {
    // Binding again must not leak the library bound before or keep its entries.
    unbindRemoteAccess(table);
    table.library = LoadLibraryA("RASAPI32.DLL");
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
