// Shared by the registry tests: the keys of the default-connection settings
// and small wrappers that read a hive back through the store.
#pragma once

#include "Registry.h"
#include "TempSystemRoot.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <string>

inline const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline const char* const kAutoDialDefault = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";

inline const standin::HiveFile& hiveFile(HKEY root) {
    return standin::hiveFiles()[root == HKEY_CURRENT_USER ? 0 : 1];
}

// The value as the store reads it back; type REG_NONE when absent.
inline standin::RegistryValue readBack(HKEY root, const std::string& key, const std::string& name) {
    standin::Hive hive(hiveFile(root).rootName);
    std::string error;
    EXPECT_EQ(standin::loadHive(hiveFile(root), hive, error), ERROR_SUCCESS) << error;
    for (const standin::RegistryKey& k : hive.keys()) {
        if (k.path != key) continue;
        for (const standin::RegistryValue& v : k.values) {
            if (v.name == name) return v;
        }
    }
    standin::RegistryValue none;
    none.type = REG_NONE;
    return none;
}

inline LONG setDword(HKEY root, const char* key, const char* name, DWORD number) {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExA(root, key, 0, KEY_WRITE, &handle);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(handle);
    return rc;
}

inline LONG setString(HKEY root, const char* key, const char* name, const std::string& text) {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExA(root, key, 0, KEY_WRITE, &handle);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
    return rc;
}
