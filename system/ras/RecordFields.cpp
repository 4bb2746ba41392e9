#include "RecordFields.h"

#include "ras.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace standin::ras {

namespace {

#define RAS_FIELD(record, member, kind) \
    RecordField { #member, FieldKind::kind, offsetof(record, member), sizeof(record::member) }

constexpr RecordField kEntryFields[] = {
    RAS_FIELD(RASENTRYA, dwSize, Number),
    RAS_FIELD(RASENTRYA, dwfOptions, Flags),
    RAS_FIELD(RASENTRYA, dwCountryID, Number),
    RAS_FIELD(RASENTRYA, dwCountryCode, Number),
    RAS_FIELD(RASENTRYA, szAreaCode, Text),
    RAS_FIELD(RASENTRYA, szLocalPhoneNumber, Text),
    RAS_FIELD(RASENTRYA, dwAlternateOffset, Number),
    RAS_FIELD(RASENTRYA, ipaddr, Address),
    RAS_FIELD(RASENTRYA, ipaddrDns, Address),
    RAS_FIELD(RASENTRYA, ipaddrDnsAlt, Address),
    RAS_FIELD(RASENTRYA, ipaddrWins, Address),
    RAS_FIELD(RASENTRYA, ipaddrWinsAlt, Address),
    RAS_FIELD(RASENTRYA, dwFrameSize, Number),
    RAS_FIELD(RASENTRYA, dwfNetProtocols, Flags),
    RAS_FIELD(RASENTRYA, dwFramingProtocol, Number),
    RAS_FIELD(RASENTRYA, szScript, Text),
    RAS_FIELD(RASENTRYA, szAutodialDll, Text),
    RAS_FIELD(RASENTRYA, szAutodialFunc, Text),
    RAS_FIELD(RASENTRYA, szDeviceType, Text),
    RAS_FIELD(RASENTRYA, szDeviceName, Text),
    RAS_FIELD(RASENTRYA, szX25PadType, Text),
    RAS_FIELD(RASENTRYA, szX25Address, Text),
    RAS_FIELD(RASENTRYA, szX25Facilities, Text),
    RAS_FIELD(RASENTRYA, szX25UserData, Text),
    RAS_FIELD(RASENTRYA, dwChannels, Number),
    RAS_FIELD(RASENTRYA, dwReserved1, Number),
    RAS_FIELD(RASENTRYA, dwReserved2, Number),
};

constexpr RecordField kDialParamsFields[] = {
    RAS_FIELD(RASDIALPARAMSA, szPhoneNumber, Text),
    RAS_FIELD(RASDIALPARAMSA, szCallbackNumber, Text),
    RAS_FIELD(RASDIALPARAMSA, szUserName, Text),
    RAS_FIELD(RASDIALPARAMSA, szPassword, Text),
    RAS_FIELD(RASDIALPARAMSA, szDomain, Text),
};

#undef RAS_FIELD

const unsigned char* at(const RecordField& field, const void* record) {
    return static_cast<const unsigned char*>(record) + field.offset;
}

unsigned char* at(const RecordField& field, void* record) {
    return static_cast<unsigned char*>(record) + field.offset;
}

bool parseDword(std::string_view text, DWORD& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseAddress(std::string_view text, BYTE (&bytes)[4]) {
    for (int i = 0; i < 4; ++i) {
        size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) return false;
        std::string_view part = text.substr(0, dot);
        unsigned value = 0;
        auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > 3 || error != std::errc() || end != part.data() + part.size() ||
            value > 255) {
            return false;
        }
        bytes[i] = static_cast<BYTE>(value);
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    return true;
}

}  // namespace

std::span<const RecordField> entryFields() {
    return kEntryFields;
}

std::span<const RecordField> dialParamsFields() {
    return kDialParamsFields;
}

const RecordField* findField(std::span<const RecordField> fields, std::string_view name) {
    for (const RecordField& field : fields) {
        if (name == field.name) return &field;
    }
    return nullptr;
}

std::string formatField(const RecordField& field, const void* record) {
    const unsigned char* bytes = at(field, record);
    char buffer[32];
    switch (field.kind) {
        case FieldKind::Number:
        case FieldKind::Flags: {
            DWORD value;
            std::memcpy(&value, bytes, sizeof value);
            std::snprintf(buffer, sizeof buffer, field.kind == FieldKind::Flags ? "0x%08X" : "%u",
                          static_cast<unsigned>(value));
            return buffer;
        }
        case FieldKind::Address:
            std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
            return buffer;
        case FieldKind::Text:
            return std::string(reinterpret_cast<const char*>(bytes),
                               strnlen(reinterpret_cast<const char*>(bytes), field.capacity));
    }
    return {};
}

bool parseField(const RecordField& field, std::string_view text, void* record, std::string& reason) {
    unsigned char* bytes = at(field, record);
    switch (field.kind) {
        case FieldKind::Number:
        case FieldKind::Flags: {
            DWORD value = 0;
            if (!parseDword(text, value)) {
                reason = std::string(field.name) + " takes a number from 0 to 4294967295";
                return false;
            }
            std::memcpy(bytes, &value, sizeof value);
            return true;
        }
        case FieldKind::Address: {
            BYTE address[4];
            if (!parseAddress(text, address)) {
                reason = std::string(field.name) + " takes an address like 10.1.2.3";
                return false;
            }
            std::memcpy(bytes, address, sizeof address);
            return true;
        }
        case FieldKind::Text:
            if (text.find('\0') != std::string_view::npos) {
                reason = std::string(field.name) + " cannot hold a NUL byte";
                return false;
            }
            if (text.size() >= field.capacity) {
                reason = std::string(field.name) + " holds at most " + std::to_string(field.capacity - 1) +
                         " bytes, not " + std::to_string(text.size());
                return false;
            }
            std::memset(bytes, 0, field.capacity);
            std::memcpy(bytes, text.data(), text.size());
            return true;
    }
    return false;
}

bool isTerminated(const RecordField& field, const void* record) {
    return field.kind != FieldKind::Text || std::memchr(at(field, record), 0, field.capacity) != nullptr;
}

void copyFieldValues(std::span<const RecordField> fields, const void* from, void* to) {
    for (const RecordField& field : fields) {
        const unsigned char* source = at(field, from);
        size_t length = field.kind == FieldKind::Text
                            ? strnlen(reinterpret_cast<const char*>(source), field.capacity - 1) + 1
                            : field.capacity;
        std::memcpy(at(field, to), source, length);
    }
}

bool isEmptyField(const RecordField& field, const void* record) {
    const unsigned char* bytes = at(field, record);
    switch (field.kind) {
        case FieldKind::Text:
            return bytes[0] == 0;
        case FieldKind::Address:
            return std::memcmp(bytes, "\0\0\0\0", 4) == 0;
        default: {
            DWORD value;
            std::memcpy(&value, bytes, sizeof value);
            return value == 0;
        }
    }
}

}  // namespace standin::ras
