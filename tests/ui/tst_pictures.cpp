#include "layout.h"
#include "picturebox.h"
#include "preparedpicture.h"

#include <QtCore/QFile>
#include <QtGui/QImage>
#include <QtTest/QtTest>

// The committed pictures and icon: each file reads as its format, at its size, and the window
// shows the build's copy of each, which paints as the file itself would.
class tst_Pictures : public QObject
{
    Q_OBJECT
private slots:
    void files_data();
    void files();
};

namespace {

QByteArray readResource(const QString &name)
{
    QFile file(QStringLiteral(DAWNBELL_RESOURCES_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The box the window shows a picture in; the icon is shown at its own size.
QSize shownSize(const QString &file, const QSize &ownSize)
{
    for (const ControlEntry &entry : dawnbellLayout()) {
        if (entry.picture && file == QLatin1String(entry.picture))
            return {entry.width, entry.height};
    }
    return ownSize;
}

QImage painted(const QPixmap &picture, const QSize &box)
{
    PictureBox label;
    label.resize(box);
    label.setPixmap(picture);
    return label.grab().toImage();
}

} // namespace

void tst_Pictures::files_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bytes"); // -1: any

    QTest::newRow("logo") << "logo.jpg" << QByteArray("jpeg") << QSize(220, 79) << -1;
    QTest::newRow("screen 1") << "screen1.jpg" << QByteArray("jpeg") << QSize(245, 206) << -1;
    QTest::newRow("screen 2") << "screen2.bmp" << QByteArray("bmp") << QSize(286, 176) << 151414;
    QTest::newRow("icon") << "dawnbell.ico" << QByteArray("ico") << QSize(32, 32) << 2238;
}

void tst_Pictures::files()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(int, bytes);

    const QByteArray data = readResource(name);
    QVERIFY2(!data.isEmpty(), qPrintable(name));
    if (bytes >= 0)
        QCOMPARE(data.size(), bytes);

    QImage fromFile;
    QVERIFY(fromFile.loadFromData(data, format.constData()));
    QCOMPARE(fromFile.size(), size);

    // What the window shows is the build's copy, which paints as the file itself would.
    const QSize box = shownSize(name, size);
    const QImage prepared = preparedPicture(name.toLatin1().constData());
    QCOMPARE(prepared.size(), box);
    QCOMPARE(painted(QPixmap::fromImage(prepared), box),
             painted(QPixmap::fromImage(fromFile), box));
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
