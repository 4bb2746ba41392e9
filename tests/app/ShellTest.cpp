// The application shell's windows on the script backend.
#include "Application.h"
#include "Cp932.h"
#include "DataExchange.h"
#include "LinkLabel.h"
#include "MainMenuDialog.h"
#include "ProgressWindow.h"
#include "Resources.h"
#include "ScriptHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testsupport::ScriptHarness;
using ::testing::ElementsAre;

class TestApplication : public ui::Application {
public:
    TestApplication() : Application("Kivora") {}

protected:
    void initInstance() override {}
};

const ui::ControlState& stateOf(const ui::Dialog& dialog, int id) {
    return dialog.controlState(*dialog.indexOf(id));
}

TEST(MainMenu, TitleSystemMenuAndIcon) {
    ScriptHarness harness;
    MainMenuDialog menu;
    ASSERT_TRUE(menu.create());

    const ui::ControlState& title = stateOf(menu, resources::IDC_MENU_TITLE);
    ASSERT_TRUE(title.font);
    EXPECT_EQ(cp932::toUtf8(title.font->face), "MS ゴシック");
    EXPECT_EQ(title.font->height, 18);
    EXPECT_EQ(title.font->weight, FW_BOLD);
    ASSERT_TRUE(title.colours);
    EXPECT_EQ(title.colours->text, harness.backend().systemColour(COLOR_WINDOWTEXT));
    EXPECT_EQ(title.colours->background, harness.backend().systemColour(COLOR_BTNFACE));

    const auto& items = menu.systemMenu();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, SC_CLOSE);
    EXPECT_EQ(items[1].id, 0u);
    EXPECT_EQ(items[2].id, resources::IDM_ABOUTBOX);
    EXPECT_STREQ(items[2].text.c_str(), resources::loadString(resources::IDS_ABOUT_ITEM));
    EXPECT_EQ(menu.icon(), &resources::icon(resources::IDI_WINDOW));
    EXPECT_TRUE(menu.extendedStyle() & WS_EX_APPWINDOW);
    // WS_VISIBLE in its template: a modeless menu shows at once.
    EXPECT_THAT(harness.lines(), ElementsAre("create 102", "show 102"));
}

// A dialog with one static to attach a label to.
const ui::DialogTemplate& labelTemplate() {
    static const ui::DialogTemplate dialog = {
        700, "", DS_MODALFRAME | WS_POPUP, 0, 100, 40, {"x", 9},
        {ui::rc::centredText("Title", 5, ui::Rect{5, 5, 90, 20})}};
    return dialog;
}

class LabelDialog : public ui::Dialog {
public:
    LabelDialog() : Dialog(labelTemplate()) {}
    LinkLabel label;

protected:
    void doDataExchange(ui::DataExchange& exchange) override { exchange.control(5, label); }
};

TEST(LinkLabel, EachStepRebuildsOneFontWithEverythingSetSoFar) {
    ScriptHarness harness;
    LabelDialog dialog;
    dialog.label.setFontHeight(30);  // before the window: kept for later
    EXPECT_FALSE(dialog.label.isAttached());
    ASSERT_TRUE(dialog.create());
    EXPECT_TRUE(dialog.label.isAttached());
    EXPECT_EQ(stateOf(dialog, 5).font->height, 30);

    dialog.label.setFontFace("Face").setFontHeight(18).setFontBold(true);
    const ui::FontDescription& font = *stateOf(dialog, 5).font;
    EXPECT_EQ(font.face, "Face");
    EXPECT_EQ(font.height, 18);
    EXPECT_EQ(font.weight, FW_BOLD);
    dialog.label.setFontBold(false);
    EXPECT_EQ(stateOf(dialog, 5).font->weight, FW_NORMAL);

    dialog.destroyWindow();
    EXPECT_FALSE(dialog.label.isAttached());
}

TEST(LinkLabel, FaceNamesKeepWholeCharactersWithinTheFaceBuffer) {
    LinkLabel label;
    EXPECT_EQ(label.font().face, ui::defaultGuiFont().face);
    label.setFontFace(std::string(40, 'a').c_str());
    EXPECT_EQ(label.font().face, std::string(31, 'a'));
    std::string kanji;
    for (int i = 0; i < 20; ++i) kanji += "\x8A\xBF";  // 漢, two bytes each
    label.setFontFace(kanji.c_str());
    EXPECT_EQ(label.font().face.size(), 30u);  // 15 whole characters; a 16th would need byte 32
    label.setFontFace(nullptr);
    EXPECT_EQ(label.font().face, "");
}

TEST(ProgressWindow, ShowsPaintsHidesAndIsDestroyed) {
    ScriptHarness harness;
    {
        ProgressWindow window;
        ASSERT_TRUE(window.create());
        window.showText("\x90\xDD\x92\xE8");  // 設定
        window.show(false);
        window.showText("next");
        window.show(true);  // already shown: painted again all the same
        window.hide();
        window.show(true);
        window.destroyWindow();
        window.showText("after");  // no window: nothing happens
    }
    EXPECT_THAT(harness.lines(), ElementsAre("create 132", "show 132", "paint 132 \"設定\"", "paint 132 \"next\"",
                                             "hide 132", "show 132", "paint 132 \"next\"", "destroy 132"));
}

TEST(ProgressWindow, CentresOverTheMainWindowWithoutClippingToTheScreen) {
    ScriptHarness harness;
    TestApplication application;
    ProgressWindow window;
    ASSERT_TRUE(window.create());
    ui::Rect before = window.windowRect();
    window.centreOnMainWindow();  // no main window: stays
    EXPECT_EQ(window.windowRect().left, before.left);

    MainMenuDialog menu;
    ASSERT_TRUE(menu.create());
    application.setMainWindow(&menu);
    menu.moveWindow(900, 50);  // reaching past the right edge of the screen
    menu.showWindow(SW_HIDE);  // hidden: its last place counts
    window.centreOnMainWindow();
    ui::Rect main = menu.windowRect();
    ui::Rect own = window.windowRect();
    EXPECT_EQ(own.left, 900 + (main.width - own.width) / 2);
    EXPECT_EQ(own.top, 50 + (main.height - own.height) / 2);
    EXPECT_LT(own.left, 900);  // the progress window is the wider one
    application.setMainWindow(nullptr);
}

}  // namespace
