#include "Faults.h"

#include "Cp932.h"
#include "Phonebook.h"
#include "SectionFile.h"
#include "TabbedFile.h"

#include <charconv>

namespace standin::ras {

namespace {

constexpr EntryPoint kEntryPoints[] = {
    {"RasDialA", true},
    {"RasHangUpA", false},
    {"RasGetConnectStatusA", false},
    {"RasSetEntryPropertiesA", true},
    {"RasGetEntryPropertiesA", true},
    {"RasEnumEntriesA", false},
    {"RasSetEntryDialParamsA", true},
    {"RasGetEntryDialParamsA", true},
    {"RasCreatePhonebookEntryA", false},
    {"RasGetErrorStringA", false},
    {"RasEnumConnectionsA", false},
    {"RasDeleteEntryA", true},
    {"RasEnumDevicesA", false},
    {"RasValidateEntryNameA", true},
};

bool parseCount(std::string_view text, DWORD& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && value != 0;
}

}  // namespace

std::span<const EntryPoint> entryPoints() {
    return kEntryPoints;
}

const EntryPoint* findEntryPoint(std::string_view name) {
    for (const EntryPoint& entryPoint : kEntryPoints) {
        if (name == entryPoint.name) return &entryPoint;
    }
    return nullptr;
}

Fault* matchingFault(std::vector<Fault>& faults, std::string_view function, std::string_view entry) {
    Fault* general = nullptr;
    for (Fault& fault : faults) {
        if (fault.function != function) continue;
        if (fault.entry.empty()) {
            if (general == nullptr) general = &fault;
        } else if (!entry.empty() && cp932::compareNoCaseMultiByte(fault.entry, entry) == 0) {
            return &fault;
        }
    }
    return general;
}

bool parseFaults(std::string_view content, std::vector<Fault>& faults, std::string& reason) {
    std::vector<TabbedLine> lines;
    if (!parseTabbedLines(content, lines, reason)) return false;
    faults.clear();
    for (const TabbedLine& line : lines) {
        Fault fault;
        if (line.fields.size() < 2 || findEntryPoint(line.fields[0]) == nullptr ||
            !parseCount(line.fields[1], fault.code)) {
            reason = atLine(line.line, "expected an entry point's name, a tab and a non-zero error code");
            return false;
        }
        fault.function = line.fields[0];
        for (size_t i = 2; i < line.fields.size(); ++i) {
            std::string_view option = line.fields[i];
            if (option.starts_with("entry=") && checkEntryName(option.substr(6)).ok()) {
                fault.entry = option.substr(6);
            } else if (!option.starts_with("times=") || !parseCount(option.substr(6), fault.times)) {
                reason = atLine(line.line,
                                "expected entry=NAME or times=N after the code, not " + std::string(option));
                return false;
            }
        }
        faults.push_back(std::move(fault));
    }
    return true;
}

std::string serializeFaults(const std::vector<Fault>& faults) {
    std::string out =
        "# Injected faults (tests only): FUNCTION<TAB>CODE, then entry=NAME and times=N when given.\n";
    for (const Fault& fault : faults) {
        std::string code = std::to_string(fault.code);
        std::string entry = "entry=" + fault.entry;
        std::string times = "times=" + std::to_string(fault.times);
        std::vector<std::string_view> fields = {fault.function, code};
        if (!fault.entry.empty()) fields.push_back(entry);
        if (fault.times != 0) fields.push_back(times);
        appendTabbedLine(out, fields);
    }
    return out;
}

}  // namespace standin::ras
