#include "Credentials.h"

#include "Phonebook.h"
#include "RecordFields.h"
#include "SectionFile.h"
#include "TextEscaping.h"

#include <cstring>

namespace standin::ras {

namespace {

bool isPassword(const RecordField& field) {
    return field.offset == offsetof(RASDIALPARAMSA, szPassword);
}

}  // namespace

bool parseStoredDialParams(const Section& section, StoredDialParams& stored, std::string& reason) {
    if (Status name = checkEntryName(section.name); !name.ok()) {
        reason = atLine(section.line, name.detail);
        return false;
    }
    std::memset(&stored.params, 0, sizeof stored.params);
    stored.params.dwSize = sizeof(RASDIALPARAMSA);
    stored.hasPassword = false;
    for (const SectionValue& value : section.values) {
        const RecordField* field = findField(dialParamsFields(), value.key);
        if (field == nullptr) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "] has an unknown field " +
                                            std::string(value.key));
            return false;
        }
        std::string why;
        if (!parseField(*field, value.value, &stored.params, why)) {
            reason = atLine(value.line, "entry [" + forDisplay(section.name) + "]: " + why);
            return false;
        }
        if (isPassword(*field)) stored.hasPassword = true;
    }
    return true;
}

bool parseCredentials(std::string_view content, Credentials& credentials, std::string& reason) {
    std::vector<Section> sections;
    if (!parseSections(content, sections, reason)) return false;
    credentials = Credentials();
    credentials.reserve(sections.size());
    for (const Section& section : sections) {
        if (credentials.find(section.name) != nullptr) {
            reason = atLine(section.line, "entry [" + forDisplay(section.name) + "] is there twice");
            return false;
        }
        StoredDialParams stored;
        if (!parseStoredDialParams(section, stored, reason)) return false;
        credentials.put(section.name, stored);
    }
    return true;
}

std::string formatStoredDialParams(std::string_view name, const StoredDialParams& stored) {
    std::string text = "\n";
    appendHeader(text, name);
    for (const RecordField& field : dialParamsFields()) {
        bool keep = isPassword(field) ? stored.hasPassword : !isEmptyField(field, &stored.params);
        if (keep) appendValue(text, field.name, formatField(field, &stored.params));
    }
    return text;
}

std::string serializeCredentials(const Credentials& credentials) {
    std::string out;
    appendComment(out, "User names and passwords of phonebook entries, CP932. One [entry name] per entry,");
    appendComment(out, "then its RASDIALPARAMSA fields; szPassword is there only when a password is stored.");
    credentials.appendTexts(
        out, [](const Credentials::Item& item) { return formatStoredDialParams(item.name, item.record); });
    return out;
}

}  // namespace standin::ras
