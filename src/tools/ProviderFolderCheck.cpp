#include "ProviderFolderCheck.h"

#include "AccessPointTable.h"
#include "ConnectionTypeMenu.h"
#include "Cp932.h"
#include "FileBytes.h"
#include "IspSettings.h"
#include "LogoCheck.h"
#include "ProviderCsvFile.h"
#include "ReadingLog.h"

#include "ras.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

constexpr const char* kProviderFiles[] = {"ISP_INF.csv", "APGEN.csv", "APPHS.csv", "CTMENU.csv", "Logo.png"};

// The documented connection types: ordinary line, ISDN, PHS, and the heading.
constexpr std::int32_t kDocumentedTypes[] = {1, 2, 3, kHeadingTypeCode};

struct ProviderFile {
    std::string path;  // as the findings name it
    bool present;
};

ProviderFile providerFile(const std::string& folder, const char* name) {
    std::string path = (std::filesystem::path(folder) / name).string();
    const bool present = providerFileExists(path.c_str());
    return {std::move(path), present};
}

std::string number(std::size_t value) { return std::to_string(value); }

// The value of a row split at its first comma, or empty.
std::string_view rowValue(std::string_view line) {
    FirstCommaRow row;
    return splitAtFirstComma(line, row) ? row.value : std::string_view();
}

std::string_view firstField(std::string_view line) { return line.substr(0, line.find(',')); }

// What every reader shares: long lines cut into pieces (the shortest piece
// of any pass is the longest line that pass's reader takes) and a last line
// without a line end.
void checkLineStructure(const std::vector<const ReadingLog*>& passes, const std::string& file, Findings& findings) {
    std::map<std::size_t, std::size_t> cutLines;  // line number: shortest piece
    for (const ReadingLog* pass : passes) {
        for (const LoggedLine& line : pass->lines) {
            if (!line.cut) continue;
            auto [entry, inserted] = cutLines.emplace(line.number, line.text.size());
            if (!inserted) entry->second = std::min(entry->second, line.text.size());
        }
    }
    for (const auto& [lineNumber, limit] : cutLines) {
        findings.add(file, lineNumber, Severity::Warning,
                     "the line is longer than " + number(limit) +
                         " bytes: the program reads the rest as a line of its own");
    }
    if (const auto& tail = passes.front()->droppedTail) {
        findings.add(file, tail->first, Severity::Warning,
                     "the last line has no line end: the program ignores it (" + shown(tail->second) + ")");
    }
}

// ---- ISP_INF.csv ----

bool isKnownKey(std::string_view key) {
    const auto keys = ispSettingsKeys();
    return std::any_of(keys.begin(), keys.end(),
                       [&](const char* known) { return cp932::compareAsciiNoCase(key, known) == 0; });
}

// A key that names a setting once blanks, quotes or a byte-order mark around it are gone.
bool nearlyKnownKey(std::string_view key) {
    if (key.starts_with("\xEF\xBB\xBF")) key.remove_prefix(3);
    const auto isPadding = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    while (!key.empty() && isPadding(key.front())) key.remove_prefix(1);
    while (!key.empty() && isPadding(key.back())) key.remove_suffix(1);
    return isKnownKey(key);
}

const char* dottedQuadReason(DottedQuadFault fault) {
    switch (fault) {
    case DottedQuadFault::Empty: return "it is empty";
    case DottedQuadFault::PartTooLong: return "a part is longer than 4 characters";
    case DottedQuadFault::TooManyDots: return "it has more than three dots";
    case DottedQuadFault::TooFewDots: return "it has fewer than three dots";
    case DottedQuadFault::EmptyLastPart: return "nothing follows the last dot";
    case DottedQuadFault::OutOfRange: return "a part is outside 0 to 255";
    case DottedQuadFault::None: break;
    }
    return "";
}

class SettingsCheck {
public:
    SettingsCheck(const ProviderFile& file, Findings& findings) : file_(file), findings_(findings) {}

    void run(bool generalTable, bool phsTable) {
        checkFileBytes(readFileBytes(file_.path), file_.path,
                       "the first row's key then matches no key, so that setting is lost", Severity::Warning,
                       findings_);
        readAsTheProgramDoes();
        checkLineStructure(passPointers(), file_.path, findings_);
        checkRows();
        checkRepeatedKeys();
        checkValueWidths();
        checkNameServers();
        if (generalTable || phsTable) checkMigrationSettings(generalTable, phsTable);
    }

private:
    // Every lookup of the program, each its own pass over the file.
    void readAsTheProgramDoes() {
        IspSettings settings(file_.path);
        auto pass = [&](auto lookup) {
            passes_.emplace_back();
            settings.observe(&passes_.back());
            lookup();
        };
        for (DomainKind kind : {DomainKind::Old, DomainKind::Dialup, DomainKind::Mobile, DomainKind::FletsIsdn,
                                DomainKind::AirH}) {
            pass([&] { settings.lookupDomain(kind); });
        }
        for (NumberKind kind : {NumberKind::DefaultTel, NumberKind::DefaultMobile, NumberKind::DefaultFletsIsdn}) {
            pass([&] { settings.lookupDefaultNumber(kind); });
        }
        pass([&] {
            RASIPADDR primary{};
            RASIPADDR secondary{};
            settings.lookupDnsServers(primary, secondary);
        });
        pass([&] {
            NoDialog dialog;
            settings.loadDialogDefaults(dialog);
        });
        for (const ReadingLog& log : passes_) {
            for (const LoggedLine& line : log.lines) {
                for (const std::string& key : line.keys) {
                    std::vector<const LoggedLine*>& rows = rowsByKey_[key];
                    if (std::none_of(rows.begin(), rows.end(), [&](const LoggedLine* row) {
                            return row->number == line.number && row->text == line.text;
                        })) {
                        rows.push_back(&line);
                    }
                }
            }
        }
        for (auto& [key, rows] : rowsByKey_) {
            std::stable_sort(rows.begin(), rows.end(),
                             [](const LoggedLine* a, const LoggedLine* b) { return a->number < b->number; });
        }
    }

    struct NoDialog : DialogTextSink {
        void setControlText(int, const char*) override {}
    };

    std::vector<const ReadingLog*> passPointers() const {
        std::vector<const ReadingLog*> pointers;
        for (const ReadingLog& log : passes_) pointers.push_back(&log);
        return pointers;
    }

    // The value the program ends up with, empty when no row gives one.
    std::string value(const char* key) const {
        auto rows = rowsByKey_.find(key);
        return rows == rowsByKey_.end() ? std::string() : std::string(rowValue(rows->second.back()->text));
    }
    const LoggedLine* lastRow(const char* key) const {
        auto rows = rowsByKey_.find(key);
        return rows == rowsByKey_.end() ? nullptr : rows->second.back();
    }

    void checkRows() {
        for (const LoggedLine& line : passes_.front().lines) {
            const std::string key(firstField(line.text));
            if (line.skip == LineSkip::NoComma) {
                note(line.number, "no comma: not a setting, the program skips the line");
            } else if (line.skip == LineSkip::EmptyKey) {
                warning(line.number, "the line begins with a comma: no key, the program skips it");
            } else if (line.skip == LineSkip::EmptyValue) {
                if (isKnownKey(key)) {
                    warning(line.number, key + " has no value: the program skips the row");
                } else {
                    note(line.number, "no value: the program skips the row");
                }
            } else if (!takenByAnyLookup(line.number)) {
                if (nearlyKnownKey(key)) {
                    warning(line.number, "the key " + shown(key) +
                                             " matches no key: blanks, quotes and a byte-order mark count");
                } else {
                    note(line.number, "unknown key " + shown(key) + ": the program ignores the row");
                }
            }
        }
    }

    bool takenByAnyLookup(std::size_t lineNumber) const {
        for (const auto& [key, rows] : rowsByKey_) {
            for (const LoggedLine* row : rows) {
                if (row->number == lineNumber) return true;
            }
        }
        return false;
    }

    void checkRepeatedKeys() {
        for (const auto& [key, rows] : rowsByKey_) {
            if (rows.size() < 2) continue;
            const LoggedLine& last = *rows.back();
            for (auto row = rows.begin(); row + 1 != rows.end(); ++row) {
                if (key == "SetDnsIpAddress") {
                    warning(last.number, key + " is also given on line " + number((*row)->number) +
                                             ": any one of them that is TRUE switches fixed name servers on");
                    continue;
                }
                warning(last.number, key + " is also given on line " + number((*row)->number) +
                                         ": the last wins, so the program uses " + shown(rowValue(last.text)));
                note((*row)->number, "the earlier " + key + ", not used");
            }
        }
    }

    void checkValueWidths() {
        struct Width {
            const char* key;
            std::size_t limit;
            const char* field;
        };
        const Width widths[] = {
            {"DefaultEntryName", RAS_MaxEntryName, "an entry name"},
            {"DefaultTelNumber", RAS_MaxPhoneNumber, "a telephone number"},
            {"DefaultMobileNumber", RAS_MaxPhoneNumber, "a telephone number"},
        };
        for (const Width& width : widths) {
            const LoggedLine* row = lastRow(width.key);
            if (row != nullptr && rowValue(row->text).size() > width.limit) {
                warning(row->number, std::string(width.key) + " is " + number(rowValue(row->text).size()) +
                                         " bytes long, more than the " + number(width.limit) + " bytes of " +
                                         width.field + ": the program refuses to write it");
            }
        }
        for (const char* key : {"DialupDomain", "MobileDomain", "FletsIsdnDomain", "AirHDomain", "OldDomain"}) {
            const LoggedLine* row = lastRow(key);
            if (row != nullptr && rowValue(row->text).size() >= UNLEN) {
                warning(row->number, std::string(key) + " leaves no room for the user part in the " + number(UNLEN) +
                                         " bytes of a user name");
            }
        }
    }

    void checkNameServers() {
        bool switchedOn = false;
        if (auto rows = rowsByKey_.find("SetDnsIpAddress"); rows != rowsByKey_.end()) {
            for (const LoggedLine* row : rows->second) {
                if (cp932::compareAsciiNoCase(rowValue(row->text), "TRUE") == 0) {
                    switchedOn = true;
                } else {
                    note(row->number, "SetDnsIpAddress is " + shown(rowValue(row->text)) +
                                          ", not TRUE: this row does not switch fixed name servers on");
                }
            }
        }
        for (const char* key : {"Dns1", "Dns2"}) {
            const LoggedLine* row = lastRow(key);
            const bool primary = std::string_view(key) == "Dns1";
            if (row == nullptr) {
                if (switchedOn && primary) {
                    warning(0, "fixed name servers are on, but Dns1 is missing: entries get no primary name server");
                }
                continue;
            }
            const std::string text(rowValue(row->text));
            RASIPADDR address{};
            if (DottedQuadFault fault = readDottedQuad(text.c_str(), address); fault != DottedQuadFault::None) {
                warning(row->number, std::string(key) + " " + shown(text) + " is not an address the program takes: " +
                                         dottedQuadReason(fault) + "; entries get no " +
                                         (primary ? "primary" : "secondary") + " name server");
            } else if (address.a == 0 && address.b == 0 && address.c == 0 && address.d == 0) {
                warning(row->number, std::string(key) + " is 0.0.0.0, which the program never writes into an entry");
            } else if (!switchedOn) {
                note(row->number, std::string(key) + " is not used: SetDnsIpAddress is not TRUE");
            }
        }
    }

    void checkMigrationSettings(bool generalTable, bool phsTable) {
        struct Need {
            bool needed;
            const char* key;
            const char* consequence;
        };
        const Need needs[] = {
            {generalTable, "DefaultTelNumber", "the migration has no new number for entries that dial an APGEN.csv access point"},
            {generalTable, "DialupDomain", "the migration has no new domain for entries that dial an APGEN.csv access point"},
            {phsTable, "DefaultMobileNumber", "the migration has no new number for entries that dial an APPHS.csv access point"},
            {phsTable, "MobileDomain", "the migration has no new domain for entries that dial an APPHS.csv access point"},
        };
        for (const Need& need : needs) {
            if (need.needed && value(need.key).empty()) error(0, std::string(need.key) + " is missing: " + need.consequence);
        }
        const char* isdnKeys[] = {"OldDomain", "FletsIsdnDomain", "DefaultFletsIsdnNumber"};
        std::string missing;
        for (const char* key : isdnKeys) {
            if (value(key).empty()) missing += std::string(missing.empty() ? "" : ", ") + key;
        }
        const bool anyIsdn = std::any_of(std::begin(isdnKeys), std::end(isdnKeys),
                                         [&](const char* key) { return !value(key).empty(); });
        if (anyIsdn && !missing.empty()) {
            warning(0, "the ISDN user-name move needs OldDomain, FletsIsdnDomain and DefaultFletsIsdnNumber; without " +
                           missing + " it moves no entry");
        } else if (anyIsdn && cp932::compareNoCaseMultiByte(value("OldDomain"), value("FletsIsdnDomain")) == 0) {
            warning(lastRow("FletsIsdnDomain")->number,
                    "FletsIsdnDomain equals OldDomain: the migration then moves no ISDN entry");
        }
    }

    void error(std::size_t line, std::string message) { findings_.add(file_.path, line, Severity::Error, std::move(message)); }
    void warning(std::size_t line, std::string message) {
        findings_.add(file_.path, line, Severity::Warning, std::move(message));
    }
    void note(std::size_t line, std::string message) { findings_.add(file_.path, line, Severity::Note, std::move(message)); }

    const ProviderFile& file_;
    Findings& findings_;
    std::vector<ReadingLog> passes_;
    // Per key, the distinct rows the lookups took, in file order.
    std::map<std::string, std::vector<const LoggedLine*>> rowsByKey_;
};

// ---- APGEN.csv, APPHS.csv ----

std::string tooWideReason(std::string_view value) {
    const std::size_t hyphen = value.find('-');
    if (hyphen == std::string_view::npos) {
        return "the number has no hyphen and is longer than " + number(RAS_MaxPhoneNumber) + " bytes";
    }
    if (hyphen > RAS_MaxAreaCode) {
        return "the area code " + shown(value.substr(0, hyphen)) + " is longer than " + number(RAS_MaxAreaCode) +
               " bytes";
    }
    return "the local number has more than " + number(RAS_MaxPhoneNumber) + " digits";
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void checkAccessPointTable(const ProviderFile& file, Findings& findings) {
    checkFileBytes(readFileBytes(file.path), file.path, "harmless here: it becomes part of a label the program does not read",
                   Severity::Note, findings);
    ReadingLog log;
    AccessPointTable table;
    loadAccessPointTableFile(file.path.c_str(), table, &log);
    checkLineStructure({&log}, file.path, findings);
    std::vector<const LoggedLine*> records;
    for (const LoggedLine& line : log.lines) {
        const std::string_view value = rowValue(line.text);
        if (line.skip == LineSkip::NoComma) {
            findings.add(file.path, line.number, Severity::Warning, "no comma: the program skips the line");
        } else if (line.skip == LineSkip::EmptyValue) {
            findings.add(file.path, line.number, Severity::Warning, "no number after the comma: the program skips the row");
        } else if (line.skip == LineSkip::TooWide) {
            findings.add(file.path, line.number, Severity::Warning,
                         tooWideReason(value) + ": the program skips the row");
        }
        if (!line.accessPoint) continue;
        const AccessPointRecord& record = *line.accessPoint;
        if (value.find('-') == std::string_view::npos && !allDigits(value)) {
            findings.add(file.path, line.number, Severity::Warning,
                         "read as the access point " + shown(value) +
                             " without area code: the program has no header lines; delete it if it is one");
        } else if (record.localNumber[0] == '\0') {
            findings.add(file.path, line.number, Severity::Warning,
                         "no digits after the hyphen: the access point has an empty local number");
        }
        auto same = std::find_if(records.begin(), records.end(), [&](const LoggedLine* earlier) {
            return std::string_view(earlier->accessPoint->areaCode) == record.areaCode &&
                   std::string_view(earlier->accessPoint->localNumber) == record.localNumber;
        });
        if (same != records.end()) {
            findings.add(file.path, line.number, Severity::Note,
                         "the same access point as line " + number((*same)->number) +
                             ", which the program finds first: this row is never used");
        } else {
            records.push_back(&line);
        }
    }
}

// ---- CTMENU.csv ----

void checkConnectionTypeMenu(const ProviderFile& file, Findings& findings) {
    const auto add = [&](std::size_t line, Severity severity, std::string message) {
        findings.add(file.path, line, severity, std::move(message));
    };
    if (!file.present) {
        add(0, Severity::Error,
            "missing: the form has no connection methods and answers every 作成 with \"接続方法を選択してください\"");
        return;
    }
    checkFileBytes(readFileBytes(file.path), file.path,
                   "the first line then does not begin with a digit, so the program skips it", Severity::Warning,
                   findings);
    ReadingLog log;
    std::vector<ConnectionTypeItem> items;
    readConnectionTypeItemsFile(file.path.c_str(), items, &log);
    checkLineStructure({&log}, file.path, findings);
    bool firstItem = true;
    bool anyMethod = false;
    for (const LoggedLine& line : log.lines) {
        if (line.skip == LineSkip::NotADigit) {
            add(line.number, Severity::Note, "does not begin with a digit: the program skips the line");
        } else if (line.skip == LineSkip::TextTooLong) {
            add(line.number, Severity::Warning,
                "a text is longer than " + number(kConnectionTextCapacity - 1) +
                    " bytes: the program skips the whole line");
        }
        if (!line.menuItem) continue;
        const ConnectionTypeItem& item = *line.menuItem;
        const std::string_view typeField = firstField(line.text);
        if (!allDigits(typeField)) {
            add(line.number, Severity::Warning,
                "the type " + shown(typeField) + " is read as " + std::to_string(item.typeCode));
        }
        if (item.typeCode == kHeadingTypeCode) {
            add(line.number, Severity::Note, "heading " + shown(item.displayName) + ": listed, cannot be chosen");
            if (firstItem) {
                add(line.number, Severity::Note,
                    "the form opens on this heading: DialupDomain and DefaultTelNumber of ISP_INF.csv fill it until "
                    "a method is chosen");
            }
            firstItem = false;
            continue;
        }
        firstItem = false;
        anyMethod = true;
        add(line.number, Severity::Note,
            "method " + shown(item.displayName) + " (type " + std::to_string(item.typeCode) + "): domain " +
                shown(item.domainText) + ", number " + shown(item.accessNumber));
        if (std::find(std::begin(kDocumentedTypes), std::end(kDocumentedTypes), item.typeCode) ==
            std::end(kDocumentedTypes)) {
            add(line.number, Severity::Warning,
                "type " + std::to_string(item.typeCode) + " is not one of 1, 2, 3 and 9: the form offers it as a method");
        }
        if (item.displayName[0] == '\0') {
            add(line.number, Severity::Warning, "no display name: the list shows an empty entry");
        }
        if (item.accessNumber[0] == '\0') {
            add(line.number, Severity::Warning,
                "no access number: choosing this method empties the access-number box");
        } else if (std::string_view(item.accessNumber).size() > RAS_MaxPhoneNumber) {
            add(line.number, Severity::Warning,
                "the access number is longer than " + number(RAS_MaxPhoneNumber) + " bytes: the form refuses it");
        }
        if (item.domainText[0] == '\0') {
            add(line.number, Severity::Warning, "no domain: choosing this method empties the domain beside the user name");
        } else if (std::string_view(item.domainText).size() >= UNLEN) {
            add(line.number, Severity::Warning,
                "the domain leaves no room for the user part in the " + number(UNLEN) + " bytes of a user name");
        }
    }
    if (!anyMethod) {
        add(0, Severity::Error,
            "no method can be chosen: the form answers every 作成 with \"接続方法を選択してください\"");
    }
}

// ---- the folder ----

// A provider file under another letter case: Windows would find it, the
// program on Linux does not.
void checkFileNameCase(const std::string& folder, Findings& findings) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        for (const char* expected : kProviderFiles) {
            if (name != expected && cp932::compareAsciiNoCase(name, expected) == 0 &&
                !std::filesystem::exists(std::filesystem::path(folder) / expected)) {
                findings.add(entry.path().string(), 0, Severity::Warning,
                             std::string("the program looks for ") + expected + " under exactly that name");
            }
        }
    }
}

}  // namespace

void checkProviderFolder(const std::string& folder, Findings& findings) {
    std::map<std::string, ProviderFile> files;
    for (const char* name : kProviderFiles) files.emplace(name, providerFile(folder, name));
    const bool generalTable = files["APGEN.csv"].present;
    const bool phsTable = files["APPHS.csv"].present;

    std::string present;
    std::string missing;
    for (const char* name : kProviderFiles) {
        std::string& list = files[name].present ? present : missing;
        list += std::string(list.empty() ? "" : ", ") + name;
        if (files[name].present && std::filesystem::is_directory(files[name].path)) {
            findings.add(files[name].path, 0, Severity::Warning,
                         "a directory: the program counts the file as present but reads nothing from it");
        }
    }
    findings.add(folder, 0, Severity::Note,
                 "present: " + (present.empty() ? "none" : present) + "; missing: " + (missing.empty() ? "none" : missing));
    findings.add(folder, 0, Severity::Note,
                 generalTable || phsTable
                     ? "the program opens on the main menu (new connection, access-point migration)"
                     : "the program opens the new-connection form directly (no APGEN.csv or APPHS.csv)");
    checkFileNameCase(folder, findings);

    const ProviderFile& settings = files["ISP_INF.csv"];
    if (settings.present) {
        SettingsCheck(settings, findings).run(generalTable, phsTable);
    } else if (generalTable || phsTable) {
        findings.add(settings.path, 0, Severity::Error,
                     "missing: the migration has no new numbers or domains, so it cannot move any entry");
    }
    for (const char* table : {"APGEN.csv", "APPHS.csv"}) {
        if (files[table].present) checkAccessPointTable(files[table], findings);
    }
    checkConnectionTypeMenu(files["CTMENU.csv"], findings);
    if (files["Logo.png"].present) checkLogo(files["Logo.png"].path, findings);
}
