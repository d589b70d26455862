#pragma once

#include "commanddecoder.h"

#include <QtCore/QObject>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QTcpServer>

class QTcpSocket;

// Stands in for the clock device behind its serial-to-Ethernet module: takes one client at
// a time and closes any other at once, decodes what the client writes and describes every
// command in one line.
class Simulator : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int closeAfter = 0;  // close the connection after this many commands; 0 never
        int resetAfter = 0;  // abort the connection with a reset after this many; 0 never
        bool noRead = false; // accept, but never read, so the sender's buffers fill
    };

    explicit Simulator(const Options &options, QObject *parent = nullptr);
    ~Simulator() override;

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    quint16 serverPort() const { return m_server.serverPort(); }
    bool hasClient() const { return m_client != nullptr; }

    // The bytes as the log lines quote them: printable ASCII as it is; any other byte, the
    // double quote and the backslash escaped.
    static QString escaped(const QByteArray &bytes);
    // The line the simulator prints for a decoded command or stray bytes.
    static QString describe(const Protocol::Decoder::Event &event);

signals:
    void line(const QString &text);
    // The same traffic as the lines, for a listener that keeps the device's state.
    void clientConnected(const QString &peer);
    void clientDisconnected();
    void commandReceived(const Protocol::Command &command);

private:
    void acceptClients();
    bool clientIsGone();
    static void resetConnection(QTcpSocket *socket);
    void takeClient(QTcpSocket *socket);
    void readClient();
    void dropClient();
    void endClient(bool reset);
    void report(const Protocol::Decoder::Event &event);
    void reportEnd();

    Options m_options;
    QTcpServer m_server;
    QTcpSocket *m_client = nullptr;
    Protocol::Decoder m_decoder;
    int m_commands = 0;
};
