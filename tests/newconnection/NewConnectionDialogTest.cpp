// What the transcript of a run cannot show: the form's window and input
// method settings, and the tone-or-pulse check, which no click can reach.
#include "Application.h"
#include "NewConnectionDialog.h"
#include "Resources.h"
#include "ScriptHarness.h"
#include "UserInput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace resources;
using ::testing::ElementsAre;

struct TitledApplication : ui::Application {
    TitledApplication() : ui::Application("Kivora") {}
    void initInstance() override {}
};

// No provider files stand beside the test programs: each form opens with the
// box that says where they belong.
TEST(NewConnectionDialog, OpensAsItsOwnWindowWithDirectInputForUserNameAndNumber) {
    testsupport::ScriptHarness harness("answer OK\n");
    NewConnectionDialog form;
    ASSERT_TRUE(form.create());
    EXPECT_EQ(form.icon(), &icon(IDI_WINDOW));
    EXPECT_TRUE(form.extendedStyle() & WS_EX_APPWINDOW);
    for (int id : {IDC_ENTRY_NAME, IDC_USER_NAME, IDC_PASSWORD, IDC_ACCESS_NUMBER}) {
        SCOPED_TRACE(id);
        const bool direct = id == IDC_USER_NAME || id == IDC_ACCESS_NUMBER;
        EXPECT_EQ(form.controlState(*form.indexOf(id)).inputMethod, !direct);
    }
    EXPECT_EQ(form.checkState(IDC_TONE), 1);
    EXPECT_EQ(form.checkState(IDC_MAKE_DEFAULT), 1);
}

TEST(NewConnectionDialog, NeitherToneNorPulseIsRefusedBeforeTheMissingMethod) {
    TitledApplication application;
    testsupport::ScriptHarness harness("answer OK\nanswer OK\nanswer OK\n");
    NewConnectionDialog form;
    ASSERT_TRUE(form.create());
    for (int id : {IDC_ENTRY_NAME, IDC_USER_NAME, IDC_PASSWORD, IDC_ACCESS_NUMBER}) form.setControlText(id, "x");
    form.addItem(IDC_MODEM, "modem");
    form.setSelection(IDC_MODEM, 0);
    form.setCheckState(IDC_TONE, 0);
    ui::UserInput(form).click(IDOK);
    form.setCheckState(IDC_PULSE, 1);
    ui::UserInput(form).click(IDOK);
    EXPECT_THAT(
        harness.lines(),
        ElementsAre("create 129", ::testing::StartsWith("message information ok"), "> answer OK",
                    "message warning ok \"Kivora\" \"トーンかパルスを選択してください\"", "> answer OK",
                    "message warning ok \"Kivora\" \"接続方法を選択してください\"", "> answer OK"));
    EXPECT_FALSE(form.hasEnded());
}

}  // namespace
