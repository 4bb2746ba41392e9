// kivora-sys on a program's private system root: seeding entries and
// faults before a run, reading entries back after it. Texts are UTF-8.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class SystemTool {
public:
    // Entries it adds dial on `modem` (the stand-in's first by default).
    explicit SystemTool(std::string root, std::string modem = "標準 56000 bps モデム")
        : root_(std::move(root)), modem_(std::move(modem)) {}

    // Runs one command; fails the test unless it succeeds. Returns its output.
    std::string operator()(const std::vector<std::string>& arguments) const;

    // A modem entry with the given fields (FIELD=VALUE), user name and
    // password (none stored when empty).
    void addEntry(const std::string& name, std::initializer_list<std::string> fields, const std::string& user,
                  const std::string& password = "") const;
    // Every field of the entry, szUserName and szPassword (only when one is
    // stored) included.
    std::map<std::string, std::string> show(const std::string& name) const;

private:
    std::string root_;
    std::string modem_;
};

}  // namespace testsupport
