// The program's templates: what the dialogs' logic and the user rely on.
#include "Cp932.h"
#include "Resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace {

using namespace resources;

const DialogId kAllDialogs[] = {IDD_ABOUTBOX,       IDD_MAIN_MENU,           IDD_NEW_CONNECTION,
                                IDD_PROGRESS,       IDD_ACCESS_POINT_CHANGE, IDD_ISDN_USER_CHANGE};

std::vector<int> idsOf(const ui::DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const auto& control : dialog.controls) {
        if (control.id != IDC_STATIC) ids.push_back(control.id);
    }
    return ids;
}

bool inside(const ui::Rect& inner, const ui::Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width && inner.top + inner.height <= outer.top + outer.height;
}

// A drop-down list's template height includes its dropped-down list, which
// may reach beyond the dialog; closed it is one line high.
ui::Rect shownRect(const ui::ControlTemplate& control) {
    ui::Rect rect = control.rect;
    if (control.kind == ui::ControlKind::DropDownList) rect.height = 14;
    return rect;
}

bool overlap(const ui::Rect& a, const ui::Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(Templates, ControlIdsComeInTabOrder) {
    using ::testing::ElementsAre;
    EXPECT_THAT(idsOf(dialogTemplate(IDD_MAIN_MENU)), ElementsAre(1006, 1000, 1001));
    EXPECT_THAT(idsOf(dialogTemplate(IDD_NEW_CONNECTION)),
                ElementsAre(1005, 1023, 1001, 1021, 1002, 1024, 1003, 1018, 1019, 1020, 1011, IDOK));
    EXPECT_THAT(idsOf(dialogTemplate(IDD_PROGRESS)), ElementsAre(1022));
    // The confirmations open with the focus on 変更する.
    EXPECT_THAT(idsOf(dialogTemplate(IDD_ACCESS_POINT_CHANGE)),
                ElementsAre(IDOK, IDCANCEL, 1006, 1004, 1005, 1001, 1021, 1011, 1002, 1012, 1018, 1013));
    EXPECT_THAT(idsOf(dialogTemplate(IDD_ISDN_USER_CHANGE)),
                ElementsAre(IDOK, IDCANCEL, 1006, 1003, 1014, 1016, 1015, 1017, 1002, 1012, 1018, 1013));
}

TEST(Templates, EveryControlLiesInItsDialogWithoutCoveringAnother) {
    for (DialogId id : kAllDialogs) {
        const ui::DialogTemplate& dialog = dialogTemplate(id);
        SCOPED_TRACE(id);
        EXPECT_EQ(cp932::toUtf8(dialog.font.face), "ＭＳ Ｐゴシック");
        EXPECT_EQ(dialog.font.pointSize, 9);
        ui::Rect client{0, 0, dialog.width, dialog.height};
        std::set<int> ids;
        const auto& controls = dialog.controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            SCOPED_TRACE(i);
            ui::Rect rect = shownRect(controls[i]);
            EXPECT_TRUE(inside(rect, client));
            if (controls[i].id != IDC_STATIC) {
                EXPECT_TRUE(ids.insert(controls[i].id).second);
            }
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                ui::Rect other = shownRect(controls[j]);
                // Group boxes frame other controls; everything else stands apart.
                bool framed = controls[i].kind == ui::ControlKind::GroupBox && inside(other, rect);
                EXPECT_TRUE(framed || !overlap(rect, other)) << j;
            }
        }
    }
}

TEST(Templates, RadioGroupsStartWithTheGroupStyle) {
    const auto& controls = dialogTemplate(IDD_NEW_CONNECTION).controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id == IDC_TONE) {
            EXPECT_TRUE(controls[i].style & WS_GROUP);
            EXPECT_TRUE(controls[i].style & WS_TABSTOP);
            ASSERT_EQ(controls[i + 1].id, IDC_PULSE);
            EXPECT_FALSE(controls[i + 1].style & WS_GROUP);
            EXPECT_TRUE(controls[i + 2].style & WS_GROUP);  // the hint ends the group
        }
    }
}

TEST(Templates, StringsAndIcons) {
    EXPECT_STREQ(loadString(IDS_APP_TITLE), "Kivora");
    EXPECT_EQ(cp932::toUtf8(loadString(IDS_ABOUT_ITEM)), "Kivora のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_STREQ(loadString(4242), "");
    for (IconId id : {IDI_PROGRAM, IDI_WINDOW}) {
        const ui::Icon& icon = resources::icon(id);
        std::set<int> sizes;
        for (const ui::IconImage& image : icon.images) {
            sizes.insert(image.size);
            ASSERT_GT(image.length, 8u);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.png), 8), "\x89PNG\r\n\x1a\n");
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
    }
}

}  // namespace
