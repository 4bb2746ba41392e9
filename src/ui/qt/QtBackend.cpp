#include "QtBackend.h"

#include "Cp932.h"
#include "Dialog.h"
#include "QtWindowView.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>

#include <xcb/xcb.h>

#include <cstdlib>

namespace ui {

namespace {

// Whether an X server answers on `display`, asked the way Qt will connect
// (abstract sockets, XAUTHORITY and forwarded displays included): Qt aborts
// when it cannot connect, so we ask first.
bool x11DisplayAnswers(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answered = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answered;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::optional<std::string> QtBackend::displayProblem() {
    std::string platform = environment("QT_QPA_PLATFORM");
    std::string display = environment("DISPLAY");
    bool x11 = platform.empty() || platform.rfind("xcb", 0) == 0;
    bool wayland = platform.rfind("wayland", 0) == 0 || (platform.empty() && !environment("WAYLAND_DISPLAY").empty());
    if (!platform.empty() && !x11 && !wayland) return std::nullopt;  // offscreen, vnc, ...
    if (wayland && !environment("WAYLAND_DISPLAY").empty()) return std::nullopt;
    if (x11 && !display.empty() && x11DisplayAnswers(display)) return std::nullopt;
    return std::string("kivora: no display to open windows on") +
           (display.empty() ? "" : " (" + display + " does not answer)") +
           "; run it under xvfb-run, or headless with KIVORA_UI=script (see docs/automation.md)";
}

QtBackend::QtBackend(int& argc, char** argv) {
    // One style everywhere: the templates' layouts are measured against its
    // control metrics, whatever the desktop's theme.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The dialogs ask for the faces of Japanese Windows.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS ゴシック"), QStringLiteral("IPAGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

QtBackend::~QtBackend() = default;

std::unique_ptr<WindowView> QtBackend::createView(Dialog& dialog) {
    return std::make_unique<QtWindowView>(*this, dialog);
}

QString QtBackend::toQString(const std::string& cp932Text) {
    std::string utf8;
    cp932::toUtf8(cp932Text, utf8);
    return QString::fromStdString(utf8);
}

QIcon QtBackend::toQIcon(const Icon& icon) {
    QIcon result;
    for (const IconImage& image : icon.images) {
        QPixmap pixmap;
        if (pixmap.loadFromData(image.png, static_cast<uint>(image.length), "PNG")) result.addPixmap(pixmap);
    }
    return result;
}

std::unique_ptr<QMessageBox> QtBackend::makeMessageBox(const std::string& text, const std::string& caption,
                                                       UINT type, QWidget* parent) const {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & MB_ICONMASK) {
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONHAND: icon = QMessageBox::Critical; break;
    default: break;
    }
    bool withCancel = (type & MB_TYPEMASK) == MB_OKCANCEL;
    auto box = std::make_unique<QMessageBox>(icon, toQString(caption), toQString(text),
                                             withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                                             parent);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box->setDefaultButton(QMessageBox::Ok);
    if (withCancel) {
        box->button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
        box->setEscapeButton(QMessageBox::Cancel);
    } else {
        box->setEscapeButton(QMessageBox::Ok);
    }
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

int QtBackend::messageBox(const std::string& text, const std::string& caption, UINT type) {
    std::unique_ptr<QMessageBox> box = makeMessageBox(text, caption, type, QApplication::activeModalWidget());
    box->exec();
    return box->clickedButton() == box->button(QMessageBox::Cancel) && box->button(QMessageBox::Cancel) != nullptr
               ? IDCANCEL
               : IDOK;
}

COLORREF QtBackend::systemColour(int index) const {
    QColor colour = QApplication::palette().color(index == COLOR_BTNFACE ? QPalette::Window : QPalette::WindowText);
    return RGB(colour.red(), colour.green(), colour.blue());
}

int QtBackend::finish(int status) { return status; }

QWidget* QtBackend::windowOf(const Dialog& dialog) const {
    auto found = views_.find(&dialog);
    return found != views_.end() ? found->second->window() : nullptr;
}

QWidget* QtBackend::controlWidget(const Dialog& dialog, int id) const {
    auto found = views_.find(&dialog);
    return found != views_.end() ? found->second->controlWidget(id) : nullptr;
}

}  // namespace ui
