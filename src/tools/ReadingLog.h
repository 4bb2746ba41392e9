// One pass of a program's reader over a provider file, as the reader told
// it: every line it delivered, and what it made of each.
#pragma once

#include "AccessPointTable.h"
#include "ConnectionTypeMenu.h"
#include "ProviderCsvFile.h"

#include <optional>
#include <string>
#include <vector>

struct LoggedLine {
    std::size_t number;
    std::string text;
    bool cut;
    std::optional<LineSkip> skip;
    std::vector<std::string> keys;
    std::optional<AccessPointRecord> accessPoint;
    std::optional<ConnectionTypeItem> menuItem;
};

class ReadingLog : public ProviderFileObserver {
public:
    std::vector<LoggedLine> lines;
    // The line number and bytes of an unterminated last line.
    std::optional<std::pair<std::size_t, std::string>> droppedTail;

    void lineRead(std::size_t number, std::string_view line, bool cut) override {
        lines.push_back({number, std::string(line), cut, {}, {}, {}, {}});
    }
    void tailDropped(std::size_t number, std::string_view bytes) override {
        droppedTail.emplace(number, std::string(bytes));
    }
    void lineSkipped(LineSkip reason) override { lines.back().skip = reason; }
    void settingTaken(const char* key) override { lines.back().keys.emplace_back(key); }
    void accessPointRead(const AccessPointRecord& record) override { lines.back().accessPoint = record; }
    void menuItemRead(const ConnectionTypeItem& item) override { lines.back().menuItem = item; }
};
