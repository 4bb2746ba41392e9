// pppd and chat at their real paths, in a private mount namespace, dialling
// what the real program wrote over the ppp service: the new connection's
// number, after a migration the new one, after --undo-migration the old
// one, and "pppd call provider" the new default. And the faults of the
// machine: a read-only /etc/ppp and a full disk change nothing and say why.
#include "Cp932.h"
#include "FakeModem.h"
#include "Program.h"
#include "PppTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using testsupport::Program;

// pppd dials the peer as pon does, up to the step the kernel would take
// (its PPP line discipline): what the fake modem received, its dial line.
std::string dialled(const Program& program, const std::string& peer) {
    const testsupport::FakeModem& modem = program.fakeModem(0);
    modem.forget();
    const std::string script = "set -e; mount --make-rprivate /; for d in /etc/ppp /etc/chatscripts /run; do "
                               "mkdir -p \"$ROOT$d\"; mount --bind \"$ROOT$d\" $d; done; exec \"$@\"";
    const testsupport::ProcessResult run = testsupport::runProcess(
        {"/usr/bin/unshare", "-m", "/bin/sh", "-c", script, "sh", "/usr/sbin/pppd", "call", peer, "nodetach",
         "nolock", "logfd", "2"},
        {{}, {"ROOT=" + program.systemRoot(), "LD_PRELOAD=" KIVORA_TESTS_BIN "/libkivora_devppp_preload.so",
              "KIVORA_PPP_ROOT"}});
    EXPECT_THAT(run.err, HasSubstr("Serial connection established")) << run.err;
    for (const std::string& line : modem.received()) {
        if (line.rfind("ATD", 0) == 0) return line;
    }
    return "(nothing dialled)";
}

class PppDial : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ppptest::isRoot()) GTEST_SKIP() << "needs root (a private mount namespace, pppd with a preload); CI runs as root";
        setenv("KIVORA_E2E_PPP", "1", 1);
    }
    void TearDown() override { unsetenv("KIVORA_E2E_PPP"); }
};

TEST_F(PppDial, TheFormDialsItsNumberTheMigrationTheNewOneAndUndoTheOldOne) {
    Program program;
    program.addFile("ISP_INF.csv", cp932::fromUtf8("DialupDomain,@new.example\r\nDefaultTelNumber,0570-000-111\r\n"));
    program.addFile("CTMENU.csv", cp932::fromUtf8("種別,名前,ドメイン,番号\r\n1,アナログ,@old.example,03-5550-1234\r\n"));
    // An outside-line prefix typed in front of the method's number.
    const auto created = program.run("set 1005 テスト接続\nset 1001 taro\nset 1002 pa ss\"word\n"
                                     "set 1003 0,03-5550-1234\nclick 1\nanswer OK\n");
    ASSERT_THAT(created.transcript, Contains(HasSubstr("ダイヤルアップネットワークを作成しました")));
    EXPECT_EQ(dialled(program, "テスト接続"), "ATDT0,03-5550-1234");
    // The box was ticked: pon with no name dials it too.
    EXPECT_EQ(dialled(program, "provider"), "ATDT0,03-5550-1234");

    program.addFile("APGEN.csv", cp932::fromUtf8("旧,03-5550-1234\r\n"));
    const auto migrated = program.run("click 1001\nclick 1\nanswer OK\n");
    ASSERT_THAT(migrated.transcript, Contains(HasSubstr("1個の設定を変更しました")));
    EXPECT_EQ(dialled(program, "テスト接続"), "ATDT0,0570-000-111");

    const auto undone = program.runWith({"--undo-migration"}, "answer OK\nanswer OK\n");
    ASSERT_THAT(undone.transcript, Contains(HasSubstr("1個の設定を元に戻しました")));
    EXPECT_EQ(dialled(program, "テスト接続"), "ATDT0,03-5550-1234");
}

TEST_F(PppDial, PulseDialsWithATDPAndTheAreaCodeBeforeTheNumber) {
    // The program's test root is the service's in this process too.
    Program program;
    RASENTRYA entry = ppptest::modemEntry("P9,5550-1234", program.modems()[0]);
    entry.dwfOptions |= RASEO_UseCountryAndAreaCodes;
    std::memcpy(entry.szAreaCode, "06", 3);
    ASSERT_EQ(ppptest::setEntry("pulse", entry), ERROR_SUCCESS);
    EXPECT_EQ(dialled(program, "pulse"), "ATDP069,5550-1234");
}

// The form lists the modems as it opens: four ports that never answer cost
// it less than a second together.
TEST(PppForm, OpensWithinASecondWhenFourPortsStaySilent) {
    setenv("KIVORA_E2E_PPP", "1", 1);
    Program program;
    unsetenv("KIVORA_E2E_PPP");
    program.addFile("ISP_INF.csv", "DialupDomain,@isp.example\r\n");
    program.addFile("CTMENU.csv", cp932::fromUtf8("種別,名前,ドメイン,番号\r\n1,アナログ,@isp.example,0570\r\n"));
    testsupport::TempDir ports;
    std::vector<std::unique_ptr<testsupport::FakeModem>> silent;
    std::string list;
    for (const char* port : {"ttyS0", "ttyS1", "ttyUSB0", "ttyACM0"}) {
        silent.push_back(std::make_unique<testsupport::FakeModem>(ports.file(port), "silent"));
        list += (list.empty() ? "" : ":") + silent.back()->port();
    }
    list += ":" + program.fakeModem(1).port();
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = program.run("dump\nclose\n", {{"KIVORA_MODEM_PORTS", list}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_THAT(outcome.transcript,
                Contains("control 1018 dropdown \"" + program.modems()[1] + "\" selected=0 items=\"" +
                         program.modems()[1] + "\""));
}

// Started without the right to change pppd's files, the program is told
// ERROR_ACCESS_DENIED by the service and says so; nothing is written, and
// nothing of its own is left behind.
TEST_F(PppDial, WithoutTheRightsTheFormIsToldAccessDeniedAndNothingIsWritten) {
    testsupport::TempDir program;
    testsupport::TempDir root;
    testsupport::TempDir ports;
    testsupport::FakeModem modem(ports.file("ttyS0"));
    namespace fs = std::filesystem;
    for (const char* file : {KIVORA_BIN_DIR "/kivora", KIVORA_PPP_DIR "/librasapi32.so"}) {
        fs::permissions(testsupport::copyInto(file, program.path()),
                        fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    }
    testsupport::writeFile(program.file("CTMENU.csv"),
                           cp932::fromUtf8("種別,名前,ドメイン,番号\r\n1,アナログ,@isp.example,0570\r\n"));
    testsupport::writeFile(program.file("script"), "set 1005 a\nset 1001 taro\nset 1002 secret\nclick 1\nanswer OK\nanswer OK\n");
    for (const std::string& dir : {program.path(), ports.path()}) {
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    fs::permissions(program.file("CTMENU.csv"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(program.file("script"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const testsupport::ProcessResult run = testsupport::runProcess(
        {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program.file("kivora")},
        {{}, {"HOME=/nonexistent", "KIVORA_UI=script", "KIVORA_SCRIPT=" + program.file("script"), "KIVORA_TRANSCRIPT",
              "KIVORA_SYSTEM", "KIVORA_PPP_ROOT=" + root.path(), "KIVORA_MODEM_PORTS=" + modem.port()}});
    EXPECT_THAT(run.out, HasSubstr("\"ダイヤルアップネットワーク設定の作成に失敗しました\\n\\nダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。\"")) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\"ダイヤルアップネットワーク作成に失敗しました\""));
    EXPECT_THAT(run.out, Not(HasSubstr("元の設定に戻せませんでした")));
    EXPECT_TRUE(fs::is_empty(root.path()));
}

// The service's own files below a read-only or a full /etc/ppp, in a
// namespace of their own: the change is refused with the reason, and every
// file stays as it was.
TEST_F(PppDial, AReadOnlyOrAFullEtcPppRefusesTheChangeAndLeavesEverythingAsItWas) {
    struct Case {
        const char* what;
        const char* mount;  // run in the namespace, $R the test root
        const char* reason;
        const char* code;
    };
    const Case cases[] = {
        {"read-only", "mount --bind \"$R/etc/ppp\" \"$R/etc/ppp\"; mount -o remount,bind,ro \"$R/etc/ppp\"",
         "Read-only file system", "needs root"},
        // Without spares beside the files, any change needs room.
        {"full", "cp -a \"$R/etc/ppp\" \"$R/saved\"; mount -t tmpfs -o size=64k tmpfs \"$R/etc/ppp\"; "
                 "cp -a \"$R/saved/.\" \"$R/etc/ppp/\"; rm -f \"$R\"/etc/ppp/.kivora-spare-* \"$R\"/etc/ppp/peers/.kivora-spare-*; "
                 "dd if=/dev/zero of=\"$R/etc/ppp/filler\" bs=4k 2>/dev/null || true",
         "No space left on device", "nothing was changed"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ppptest::PppRoot root;
        const std::string tool = KIVORA_TESTS_BIN "/kivora-ppp-sys";
        ASSERT_EQ(testsupport::runProcess({tool, "--root", root.path(), "put", "isp", "szLocalPhoneNumber=1"}).status, 0);
        ASSERT_EQ(testsupport::runProcess({tool, "--root", root.path(), "credentials", "isp", "taro", "old"}).status, 0);
        const std::string script = std::string("set -e; mount --make-rprivate /; ") + test.mount +
                                   "; cd \"$R/etc\"; sums() { find . -type f ! -name filler ! -name '.kivora-spare-*' -exec md5sum {} + | sort; }; "
                                   "before=$(sums); set +e; \"$TOOL\" --root \"$R\" credentials isp jiro new; "
                                   "echo status=$?; \"$TOOL\" --root \"$R\" put isp \"szDeviceName=Fake (/dev/ttyS1)\"; echo status=$?; "
                                   "[ \"$before\" = \"$(sums)\" ] && echo unchanged";
        const testsupport::ProcessResult run = testsupport::runProcess(
            {"/usr/bin/unshare", "-m", "/bin/sh", "-c", script}, {{}, {"R=" + root.path(), "TOOL=" + tool}});
        EXPECT_EQ(run.out, "status=1\nstatus=1\nunchanged\n") << run.err;
        EXPECT_THAT(run.err, HasSubstr(test.reason));
        EXPECT_THAT(run.err, HasSubstr(test.code));
    }
}

}  // namespace
