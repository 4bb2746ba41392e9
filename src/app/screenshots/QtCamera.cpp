#include "QtCamera.h"

#include "Application.h"
#include "Dialog.h"
#include "QtBackend.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QWidget>

#include <cstdio>

namespace {

constexpr int kTitleHeight = 26;

// Offscreen windows have no frame, so the photograph gets a plain one of
// ours: a title bar with the window's icon, caption and close box.
QImage framed(QWidget& window, const QIcon& icon) {
    QPixmap client = window.grab();
    QImage image(client.width() + 2, client.height() + kTitleHeight + 1, QImage::Format_RGB32);
    image.fill(QColor(0x70, 0x70, 0x70));
    QPainter painter(&image);
    painter.fillRect(QRect(1, 1, client.width(), kTitleHeight - 1), QColor(0xdd, 0xe4, 0xee));
    int x = 7;
    if (!icon.isNull()) {
        painter.drawPixmap(x, (kTitleHeight - 16) / 2, icon.pixmap(16, 16));
        x += 22;
    }
    QFont font = window.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawText(QRect(x, 0, client.width() - x - 30, kTitleHeight), Qt::AlignVCenter, window.windowTitle());
    if (window.windowFlags() & Qt::WindowCloseButtonHint) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.4));
        QPointF centre(client.width() - 12, kTitleHeight / 2.0);
        painter.drawLine(centre + QPointF(-4, -4), centre + QPointF(4, 4));
        painter.drawLine(centre + QPointF(-4, 4), centre + QPointF(4, -4));
    }
    painter.drawPixmap(1, kTitleHeight, client);
    return image;
}

}  // namespace

void QtCamera::save(const QImage& image, const char* name) {
    QString path = QStringLiteral("%1/%2.png").arg(directory_, QString::fromUtf8(name));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "kivora-screenshots: cannot write %s\n", qPrintable(path));
        failed_ = true;
    }
}

void QtCamera::shoot(ui::Dialog& dialog, const char* name) {
    QWidget* window = backend_.windowOf(dialog);
    if (window == nullptr) {
        std::fprintf(stderr, "kivora-screenshots: %s has no window\n", name);
        failed_ = true;
        return;
    }
    window->show();
    QCoreApplication::processEvents();
    bool captioned = (dialog.dialogTemplate().style & WS_CAPTION) == WS_CAPTION;
    save(captioned ? framed(*window, window->windowIcon()) : window->grab().toImage(), name);
}

void QtCamera::shootOpenList(ui::Dialog& dialog, int listId, const char* name) {
    QWidget* window = backend_.windowOf(dialog);
    auto* list = qobject_cast<QComboBox*>(backend_.controlWidget(dialog, listId));
    if (window == nullptr || list == nullptr) {
        std::fprintf(stderr, "kivora-screenshots: %s has no list %d\n", name, listId);
        failed_ = true;
        return;
    }
    window->show();
    list->showPopup();
    QCoreApplication::processEvents();
    QImage image = framed(*window, window->windowIcon());
    // The open list is a window of its own: painted where it stands over
    // the dialog's client area.
    QWidget* popup = list->view()->window();
    QPainter painter(&image);
    painter.drawPixmap(popup->pos() - window->pos() + QPoint(1, kTitleHeight), popup->grab());
    painter.end();
    list->hidePopup();
    save(image, name);
}

void QtCamera::shootTyped(ui::Dialog& dialog, int editId, const char* utf8, const char* name) {
    if (auto* edit = qobject_cast<QLineEdit*>(backend_.controlWidget(dialog, editId))) {
        edit->end(false);
        edit->insert(QString::fromUtf8(utf8));
    }
    shoot(dialog, name);
}

void QtCamera::shootMessageBox(const std::string& text, UINT type, const char* name) {
    std::unique_ptr<QMessageBox> box = backend_.makeMessageBox(text, ui::Application::current()->title(), type, nullptr);
    box->show();
    QCoreApplication::processEvents();
    save(framed(*box, QIcon()), name);
    box->hide();
}
