#include "RasLibrary.h"

#include "Cp932.h"
#include "TempSystemRoot.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rastest {

namespace {

template <typename Pointer>
void bind(void* library, const char* name, Pointer& entry) {
    entry = reinterpret_cast<Pointer>(dlsym(library, name));
    if (entry == nullptr) ADD_FAILURE() << "librasapi32.so does not export " << name;
}

RasFunctionTable load(const char* path = KIVORA_BIN_DIR "/librasapi32.so") {
    RasFunctionTable table;
    // Kept loaded for the life of the test program.
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        ADD_FAILURE() << dlerror();
        return table;
    }
    bind(library, "RasDialA", table.RasDialA);
    bind(library, "RasHangUpA", table.RasHangUpA);
    bind(library, "RasGetConnectStatusA", table.RasGetConnectStatusA);
    bind(library, "RasSetEntryPropertiesA", table.RasSetEntryPropertiesA);
    bind(library, "RasGetEntryPropertiesA", table.RasGetEntryPropertiesA);
    bind(library, "RasEnumEntriesA", table.RasEnumEntriesA);
    bind(library, "RasSetEntryDialParamsA", table.RasSetEntryDialParamsA);
    bind(library, "RasGetEntryDialParamsA", table.RasGetEntryDialParamsA);
    bind(library, "RasCreatePhonebookEntryA", table.RasCreatePhonebookEntryA);
    bind(library, "RasGetErrorStringA", table.RasGetErrorStringA);
    bind(library, "RasEnumConnectionsA", table.RasEnumConnectionsA);
    bind(library, "RasDeleteEntryA", table.RasDeleteEntryA);
    bind(library, "RasEnumDevicesA", table.RasEnumDevicesA);
    bind(library, "RasValidateEntryNameA", table.RasValidateEntryNameA);
    return table;
}

template <size_t N>
void copy(CHAR (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    std::memcpy(field, text.c_str(), text.size() + 1);
}

}  // namespace

const RasFunctionTable& ras() {
    static const RasFunctionTable table = load();
    return table;
}

const RasFunctionTable& pppService() {
    static const RasFunctionTable table = load(KIVORA_PPP_DIR "/librasapi32.so");
    return table;
}

const RasFunctionTable& service() {
    const char* ppp = std::getenv("KIVORA_E2E_PPP");
    return ppp == nullptr || *ppp == '\0' ? ras() : pppService();
}

RASENTRYA modemEntry(const std::string& number) {
    RASENTRYA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    entry.dwfOptions = 0x05000118;
    entry.dwCountryID = 81;
    entry.dwCountryCode = 81;
    copy(entry.szLocalPhoneNumber, number);
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    copy(entry.szDeviceType, RASDT_Modem);
    copy(entry.szDeviceName, sjis("標準 56000 bps モデム"));
    return entry;
}

DWORD setEntry(const std::string& name, const RASENTRYA& entry) {
    RASENTRYA record = entry;
    return service().RasSetEntryPropertiesA(nullptr, name.c_str(), &record, sizeof record, nullptr, 0);
}

DWORD setCredentials(const std::string& name, const std::string& user, const std::string& password,
                     BOOL removePassword) {
    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    copy(params.szEntryName, name);
    copy(params.szUserName, user);
    copy(params.szPassword, password);
    return service().RasSetEntryDialParamsA(nullptr, &params, removePassword);
}

std::vector<std::string> entryNames() {
    DWORD size = 0;
    DWORD count = 0;
    std::vector<RASENTRYNAMEA> buffer(1);
    buffer[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD result = ras().RasEnumEntriesA(nullptr, nullptr, buffer.data(), &size, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
        buffer.resize(size / sizeof(RASENTRYNAMEA));
        buffer[0].dwSize = sizeof(RASENTRYNAMEA);
        result = ras().RasEnumEntriesA(nullptr, nullptr, buffer.data(), &size, &count);
    }
    EXPECT_EQ(result, ERROR_SUCCESS);
    std::vector<std::string> names;
    for (DWORD i = 0; result == ERROR_SUCCESS && i < count; ++i) names.push_back(buffer[i].szEntryName);
    return names;
}

void replaceFile(const std::string& path, const std::string& bytes) {
    testsupport::writeFile(path + ".new", bytes);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0) << path;
}

std::string sjis(const char* utf8) {
    return cp932::fromUtf8(utf8);
}

}  // namespace rastest
