// Draws the pictures the window shows (logo, two wake-up screens) and its icon, and writes them
// in the exact file formats the window, the executable and the desktop's icon theme expect.

#include <QtCore/QByteArray>
#include <QtCore/QDataStream>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QImageWriter>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace {

constexpr int dotsPerMeter96Dpi = 3780;
constexpr double pi = 3.14159265358979323846;

QImage blankImage(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.setDotsPerMeterX(dotsPerMeter96Dpi);
    image.setDotsPerMeterY(dotsPerMeter96Dpi);
    image.fill(Qt::transparent);
    return image;
}

QFont drawingFont(const char *family, int pixelSize, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A bell with a rising sun behind it: the mark on the logo and the icon.
void drawBell(QPainter &painter, const QRectF &box)
{
    const double w = box.width();
    const double h = box.height();
    const QPointF origin = box.topLeft();
    auto at = [&](double x, double y) { return origin + QPointF(x * w, y * h); };

    QRadialGradient sunGlow(at(0.5, 0.62), 0.5 * w);
    sunGlow.setColorAt(0, QColor(255, 214, 102));
    sunGlow.setColorAt(1, QColor(255, 140, 40));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sunGlow);
    painter.drawEllipse(at(0.5, 0.62), 0.46 * w, 0.46 * h);

    QPainterPath bell;
    bell.moveTo(at(0.5, 0.12));
    bell.cubicTo(at(0.76, 0.12), at(0.74, 0.45), at(0.80, 0.66));
    bell.lineTo(at(0.88, 0.76));
    bell.lineTo(at(0.12, 0.76));
    bell.lineTo(at(0.20, 0.66));
    bell.cubicTo(at(0.26, 0.45), at(0.24, 0.12), at(0.5, 0.12));
    QLinearGradient metal(at(0.2, 0), at(0.8, 0));
    metal.setColorAt(0, QColor(120, 72, 10));
    metal.setColorAt(0.45, QColor(222, 170, 40));
    metal.setColorAt(1, QColor(140, 90, 16));
    painter.setBrush(metal);
    painter.setPen(QPen(QColor(80, 48, 8), std::max(1.0, w / 40)));
    painter.drawPath(bell);
    painter.setBrush(QColor(80, 48, 8));
    painter.drawEllipse(at(0.5, 0.84), 0.09 * w, 0.08 * h);
    painter.drawEllipse(at(0.5, 0.10), 0.05 * w, 0.05 * h);
}

QImage drawLogo()
{
    QImage image = blankImage(220, 79);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    image.fill(Qt::white);

    drawBell(painter, QRectF(6, 8, 62, 62));

    painter.setPen(QColor(24, 44, 110));
    painter.setFont(drawingFont("Carlito", 34, true));
    painter.drawText(QRectF(72, 6, 146, 48), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Dawnbell"));
    painter.setPen(QColor(230, 120, 30));
    painter.setFont(drawingFont("Carlito", 13, false));
    painter.drawText(QRectF(74, 52, 146, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("wake up with the sun"));
    painter.setPen(QPen(QColor(230, 120, 30), 2));
    painter.drawLine(QPointF(74, 52), QPointF(210, 52));
    return image;
}

void drawSky(QPainter &painter, const QRectF &area, double horizon)
{
    QLinearGradient sky(area.topLeft(), QPointF(area.left(), horizon));
    sky.setColorAt(0, QColor(18, 26, 78));
    sky.setColorAt(0.55, QColor(120, 70, 140));
    sky.setColorAt(1, QColor(255, 160, 80));
    painter.fillRect(QRectF(area.left(), area.top(), area.width(), horizon - area.top()), sky);
}

// Wake-up screen 1: a clock face rising over the horizon.
QImage drawScreen1()
{
    QImage image = blankImage(245, 206);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double horizon = 150;
    drawSky(painter, image.rect(), horizon);

    const QPointF centre(122.5, 88);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 200, 90));
    painter.drawEllipse(centre, 70, 70);
    painter.setBrush(QColor(255, 236, 170));
    painter.drawEllipse(centre, 62, 62);

    painter.setPen(QPen(QColor(110, 60, 20), 3, Qt::SolidLine, Qt::RoundCap));
    for (int hour = 0; hour < 12; ++hour) {
        const double angle = hour * pi / 6;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(centre + direction * 50, centre + direction * 58);
    }
    // Half past six, the alarm the screen stands for.
    painter.setPen(QPen(QColor(60, 30, 10), 5, Qt::SolidLine, Qt::RoundCap));
    const double hourAngle = 6.5 * pi / 6;
    painter.drawLine(centre, centre + QPointF(std::sin(hourAngle), -std::cos(hourAngle)) * 32);
    painter.setPen(QPen(QColor(60, 30, 10), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(0, 46));

    QLinearGradient ground(QPointF(0, horizon), QPointF(0, 206));
    ground.setColorAt(0, QColor(40, 90, 60));
    ground.setColorAt(1, QColor(14, 40, 28));
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRectF(0, horizon, 245, 206 - horizon), ground);

    painter.setPen(QColor(255, 236, 170));
    painter.setFont(drawingFont("DejaVu Sans", 26, true));
    painter.drawText(QRectF(0, horizon + 8, 245, 48), Qt::AlignCenter, QStringLiteral("06:30"));
    return image;
}

// Wake-up screen 2: a morning landscape with the time and a greeting.
QImage drawScreen2()
{
    QImage image = blankImage(286, 176);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double horizon = 118;
    drawSky(painter, image.rect(), horizon);

    QRadialGradient sun(QPointF(210, horizon), 60);
    sun.setColorAt(0, QColor(255, 250, 210));
    sun.setColorAt(0.4, QColor(255, 210, 110));
    sun.setColorAt(1, QColor(255, 160, 80, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(210, horizon), 60, 60);

    QPainterPath farHills;
    farHills.moveTo(0, 176);
    farHills.lineTo(0, 112);
    farHills.cubicTo(60, 88, 110, 120, 160, 104);
    farHills.cubicTo(210, 90, 250, 110, 286, 100);
    farHills.lineTo(286, 176);
    painter.setBrush(QColor(60, 100, 90));
    painter.drawPath(farHills);

    QPainterPath nearHills;
    nearHills.moveTo(0, 176);
    nearHills.lineTo(0, 140);
    nearHills.cubicTo(80, 118, 150, 150, 286, 128);
    nearHills.lineTo(286, 176);
    painter.setBrush(QColor(30, 70, 45));
    painter.drawPath(nearHills);

    painter.setPen(QColor(255, 255, 255));
    painter.setFont(drawingFont("DejaVu Sans", 44, true));
    painter.drawText(QRectF(12, 8, 180, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("7:00"));
    painter.setPen(QColor(255, 220, 150));
    painter.setFont(drawingFont("DejaVu Sans", 16, false));
    painter.drawText(QRectF(14, 64, 200, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Good morning!"));
    return image;
}

// The bell keeps a margin of one 32nd of the side, so every size shows the same drawing.
QImage drawIcon(int size)
{
    QImage image = blankImage(size, size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double margin = size / 32.0;
    drawBell(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    return image;
}

// The sizes desktops look up in the hicolor icon theme, laid out as they are installed.
bool writeThemeIcons(const QDir &out)
{
    bool ok = true;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        ok &= out.mkpath(dir);
        ok &= drawIcon(size).save(out.filePath(dir + QStringLiteral("/dawnbell.png")), "png");
    }
    return ok;
}

bool writeJpeg(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    // Baseline JPEG, neither progressive nor optimised: the form every JPEG reader takes.
    writer.setProgressiveScanWrite(false);
    writer.setOptimizedWrite(false);
    return writer.write(image);
}

bool writeBytes(const QByteArray &bytes, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Qt writes 32-bit bitmaps; the window's picture is an uncompressed 24-bit one.
QByteArray bmp24(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int rowBytes = (image.width() * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(rowBytes * image.height());
    const quint32 headerBytes = 14 + 40;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(headerBytes + pixelBytes) << quint16(0)
        << quint16(0) << headerBytes;
    out << quint32(40) << qint32(image.width()) << qint32(image.height()) << quint16(1)
        << quint16(24) << quint32(0) << pixelBytes << qint32(image.dotsPerMeterX())
        << qint32(image.dotsPerMeterY()) << quint32(0) << quint32(0);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]));
        for (int pad = image.width() * 3; pad < rowBytes; ++pad)
            out << quint8(0);
    }
    return bytes;
}

// One 32 x 32 image, 8 bits per pixel with a full 256-entry palette and an AND mask: the icon
// format every version of the platform shows.
QByteArray ico256(const QImage &source)
{
    constexpr int size = 32;
    constexpr int paletteEntries = 256;
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);

    QImage opaque(size, size, QImage::Format_RGB32);
    opaque.fill(Qt::black);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, argb);
    }
    QImage indexed = opaque.convertToFormat(QImage::Format_Indexed8,
                                            Qt::ThresholdDither | Qt::AvoidDither);
    QList<QRgb> palette = indexed.colorTable();
    while (palette.size() < paletteEntries)
        palette.append(qRgb(0, 0, 0));

    const quint32 xorBytes = size * size;
    const quint32 andBytes = size * 4;
    const quint32 imageBytes = 40 + paletteEntries * 4 + xorBytes + andBytes;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(1);
    out << quint8(size) << quint8(size) << quint8(0) << quint8(0) << quint16(1) << quint16(8)
        << imageBytes << quint32(6 + 16);
    out << quint32(40) << qint32(size) << qint32(2 * size) << quint16(1) << quint16(8) << quint32(0)
        << quint32(xorBytes + andBytes) << qint32(0) << qint32(0) << quint32(paletteEntries)
        << quint32(0);
    for (QRgb colour : palette)
        out << quint8(qBlue(colour)) << quint8(qGreen(colour)) << quint8(qRed(colour)) << quint8(0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x)
            out << quint8(indexed.pixelIndex(x, y));
    }
    for (int y = size - 1; y >= 0; --y) {
        quint32 bits = 0;
        for (int x = 0; x < size; ++x) {
            if (qAlpha(argb.pixel(x, y)) < 128)
                bits |= 0x80000000u >> x;
        }
        // The mask rows are stored most significant byte first.
        out << quint8(bits >> 24) << quint8(bits >> 16) << quint8(bits >> 8) << quint8(bits);
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources"));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    bool ok = true;
    ok &= writeJpeg(drawLogo(), out.filePath(QStringLiteral("logo.jpg")));
    ok &= writeJpeg(drawScreen1(), out.filePath(QStringLiteral("screen1.jpg")));
    ok &= writeBytes(bmp24(drawScreen2()), out.filePath(QStringLiteral("screen2.bmp")));
    ok &= writeBytes(ico256(drawIcon(32)), out.filePath(QStringLiteral("dawnbell.ico")));
    ok &= writeThemeIcons(out);
    if (!ok) {
        std::fprintf(stderr, "writing the pictures into %s failed\n", qPrintable(out.path()));
        return 1;
    }
    return 0;
}
