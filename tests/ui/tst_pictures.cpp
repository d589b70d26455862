#include <QtCore/QFile>
#include <QtGui/QImage>
#include <QtTest/QtTest>

// The committed pictures and icon, byte by byte where the format is fixed, and as the window
// loads them from its resources.
class tst_Pictures : public QObject
{
    Q_OBJECT
private slots:
    void files_data();
    void files();
    void jpegIsBaselineAt96Dpi_data();
    void jpegIsBaselineAt96Dpi();
    void bitmapHeader();
    void iconHeader();
};

namespace {

QByteArray readResource(const QString &name)
{
    QFile file(QStringLiteral(DAWNBELL_RESOURCES_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le32(const QByteArray &bytes, int at)
{
    return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8 | quint8(bytes[at + 2]) << 16
            | quint32(quint8(bytes[at + 3])) << 24;
}

quint16 le16(const QByteArray &bytes, int at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
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

    // What the window shows comes from the compiled-in copy, not the file.
    const QImage compiledIn(QStringLiteral(":/pictures/") + name);
    QCOMPARE(compiledIn.size(), size);
}

void tst_Pictures::jpegIsBaselineAt96Dpi_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("logo") << "logo.jpg";
    QTest::newRow("screen 1") << "screen1.jpg";
}

void tst_Pictures::jpegIsBaselineAt96Dpi()
{
    QFETCH(QString, name);
    const QByteArray data = readResource(name);
    QVERIFY(data.startsWith("\xFF\xD8\xFF\xE0"));
    QCOMPARE(data.mid(6, 5), QByteArray("JFIF\0", 5));
    QCOMPARE(int(quint8(data[13])), 1); // density in dots per inch
    QCOMPARE(int(quint8(data[14]) << 8 | quint8(data[15])), 96);

    // Walk the marker segments up to the frame header: it must be SOF0 (baseline).
    int at = 2;
    int frameMarker = 0;
    while (at + 4 <= data.size() && quint8(data[at]) == 0xFF) {
        const int marker = quint8(data[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC) {
            frameMarker = marker;
            break;
        }
        at += 2 + (quint8(data[at + 2]) << 8 | quint8(data[at + 3]));
    }
    QCOMPARE(frameMarker, 0xC0);
}

void tst_Pictures::bitmapHeader()
{
    const QByteArray data = readResource(QStringLiteral("screen2.bmp"));
    QVERIFY(data.size() >= 54);
    QVERIFY(data.startsWith("BM"));
    QCOMPARE(le32(data, 2), quint32(data.size()));
    QCOMPARE(le32(data, 10), 54u); // pixels straight after the headers: no palette, no masks
    QCOMPARE(le32(data, 14), 40u);
    QCOMPARE(le16(data, 28), quint16(24));
    QCOMPARE(le32(data, 30), 0u); // uncompressed
}

void tst_Pictures::iconHeader()
{
    const QByteArray data = readResource(QStringLiteral("dawnbell.ico"));
    QVERIFY(data.size() >= 62);
    QCOMPARE(le16(data, 2), quint16(1)); // icon
    QCOMPARE(le16(data, 4), quint16(1)); // one image
    QCOMPARE(int(quint8(data[6])), 32);
    QCOMPARE(int(quint8(data[7])), 32);
    QCOMPARE(le16(data, 12), quint16(8));
    QCOMPARE(le32(data, 14) + le32(data, 18), quint32(data.size()));

    const int dib = int(le32(data, 18));
    QCOMPARE(le32(data, dib), 40u);
    QCOMPARE(le32(data, dib + 8), 64u); // colour image and mask stacked
    QCOMPARE(le16(data, dib + 14), quint16(8));
    const quint32 colours = le32(data, dib + 32);
    QVERIFY(colours == 0 || colours == 256);
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
