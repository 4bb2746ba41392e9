// The ppp service through its entry points, as the program binds them, over
// a test root: what it writes reads back whole and parses with pppd; peers
// of another hand are read and changed only where they must be; secrets are
// the owner's alone; damage, names, the default connection, connections,
// modems and rights each told as the program expects.
#include "Cp932.h"
#include "FakeModem.h"
#include "PppTestSupport.h"
#include "RecordFields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using ppptest::getAccount;
using ppptest::getEntry;
using ppptest::modemEntry;
using ppptest::PppRoot;
using ppptest::service;
using ppptest::setAccount;
using ppptest::setEntry;
using ppptest::sjis;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// Every field of an entry, one line each, to compare and to show a difference.
std::string fieldsOf(const RASENTRYA& entry) {
    std::string out;
    for (const auto& field : standin::ras::entryFields()) {
        out += std::string(field.name) + "=" + standin::ras::formatField(field, &entry) + "\n";
    }
    return out;
}

template <size_t N>
void setText(CHAR (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    std::memcpy(field, text.c_str(), text.size() + 1);
}

std::vector<std::string> entryNames() {
    DWORD size = 0, count = 0;
    EXPECT_EQ(service().RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), ERROR_BUFFER_TOO_SMALL);
    std::vector<RASENTRYNAMEA> records(count + 1);
    records[0].dwSize = sizeof(RASENTRYNAMEA);
    size = static_cast<DWORD>(records.size() * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(service().RasEnumEntriesA(nullptr, nullptr, records.data(), &size, &count), ERROR_SUCCESS);
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) names.emplace_back(records[i].szEntryName);
    return names;
}

// Every file below the root, by its path, with its bytes.
std::map<std::string, std::string> filesBelow(const PppRoot& root, const std::string& folder = "/etc") {
    std::map<std::string, std::string> files;
    if (!fs::exists(root.file(folder))) return files;
    for (const auto& item : fs::recursive_directory_iterator(root.file(folder))) {
        if (item.is_regular_file() || item.is_symlink()) {
            files[item.path().string().substr(root.path().size())] = testsupport::readFile(item.path().string());
        }
    }
    return files;
}

// The lines of `after` that are not in `before`, in order.
std::vector<std::string> changedLines(const std::string& before, const std::string& after) {
    std::istringstream a(before), b(after);
    std::vector<std::string> left, right, changed;
    for (std::string line; std::getline(a, line);) left.push_back(line);
    for (std::string line; std::getline(b, line);) right.push_back(line);
    for (size_t i = 0; i < right.size(); ++i) {
        if (i >= left.size() || left[i] != right[i]) changed.push_back(right[i]);
    }
    EXPECT_EQ(left.size(), right.size()) << "lines were added or removed:\n" << after;
    return changed;
}

struct Written {
    std::string what;
    std::string name;
    std::function<void(RASENTRYA&)> fields;
    std::string user;
    std::string password;
    bool removePassword = false;
};

TEST(PppService, WhatIsWrittenReadsBackWholeAndPppdReadsIt) {
    PppRoot root;
    testsupport::TempDir ports;
    testsupport::FakeModem modem(ports.file("ttyFAKE"));
    const std::string device = modem.deviceName();
    std::vector<std::future<void>> checks;
    const Written cases[] = {
        {"tone", "isp", [](RASENTRYA&) {}, "taro@isp.example", "secret"},
        {"pulse, NT", "pulse", [](RASENTRYA& e) { setText(e.szLocalPhoneNumber, "P0,03-1234-5678##64"); }, "u", "p"},
        {"pulse, 95", "pulse95", [](RASENTRYA& e) { setText(e.szLocalPhoneNumber, "PP0312345678"); }, "u", "p"},
        {"area codes", "area",
         [](RASENTRYA& e) {
             e.dwfOptions |= RASEO_UseCountryAndAreaCodes;
             setText(e.szAreaCode, "03");
             setText(e.szLocalPhoneNumber, "5550-1234");
         },
         "u", "p"},
        {"two name servers", "dns2",
         [](RASENTRYA& e) {
             e.dwfOptions |= RASEO_SpecificNameServers;
             e.ipaddrDns = {10, 1, 2, 3};
             e.ipaddrDnsAlt = {10, 4, 5, 6};
         },
         "u", "p"},
        {"fixed, no address", "dns0", [](RASENTRYA& e) { e.dwfOptions |= RASEO_SpecificNameServers; }, "u", "p"},
        {"only the second", "dnsalt",
         [](RASENTRYA& e) {
             e.dwfOptions |= RASEO_SpecificNameServers;
             e.ipaddrDnsAlt = {192, 0, 2, 2};
         },
         "u", "p"},
        {"addresses kept, option off", "dnsoff",
         [](RASENTRYA& e) {
             e.ipaddrDns = {10, 0, 0, 1};
             e.ipaddrDnsAlt = {10, 0, 0, 2};
         },
         "u", "p"},
        {"a device without a port", "noport",
         [](RASENTRYA& e) {
             setText(e.szDeviceName, sjis("標準 56000 bps モデム"));
             setText(e.szDeviceType, "isdn");
         },
         "u", "p"},
        {"fields pppd has no use for", "other",
         [](RASENTRYA& e) {
             e.dwfOptions |= RASEO_SpecificIpAddr | RASEO_SwCompression;
             e.ipaddr = {192, 0, 2, 9};
             e.dwFrameSize = 1006;
             e.dwChannels = 2;
             setText(e.szScript, "C:\\WINDOWS\\pppmenu.scp");
             setText(e.szX25Address, sjis("表示"));
         },
         "u", "p"},
        {"a CP932 name with 0x5C and a blank", sjis("表示ソフト 能"), [](RASENTRYA&) {},
         sjis("ソフト") + "\\user@" + sjis("例") + ".jp", "p\"a ss#wo\\rd'"},
        {"no password", "nopassword", [](RASENTRYA&) {}, "u", "", true},
        {"an empty password", "emptypassword", [](RASENTRYA&) {}, "u", ""},
    };
    for (const Written& test : cases) {
        SCOPED_TRACE(test.what);
        RASENTRYA entry = modemEntry("0570-012-345", device);
        test.fields(entry);
        ASSERT_EQ(setEntry(test.name, entry), ERROR_SUCCESS);
        ASSERT_EQ(setAccount(test.name, test.user, test.password, test.removePassword), ERROR_SUCCESS);
        RASENTRYA read;
        ASSERT_EQ(getEntry(test.name, read), ERROR_SUCCESS);
        EXPECT_EQ(fieldsOf(read), fieldsOf(entry));
        std::string user, password;
        bool hasPassword = false;
        ASSERT_EQ(getAccount(test.name, user, password, hasPassword), ERROR_SUCCESS);
        EXPECT_EQ(user, test.user);
        EXPECT_EQ(password, test.password);
        EXPECT_EQ(hasPassword, !test.removePassword);

        // pppd parses the peer and takes its user as written (all at once
        // below: pppd lowers DTR and waits a second as it ends).
        std::string peer;
        ASSERT_TRUE(cp932::toUtf8(test.name, peer));
        std::vector<std::string> arguments{"file", root.file("/etc/ppp/peers/" + peer), "dryrun"};
        if (std::string(entry.szDeviceName).find('(') == std::string::npos) arguments.insert(arguments.end(), {"pty", "true"});
        if (ppptest::isRoot()) {
            checks.push_back(std::async(std::launch::async, [arguments, user = test.user, what = test.what] {
                const testsupport::ProcessResult run = ppptest::pppd(arguments);
                EXPECT_EQ(run.status, 0) << what << ": " << run.err;
                bool found = false;
                EXPECT_EQ(ppptest::optionInEffect(run.out + run.err, "user", found), user) << what << ": " << run.err;
            }));
        }
    }
    for (auto& check : checks) check.get();
    EXPECT_EQ(entryNames().size(), std::size(cases));
}

// A peer as Debian's dial-up configuration tool writes it, and its secrets
// among others' (docs/ppp.md).
void layDownForeignPeer(const PppRoot& root) {
    root.write("/etc/ppp/peers/testisp",
               "hide-password\nnoauth\nconnect \"/usr/sbin/chat -v -f /etc/chatscripts/testisp\"\ndebug\n/dev/ttyS0\n"
               "115200\ndefaultroute\nnoipdefault\nuser \"yamada taro@example.ne.jp\"\nremotename testisp\n"
               "ipparam testisp\n");
    root.write("/etc/chatscripts/testisp",
               "# ispauth PAP\n# abortstring\nABORT BUSY ABORT 'NO CARRIER' ABORT VOICE ABORT 'NO DIALTONE' "
               "ABORT 'NO DIAL TONE' ABORT 'NO ANSWER' ABORT DELAYED\n# modeminit\n'' ATZ\n# ispnumber\n"
               "OK-AT-OK \"ATDT0,0312345678\"\n# ispconnect\nCONNECT \\d\\c\n# prelogin\n# ispname\n# isppassword\n"
               "# postlogin\n# end of pppconfig stuff\n");
    root.write("/etc/ppp/pap-secrets",
               "# Secrets for authentication using PAP\n# client\tserver\tsecret\t\t\tIP addresses\n"
               "\"other@example.ne.jp\"\totherisp\t\"other secret\"\n"
               "\"yamada taro@example.ne.jp\" testisp \"pa ss#word\"\n"
               "*\tlocal\t\"\"\t192.0.2.0/24 # a comment of its own\n",
               0600);
    root.write("/etc/ppp/resolv/testisp", "nameserver 192.0.2.53\n", 0644);
}

TEST(PppService, APeerOfAnotherHandIsReadAndMigratedChangingOnlyItsOwnLines) {
    PppRoot root;
    layDownForeignPeer(root);
    const auto before = filesBelow(root);
    EXPECT_THAT(entryNames(), ElementsAre("testisp"));
    RASENTRYA entry;
    ASSERT_EQ(getEntry("testisp", entry), ERROR_SUCCESS);
    EXPECT_STREQ(entry.szLocalPhoneNumber, "0,0312345678");
    EXPECT_STREQ(entry.szDeviceName, "/dev/ttyS0");
    EXPECT_EQ(entry.dwfOptions, RASEO_SpecificNameServers | RASEO_IpHeaderCompression | RASEO_RemoteDefaultGateway);
    EXPECT_EQ(entry.ipaddrDns.d, 53);
    std::string user, password;
    bool hasPassword = false;
    ASSERT_EQ(getAccount("testisp", user, password, hasPassword), ERROR_SUCCESS);
    EXPECT_EQ(user, "yamada taro@example.ne.jp");
    EXPECT_EQ(password, "pa ss#word");

    // What the migration writes: the new account, then the new number.
    ASSERT_EQ(setAccount("testisp", "yamada taro@new.example", "pa ss#word"), ERROR_SUCCESS);
    setText(entry.szLocalPhoneNumber, "0,0570000111");
    ASSERT_EQ(setEntry("testisp", entry), ERROR_SUCCESS);
    const auto after = filesBelow(root);
    EXPECT_THAT(changedLines(before.at("/etc/ppp/peers/testisp"), after.at("/etc/ppp/peers/testisp")),
                ElementsAre("user \"yamada taro@new.example\""));
    EXPECT_THAT(changedLines(before.at("/etc/chatscripts/testisp"), after.at("/etc/chatscripts/testisp")),
                ElementsAre("OK-AT-OK \"ATDT0,0570000111\""));
    EXPECT_THAT(changedLines(before.at("/etc/ppp/pap-secrets"), after.at("/etc/ppp/pap-secrets")),
                ElementsAre("\"yamada taro@new.example\" testisp \"pa ss#word\""));
    EXPECT_EQ(after.at("/etc/ppp/resolv/testisp"), before.at("/etc/ppp/resolv/testisp"));
    // Its secret was in pap-secrets alone, and stays there alone.
    EXPECT_EQ(after.count("/etc/ppp/chap-secrets"), 0u);
    RASENTRYA read;
    ASSERT_EQ(getEntry("testisp", read), ERROR_SUCCESS);
    EXPECT_EQ(fieldsOf(read), fieldsOf(entry));
}

// A peer that names no server (no remotename): pppd takes the first line of
// its user, whatever the server, and so does the service, to read and to
// change.
TEST(PppService, APeerWithoutAServersNameHasTheFirstLineOfItsUser) {
    PppRoot root;
    root.write("/etc/ppp/peers/plain", "noauth\n/dev/ttyS0\nuser hanako\n");
    root.write("/etc/ppp/pap-secrets", "jiro * other\nhanako isp \"first\"\nhanako * second\n", 0600);
    std::string user, password;
    bool hasPassword = false;
    ASSERT_EQ(getAccount("plain", user, password, hasPassword), ERROR_SUCCESS);
    EXPECT_EQ(password, "first");
    ASSERT_EQ(setAccount("plain", "hanako", "changed"), ERROR_SUCCESS);
    EXPECT_EQ(root.read("/etc/ppp/pap-secrets"), "jiro * other\nhanako isp changed\nhanako * second\n");
}

TEST(PppService, SecretsAreTheOwnersAloneFromTheirFirstByteAndOthersStayAsTheyWere) {
    PppRoot root;
    layDownForeignPeer(root);
    const std::string others = root.read("/etc/ppp/pap-secrets");
    const mode_t umaskBefore = umask(0);
    ASSERT_EQ(setEntry("mine", modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(setAccount("mine", "me", "first secret"), ERROR_SUCCESS);
    ASSERT_EQ(setAccount("mine", "me", "second secret"), ERROR_SUCCESS);
    umask(umaskBefore);
    for (const char* secrets : {"/etc/ppp/pap-secrets", "/etc/ppp/chap-secrets"}) {
        SCOPED_TRACE(secrets);
        EXPECT_EQ(fs::status(root.file(secrets)).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    }
    // Others' lines and comments stay byte for byte, before the new line.
    EXPECT_EQ(root.read("/etc/ppp/pap-secrets").substr(0, others.size()), others);
    // No copy of a former secret is left beside the files.
    for (const auto& [path, bytes] : filesBelow(root, "/etc/ppp")) {
        EXPECT_THAT(bytes, Not(HasSubstr("first secret"))) << path;
        if (path.rfind("/etc/ppp/.kivora-spare", 0) == 0) {
            EXPECT_EQ(fs::status(root.file(path)).permissions() & (fs::perms::group_all | fs::perms::others_all),
                      fs::perms::none)
                << path;
        }
    }
    EXPECT_EQ(fs::status(root.file("/etc/ppp/peers/mine")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::status(root.file("/var/lib/kivora")).permissions(), fs::perms::owner_all);
}

TEST(PppService, DamageIsToldAndNeverRewritten) {
    struct Case {
        const char* what;
        std::function<void(const PppRoot&)> damage;
        bool entryReadable;  // the entry itself still reads; its account does not
    };
    const Case cases[] = {
        {"a secret's quote never closed",
         [](const PppRoot& root) { root.write("/etc/ppp/pap-secrets", "\"yamada\" testisp \"pa ss\n", 0600); }, true},
        {"a peer's quote never closed",
         [](const PppRoot& root) { root.write("/etc/ppp/peers/testisp", "user \"yamada\nnoauth\n"); }, false},
        {"a chat script's quote never closed",
         [](const PppRoot& root) { root.write("/etc/chatscripts/testisp", "'' ATZ\nOK \"ATDT123\n"); }, false},
        {"a peer that is a symbolic link",
         [](const PppRoot& root) {
             fs::rename(root.file("/etc/ppp/peers/testisp"), root.file("/etc/ppp/peers/elsewhere"));
             fs::create_symlink("elsewhere", root.file("/etc/ppp/peers/testisp"));
         },
         false},
        {"a peer that is a directory",
         [](const PppRoot& root) {
             fs::remove(root.file("/etc/ppp/peers/testisp"));
             fs::create_directory(root.file("/etc/ppp/peers/testisp"));
         },
         false},
        {"a line of Kivora's own that it never wrote",
         [](const PppRoot& root) {
             root.write("/etc/ppp/peers/testisp", "#kivora dwNoSuchField=1\n" + root.read("/etc/ppp/peers/testisp"));
         },
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        PppRoot root;
        layDownForeignPeer(root);
        test.damage(root);
        const auto before = filesBelow(root);
        EXPECT_THAT(entryNames(), Contains("testisp"));
        RASENTRYA entry = modemEntry("0570");
        std::string user, password;
        bool hasPassword = false;
        EXPECT_EQ(getEntry("testisp", entry) == ERROR_SUCCESS, test.entryReadable);
        EXPECT_EQ(getAccount("testisp", user, password, hasPassword), ERROR_CANNOT_OPEN_PHONEBOOK);
        EXPECT_EQ(setAccount("testisp", "new", "pw"), ERROR_CANNOT_OPEN_PHONEBOOK);
        if (!test.entryReadable) {
            EXPECT_EQ(setEntry("testisp", modemEntry("0570")), ERROR_CANNOT_OPEN_PHONEBOOK);
        }
        EXPECT_EQ(service().RasDeleteEntryA(nullptr, "testisp"), ERROR_CANNOT_OPEN_PHONEBOOK);
        EXPECT_EQ(filesBelow(root), before);
    }
}

// The service's journal (docs/ppp.md): after a crash of the machine, each
// file it wrote is laid down again from its last step where it does not hold
// that; a journal damaged before its end stops every change, and is told.
TEST(PppService, TheJournalLaysDownAgainWhatACrashLostAndDamageStopsChanges) {
    PppRoot root;
    RASENTRYA entry = modemEntry("0,03-5550-1234");
    ASSERT_EQ(setEntry("isp", entry), ERROR_SUCCESS);
    ASSERT_EQ(setAccount("isp", "taro", "secret"), ERROR_SUCCESS);
    const std::string chat = root.read("/etc/chatscripts/isp");
    std::string journal = root.read("/var/lib/kivora/ppp.journal");
    ASSERT_THAT(journal, HasSubstr("\nstep "));
    // Another boot, and a chat script that lost its new content.
    journal.replace(journal.find(' ', std::strlen("kivora-ppp-journal 1")), journal.find('\n') - std::strlen("kivora-ppp-journal 1"),
                    " another-boot");
    root.write("/var/lib/kivora/ppp.journal", journal, 0600);
    root.write("/etc/chatscripts/isp", "", 0640);
    RASENTRYA read;
    ASSERT_EQ(getEntry("isp", read), ERROR_SUCCESS);
    EXPECT_EQ(root.read("/etc/chatscripts/isp"), chat);
    EXPECT_EQ(fieldsOf(read), fieldsOf(entry));
    EXPECT_EQ(root.read("/var/lib/kivora/ppp.journal"), "");

    // Two steps, the first one damaged.
    ASSERT_EQ(setAccount("isp", "taro", "second"), ERROR_SUCCESS);
    ASSERT_EQ(setAccount("isp", "taro", "third"), ERROR_SUCCESS);
    journal = root.read("/var/lib/kivora/ppp.journal");
    journal[journal.find("second")] = 'S';
    root.write("/var/lib/kivora/ppp.journal", journal + "step 9999 0\n", 0600);
    const auto before = filesBelow(root);
    EXPECT_EQ(setAccount("isp", "taro", "fourth"), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(filesBelow(root), before);
}

TEST(PppService, NamesThatCannotBePeersAreRefusedAndNamesCompareWithoutRegardToCase) {
    PppRoot root;
    ASSERT_EQ(setEntry("isp", modemEntry("1")), ERROR_SUCCESS);
    const std::pair<std::string, DWORD> cases[] = {
        {"a/b", ERROR_INVALID_NAME},
        {".hidden", ERROR_INVALID_NAME},
        {"..", ERROR_INVALID_NAME},
        // 纊 as NEC's extension: it comes back from UTF-8 as IBM's.
        {"\xED\x40", ERROR_INVALID_NAME},
        {"\xFA\x5C", ERROR_SUCCESS},
        // 90 kanji: 180 bytes of CP932, 270 of UTF-8, more than a file name.
        {[] {
             std::string name;
             for (int i = 0; i < 90; ++i) name += sjis("表");
             return name;
         }(),
         ERROR_INVALID_NAME},
        {sjis("表示 ソフト"), ERROR_SUCCESS},
        {"ISP", ERROR_ALREADY_EXISTS},
    };
    for (const auto& [name, code] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(service().RasValidateEntryNameA(nullptr, name.c_str()), code);
    }
    EXPECT_EQ(setEntry("a/b", modemEntry("1")), ERROR_INVALID_NAME);
    RASENTRYA entry;
    EXPECT_EQ(getEntry("ISP", entry), ERROR_SUCCESS);
    EXPECT_THAT(filesBelow(root, "/etc/ppp/peers"), ElementsAre(::testing::Key("/etc/ppp/peers/isp")));
}

// The library as the program loads it and ends with it: LoadLibraryA and
// FreeLibrary, which tell its DllMain.
void loadAndUnloadTheService(const testsupport::TempDir& scratch) {
    // A file of its own each time: a library may stay mapped after its free.
    static int loads = 0;
    const std::string copy = scratch.file("librasapi32-" + std::to_string(++loads) + ".so");
    fs::copy_file(KIVORA_PPP_DIR "/librasapi32.so", copy);
    HMODULE library = LoadLibraryA(copy.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(FreeLibrary(library));
}

TEST(PppService, TheDefaultConnectionValueMakesProviderCallTheEntryAndKeepsTheFormerOne) {
    PppRoot root;
    testsupport::TempDir scratch;
    const std::string provider = "# Debian's default peer\nnoauth\nconnect \"/usr/sbin/chat -v -f /etc/chatscripts/provider\"\n";
    root.write("/etc/ppp/peers/provider", provider);
    ASSERT_EQ(setEntry(sjis("ルリカケ"), modemEntry("1")), ERROR_SUCCESS);
    root.write("/var/lib/kivora/HKLM.reg",
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default]\r\n\"DefaultInternet\"=\"" +
                   sjis("ルリカケ") + "\"\r\n\r\n",
               0644);
    loadAndUnloadTheService(scratch);
    EXPECT_THAT(root.read("/etc/ppp/peers/provider"), HasSubstr("\ncall \"ルリカケ\"\n"));
    EXPECT_EQ(root.read("/etc/ppp/peers/provider.kivora-former"), provider);
    // pon with no name dials it; the program lists it once, by its name.
    EXPECT_THAT(entryNames(), ElementsAre("provider.kivora-former", sjis("ルリカケ")));

    // Set by hand afterwards, provider stays as it is while the value does
    // not change.
    root.write("/etc/ppp/peers/provider", "call provider.kivora-former\n");
    loadAndUnloadTheService(scratch);
    EXPECT_EQ(root.read("/etc/ppp/peers/provider"), "call provider.kivora-former\n");
}

TEST(PppService, ARunningPppdIsAConnectionAndHangingUpEndsIt) {
    PppRoot root;
    testsupport::TempDir scratch;
    ASSERT_EQ(setEntry("isp", modemEntry("1", "Fake (/dev/ttyS7)")), ERROR_SUCCESS);
    const std::string fakePppd = testsupport::copyInto("/bin/sleep", scratch.path(), "pppd");
    const pid_t pppd = fork();
    if (pppd == 0) {
        execl(fakePppd.c_str(), fakePppd.c_str(), "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    // pppd's own pid file, another for a pppd long gone, one for a process
    // that is not pppd.
    root.write("/run/ppp-isp.pid", std::to_string(pppd) + "\nppp0\n", 0644);
    root.write("/run/ppp-gone.pid", "999999\n", 0644);
    root.write("/run/ppp-notpppd.pid", std::to_string(getpid()) + "\n", 0644);
    for (int i = 0; i < 200 && testsupport::readFile("/proc/" + std::to_string(pppd) + "/cmdline").find("pppd") ==
                                    std::string::npos;
         ++i) {
        usleep(5000);
    }
    std::vector<RASCONNA> connections(4);
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(connections.size() * sizeof(RASCONNA)), count = 0;
    ASSERT_EQ(service().RasEnumConnectionsA(connections.data(), &size, &count), ERROR_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(connections[0].szEntryName, "isp");
    EXPECT_STREQ(connections[0].szDeviceName, "Fake (/dev/ttyS7)");
    EXPECT_EQ(connections[0].hrasconn, static_cast<HRASCONN>(pppd));
    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    EXPECT_EQ(service().RasGetConnectStatusA(connections[0].hrasconn, &status), ERROR_SUCCESS);
    EXPECT_EQ(service().RasHangUpA(connections[0].hrasconn), ERROR_SUCCESS);
    int ended = 0;
    ASSERT_EQ(waitpid(pppd, &ended, 0), pppd);
    EXPECT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == SIGTERM);
    EXPECT_EQ(service().RasHangUpA(static_cast<HRASCONN>(getpid())), ERROR_INVALID_HANDLE);
}

TEST(PppService, OnlyModemsThatAnswerAreListedAndSilentPortsCostUnderASecond) {
    PppRoot root;
    testsupport::TempDir ports;
    std::vector<std::unique_ptr<testsupport::FakeModem>> modems;
    modems.push_back(std::make_unique<testsupport::FakeModem>(ports.file("ttyS0"), "U.S. Robotics 56K"));
    for (const char* silent : {"ttyS1", "ttyS2", "ttyS3", "ttyS4"}) {
        modems.push_back(std::make_unique<testsupport::FakeModem>(ports.file(silent), "silent"));
    }
    modems.push_back(std::make_unique<testsupport::FakeModem>(ports.file("ttyUSB0"), "Kivora Fake 33600"));
    std::string list;
    for (const auto& modem : modems) list += modem->port() + ":";
    setenv("KIVORA_MODEM_PORTS", (list + ports.file("missing")).c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    DWORD size = 0, count = 0;
    ASSERT_EQ(service().RasEnumDevicesA(nullptr, &size, &count), ERROR_BUFFER_TOO_SMALL);
    std::vector<RASDEVINFOA> devices(count);
    devices[0].dwSize = sizeof(RASDEVINFOA);
    ASSERT_EQ(service().RasEnumDevicesA(devices.data(), &size, &count), ERROR_SUCCESS);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(1));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(devices[0].szDeviceName, modems.front()->deviceName());
    EXPECT_EQ(devices[1].szDeviceName, modems.back()->deviceName());
    EXPECT_STREQ(devices[1].szDeviceType, "modem");

    // A port that a live process has locked (pppd dialling) is not asked.
    root.write("/run/lock/LCK..ttyUSB0", "      " + std::to_string(getppid()) + "\n", 0644);
    setenv("KIVORA_MODEM_PORTS", modems.back()->port().c_str(), 1);
    size = 0;
    EXPECT_EQ(service().RasEnumDevicesA(nullptr, &size, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);
    unsetenv("KIVORA_MODEM_PORTS");
}

TEST(PppService, WithoutTheRightToWriteNothingChangesAndTheReasonIsGiven) {
    SKIP_UNLESS_ROOT();
    PppRoot root;
    layDownForeignPeer(root);
    fs::permissions(root.path(), fs::perms::owner_all | fs::perms::others_exec);
    const auto before = filesBelow(root);
    const testsupport::ProcessResult run =
        testsupport::runProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                 KIVORA_TESTS_BIN "/kivora-ppp-sys", "--root", root.path(), "credentials", "testisp",
                                 "someone", "else"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("Permission denied"));
    EXPECT_THAT(run.err, HasSubstr("needs root"));
    EXPECT_EQ(filesBelow(root), before);
    char text[256];
    EXPECT_EQ(service().RasGetErrorStringA(ERROR_ACCESS_DENIED, text, sizeof text), ERROR_SUCCESS);
}

TEST(PppService, WritersAtOnceLoseNothing) {
    PppRoot root;
    layDownForeignPeer(root);
    constexpr int kWriters = 6;
    for (int i = 0; i < kWriters; ++i) ASSERT_EQ(setEntry("e" + std::to_string(i), modemEntry("1")), ERROR_SUCCESS);
    std::vector<pid_t> writers;
    for (int i = 0; i < kWriters; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            for (int round = 0; round < 10; ++round) {
                const std::string n = std::to_string(i);
                const auto run = testsupport::runProcess({KIVORA_TESTS_BIN "/kivora-ppp-sys", "--root", root.path(),
                                                          "credentials", "e" + n, "u" + n + "-" + std::to_string(round),
                                                          "p" + n});
                if (run.status != 0) _exit(1);
            }
            _exit(0);
        }
        writers.push_back(child);
    }
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int i = 0; i < kWriters; ++i) {
        std::string user, password;
        bool hasPassword = false;
        ASSERT_EQ(getAccount("e" + std::to_string(i), user, password, hasPassword), ERROR_SUCCESS);
        EXPECT_EQ(user, "u" + std::to_string(i) + "-9");
        EXPECT_EQ(password, "p" + std::to_string(i));
    }
    EXPECT_THAT(root.read("/etc/ppp/pap-secrets"), HasSubstr("\"yamada taro@example.ne.jp\" testisp \"pa ss#word\"\n"));
}

}  // namespace
