// kivora-sys init, version and registry, run as the program it is.
#include "RegistryTestSupport.h"
#include "RunProcess.h"

#include <filesystem>

namespace {

using testsupport::ProcessResult;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::TempSystemRoot;

ProcessResult sys(const std::vector<std::string>& args) {
    std::vector<std::string> argv{KIVORA_SYS};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::runProcess(argv);
}

TEST(KivoraSys, BadArgumentsGiveUsageAndStatusTwo) {
    TempSystemRoot root;
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"--bogus", "init"},
        {"--root"},
        {"init", "--root"},
        {"init", "now"},
        {"version", "vista"},
        {"version", "2", "5"},
        {"version", "2", "5", "1", "x"},
        {"version", "2", "5", "1", "4294967296"},
        {"version", "2", "-5", "1", "2600"},
        {"version", "2", "5", "1", "2600", "5"},
        {"registry", "HKCU"},
    };
    for (const auto& args : bad) {
        ProcessResult r = sys(args);
        std::string shown = args.empty() ? "(none)" : args[0] + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_NE(r.err.find("usage: kivora-sys"), std::string::npos) << shown << ": " << r.err;
    }
    // Nothing was written by any of them.
    EXPECT_TRUE(std::filesystem::is_empty(root.path()));
    ProcessResult help = sys({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("registry"), std::string::npos);
}

TEST(KivoraSys, InitSeedsAndPrintsTheRoot) {
    TempDir dir;
    std::string root = dir.path() + "/new/system";
    ProcessResult r = sys({"--root", root, "init"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, root + "\n");
    for (const char* file : {"version", "HKCU.reg", "HKLM.reg"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(root + "/" + file)) << file;
    }
    std::string hkcu = readFile(root + "/HKCU.reg");
    // A second init changes nothing.
    ASSERT_EQ(sys({"--root", root, "init"}).status, 0);
    EXPECT_EQ(readFile(root + "/HKCU.reg"), hkcu);
    EXPECT_EQ(sys({"--root", root, "registry"}).out, "");
    // --root after the command names the same root.
    ProcessResult after = sys({"init", "--root", root});
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.out, root + "\n");
}

TEST(KivoraSys, RegistryPrintsEveryValueInUtf8) {
    TempSystemRoot root;
    const std::string name = "\x83\x5C\x83\x74\x83\x67\x90\xDA\x91\xB1";  // ソフト接続
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "NoNetAutodial", 0), ERROR_SUCCESS);
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "Big", 4294967295u), ERROR_SUCCESS);
    ASSERT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", name), ERROR_SUCCESS);
    ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, "DefaultInternet", name), ERROR_SUCCESS);
    ProcessResult r = sys({"registry"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\EnableAutodial=dword:1\n"
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\NoNetAutodial=dword:0\n"
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Big=dword:4294967295\n"
              "HKEY_CURRENT_USER\\RemoteAccess\\InternetProfile=sz:ソフト接続\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default\\DefaultInternet=sz:ソフト接続\n");
}

TEST(KivoraSys, VersionShowsAndSetsTheIdentity) {
    TempSystemRoot root;
    ProcessResult shown = sys({"version"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "platform=2\nmajor=5\nminor=1\nbuild=2600\ncsd=Service Pack 3\nname=xp (Windows XP)\n");

    ProcessResult set = sys({"version", "95osr2"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "platform=1\nmajor=4\nminor=0\nbuild=0x04000457\ncsd= B\nname=95osr2 (Windows 95 OSR2)\n");
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwBuildNumber, 0x04000457u);

    ProcessResult custom = sys({"version", "2", "6", "0", "0x1770"});
    ASSERT_EQ(custom.status, 0) << custom.err;
    EXPECT_EQ(custom.out, "platform=2\nmajor=6\nminor=0\nbuild=6000\ncsd=\n");
    // Leading zeros are decimal, never octal.
    EXPECT_EQ(sys({"version", "2", "05", "010", "0"}).out, "platform=2\nmajor=5\nminor=10\nbuild=0\ncsd=\n");
}

TEST(KivoraSys, DamagedFilesAreReportedOnOneLineAndLeftAlone) {
    TempSystemRoot root;
    const std::string hive = "REGEDIT4\r\n\r\n\"Orphan\"=dword:00000001\r\n";
    testsupport::writeFile(root.file("HKCU.reg"), hive);
    ProcessResult r = sys({"registry"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kivora-sys: " + root.file("HKCU.reg") +
                         " is damaged (line 3: a value before the first key); it was left as it is\n");
    EXPECT_EQ(readFile(root.file("HKCU.reg")), hive);
    EXPECT_EQ(sys({"init"}).status, 1);
    EXPECT_EQ(readFile(root.file("HKCU.reg")), hive);

    testsupport::writeFile(root.file("version"), "platform=2\nmajor=five\n");
    ProcessResult v = sys({"version"});
    EXPECT_EQ(v.status, 1);
    EXPECT_EQ(v.err, "kivora-sys: " + root.file("version") +
                         " is damaged (line 2: major must be a number from 0 to 4294967295); it was left as it is\n");
    // Setting a version explicitly replaces it.
    EXPECT_EQ(sys({"version", "xp"}).status, 0);
}

TEST(KivoraSys, UnwritableRootIsOneClearLine) {
    TempDir dir;
    testsupport::writeFile(dir.file("file"), "x");
    for (const char* command : {"init", "version", "registry"}) {
        ProcessResult r = sys({"--root", dir.file("file") + "/system", command});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "") << command;
        EXPECT_NE(r.err.find("kivora-sys: cannot create " + dir.file("file")), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Not a directory"), std::string::npos) << r.err;
    }
}

}  // namespace
