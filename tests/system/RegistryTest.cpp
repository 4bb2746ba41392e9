// The registry stand-in: opening keys, writing values, and the hive files.
#include "RegistryTestSupport.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

using testsupport::readFile;
using testsupport::TempSystemRoot;
using testsupport::writeFile;

TEST(Registry, FreshRootHasTheKeysOfAFreshWindows) {
    TempSystemRoot root;
    HKEY key = nullptr;
    for (auto [hive, path] : {std::pair{HKEY_CURRENT_USER, kInternetSettings},
                              std::pair{HKEY_CURRENT_USER, "RemoteAccess"},
                              std::pair{HKEY_LOCAL_MACHINE, kAutoDialDefault},
                              // Parents of a key exist too.
                              std::pair{HKEY_CURRENT_USER, "Software\\Microsoft"},
                              std::pair{HKEY_LOCAL_MACHINE, "SOFTWARE"}}) {
        ASSERT_EQ(RegOpenKeyExA(hive, path, 0, KEY_WRITE, &key), ERROR_SUCCESS) << path;
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    EXPECT_EQ(readFile(root.file("HKLM.reg")),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default]\r\n\r\n");
}

TEST(Registry, KeyNamesCompareWithoutRegardToAsciiCase) {
    TempSystemRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\microsoft\\WINDOWS\\currentversion\\internet settings",
                            0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    DWORD one = 1;
    ASSERT_EQ(RegSetValueExA(key, "EnableAutodial", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);
    RegCloseKey(key);
    // Landed in the seeded key, spelled as it was.
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial").number, 1u);
}

TEST(Registry, MissingKeysAreNeverCreated) {
    TempSystemRoot root;
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kivora", 0, KEY_WRITE, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    std::string before = readFile(root.file("HKCU.reg"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RemoteAccess", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess\\Profile", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    // A prefix of a name is not the key.
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Remote", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\RemoteAccess", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(readFile(root.file("HKCU.reg")), before);
}

TEST(Registry, WritesLandAndReadBackByteForByte) {
    TempSystemRoot root;
    // "ソフト接続": its first character's second byte is 0x5C, the separator.
    const std::string name = "\x83\x5C\x83\x74\x83\x67\x90\xDA\x91\xB1 \"quoted\" back\\slash";
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "NoNetAutodial", 0), ERROR_SUCCESS);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "Big", 0xFFFFFFFF), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", name), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet", name), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", name.c_str(), ""), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", nullptr, "default"), ERROR_SUCCESS);

    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial").number, 1u);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "NoNetAutodial").type, REG_DWORD);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "Big").number, 0xFFFFFFFFu);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile").text, name);
    EXPECT_EQ(readBack(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet").text, name);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", name).type, REG_SZ);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "").text, "default");

    std::string hive = readFile(root.file("HKCU.reg"));
    EXPECT_NE(hive.find("\"EnableAutodial\"=dword:00000001\r\n\"NoNetAutodial\"=dword:00000000\r\n"),
              std::string::npos) << hive;
    // The 0x5C trail byte is not escaped; a real backslash and quotes are.
    EXPECT_NE(hive.find("\"InternetProfile\"=\"\x83\x5C\x83\x74\x83\x67\x90\xDA\x91\xB1 \\\"quoted\\\" back\\\\slash\""),
              std::string::npos) << hive;
    EXPECT_NE(hive.find("@=\"default\"\r\n"), std::string::npos);
}

TEST(Registry, OverwritingKeepsOneValueUnderItsFirstSpelling) {
    TempSystemRoot root;
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", "old"), ERROR_SUCCESS);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, "RemoteAccess", "INTERNETPROFILE", 7), ERROR_SUCCESS);
    std::string hive = readFile(root.file("HKCU.reg"));
    EXPECT_NE(hive.find("[HKEY_CURRENT_USER\\RemoteAccess]\r\n\"InternetProfile\"=dword:00000007\r\n\r\n"),
              std::string::npos) << hive;
}

TEST(Registry, ValuesTheStoreCannotHoldAreRefused) {
    TempSystemRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    const BYTE binary[] = {1, 2, 3, 4};
    EXPECT_EQ(RegSetValueExA(key, "Binary", 0, REG_BINARY, binary, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Short", 0, REG_DWORD, binary, 3), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Null", 0, REG_DWORD, nullptr, 4), ERROR_NOACCESS);
    auto sz = [&](const char* name, std::string_view bytes) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    };
    EXPECT_EQ(sz("NoTerminator", std::string_view("abc", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("Embedded", std::string_view("a\0b\0", 4)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("Padded", std::string_view("ab\0\0", 4)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("LineBreak", std::string_view("a\r\nb\0", 5)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("NotCp932", std::string_view("\x80\0", 2)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("CutCharacter", std::string_view("a\x83\0", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("Empty", std::string_view("", 0)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz("Bad\nName", std::string_view("x\0", 2)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz(std::string(16384, 'n').c_str(), std::string_view("x\0", 2)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sz(std::string(16383, 'n').c_str(), std::string_view("x\0", 2)), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "Binary").type, REG_NONE);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "Empty").type, REG_NONE);
}

TEST(Registry, HandlesFollowWindows) {
    TempSystemRoot root;
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    DWORD one = 1;
    const BYTE* data = reinterpret_cast<const BYTE*>(&one);
    EXPECT_EQ(RegSetValueExA(readOnly, "x", 0, REG_DWORD, data, 4), ERROR_ACCESS_DENIED);
    // A key opened below an open key.
    HKEY software = nullptr;
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft", 0, KEY_READ, &software), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(software, "Windows\\CurrentVersion\\Internet Settings\\", 0, KEY_WRITE, &child),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(child, "EnableAutodial", 0, REG_DWORD, data, 4), ERROR_SUCCESS);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial").number, 1u);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(child), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(child, "EnableAutodial", 0, REG_DWORD, data, 4), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
    // The predefined keys are always open; values can sit at a hive's root.
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "AtRoot", 0, REG_DWORD, data, 4), ERROR_SUCCESS);
    EXPECT_EQ(readBack(HKEY_LOCAL_MACHINE, "", "AtRoot").number, 1u);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(0x80000003u), "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 1, KEY_READ, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

// Tests run as root in CI, for whom the file system never refuses a write:
// the owner write bit is what makes a hive read-only.
TEST(Registry, ReadOnlyHiveRefusesWriteAccessAndStaysUnchanged) {
    TempSystemRoot root;
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 0), ERROR_SUCCESS);
    ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet", "old"), ERROR_SUCCESS);
    ASSERT_EQ(chmod(root.file("HKLM.reg").c_str(), 0444), 0);
    std::string before = readFile(root.file("HKLM.reg"));

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAutoDialDefault, 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAutoDialDefault, 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet", "new"), ERROR_ACCESS_DENIED);
    // Reading is allowed; the predefined key itself cannot write either.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAutoDialDefault, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    DWORD one = 1;
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(readFile(root.file("HKLM.reg")), before);

    // The other hive is still writable.
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial").number, 1u);

    // Made read-only after the key was opened: the write is refused then.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    ASSERT_EQ(chmod(root.file("HKCU.reg").c_str(), 0444), 0);
    EXPECT_EQ(RegSetValueExA(key, "EnableAutodial", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST(Registry, WritesKeepTheHiveFilesMode) {
    TempSystemRoot root;
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 0), ERROR_SUCCESS);
    ASSERT_EQ(chmod(root.file("HKCU.reg").c_str(), 0600), 0);
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);
    struct stat st {};
    ASSERT_EQ(stat(root.file("HKCU.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(Registry, DamagedHivesAreReportedAndNeverRewritten) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SYSTEM_CORPUS_DIR "/hive")) {
        TempSystemRoot root;
        std::string bytes = readFile(entry.path().string());
        writeFile(root.file("HKCU.reg"), bytes);
        struct stat before {};
        ASSERT_EQ(stat(root.file("HKCU.reg").c_str(), &before), 0);

        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_READ, &key), ERROR_BADDB) << entry.path();
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_WRITE, &key), ERROR_BADDB);
        DWORD one = 1;
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
                  ERROR_BADDB);
        standin::Hive hive("HKEY_CURRENT_USER");
        std::string error;
        EXPECT_EQ(standin::loadHive(hiveFile(HKEY_CURRENT_USER), hive, error), ERROR_BADDB);
        EXPECT_NE(error.find("HKCU.reg is damaged ("), std::string::npos) << error;

        struct stat after {};
        ASSERT_EQ(stat(root.file("HKCU.reg").c_str(), &after), 0);
        EXPECT_EQ(readFile(root.file("HKCU.reg")), bytes) << entry.path();
        EXPECT_EQ(after.st_ino, before.st_ino) << entry.path();
        // The undamaged hive still works.
        EXPECT_EQ(setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet", "x"), ERROR_SUCCESS);
        ++files;
    }
    EXPECT_GE(files, 20);
}

TEST(Registry, HandWrittenHivesAreReadFaithfully) {
    TempSystemRoot root;
    // LF line ends, upper-case hexadecimal, a key named in double-byte
    // characters whose trail bytes are 0x5C, escapes, a default value.
    writeFile(root.file("HKCU.reg"),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\\x83\x5C\x83\x74\x83\x67\\Sub]\n"
              "\"Number\"=dword:0000ABCD\n@=\"a \\\"b\\\" \\\\ c\"\n\n[hkey_current_user\\RemoteAccess]\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\x83\x5C\x83\x74\x83\x67\\sub", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\x83\x5C", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "\x83\x5C\x83\x74\x83\x67\\Sub", "Number").number, 0xABCDu);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "\x83\x5C\x83\x74\x83\x67\\Sub", "").text, "a \"b\" \\ c");
    // A write keeps everything else (now with CRLF, as Windows writes).
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", "p"), ERROR_SUCCESS);
    EXPECT_EQ(readFile(root.file("HKCU.reg")),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\x83\x5C\x83\x74\x83\x67\\Sub]\r\n"
              "\"Number\"=dword:0000abcd\r\n@=\"a \\\"b\\\" \\\\ c\"\r\n\r\n"
              "[HKEY_CURRENT_USER\\RemoteAccess]\r\n\"InternetProfile\"=\"p\"\r\n\r\n");
}

TEST(Registry, LargeHivesAreReadAndStillRefuseNamesGivenTwice) {
    // Every key was once compared with every other: 5,000 keys took 45 s.
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 10000; ++i) {
        text += "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\Key" + std::to_string(i) + "]\r\n\"V\"=dword:1\r\n";
    }
    text += "\r\n[HKEY_CURRENT_USER\\Many]\r\n";
    for (int i = 0; i < 10000; ++i) text += "\"Value" + std::to_string(i) + "\"=\"x\"\r\n";
    standin::Hive hive("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(hive.parse(text, error)) << error;
    EXPECT_EQ(hive.keys().size(), 10001u);
    EXPECT_EQ(hive.keys().back().values.size(), 10000u);

    // Names given again far from their first spelling, in another case.
    standin::Hive again("HKEY_CURRENT_USER");
    EXPECT_FALSE(again.parse(text + "\"VALUE5000\"=\"y\"\r\n", error));
    EXPECT_EQ(error, "line 40004: the value is given twice in its key");
    EXPECT_FALSE(again.parse(text + "\r\n[hkey_current_user\\SOFTWARE\\vendor\\key5000]\r\n", error));
    EXPECT_EQ(error, "line 40005: the key is listed twice");
    // The same value name under another key is no repetition.
    EXPECT_TRUE(again.parse(text + "\r\n[HKEY_CURRENT_USER\\Other]\r\n\"Value5000\"=\"y\"\r\n", error)) << error;
}

TEST(Registry, ADeletedHiveFileIsSeededAgainOnItsNextUse) {
    TempSystemRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    ASSERT_EQ(std::remove(root.file("HKCU.reg").c_str()), 0);
    DWORD one = 1;
    // The open key went with its file.
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_KEY_DELETED);
    RegCloseKey(key);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, "RemoteAccess", "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "x").number, 1u);
}

}  // namespace
