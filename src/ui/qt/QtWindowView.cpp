#include "QtWindowView.h"

#include "Accessibility.h"
#include "Cp932.h"
#include "Cp932Input.h"
#include "Cp932Validator.h"
#include "Dialog.h"
#include "DialogNavigation.h"
#include "QtBackend.h"
#include "UserInput.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <functional>

namespace ui {

namespace {

// Dialog fonts are given in points; at the 96 dots per inch the templates
// are designed for, a 9-point font is 12 pixels high.
constexpr int kDesignDpi = 96;
constexpr int kModalFrameWidth = 3;
constexpr int kIconSize = 32;

QColor toQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

std::string toCp932(const QString& text) {
    std::string result;
    cp932::fromUtf8(text.toStdString(), result);
    return result;
}

// A static text. Without SS_NOTIFY it lets mouse clicks through to the
// dialog, as a static does.
class StaticLabel : public QLabel {
public:
    StaticLabel(QWidget* parent, std::function<void()> clicked) : QLabel(parent), clicked_(std::move(clicked)) {
        setAttribute(Qt::WA_TransparentForMouseEvents, !clicked_);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (clicked_ && event->button() == Qt::LeftButton) {
            clicked_();
        } else {
            QLabel::mousePressEvent(event);
        }
    }

private:
    std::function<void()> clicked_;
};

// A bitmap static: the image the program set, at its natural size from the
// control's top-left corner, however small the control's own rectangle.
class PictureWidget : public QWidget {
public:
    using QWidget::QWidget;
    void setImage(QImage image) {
        image_ = std::move(image);
        resize(image_.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull()) return;
        QPainter painter(this);
        painter.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

// Qt names a drop-down list by its current item on Linux; ours are named
// by their label, as on Windows, and tell the item as their value.
class LabelledComboBox : public QAccessibleWidget {
public:
    explicit LabelledComboBox(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return static_cast<QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(kind);
    }
};

QImage toQImage(const Image& image) {
    QImage result(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            row[x] = 0xFF000000u | image.pixels[static_cast<std::size_t>(y) * image.width + x];
        }
    }
    return result;
}

}  // namespace

class DialogWidget : public QDialog {
public:
    explicit DialogWidget(QtWindowView& view) : view_(view) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (view_.handleKey(qobject_cast<QWidget*>(watched), *key)) return true;
        }
        if (event->type() == QEvent::FocusOut && watched == view_.balloonOwner_) view_.hideBalloon();
        return QDialog::eventFilter(watched, event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        // Keys the controls leave reach the dialog; QDialog's own Enter and
        // Escape handling must never act.
        if (!view_.handleKey(this, *event)) event->ignore();
    }

    // Tab and Shift+Tab, from any control: the dialog manager's order.
    bool focusNextPrevChild(bool next) override { return view_.moveFocusByTab(!next); }

    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        UserInput(view_.dialog_).close();
    }

    void contextMenuEvent(QContextMenuEvent* event) override { view_.showSystemMenu(event->globalPos()); }

    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (view_.frameWidth_ > 0) {
            QPainter painter(this);
            qDrawWinPanel(&painter, rect(), palette(), false);
        }
    }

private:
    QtWindowView& view_;
};

QtWindowView::QtWindowView(QtBackend& backend, Dialog& dialog)
    : backend_(backend), dialog_(dialog), window_(std::make_unique<DialogWidget>(*this)) {
    const DialogTemplate& source = dialog.dialogTemplate();
    font_ = QFont(QtBackend::toQString(source.font.face));
    font_.setPixelSize(mulDiv(source.font.pointSize, kDesignDpi, 72));
    QFontMetrics metrics(font_);
    baseUnits_ = baseUnitsOf(metrics.horizontalAdvance(QString::fromLatin1(kBaseUnitAlphabet)), metrics.height());

    QDialog& window = *window_;
    window.setFont(font_);
    window.setWindowTitle(QtBackend::toQString(source.caption));
    bool captioned = (source.style & WS_CAPTION) == WS_CAPTION;
    if (captioned) {
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (source.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        window.setWindowFlags(flags);
    } else {
        window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        if (source.style & DS_MODALFRAME) frameWidth_ = kModalFrameWidth;
    }
    window.setFixedSize(dluToPixelsX(source.width, baseUnits_) + 2 * frameWidth_,
                        dluToPixelsY(source.height, baseUnits_) + 2 * frameWidth_);
    buildControls();
    placeInitially();
    backend_.views_[&dialog_] = this;
}

QtWindowView::~QtWindowView() {
    backend_.views_.erase(&dialog_);
    window_->hide();
}

QWidget* QtWindowView::window() const { return window_.get(); }

QWidget* QtWindowView::controlWidget(int id) const {
    auto index = dialog_.indexOf(id);
    return index ? controls_[*index] : nullptr;
}

int QtWindowView::controlIdOf(const QWidget* widget) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == widget) return dialog_.controlState(i).source->id;
    }
    return 0;
}

void QtWindowView::buildControls() {
    // Made in template order, which is also Qt's focus chain.
    controls_.reserve(dialog_.controlCount());
    for (std::size_t i = 0; i < dialog_.controlCount(); ++i) {
        QWidget* widget = makeControl(i);
        const ControlTemplate& source = *dialog_.controlState(i).source;
        Rect pixels = dluToPixels(source.rect, baseUnits_);
        widget->setGeometry(pixels.left + frameWidth_, pixels.top + frameWidth_, pixels.width, pixels.height);
        if (source.kind == ControlKind::DropDownList) {
            // The template's height includes the dropped-down list.
            widget->resize(pixels.width, std::min(pixels.height, widget->sizeHint().height()));
        } else if (source.kind == ControlKind::IconStatic) {
            widget->resize(kIconSize, kIconSize);
        }
        bool tabStop = (source.style & WS_TABSTOP) != 0;
        if (source.kind == ControlKind::RadioButton || source.kind == ControlKind::PushButton ||
            source.kind == ControlKind::CheckBox) {
            widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        }
        widget->installEventFilter(window_.get());
        controls_.push_back(widget);
        controlChanged(i);
    }
}

QWidget* QtWindowView::makeControl(std::size_t index) {
    const ControlTemplate& source = *dialog_.controlState(index).source;
    QWidget* parent = window_.get();
    int id = source.id;
    switch (source.kind) {
    case ControlKind::Static: {
        std::function<void()> clicked;
        if (source.style & SS_NOTIFY) clicked = [this, id] { UserInput(dialog_).click(id); };
        auto* label = new StaticLabel(parent, std::move(clicked));
        label->setTextFormat(Qt::PlainText);
        Qt::Alignment horizontal = Qt::AlignLeft;
        if ((source.style & SS_TYPEMASK) == SS_CENTER) horizontal = Qt::AlignHCenter;
        if ((source.style & SS_TYPEMASK) == SS_RIGHT) horizontal = Qt::AlignRight;
        bool singleLine = (source.style & SS_CENTERIMAGE) != 0;
        label->setAlignment(horizontal | (singleLine ? Qt::AlignVCenter : Qt::AlignTop));
        label->setWordWrap(!singleLine);
        return label;
    }
    case ControlKind::Picture: {
        auto* picture = new PictureWidget(parent);
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        return picture;
    }
    case ControlKind::IconStatic: {
        auto* label = new QLabel(parent);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (source.icon != nullptr) label->setPixmap(QtBackend::toQIcon(*source.icon).pixmap(kIconSize, kIconSize));
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new Cp932Validator(edit, [this, edit](const QString& left) { showBalloon(edit, left); }));
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, id](const QString& text) {
            UserInput(dialog_).typeText(id, toCp932(text));
        });
        return edit;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [this, id] { UserInput(dialog_).click(id); });
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(parent);
        QObject::connect(box, &QCheckBox::clicked, box, [this, id] { UserInput(dialog_).click(id); });
        return box;
    }
    case ControlKind::RadioButton: {
        // Auto-exclusive, so that assistive technology calls it a radio
        // button; a non-exclusive button group per template group keeps Qt
        // from acting on it, since the dialog keeps the groups itself.
        auto* radio = new QRadioButton(parent);
        radio->setAutoExclusive(true);
        buttonGroupFor(index).addButton(radio);
        QObject::connect(radio, &QRadioButton::clicked, radio, [this, id] { UserInput(dialog_).click(id); });
        return radio;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(parent);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    case ControlKind::DropDownList: {
        auto* list = new QComboBox(parent);
        // Registered before anyone asks, so that Qt's own interface is never made.
        QAccessible::registerAccessibleInterface(new LabelledComboBox(list));
        QObject::connect(list, &QComboBox::activated, list,
                         [this, id](int item) { UserInput(dialog_).pickItem(id, item); });
        // The open list's keys pass over headings too.
        list->view()->installEventFilter(window_.get());
        return list;
    }
    }
    return new QWidget(parent);
}

void QtWindowView::controlChanged(std::size_t index) {
    const ControlState& state = dialog_.controlState(index);
    QWidget* widget = controls_[index];
    QString text = QtBackend::toQString(state.text);
    widget->setEnabled(state.enabled);
    widget->setAccessibleName(QtBackend::toQString(accessibleName(dialog_, index)));
    widget->setAccessibleDescription(QtBackend::toQString(state.description));

    if (state.font) {
        QFont font = font_;
        font.setFamily(QtBackend::toQString(state.font->face));
        font.setPixelSize(std::max(1, state.font->height));
        font.setWeight(static_cast<QFont::Weight>(std::clamp(state.font->weight, 100, 900)));
        widget->setFont(font);
    }
    if (state.colours) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, toQColor(state.colours->text));
        palette.setColor(QPalette::Window, toQColor(state.colours->background));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }

    switch (state.source->kind) {
    case ControlKind::Static:
        static_cast<QLabel*>(widget)->setText(text);
        break;
    case ControlKind::Picture:
        if (state.image) static_cast<PictureWidget*>(widget)->setImage(toQImage(*state.image));
        break;
    case ControlKind::IconStatic:
        break;
    case ControlKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(widget);
        // Equal when the change came from the user: leave the cursor alone.
        if (edit->text() != text) edit->setText(text);
        edit->setReadOnly(state.readOnly);
        // A read-only edit shows the dialog's face behind its text, as
        // Windows draws it, so it does not look like a field to type in.
        QPalette palette = QApplication::palette(edit);
        if (state.readOnly) palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
        edit->setEchoMode(state.password ? QLineEdit::Password : QLineEdit::Normal);
        edit->setAttribute(Qt::WA_InputMethodEnabled, state.inputMethod && !state.password);
        break;
    }
    case ControlKind::PushButton: {
        auto* button = static_cast<QPushButton*>(widget);
        button->setText(text);
        button->setDefault(state.source->id == dialog_.defaultButton());
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        button->setText(text);
        button->setChecked(state.checkState != 0);
        break;
    }
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(text);
        break;
    case ControlKind::DropDownList: {
        auto* list = static_cast<QComboBox*>(widget);
        bool same = list->count() == static_cast<int>(state.items.size());
        for (int i = 0; same && i < list->count(); ++i) {
            same = list->itemText(i) == QtBackend::toQString(state.items[i].text);
        }
        if (!same) {
            list->clear();
            for (const ComboItem& item : state.items) list->addItem(QtBackend::toQString(item.text));
        }
        // Headings stand apart from the choices: bold and greyed.
        QFont headingFont = list->font();
        headingFont.setBold(true);
        for (int i = 0; i < list->count(); ++i) {
            const bool heading = state.items[static_cast<std::size_t>(i)].heading;
            list->setItemData(i, heading ? QVariant(headingFont) : QVariant(), Qt::FontRole);
            list->setItemData(i, heading ? QVariant(list->palette().color(QPalette::Disabled, QPalette::Text)) : QVariant(),
                              Qt::ForegroundRole);
        }
        list->setCurrentIndex(state.selection);
        break;
    }
    }
    widget->setVisible(state.visible);
}

void QtWindowView::repaintControl(std::size_t index) {
    if (controls_[index]->isVisible()) controls_[index]->repaint();
}

void QtWindowView::focusControl(std::size_t index) { controls_[index]->setFocus(Qt::OtherFocusReason); }

void QtWindowView::placeInitially() {
    // Windows made without a position open over their owner's client area,
    // or in the middle of the screen when they have none.
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    Dialog* owner = dialog_.owner();
    auto found = owner != nullptr ? backend_.views_.find(owner) : backend_.views_.end();
    if (!dialog_.isModal() && found != backend_.views_.end()) {
        window_->move(found->second->window_->mapToGlobal(QPoint(0, 0)));
        return;
    }
    QRect frame(QPoint(0, 0), window_->size());
    frame.moveCenter(area.center());
    window_->move(frame.topLeft());
}

void QtWindowView::applyOwner() {
    QWindow* ownerHandle = nullptr;
    if (Dialog* owner = dialog_.owner(); owner != nullptr && !(dialog_.extendedStyle() & WS_EX_APPWINDOW)) {
        auto found = backend_.views_.find(owner);
        if (found != backend_.views_.end()) ownerHandle = found->second->window_->windowHandle();
    }
    window_->winId();  // makes the window handle
    window_->windowHandle()->setTransientParent(ownerHandle);
}

void QtWindowView::setVisible(bool visible, bool activate) {
    if (!visible) {
        window_->hide();
        return;
    }
    applyOwner();
    window_->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window_->show();
    if (activate) window_->activateWindow();
}

void QtWindowView::repaintNow() {
    QWindow* handle = window_->windowHandle();
    if (handle != nullptr && !handle->isExposed()) {
        // A window just shown may not be mapped yet; give the window system a
        // moment, since the caller will not return to the event loop soon.
        QElapsedTimer waited;
        waited.start();
        while (!handle->isExposed() && waited.elapsed() < 500) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        }
        // Its exposure painted the whole window as it stands: a repaint now
        // would paint every control a second time.
        if (handle->isExposed()) return;
    }
    window_->repaint();
}

Rect QtWindowView::frameRect() const {
    QRect frame = window_->frameGeometry();
    return Rect{frame.x(), frame.y(), frame.width(), frame.height()};
}

void QtWindowView::moveTo(int left, int top) { window_->move(left, top); }

void QtWindowView::iconChanged() {
    if (const Icon* icon = dialog_.icon()) window_->setWindowIcon(QtBackend::toQIcon(*icon));
}

void QtWindowView::runModal() {
    if (dialog_.hasEnded()) return;
    if (Dialog* owner = dialog_.owner()) {
        auto found = backend_.views_.find(owner);
        if (found != backend_.views_.end() && found->second->window_->isVisible()) {
            QRect frame(QPoint(0, 0), window_->size());
            frame.moveCenter(found->second->window_->frameGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    window_->setWindowModality(Qt::ApplicationModal);
    setVisible(true, true);
    QEventLoop loop;
    modalLoop_ = &loop;
    if (!dialog_.hasEnded()) loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    window_->hide();
}

void QtWindowView::endModal() {
    if (modalLoop_ != nullptr) modalLoop_->exit();
}

namespace {

bool isButtonKind(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

// -1 backward, 1 forward, 0 for a key that moves nowhere.
int arrowDirection(int key) {
    if (key == Qt::Key_Up || key == Qt::Key_Left) return -1;
    if (key == Qt::Key_Down || key == Qt::Key_Right) return 1;
    return 0;
}

// The item a key moves a list to (listItemAfterMove, listItemTypedAhead);
// -1 for a key lists do not take.
int listItemForKey(const std::vector<ComboItem>& items, int current, const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        return listItemAfterMove(items, current, ListMove::Previous);
    case Qt::Key_Down:
    case Qt::Key_Right:
        return listItemAfterMove(items, current, ListMove::Next);
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        return listItemAfterMove(items, current, ListMove::First);
    case Qt::Key_End:
    case Qt::Key_PageDown:
        return listItemAfterMove(items, current, ListMove::Last);
    default:
        break;
    }
    const QString typed = event.text();
    if (typed.isEmpty() || !typed.at(0).isPrint() || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return -1;
    }
    return listItemTypedAhead(items, current, toCp932(typed));
}

}  // namespace

bool QtWindowView::handleKey(QWidget* target, const QKeyEvent& event) {
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (key == Qt::Key_Space && (modifiers & Qt::AltModifier)) {
        showSystemMenu(window_->mapToGlobal(QPoint(0, 0)));
        return true;
    }
    // An open list keeps Enter and Escape to itself.
    if (auto taken = handleOpenListKey(target, event)) return *taken;
    int id = controlIdOf(target);
    auto index = dialog_.indexOf(id);
    ControlKind kind = index ? dialog_.controlState(*index).source->kind : ControlKind::Static;
    const bool plain = !(modifiers & (Qt::AltModifier | Qt::ControlModifier));
    if (index && isButtonKind(kind) && arrowDirection(key) != 0 && plain) {
        moveWithinGroup(*index, arrowDirection(key) < 0);
        return true;
    }
    if (index && kind == ControlKind::DropDownList && plain) {
        const ControlState& list = dialog_.controlState(*index);
        const int item = listItemForKey(list.items, list.selection, event);
        if (item >= 0) {
            if (item != list.selection) UserInput(dialog_).pickItem(id, item);
            return true;
        }
    }
    int virtualKey = 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) virtualKey = VK_RETURN;
    if (key == Qt::Key_Escape) virtualKey = VK_ESCAPE;
    if (key == Qt::Key_Space && isButtonKind(kind)) virtualKey = VK_SPACE;
    if (virtualKey == 0) return false;
    UserInput(dialog_).pressKey(id, virtualKey);
    return true;
}

std::optional<bool> QtWindowView::handleOpenListKey(QWidget* target, const QKeyEvent& event) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        auto* list = qobject_cast<QComboBox*>(controls_[i]);
        if (list == nullptr || list->view() != target) continue;
        const int current = list->view()->currentIndex().row();
        const int item = listItemForKey(dialog_.controlState(i).items, current, event);
        if (item < 0) return false;
        list->view()->setCurrentIndex(list->model()->index(item, 0));
        return true;
    }
    return std::nullopt;
}

bool QtWindowView::moveFocusByTab(bool backward) {
    std::optional<std::size_t> from;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == window_->focusWidget()) from = i;
    }
    auto to = nextTabStop(dialog_, from, backward);
    if (!to) return false;
    controls_[*to]->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

void QtWindowView::moveWithinGroup(std::size_t from, bool backward) {
    auto to = nextInGroup(dialog_, from, backward);
    if (!to) return;
    controls_[*to]->setFocus(Qt::OtherFocusReason);
    // An auto radio button is checked as the focus lands on it.
    const ControlTemplate& source = *dialog_.controlState(*to).source;
    if (source.kind == ControlKind::RadioButton) UserInput(dialog_).click(source.id);
}

QButtonGroup& QtWindowView::buttonGroupFor(std::size_t index) {
    std::size_t start = index;
    while (start > 0 && !(dialog_.controlState(start).source->style & WS_GROUP)) --start;
    QButtonGroup*& group = buttonGroups_[start];
    if (group == nullptr) {
        group = new QButtonGroup(window_.get());
        group->setExclusive(false);
    }
    return *group;
}

void QtWindowView::showBalloon(QLineEdit* edit, const QString& refused) {
    if (balloon_ == nullptr) {
        balloon_ = new QLabel(window_.get());
        balloon_->setFrameShape(QFrame::Box);
        balloon_->setMargin(4);
        balloon_->setAutoFillBackground(true);
        QPalette palette = balloon_->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
        balloon_->setPalette(palette);
        balloonTimer_ = new QTimer(balloon_);
        balloonTimer_->setSingleShot(true);
        QObject::connect(balloonTimer_, &QTimer::timeout, balloon_, [this] { hideBalloon(); });
    }
    // As the edit control's balloon tip says it, below the edit.
    balloon_->setText(QString::fromStdString(refusedCharactersHint(refused.toStdString())));
    balloon_->adjustSize();
    QPoint where = edit->geometry().bottomLeft() + QPoint(8, 2);
    where.setX(std::max(0, std::min(where.x(), window_->width() - balloon_->width())));
    balloon_->move(where);
    balloon_->raise();
    balloon_->show();
    balloonOwner_ = edit;
    balloonTimer_->start(kRefusedCharactersHintMilliseconds);
}

void QtWindowView::hideBalloon() {
    if (balloon_ != nullptr) balloon_->hide();
    balloonOwner_ = nullptr;
}

void QtWindowView::showSystemMenu(const QPoint& where) {
    if (!dialog_.hasSystemMenu()) return;
    QMenu menu(window_.get());
    for (const SystemMenuItem& item : dialog_.systemMenu()) {
        if (item.id == 0) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(QtBackend::toQString(item.text));
            action->setData(item.id);
        }
    }
    QAction* chosen = menu.exec(where);
    if (chosen != nullptr) UserInput(dialog_).systemCommand(chosen->data().toUInt());
}

}  // namespace ui
