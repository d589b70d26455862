#pragma once

#include "linksocket.h"

#include "deviceconstants.h"

#include <QtNetwork/QTcpSocket>

// LinkSocket over QTcpSocket, reporting the link states the panel expects.
class TcpLinkSocket : public LinkSocket
{
    Q_OBJECT

public:
    explicit TcpLinkSocket(QObject *parent = nullptr);
    ~TcpLinkSocket() override;

    LinkState state() const override;
    void connectToDevice() override;
    void close() override;
    bool write(const QByteArray &piece) override;
    void flush() override;
    qint64 bytesToWrite() const override;
    qint64 unacknowledgedBytes() const override;
    bool closedByReset() const override { return m_peerClosed && m_reset; }

    void setRemoteHost(const QString &host) override;
    QString remoteHost() const override;
    void setRemotePort(quint16 port) override;
    quint16 remotePort() const override;

private:
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void reportState();
    void releaseHeldConnection();

    QTcpSocket m_socket;
    QString m_host = QString::fromLatin1(Device::DefaultHost);
    quint16 m_port = Device::DefaultPort;
    LinkState m_lastReported = LinkState::Closed;
    bool m_peerClosed = false;
    bool m_failed = false;
    bool m_reset = false;
    qintptr m_held = -1; // a second handle on the connection, to read how it ended
};
