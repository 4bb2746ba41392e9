#include "PppTestSupport.h"

#include "Cp932.h"
#include "RasLibrary.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ppptest {

namespace {

template <size_t N>
bool copyText(CHAR (&field)[N], const std::string& text) {
    if (text.size() >= N) return false;
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
}

int hex(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

const RasFunctionTable& service() { return rastest::pppService(); }

PppRoot::PppRoot() { setenv("KIVORA_PPP_ROOT", dir_.path().c_str(), 1); }
PppRoot::~PppRoot() { unsetenv("KIVORA_PPP_ROOT"); }

std::string PppRoot::read(const std::string& realPath) const { return testsupport::readFile(file(realPath)); }

void PppRoot::write(const std::string& realPath, const std::string& bytes, unsigned mode) const {
    std::filesystem::create_directories(std::filesystem::path(file(realPath)).parent_path());
    testsupport::writeFile(file(realPath), bytes);
    chmod(file(realPath).c_str(), mode);
}

bool isRoot() { return geteuid() == 0; }

testsupport::ProcessResult pppd(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"/usr/sbin/pppd"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return testsupport::runProcess(argv, {{}, {"LD_PRELOAD=" KIVORA_TESTS_BIN "/libkivora_devppp_preload.so"}});
}

std::string optionInEffect(const std::string& output, const std::string& option, bool& found) {
    // pppd prints each option as "NAME VALUE\t\t# (from SOURCE)", the value
    // with " and \ escaped and control bytes as \xHH (vslprintf's %q).
    found = false;
    const std::string head = "\n" + option + " ";
    const size_t at = output.find(head);
    if (at == std::string::npos) return {};
    const size_t start = at + head.size();
    const size_t end = output.find("\t\t# (from", start);
    if (end == std::string::npos) return {};
    std::string value;
    for (size_t i = start; i < end; ++i) {
        if (output[i] != '\\' || i + 1 >= end) {
            value += output[i];
            continue;
        }
        const char c = output[++i];
        if (c == 'x' && i + 2 < end) {
            value += static_cast<char>(hex(output[i + 1]) * 16 + hex(output[i + 2]));
            i += 2;
        } else if (c == 't') {
            value += '\t';
        } else if (c == 'n') {
            value += '\n';
        } else {
            value += c;
        }
    }
    found = true;
    return value;
}

testsupport::ProcessResult inNamespace(const PppRoot& root, const std::vector<std::string>& argv,
                                       const std::string& before) {
    for (const char* folder : {"/etc/ppp", "/etc/chatscripts", "/run"}) std::filesystem::create_directories(root.file(folder));
    std::string script = "set -e; mount --make-rprivate /; ";
    for (const char* folder : {"/etc/ppp", "/etc/chatscripts", "/run"}) {
        script += std::string("mount --bind '") + root.file(folder) + "' " + folder + "; ";
    }
    script += before + "exec \"$@\"";
    std::vector<std::string> command{"/usr/bin/unshare", "-m", "/bin/sh", "-c", script, "sh"};
    command.insert(command.end(), argv.begin(), argv.end());
    return testsupport::runProcess(command, {{}, {"KIVORA_PPP_ROOT"}});
}

RASENTRYA modemEntry(const std::string& number, const std::string& device) {
    RASENTRYA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    entry.dwfOptions = 0x05000118;
    entry.dwCountryID = entry.dwCountryCode = 81;
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    copyText(entry.szLocalPhoneNumber, number);
    copyText(entry.szDeviceType, "modem");
    copyText(entry.szDeviceName, device);
    return entry;
}

DWORD setEntry(const std::string& name, const RASENTRYA& entry) {
    RASENTRYA record = entry;
    return service().RasSetEntryPropertiesA(nullptr, name.c_str(), &record, sizeof record, nullptr, 0);
}

DWORD getEntry(const std::string& name, RASENTRYA& entry) {
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    DWORD size = sizeof entry;
    return service().RasGetEntryPropertiesA(nullptr, name.c_str(), &entry, &size, nullptr, nullptr);
}

DWORD setAccount(const std::string& name, const std::string& user, const std::string& password, bool remove) {
    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    if (!copyText(params.szEntryName, name) || !copyText(params.szUserName, user) ||
        !copyText(params.szPassword, password)) {
        return ERROR_INVALID_PARAMETER;
    }
    return service().RasSetEntryDialParamsA(nullptr, &params, remove ? TRUE : FALSE);
}

DWORD getAccount(const std::string& name, std::string& user, std::string& password, bool& hasPassword) {
    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    copyText(params.szEntryName, name);
    BOOL stored = FALSE;
    const DWORD result = service().RasGetEntryDialParamsA(nullptr, &params, &stored);
    user = params.szUserName;
    password = params.szPassword;
    hasPassword = stored != FALSE;
    return result;
}

std::string sjis(const char* utf8) { return cp932::fromUtf8(utf8); }

}  // namespace ppptest
