#include "Phonebook.h"

#include "SectionFile.h"
#include "TextEscaping.h"

#include <cstring>

namespace standin::ras {

Status checkEntryName(std::string_view name) {
    if (name.empty()) return failure(ERROR_INVALID_NAME, "an entry name cannot be empty");
    if (name.size() > RAS_MaxEntryName) {
        return failure(ERROR_INVALID_NAME, "an entry name holds at most " + std::to_string(RAS_MaxEntryName) +
                                               " bytes, not " + std::to_string(name.size()));
    }
    if (!isPlainText(name)) {
        return failure(ERROR_INVALID_NAME, "an entry name must be CP932 text without control characters");
    }
    return {};
}

Status checkEntryProperties(const StoredEntry& entry) {
    for (const RecordField& field : entryFields()) {
        if (!isTerminated(field, &entry.properties)) {
            return failure(ERROR_INVALID_PARAMETER, std::string(field.name) +
                                                        " has no terminating NUL within its " +
                                                        std::to_string(field.capacity) + " bytes");
        }
    }
    for (const std::string& number : entry.alternates) {
        if (number.empty() || number.size() > RAS_MaxPhoneNumber || number.find('\0') != std::string::npos) {
            return failure(ERROR_INVALID_PARAMETER, "an alternate number holds 1 to " +
                                                        std::to_string(RAS_MaxPhoneNumber) +
                                                        " bytes without NUL, not " + forDisplay(number));
        }
    }
    return {};
}

bool followsFromEntry(const RecordField& field) {
    return field.offset == offsetof(RASENTRYA, dwSize) || field.offset == offsetof(RASENTRYA, dwAlternateOffset);
}

StoredEntry newEntry() {
    StoredEntry entry;
    std::memset(&entry.properties, 0, sizeof entry.properties);
    entry.properties.dwSize = sizeof(RASENTRYA);
    std::memcpy(entry.properties.szDeviceType, RASDT_Modem, sizeof RASDT_Modem);
    return entry;
}

bool parseEntry(const Section& section, StoredEntry& entry, std::string& reason) {
    if (Status name = checkEntryName(section.name); !name.ok()) {
        reason = atLine(section.line, name.detail);
        return false;
    }
    std::memset(&entry.properties, 0, sizeof entry.properties);
    entry.properties.dwSize = sizeof(RASENTRYA);
    entry.alternates.clear();
    for (const SectionValue& value : section.values) {
        if (value.key == kAlternateKey) {
            entry.alternates.push_back(value.value);
            continue;
        }
        const RecordField* field = findField(entryFields(), value.key);
        if (field == nullptr || followsFromEntry(*field)) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "] has an unknown field " +
                                            std::string(value.key));
            return false;
        }
        std::string why;
        if (!parseField(*field, value.value, &entry.properties, why)) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "]: " + why);
            return false;
        }
    }
    if (Status valid = checkEntryProperties(entry); !valid.ok()) {
        reason = atLine(section.line, "entry [" + forDisplay(section.name) + "]: " + valid.detail);
        return false;
    }
    return true;
}

bool parsePhonebook(std::string_view content, Phonebook& phonebook, std::string& reason) {
    std::vector<Section> sections;
    if (!parseSections(content, sections, reason)) return false;
    phonebook = Phonebook();
    phonebook.reserve(sections.size());
    for (const Section& section : sections) {
        // An invalid name can never be there already, so its own fault is the one reported.
        if (phonebook.find(section.name) != nullptr) {
            reason = atLine(section.line, "entry [" + forDisplay(section.name) +
                                              "] is there twice (names are compared without regard to case)");
            return false;
        }
        StoredEntry entry;
        if (!parseEntry(section, entry, reason)) return false;
        phonebook.put(section.name, entry);
    }
    return true;
}

std::string formatEntry(std::string_view name, const StoredEntry& entry) {
    std::string text = "\n";
    appendHeader(text, name);
    for (const RecordField& field : entryFields()) {
        if (followsFromEntry(field) || isEmptyField(field, &entry.properties)) continue;
        appendValue(text, field.name, formatField(field, &entry.properties));
    }
    for (const std::string& number : entry.alternates) appendValue(text, kAlternateKey, number);
    return text;
}

std::string serializePhonebook(const Phonebook& phonebook) {
    std::string out;
    appendComment(out, "Remote-access phonebook, CP932. One [entry name] per entry, in phonebook order,");
    appendComment(out, "then its RASENTRYA fields (a field left out is zero or empty) and its");
    appendComment(out, "alternate numbers, one alternate= line each in dialling order.");
    phonebook.appendTexts(out, [](const Phonebook::Item& item) { return formatEntry(item.name, item.record); });
    return out;
}

}  // namespace standin::ras
