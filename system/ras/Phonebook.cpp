#include "Phonebook.h"

#include "RecordFields.h"
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

Status checkEntryProperties(const RASENTRYA& properties) {
    for (const RecordField& field : entryFields()) {
        if (!isTerminated(field, &properties)) {
            return failure(ERROR_INVALID_PARAMETER, std::string(field.name) +
                                                        " has no terminating NUL within its " +
                                                        std::to_string(field.capacity) + " bytes");
        }
    }
    if (properties.dwAlternateOffset != 0) {
        return failure(ERROR_INVALID_PARAMETER,
                       "dwAlternateOffset must be 0: the phonebook keeps no alternate numbers");
    }
    return {};
}

RASENTRYA newEntryProperties() {
    RASENTRYA properties;
    std::memset(&properties, 0, sizeof properties);
    properties.dwSize = sizeof(RASENTRYA);
    std::memcpy(properties.szDeviceType, RASDT_Modem, sizeof RASDT_Modem);
    return properties;
}

bool parseEntry(const Section& section, RASENTRYA& properties, std::string& reason) {
    if (Status name = checkEntryName(section.name); !name.ok()) {
        reason = atLine(section.line, name.detail);
        return false;
    }
    std::memset(&properties, 0, sizeof properties);
    properties.dwSize = sizeof(RASENTRYA);
    for (const SectionValue& value : section.values) {
        const RecordField* field = findField(entryFields(), value.key);
        if (field == nullptr || field->offset == offsetof(RASENTRYA, dwSize)) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "] has an unknown field " +
                                            std::string(value.key));
            return false;
        }
        std::string why;
        if (!parseField(*field, value.value, &properties, why)) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "]: " + why);
            return false;
        }
    }
    if (Status valid = checkEntryProperties(properties); !valid.ok()) {
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
        RASENTRYA properties;
        if (!parseEntry(section, properties, reason)) return false;
        phonebook.put(section.name, properties);
    }
    return true;
}

std::string formatEntry(std::string_view name, const RASENTRYA& properties) {
    std::string text = "\n";
    appendHeader(text, name);
    for (const RecordField& field : entryFields()) {
        if (field.offset == offsetof(RASENTRYA, dwSize) || isEmptyField(field, &properties)) continue;
        appendValue(text, field.name, formatField(field, &properties));
    }
    return text;
}

std::string serializePhonebook(const Phonebook& phonebook) {
    std::string out;
    appendComment(out, "Remote-access phonebook, CP932. One [entry name] per entry, in phonebook order,");
    appendComment(out, "then its RASENTRYA fields; a field left out is zero or empty.");
    phonebook.appendTexts(out, [](const Phonebook::Item& entry) { return formatEntry(entry.name, entry.record); });
    return out;
}

}  // namespace standin::ras
