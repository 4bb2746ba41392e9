// The new-connection form end to end: the real program on the script
// backend, with what it wrote read back through kivora-sys.
#include "Cp932.h"
#include "Program.h"
#include "RunProcess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testsupport::Outcome;
using testsupport::Program;
using Lines = std::vector<std::string>;

// The first method overrides the settings' domain and number; the second
// method's number has blanks in it.
const char kSettings[] = "DialupDomain,@isp.example\nDefaultEntryName,テスト接続\nDefaultTelNumber,0120-000-000\n";
const char kMenu[] =
    "種別,名前,ドメイン,番号\n1,アナログ,@dial.example,03-1234-5678\n9,【見出し】\n2,ISDN,@isdn.example,03 9999 0000\n";

const std::string kCreated = "message information ok \"Kivora\" \"ダイヤルアップネットワークを作成しました\"";
const std::string kFailed = "message warning ok \"Kivora\" \"ダイヤルアップネットワーク作成に失敗しました\"";
const std::string kChooseMethod = "message warning ok \"Kivora\" \"接続方法を選択してください\"";
const char kPerUser[] = "HKEY_CURRENT_USER\\RemoteAccess\\InternetProfile=sz:";
const char kPerMachine[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default\\DefaultInternet=sz:";
const char kAutoDial[] = "Internet Settings\\EnableAutodial=dword:1";

std::string warning(const std::string& text) {
    return "message warning ok \"Kivora\" \"" + text + "\"";
}

Lines messages(const Outcome& outcome) {
    Lines result;
    for (const std::string& line : outcome.transcript) {
        if (line.rfind("message ", 0) == 0) result.push_back(line);
    }
    return result;
}

// Fills the form and presses 作成.
std::string submit(const std::string& name, const std::string& user = "taro", const std::string& password = "secret") {
    return "set 1005 " + name + "\nset 1001 " + user + "\nset 1002 " + password + "\nclick 1\n";
}

// A provider file, written as providers do: CP932 with CR LF.
void provide(Program& program, const char* name, const std::string& utf8) {
    std::string bytes;
    for (char c : cp932::fromUtf8(utf8)) bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    program.addFile(name, bytes);
}

std::string sys(const Program& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{testsupport::systemTool()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto result = testsupport::runProcess(argv, {{}, {"KIVORA_SYSTEM=" + program.systemRoot()}});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

Lines sysLines(const Program& program, const std::vector<std::string>& arguments) {
    Lines lines;
    std::istringstream output(sys(program, arguments));
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    return lines;
}

// The entry's fields, its user name and its password.
std::map<std::string, std::string> entry(const Program& program, const std::string& name) {
    std::map<std::string, std::string> fields;
    for (const std::string& line : sysLines(program, {"show", name, "--reveal"})) {
        fields[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return fields;
}

// A provider with a method first, and an entry "Kivora" with an account.
void prepareOverwrite(Program& program) {
    provide(program, "CTMENU.csv", kMenu);
    sys(program, {"put", "Kivora", "szAreaCode=06", "szLocalPhoneNumber=111", "dwfOptions=0x00000001"});
    sys(program, {"credentials", "Kivora", "old@user", "oldpass"});
}

TEST(NewConnection, EachCheckRefusesInOrderAndBlanksCountAsContent) {
    Program program;
    provide(program, "CTMENU.csv", kMenu);
    sys(program, {"device-remove", "標準 56000 bps モデム"});
    sys(program, {"device-remove", "標準 33600 bps モデム"});
    // A blank name is content, but not a name the phonebook takes; nor is one
    // with a tab, and the form keeps it as typed.
    auto outcome = program.run(
        "click 1\nanswer OK\nset 1005  \nkey 1 SPACE\nanswer OK\nset 1005 a\\tb\nclick 1\nanswer OK\ndump\n"
        "set 1005 a\nclick 1\nanswer OK\nset 1001  \nclick 1\nanswer OK\n"
        "set 1002  \nset 1003 \nclick 1\nanswer OK\nset 1003  \nclick 1\nanswer OK\nclose\n");
    const std::string nameRefused = warning(
        "この接続に付ける名前は使えません\\n\\n名前には文字か数字を入れてください。\\n"
        "次の文字とタブなどの制御文字は使えません：  \\\\ / : * ? < > |\\n名前の先頭にピリオド（.）は使えません。");
    EXPECT_THAT(outcome.transcript, Contains("control 1005 edit \"a\tb\""));
    EXPECT_THAT(
        messages(outcome),
        ElementsAre(warning("この接続に付ける名前が入力されていません"), nameRefused, nameRefused,
                    warning("ユーザー名が入力されていません"),
                    warning("パスワードが入力されていません"), warning("アクセスポイント電話番号が入力されていません"),
                    warning("モデムが選択されていません")));
    EXPECT_EQ(outcome.transcript.back(), "exit 0");
    EXPECT_THAT(sysLines(program, {"entries"}), IsEmpty());
}

TEST(NewConnection, WithoutAnAcceptableMethodNothingIsCreatedAndHeadingsAloneSayNothing) {
    Program program;
    provide(program, "ISP_INF.csv", kSettings);
    auto withoutMenu = program.run(submit("a") + "answer OK\nclose\n");
    EXPECT_THAT(messages(withoutMenu), ElementsAre(kChooseMethod));

    provide(program, "CTMENU.csv", "9,【見出し1】,@h.example,1\n9,【見出し2】\n");
    auto headings = program.run("dump\nselect 1024 1\n" + submit("a") + "answer OK\nclose\n");
    EXPECT_THAT(headings.transcript, Contains("control 1005 edit \"テスト接続\""));
    EXPECT_THAT(headings.transcript, Contains("control 1021 static \"@isp.example\""));
    EXPECT_THAT(headings.transcript, Contains("control 1003 edit \"0120-000-000\""));
    EXPECT_THAT(messages(headings), ElementsAre(kChooseMethod));
    EXPECT_THAT(sysLines(program, {"entries"}), IsEmpty());
}

TEST(NewConnection, MethodsBringTheirDomainAndNumberAndAHeadingAfterAMethodIsRefused) {
    Program program;
    provide(program, "ISP_INF.csv", kSettings);
    provide(program, "CTMENU.csv", kMenu);
    auto outcome = program.run(
        "dump\nset 1003 999\nselect 1024 2\nselect 1024 1\nanswer OK\nkey 1005 RETURN\nkey 1 RETURN\nkey 0 ESCAPE\n"
        "dump\nclose\n");
    const Lines& lines = outcome.transcript;
    EXPECT_THAT(lines, Contains("control 1021 static \"@dial.example\""));
    EXPECT_THAT(lines, Contains("control 1003 edit \"03-1234-5678\""));
    EXPECT_THAT(lines, Contains("control 1003 edit \"03 9999 0000\""));
    EXPECT_THAT(lines, Contains("control 1021 static \"@isdn.example\""));
    EXPECT_THAT(lines, Contains(HasSubstr("control 1024 dropdown \"ISDN\" selected=2")));
    // Enter and Escape neither submit nor cancel: only the heading's message
    // is shown, and the form ends by its close box.
    EXPECT_THAT(messages(outcome), ElementsAre(kChooseMethod));
    EXPECT_THAT(Lines(lines.end() - 2, lines.end()), ElementsAre("end 129 2", "exit 0"));
}

TEST(NewConnection, WritesTheWholeEntryTheAccountAndTheDefaultConnection) {
    Program program;
    provide(program, "ISP_INF.csv", std::string(kSettings) + "SetDnsIpAddress,TRUE\nDns1,10.1.2.3\nDns2,10.4.5.6\n");
    provide(program, "CTMENU.csv", kMenu);
    auto outcome = program.run("select 1024 2\n" + submit("ルリカケ", "taro", "p@ss word") + "answer OK\n");
    EXPECT_THAT(Lines(outcome.transcript.end() - 8, outcome.transcript.end()),
                ElementsAre("create 132", "show 132", "paint 132 \"ダイヤルアップネットワーク作成中\"", "destroy 132",
                            kCreated, "> answer OK", "end 129 1", "exit 0"));
    EXPECT_EQ(sys(program, {"show", "ルリカケ", "--reveal"}),
              "dwSize=1768\ndwfOptions=0x0500011C\ndwCountryID=81\ndwCountryCode=81\nszAreaCode=\n"
              "szLocalPhoneNumber=03 9999 0000\ndwAlternateOffset=0\nipaddr=0.0.0.0\nipaddrDns=10.1.2.3\n"
              "ipaddrDnsAlt=10.4.5.6\nipaddrWins=0.0.0.0\nipaddrWinsAlt=0.0.0.0\ndwFrameSize=0\n"
              "dwfNetProtocols=0x00000004\ndwFramingProtocol=1\nszScript=\nszAutodialDll=\nszAutodialFunc=\n"
              "szDeviceType=modem\nszDeviceName=" + program.modems()[0] + "\nszX25PadType=\nszX25Address=\n"
              "szX25Facilities=\nszX25UserData=\ndwChannels=0\ndwReserved1=0\ndwReserved2=0\n"
              "szUserName=taro@isdn.example\nszPassword=p@ss word\n");
    EXPECT_THAT(program.registry(), ElementsAre(EndsWith(kAutoDial), EndsWith("NoNetAutodial=dword:0"),
                                                             std::string(kPerMachine) + "ルリカケ"));
}

TEST(NewConnection, PulsePrefixAndDefaultConnectionFollowThePlatform) {
    struct Case {
        const char* version;  // empty: a version file the probe cannot read
        const char* prefix;
        const char* defaultValue;
    };
    const Case cases[] = {
        {"win32s", "PP", kPerUser}, {"95", "PP", kPerUser},  {"98", "PP", kPerUser},   {"me", "PP", kPerUser},
        {"nt4", "P", kPerUser},     {"2000", "P", kPerUser}, {"xp", "P", kPerMachine}, {"", "P", kPerUser},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.version);
        Program program;
        provide(program, "CTMENU.csv", kMenu);
        if (!program.pretendWindowsVersion(test.version)) continue;
        auto outcome = program.run("click 1020\n" + submit("a") + "answer OK\n");
        EXPECT_THAT(messages(outcome), ElementsAre(kCreated));
        EXPECT_EQ(entry(program, "a")["szLocalPhoneNumber"], std::string(test.prefix) + "03-1234-5678");
        EXPECT_THAT(program.registry(), Contains(std::string(test.defaultValue) + "a"));
    }
}

// Where the user may not write the machine's default connection, the entry
// stays and the user is told, after the success, what was not set.
TEST(NewConnection, TheDefaultConnectionIsLeftAloneWhenNotAskedAndToldWhereItCannotBeWritten) {
    Program program;
    provide(program, "CTMENU.csv", kMenu);
    program.run("click 1011\n" + submit("a") + "answer OK\n");
    EXPECT_EQ(entry(program, "a")["szUserName"], "taro@dial.example");
    EXPECT_THAT(program.registry(), IsEmpty());

    program.denyMachineDefaultConnectionKey();
    auto outcome = program.run(submit("b") + "answer OK\nanswer OK\n");
    // Refused on Linux (5); under Wine, which keeps no access lists, the key is gone (2).
    EXPECT_THAT(messages(outcome),
                ElementsAre(kCreated, warning("[b]は作成しましたが、「既定の接続」にする次の設定を書き込めませんでした"
                                              "\\n\\n・既定の接続の名前：DefaultInternet（エラーコード：" +
                                              std::string(testsupport::windowsBuild().empty() ? "5" : "2") + "）")));
    EXPECT_EQ(entry(program, "b")["szUserName"], "taro@dial.example");
    EXPECT_THAT(program.registry(), ElementsAre(EndsWith(kAutoDial), EndsWith("NoNetAutodial=dword:0")));
}

TEST(NewConnection, AnExistingNameInAnyCaseIsAskedAboutAfterTheChecksAndReplacedWhole) {
    Program program;
    prepareOverwrite(program);
    const std::string question =
        "message question okcancel \"Kivora\" \"[KIVORA]は既に存在します\\n\\n上書きしてよろしいですか？\"";
    auto outcome = program.run(submit("KIVORA", "") +
                               "answer OK\nset 1001 taro\nclick 1\nanswer CANCEL\ndump\n"
                               "click 1\nanswer OK\nanswer OK\n");
    EXPECT_THAT(messages(outcome),
                ElementsAre(warning("ユーザー名が入力されていません"), question, question, kCreated));
    EXPECT_THAT(outcome.transcript, Contains("control 1005 edit \"KIVORA\""));
    EXPECT_THAT(sysLines(program, {"entries"}), ElementsAre("KIVORA"));
    auto fields = entry(program, "KIVORA");
    EXPECT_EQ(fields["szAreaCode"], "");
    EXPECT_EQ(fields["szLocalPhoneNumber"], "03-1234-5678");
    EXPECT_EQ(fields["dwfOptions"], "0x05000118");
    EXPECT_EQ(fields["szUserName"], "taro@dial.example");
    EXPECT_EQ(fields["szPassword"], "secret");
}

// An overwrite is one change: whichever step fails, the former entry and its
// account are put back, and a put-back that fails too is said.
TEST(NewConnection, AFailedOverwriteShowsItsReasonThenTheFailureAndPutsTheFormerEntryBack) {
    const std::string heading = "ダイヤルアップネットワーク設定の作成に失敗しました\\n\\n";
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
        {{"RasSetEntryPropertiesA", "610", "--times", "1"}, {warning(heading + "アドレスまたは参照先のバッファが無効です。")}},
        {{"RasSetEntryPropertiesA", "621", "--times", "1"},
         {warning(heading + "電話帳が壊れているか、必要なコンポーネントがありません。")}},
        {{"RasSetEntryPropertiesA", "14", "--times", "1"},
         {warning(heading + "モデムを検出できませんでした。接続されているか確認してください。")}},
        {{"RasSetEntryPropertiesA", "1784", "--times", "1"},
         {warning(heading +
                  "現在使用中の環境ではダイヤルアップネットワークを作成できません。\\n"
                  "適切な環境にしてから再度チャレンジしてください。")}},
        {{"RasSetEntryPropertiesA", "624", "--times", "1"}, {warning(heading + "エラーコード：624")}},
        {{"RasSetEntryDialParamsA", "5", "--times", "1"}, {}},
        {{"RasEnumConnectionsA", "5", "--times", "1"}, {}},
        {{"RasSetEntryPropertiesA", "5"},
         {warning(heading + "ダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。"), warning("[Kivora]を元の設定に戻せませんでした\\n\\nエラーコード：5")}},
    };
    for (const auto& [fault, boxes] : cases) {
        SCOPED_TRACE(fault[0] + " " + fault[1]);
        Program program;
        prepareOverwrite(program);
        const std::string before = sys(program, {"show", "Kivora", "--reveal"});
        std::vector<std::string> arguments{"fault"};
        arguments.insert(arguments.end(), fault.begin(), fault.end());
        sys(program, arguments);
        auto outcome = program.run(submit("Kivora") + "answer OK\n" + (boxes.size() == 2 ? "answer OK\n" : "") +
                                   (boxes.empty() ? "" : "answer OK\n") + "answer OK\n");
        Lines expected{"message question okcancel \"Kivora\" \"[Kivora]は既に存在します\\n\\n上書きしてよろしいですか？\""};
        expected.insert(expected.end(), boxes.begin(), boxes.end());
        expected.push_back(kFailed);
        EXPECT_EQ(messages(outcome), expected);
        EXPECT_EQ(outcome.transcript.back(), "exit 0");
        if (fault.size() > 2) {
            EXPECT_EQ(sys(program, {"show", "Kivora", "--reveal"}), before);
        }
        EXPECT_THAT(program.registry(), IsEmpty());
    }

    // A phonebook that cannot be listed is said to be so, and nothing written.
    Program program;
    prepareOverwrite(program);
    const std::string before = sys(program, {"show", "Kivora", "--reveal"});
    sys(program, {"fault", "RasEnumEntriesA", "621"});
    EXPECT_THAT(messages(program.run(submit("Kivora") + "answer OK\nanswer OK\n")),
                ElementsAre(warning(heading + "電話帳が壊れているか、必要なコンポーネントがありません。"), kFailed));
    EXPECT_EQ(sys(program, {"show", "Kivora", "--reveal"}), before);
}

TEST(NewConnection, TheAccountIsStoredBesideActiveConnectionsAndItsRefusalFailsTheCreation) {
    Program program;
    provide(program, "CTMENU.csv", kMenu);
    for (const char* name : {"one", "two"}) {
        sys(program, {"put", name});
        sys(program, {"connect", name});
    }
    EXPECT_THAT(messages(program.run(submit("a") + "answer OK\n")), ElementsAre(kCreated));
    EXPECT_EQ(entry(program, "a")["szPassword"], "secret");

    // Without its account the entry is not kept, nor made the default.
    for (const char* fault : {"RasEnumConnectionsA", "RasSetEntryDialParamsA"}) {
        SCOPED_TRACE(fault);
        sys(program, {"fault", fault, "621", "--times", "1"});
        EXPECT_THAT(messages(program.run(submit(fault) + "answer OK\n")), ElementsAre(kFailed));
        EXPECT_THAT(sysLines(program, {"entries"}), Not(Contains(fault)));
        EXPECT_THAT(program.registry(), Not(Contains(EndsWith(fault))));
    }
}

TEST(NewConnection, TextsTooLongForTheirFieldsAreRefusedNeverCut) {
    Program program;
    provide(program, "CTMENU.csv", kMenu);
    // Pulse on XP puts "P" in front: 127 digits fit the 128 bytes, 128 do not.
    // The user name fits 256 bytes with "@dial.example" (13 bytes) behind it.
    const std::string number(127, '1');
    const std::string user(243, 'u');
    auto outcome =
        program.run("click 1020\nset 1003 " + number + "1\n" + submit("a", user + "u") + "answer OK\nset 1001 " + user +
                    "\nclick 1\nanswer OK\nset 1003 " + number + "\nclick 1\nanswer OK\n");
    EXPECT_THAT(
        messages(outcome),
        ElementsAre(
            warning("ユーザー名が長すぎます\\n\\n半角243文字（全角121文字）以内で入力してください"),
            warning("アクセスポイント電話番号が長すぎます\\n\\n半角127文字（全角63文字）以内で入力してください"),
            kCreated));
    auto fields = entry(program, "a");
    EXPECT_EQ(fields["szLocalPhoneNumber"], "P" + number);
    EXPECT_EQ(fields["szUserName"], user + "@dial.example");
}

TEST(NewConnection, WithoutTheRemoteAccessLibraryNoModemIsOffered) {
    Program program;
    provide(program, "CTMENU.csv", kMenu);
    std::filesystem::remove(program.remoteAccessLibrary());
    auto outcome = program.run(submit("a") + "answer OK\nclose\n");
    EXPECT_THAT(messages(outcome), ElementsAre(warning("モデムが選択されていません")));
    EXPECT_EQ(outcome.transcript.back(), "exit 0");
}

TEST(NewConnection, TheLogoShowsBesideTheFormAndADamagedOneIsReportedOnce) {
    Program program;
    provide(program, "ISP_INF.csv", kSettings);
    EXPECT_THAT(program.run("dump\nclose\n").transcript, Contains("control 1023 picture \"\" hidden"));

    program.addFile("Logo.png", testsupport::readFile(KIVORA_TESTS_DIR "/../demo/Logo.png"));
    EXPECT_THAT(program.run("dump\nclose\n").transcript, Contains("control 1023 picture \"\""));

    program.addFile("Logo.png", "this is text, not a picture\n");
    auto damaged = program.run("answer OK\ndump\nclose\n");
    EXPECT_THAT(messages(damaged), ElementsAre("message none ok \"Kivora\" \"PNGエラー\""));
    EXPECT_THAT(damaged.transcript, Contains("control 1023 picture \"\""));
    EXPECT_EQ(damaged.transcript.back(), "exit 0");
}

}  // namespace
