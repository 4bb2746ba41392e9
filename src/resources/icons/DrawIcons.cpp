// Draws the program's two icons at 16, 32 and 48 pixels into PNG files:
// a telephone handset over a globe (icon 139, the windows' icon), and the
// same with signal arcs for the application (icon 128). The PNGs are kept in
// the repository; run this only to change the art:
//   cmake --build build --target kivora-draw-icons
//   build/bin/kivora-draw-icons src/resources/icons
// The packages' icon theme takes the application icon at other sizes from
// the same art, at build time:
//   kivora-draw-icons --application-icon SIZE FILE
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

// Everything is drawn on a 48-unit square and scaled; small sizes get
// thicker strokes relative to their size so that they stay legible.
void drawGlobe(QPainter& painter, double stroke) {
    QRadialGradient sea(QPointF(18, 16), 30);
    sea.setColorAt(0, QColor(0x6f, 0xb4, 0xf0));
    sea.setColorAt(1, QColor(0x1c, 0x5a, 0xb4));
    painter.setBrush(sea);
    painter.setPen(QPen(QColor(0x12, 0x3c, 0x7a), stroke * 1.5));
    painter.drawEllipse(QRectF(4, 3, 38, 38));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 150), stroke));
    painter.drawEllipse(QRectF(14, 3, 18, 38));
    painter.drawLine(QPointF(23, 3.5), QPointF(23, 40.5));
    painter.drawLine(QPointF(4.5, 22), QPointF(41.5, 22));
    painter.drawArc(QRectF(7, 8, 32, 10), 0, 180 * 16);
    painter.drawArc(QRectF(7, 26, 32, 10), 180 * 16, 180 * 16);
}

QPainterPath handsetPath() {
    // Earpiece and mouthpiece joined by an arched handle, lying across the
    // lower right of the globe.
    QPainterPath path;
    path.moveTo(10, 33);
    path.cubicTo(10, 27, 16, 22, 27, 22);
    path.cubicTo(38, 22, 44, 27, 44, 33);
    path.lineTo(44, 38);
    path.cubicTo(44, 40, 42, 41, 40, 41);
    path.lineTo(35, 41);
    path.cubicTo(33, 41, 32, 40, 32, 38);
    path.lineTo(32, 35);
    path.cubicTo(32, 32, 30, 31, 27, 31);
    path.cubicTo(24, 31, 22, 32, 22, 35);
    path.lineTo(22, 38);
    path.cubicTo(22, 40, 21, 41, 19, 41);
    path.lineTo(14, 41);
    path.cubicTo(12, 41, 10, 40, 10, 38);
    path.closeSubpath();
    return path;
}

void drawHandset(QPainter& painter, double stroke) {
    QPainterPath path = handsetPath();
    painter.setPen(QPen(Qt::white, stroke * 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    QLinearGradient body(QPointF(0, 22), QPointF(0, 41));
    body.setColorAt(0, QColor(0xe0, 0x4a, 0x2f));
    body.setColorAt(1, QColor(0xa3, 0x22, 0x12));
    painter.setBrush(body);
    painter.setPen(QPen(QColor(0x6b, 0x14, 0x0a), stroke));
    painter.drawPath(path);
}

void drawSignal(QPainter& painter, double stroke) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xff, 0xc8, 0x1e), stroke * 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(33.5, 5.5, 9, 9), 0, 90 * 16);
    painter.drawArc(QRectF(29, 1, 18, 18), 5 * 16, 80 * 16);
}

QImage drawIcon(int size, bool withSignal) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 48.0, size / 48.0);
    double stroke = size >= 48 ? 1.0 : size >= 32 ? 1.3 : 2.2;
    if (withSignal) {
        drawSignal(painter, stroke);
        // Room for the arcs at the top right.
        painter.translate(0, 6);
        painter.scale(0.875, 0.875);
    }
    drawGlobe(painter, stroke);
    drawHandset(painter, stroke);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const bool oneIcon = argc == 4 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--application-icon");
    if (argc != 2 && !oneIcon) {
        std::fprintf(stderr, "usage: kivora-draw-icons DIRECTORY\n"
                             "       kivora-draw-icons --application-icon SIZE FILE\n");
        return 2;
    }
    if (oneIcon) {
        const int size = QString::fromLocal8Bit(argv[2]).toInt();
        if (size > 0 && drawIcon(size, true).save(QString::fromLocal8Bit(argv[3]), "PNG")) return 0;
        std::fprintf(stderr, "kivora-draw-icons: cannot draw a %s-pixel icon into %s\n", argv[2], argv[3]);
        return 1;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 32, 48}) {
        for (auto [id, withSignal] : {std::pair{128, true}, std::pair{139, false}}) {
            QString path = QStringLiteral("%1/icon%2-%3.png").arg(directory).arg(id).arg(size);
            if (!drawIcon(size, withSignal).save(path, "PNG")) {
                std::fprintf(stderr, "kivora-draw-icons: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
