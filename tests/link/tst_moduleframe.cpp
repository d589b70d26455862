#include "moduleframe.h"
#include "modulewords.h"

#include <QtTest/QtTest>

using namespace ModuleFrame;

// The module's command-port frames, byte for byte, and what an answer means for the panel.
class tst_ModuleFrame : public QObject
{
    Q_OBJECT

private slots:
    void readAnswer_data();
    void readAnswer();
    void request_data();
    void request();
    void sentence_data();
    void sentence();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Every value of the record in one line; "?" for one that is unknown.
QString summary(const ModuleInfo &m)
{
    const auto known = [](const auto &value) {
        return value ? QString::number(int(*value)) : QStringLiteral("?");
    };
    return QStringLiteral("%1 name=%2 fw=%3 at=%4:%5 %6 %7 dhcp=%8 cp=%9 it=%10")
            .arg(macText(m.mac), m.name, m.firmware, m.reportedAddress, known(m.dataPort),
                 QLatin1String(QMetaEnum::fromType<Module::Mode>().valueToKey(int(m.mode))),
                 QLatin1String(QMetaEnum::fromType<Module::Status>().valueToKey(int(m.status))),
                 known(m.dhcp), known(m.password))
            .arg(known(m.inactivitySeconds));
}

} // namespace

void tst_ModuleFrame::readAnswer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("module"); // empty: no module's answer; "listed": a whole one
    const QByteArray head = "MA" + hex("0008DC000011") + "\r\nPW \r\n";
    const QString none = "name= fw= at=:? Unknown Unknown dhcp=? cp=? it=?";
    QTest::newRow("the shortest answer")
            << hex("4D410008DC0000110D0A5057200D0A4D4330303A30383A44433A30303A30303A"
                   "31310D0A4C493139322E302E322E31310D0A")
            << "00:08:DC:00:00:11 name= fw= at=192.0.2.11:? Unknown Unknown dhcp=? cp=? it=?";
    QTest::newRow("every field")
            << head
                    + "MC00:08:DC:00:00:11\r\nMNWIZ750SR\r\nVR1.2.0\r\nSTCONNECT\r\nOP2\r\nIM1\r\n"
                      "LI192.0.2.7\r\nLP5000\r\nCP1\r\nIT30\r\n"
            << "00:08:DC:00:00:11 name=WIZ750SR fw=1.2.0 at=192.0.2.7:5000 TcpMixed Connect dhcp=1 "
               "cp=1 it=30 listed";
    // The MAC may hold CR LF: read by its length, in MA and in a raw MC alike.
    QTest::newRow("MAC holding CR LF")
            << "MA" + hex("000D0A4C4931") + "\r\nPW \r\nMC" + hex("000D0A4C4931")
                    + "\r\nLI192.0.2.5\r\nSTOPEN\r\n"
            << "00:0D:0A:4C:49:31 name= fw= at=192.0.2.5:? Unknown Open dhcp=? cp=? it=?";
    QTest::newRow("cut in a value") << head + "STOPEN\r\nLI192.0.2.5\r\nLP50"
                                    << "00:08:DC:00:00:11 name= fw= at=192.0.2.5:? Unknown Open "
                                       "dhcp=? cp=? it=?";
    QTest::newRow("cut in the MAC") << QByteArray("MA") + hex("0008DC") << QString();
    QTest::newRow("no line end after the MAC") << head.left(8) + "\nPW \r\n" << QString();
    QTest::newRow("garbage") << hex("00ff0d0a4d410d0a") + QByteArray(3000, 'x') << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("a request to every module")
            << hex("4D41FFFFFFFFFFFF0D0A5057200D0A4D430D0A4C490D0A") << QString();
    QTest::newRow("oversized field skipped whole")
            << head + "MN" + QByteArray(MaxValueBytes + 1, 'N') + "\r\nLI192.0.2.6\r\n"
            << "00:08:DC:00:00:11 name= fw= at=192.0.2.6:? Unknown Unknown dhcp=? cp=? it=?";
    QTest::newRow("longer than a frame")
            << head + "LI192.0.2.6\r\n" + QByteArray("-\r\n").repeated(MaxFrameBytes / 3)
                    + "STOPEN\r\n"
            << "00:08:DC:00:00:11 name= fw= at=192.0.2.6:? Unknown Unknown dhcp=? cp=? it=?";
    QTest::newRow("unknown status, command and noise")
            << head + "STSLEEP\r\nZZ42\r\n\x01 no field\r\nmnlower\r\nOP1\r\n"
            << "00:08:DC:00:00:11 name= fw= at=:? TcpServer Unknown dhcp=? cp=? it=?";
    QTest::newRow("values out of range")
            << head + "OP4\r\nIM2\r\nLP0\r\nCP\r\nIT99999\r\nLI300.1.1.1\r\nMN\x01\x7f\r\n"
            << "00:08:DC:00:00:11 " + none;
    QTest::newRow("only the MAC") << "MA" + hex("0008DC000011") + "\r\n"
                                  << "00:08:DC:00:00:11 " + none;
    // Listed, at the address it came from; the one it gives itself is only shown.
    QTest::newRow("gives 0.0.0.0") << head + "LI0.0.0.0\r\nLP5000\r\n"
                                   << "00:08:DC:00:00:11 name= fw= at=0.0.0.0:5000 Unknown Unknown "
                                      "dhcp=? cp=? it=? listed";
    QTest::newRow("first answer counts, no PW")
            << "MA" + hex("0008DC000011") + "\r\nLP80\r\nLP81\r\nVR 2.0 \r\n"
            << "00:08:DC:00:00:11 name= fw=2.0 at=:80 Unknown Unknown dhcp=? cp=? it=?";
}

void tst_ModuleFrame::readAnswer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, module);
    const std::optional<ModuleInfo> info = ModuleFrame::readAnswer(bytes);
    QCOMPARE(info ? summary(*info) + (isComplete(*info) ? " listed" : "") : QString(), module);
}

void tst_ModuleFrame::request_data()
{
    QTest::addColumn<QString>("searchId");
    QTest::addColumn<QByteArray>("expected"); // empty: no request
    const QByteArray commands = "MC\r\nMN\r\nVR\r\nST\r\nOP\r\nIM\r\nLI\r\nLP\r\nCP\r\nIT\r\n";
    QTest::newRow("no search ID") << ""
                                  << "MA" + hex("FFFFFFFFFFFF") + "\r\nPW \r\n" + commands;
    QTest::newRow("search ID of 8") << "Bell-07!"
                                    << "MA" + hex("FFFFFFFFFFFF") + "\r\nPWBell-07!\r\n" + commands;
    QTest::newRow("9 characters") << "Bell-07!x" << QByteArray();
    QTest::newRow("blank") << "a b" << QByteArray();
    QTest::newRow("line end") << "a\r\n" << QByteArray();
    QTest::newRow("not ASCII") << QStringLiteral("b\u00e9ll") << QByteArray();
}

void tst_ModuleFrame::request()
{
    QFETCH(QString, searchId);
    QFETCH(QByteArray, expected);
    QCOMPARE(searchRequest(searchId).value_or(QByteArray()), expected);
    // The manual's request for the MAC and IP of every module.
    const Frame manual{everyModuleMac(), " ", {{"MC", {}}, {"LI", {}}}};
    QCOMPARE(encode(manual), hex("4D41FFFFFFFFFFFF0D0A5057200D0A4D430D0A4C490D0A"));
}

void tst_ModuleFrame::sentence_data()
{
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("serves") << QByteArray("STOPEN\r\nOP1\r\nCP0\r\nLP6000\r\n")
                            << "The module at 127.0.0.2 is waiting for a client";
    QTest::newRow("on another port") << QByteArray("STOPEN\r\nLP5000\r\n")
                                     << "The module at 127.0.0.2 serves on port 5000, not 6000";
    QTest::newRow("busy") << QByteArray("STCONNECT\r\nOP2\r\n")
                          << "The module at 127.0.0.2 is busy: another client is connected";
    QTest::newRow("client mode before busy") << QByteArray("STCONNECT\r\nOP0\r\n")
                                             << "The module at 127.0.0.2 is in TCP client mode";
    QTest::newRow("UDP") << QByteArray("STUDP\r\n") << "The module at 127.0.0.2 is in UDP mode";
    QTest::newRow("password") << QByteArray("STOPEN\r\nCP1\r\n")
                              << "The module at 127.0.0.2 asks for a connection password";
    QTest::newRow("says little") << QByteArray("MNWIZ750SR\r\n")
                                 << "The module at 127.0.0.2 answers without its status";
}

void tst_ModuleFrame::sentence()
{
    QFETCH(QByteArray, fields);
    QFETCH(QString, sentence);
    const std::optional<ModuleInfo> info
            = ModuleFrame::readAnswer("MA" + hex("0008DC000011") + "\r\nPW \r\n" + fields);
    QVERIFY(info);
    QCOMPARE(ModuleWords::moduleSentence("127.0.0.2", *info, 6000), sentence); // the port used
}

QTEST_GUILESS_MAIN(tst_ModuleFrame)
#include "tst_moduleframe.moc"
