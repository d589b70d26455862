#pragma once

#include "deliverysocket.h"
#include "sendrequest.h"

#include <QtCore/QDateTime>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpSocket>

// Carries one command over one TCP connection and tells whether the module took it: connected
// within the module's connection wait, every byte written and acknowledged by the module's
// TCP, and the connection ended without a reset. Each step is bounded by a deadline and moved
// on by the socket's signals; nothing here blocks.
class CommandSender : public QObject
{
    Q_OBJECT

public:
    explicit CommandSender(const Send::Endpoint &endpoint, QObject *parent = nullptr);

    // Starts connecting; connected() or failed() follows.
    void open();
    // Once connected: writes `bytes` when the wall clock reaches `moment` (at once for an
    // invalid or past moment); delivered() or failed() follows.
    void deliver(const QByteArray &bytes, const QDateTime &moment = {});

signals:
    void connected();
    void delivered();
    // `message` is one line naming the endpoint and what happened. `byModule` when something
    // answered and would not take the command: it refused the connection, reset it or closed
    // it early, so the module's own account of itself may say why.
    void failed(const QString &message, bool byModule);

private:
    enum class Stage { Idle, Connecting, Connected, Draining, Closing, Done };

    void takeConnection();
    void failToConnect(QAbstractSocket::SocketError error);
    void writeWhenDue();
    void awaitAcknowledgement();
    void closeSending();
    void onEnded(DeliverySocket::Ending how);
    void onDeadline();
    void fail(const QString &reason, bool byModule = false);
    void finish();

    Send::Endpoint m_endpoint;
    Stage m_stage = Stage::Idle;
    QTcpSocket m_socket;
    DeliverySocket *m_delivery = nullptr;
    QByteArray m_bytes;
    QDateTime m_moment;
    QTimer m_deadline; // the bound of the current stage
    QTimer m_step;     // the moment to write, and the next look at the acknowledgements
    int m_pollMs = 0;
};
