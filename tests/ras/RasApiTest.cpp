// The entry points of librasapi32.so against the contract its callers rely
// on: Windows' size protocol and error codes, entry names compared without
// regard to ASCII case, and every byte written read back.
#include "RasLibrary.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <random>

using namespace rastest;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class RasApi : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;
    std::string phonebook() const { return root.file("phonebook.txt"); }
};

RASENTRYA readEntry(const std::string& name, DWORD& result) {
    RASENTRYA entry;
    std::memset(&entry, 0xEE, sizeof entry);
    entry.dwSize = sizeof entry;
    DWORD size = sizeof entry;
    result = ras().RasGetEntryPropertiesA(nullptr, name.c_str(), &entry, &size, nullptr, nullptr);
    return entry;
}

// Fills every text field to the last byte before its terminator with bytes
// from 0x01 to 0xFF, double-byte characters with 0x5C and 0x7C trail bytes
// among them, and every number and address with something non-zero.
RASENTRYA everyByteEntry(unsigned seed) {
    RASENTRYA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    std::mt19937 random(seed);
    const std::string trails = sjis("表ソ能ポ") + "\\|\n\r\t";
    auto fillText = [&](CHAR* field, size_t capacity) {
        for (size_t i = 0; i + 1 < capacity; ++i) {
            field[i] = i < trails.size() ? trails[i] : static_cast<CHAR>(1 + random() % 255);
        }
        field[capacity - 1] = '\0';
    };
    fillText(entry.szAreaCode, sizeof entry.szAreaCode);
    fillText(entry.szLocalPhoneNumber, sizeof entry.szLocalPhoneNumber);
    fillText(entry.szScript, sizeof entry.szScript);
    fillText(entry.szAutodialDll, sizeof entry.szAutodialDll);
    fillText(entry.szAutodialFunc, sizeof entry.szAutodialFunc);
    fillText(entry.szDeviceType, sizeof entry.szDeviceType);
    fillText(entry.szDeviceName, sizeof entry.szDeviceName);
    fillText(entry.szX25PadType, sizeof entry.szX25PadType);
    fillText(entry.szX25Address, sizeof entry.szX25Address);
    fillText(entry.szX25Facilities, sizeof entry.szX25Facilities);
    fillText(entry.szX25UserData, sizeof entry.szX25UserData);
    entry.dwfOptions = 0xFFFFFFFF;
    entry.dwCountryID = 81;
    entry.dwCountryCode = 0x80000000;
    entry.ipaddr = {1, 2, 3, 4};
    entry.ipaddrDns = {255, 255, 255, 255};
    entry.ipaddrDnsAlt = {10, 0, 0, 1};
    entry.ipaddrWins = {0, 0, 0, 1};
    entry.ipaddrWinsAlt = {192, 168, 0, 0};
    entry.dwFrameSize = 1006;
    entry.dwfNetProtocols = RASNP_Ip | RASNP_Ipx;
    entry.dwFramingProtocol = RASFP_Slip;
    entry.dwChannels = 2;
    entry.dwReserved1 = 7;
    entry.dwReserved2 = 0xDEADBEEF;
    return entry;
}

}  // namespace

TEST_F(RasApi, EntryReadsBackEveryByteBeforeAndAfterTheFileIsReRead) {
    const std::string name = sjis("表示ソフト");  // 0x5C trail bytes in the name itself
    const RASENTRYA written = everyByteEntry(1);
    ASSERT_EQ(setEntry(name, written), ERROR_SUCCESS);

    // Size query first, then a buffer of the size it reported.
    DWORD size = 0;
    ASSERT_EQ(ras().RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr),
              ERROR_BUFFER_TOO_SMALL);
    ASSERT_EQ(size, 1768u);
    DWORD result;
    RASENTRYA cached = readEntry(name, result);
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(&cached, &written, sizeof written), 0);

    // The same from the file, parsed afresh.
    std::string bytes = readFile(phonebook());
    EXPECT_NE(bytes.find("[" + name + "]"), std::string::npos) << "names stay raw CP932 in the file";
    replaceFile(phonebook(), bytes);
    RASENTRYA reread = readEntry(name, result);
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(&reread, &written, sizeof written), 0);
    EXPECT_EQ(entryNames(), std::vector<std::string>{name});
}

TEST_F(RasApi, GetEntryPropertiesAnswersWindowsCodes) {
    ASSERT_EQ(setEntry("Kivora", modemEntry("0570-000-000")), ERROR_SUCCESS);
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    DWORD size = 0;

    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "missing", nullptr, &size, nullptr, nullptr),
              ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "Kivora", &entry, nullptr, nullptr, nullptr),
              ERROR_BUFFER_INVALID);
    size = sizeof entry;
    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "Kivora", nullptr, &size, nullptr, nullptr),
              ERROR_BUFFER_INVALID);
    size = sizeof entry - 1;
    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "Kivora", &entry, &size, nullptr, nullptr),
              ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, sizeof entry);
    entry.dwSize = 1676;  // another version's size
    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "Kivora", &entry, &size, nullptr, nullptr),
              ERROR_INVALID_SIZE);
    entry.dwSize = sizeof entry;
    EXPECT_EQ(ras().RasGetEntryPropertiesA("/tmp/another-phonebook", "Kivora", &entry, &size, nullptr, nullptr),
              ERROR_CANNOT_OPEN_PHONEBOOK);

    // No name: the fields a new entry starts with.
    DWORD deviceInfoSize = 99;
    ASSERT_EQ(ras().RasGetEntryPropertiesA(nullptr, nullptr, &entry, &size, nullptr, &deviceInfoSize),
              ERROR_SUCCESS);
    EXPECT_STREQ(entry.szDeviceType, "modem");
    EXPECT_EQ(entry.dwfOptions, 0u);
    EXPECT_EQ(deviceInfoSize, 0u);
}

TEST_F(RasApi, SetEntryPropertiesRefusesWhatThePhonebookCannotHoldAndLeavesItAlone) {
    ASSERT_EQ(setEntry("Kivora", modemEntry("1")), ERROR_SUCCESS);
    const std::string before = readFile(phonebook());
    RASENTRYA entry = modemEntry("2");

    EXPECT_EQ(ras().RasSetEntryPropertiesA(nullptr, "Kivora", &entry, sizeof entry - 1, nullptr, 0),
              ERROR_INVALID_SIZE);
    entry.dwSize = 1676;
    EXPECT_EQ(setEntry("Kivora", entry), ERROR_INVALID_SIZE);
    entry.dwSize = sizeof entry;
    EXPECT_EQ(ras().RasSetEntryPropertiesA(nullptr, "Kivora", nullptr, sizeof entry, nullptr, 0),
              ERROR_BUFFER_INVALID);
    EXPECT_EQ(ras().RasSetEntryPropertiesA(nullptr, nullptr, &entry, sizeof entry, nullptr, 0),
              ERROR_BUFFER_INVALID);
    BYTE deviceInfo[8] = {};
    EXPECT_EQ(
        ras().RasSetEntryPropertiesA(nullptr, "Kivora", &entry, sizeof entry, deviceInfo, sizeof deviceInfo),
        ERROR_INVALID_PARAMETER);

    for (const std::string& name : {std::string(), std::string(257, 'x'), std::string("tab\there"),
                                    std::string("orphan\x81"), std::string("\xFF\xFE")}) {
        EXPECT_EQ(setEntry(name, entry), ERROR_INVALID_NAME) << name;
        EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, name.c_str()), ERROR_INVALID_NAME) << name;
    }
    EXPECT_EQ(setEntry(std::string(256, 'x'), entry), ERROR_SUCCESS);
    EXPECT_EQ(ras().RasDeleteEntryA(nullptr, std::string(256, 'x').c_str()), ERROR_SUCCESS);

    RASENTRYA unterminated = entry;
    std::memset(unterminated.szAreaCode, '0', sizeof unterminated.szAreaCode);
    EXPECT_EQ(setEntry("Kivora", unterminated), ERROR_INVALID_PARAMETER);
    RASENTRYA alternates = entry;
    alternates.dwAlternateOffset = sizeof entry;
    EXPECT_EQ(setEntry("Kivora", alternates), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(readFile(phonebook()), before);
}

TEST_F(RasApi, ValidatingANameAppliesThePublishedRules) {
    // 表 is 0x95 0x5C and ソ 0x83 0x5C: a trail byte equal to '\\' is no backslash.
    for (const std::string& name : {std::string("Kivora 1"), std::string("a.b"), sjis("表示"), sjis("ソフト"),
                                    sjis("ｶﾅ"), sjis("接続")}) {
        EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, name.c_str()), ERROR_SUCCESS) << name;
    }
    for (const std::string& name : {std::string("a/b"), std::string("a\\b"), std::string("x:y"), std::string("a*"),
                                    std::string("why?"), std::string("<a>"), std::string("a|b"),
                                    std::string(".hidden"), std::string("   "), std::string("-_-"), sjis("　・")}) {
        EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, name.c_str()), ERROR_INVALID_NAME) << name;
    }
}

TEST_F(RasApi, EntryNamesIgnoreAsciiCaseButNotTrailBytes) {
    ASSERT_EQ(setEntry("Kivora", modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(setEntry("second", modemEntry("2")), ERROR_SUCCESS);
    // Same name but for case: replaces the entry in its place, under the new spelling.
    ASSERT_EQ(setEntry("KIVORA", modemEntry("3")), ERROR_SUCCESS);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"KIVORA", "second"}));
    DWORD result;
    EXPECT_STREQ(readEntry("kivora", result).szLocalPhoneNumber, "3");
    EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, "kIvOrA"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, "third"), ERROR_SUCCESS);

    // ア is 0x83 0x41 and ヂ 0x83 0x61: their trail bytes differ only as 'A'
    // and 'a' would, yet they are different characters.
    ASSERT_EQ(setEntry(sjis("ア"), modemEntry("4")), ERROR_SUCCESS);
    ASSERT_EQ(setEntry(sjis("ヂ"), modemEntry("5")), ERROR_SUCCESS);
    EXPECT_EQ(entryNames().size(), 4u);
    EXPECT_STREQ(readEntry(sjis("ア"), result).szLocalPhoneNumber, "4");

    EXPECT_EQ(ras().RasDeleteEntryA(nullptr, "SECOND"), ERROR_SUCCESS);
    EXPECT_EQ(ras().RasDeleteEntryA(nullptr, "SECOND"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"KIVORA", sjis("ア"), sjis("ヂ")}));
}

TEST_F(RasApi, EnumEntriesFollowsTheTwoCallProtocol) {
    RASENTRYNAMEA one{};
    one.dwSize = sizeof one;
    DWORD size = 0;
    DWORD count = 99;
    // An empty phonebook needs no second call.
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, &one, &size, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);

    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(setEntry(name, modemEntry("1")), ERROR_SUCCESS);
    size = 0;
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, &one, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 3 * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(count, 3u);
    std::vector<RASENTRYNAMEA> names(3);
    names[0].dwSize = 264;
    ASSERT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, names.data(), &size, &count), ERROR_SUCCESS);
    EXPECT_STREQ(names[2].szEntryName, "c");
    EXPECT_EQ(names[2].dwSize, 264u);

    names[0].dwSize = 28;
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, names.data(), &size, &count), ERROR_INVALID_SIZE);
    names[0].dwSize = 264;
    EXPECT_EQ(ras().RasEnumEntriesA("reserved", nullptr, names.data(), &size, &count),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, names.data(), nullptr, &count), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, names.data(), &size, nullptr), ERROR_INVALID_PARAMETER);
}

// What public conformance tests run on Windows NT record for RasEnumDevicesA
// (Wine's dlls/rasapi32/tests/rasapi.c), asked of each enumeration over three
// records of its own. Sizes and dwSizes: 0, the right one, one short, one over.
TEST_F(RasApi, EnumerationsCheckTheirArgumentsAsWindowsNtDoes) {
    enum Amount { Zero, Right, OneShort, OneOver };
    const struct {
        const char* what;
        bool buffer, sizePointer, countPointer;
        Amount size, version;
        DWORD expected;
    } rows[] = {
        {"no buffer, size 0", false, true, true, Zero, Right, ERROR_BUFFER_TOO_SMALL},
        {"no buffer, the size needed", false, true, true, Right, Right, ERROR_BUFFER_TOO_SMALL},
        {"dwSize 0", true, true, true, Right, Zero, ERROR_INVALID_SIZE},
        {"dwSize one short", true, true, true, Right, OneShort, ERROR_INVALID_SIZE},
        {"dwSize one over", true, true, true, Right, OneOver, ERROR_INVALID_SIZE},
        {"no size pointer", true, false, true, Right, Right, ERROR_INVALID_PARAMETER},
        {"no count pointer", true, true, false, Right, Right, ERROR_INVALID_PARAMETER},
        {"no buffer, no size pointer", false, false, true, Right, Right, ERROR_INVALID_PARAMETER},
        {"no buffer, no count pointer", false, true, false, Right, Right, ERROR_INVALID_PARAMETER},
        {"size one byte short", true, true, true, OneShort, Right, ERROR_BUFFER_TOO_SMALL},
        {"size one byte over", true, true, true, OneOver, Right, ERROR_SUCCESS},
        {"size 0 and dwSize 0", true, true, true, Zero, Zero, ERROR_INVALID_SIZE},
    };
    using Call = DWORD (*)(void*, LPDWORD, LPDWORD);
    const std::pair<DWORD, Call> enumerations[] = {
        {sizeof(RASDEVINFOA),
         [](void* b, LPDWORD s, LPDWORD c) { return ras().RasEnumDevicesA(LPRASDEVINFOA(b), s, c); }},
        {sizeof(RASENTRYNAMEA),
         [](void* b, LPDWORD s, LPDWORD c) { return ras().RasEnumEntriesA({}, {}, LPRASENTRYNAMEA(b), s, c); }},
        {sizeof(RASCONNA),
         [](void* b, LPDWORD s, LPDWORD c) { return ras().RasEnumConnectionsA(LPRASCONNA(b), s, c); }},
    };
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(setEntry(name, modemEntry("1")), ERROR_SUCCESS);
    writeFile(root.file("connections.txt"), "1\ta\tmodem\tm\n2\tb\tmodem\tm\n3\tc\tmodem\tm\n");
    for (const auto& [record, call] : enumerations) {
        const DWORD needed = 3 * record;
        const DWORD sizes[] = {0, needed, needed - 1, needed + 1};
        const DWORD versions[] = {0, record, record - 1, record + 1};
        for (const auto& row : rows) {
            std::vector<DWORD> buffer(needed / sizeof(DWORD) + 1);
            buffer[0] = versions[row.version];
            DWORD size = sizes[row.size];
            DWORD count = 0;
            const DWORD result = call(row.buffer ? buffer.data() : nullptr, row.sizePointer ? &size : nullptr,
                                      row.countPointer ? &count : nullptr);
            EXPECT_EQ(result, row.expected) << record << "-byte records, " << row.what;
            if (result == ERROR_BUFFER_TOO_SMALL) {
                EXPECT_EQ(size, needed) << record << "-byte records, " << row.what;
            }
        }
    }
}

TEST_F(RasApi, DialParamsKeepUserAndPasswordApartWithTheRemovePasswordFlag) {
    const std::string name = sjis("表");
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, name.c_str());
    BOOL hasPassword = TRUE;
    EXPECT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword),
              ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(setCredentials(name, "u", "p", FALSE), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    ASSERT_EQ(setEntry(name, modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
    EXPECT_FALSE(hasPassword);
    EXPECT_STREQ(params.szUserName, "");

    const std::string user = sjis("ユーザー@example.ne.jp");
    const std::string password = sjis("秘密\\ソ");
    ASSERT_EQ(setCredentials(name, user, password, FALSE), ERROR_SUCCESS);
    struct stat st {};
    ASSERT_EQ(stat(root.file("credentials.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(readFile(phonebook()).find(password), std::string::npos);

    ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
    EXPECT_TRUE(hasPassword);
    EXPECT_EQ(params.szUserName, user);
    EXPECT_EQ(params.szPassword, password);
    EXPECT_EQ(params.szEntryName, name);

    // The flag removes the password (whatever szPassword holds) but stores the user name.
    ASSERT_EQ(setCredentials(name, "other", "ignored", TRUE), ERROR_SUCCESS);
    ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
    EXPECT_FALSE(hasPassword);
    EXPECT_STREQ(params.szUserName, "other");
    EXPECT_STREQ(params.szPassword, "");
    // That change went to the credentials' journal, which the owner alone reads too.
    ASSERT_EQ(stat(root.file("credentials.journal").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // An empty password stored without the flag is a password.
    ASSERT_EQ(setCredentials(name, "other", "", FALSE), ERROR_SUCCESS);
    ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
    EXPECT_TRUE(hasPassword);

    params.dwSize = 1060;
    EXPECT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_INVALID_SIZE);
    EXPECT_EQ(ras().RasSetEntryDialParamsA(nullptr, &params, FALSE), ERROR_INVALID_SIZE);
    params.dwSize = sizeof params;
    RASDIALPARAMSA unterminated = params;
    std::memset(unterminated.szDomain, 'd', sizeof unterminated.szDomain);
    EXPECT_EQ(ras().RasSetEntryDialParamsA(nullptr, &unterminated, FALSE), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, nullptr), ERROR_BUFFER_INVALID);
    EXPECT_EQ(ras().RasSetEntryDialParamsA(nullptr, nullptr, FALSE), ERROR_BUFFER_INVALID);

    // Deleting the entry takes its credentials along: a new entry of the
    // same name starts without them.
    ASSERT_EQ(ras().RasDeleteEntryA(nullptr, name.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(setEntry(name, modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
    EXPECT_FALSE(hasPassword);
    EXPECT_STREQ(params.szUserName, "");
}

// Each row is one call over what the rows before stored: an empty user name
// keeps the name and the password, an empty domain or callback number what
// is stored, and the flag removes the password ("-": none stored).
TEST_F(RasApi, DialParamsKeepWhatAnEmptyFieldLeavesOut) {
    const std::array<const char*, 9> rows[] = {
        // user, password, domain, callback, flag -> stored user, password, domain, callback
        {"taro", "p1", "dom", "0120", "", "taro", "p1", "dom", "0120"},
        {"", "ignored", "", "", "", "taro", "p1", "dom", "0120"},
        {"", "", "", "", "remove", "taro", "-", "dom", "0120"},
        {"jiro", "p2", "", "", "", "jiro", "p2", "dom", "0120"},
        {"jiro", "p3", "other", "0990", "remove", "jiro", "-", "other", "0990"},
        {"hanako", "", "", "", "", "hanako", "", "other", "0990"},
    };
    ASSERT_EQ(setEntry("Kivora", modemEntry("1")), ERROR_SUCCESS);
    for (const auto& row : rows) {
        RASDIALPARAMSA params{};
        params.dwSize = sizeof params;
        std::strcpy(params.szEntryName, "Kivora");
        for (auto [field, value] : {std::pair{params.szUserName, row[0]}, {params.szPassword, row[1]},
                                    {params.szDomain, row[2]}, {params.szCallbackNumber, row[3]}}) {
            std::strcpy(field, value);
        }
        ASSERT_EQ(ras().RasSetEntryDialParamsA(nullptr, &params, *row[4] ? TRUE : FALSE), ERROR_SUCCESS);
        BOOL hasPassword = FALSE;
        ASSERT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_SUCCESS);
        EXPECT_EQ((std::vector<std::string>{params.szUserName, hasPassword ? params.szPassword : "-", params.szDomain,
                                            params.szCallbackNumber}),
                  std::vector<std::string>(row.begin() + 5, row.end()))
            << row[0] << " " << row[4];
    }
}

TEST_F(RasApi, DevicesAreSeededAndEnumeratedWithTheTwoCallProtocol) {
    DWORD size = 0;
    DWORD count = 0;
    ASSERT_EQ(ras().RasEnumDevicesA(nullptr, &size, &count), ERROR_BUFFER_TOO_SMALL);
    ASSERT_EQ(count, 3u);
    ASSERT_EQ(size, 3 * sizeof(RASDEVINFOA));
    std::vector<RASDEVINFOA> devices(count);
    devices[0].dwSize = 152;
    ASSERT_EQ(ras().RasEnumDevicesA(devices.data(), &size, &count), ERROR_SUCCESS);
    EXPECT_STREQ(devices[0].szDeviceType, "modem");
    EXPECT_STREQ(devices[1].szDeviceType, "modem");
    EXPECT_STREQ(devices[2].szDeviceType, "isdn");
    EXPECT_NE(std::string(devices[0].szDeviceName), devices[1].szDeviceName);
    devices[0].dwSize = 148;
    EXPECT_EQ(ras().RasEnumDevicesA(devices.data(), &size, &count), ERROR_INVALID_SIZE);
}

TEST_F(RasApi, ConnectionsAnswer603ForTwoWithAOneRecordBuffer) {
    ASSERT_EQ(setEntry("one", modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(setEntry("two", modemEntry("2")), ERROR_SUCCESS);
    RASCONNA connections[2]{};
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD size = sizeof(RASCONNA);
    DWORD count = 0;
    EXPECT_EQ(ras().RasEnumConnectionsA(connections, &size, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);

    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    HRASCONN first = 0;
    HRASCONN second = 0;
    std::strcpy(params.szEntryName, "one");
    ASSERT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, nullptr, &first), ERROR_SUCCESS);
    std::strcpy(params.szEntryName, "TWO");
    ASSERT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, nullptr, &second), ERROR_SUCCESS);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    HRASCONN again = 0;
    ASSERT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, nullptr, &again), ERROR_SUCCESS);
    EXPECT_EQ(again, second);
    int notifier = 0;
    EXPECT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, &notifier, &again), ERROR_INVALID_PARAMETER);
    std::strcpy(params.szEntryName, "nowhere");
    EXPECT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, nullptr, &again),
              ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    size = sizeof(RASCONNA);
    count = 0;
    ASSERT_EQ(ras().RasEnumConnectionsA(connections, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 2 * sizeof(RASCONNA));
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(ras().RasEnumConnectionsA(connections, &size, &count), ERROR_SUCCESS);
    EXPECT_STREQ(connections[1].szEntryName, "two");
    EXPECT_STREQ(connections[1].szDeviceType, "modem");
    EXPECT_EQ(connections[1].hrasconn, second);

    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    ASSERT_EQ(ras().RasGetConnectStatusA(first, &status), ERROR_SUCCESS);
    EXPECT_EQ(status.rasconnstate, RASCS_Connected);
    EXPECT_EQ(ras().RasHangUpA(0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ras().RasHangUpA(first), ERROR_SUCCESS);
    EXPECT_EQ(ras().RasGetConnectStatusA(first, &status), ERROR_INVALID_HANDLE);
    size = sizeof(RASCONNA);
    EXPECT_EQ(ras().RasEnumConnectionsA(connections, &size, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 1u);
}

TEST_F(RasApi, DamagedPhonebookAnswers621AndIsNeverRewritten) {
    const std::string damaged = "[Kivora]\nszLocalPhoneNumber=123\ndwFoo=1\n";
    writeFile(phonebook(), damaged);
    struct stat before {};
    ASSERT_EQ(stat(phonebook().c_str(), &before), 0);

    DWORD size = 0;
    DWORD count = 0;
    RASENTRYA entry = modemEntry("1");
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, "Kivora");
    BOOL hasPassword;
    HRASCONN connection;
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, "Kivora", nullptr, &size, nullptr, nullptr),
              ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(setEntry("new", entry), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasDeleteEntryA(nullptr, "Kivora"), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasSetEntryDialParamsA(nullptr, &params, FALSE), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, "new"), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(ras().RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection),
              ERROR_CANNOT_OPEN_PHONEBOOK);

    struct stat after {};
    ASSERT_EQ(stat(phonebook().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(readFile(phonebook()), damaged);

    // Mended by hand, it is read again.
    replaceFile(phonebook(), "[Kivora]\nszLocalPhoneNumber=123\n");
    EXPECT_EQ(entryNames(), std::vector<std::string>{"Kivora"});
}

TEST_F(RasApi, DamagedCredentialsStopDeletionBeforeAnythingChanges) {
    ASSERT_EQ(setEntry("Kivora", modemEntry("1")), ERROR_SUCCESS);
    writeFile(root.file("credentials.txt"), "[Kivora]\nszUserName=a\nszUserName=b\n");
    EXPECT_EQ(ras().RasDeleteEntryA(nullptr, "Kivora"), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(entryNames(), std::vector<std::string>{"Kivora"});
}

TEST_F(RasApi, InjectedFaultsHitTheChosenCallsOnly) {
    ASSERT_EQ(setEntry("one", modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(setEntry("two", modemEntry("2")), ERROR_SUCCESS);
    writeFile(root.file("faults.txt"),
              "RasSetEntryPropertiesA\t14\tentry=ONE\ttimes=2\n"
              "RasEnumDevicesA\t1784\n");
    RASENTRYA entry = modemEntry("3");
    EXPECT_EQ(setEntry("two", entry), ERROR_SUCCESS);
    EXPECT_EQ(setEntry("one", entry), ERROR_OUTOFMEMORY);
    EXPECT_EQ(setEntry("one", entry), ERROR_OUTOFMEMORY);
    EXPECT_EQ(setEntry("one", entry), ERROR_SUCCESS) << "two calls, then the fault is used up";
    DWORD size = 0;
    DWORD count = 0;
    EXPECT_EQ(ras().RasEnumDevicesA(nullptr, &size, &count), ERROR_INVALID_USER_BUFFER);
    EXPECT_EQ(ras().RasEnumDevicesA(nullptr, &size, &count), ERROR_INVALID_USER_BUFFER);
    EXPECT_EQ(readFile(root.file("faults.txt")),
              "# Injected faults (tests only): FUNCTION<TAB>CODE, then "
              "entry=NAME and times=N when given.\nRasEnumDevicesA\t1784\n");

    writeFile(root.file("faults.txt"), "RasEnumDevicesA\tlots\n");
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), ERROR_CANNOT_OPEN_PHONEBOOK)
        << "a fault list that cannot be read is not ignored";
}

TEST_F(RasApi, ErrorStringsValidationAndThePhonebookDialog) {
    char text[256];
    ASSERT_EQ(ras().RasGetErrorStringA(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, text, sizeof text), ERROR_SUCCESS);
    EXPECT_STREQ(text, "The phonebook entry does not exist.");
    for (DWORD code :
         {ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER, ERROR_INVALID_NAME, ERROR_ALREADY_EXISTS,
          ERROR_BUFFER_TOO_SMALL, ERROR_BUFFER_INVALID, ERROR_CANNOT_OPEN_PHONEBOOK,
          ERROR_CANNOT_WRITE_PHONEBOOK, ERROR_INVALID_SIZE, ERROR_DEVICE_DOES_NOT_EXIST}) {
        EXPECT_EQ(ras().RasGetErrorStringA(code, text, sizeof text), ERROR_SUCCESS) << code;
    }
    // The published numbers, which a caller may test for.
    ASSERT_EQ(ras().RasGetErrorStringA(608, text, sizeof text), ERROR_SUCCESS);
    EXPECT_STREQ(text, "The device does not exist.");
    EXPECT_EQ(ras().RasGetErrorStringA(634, text, sizeof text), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasGetErrorStringA(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, text, 5),
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(ras().RasGetErrorStringA(12345, text, sizeof text), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasGetErrorStringA(ERROR_INVALID_SIZE, nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ras().RasCreatePhonebookEntryA(nullptr, nullptr), ERROR_CALL_NOT_IMPLEMENTED);
    EXPECT_EQ(ras().RasValidateEntryNameA(nullptr, nullptr), ERROR_BUFFER_INVALID);
}

TEST_F(RasApi, ChangesByAnotherProcessAreSeenAtTheNextCall) {
    ASSERT_EQ(setEntry("mine", modemEntry("1")), ERROR_SUCCESS);
    ASSERT_EQ(entryNames().size(), 1u);
    std::string command = std::string(KIVORA_BIN_DIR "/kivora-sys put theirs szLocalPhoneNumber=2");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"mine", "theirs"}));
}
