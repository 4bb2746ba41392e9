// kivora-check FOLDER [--format=text|json]: checks a provider's files before
// they are shipped, reading them with the program's own readers.
#include "Findings.h"
#include "ProviderFolderCheck.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr int kUsageStatus = 2;

int usage(std::ostream& out, int status) {
    out << "usage: kivora-check [--format=text|json] FOLDER\n"
           "Checks the provider files in FOLDER (ISP_INF.csv, APGEN.csv, APPHS.csv, CTMENU.csv,\n"
           "Logo.png) as the program reads them. Exit status: 0 clean or notes only,\n"
           "1 warnings, 2 errors.\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return usage(std::cout, 0);
        if (argument == "--format=json") {
            json = true;
        } else if (argument == "--format=text") {
            json = false;
        } else if (argument.starts_with("-") || !folder.empty()) {
            return usage(std::cerr, kUsageStatus);
        } else {
            folder = argument;
        }
    }
    if (folder.empty()) return usage(std::cerr, kUsageStatus);
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "kivora-check: " << folder << ": not a folder\n";
        return kUsageStatus;
    }
    Findings findings;
    checkProviderFolder(folder, findings);
    findings.sort();
    if (json) {
        printJson(std::cout, findings);
    } else {
        printText(std::cout, findings);
    }
    return findings.exitStatus();
}
