#include "IspSettings.h"

#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

class SettingsFile {
public:
    explicit SettingsFile(const std::string& bytes) { writeFile(dir_.file("ISP_INF.csv"), bytes); }
    IspSettings settings() const { return IspSettings(dir_.file("ISP_INF.csv")); }

private:
    TempDir dir_;
};

std::string dialupDomainOf(const std::string& bytes) {
    return SettingsFile(bytes).settings().lookupDomain(DomainKind::Dialup);
}

class RecordingDialog : public DialogTextSink {
public:
    void setControlText(int controlId, const char* text) override { calls.emplace_back(controlId, text); }
    std::vector<std::pair<int, std::string>> calls;
};

bool sameAddress(const RASIPADDR& address, int a, int b, int c, int d) {
    return address.a == a && address.b == b && address.c == c && address.d == d;
}

const RASIPADDR kUntouched{9, 9, 9, 9};

}  // namespace

TEST(IspSettings, EveryKindReadsItsOwnKey) {
    SettingsFile file(
        "OldDomain,@old\nDialupDomain,@dial\nMobileDomain,@mobile\nFletsIsdnDomain,@isdn\n"
        "AirHDomain,@airh\nDefaultTelNumber,0570-1\nDefaultMobileNumber,0570-2\n"
        "DefaultFletsIsdnNumber,0570-3\n");
    IspSettings settings = file.settings();
    EXPECT_EQ(settings.lookupDomain(DomainKind::Dialup), "@dial");
    EXPECT_EQ(settings.lookupDomain(DomainKind::Mobile), "@mobile");
    EXPECT_EQ(settings.lookupDomain(DomainKind::FletsIsdn), "@isdn");
    EXPECT_EQ(settings.lookupDomain(DomainKind::AirH), "@airh");
    EXPECT_EQ(settings.lookupDomain(DomainKind::Old), "@old");
    EXPECT_EQ(settings.lookupDefaultNumber(NumberKind::DefaultTel), "0570-1");
    EXPECT_EQ(settings.lookupDefaultNumber(NumberKind::DefaultMobile), "0570-2");
    EXPECT_EQ(settings.lookupDefaultNumber(NumberKind::DefaultFletsIsdn), "0570-3");
    EXPECT_EQ(settings.lookupDomain(static_cast<DomainKind>(0)), "");
    EXPECT_EQ(settings.lookupDomain(static_cast<DomainKind>(6)), "");
    EXPECT_EQ(settings.lookupDefaultNumber(static_cast<NumberKind>(4)), "");
}

TEST(IspSettings, KeysIgnoreAsciiCaseAndTheLastUsableRowWins) {
    EXPECT_EQ(dialupDomainOf("dialupdomain,@Mixed.Case\n"), "@Mixed.Case");
    EXPECT_EQ(dialupDomainOf("DialupDomain,@first\nDIALUPDOMAIN,@second\n"), "@second");
    EXPECT_EQ(dialupDomainOf("DialupDomain,@first\nDialupDomain,\n"), "@first");
    EXPECT_EQ(dialupDomainOf("DialupDomain,@first\nDialupDomain\n,@x\n"), "@first");
    EXPECT_EQ(SettingsFile("DefaultTelNumber,0570,123\n").settings().lookupDefaultNumber(NumberKind::DefaultTel),
              "0570,123");
}

TEST(IspSettings, RowsAreTakenAsWritten) {
    EXPECT_EQ(dialupDomainOf("DialupDomain ,@x\n"), "");
    EXPECT_EQ(dialupDomainOf("\"DialupDomain\",@x\n"), "");
    EXPECT_EQ(dialupDomainOf("DialupDomain, @x \n"), " @x ");
    // A byte-order mark belongs to the first key, which then matches nothing.
    EXPECT_EQ(dialupDomainOf("\xEF\xBB\xBF" "DialupDomain,@x\n"), "");
    EXPECT_EQ(dialupDomainOf("\xEF\xBB\xBF" "Remark,r\nDialupDomain,@x\n"), "@x");
    EXPECT_EQ(dialupDomainOf("DialupDomain,@unterminated"), "");
    // Settings rows are whole lines; the rest of an overlong line is a line of its own.
    EXPECT_EQ(dialupDomainOf("Remark," + std::string(505, 'r') + "DialupDomain,@tail\n"), "@tail");
}

TEST(IspSettings, DoubleByteTextIsComparedAndReturnedByteForByte) {
    // 0x5C and 0x7C as second bytes: no escapes, no separators.
    EXPECT_EQ(dialupDomainOf("DialupDomain,@\x95\x5C\x83\x7C.jp\n"), "@\x95\x5C\x83\x7C.jp");
    EXPECT_EQ(dialupDomainOf("\x95\x5C,x\nDialupDomain,@a\x83\x7C\n\x83\x7C,y\n"), "@a\x83\x7C");
    EXPECT_EQ(SettingsFile("DefaultEntryName,\x95\x5C\x8E\xA6\n").settings().lookupDomain(DomainKind::Dialup), "");
}

TEST(IspSettings, MissingOrUnreadableFileGivesEmptyResults) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("ISP_INF.csv"));
    for (const std::string& path : {dir.file("none.csv"), dir.file("ISP_INF.csv"), std::string()}) {
        IspSettings settings(path);
        EXPECT_EQ(settings.lookupDomain(DomainKind::Dialup), "");
        EXPECT_EQ(settings.lookupDefaultNumber(NumberKind::DefaultTel), "");
        RASIPADDR primary = kUntouched;
        RASIPADDR secondary = kUntouched;
        EXPECT_FALSE(settings.lookupDnsServers(primary, secondary));
        EXPECT_TRUE(sameAddress(primary, 9, 9, 9, 9));
        EXPECT_TRUE(sameAddress(secondary, 9, 9, 9, 9));
        RecordingDialog dialog;
        EXPECT_FALSE(settings.loadDialogDefaults(dialog));
        EXPECT_TRUE(dialog.calls.empty());
    }
}

TEST(IspSettings, NameServerSwitchAndAddresses) {
    auto lookup = [](const std::string& bytes, RASIPADDR& primary, RASIPADDR& secondary) {
        primary = kUntouched;
        secondary = kUntouched;
        return SettingsFile(bytes).settings().lookupDnsServers(primary, secondary);
    };
    RASIPADDR primary;
    RASIPADDR secondary;
    EXPECT_TRUE(lookup("SetDnsIpAddress,true\nDns1,10.1.2.3\nDns2,10.4.5.6\n", primary, secondary));
    EXPECT_TRUE(sameAddress(primary, 10, 1, 2, 3));
    EXPECT_TRUE(sameAddress(secondary, 10, 4, 5, 6));

    EXPECT_FALSE(lookup("SetDnsIpAddress,TRUE \nDns1,10.1.2.3\n", primary, secondary));
    EXPECT_FALSE(lookup("Dns1,10.1.2.3\nDns2,10.4.5.6\n", primary, secondary));
    EXPECT_TRUE(sameAddress(primary, 9, 9, 9, 9));
    EXPECT_TRUE(sameAddress(secondary, 9, 9, 9, 9));

    // Once on, a later row does not switch it off; the last address row wins.
    EXPECT_TRUE(lookup("SetDnsIpAddress,True\nSetDnsIpAddress,FALSE\nDns1,1.1.1.1\nDns1,2.2.2.2\n", primary,
                       secondary));
    EXPECT_TRUE(sameAddress(primary, 2, 2, 2, 2));
    EXPECT_TRUE(sameAddress(secondary, 9, 9, 9, 9));

    // An address that cannot be read keeps the caller's value.
    EXPECT_TRUE(lookup("SetDnsIpAddress,TRUE\nDns1,256.1.1.1\nDns2,1.2.3\n", primary, secondary));
    EXPECT_TRUE(sameAddress(primary, 9, 9, 9, 9));
    EXPECT_TRUE(sameAddress(secondary, 9, 9, 9, 9));
}

TEST(IspSettings, DialogDefaultsAreSetRowByRow) {
    RecordingDialog dialog;
    SettingsFile both("DefaultEntryName,\x83\x7C\x95\x5C\nDefaultTelNumber,0570-1\ndefaultentryname,Second\n");
    EXPECT_TRUE(both.settings().loadDialogDefaults(dialog));
    using Call = std::pair<int, std::string>;
    EXPECT_EQ(dialog.calls, (std::vector<Call>{{kConnectionNameBoxId, "\x83\x7C\x95\x5C"},
                                               {kAccessNumberBoxId, "0570-1"},
                                               {kConnectionNameBoxId, "Second"}}));

    RecordingDialog nameOnly;
    EXPECT_TRUE(SettingsFile("DefaultEntryName,Name\n").settings().loadDialogDefaults(nameOnly));
    EXPECT_EQ(nameOnly.calls, (std::vector<Call>{{kConnectionNameBoxId, "Name"}}));

    RecordingDialog none;
    EXPECT_FALSE(SettingsFile("DialupDomain,@x\nDefaultTelNumber,\n").settings().loadDialogDefaults(none));
    EXPECT_TRUE(none.calls.empty());
}

TEST(ParseDottedQuad, AcceptsFourPartsOfZeroTo255) {
    struct Case {
        const char* text;
        int a, b, c, d;
    };
    for (const Case& valid : {Case{"10.1.2.3", 10, 1, 2, 3}, Case{"010.001.002.003", 10, 1, 2, 3},
                              Case{"1..2.3", 1, 0, 2, 3}, Case{".1.2.3", 0, 1, 2, 3},
                              Case{" 1. 2.+3.4", 1, 2, 3, 4}, Case{"255.255.255.0255", 255, 255, 255, 255},
                              Case{"0.0.0.0", 0, 0, 0, 0}}) {
        RASIPADDR out = kUntouched;
        EXPECT_TRUE(parseDottedQuad(valid.text, out)) << valid.text;
        EXPECT_TRUE(sameAddress(out, valid.a, valid.b, valid.c, valid.d)) << valid.text;
    }
}

TEST(ParseDottedQuad, RefusesAnythingElseAndLeavesTheAddress) {
    for (const char* invalid : {"1.2.3", "1.2.3.4.5", "1.2.3.", "12345.1.1.1", "1.2.3.12345", "", "...",
                                "256.1.1.1", "1.2.3.256", "-1.2.3.4", "1.2.3.-1", "1.2.999.4"}) {
        RASIPADDR out = kUntouched;
        EXPECT_FALSE(parseDottedQuad(invalid, out)) << invalid;
        EXPECT_TRUE(sameAddress(out, 9, 9, 9, 9)) << invalid;
    }
    RASIPADDR out = kUntouched;
    EXPECT_FALSE(parseDottedQuad(nullptr, out));
}
