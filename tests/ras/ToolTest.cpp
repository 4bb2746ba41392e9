// kivora-sys as a user and a test script use it: UTF-8 in and out, exit
// status 1 for refusals and 2 for bad usage, passwords shown only on request.
#include "Cp932.h"
#include "RasLibrary.h"
#include "TempSystemRoot.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rastest;
using testsupport::readFile;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class Tool : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;
    testsupport::TempDir scratch;

    ToolRun run(std::vector<std::string> args) {
        args.insert(args.begin(), KIVORA_BIN_DIR "/kivora-sys");
        std::string outPath = scratch.file("out");
        std::string errPath = scratch.file("err");
        pid_t child = fork();
        if (child == 0) {
            int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = -1;
        waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
    }
};

}  // namespace

TEST_F(Tool, PutShowAndTheLibraryAgreeOnAJapaneseName) {
    ASSERT_EQ(run({"put", "表示ソフト", "dwfOptions=0x0500011C", "dwCountryID=81", "ipaddrDns=10.1.2.3",
                   "szLocalPhoneNumber=P0570-012-345", "szDeviceName=標準 56000 bps モデム"})
                  .status,
              0);
    ToolRun shown = run({"show", "表示ソフト"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.substr(0, shown.out.find("szAreaCode")),
              "dwSize=1768\ndwfOptions=0x0500011C\ndwCountryID=81\ndwCountryCode=0\n");
    EXPECT_NE(shown.out.find("\nipaddrDns=10.1.2.3\n"), std::string::npos);
    EXPECT_NE(shown.out.find("\nszDeviceType=modem\nszDeviceName=標準 56000 bps モデム\n"),
              std::string::npos);
    EXPECT_TRUE(shown.out.ends_with("dwReserved2=0\nszUserName=\n"));

    // The library reads what put wrote, under the CP932 name.
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    DWORD size = sizeof entry;
    ASSERT_EQ(
        ras().RasGetEntryPropertiesA(nullptr, sjis("表示ソフト").c_str(), &entry, &size, nullptr, nullptr),
        ERROR_SUCCESS);
    EXPECT_STREQ(entry.szLocalPhoneNumber, "P0570-012-345");
    EXPECT_EQ(entry.ipaddrDns.a, 10);

    // And put changes only what it is given.
    ASSERT_EQ(run({"put", "表示ソフト", "szAreaCode=03"}).status, 0);
    shown = run({"show", "表示ソフト"});
    EXPECT_NE(shown.out.find("\nszAreaCode=03\nszLocalPhoneNumber=P0570-012-345\n"), std::string::npos);

    EXPECT_EQ(run({"entries"}).out, "表示ソフト\n");
    EXPECT_EQ(run({"delete", "表示ソフト"}).status, 0);
    EXPECT_EQ(run({"entries"}).out, "");
}

TEST_F(Tool, PasswordsAppearOnlyWithReveal) {
    ASSERT_EQ(run({"put", "Kivora"}).status, 0);
    ASSERT_EQ(run({"credentials", "Kivora", "taro@example.ne.jp", "ひみつ"}).status, 0);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"show", "Kivora"},
                                                 {"entries"},
                                                 {"devices"},
                                                 {"connections"},
                                                 {"faults"}}) {
        ToolRun shown = run(args);
        EXPECT_EQ(shown.out.find("ひみつ"), std::string::npos) << args[0];
        EXPECT_EQ(shown.err.find("ひみつ"), std::string::npos) << args[0];
    }
    EXPECT_TRUE(run({"show", "Kivora"}).out.ends_with("szUserName=taro@example.ne.jp\n"));
    EXPECT_TRUE(run({"show", "--reveal", "Kivora"})
                    .out.ends_with("szUserName=taro@example.ne.jp\nszPassword=ひみつ\n"));

    // Without a password the stored one is removed.
    ASSERT_EQ(run({"credentials", "Kivora", "jiro"}).status, 0);
    EXPECT_TRUE(run({"show", "Kivora", "--reveal"}).out.ends_with("szUserName=jiro\n"));
}

TEST_F(Tool, RefusalsExitOneAndBadUsageExitsTwo) {
    ToolRun missing = run({"show", "nobody"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "kivora-sys: there is no entry named nobody\n");
    EXPECT_EQ(run({"delete", "nobody"}).status, 1);
    EXPECT_EQ(run({"credentials", "nobody", "u"}).status, 1);
    EXPECT_EQ(run({"disconnect", "nobody"}).status, 1);
    EXPECT_EQ(run({"device-remove", "nothing"}).status, 1);
    EXPECT_EQ(run({"put", ".\x01"}).status, 1);
    EXPECT_EQ(run({"put", "x", "alternate=" + std::string(129, '9')}).status, 1);

    EXPECT_EQ(run({"show"}).status, 2);
    EXPECT_EQ(run({"put", "x", "dwSize=1768"}).status, 2);
    EXPECT_EQ(run({"put", "x", "dwAlternateOffset=4"}).status, 2);
    EXPECT_EQ(run({"put", "x", "alternate=", "alternate=1"}).status, 2);
    EXPECT_EQ(run({"put", "x", "dwNoSuch=1"}).status, 2);
    EXPECT_EQ(run({"put", "x", "dwCountryID=eighty"}).status, 2);
    EXPECT_EQ(run({"put", "x", "szAreaCode=012345678901"}).status, 2);
    ToolRun notCp932 = run({"put", "Ω€😀"});
    EXPECT_EQ(notCp932.status, 2);
    EXPECT_NE(notCp932.err.find("CP932 cannot hold"), std::string::npos);
    EXPECT_EQ(run({"fault", "RasNoSuchA", "5"}).status, 2);
    EXPECT_EQ(run({"fault", "RasEnumEntriesA", "0"}).status, 2);
    EXPECT_EQ(run({"fault", "RasEnumEntriesA", "5", "--entry", "x"}).status, 2);
    EXPECT_EQ(run({"fault", "RasDeleteEntryA", "5", "--times"}).status, 2);
    EXPECT_EQ(run({"entries", "extra"}).status, 2);
    EXPECT_EQ(run({"entries"}).status, 0);
}

TEST_F(Tool, DamagedPhonebookIsReportedWithItsLineAndLeftAlone) {
    const std::string damaged = "[Kivora]\nszAreaCode=03\nszAreaCode=06\n";
    testsupport::writeFile(root.file("phonebook.txt"), damaged);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"entries"},
                                                 {"show", "Kivora"},
                                                 {"put", "Kivora", "szAreaCode=04"},
                                                 {"delete", "Kivora"}}) {
        ToolRun run_ = run(args);
        EXPECT_EQ(run_.status, 1) << args[0];
        EXPECT_EQ(run_.err, "kivora-sys: the phonebook " + root.file("phonebook.txt") +
                                " is damaged and was left as it is: line 3: field szAreaCode is given twice "
                                "(first on line 2)\n")
            << args[0];
    }
    EXPECT_EQ(readFile(root.file("phonebook.txt")), damaged);
}

TEST_F(Tool, DevicesConnectionsAndFaults) {
    ToolRun init = run({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    EXPECT_EQ(run({"devices"}).out,
              "modem\t標準 56000 bps モデム\nmodem\t標準 33600 bps モデム\nisdn\tISDN ターミナルアダプタ\n");
    ASSERT_EQ(run({"device-add", "modem", "ソフトモデム"}).status, 0);
    EXPECT_EQ(run({"device-add", "isdn", "ソフトモデム"}).status, 1);
    ASSERT_EQ(run({"device-remove", "標準 33600 bps モデム"}).status, 0);
    EXPECT_EQ(run({"devices"}).out,
              "modem\t標準 56000 bps モデム\nisdn\tISDN ターミナルアダプタ\nmodem\tソフトモデム\n");

    ASSERT_EQ(run({"put", "Kivora"}).status, 0);
    EXPECT_EQ(run({"connect", "nobody"}).status, 1);
    ASSERT_EQ(run({"connect", "Kivora"}).status, 0);
    EXPECT_EQ(run({"connections"}).out, "Kivora\n");
    ASSERT_EQ(run({"disconnect", "kivora"}).status, 0);
    EXPECT_EQ(run({"connections"}).out, "");

    ASSERT_EQ(run({"fault", "RasSetEntryPropertiesA", "621", "--entry", "表", "--times", "2"}).status, 0);
    ASSERT_EQ(run({"fault", "RasEnumEntriesA", "1784"}).status, 0);
    EXPECT_EQ(run({"faults"}).out, "RasSetEntryPropertiesA\t621\tentry=表\ttimes=2\nRasEnumEntriesA\t1784\n");
    DWORD size = 0;
    DWORD count = 0;
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), ERROR_INVALID_USER_BUFFER);
    EXPECT_EQ(setEntry(sjis("表"), modemEntry("1")), ERROR_CANNOT_OPEN_PHONEBOOK);
    ASSERT_EQ(run({"fault", "RasEnumEntriesA", "clear"}).status, 0);
    EXPECT_EQ(ras().RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), ERROR_BUFFER_TOO_SMALL);
    ASSERT_EQ(run({"fault", "RasSetEntryPropertiesA", "clear"}).status, 0);
    EXPECT_EQ(run({"faults"}).out, "");
}
