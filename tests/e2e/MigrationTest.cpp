// The access-point migration, end to end: the real program on the script
// backend, its phonebook seeded and read back with kivora-sys.
#include "Cp932.h"
#include "Program.h"
#include "SystemTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using testsupport::Outcome;
using testsupport::Program;
using testsupport::SystemTool;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using Settings = std::map<std::string, std::string>;

const Settings kSettings = {
    {"OldDomain", "@old.example"},          {"DialupDomain", "@dial.example"},
    {"MobileDomain", "@phs.example"},       {"FletsIsdnDomain", "@isdn.example"},
    {"DefaultTelNumber", "0570-000-111"},   {"DefaultMobileNumber", "0570-000-164"},
    {"DefaultFletsIsdnNumber", "0355504000"}, {"SetDnsIpAddress", "TRUE"},
    {"Dns1", "192.0.2.1"},                  {"Dns2", "192.0.2.2"},
};

const std::string kAreaCodes = "dwfOptions=0x00000001";

std::string checking() { return "paint 132 \"ダイヤルアップネットワークをチェックしています\""; }
std::string changing() { return "paint 132 \"設定を変更しています\""; }
std::string information(const std::string& text) { return "message information ok \"Kivora\" \"" + text + "\""; }
std::string warning(const std::string& text) { return "message warning ok \"Kivora\" \"" + text + "\""; }
std::string failure(const std::string& reason) {
    return warning("ダイヤルアップネットワーク設定の変更に失敗しました\\n\\n" + reason);
}

// The lines of a transcript that start with `prefix`.
std::vector<std::string> linesOf(const Outcome& outcome, const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : outcome.transcript) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

// A program directory with the provider's files beside the program, and a
// phonebook of its own.
struct Installation {
    Program program;
    // The two modems the system offers.
    const std::string kModem = program.modems()[0];
    const std::string kOtherModem = program.modems()[1];
    SystemTool sys{program.systemRoot(), kModem};

    Installation() { provide(kSettings, {"旧東京,03-5550-1234"}, {"旧PHS,0570-03-4455"}); }

    // The provider's files, CP932 with CR LF line ends.
    void provide(const Settings& settings, const std::vector<std::string>& general,
                 const std::vector<std::string>& phs) {
        std::string isp = "設定項目,値\r\n";
        for (const auto& [key, value] : settings) isp += key + "," + value + "\r\n";
        program.addFile("ISP_INF.csv", cp932::fromUtf8(isp));
        for (const auto& [name, rows] : {std::pair{"APGEN.csv", general}, std::pair{"APPHS.csv", phs}}) {
            std::string text;
            for (const std::string& row : rows) text += row + "\r\n";
            program.addFile(name, cp932::fromUtf8(text));
        }
    }

    // Presses the migration button, then plays the script.
    Outcome migrate(const std::string& script) {
        Outcome outcome = program.run("click 1001\n" + script);
        EXPECT_EQ(outcome.status, 0) << (outcome.transcript.empty() ? "" : outcome.transcript.back());
        return outcome;
    }

    std::string field(const std::string& entry, const std::string& name) { return sys.show(entry)[name]; }
};

// The cases name their entries so that the order they are made in is the
// order of their names too: the stand-in lists entries as they were made,
// the ppp service its peers by name.
class Migration : public ::testing::Test, protected Installation {};

TEST_F(Migration, WithoutEntriesOnlyThatIsSaidAndTheProgressWindowNeverShows) {
    Outcome outcome = migrate("answer OK\n");
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> click 1001", "hide 102", "create 132",
                            information("ダイヤルアップネットワークが設定されていません"), "> answer OK",
                            "destroy 132", "end 102 1", "exit 0"));
}

TEST_F(Migration, EntriesThatDoNotQualifyAreNeverOffered) {
    sys.addEntry("他社", {"szLocalPhoneNumber=06-1234-5678"}, "me@other.example");
    // Device types other than modem, even dialling a retired number.
    sys.addEntry("ISDN機器", {"szLocalPhoneNumber=03-5550-1234", "szDeviceType=isdn"}, "taro@old.example");
    sys.addEntry("VPN", {"szLocalPhoneNumber=03-5550-1234", "szDeviceType=vpn"}, "taro@old.example");
    // A number that runs on past the retired one, or ends in a dash.
    sys.addEntry("続き", {"szLocalPhoneNumber=03-5550-12345"}, "taro@old.example");
    sys.addEntry("ダッシュ", {"szLocalPhoneNumber=03-5550-1234-"}, "taro@old.example");
    // The ISDN number, but the old domain starts the user name.
    sys.addEntry("頭にドメイン", {"szLocalPhoneNumber=03-5550-4000"}, "@old.example");
    Outcome outcome = migrate("answer OK\n");
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> click 1001", "hide 102", "create 132", "show 132", checking(), "hide 132",
                            information("変更が必要なダイヤルアップネットワークはありません"), "> answer OK",
                            "destroy 132", "end 102 1", "exit 0"));
    EXPECT_EQ(field("ISDN機器", "szUserName"), "taro@old.example");

    // The letter case of "modem" does not matter.
    sys({"put", "大文字", "szLocalPhoneNumber=03-5550-1234", "szDeviceType=MODEM"});
    outcome = migrate("click 2\nanswer OK\n");
    EXPECT_THAT(outcome.transcript, Contains("run 134"));
}

TEST_F(Migration, TheIsdnCaseNeedsTwoDifferentDomains) {
    const Settings sameDomains[] = {
        {{"OldDomain", "@old.example"}, {"FletsIsdnDomain", "@OLD.example"}, {"DefaultFletsIsdnNumber", "0355504000"}},
        {{"DefaultFletsIsdnNumber", "0355504000"}},
    };
    sys.addEntry("ISDN", {"szLocalPhoneNumber=03-5550-4000"}, "jiro@old.example");
    for (const Settings& settings : sameDomains) {
        provide(settings, {}, {});
        Outcome outcome = migrate("answer OK\n");
        EXPECT_THAT(outcome.transcript, Contains(information("変更が必要なダイヤルアップネットワークはありません")));
    }
}

TEST_F(Migration, TheResultCountsOfferedAndRewrittenEntries) {
    for (const char* name : {"あ", "い", "う"}) {
        sys.addEntry(name, {"szLocalPhoneNumber=03-5550-1234"}, std::string("user@old.example"));
    }
    // 変更しない, the close box and Escape all leave an entry as it is.
    Outcome outcome = migrate("click 2\nclose\nkey 0 ESCAPE\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "message"),
                ElementsAre(information("3個の古い設定を見つけましたが変更しませんでした")));
    for (const char* name : {"あ", "い", "う"}) EXPECT_EQ(field(name, "szUserName"), "user@old.example");

    // Enter confirms.
    outcome = migrate("click 1\nclick 2\nkey 1 RETURN\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "message"), ElementsAre(information("2個の設定を変更しました")));
    EXPECT_EQ(field("あ", "szUserName"), "user@dial.example");
    EXPECT_EQ(field("い", "szUserName"), "user@old.example");
    EXPECT_EQ(field("う", "szLocalPhoneNumber"), "0570-000-111");
    // They had no password stored, and still have none (not an empty one).
    EXPECT_EQ(sys.show("う").count("szPassword"), 0u);
}

TEST_F(Migration, TheProgressWindowStepsAsideForEveryDialog) {
    sys.addEntry("一", {"szLocalPhoneNumber=03-5550-1234"}, "a@old.example");
    sys.addEntry("二", {"szLocalPhoneNumber=0570-03-4455"}, "b@old.example");
    sys.addEntry("三", {"szLocalPhoneNumber=06-1234-5678"}, "c@other.example");
    Outcome outcome = migrate("click 1\nclick 2\nanswer OK\n");
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> click 1001", "hide 102", "create 132", "show 132", checking(), "hide 132",
                            "run 134", "> click 1", "end 134 1", "show 132", changing(), checking(), "hide 132",
                            "run 134", "> click 2", "end 134 2", "show 132", checking(), "hide 132",
                            information("1個の設定を変更しました"), "> answer OK", "destroy 132", "end 102 1",
                            "exit 0"));
}

// Each retired number and entry number of the rewriting rules as a real
// entry: what dialog 134 proposes, and what is written on 変更する.
TEST(MigrationNumbers, TheProposalKeepsPrefixAndSuffixAroundTheNewNumber) {
    struct Case {
        std::vector<std::string> general;
        std::vector<std::string> phs;
        std::vector<std::string> entry;  // fields
        std::string proposed;            // empty: never offered
        std::string domain = "@dial.example";
    };
    const Case cases[] = {
        {{"a,03-123456"}, {}, {"szLocalPhoneNumber=03-123-456"}, "0570-000-111"},
        {{"a,03-123456"}, {}, {"szLocalPhoneNumber=0,03-123-456"}, "0,0570-000-111"},
        {{}, {"p,0570-12345"}, {"szLocalPhoneNumber=0570-12-345##64"}, "0570-000-164##64", "@phs.example"},
        {{"a,03-123456"}, {}, {"szLocalPhoneNumber=03-123-456-"}, ""},
        {{"a,1234567"}, {}, {"szLocalPhoneNumber=03-123-4567"}, "03-0570-000-111"},
        {{"a,06-123456", "b,03-123456"}, {}, {kAreaCodes, "szAreaCode=03", "szLocalPhoneNumber=123-456"},
         "0570-000-111"},
        {{"a,06-123456"}, {}, {kAreaCodes, "szAreaCode=03", "szLocalPhoneNumber=123-456"}, ""},
        {{"x,456", "y,03-123456"}, {}, {"szLocalPhoneNumber=03-123-456"}, "03-123-0570-000-111"},
        {{"x,6"}, {}, {"szLocalPhoneNumber=03-123-456"}, ""},
        // Found in both tables: an ordinary line's number and domain.
        {{"a,03-123456"}, {"p,03-123456"}, {"szLocalPhoneNumber=03-123-456"}, "0570-000-111"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.entry.back() + " in " + (test.general.empty() ? test.phs : test.general).back());
        Installation installation;
        installation.provide(kSettings, test.general, test.phs);
        std::vector<std::string> put{"put", "接続", "szDeviceName=" + installation.kModem};
        put.insert(put.end(), test.entry.begin(), test.entry.end());
        installation.sys(put);
        installation.sys({"credentials", "接続", "taro@old.example", "pw"});
        if (test.proposed.empty()) {
            Outcome outcome = installation.migrate("answer OK\n");
            EXPECT_THAT(outcome.transcript, Not(Contains("run 134")));
            continue;
        }
        Outcome outcome = installation.migrate("dump\nclick 1\nanswer OK\n");
        EXPECT_THAT(outcome.transcript, Contains("control 1005 edit \"" + test.proposed + "\""));
        EXPECT_THAT(outcome.transcript, Contains("control 1021 static \"" + test.domain + "\""));
        std::map<std::string, std::string> entry = installation.sys.show("接続");
        std::string written = entry["szLocalPhoneNumber"];
        if (!entry["szAreaCode"].empty()) written = entry["szAreaCode"] + "-" + written;
        EXPECT_EQ(written, test.proposed);
        EXPECT_EQ(entry["szUserName"], "taro" + test.domain);
    }
}

// An entry with alternate numbers is offered and rewritten, and keeps them,
// retired ones too: only the number it dials first is the program's to change.
TEST_F(Migration, AnEntryWithAlternateNumbersIsRewrittenAndKeepsThem) {
    sys.addEntry("予備あり", {"szLocalPhoneNumber=03-5550-1234", "alternate=0570-03-4455", "alternate=03-5550-1234"},
                 "taro@old.example");
    Outcome outcome = migrate("click 1\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "message"), ElementsAre(information("1個の設定を変更しました")));
    const std::string shown = sys({"show", "予備あり"});
    EXPECT_THAT(shown, HasSubstr("\nszLocalPhoneNumber=0570-000-111\n"));
    EXPECT_THAT(shown, HasSubstr("\nalternate=0570-03-4455\nalternate=03-5550-1234\nszUserName=taro@dial.example\n"));
}

TEST_F(Migration, TheDialogShowsTheEntryAsItStandsAndTheProposal) {
    sys.addEntry("市外局番なし", {kAreaCodes, "szLocalPhoneNumber=03-5550-1234"}, "taro@old.example", "secret");
    sys.addEntry("無線PHS", {"szLocalPhoneNumber=0570-03-4455##64", "szDeviceName=" + kOtherModem}, "hanako", "");
    Outcome outcome = migrate("dump\nclick 2\ndump\nclick 2\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "control"),
                ElementsAre("control 1 button \"変更する\"", "control 2 button \"変更しない\"",
                            "control 1006 edit \"市外局番なし\" readonly",
                            // An area-code entry without an area code.
                            "control 1004 edit \"-03-5550-1234\" readonly",
                            "control 1005 edit \"0570-000-111\"", "control 1001 edit \"taro\" disabled",
                            "control 1021 static \"@dial.example\"", "control 1011 checkbox \"編集する\"",
                            "control 1002 edit \"secret\" disabled password", "control 1012 checkbox \"編集する\"",
                            "control 1018 dropdown \"" + kModem + "\" disabled selected=0 items=\"" + kModem + "|" +
                                kOtherModem + "\"",
                            "control 1013 checkbox \"編集する\"",
                            // A user name without a domain is its own user part.
                            "control 1 button \"変更する\"", "control 2 button \"変更しない\"",
                            "control 1006 edit \"無線PHS\" readonly",
                            "control 1004 edit \"0570-03-4455##64\" readonly",
                            "control 1005 edit \"0570-000-164##64\"", "control 1001 edit \"hanako\" disabled",
                            "control 1021 static \"@phs.example\"", "control 1011 checkbox \"編集する\"",
                            "control 1002 edit \"\" disabled password", "control 1012 checkbox \"編集する\"",
                            "control 1018 dropdown \"" + kOtherModem + "\" disabled selected=1 items=\"" + kModem +
                                "|" + kOtherModem + "\"",
                            "control 1013 checkbox \"編集する\""));
}

TEST_F(Migration, TheIsdnDialogMovesOnlyTheUserNameToTheNewDomain) {
    sys.addEntry("ISDN", {"szLocalPhoneNumber=03-5550-4000", "dwfOptions=0x00000010"}, "jiro@old.example", "pw");
    Outcome outcome = migrate("dump\nclick 1\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "control"),
                ElementsAre("control 1 button \"変更する\"", "control 2 button \"変更しない\"",
                            "control 1006 edit \"ISDN\" readonly", "control 1003 edit \"0355504000\" readonly",
                            "control 1014 edit \"jiro\" readonly", "control 1016 static \"@old.example\"",
                            "control 1015 edit \"jiro\" readonly", "control 1017 static \"@isdn.example\"",
                            "control 1002 edit \"pw\" disabled password", "control 1012 checkbox \"編集する\"",
                            "control 1018 dropdown \"" + kModem + "\" disabled selected=0 items=\"" + kModem + "|" +
                                kOtherModem + "\"",
                            "control 1013 checkbox \"編集する\""));
    // Counted on its dial parameters alone: its properties needed no write,
    // so the provider's name servers are not applied either.
    EXPECT_THAT(outcome.transcript, Contains(information("1個の設定を変更しました")));
    auto entry = sys.show("ISDN");
    EXPECT_EQ(entry["szUserName"], "jiro@isdn.example");
    EXPECT_EQ(entry["szPassword"], "pw");
    EXPECT_EQ(entry["szLocalPhoneNumber"], "03-5550-4000");
    EXPECT_EQ(entry["dwfOptions"], "0x00000010");
    EXPECT_EQ(entry["ipaddrDns"], "0.0.0.0");

    // With the modem unlocked its properties are written, name servers too.
    sys({"credentials", "ISDN", "jiro@old.example", "pw"});
    outcome = migrate("click 1013\nselect 1018 1\nclick 1012\nset 1002 neu\nclick 1\nanswer OK\n");
    entry = sys.show("ISDN");
    EXPECT_EQ(entry["szDeviceName"], kOtherModem);
    EXPECT_EQ(entry["szPassword"], "neu");
    EXPECT_EQ(entry["dwfOptions"], "0x00000014");
    EXPECT_EQ(entry["ipaddrDns"], "192.0.2.1");
}

TEST_F(Migration, EditBoxesCountOnlyWhileTicked) {
    sys.addEntry("東京", {"szLocalPhoneNumber=03-5550-1234"}, "taro@old.example", "secret");
    // Ticked, edited, unticked again: the edits are ignored, and the fields
    // show again what will be written.
    auto unticked = migrate("click 1011\nset 1001 jiro\nclick 1012\nset 1002 other\nclick 1013\nselect 1018 1\n"
                            "click 1011\nclick 1012\nclick 1013\ndump\nclick 1\nanswer OK\n");
    EXPECT_THAT(unticked.transcript, Contains("control 1001 edit \"taro\" disabled"));
    EXPECT_THAT(unticked.transcript, Contains("control 1002 edit \"secret\" disabled password"));
    EXPECT_THAT(unticked.transcript, Contains(::testing::StartsWith("control 1018 dropdown \"" + kModem + "\" disabled selected=0")));
    auto entry = sys.show("東京");
    EXPECT_EQ(entry["szUserName"], "taro@dial.example");
    EXPECT_EQ(entry["szPassword"], "secret");
    EXPECT_EQ(entry["szDeviceName"], kModem);

    // Ticked at 変更する: the edits are written, the new number included.
    sys({"put", "東京", "szLocalPhoneNumber=03-5550-1234"});
    migrate("set 1005 0120-999-999\nclick 1011\nset 1001 jiro\nclick 1012\nset 1002 other\nclick 1013\n"
            "select 1018 1\nclick 1\nanswer OK\n");
    entry = sys.show("東京");
    EXPECT_EQ(entry["szLocalPhoneNumber"], "0120-999-999");
    EXPECT_EQ(entry["szUserName"], "jiro@dial.example");
    EXPECT_EQ(entry["szPassword"], "other");
    EXPECT_EQ(entry["szDeviceName"], kOtherModem);

    // A password box cleared removes the stored password.
    sys({"put", "東京", "szLocalPhoneNumber=03-5550-1234"});
    migrate("click 1012\nset 1002 \nclick 1\nanswer OK\n");
    entry = sys.show("東京");
    EXPECT_EQ(entry.count("szPassword"), 0u);
    EXPECT_EQ(entry["szUserName"], "jiro@dial.example");
}

TEST_F(Migration, AModemThatIsNotInstalledStaysUntilTheUserPicksAnother) {
    // The entry's modem matches an installed one without regard to ASCII case.
    sys.addEntry("大文字", {"szLocalPhoneNumber=03-5550-1234", "szDeviceName=標準 33600 BPS モデム"}, "a@old.example");
    sys.addEntry("外した", {"szLocalPhoneNumber=03-5550-1234", "szDeviceName=外付けモデム"}, "b@old.example");
    Outcome outcome = migrate("dump\nclick 2\nclick 1013\ndump\nclick 1\nanswer OK\n");
    std::vector<std::string> lists = linesOf(outcome, "control 1018");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_THAT(lists[0], HasSubstr("selected=1"));
    // Shown as the first modem, written back as its own.
    EXPECT_EQ(lists[1], "control 1018 dropdown \"" + kModem + "\" selected=0 items=\"" + kModem + "|" + kOtherModem +
                            "\"");
    EXPECT_EQ(field("外した", "szDeviceName"), "外付けモデム");

    // No modem installed at all: an empty list, and the entry keeps its own.
    sys({"device-remove", kModem});
    sys({"device-remove", kOtherModem});
    sys({"credentials", "大文字", "a@old.example"});
    outcome = migrate("click 1013\ndump\nclick 1\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "control 1018"),
                ElementsAre("control 1018 dropdown \"\" selected=-1 items=\"\""));
    auto entry = sys.show("大文字");
    EXPECT_EQ(entry["szDeviceName"], "標準 33600 BPS モデム");
    EXPECT_EQ(entry["szLocalPhoneNumber"], "0570-000-111");
}

TEST_F(Migration, AnAreaCodeEntryGetsTheNumberSplitAndTheAreaCodeAsThePlatformWantsIt) {
    struct Case {
        const char* version;
        const char* typed;
        const char* areaCode;
        const char* localNumber;
    };
    const Case cases[] = {
        {"98", "(03)-5550-9999", "(03)", "5550-9999"}, {"xp", "(03)-5550-9999", "03", "5550-9999"},
        {"2000", "0570-123-456", "0570", "123-456"},   {"xp", "123456", "", "123456"},
        {"xp", "0570-", "0570", "-"},
    };
    sys.addEntry("大阪", {kAreaCodes, "szAreaCode=03", "szLocalPhoneNumber=5550-1234"}, "yuki@old.example");
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.version) + " " + test.typed);
        program.pretendWindowsVersion(test.version);
        sys({"put", "大阪", "szAreaCode=03", "szLocalPhoneNumber=5550-1234"});
        migrate(std::string("set 1005 ") + test.typed + "\nclick 1\nanswer OK\n");
        auto entry = sys.show("大阪");
        EXPECT_EQ(entry["szAreaCode"], test.areaCode);
        EXPECT_EQ(entry["szLocalPhoneNumber"], test.localNumber);
        EXPECT_EQ(entry["dwfOptions"], "0x00000005");
    }
}

TEST_F(Migration, TheProviderDecidesTheNameServers) {
    const std::string fixed = "dwfOptions=0x00000004";
    // Switched off: the option goes, the addresses stay.
    Settings off = kSettings;
    off["SetDnsIpAddress"] = "FALSE";
    provide(off, {"a,03-5550-1234"}, {});
    sys.addEntry("一", {fixed, "ipaddrDns=10.0.0.1", "ipaddrDnsAlt=10.0.0.2", "szLocalPhoneNumber=03-5550-1234"},
                 "a@old.example");
    migrate("click 1\nanswer OK\n");
    auto entry = sys.show("一");
    EXPECT_EQ(entry["dwfOptions"], "0x00000000");
    EXPECT_EQ(entry["ipaddrDns"], "10.0.0.1");
    EXPECT_EQ(entry["ipaddrDnsAlt"], "10.0.0.2");

    // Only Dns1 given: the alternate keeps its value.
    Settings primaryOnly = kSettings;
    primaryOnly.erase("Dns2");
    provide(primaryOnly, {"a,03-5550-1234"}, {});
    sys({"put", "一", "szLocalPhoneNumber=03-5550-1234"});
    migrate("click 1\nanswer OK\n");
    entry = sys.show("一");
    EXPECT_EQ(entry["dwfOptions"], "0x00000004");
    EXPECT_EQ(entry["ipaddrDns"], "192.0.2.1");
    EXPECT_EQ(entry["ipaddrDnsAlt"], "10.0.0.2");
}

// Whatever step of a confirmed change fails, the entry is put back whole and
// the failure told; only changes that landed whole are counted.
TEST_F(Migration, AChangeThatFailsAtAnyStepIsPutBackAndTold) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
        {{"RasEnumConnectionsA", "5", "--times", "1"},
         {failure("接続中のダイヤルアップネットワークを確認できませんでした（エラーコード：5）。")}},
        {{"RasSetEntryDialParamsA", "5", "--times", "1"}, {failure("ダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。")}},
        {{"RasSetEntryPropertiesA", "610", "--times", "1"}, {failure("アドレスまたは参照先のバッファが無効です。")}},
        {{"RasSetEntryPropertiesA", "621", "--times", "1"},
         {failure("電話帳が壊れているか、必要なコンポーネントがありません。")}},
        {{"RasSetEntryPropertiesA", "14", "--times", "1"},
         {failure("モデムを検出できませんでした。接続されているか確認してください。")}},
        {{"RasSetEntryPropertiesA", "1784", "--times", "1"},
         {failure("現在使用中の環境ではダイヤルアップネットワークを作成できません。\\n"
                  "適切な環境にしてから再度チャレンジしてください。")}},
        // Refused for good: the put-back fails too, and that is said.
        {{"RasSetEntryPropertiesA", "5"},
         {failure("ダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。"), warning("[失敗6]を元の設定に戻せませんでした\\n\\nエラーコード：5")}},
    };
    std::string script;
    std::vector<std::string> expected;
    std::vector<std::string> before;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "失敗" + std::to_string(i);
        sys.addEntry(name, {"szLocalPhoneNumber=03-5550-1234"}, "a@old.example", "pw");
        std::vector<std::string> fault{"fault"};
        fault.insert(fault.end(), cases[i].first.begin(), cases[i].first.end());
        if (fault[1] != "RasEnumConnectionsA") fault.insert(fault.end(), {"--entry", name});
        sys(fault);
        before.push_back(sys({"show", name, "--reveal"}));
        script += "click 1\n";
        for (const std::string& box : cases[i].second) script += "answer OK\n", expected.push_back(box);
    }
    sys.addEntry("成功", {"szLocalPhoneNumber=03-5550-1234"}, "b@old.example");
    expected.push_back(information("1個の設定を変更しました"));
    Outcome outcome = migrate(script + "click 1\nanswer OK\n");
    EXPECT_EQ(linesOf(outcome, "message"), expected);
    for (std::size_t i = 0; i + 1 < cases.size(); ++i) {
        EXPECT_EQ(sys({"show", "失敗" + std::to_string(i), "--reveal"}), before[i]) << i;
    }
    EXPECT_EQ(field("成功", "szLocalPhoneNumber"), "0570-000-111");
}

// The dialog refuses what could not be written whole, says which field, and
// stays open with the user's text; the widest that fits is written whole.
TEST_F(Migration, TheDialogRefusesWhatCannotBeWrittenWhole) {
    const auto tooLong = [](const std::string& field, int room) {
        return warning(field + "が長すぎます\\n\\n半角" + std::to_string(room) + "文字（全角" +
                       std::to_string(room / 2) + "文字）以内で入力してください");
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"set 1005 \n", warning("新しい電話番号が入力されていません")},
        {"set 1005 01234567890-123\n", tooLong("新しい電話番号の市外局番", 10)},
        {"set 1005 03-" + std::string(129, '1') + "\n", tooLong("新しい電話番号", 128)},
        {"click 1011\nset 1001 \n", warning("ユーザー名が入力されていません")},
        {"click 1011\nset 1001 " + std::string(244, 'u') + "\n", tooLong("ユーザー名", 243)},
        {"click 1012\nset 1002 " + std::string(257, 'p') + "\n", tooLong("パスワード", 256)},
    };
    sys.addEntry("市外局番", {kAreaCodes, "szAreaCode=03", "szLocalPhoneNumber=5550-1234"}, "a@old.example");
    const std::string before = sys({"show", "市外局番", "--reveal"});
    for (const auto& [actions, box] : cases) {
        SCOPED_TRACE(actions);
        Outcome outcome = migrate(actions + "click 1\nanswer OK\nclick 2\nanswer OK\n");
        EXPECT_THAT(linesOf(outcome, "message"),
                    ElementsAre(box, information("1個の古い設定を見つけましたが変更しませんでした")));
        EXPECT_THAT(outcome.transcript, Contains("end 134 2"));
        EXPECT_EQ(sys({"show", "市外局番", "--reveal"}), before);
    }

    Outcome outcome = migrate("set 1005 0123456789-" + std::string(128, '2') + "\nclick 1011\nset 1001 " +
                              std::string(243, 'u') + "\nclick 1\nanswer OK\n");
    EXPECT_THAT(linesOf(outcome, "message"), ElementsAre(information("1個の設定を変更しました")));
    EXPECT_EQ(field("市外局番", "szAreaCode"), "0123456789");
    EXPECT_EQ(field("市外局番", "szLocalPhoneNumber"), std::string(128, '2'));
    EXPECT_EQ(field("市外局番", "szUserName"), std::string(243, 'u') + "@dial.example");
}

// Without the provider's new number or domain a change could not be made
// whole: it is not offered, and the user learns why.
TEST_F(Migration, WithoutTheNewNumberOrDomainNothingIsOfferedAndThatIsTold) {
    Settings noNumber = kSettings, noDomain = kSettings;
    noNumber.erase("DefaultTelNumber");
    noDomain.erase("DialupDomain");
    sys.addEntry("東京", {"szLocalPhoneNumber=03-5550-1234"}, "a@old.example");
    const std::string before = sys({"show", "東京", "--reveal"});
    for (const char* variant : {"no number", "no domain", "no file", "a directory"}) {
        SCOPED_TRACE(variant);
        provide(variant == std::string("no domain") ? noDomain : noNumber, {"旧東京,03-5550-1234"}, {});
        if (variant == std::string("no file") || variant == std::string("a directory")) {
            std::filesystem::remove(program.directory() + "/ISP_INF.csv");
        }
        if (variant == std::string("a directory")) program.addDirectory("ISP_INF.csv");
        Outcome outcome = migrate("answer OK\n");
        EXPECT_THAT(linesOf(outcome, "message"),
                    ElementsAre(warning("プロバイダーの設定ファイル（ISP_INF.csv）が見つからないか読み込めないため、"
                                        "1個の古い設定を変更できませんでした")));
        EXPECT_THAT(outcome.transcript, Not(Contains("run 134")));
        EXPECT_EQ(sys({"show", "東京", "--reveal"}), before);
        std::filesystem::remove(program.directory() + "/ISP_INF.csv");
    }
}

void cutShort(const std::string& path) {
    std::string bytes = testsupport::readFile(path);
    bytes.pop_back();
    testsupport::writeFile(path, bytes);
}

// A phonebook or credentials file that cannot be read is not an empty one:
// the pass tells why and ends, writing nothing. An entry that is merely gone
// is passed over.
TEST(MigrationStore, WhatCannotBeReadIsToldAndNothingIsWritten) {
    const std::string damaged = failure("電話帳が壊れているか、必要なコンポーネントがありません。");
    const std::vector<std::pair<std::function<void(Installation&)>, std::string>> cases = {
        {[](Installation& at) { at.sys({"fault", "RasEnumEntriesA", "621"}); }, damaged},
        {[](Installation& at) { at.sys({"fault", "RasGetEntryPropertiesA", "621", "--entry", "一"}); }, damaged},
        {[](Installation& at) { at.sys({"fault", "RasGetEntryDialParamsA", "5", "--entry", "一"}); },
         failure("ダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。")},
        {[](Installation& at) { testsupport::writeFile(at.program.systemRoot() + "/phonebook.txt", "\x01\xff[\n"); },
         damaged},
        {[](Installation& at) { testsupport::writeFile(at.program.systemRoot() + "/credentials.txt", "\x01\xff[\n"); },
         damaged},
        // Cut short: the last line has lost its line end.
        {[](Installation& at) { cutShort(at.program.systemRoot() + "/phonebook.txt"); }, damaged},
        {[](Installation& at) { cutShort(at.program.systemRoot() + "/credentials.txt"); }, damaged},
        {[](Installation& at) { std::filesystem::remove(at.program.remoteAccessLibrary()); },
         warning("RASAPI32.DLL エラー")},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        Installation at;
        for (const char* name : {"一", "二"}) at.sys.addEntry(name, {"szLocalPhoneNumber=03-5550-1234"}, "a@old.example");
        cases[i].first(at);
        const std::string phonebook = testsupport::readFile(at.program.systemRoot() + "/phonebook.txt");
        const std::string credentials = testsupport::readFile(at.program.systemRoot() + "/credentials.txt");
        Outcome outcome = at.migrate("answer OK\n");
        EXPECT_THAT(linesOf(outcome, "message"), ElementsAre(cases[i].second));
        EXPECT_THAT(outcome.transcript, Not(Contains("run 134")));
        EXPECT_EQ(testsupport::readFile(at.program.systemRoot() + "/phonebook.txt"), phonebook);
        EXPECT_EQ(testsupport::readFile(at.program.systemRoot() + "/credentials.txt"), credentials);
    }
    Installation at;
    for (const char* name : {"一", "二"}) at.sys.addEntry(name, {"szLocalPhoneNumber=03-5550-1234"}, "a@old.example");
    at.sys({"fault", "RasGetEntryPropertiesA", "623", "--entry", "一"});
    EXPECT_THAT(linesOf(at.migrate("click 2\nanswer OK\n"), "message"),
                ElementsAre(information("1個の古い設定を見つけましたが変更しませんでした")));
}

// A large phonebook: 1,000 entries, every tenth dialling a retired number.
TEST_F(Migration, AThousandEntriesWithAHundredToChange) {
    std::string phonebook;
    std::string credentials;
    std::string script;
    for (int i = 0; i < 1000; ++i) {
        std::string name = "接続" + std::to_string(i);
        bool retired = i % 10 == 3;
        phonebook += "[" + name + "]\nszLocalPhoneNumber=" + (retired ? "0,03-5550-1234" : "06-1234-5678") +
                     "\nszDeviceType=modem\nszDeviceName=" + kModem + "\n";
        credentials += "[" + name + "]\nszUserName=user" + std::to_string(i) + "@old.example\nszPassword=pw\n";
        if (retired) script += "click 1\n";
    }
    testsupport::writeFile(program.systemRoot() + "/phonebook.txt", cp932::fromUtf8(phonebook));
    testsupport::writeFile(program.systemRoot() + "/credentials.txt", cp932::fromUtf8(credentials));

    auto start = std::chrono::steady_clock::now();
    Outcome outcome = migrate(script + "answer OK\n");
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "[ migrated  ] 1000 entries, 100 confirmed, in " << seconds << " s\n";
    RecordProperty("seconds", std::to_string(seconds));

    EXPECT_THAT(linesOf(outcome, "message"), ElementsAre(information("100個の設定を変更しました")));
    EXPECT_EQ(std::count(outcome.transcript.begin(), outcome.transcript.end(), "run 134"), 100);
    auto changed = sys.show("接続993");
    EXPECT_EQ(changed["szLocalPhoneNumber"], "0,0570-000-111");
    EXPECT_EQ(changed["szUserName"], "user993@dial.example");
    EXPECT_EQ(changed["szPassword"], "pw");
    auto untouched = sys.show("接続994");
    EXPECT_EQ(untouched["szUserName"], "user994@old.example");
    EXPECT_EQ(untouched["dwfOptions"], "0x00000000");
}

}  // namespace
