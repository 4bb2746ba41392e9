// One registry hive (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) as it is kept
// in the system root: a REGEDIT4 text file of CP932 bytes.
#pragma once

#include "windows.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct RegistryValue {
    std::string name;  // CP932; empty for the key's default value ("@")
    DWORD type = REG_SZ;  // REG_SZ or REG_DWORD, the two types the store holds
    std::string text;     // REG_SZ data without its terminator
    DWORD number = 0;     // REG_DWORD data
};

struct RegistryKey {
    std::string path;  // below the hive's root, components joined by '\'; empty for the root
    std::vector<RegistryValue> values;
};

class Hive {
public:
    // rootName is "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
    explicit Hive(std::string rootName) : rootName_(std::move(rootName)) {}

    const std::string& rootName() const { return rootName_; }
    const std::vector<RegistryKey>& keys() const { return keys_; }

    // Reads REGEDIT4 text. Fails, saying why in `error` ("line 7: ..."), on
    // anything the store could not write back unchanged: another format or
    // root, value types other than string and dword, text that is not CP932,
    // a key or value given twice. The hive is unchanged on failure.
    bool parse(std::string_view text, std::string& error);
    // The REGEDIT4 text, CRLF line ends as Windows writes them.
    std::string serialize() const;

    // True when `path` names a key of the hive: one listed, or a key on the
    // way to one (as in Windows, a key's parents exist). Key names compare
    // without regard to ASCII case, double-byte characters byte for byte.
    bool hasKey(std::string_view path) const;
    // Adds a key (with its section) unless it exists; used for seeding.
    void addKey(std::string_view path);
    // Sets a value of an existing key, replacing one of the same name (the
    // name compared as key names are, its first spelling kept). False when
    // the key does not exist.
    bool setValue(std::string_view path, const RegistryValue& value);

    // Splits a key path at its '\' separators, never inside a double-byte
    // character. False for an empty component (a leading, doubled or
    // trailing separator) or a component that is not storable text.
    static bool splitPath(std::string_view path, std::vector<std::string>& components);

private:
    RegistryKey* findKey(std::string_view path);

    std::string rootName_;
    std::vector<RegistryKey> keys_;
};

}  // namespace standin
