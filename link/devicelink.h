#pragma once

#include "commands.h"
#include "linkstate.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QObject>
#include <QtCore/QTimer>

class LinkSocket;

// The connection procedure and the send rule that every command follows.
class DeviceLink : public QObject
{
    Q_OBJECT

public:
    // Commands waiting in the socket beyond this are dropped whole, so a device that stops
    // reading cannot make the panel's memory grow.
    static constexpr qint64 MaxQueuedBytes = 64 * 1024;
    // Sent bytes that the module has not acknowledged for this long mean it has stopped
    // taking commands: its serial side no longer reads, and its receive window stays shut.
    static constexpr int StalledAfterMs = 3000;
    // How often the unacknowledged bytes are looked at while any are outstanding.
    static constexpr int AcknowledgementCheckMs = 250;

    // Why a command did not go out.
    enum class DropReason {
        NotConnected,   // the link was closed; a connection starts
        ConnectFailed,  // the last connection failed; another starts
        ClosedByDevice, // the module closed the link; a new connection starts
        ResetByDevice,  // the module reset the link; a new connection starts
        Connecting,     // a connection is still under way
        QueueFull,      // the module is not taking what was sent before
        WriteFailed,    // the socket refused the bytes
    };
    Q_ENUM(DropReason)

    explicit DeviceLink(LinkSocket &socket, QObject *parent = nullptr);

    LinkSocket &socket() const { return m_socket; }
    // The endpoint the link connects to, as the socket holds it.
    QString remoteHost() const;
    quint16 remotePort() const;
    // Whether the module ended the link with a reset, while the link reads closed by it.
    bool closedByReset() const;

    // Closes the link unless it is closed, starts a connection and returns at once. The
    // attempt has Device::ConnectWaitMs of elapsed time to come up; connectionWaitEnded then
    // tells whether it did, as soon as it does or when the time is up. A run started during
    // another's wait takes over that wait.
    void connectToDevice();
    bool isWaiting() const { return m_deadline.isActive(); }

    // Writes the command's pieces, one write each, when the link is up, and reports whether
    // it did. A closed, failed or peer-closed link starts a connection instead and the
    // command is dropped.
    bool sendToDevice(const Protocol::Pieces &pieces);

signals:
    // The socket's state as it reports it, passed on so that whoever shows the link needs
    // only the link.
    void stateChanged(LinkState state);
    // The outcome of one connectToDevice run; how it is shown is the window's business.
    void connectionWaitEnded(bool connected);
    // A command was not sent; `command` holds its bytes.
    void commandDropped(const QByteArray &command, DeviceLink::DropReason reason);
    // The module has left what was sent unacknowledged for StalledAfterMs (false), or has
    // taken some of it again (true). Told on each change while the link is up.
    void takingCommandsChanged(bool taking);

private:
    void endWaitIfConnected();
    void endWait();
    bool dropped(const Protocol::Pieces &pieces, DropReason reason, const char *detail);
    void watchAcknowledgements(qint64 written);
    void checkAcknowledgements();
    void forgetAcknowledgements();

    LinkSocket &m_socket;
    QTimer m_deadline;
    QElapsedTimer m_waited;
    // What this connection has sent, what the module has acknowledged of it, and since when
    // it has acknowledged nothing more.
    qint64 m_sent = 0;
    qint64 m_acknowledged = 0;
    QElapsedTimer m_sinceAcknowledgement;
    QTimer m_acknowledgementCheck;
    bool m_taking = true;
};
