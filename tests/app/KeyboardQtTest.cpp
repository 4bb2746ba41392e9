// The program's dialogs used by keyboard alone and read by assistive
// technology, on the Qt backend, headless.
#include "AccessPointChangeDialog.h"
#include "Cp932.h"
#include "QtBackend.h"
#include "QtTestEnvironment.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using namespace resources;
using testsupport::QtTestEnvironment;

ui::QtBackend& qt() { return *QtTestEnvironment::backend; }

constexpr int kAbandoned = 3;

// Runs the dialog modally; `during` plays the user inside its loop. A walk
// that stops short ends the dialog with kAbandoned.
int runWith(ui::Dialog& dialog, std::function<void()> during) {
    QTimer::singleShot(0, [&dialog, during] {
        during();
        if (!dialog.hasEnded()) dialog.endDialog(kAbandoned);
    });
    return dialog.doModal();
}

// A key as the user presses it: to whatever has the focus.
void press(const ui::Dialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(qt().windowOf(dialog)->focusWidget(), key, modifiers);
}

int focusedId(const ui::Dialog& dialog) {
    for (std::size_t i = 0; i < dialog.controlCount(); ++i) {
        int id = dialog.controlState(i).source->id;
        if (id != IDC_STATIC && qt().controlWidget(dialog, id) == qt().windowOf(dialog)->focusWidget()) return id;
    }
    return 0;
}

// The form's template, filled as the form fills it: a heading between the
// methods, tone set.
void fillForm(ui::Dialog& form) {
    for (const char* method : {"アナログ", "【ISDN】", "ISDN"}) form.addItem(IDC_CONNECTION_TYPE, cp932::fromUtf8(method));
    form.markItemAsHeading(IDC_CONNECTION_TYPE, 1);
    form.setSelection(IDC_CONNECTION_TYPE, 0);
    form.addItem(IDC_MODEM, "modem");
    form.setSelection(IDC_MODEM, 0);
    form.setCheckState(IDC_TONE, 1);
}

TEST(KeyboardWalk, TheNewConnectionFormIsCompletedByKeyboardAlone) {
    ui::Dialog form(dialogTemplate(IDD_NEW_CONNECTION));
    int result = runWith(form, [&] {
        fillForm(form);
        // Tab goes from field to field in template order; Down passes over
        // the heading; Tab enters the radio group at its checked button and
        // Right checks パルス.
        const struct {
            int focused;
            const char* typed;
            Qt::Key key;
        } walk[] = {
            {IDC_ENTRY_NAME, "Kivora", Qt::Key_Tab},   {IDC_USER_NAME, "taro", Qt::Key_Tab},
            {IDC_PASSWORD, "pw", Qt::Key_Tab},         {IDC_CONNECTION_TYPE, "", Qt::Key_Down},
            {IDC_CONNECTION_TYPE, "", Qt::Key_Tab},    {IDC_ACCESS_NUMBER, "9", Qt::Key_Tab},
            {IDC_MODEM, "", Qt::Key_Tab},              {IDC_TONE, "", Qt::Key_Right},
            {IDC_PULSE, "", Qt::Key_Tab},              {IDC_MAKE_DEFAULT, "", Qt::Key_Backtab},
            {IDC_PULSE, "", Qt::Key_Tab},              {IDC_MAKE_DEFAULT, "", Qt::Key_Tab},
            {IDOK, "", Qt::Key_Space},
        };
        for (const auto& step : walk) {
            ASSERT_EQ(focusedId(form), step.focused) << step.typed;
            QTest::keyClicks(qt().windowOf(form)->focusWidget(), QString::fromUtf8(step.typed));
            press(form, step.key);
        }
        EXPECT_EQ(form.selection(IDC_CONNECTION_TYPE), 2);
        EXPECT_EQ(form.checkState(IDC_PULSE), 1);
        EXPECT_EQ(form.controlText(IDC_ENTRY_NAME) + form.controlText(IDC_ACCESS_NUMBER), "Kivora9");
    });
    EXPECT_EQ(result, IDOK);
}

TEST(KeyboardWalk, ListsPassOverHeadingsDrawnApart) {
    ui::Dialog form(dialogTemplate(IDD_NEW_CONNECTION));
    ASSERT_TRUE(form.create());
    fillForm(form);
    auto* list = static_cast<QComboBox*>(qt().controlWidget(form, IDC_CONNECTION_TYPE));
    EXPECT_TRUE(list->itemData(1, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(list->itemData(0, Qt::FontRole).isValid());
    const struct {
        QString keys;
        Qt::Key key;
        int selection;
    } moves[] = {{{}, Qt::Key_Down, 2}, {{}, Qt::Key_Up, 0}, {{}, Qt::Key_End, 2}, {{}, Qt::Key_Home, 0},
                 {QStringLiteral("i"), Qt::Key_unknown, 2}, {QString::fromUtf8("【"), Qt::Key_unknown, 2}};
    for (const auto& move : moves) {
        // Typed as an input method delivers it: text without a key code.
        QKeyEvent typed(QEvent::KeyPress, move.key, Qt::NoModifier, move.keys);
        QApplication::sendEvent(list, &typed);
        EXPECT_EQ(form.selection(IDC_CONNECTION_TYPE), move.selection) << move.key;
    }
    // The open list passes over it too, and Enter still picks.
    form.setSelection(IDC_CONNECTION_TYPE, 0);
    list->showPopup();
    QTest::keyClick(list->view(), Qt::Key_Down);
    QTest::keyClick(list->view(), Qt::Key_Return);
    EXPECT_EQ(form.selection(IDC_CONNECTION_TYPE), 2);
}

TEST(KeyboardWalk, AnUnlockedFieldUntickedShowsItsOriginalAgain) {
    AccessPointChangeDialog dialog;
    dialog.userName = "taro";
    dialog.newNumber = "0120";
    int result = runWith(dialog, [&] {
        for (int i = 0; i < 12 && focusedId(dialog) != IDC_EDIT_USER; ++i) press(dialog, Qt::Key_Tab);
        ASSERT_EQ(focusedId(dialog), IDC_EDIT_USER);
        press(dialog, Qt::Key_Space);
        press(dialog, Qt::Key_Backtab);
        ASSERT_EQ(focusedId(dialog), IDC_USER_NAME);
        press(dialog, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(qt().windowOf(dialog)->focusWidget(), QStringLiteral("jiro"));
        EXPECT_EQ(dialog.controlText(IDC_USER_NAME), "jiro");
        press(dialog, Qt::Key_Tab);
        press(dialog, Qt::Key_Space);
        EXPECT_EQ(dialog.controlText(IDC_USER_NAME), "taro");
        EXPECT_FALSE(dialog.isControlEnabled(IDC_USER_NAME));
        for (int i = 0; i < 12 && focusedId(dialog) != IDOK; ++i) press(dialog, Qt::Key_Tab);
        press(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.userName, "taro");
}

// The access-point dialog as assistive technology reads it; the form is read
// over AT-SPI by AtSpiNames.py.
TEST(Accessibility, TheAccessPointDialogIsNamedFromTheTemplate) {
    const struct {
        int id;
        QAccessible::Role role;
        const char* name;
        const char* description;
    } rows[] = {
        {IDCANCEL, QAccessible::Button, "変更しない", ""},
        {IDC_NEW_NUMBER, QAccessible::EditableText, "新しい電話番号：", ""},
        {IDC_USER_NAME, QAccessible::EditableText, "ユーザー名：", ""},
        {IDC_EDIT_USER, QAccessible::CheckBox, "編集する", "ユーザー名を編集する"},
        {IDC_PASSWORD, QAccessible::EditableText, "パスワード：", ""},
        {IDC_EDIT_PASSWORD, QAccessible::CheckBox, "編集する", "パスワードを編集する"},
        {IDC_MODEM, QAccessible::ComboBox, "モデム：", ""},
        {IDC_EDIT_MODEM, QAccessible::CheckBox, "編集する", "モデムを編集する"},
    };
    AccessPointChangeDialog dialog;
    ASSERT_TRUE(dialog.create());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(qt().controlWidget(dialog, row.id));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->role(), row.role);
        EXPECT_EQ(control->text(QAccessible::Name).toStdString(), row.name);
        EXPECT_EQ(control->text(QAccessible::Description).toStdString(), row.description);
    }
}

}  // namespace
