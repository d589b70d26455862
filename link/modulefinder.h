#pragma once

#include "moduleframe.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QElapsedTimer>
#include <QtCore/QObject>
#include <QtCore/QSet>
#include <QtCore/QTimer>
#include <QtNetwork/QHostAddress>

class QNetworkDatagram;
class QUdpSocket;

// Asks modules about themselves on their command port: sends one search request to each target
// and collects the answers until the wait is over. Answers arrive as signals; nothing blocks.
class ModuleFinder : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultWaitMs = 1000;
    // The most modules one search lists. Anyone on the network can answer, as often and under
    // as many MACs as they like; the list stays a size a person can read and a window can show.
    static constexpr int MaxModules = 256;
    // Answers read in one go. The rest wait for the next turn of the event loop, so that its
    // timers, the deadline among them, and painting run however fast answers arrive.
    static constexpr int AnswersPerTurn = 32;

    explicit ModuleFinder(QObject *parent = nullptr);

    // The targets of a search for every module: the limited broadcast address, the broadcast
    // address of each network interface that is up, and 127.0.0.1 for a local simulator. A
    // search sent there leaves this machine, so it is made only when a user asks for one.
    static QList<QHostAddress> everywhere();

    // How long a search collects answers after its requests went out.
    void setWaitMs(int waitMs) { m_waitMs = waitMs; }
    int waitMs() const { return m_waitMs; }
    // Where the requests go; Module::CommandPort unless a test moves it.
    void setCommandPort(quint16 port) { m_commandPort = port; }

    // Sends the search to each target and returns at once; moduleFound() follows for each
    // module that answers, once per MAC, and finished() when the wait is over. False, and no
    // signal, for a search ID no module can hold. A search still running is dropped first.
    bool find(const QList<QHostAddress> &targets, const QString &searchId = {});
    // Asks the one module at `module`, as find() does; an answer counts only when it comes
    // from that address, so that no other module's words are taken for its own.
    bool ask(const QHostAddress &module, const QString &searchId = {});
    void stop();
    bool isSearching() const { return m_socket != nullptr; }

    // The modules that answered the last search, in the order they did.
    const QList<ModuleFrame::ModuleInfo> &modules() const { return m_modules; }
    // Whether more modules answered than the list holds; the later ones are not in it.
    bool isListFull() const { return m_listFull; }
    // Why no request went out, when none did; finished() then comes at once.
    QString errorString() const { return m_error; }

signals:
    // Only for a complete answer (ModuleFrame::isComplete), once per MAC; `module.address` is
    // the address the answer came from, whatever the module says of itself.
    void moduleFound(const ModuleFrame::ModuleInfo &module);
    void finished();

private:
    static QString unsentText(const QList<QHostAddress> &targets);
    void readAnswers();
    void take(const QNetworkDatagram &datagram);
    void finish();

    int m_waitMs = DefaultWaitMs;
    quint16 m_commandPort = Module::CommandPort;
    QUdpSocket *m_socket = nullptr; // one per search, deleted later: it may be emitting
    QTimer m_deadline;
    // The same end for the reading: a turn that finds it passed ends the search, even when
    // the timer has not had its turn yet.
    QDeadlineTimer m_end;
    QElapsedTimer m_elapsed; // for the log line at the end
    QList<ModuleFrame::ModuleInfo> m_modules;
    QSet<QByteArray> m_macs; // of m_modules, to know an answer again without a scan
    bool m_listFull = false;
    QHostAddress m_onlyFrom; // the module asked; null when anyone may answer
    QString m_error;
};
