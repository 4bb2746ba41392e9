// Every word the ppp service writes, read back by the programs that read it:
// pppd's option and secrets words, chat's send strings, the shell's words
// of the connect line. One table each, checked against the real program.
#include "FakeModem.h"
#include "PppDocuments.h"
#include "PppTestSupport.h"
#include "PppText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ppptest::sjis;
using testsupport::runProcess;

// Values that break naive quoting: pppd's and chat's escapes and comments,
// blanks, and CP932 text whose trail bytes are 0x5C (ソ, 表, 能) or 0x5E (ゾ).
std::vector<std::string> trickyValues() {
    return {"plain@example.ne.jp",
            "two words",
            "a\"b",
            "it's",
            "a#b",
            "#ab",
            "back\\slash",
            "ends in \\",
            "\\\\double",
            "tab-free ^caret $dollar `tick`",
            sjis("ソフト表示能力"),
            sjis("ゾーン"),
            sjis("山田 太郎") + "@" + sjis("例") + ".jp",
            std::string(200, 'x')};
}

TEST(PppQuoting, EveryValueComesBackFromPppdAsWritten) {
    SKIP_UNLESS_ROOT();
    testsupport::TempDir dir;
    for (const std::string& value : trickyValues()) {
        SCOPED_TRACE(value);
        const std::string line = "ipparam " + ppp::quoteOptionWord(value) + "\n";
        // The service's reader takes what pppd takes ...
        std::vector<ppp::OptionWord> words;
        std::string reason;
        ASSERT_TRUE(ppp::splitOptionWords(line, words, reason)) << reason;
        ASSERT_EQ(words.size(), 2u);
        EXPECT_EQ(words[1].value, value);
        // ... and pppd itself.
        // pppd's own checks want a device and no authentication of the peer.
        testsupport::writeFile(dir.file("options"), "noauth\npty true\n" + line);
        const testsupport::ProcessResult run = ppptest::pppd({"file", dir.file("options"), "dryrun"});
        bool found = false;
        EXPECT_EQ(ppptest::optionInEffect(run.err + run.out, "ipparam", found), value) << run.err;
        EXPECT_TRUE(found) << run.err;
    }
}

TEST(PppQuoting, AWordPppdWouldMisreadIsFoundAsDamage) {
    struct Case {
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {"user \"yamada\nremotename isp\n", "quoted word runs to the end"},
        {"user 'yamada\n", "quoted word runs to the end"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        std::vector<ppp::OptionWord> words;
        std::string reason;
        EXPECT_FALSE(ppp::splitOptionWords(test.text, words, reason));
        EXPECT_THAT(reason, ::testing::HasSubstr(test.why));
    }
    // pppd reads "user a#b" as "a", and "user #ab" takes the next line's word.
    std::vector<ppp::OptionWord> words;
    std::string reason;
    ASSERT_TRUE(ppp::splitOptionWords("user a#b\nuser #ab\nnext\n", words, reason));
    EXPECT_EQ(words[1].value, "a");
    EXPECT_EQ(words[3].value, "next");
}

TEST(PppQuoting, ChatSendsTheDialCommandByteForByte) {
    testsupport::TempDir dir;
    testsupport::FakeModem modem(dir.file("modem"));
    const std::vector<std::string> numbers = {"0,0312345678",  "P0,03-1234-5678##64", "9W03 1234 5678",
                                              "*31#0312345678", "12\\34^5$6\"7'8",     sjis("ソ表ゾ")};
    for (const std::string& number : numbers) {
        SCOPED_TRACE(number);
        modem.forget();
        const std::string dial = ppp::dialWordFor({false, number});
        ppp::ChatDocument chat;
        std::string reason;
        ASSERT_TRUE(ppp::parseChat("'' ATZ\nOK " + dial + "\nCONNECT ''\n", chat, reason)) << reason;
        EXPECT_EQ(ppp::dialCommandOf(chat, "")->number, number);
        testsupport::writeFile(dir.file("script"), chat.text);
        const auto run = runProcess({"/bin/sh", "-c", "exec /usr/sbin/chat -t 5 -f \"$1\" < \"$2\" > \"$2\"", "sh",
                                     dir.file("script"), modem.port()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_THAT(modem.received(), ::testing::ElementsAre("ATZ", "ATDT" + number));
    }
}

TEST(PppQuoting, TheConnectLineNamesItsChatScriptToTheShell) {
    for (const std::string& name : {std::string("isp"), std::string("my isp"), std::string("it's $HOME `x`"),
                                    std::string("ルリカケ 1")}) {
        SCOPED_TRACE(name);
        const std::string command = "/usr/sbin/chat -v -f " + ppp::shellQuote("/etc/chatscripts/" + name);
        std::vector<std::string> words;
        ASSERT_TRUE(ppp::splitShellWords(command, words));
        EXPECT_EQ(words.back(), "/etc/chatscripts/" + name);
        const auto run = runProcess({"/bin/sh", "-c", "printf '%s\\n' " + ppp::shellQuote("/etc/chatscripts/" + name)});
        EXPECT_EQ(run.out, "/etc/chatscripts/" + name + "\n");
    }
}

}  // namespace
