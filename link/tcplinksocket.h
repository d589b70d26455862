#pragma once

#include "linksocket.h"

#include <QtNetwork/QTcpSocket>

// LinkSocket over QTcpSocket, reporting the state codes the panel expects.
class TcpLinkSocket : public LinkSocket
{
    Q_OBJECT

public:
    explicit TcpLinkSocket(QObject *parent = nullptr);

    int state() const override;
    void connectToDevice() override;
    void close() override;
    bool write(const QByteArray &piece) override;
    void flush() override;
    qint64 bytesToWrite() const override;

    void setRemoteHost(const QString &host) override;
    QString remoteHost() const override;
    void setRemotePort(quint16 port) override;
    quint16 remotePort() const override;

    static constexpr quint16 DefaultPort = 5000;

private:
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void reportState();

    QTcpSocket m_socket;
    QString m_host = QStringLiteral("127.0.0.1");
    quint16 m_port = DefaultPort;
    int m_lastReported = -1;
    bool m_peerClosed = false;
    bool m_failed = false;
};
