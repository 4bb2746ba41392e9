// One dialog window on Qt: a QDialog with one widget per control, placed in
// dialog units of the dialog's font.
#pragma once

#include "Backend.h"
#include "DialogUnits.h"

#include <QDialog>
#include <QFont>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QButtonGroup;
class QEventLoop;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTimer;

namespace ui {

class Dialog;
class QtBackend;

class DialogWidget;

class QtWindowView : public WindowView {
public:
    QtWindowView(QtBackend& backend, Dialog& dialog);
    ~QtWindowView() override;

    void controlChanged(std::size_t index) override;
    void repaintControl(std::size_t index) override;
    void focusControl(std::size_t index) override;
    void setVisible(bool visible, bool activate) override;
    void repaintNow() override;
    Rect frameRect() const override;
    void moveTo(int left, int top) override;
    void iconChanged() override;
    void runModal() override;
    void endModal() override;

    QWidget* window() const;
    // Null for ids the dialog does not have.
    QWidget* controlWidget(int id) const;
    BaseUnits baseUnits() const { return baseUnits_; }

private:
    friend class DialogWidget;

    void buildControls();
    QWidget* makeControl(std::size_t index);
    void placeInitially();
    // An owned window stays with its owner and has no taskbar button of its
    // own, unless it asks for one (WS_EX_APPWINDOW).
    void applyOwner();
    // The window's key handling: Enter, Escape and Space on buttons go
    // through the dialog (its pre-translation, then the dialog manager's
    // rules); the arrow keys move within a group, checking radio buttons;
    // lists pass over their headings; Alt+Space opens the system menu.
    bool handleKey(QWidget* target, const QKeyEvent& event);
    // Keys in the open list of a drop-down list: whether the key was taken,
    // none when `target` is no open list.
    std::optional<bool> handleOpenListKey(QWidget* target, const QKeyEvent& event);
    bool moveFocusByTab(bool backward);
    void moveWithinGroup(std::size_t from, bool backward);
    QButtonGroup& buttonGroupFor(std::size_t index);
    // The hint below an edit that characters were left out.
    void showBalloon(QLineEdit* edit, const QString& refused);
    void hideBalloon();
    void showSystemMenu(const QPoint& where);
    int controlIdOf(const QWidget* widget) const;

    QtBackend& backend_;
    Dialog& dialog_;
    QFont font_;
    BaseUnits baseUnits_;
    int frameWidth_ = 0;  // the border we draw for windows without a caption
    std::unique_ptr<DialogWidget> window_;
    std::vector<QWidget*> controls_;  // owned by window_, in template order
    QEventLoop* modalLoop_ = nullptr;
    std::map<std::size_t, QButtonGroup*> buttonGroups_;  // by the group's first control
    QLabel* balloon_ = nullptr;
    QTimer* balloonTimer_ = nullptr;
    QLineEdit* balloonOwner_ = nullptr;
};

}  // namespace ui
