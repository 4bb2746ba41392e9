// The shell's windows on the Qt backend, headless.
#include "MainMenuDialog.h"
#include "ProgressWindow.h"
#include "QtBackend.h"
#include "QtTestEnvironment.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>

namespace {

// Records what a label shows each time it paints.
class PaintWatcher : public QObject {
public:
    QStringList painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted << static_cast<QLabel*>(watched)->text();
        return false;
    }
};

TEST(ProgressWindowOnScreen, PaintsItsTextBeforeShowReturns) {
    ProgressWindow window;
    ASSERT_TRUE(window.create());
    auto* label = qobject_cast<QLabel*>(testsupport::qtBackend().controlWidget(window, resources::IDC_PROGRESS_TEXT));
    ASSERT_NE(label, nullptr);
    PaintWatcher watcher;
    label->installEventFilter(&watcher);

    window.showText("checking");
    EXPECT_TRUE(watcher.painted.isEmpty());  // hidden
    window.show(false);
    EXPECT_TRUE(testsupport::qtBackend().windowOf(window)->testAttribute(Qt::WA_ShowWithoutActivating));
    ASSERT_FALSE(watcher.painted.isEmpty());
    EXPECT_EQ(watcher.painted.last(), QStringLiteral("checking"));

    // No event loop runs in between: the new text is painted by show itself.
    window.showText("changing");
    window.show(false);
    EXPECT_EQ(watcher.painted.last(), QStringLiteral("changing"));
    window.hide();
    EXPECT_FALSE(testsupport::qtBackend().windowOf(window)->isVisible());
    window.show(true);
    EXPECT_FALSE(testsupport::qtBackend().windowOf(window)->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(MainMenuOnScreen, TitleIsBoldEighteenPixelGothicOnTheFaceColourAndTakesNoClicks) {
    MainMenuDialog menu;
    ASSERT_TRUE(menu.create());
    QWidget* window = testsupport::qtBackend().windowOf(menu);
    QWidget* title = testsupport::qtBackend().controlWidget(menu, resources::IDC_MENU_TITLE);
    ASSERT_NE(title, nullptr);
    QFontInfo font(title->font());
    EXPECT_EQ(font.family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(font.pixelSize(), 18);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(title->palette().color(QPalette::Window), window->palette().color(QPalette::Window));
    EXPECT_TRUE(title->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(window->windowIcon().isNull());
}

}  // namespace
