// The Qt backend, headless (QT_QPA_PLATFORM=offscreen).
#include "Cp932.h"
#include "DialogUnits.h"
#include "QtBackend.h"
#include "QtTestEnvironment.h"
#include "Resources.h"
#include "TestDialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace testsupport;
using ::testing::ElementsAre;

template <typename Widget>
Widget* control(const ui::Dialog& dialog, int id) {
    return qobject_cast<Widget*>(qtBackend().controlWidget(dialog, id));
}

// Types text key by key, as a keyboard or an input method delivers it.
void type(QWidget* widget, const QString& text) {
    for (QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
    }
}

// Runs the dialog modally; `during` runs inside its loop.
int runWith(ui::Dialog& dialog, std::function<void()> during) {
    QTimer::singleShot(0, [during] { during(); });
    return dialog.doModal();
}

TEST(QtBackend, PlacesControlsInDialogUnitsOfTheDialogFont) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.create());
    QWidget* window = qtBackend().windowOf(dialog);
    ASSERT_NE(window, nullptr);
    // The 9-point template font is 12 pixels of IPA P Gothic: base units 7 × 13.
    EXPECT_EQ(QFontInfo(window->font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(window->size(), QSize(350, 260));
    EXPECT_EQ(control<QLineEdit>(dialog, kName)->geometry(), QRect(88, 8, 175, 23));
    EXPECT_EQ(control<QPushButton>(dialog, IDOK)->geometry(), QRect(158, 228, 88, 23));
    // A drop-down list is as high as its closed field, not its template rectangle.
    EXPECT_LT(control<QComboBox>(dialog, kList)->height(), ui::dluToPixelsY(60, {7, 13}));
    EXPECT_EQ(dialog.windowRect().width, 350);
}

// Every text of every dialog shows whole in its control.
TEST(QtBackend, TemplateTextsFitTheirControls) {
    using namespace resources;
    for (DialogId id : {IDD_ABOUTBOX, IDD_MAIN_MENU, IDD_NEW_CONNECTION, IDD_PROGRESS, IDD_ACCESS_POINT_CHANGE,
                        IDD_ISDN_USER_CHANGE}) {
        ui::Dialog dialog(dialogTemplate(id));
        ASSERT_TRUE(dialog.create());
        // The window's children are its controls, made in template order.
        std::vector<QWidget*> widgets;
        for (QObject* child : qtBackend().windowOf(dialog)->children()) {
            if (auto* widget = qobject_cast<QWidget*>(child)) widgets.push_back(widget);
        }
        const auto& controls = dialog.dialogTemplate().controls;
        ASSERT_EQ(widgets.size(), controls.size());
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const ui::ControlTemplate& source = controls[i];
            QWidget* widget = widgets[i];
            if (source.text.empty() || source.kind == ui::ControlKind::GroupBox) continue;
            SCOPED_TRACE(cp932::toUtf8(source.text));
            QFontMetrics metrics(widget->font());
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 1000),
                                                    label->wordWrap() ? Qt::TextWordWrap : 0, label->text());
                EXPECT_LE(needed.width(), label->width());
                EXPECT_LE(needed.height(), label->height());
            } else if (qobject_cast<QPushButton*>(widget) != nullptr) {
                EXPECT_LE(metrics.horizontalAdvance(widget->property("text").toString()) + 8, widget->width());
            } else {
                EXPECT_LE(widget->sizeHint().width(), widget->width());
                EXPECT_LE(widget->sizeHint().height() - 4, widget->height());
            }
        }
    }
}

TEST(QtBackend, EnterPressesTheDefaultButtonAndEscapeCancels) {
    TestDialog enter;
    EXPECT_EQ(runWith(enter,
                      [&] {
                          // The first tab stop has the focus.
                          EXPECT_EQ(qtBackend().windowOf(enter)->focusWidget(), control<QLineEdit>(enter, kName));
                          QTest::keyClick(control<QLineEdit>(enter, kName), Qt::Key_Return);
                      }),
              IDOK);
    EXPECT_THAT(enter.heard, ElementsAre("ok"));

    TestDialog escape;
    EXPECT_EQ(runWith(escape, [&] { QTest::keyClick(control<QCheckBox>(escape, kCheck), Qt::Key_Escape); }),
              IDCANCEL);
}

TEST(QtBackend, SwallowedEnterAndEscapeDoNothing) {
    TestDialog dialog;
    dialog.swallowEnterAndEscape = true;
    int result = runWith(dialog, [&] {
        QTest::keyClick(control<QLineEdit>(dialog, kName), Qt::Key_Return);
        QTest::keyClick(control<QPushButton>(dialog, IDOK), Qt::Key_Enter);
        QTest::keyClick(qtBackend().windowOf(dialog), Qt::Key_Escape);
        EXPECT_TRUE(dialog.hasWindow() && !dialog.hasEnded());
        QTest::keyClick(control<QCheckBox>(dialog, kCheck), Qt::Key_Space);
        QTest::mouseClick(control<QPushButton>(dialog, IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "cancel"));
}

TEST(QtBackend, EditsMaskRefuseAndReport) {
    TestDialog dialog;
    dialog.initialise = [](TestDialog& d) {
        d.setControlText(kReadOnly, "fixed");
        d.setControlText(kName, "by the program");
    };
    ASSERT_TRUE(dialog.create());
    EXPECT_EQ(control<QLineEdit>(dialog, kSecret)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(control<QLineEdit>(dialog, kName)->echoMode(), QLineEdit::Normal);

    auto* readOnly = control<QLineEdit>(dialog, kReadOnly);
    EXPECT_TRUE(readOnly->isReadOnly());
    type(readOnly, QStringLiteral("typed"));
    EXPECT_EQ(dialog.controlText(kReadOnly), "fixed");

    auto* name = control<QLineEdit>(dialog, kName);
    name->clear();
    // é has no CP932 form: the edit refuses it, keeps the rest and says so
    // below itself; a paste keeps every character CP932 can hold.
    type(name, QString::fromUtf8("aéテ"));
    EXPECT_EQ(name->text(), QString::fromUtf8("aテ"));
    EXPECT_EQ(dialog.controlText(kName), "a\x83\x65");
    auto balloons = qtBackend().windowOf(dialog)->findChildren<QLabel*>();
    auto balloon = std::find_if(balloons.begin(), balloons.end(), [](QLabel* label) {
        return !label->isHidden() && label->text().contains(QString::fromUtf8("「é」"));
    });
    ASSERT_NE(balloon, balloons.end());
    EXPECT_GT((*balloon)->y(), name->geometry().bottom());
    name->insert(QString::fromUtf8("x①éy😀z"));
    EXPECT_EQ(name->text(), QString::fromUtf8("aテx①yz"));
    EXPECT_TRUE((*balloon)->text().contains(QString::fromUtf8("é😀")));

    dialog.disableInputMethod(kName);
    EXPECT_FALSE(name->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(control<QLineEdit>(dialog, kSecret)->isEnabled());
    dialog.enableControl(kSecret, false);
    EXPECT_FALSE(control<QLineEdit>(dialog, kSecret)->isEnabled());
    // Typing and the program's own changes notify nothing.
    EXPECT_THAT(dialog.heard, ElementsAre());
}

TEST(QtBackend, ButtonsAndListsReportTheUserOnly) {
    TestDialog dialog;
    dialog.radio = 0;
    dialog.initialise = [](TestDialog& d) {
        d.addItem(kList, "one");
        d.addItem(kList, "two");
        d.setSelection(kList, 0);
        d.setCheckState(kCheck, 1);
    };
    ASSERT_TRUE(dialog.create());
    qtBackend().windowOf(dialog)->show();
    auto* disabled = control<QPushButton>(dialog, kDisabled);
    EXPECT_FALSE(disabled->isEnabled());
    QTest::mouseClick(disabled, Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(dialog, kCheck), Qt::LeftButton);
    QTest::mouseClick(control<QRadioButton>(dialog, kRadioB), Qt::LeftButton);
    QTest::mouseClick(control<QRadioButton>(dialog, kRadioB), Qt::LeftButton);  // stays set
    QTest::mouseClick(control<QRadioButton>(dialog, kRadioD), Qt::LeftButton);
    QTest::keyClick(control<QComboBox>(dialog, kList), Qt::Key_Down);

    EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "command 41 0", "command 41 0", "command 43 0",
                                          "command 20 1"));
    EXPECT_EQ(dialog.checkState(kCheck), 0);
    EXPECT_EQ(dialog.checkState(kRadioA), 0);
    EXPECT_EQ(dialog.checkState(kRadioB), 1);
    EXPECT_TRUE(control<QRadioButton>(dialog, kRadioB)->isChecked());
    EXPECT_EQ(dialog.checkState(kRadioD), 1);
    EXPECT_EQ(dialog.selection(kList), 1);
    EXPECT_EQ(dialog.controlText(kList), "two");
}

TEST(QtBackend, SystemMenuOpensOnARightClickAndOnAltSpace) {
    TestDialog dialog;
    dialog.initialise = [](TestDialog& d) {
        d.appendSystemMenuSeparator();
        d.appendSystemMenuItem(0x10, "About");
    };
    QStringList seen;
    auto pick = [&seen](const QString& text) {
        QTimer::singleShot(0, [&seen, text] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QAction* wanted = nullptr;
            for (QAction* action : menu->actions()) {
                seen << (action->isSeparator() ? QStringLiteral("-") : action->text());
                if (action->text() == text) wanted = action;
            }
            ASSERT_NE(wanted, nullptr);
            menu->setActiveAction(wanted);
            QTest::keyClick(menu, Qt::Key_Return);
        });
    };
    int result = runWith(dialog, [&] {
        QWidget* window = qtBackend().windowOf(dialog);
        pick(QStringLiteral("About"));
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 150), window->mapToGlobal(QPoint(5, 150)));
        QApplication::sendEvent(window, &rightClick);
        pick(QStringLiteral("閉じる(&C)"));
        QTest::keyClick(control<QLineEdit>(dialog, kName), Qt::Key_Space, Qt::AltModifier);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("閉じる(&C)"), QStringLiteral("-"), QStringLiteral("About"),
                                 QStringLiteral("閉じる(&C)"), QStringLiteral("-"), QStringLiteral("About")}));
    EXPECT_THAT(dialog.heard, ElementsAre("syscommand 16", "syscommand 61536", "cancel"));
}

TEST(QtBackend, OwnedWindowsStayWithTheirOwnerUnlessTheyAskForATaskbarButton) {
    TestDialog owner;
    ASSERT_TRUE(owner.create());
    owner.showWindow(SW_SHOW);
    TestDialog owned(testTemplate(), &owner);
    ASSERT_TRUE(owned.create());
    owned.showWindow(SW_SHOW);
    EXPECT_EQ(qtBackend().windowOf(owned)->windowHandle()->transientParent(), qtBackend().windowOf(owner)->windowHandle());
    owned.showWindow(SW_HIDE);
    owned.addExtendedStyle(WS_EX_APPWINDOW);
    owned.showWindow(SW_SHOW);
    EXPECT_EQ(qtBackend().windowOf(owned)->windowHandle()->transientParent(), nullptr);
}

TEST(QtBackend, MessageBoxesSpeakJapanese) {
    QString caption;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) buttons << button->text();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(qtBackend().messageBox("\x8F\xE3\x8F\x91\x82\xAB", "Kivora", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(caption, QStringLiteral("Kivora"));
    EXPECT_EQ(icon, QMessageBox::Question);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("キャンセル")}));

    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(qtBackend().messageBox("warning", "Kivora", MB_OK | MB_ICONWARNING), IDOK);
}

TEST(QtBackend, PicturesPaintAtTheirNaturalSizeFromTheTopLeft) {
    // The control is far smaller than its picture, as the form's logo
    // control is: the picture is neither cut to it nor scaled.
    static const ui::DialogTemplate withPicture = {
        600, "", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 0, 100, 60, {"MS Shell Dlg", 9},
        {ui::rc::pictureStatic(7, ui::Rect{10, 10, 4, 4}, true)}};
    ui::Dialog dialog(withPicture);
    ASSERT_TRUE(dialog.create());
    QWidget* picture = qtBackend().controlWidget(dialog, 7);
    const QPoint corner = picture->pos();
    std::vector<std::uint32_t> pixels(40 * 30, 0x00FF00);
    pixels.front() = 0xFF0000;
    pixels.back() = 0x0000FF;
    dialog.setControlImage(7, 40, 30, pixels);
    QImage shown = picture->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(40, 30));
    EXPECT_EQ(picture->pos(), corner);
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.pixel(20, 15) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown.pixel(39, 29) & 0xFFFFFF, 0x0000FFu);
    // A picture that does not match its size is refused.
    dialog.setControlImage(7, 3, 3, {0});
    EXPECT_EQ(picture->grab().toImage().pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

// The progress window is redrawn by callers that process no messages: each
// redraw paints before it returns, and paints once.
TEST(QtBackend, ARedrawPaintsTheWindowOnceBeforeItReturns) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    };
    TestDialog dialog;
    ASSERT_TRUE(dialog.create());
    QWidget* status = qtBackend().controlWidget(dialog, kStatus);
    PaintCounter counter;
    status->installEventFilter(&counter);

    dialog.showWindow(SW_SHOW);
    dialog.redrawWindow();
    EXPECT_EQ(counter.paints, 1) << "the first redraw of a window just shown";
    dialog.setControlText(kStatus, "changed");
    dialog.redrawWindow();
    EXPECT_EQ(counter.paints, 2) << "a redraw after a change";
    status->removeEventFilter(&counter);
}

TEST(QtBackend, NoDisplayIsReportedBeforeQtWouldAbort) {
    auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    auto platform = saved("QT_QPA_PLATFORM"), display = saved("DISPLAY"), wayland = saved("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    auto withoutDisplay = ui::QtBackend::displayProblem();
    setenv("DISPLAY", ":4711", 1);
    auto deadDisplay = ui::QtBackend::displayProblem();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto offscreen = ui::QtBackend::displayProblem();
    auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    };
    restore("QT_QPA_PLATFORM", platform);
    restore("DISPLAY", display);
    restore("WAYLAND_DISPLAY", wayland);

    ASSERT_TRUE(withoutDisplay);
    EXPECT_THAT(*withoutDisplay, ::testing::HasSubstr("xvfb-run"));
    EXPECT_THAT(*withoutDisplay, ::testing::HasSubstr("KIVORA_UI=script"));
    ASSERT_TRUE(deadDisplay);
    EXPECT_THAT(*deadDisplay, ::testing::HasSubstr(":4711 does not answer"));
    EXPECT_FALSE(offscreen);
}

}  // namespace
