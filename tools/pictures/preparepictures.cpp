// Run by the build: writes every picture the layout table shows, read from resources/ and
// scaled to its box, and the window's icon, as C++ arrays of pixels, so that the window shows each
// without decoding or scaling it. The scaling is the one a stretched QLabel does when it paints, so
// the window looks as it would with the picture files themselves.
//
//   preparepictures RESOURCES_DIR OUTPUT_FILE

#include "layout.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>
#include <QtCore/QTextStream>
#include <QtGui/QImage>
#include <QtGui/QImageReader>

#include <cstdio>
#include <utility>

namespace {

constexpr int pixelsPerLine = 8;

// The picture as a stretched label paints it in a box of `size`: converted to the screen's
// format, as a pixmap made from it is, then smoothly scaled.
QImage preparedImage(const QImage &source, const QSize &size)
{
    const QImage::Format format = source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                           : QImage::Format_RGB32;
    return source.convertToFormat(format).scaled(size, Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation);
}

// Pixels as 32-bit numbers, which keeps them right whatever the target's byte order.
void writeArray(QTextStream &out, const QString &name, const QImage &image)
{
    out << "const quint32 " << name << "[] = {\n";
    int column = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out << (column == 0 ? "    " : " ")
                << QStringLiteral("0x%1u,").arg(line[x], 8, 16, QLatin1Char('0'));
            if (++column == pixelsPerLine) {
                out << '\n';
                column = 0;
            }
        }
    }
    out << (column ? "\n};\n\n" : "};\n\n");
}

const char *formatName(QImage::Format format)
{
    return format == QImage::Format_RGB32 ? "QImage::Format_RGB32"
                                          : "QImage::Format_ARGB32_Premultiplied";
}

// Each picture the window shows, by file, with the box it fills; the icon keeps its own size.
QList<std::pair<QString, QSize>> shownPictures()
{
    QList<std::pair<QString, QSize>> pictures{{QString::fromLatin1(windowIconFile), QSize()}};
    for (const ControlEntry &entry : dawnbellLayout()) {
        if (entry.picture)
            pictures.append({QString::fromLatin1(entry.picture), QSize(entry.width, entry.height)});
    }
    return pictures;
}

bool writePictures(const QDir &resources, QTextStream &out)
{
    out << "// Written by preparepictures from resources/ at build time.\n\n";
    QStringList rows;
    for (const auto &[file, box] : shownPictures()) {
        QImageReader reader(resources.filePath(file), QFileInfo(file).suffix().toLatin1());
        const QImage source = reader.read();
        if (source.isNull()) {
            std::fprintf(stderr, "preparepictures: cannot read %s: %s\n",
                         qPrintable(reader.fileName()), qPrintable(reader.errorString()));
            return false;
        }
        const QImage image = preparedImage(source, box.isValid() ? box : source.size());
        const QString name = QStringLiteral("pixels%1").arg(rows.size());
        writeArray(out, name, image);
        rows << QStringLiteral("    {\"%1\", %2, %3, %4, %5},\n")
                        .arg(file)
                        .arg(image.width())
                        .arg(image.height())
                        .arg(QLatin1String(formatName(image.format())), name);
    }
    out << "const PreparedPicture preparedPictureTable[] = {\n" << rows.join(QString()) << "};\n";
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: preparepictures RESOURCES_DIR OUTPUT_FILE\n");
        return 2;
    }
    QSaveFile file(args.at(2));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "preparepictures: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    QTextStream out(&file);
    if (!writePictures(QDir(args.at(1)), out))
        return 1;
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        std::fprintf(stderr, "preparepictures: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
