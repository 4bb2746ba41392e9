// The dialog framework's rules, driven through the script backend.
#include "Application.h"
#include "MessageBox.h"
#include "ScriptHarness.h"
#include "TestDialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using testsupport::ScriptHarness;
using testsupport::TestDialog;
using namespace testsupport;
using ::testing::ElementsAre;

class TestApplication : public ui::Application {
public:
    TestApplication() : Application("Title") {}

protected:
    void initInstance() override {}
};

TEST(Dialog, ProgramChangesAreSilentAndUserActionsNotify) {
    ScriptHarness harness("set 10 Hello\nclick 30\nclick 41\nclick 43\nselect 20 1\nclick 60\nclick 1\n");
    TestDialog dialog;
    dialog.name = "start";
    dialog.radio = 0;
    int selectionSeen = -2;
    dialog.initialise = [](TestDialog& d) {
        d.addItem(kList, "first", 7);
        d.addItem(kList, "second", 8);
        d.setSelection(kList, 0);
        d.setControlText(kName, "changed by the program");
        d.setCheckState(kCheck, 1);
        d.setCheckState(kCheck, 0);
    };
    dialog.command = [&](TestDialog& d, int id, int) {
        if (id == kList) selectionSeen = d.selection(kList);
    };

    EXPECT_EQ(dialog.doModal(), IDOK);

    EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "command 41 0", "command 43 0", "command 20 1",
                                          "command 60 0", "ok"));
    EXPECT_EQ(selectionSeen, 1);
    // OK moved the controls to the members.
    EXPECT_EQ(dialog.name, "Hello");
    EXPECT_EQ(dialog.check, 1);
    EXPECT_EQ(dialog.radio, 1);
    EXPECT_EQ(dialog.listSelection, 1);
    EXPECT_FALSE(dialog.hasWindow());
}

TEST(Dialog, RadioGroupsAreSeparateAndDataExchangeLoadsThem) {
    ScriptHarness harness("click 42\ndump\nclick 40\ndump\nclose\n");
    TestDialog dialog;
    dialog.radio = 1;
    dialog.doModal();
    auto lines = harness.lines();
    auto checked = [&](std::size_t dumpAt) {
        std::string result;
        for (std::size_t i = dumpAt; i < lines.size() && lines[i].rfind("control", 0) == 0; ++i) {
            if (lines[i].find(" checked") != std::string::npos) result += lines[i].substr(8, 2) + " ";
        }
        return result;
    };
    auto firstDump = std::find(lines.begin(), lines.end(), "> dump") - lines.begin() + 1;
    auto secondDump = std::find(lines.begin() + firstDump, lines.end(), "> dump") - lines.begin() + 1;
    EXPECT_EQ(checked(firstDump), "41 42 ");   // loaded B; C set beside it
    EXPECT_EQ(checked(secondDump), "40 42 ");  // A replaced B only
}

TEST(Dialog, EnterPressesTheFocusedOrDefaultButtonAndEscapeCancels) {
    {
        ScriptHarness harness("key 60 RETURN\nkey 10 RETURN\n");
        TestDialog dialog;
        EXPECT_EQ(dialog.doModal(), IDOK);
        EXPECT_THAT(dialog.heard, ElementsAre("command 60 0", "ok"));
    }
    {
        ScriptHarness harness("key 0 ESCAPE\n");
        TestDialog dialog;
        EXPECT_EQ(dialog.doModal(), IDCANCEL);
    }
    {
        // The default button disabled: Enter does nothing.
        ScriptHarness harness("key 10 RETURN\nkey 30 SPACE\nkey 0 ESCAPE\n");
        TestDialog dialog;
        dialog.initialise = [](TestDialog& d) { d.enableControl(IDOK, false); };
        EXPECT_EQ(dialog.doModal(), IDCANCEL);
        EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "cancel"));
    }
    {
        // Another default button.
        ScriptHarness harness("key 0 RETURN\nclose\n");
        TestDialog dialog;
        dialog.initialise = [](TestDialog& d) { d.setDefaultButton(kApply); };
        dialog.doModal();
        EXPECT_THAT(dialog.heard, ElementsAre("command 60 0", "cancel"));
    }
}

TEST(Dialog, KeyPreTranslationSwallowsBeforeTheDialogManager) {
    ScriptHarness harness("key 0 RETURN\nkey 10 ESCAPE\nkey 1 RETURN\nkey 30 SPACE\nclose\n");
    TestDialog dialog;
    dialog.swallowEnterAndEscape = true;
    EXPECT_EQ(dialog.doModal(), IDCANCEL);
    EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "cancel"));
}

TEST(Dialog, SystemMenuClosesAndCarriesTheProgramsItems) {
    ScriptHarness harness("sysmenu 16\nsysmenu 61536\n");
    TestDialog dialog;
    dialog.initialise = [](TestDialog& d) {
        d.appendSystemMenuSeparator();
        d.appendSystemMenuItem(0x10, "About");
    };
    EXPECT_EQ(dialog.doModal(), IDCANCEL);
    EXPECT_THAT(dialog.heard, ElementsAre("syscommand 16", "syscommand 61536", "cancel"));
}

TEST(Dialog, DumpShowsEveryControlWithAnId) {
    ScriptHarness harness("set 10 a \"quoted\" \\\\ name\\nline\nclick 30\ndump\nclose\n");
    TestDialog dialog;
    dialog.initialise = [](TestDialog& d) {
        d.addItem(kList, "x");
        d.addItem(kList, "y");
        d.setSelection(kList, 1);
        d.setControlText(kSecret, "pw");
    };
    dialog.doModal();
    EXPECT_THAT(harness.lines(),
                ElementsAre("run 500", "> set 10 a \"quoted\" \\\\ name\\nline", "> click 30", "> dump",
                            "control 10 edit \"a \\\"quoted\\\" \\\\ name\\nline\"",
                            "control 11 edit \"\" readonly", "control 12 edit \"pw\" password",
                            "control 20 dropdown \"y\" selected=1 items=\"x|y\"",
                            "control 30 checkbox \"Check\" checked", "control 40 radio \"A\"",
                            "control 41 radio \"B\"", "control 42 radio \"C\"", "control 43 radio \"D\"",
                            "control 50 static \"ready\"", "control 51 static \"unseen\" hidden",
                            "control 60 button \"Apply\"", "control 61 button \"Never\" disabled",
                            "control 1 button \"OK\"", "control 2 button \"Cancel\"", "> close", "end 500 2"));
}

TEST(Dialog, ModalRunsNestWithMessageBoxesUnderTheApplicationTitle) {
    ScriptHarness harness("click 60\nclick 60\nanswer CANCEL\nclick 1\nanswer OK\nclick 2\n");
    TestApplication application;
    TestDialog outer;
    int answers[2] = {0, 0};
    int next = 0;
    outer.command = [&](TestDialog&, int id, int) {
        if (id != kApply) return;
        TestDialog inner;
        inner.command = [&](TestDialog&, int innerId, int) {
            if (innerId == kApply) answers[next++] = ui::messageBox("Sure?", MB_OKCANCEL | MB_ICONQUESTION);
        };
        inner.doModal();
        answers[next++] = ui::messageBox("Done", MB_OK | MB_ICONINFORMATION, "Own caption");
    };
    EXPECT_EQ(outer.doModal(), IDCANCEL);
    EXPECT_EQ(answers[0], IDCANCEL);
    EXPECT_EQ(answers[1], IDOK);
    EXPECT_THAT(harness.lines(),
                ElementsAre("run 500", "> click 60", "run 500", "> click 60",
                            "message question okcancel \"Title\" \"Sure?\"", "> answer CANCEL", "> click 1",
                            "end 500 1", "message information ok \"Own caption\" \"Done\"", "> answer OK",
                            "> click 2", "end 500 2"));
}

TEST(Dialog, ModelessWindowsReportTheirLifeAndPaintTheirVisibleStatics) {
    ScriptHarness harness;
    {
        TestDialog window;
        ASSERT_TRUE(window.create());
        window.redrawWindow();  // hidden: nothing to paint
        window.setControlText(kStatus, "working\non it");
        window.showWindow(SW_SHOWNA);
        window.redrawWindow();
        window.showWindow(SW_SHOW);  // already shown
        window.showWindow(SW_HIDE);
        window.destroyWindow();
        EXPECT_FALSE(window.hasWindow());
        ASSERT_TRUE(window.create());
    }
    EXPECT_THAT(harness.lines(), ElementsAre("create 500", "show 500", "paint 500 \"Name: | working\\non it\"",
                                             "hide 500", "destroy 500", "create 500", "destroy 500"));
}

TEST(Dialog, DropDownItemsKeepTheirDataAndTheSelectionFollowsDeletions) {
    ScriptHarness harness;
    TestDialog dialog;
    ASSERT_TRUE(dialog.create());
    int owned[3] = {};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.addItem(kList, "item" + std::to_string(i), reinterpret_cast<ui::ItemData>(&owned[i])), i);
    }
    dialog.setSelection(kList, 2);
    EXPECT_EQ(dialog.controlText(kList), "item2");
    dialog.deleteItem(kList, 0);
    EXPECT_EQ(dialog.selection(kList), 1);
    EXPECT_EQ(dialog.itemText(kList, 1), "item2");
    EXPECT_EQ(reinterpret_cast<int*>(dialog.itemData(kList, 1)), &owned[2]);
    dialog.deleteItem(kList, 1);
    EXPECT_EQ(dialog.selection(kList), -1);
    EXPECT_EQ(dialog.controlText(kList), "");
    EXPECT_EQ(dialog.itemData(kList, 5), 0u);
    dialog.resetContent(kList);
    EXPECT_EQ(dialog.itemCount(kList), 0);
}

TEST(Dialog, ControlTextIntoABufferNeverSplitsACharacterOrOverruns) {
    ScriptHarness harness;
    TestDialog dialog;
    ASSERT_TRUE(dialog.create());
    dialog.setControlText(kName, "ab\x83\x65\x83\x58");  // "abテス" in CP932
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(dialog.controlText(kName, buffer, 4), 2);  // room for "ab" and half of テ
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[3], 'X');
    EXPECT_EQ(dialog.controlText(kName, buffer, 7), 6);
    EXPECT_STREQ(buffer, "ab\x83\x65\x83\x58");
    EXPECT_EQ(dialog.controlText(999, buffer, 7), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(Dialog, WithoutAWindowNothingRunsAndControlsReadEmpty) {
    ui::setCurrentBackend(nullptr);
    TestDialog dialog;
    EXPECT_EQ(dialog.doModal(), -1);
    EXPECT_FALSE(dialog.create());
    dialog.setControlText(kName, "lost");
    EXPECT_EQ(dialog.controlText(kName), "");
    EXPECT_FALSE(dialog.isControlEnabled(kName));
    EXPECT_EQ(ui::messageBox("nobody sees this", MB_OK), IDCANCEL);
}

// Actions a user could not have done end the program with status 3.
struct Refused {
    const char* script;
    const char* reason;  // expected on the transcript
    // Names the case after the end of its script.
    friend std::ostream& operator<<(std::ostream& out, const Refused& refused) {
        std::string script = refused.script;
        script.pop_back();
        return out << script.substr(script.rfind('\n') + 1);
    }
};

class ScriptRefusal : public ::testing::TestWithParam<Refused> {};

TEST_P(ScriptRefusal, EndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto [script, reason] = GetParam();
    EXPECT_EXIT(
        {
            std::istringstream input(script);
            ui::ScriptBackend backend(ui::parseScript(input).actions, std::cerr);
            ui::setCurrentBackend(&backend);
            TestDialog dialog;
            dialog.command = [](TestDialog&, int id, int) {
                if (id == kApply) ui::messageBox("box", MB_OK);
            };
            dialog.doModal();
            std::exit(backend.finish(0));
        },
        ::testing::ExitedWithCode(3), reason);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, ScriptRefusal,
    ::testing::Values(Refused{"click 99\n", "error: click 99: no control 99"},
                      Refused{"click 61\n", "error: click 61: control 61 is disabled"},
                      Refused{"set 51 x\n", "error: set 51 x: control 51 is hidden"},
                      Refused{"set 11 x\n", "error: set 11 x: edit 11 is read-only"},
                      Refused{"set 30 x\n", "error: set 30 x: control 30 is not an edit"},
                      Refused{"set 10 caf\xC3\xA9\n", "not in CP932"},
                      Refused{"select 20 0\n", "error: select 20 0: list 20 has no item 0"},
                      Refused{"choose 20 nothing\n", "error: choose 20 nothing: no such item"},
                      Refused{"click 10\n", "control 10 is not a button"},
                      Refused{"sysmenu 16\n", "no system-menu item 16"},
                      Refused{"answer OK\n", "error: answer OK: no message box is open"},
                      Refused{"click 60\nclick 1\n", "error: click 1: a message box is open"},
                      Refused{"click 60\nanswer CANCEL\n", "the message box has no Cancel button"},
                      Refused{"click 60\nanswer OK\n", "error: script exhausted\nexit 3"},
                      Refused{"close\nclose\nclose\n", "error: 2 actions unused\nexit 3"}));

TEST(Script, ParsesActionsAndTheirTexts) {
    std::istringstream input(
        "# a comment\n\n   \nset 5 tab\\there\\\\ and\\nline\r\nset 6\nchoose 7  two  spaces\nkey 0 SPACE\n"
        "answer CANCEL\nselect 8 -1\n");
    ui::ParsedScript script = ui::parseScript(input);
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.actions.size(), 6u);
    EXPECT_EQ(script.actions[0].text, "tab\there\\ and\nline");
    EXPECT_EQ(script.actions[0].line, "set 5 tab\\there\\\\ and\\nline");
    EXPECT_EQ(script.actions[1].text, "");
    EXPECT_EQ(script.actions[2].text, " two  spaces");
    EXPECT_EQ(script.actions[3].number, VK_SPACE);
    EXPECT_EQ(script.actions[4].number, IDCANCEL);
    EXPECT_EQ(script.actions[5].number, -1);
}

TEST(Script, NamesTheFirstBadLine) {
    auto errorOf = [](const char* text) {
        std::istringstream input(text);
        return ui::parseScript(input).error;
    };
    EXPECT_EQ(errorOf("close\npress 5\n"), "line 2: unknown action \"press\"");
    EXPECT_EQ(errorOf("click\n"), "line 1: a control id is missing");
    EXPECT_EQ(errorOf("click 5x\n"), "line 1: a control id is missing");
    EXPECT_EQ(errorOf("key 5 TAB\n"), "line 1: the key must be RETURN, ESCAPE or SPACE");
    EXPECT_EQ(errorOf("answer YES\n"), "line 1: the answer must be OK or CANCEL");
    EXPECT_EQ(errorOf("set 5 a\\qb\n"), "line 1: unknown escape in text");
    EXPECT_EQ(errorOf("close now\n"), "line 1: unexpected \"now\"");
    EXPECT_EQ(errorOf("select 5\n"), "line 1: an item index is missing");
}

TEST(Script, TranscriptTextsAreQuotedUtf8) {
    EXPECT_EQ(ui::quoteForTranscript("a\"b\\c\nd"), "\"a\\\"b\\\\c\\nd\"");
    EXPECT_EQ(ui::quoteForTranscript("\x83\x65\x83\x58\x83\x67"), "\"テスト\"");
}

}  // namespace
